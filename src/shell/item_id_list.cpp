#include "shell/item_id_list.h"

namespace {

void AppendRecord(ItemIdList& list, std::string_view component)
{
    const size_t size = component.size() + 2;
    list.push_back(static_cast<uint8_t>(size & 0xFF));
    list.push_back(static_cast<uint8_t>(size >> 8));
    list.insert(list.end(), component.begin(), component.end());
}

bool IsLowerHex(std::string_view text)
{
    if (text.size() % 2 != 0)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

ItemIdList EncodeItemIdList(std::string_view absolutePath)
{
    if (absolutePath.empty() || absolutePath.front() != '/')
        return {};
    ItemIdList list;
    AppendRecord(list, "/");
    std::string_view rest = absolutePath.substr(1);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (component.empty() || component == ".")
            continue;
        if (component.size() + 2 > 0xFFFF)
            return {};
        AppendRecord(list, component);
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

std::string DecodeItemIdList(const ItemIdList& list)
{
    std::vector<std::string_view> components;
    size_t pos = 0;
    bool sawRoot = false;
    for (;;) {
        if (pos + 2 > list.size())
            return {};
        const size_t size = list[pos] | (static_cast<size_t>(list[pos + 1]) << 8);
        if (size == 0)
            break;
        if (size < 3 || pos + size > list.size())
            return {};
        const std::string_view component(reinterpret_cast<const char*>(list.data() + pos + 2), size - 2);
        pos += size;
        if (!sawRoot) {
            if (component != "/")
                return {};
            sawRoot = true;
            continue;
        }
        if (component.find('/') != std::string_view::npos || component.find('\0') != std::string_view::npos
            || component == "." || component == "..")
            return {};
        components.push_back(component);
    }
    if (!sawRoot)
        return {};
    if (components.empty())
        return "/";
    std::string path;
    for (std::string_view component : components) {
        path += '/';
        path.append(component.data(), component.size());
    }
    return path;
}

std::string EncodeHex(const ItemIdList& bytes)
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

ItemIdList DecodeHex(std::string_view text)
{
    auto digit = [](char c) {
        int value = static_cast<unsigned char>(c);
        if (value > 47)
            value -= 48;
        if (value >= 10)
            value -= 39;
        return value;
    };
    ItemIdList bytes;
    for (size_t i = 0; i + 1 < text.size() && text[i] != '\0' && text[i + 1] != '\0'; i += 2)
        bytes.push_back(static_cast<uint8_t>((digit(text[i]) * 16 + digit(text[i + 1])) & 0xFF));
    return bytes;
}

std::string FolderFromHexItemIdList(std::string_view text)
{
    if (!IsLowerHex(text))
        return {};
    return DecodeItemIdList(DecodeHex(text));
}
