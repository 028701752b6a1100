// The exports of a rotate module; VISTREL_ROTATION_TURN picks the direction at build time.
#include "dialog_service_exports.h"
#include "rotation_service.h"

static int32_t RunRotation(void* mainWindow)
{
    return RunRotationService(RotationTurn::VISTREL_ROTATION_TURN, mainWindow);
}

VISTREL_DIALOG_SERVICE(RunRotation)
