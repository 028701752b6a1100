#include "formats/exif_tag_update.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "formats/exif_reader.h"
#include "formats/jpeg_marker_reader.h"
#include "formats/maker_note_layout.h"
#include "formats/shooting_date.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_directory.h"
#include "formats/tiff_stream.h"
#include "framework/text_conversion.h"
#include "framework/atomic_file.h"
#include "framework/file_bytes.h"

namespace {

constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr std::uint16_t kUserCommentTag = 0x9286;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
// In the maker's note: its layout version, and the mark of a picture whose tags the browser
// rewrote.
constexpr std::uint16_t kMakerVersionTag = 0x0000;
constexpr std::uint16_t kMakerRewrittenTag = 0x8800;
constexpr std::array<std::uint8_t, 4> kMakerVersion = {'0', '1', '3', '0'};
constexpr std::uint16_t kMakerRewrittenValue = 1;

// "Exif", a zero byte and a pad byte, then the TIFF header.
constexpr std::size_t kExifPreambleSize = 6;
constexpr std::array<std::uint8_t, 5> kExifSignature = {'E', 'x', 'i', 'f', 0};
constexpr std::uint16_t kShortestExifSegment = 8;
// The segment's 16-bit length counts itself.
constexpr std::size_t kMaxSegmentPayload = 65533;
constexpr std::size_t kMaxBlockSize = kMaxSegmentPayload - kExifPreambleSize;
constexpr std::size_t kDateValueSize = 20;
// What the comment field of the date and comment panel holds.
constexpr std::size_t kMaxCommentBytes = 255;
constexpr std::size_t kEntrySize = 12;

constexpr std::array<std::uint8_t, 8> kAsciiCode = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
constexpr std::array<std::uint8_t, 8> kUnicodeCode = {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0};

// Reading and writing 16- and 32-bit numbers in one byte order.
struct ByteOrder {
    bool big = false;

    std::uint32_t Get(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) const
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{bytes[at + i]} << (8 * (big ? size - 1 - i : i));
        return value;
    }
    void Put(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value, std::size_t size) const
    {
        for (std::size_t i = 0; i < size; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (big ? size - 1 - i : i)));
    }
};

// One 12-byte directory entry as it stands in the data: the last four bytes are kept raw, in
// the data's byte order, so an entry copied elsewhere keeps its meaning.
struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};
    std::uint64_t position = 0; // of the entry in the data it was read from
    bool modified = false;

    std::uint64_t ByteSize() const { return std::uint64_t{TiffTypeSize(type)} * count; }
};

// A directory read without interpreting it: every entry in file order, unknown types too.
struct RawDirectory {
    std::uint32_t offset = 0;
    std::vector<RawEntry> entries;
    std::array<std::uint8_t, 4> next{};
    bool grown = false; // holds an entry the data does not have yet

    RawEntry* Find(std::uint16_t tag)
    {
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [tag](const RawEntry& entry) { return entry.tag == tag; });
        return it == entries.end() ? nullptr : &*it;
    }
};

bool ReadRawDirectory(std::span<const std::uint8_t> data, ByteOrder order, std::uint32_t offset,
                      RawDirectory& directory)
{
    if (std::uint64_t{offset} + 2 > data.size())
        return false;
    const std::uint32_t count = order.Get(data, offset, 2);
    const std::uint64_t end = std::uint64_t{offset} + 2 + kEntrySize * count + 4;
    if (count > TiffDirectory::kMaxEntries || end > data.size())
        return false;
    directory = RawDirectory{};
    directory.offset = offset;
    directory.entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + kEntrySize * i;
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

void PutEntry(std::span<std::uint8_t> data, std::size_t at, ByteOrder order, const RawEntry& entry)
{
    order.Put(data, at, entry.tag, 2);
    order.Put(data, at + 2, entry.type, 2);
    order.Put(data, at + 4, entry.count, 4);
    std::copy(entry.field.begin(), entry.field.end(), data.begin() + static_cast<std::ptrdiff_t>(at + 8));
}

// Where an out-of-line value lies, when all of it lies inside the data.
bool ValueRange(const RawEntry& entry, ByteOrder order, std::size_t dataSize, std::uint32_t& offset)
{
    offset = order.Get(entry.field, 0, 4);
    return entry.ByteSize() > 4 && std::uint64_t{offset} + entry.ByteSize() <= dataSize;
}

// Writes bytes at an offset; true when that changed anything.
bool Overwrite(std::vector<std::uint8_t>& data, std::size_t at, std::span<const std::uint8_t> bytes)
{
    if (std::equal(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at)))
        return false;
    std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

// The UTF-8 text cut at its first zero byte and to at most `limit` bytes, never inside a
// character.
std::string_view CutComment(std::string_view text, std::size_t limit)
{
    return CutUtf8(text.substr(0, text.find('\0')), limit);
}

// Strict UTF-8 decoding; a malformed sequence stands for one U+FFFD.
std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x06              ? 2
            : (lead >> 4) == 0x0E              ? 3
            : (lead >> 3) == 0x1E              ? 4
                                               : 0;
        char32_t point = length == 1 ? lead
            : length == 2            ? lead & 0x1F
            : length == 3            ? lead & 0x0F
                                     : lead & 0x07;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid
            = valid && point >= kShortest[length] && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
        points.push_back(valid ? point : U'\uFFFD');
        i += valid ? length : 1;
    }
    return points;
}

