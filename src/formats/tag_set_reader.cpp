#include "formats/tag_set_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <new>
#include <optional>
#include <vector>

#include "formats/exif_reader.h"
#include "library/media_error.h"

namespace {

constexpr std::uint16_t kShutterSpeedTag = 0x9201;
constexpr std::uint16_t kSubjectAreaTag = 0x9214;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
// Version tags: four characters such as "0220" kept as UNDEFINED. Some writers (thermal
// cameras among them) store them as ASCII of exactly those four bytes, without a zero.
constexpr std::uint16_t kVersionTags[] = {0x9000, 0xA000};
constexpr std::uint32_t kVersionLength = 4;
// SubjectArea is a point, a circle or a rectangle.
constexpr std::uint32_t kSubjectAreaCounts[] = {2, 3, 4};

constexpr std::array<std::uint8_t, 8> kMakerSignature = {'K', 'A', 'V', 'O', 'R', 'I', 'N', 'E'};
constexpr std::size_t kMakerNoteHeaderSize = 12;

// An Exif version tag stored as four ASCII bytes: read as the same four bytes, UNDEFINED.
bool IsVersionAsText(TagMap map, std::uint16_t tag, const TiffEntry& entry, std::uint16_t expectedType)
{
    return map == TagMap::kExif && std::ranges::find(kVersionTags, tag) != std::end(kVersionTags)
        && expectedType == kTiffUndefined && entry.type == kTiffAscii && entry.count == kVersionLength;
}

// The copy rule with the row's expectations spelled out, so that the special tags can bend
// them. `storeType` is what the map receives.
TiffResult CopyTag(const TiffDirectory& directory, TagMap map, std::uint16_t tag, std::uint16_t expectedType,
                   std::uint32_t expectedCount, bool variableCount, TagSet& tags)
{
    const TiffEntry* entry = directory.Find(tag);
    // A tag listed twice is copied once; an entry without elements has nothing to copy.
    if (!entry || entry->count == 0 || tags.Find(map, tag))
        return TiffResult::kOk;
    if (!variableCount && entry->count != expectedCount)
        return TiffResult::kWrongTag;

    const bool shortOrLong = expectedType == kShortOrLong;
    const bool versionAsText = IsVersionAsText(map, tag, *entry, expectedType);
    const bool rationalAsSigned = expectedType == kTiffRational && entry->type == kTiffSRational;
    if (!versionAsText && !rationalAsSigned
        && (shortOrLong ? entry->type != kTiffShort && entry->type != kTiffLong : entry->type != expectedType))
        return TiffResult::kWrongTag;

    std::vector<std::uint8_t> bytes;
    if (const TiffResult result = directory.ReadValueBytes(tag, bytes); !Succeeded(result))
        return result;
    if (versionAsText)
        return tags.Add(map, tag, kTiffUndefined, kVersionLength, bytes);
    if (rationalAsSigned) {
        // GPS positions of some thermal cameras: the same numbers, in the signed type. Only
        // values that read alike both ways are taken; a negative one has no RATIONAL meaning.
        for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
            std::int32_t value = 0;
            std::memcpy(&value, bytes.data() + at, sizeof value);
            if (value < 0)
                return TiffResult::kWrongTag;
        }
        return tags.Add(map, tag, kTiffRational, entry->count, bytes);
    }
    if (shortOrLong && entry->type == kTiffShort) {
        std::vector<std::uint8_t> widened;
        try {
            widened.resize(std::size_t{entry->count} * 4);
        } catch (const std::bad_alloc&) {
            return TiffResult::kOutOfMemory;
        }
        for (std::uint32_t i = 0; i < entry->count; ++i) {
            std::uint16_t narrow = 0;
            std::memcpy(&narrow, bytes.data() + 2 * i, sizeof narrow);
            const std::uint32_t wide = narrow;
            std::memcpy(widened.data() + 4 * i, &wide, sizeof wide);
        }
        bytes = std::move(widened);
    }
    std::uint32_t count = entry->count;
    // Some cameras leave out the terminating zero of a text ("Kodak" in 5 bytes). Forcing the
    // last byte to zero would cut the text short, so a text of free length gets its zero added.
    if (entry->type == kTiffAscii && variableCount && !bytes.empty() && bytes.back() != 0
        && count < UINT32_MAX) {
        try {
            bytes.push_back(0);
        } catch (const std::bad_alloc&) {
            return TiffResult::kOutOfMemory;
        }
        ++count;
    }
    const std::uint16_t storeType = shortOrLong ? std::uint16_t{kTiffLong} : entry->type;
    return tags.Add(map, tag, storeType, count, bytes);
}

