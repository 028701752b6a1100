#include "formats/tiff_encode.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <type_traits>

#include <tiffio.h>

#include "formats/maker_note_layout.h"
#include "formats/tag_set.h"
#include "library/dib_image.h"
#include "tiff16/libtiff_client.h"

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kMakerNoteTag = 0x927C;

// Primary tags that describe the picture rather than its layout.
constexpr std::uint16_t kPictureTags[] = {
    0x010E, 0x010F, 0x0110, 0x011A, 0x011B, 0x0128, 0x0112, 0x0131,
    0x0132, 0x013B, 0x013E, 0x013F, 0x8298, 0x8773,
};

// Fields libtiff does not know get this name; libtiff keeps the pointer, so it is static.
char kPrivateFieldName[] = "PrivateTag";

// The growing file in memory that libtiff writes through its client procedures.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::uint64_t position = 0;
    bool failed = false;        // set by the per-file error handler
    bool outOfMemory = false;

    static MemoryFile& Of(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

    static tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size)
    {
        MemoryFile& file = Of(handle);
        if (size <= 0 || file.position >= file.bytes.size())
            return 0;
        const auto count = static_cast<std::size_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(size), file.bytes.size() - file.position));
        std::memcpy(buffer, file.bytes.data() + file.position, count);
        file.position += count;
        return static_cast<tmsize_t>(count);
    }

    static tmsize_t Write(thandle_t handle, void* buffer, tmsize_t size)
    {
        MemoryFile& file = Of(handle);
        if (size <= 0)
            return 0;
        const std::uint64_t end = file.position + static_cast<std::uint64_t>(size);
        try {
            if (end > file.bytes.size())
                file.bytes.resize(static_cast<std::size_t>(end));
        } catch (const std::bad_alloc&) {
            file.outOfMemory = true;
            return -1; // no exception may cross libtiff
        } catch (const std::length_error&) {
            file.outOfMemory = true;
            return -1;
        }
        std::memcpy(file.bytes.data() + file.position, buffer, static_cast<std::size_t>(size));
        file.position = end;
        return size;
    }

    static toff_t Seek(thandle_t handle, toff_t offset, int whence)
    {
        MemoryFile& file = Of(handle);
        const std::uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file.position : file.bytes.size();
        // Relative offsets arrive as the two's complement of a negative distance.
        const auto distance = static_cast<std::int64_t>(offset);
        if (whence != SEEK_SET && distance < 0 && static_cast<std::uint64_t>(-(distance + 1)) + 1 > base)
            return static_cast<toff_t>(-1);
        file.position = whence == SEEK_SET ? offset : base + static_cast<std::uint64_t>(distance);
        return file.position;
    }

    static int Close(thandle_t) { return 0; }
    static toff_t Size(thandle_t handle) { return Of(handle).bytes.size(); }
    static int Map(thandle_t, void**, toff_t*) { return 0; }
    static void Unmap(thandle_t, void*, toff_t) {}

    static int OnError(TIFF*, void* client, const char*, const char*, va_list)
    {
        static_cast<MemoryFile*>(client)->failed = true;
        return 1;
    }
    static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }
};

bool IsByteType(std::uint32_t type)
{
    return type == TIFF_BYTE || type == TIFF_SBYTE || type == TIFF_UNDEFINED;
}

bool IsNumberType(std::uint32_t type)
{
    return type != TIFF_ASCII && !IsByteType(type) && IsValidTiffType(type);
}

// The entry's elements as numbers (rationals as their quotient); none for a text.
std::optional<std::vector<double>> Numbers(const TagEntry& entry)
{
    if (!IsNumberType(entry.type) && !IsByteType(entry.type))
        return std::nullopt;
    std::vector<double> numbers(entry.count);
    const std::uint8_t* data = entry.value.data();
    for (std::uint32_t i = 0; i < entry.count; ++i) {
        const auto read = [&](auto value, std::size_t index) {
            std::memcpy(&value, data + index * sizeof value, sizeof value);
            return value;
        };
        switch (entry.type) {
        case TIFF_BYTE:
        case TIFF_UNDEFINED: numbers[i] = read(std::uint8_t{}, i); break;
        case TIFF_SBYTE: numbers[i] = read(std::int8_t{}, i); break;
        case TIFF_SHORT: numbers[i] = read(std::uint16_t{}, i); break;
        case TIFF_SSHORT: numbers[i] = read(std::int16_t{}, i); break;
        case TIFF_LONG: numbers[i] = read(std::uint32_t{}, i); break;
        case TIFF_SLONG: numbers[i] = read(std::int32_t{}, i); break;
        case TIFF_FLOAT: numbers[i] = read(float{}, i); break;
        case TIFF_DOUBLE: numbers[i] = read(double{}, i); break;
        case TIFF_RATIONAL: {
            const std::uint32_t denominator = read(std::uint32_t{}, 2 * i + 1);
            numbers[i] = denominator == 0 ? 0.0 : read(std::uint32_t{}, 2 * i) / double(denominator);
            break;
        }
        case TIFF_SRATIONAL: {
            const std::int32_t denominator = read(std::int32_t{}, 2 * i + 1);
            numbers[i] = denominator == 0 ? 0.0 : read(std::int32_t{}, 2 * i) / double(denominator);
            break;
        }
        default: return std::nullopt;
        }
    }
    return numbers;
}

