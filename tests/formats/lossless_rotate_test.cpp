#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
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
#include "formats/image_transform.h"
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

// A camera-like JPEG: Exif with an Orientation, a Make, a subject point and a thumbnail, then
// an APP2 segment and a comment, which must survive the turn unchanged and in order.
std::string CameraJpeg(std::uint32_t width, std::uint32_t height, std::uint16_t orientation = 1)
{
    const DibImage picture = QuadrantPicture(width, height);
    TagSet tags;
    SetShorts(tags, TagMap::kPrimary, kOrientationTag, {orientation});
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

// The user turns what is shown: a stored picture that its Orientation shows turned or mirrored
// gets the one transform that leaves the turned view upright.
TEST(LosslessRotate, TurnsThePictureAsItIsShown)
{
    Sandbox sandbox;
    struct Case {
        std::uint16_t orientation;
        RotationTurn turn;
        const char* corners; // the stored quadrant colours afterwards: top-left, top-right, bottom-left
        bool sidesExchanged;
    };
    // Stored: red top-left, green top-right, blue bottom-left.
    const Case cases[] = {
        {1, RotationTurn::Clockwise, "BRW", true},
        {6, RotationTurn::Clockwise, "WBG", false},        // shown a quarter clockwise, now half
        {8, RotationTurn::Clockwise, "RGB", false},        // shown counter-clockwise: the pixels stay
        {2, RotationTurn::CounterClockwise, "RBG", true},  // mirrored, then turned: a transpose
        {3, RotationTurn::HalfTurn, "RGB", false},
    };
    for (const Case& test : cases) {
        const std::string original = CameraJpeg(64, 48, test.orientation);
        const std::string path = sandbox.WriteFile("shown.jpg", original);
        const DibImage before = Decoded(path);
        ASSERT_EQ(RotateJpegFile(path, test.turn, EdgePolicy::Refuse), LosslessRotateResult::Rotated)
            << test.orientation;
        const DibImage after = Decoded(path);
        EXPECT_EQ(after.Width(), test.sidesExchanged ? 48u : 64u) << test.orientation;
        const uint32_t right = after.Width() - 4;
        const uint32_t bottom = after.Height() - 4;
        EXPECT_EQ(std::string({QuadrantColour(after, 4, 4), QuadrantColour(after, right, 4),
                               QuadrantColour(after, 4, bottom)}),
                  test.corners)
            << test.orientation;
        ExifReader reader;
        const TagSet tags = TagsOf(path, reader);
        EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1}) << test.orientation;
        if (std::string(test.corners) == "RGB") {
            EXPECT_TRUE(SamePixels(after, before)) << test.orientation;
        }
    }
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

// ---- The Exif block is patched, not rebuilt ----

constexpr std::uint16_t kSubjectAreaTag = 0x9214;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr std::uint16_t kFocusPointTag = 0x1023;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kUnknownTag = 0xC0DE;
constexpr std::uint16_t kPrivateIfdTag = 0xC0DF;
constexpr std::size_t kLargestExifBlock = 65527;

std::string_view AsView(const std::vector<unsigned char>& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::uint32_t GetNumber(const Bytes& bytes, std::size_t at, std::size_t size, bool big)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= std::uint32_t{bytes.at(at + i)} << (8 * (big ? size - 1 - i : i));
    return value;
}

void PutNumber(Bytes& bytes, std::uint32_t value, std::size_t size, bool big)
{
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * (big ? size - 1 - i : i))));
}

// One entry as the block holds it, read here without the program's reader.
struct BlockEntry {
    std::size_t position = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t field = 0;
};
using BlockDirectory = std::map<std::uint16_t, BlockEntry>;

BlockDirectory DirectoryAt(const Bytes& block, std::uint32_t offset, bool big, std::uint32_t* next = nullptr)
{
    BlockDirectory directory;
    const std::uint32_t count = GetNumber(block, offset, 2, big);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + 2 + 12 * i;
        directory[static_cast<std::uint16_t>(GetNumber(block, at, 2, big))]
            = {at, static_cast<std::uint16_t>(GetNumber(block, at + 2, 2, big)), GetNumber(block, at + 4, 4, big),
               GetNumber(block, at + 8, 4, big)};
    }
    if (next)
        *next = GetNumber(block, offset + 2 + 12 * count, 4, big);
    return directory;
}

struct BlockDirectories {
    BlockDirectory ifd0, exif, ifd1;
};

BlockDirectories DirectoriesOf(const Bytes& block)
{
    const bool big = block.at(0) == 'M';
    BlockDirectories directories;
    std::uint32_t next = 0;
    directories.ifd0 = DirectoryAt(block, GetNumber(block, 4, 4, big), big, &next);
    directories.exif = DirectoryAt(block, directories.ifd0.at(kExifPointerTag).field, big);
    if (next != 0)
        directories.ifd1 = DirectoryAt(block, next, big);
    return directories;
}

