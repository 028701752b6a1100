#include "formats/exif_block_builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "formats/maker_note_layout.h"
#include "formats/tag_set.h"
#include "formats/tiff_stream.h"

namespace {

constexpr std::array<std::uint8_t, 6> kExifSignature = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint64_t kTiffHeaderSize = 8;
constexpr std::uint64_t kEntrySize = 12;
// Entry count and next-directory offset.
constexpr std::uint64_t kDirectoryOverhead = 6;

constexpr std::uint16_t kCompressionTag = 0x0103;
constexpr std::uint16_t kXResolutionTag = 0x011A;
constexpr std::uint16_t kYResolutionTag = 0x011B;
constexpr std::uint16_t kResolutionUnitTag = 0x0128;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kYCbCrPositioningTag = 0x0213;
constexpr std::uint16_t kComponentsTag = 0x9101;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr std::uint16_t kPixelWidthTag = 0xA002;
constexpr std::uint16_t kPixelHeightTag = 0xA003;

constexpr std::uint16_t kJpegCompression = 6;
constexpr std::uint16_t kCentred = 1;
constexpr std::uint16_t kInches = 2;

// One directory as it will be written: entries sorted by tag, and where it starts.
struct Directory {
    std::vector<TagEntry> entries;
    std::uint64_t offset = 0;
};

std::uint64_t PaddedValueSize(const TagEntry& entry)
{
    const std::uint64_t size = entry.value.size();
    return size > 4 ? (size + 1) & ~std::uint64_t{1} : 0;
}

std::uint64_t DirectorySize(const Directory& directory)
{
    std::uint64_t size = kDirectoryOverhead;
    for (const TagEntry& entry : directory.entries)
        size += kEntrySize + PaddedValueSize(entry);
    return size;
}

TagEntry Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::span<const std::uint8_t> value)
{
    return TagEntry{tag, type, count, std::vector<std::uint8_t>(value.begin(), value.end())};
}

template <typename T> TagEntry NumberEntry(std::uint16_t tag, std::uint16_t type, std::span<const T> values)
{
    std::vector<std::uint8_t> bytes(values.size_bytes());
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return TagEntry{tag, type, static_cast<std::uint32_t>(values.size()), std::move(bytes)};
}

TagEntry ShortEntry(std::uint16_t tag, std::uint16_t value)
{
    return NumberEntry<std::uint16_t>(tag, kTiffShort, std::span(&value, 1));
}

TagEntry LongEntry(std::uint16_t tag, std::uint32_t value)
{
    return NumberEntry<std::uint32_t>(tag, kTiffLong, std::span(&value, 1));
}

TagEntry RationalEntry(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator)
{
    const std::array<std::uint32_t, 2> value = {numerator, denominator};
    TagEntry entry = NumberEntry<std::uint32_t>(tag, kTiffRational, value);
    entry.count = 1; // one rational of two numbers
    return entry;
}

TagEntry UndefinedEntry(std::uint16_t tag, std::span<const std::uint8_t> bytes)
{
    return Entry(tag, kTiffUndefined, static_cast<std::uint32_t>(bytes.size()), bytes);
}

// A map's tags with the encoder's own entries added; an own entry replaces the tag's entry.
Directory MakeDirectory(std::span<const TagEntry> mapEntries, std::vector<TagEntry> own)
{
    Directory directory;
    directory.entries.reserve(mapEntries.size() + own.size());
    for (const TagEntry& entry : mapEntries) {
        if (std::ranges::none_of(own, [&](const TagEntry& mine) { return mine.tag == entry.tag; }))
            directory.entries.push_back(entry);
    }
    for (TagEntry& entry : own)
        directory.entries.push_back(std::move(entry));
    std::ranges::stable_sort(directory.entries, {}, &TagEntry::tag);
    return directory;
}

