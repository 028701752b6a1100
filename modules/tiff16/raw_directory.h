#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "byte_source.h"

namespace qwtiff16 {

// One entry as stored: `field` holds the value when it fits in four bytes, else its offset.
struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};
};

// Size of one element of a TIFF field type (1 BYTE ... 12 DOUBLE, 13 IFD); 0 for others.
std::uint32_t RawTypeSize(std::uint16_t type);

// The byte order and first directory offset of a classic TIFF header. QWTIFF16_E_MALFORMED
// for anything else (BigTIFF included).
std::uint16_t ReadRawHeader(const ByteSource& source, bool& bigEndian, std::uint32_t& firstOffset);

// One directory of a classic TIFF read entry by entry, without interpreting any tag, for the
// module's tag queries. Entries of unknown types are kept (their values cannot be queried).
class RawDirectory {
public:
    // Up to this many entries; a larger count is taken for damage.
    static constexpr std::uint32_t kMaxEntries = 4096;

    // QWTIFF16_E_MALFORMED when the directory does not lie inside the file.
    std::uint16_t Read(const ByteSource& source, bool bigEndian, std::uint64_t offset);

    bool IsRead() const { return m_read; }
    const RawEntry* Find(std::uint16_t tag) const;
    // Type size x count (0 for an unknown type).
    static std::uint64_t ByteSize(const RawEntry& entry);
    // Copies the value in machine byte order. QWTIFF16_E_BUFFER when `size` is below the byte
    // size, QWTIFF16_E_MALFORMED for an unknown type or a value outside the file.
    std::uint16_t ReadValue(const RawEntry& entry, std::uint8_t* buffer, std::uint64_t size) const;
    // A single SHORT, LONG or IFD value (pointer tags); false otherwise.
    bool ReadOffset(std::uint16_t tag, std::uint32_t& offset) const;

private:
    const ByteSource* m_source = nullptr;
    bool m_bigEndian = false;
    bool m_read = false;
    std::vector<RawEntry> m_entries;
};

} // namespace qwtiff16
