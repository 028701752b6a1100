#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

// jpeglib.h needs the stdio types declared first.
#include <jpeglib.h>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "formats/caller_tag.h"
#include "formats/exif_block_builder.h"
#include "formats/exif_reader.h"
#include "formats/exif_thumbnail.h"
#include "formats/exif_writer.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_encode.h"
#include "formats/new_file_tags.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_handler.h"
#include "formats/tiff_picture.h"
#include "library/dib_image.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"

namespace {

// ---- Caller tags and tag values ----

template <typename T> std::vector<std::uint8_t> BytesOf(const std::vector<T>& values)
{
    std::vector<std::uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

CallerTag Ascii(std::uint32_t tag, std::string_view text)
{
    std::vector<std::uint8_t> value(text.begin(), text.end());
    value.push_back(0);
    const auto count = static_cast<std::uint32_t>(value.size());
    return {tag, kTiffAscii, count, std::move(value)};
}

CallerTag Short(std::uint32_t tag, const std::vector<std::uint16_t>& values)
{
    return {tag, kTiffShort, static_cast<std::uint32_t>(values.size()), BytesOf(values)};
}

CallerTag Rational(std::uint32_t tag, const std::vector<std::uint32_t>& pairs)
{
    return {tag, kTiffRational, static_cast<std::uint32_t>(pairs.size() / 2), BytesOf(pairs)};
}

CallerTag Undefined(std::uint32_t tag, std::string_view bytes)
{
    return {tag, kTiffUndefined, static_cast<std::uint32_t>(bytes.size()),
            std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

TagSet TagsOf(const std::vector<CallerTag>& callerTags)
{
    TagSet tags;
    EXPECT_EQ(BuildCallerTagSet(callerTags, tags), TiffResult::kOk);
    return tags;
}

// An ASCII value without its terminating zero; "<missing>" when the tag is absent.
std::string Text(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    if (!entry)
        return "<missing>";
    std::string text(entry->value.begin(), entry->value.end());
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::vector<std::uint32_t> Numbers(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    std::vector<std::uint32_t> numbers;
    if (!entry)
        return numbers;
    const std::size_t size = TiffTypeSize(entry->type);
    const std::size_t elements = entry->value.size() / (size == 8 ? 4 : size);
    for (std::size_t i = 0; i < elements; ++i) {
        if (size == 1)
            numbers.push_back(entry->value[i]);
        else if (size == 2)
            numbers.push_back(static_cast<std::uint32_t>(entry->value[2 * i] | entry->value[2 * i + 1] << 8));
        else {
            std::uint32_t value = 0;
            std::memcpy(&value, entry->value.data() + 4 * i, 4);
            numbers.push_back(value);
        }
    }
    return numbers;
}

// A rational as a quotient (libtiff may store 35/10 as 7/2).
double Quotient(const TagSet& tags, TagMap map, std::uint16_t tag, std::size_t index = 0)
{
    const std::vector<std::uint32_t> numbers = Numbers(tags, map, tag);
    if (numbers.size() < 2 * index + 2 || numbers[2 * index + 1] == 0)
        return -1;
    return static_cast<double>(numbers[2 * index]) / numbers[2 * index + 1];
}

// ---- Clocks ----

std::optional<std::tm> PiDay()
{
    std::tm time{};
    time.tm_year = 2006 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 14;
    time.tm_hour = 9;
    time.tm_min = 26;
    time.tm_sec = 53;
    return time;
}

std::optional<std::tm> NoClock()
{
    return std::nullopt;
}

std::optional<std::tm> BrokenClock()
{
    std::tm time{};
    time.tm_year = 20000; // year 21900 would not fit the date's four digits
    time.tm_mon = 1;
    time.tm_mday = 1;
    return time;
}

// ---- Pictures ----

// Alternating black and white columns: detail that only a reducing filter turns into grey.
DibImage StripedPicture(std::uint32_t width, std::uint32_t height)
{
    DibImage image;
    image.Create(width, height, 24);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, x % 2 ? 0xFFFFFF : 0x000000);
    }
    return image;
}

bool IsBlack(std::uint32_t pixel)
{
    return pixel == 0;
}

// A decoded pixel near black (lossy coding blurs the frame's edge by a pixel or two).
bool IsNearBlack(std::uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) < 40 && ((pixel >> 8) & 0xFF) < 40 && (pixel & 0xFF) < 40;
}

// ---- JPEG inspection ----

struct JumpingErrors {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->back, 1);
}

// The first (luminance) quantisation table of a JPEG, in natural order; empty when it cannot be
// read.
std::vector<int> LuminanceTable(const std::vector<std::uint8_t>& jpeg)
{
    std::vector<int> table;
    jpeg_decompress_struct info;
    JumpingErrors errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JumpBack;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    if (info.quant_tbl_ptrs[0]) {
        for (int i = 0; i < DCTSIZE2; ++i)
            table.push_back(info.quant_tbl_ptrs[0]->quantval[i]);
    }
    jpeg_destroy_decompress(&info);
    return table;
}

// What libjpeg itself makes of a linear quality scale, as the independent expectation.
std::vector<int> LibjpegLuminanceTable(int linearScale)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    jpeg_set_defaults(&info);
    jpeg_set_linear_quality(&info, linearScale, TRUE);
    std::vector<int> table;
    for (int i = 0; i < DCTSIZE2; ++i)
        table.push_back(info.quant_tbl_ptrs[0]->quantval[i]);
    jpeg_destroy_compress(&info);
    return table;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    const std::string text = ReadTextFile(path);
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> ThumbnailOf(const std::string& path)
{
    ExifReader reader;
    EXPECT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(reader.ReadThumbnail(bytes), TiffResult::kOk);
    return bytes;
}

// The names in a folder (to see that no temporary file stayed behind).
std::set<std::string> FolderNames(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// `exiftool -j -n` of a file (with `options` added), or none when the tool is not installed.
std::optional<std::string> ExiftoolJson(const std::string& path, const std::string& options = "")
{
    if (std::system("command -v exiftool >/dev/null 2>&1") != 0)
        return std::nullopt;
    const std::string command = "exiftool -j -n -a " + options + " '" + path + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), got);
    ::pclose(pipe);
    return output;
}

