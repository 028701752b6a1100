#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "formats/exif_block_builder.h"
#include "formats/exif_reader.h"
#include "formats/exif_thumbnail.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_encode.h"
#include "formats/lossless_rotate.h"
#include "formats/new_file_tags.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_directory.h"
#include "library/dib_image.h"
#include "media_writers/jpeg_writer.h"

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kMakeTag = 0x010F;
constexpr std::uint16_t kSubjectLocationTag = 0xA214;
constexpr std::uint16_t kPixelXTag = 0xA002;
constexpr std::uint16_t kPixelYTag = 0xA003;
constexpr std::string_view kIccPayload = "ICC_PROFILE\0\x01\x01 a profile stand-in";

void SetShorts(TagSet& tags, TagMap map, std::uint16_t tag, std::vector<std::uint16_t> values)
{
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    ASSERT_EQ(tags.Set(map, tag, kTiffShort, static_cast<std::uint32_t>(values.size()), bytes), TiffResult::kOk);
}

std::vector<std::uint16_t> Shorts(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    if (!entry)
        return {};
    std::vector<std::uint16_t> values;
    for (std::uint32_t i = 0; i < entry->count; ++i) {
        if (entry->type == kTiffShort) {
            std::uint16_t value = 0;
            std::memcpy(&value, entry->value.data() + i * 2, 2);
            values.push_back(value);
        } else if (entry->type == kTiffLong) {
            std::uint32_t value = 0;
            std::memcpy(&value, entry->value.data() + i * 4, 4);
            values.push_back(static_cast<std::uint16_t>(value));
        }
    }
    return values;
}

// A camera-like JPEG: Exif with Orientation 6, a Make, a subject point and a thumbnail, then
// an APP2 segment and a comment, which must survive the turn unchanged and in order.
std::string CameraJpeg(std::uint32_t width, std::uint32_t height)
{
    const DibImage picture = QuadrantPicture(width, height);
    TagSet tags;
    SetShorts(tags, TagMap::kPrimary, kOrientationTag, {6});
    const std::string make = "TESTCAM";
    EXPECT_EQ(tags.Set(TagMap::kPrimary, kMakeTag, kTiffAscii, static_cast<std::uint32_t>(make.size() + 1),
                       std::span(reinterpret_cast<const std::uint8_t*>(make.c_str()), make.size() + 1)),
              TiffResult::kOk);
    SetShorts(tags, TagMap::kExif, kSubjectLocationTag, {10, 5});
    DibImage thumbnail;
    EXPECT_TRUE(MakeExifThumbnail(picture, thumbnail));
    std::vector<std::uint8_t> thumbnailJpeg;
    EXPECT_EQ(EncodeJpegPicture(thumbnail, kThumbnailEncoderParameter, {}, thumbnailJpeg), JpegEncodeResult::kOk);
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(BuildExifBlock(tags, width, height, thumbnailJpeg, payload), ExifBlockResult::kOk);
    std::vector<std::uint8_t> jpeg;
    EXPECT_EQ(EncodeJpegPicture(picture, 1024, payload, jpeg), JpegEncodeResult::kOk);

    std::string file(jpeg.begin(), jpeg.end());
    const std::size_t app1Length = (static_cast<unsigned char>(file[4]) << 8) | static_cast<unsigned char>(file[5]);
    std::string extra;
    for (const auto& [marker, payloadText] :
         {std::pair<char, std::string_view>{'\xE2', kIccPayload}, {'\xFE', "a comment"}}) {
        const std::size_t length = payloadText.size() + 2;
        extra += '\xFF';
        extra += marker;
        extra += static_cast<char>(length >> 8);
        extra += static_cast<char>(length & 0xFF);
        extra += payloadText;
    }
    file.insert(4 + app1Length, extra);
    return file;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DibImage Decoded(const std::string& path)
{
    DibImage image;
    EXPECT_EQ(DecodeJpegFile(path, image), 1) << path;
    return image;
}

bool SamePixels(const DibImage& a, const DibImage& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.IsEmpty() || b.IsEmpty())
        return false;
    for (std::uint32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), std::size_t{a.Width()} * 3) != 0)
            return false;
    return true;
}

TagSet TagsOf(const std::string& path, ExifReader& reader)
{
    TagSet tags;
    EXPECT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    ReadTagSet(reader, TagReadMode::kFull, tags);
    return tags;
}

// The pixel size as the Exif directory stores it (the tag set leaves layout tags out).
std::vector<std::uint32_t> ExifPixelSize(const ExifReader& reader)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const TiffDirectory* exif = reader.Exif();
    if (!exif || exif->ReadUint32(kPixelXTag, width) != TiffResult::kOk ||
        exif->ReadUint32(kPixelYTag, height) != TiffResult::kOk)
        return {};
    return {width, height};
}