// Finds the entry of a pointer or length tag and stores its value, once the layout is known.
void SetLong(Directory& directory, std::uint16_t tag, std::uint64_t value)
{
    for (TagEntry& entry : directory.entries) {
        if (entry.tag == tag) {
            const auto value32 = static_cast<std::uint32_t>(value);
            std::memcpy(entry.value.data(), &value32, sizeof value32);
        }
    }
}

TiffResult WriteDirectory(TiffStream& stream, const Directory& directory, std::uint32_t nextOffset)
{
    // Values follow the entries and the next-directory offset.
    std::uint64_t valueOffset = directory.offset + kDirectoryOverhead + kEntrySize * directory.entries.size();
    if (const TiffResult result = stream.Seek(directory.offset); !Succeeded(result))
        return result;
    if (const TiffResult result = stream.Write16(static_cast<std::uint16_t>(directory.entries.size()));
        !Succeeded(result))
        return result;
    for (const TagEntry& entry : directory.entries) {
        const TiffResult results[] = {stream.Write16(entry.tag), stream.Write16(entry.type),
                                      stream.Write32(entry.count)};
        for (const TiffResult result : results) {
            if (!Succeeded(result))
                return result;
        }
        if (entry.value.size() <= 4) {
            std::array<std::uint8_t, 4> field{};
            std::copy(entry.value.begin(), entry.value.end(), field.begin());
            stream.SwapValues(entry.type, std::span(field.data(), entry.value.size()));
            if (const TiffResult result = stream.WriteBytes(field); !Succeeded(result))
                return result;
        } else {
            if (const TiffResult result = stream.Write32(static_cast<std::uint32_t>(valueOffset)); !Succeeded(result))
                return result;
            valueOffset += PaddedValueSize(entry);
        }
    }
    if (const TiffResult result = stream.Write32(nextOffset); !Succeeded(result))
        return result;
    for (const TagEntry& entry : directory.entries) {
        if (entry.value.size() <= 4)
            continue;
        std::vector<std::uint8_t> value = entry.value;
        stream.SwapValues(entry.type, value);
        if (value.size() % 2 != 0)
            value.push_back(0);
        if (const TiffResult result = stream.WriteBytes(value); !Succeeded(result))
            return result;
    }
    return TiffResult::kOk;
}

ExifBlockResult ResultOf(TiffResult result)
{
    return result == TiffResult::kOutOfMemory ? ExifBlockResult::kOutOfMemory : ExifBlockResult::kBadTag;
}