// A camera's tags as a plug-in passes them on: primary, Exif, GPS (with the group value for
// GPS tags 1 and up) and the maker's note, plus tags that must be dropped.
std::vector<CallerTag> CameraCallerTags()
{
    return {
        Ascii(0x010E, "Harbour at dawn"),
        Ascii(0x010F, "Other maker"),
        Ascii(0x0110, "Other model"),
        Short(0x0112, {6}),
        Rational(0x011A, {300, 1}),
        Rational(0x011B, {300, 1}),
        Short(0x0128, {2}),
        Ascii(0x0131, "Camera firmware 1.0"),
        Short(0x00010100, {4000}), // a layout tag of the camera's file; the writers write their own
        Rational(0x829A, {1, 125}),
        Rational(0x829D, {35, 10}),
        Short(0x8827, {200}),
        Ascii(0x9003, "2005:08:01 12:00:00"),
        Ascii(0x9290, "42"),
        Short(0x9214, {100, 50, 20, 10}),
        Ascii(0xA420, "0123456789abcdef0123456789abcdef"),
        Short(0xA001, {1}),
        Undefined(0xA300, "\x03"),
        Ascii(0x00040001, "N"),
        Rational(0x00040002, {35, 1, 40, 1, 1230, 100}),
        Short(0x1000, {1}), // the maker note's Quality, soon replaced by the writer's text
        Short(0x1023, {320, 240}),
        Ascii(0x8000, "Portrait of the harbour"),
        Short(0x9999, {1}),                     // in no list
        Short(0x00070001, {1}),                 // no such directory
        CallerTag{0x829A, kTiffRational, 2, {1, 2, 3}}, // value shorter than its count says
        CallerTag{0x9209, 13, 1, {0, 0, 0, 0}},         // invalid type
        CallerTag{0x9207, kTiffShort, 0, {}},           // count 0
    };
}

} // namespace

// ---- The directory of a caller's tag ----

TEST(CallerTagDirectory, UpperHalfNamesTheDirectoryAndPlainTagsFollowTheListOrder)
{
    EXPECT_EQ(CallerTagDirectory(0x00040001), TagMap::kGps);
    EXPECT_EQ(CallerTagDirectory(0x0001), TagMap::kInterop);
    EXPECT_EQ(CallerTagDirectory(0x0002), TagMap::kGps);
    EXPECT_EQ(CallerTagDirectory(0x9999), std::nullopt);

    EXPECT_EQ(CallerTagDirectory(0x00019999), TagMap::kPrimary);
    EXPECT_EQ(CallerTagDirectory(0x00029999), TagMap::kExif);
    EXPECT_EQ(CallerTagDirectory(0x00030002), TagMap::kInterop);
    EXPECT_EQ(CallerTagDirectory(0x00051023), TagMap::kMakerNote);
    EXPECT_EQ(CallerTagDirectory(0x00060001), std::nullopt);
    EXPECT_EQ(CallerTagDirectory(0xFFFF0112), std::nullopt);

    // GPSVersionID 0x0000 comes before the maker note's version 0x0000 in the lookup order.
    EXPECT_EQ(CallerTagDirectory(0x0000), TagMap::kGps);
    EXPECT_EQ(CallerTagDirectory(0x001E), TagMap::kGps);
    EXPECT_EQ(CallerTagDirectory(0x001F), std::nullopt);
    EXPECT_EQ(CallerTagDirectory(0x010F), TagMap::kPrimary);
    EXPECT_EQ(CallerTagDirectory(0xC4A5), TagMap::kPrimary);
    EXPECT_EQ(CallerTagDirectory(0x927C), TagMap::kExif);
    EXPECT_EQ(CallerTagDirectory(0xA500), TagMap::kExif);
    for (const std::uint32_t tag : {0x1000u, 0x8000u, 0x8005u, 0x1407u, 0x400Bu, 0x4107u, 0x4181u, 0x0020u})
        EXPECT_EQ(CallerTagDirectory(tag), TagMap::kMakerNote) << std::hex << tag;
    // The maker's 0x0010 lies in the GPS range, which is looked up first.
    EXPECT_EQ(CallerTagDirectory(0x0010), TagMap::kGps);
    EXPECT_EQ(CallerTagDirectory(0x00050010), TagMap::kMakerNote);
    // Tags the writers make themselves, or that are in no list, are not taken from callers.
    for (const std::uint32_t tag : {0x0100u, 0x8769u, 0xA002u, 0xA005u, 0x8006u, 0x4108u, 0x1304u})
        EXPECT_EQ(CallerTagDirectory(tag), std::nullopt) << std::hex << tag;
}

TEST(BuildCallerTagSet, DropsTagsWithoutDirectoryOrWithDamagedValues)
{
    const TagSet tags = TagsOf(CameraCallerTags());
    EXPECT_EQ(Text(tags, TagMap::kGps, 0x0001), "N");
    EXPECT_EQ(Numbers(tags, TagMap::kGps, 0x0002).size(), 6u);
    EXPECT_EQ(Numbers(tags, TagMap::kMakerNote, 0x1023), (std::vector<std::uint32_t>{320, 240}));
    EXPECT_EQ(tags.Find(0x9999), nullptr);
    EXPECT_EQ(tags.Find(TagMap::kInterop, 0x0001), nullptr);
    // The damaged ExposureTime is dropped; the good one before it stays.
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x829A), (std::vector<std::uint32_t>{1, 125}));
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9209), nullptr);
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9207), nullptr);
}

TEST(BuildCallerTagSet, LaterTagReplacesEarlierAndTextsEndWithZero)
{
    CallerTag unterminated{0x010E, kTiffAscii, 3, {'a', 'b', 'c'}};
    const TagSet tags = TagsOf({Ascii(0x010F, "First"), Ascii(0x010F, "Second"), unterminated});
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010F), "Second");
    EXPECT_EQ(tags.Count(TagMap::kPrimary), 2u);
    const TagEntry* description = tags.Find(TagMap::kPrimary, 0x010E);
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->value, (std::vector<std::uint8_t>{'a', 'b', 0}));
}

// ---- The tags of a new file ----

TEST(WriterQuality, TableOfTextsAndEncoderParameters)
{
    EXPECT_EQ(WriterQualityFor(0).text, "FINE   ");
    EXPECT_EQ(WriterQualityFor(0).encoderParameter, 108);
    EXPECT_EQ(WriterQualityFor(1).text, "NORMAL ");
    EXPECT_EQ(WriterQualityFor(1).encoderParameter, 431);
    EXPECT_EQ(WriterQualityFor(2).text, "BASIC  ");
    EXPECT_EQ(WriterQualityFor(2).encoderParameter, 1024);
    for (const int index : {-1, 3, 7, 1000}) {
        EXPECT_EQ(WriterQualityFor(index).text, "Hi     ");
        EXPECT_EQ(WriterQualityFor(index).encoderParameter, 108);
    }
    EXPECT_EQ(JpegLinearScale(108), 10);
    EXPECT_EQ(JpegLinearScale(431), 42);
    EXPECT_EQ(JpegLinearScale(1024), 100);
}