// UserComment: plain ASCII text under the code "ASCII", anything else as UTF-16 under
// "UNICODE" in the byte order of the Exif data, which is how readers expect it.
std::vector<std::uint8_t> EncodeComment(std::string_view text, ByteOrder order)
{
    const bool ascii
        = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const auto& code = ascii ? kAsciiCode : kUnicodeCode;
    std::vector<std::uint8_t> bytes(code.begin(), code.end());
    if (ascii) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    }
    std::vector<std::uint8_t> units;
    const auto putUnit = [&](char32_t unit) {
        units.resize(units.size() + 2);
        order.Put(units, units.size() - 2, static_cast<std::uint32_t>(unit), 2);
    };
    for (const char32_t point : DecodeUtf8(text)) {
        if (point < 0x10000) {
            putUnit(point);
        } else {
            putUnit(0xD800 + ((point - 0x10000) >> 10));
            putUnit(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    // Readers that lost the file's byte order (a tag set keeps UNDEFINED bytes as they are)
    // guess it from the zero high bytes of Latin letters, which text in other scripts lacks or
    // even contradicts (U+4E00 has a zero low byte). Where that guess would go wrong, a
    // byte-order mark, which readers drop, says it.
    std::size_t zerosFirst = 0;
    std::size_t zerosSecond = 0;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        zerosFirst += units[i] == 0 ? 1 : 0;
        zerosSecond += units[i + 1] == 0 ? 1 : 0;
    }
    if ((zerosFirst > zerosSecond) != order.big) {
        bytes.resize(bytes.size() + 2);
        order.Put(bytes, bytes.size() - 2, 0xFEFF, 2);
    }
    bytes.insert(bytes.end(), units.begin(), units.end());
    return bytes;
}

// The parts of a JPEG file that the update needs.
struct JpegLayout {
    JpegSegment exif;             // the Exif APP1 segment the reader takes
    std::uint64_t segmentEnd = 0; // first byte after it
};

// Follows the compressed data after the first SOS to EOI: restart markers and stuffed bytes
// stand alone, table and scan segments between the scans of a progressive picture are
// skipped by their lengths. False when the data ends before EOI (a cut-off picture).
bool ReachesEndOfImage(std::span<const std::uint8_t> file, std::uint64_t from)
{
    std::uint64_t at = from;
    while (at < file.size()) {
        const auto* found = static_cast<const std::uint8_t*>(
            std::memchr(file.data() + at, 0xFF, static_cast<std::size_t>(file.size() - at)));
        if (!found)
            return false;
        at = static_cast<std::uint64_t>(found - file.data());
        if (at + 1 >= file.size())
            return false;
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (at + 4 > file.size())
            return false;
        const std::uint32_t length = (std::uint32_t{file[at + 2]} << 8) | file[at + 3];
        if (length < 2)
            return false;
        at += 2 + length;
    }
    return false;
}

TagUpdateResult FindSegments(const TiffStream& stream, std::span<const std::uint8_t> file, JpegLayout& layout)
{
    JpegMarkerReader markers(stream);
    if (!Succeeded(markers.ReadStart()))
        return TagUpdateResult::NotJpeg;
    bool exifFound = false;
    for (;;) {
        JpegSegment segment;
        if (!Succeeded(markers.Next(segment)) || segment.marker == JpegMarkerReader::kEndOfImage)
            return TagUpdateResult::Damaged;
        if (segment.marker == JpegMarkerReader::kStartOfScan) {
            if (!exifFound)
                return TagUpdateResult::NoExif;
            return ReachesEndOfImage(file, segment.position + 2 + segment.length) ? TagUpdateResult::Ok
                                                                                  : TagUpdateResult::Damaged;
        }
        if (exifFound || segment.marker != JpegMarkerReader::kApp1 || segment.length <= kShortestExifSegment)
            continue;
        const auto payload = file.subspan(static_cast<std::size_t>(segment.PayloadPosition()));
        if (std::equal(kExifSignature.begin(), kExifSignature.end(), payload.begin())) {
            layout.exif = segment;
            layout.segmentEnd = segment.position + 2 + segment.length;
            exifFound = true;
        }
    }
}

// The edits of one TIFF block. Every byte that is there stays where it is, so every offset
// into the block (other makers' notes count theirs from the TIFF header) stays valid: values
// are overwritten in place when they fit, anything new is appended, and a directory that
// needs another entry is copied to the end with its parent pointing at the copy.
class TiffBlockEditor {
public:
    TiffBlockEditor(std::vector<std::uint8_t> block, ByteOrder order)
        : m_block(std::move(block))
        , m_order(order)
    {
    }

    const std::vector<std::uint8_t>& Block() const { return m_block; }
    bool Changed() const { return m_changed; }

    TagUpdateResult ReadDirectories(const ExifReader& reader)
    {
        const std::uint32_t ifd0 = m_order.Get(m_block, 4, 4);
        if (!ReadRawDirectory(m_block, m_order, ifd0, m_ifd0))
            return TagUpdateResult::Damaged;
        const RawEntry* pointer = m_ifd0.Find(kExifPointerTag);
        if (!pointer)
            return TagUpdateResult::NoExif;
        if (pointer->type != kTiffLong || pointer->count != 1)
            return TagUpdateResult::Damaged;
        if (!ReadRawDirectory(m_block, m_order, m_order.Get(pointer->field, 0, 4), m_exif))
            return TagUpdateResult::Damaged;
        // Another maker's note may point anywhere in the block (some count from the wrong
        // base and land in other tags' values), so beside one no value is overwritten.
        const RawEntry* note = m_exif.Find(kMakerNoteTag);
        m_mayOverwrite = !note || MakersOwnNote(*note).has_value();
        return FindDanglingReach(reader);
    }

    // Sets an Exif tag's whole value. The existing value's place is reused when it has the same
    // type and size, or, with `mayPad`, when it is larger (the rest is zeroed: a zero ends the
    // text for every reader, while blanks would become part of it); otherwise, and beside
    // another maker's note, the value is appended and the entry points there. A value that
    // already reads the same is left as it is.
    TagUpdateResult SetExifValue(std::uint16_t tag, std::uint16_t type, std::span<const std::uint8_t> value,
                                 bool mayPad)
    {
        RawEntry* entry = m_exif.Find(tag);
        std::uint32_t current = 0;
        if (entry && entry->type == type && ValueRange(*entry, m_order, m_block.size(), current)
            && (entry->ByteSize() == value.size() || (mayPad && entry->ByteSize() > value.size()))) {
            std::vector<std::uint8_t> padded(value.begin(), value.end());
            padded.resize(static_cast<std::size_t>(entry->ByteSize()), 0);
            if (std::equal(padded.begin(), padded.end(), m_block.begin() + current))
                return TagUpdateResult::Ok;
            if (m_mayOverwrite) {
                Overwrite(m_block, current, padded);
                m_changed = true;
                return TagUpdateResult::Ok;
            }
        }
        std::uint32_t offset = 0;
        if (!Append(value, offset))
            return TagUpdateResult::TooLarge;
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
        return TagUpdateResult::Ok;
    }

    bool HasExifTag(std::uint16_t tag) { return m_exif.Find(tag) != nullptr; }

    // Marks the maker's own note as rewritten by the browser. Another maker's note, or none,
    // is left alone.
    TagUpdateResult MarkMakerNote()
    {
        RawEntry* entry = m_exif.Find(kMakerNoteTag);
        const std::optional<std::uint32_t> start = entry ? MakersOwnNote(*entry) : std::nullopt;
        if (!start)
            return TagUpdateResult::Ok;
        const std::uint32_t offset = *start;
        const std::span<const std::uint8_t> note(m_block.data() + offset,
                                                 static_cast<std::size_t>(entry->ByteSize()));
        TiffDirectory directory;
        if (!Succeeded(ReadMakerNoteDirectory(note, directory)))
            return TagUpdateResult::Damaged;
        // The note's directory is little-endian and counts from the note's start.
        const ByteOrder little{false};
        RawDirectory raw;
        if (!ReadRawDirectory(note, little, little.Get(note, 8, 4), raw))
            return TagUpdateResult::Damaged;

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
                std::array<std::uint8_t, kEntrySize> bytes{};
                PutEntry(bytes, 0, little, *changed);
                m_changed = Overwrite(m_block, offset + changed->position, bytes) || m_changed;
            }
            return TagUpdateResult::Ok;
        }
        return RebuildMakerNote(*entry, directory);
    }

    // Writes the changed Exif entries back: in place, or, when the directory has a new
    // entry, as a sorted copy at the end that IFD0 points to.
    TagUpdateResult WriteExifDirectory()
    {
        if (!m_exif.grown) {
            for (const RawEntry& entry : m_exif.entries) {
                if (entry.modified)
                    PutEntry(m_block, static_cast<std::size_t>(entry.position), m_order, entry);
            }
            return TagUpdateResult::Ok;
        }
        std::stable_sort(m_exif.entries.begin(), m_exif.entries.end(),
                         [](const RawEntry& a, const RawEntry& b) { return a.tag < b.tag; });
        if (m_exif.entries.size() > TiffDirectory::kMaxEntries)
            return TagUpdateResult::TooLarge;
        std::vector<std::uint8_t> bytes(2 + kEntrySize * m_exif.entries.size() + 4);
        m_order.Put(bytes, 0, static_cast<std::uint32_t>(m_exif.entries.size()), 2);
        for (std::size_t i = 0; i < m_exif.entries.size(); ++i)
            PutEntry(bytes, 2 + kEntrySize * i, m_order, m_exif.entries[i]);
        std::copy(m_exif.next.begin(), m_exif.next.end(), bytes.end() - 4);
        std::uint32_t offset = 0;
        if (!Append(bytes, offset))
            return TagUpdateResult::TooLarge;
        RawEntry* pointer = m_ifd0.Find(kExifPointerTag);
        m_order.Put(pointer->field, 0, offset, 4);
        PutEntry(m_block, static_cast<std::size_t>(pointer->position), m_order, *pointer);
        m_changed = true;
        return TagUpdateResult::Ok;
    }

