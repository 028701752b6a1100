#include "services/service_slot.h"

#include <dlfcn.h>

template <typename Function>
static Function Export(void* handle, const char* name)
{
    return reinterpret_cast<Function>(dlsym(handle, name));
}

bool ServiceSlot::Load(VistrelGetProcAddressFn hostLookup)
{
    if (m_loaded)
        return true;
    if (m_modulePath.empty() || m_modulePath.front() != '/') {
        m_loadError = "not an absolute module path: " + m_modulePath;
        return false;
    }
    if (!m_handle) {
        m_handle = dlopen(m_modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            const char* error = dlerror();
            m_loadError = error ? error : "cannot open " + m_modulePath;
            return false;
        }
    }
    ServiceEntryPoints entries;
    entries.setService = Export<VistrelSetServiceFn>(m_handle, "SetService");
    entries.getType = Export<VistrelGetTypeFn>(m_handle, "GetType");
    entries.init = Export<VistrelInitFn>(m_handle, "Init");
    entries.free = Export<VistrelFreeFn>(m_handle, "Free");
    entries.createWindowL = Export<VistrelCreateWindowFn>(m_handle, "CreateWindowL");
    entries.createWindowM = Export<VistrelCreateWindowFn>(m_handle, "CreateWindowM");
    entries.createWindowR = Export<VistrelCreateWindowFn>(m_handle, "CreateWindowR");
    entries.exec = Export<VistrelExecFn>(m_handle, "Exec");
    entries.close = Export<VistrelCloseFn>(m_handle, "Close");
    if (!entries.getType || !entries.init || !entries.free || !entries.exec) {
        m_loadError = m_modulePath + " lacks GetType, Init, Free or Exec";
        return false;
    }
    m_entries = entries;
    m_loaded = true;
    m_loadError.clear();
    if (m_entries.setService)
        m_entries.setService(hostLookup, nullptr);
    return true;
}