TEST(PrepareNewFileTags, RemovesLayoutTagsAndSignsTheFile)
{
    TagSet tags;
    const std::uint8_t word[2] = {1, 0};
    const std::uint8_t pointer[4] = {8, 0, 0, 0};
    for (const std::uint16_t tag : {0x0100, 0x0101, 0x0103, 0x0106, 0x0115, 0x011C, 0x0213})
        ASSERT_EQ(tags.Add(TagMap::kPrimary, tag, kTiffShort, 1, word), TiffResult::kOk);
    for (const std::uint16_t tag : {0x0111, 0x0116, 0x0117, 0x0201, 0x0202, 0x8769, 0x8825})
        ASSERT_EQ(tags.Add(TagMap::kPrimary, tag, kTiffLong, 1, pointer), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kPrimary, 0x0128, kTiffShort, 1, word), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kExif, 0xA005, kTiffLong, 1, pointer), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kExif, 0x9102, kTiffLong, 1, pointer), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kExif, 0x927C, kTiffUndefined, 4, pointer), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kExif, 0xA001, kTiffShort, 1, word), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kInterop, 0x1001, kTiffShort, 1, word), TiffResult::kOk);
    ASSERT_EQ(tags.Add(TagMap::kInterop, 0x1002, kTiffShort, 1, word), TiffResult::kOk);
    const std::uint8_t subSec[3] = {'5', '0', 0};
    ASSERT_EQ(tags.Add(TagMap::kExif, 0x9290, kTiffAscii, 3, subSec), TiffResult::kOk);

    ASSERT_EQ(PrepareNewFileTags(tags, 0, true, PiDay), TiffResult::kOk);

    std::vector<std::uint16_t> primary;
    for (const TagEntry& entry : tags.Entries(TagMap::kPrimary))
        primary.push_back(entry.tag);
    std::ranges::sort(primary);
    EXPECT_EQ(primary, (std::vector<std::uint16_t>{0x010F, 0x0110, 0x0128, 0x0131, 0x0132}));
    for (const std::uint16_t tag : {0xA005, 0x9102, 0x927C, 0x9290})
        EXPECT_EQ(tags.Find(TagMap::kExif, tag), nullptr) << std::hex << tag;
    EXPECT_NE(tags.Find(TagMap::kExif, 0xA001), nullptr);

    const TagEntry* make = tags.Find(TagMap::kPrimary, 0x010F);
    ASSERT_NE(make, nullptr);
    EXPECT_EQ(make->type, kTiffAscii);
    EXPECT_EQ(make->count, 9u);
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010F), "KAVORINE");
    EXPECT_EQ(tags.Find(TagMap::kPrimary, 0x0110)->count, 22u);
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0110), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0131), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0132), "2006:03:14 09:26:53");
    EXPECT_EQ(tags.Find(TagMap::kPrimary, 0x0132)->count, 20u);

    const TagEntry* version = tags.Find(TagMap::kExif, 0x9000);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->type, kTiffUndefined);
    EXPECT_EQ(version->value, (std::vector<std::uint8_t>{'0', '2', '2', '1'}));
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9003), "    :  :     :  :  ");
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9004), "    :  :     :  :  ");
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9003)->count, 20u);

    const TagEntry* gpsVersion = tags.Find(TagMap::kGps, 0x0000);
    ASSERT_NE(gpsVersion, nullptr);
    EXPECT_EQ(gpsVersion->type, kTiffByte);
    EXPECT_EQ(gpsVersion->value, (std::vector<std::uint8_t>{2, 2, 0, 0}));

    // The interoperability map holds only the two new tags.
    EXPECT_EQ(tags.Count(TagMap::kInterop), 2u);
    EXPECT_EQ(Text(tags, TagMap::kInterop, 0x0001), "R98");
    EXPECT_EQ(tags.Find(TagMap::kInterop, 0x0001)->count, 4u);
    EXPECT_EQ(tags.Find(TagMap::kInterop, 0x0002)->value, (std::vector<std::uint8_t>{'0', '1', '0', '0'}));
    // No maker note was given, so none is started.
    EXPECT_EQ(tags.Count(TagMap::kMakerNote), 0u);
}

TEST(PrepareNewFileTags, WithoutInteropFlagTheInteropMapStaysEmpty)
{
    TagSet tags = TagsOf({Ascii(0x0001, "R03")});
    ASSERT_EQ(tags.Count(TagMap::kInterop), 1u);
    ASSERT_EQ(PrepareNewFileTags(tags, -1, false, PiDay), TiffResult::kOk);
    EXPECT_EQ(tags.Count(TagMap::kInterop), 0u);
}

TEST(PrepareNewFileTags, KeepsTheCallersShootingDates)
{
    TagSet both = TagsOf({Ascii(0x9003, "2005:08:01 12:00:00"), Ascii(0x9004, "2005:08:01 12:00:01")});
    ASSERT_EQ(PrepareNewFileTags(both, 0, true, PiDay), TiffResult::kOk);
    EXPECT_EQ(Text(both, TagMap::kExif, 0x9003), "2005:08:01 12:00:00");
    EXPECT_EQ(Text(both, TagMap::kExif, 0x9004), "2005:08:01 12:00:01");

    TagSet original = TagsOf({Ascii(0x9003, "2005:08:01 12:00:00")});
    ASSERT_EQ(PrepareNewFileTags(original, 0, true, PiDay), TiffResult::kOk);
    EXPECT_EQ(Text(original, TagMap::kExif, 0x9003), "2005:08:01 12:00:00");
    EXPECT_EQ(Text(original, TagMap::kExif, 0x9004), "    :  :     :  :  ");

    // A "date" that is no text is no date.
    TagSet numeric = TagsOf({Short(0x9003, {2005})});
    ASSERT_EQ(PrepareNewFileTags(numeric, 0, true, PiDay), TiffResult::kOk);
    EXPECT_EQ(numeric.Find(TagMap::kExif, 0x9003)->type, kTiffAscii);
    EXPECT_EQ(Text(numeric, TagMap::kExif, 0x9003), "    :  :     :  :  ");
}

TEST(PrepareNewFileTags, MakerNoteGetsQualityAndVersionOnlyWhenGiven)
{
    for (const auto& [index, text] : std::vector<std::pair<int, std::string>>{
             {0, "FINE   "}, {1, "NORMAL "}, {2, "BASIC  "}, {7, "Hi     "}, {-1, "Hi     "}}) {
        TagSet tags = TagsOf({Short(0x1023, {320, 240}), Ascii(0x1000, "SUPER  ")});
        ASSERT_EQ(PrepareNewFileTags(tags, index, true, PiDay), TiffResult::kOk);
        EXPECT_EQ(Text(tags, TagMap::kMakerNote, 0x1000), text) << index;
        EXPECT_EQ(tags.Find(TagMap::kMakerNote, 0x1000)->count, 8u);
        const TagEntry* version = tags.Find(TagMap::kMakerNote, 0x0000);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->type, kTiffUndefined);
        EXPECT_EQ(version->value, (std::vector<std::uint8_t>{'0', '1', '3', '0'}));
        EXPECT_EQ(tags.Count(TagMap::kMakerNote), 3u);
    }
    TagSet none = TagsOf({Ascii(0x010E, "no maker note")});
    ASSERT_EQ(PrepareNewFileTags(none, 1, true, PiDay), TiffResult::kOk);
    EXPECT_EQ(none.Count(TagMap::kMakerNote), 0u);
}

