#pragma once

#include <string>

#include <vistrel/service.h>

// The exports of a loaded module; the optional ones may be null.
struct ServiceEntryPoints {
    VistrelSetServiceFn setService = nullptr;
    VistrelGetTypeFn getType = nullptr;
    VistrelInitFn init = nullptr;
    VistrelFreeFn free = nullptr;
    VistrelCreateWindowFn createWindowL = nullptr;
    VistrelCreateWindowFn createWindowM = nullptr;
    VistrelCreateWindowFn createWindowR = nullptr;
    VistrelExecFn exec = nullptr;
    VistrelCloseFn close = nullptr;
};

// One row of the service table at run time: the module file and, once loaded, its handle and
// exports. A module stays loaded until the process ends: its windows and static objects may
// outlive any owner we could unload it from. Main thread only.
class ServiceSlot {
public:
    // An absolute path, so that the library search never picks a module from elsewhere.
    void SetModulePath(std::string path) { m_modulePath = std::move(path); }
    const std::string& ModulePath() const { return m_modulePath; }

    // Loads the module and looks its exports up; true once it has every required export.
    // SetService is called once, right after the first successful load. A module that cannot
    // be opened is tried again at the next call.
    bool Load(VistrelGetProcAddressFn hostLookup);
    bool Loaded() const { return m_loaded; }
    void* Handle() const { return m_handle; }
    const ServiceEntryPoints& Entries() const { return m_entries; }
    // Why the last load failed (dlerror or the missing export), for the log.
    const std::string& LoadError() const { return m_loadError; }

private:
    std::string m_modulePath;
    void* m_handle = nullptr;
    ServiceEntryPoints m_entries;
    bool m_loaded = false;
    std::string m_loadError;
};
