#include <map>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "app/language_module_support.h"
#include "shell/menu_resources.h"

namespace {

class MenuResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterBuiltLanguageModule()) << BuiltLanguageModulePath().toStdString(); }

    MenuResources::CommandHandler Recorder()
    {
        return [this](int command) { m_commands.push_back(command); };
    }

    std::vector<int> m_commands;
};

size_t EntryCount(const MenuResource& menu, size_t index)
{
    return menu.entries.at(index).entries.size();
}

// Every action reachable from the window (its own and those of its menus), with the key each
// one binds.
void CollectShortcuts(const QList<QAction*>& actions, std::multimap<QKeySequence, QAction*>& bound)
{
    for (QAction* action : actions) {
        for (const QKeySequence& key : action->shortcuts())
            bound.emplace(key, action);
        if (QMenu* menu = action->menu())
            CollectShortcuts(menu->actions(), bound);
    }
}

} // namespace

TEST_F(MenuResourcesTest, BuildsTheMenuBarWithTheMenusAtTheirFixedPositions)
{
    MenuResources resources(MenuResources::LoadDefinition(), Recorder());
    const MenuResource* definition = resources.Definition().FindMenu("ZORX_MENU");
    ASSERT_NE(definition, nullptr);
    QMenuBar bar;
    ASSERT_TRUE(resources.BuildMenuBar(&bar));
    ASSERT_EQ(bar.actions().size(), 8);
    for (int index = 0; index < 8; ++index) {
        ASSERT_NE(MenuAt(&bar, index), nullptr) << index;
        EXPECT_EQ(static_cast<size_t>(MenuAt(&bar, index)->actions().size()), EntryCount(*definition, index)) << index;
    }
    EXPECT_EQ(MenuAt(&bar, 8), nullptr);
    EXPECT_EQ(MenuAt(&bar, -1), nullptr);
    EXPECT_EQ(MenuAt(&bar, 0)->title(), "&File");
    EXPECT_EQ(MenuAt(&bar, 7)->title(), "&Help");

    QMenu* program = SubMenuAt(MenuAt(&bar, 0), 2);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program, resources.NamedMenu("program"));
    EXPECT_TRUE(program->actions().isEmpty());
    QMenu* history = SubMenuAt(MenuAt(&bar, 3), 15);
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history, resources.NamedMenu("history"));
    EXPECT_EQ(resources.NamedMenu("nothing"), nullptr);
    // An entry that is a command is no sub-menu.
    EXPECT_EQ(SubMenuAt(MenuAt(&bar, 0), 0), nullptr);
    EXPECT_EQ(SubMenuAt(MenuAt(&bar, 0), 999), nullptr);

    EXPECT_TRUE(MenuAt(&bar, 4)->actions().contains(resources.CommandAction(40040)));
    EXPECT_TRUE(MenuAt(&bar, 4)->actions().contains(resources.CommandAction(40041)));
    EXPECT_TRUE(MenuAt(&bar, 7)->actions().contains(resources.CommandAction(40035)));
}

TEST_F(MenuResourcesTest, ChoosingAnEntryCallsTheHandlerWithItsCommand)
{
    MenuResources resources(MenuResources::LoadDefinition(), Recorder());
    QMenuBar bar;
    ASSERT_TRUE(resources.BuildMenuBar(&bar));
    QAction* copy = resources.CommandAction(40013);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(MenuAt(&bar, 1)->actions().contains(copy));
    EXPECT_EQ(copy->text(), "&Copy");
    copy->trigger();
    QAction* large = resources.CommandAction(40306);
    ASSERT_NE(large, nullptr);
    large->trigger();
    EXPECT_EQ(m_commands, (std::vector<int>{40013, 40306}));
}

TEST_F(MenuResourcesTest, CtrlCInTheWindowSendsCopyThroughItsMenuEntryAndNoKeyIsBoundTwice)
{
    MenuResources resources(MenuResources::LoadDefinition(), Recorder());
    QMainWindow window;
    auto* bar = new QMenuBar;
    ASSERT_TRUE(resources.BuildMenuBar(bar));
    window.setMenuBar(bar);
    resources.InstallAccelerators(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QAction* copy = resources.CommandAction(40013);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(copy->shortcutContext(), Qt::WindowShortcut);

    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_F2);
    QTest::keyClick(&window, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(m_commands, (std::vector<int>{40013, 40008, 40010}));

    std::multimap<QKeySequence, QAction*> bound;
    CollectShortcuts(window.actions(), bound);
    CollectShortcuts(bar->actions(), bound);
    std::map<QKeySequence, QAction*> distinct;
    for (const auto& [key, action] : bound) {
        const auto [found, added] = distinct.emplace(key, action);
        EXPECT_TRUE(added || found->second == action) << key.toString().toStdString() << " bound to two actions";
    }
    EXPECT_GE(distinct.size(), resources.Definition().FindAccelerators("ZORX_ACCEL")->keys.size());
}

TEST_F(MenuResourcesTest, ContextMenusShowTheKeyWithoutBindingIt)
{
    MenuResources resources(MenuResources::LoadDefinition(), Recorder());
    QWidget parent;
    QMenu* menu = resources.BuildContextMenu("ZORX_CONTEXT_MENU_0", &parent);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->parent(), &parent);
    const MenuResource* definition = resources.Definition().FindMenu("ZORX_CONTEXT_MENU_0");
    EXPECT_EQ(static_cast<size_t>(menu->actions().size()), definition->entries.size());

    QAction* copy = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith("&Copy"))
            copy = action;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), "&Copy\t" + QKeySequence(Qt::CTRL | Qt::Key_C).toString(QKeySequence::NativeText));
    EXPECT_TRUE(copy->shortcut().isEmpty());
    EXPECT_NE(copy, resources.CommandAction(40013));
    copy->trigger();
    EXPECT_EQ(m_commands, (std::vector<int>{40013}));

    for (const char* name : {"ZORX_CONTEXT_MENU_1", "ZORX_CONTEXT_MENU_F", "ZORX_CONTEXT_MENU_PM"})
        EXPECT_NE(resources.BuildContextMenu(name, &parent), nullptr) << name;
    EXPECT_EQ(resources.BuildContextMenu("ZORX_CONTEXT_MENU_9", &parent), nullptr);
}

