// A service module for the tests: it records every call the program makes into it, and its
// type, Close answer and windows are set by the test through its extra exports.
#include <string>

#include <QWidget>

#include <vistrel/service.h>

namespace {
std::string g_log;
int g_type = 0;
int g_closeAnswer = 1;
bool g_makeWindows = true;
VistrelGetProcAddressFn g_lookup = nullptr;
void (*g_execHook)() = nullptr;

void Record(const char* call)
{
    if (!g_log.empty())
        g_log += ' ';
    g_log += call;
}

void* MakeWindow(void* parent, const char* name)
{
    if (!g_makeWindows)
        return nullptr;
    auto* window = new QWidget(static_cast<QWidget*>(parent));
    window->setObjectName(name);
    return window;
}
} // namespace

extern "C" {

VISTREL_SERVICE_EXPORT const char* RecordingLog() { return g_log.c_str(); }
VISTREL_SERVICE_EXPORT void RecordingSetUp(int type, int closeAnswer, int makeWindows)
{
    g_log.clear();
    g_type = type;
    g_closeAnswer = closeAnswer;
    g_makeWindows = makeWindows != 0;
}
VISTREL_SERVICE_EXPORT VistrelGetProcAddressFn RecordingLookup() { return g_lookup; }
// Called from inside Exec, as a module's dialog calls back into the program.
VISTREL_SERVICE_EXPORT void RecordingSetExecHook(void (*hook)()) { g_execHook = hook; }

VISTREL_SERVICE_EXPORT void SetService(VistrelGetProcAddressFn getProcAddress, void* reserved)
{
    g_lookup = getProcAddress;
    Record(reserved ? "SetService(reserved)" : "SetService");
}
VISTREL_SERVICE_EXPORT int32_t GetType(void)
{
    Record("GetType");
    return g_type;
}
VISTREL_SERVICE_EXPORT int32_t Init(void)
{
    Record("Init");
    return 1;
}
VISTREL_SERVICE_EXPORT int32_t Free(void)
{
    Record("Free");
    return 1;
}
#ifndef RECORDING_WITHOUT_EXEC
VISTREL_SERVICE_EXPORT int32_t Exec(void* module, void* mainWindow)
{
    Record(module && mainWindow ? "Exec" : "Exec(null)");
    if (g_execHook)
        g_execHook();
    return 1;
}
#endif
VISTREL_SERVICE_EXPORT void* CreateWindowL(void*, void* parent)
{
    Record("CreateWindowL");
    return MakeWindow(parent, "RecordingLeft");
}
VISTREL_SERVICE_EXPORT void* CreateWindowM(void*, void* parent)
{
    Record("CreateWindowM");
    return MakeWindow(parent, "RecordingMain");
}
VISTREL_SERVICE_EXPORT void* CreateWindowR(void*, void* parent)
{
    Record("CreateWindowR");
    return MakeWindow(parent, "RecordingRight");
}
#ifndef RECORDING_WITHOUT_CLOSE
VISTREL_SERVICE_EXPORT int32_t Close(void)
{
    Record("Close");
    return g_closeAnswer;
}
#endif
}