// The TIFF block of a file's Exif APP1 segment; empty when there is none.
Bytes ExifBlockOf(std::string_view file)
{
    std::size_t at = 2;
    while (at + 4 <= file.size() && static_cast<unsigned char>(file[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(file[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(file[at + 2]) << 8) | static_cast<unsigned char>(file[at + 3]);
        if (marker == 0xDA)
            break;
        if (marker == 0xE1 && file.substr(at + 4, 6) == std::string_view("Exif\0\0", 6))
            return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 10),
                         file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    return {};
}

void SetShortValues(IfdBuilder& directory, std::uint16_t tag, std::vector<std::uint16_t> values)
{
    for (FixtureEntry& entry : directory.entries) {
        if (entry.tag == tag) {
            entry.count = static_cast<std::uint32_t>(values.size());
            entry.value.resize(values.size() * 2);
            std::memcpy(entry.value.data(), values.data(), entry.value.size());
        }
    }
}

// Pixels that compress badly, so that a thumbnail's size depends on its quality.
DibImage NoisePicture(std::uint32_t width, std::uint32_t height)
{
    DibImage image;
    image.Create(width, height, 24);
    std::uint32_t state = 12345;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            image.SetPixel(x, y, state >> 8 & 0xFFFFFF);
        }
    }
    return image;
}

Bytes ThumbnailJpeg(const DibImage& thumbnail, int quality)
{
    return EncodeJpeg(thumbnail, {quality, false});
}

// The maker's layout (CameraExif) for a real 64 x 48 picture: the subject tags lie inside it,
// IFD1 gives the size of a real 160 x 120 thumbnail.
ExifBuilder TurnableExif(Endian endian, const Bytes& thumbnail)
{
    ExifBuilder builder = CameraExif(endian);
    builder.sortedEntries = true;
    // Shown as stored, so that a turn moves the stored pixels by the turn itself.
    SetShortValues(builder.ifd0, kOrientationTag, {1});
    SetShortValues(builder.exif, kSubjectAreaTag, {20, 10, 8, 6});
    SetShortValues(builder.exif, kSubjectLocationTag, {10, 5});
    IfdBuilder note = CameraMakerDirectory();
    SetShortValues(note, kFocusPointTag, {10, 5});
    builder.exif.Drop(kMakerNoteTag).Undefined(kMakerNoteTag, AsText(BuildMakerNote(note)));
    builder.ifd1.Long(0x0100, {160}).Long(0x0101, {120});
    builder.thumbnail = thumbnail;
    return builder;
}

ExifBuilder TurnableExif(Endian endian = Endian::kLittle)
{
    DibImage thumbnail;
    EXPECT_TRUE(MakeExifThumbnail(QuadrantPicture(64, 48), thumbnail));
    return TurnableExif(endian, ThumbnailJpeg(thumbnail, 75));
}

std::string FileWith(const Bytes& block, const DibImage& picture = QuadrantPicture(64, 48))
{
    return std::string(AsText(WithExif(EncodeJpeg(picture, {90, false}), block)));
}

std::size_t Find(const Bytes& haystack, std::string_view needle)
{
    const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
    return static_cast<std::size_t>(it - haystack.begin());
}

// Another maker's note whose values count from the TIFF header, as many makers' do: one entry,
// a text, at `at` in the block. Moving any byte of the block would break it.
Bytes OtherMakersNote(std::uint32_t at, bool big)
{
    Bytes note = {'O', 'T', 'H', 'E', 'R', 'C', 'A', 'M', 0, 0};
    PutNumber(note, 1, 2, big);
    PutNumber(note, 0x0001, 2, big);
    PutNumber(note, kTiffAscii, 2, big);
    PutNumber(note, 16, 4, big);
    PutNumber(note, at + 10 + 2 + 12 + 4, 4, big);
    PutNumber(note, 0, 4, big);
    const std::string_view text("lens 35mm f/2.0\0", 16);
    note.insert(note.end(), text.begin(), text.end());
    return note;
}

// A private directory (one entry and its text at absolute offsets) inside an unknown tag's value.
Bytes PrivateDirectory(std::uint32_t at, bool big)
{
    Bytes directory;
    PutNumber(directory, 1, 2, big);
    PutNumber(directory, 0x0001, 2, big);
    PutNumber(directory, kTiffAscii, 2, big);
    PutNumber(directory, 12, 4, big);
    PutNumber(directory, at + 18, 4, big);
    PutNumber(directory, 0, 4, big);
    const std::string_view text("private tag\0", 12);
    directory.insert(directory.end(), text.begin(), text.end());
    return directory;
}

TEST(LosslessRotate, ExifIsPatchedInPlaceAndEveryOtherByteIsKept)
{
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        SCOPED_TRACE(endian == Endian::kBig ? "big-endian" : "little-endian");
        const bool big = endian == Endian::kBig;
        ExifBuilder builder = TurnableExif(endian);
        // Laid out once with stand-ins to learn where the note and the private directory land;
        // the real ones have the same sizes.
        const auto build = [&](const Bytes& note, const Bytes& privateDirectory, std::uint32_t privateAt) {
            builder.exif.Drop(kMakerNoteTag).Undefined(kMakerNoteTag, AsText(note));
            builder.ifd0.Drop(kUnknownTag).Drop(kPrivateIfdTag);
            builder.ifd0.Undefined(kUnknownTag, AsText(privateDirectory)).Long(kPrivateIfdTag, {privateAt});
            return builder.Build().bytes;
        };
        const Bytes standIn = build(Bytes(44, 'N'), Bytes(30, 'P'), 0);
        const auto noteAt = static_cast<std::uint32_t>(Find(standIn, std::string(44, 'N')));
        const auto privateAt = static_cast<std::uint32_t>(Find(standIn, std::string(30, 'P')));
        const Bytes note = OtherMakersNote(noteAt, big);
        const Bytes privateDirectory = PrivateDirectory(privateAt, big);
        const Bytes before = build(note, privateDirectory, privateAt);
        ASSERT_EQ(before.size(), standIn.size());

        std::vector<unsigned char> rotated;
        ASSERT_EQ(RotateJpegBytes(FileWith(before), RotationTurn::Clockwise, EdgePolicy::Refuse, rotated),
                  LosslessRotateResult::Rotated);
        const Bytes after = ExifBlockOf(AsView(rotated));
        ASSERT_GE(after.size(), before.size());

        // Where the turn may write: the fields of the entries it changes, the subject area's
        // value and the thumbnail. Every other byte is where it was, as it was.
        const BlockDirectories old = DirectoriesOf(before);
        std::vector<std::pair<std::size_t, std::size_t>> allowed;
        const auto field = [&](const BlockDirectory& directory, std::uint16_t tag) {
            allowed.emplace_back(directory.at(tag).position + 8, 4);
        };
        field(old.ifd0, kOrientationTag);
        for (const std::uint16_t tag : {kPixelXTag, kPixelYTag, kSubjectAreaTag, kSubjectLocationTag})
            field(old.exif, tag);
        allowed.emplace_back(old.exif.at(kSubjectAreaTag).field, 8);
        for (const std::uint16_t tag : {kOrientationTag, std::uint16_t{0x0100}, std::uint16_t{0x0101},
                                        kThumbnailOffsetTag, kThumbnailLengthTag})
            field(old.ifd1, tag);
        allowed.emplace_back(old.ifd1.at(kThumbnailOffsetTag).field, old.ifd1.at(kThumbnailLengthTag).field);
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i])
                continue;
            EXPECT_TRUE(std::any_of(allowed.begin(), allowed.end(),
                                    [i](const auto& range) { return i >= range.first && i < range.first + range.second; }))
                << "byte " << i << " changed";
        }
        EXPECT_TRUE(std::equal(note.begin(), note.end(), after.begin() + noteAt));
        EXPECT_TRUE(std::equal(privateDirectory.begin(), privateDirectory.end(), after.begin() + privateAt));
        // Beside another maker's note, whose offsets may point into any value, the new subject
        // area goes to the end and the old bytes stay.
        const BlockDirectories turned = DirectoriesOf(after);
        EXPECT_GE(turned.exif.at(kSubjectAreaTag).field, before.size());

        Sandbox sandbox;
        const std::string path = sandbox.WriteFile("turned.jpg", AsView(rotated));
        ExifReader reader;
        const TagSet tags = TagsOf(path, reader);
        EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1});
        EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{48, 64}));
        // (x, y) -> (height - y, x); the rectangle's sides are exchanged.
        EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectAreaTag), (std::vector<std::uint16_t>{38, 20, 6, 8}));
        EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectLocationTag), (std::vector<std::uint16_t>{43, 10}));
        PixelSize thumbnailSize;
        ASSERT_EQ(reader.ThumbnailPixelSize(thumbnailSize), TiffResult::kOk);
        EXPECT_EQ(thumbnailSize, (PixelSize{120, 160}));
        DibImage thumbnail;
        ASSERT_EQ(ReadExifThumbnail(reader, thumbnail), 1);
        EXPECT_EQ(thumbnail.Width(), 120u);
        EXPECT_EQ(thumbnail.Height(), 160u);
        EXPECT_EQ(QuadrantColour(thumbnail, 110, 50), 'R');
    }
}

