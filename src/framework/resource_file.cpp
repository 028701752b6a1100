#include "framework/resource_file.h"

#include <cstdint>

#include "framework/file_bytes.h"
#include "framework/program_folder.h"
#include "framework/string_table.h"
#include "framework/text_conversion.h"

namespace {

constexpr uint16_t kFlagCompressed = 0x01;
constexpr uint16_t kFlagDirectory = 0x02;
constexpr uint16_t kFlagCompressedZstd = 0x04;

// A bounds-checked big-endian view of the module's bytes.
class ModuleBytes {
public:
    explicit ModuleBytes(std::string_view bytes)
        : m_bytes(bytes)
    {
    }

    bool Read16(uint64_t offset, uint16_t& value) const
    {
        if (offset + 2 > m_bytes.size())
            return false;
        value = static_cast<uint16_t>(Byte(offset) << 8 | Byte(offset + 1));
        return true;
    }
    bool Read32(uint64_t offset, uint32_t& value) const
    {
        uint16_t high = 0;
        uint16_t low = 0;
        if (!Read16(offset, high) || !Read16(offset + 2, low))
            return false;
        value = static_cast<uint32_t>(high) << 16 | low;
        return true;
    }
    bool Slice(uint64_t offset, uint64_t length, std::string_view& out) const
    {
        if (offset > m_bytes.size() || length > m_bytes.size() - offset)
            return false;
        out = m_bytes.substr(offset, length);
        return true;
    }

private:
    uint32_t Byte(uint64_t offset) const { return static_cast<unsigned char>(m_bytes[offset]); }
    std::string_view m_bytes;
};

struct Layout {
    uint32_t version = 0;
    uint32_t tree = 0;
    uint32_t data = 0;
    uint32_t names = 0;
    uint32_t entrySize = 14;
};

bool NameOfEntry(const ModuleBytes& module, const Layout& layout, uint64_t entry, std::string& name)
{
    uint32_t nameOffset = 0;
    uint16_t length = 0;
    if (!module.Read32(entry, nameOffset) || !module.Read16(uint64_t{layout.names} + nameOffset, length))
        return false;
    std::u16string text;
    const uint64_t start = uint64_t{layout.names} + nameOffset + 6;
    for (uint16_t i = 0; i < length; ++i) {
        uint16_t unit = 0;
        if (!module.Read16(start + 2ULL * i, unit))
            return false;
        text += static_cast<char16_t>(unit);
    }
    name = Utf16ToUtf8(text);
    return true;
}

// Finds the child of a directory entry with the given name (children are few; a linear scan
// avoids depending on the hash order).
bool FindChild(const ModuleBytes& module, const Layout& layout, uint64_t directory, std::string_view name,
               uint64_t& child)
{
    uint16_t flags = 0;
    uint32_t count = 0;
    uint32_t first = 0;
    if (!module.Read16(directory + 4, flags) || !(flags & kFlagDirectory)
        || !module.Read32(directory + 6, count) || !module.Read32(directory + 10, first) || count > 65536)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = uint64_t{layout.tree} + uint64_t{first + i} * layout.entrySize;
        std::string entryName;
        if (!NameOfEntry(module, layout, entry, entryName))
            return false;
        if (entryName == name) {
            child = entry;
            return true;
        }
    }
    return false;
}

} // namespace

bool ReadResourceFile(const std::string& modulePath, std::string_view innerPath, std::string& out)
{
    std::string bytes;
    if (!ReadFileBytes(modulePath, bytes) || bytes.size() < 20 || bytes.compare(0, 4, "qres") != 0)
        return false;
    const ModuleBytes module(bytes);
    Layout layout;
    if (!module.Read32(4, layout.version) || !module.Read32(8, layout.tree) || !module.Read32(12, layout.data)
        || !module.Read32(16, layout.names) || layout.version < 1 || layout.version > 3)
        return false;
    if (layout.version >= 2)
        layout.entrySize = 22;

    uint64_t entry = layout.tree; // the root directory
    while (!innerPath.empty()) {
        const size_t slash = innerPath.find('/');
        const std::string_view part = innerPath.substr(0, slash);
        innerPath = slash == std::string_view::npos ? std::string_view{} : innerPath.substr(slash + 1);
        if (part.empty())
            continue;
        if (!FindChild(module, layout, entry, part, entry))
            return false;
    }
    uint16_t flags = 0;
    uint32_t dataOffset = 0;
    uint32_t size = 0;
    if (!module.Read16(entry + 4, flags) || (flags & (kFlagDirectory | kFlagCompressed | kFlagCompressedZstd))
        || !module.Read32(entry + 10, dataOffset) || !module.Read32(uint64_t{layout.data} + dataOffset, size))
        return false;
    std::string_view content;
    if (!module.Slice(uint64_t{layout.data} + dataOffset + 4, size, content))
        return false;
    out.assign(content);
    return true;
}

bool LoadMetadataTextModule()
{
    std::string text;
    if (!ReadResourceFile(ResolveProgramPath(kMetadataTextModule), kMetadataTextFile, text))
        return false;
    LanguageStrings().Parse(text);
    return true;
}
