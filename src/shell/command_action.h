#pragma once

#include <functional>
#include <string>

class QAction;
class QObject;

// A menu entry that the program adds at run time (package menus, history, bookmarks): choosing
// it hands its command number to `sink`. The number is also kept as the action's data, by
// which the program finds its own entries again. Main thread only.
QAction* MakeCommandAction(const std::string& text, int command, std::function<void(int command)> sink,
                           QObject* parent);