TEST(PrepareNewFileTags, DateTimeIsBlankWithoutALocalTime)
{
    for (const LocalClock clock : {NoClock, BrokenClock}) {
        TagSet tags;
        ASSERT_EQ(PrepareNewFileTags(tags, 0, true, clock), TiffResult::kOk);
        EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0132), "    :  :     :  :  ");
    }
    // The system clock gives a real date of the right form.
    TagSet now;
    ASSERT_EQ(PrepareNewFileTags(now, 0, true), TiffResult::kOk);
    const std::string text = Text(now, TagMap::kPrimary, 0x0132);
    ASSERT_EQ(text.size(), 19u);
    EXPECT_NE(text[0], ' ');
    EXPECT_EQ(text[4], ':');
    EXPECT_EQ(text[10], ' ');
}

TEST(AddRequiredExifTags, AddsOnlyWhatIsMissing)
{
    TagSet tags = TagsOf({Rational(0x011A, {300, 1}), Short(0xA001, {0xFFFF})});
    ASSERT_EQ(AddRequiredExifTags(tags), TiffResult::kOk);
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x011A), (std::vector<std::uint32_t>{300, 1}));
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x011B), (std::vector<std::uint32_t>{72, 1}));
    EXPECT_EQ(tags.Find(TagMap::kPrimary, 0x011B)->count, 1u);
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x0128), (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0xA001), (std::vector<std::uint32_t>{0xFFFF}));
    EXPECT_EQ(tags.Find(TagMap::kExif, 0xA000)->value, (std::vector<std::uint8_t>{'0', '1', '0', '0'}));
    EXPECT_EQ(tags.Count(TagMap::kPrimary), 3u);
    EXPECT_EQ(tags.Count(TagMap::kExif), 2u);
}

TEST(NormaliseOrientationTags, MapsSubjectLocationAndSetsOrientationOne)
{
    TagSet tags = TagsOf({Short(0x0112, {6}), Short(0xA214, {100, 50}), Short(0x9214, {100, 50, 20, 10})});
    NormaliseOrientationTags(640, 480, tags);
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x0112), (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0xA214), (std::vector<std::uint32_t>{430, 100}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x9214), (std::vector<std::uint32_t>{430, 100, 10, 20}));
}

// ---- The thumbnail ----

TEST(MakeExifThumbnail, WidePictureFillsRowsSixTo112OfTheBlackFrame)
{
    const DibImage picture = QuadrantPicture(3000, 2000);
    DibImage thumbnail;
    ASSERT_TRUE(MakeExifThumbnail(picture, thumbnail));
    ASSERT_EQ(thumbnail.Width(), 160u);
    ASSERT_EQ(thumbnail.Height(), 120u);
    for (std::uint32_t y = 0; y < 120; ++y) {
        const bool inside = y >= 6 && y <= 112;
        for (std::uint32_t x = 0; x < 160; ++x) {
            if (!inside)
                ASSERT_TRUE(IsBlack(thumbnail.Pixel(x, y))) << x << "," << y;
            else
                ASSERT_FALSE(IsBlack(thumbnail.Pixel(x, y))) << x << "," << y;
        }
    }
    EXPECT_EQ(QuadrantColour(thumbnail, 20, 20), 'R');
    EXPECT_EQ(QuadrantColour(thumbnail, 140, 20), 'G');
    EXPECT_EQ(QuadrantColour(thumbnail, 20, 100), 'B');
    EXPECT_EQ(QuadrantColour(thumbnail, 140, 100), 'W');
}

TEST(MakeExifThumbnail, TallPictureIsCentredBetweenBlackColumns)
{
    const DibImage picture = QuadrantPicture(600, 900);
    DibImage thumbnail;
    ASSERT_TRUE(MakeExifThumbnail(picture, thumbnail));
    // Fitted 80 x 120, from column 40.
    for (std::uint32_t y = 0; y < 120; ++y) {
        EXPECT_TRUE(IsBlack(thumbnail.Pixel(39, y)));
        EXPECT_FALSE(IsBlack(thumbnail.Pixel(40, y)));
        EXPECT_FALSE(IsBlack(thumbnail.Pixel(119, y)));
        EXPECT_TRUE(IsBlack(thumbnail.Pixel(120, y)));
    }
}

TEST(MakeExifThumbnail, LargePicturesAreHalvedBeforeTheLastStep)
{
    // One-pixel stripes: the halvings average them into grey; a single linear step from
    // 3000 columns to 160 would pick near-black or near-white columns instead.
    const DibImage picture = StripedPicture(3000, 2000);
    DibImage thumbnail;
    ASSERT_TRUE(MakeExifThumbnail(picture, thumbnail));
    for (std::uint32_t y = 10; y < 110; y += 7) {
        for (std::uint32_t x = 4; x < 156; ++x) {
            const auto grey = static_cast<int>(thumbnail.Pixel(x, y) & 0xFF);
            ASSERT_NEAR(grey, 128, 30) << x << "," << y;
        }
    }
}

TEST(MakeExifThumbnail, SmallAndUnusablePictures)
{
    // Enlarged linearly to 120 x 120, centred.
    DibImage small = QuadrantPicture(10, 10);
    DibImage thumbnail;
    ASSERT_TRUE(MakeExifThumbnail(small, thumbnail));
    EXPECT_TRUE(IsBlack(thumbnail.Pixel(19, 60)));
    EXPECT_EQ(QuadrantColour(thumbnail, 25, 5), 'R');
    EXPECT_EQ(QuadrantColour(thumbnail, 135, 115), 'W');
    EXPECT_TRUE(IsBlack(thumbnail.Pixel(140, 60)));

    EXPECT_FALSE(MakeExifThumbnail(DibImage(), thumbnail));
    EXPECT_TRUE(thumbnail.IsEmpty());
    DibImage paletted;
    ASSERT_TRUE(paletted.Create(16, 16, 8));
    EXPECT_FALSE(MakeExifThumbnail(paletted, thumbnail));
}

// ---- The Exif block ----

