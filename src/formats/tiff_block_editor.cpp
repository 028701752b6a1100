#include "formats/tiff_block_editor.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

#include "formats/exif_reader.h"
#include "formats/maker_note_layout.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_directory.h"

namespace {

constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
// In the maker's note: its layout version, and the mark of a picture whose tags the browser
// rewrote.
constexpr std::uint16_t kMakerVersionTag = 0x0000;
constexpr std::uint16_t kMakerRewrittenTag = 0x8800;
constexpr std::array<std::uint8_t, 4> kMakerVersion = {'0', '1', '3', '0'};
constexpr std::uint16_t kMakerRewrittenValue = 1;

bool IsSingleLong(const RawEntry* entry)
{
    return entry && entry->type == kTiffLong && entry->count == 1;
}

} // namespace

RawEntry* RawDirectory::Find(std::uint16_t tag)
{
    const auto it
        = std::find_if(entries.begin(), entries.end(), [tag](const RawEntry& entry) { return entry.tag == tag; });
    return it == entries.end() ? nullptr : &*it;
}

const RawEntry* RawDirectory::Find(std::uint16_t tag) const
{
    return const_cast<RawDirectory*>(this)->Find(tag);
}

bool ReadRawDirectory(std::span<const std::uint8_t> data, TiffByteOrder order, std::uint32_t offset,
                      RawDirectory& directory)
{
    if (std::uint64_t{offset} + 2 > data.size())
        return false;
    const std::uint32_t count = order.Get(data, offset, 2);
    const std::uint64_t end = std::uint64_t{offset} + 2 + kTiffEntrySize * count + 4;
    if (count > TiffDirectory::kMaxEntries || end > data.size())
        return false;
    directory = RawDirectory{};
    directory.offset = offset;
    directory.entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + kTiffEntrySize * i;
        RawEntry entry;
        entry.tag = static_cast<std::uint16_t>(order.Get(data, at, 2));
        entry.type = static_cast<std::uint16_t>(order.Get(data, at + 2, 2));
        entry.count = order.Get(data, at + 4, 4);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at + 8), 4, entry.field.begin());
        entry.position = at;
        directory.entries.push_back(entry);
    }
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(end - 4), 4, directory.next.begin());
    return true;
}

void PutEntry(std::span<std::uint8_t> data, std::size_t at, TiffByteOrder order, const RawEntry& entry)
{
    order.Put(data, at, entry.tag, 2);
    order.Put(data, at + 2, entry.type, 2);
    order.Put(data, at + 4, entry.count, 4);
    std::copy(entry.field.begin(), entry.field.end(), data.begin() + static_cast<std::ptrdiff_t>(at + 8));
}

bool ValueRange(const RawEntry& entry, TiffByteOrder order, std::size_t dataSize, std::uint32_t& offset)
{
    offset = order.Get(entry.field, 0, 4);
    return entry.ByteSize() > 4 && std::uint64_t{offset} + entry.ByteSize() <= dataSize;
}

bool Overwrite(std::vector<std::uint8_t>& data, std::size_t at, std::span<const std::uint8_t> bytes)
{
    if (std::equal(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at)))
        return false;
    std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

TiffBlockEditor::TiffBlockEditor(std::vector<std::uint8_t> block, TiffByteOrder order)
    : m_block(std::move(block))
    , m_order(order)
{
}

TiffEditResult TiffBlockEditor::ReadDirectories(const ExifReader& reader)
{
    m_readerHasThumbnail = reader.Thumbnail() != nullptr;
    const std::uint32_t ifd0 = m_order.Get(m_block, 4, 4);
    if (!ReadRawDirectory(m_block, m_order, ifd0, m_ifd0))
        return TiffEditResult::kDamaged;
    const RawEntry* pointer = m_ifd0.Find(kExifPointerTag);
    if (!pointer) {
        const TiffEditResult result = FindDanglingReach(reader);
        return result == TiffEditResult::kOk ? TiffEditResult::kNoExif : result;
    }
    if (pointer->type != kTiffLong || pointer->count != 1)
        return TiffEditResult::kDamaged;
    if (!ReadRawDirectory(m_block, m_order, m_order.Get(pointer->field, 0, 4), m_exif))
        return TiffEditResult::kDamaged;
    m_hasExif = true;
    // Another maker's note may point anywhere in the block (some count from the wrong
    // base and land in other tags' values), so beside one no value is overwritten.
    const RawEntry* note = m_exif.Find(kMakerNoteTag);
    m_mayOverwrite = !note || MakersOwnNote(*note).has_value();
    return FindDanglingReach(reader);
}

