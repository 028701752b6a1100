#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/exif_reader.h"
#include "formats/tag_set_reader.h"

// Real camera files: reading them never crashes, and the maker's files agree with what an
// independent metadata tool reads from them.

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> CorpusDir()
{
#ifdef VISTREL_CORPUS_DIR
    std::error_code error;
    if (fs::is_directory(VISTREL_CORPUS_DIR, error))
        return fs::path(VISTREL_CORPUS_DIR);
#endif
    return std::nullopt;
}

std::string LowerExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool IsJpeg(const fs::path& path)
{
    return LowerExtension(path) == ".jpg" || LowerExtension(path) == ".jpeg";
}

// One "Group:Name": {"id": "0x....", "val": ...} record of an expected-values file.
struct ExpectedTag {
    std::string group;
    std::uint16_t id = 0;
    std::optional<std::string> text; // strings without escapes
    std::optional<double> number;
};

// Just enough JSON for these files: records whose id is a hexadecimal tag number.
std::vector<ExpectedTag> ParseExpected(const std::string& json)
{
    std::vector<ExpectedTag> tags;
    for (std::size_t at = json.find("\"id\": \"0x"); at != std::string::npos;
         at = json.find("\"id\": \"0x", at + 1)) {
        ExpectedTag tag;
        tag.id = static_cast<std::uint16_t>(std::strtoul(json.c_str() + at + 9, nullptr, 16));
        const std::size_t keyEnd = json.rfind("\": {", at);
        const std::size_t keyStart = json.rfind('"', keyEnd - 1) + 1;
        tag.group = json.substr(keyStart, json.find(':', keyStart) - keyStart);
        const std::size_t value = json.find("\"val\": ", at) + 7;
        if (json[value] == '"') {
            const std::string text = json.substr(value + 1, json.find('"', value + 1) - value - 1);
            if (text.find('\\') == std::string::npos)
                tag.text = text;
        } else {
            tag.number = std::strtod(json.c_str() + value, nullptr);
        }
        tags.push_back(tag);
    }
    return tags;
}

// A single number as the expected files write it (rationals as decimals), if it is one.
std::optional<double> NumberOf(const TagEntry& entry)
{
    std::uint32_t words[2] = {};
    std::memcpy(words, entry.value.data(), std::min<std::size_t>(entry.value.size(), sizeof words));
    if (entry.count != 1)
        return std::nullopt;
    switch (entry.type) {
    case kTiffByte: return entry.value[0];
    case kTiffShort: return static_cast<std::uint16_t>(words[0]);
    case kTiffLong: return words[0];
    case kTiffRational: return words[1] ? std::optional<double>(double(words[0]) / words[1]) : std::nullopt;
    case kTiffSRational:
        return words[1] ? std::optional<double>(double(std::int32_t(words[0])) / std::int32_t(words[1]))
                        : std::nullopt;
    default: return std::nullopt;
    }
}

} // namespace

TEST(ExifCorpus, EveryPictureOpensOrFailsWithACode)
{
    const auto corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    int pictures = 0, withExif = 0, withTags = 0;
    for (const auto& item : fs::recursive_directory_iterator(*corpus)) {
        const std::string extension = LowerExtension(item.path());
        if (!item.is_regular_file() || !(IsJpeg(item.path()) || extension == ".tif" || extension == ".tiff"))
            continue;
        SCOPED_TRACE(item.path().string());
        ++pictures;
        ExifReader reader;
        const TiffResult opened
            = IsJpeg(item.path()) ? reader.OpenJpegFile(item.path()) : reader.OpenTiffFile(item.path());
        if (!Succeeded(opened)) {
            EXPECT_EQ(reader.Primary(), nullptr);
            EXPECT_GE(static_cast<int>(opened), 1000);
            continue;
        }
        ++withExif;
        for (const TagReadMode mode : {TagReadMode::kQuick, TagReadMode::kFull}) {
            TagSet tags;
            try {
                ReadTagSet(reader, mode, tags);
            } catch (const MediaError& thrown) {
                EXPECT_EQ(thrown.code, -5001);
                continue;
            }
            withTags += mode == TagReadMode::kFull;
            tags.NormaliseOrientation(reader.ImageSize().width, reader.ImageSize().height);
            (void)tags.DeclaresAdobeRgbProfile();
        }
        std::vector<std::uint8_t> thumbnail;
        PixelSize size;
        (void)reader.ReadThumbnail(thumbnail);
        (void)reader.ThumbnailPixelSize(size);
    }
    EXPECT_GT(pictures, 100);
    EXPECT_GT(withExif, pictures / 2);
    EXPECT_GT(withTags, withExif * 9 / 10);
}