TEST(BuildExifBlock, LittleEndianTreeWithSortedDirectoriesAndEvenValues)
{
    TagSet tags = TagsOf(CameraCallerTags());
    ASSERT_EQ(PrepareNewFileTags(tags, 1, true, PiDay), TiffResult::kOk);
    const std::vector<std::uint8_t> thumbnail = EncodeJpeg(QuadrantPicture(160, 120));
    std::vector<std::uint8_t> payload;
    ASSERT_EQ(BuildExifBlock(tags, 640, 480, thumbnail, payload), ExifBlockResult::kOk);
    ASSERT_GT(payload.size(), 14u);
    EXPECT_EQ(std::string(payload.begin(), payload.begin() + 6), std::string("Exif\0\0", 6));
    EXPECT_EQ(std::string(payload.begin() + 6, payload.begin() + 10), std::string("II*\0", 4));

    // Walk IFD0's raw entries: ascending tags, every outside value at an even offset.
    const std::uint8_t* tiff = payload.data() + 6;
    const auto read16 = [&](std::size_t at) { return static_cast<std::uint32_t>(tiff[at] | tiff[at + 1] << 8); };
    const auto read32 = [&](std::size_t at) { return read16(at) | read16(at + 2) << 16; };
    const std::uint32_t ifd0 = read32(4);
    EXPECT_EQ(ifd0 % 2, 0u);
    const std::uint32_t count = read16(ifd0);
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd0 + 2 + 12 * i;
        const std::uint32_t tag = read16(entry);
        EXPECT_GT(tag, previous);
        previous = tag;
        const std::uint64_t size = std::uint64_t{TiffTypeSize(read16(entry + 2))} * read32(entry + 4);
        if (size > 4) {
            EXPECT_EQ(read32(entry + 8) % 2, 0u) << std::hex << tag;
        }
    }

    ExifReader reader;
    ASSERT_EQ(reader.OpenTiff(TiffStream::FromBytes({payload.begin() + 6, payload.end()})), TiffResult::kOk);
    ASSERT_NE(reader.Exif(), nullptr);
    ASSERT_NE(reader.Interop(), nullptr);
    ASSERT_NE(reader.Gps(), nullptr);
    ASSERT_NE(reader.Thumbnail(), nullptr);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_EQ(reader.Exif()->ReadUint32(0xA002, width), TiffResult::kOk);
    EXPECT_EQ(reader.Exif()->ReadUint32(0xA003, height), TiffResult::kOk);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    std::vector<std::uint8_t> embedded;
    ASSERT_EQ(reader.ReadThumbnail(embedded), TiffResult::kOk);
    EXPECT_EQ(embedded, thumbnail);
    std::uint32_t compression = 0;
    EXPECT_EQ(reader.Thumbnail()->ReadUint32(0x0103, compression), TiffResult::kOk);
    EXPECT_EQ(compression, 6u);
    for (const std::uint16_t tag : {0x011A, 0x011B}) {
        ASSERT_TRUE(reader.Thumbnail()->Holds(tag, kTiffRational, 1)) << std::hex << tag;
        std::array<std::uint8_t, 8> resolution{};
        ASSERT_EQ(reader.Thumbnail()->ReadValue(tag, resolution), TiffResult::kOk);
        EXPECT_EQ(resolution, (std::array<std::uint8_t, 8>{72, 0, 0, 0, 1, 0, 0, 0}));
    }
}

TEST(BuildExifBlock, RefusesBlocksBeyondOneApp1Segment)
{
    // The longest description that fits gives a payload of the whole 65,533 bytes (or one
    // less, since values are padded to even lengths); one byte more is refused.
    const auto build = [](std::size_t length, std::vector<std::uint8_t>& payload) {
        TagSet tags = TagsOf({Ascii(0x010E, std::string(length, 'x'))});
        EXPECT_EQ(PrepareNewFileTags(tags, 0, true, PiDay), TiffResult::kOk);
        return BuildExifBlock(tags, 640, 480, {}, payload);
    };
    std::size_t low = 1;
    std::size_t high = 70000;
    std::vector<std::uint8_t> payload;
    ASSERT_EQ(build(low, payload), ExifBlockResult::kOk);
    ASSERT_EQ(build(high, payload), ExifBlockResult::kTooLarge);
    EXPECT_TRUE(payload.empty());
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        (build(middle, payload) == ExifBlockResult::kOk ? low : high) = middle;
    }
    ASSERT_EQ(build(low, payload), ExifBlockResult::kOk);
    EXPECT_GE(payload.size(), kMaxApp1Payload - 1);
    EXPECT_LE(payload.size(), kMaxApp1Payload);
    EXPECT_EQ(build(low + 1, payload), ExifBlockResult::kTooLarge);

    // A maker note too large on its own is refused as well.
    TagSet maker = TagsOf({Ascii(0x8000, std::string(70000, 'n'))});
    ASSERT_EQ(PrepareNewFileTags(maker, 0, true, PiDay), TiffResult::kOk);
    EXPECT_EQ(BuildExifBlock(maker, 640, 480, {}, payload), ExifBlockResult::kTooLarge);
}

// ---- JPEG files ----

class ExifJpegFile : public ::testing::Test {
protected:
    Sandbox m_sandbox;
};