TiffEditResult TiffBlockEditor::ReadThumbnailAndNote()
{
    if (const std::uint32_t next = m_order.Get(m_ifd0.next, 0, 4); next != 0 && m_readerHasThumbnail) {
        RawDirectory thumbnail;
        if (!ReadRawDirectory(m_block, m_order, next, thumbnail))
            return TiffEditResult::kDamaged;
        m_thumbnail = std::move(thumbnail);
    }
    const RawEntry* entry = m_hasExif ? m_exif.Find(kMakerNoteTag) : nullptr;
    const std::optional<std::uint32_t> start = entry ? MakersOwnNote(*entry) : std::nullopt;
    if (!start)
        return TiffEditResult::kOk;
    const auto size = static_cast<std::uint32_t>(entry->ByteSize());
    const std::span<const std::uint8_t> note(m_block.data() + *start, size);
    const TiffByteOrder little{false};
    RawDirectory directory;
    if (note.size() >= kMakerNoteDirectoryOffset && ReadRawDirectory(note, little, little.Get(note, 8, 4), directory)) {
        m_note = std::move(directory);
        m_noteStart = *start;
        m_noteSize = size;
    }
    return TiffEditResult::kOk;
}

TiffEditResult TiffBlockEditor::SetExifValue(std::uint16_t tag, std::uint16_t type,
                                             std::span<const std::uint8_t> value, bool mayPad)
{
    RawEntry* entry = m_exif.Find(tag);
    std::uint32_t current = 0;
    if (entry && entry->type == type && ValueRange(*entry, m_order, m_block.size(), current)
        && (entry->ByteSize() == value.size() || (mayPad && entry->ByteSize() > value.size()))) {
        std::vector<std::uint8_t> padded(value.begin(), value.end());
        padded.resize(static_cast<std::size_t>(entry->ByteSize()), 0);
        if (std::equal(padded.begin(), padded.end(), m_block.begin() + current))
            return TiffEditResult::kOk;
        if (m_mayOverwrite && !HoldsStructure(current, padded.size())) {
            Overwrite(m_block, current, padded);
            m_changed = true;
            return TiffEditResult::kOk;
        }
    }
    std::uint32_t offset = 0;
    if (!Append(value, offset))
        return TiffEditResult::kTooLarge;
    RawEntry updated;
    updated.tag = tag;
    updated.type = type;
    updated.count = static_cast<std::uint32_t>(value.size() / TiffTypeSize(type));
    m_order.Put(updated.field, 0, offset, 4);
    updated.modified = true;
    if (entry) {
        updated.position = entry->position;
        *entry = updated;
    } else {
        m_exif.entries.push_back(updated);
        m_exif.grown = true;
    }
    m_changed = true;
    return TiffEditResult::kOk;
}

const RawDirectory* TiffBlockEditor::DirectoryOf(Directory directory) const
{
    switch (directory) {
    case Directory::kPrimary: return &m_ifd0;
    case Directory::kExif: return m_hasExif ? &m_exif : nullptr;
    case Directory::kThumbnail: return m_thumbnail ? &*m_thumbnail : nullptr;
    case Directory::kMakersNote: return m_note ? &*m_note : nullptr;
    }
    return nullptr;
}

RawDirectory* TiffBlockEditor::DirectoryOf(Directory directory)
{
    return const_cast<RawDirectory*>(std::as_const(*this).DirectoryOf(directory));
}

TiffBlockEditor::Place TiffBlockEditor::PlaceOf(Directory directory) const
{
    if (directory == Directory::kMakersNote)
        return {m_noteStart, m_noteSize, TiffByteOrder{false}};
    return {0, m_block.size(), m_order};
}

std::optional<std::vector<std::int64_t>> TiffBlockEditor::Numbers(Directory directory, std::uint16_t tag) const
{
    const RawDirectory* raw = DirectoryOf(directory);
    const RawEntry* entry = raw ? raw->Find(tag) : nullptr;
    if (!entry || (entry->type != kTiffShort && entry->type != kTiffLong))
        return std::nullopt;
    const Place place = PlaceOf(directory);
    const std::size_t size = TiffTypeSize(entry->type);
    std::span<const std::uint8_t> bytes = entry->field;
    if (entry->ByteSize() > 4) {
        std::uint32_t offset = 0;
        if (!ValueRange(*entry, place.order, place.size, offset))
            return std::nullopt;
        bytes = std::span<const std::uint8_t>(m_block).subspan(place.base + offset,
                                                                static_cast<std::size_t>(entry->ByteSize()));
    }
    std::vector<std::int64_t> values(entry->count);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = place.order.Get(bytes, i * size, size);
    return values;
}