TEST(LosslessRotate, MakersFocusPointMovesAndTheRestOfItsNoteStays)
{
    const Bytes before = TurnableExif().Build().bytes;
    const BlockDirectories old = DirectoriesOf(before);
    const BlockEntry note = old.exif.at(kMakerNoteTag);
    std::vector<unsigned char> rotated;
    ASSERT_EQ(RotateJpegBytes(FileWith(before), RotationTurn::CounterClockwise, EdgePolicy::Refuse, rotated),
              LosslessRotateResult::Rotated);
    const Bytes after = ExifBlockOf(AsView(rotated));
    // The maker's own note allows values to be overwritten where they are.
    EXPECT_EQ(DirectoriesOf(after).exif.at(kSubjectAreaTag).field, old.exif.at(kSubjectAreaTag).field);
    std::size_t changed = 0;
    for (std::size_t i = note.field; i < note.field + note.count; ++i)
        changed += before[i] != after[i] ? 1 : 0;
    EXPECT_GT(changed, 0u);
    EXPECT_LE(changed, 4u); // the focus point's two SHORTs in its entry

    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("turned.jpg", AsView(rotated));
    ExifReader reader;
    const TagSet tags = TagsOf(path, reader);
    // Counter-clockwise: (x, y) -> (y, width - x).
    EXPECT_EQ(Shorts(tags, TagMap::kMakerNote, kFocusPointTag), (std::vector<std::uint16_t>{5, 54}));
    EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectAreaTag), (std::vector<std::uint16_t>{10, 44, 6, 8}));
}