bool HasJpegtran()
{
    return std::system("command -v jpegtran >/dev/null 2>&1") == 0;
}

// ---- Turning aligned pictures ----

TEST(LosslessRotate, ClockwiseThenCounterClockwiseRestoresThePixels)
{
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", CameraJpeg(64, 48));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const DibImage original = Decoded(path);

    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    EXPECT_EQ(turned.Width(), 48u);
    EXPECT_EQ(turned.Height(), 64u);
    // The red top-left quadrant moves to the top right.
    EXPECT_EQ(QuadrantColour(turned, 40, 8), 'R');
    EXPECT_EQ(QuadrantColour(turned, 8, 8), 'B');

    ASSERT_EQ(RotateJpegFile(path, RotationTurn::CounterClockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Rotated);
    EXPECT_TRUE(SamePixels(Decoded(path), original));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST(LosslessRotate, ClockwiseMatchesJpegtran)
{
    if (!HasJpegtran())
        GTEST_SKIP() << "jpegtran is not installed";
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", CameraJpeg(96, 64));
    const std::string reference = sandbox / "reference.jpg";
    const std::string command = "jpegtran -rotate 90 -copy all -outfile '" + reference + "' '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    EXPECT_TRUE(SamePixels(Decoded(path), Decoded(reference)));
}

TEST(LosslessRotate, ExifIsRebuiltForTheTurnedPicture)
{
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", CameraJpeg(64, 48));
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);

    ExifReader reader;
    const TagSet tags = TagsOf(path, reader);
    EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1});
    EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{48, 64}));
    // The subject point moves with the pixels: (x, y) -> (height - y, x).
    EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectLocationTag), (std::vector<std::uint16_t>{43, 10}));
    const TagEntry* make = tags.Find(TagMap::kPrimary, kMakeTag);
    ASSERT_NE(make, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(make->value.data()), "TESTCAM");

    DibImage thumbnail;
    ASSERT_EQ(ReadExifThumbnail(reader, thumbnail), 1);
    EXPECT_EQ(thumbnail.Width(), kExifThumbnailHeight);
    EXPECT_EQ(thumbnail.Height(), kExifThumbnailWidth);
}

TEST(LosslessRotate, OtherSegmentsFollowTheExifInTheirOrder)
{
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", CameraJpeg(64, 48));
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::CounterClockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Rotated);
    const std::string file = ReadBytes(path);
    ASSERT_GT(file.size(), 6u);
    EXPECT_EQ(file.substr(0, 4), "\xFF\xD8\xFF\xE1");
    const std::size_t app1Length = (static_cast<unsigned char>(file[4]) << 8) | static_cast<unsigned char>(file[5]);
    EXPECT_EQ(file.substr(6, 6), std::string_view("Exif\0\0", 6));
    const std::size_t next = 4 + app1Length;
    EXPECT_EQ(file.substr(next, 2), "\xFF\xE2");
    EXPECT_EQ(file.substr(next + 4, kIccPayload.size()), kIccPayload);
    const std::size_t comment = next + 4 + kIccPayload.size();
    EXPECT_EQ(file.substr(comment, 2), "\xFF\xFE");
    EXPECT_EQ(file.substr(comment + 4, 9), "a comment");
}

TEST(LosslessRotate, PlainJpegWithoutExifIsTurned)
{
    Sandbox sandbox;
    const Bytes jpeg = EncodeJpeg(QuadrantPicture(32, 16));
    const std::string path = sandbox.WriteFile("plain.jpg", std::string(jpeg.begin(), jpeg.end()));
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::CounterClockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    EXPECT_EQ(turned.Width(), 16u);
    EXPECT_EQ(turned.Height(), 32u);
    // Counter-clockwise: the top-left red quadrant ends at the bottom left.
    EXPECT_EQ(QuadrantColour(turned, 4, 28), 'R');
}

// ---- Partial edge blocks ----

TEST(LosslessRotate, UnalignedPictureIsRefusedOrTrimmed)
{
    Sandbox sandbox;
    const std::string original = CameraJpeg(70, 50);
    const std::string path = sandbox.WriteFile("odd.jpg", original);
    EXPECT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::NotMcuAligned);
    EXPECT_EQ(ReadBytes(path), original);

    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Trim), LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    // 2 x 2 chroma subsampling: 16-pixel MCUs. Turning clockwise drops the partial bottom row
    // of blocks (it would land on the left edge); the right edge stays whole.
    EXPECT_EQ(turned.Width(), 48u);
    EXPECT_EQ(turned.Height(), 70u);
    ExifReader reader;
    const TagSet tags = TagsOf(path, reader);
    EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1});
    EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{48, 70}));
}

