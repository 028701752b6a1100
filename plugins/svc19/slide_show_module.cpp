// The exports of the slide show module.
#include "dialog_service_exports.h"
#include "slide_show_window.h"

VISTREL_DIALOG_SERVICE(RunSlideShowService)