bool TiffBlockEditor::SetNumbers(Directory directory, std::uint16_t tag, std::span<const std::int64_t> values)
{
    RawDirectory* raw = DirectoryOf(directory);
    RawEntry* entry = raw ? raw->Find(tag) : nullptr;
    if (!entry || (entry->type != kTiffShort && entry->type != kTiffLong) || entry->count != values.size())
        return false;
    const Place place = PlaceOf(directory);
    const std::size_t size = TiffTypeSize(entry->type);
    const std::int64_t largest = entry->type == kTiffShort ? 0xFFFF : std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        bytes.resize(bytes.size() + size);
        place.order.Put(bytes, i * size, static_cast<std::uint32_t>(std::clamp<std::int64_t>(values[i], 0, largest)),
                        size);
    }
    const std::size_t entryAt = place.base + static_cast<std::size_t>(entry->position);
    if (bytes.size() <= 4) {
        // Inline: only the value's own bytes change, the padding stays as it was.
        std::copy(bytes.begin(), bytes.end(), entry->field.begin());
        m_changed = Overwrite(m_block, entryAt + 8, bytes) || m_changed;
        return true;
    }
    std::uint32_t offset = 0;
    if (!ValueRange(*entry, place.order, place.size, offset))
        return false;
    if (std::equal(bytes.begin(), bytes.end(), m_block.begin() + static_cast<std::ptrdiff_t>(place.base + offset)))
        return true;
    const bool overStructure = HoldsStructure(place.base + offset, bytes.size());
    if (overStructure && directory == Directory::kMakersNote)
        return false; // the note's offsets cannot reach past the note
    if ((directory == Directory::kExif && !m_mayOverwrite) || overStructure) {
        if (!Append(bytes, offset))
            return false;
        m_order.Put(entry->field, 0, offset, 4);
        PutEntry(m_block, entryAt, m_order, *entry);
    } else {
        Overwrite(m_block, place.base + offset, bytes);
    }
    m_changed = true;
    return true;
}

bool TiffBlockEditor::HoldsStructure(std::uint64_t at, std::uint64_t size) const
{
    const std::uint64_t end = at + size;
    const auto overlaps = [&](std::uint64_t start, std::uint64_t length) { return at < start + length && start < end; };
    constexpr std::uint64_t kTiffHeaderSize = 8;
    if (overlaps(0, kTiffHeaderSize))
        return true;
    const auto extent = [](std::size_t entries) { return 2 + kTiffEntrySize * entries + 4; };
    const auto holds = [&](const RawDirectory& directory, std::uint64_t base) {
        return overlaps(base + directory.offset, extent(directory.entries.size()));
    };
    if (holds(m_ifd0, 0) || (m_hasExif && holds(m_exif, 0)) || (m_thumbnail && holds(*m_thumbnail, 0))
        || (m_note && holds(*m_note, m_noteStart)))
        return true;
    // The GPS and interoperability directories are not read; their size is in their count.
    for (const RawEntry* pointer : {m_ifd0.Find(kGpsPointerTag), m_hasExif ? m_exif.Find(kInteropPointerTag) : nullptr}) {
        if (!pointer)
            continue;
        const std::uint32_t offset = m_order.Get(pointer->field, 0, 4);
        if (std::uint64_t{offset} + 2 > m_block.size())
            continue;
        if (overlaps(offset, extent(m_order.Get(m_block, offset, 2))))
            return true;
    }
    return false;
}

TiffEditResult TiffBlockEditor::ReplaceThumbnail(std::span<const std::uint8_t> jpeg)
{
    RawEntry* start = m_thumbnail ? m_thumbnail->Find(kThumbnailOffsetTag) : nullptr;
    RawEntry* length = m_thumbnail ? m_thumbnail->Find(kThumbnailLengthTag) : nullptr;
    if (!IsSingleLong(start) || !IsSingleLong(length))
        return TiffEditResult::kDamaged;
    const std::uint32_t oldStart = m_order.Get(start->field, 0, 4);
    const std::uint32_t oldLength = m_order.Get(length->field, 0, 4);
    if (jpeg.size() <= oldLength && std::uint64_t{oldStart} + oldLength <= m_block.size()
        && !HoldsStructure(oldStart, oldLength)) {
        std::vector<std::uint8_t> padded(jpeg.begin(), jpeg.end());
        padded.resize(oldLength, 0);
        Overwrite(m_block, oldStart, padded);
    } else {
        std::uint32_t offset = 0;
        if (!Append(jpeg, offset))
            return TiffEditResult::kTooLarge;
        m_order.Put(start->field, 0, offset, 4);
        PutEntry(m_block, static_cast<std::size_t>(start->position), m_order, *start);
    }
    m_order.Put(length->field, 0, static_cast<std::uint32_t>(jpeg.size()), 4);
    PutEntry(m_block, static_cast<std::size_t>(length->position), m_order, *length);
    m_changed = true;
    return TiffEditResult::kOk;
}