TEST(LosslessRotate, ExifWithoutThumbnailIsTurned)
{
    ExifBuilder builder = TurnableExif();
    builder.withIfd1 = false;
    const Bytes before = builder.Build().bytes;
    std::vector<unsigned char> rotated;
    ASSERT_EQ(RotateJpegBytes(FileWith(before), RotationTurn::Clockwise, EdgePolicy::Refuse, rotated),
              LosslessRotateResult::Rotated);
    const Bytes after = ExifBlockOf(AsView(rotated));
    EXPECT_EQ(after.size(), before.size());
    Sandbox sandbox;
    ExifReader reader;
    const TagSet tags = TagsOf(sandbox.WriteFile("turned.jpg", AsView(rotated)), reader);
    EXPECT_EQ(reader.Thumbnail(), nullptr);
    EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1});
    EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{48, 64}));
}

// The thumbnail as the turn re-encodes it, at one of the encoder parameters.
Bytes TurnedThumbnailAt(const Bytes& thumbnail, int transform, int parameter)
{
    DibImage image;
    EXPECT_EQ(DecodeJpegBytes(thumbnail.data(), thumbnail.size(), image), 1);
    EXPECT_EQ(TransformImage(&image, &image, transform), 0);
    std::vector<std::uint8_t> jpeg;
    EXPECT_EQ(EncodeJpegPicture(image, parameter, {}, jpeg), JpegEncodeResult::kOk);
    return jpeg;
}

TEST(LosslessRotate, ThumbnailGoesOverTheOldOneOrBehindTheBlock)
{
    DibImage thumbnail;
    ASSERT_TRUE(MakeExifThumbnail(QuadrantPicture(64, 48), thumbnail));
    // Quality 100 leaves a large slot the turned thumbnail fits into; quality 5 a small one.
    for (const int quality : {100, 5}) {
        SCOPED_TRACE(quality);
        const Bytes before = TurnableExif(Endian::kLittle, ThumbnailJpeg(thumbnail, quality)).Build().bytes;
        const BlockDirectories old = DirectoriesOf(before);
        const std::uint32_t oldStart = old.ifd1.at(kThumbnailOffsetTag).field;
        const std::uint32_t oldLength = old.ifd1.at(kThumbnailLengthTag).field;
        std::vector<unsigned char> rotated;
        ASSERT_EQ(RotateJpegBytes(FileWith(before), RotationTurn::HalfTurn, EdgePolicy::Refuse, rotated),
                  LosslessRotateResult::Rotated);
        const Bytes after = ExifBlockOf(AsView(rotated));
        const BlockDirectories turned = DirectoriesOf(after);
        const std::uint32_t start = turned.ifd1.at(kThumbnailOffsetTag).field;
        const std::uint32_t length = turned.ifd1.at(kThumbnailLengthTag).field;
        if (quality == 100) {
            EXPECT_EQ(start, oldStart);
            ASSERT_LT(length, oldLength);
            EXPECT_EQ(after.size(), before.size());
            EXPECT_TRUE(std::all_of(after.begin() + start + length, after.begin() + oldStart + oldLength,
                                    [](std::uint8_t byte) { return byte == 0; }));
        } else {
            ASSERT_GT(length, oldLength);
            EXPECT_GE(start, before.size());
            EXPECT_EQ(after.size(), start + length);
            // The old slot is left as it was: nothing in the block moves.
            EXPECT_TRUE(std::equal(before.begin() + oldStart, before.begin() + oldStart + oldLength,
                                   after.begin() + oldStart));
        }
        DibImage decoded;
        ASSERT_EQ(DecodeJpegBytes(after.data() + start, length, decoded), 1);
        EXPECT_EQ(decoded.Width(), 160u);
        // A half turn: the white bottom-right quadrant is now at the top left.
        EXPECT_EQ(QuadrantColour(decoded, 40, 30), 'W');
        EXPECT_EQ(QuadrantColour(decoded, 120, 90), 'R');
    }
}

