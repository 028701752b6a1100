// The exports of the SaveAs module.
#include "dialog_service_exports.h"
#include "save_as_service.h"

VISTREL_DIALOG_SERVICE(RunSaveAsService)