TEST_F(ExifJpegFile, WrittenFileReadsBackWithEveryTag)
{
    const std::string path = m_sandbox / "written.jpg";
    const DibImage picture = QuadrantPicture(640, 480);
    ASSERT_EQ(WriteExifJpeg(picture, CameraCallerTags(), 1, path, PiDay), ExifWriteResult::kOk);

    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 4u);
    // SOI, then straight the Exif APP1 segment.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE1}));

    ExifReader reader;
    ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    EXPECT_EQ(reader.Orientation(), 1);
    EXPECT_EQ(reader.ImageSize(), (PixelSize{640, 480}));
    TagSet tags;
    ReadTagSet(reader, TagReadMode::kFull, tags);

    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010F), "KAVORINE");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0110), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0131), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0132), "2006:03:14 09:26:53");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010E), "Harbour at dawn");
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x0112), (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x011A), (std::vector<std::uint32_t>{300, 1}));
    EXPECT_EQ(reader.Primary()->Find(0x0100), nullptr);

    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x829A), (std::vector<std::uint32_t>{1, 125}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x829D), (std::vector<std::uint32_t>{35, 10}));
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9003), "2005:08:01 12:00:00");
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9004), "    :  :     :  :  ");
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9000)->value, (std::vector<std::uint8_t>{'0', '2', '2', '1'}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x9214), (std::vector<std::uint32_t>{100, 50, 20, 10}));
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9290), nullptr);
    EXPECT_EQ(tags.Find(TagMap::kExif, 0xA420), nullptr);
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0xA300), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(tags.Find(0x9999), nullptr);

    EXPECT_EQ(Text(tags, TagMap::kInterop, 0x0001), "R98");
    ASSERT_NE(reader.Interop(), nullptr);
    std::vector<std::uint8_t> interopVersion;
    EXPECT_EQ(reader.Interop()->ReadValueBytes(0x0002, interopVersion), TiffResult::kOk);
    EXPECT_EQ(interopVersion, (std::vector<std::uint8_t>{'0', '1', '0', '0'}));

    EXPECT_EQ(Numbers(tags, TagMap::kGps, 0x0000), (std::vector<std::uint32_t>{2, 2, 0, 0}));
    EXPECT_EQ(Text(tags, TagMap::kGps, 0x0001), "N");
    EXPECT_EQ(Numbers(tags, TagMap::kGps, 0x0002), (std::vector<std::uint32_t>{35, 1, 40, 1, 1230, 100}));

    EXPECT_EQ(Text(tags, TagMap::kMakerNote, 0x1000), "NORMAL ");
    EXPECT_EQ(tags.Find(TagMap::kMakerNote, 0x0000)->value, (std::vector<std::uint8_t>{'0', '1', '3', '0'}));
    EXPECT_EQ(Numbers(tags, TagMap::kMakerNote, 0x1023), (std::vector<std::uint32_t>{320, 240}));
    EXPECT_EQ(Text(tags, TagMap::kMakerNote, 0x8000), "Portrait of the harbour");

    // The pictures decode: the main one at its size, the thumbnail in its black frame.
    DibImage decoded;
    ASSERT_EQ(DecodeJpegFile(path, decoded), 1);
    ASSERT_EQ(decoded.Width(), 640u);
    ASSERT_EQ(decoded.Height(), 480u);
    EXPECT_EQ(QuadrantColour(decoded, 10, 10), 'R');
    EXPECT_EQ(QuadrantColour(decoded, 630, 10), 'G');
    EXPECT_EQ(QuadrantColour(decoded, 10, 470), 'B');
    EXPECT_EQ(QuadrantColour(decoded, 630, 470), 'W');
    DibImage thumbnail;
    ASSERT_EQ(ReadExifThumbnail(reader, thumbnail), 1);
    ASSERT_EQ(thumbnail.Width(), 160u);
    ASSERT_EQ(thumbnail.Height(), 120u);
    EXPECT_EQ(QuadrantColour(thumbnail, 20, 20), 'R');
    EXPECT_EQ(QuadrantColour(thumbnail, 140, 110), 'W');
}

TEST_F(ExifJpegFile, QualityIndexChoosesTheTablesAndTheThumbnailAlwaysUses108)
{
    const DibImage picture = QuadrantPicture(320, 240);
    const std::vector<int> fine = LibjpegLuminanceTable(10);
    const std::vector<int> normal = LibjpegLuminanceTable(42);
    const std::vector<int> basic = LibjpegLuminanceTable(100);
    ASSERT_NE(fine, normal);
    ASSERT_NE(normal, basic);
    for (const auto& [index, table] : std::vector<std::pair<int, std::vector<int>>>{
             {0, fine}, {1, normal}, {2, basic}, {7, fine}}) {
        const std::string path = m_sandbox / ("quality" + std::to_string(index) + ".jpg");
        ASSERT_EQ(WriteExifJpeg(picture, {Short(0x1023, {1, 2})}, index, path, PiDay), ExifWriteResult::kOk);
        EXPECT_EQ(LuminanceTable(ReadBytes(path)), table) << index;
        EXPECT_EQ(LuminanceTable(ThumbnailOf(path)), fine) << index;
        ExifReader reader;
        ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
        TagSet tags;
        ReadTagSet(reader, TagReadMode::kFull, tags);
        EXPECT_EQ(Text(tags, TagMap::kMakerNote, 0x1000), WriterQualityFor(index).text) << index;
    }
}

TEST_F(ExifJpegFile, NoMakerNoteWithoutTheCallersMakerTags)
{
    const std::string path = m_sandbox / "plain.jpg";
    ASSERT_EQ(WriteExifJpeg(QuadrantPicture(64, 48), {Ascii(0x010E, "plain")}, 0, path, PiDay),
              ExifWriteResult::kOk);
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    EXPECT_EQ(reader.Exif()->Find(0x927C), nullptr);
    TagSet tags;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    EXPECT_EQ(tags.Count(TagMap::kMakerNote), 0u);
    // Without an Orientation from the caller the file has none either; the tags Exif requires
    // get their usual values.
    EXPECT_EQ(reader.Primary()->Find(0x0112), nullptr);
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x011A), (std::vector<std::uint32_t>{72, 1}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0xA001), (std::vector<std::uint32_t>{1}));
}

TEST_F(ExifJpegFile, EncodeExifJpegWritesAnOrientationAsOneShortOne)
{
    TagSet tags;
    const std::uint8_t eight[4] = {8, 0, 0, 0};
    ASSERT_EQ(tags.Add(TagMap::kPrimary, 0x0112, kTiffLong, 1, eight), TiffResult::kOk);
    const std::string path = m_sandbox / "upright.jpg";
    ASSERT_EQ(EncodeExifJpeg(QuadrantPicture(64, 48), tags, 2, path, PiDay), ExifWriteResult::kOk);
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    EXPECT_TRUE(reader.Primary()->Holds(0x0112, kTiffShort, 1));
    EXPECT_EQ(reader.Orientation(), 1);
}

TEST_F(ExifJpegFile, OversizedExifBlockLeavesTheTargetUntouched)
{
    const std::string path = m_sandbox.WriteFile("original.jpg", "the original picture");
    const std::vector<CallerTag> huge = {Ascii(0x010E, std::string(70000, 'x'))};
    EXPECT_EQ(WriteExifJpeg(QuadrantPicture(64, 48), huge, 0, path, PiDay), ExifWriteResult::kExifTooLarge);
    EXPECT_EQ(ReadTextFile(path), "the original picture");
    EXPECT_EQ(FolderNames(m_sandbox.Path()), (std::set<std::string>{"original.jpg"}));

    const std::vector<CallerTag> hugeNote = {Ascii(0x8001, std::string(66000, 'm'))};
    EXPECT_EQ(WriteExifJpeg(QuadrantPicture(64, 48), hugeNote, 0, path, PiDay), ExifWriteResult::kExifTooLarge);
    EXPECT_EQ(ReadTextFile(path), "the original picture");
}

