#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Every user action that is not handled inside one view reaches the main window as a command
// number; named service commands ("SlideShow", "AutoCaptureDS") run through the service table.
// Main thread only; other threads use Post, which queues the call.
class CommandDispatcher {
public:
    using Handler = std::function<void()>;
    using ServiceRunner = std::function<bool(std::string_view)>;
    using RangeHandler = std::function<void(int command)>;

    void Register(int command, Handler handler);
    // One handler for every number from first to last; single registrations take precedence.
    void RegisterRange(int first, int last, RangeHandler handler);

    // Runs the command's handler; false when no handler is registered for it.
    bool Dispatch(int command);
    bool HasHandler(int command) const;

    // Queues the command for the main thread's event loop; safe from any thread.
    void Post(int command);

    // Runs a service command by its name; false when there is no such service.
    void SetServiceRunner(ServiceRunner runner) { m_serviceRunner = std::move(runner); }
    bool RunService(std::string_view name);

private:
    struct Range {
        int first;
        int last;
        RangeHandler handler;
    };
    const Range* FindRange(int command) const;

    std::map<int, Handler> m_handlers;
    std::vector<Range> m_ranges;
    ServiceRunner m_serviceRunner;
};

// Command numbers that the shell itself handles.
inline constexpr int kCommandPeriodMode = 40302;
inline constexpr int kCommandProcessForwardedText = 49999;