// A block with a filler tag that leaves `room` bytes behind it for an appended thumbnail.
Bytes BlockWithRoom(const Bytes& thumbnail, std::size_t room)
{
    const std::size_t target = kLargestExifBlock - room;
    ExifBuilder builder = TurnableExif(Endian::kLittle, thumbnail);
    std::size_t filler = 2;
    Bytes block;
    for (int round = 0; round < 3; ++round) {
        builder.ifd0.Drop(kUnknownTag).Undefined(kUnknownTag, std::string(filler, 'F'));
        block = builder.Build().bytes;
        filler = filler + target - block.size();
    }
    // Values take even lengths, so an odd target is missed by one.
    EXPECT_LE(block.size(), target);
    EXPECT_GE(block.size() + 1, target);
    return block;
}

TEST(LosslessRotate, ThumbnailIsCompressedHarderWhenTheSegmentIsFull)
{
    const Bytes thumbnail = ThumbnailJpeg(NoisePicture(160, 120), 5);
    const Bytes best = TurnedThumbnailAt(thumbnail, 1, kThumbnailEncoderParameter);
    const Bytes worst = TurnedThumbnailAt(thumbnail, 1, 4096);
    ASSERT_GT(worst.size(), thumbnail.size()); // the old slot is too small either way
    ASSERT_GT(best.size(), worst.size() + 200);
    const Bytes before = BlockWithRoom(thumbnail, (best.size() + worst.size()) / 2);

    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("full.jpg", FileWith(before));
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    const Bytes after = ExifBlockOf(ReadBytes(path));
    EXPECT_LE(after.size(), kLargestExifBlock);
    const BlockDirectories turned = DirectoriesOf(after);
    const std::uint32_t length = turned.ifd1.at(kThumbnailLengthTag).field;
    EXPECT_LT(length, best.size());
    DibImage decoded;
    ASSERT_EQ(DecodeJpegBytes(after.data() + turned.ifd1.at(kThumbnailOffsetTag).field, length, decoded), 1);
    EXPECT_EQ(decoded.Width(), 120u);
    EXPECT_EQ(decoded.Height(), 160u);
}

TEST(LosslessRotate, TurnFailsWhenNoThumbnailFitsTheSegment)
{
    const Bytes thumbnail = ThumbnailJpeg(NoisePicture(160, 120), 5);
    const Bytes worst = TurnedThumbnailAt(thumbnail, 1, 4096);
    ASSERT_GT(worst.size(), thumbnail.size() + 100);
    const Bytes before = BlockWithRoom(thumbnail, worst.size() - 100);
    Sandbox sandbox;
    const std::string original = FileWith(before);
    const std::string path = sandbox.WriteFile("full.jpg", original);
    EXPECT_EQ(RotateJpegFile(path, RotationTurn::Clockwise, EdgePolicy::Refuse), LosslessRotateResult::ExifTooLarge);
    EXPECT_EQ(ReadBytes(path), original);
    std::vector<unsigned char> rotated;
    EXPECT_EQ(RotateJpegBytes(original, RotationTurn::Clockwise, EdgePolicy::Refuse, rotated),
              LosslessRotateResult::ExifTooLarge);
    EXPECT_TRUE(rotated.empty());
    EXPECT_NE(std::string(LosslessRotateResultText(LosslessRotateResult::ExifTooLarge)), "Unknown result.");
}

// ---- Half turns ----

