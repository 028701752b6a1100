#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "shell/menu_definition.h"

namespace {

using Kind = MenuEntry::Kind;

MenuDefinition RealDefinition()
{
    return ParseMenuDefinition(ReadTextFile(std::string(VISTREL_SOURCE_DIR) + "/resources/zorres/menus.txt"));
}

void CollectCommands(const std::vector<MenuEntry>& entries, std::multiset<int>& commands)
{
    for (const MenuEntry& entry : entries) {
        if (entry.kind == Kind::Item)
            commands.insert(entry.command);
        CollectCommands(entry.entries, commands);
    }
}

std::multiset<int> CommandsOf(const MenuResource& menu)
{
    std::multiset<int> commands;
    CollectCommands(menu.entries, commands);
    return commands;
}

// Every menu and sub-menu, with where it is, for messages.
void CollectMenus(const std::string& where, const std::vector<MenuEntry>& entries,
                  std::vector<std::pair<std::string, const std::vector<MenuEntry>*>>& menus)
{
    menus.emplace_back(where, &entries);
    for (const MenuEntry& entry : entries)
        if (entry.kind == Kind::Popup)
            CollectMenus(where + " > " + entry.text, entry.entries, menus);
}

// The command numbers a user can choose: the main commands of the dispatch table, without
// 40047 (sent by a service that ends itself, not by the user).
const std::set<int> kUserCommands = {
    40001, 40002, 40003, 40004, 40005, 40007, 40008, 40009, 40010, 40011, 40012, 40013, 40014, 40015,
    40016, 40017, 40027, 40028, 40033, 40035, 40040, 40041, 40050, 40051, 40063, 40064, 40065, 40066,
    40067, 40068, 40069, 40070, 40073, 40074, 40075, 40077, 40078, 40079, 40080, 40082, 40083, 40084,
    40085, 40086, 40087, 40088, 40089, 40301, 40302, 40303, 40304, 40305, 40306, 40307, 40308, 40309,
    40310, 40311, 40312, 40313, 40314, 40315, 40316,
};

} // namespace

TEST(MenuDefinition, ReadsNestedMenusItemsSeparatorsAndNames)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "# a comment\n"
        "menu ZORX_MENU\n"
        "  popup \"&File\"\n"
        "    item 40001 \"&Open\"\n"
        "    separator\n"
        "    popup \"Open &With\" program\n"
        "    end\n"
        "    item 40070 \"Copy Pict&ure\" disabled\n"
        "  end\n"
        "\n"
        "  popup \"&Help\"\n"
        "    popup \"Deeper\"\n"
        "      item 40035 \"&About\"\n"
        "    end\n"
        "  end\n"
        "end\n");
    ASSERT_TRUE(definition.IsComplete()) << definition.errors.front().message;
    ASSERT_EQ(definition.menus.size(), 1u);
    const MenuResource& bar = definition.menus.front();
    EXPECT_EQ(bar.name, "ZORX_MENU");
    ASSERT_EQ(bar.entries.size(), 2u);

    const MenuEntry& file = bar.entries[0];
    EXPECT_EQ(file.kind, Kind::Popup);
    EXPECT_EQ(file.text, "&File");
    ASSERT_EQ(file.entries.size(), 4u);
    EXPECT_EQ(file.entries[0].kind, Kind::Item);
    EXPECT_EQ(file.entries[0].command, 40001);
    EXPECT_EQ(file.entries[0].text, "&Open");
    EXPECT_FALSE(file.entries[0].disabled);
    EXPECT_EQ(file.entries[1].kind, Kind::Separator);
    EXPECT_EQ(file.entries[2].kind, Kind::Popup);
    EXPECT_EQ(file.entries[2].name, "program");
    EXPECT_TRUE(file.entries[2].entries.empty());
    EXPECT_EQ(file.entries[3].command, 40070);
    EXPECT_TRUE(file.entries[3].disabled);

    const MenuEntry& help = bar.entries[1];
    EXPECT_TRUE(help.name.empty());
    ASSERT_EQ(help.entries.size(), 1u);
    ASSERT_EQ(help.entries[0].entries.size(), 1u);
    EXPECT_EQ(help.entries[0].entries[0].command, 40035);

    EXPECT_EQ(FindNamedPopup(bar.entries, "program"), &file.entries[2]);
    EXPECT_EQ(FindNamedPopup(bar.entries, "history"), nullptr);
    EXPECT_EQ(definition.FindMenu("ZORX_MENU"), &bar);
    EXPECT_EQ(definition.FindMenu("ZORX_CONTEXT_MENU_0"), nullptr);
}

