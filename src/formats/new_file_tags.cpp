#include "formats/new_file_tags.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "formats/tag_set.h"

namespace {

// Quality indexes 0 to 2.
constexpr std::array<WriterQuality, 3> kWriterQualities = {{
    {std::string_view("FINE   "), 108},
    {std::string_view("NORMAL "), 431},
    {std::string_view("BASIC  "), 1024},
}};
constexpr WriterQuality kOtherQuality = {std::string_view("Hi     "), 108};

// Removed from the primary map: the encoder writes sizes, layout, strips, the thumbnail and the
// directory pointers itself, and the colour coefficients belong to the stored pixels.
constexpr std::uint16_t kRemovedPrimaryTags[] = {
    0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0111, 0x0115, 0x0116, 0x0117,
    0x011C, 0x0201, 0x0202, 0x0211, 0x0212, 0x0213, 0x8769, 0x8825,
};
// CompressedBitsPerPixel, the maker-note blob, the interoperability pointer, ImageUniqueID.
constexpr std::uint16_t kRemovedExifTags[] = {0x9102, 0x927C, 0xA005, 0xA420};

constexpr std::uint16_t kMakeTag = 0x010F;
constexpr std::uint16_t kModelTag = 0x0110;
constexpr std::uint16_t kSoftwareTag = 0x0131;
constexpr std::uint16_t kDateTimeTag = 0x0132;
constexpr std::uint16_t kExifVersionTag = 0x9000;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kDateTimeDigitizedTag = 0x9004;
constexpr std::uint16_t kSubSecTimeTag = 0x9290;
constexpr std::uint16_t kGpsVersionTag = 0x0000;
constexpr std::uint16_t kInteropIndexTag = 0x0001;
constexpr std::uint16_t kInteropVersionTag = 0x0002;
constexpr std::uint16_t kMakerQualityTag = 0x1000;
constexpr std::uint16_t kMakerVersionTag = 0x0000;
constexpr std::uint16_t kXResolutionTag = 0x011A;
constexpr std::uint16_t kYResolutionTag = 0x011B;
constexpr std::uint16_t kResolutionUnitTag = 0x0128;
constexpr std::uint16_t kColorSpaceTag = 0xA001;
constexpr std::uint16_t kFlashpixVersionTag = 0xA000;

constexpr std::uint32_t kMakeCount = 9;
constexpr std::uint32_t kModelCount = 22;
constexpr std::uint32_t kDateCount = 20;
constexpr std::uint32_t kQualityCount = 8;

// The text and its terminating zero, padded with zeros to `count` bytes.
std::string AsciiValue(std::string_view text, std::uint32_t count)
{
    std::string value(text.substr(0, count - 1));
    value.resize(count, '\0');
    return value;
}

std::span<const std::uint8_t> BytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TiffResult SetAscii(TagSet& tags, TagMap map, std::uint16_t tag, std::string_view text, std::uint32_t count)
{
    const std::string value = AsciiValue(text, count);
    return tags.Set(map, tag, kTiffAscii, count, BytesOf(value));
}

TiffResult SetUndefined(TagSet& tags, TagMap map, std::uint16_t tag, std::string_view bytes)
{
    return tags.Set(map, tag, kTiffUndefined, static_cast<std::uint32_t>(bytes.size()), BytesOf(bytes));
}

// A date the caller gave as text stays; anything else becomes the blank date.
TiffResult KeepOrBlankDate(TagSet& tags, std::uint16_t tag)
{
    const TagEntry* given = tags.Find(TagMap::kExif, tag);
    if (given && given->type == kTiffAscii)
        return TiffResult::kOk;
    return SetAscii(tags, TagMap::kExif, tag, kBlankDate, kDateCount);
}

std::string FormatLocalTime(const std::optional<std::tm>& time)
{
    if (!time)
        return std::string(kBlankDate);
    const long long year = 1900LL + time->tm_year;
    // Fields a broken clock could give would not fit the 19 characters.
    if (year < 0 || year > 9999 || time->tm_mon < 0 || time->tm_mon > 11 || time->tm_mday < 1
        || time->tm_mday > 31 || time->tm_hour < 0 || time->tm_hour > 23 || time->tm_min < 0
        || time->tm_min > 59 || time->tm_sec < 0 || time->tm_sec > 60)
        return std::string(kBlankDate);
    std::array<char, kDateCount> text{};
    std::snprintf(text.data(), text.size(), "%04d:%02d:%02d %02d:%02d:%02d", static_cast<int>(year),
                  time->tm_mon + 1, time->tm_mday, time->tm_hour, time->tm_min, time->tm_sec);
    return std::string(text.data());
}

} // namespace