// A number converted to T; integers are clamped to T's range (a converted value out of range
// would be undefined), NaN becomes 0.
template <typename T> T Clamped(double number)
{
    if constexpr (std::is_integral_v<T>) {
        if (!(number == number))
            return 0;
        number = std::clamp(number, static_cast<double>(std::numeric_limits<T>::lowest()),
                            static_cast<double>(std::numeric_limits<T>::max()));
    }
    return static_cast<T>(number);
}

template <typename T> void Pack(std::vector<std::uint8_t>& out, const std::vector<double>& numbers)
{
    out.resize(numbers.size() * sizeof(T));
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const T value = Clamped<T>(numbers[i]);
        std::memcpy(out.data() + i * sizeof(T), &value, sizeof(T));
    }
}

// The elements in libtiff's in-memory form of the field: raw bytes and texts as they are,
// numbers converted to the field's type and storage size. None when the kinds do not match.
std::optional<std::vector<std::uint8_t>> FieldElements(const TIFFField* field, const TagEntry& entry)
{
    const TIFFDataType type = TIFFFieldDataType(field);
    const int size = TIFFFieldSetGetSize(field);
    if (type == TIFF_ASCII)
        return entry.type == kTiffAscii ? std::optional(entry.value) : std::nullopt;
    if (IsByteType(type)) {
        if (!IsByteType(entry.type))
            return std::nullopt;
        return entry.value;
    }
    if (!IsNumberType(entry.type))
        return std::nullopt;
    const std::optional<std::vector<double>> numbers = Numbers(entry);
    if (!numbers)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    switch (type) {
    case TIFF_SHORT: Pack<std::uint16_t>(out, *numbers); break;
    case TIFF_SSHORT: Pack<std::int16_t>(out, *numbers); break;
    case TIFF_LONG:
    case TIFF_IFD: Pack<std::uint32_t>(out, *numbers); break;
    case TIFF_SLONG: Pack<std::int32_t>(out, *numbers); break;
    case TIFF_RATIONAL:
    case TIFF_SRATIONAL:
    case TIFF_FLOAT:
    case TIFF_DOUBLE:
        if (size == 8)
            Pack<double>(out, *numbers);
        else
            Pack<float>(out, *numbers);
        break;
    default: return std::nullopt;
    }
    if (out.size() != numbers->size() * static_cast<std::size_t>(size))
        return std::nullopt;
    return out;
}

// Sets one tag in libtiff's calling convention for its field. False when the value does not
// fit the field; the tag is then left out.
bool SetField(TIFF* tif, const TIFFField* field, const TagEntry& entry)
{
    const std::optional<std::vector<std::uint8_t>> elements = FieldElements(field, entry);
    if (!elements || elements->empty())
        return false;
    const std::uint32_t tag = entry.tag;
    const int writeCount = TIFFFieldWriteCount(field);
    const void* data = elements->data();
    if (TIFFFieldDataType(field) == TIFF_ASCII && !TIFFFieldPassCount(field))
        return TIFFSetField(tif, tag, static_cast<const char*>(data)) == 1;
    if (TIFFFieldPassCount(field)) {
        if (writeCount == TIFF_VARIABLE2)
            return TIFFSetField(tif, tag, entry.count, data) == 1;
        if (entry.count > 0xFFFF)
            return false;
        return TIFFSetField(tif, tag, static_cast<int>(entry.count), data) == 1;
    }
    if (writeCount > 1 || writeCount == TIFF_VARIABLE || writeCount == TIFF_VARIABLE2 || writeCount == TIFF_SPP) {
        // A fixed count must match; a variable one without a count takes a single element.
        if (writeCount > 1 && entry.count != static_cast<std::uint32_t>(writeCount))
            return false;
        return TIFFSetField(tif, tag, data) == 1;
    }
    if (entry.count != 1)
        return false;
    const std::optional<std::vector<double>> number = Numbers(entry);
    if (!number)
        return false;
    switch (TIFFFieldDataType(field)) {
    case TIFF_BYTE:
    case TIFF_SBYTE:
    case TIFF_UNDEFINED:
    case TIFF_SHORT:
    case TIFF_SSHORT: return TIFFSetField(tif, tag, static_cast<int>(Clamped<std::int32_t>((*number)[0]))) == 1;
    case TIFF_LONG:
    case TIFF_IFD: return TIFFSetField(tif, tag, Clamped<std::uint32_t>((*number)[0])) == 1;
    case TIFF_SLONG: return TIFFSetField(tif, tag, Clamped<std::int32_t>((*number)[0])) == 1;
    case TIFF_RATIONAL:
    case TIFF_SRATIONAL:
    case TIFF_FLOAT:
    case TIFF_DOUBLE: return TIFFSetField(tif, tag, (*number)[0]) == 1;
    default: return false;
    }
}

