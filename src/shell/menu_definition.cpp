#include "shell/menu_definition.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

// Splits a statement into bare words and quoted texts; nullopt (with `problem` set) when a
// quoted text does not end on the line.
std::optional<std::vector<Token>> Tokenise(std::string_view line, std::string& problem)
{
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < line.size()) {
        if (IsSpace(line[at])) {
            ++at;
            continue;
        }
        Token token;
        if (line[at] != '"') {
            while (at < line.size() && !IsSpace(line[at]) && line[at] != '"')
                token.text += line[at++];
            tokens.push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++at;
        bool closed = false;
        while (at < line.size()) {
            const char c = line[at++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && at < line.size() && (line[at] == '"' || line[at] == '\\'))
                token.text += line[at++];
            else
                token.text += c;
        }
        if (!closed) {
            problem = "a quoted text does not end";
            return std::nullopt;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::optional<int> CommandNumber(const Token& token)
{
    if (token.quoted || token.text.empty() || token.text.size() > 5
        || !std::all_of(token.text.begin(), token.text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::stoi(token.text);
    if (number < 1 || number > kMaxCommandNumber)
        return std::nullopt;
    return number;
}

bool IsName(const Token& token)
{
    return !token.quoted && !token.text.empty()
           && std::all_of(token.text.begin(), token.text.end(),
                          [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; });
}

class DefinitionReader {
public:
    MenuDefinition Read(std::string_view text);

private:
    enum class Block { None, Menu, Accelerators };

    void Statement(const std::vector<Token>& tokens);
    void Open(const std::vector<Token>& tokens);
    void End(const std::vector<Token>& tokens);
    void MenuStatement(const std::vector<Token>& tokens);
    void KeyStatement(const std::vector<Token>& tokens);
    void Finish();
    void Fail(std::string message) { m_result.errors.push_back({m_line, std::move(message)}); }

    MenuDefinition m_result;
    int m_line = 0;
    Block m_block = Block::None;
    int m_blockLine = 0;
    bool m_discard = false; // the open block repeats a name and is dropped at its end
    MenuResource m_menu;
    AcceleratorTable m_table;
    // The open menu and sub-menus, innermost last. A sub-menu nested too deeply is open as
    // null: its entries are read and dropped up to its end.
    std::vector<std::vector<MenuEntry>*> m_open;
};

MenuDefinition DefinitionReader::Read(std::string_view text)
{
    size_t start = 0;
    while (start <= text.size()) {
        ++m_line;
        size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        std::string_view line = text.substr(start, stop - start);
        start = stop + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        std::string problem;
        const std::optional<std::vector<Token>> tokens = Tokenise(line, problem);
        if (!tokens) {
            Fail(problem);
            continue;
        }
        Statement(*tokens);
    }
    if (m_block != Block::None) {
        m_line = m_blockLine;
        Fail("\"" + (m_block == Block::Menu ? m_menu.name : m_table.name) + "\" has no end");
        Finish();
    }
    return std::move(m_result);
}

void DefinitionReader::Statement(const std::vector<Token>& tokens)
{
    const Token& keyword = tokens.front();
    if (keyword.quoted) {
        Fail("a statement starts with a keyword, not a quoted text");
        return;
    }
    if (keyword.text == "menu" || keyword.text == "accelerators") {
        Open(tokens);
        return;
    }
    if (keyword.text == "end") {
        End(tokens);
        return;
    }
    if (m_block == Block::Menu) {
        MenuStatement(tokens);
        return;
    }
    if (m_block == Block::Accelerators) {
        KeyStatement(tokens);
        return;
    }
    Fail("\"" + keyword.text + "\" outside a menu or accelerator table");
}

void DefinitionReader::Open(const std::vector<Token>& tokens)
{
    const std::string& keyword = tokens.front().text;
    if (m_block != Block::None) {
        Fail("\"" + keyword + "\" inside another block");
        return;
    }
    if (tokens.size() != 2 || !IsName(tokens[1])) {
        Fail("\"" + keyword + "\" takes one name");
        return;
    }
    const std::string& name = tokens[1].text;
    // A second resource of a name is read (so that its lines cause no further errors) and
    // dropped: the first one stands.
    m_discard = keyword == "menu" ? m_result.FindMenu(name) != nullptr : m_result.FindAccelerators(name) != nullptr;
    if (m_discard)
        Fail("\"" + name + "\" is defined twice");
    m_blockLine = m_line;
    if (keyword == "menu") {
        m_block = Block::Menu;
        m_menu = MenuResource{name, {}};
        m_open = {&m_menu.entries};
    } else {
        m_block = Block::Accelerators;
        m_table = AcceleratorTable{name, {}};
    }
}

void DefinitionReader::End(const std::vector<Token>& tokens)
{
    if (tokens.size() != 1) {
        Fail("\"end\" takes nothing after it");
        return;
    }
    if (m_block == Block::None) {
        Fail("\"end\" without a block to close");
        return;
    }
    if (m_block == Block::Menu && m_open.size() > 1) {
        m_open.pop_back();
        return;
    }
    Finish();
}

void DefinitionReader::Finish()
{
    if (m_block == Block::Menu && !m_discard)
        m_result.menus.push_back(std::move(m_menu));
    else if (m_block == Block::Accelerators && !m_discard)
        m_result.acceleratorTables.push_back(std::move(m_table));
    m_block = Block::None;
    m_open.clear();
}

void DefinitionReader::MenuStatement(const std::vector<Token>& tokens)
{
    const std::string& keyword = tokens.front().text;
    std::vector<MenuEntry>* entries = m_open.back();
    MenuEntry entry;
    if (keyword == "separator") {
        if (tokens.size() != 1) {
            Fail("\"separator\" takes nothing after it");
            return;
        }
        entry.kind = MenuEntry::Kind::Separator;
    } else if (keyword == "item") {
        const bool disabled = tokens.size() == 4 && !tokens[3].quoted && tokens[3].text == "disabled";
        const std::optional<int> command = tokens.size() >= 2 ? CommandNumber(tokens[1]) : std::nullopt;
        if ((tokens.size() != 3 && !disabled) || !command || !tokens[2].quoted) {
            Fail("\"item\" takes a command number from 1 to 65535, a quoted text and optionally \"disabled\"");
            return;
        }
        entry.command = *command;
        entry.text = tokens[2].text;
        entry.disabled = disabled;
    } else if (keyword == "popup") {
        if (tokens.size() < 2 || tokens.size() > 3 || !tokens[1].quoted || (tokens.size() == 3 && !IsName(tokens[2]))) {
            Fail("\"popup\" takes a quoted text and optionally a name");
            return;
        }
        if (entries == nullptr || m_open.size() > static_cast<size_t>(kMaxMenuDepth)) {
            if (entries != nullptr)
                Fail("sub-menus nest deeper than " + std::to_string(kMaxMenuDepth) + " levels");
            m_open.push_back(nullptr);
            return;
        }
        entry.kind = MenuEntry::Kind::Popup;
        entry.text = tokens[1].text;
        entry.name = tokens.size() == 3 ? tokens[2].text : std::string();
        // Only the innermost open list grows, so the pointer to this list stays valid.
        entries->push_back(std::move(entry));
        m_open.push_back(&entries->back().entries);
        return;
    } else {
        Fail("\"" + keyword + "\" is not a menu statement");
        return;
    }
    if (entries != nullptr)
        entries->push_back(std::move(entry));
}

void DefinitionReader::KeyStatement(const std::vector<Token>& tokens)
{
    if (tokens.front().text != "key") {
        Fail("\"" + tokens.front().text + "\" is not an accelerator statement");
        return;
    }
    const std::optional<int> command = tokens.size() == 3 ? CommandNumber(tokens[2]) : std::nullopt;
    if (!command || !tokens[1].quoted || tokens[1].text.empty()) {
        Fail("\"key\" takes quoted keys and a command number from 1 to 65535");
        return;
    }
    m_table.keys.push_back({tokens[1].text, *command});
}

} // namespace

const MenuResource* MenuDefinition::FindMenu(std::string_view name) const
{
    const auto found = std::find_if(menus.begin(), menus.end(), [&](const MenuResource& menu) { return menu.name == name; });
    return found == menus.end() ? nullptr : &*found;
}

const AcceleratorTable* MenuDefinition::FindAccelerators(std::string_view name) const
{
    const auto found = std::find_if(acceleratorTables.begin(), acceleratorTables.end(),
                                    [&](const AcceleratorTable& table) { return table.name == name; });
    return found == acceleratorTables.end() ? nullptr : &*found;
}

MenuDefinition ParseMenuDefinition(std::string_view text)
{
    return DefinitionReader().Read(text);
}

const MenuEntry* FindNamedPopup(const std::vector<MenuEntry>& entries, std::string_view name)
{
    for (const MenuEntry& entry : entries) {
        if (entry.kind != MenuEntry::Kind::Popup)
            continue;
        if (entry.name == name)
            return &entry;
        if (const MenuEntry* inner = FindNamedPopup(entry.entries, name))
            return inner;
    }
    return nullptr;
}

char MnemonicOf(std::string_view text)
{
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] != '&')
            continue;
        if (text[at + 1] == '&') {
            ++at;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text[at + 1])));
    }
    return 0;
}