TEST(LosslessRotate, HalfTurnMovesBothEdgesAndTwoRestoreThePicture)
{
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", FileWith(TurnableExif().Build().bytes));
    const DibImage original = Decoded(path);
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::HalfTurn, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    EXPECT_EQ(turned.Width(), 64u);
    EXPECT_EQ(turned.Height(), 48u);
    EXPECT_EQ(QuadrantColour(turned, 8, 8), 'W');
    EXPECT_EQ(QuadrantColour(turned, 56, 40), 'R');
    ExifReader reader;
    const TagSet tags = TagsOf(path, reader);
    EXPECT_EQ(Shorts(tags, TagMap::kPrimary, kOrientationTag), std::vector<std::uint16_t>{1});
    EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{64, 48}));
    // (x, y) -> (width - x, height - y); the rectangle keeps its sides.
    EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectAreaTag), (std::vector<std::uint16_t>{44, 38, 8, 6}));
    EXPECT_EQ(Shorts(tags, TagMap::kMakerNote, kFocusPointTag), (std::vector<std::uint16_t>{54, 43}));

    ASSERT_EQ(RotateJpegFile(path, RotationTurn::HalfTurn, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    EXPECT_TRUE(SamePixels(Decoded(path), original));
}

TEST(LosslessRotate, HalfTurnNeedsBothEdgesWholeOrTrimsBoth)
{
    Sandbox sandbox;
    // Either partial edge, the right or the bottom, would move to the start.
    for (const auto& [width, height] : {std::pair<std::uint32_t, std::uint32_t>{70, 48}, {64, 50}, {70, 50}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const std::string original = FileWith(TurnableExif().Build().bytes, QuadrantPicture(width, height));
        const std::string path = sandbox.WriteFile("odd.jpg", original);
        EXPECT_EQ(RotateJpegFile(path, RotationTurn::HalfTurn, EdgePolicy::Refuse), LosslessRotateResult::NotMcuAligned);
        EXPECT_EQ(ReadBytes(path), original);
        ASSERT_EQ(RotateJpegFile(path, RotationTurn::HalfTurn, EdgePolicy::Trim), LosslessRotateResult::Rotated);
        const DibImage turned = Decoded(path);
        EXPECT_EQ(turned.Width(), width / 16 * 16);
        EXPECT_EQ(turned.Height(), height / 16 * 16);
        ExifReader reader;
        (void)TagsOf(path, reader);
        EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{width / 16 * 16, height / 16 * 16}));
    }
}

TEST(LosslessRotate, HalfTurnMatchesJpegtran)
{
    if (!HasJpegtran())
        GTEST_SKIP() << "jpegtran is not installed";
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("a.jpg", CameraJpeg(96, 64));
    const std::string reference = sandbox / "reference.jpg";
    const std::string command = "jpegtran -rotate 180 -copy all -outfile '" + reference + "' '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(RotateJpegFile(path, RotationTurn::HalfTurn, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
    EXPECT_TRUE(SamePixels(Decoded(path), Decoded(reference)));
}

// ---- Upright by the orientation tag ----

// The transform that undoes TransformImage's transform.
int InverseTransform(int transform)
{
    return transform == 1 ? 3 : transform == 3 ? 1 : transform;
}

// A picture stored with an orientation: the upright picture transformed the other way, with
// SubjectLocation (10, 5) in the stored picture and a thumbnail stored like the picture.
std::string OrientedFile(int orientation, const DibImage& upright)
{
    const int stored = InverseTransform(OrientationTransform(orientation));
    DibImage picture;
    EXPECT_EQ(TransformImage(&upright, &picture, stored), 0);
    const DibImage uprightThumbnail = QuadrantPicture(160, 120);
    DibImage thumbnail;
    EXPECT_EQ(TransformImage(&uprightThumbnail, &thumbnail, stored), 0);
    ExifBuilder builder = TurnableExif(Endian::kBig, ThumbnailJpeg(thumbnail, 90));
    SetShortValues(builder.ifd0, kOrientationTag, {static_cast<std::uint16_t>(orientation)});
    builder.ifd1.Drop(0x0100).Drop(0x0101);
    return FileWith(builder.Build().bytes, picture);
}

TEST(LosslessRotate, UprightUndoesEveryOrientationExactly)
{
    // Where the stored point (10, 5) lies in the upright 64 x 48 picture.
    struct Row {
        int orientation;
        std::vector<std::uint16_t> point;
    };
    const Row rows[] = {{2, {54, 5}}, {3, {54, 43}}, {4, {10, 43}}, {5, {5, 10}},
                        {6, {59, 10}}, {7, {59, 38}}, {8, {5, 38}}};
    const DibImage upright = QuadrantPicture(64, 48);
    Sandbox sandbox;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.orientation);
        const std::string path = sandbox.WriteFile("o.jpg", OrientedFile(row.orientation, upright));
        DibImage expected = Decoded(path);
        OrientImage(row.orientation, expected);

        ASSERT_EQ(RotateJpegUpright(path, EdgePolicy::Refuse), LosslessRotateResult::Rotated);
        const DibImage turned = Decoded(path);
        ASSERT_EQ(turned.Width(), 64u);
        ASSERT_EQ(turned.Height(), 48u);
        int largest = 0;
        for (std::uint32_t y = 0; y < 48; ++y)
            for (std::uint32_t x = 0; x < 64 * 3; ++x)
                largest = std::max(largest, std::abs(turned.Row(y)[x] - expected.Row(y)[x]));
        EXPECT_LE(largest, 2);
        EXPECT_EQ(QuadrantColour(turned, 8, 8), 'R');
        EXPECT_EQ(QuadrantColour(turned, 56, 8), 'G');
        EXPECT_EQ(QuadrantColour(turned, 8, 40), 'B');

        ExifReader reader;
        const TagSet tags = TagsOf(path, reader);
        EXPECT_EQ(reader.Orientation(), 1);
        EXPECT_EQ(ExifPixelSize(reader), (std::vector<std::uint32_t>{64, 48}));
        EXPECT_EQ(Shorts(tags, TagMap::kExif, kSubjectLocationTag), row.point);
        DibImage thumbnail;
        ASSERT_EQ(ReadExifThumbnail(reader, thumbnail), 1);
        ASSERT_EQ(thumbnail.Width(), 160u);
        EXPECT_EQ(QuadrantColour(thumbnail, 20, 20), 'R');
        EXPECT_EQ(QuadrantColour(thumbnail, 140, 20), 'G');
        EXPECT_EQ(QuadrantColour(thumbnail, 20, 100), 'B');

        // Upright now: a second run changes nothing.
        const std::string once = ReadBytes(path);
        EXPECT_EQ(RotateJpegUpright(path, EdgePolicy::Refuse), LosslessRotateResult::AlreadyUpright);
        EXPECT_EQ(ReadBytes(path), once);
    }
}

