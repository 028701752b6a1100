#include "raw_directory.h"

#include <algorithm>
#include <cstring>

#include "qwtiff16.h"

namespace qwtiff16 {

namespace {

// Indexed by the type number: 0 marks types the queries do not know.
constexpr std::array<std::uint8_t, 14> kTypeSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};

// Element size for the byte swap: rationals swap as two LONGs.
std::uint32_t SwapUnit(std::uint16_t type)
{
    return type == 5 || type == 10 ? 4 : RawTypeSize(type);
}

std::uint16_t Get16(const std::uint8_t* at, bool bigEndian)
{
    return bigEndian ? static_cast<std::uint16_t>(at[0] << 8 | at[1])
                     : static_cast<std::uint16_t>(at[1] << 8 | at[0]);
}

std::uint32_t Get32(const std::uint8_t* at, bool bigEndian)
{
    return bigEndian
        ? std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3]
        : std::uint32_t{at[3]} << 24 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[1]} << 8 | at[0];
}

bool MachineIsBigEndian()
{
    const std::uint16_t probe = 1;
    std::uint8_t first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 0;
}

} // namespace

std::uint32_t RawTypeSize(std::uint16_t type)
{
    return type < kTypeSizes.size() ? kTypeSizes[type] : 0;
}

std::uint16_t ReadRawHeader(const ByteSource& source, bool& bigEndian, std::uint32_t& firstOffset)
{
    std::array<std::uint8_t, 8> header{};
    if (!source.ReadExactly(0, header.data(), header.size()))
        return QWTIFF16_E_MALFORMED;
    if (header[0] == 'I' && header[1] == 'I')
        bigEndian = false;
    else if (header[0] == 'M' && header[1] == 'M')
        bigEndian = true;
    else
        return QWTIFF16_E_MALFORMED;
    if (Get16(header.data() + 2, bigEndian) != 42)
        return QWTIFF16_E_MALFORMED;
    firstOffset = Get32(header.data() + 4, bigEndian);
    return QWTIFF16_OK;
}

std::uint16_t RawDirectory::Read(const ByteSource& source, bool bigEndian, std::uint64_t offset)
{
    m_entries.clear();
    m_read = false;
    std::array<std::uint8_t, 2> countBytes{};
    if (offset < 8 || !source.ReadExactly(offset, countBytes.data(), countBytes.size()))
        return QWTIFF16_E_MALFORMED;
    const std::uint32_t count = Get16(countBytes.data(), bigEndian);
    if (count > kMaxEntries)
        return QWTIFF16_E_MALFORMED;
    std::vector<std::uint8_t> bytes(std::size_t{count} * 12);
    if (!source.ReadExactly(offset + 2, bytes.data(), bytes.size()))
        return QWTIFF16_E_MALFORMED;
    m_entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* at = bytes.data() + std::size_t{i} * 12;
        RawEntry entry;
        entry.tag = Get16(at, bigEndian);
        entry.type = Get16(at + 2, bigEndian);
        entry.count = Get32(at + 4, bigEndian);
        std::memcpy(entry.field.data(), at + 8, 4);
        m_entries.push_back(entry);
    }
    m_source = &source;
    m_bigEndian = bigEndian;
    m_read = true;
    return QWTIFF16_OK;
}

const RawEntry* RawDirectory::Find(std::uint16_t tag) const
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [tag](const RawEntry& entry) { return entry.tag == tag; });
    return found == m_entries.end() ? nullptr : &*found;
}

std::uint64_t RawDirectory::ByteSize(const RawEntry& entry)
{
    return std::uint64_t{RawTypeSize(entry.type)} * entry.count;
}

std::uint16_t RawDirectory::ReadValue(const RawEntry& entry, std::uint8_t* buffer, std::uint64_t size) const
{
    const std::uint64_t byteSize = ByteSize(entry);
    if (RawTypeSize(entry.type) == 0 || !m_source)
        return QWTIFF16_E_MALFORMED;
    if (size < byteSize)
        return QWTIFF16_E_BUFFER;
    if (byteSize == 0)
        return QWTIFF16_OK; // a count of 0: nothing to copy, and the buffer may be null
    if (byteSize <= 4) {
        std::memcpy(buffer, entry.field.data(), static_cast<std::size_t>(byteSize));
    } else {
        const std::uint32_t offset = Get32(entry.field.data(), m_bigEndian);
        if (byteSize > m_source->Size()
            || !m_source->ReadExactly(offset, buffer, static_cast<std::size_t>(byteSize)))
            return QWTIFF16_E_MALFORMED;
    }
    const std::uint32_t unit = SwapUnit(entry.type);
    if (unit > 1 && m_bigEndian != MachineIsBigEndian()) {
        for (std::uint64_t at = 0; at + unit <= byteSize; at += unit)
            std::reverse(buffer + at, buffer + at + unit);
    }
    return QWTIFF16_OK;
}

bool RawDirectory::ReadOffset(std::uint16_t tag, std::uint32_t& offset) const
{
    const RawEntry* entry = Find(tag);
    if (!entry || entry->count != 1)
        return false;
    if (entry->type == 3) {
        offset = Get16(entry->field.data(), m_bigEndian);
        return true;
    }
    if (entry->type == 4 || entry->type == 13) {
        offset = Get32(entry->field.data(), m_bigEndian);
        return true;
    }
    return false;
}

} // namespace qwtiff16
