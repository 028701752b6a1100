#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "fixtures/sandbox.h"

// The recording test modules, copied into a sandbox's System folder under a table row's file
// name: every copy is a module of its own, with fresh state.
inline std::string InstallTestModule(const Sandbox& sandbox, const std::string& variant, const std::string& asFile)
{
    const std::string folder = sandbox.MakeFolder("System");
    const std::string target = folder + "/" + asFile;
    std::filesystem::copy_file(std::string(VISTREL_TEST_MODULE_DIR) + "/" + variant + "_service.so", target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

// An export of a loaded test module (the module is already open, so this only finds it).
template <typename Function>
Function TestModuleExport(const std::string& path, const char* name)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    auto function = reinterpret_cast<Function>(dlsym(handle, name));
    dlclose(handle);
    return function;
}

inline std::string TestModuleLog(const std::string& path)
{
    auto log = TestModuleExport<const char* (*)()>(path, "RecordingLog");
    return log ? log() : "(not loaded)";
}

inline void SetUpTestModule(const std::string& path, int type, int closeAnswer, bool makeWindows = true)
{
    if (auto setUp = TestModuleExport<void (*)(int, int, int)>(path, "RecordingSetUp"))
        setUp(type, closeAnswer, makeWindows ? 1 : 0);
}