ExifBlockResult Build(const TagSet& tags, std::uint32_t width, std::uint32_t height,
                      std::span<const std::uint8_t> thumbnailJpeg, std::vector<std::uint8_t>& payload)
{
    const bool hasInterop = tags.Count(TagMap::kInterop) != 0;
    const bool hasGps = tags.Count(TagMap::kGps) != 0;
    const bool hasThumbnail = !thumbnailJpeg.empty();

    std::vector<std::uint8_t> makerNote;
    if (tags.Count(TagMap::kMakerNote) != 0) {
        if (MakerNoteSize(tags.Entries(TagMap::kMakerNote)) > kMaxApp1Payload)
            return ExifBlockResult::kTooLarge;
        if (const TiffResult result = LayOutMakerNote(tags.Entries(TagMap::kMakerNote), makerNote);
            !Succeeded(result))
            return ResultOf(result);
    }

    // Pointer and length values are filled in once the layout is known.
    std::vector<TagEntry> ownPrimary = {ShortEntry(kYCbCrPositioningTag, kCentred), LongEntry(kExifPointerTag, 0)};
    if (hasGps)
        ownPrimary.push_back(LongEntry(kGpsPointerTag, 0));
    static constexpr std::uint8_t kComponents[] = {1, 2, 3, 0};
    std::vector<TagEntry> ownExif = {
        UndefinedEntry(kComponentsTag, kComponents),
        LongEntry(kPixelWidthTag, width),
        LongEntry(kPixelHeightTag, height),
    };
    if (!makerNote.empty())
        ownExif.push_back(UndefinedEntry(kMakerNoteTag, makerNote));
    if (hasInterop)
        ownExif.push_back(LongEntry(kInteropPointerTag, 0));

    std::array<Directory, 5> directories = {
        MakeDirectory(tags.Entries(TagMap::kPrimary), std::move(ownPrimary)),
        MakeDirectory(tags.Entries(TagMap::kExif), std::move(ownExif)),
        MakeDirectory(hasInterop ? tags.Entries(TagMap::kInterop) : std::span<const TagEntry>{}, {}),
        MakeDirectory(hasGps ? tags.Entries(TagMap::kGps) : std::span<const TagEntry>{}, {}),
        MakeDirectory({}, {ShortEntry(kCompressionTag, kJpegCompression), RationalEntry(kXResolutionTag, 72, 1),
                           RationalEntry(kYResolutionTag, 72, 1), ShortEntry(kResolutionUnitTag, kInches),
                           LongEntry(kThumbnailOffsetTag, 0), LongEntry(kThumbnailLengthTag, 0)}),
    };
    Directory& primary = directories[0];
    Directory& exif = directories[1];
    Directory& interop = directories[2];
    Directory& gps = directories[3];
    Directory& thumbnail = directories[4];
    const std::array<bool, 5> written = {true, true, hasInterop, hasGps, hasThumbnail};

    // Layout: header, IFD0, Exif, interoperability, GPS, IFD1, each directory with its values,
    // then the thumbnail. Every size is even, so every directory and value starts even.
    std::uint64_t end = kTiffHeaderSize;
    for (std::size_t i = 0; i < directories.size(); ++i) {
        if (!written[i])
            continue;
        directories[i].offset = end;
        end += DirectorySize(directories[i]);
    }
    const std::uint64_t thumbnailOffset = end;
    end += thumbnailJpeg.size();
    if (kExifSignature.size() + end > kMaxApp1Payload)
        return ExifBlockResult::kTooLarge;

    SetLong(primary, kExifPointerTag, exif.offset);
    SetLong(primary, kGpsPointerTag, gps.offset);
    SetLong(exif, kInteropPointerTag, interop.offset);
    SetLong(thumbnail, kThumbnailOffsetTag, thumbnailOffset);
    SetLong(thumbnail, kThumbnailLengthTag, thumbnailJpeg.size());

    TiffStream stream;
    if (const TiffResult result = stream.WriteHeader(kByteOrderLittle, static_cast<std::uint32_t>(primary.offset));
        !Succeeded(result))
        return ResultOf(result);
    for (std::size_t i = 0; i < directories.size(); ++i) {
        if (!written[i])
            continue;
        const std::uint64_t next = i == 0 && hasThumbnail ? thumbnail.offset : 0;
        if (const TiffResult result = WriteDirectory(stream, directories[i], static_cast<std::uint32_t>(next));
            !Succeeded(result))
            return ResultOf(result);
    }
    if (hasThumbnail) {
        if (const TiffResult result = stream.WriteBytes(thumbnailJpeg); !Succeeded(result))
            return ResultOf(result);
    }

    std::vector<std::uint8_t> tiff;
    if (const TiffResult result = stream.ReadAll(tiff); !Succeeded(result))
        return ResultOf(result);
    payload.assign(kExifSignature.begin(), kExifSignature.end());
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return ExifBlockResult::kOk;
}

} // namespace

ExifBlockResult BuildExifBlock(const TagSet& tags, std::uint32_t width, std::uint32_t height,
                               std::span<const std::uint8_t> thumbnailJpeg, std::vector<std::uint8_t>& payload)
{
    payload.clear();
    try {
        const ExifBlockResult result = Build(tags, width, height, thumbnailJpeg, payload);
        if (result != ExifBlockResult::kOk)
            payload.clear();
        return result;
    } catch (const std::bad_alloc&) {
        payload.clear();
        return ExifBlockResult::kOutOfMemory;
    }
}