TiffEditResult TiffBlockEditor::MarkMakerNote()
{
    RawEntry* entry = m_exif.Find(kMakerNoteTag);
    const std::optional<std::uint32_t> start = entry ? MakersOwnNote(*entry) : std::nullopt;
    if (!start)
        return TiffEditResult::kOk;
    const std::uint32_t offset = *start;
    const std::span<const std::uint8_t> note(m_block.data() + offset, static_cast<std::size_t>(entry->ByteSize()));
    TiffDirectory directory;
    if (!Succeeded(ReadMakerNoteDirectory(note, directory)))
        return TiffEditResult::kDamaged;
    // The note's directory is little-endian and counts from the note's start.
    const TiffByteOrder little{false};
    RawDirectory raw;
    if (!ReadRawDirectory(note, little, little.Get(note, 8, 4), raw))
        return TiffEditResult::kDamaged;

    RawEntry* mark = raw.Find(kMakerRewrittenTag);
    RawEntry* version = raw.Find(kMakerVersionTag);
    if (mark && version) {
        // Both entries exist: their values fit into the entries themselves.
        mark->type = kTiffShort;
        mark->count = 1;
        mark->field = {};
        little.Put(mark->field, 0, kMakerRewrittenValue, 2);
        version->type = kTiffUndefined;
        version->count = 4;
        version->field = kMakerVersion;
        for (const RawEntry* changed : {mark, version}) {
            std::array<std::uint8_t, kTiffEntrySize> bytes{};
            PutEntry(bytes, 0, little, *changed);
            m_changed = Overwrite(m_block, offset + changed->position, bytes) || m_changed;
        }
        return TiffEditResult::kOk;
    }
    return RebuildMakerNote(*entry, directory);
}

TiffEditResult TiffBlockEditor::WriteExifDirectory()
{
    if (!m_exif.grown) {
        for (const RawEntry& entry : m_exif.entries) {
            if (entry.modified)
                PutEntry(m_block, static_cast<std::size_t>(entry.position), m_order, entry);
        }
        return TiffEditResult::kOk;
    }
    std::stable_sort(m_exif.entries.begin(), m_exif.entries.end(),
                     [](const RawEntry& a, const RawEntry& b) { return a.tag < b.tag; });
    if (m_exif.entries.size() > TiffDirectory::kMaxEntries)
        return TiffEditResult::kTooLarge;
    std::vector<std::uint8_t> bytes(2 + kTiffEntrySize * m_exif.entries.size() + 4);
    m_order.Put(bytes, 0, static_cast<std::uint32_t>(m_exif.entries.size()), 2);
    for (std::size_t i = 0; i < m_exif.entries.size(); ++i)
        PutEntry(bytes, 2 + kTiffEntrySize * i, m_order, m_exif.entries[i]);
    std::copy(m_exif.next.begin(), m_exif.next.end(), bytes.end() - 4);
    std::uint32_t offset = 0;
    if (!Append(bytes, offset))
        return TiffEditResult::kTooLarge;
    RawEntry* pointer = m_ifd0.Find(kExifPointerTag);
    m_order.Put(pointer->field, 0, offset, 4);
    PutEntry(m_block, static_cast<std::size_t>(pointer->position), m_order, *pointer);
    m_changed = true;
    return TiffEditResult::kOk;
}

// Appends at the next even offset (TIFF values start on word boundaries), behind anything
// that already points past the end; false when the block would outgrow 32-bit offsets.
bool TiffBlockEditor::Append(std::span<const std::uint8_t> bytes, std::uint32_t& offset)
{
    if (m_block.size() < m_reach)
        m_block.resize(static_cast<std::size_t>(m_reach), 0);
    if (m_block.size() % 2 != 0)
        m_block.push_back(0);
    if (m_block.size() + bytes.size() > 0xFFFFFFFFu)
        return false;
    offset = static_cast<std::uint32_t>(m_block.size());
    m_block.insert(m_block.end(), bytes.begin(), bytes.end());
    return true;
}

