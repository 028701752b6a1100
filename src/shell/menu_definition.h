#pragma once

#include <string>
#include <string_view>
#include <vector>

// The menus and accelerator tables of the language resource module, read from the module's
// text file "menus.txt" (its header describes the format). Plain C++, so that the format is
// tested without Qt; the Qt shell turns the result into menus and actions (menu_resources.h).

// One entry of a menu: a command item, a separator, or a sub-menu with entries of its own.
struct MenuEntry {
    enum class Kind { Item, Separator, Popup };

    Kind kind = Kind::Item;
    int command = 0;      // items: the command number sent when chosen
    std::string text;     // items and sub-menus: the shown text, "&" before the mnemonic
    std::string name;     // sub-menus: the name by which the program finds it, or empty
    bool disabled = false; // items: shown greyed until the program enables the command
    std::vector<MenuEntry> entries; // sub-menus
};

// A menu resource: the menu bar ("ZORX_MENU", whose entries are its menus) or a context menu.
struct MenuResource {
    std::string name;
    std::vector<MenuEntry> entries;
};

// A key and the command it sends. `keys` is written as Qt writes key sequences in portable
// form ("Ctrl+Shift+N", "Alt+Return", "Del").
struct Accelerator {
    std::string keys;
    int command = 0;
};

struct AcceleratorTable {
    std::string name;
    std::vector<Accelerator> keys;
};

// A line that could not be read: it was left out of the result.
struct MenuDefinitionError {
    int line = 0; // counted from 1
    std::string message;
};

struct MenuDefinition {
    std::vector<MenuResource> menus;
    std::vector<AcceleratorTable> acceleratorTables;
    // Not empty when lines were left out: the definition is then partial.
    std::vector<MenuDefinitionError> errors;

    bool IsComplete() const { return errors.empty(); }
    // Null when there is no resource of that name.
    const MenuResource* FindMenu(std::string_view name) const;
    const AcceleratorTable* FindAccelerators(std::string_view name) const;
};

// Reads the definition text. Never fails as a whole: every line that breaks the format is
// reported in `errors` and left out (an unclosed block is kept with what it had).
MenuDefinition ParseMenuDefinition(std::string_view text);

// The first sub-menu called `name` among `entries` and their sub-menus (depth first); null
// when there is none.
const MenuEntry* FindNamedPopup(const std::vector<MenuEntry>& entries, std::string_view name);

// The mnemonic of a menu text: the character after a single "&", upper-cased; 0 when the text
// has none ("&&" is a literal "&").
char MnemonicOf(std::string_view text);

// Command numbers are 16-bit, as in the menu and accelerator resources they stand for.
inline constexpr int kMaxCommandNumber = 65535;
// Sub-menus nest at most this deep; deeper ones are left out.
inline constexpr int kMaxMenuDepth = 8;
