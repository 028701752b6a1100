// The exports of a rotate module; VISTREL_ROTATION_TURN picks the direction at build time, or
// VISTREL_ROTATION_UPRIGHT makes it turn each picture upright by its orientation.
#include "dialog_service_exports.h"
#include "rotation_service.h"

static int32_t RunRotation(void* mainWindow)
{
#ifdef VISTREL_ROTATION_UPRIGHT
    return RunRotationService(UprightByOrientation{}, mainWindow);
#else
    return RunRotationService(RotationTurn::VISTREL_ROTATION_TURN, mainWindow);
#endif
}

VISTREL_DIALOG_SERVICE(RunRotation)
