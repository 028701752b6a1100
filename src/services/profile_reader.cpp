#include "services/profile_reader.h"

#include <climits>
#include <cstdint>
#include <fstream>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerName(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::string ToUtf8(std::string_view text)
{
    return IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

} // namespace

int ParseProfileInt(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1)
            value = static_cast<std::int64_t>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

ProfileReader ProfileReader::FromFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(kMaxFileSize, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return FromText(text);
}

ProfileReader ProfileReader::FromText(std::string_view text)
{
    if (text.size() > kMaxFileSize)
        text = text.substr(0, kMaxFileSize);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    ProfileReader reader;
    Section* current = nullptr;
    bool currentIsDuplicate = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            // A repeated section adds nothing: its keys are shadowed by the first one.
            const auto [it, added] = reader.m_sections.try_emplace(LowerName(name));
            currentIsDuplicate = !added;
            current = &it->second;
            continue;
        }
        if (current == nullptr || currentIsDuplicate)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Unquote(Trim(line.substr(equals + 1)));
        const auto [it, added] = current->try_emplace(LowerName(key));
        if (added)
            it->second = ToUtf8(value);
    }
    return reader;
}

const ProfileReader::Section* ProfileReader::FindSection(std::string_view name) const
{
    const auto it = m_sections.find(LowerName(name));
    return it == m_sections.end() ? nullptr : &it->second;
}

bool ProfileReader::HasSection(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::string ProfileReader::ReadString(std::string_view section, std::string_view key) const
{
    const Section* found = FindSection(section);
    if (found == nullptr)
        return {};
    const auto it = found->find(LowerName(key));
    return it == found->end() ? std::string() : it->second;
}

int ProfileReader::ReadInt(std::string_view section, std::string_view key) const
{
    return ParseProfileInt(ReadString(section, key));
}