// A tag libtiff does not know is declared as a field of the entry's own type and any count.
const TIFFField* PrivateField(TIFF* tif, const TagEntry& entry)
{
    TIFFFieldInfo info{};
    info.field_tag = entry.tag;
    info.field_readcount = TIFF_VARIABLE2;
    info.field_writecount = TIFF_VARIABLE2;
    info.field_type = static_cast<TIFFDataType>(entry.type);
    info.field_bit = FIELD_CUSTOM;
    info.field_oktochange = 1;
    info.field_passcount = 1;
    info.field_name = kPrivateFieldName;
    if (TIFFMergeFieldInfo(tif, &info, 1) != 0)
        return nullptr;
    return TIFFFindField(tif, entry.tag, TIFF_ANY);
}

// Sets the tags of one directory; `onlyPictureTags` keeps libtiff's own layout tags out. A tag
// libtiff refuses is left out without failing the file.
void SetTags(TIFF* tif, MemoryFile& file, std::span<const TagEntry> entries, bool onlyPictureTags)
{
    const bool failedBefore = file.failed;
    for (const TagEntry& entry : entries) {
        const TIFFField* field = TIFFFindField(tif, entry.tag, TIFF_ANY);
        if (field && onlyPictureTags && std::ranges::find(kPictureTags, entry.tag) == std::end(kPictureTags))
            continue;
        if (!field)
            field = PrivateField(tif, entry);
        if (field)
            (void)SetField(tif, field, entry);
    }
    file.failed = failedBefore;
}

// One page of 8-bit RGB strips from a 24-bit blue-green-red image.
bool WritePage(TIFF* tif, const DibImage& image, bool reduced)
{
    const std::uint32_t width = image.Width();
    const std::uint32_t height = image.Height();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (reduced)
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    std::vector<std::uint8_t> row(std::size_t{width} * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* source = image.Row(y);
        for (std::size_t x = 0; x < width; ++x) {
            row[3 * x] = source[3 * x + 2];
            row[3 * x + 1] = source[3 * x + 1];
            row[3 * x + 2] = source[3 * x];
        }
        if (TIFFWriteScanline(tif, row.data(), y, 0) != 1)
            return false;
    }
    return TIFFWriteDirectory(tif) == 1;
}

// The Exif map with the maker-note map as the maker's own note.
std::optional<std::vector<TagEntry>> ExifEntries(const TagSet& tags)
{
    std::vector<TagEntry> entries(tags.Entries(TagMap::kExif).begin(), tags.Entries(TagMap::kExif).end());
    if (tags.Count(TagMap::kMakerNote) == 0)
        return entries;
    std::vector<std::uint8_t> note;
    if (!Succeeded(LayOutMakerNote(tags.Entries(TagMap::kMakerNote), note)))
        return std::nullopt;
    std::erase_if(entries, [](const TagEntry& entry) { return entry.tag == kMakerNoteTag; });
    const auto count = static_cast<std::uint32_t>(note.size());
    entries.push_back(TagEntry{kMakerNoteTag, kTiffUndefined, count, std::move(note)});
    return entries;
}