TEST(LosslessRotate, UprightPicturesAreLeftAsTheyAre)
{
    Sandbox sandbox;
    ExifBuilder upright = TurnableExif();
    SetShortValues(upright.ifd0, kOrientationTag, {1});
    ExifBuilder untagged = TurnableExif();
    untagged.ifd0.Drop(kOrientationTag);
    const Bytes plain = EncodeJpeg(QuadrantPicture(64, 48));
    for (const std::string& file : {FileWith(upright.Build().bytes), FileWith(untagged.Build().bytes),
                                    std::string(AsText(plain))}) {
        const std::string path = sandbox.WriteFile("upright.jpg", file);
        EXPECT_EQ(RotateJpegUpright(path, EdgePolicy::Trim), LosslessRotateResult::AlreadyUpright);
        EXPECT_EQ(ReadBytes(path), file);
    }
    std::vector<unsigned char> rotated;
    EXPECT_EQ(RotateJpegUprightBytes("just text", EdgePolicy::Trim, rotated), LosslessRotateResult::NotJpeg);
}

TEST(LosslessRotate, UprightOfAnUnalignedPictureIsRefusedOrTrimmed)
{
    Sandbox sandbox;
    // Orientation 6 is undone clockwise, which moves the stored bottom edge to the left: the
    // upright 50 x 64 picture is stored 64 x 50.
    const std::string original = OrientedFile(6, QuadrantPicture(50, 64));
    const std::string path = sandbox.WriteFile("odd.jpg", original);
    EXPECT_EQ(RotateJpegUpright(path, EdgePolicy::Refuse), LosslessRotateResult::NotMcuAligned);
    EXPECT_EQ(ReadBytes(path), original);
    ASSERT_EQ(RotateJpegUpright(path, EdgePolicy::Trim), LosslessRotateResult::Rotated);
    const DibImage turned = Decoded(path);
    EXPECT_EQ(turned.Width(), 48u);
    EXPECT_EQ(turned.Height(), 64u);
    ExifReader reader;
    (void)TagsOf(path, reader);
    EXPECT_EQ(reader.Orientation(), 1);
}

// ---- Real camera files ----

std::vector<std::filesystem::path> CorpusJpegs(const char* folder)
{
    std::vector<std::filesystem::path> files;
    const std::filesystem::path root = std::filesystem::path(VISTREL_CORPUS_DIR) / folder;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".jpg" || extension == ".JPG")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Every tag the reader reads, but those that a turn changes, has the same value afterwards;