private:
    // Appends at the next even offset (TIFF values start on word boundaries), behind anything
    // that already points past the end; false when the block would outgrow 32-bit offsets.
    bool Append(std::span<const std::uint8_t> bytes, std::uint32_t& offset)
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
    TagUpdateResult FindDanglingReach(const ExifReader& reader)
    {
        const std::uint64_t size = m_block.size();
        m_reach = size;
        const auto reaches = [&](std::uint64_t start, std::uint64_t length) {
            if (start < kMaxBlockSize && start + length > size)
                m_reach = std::max(m_reach, start + length);
        };
        // A directory there would be read with its count from the old bytes, if they hold it.
        const auto directoryReaches = [&](std::uint32_t start) {
            const std::uint64_t count = std::uint64_t{start} + 2 <= size ? m_order.Get(m_block, start, 2) : 0;
            reaches(start, 2 + kEntrySize * count + 4);
        };
        for (const TiffDirectory* directory :
             {reader.Primary(), reader.Exif(), reader.Interop(), reader.Gps(), reader.Thumbnail(),
              reader.ThumbnailExif(), reader.ThumbnailGps()}) {
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
        return m_reach > kMaxBlockSize ? TagUpdateResult::Damaged : TagUpdateResult::Ok;
    }

    // Where the maker's own note starts; none for another maker's note or one that does not
    // lie inside the block.
    std::optional<std::uint32_t> MakersOwnNote(const RawEntry& entry) const
    {
        std::uint32_t offset = 0;
        if (!ValueRange(entry, m_order, m_block.size(), offset))
            return std::nullopt;
        const std::span<const std::uint8_t> note(m_block.data() + offset,
                                                 static_cast<std::size_t>(entry.ByteSize()));
        return IsKavorineMakerNote(note) ? std::optional(offset) : std::nullopt;
    }

    // The note is self-relative, so it may be laid out anew and put at the end; the old bytes
    // stay unused where they were.
    TagUpdateResult RebuildMakerNote(RawEntry& noteEntry, const TiffDirectory& directory)
    {
        std::vector<TagEntry> entries;
        entries.reserve(directory.Size() + 2);
        for (const TiffEntry& source : directory.Entries()) {
            TagEntry entry{source.tag, source.type, source.count, {}};
            if (!Succeeded(directory.ReadValueBytes(source.tag, entry.value)))
                return TagUpdateResult::Damaged;
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
        set(kMakerVersionTag, kTiffUndefined,
            std::vector<std::uint8_t>(kMakerVersion.begin(), kMakerVersion.end()));

        std::vector<std::uint8_t> note;
        if (const TiffResult result = LayOutMakerNote(entries, note); !Succeeded(result))
            return result == TiffResult::kOutOfMemory ? TagUpdateResult::WriteFailed
                                                      : TagUpdateResult::Damaged;
        std::uint32_t offset = 0;
        if (!Append(note, offset))
            return TagUpdateResult::TooLarge;
        noteEntry.type = kTiffUndefined;
        noteEntry.count = static_cast<std::uint32_t>(note.size());
        m_order.Put(noteEntry.field, 0, offset, 4);
        noteEntry.modified = true;
        m_changed = true;
        return TagUpdateResult::Ok;
    }

    std::vector<std::uint8_t> m_block;
    ByteOrder m_order;
    RawDirectory m_ifd0;
    RawDirectory m_exif;
    bool m_changed = false;
    bool m_mayOverwrite = true;
    std::uint64_t m_reach = 0; // appended data starts here or later
};

TagUpdateResult CheckChange(const PictureTagChange& change)
{
    if (!change.dateTimeOriginal)
        return TagUpdateResult::Ok;
    const std::optional<ShootingDate> date = ParseShootingDate(*change.dateTimeOriginal);
    return date && IsValidShootingDate(*date) ? TagUpdateResult::Ok : TagUpdateResult::InvalidDate;
}

// The new file: everything before the Exif segment, the segment with the new block, and
// everything after it, byte for byte.
std::string JoinPicture(std::string_view file, const JpegLayout& layout, std::span<const std::uint8_t> block)
{
    const std::size_t payload = kExifPreambleSize + block.size();
    const std::size_t start = static_cast<std::size_t>(layout.exif.position);
    const std::size_t end = static_cast<std::size_t>(layout.segmentEnd);
    std::string joined;
    joined.reserve(file.size() + block.size());
    joined.append(file.substr(0, start));
    // Marker, length, and the preamble as the file had it.
    joined.push_back(static_cast<char>(0xFF));
    joined.push_back(static_cast<char>(JpegMarkerReader::kApp1));
    joined.push_back(static_cast<char>((payload + 2) >> 8));
    joined.push_back(static_cast<char>((payload + 2) & 0xFF));
    joined.append(file.substr(start + 4, kExifPreambleSize));
    joined.append(reinterpret_cast<const char*>(block.data()), block.size());
    joined.append(file.substr(end));
    return joined;
}

TagUpdateResult Rewrite(std::string_view file, const PictureTagChange& change, std::string& updated)
{
    updated.clear();
    if (const TagUpdateResult result = CheckChange(change); result != TagUpdateResult::Ok)
        return result;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()),
                                              file.size());
    const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    JpegLayout layout;
    if (const TagUpdateResult result = FindSegments(stream, bytes, layout); result != TagUpdateResult::Ok)
        return result;
    // Only a tree that the program itself reads completely is changed.
    ExifReader reader;
    if (const TiffResult result = reader.OpenJpeg(stream); !Succeeded(result))
        return result == TiffResult::kNoExif ? TagUpdateResult::NoExif : TagUpdateResult::Damaged;
    if (reader.TiffHeaderPosition() != layout.exif.PayloadPosition() + kExifPreambleSize)
        return TagUpdateResult::Damaged;

    const auto blockStart = static_cast<std::size_t>(reader.TiffHeaderPosition());
    const auto blockEnd = static_cast<std::size_t>(layout.segmentEnd);
    // The reader accepted the header, so its first two bytes are "II" or "MM".
    const ByteOrder order{bytes[blockStart] == 'M'};
    TiffBlockEditor editor(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(blockStart),
                                                     bytes.begin() + static_cast<std::ptrdiff_t>(blockEnd)),
                           order);
    if (const TagUpdateResult result = editor.ReadDirectories(reader); result != TagUpdateResult::Ok)
        return result;

    if (change.dateTimeOriginal) {
        std::vector<std::uint8_t> date(change.dateTimeOriginal->begin(), change.dateTimeOriginal->end());
        date.resize(kDateValueSize, 0);
        if (const TagUpdateResult result = editor.SetExifValue(kDateTimeOriginalTag, kTiffAscii, date, false);
            result != TagUpdateResult::Ok)
            return result;
    }
    if (change.comment) {
        const std::string_view text = CutComment(*change.comment, kMaxCommentBytes);
        // An empty comment needs no tag where there is none.
        if (!text.empty() || editor.HasExifTag(kUserCommentTag)) {
            const std::vector<std::uint8_t> value = EncodeComment(text, order);
            if (const TagUpdateResult result
                = editor.SetExifValue(kUserCommentTag, kTiffUndefined, value, true);
                result != TagUpdateResult::Ok)
                return result;
        }
    }
    // The same values again: the picture stays as it is.
    if (!editor.Changed())
        return TagUpdateResult::Ok;
    if (const TagUpdateResult result = editor.MarkMakerNote(); result != TagUpdateResult::Ok)
        return result;
    if (const TagUpdateResult result = editor.WriteExifDirectory(); result != TagUpdateResult::Ok)
        return result;
    if (kExifPreambleSize + editor.Block().size() > kMaxSegmentPayload)
        return TagUpdateResult::TooLarge;
    updated = JoinPicture(file, layout, editor.Block());
    return TagUpdateResult::Ok;
}

