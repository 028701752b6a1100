#pragma once

#include <array>
#include <functional>

// The order in which the program takes its parts down after the event loop ends. Each part
// registers its own step when it starts; the steps then run in this fixed order, whichever
// registered first.
enum class ShutdownStep {
    FreeStartupService,      // the start-up customisation service
    FreeStartupToolServices, // the "open as run" and tool services
    PauseBackgroundLoader,   // the thumbnail worker stops taking jobs
    CloseFolderWatch,
    ReleasePlayback,
    UnloadOutsideModules, // face detection and date index
    StopBackgroundLoader, // its thread ends (or is given up on after 1000 ms)
    Count
};

class ShutdownSequence {
public:
    void Register(ShutdownStep step, std::function<void()> action);
    // Runs the registered steps in order, each once.
    void Run();

private:
    std::array<std::function<void()>, static_cast<size_t>(ShutdownStep::Count)> m_steps;
};

ShutdownSequence& ProgramShutdown();
