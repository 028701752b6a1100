#include "shell/shutdown_sequence.h"

void ShutdownSequence::Register(ShutdownStep step, std::function<void()> action)
{
    m_steps[static_cast<size_t>(step)] = std::move(action);
}

void ShutdownSequence::Run()
{
    for (auto& step : m_steps) {
        auto action = std::move(step);
        step = nullptr;
        if (action)
            action();
    }
}

ShutdownSequence& ProgramShutdown()
{
    static ShutdownSequence sequence;
    return sequence;
}
