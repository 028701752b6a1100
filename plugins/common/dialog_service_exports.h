#pragma once

#include <vistrel/service.h>

#include "service_client.h"

// The exports of a dialog service module whose whole run is one function of (main window):
// SetService connects the host, Init and Free have nothing to do, Exec runs the function.
#define VISTREL_DIALOG_SERVICE(runFunction)                                                           \
    extern "C" {                                                                                      \
    VISTREL_SERVICE_EXPORT void SetService(VistrelGetProcAddressFn getProcAddress, void*)             \
    {                                                                                                 \
        ServiceClient::Instance().Connect(getProcAddress);                                            \
    }                                                                                                 \
    VISTREL_SERVICE_EXPORT int32_t GetType(void) { return 0; }                                        \
    VISTREL_SERVICE_EXPORT int32_t Init(void) { return 1; }                                           \
    VISTREL_SERVICE_EXPORT int32_t Free(void) { return 1; }                                           \
    VISTREL_SERVICE_EXPORT int32_t Exec(void*, void* mainWindow) { return runFunction(mainWindow); } \
    }
