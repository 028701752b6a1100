#include "shell/menu_resources.h"

#include <set>

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <QtGlobal>

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Empty when Qt does not know one of the keys.
QKeySequence KeySequenceOf(const std::string& keys)
{
    const QKeySequence sequence = QKeySequence::fromString(FromUtf8(keys), QKeySequence::PortableText);
    for (int index = 0; index < sequence.count(); ++index)
        if (sequence[index].key() == Qt::Key_unknown)
            return {};
    return sequence;
}

} // namespace

MenuResources::MenuResources(MenuDefinition definition, CommandHandler handler, QObject* parent)
    : QObject(parent), m_definition(std::move(definition)), m_handler(std::move(handler))
{
    if (const AcceleratorTable* table = m_definition.FindAccelerators(kAcceleratorTableName))
        for (const Accelerator& key : table->keys)
            m_keysByCommand[key.command].push_back(key.keys);
}

MenuDefinition MenuResources::LoadDefinition(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    MenuDefinition definition = ParseMenuDefinition(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    for (const MenuDefinitionError& error : definition.errors)
        qWarning("%s, line %d: %s", qPrintable(path), error.line, error.message.c_str());
    return definition;
}

bool MenuResources::BuildMenuBar(QMenuBar* bar)
{
    const MenuResource* menuBar = m_definition.FindMenu(kMainMenuName);
    if (menuBar == nullptr || menuBar->entries.empty())
        return false;
    for (const MenuEntry& entry : menuBar->entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::Popup: {
            QMenu* menu = bar->addMenu(FromUtf8(entry.text));
            if (!entry.name.empty())
                m_namedMenus[entry.name] = menu;
            AddEntries(menu, entry.entries, true);
            break;
        }
        case MenuEntry::Kind::Item:
            bar->addAction(ItemAction(entry, nullptr));
            break;
        case MenuEntry::Kind::Separator:
            bar->addSeparator();
            break;
        }
    }
    return true;
}

QMenu* MenuResources::BuildContextMenu(std::string_view name, QWidget* parent)
{
    const MenuResource* resource = m_definition.FindMenu(name);
    if (resource == nullptr)
        return nullptr;
    std::erase_if(m_contextActions, [](const auto& entry) { return entry.second.isNull(); });
    auto* menu = new QMenu(parent);
    AddEntries(menu, resource->entries, false);
    return menu;
}

void MenuResources::AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries, bool shared)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::Item:
            menu->addAction(ItemAction(entry, shared ? nullptr : menu));
            break;
        case MenuEntry::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::Popup: {
            QMenu* sub = menu->addMenu(FromUtf8(entry.text));
            if (shared && !entry.name.empty())
                m_namedMenus[entry.name] = sub;
            AddEntries(sub, entry.entries, shared);
            break;
        }
        }
    }
}

QAction* MenuResources::ItemAction(const MenuEntry& item, QMenu* contextMenu)
{
    if (item.disabled && !m_states.contains(item.command))
        SetEnabled(item.command, false);
    if (contextMenu == nullptr) {
        QAction* action = SharedAction(item.command);
        if (action->text().isEmpty())
            action->setText(FromUtf8(item.text));
        return action;
    }
    // A context menu shows the command's key after a tab, as a hint, without binding it again.
    QString text = FromUtf8(item.text);
    const auto keys = m_keysByCommand.find(item.command);
    if (keys != m_keysByCommand.end())
        text += "\t" + KeySequenceOf(keys->second.front()).toString(QKeySequence::NativeText);
    QAction* action = NewAction(item.command, contextMenu);
    action->setText(text);
    m_contextActions.emplace(item.command, action);
    return action;
}