WriterQuality WriterQualityFor(int qualityIndex)
{
    if (qualityIndex < 0 || qualityIndex >= static_cast<int>(kWriterQualities.size()))
        return kOtherQuality;
    return kWriterQualities[static_cast<std::size_t>(qualityIndex)];
}

std::optional<std::tm> SystemLocalTime()
{
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return std::nullopt;
    std::tm local{};
    if (!localtime_r(&now, &local))
        return std::nullopt;
    return local;
}

TiffResult PrepareNewFileTags(TagSet& tags, int qualityIndex, bool withInterop, LocalClock clock)
{
    for (const std::uint16_t tag : kRemovedPrimaryTags)
        tags.Remove(TagMap::kPrimary, tag);
    for (const std::uint16_t tag : kRemovedExifTags)
        tags.Remove(TagMap::kExif, tag);
    while (!tags.Entries(TagMap::kInterop).empty())
        tags.Remove(TagMap::kInterop, tags.Entries(TagMap::kInterop).front().tag);

    // Decided before anything is added to the note.
    const bool hasMakerNote = tags.Count(TagMap::kMakerNote) != 0;
    const std::string dateTime = FormatLocalTime(clock ? clock() : std::nullopt);
    static constexpr std::uint8_t kGpsVersion[] = {2, 2, 0, 0};

    const TiffResult results[] = {
        SetAscii(tags, TagMap::kPrimary, kMakeTag, kWriterMake, kMakeCount),
        SetAscii(tags, TagMap::kPrimary, kModelTag, kWriterModel, kModelCount),
        SetUndefined(tags, TagMap::kExif, kExifVersionTag, "0221"),
        KeepOrBlankDate(tags, kDateTimeOriginalTag),
        KeepOrBlankDate(tags, kDateTimeDigitizedTag),
        tags.Set(TagMap::kGps, kGpsVersionTag, kTiffByte, 4, kGpsVersion),
        withInterop ? SetAscii(tags, TagMap::kInterop, kInteropIndexTag, "R98", 4) : TiffResult::kOk,
        withInterop ? SetUndefined(tags, TagMap::kInterop, kInteropVersionTag, "0100") : TiffResult::kOk,
        hasMakerNote ? SetAscii(tags, TagMap::kMakerNote, kMakerQualityTag, WriterQualityFor(qualityIndex).text,
                                kQualityCount)
                     : TiffResult::kOk,
        hasMakerNote ? SetUndefined(tags, TagMap::kMakerNote, kMakerVersionTag, "0130") : TiffResult::kOk,
        SetAscii(tags, TagMap::kPrimary, kDateTimeTag, dateTime, kDateCount),
        SetAscii(tags, TagMap::kPrimary, kSoftwareTag, kWriterModel, kModelCount),
    };
    tags.Remove(TagMap::kExif, kSubSecTimeTag);
    for (const TiffResult result : results) {
        if (!Succeeded(result))
            return result;
    }
    return TiffResult::kOk;
}

TiffResult AddRequiredExifTags(TagSet& tags)
{
    const std::uint32_t seventyTwo[2] = {72, 1};
    const std::uint16_t inches = 2;
    const std::uint16_t srgb = 1;
    std::uint8_t resolution[sizeof seventyTwo];
    std::uint8_t unit[sizeof inches];
    std::uint8_t colorSpace[sizeof srgb];
    std::memcpy(resolution, seventyTwo, sizeof resolution);
    std::memcpy(unit, &inches, sizeof unit);
    std::memcpy(colorSpace, &srgb, sizeof colorSpace);
    static constexpr std::uint8_t kFlashpixVersion[4] = {'0', '1', '0', '0'};

    struct Required {
        TagMap map;
        std::uint16_t tag;
        std::uint16_t type;
        std::span<const std::uint8_t> value;
    };
    const Required required[] = {
        {TagMap::kPrimary, kXResolutionTag, kTiffRational, resolution},
        {TagMap::kPrimary, kYResolutionTag, kTiffRational, resolution},
        {TagMap::kPrimary, kResolutionUnitTag, kTiffShort, unit},
        {TagMap::kExif, kColorSpaceTag, kTiffShort, colorSpace},
        {TagMap::kExif, kFlashpixVersionTag, kTiffUndefined, kFlashpixVersion},
    };
    for (const Required& row : required) {
        if (tags.Find(row.map, row.tag))
            continue;
        const auto count = static_cast<std::uint32_t>(row.value.size() / TiffTypeSize(row.type));
        if (const TiffResult result = tags.Add(row.map, row.tag, row.type, count, row.value); !Succeeded(result))
            return result;
    }
    return TiffResult::kOk;
}
