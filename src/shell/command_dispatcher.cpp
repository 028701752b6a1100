#include "shell/command_dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>

void CommandDispatcher::Register(int command, Handler handler)
{
    m_handlers.insert_or_assign(command, std::move(handler));
}

void CommandDispatcher::RegisterRange(int first, int last, RangeHandler handler)
{
    m_ranges.push_back({first, last, std::move(handler)});
}

const CommandDispatcher::Range* CommandDispatcher::FindRange(int command) const
{
    for (const Range& range : m_ranges)
        if (command >= range.first && command <= range.last)
            return &range;
    return nullptr;
}

bool CommandDispatcher::HasHandler(int command) const
{
    return m_handlers.contains(command) || FindRange(command) != nullptr;
}

bool CommandDispatcher::Dispatch(int command)
{
    const auto found = m_handlers.find(command);
    if (found == m_handlers.end()) {
        const Range* range = FindRange(command);
        if (!range)
            return false;
        const RangeHandler handler = range->handler;
        handler(command);
        return true;
    }
    // A copy: the handler may register or replace handlers while it runs.
    const Handler handler = found->second;
    handler();
    return true;
}

void CommandDispatcher::Post(int command)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this, command] { Dispatch(command); }, Qt::QueuedConnection);
}

bool CommandDispatcher::RunService(std::string_view name)
{
    return m_serviceRunner ? m_serviceRunner(name) : false;
}