// Values, the thumbnail and directories that the tree points to past the block's end (cut
// values, an interoperability pointer left behind by an editor that shortened the block)
// would take appended bytes as theirs. Appended data therefore starts behind all of them;
// the gap stays zero. What starts beyond the largest possible block can never be reached.
TiffEditResult TiffBlockEditor::FindDanglingReach(const ExifReader& reader)
{
    const std::uint64_t size = m_block.size();
    m_reach = size;
    const auto reaches = [&](std::uint64_t start, std::uint64_t length) {
        if (start < kMaxExifBlockSize && start + length > size)
            m_reach = std::max(m_reach, start + length);
    };
    // A directory there would be read with its count from the old bytes, if they hold it.
    const auto directoryReaches = [&](std::uint32_t start) {
        const std::uint64_t count = std::uint64_t{start} + 2 <= size ? m_order.Get(m_block, start, 2) : 0;
        reaches(start, 2 + kTiffEntrySize * count + 4);
    };
    for (const TiffDirectory* directory : {reader.Primary(), reader.Exif(), reader.Interop(), reader.Gps(),
                                           reader.Thumbnail(), reader.ThumbnailExif(), reader.ThumbnailGps()}) {
        if (!directory)
            continue;
        for (const TiffEntry& entry : directory->Entries()) {
            if (!entry.IsInline())
                reaches(entry.Offset(), entry.ByteSize());
        }
    }
    std::uint32_t pointer = 0;
    if (const TiffDirectory* exif = reader.Exif(); exif && exif->Holds(kInteropPointerTag, kTiffLong, 1)
        && Succeeded(exif->ReadUint32(kInteropPointerTag, pointer)) && pointer >= size)
        directoryReaches(pointer);
    if (const TiffDirectory* thumbnail = reader.Thumbnail()) {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
        if (Succeeded(thumbnail->ReadUint32(kThumbnailOffsetTag, start))
            && Succeeded(thumbnail->ReadUint32(kThumbnailLengthTag, length)))
            reaches(start, length);
        if (thumbnail->NextOffset() != 0)
            directoryReaches(thumbnail->NextOffset());
    }
    return m_reach > kMaxExifBlockSize ? TiffEditResult::kDamaged : TiffEditResult::kOk;
}

// Where the maker's own note starts; none for another maker's note or one that does not lie
// inside the block.
std::optional<std::uint32_t> TiffBlockEditor::MakersOwnNote(const RawEntry& entry) const
{
    std::uint32_t offset = 0;
    if (!ValueRange(entry, m_order, m_block.size(), offset))
        return std::nullopt;
    const std::span<const std::uint8_t> note(m_block.data() + offset, static_cast<std::size_t>(entry.ByteSize()));
    return IsKavorineMakerNote(note) ? std::optional(offset) : std::nullopt;
}

// The note is self-relative, so it may be laid out anew and put at the end; the old bytes
// stay unused where they were.
TiffEditResult TiffBlockEditor::RebuildMakerNote(RawEntry& noteEntry, const TiffDirectory& directory)
{
    std::vector<TagEntry> entries;
    entries.reserve(directory.Size() + 2);
    for (const TiffEntry& source : directory.Entries()) {
        TagEntry entry{source.tag, source.type, source.count, {}};
        if (!Succeeded(directory.ReadValueBytes(source.tag, entry.value)))
            return TiffEditResult::kDamaged;
        entries.push_back(std::move(entry));
    }
    const auto set = [&entries](std::uint16_t tag, std::uint16_t type, std::vector<std::uint8_t> value) {
        const auto count = static_cast<std::uint32_t>(value.size() / TiffTypeSize(type));
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [tag](const TagEntry& entry) { return entry.tag == tag; });
        if (it != entries.end())
            *it = TagEntry{tag, type, count, std::move(value)};
        else
            entries.push_back(TagEntry{tag, type, count, std::move(value)});
    };
    std::vector<std::uint8_t> mark(2);
    std::memcpy(mark.data(), &kMakerRewrittenValue, 2);
    set(kMakerRewrittenTag, kTiffShort, std::move(mark));
    set(kMakerVersionTag, kTiffUndefined, std::vector<std::uint8_t>(kMakerVersion.begin(), kMakerVersion.end()));

    std::vector<std::uint8_t> note;
    if (const TiffResult result = LayOutMakerNote(entries, note); !Succeeded(result))
        return result == TiffResult::kOutOfMemory ? TiffEditResult::kOutOfMemory : TiffEditResult::kDamaged;
    std::uint32_t offset = 0;
    if (!Append(note, offset))
        return TiffEditResult::kTooLarge;
    noteEntry.type = kTiffUndefined;
    noteEntry.count = static_cast<std::uint32_t>(note.size());
    m_order.Put(noteEntry.field, 0, offset, 4);
    noteEntry.modified = true;
    m_changed = true;
    return TiffEditResult::kOk;
}
