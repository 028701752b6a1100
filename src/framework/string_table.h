#pragma once

#include <map>
#include <string>
#include <string_view>

// The language string table: every user-visible text, looked up by key. Filled once on the main
// thread before any other thread starts, read-only afterwards (lookups need no lock).
class StringTable {
public:
    // Parses a language string file's bytes, adding or replacing entries.
    void Parse(std::string_view content);

    // Empty text for an unknown key; never fails.
    const std::string& Get(std::string_view key) const;

    bool Contains(std::string_view key) const { return m_entries.find(key) != m_entries.end(); }
    size_t Size() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

private:
    std::map<std::string, std::string, std::less<>> m_entries;
};

// The program's table.
StringTable& LanguageStrings();

// Loads a string file into the program's table; an empty path means System/ZORStr.frs of the
// program folder. 1 when the file was opened and read (even without a usable record), 0 when it
// could not be read.
int LoadStringFile(std::string_view path);

// The text of a language key, empty when the key is unknown.
const std::string& GetText(std::string_view key);
