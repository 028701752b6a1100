// The exports of the SendMail module.
#include "dialog_service_exports.h"
#include "send_mail.h"

VISTREL_DIALOG_SERVICE(RunSendMailService)
