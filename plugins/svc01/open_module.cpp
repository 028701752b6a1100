// The exports of the Open module.
#include "dialog_service_exports.h"
#include "open_files.h"

VISTREL_DIALOG_SERVICE(RunOpenService)