TEST(MenuDefinition, ReadsAcceleratorTablesAndSeveralResources)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "accelerators ZORX_ACCEL\n"
        "  key \"Ctrl+C\" 40013\n"
        "  key \"Alt+Return\" 40010\n"
        "end\n"
        "menu ZORX_CONTEXT_MENU_1\n"
        "  item 40014 \"&Paste\"\n"
        "end\n");
    ASSERT_TRUE(definition.IsComplete());
    const AcceleratorTable* table = definition.FindAccelerators("ZORX_ACCEL");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->keys.size(), 2u);
    EXPECT_EQ(table->keys[0].keys, "Ctrl+C");
    EXPECT_EQ(table->keys[0].command, 40013);
    EXPECT_EQ(table->keys[1].keys, "Alt+Return");
    EXPECT_EQ(table->keys[1].command, 40010);
    ASSERT_NE(definition.FindMenu("ZORX_CONTEXT_MENU_1"), nullptr);
    EXPECT_EQ(definition.FindMenu("ZORX_CONTEXT_MENU_1")->entries.size(), 1u);
    EXPECT_EQ(definition.FindAccelerators("ZORX_MENU"), nullptr);
}

TEST(MenuDefinition, QuotedTextsKeepSpacesEscapesAndMnemonics)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "menu M\r\n"
        "\titem 1 \"Say \\\"hi\\\" &&  more\"\r\n"
        "\titem 2 \"back\\\\slash and \\n stays\"\r\n"
        "\titem 65535 \"Caf\xC3\xA9 \xE2\x80\xA6\"\r\n"
        "end\r\n");
    ASSERT_TRUE(definition.IsComplete()) << definition.errors.front().message;
    const auto& entries = definition.menus.front().entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, "Say \"hi\" &&  more");
    EXPECT_EQ(entries[1].text, "back\\slash and \\n stays");
    EXPECT_EQ(entries[2].text, "Caf\xC3\xA9 \xE2\x80\xA6");
    EXPECT_EQ(entries[2].command, 65535);
}

TEST(MenuDefinition, MnemonicIsTheLetterAfterASingleAmpersand)
{
    EXPECT_EQ(MnemonicOf("&File"), 'F');
    EXPECT_EQ(MnemonicOf("Open &with"), 'W');
    EXPECT_EQ(MnemonicOf("Tom && &Jerry"), 'J');
    EXPECT_EQ(MnemonicOf("Tom && Jerry"), 0);
    EXPECT_EQ(MnemonicOf("No mnemonic"), 0);
    EXPECT_EQ(MnemonicOf("Trailing &"), 0);
}

TEST(MenuDefinition, ReportsAndSkipsLinesThatBreakTheFormat)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "item 1 \"outside\"\n"              // 1: outside a block
        "menu M\n"                          // 2
        "  item 0 \"zero\"\n"               // 3: number out of range
        "  item 65536 \"too big\"\n"        // 4
        "  item x12 \"not a number\"\n"     // 5
        "  item 12 bare\n"                  // 6: text not quoted
        "  item 13 \"ok\" enabled\n"        // 7: unknown flag
        "  item 14 \"unterminated\n"        // 8
        "  key \"Ctrl+C\" 40013\n"          // 9: key inside a menu
        "  separator now\n"                 // 10
        "  popup unquoted\n"                // 11
        "  popup \"Sub\" bad-name\n"        // 12
        "  menu Inner\n"                    // 13: nested block
        "  frobnicate\n"                    // 14
        "  \"quoted first\"\n"              // 15
        "  item 15 \"kept\"\n"              // 16
        "end\n"                             // 17
        "end\n"                             // 18: nothing to close
        "accelerators A\n"                  // 19
        "  key \"\" 40013\n"                // 20: empty keys
        "  key \"F5\"\n"                    // 21: no command
        "  item 1 \"x\"\n"                  // 22
        "  key \"F5\" 40028\n"              // 23
        "end extra\n"                       // 24
        "end\n");                           // 25
    const std::vector<int> expectedLines = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 20, 21, 22, 24};
    std::vector<int> lines;
    for (const MenuDefinitionError& error : definition.errors) {
        lines.push_back(error.line);
        EXPECT_FALSE(error.message.empty());
    }
    EXPECT_EQ(lines, expectedLines);
    EXPECT_FALSE(definition.IsComplete());

    ASSERT_NE(definition.FindMenu("M"), nullptr);
    const auto& entries = definition.FindMenu("M")->entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].command, 15);
    ASSERT_NE(definition.FindAccelerators("A"), nullptr);
    ASSERT_EQ(definition.FindAccelerators("A")->keys.size(), 1u);
    EXPECT_EQ(definition.FindAccelerators("A")->keys[0].command, 40028);
}

TEST(MenuDefinition, KeepsAnUnclosedBlockAndSaysItIsPartial)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "menu M\n"
        "  popup \"Sub\"\n"
        "    item 1 \"one\"\n");
    ASSERT_EQ(definition.errors.size(), 1u);
    EXPECT_EQ(definition.errors[0].line, 1);
    const MenuResource* menu = definition.FindMenu("M");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->entries.size(), 1u);
    EXPECT_EQ(menu->entries[0].entries.size(), 1u);
}

