// The exports of the About module.
#include "about_dialog.h"
#include "dialog_service_exports.h"

VISTREL_DIALOG_SERVICE(RunAboutService)