TEST_F(ExifJpegFile, FailedWritesLeaveNothingBehind)
{
    const DibImage picture = QuadrantPicture(64, 48);
    // A folder that does not exist, and a folder in the target's place.
    EXPECT_EQ(WriteExifJpeg(picture, {}, 0, m_sandbox / "missing/picture.jpg", PiDay), ExifWriteResult::kWriteFailed);
    const std::string folder = m_sandbox.MakeFolder("taken.jpg");
    EXPECT_EQ(WriteExifJpeg(picture, {}, 0, folder, PiDay), ExifWriteResult::kWriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(WriteExifTiff(picture, {}, folder, PiDay), ExifWriteResult::kWriteFailed);
    EXPECT_EQ(FolderNames(m_sandbox.Path()), (std::set<std::string>{"taken.jpg"}));

    // A folder the user may not write to (the superuser may write anywhere, so the writers run
    // as a plain user in a child process).
    const std::string locked = m_sandbox.MakeFolder("locked");
    const std::string original = m_sandbox.WriteFile("locked/picture.jpg", "original");
    ASSERT_EQ(::chmod(m_sandbox.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(original.c_str(), 0666), 0);
    const int outcome = RunAsPlainUser([&] {
        const bool jpegRefused = WriteExifJpeg(picture, {}, 0, original, PiDay) == ExifWriteResult::kWriteFailed;
        const bool tiffRefused = WriteExifTiff(picture, {}, original, PiDay) == ExifWriteResult::kWriteFailed;
        return (jpegRefused ? 1 : 0) | (tiffRefused ? 2 : 0);
    });
    ASSERT_NE(outcome, kCannotDropPrivileges);
    EXPECT_EQ(outcome, 1 | 2);
    EXPECT_EQ(ReadTextFile(original), "original");
    EXPECT_EQ(FolderNames(locked), (std::set<std::string>{"picture.jpg"}));
    ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
    std::filesystem::remove_all(locked);

    // Pictures the encoders cannot take: nothing is created.
    const std::string path = m_sandbox / "never.jpg";
    EXPECT_EQ(WriteExifJpeg(DibImage(), {}, 0, path, PiDay), ExifWriteResult::kBadPicture);
    DibImage paletted;
    ASSERT_TRUE(paletted.Create(16, 16, 8));
    EXPECT_EQ(WriteExifJpeg(paletted, {}, 0, path, PiDay), ExifWriteResult::kBadPicture);
    EXPECT_EQ(WriteExifTiff(paletted, {}, path, PiDay), ExifWriteResult::kBadPicture);
    DibImage tooWide;
    ASSERT_TRUE(tooWide.Create(70000, 1, 24));
    EXPECT_EQ(WriteExifJpeg(tooWide, {}, 0, path, PiDay), ExifWriteResult::kBadPicture);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ExifJpegFile, ReplacesAnExistingFileWithItsPermissions)
{
    const std::string path = m_sandbox.WriteFile("replace.jpg", "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write
                                           | std::filesystem::perms::group_read);
    ASSERT_EQ(WriteExifJpeg(QuadrantPicture(64, 48), {}, 0, path, PiDay), ExifWriteResult::kOk);
    EXPECT_NE(ReadTextFile(path), "old");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write
                  | std::filesystem::perms::group_read);
    EXPECT_EQ(FolderNames(m_sandbox.Path()), (std::set<std::string>{"replace.jpg"}));
}

TEST_F(ExifJpegFile, ExiftoolReadsTheFileWithoutWarnings)
{
    const std::string path = m_sandbox / "checked.jpg";
    ASSERT_EQ(WriteExifJpeg(QuadrantPicture(640, 480), CameraCallerTags(), 1, path, PiDay), ExifWriteResult::kOk);
    // -validate also checks the tags Exif requires and the layout of every value.
    const std::optional<std::string> json = ExiftoolJson(path, "-validate -all");
    if (!json)
        GTEST_SKIP() << "exiftool is not installed";
    EXPECT_NE(json->find(R"("Validate": "0 0 0")"), std::string::npos) << *json;
    EXPECT_EQ(json->find("Warning"), std::string::npos) << *json;
    EXPECT_EQ(json->find("Error"), std::string::npos) << *json;
    for (const std::string_view expected : {
             R"("Make": "KAVORINE")",
             R"("Model": "VistrelViewer Ver.5.3")",
             R"("Software": "VistrelViewer Ver.5.3")",
             R"("ModifyDate": "2006:03:14 09:26:53")",
             R"("DateTimeOriginal": "2005:08:01 12:00:00")",
             R"("Orientation": 1)",
             R"("ExifVersion": "0221")",
             R"("InteropIndex": "R98")",
             R"("InteropVersion": "0100")",
             R"("GPSVersionID": "2 2 0 0")",
             R"("GPSLatitudeRef": "N")",
             R"("ExifImageWidth": 640)",
             R"("ExifImageHeight": 480)",
             R"("ImageWidth": 640)",
             R"("ImageHeight": 480)",
             R"("ExposureTime": 0.008)",
             R"("FNumber": 3.5)",
         }) {
        EXPECT_NE(json->find(expected), std::string::npos) << expected << "\n" << *json;
    }
    EXPECT_NE(json->find(R"("ThumbnailLength": )"), std::string::npos) << *json;
}

// ---- TIFF files ----

using ExifTiffFile = ExifJpegFile;

TEST_F(ExifTiffFile, TiffFileReadsBackThroughTheTiffReader)
{
    const std::string path = m_sandbox / "written.tif";
    const DibImage picture = QuadrantPicture(300, 200);
    ASSERT_EQ(WriteExifTiff(picture, CameraCallerTags(), path, PiDay), ExifWriteResult::kOk);

    TiffHandler handler;
    TagSet tags;
    ASSERT_EQ(handler.ReadTags(path, tags), 1);
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010F), "KAVORINE");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0110), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0131), "VistrelViewer Ver.5.3");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x0132), "2006:03:14 09:26:53");
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010E), "Harbour at dawn");
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x0112), (std::vector<std::uint32_t>{1}));
    EXPECT_DOUBLE_EQ(Quotient(tags, TagMap::kPrimary, 0x011A), 300.0);
    EXPECT_EQ(Numbers(tags, TagMap::kPrimary, 0x0128), (std::vector<std::uint32_t>{2}));

    EXPECT_NEAR(Quotient(tags, TagMap::kExif, 0x829A), 1.0 / 125, 1e-9);
    EXPECT_NEAR(Quotient(tags, TagMap::kExif, 0x829D), 3.5, 1e-9);
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x8827), (std::vector<std::uint32_t>{200}));
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9003), "2005:08:01 12:00:00");
    EXPECT_EQ(Text(tags, TagMap::kExif, 0x9004), "    :  :     :  :  ");
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9000)->value, (std::vector<std::uint8_t>{'0', '2', '2', '1'}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x9214), (std::vector<std::uint32_t>{100, 50, 20, 10}));
    EXPECT_EQ(tags.Find(TagMap::kExif, 0x9290), nullptr);
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0xA300), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(tags.Count(TagMap::kInterop), 0u);

    EXPECT_EQ(Numbers(tags, TagMap::kGps, 0x0000), (std::vector<std::uint32_t>{2, 2, 0, 0}));
    EXPECT_EQ(Text(tags, TagMap::kGps, 0x0001), "N");
    EXPECT_NEAR(Quotient(tags, TagMap::kGps, 0x0002, 2), 12.3, 1e-6);

    EXPECT_EQ(Text(tags, TagMap::kMakerNote, 0x1000), "Hi     ");
    EXPECT_EQ(tags.Find(TagMap::kMakerNote, 0x0000)->value, (std::vector<std::uint8_t>{'0', '1', '3', '0'}));
    EXPECT_EQ(Numbers(tags, TagMap::kMakerNote, 0x1023), (std::vector<std::uint32_t>{320, 240}));

    // The picture comes back pixel for pixel (stored without loss), the thumbnail as IFD1.
    DibImage image;
    bool is16Bit = true;
    ASSERT_EQ(ReadTiffImage(path, image, is16Bit), 1);
    EXPECT_FALSE(is16Bit);
    ASSERT_EQ(image.Width(), 300u);
    ASSERT_EQ(image.Height(), 200u);
    for (std::uint32_t y = 0; y < 200; y += 13) {
        for (std::uint32_t x = 0; x < 300; x += 7)
            ASSERT_EQ(image.Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
    }
    DibImage thumbnail;
    ASSERT_EQ(ReadTiffThumbnail(path, thumbnail), 1);
    ASSERT_EQ(thumbnail.Width(), 160u);
    ASSERT_EQ(thumbnail.Height(), 120u);
    DibImage expected;
    ASSERT_TRUE(MakeExifThumbnail(picture, expected));
    for (std::uint32_t y = 0; y < 120; ++y) {
        for (std::uint32_t x = 0; x < 160; ++x)
            ASSERT_EQ(thumbnail.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
    }
    EXPECT_TRUE(IsNearBlack(thumbnail.Pixel(80, 5)));
}

TEST_F(ExifTiffFile, TagsLibtiffCannotTakeAreLeftOutAndPrivateTagsKept)
{
    const std::string path = m_sandbox / "odd.tif";
    const std::vector<CallerTag> odd = {
        Short(0x0001ABCD, {7, 8, 9}),       // a private primary tag
        Short(0x00010140, {0, 0, 0}),       // Colormap: libtiff's own layout tag
        Ascii(0x0002829D, "not a number"),  // FNumber given as text
        Short(0x00029202, {4}),             // ApertureValue given as SHORT: converted
        Short(0x00028827, {100, 200}),      // ISOSpeedRatings with two values
        Short(0x0002A214, {1, 2, 3}),       // SubjectLocation with a count libtiff does not allow
        Undefined(0x0002BEEF, "private"),   // a private Exif tag
        CallerTag{0x00029214, kTiffSLong, 2, BytesOf(std::vector<std::int32_t>{-5, 70000})}, // clamped
        Ascii(0x00040012, "WGS-84"),
    };
    ASSERT_EQ(WriteExifTiff(QuadrantPicture(32, 24), odd, path, PiDay), ExifWriteResult::kOk);
    ExifReader reader;
    ASSERT_EQ(OpenTiffTagTree(path, reader), TiffResult::kOk);
    ASSERT_NE(reader.Exif(), nullptr);
    ASSERT_NE(reader.Gps(), nullptr);
    std::vector<std::uint32_t> privateValues(3);
    ASSERT_EQ(reader.Primary()->ReadValue32(0xABCD, privateValues), TiffResult::kOk);
    EXPECT_EQ(privateValues, (std::vector<std::uint32_t>{7, 8, 9}));
    EXPECT_EQ(reader.Primary()->Find(0x0140), nullptr);
    EXPECT_EQ(reader.Exif()->Find(0x829D), nullptr);
    EXPECT_EQ(reader.Exif()->Find(0xA214), nullptr);
    EXPECT_EQ(reader.Exif()->EntryType(0x9202), kTiffRational);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(reader.Exif()->ReadValueBytes(0xBEEF, bytes), TiffResult::kOk);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "private");

    TagSet tags;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    EXPECT_NEAR(Quotient(tags, TagMap::kExif, 0x9202), 4.0, 1e-9);
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x8827), (std::vector<std::uint32_t>{100, 200}));
    EXPECT_EQ(Numbers(tags, TagMap::kExif, 0x9214), (std::vector<std::uint32_t>{0, 65535}));
    EXPECT_EQ(Text(tags, TagMap::kGps, 0x0012), "WGS-84");
    DibImage image;
    bool is16Bit = false;
    EXPECT_EQ(ReadTiffImage(path, image, is16Bit), 1);
}

