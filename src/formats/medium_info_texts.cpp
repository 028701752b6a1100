#include "formats/medium_info_texts.h"

#include <string_view>

#include "framework/string_table.h"
#include "framework/text_conversion.h"

namespace {

constexpr std::string_view kKeyPrefix = "EX_MEDIUMINFO_STRING";
constexpr int kValueListBase = 1000;

// Lists are split in the code page of the display, after conversion.
std::string ListText(int list)
{
    return Utf8ToAnsi(LabelText(kValueListBase + list));
}

} // namespace

std::string MediumInfoKey(int n)
{
    return std::string(kKeyPrefix) + std::to_string(n);
}

std::string LabelText(int n)
{
    return GetText(MediumInfoKey(n));
}

std::string ValueListEntry(int list, int index)
{
    if (index < 0)
        return {};
    const std::string text = ListText(list);
    if (text.empty())
        return {};
    const char separator = text.back();
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const size_t end = text.find(separator, start);
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
    return text.substr(start, text.find(separator, start) - start);
}

int ValueListSize(int list)
{
    const std::string text = ListText(list);
    if (text.empty())
        return 0;
    int count = 0;
    for (char c : text)
        count += c == text.back() ? 1 : 0;
    return count;
}

std::string ValueListEntry(ValueList list, int index)
{
    if (index < 0 || index >= list.entries)
        return {};
    return ValueListEntry(list.number, index);
}