TEST(MenuDefinition, KeepsTheFirstOfTwoResourcesWithOneName)
{
    const MenuDefinition definition = ParseMenuDefinition(
        "menu M\n  item 1 \"first\"\nend\n"
        "menu M\n  item 2 \"second\"\nend\n"
        "accelerators K\nend\naccelerators K\nend\n");
    ASSERT_EQ(definition.errors.size(), 2u);
    EXPECT_EQ(definition.errors[0].line, 4);
    EXPECT_EQ(definition.errors[1].line, 9);
    ASSERT_EQ(definition.menus.size(), 1u);
    EXPECT_EQ(definition.menus[0].entries.at(0).command, 1);
    EXPECT_EQ(definition.acceleratorTables.size(), 1u);
}

TEST(MenuDefinition, DropsSubMenusNestedTooDeeplyButKeepsTheirNeighbours)
{
    std::string text = "menu M\n";
    const int depth = kMaxMenuDepth + 2;
    for (int level = 0; level < depth; ++level)
        text += "popup \"level " + std::to_string(level + 1) + "\"\n item " + std::to_string(level + 1) + " \"x\"\n";
    for (int level = 0; level < depth; ++level)
        text += "end\n";
    text += "item 99 \"after\"\nend\n";
    const MenuDefinition definition = ParseMenuDefinition(text);
    ASSERT_EQ(definition.errors.size(), 1u);
    const MenuResource* menu = definition.FindMenu("M");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->entries.size(), 2u);
    EXPECT_EQ(menu->entries[1].command, 99);
    // Each kept level holds its item and the next level.
    const std::vector<MenuEntry>* level = &menu->entries.front().entries;
    int levels = 1;
    while (!level->empty() && level->back().kind == Kind::Popup) {
        level = &level->back().entries;
        ++levels;
    }
    EXPECT_EQ(levels, kMaxMenuDepth);
}

TEST(MenuDefinition, EmptyTextDefinesNothing)
{
    const MenuDefinition definition = ParseMenuDefinition("");
    EXPECT_TRUE(definition.IsComplete());
    EXPECT_TRUE(definition.menus.empty());
    EXPECT_TRUE(definition.acceleratorTables.empty());
}

// The module's own file.

TEST(MenuDefinitionFile, ReadsWithoutErrorsAndHoldsEveryResource)
{
    const MenuDefinition definition = RealDefinition();
    for (const MenuDefinitionError& error : definition.errors)
        ADD_FAILURE() << "line " << error.line << ": " << error.message;
    for (const char* name : {"ZORX_MENU", "ZORX_CONTEXT_MENU_0", "ZORX_CONTEXT_MENU_1", "ZORX_CONTEXT_MENU_F",
                             "ZORX_CONTEXT_MENU_PM"}) {
        ASSERT_NE(definition.FindMenu(name), nullptr) << name;
        EXPECT_FALSE(definition.FindMenu(name)->entries.empty()) << name;
    }
    ASSERT_NE(definition.FindAccelerators("ZORX_ACCEL"), nullptr);
}

TEST(MenuDefinitionFile, KeepsTheMenuPositionsThatTheProgramUses)
{
    const MenuDefinition definition = RealDefinition();
    const MenuResource* bar = definition.FindMenu("ZORX_MENU");
    ASSERT_NE(bar, nullptr);
    ASSERT_GE(bar->entries.size(), 8u);
    for (const MenuEntry& menu : bar->entries)
        EXPECT_EQ(menu.kind, Kind::Popup) << menu.text;

    // The program menu: menu 0, entry 2, empty (filled by the program module).
    ASSERT_GT(bar->entries[0].entries.size(), 2u);
    const MenuEntry& program = bar->entries[0].entries[2];
    EXPECT_EQ(program.kind, Kind::Popup);
    EXPECT_EQ(program.name, "program");
    EXPECT_TRUE(program.entries.empty());

    // The history menu: menu 3, entry 15.
    ASSERT_GT(bar->entries[3].entries.size(), 15u);
    const MenuEntry& history = bar->entries[3].entries[15];
    EXPECT_EQ(history.kind, Kind::Popup);
    EXPECT_EQ(history.name, "history");
    EXPECT_TRUE(history.entries.empty());
    EXPECT_EQ(FindNamedPopup(bar->entries, "program"), &program);
    EXPECT_EQ(FindNamedPopup(bar->entries, "history"), &history);

    // Menu 4 is the bookmark menu, menu 5 the tool menu, menu 7 Help.
    const std::multiset<int> bookmarks = [&] {
        std::multiset<int> commands;
        CollectCommands(bar->entries[4].entries, commands);
        return commands;
    }();
    EXPECT_EQ(bookmarks, (std::multiset<int>{40040, 40041}));
    std::multiset<int> tools;
    CollectCommands(bar->entries[5].entries, tools);
    EXPECT_TRUE(tools.contains(40050));
    std::multiset<int> help;
    CollectCommands(bar->entries[7].entries, help);
    EXPECT_EQ(help, (std::multiset<int>{40033, 40035}));
}