TEST(LosslessRotate, OnlyTheEdgeThatMovesToTheStartMustBeWhole)
{
    Sandbox sandbox;
    // 70 x 48: the right edge is partial, the bottom one whole.
    const std::string original = CameraJpeg(70, 48);
    const std::string path = sandbox.WriteFile("wide.jpg", original);
    EXPECT_EQ(RotateJpegFile(path, RotationTurn::CounterClockwise, EdgePolicy::Refuse),
              LosslessRotateResult::NotMcuAligned);
    EXPECT_EQ(ReadBytes(path), original);

    // Clockwise the partial right edge becomes the bottom edge, which a JPEG may end with.
    const DibImage before = Decoded(path);
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    EXPECT_EQ(turned.Width(), 48u);
    EXPECT_EQ(turned.Height(), 70u);
    // Now the partial edge is at the bottom again, so the way back is lossless too.
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::CounterClockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Rotated);
    EXPECT_TRUE(SamePixels(Decoded(path), before));
}

// ---- Failures leave the file untouched ----

TEST(LosslessRotate, ReadOnlyFolderOrFileFailsAndKeepsTheFile)
{
    Sandbox sandbox;
    const std::string original = CameraJpeg(32, 32);
    const std::string folder = sandbox.MakeFolder("locked");
    const std::string path = sandbox.WriteFile("locked/a.jpg", original);
    ASSERT_EQ(chmod(sandbox.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    // Permissions bind only a plain user, so the turns run as one.
    int outcome = RunAsPlainUser([&] {
        return static_cast<int>(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse));
    });
    ASSERT_NE(outcome, kCannotDropPrivileges);
    EXPECT_EQ(outcome, static_cast<int>(LosslessRotateResult::WriteFailed));
    EXPECT_EQ(ReadBytes(path), original);

    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    outcome = RunAsPlainUser([&] {
        return static_cast<int>(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse));
    });
    EXPECT_EQ(outcome, static_cast<int>(LosslessRotateResult::ReadOnly));
    EXPECT_EQ(ReadBytes(path), original);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
}

TEST(LosslessRotate, FolderWhereTheTemporaryCannotBeMadeFailsAndKeepsTheFile)
{
    // Works as the superuser too: the target is reached through a name whose folder part is
    // not a folder one can create files in once the picture has been read.
    Sandbox sandbox;
    const std::string original = CameraJpeg(32, 32);
    const std::string path = sandbox.WriteFile("a.jpg", original);
    const std::string missing = sandbox / "gone/a.jpg";
    EXPECT_NE(RotateJpegFile(missing, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    EXPECT_EQ(ReadBytes(path), original);
}

TEST(LosslessRotate, DamagedPicturesAreRefused)
{
    Sandbox sandbox;
    const std::string whole = CameraJpeg(64, 48);

    const std::string truncated = whole.substr(0, whole.size() * 2 / 3);
    const std::string truncatedPath = sandbox.WriteFile("truncated.jpg", truncated);
    EXPECT_EQ(RotateJpegFile(truncatedPath, RotationTurn::Clockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Damaged);
    EXPECT_EQ(ReadBytes(truncatedPath), truncated);

    // A segment length that runs past the end of the file.
    std::string badLength = whole;
    badLength[4] = '\xFF';
    badLength[5] = '\xF0';
    badLength.resize(2000);
    const std::string badLengthPath = sandbox.WriteFile("length.jpg", badLength);
    EXPECT_EQ(RotateJpegFile(badLengthPath, RotationTurn::Clockwise, EdgePolicy::Refuse),
              LosslessRotateResult::Damaged);
    EXPECT_EQ(ReadBytes(badLengthPath), badLength);

    const std::string onlySoi = sandbox.WriteFile("soi.jpg", std::string("\xFF\xD8\xFF\xD9", 4));
    EXPECT_EQ(RotateJpegFile(onlySoi, RotationTurn::Clockwise, EdgePolicy::Trim), LosslessRotateResult::Damaged);
}

TEST(LosslessRotate, OtherFilesAreNotJpeg)
{
    Sandbox sandbox;
    const std::string text = sandbox.WriteFile("notes.jpg", "just some text, not a picture");
    EXPECT_EQ(RotateJpegFile(text, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::NotJpeg);
    EXPECT_EQ(ReadBytes(text), "just some text, not a picture");
    const std::string empty = sandbox.WriteFile("empty.jpg", "");
    EXPECT_EQ(RotateJpegFile(empty, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::NotJpeg);
    std::vector<unsigned char> rotated;
    EXPECT_EQ(RotateJpegBytes("BM", RotationTurn::Clockwise, EdgePolicy::Refuse, rotated),
              LosslessRotateResult::NotJpeg);
    EXPECT_TRUE(rotated.empty());
}

} // namespace