// another maker's note keeps every byte.
TEST(LosslessRotate, CameraFilesKeepEveryTagButTheTurnedOnes)
{
    std::vector<std::filesystem::path> files = CorpusJpegs("maker");
    const std::vector<std::filesystem::path> others = CorpusJpegs("other");
    files.insert(files.end(), others.begin(), others.end());
    if (files.empty())
        GTEST_SKIP() << "camera corpus not found (VISTREL_CORPUS_DIR); skipping";
    // The maker's own note changes with its focus point, which the maker-note map compares.
    const auto changes = [](TagMap map, std::uint16_t tag, bool ownNote) {
        return (map == TagMap::kPrimary && tag == kOrientationTag) || (map == TagMap::kExif && tag == kMakerNoteTag && ownNote)
            || (map == TagMap::kExif && (tag == kSubjectAreaTag || tag == kSubjectLocationTag))
            || (map == TagMap::kMakerNote && tag == kFocusPointTag);
    };
    Sandbox sandbox;
    int turned = 0;
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string original = ReadBytes(file.string());
        std::vector<unsigned char> rotated;
        const LosslessRotateResult result = RotateJpegBytes(original, RotationTurn::Clockwise, EdgePolicy::Trim, rotated);
        if (result != LosslessRotateResult::Rotated) {
            EXPECT_TRUE(rotated.empty());
            continue;
        }
        ++turned;
        ExifReader oldReader;
        if (oldReader.OpenJpegFile(sandbox.WriteFile("old.jpg", original)) != TiffResult::kOk)
            continue; // no Exif data to compare
        TagSet oldTags;
        ReadTagSet(oldReader, TagReadMode::kFull, oldTags);
        ExifReader newReader;
        const TagSet newTags = TagsOf(sandbox.WriteFile("new.jpg", AsView(rotated)), newReader);
        for (int map = 0; map < kTagMapCount; ++map) {
            const auto tagMap = static_cast<TagMap>(map);
            EXPECT_EQ(oldTags.Count(tagMap), newTags.Count(tagMap)) << "map " << map;
            for (const TagEntry& entry : oldTags.Entries(tagMap)) {
                if (changes(tagMap, entry.tag, oldTags.Count(TagMap::kMakerNote) > 0))
                    continue;
                const TagEntry* now = newTags.Find(tagMap, entry.tag);
                ASSERT_NE(now, nullptr) << "tag " << std::hex << entry.tag;
                EXPECT_EQ(now->type, entry.type) << "tag " << std::hex << entry.tag;
                EXPECT_EQ(now->value, entry.value) << "tag " << std::hex << entry.tag;
            }
        }
        std::vector<std::uint8_t> oldNote;
        std::vector<std::uint8_t> newNote;
        if (oldReader.Exif() && oldReader.Exif()->ReadValueBytes(kMakerNoteTag, oldNote) == TiffResult::kOk
            && oldTags.Count(TagMap::kMakerNote) == 0) {
            ASSERT_EQ(newReader.Exif()->ReadValueBytes(kMakerNoteTag, newNote), TiffResult::kOk);
            EXPECT_EQ(newNote, oldNote);
        }
        EXPECT_EQ(newReader.Orientation(), 1);
    }
    EXPECT_GT(turned, static_cast<int>(files.size()) * 9 / 10);
}

// The corpus holds one picture stored with each orientation; turned upright, each looks like
// the one stored upright (apart from trimmed edges and its own compression).
TEST(LosslessRotate, CameraOrientationsComeOutUpright)
{
    const std::vector<std::filesystem::path> files = CorpusJpegs("orientation");
    if (files.empty())
        GTEST_SKIP() << "orientation corpus not found (VISTREL_CORPUS_DIR); skipping";
    for (const std::filesystem::path& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const std::string kind = name.substr(0, name.find('_'));
        std::vector<unsigned char> rotated;
        const LosslessRotateResult result = RotateJpegUprightBytes(ReadBytes(file.string()), EdgePolicy::Trim, rotated);
        if (name.ends_with("_1.jpg")) {
            EXPECT_EQ(result, LosslessRotateResult::AlreadyUpright);
            continue;
        }
        ASSERT_EQ(result, LosslessRotateResult::Rotated);
        DibImage turned;
        ASSERT_EQ(DecodeJpegBytes(rotated.data(), rotated.size(), turned), 1);
        DibImage reference;
        ASSERT_EQ(DecodeJpegFile((file.parent_path() / (kind + "_1.jpg")).string(), reference), 1);
        ASSERT_LE(reference.Width() - turned.Width(), 15u);
        ASSERT_LE(reference.Height() - turned.Height(), 15u);
        // Each sample carries its own label, so only the best match is asked for: the reference
        // as it is must match far better than mirrored or turned over. Trimming drops edges at
        // the stored picture's right or bottom, which may be any edge of the upright one, so the
        // best of the four placements counts.
        const auto distance = [&turned](const DibImage& other) {
            std::uint64_t best = ~std::uint64_t{0};
            for (const std::uint32_t dx : {0u, other.Width() - turned.Width()}) {
                for (const std::uint32_t dy : {0u, other.Height() - turned.Height()}) {
                    std::uint64_t difference = 0;
                    std::uint64_t samples = 0;
                    for (std::uint32_t y = 0; y < turned.Height(); y += 3) {
                        for (std::uint32_t x = 0; x < turned.Width(); x += 3) {
                            const std::uint32_t a = turned.Pixel(x, y);
                            const std::uint32_t b = other.Pixel(x + dx, y + dy);
                            for (const int shift : {0, 8, 16})
                                difference += static_cast<std::uint64_t>(std::abs(
                                    static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
                            samples += 3;
                        }
                    }
                    best = std::min(best, difference / samples);
                }
            }
            return best;
        };
        const std::uint64_t same = distance(reference);
        EXPECT_LT(same, 20u);
        for (const int wrong : {2, 4, 5}) {
            DibImage other;
            ASSERT_EQ(TransformImage(&reference, &other, wrong), 0);
            EXPECT_LT(same * 2, distance(other)) << "transform " << wrong;
        }
    }
}

} // namespace
