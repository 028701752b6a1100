#include "formats/tiff_directory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

std::uint32_t TiffEntry::Offset() const
{
    std::uint32_t offset = 0;
    std::memcpy(&offset, field.data(), sizeof offset);
    return offset;
}

namespace {

// Copies the value of one entry into `buffer` (at least ByteSize() bytes), in machine order.
TiffResult ReadEntryValue(const TiffStream& stream, const TiffEntry& entry, std::span<std::uint8_t> buffer)
{
    const std::size_t size = static_cast<std::size_t>(entry.ByteSize());
    if (size == 0)
        return TiffResult::kOk;
    if (!entry.value.empty()) {
        std::memcpy(buffer.data(), entry.value.data(), size);
        return TiffResult::kOk;
    }
    if (entry.IsInline()) {
        std::memcpy(buffer.data(), entry.field.data(), size);
        return TiffResult::kOk;
    }
    const std::span<std::uint8_t> target = buffer.first(size);
    if (const TiffResult result = stream.ReadAt(entry.Offset(), target); !Succeeded(result))
        return result;
    stream.SwapValues(entry.type, target);
    return TiffResult::kOk;
}

// Whether a value stored outside its entry lies inside the stream.
bool ValueFitsStream(const TiffStream& stream, const TiffEntry& entry)
{
    if (!entry.value.empty() || entry.IsInline())
        return true;
    const std::uint64_t length = stream.Length();
    return entry.Offset() <= length && entry.ByteSize() <= length - entry.Offset();
}

} // namespace

TiffResult TiffDirectory::Read(const TiffStream& stream, std::uint32_t offset)
{
    if (!m_entries.empty())
        return TiffResult::kNotReady;

    TiffStream reader = stream;
    TiffResult result = reader.Seek(offset);
    if (Succeeded(result))
        result = ReadEntries(reader);
    if (!Succeeded(result)) {
        Clear();
        return result;
    }
    m_stream = std::move(reader);
    m_offset = offset;
    m_fromStream = true;
    m_sorted = true;
    return TiffResult::kOk;
}

