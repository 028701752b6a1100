#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "shell/menu_definition.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Where the language module keeps its menus and accelerators once registered.
inline constexpr const char* kMenuDefinitionPath = ":/zorres/menus.txt";

// The names of the menu resources and of the accelerator table.
inline constexpr std::string_view kMainMenuName = "ZORX_MENU";
inline constexpr std::string_view kAcceleratorTableName = "ZORX_ACCEL";

// Turns the language module's menu definition into Qt menus and shortcuts. Every chosen entry
// and every pressed accelerator calls the command handler with its command number.
//
// Each command has one action for the menu bar and the accelerators together: a key whose
// command has a menu bar entry becomes that entry's shortcut, so that no key is bound twice.
// Context menus get their own actions, which show the key without binding it.
//
// The enabled and checked states are kept per command and belong to the program alone:
// choosing a checked entry does not uncheck it. Main thread only.
class MenuResources : public QObject {
public:
    using CommandHandler = std::function<void(int command)>;

    MenuResources(MenuDefinition definition, CommandHandler handler, QObject* parent = nullptr);

    // The definition in the registered language module; empty (so that nothing is built) when
    // the module or its file is missing. Lines that break the format are reported as warnings.
    static MenuDefinition LoadDefinition(const QString& path = kMenuDefinitionPath);

    const MenuDefinition& Definition() const { return m_definition; }

    // Adds the menus of "ZORX_MENU" to `bar`; false (and `bar` unchanged) when there are none.
    bool BuildMenuBar(QMenuBar* bar);

    // A new context menu built from the resource `name` ("ZORX_CONTEXT_MENU_0"), owned by
    // `parent`; null when the definition has no such menu.
    QMenu* BuildContextMenu(std::string_view name, QWidget* parent);

    // Binds the keys of "ZORX_ACCEL" as shortcuts of `window` (active while it is the active
    // window). Works before or after BuildMenuBar.
    void InstallAccelerators(QWidget* window);

    // The sub-menu named `name` in the menu file ("program", "history") as built by
    // BuildMenuBar; null before that or when there is none.
    QMenu* NamedMenu(std::string_view name) const;

    void SetEnabled(int command, bool enabled);
    bool IsEnabled(int command) const;
    // Shows a check mark at every entry of the command (making it checkable).
    void SetChecked(int command, bool checked);
    bool IsChecked(int command) const;
    // Draws the menu bar entries of these commands as one set of radio items (one of them is
    // checked through SetChecked).
    void SetRadioGroup(std::initializer_list<int> commands);

    // The menu bar and accelerator action of the command, or null when it has none.
    QAction* CommandAction(int command) const;
    // Every live action of the command: the menu bar and accelerator action and the entries of
    // context menus that still exist.
    std::vector<QAction*> ActionsFor(int command) const;

private:
    struct CommandState {
        bool enabled = true;
        bool checkable = false;
        bool checked = false;
    };

    QAction* SharedAction(int command);
    QAction* NewAction(int command, QObject* owner);
    void ApplyState(QAction* action, const CommandState& state) const;
    void AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries, bool shared);
    // The action of an item: the command's shared action, or a new one owned by `contextMenu`.
    QAction* ItemAction(const MenuEntry& item, QMenu* contextMenu);
    CommandState& StateOf(int command) { return m_states[command]; }

    MenuDefinition m_definition;
    CommandHandler m_handler;
    std::map<int, CommandState> m_states;
    std::map<int, QAction*> m_sharedActions; // owned by this object
    std::multimap<int, QPointer<QAction>> m_contextActions;
    std::map<std::string, QPointer<QMenu>, std::less<>> m_namedMenus;
    std::map<int, std::vector<std::string>> m_keysByCommand;
};

// The menu of the menu bar at `index`, counted from 0; null when there is none.
QMenu* MenuAt(QMenuBar* bar, int index);

// The sub-menu at `position` of `menu`, counted from 0 with separators counting; null when that
// entry is not a sub-menu.
QMenu* SubMenuAt(QMenu* menu, int position);
