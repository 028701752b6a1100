#include "shell/command_dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>

void CommandDispatcher::Register(int command, Handler handler)
{
    m_handlers.insert_or_assign(command, std::move(handler));
}

bool CommandDispatcher::Dispatch(int command)
{
    const auto found = m_handlers.find(command);
    if (found == m_handlers.end())
        return false;
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
