#include "folder_link.h"

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsPlainName(std::string_view component)
{
    return component.find('/') == std::string_view::npos && component.find('\0') == std::string_view::npos
        && component != "." && component != "..";
}

} // namespace

std::string HexOfBytes(const std::vector<uint8_t>& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = DigitValue(text[i]);
        const int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::optional<std::string> PathOfItemIdList(const std::vector<uint8_t>& list)
{
    std::string path;
    bool sawRoot = false;
    size_t pos = 0;
    for (;;) {
        if (pos + 2 > list.size())
            return std::nullopt; // no end marker
        const size_t size = list[pos] | (static_cast<size_t>(list[pos + 1]) << 8);
        if (size == 0)
            break;
        // A record holds its two size bytes and at least one byte of name.
        if (size < 3 || size > list.size() - pos)
            return std::nullopt;
        const std::string_view component(reinterpret_cast<const char*>(list.data() + pos + 2), size - 2);
        pos += size;
        if (!sawRoot) {
            if (component != "/")
                return std::nullopt;
            sawRoot = true;
            continue;
        }
        if (!IsPlainName(component))
            return std::nullopt;
        path += '/';
        path.append(component);
    }
    if (!sawRoot)
        return std::nullopt;
    return path.empty() ? std::string("/") : path;
}

std::optional<std::string> FolderOfLink(std::string_view link)
{
    const std::optional<std::vector<uint8_t>> bytes = BytesOfHex(link);
    if (!bytes)
        return std::nullopt;
    return PathOfItemIdList(*bytes);
}