void MenuResources::InstallAccelerators(QWidget* window)
{
    const AcceleratorTable* table = m_definition.FindAccelerators(kAcceleratorTableName);
    if (table == nullptr)
        return;
    std::set<QKeySequence> bound;
    std::map<int, QList<QKeySequence>> sequences;
    for (const Accelerator& key : table->keys) {
        const QKeySequence sequence = KeySequenceOf(key.keys);
        if (sequence.isEmpty()) {
            qWarning("accelerator \"%s\" is not a key Qt knows", key.keys.c_str());
            continue;
        }
        // A key bound twice would be ambiguous and do nothing: the first one wins.
        if (!bound.insert(sequence).second) {
            qWarning("accelerator \"%s\" is bound twice", key.keys.c_str());
            continue;
        }
        sequences[key.command].append(sequence);
    }
    for (const auto& [command, keys] : sequences) {
        QAction* action = SharedAction(command);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
}

QAction* MenuResources::SharedAction(int command)
{
    const auto found = m_sharedActions.find(command);
    if (found != m_sharedActions.end())
        return found->second;
    QAction* action = NewAction(command, this);
    m_sharedActions.emplace(command, action);
    return action;
}

QAction* MenuResources::NewAction(int command, QObject* owner)
{
    auto* action = new QAction(owner);
    const auto state = m_states.find(command);
    if (state != m_states.end())
        ApplyState(action, state->second);
    connect(action, &QAction::triggered, this, [this, action, command] {
        // A checkable action flips its own mark when chosen; the program decides the mark.
        const auto current = m_states.find(command);
        if (current != m_states.end())
            ApplyState(action, current->second);
        if (m_handler)
            m_handler(command);
    });
    return action;
}

void MenuResources::ApplyState(QAction* action, const CommandState& state) const
{
    action->setEnabled(state.enabled);
    action->setCheckable(state.checkable);
    action->setChecked(state.checked);
}

QMenu* MenuResources::NamedMenu(std::string_view name) const
{
    const auto found = m_namedMenus.find(name);
    return found == m_namedMenus.end() ? nullptr : found->second.data();
}

void MenuResources::SetEnabled(int command, bool enabled)
{
    CommandState& state = StateOf(command);
    state.enabled = enabled;
    for (QAction* action : ActionsFor(command))
        ApplyState(action, state);
}

bool MenuResources::IsEnabled(int command) const
{
    const auto found = m_states.find(command);
    return found == m_states.end() || found->second.enabled;
}

void MenuResources::SetChecked(int command, bool checked)
{
    CommandState& state = StateOf(command);
    state.checkable = true;
    state.checked = checked;
    for (QAction* action : ActionsFor(command))
        ApplyState(action, state);
}

void MenuResources::SetRadioGroup(std::initializer_list<int> commands)
{
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const int command : commands) {
        StateOf(command).checkable = true;
        QAction* action = SharedAction(command);
        action->setCheckable(true);
        group->addAction(action);
    }
}

bool MenuResources::IsChecked(int command) const
{
    const auto found = m_states.find(command);
    return found != m_states.end() && found->second.checked;
}

QAction* MenuResources::CommandAction(int command) const
{
    const auto found = m_sharedActions.find(command);
    return found == m_sharedActions.end() ? nullptr : found->second;
}

std::vector<QAction*> MenuResources::ActionsFor(int command) const
{
    std::vector<QAction*> actions;
    if (QAction* shared = CommandAction(command))
        actions.push_back(shared);
    const auto [first, last] = m_contextActions.equal_range(command);
    for (auto it = first; it != last; ++it)
        if (!it->second.isNull())
            actions.push_back(it->second.data());
    return actions;
}

QMenu* MenuAt(QMenuBar* bar, int index)
{
    if (bar == nullptr)
        return nullptr;
    const QList<QAction*> actions = bar->actions();
    if (index < 0 || index >= actions.size())
        return nullptr;
    return actions[index]->menu();
}

QMenu* SubMenuAt(QMenu* menu, int position)
{
    if (menu == nullptr)
        return nullptr;
    const QList<QAction*> actions = menu->actions();
    if (position < 0 || position >= actions.size())
        return nullptr;
    return actions[position]->menu();
}