TEST(MenuDefinitionFile, OffersEveryUserCommandOnceInTheMenuBarAndNoOther)
{
    const MenuDefinition definition = RealDefinition();
    const std::multiset<int> inBar = CommandsOf(*definition.FindMenu("ZORX_MENU"));
    for (int command : kUserCommands)
        EXPECT_EQ(inBar.count(command), 1u) << command;
    for (const MenuResource& menu : definition.menus)
        for (int command : CommandsOf(menu))
            EXPECT_TRUE(kUserCommands.contains(command)) << command << " in " << menu.name;
}

TEST(MenuDefinitionFile, ContextMenusOfferWhatFitsWhereTheyOpen)
{
    const MenuDefinition definition = RealDefinition();
    const std::multiset<int> files = CommandsOf(*definition.FindMenu("ZORX_CONTEXT_MENU_0"));
    for (int command : {40001, 40007, 40008, 40012, 40013, 40010})
        EXPECT_TRUE(files.contains(command)) << command;
    const std::multiset<int> background = CommandsOf(*definition.FindMenu("ZORX_CONTEXT_MENU_1"));
    for (int command : {40014, 40075, 40017, 40028})
        EXPECT_TRUE(background.contains(command)) << command;
    EXPECT_FALSE(background.contains(40007));
    const std::multiset<int> folder = CommandsOf(*definition.FindMenu("ZORX_CONTEXT_MENU_F"));
    for (int command : {40008, 40007, 40075, 40015, 40016})
        EXPECT_TRUE(folder.contains(command)) << command;
    // Period mode lists the date index, where new folders and pasting make no sense.
    const std::multiset<int> period = CommandsOf(*definition.FindMenu("ZORX_CONTEXT_MENU_PM"));
    EXPECT_TRUE(period.contains(40001));
    EXPECT_FALSE(period.contains(40014));
    EXPECT_FALSE(period.contains(40075));
}

TEST(MenuDefinitionFile, EveryMenuHasOneDistinctMnemonicPerEntry)
{
    const MenuDefinition definition = RealDefinition();
    for (const MenuResource& resource : definition.menus) {
        std::vector<std::pair<std::string, const std::vector<MenuEntry>*>> menus;
        CollectMenus(resource.name, resource.entries, menus);
        for (const auto& [where, entries] : menus) {
            std::map<char, std::string> taken;
            for (const MenuEntry& entry : *entries) {
                if (entry.kind == Kind::Separator)
                    continue;
                const char mnemonic = MnemonicOf(entry.text);
                EXPECT_NE(mnemonic, 0) << where << ": " << entry.text;
                const auto [previous, added] = taken.emplace(mnemonic, entry.text);
                EXPECT_TRUE(added) << where << ": " << entry.text << " and " << previous->second;
            }
        }
    }
}

TEST(MenuDefinitionFile, BindsTheUsualKeysOnceEachToCommandsOfTheMenuBar)
{
    const MenuDefinition definition = RealDefinition();
    const AcceleratorTable& table = *definition.FindAccelerators("ZORX_ACCEL");
    const std::multiset<int> inBar = CommandsOf(*definition.FindMenu("ZORX_MENU"));
    std::map<std::string, int> byKey;
    for (const Accelerator& key : table.keys) {
        EXPECT_TRUE(byKey.emplace(key.keys, key.command).second) << key.keys << " bound twice";
        EXPECT_TRUE(inBar.contains(key.command)) << key.keys << " sends " << key.command << ", not in the menus";
    }
    const std::map<std::string, int> expected = {
        {"Del", 40007},     {"Ctrl+A", 40017}, {"Ctrl+X", 40012},       {"Ctrl+C", 40013},
        {"Ctrl+V", 40014},  {"F2", 40008},     {"F5", 40028},           {"Esc", 40027},
        {"Ctrl+Q", 40011},  {"Ctrl+1", 40308}, {"Ctrl+2", 40307},       {"Ctrl+3", 40306},
        {"Ctrl+Shift+N", 40075}, {"Alt+Return", 40010}, {"Ctrl+P", 40002}, {"Ctrl+D", 40040},
    };
    for (const auto& [keys, command] : expected) {
        const auto found = byKey.find(keys);
        ASSERT_NE(found, byKey.end()) << keys;
        EXPECT_EQ(found->second, command) << keys;
    }
}