TiffResult TiffDirectory::ReadEntries(TiffStream& stream)
{
    std::uint16_t declared = 0;
    if (const TiffResult result = stream.Read16(declared); !Succeeded(result))
        return result;
    if (declared > kMaxEntries)
        return TiffResult::kMalformed;
    try {
        m_entries.reserve(declared);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    m_capacity = declared;

    for (std::uint16_t i = 0; i < declared; ++i) {
        TiffEntry entry;
        TiffResult result = stream.Read16(entry.tag);
        if (Succeeded(result))
            result = stream.Read16(entry.type);
        if (Succeeded(result))
            result = stream.Read32(entry.count);
        if (Succeeded(result))
            result = stream.ReadBytes(entry.field);
        if (!Succeeded(result))
            return result;
        // Unknown types cannot be sized, so such entries are useless; the rest stays readable.
        if (!IsValidTiffType(entry.type))
            continue;
        stream.SwapValues(entry.IsInline() ? entry.type : std::uint16_t{kTiffLong}, entry.field);
        m_entries.push_back(std::move(entry));
    }
    if (const TiffResult result = stream.Read32(m_nextOffset); !Succeeded(result))
        return result;
    Sort();
    return TiffResult::kOk;
}

void TiffDirectory::Sort()
{
    // A two-way bubble sort: directories from files are almost always sorted already, so one
    // pass without an exchange ends it, and equal tags keep their order.
    std::size_t low = 0;
    std::size_t high = m_entries.size();
    while (high - low > 1) {
        bool exchanged = false;
        for (std::size_t i = low; i + 1 < high; ++i) {
            if (m_entries[i].tag > m_entries[i + 1].tag) {
                std::swap(m_entries[i], m_entries[i + 1]);
                exchanged = true;
            }
        }
        --high;
        if (!exchanged)
            break;
        exchanged = false;
        for (std::size_t i = high - 1; i > low; --i) {
            if (m_entries[i - 1].tag > m_entries[i].tag) {
                std::swap(m_entries[i - 1], m_entries[i]);
                exchanged = true;
            }
        }
        ++low;
        if (!exchanged)
            break;
    }
    m_sorted = true;
}

void TiffDirectory::Clear()
{
    m_stream = TiffStream();
    m_entries.clear();
    m_capacity = 0;
    m_offset = 0;
    m_nextOffset = 0;
    m_fromStream = false;
    m_sorted = false;
}

const TiffEntry* TiffDirectory::Find(std::uint16_t tag) const
{
    for (const TiffEntry& entry : m_entries) {
        if (entry.tag == tag)
            return &entry;
        // Sorted directories (everything read from a stream) can stop early.
        if (m_sorted && entry.tag > tag)
            break;
    }
    return nullptr;
}

std::uint16_t TiffDirectory::EntryType(std::uint16_t tag) const
{
    const TiffEntry* entry = Find(tag);
    return entry ? entry->type : 0;
}

std::uint32_t TiffDirectory::EntryCount(std::uint16_t tag) const
{
    const TiffEntry* entry = Find(tag);
    return entry ? entry->count : 0;
}

bool TiffDirectory::Holds(std::uint16_t tag, std::uint16_t type, std::uint32_t count) const
{
    const TiffEntry* entry = Find(tag);
    return entry && entry->type == type && entry->count == count;
}

TiffResult TiffDirectory::ReadValue(std::uint16_t tag, std::span<std::uint8_t> buffer) const
{
    const TiffEntry* entry = Find(tag);
    if (!entry)
        return TiffResult::kTagNotFound;
    if (!IsValidTiffType(entry->type))
        return TiffResult::kBadType;
    if (entry->ByteSize() > buffer.size())
        return TiffResult::kBadCount;
    return ReadEntryValue(m_stream, *entry, buffer);
}

TiffResult TiffDirectory::ReadValueBytes(std::uint16_t tag, std::vector<std::uint8_t>& bytes) const
{
    const TiffEntry* entry = Find(tag);
    if (!entry)
        return TiffResult::kTagNotFound;
    if (!IsValidTiffType(entry->type))
        return TiffResult::kBadType;
    if (!ValueFitsStream(m_stream, *entry))
        return TiffResult::kEndOfFile;
    try {
        bytes.assign(static_cast<std::size_t>(entry->ByteSize()), 0);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    return ReadEntryValue(m_stream, *entry, bytes);
}

TiffResult TiffDirectory::ReadValue32(std::uint16_t tag, std::span<std::uint32_t> values) const
{
    const TiffEntry* entry = Find(tag);
    if (!entry)
        return TiffResult::kTagNotFound;
    if (entry->type != kTiffShort && entry->type != kTiffLong)
        return TiffResult::kBadType;
    if (entry->count > values.size())
        return TiffResult::kBadCount;

    std::vector<std::uint8_t> bytes;
    if (const TiffResult result = ReadValueBytes(tag, bytes); !Succeeded(result))
        return result;
    for (std::uint32_t i = 0; i < entry->count; ++i) {
        if (entry->type == kTiffShort) {
            std::uint16_t value = 0;
            std::memcpy(&value, bytes.data() + 2 * i, sizeof value);
            values[i] = value;
        } else {
            std::memcpy(&values[i], bytes.data() + 4 * i, sizeof values[i]);
        }
    }
    return TiffResult::kOk;
}

TiffResult TiffDirectory::ReadUint32(std::uint16_t tag, std::uint32_t& value) const
{
    const TiffEntry* entry = Find(tag);
    if (!entry)
        return TiffResult::kTagNotFound;
    if (entry->count != 1)
        return TiffResult::kBadCount;
    return ReadValue32(tag, std::span(&value, 1));
}

TiffResult TiffDirectory::Grow()
{
    if (m_entries.size() < m_capacity)
        return TiffResult::kOk;
    if (m_entries.size() >= kMaxEntries)
        return TiffResult::kMalformed;
    try {
        m_entries.reserve(m_capacity + kGrowthStep);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    m_capacity += kGrowthStep;
    return TiffResult::kOk;
}

TiffResult TiffDirectory::AddEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                                   std::span<const std::uint8_t> value)
{
    const bool present = std::any_of(m_entries.begin(), m_entries.end(),
                                     [tag](const TiffEntry& entry) { return entry.tag == tag; });
    if (present)
        return TiffResult::kTagExists;
    if (!IsValidTiffType(type))
        return TiffResult::kBadType;
    if (count == 0)
        return TiffResult::kBadCount;

    TiffEntry entry;
    entry.tag = tag;
    entry.type = type;
    entry.count = count;
    if (value.size() != entry.ByteSize())
        return TiffResult::kBadArgument;
    if (const TiffResult result = Grow(); !Succeeded(result))
        return result;
    try {
        entry.value.assign(value.begin(), value.end());
        if (entry.IsInline())
            std::copy(value.begin(), value.end(), entry.field.begin());
        m_entries.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    // Entries are appended in the caller's order, so lookups must scan everything again.
    m_sorted = false;
    return TiffResult::kOk;
}

TiffResult TiffDirectory::CopyEntries(const TiffDirectory& source)
{
    std::vector<std::uint8_t> bytes;
    for (const TiffEntry& entry : source.m_entries) {
        // An entry without elements carries nothing to copy.
        if (entry.count == 0)
            continue;
        if (!ValueFitsStream(source.m_stream, entry))
            return TiffResult::kEndOfFile;
        try {
            bytes.assign(static_cast<std::size_t>(entry.ByteSize()), 0);
        } catch (const std::bad_alloc&) {
            return TiffResult::kOutOfMemory;
        }
        TiffResult result = ReadEntryValue(source.m_stream, entry, bytes);
        if (Succeeded(result))
            result = AddEntry(entry.tag, entry.type, entry.count, bytes);
        if (!Succeeded(result))
            return result;
    }
    return TiffResult::kOk;
}
