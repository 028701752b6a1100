// The exports of a rotate module; VISTREL_ROTATION_TURN picks the direction at build time.
#include <vistrel/service.h>

#include "rotation_service.h"
#include "service_client.h"

extern "C" {
VISTREL_SERVICE_EXPORT void SetService(VistrelGetProcAddressFn getProcAddress, void*)
{
    ServiceClient::Instance().Connect(getProcAddress);
}
VISTREL_SERVICE_EXPORT int32_t GetType(void) { return 0; }
VISTREL_SERVICE_EXPORT int32_t Init(void) { return 1; }
VISTREL_SERVICE_EXPORT int32_t Free(void) { return 1; }
VISTREL_SERVICE_EXPORT int32_t Exec(void*, void* mainWindow)
{
    return RunRotationService(RotationTurn::VISTREL_ROTATION_TURN, mainWindow);
}
}
