/* A complete dialog service: counts the selected pictures and keeps the count in the
 * program's settings under "HelloService\LastCount". */
#include <vistrel/service.h>

static VistrelGetProcAddressFn host_lookup;

VISTREL_SERVICE_EXPORT void SetService(VistrelGetProcAddressFn getProcAddress, void* reserved)
{
    (void)reserved;
    host_lookup = getProcAddress;
}

VISTREL_SERVICE_EXPORT int32_t GetType(void) { return 0; /* a dialog service */ }
VISTREL_SERVICE_EXPORT int32_t Init(void) { return 1; }
VISTREL_SERVICE_EXPORT int32_t Free(void) { return 1; }

VISTREL_SERVICE_EXPORT int32_t Exec(void* module, void* mainWindow)
{
    VistrelGetValueFn getValue = (VistrelGetValueFn)VistrelLookUp(host_lookup, "GetValue");
    VistrelRegistryWriteDwordFn writeDword =
        (VistrelRegistryWriteDwordFn)VistrelLookUp(host_lookup, "RegistryWriteDword");
    int64_t count = 0;
    (void)module;
    (void)mainWindow;
    if (!getValue || !writeDword)
        return 0;
    /* The name buffer is consumed by the host: no free here. */
    if (!getValue(VistrelMakeText("NumSelectedImages"), &count))
        return 0;
    writeDword(VistrelMakeText("HelloService\\LastCount"), (uint32_t)count);
    return 1;
}
