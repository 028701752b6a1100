#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Reads an INI file the way the Windows private-profile functions do: section and key names
// compare case-insensitively, the first occurrence of a section or key wins, a value is the text
// after "=" without surrounding blanks and without one pair of matching quotes, and nothing is
// unescaped. Lines starting with ";" and lines without "=" carry nothing. Missing sections or
// keys read as empty text or 0.
//
// Only the first kMaxFileSize bytes are read, so that a huge or binary file costs little; texts
// that are not valid UTF-8 are taken as Latin-1 and converted.
class ProfileReader {
public:
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    ProfileReader() = default;
    // An unreadable or missing file gives a reader without sections.
    static ProfileReader FromFile(const std::string& path);
    static ProfileReader FromText(std::string_view text);

    bool HasSection(std::string_view section) const;
    std::string ReadString(std::string_view section, std::string_view key) const;
    int ReadInt(std::string_view section, std::string_view key) const;

private:
    // Keyed by the lower-case names, so that a file of many keys still reads in linear time.
    using Section = std::unordered_map<std::string, std::string>;

    const Section* FindSection(std::string_view name) const;

    std::unordered_map<std::string, Section> m_sections;
};

// The leading integer of a text as GetPrivateProfileInt reads it: blanks, an optional sign and
// decimal digits; anything else gives 0. Values beyond the int range saturate.
int ParseProfileInt(std::string_view text);
