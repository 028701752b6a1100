#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/tiff_stream.h"
#include "formats/tiff_types.h"

// One 12-byte directory entry. `field` is the entry's last four bytes in machine order: the
// value itself when it fits (SHORT and SSHORT as two 16-bit values, LONG and SLONG as one
// 32-bit value, other types as raw bytes), otherwise the 32-bit offset of the value.
// Entries added in memory own their whole value in `value` (machine order) instead.
struct TiffEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};
    std::vector<std::uint8_t> value;

    // Type size x count; 64-bit because a damaged count can be anything.
    std::uint64_t ByteSize() const { return std::uint64_t{TiffTypeSize(type)} * count; }
    bool IsInline() const { return ByteSize() <= 4; }
    std::uint32_t Offset() const;
};

// One image file directory (IFD), either read from a stream or built in memory by the writer.
// A directory read from a stream keeps a copy of that stream (sharing its bytes) to read values
// that do not fit into their entry.
class TiffDirectory {
public:
    static constexpr std::size_t kMaxEntries = 2048;
    static constexpr std::size_t kGrowthStep = 64;

    // Reads the directory at `offset`: entries with an invalid type are dropped, the rest are
    // sorted by tag. Fails with kNotReady when this directory already holds entries, kMalformed
    // for more than 2048 entries, kEndOfFile when the directory runs past the stream; a failed
    // read leaves the directory empty.
    TiffResult Read(const TiffStream& stream, std::uint32_t offset);

    // First entry with this tag, or nullptr.
    const TiffEntry* Find(std::uint16_t tag) const;
    // Type and count of an entry; 0 when the tag is absent.
    std::uint16_t EntryType(std::uint16_t tag) const;
    std::uint32_t EntryCount(std::uint16_t tag) const;
    // True when the tag is present with exactly this type and count (pointer tags, for example).
    bool Holds(std::uint16_t tag, std::uint16_t type, std::uint32_t count) const;

    // Copies the value in machine order into the buffer, which must hold type size x count
    // bytes (kBadCount otherwise). kTagNotFound, kBadType, kEndOfFile when the value lies
    // outside the stream.
    TiffResult ReadValue(std::uint16_t tag, std::span<std::uint8_t> buffer) const;
    // The same into a vector sized to fit; the size is checked against the stream first, so a
    // damaged count cannot make it allocate more than the data holds.
    TiffResult ReadValueBytes(std::uint16_t tag, std::vector<std::uint8_t>& bytes) const;
    // SHORT values widened, or LONG values; other types fail with kBadType, too many values for
    // the buffer with kBadCount.
    TiffResult ReadValue32(std::uint16_t tag, std::span<std::uint32_t> values) const;
    // A single SHORT or LONG value (count 1), as used for sizes and pointers.
    TiffResult ReadUint32(std::uint16_t tag, std::uint32_t& value) const;

    // Adds an entry owning `value` (machine order, type size x count bytes). kTagExists when
    // the tag is present, kBadType for an invalid type, kBadCount for count 0, kBadArgument
    // when the value's size does not match, kMalformed beyond 2048 entries.
    TiffResult AddEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                        std::span<const std::uint8_t> value);
    // Adds every entry of `source` (values read through its stream); stops at the first failure
    // and returns it. Tags already present here fail with kTagExists.
    TiffResult CopyEntries(const TiffDirectory& source);
    // Sorts by tag, ascending (the order a written directory needs).
    void Sort();
    void Clear();

    std::uint32_t Offset() const { return m_offset; }
    std::size_t Size() const { return m_entries.size(); }
    std::size_t Capacity() const { return m_capacity; }
    bool IsEmpty() const { return m_entries.empty(); }
    bool IsFromStream() const { return m_fromStream; }
    std::uint32_t NextOffset() const { return m_nextOffset; }
    void SetNextOffset(std::uint32_t offset) { m_nextOffset = offset; }
    std::span<const TiffEntry> Entries() const { return m_entries; }

private:
    TiffResult ReadEntries(TiffStream& stream);
    TiffResult Grow();

    TiffStream m_stream;
    std::vector<TiffEntry> m_entries;
    std::size_t m_capacity = 0;
    std::uint32_t m_offset = 0;
    std::uint32_t m_nextOffset = 0;
    bool m_fromStream = false;
    // Sorted directories (read ones, or after Sort) let lookups stop at the first larger tag;
    // entries added in memory arrive in any order, so lookups then scan them all.
    bool m_sorted = false;
};