TiffEncodeResult Encode(const DibImage& picture, const DibImage& thumbnail, const TagSet& tags, MemoryFile& file)
{
    const std::optional<std::vector<TagEntry>> exifEntries = ExifEntries(tags);
    if (!exifEntries)
        return TiffEncodeResult::kFailed;

    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options)
        return TiffEncodeResult::kOutOfMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), MemoryFile::OnError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), MemoryFile::OnWarning, &file);
    const std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpenExt("memory", "wl", &file, MemoryFile::Read,
                                                                  MemoryFile::Write, MemoryFile::Seek,
                                                                  MemoryFile::Close, MemoryFile::Size,
                                                                  MemoryFile::Map, MemoryFile::Unmap, options.get()));
    if (!tif)
        return file.outOfMemory ? TiffEncodeResult::kOutOfMemory : TiffEncodeResult::kFailed;

    // The Exif and GPS directories first: their offsets are known when the first page points
    // to them, so no page is written twice.
    std::uint64_t exifOffset = 0;
    if (TIFFCreateEXIFDirectory(tif.get()) != 0)
        return TiffEncodeResult::kFailed;
    SetTags(tif.get(), file, *exifEntries, false);
    if (TIFFWriteCustomDirectory(tif.get(), &exifOffset) != 1)
        return TiffEncodeResult::kFailed;
    // Creating the next directory does not free the values of a custom one; freed here, they
    // do not leak.
    TIFFFreeDirectory(tif.get());
    std::uint64_t gpsOffset = 0;
    if (tags.Count(TagMap::kGps) != 0) {
        if (TIFFCreateGPSDirectory(tif.get()) != 0)
            return TiffEncodeResult::kFailed;
        SetTags(tif.get(), file, tags.Entries(TagMap::kGps), false);
        if (TIFFWriteCustomDirectory(tif.get(), &gpsOffset) != 1)
            return TiffEncodeResult::kFailed;
        TIFFFreeDirectory(tif.get());
    }

    TIFFCreateDirectory(tif.get());
    std::vector<TagEntry> primary(tags.Entries(TagMap::kPrimary).begin(), tags.Entries(TagMap::kPrimary).end());
    for (TagEntry& entry : primary) {
        if (entry.tag == kOrientationTag) {
            const std::uint16_t upright = 1;
            entry = TagEntry{kOrientationTag, kTiffShort, 1, {0, 0}};
            std::memcpy(entry.value.data(), &upright, sizeof upright);
        }
    }
    SetTags(tif.get(), file, primary, true);
    TIFFSetField(tif.get(), TIFFTAG_EXIFIFD, exifOffset);
    if (gpsOffset != 0)
        TIFFSetField(tif.get(), TIFFTAG_GPSIFD, gpsOffset);
    if (!WritePage(tif.get(), picture, false))
        return file.outOfMemory ? TiffEncodeResult::kOutOfMemory : TiffEncodeResult::kFailed;
    if (!thumbnail.IsEmpty() && !WritePage(tif.get(), thumbnail, true))
        return file.outOfMemory ? TiffEncodeResult::kOutOfMemory : TiffEncodeResult::kFailed;
    return TiffEncodeResult::kOk;
}

std::uint32_t Little16(const std::vector<std::uint8_t>& bytes, std::uint64_t at)
{
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Little32(const std::vector<std::uint8_t>& bytes, std::uint64_t at)
{
    return Little16(bytes, at) | Little16(bytes, at + 2) << 16;
}

// libtiff types the Exif and GPS pointers as IFD (13), a type TIFF 6.0 readers do not know and
// ours drop; Exif declares them LONG, which has the same size, so only the type word changes.
void UseLongPointers(std::vector<std::uint8_t>& tiff)
{
    constexpr std::uint64_t kEntrySize = 12;
    constexpr std::uint32_t kMaxPages = 16;
    if (tiff.size() < 8)
        return;
    std::uint64_t offset = Little32(tiff, 4);
    for (std::uint32_t page = 0; page < kMaxPages && offset != 0 && offset + 2 <= tiff.size(); ++page) {
        const std::uint32_t count = Little16(tiff, offset);
        if (offset + 2 + kEntrySize * count + 4 > tiff.size())
            return;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entry = offset + 2 + kEntrySize * i;
            const std::uint32_t tag = Little16(tiff, entry);
            if ((tag == TIFFTAG_EXIFIFD || tag == TIFFTAG_GPSIFD) && Little16(tiff, entry + 2) == TIFF_IFD
                && Little32(tiff, entry + 4) == 1) {
                tiff[entry + 2] = TIFF_LONG;
                tiff[entry + 3] = 0;
            }
        }
        offset = Little32(tiff, offset + 2 + kEntrySize * count);
    }
}

} // namespace

TiffEncodeResult EncodeExifTiff(const DibImage& picture, const DibImage& thumbnail, const TagSet& tags,
                                std::vector<std::uint8_t>& tiff)
{
    tiff.clear();
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24 || (!thumbnail.IsEmpty() && thumbnail.BitsPerPixel() != 24))
        return TiffEncodeResult::kBadPicture;
    MemoryFile file;
    TiffEncodeResult result = TiffEncodeResult::kOk;
    try {
        result = Encode(picture, thumbnail, tags, file);
    } catch (const std::bad_alloc&) {
        result = TiffEncodeResult::kOutOfMemory;
    }
    // Closing flushed the last page; a write that failed on the way counts as a failure.
    if (result == TiffEncodeResult::kOk && file.outOfMemory)
        result = TiffEncodeResult::kOutOfMemory;
    else if (result == TiffEncodeResult::kOk && file.failed)
        result = TiffEncodeResult::kFailed;
    if (result == TiffEncodeResult::kOk) {
        UseLongPointers(file.bytes);
        tiff = std::move(file.bytes);
    }
    return result;
}