// The copy of one listed tag, with the Exif map's two special cases.
TiffResult CopyListedTag(const TiffDirectory& directory, TagMap map, std::uint16_t tag, TagSet& tags)
{
    if (map == TagMap::kExif && tag == kShutterSpeedTag) {
        // Some cameras write the APEX shutter speed as RATIONAL; it is kept as the signed
        // type the standard gives it.
        const TiffEntry* entry = directory.Find(tag);
        if (!entry || tags.Find(map, tag))
            return TiffResult::kOk;
        if (entry->count != 1 || (entry->type != kTiffRational && entry->type != kTiffSRational))
            return TiffResult::kWrongTag;
        std::array<std::uint8_t, 8> bytes{};
        if (const TiffResult result = directory.ReadValue(tag, bytes); !Succeeded(result))
            return result;
        return tags.Add(map, tag, kTiffSRational, 1, bytes);
    }
    if (map == TagMap::kExif && tag == kSubjectAreaTag) {
        for (const std::uint32_t count : kSubjectAreaCounts)
            (void)CopyTag(directory, map, tag, kTiffShort, count, false, tags);
        return TiffResult::kOk;
    }
    return CopyKnownTag(directory, map, tag, tags);
}

const TiffDirectory* DirectoryOf(const ExifDirectories& directories, TagMap map,
                                 const std::optional<TiffDirectory>& makerNote)
{
    switch (map) {
    case TagMap::kPrimary: return directories.primary;
    case TagMap::kExif: return directories.exif;
    case TagMap::kInterop: return directories.interop;
    case TagMap::kGps: return directories.gps;
    case TagMap::kMakerNote: return makerNote ? &*makerNote : nullptr;
    }
    return nullptr;
}

// The maker's directory, or nothing when the picture has no maker note of ours. The note is
// the Exif map's copy when the read made one, otherwise the Exif directory's value. A note of
// ours that cannot be read throws.
std::optional<TiffDirectory> ReadMakerNote(const ExifDirectories& directories, const TagSet& tags)
{
    std::vector<std::uint8_t> note;
    if (const TagEntry* copied = tags.Find(TagMap::kExif, kMakerNoteTag)) {
        note = copied->value;
    } else if (!directories.exif || !directories.exif->Find(kMakerNoteTag)
               || !Succeeded(directories.exif->ReadValueBytes(kMakerNoteTag, note))) {
        // A maker-note pointer outside the data is a damaged foreign note, not ours.
        return std::nullopt;
    }
    if (!IsKavorineMakerNote(note))
        return std::nullopt;
    std::optional<TiffDirectory> directory(std::in_place);
    const TiffResult result = ReadMakerNoteDirectory(note, *directory);
    if (result == TiffResult::kOutOfMemory)
        throw MediaError{ThrowCodeFor(result)};
    if (!Succeeded(result))
        throw MediaError{kMediaMalformed};
    return directory;
}

} // namespace

TiffResult CopyKnownTag(const TiffDirectory& directory, TagMap map, std::uint16_t tag, TagSet& tags)
{
    const KnownTag* row = FindKnownTag(map, tag);
    if (!row)
        return TiffResult::kOk;
    return CopyTag(directory, map, tag, row->Type(), row->count, row->IsVariableCount(), tags);
}

bool IsKavorineMakerNote(std::span<const std::uint8_t> note)
{
    return note.size() >= kMakerNoteHeaderSize
        && std::equal(kMakerSignature.begin(), kMakerSignature.end(), note.begin());
}

TiffResult ReadMakerNoteDirectory(std::span<const std::uint8_t> note, TiffDirectory& directory)
{
    if (!IsKavorineMakerNote(note))
        return TiffResult::kDataMissing;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(note.begin(), note.end());
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    // "II", 42 and the offset from bytes 8 to 11, all little-endian.
    const std::array<std::uint8_t, 8> header = {'I', 'I', 42, 0, bytes[8], bytes[9], bytes[10], bytes[11]};
    std::copy(header.begin(), header.end(), bytes.begin());

    TiffStream stream = TiffStream::FromBytes(std::move(bytes));
    std::uint32_t offset = 0;
    if (const TiffResult result = stream.ReadHeader(offset); !Succeeded(result))
        return result;
    return directory.Read(stream, offset);
}

void ReadTagSet(const ExifReader& reader, TagReadMode mode, TagSet& tags)
{
    if (!reader.Primary())
        throw MediaError{ThrowCodeFor(TiffResult::kNoExif)};
    ReadTagSet(ExifDirectories{reader.Primary(), reader.Exif(), reader.Interop(), reader.Gps()}, mode, tags);
}

void ReadTagSet(const ExifDirectories& directories, TagReadMode mode, TagSet& tags)
{
    TagSet built;
    std::optional<TiffDirectory> makerNote;
    bool makerNoteRead = false;
    try {
        for (const CopyList& list : CopyLists(mode)) {
            if (list.map == TagMap::kMakerNote && !makerNoteRead) {
                makerNote = ReadMakerNote(directories, built);
                makerNoteRead = true;
            }
            const TiffDirectory* directory = DirectoryOf(directories, list.map, makerNote);
            if (!directory)
                continue;
            for (const std::uint16_t tag : list.tags) {
                const TiffResult result = CopyListedTag(*directory, list.map, tag, built);
                if (!Succeeded(result) && (list.strict || result == TiffResult::kOutOfMemory))
                    throw MediaError{ThrowCodeFor(result)};
            }
        }
    } catch (const std::bad_alloc&) {
        throw MediaError{kMediaOutOfMemory};
    }
    tags = std::move(built);
}