TEST(ExifCorpus, MakerFilesAgreeWithTheIndependentTool)
{
    const auto corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    // Exif tags that the tool reports raw (it converts the APEX values, which are left out).
    const std::vector<std::uint16_t> rawExif
        = {0x829A, 0x829D, 0x8827, 0x9003, 0x9204, 0x9207, 0x9209, 0x920A};
    int compared = 0, makerCompared = 0;
    for (const auto& item : fs::directory_iterator(*corpus / "maker")) {
        const fs::path expectedPath
            = *corpus / "expected" / "maker" / (item.path().filename().string() + ".json");
        if (!IsJpeg(item.path()) || !fs::exists(expectedPath))
            continue;
        SCOPED_TRACE(item.path().string());
        ExifReader reader;
        ASSERT_EQ(reader.OpenJpegFile(item.path()), TiffResult::kOk);
        TagSet tags;
        ASSERT_NO_THROW(ReadTagSet(reader, TagReadMode::kFull, tags));
        for (const ExpectedTag& want : ParseExpected(ReadTextFile(expectedPath))) {
            const bool maker = want.group == "MakerNote" && FindKnownTag(TagMap::kMakerNote, want.id);
            if (!maker && !(want.group == "ExifIFD" && std::ranges::count(rawExif, want.id)))
                continue;
            const TagEntry* entry = tags.Find(maker ? TagMap::kMakerNote : TagMap::kExif, want.id);
            ASSERT_NE(entry, nullptr) << want.group << " 0x" << std::hex << want.id;
            if (const auto number = NumberOf(*entry); number && want.number) {
                EXPECT_NEAR(*number, *want.number, 1e-6 * std::max(1.0, std::fabs(*want.number)))
                    << std::hex << want.id;
            } else if (entry->type == kTiffAscii && want.text) {
                EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->value.data())), *want.text)
                    << std::hex << want.id;
            } else {
                continue;
            }
            ++compared;
            makerCompared += maker;
        }
    }
    EXPECT_GT(compared, 100);
    EXPECT_GT(makerCompared, 50);
}

TEST(ExifCorpus, EmbeddedIccProfilesAreAdobeRgbExactlyWhereTheToolSaysSo)
{
    const auto corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    int profiles = 0, adobe = 0;
    for (const auto& item : fs::recursive_directory_iterator(*corpus)) {
        const fs::path expectedPath = *corpus / "expected" / item.path().parent_path().filename()
            / (item.path().filename().string() + ".json");
        ExifReader reader;
        if (!IsJpeg(item.path()) || !fs::exists(expectedPath) || !Succeeded(reader.OpenJpegFile(item.path())))
            continue;
        // A whole profile in one APP2 segment: "ICC_PROFILE", 0, chunk 1 of 1, then the profile.
        if (reader.App2Segments().size() != 1)
            continue;
        const App2Segment& segment = reader.App2Segments().front();
        std::vector<std::uint8_t> payload(segment.length - 2u);
        if (!Succeeded(reader.FileStream().ReadAt(segment.position + 4, payload)) || payload.size() < 14
            || std::memcmp(payload.data(), "ICC_PROFILE\0\1\1", 14) != 0)
            continue;
        SCOPED_TRACE(item.path().string());
        const std::string json = ReadTextFile(expectedPath);
        const std::size_t description = json.find("\"ICC_Profile:ProfileDescription\"");
        const bool expected = description != std::string::npos
            && json.compare(json.find("\"val\": ", description) + 7, 18, "\"Adobe RGB (1998)\"") == 0;
        const std::span<const std::uint8_t> profile = std::span(payload).subspan(14);
        EXPECT_EQ(IsAdobeRgbProfile(profile), expected);
        EXPECT_FALSE(IsAdobeRgbProfile(profile.first(std::min<std::size_t>(profile.size(), 200))));
        ++profiles;
        adobe += expected;
    }
    EXPECT_GT(adobe, 0);
    EXPECT_GE(profiles, adobe);
}

TEST(ExifCorpus, EveryJpegTheIndependentToolReadsExifFromGivesItsTags)
{
    const auto corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(*corpus)) {
        const fs::path expectedPath = *corpus / "expected" / item.path().parent_path().filename()
            / (item.path().filename().string() + ".json");
        if (!item.is_regular_file() || !IsJpeg(item.path()) || item.path().parent_path().filename() == "invalid"
            || !fs::exists(expectedPath))
            continue;
        const std::string json = ReadTextFile(expectedPath);
        if (json.find("\"ExifIFD:") == std::string::npos)
            continue;
        SCOPED_TRACE(item.path().string());
        ++files;
        ExifReader reader;
        ASSERT_EQ(reader.OpenJpegFile(item.path()), TiffResult::kOk);
        for (const TagReadMode mode : {TagReadMode::kQuick, TagReadMode::kFull}) {
            TagSet tags;
            EXPECT_NO_THROW(ReadTagSet(reader, mode, tags));
        }
    }
    EXPECT_GT(files, 90);
}

TEST(ExifCorpus, ThermalCameraAndStalePointerFilesReadLikeEverywhereElse)
{
    const auto corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    auto read = [&](const char* name, TagSet& tags) {
        ExifReader reader;
        ASSERT_EQ(reader.OpenJpegFile(*corpus / "other" / name), TiffResult::kOk) << name;
        ASSERT_NO_THROW(ReadTagSet(reader, TagReadMode::kFull, tags)) << name;
    };
    // ExifVersion written as four ASCII bytes.
    TagSet flir;
    read("FLIR.jpg", flir);
    const TagEntry* version = flir.Find(TagMap::kExif, 0x9000);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->type, kTiffUndefined);
    EXPECT_EQ(std::string(version->value.begin(), version->value.end()), "0220");
    // GPS positions written as SRATIONAL.
    TagSet vue;
    read("FLIR_Vue_Pro_640.jpg", vue);
    for (const std::uint16_t tag : {0x0002, 0x0004}) {
        const TagEntry* position = vue.Find(TagMap::kGps, tag);
        ASSERT_NE(position, nullptr) << tag;
        EXPECT_EQ(position->type, kTiffRational);
        EXPECT_EQ(position->count, 3u);
    }
    // An interoperability pointer past the end of the Exif block.
    TagSet canon;
    read("Canon_PowerShot_S30_2.jpg", canon);
    const TagEntry* make = canon.Find(TagMap::kPrimary, 0x010F);
    ASSERT_NE(make, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(make->value.data())), "Canon");
    EXPECT_EQ(canon.Count(TagMap::kInterop), 0u);
    EXPECT_NE(canon.Find(TagMap::kExif, 0x9003), nullptr);
}
