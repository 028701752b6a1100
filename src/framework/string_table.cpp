#include "framework/string_table.h"

#include <vector>

#include "framework/file_bytes.h"
#include "framework/program_folder.h"
#include "framework/text_conversion.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Reads one record starting at pos and returns its fields; pos ends after the record's line end.
// Outside quotes spaces and tabs are dropped and commas separate fields; a quoted section is
// literal up to the next single quote, a doubled quote standing for one.
std::vector<std::string> ReadRecord(std::string_view text, size_t& pos)
{
    std::vector<std::string> fields(1);
    while (pos < text.size()) {
        const char c = text[pos++];
        if (IsLineEnd(c)) {
            if (pos < text.size() && IsLineEnd(text[pos]))
                ++pos;
            break;
        }
        if (c == ' ' || c == '\t')
            continue;
        if (c == ',') {
            fields.emplace_back();
            continue;
        }
        if (c != '"') {
            // A run of ordinary characters is copied in one step.
            const size_t start = pos - 1;
            while (pos < text.size() && text[pos] != '"' && text[pos] != ',' && text[pos] != ' '
                   && text[pos] != '\t' && !IsLineEnd(text[pos]))
                ++pos;
            fields.back().append(text.substr(start, pos - start));
            continue;
        }
        while (pos < text.size()) {
            const size_t quote = text.find('"', pos);
            if (quote == std::string_view::npos) {
                fields.back().append(text.substr(pos));
                pos = text.size();
                break;
            }
            fields.back().append(text.substr(pos, quote - pos));
            pos = quote + 1;
            if (pos < text.size() && text[pos] == '"') {
                fields.back() += '"';
                ++pos;
                continue;
            }
            break;
        }
    }
    if (fields.size() == 1 && fields.front().empty())
        fields.clear();
    return fields;
}

void ReplaceAll(std::string& text, std::string_view from, char to)
{
    size_t pos = 0;
    std::string out;
    bool changed = false;
    while (true) {
        const size_t found = text.find(from, pos);
        if (found == std::string::npos)
            break;
        if (!changed)
            out.reserve(text.size());
        changed = true;
        out.append(text, pos, found - pos);
        out += to;
        pos = found + from.size();
    }
    if (changed) {
        out.append(text, pos, std::string::npos);
        text = std::move(out);
    }
}

} // namespace

void StringTable::Parse(std::string_view content)
{
    if (content.starts_with(kByteOrderMark))
        content.remove_prefix(kByteOrderMark.size());
    bool convertFromAnsi = false;
    size_t pos = 0;
    while (pos < content.size()) {
        std::vector<std::string> fields = ReadRecord(content, pos);
        if (fields.size() < 2)
            continue;
        std::string value = std::move(fields[1]);
        ReplaceAll(value, "\\n", '\n');
        ReplaceAll(value, "\\r", '\r');
        if (fields[0] == "CHARACTER_SET" && value == "ANSI")
            convertFromAnsi = true;
        if (convertFromAnsi)
            value = AnsiToUtf8(value);
        m_entries.insert_or_assign(std::move(fields[0]), std::move(value));
    }
}

const std::string& StringTable::Get(std::string_view key) const
{
    static const std::string kEmpty;
    const auto found = m_entries.find(key);
    return found == m_entries.end() ? kEmpty : found->second;
}

StringTable& LanguageStrings()
{
    static StringTable table;
    return table;
}

int LoadStringFile(std::string_view path)
{
    const std::string file = ResolveProgramPath(path.empty() ? std::string_view("System/ZORStr.frs") : path);
    std::string content;
    if (!ReadFileBytes(file, content))
        return 0;
    LanguageStrings().Parse(content);
    return 1;
}

const std::string& GetText(std::string_view key)
{
    return LanguageStrings().Get(key);
}
