#include <QFile>

#include <vistrel/service.h>

#include "services/host_functions.h"
#include "shell/menu_resources.h"
#include "shell/resource_modules.h"

// The two exports through which a module reaches the host without being handed the lookup.

extern "C" VISTREL_SERVICE_EXPORT VistrelGetProcAddressFn GetServiceProcAddress(void)
{
    return &HostGetProcAddress;
}

extern "C" VISTREL_SERVICE_EXPORT const char* GetResourceModule(void)
{
    // The language module's bitmaps exist only while its resources are registered.
    static const char* const kRoot = kLanguageModuleRoot.data();
    return QFile::exists(QString::fromUtf8(kMenuDefinitionPath)) ? kRoot : nullptr;
}