TEST_F(MenuResourcesTest, EnabledAndCheckedStatesFollowTheCommandEverywhere)
{
    MenuResources resources(MenuResources::LoadDefinition(), Recorder());
    QMenuBar bar;
    ASSERT_TRUE(resources.BuildMenuBar(&bar));
    QWidget parent;
    QMenu* before = resources.BuildContextMenu("ZORX_CONTEXT_MENU_0", &parent);

    resources.SetEnabled(40007, false);
    QMenu* after = resources.BuildContextMenu("ZORX_CONTEXT_MENU_0", &parent);
    const std::vector<QAction*> deletes = resources.ActionsFor(40007);
    ASSERT_EQ(deletes.size(), 3u); // menu bar, and each context menu
    for (QAction* action : deletes)
        EXPECT_FALSE(action->isEnabled());
    EXPECT_FALSE(resources.IsEnabled(40007));
    resources.SetEnabled(40007, true);
    for (QAction* action : resources.ActionsFor(40007))
        EXPECT_TRUE(action->isEnabled());

    // Choosing a checked entry keeps its mark: the program sets it after the command.
    resources.SetChecked(40308, true);
    QAction* small = resources.CommandAction(40308);
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(small->isCheckable());
    EXPECT_TRUE(small->isChecked());
    small->trigger();
    EXPECT_TRUE(small->isChecked());
    EXPECT_TRUE(resources.IsChecked(40308));
    EXPECT_EQ(m_commands, (std::vector<int>{40308}));
    resources.SetChecked(40308, false);
    EXPECT_FALSE(small->isChecked());

    // Actions of a context menu that is gone are forgotten.
    delete before;
    delete after;
    EXPECT_EQ(resources.ActionsFor(40007).size(), 1u);
}

TEST_F(MenuResourcesTest, WithoutTheModuleNothingIsBuiltAndNothingFails)
{
    const MenuDefinition definition = MenuResources::LoadDefinition(":/nowhere/menus.txt");
    EXPECT_TRUE(definition.menus.empty());
    EXPECT_TRUE(definition.IsComplete());
    MenuResources resources(definition, Recorder());
    QMainWindow window;
    auto* bar = new QMenuBar;
    window.setMenuBar(bar);
    EXPECT_FALSE(resources.BuildMenuBar(bar));
    EXPECT_TRUE(bar->actions().isEmpty());
    resources.InstallAccelerators(&window);
    EXPECT_TRUE(window.actions().isEmpty());
    EXPECT_EQ(resources.BuildContextMenu("ZORX_CONTEXT_MENU_0", &window), nullptr);
    EXPECT_EQ(MenuAt(bar, 0), nullptr);
    EXPECT_EQ(resources.NamedMenu("program"), nullptr);
}

TEST_F(MenuResourcesTest, AcceleratorsShareTheMenuEntryWhicheverIsBuiltFirst)
{
    MenuResources resources(ParseMenuDefinition("menu ZORX_MENU\n"
                                                "  popup \"&Go\"\n"
                                                "    item 8 \"&Eight\"\n"
                                                "    item 5 \"&Five\" disabled\n"
                                                "  end\n"
                                                "end\n"
                                                "accelerators ZORX_ACCEL\n"
                                                "  key \"F8\" 8\n"
                                                "  key \"F9\" 9\n"
                                                "  key \"F9\" 10\n"
                                                "  key \"NoSuchKey+Q\" 11\n"
                                                "end\n"),
                            Recorder());
    QWidget window;
    resources.InstallAccelerators(&window);
    QMenuBar bar;
    ASSERT_TRUE(resources.BuildMenuBar(&bar));

    QAction* eight = resources.CommandAction(8);
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->text(), "&Eight");
    EXPECT_EQ(eight->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_TRUE(window.actions().contains(eight));
    EXPECT_TRUE(MenuAt(&bar, 0)->actions().contains(eight));

    // A key without a menu entry gets an action of its own on the window; a key bound twice
    // keeps its first command, and a key Qt does not know binds nothing.
    QAction* nine = resources.CommandAction(9);
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(nine->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_TRUE(window.actions().contains(nine));
    EXPECT_EQ(resources.CommandAction(10), nullptr);
    EXPECT_EQ(resources.CommandAction(11), nullptr);
    EXPECT_EQ(window.actions().size(), 2);

    // "disabled" in the file greys the entry until the program enables it.
    ASSERT_NE(resources.CommandAction(5), nullptr);
    EXPECT_FALSE(resources.CommandAction(5)->isEnabled());
    resources.SetEnabled(5, true);
    EXPECT_TRUE(resources.CommandAction(5)->isEnabled());
}
