#include "shell/command_action.h"

#include <QAction>

QAction* MakeCommandAction(const std::string& text, int command, std::function<void(int command)> sink,
                           QObject* parent)
{
    auto* action = new QAction(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), parent);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, action, [sink = std::move(sink), command] {
        if (sink)
            sink(command);
    });
    return action;
}
