// The exports of the Print module.
#include "dialog_service_exports.h"
#include "print_service.h"

VISTREL_DIALOG_SERVICE(RunPrintService)