TEST_F(ExifTiffFile, TiffWithoutMakerTagsHasNoMakerNote)
{
    const std::string path = m_sandbox / "plain.tif";
    ASSERT_EQ(WriteExifTiff(QuadrantPicture(32, 24), {Ascii(0x010E, "plain")}, path, PiDay), ExifWriteResult::kOk);
    TiffHandler handler;
    TagSet tags;
    ASSERT_EQ(handler.ReadTags(path, tags), 1);
    EXPECT_EQ(tags.Count(TagMap::kMakerNote), 0u);
    EXPECT_EQ(Text(tags, TagMap::kPrimary, 0x010E), "plain");
    EXPECT_EQ(tags.Find(TagMap::kPrimary, 0x0112), nullptr);
}

TEST_F(ExifTiffFile, ExiftoolReadsTheTiffWithoutWarnings)
{
    const std::string path = m_sandbox / "checked.tif";
    ASSERT_EQ(WriteExifTiff(QuadrantPicture(300, 200), CameraCallerTags(), path, PiDay), ExifWriteResult::kOk);
    const std::optional<std::string> json = ExiftoolJson(path);
    if (!json)
        GTEST_SKIP() << "exiftool is not installed";
    EXPECT_EQ(json->find("Warning"), std::string::npos) << *json;
    EXPECT_EQ(json->find("Error"), std::string::npos) << *json;
    for (const std::string_view expected : {
             R"("Make": "KAVORINE")",
             R"("ModifyDate": "2006:03:14 09:26:53")",
             R"("DateTimeOriginal": "2005:08:01 12:00:00")",
             R"("Orientation": 1)",
             R"("ExifVersion": "0221")",
             R"("GPSVersionID": "2 2 0 0")",
             R"("ImageWidth": 300)",
             R"("SubfileType": 1)",
         }) {
        EXPECT_NE(json->find(expected), std::string::npos) << expected << "\n" << *json;
    }
}