TagUpdateResult Update(const std::string& path, const PictureTagChange& change)
{
    if (const TagUpdateResult result = CheckChange(change); result != TagUpdateResult::Ok)
        return result;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return TagUpdateResult::NotJpeg;
    if (::access(path.c_str(), W_OK) != 0)
        return TagUpdateResult::ReadOnly;

    std::string file;
    if (!ReadFileBytes(path, file))
        return TagUpdateResult::Damaged;
    std::string updated;
    if (const TagUpdateResult result = Rewrite(file, change, updated); result != TagUpdateResult::Ok)
        return result;
    if (updated.empty())
        return TagUpdateResult::Ok;
    AtomicFileWriter writer(path);
    if (writer.Open() != 0 || writer.Write(updated) != 0 || writer.Commit() != 0)
        return TagUpdateResult::WriteFailed;
    return TagUpdateResult::Ok;
}

} // namespace

TagUpdateResult UpdateJpegTagBytes(std::string_view file, const PictureTagChange& change, std::string& updated)
{
    try {
        return Rewrite(file, change, updated);
    } catch (const std::bad_alloc&) {
        updated.clear();
        return TagUpdateResult::WriteFailed;
    }
}

TagUpdateResult UpdatePictureTags(const std::string& path, const PictureTagChange& change)
{
    try {
        return Update(path, change);
    } catch (const std::bad_alloc&) {
        return TagUpdateResult::WriteFailed;
    }
}

const char* TagUpdateResultText(TagUpdateResult result)
{
    switch (result) {
    case TagUpdateResult::Ok: return "changed";
    case TagUpdateResult::NotJpeg: return "not a JPEG picture";
    case TagUpdateResult::NoExif: return "a JPEG picture without Exif data";
    case TagUpdateResult::ReadOnly: return "the picture is read-only";
    case TagUpdateResult::Damaged: return "the picture's structure is damaged";
    case TagUpdateResult::TooLarge: return "the new Exif data would not fit into the picture's Exif segment";
    case TagUpdateResult::InvalidDate:
        return "not a valid shooting date (YYYY:MM:DD HH:MM:SS, years 1900 to 2098)";
    case TagUpdateResult::WriteFailed: return "the picture could not be written";
    }
    return "unknown result";
}
