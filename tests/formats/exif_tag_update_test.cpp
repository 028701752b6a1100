#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "formats/exif_reader.h"
#include "formats/exif_tag_update.h"
#include "formats/maker_note_layout.h"
#include "formats/medium_info_reader.h"
#include "formats/medium_information.h"
#include "formats/picture_reader.h"
#include "formats/tag_set_reader.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"

// The in-place change of a picture's date and comment: only the Exif segment changes, every
// other tag keeps its value, and a refused or failed change leaves the picture as it was.

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kDateTag = 0x9003;
constexpr std::uint16_t kCommentTag = 0x9286;
constexpr std::uint16_t kMakerNoteTag = 0x927C;
constexpr const char* kNewDate = "2011:02:03 04:05:06";

std::string FileText(const Bytes& bytes)
{
    return std::string(AsText(bytes));
}

// A real (small) picture, as a camera writes it: no JFIF segment, the Exif segment first.
Bytes Picture(const ExifBuilder& exif)
{
    return WithExif(EncodeJpeg(QuadrantPicture(64, 48), JpegEncoding{90, false}), exif.Build().bytes);
}

// Another maker's camera without a maker note.
ExifBuilder OtherCamera(Endian endian)
{
    ExifBuilder builder = CameraExif(endian);
    builder.ifd0.Drop(0x010F).Ascii(0x010F, "OTHERCAM");
    builder.exif.Drop(kMakerNoteTag);
    return builder;
}

Bytes Utf8Bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// Offsets of the Exif APP1 segment in a file: the marker and the first byte after it.
struct SegmentPlace {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t TiffStart() const { return start + 10; }
};

std::optional<SegmentPlace> ExifSegment(const std::string& file)
{
    std::size_t at = 2;
    while (at + 4 <= file.size() && static_cast<unsigned char>(file[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(file[at + 1]);
        const std::size_t length
            = static_cast<unsigned char>(file[at + 2]) << 8 | static_cast<unsigned char>(file[at + 3]);
        if (marker == 0xDA)
            break;
        if (marker == 0xE1 && file.compare(at + 4, 5, std::string("Exif\0", 5)) == 0)
            return SegmentPlace{at, at + 2 + length};
        at += 2 + length;
    }
    return std::nullopt;
}

std::string TiffBlock(const std::string& file)
{
    const std::optional<SegmentPlace> place = ExifSegment(file);
    return place ? file.substr(place->TiffStart(), place->end - place->TiffStart()) : std::string();
}

TagSet ReadTags(const std::string& path)
{
    ExifReader reader;
    EXPECT_EQ(reader.OpenJpegFile(path), TiffResult::kOk) << path;
    TagSet tags;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    return tags;
}

std::string AsciiValue(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    if (!entry)
        return "(none)";
    std::string text(entry->value.begin(), entry->value.end());
    return text.substr(0, text.find('\0'));
}

// The comment as the information panel shows it.
std::string ShownComment(const std::string& path)
{
    return MediumInformation::ForFile(path).Item(kDescriptionGroup, 1).value;
}

// Every map holds the same tags with the same values, except the ones named.
void ExpectSameTagsExcept(const TagSet& before, const TagSet& after,
                          const std::set<std::pair<TagMap, std::uint16_t>>& changed, const std::string& what)
{
    for (int m = 0; m < kTagMapCount; ++m) {
        const auto map = static_cast<TagMap>(m);
        for (const TagEntry& entry : before.Entries(map)) {
            if (changed.count({map, entry.tag}))
                continue;
            const TagEntry* now = after.Find(map, entry.tag);
            ASSERT_NE(now, nullptr) << what << ": map " << m << " lost tag " << entry.tag;
            EXPECT_EQ(now->type, entry.type) << what << ": tag " << entry.tag;
            EXPECT_EQ(now->count, entry.count) << what << ": tag " << entry.tag;
            EXPECT_EQ(now->value, entry.value) << what << ": tag " << entry.tag;
        }
        for (const TagEntry& entry : after.Entries(map))
            EXPECT_TRUE(before.Find(map, entry.tag) || changed.count({map, entry.tag}))
                << what << ": map " << m << " gained tag " << entry.tag;
    }
}

void ExpectSameInfoExceptDate(const MediumInfo& before, const MediumInfo& after, const std::string& what)
{
    EXPECT_EQ(after.width, before.width) << what;
    EXPECT_EQ(after.height, before.height) << what;
    EXPECT_EQ(after.bitsPerPixel, before.bitsPerPixel) << what;
    EXPECT_EQ(after.qualityIndex, before.qualityIndex) << what;
    EXPECT_EQ(after.hasExif, before.hasExif) << what;
    EXPECT_EQ(after.adobeRgb, before.adobeRgb) << what;
    EXPECT_EQ(after.framesPerSecond, before.framesPerSecond) << what;
    EXPECT_EQ(after.durationHundredths, before.durationHundredths) << what;
}

// Everything before and after the Exif segment is byte for byte what it was.
void ExpectOnlyTheExifSegmentChanged(const std::string& before, const std::string& after,
                                     const std::string& what)
{
    const std::optional<SegmentPlace> old = ExifSegment(before);
    const std::optional<SegmentPlace> now = ExifSegment(after);
    ASSERT_TRUE(old && now) << what;
    EXPECT_EQ(now->start, old->start) << what;
    EXPECT_TRUE(before.compare(0, old->start, after, 0, now->start) == 0) << what;
    EXPECT_TRUE(before.compare(old->end, std::string::npos, after, now->end, std::string::npos) == 0) << what;
}

// The old block's bytes are all still in place, except the ranges given (start, length).
void ExpectOldBlockKept(const std::string& before, const std::string& after,
                        const std::vector<std::pair<std::size_t, std::size_t>>& patched)
{
    const std::string old = TiffBlock(before);
    const std::string now = TiffBlock(after);
    ASSERT_GE(now.size(), old.size());
    for (std::size_t i = 0; i < old.size(); ++i) {
        const bool isPatched = std::any_of(patched.begin(), patched.end(), [i](const auto& range) {
            return i >= range.first && i < range.first + range.second;
        });
        if (!isPatched && old[i] != now[i]) {
            ADD_FAILURE() << "byte " << i << " of the TIFF block moved or changed";
            return;
        }
    }
}

void ExpectSamePixels(const std::string& before, const std::string& after)
{
    DibImage old;
    DibImage now;
    ASSERT_EQ(ReadFullImage(before, old), 0) << before;
    ASSERT_EQ(ReadFullImage(after, now), 0) << after;
    ASSERT_EQ(now.Width(), old.Width());
    ASSERT_EQ(now.Height(), old.Height());
    EXPECT_EQ(std::memcmp(now.Pixels(), old.Pixels(), old.PixelBytes()), 0) << after;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Where a directory entry of the block lies, found by walking the raw directory.
std::optional<std::size_t> EntryPosition(const std::string& block, std::uint32_t directory, std::uint16_t tag)
{
    const bool big = block[0] == 'M';
    const auto get = [&](std::size_t at, std::size_t size) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{static_cast<unsigned char>(block[at + i])}
                << (8 * (big ? size - 1 - i : i));
        return value;
    };
    const std::uint32_t count = get(directory, 2);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (get(directory + 2 + 12 * i, 2) == tag)
            return directory + 2 + 12 * i;
    }
    return std::nullopt;
}

PictureTagChange DateAndComment(std::string comment)
{
    PictureTagChange change;
    change.dateTimeOriginal = kNewDate;
    change.comment = std::move(comment);
    return change;
}

class ExifTagUpdate : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        return sandbox.WriteFile(name, AsText(bytes));
    }

    Sandbox sandbox;
};

} // namespace

void PrintTo(TagUpdateResult result, std::ostream* out)
{
    *out << TagUpdateResultText(result);
}

TEST_F(ExifTagUpdate, ChangesATwentyByteDateInPlaceAndNothingElse)
{
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        const std::string path = Write("date.jpg", Picture(OtherCamera(endian)));
        const std::string before = ReadTextFile(path);
        const TagSet tagsBefore = ReadTags(path);
        PictureTagChange change;
        change.dateTimeOriginal = kNewDate;
        ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);

        const std::string after = ReadTextFile(path);
        ASSERT_EQ(after.size(), before.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < before.size(); ++i)
            differing += before[i] != after[i] ? 1 : 0;
        EXPECT_LE(differing, 19u); // the digits of "2006:03:14 09:26:53"
        const TagSet tagsAfter = ReadTags(path);
        EXPECT_EQ(AsciiValue(tagsAfter, TagMap::kExif, kDateTag), kNewDate);
        EXPECT_EQ(tagsAfter.Find(TagMap::kExif, kDateTag)->count, 20u);
        ExpectSameTagsExcept(tagsBefore, tagsAfter, {{TagMap::kExif, kDateTag}}, "date");
        EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"date.jpg"});
    }
}

TEST_F(ExifTagUpdate, WritesACommentIntoTheRoomACameraLeftPaddedWithZeros)
{
    ExifBuilder camera = OtherCamera(Endian::kLittle);
    camera.exif.Undefined(kCommentTag, std::string("ASCII\0\0\0", 8) + std::string(40, ' '));
    const std::string path = Write("room.jpg", Picture(camera));
    const std::string before = ReadTextFile(path);
    PictureTagChange change;
    change.comment = "Harbour at dawn";
    ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);

    const std::string after = ReadTextFile(path);
    EXPECT_EQ(after.size(), before.size());
    const TagSet tags = ReadTags(path);
    const TagEntry* comment = tags.Find(TagMap::kExif, kCommentTag);
    ASSERT_NE(comment, nullptr);
    Bytes expected = Utf8Bytes(std::string("ASCII\0\0\0Harbour at dawn", 23));
    expected.resize(48, 0);
    EXPECT_EQ(comment->value, expected);
    EXPECT_EQ(ShownComment(path), "Harbour at dawn");
    ExpectOnlyTheExifSegmentChanged(before, after, "room");
    ExpectSamePixels(sandbox.WriteFile("original.jpg", before), path);
}

TEST_F(ExifTagUpdate, AppendsACommentThatDoesNotFitAndMovesNothing)
{
    ExifBuilder camera = OtherCamera(Endian::kBig);
    camera.sortedEntries = true;
    camera.exif.Undefined(kCommentTag, std::string("ASCII\0\0\0short", 13));
    const std::string path = Write("grow.jpg", Picture(camera));
    const std::string before = ReadTextFile(path);
    const TagSet tagsBefore = ReadTags(path);
    const std::string text = "A comment much longer than the thirteen bytes the camera left";
    ASSERT_EQ(UpdatePictureTags(path, DateAndComment(text)), TagUpdateResult::Ok);

    const std::string after = ReadTextFile(path);
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(ShownComment(path), text);
    // Only the comment's entry points elsewhere (and the date's digits changed).
    const std::string block = TiffBlock(before);
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    const std::uint32_t exifOffset = reader.Exif()->Offset();
    const std::optional<std::size_t> entry = EntryPosition(block, exifOffset, kCommentTag);
    ASSERT_TRUE(entry);
    std::uint32_t dateOffset = 0;
    std::memcpy(&dateOffset, reader.Exif()->Find(kDateTag)->field.data(), 4);
    ExpectOldBlockKept(before, after, {{*entry, 12}, {dateOffset, 20}});
    ExpectOnlyTheExifSegmentChanged(before, after, "grow");
    const TagSet tagsAfter = ReadTags(path);
    ExpectSameTagsExcept(tagsBefore, tagsAfter, {{TagMap::kExif, kDateTag}, {TagMap::kExif, kCommentTag}},
                         "grow");
    EXPECT_EQ(AsciiValue(tagsAfter, TagMap::kExif, kDateTag), kNewDate);
}

TEST_F(ExifTagUpdate, AddsMissingTagsThroughACopyOfTheExifDirectory)
{
    ExifBuilder camera = OtherCamera(Endian::kLittle);
    camera.exif.Drop(kDateTag);
    const std::string path = Write("missing.jpg", Picture(camera));
    const std::string before = ReadTextFile(path);
    const TagSet tagsBefore = ReadTags(path);
    ExifReader old;
    ASSERT_EQ(old.OpenJpegFile(path), TiffResult::kOk);
    std::vector<std::uint8_t> oldThumbnail;
    ASSERT_EQ(old.ReadThumbnail(oldThumbnail), TiffResult::kOk);
    const std::optional<std::size_t> pointer = EntryPosition(TiffBlock(before), 8, kExifPointerTag);
    ASSERT_TRUE(pointer);

    ASSERT_EQ(UpdatePictureTags(path, DateAndComment("Added")), TagUpdateResult::Ok);
    const std::string after = ReadTextFile(path);
    // IFD0's pointer to the Exif directory is the only old byte that changed.
    ExpectOldBlockKept(before, after, {{*pointer + 8, 4}});
    ExifReader now;
    ASSERT_EQ(now.OpenJpegFile(path), TiffResult::kOk);
    EXPECT_NE(now.Exif()->Offset(), old.Exif()->Offset());
    EXPECT_EQ(now.Exif()->Size(), old.Exif()->Size() + 2);
    // The copy is sorted, as TIFF asks, although the camera wrote its entries unsorted.
    std::vector<std::uint16_t> order;
    const std::string block = TiffBlock(after);
    for (std::uint32_t i = 0; i < now.Exif()->Size(); ++i)
        order.push_back(static_cast<std::uint16_t>(
            static_cast<unsigned char>(block[now.Exif()->Offset() + 2 + 12 * i])
            | static_cast<unsigned char>(block[now.Exif()->Offset() + 3 + 12 * i]) << 8));
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    // The thumbnail behind IFD0's next link, the interoperability and GPS directories stay.
    std::vector<std::uint8_t> newThumbnail;
    ASSERT_EQ(now.ReadThumbnail(newThumbnail), TiffResult::kOk);
    EXPECT_EQ(newThumbnail, oldThumbnail);
    EXPECT_EQ(now.Thumbnail()->Offset(), old.Thumbnail()->Offset());
    EXPECT_EQ(now.Orientation(), 6);
    const TagSet tagsAfter = ReadTags(path);
    EXPECT_EQ(AsciiValue(tagsAfter, TagMap::kExif, kDateTag), kNewDate);
    EXPECT_EQ(ShownComment(path), "Added");
    ExpectSameTagsExcept(tagsBefore, tagsAfter, {{TagMap::kExif, kDateTag}, {TagMap::kExif, kCommentTag}},
                         "missing");
    ExpectOnlyTheExifSegmentChanged(before, after, "missing");
}

TEST_F(ExifTagUpdate, ReplacesADateOfAnotherSizeOrType)
{
    const std::string date = "2006:03:14 09:26:53";
    for (const std::uint16_t type : {kTiffAscii, kTiffUndefined}) {
        ExifBuilder camera = OtherCamera(Endian::kBig);
        camera.exif.Drop(kDateTag).Raw(kDateTag, type, 19, Utf8Bytes(date));
        const std::string path = Write("odd.jpg", Picture(camera));
        PictureTagChange change;
        change.dateTimeOriginal = kNewDate;
        ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);
        const TagSet tags = ReadTags(path);
        const TagEntry* entry = tags.Find(TagMap::kExif, kDateTag);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->type, kTiffAscii);
        EXPECT_EQ(entry->count, 20u);
        EXPECT_EQ(AsciiValue(tags, TagMap::kExif, kDateTag), kNewDate);
    }
}

TEST_F(ExifTagUpdate, StoresOtherTextAsUnicodeInTheFilesByteOrder)
{
    const std::string texts[] = {"Caf\xC3\xA9 cr\xC3\xA8me", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                                 "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E and more", "\xF0\x9F\x98\x80 smile",
                                 "\xE4\xB8\x80\xE4\xB8\x80"};
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        for (const std::string& text : texts) {
            const std::string path = Write("unicode.jpg", Picture(OtherCamera(endian)));
            PictureTagChange change;
            change.comment = text;
            ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);
            EXPECT_EQ(ShownComment(path), text);
            const TagSet tags = ReadTags(path);
            const TagEntry* comment = tags.Find(TagMap::kExif, kCommentTag);
            ASSERT_NE(comment, nullptr);
            ASSERT_GE(comment->value.size(), 10u);
            EXPECT_EQ(std::string(comment->value.begin(), comment->value.begin() + 8),
                      std::string("UNICODE\0", 8));
            if (text[0] == 'C') {
                // 'C' as one UTF-16 unit in the file's order.
                const std::uint8_t first = endian == Endian::kBig ? 0 : 'C';
                EXPECT_EQ(comment->value[8], first);
            }
        }
    }
}

TEST_F(ExifTagUpdate, CutsLongCommentsTo255BytesOnACharacterBoundary)
{
    struct Case {
        std::string text;
        std::string shown;
        std::uint32_t stored;
    };
    std::string accents;
    for (int i = 0; i < 200; ++i)
        accents += "\xC3\xA9";
    std::string ideographs = "a";
    for (int i = 0; i < 100; ++i)
        ideographs += "\xE6\x97\xA5";
    const Case cases[] = {
        {std::string(300, 'a'), std::string(255, 'a'), 8 + 255},
        {accents, accents.substr(0, 254), 8 + 2 * 127},
        {ideographs, ideographs.substr(0, 253), 8 + 2 * 85},
        {std::string("before\0after", 12), "before", 8 + 6},
    };
    for (const Case& c : cases) {
        const std::string path = Write("long.jpg", Picture(OtherCamera(Endian::kLittle)));
        PictureTagChange change;
        change.comment = c.text;
        ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);
        EXPECT_EQ(ShownComment(path), c.shown);
        const TagSet tags = ReadTags(path);
        const TagEntry* comment = tags.Find(TagMap::kExif, kCommentTag);
        ASSERT_NE(comment, nullptr);
        EXPECT_EQ(comment->count, c.stored);
    }
}

TEST_F(ExifTagUpdate, AnEmptyCommentAddsNoTagButEmptiesAnExistingOne)
{
    PictureTagChange empty;
    empty.comment = "";
    const Bytes plain = Picture(OtherCamera(Endian::kLittle));
    const std::string path = Write("empty.jpg", plain);
    ASSERT_EQ(UpdatePictureTags(path, empty), TagUpdateResult::Ok);
    EXPECT_EQ(ReadTextFile(path), FileText(plain));

    ExifBuilder camera = OtherCamera(Endian::kLittle);
    camera.exif.Undefined(kCommentTag, std::string("ASCII\0\0\0An old comment", 22));
    const std::string commented = Write("commented.jpg", Picture(camera));
    ASSERT_EQ(UpdatePictureTags(commented, empty), TagUpdateResult::Ok);
    EXPECT_EQ(ShownComment(commented), "");
    const TagSet tags = ReadTags(commented);
    const TagEntry* comment = tags.Find(TagMap::kExif, kCommentTag);
    ASSERT_NE(comment, nullptr);
    Bytes expected = Utf8Bytes(std::string("ASCII\0\0\0", 8));
    expected.resize(22, 0);
    EXPECT_EQ(comment->value, expected);
}

TEST_F(ExifTagUpdate, TheSameValuesAgainLeaveThePictureAlone)
{
    for (const bool ownNote : {false, true}) {
        const std::string path = Write(
            "again.jpg", Picture(ownNote ? CameraExif(Endian::kLittle) : OtherCamera(Endian::kLittle)));
        ASSERT_EQ(UpdatePictureTags(path, DateAndComment("Twice")), TagUpdateResult::Ok);
        const std::string once = ReadTextFile(path);
        struct stat first {};
        ASSERT_EQ(::stat(path.c_str(), &first), 0);
        ASSERT_EQ(UpdatePictureTags(path, DateAndComment("Twice")), TagUpdateResult::Ok);
        struct stat second {};
        ASSERT_EQ(::stat(path.c_str(), &second), 0);
        EXPECT_EQ(second.st_ino, first.st_ino) << "the picture was written again";
        EXPECT_EQ(ReadTextFile(path), once);
        ASSERT_EQ(UpdatePictureTags(path, PictureTagChange{}), TagUpdateResult::Ok);
        EXPECT_EQ(ReadTextFile(path), once);
    }
}

TEST_F(ExifTagUpdate, MarksTheMakersNoteAndKeepsItsOtherTags)
{
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        const std::string path = Write("maker.jpg", Picture(CameraExif(endian)));
        const std::string before = ReadTextFile(path);
        const TagSet tagsBefore = ReadTags(path);
        ASSERT_EQ(tagsBefore.Find(TagMap::kMakerNote, 0x8800), nullptr);
        ExifReader old;
        ASSERT_EQ(old.OpenJpegFile(path), TiffResult::kOk);
        const TiffEntry* oldNote = old.Exif()->Find(kMakerNoteTag);
        ASSERT_NE(oldNote, nullptr);

        ASSERT_EQ(UpdatePictureTags(path, DateAndComment("Marked")), TagUpdateResult::Ok);
        const std::string after = ReadTextFile(path);
        const TagSet tagsAfter = ReadTags(path);
        const TagEntry* mark = tagsAfter.Find(TagMap::kMakerNote, 0x8800);
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->type, kTiffShort);
        EXPECT_EQ(mark->count, 1u);
        std::uint16_t value = 0;
        std::memcpy(&value, mark->value.data(), 2);
        EXPECT_EQ(value, 1);
        EXPECT_EQ(AsciiValue(tagsAfter, TagMap::kMakerNote, 0x0000), "0130");
        ExpectSameTagsExcept(tagsBefore, tagsAfter,
                             {{TagMap::kExif, kDateTag},
                              {TagMap::kExif, kCommentTag},
                              {TagMap::kExif, kMakerNoteTag},
                              {TagMap::kMakerNote, 0x8800}},
                             "maker");
        // The new note is laid out by the shared rule and appended; the old one stays where it was.
        ExifReader now;
        ASSERT_EQ(now.OpenJpegFile(path), TiffResult::kOk);
        const TiffEntry* newNote = now.Exif()->Find(kMakerNoteTag);
        ASSERT_NE(newNote, nullptr);
        EXPECT_EQ(newNote->count, MakerNoteSize(tagsAfter.Entries(TagMap::kMakerNote)));
        EXPECT_GE(newNote->Offset(), TiffBlock(before).size());
        const std::string oldBlock = TiffBlock(before);
        EXPECT_EQ(TiffBlock(after).compare(oldNote->Offset(), oldNote->count, oldBlock, oldNote->Offset(),
                                           oldNote->count),
                  0);
        ExpectOnlyTheExifSegmentChanged(before, after, "maker");
    }
}

TEST_F(ExifTagUpdate, PatchesTheMarkInPlaceWhenTheNoteHasItsEntries)
{
    ExifBuilder camera = CameraExif(Endian::kLittle);
    IfdBuilder maker = CameraMakerDirectory();
    maker.Drop(0x0000).Undefined(0x0000, "0120").Short(0x8800, {0});
    camera.exif.Drop(kMakerNoteTag).Undefined(kMakerNoteTag, AsText(BuildMakerNote(maker)));
    const std::string path = Write("marked.jpg", Picture(camera));
    const std::string before = ReadTextFile(path);
    PictureTagChange change;
    change.dateTimeOriginal = kNewDate;
    ASSERT_EQ(UpdatePictureTags(path, change), TagUpdateResult::Ok);
    EXPECT_EQ(ReadTextFile(path).size(), before.size());
    const TagSet tags = ReadTags(path);
    std::uint16_t value = 0;
    ASSERT_NE(tags.Value(TagMap::kMakerNote, 0x8800), nullptr);
    std::memcpy(&value, tags.Value(TagMap::kMakerNote, 0x8800), 2);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(AsciiValue(tags, TagMap::kMakerNote, 0x0000), "0130");
    EXPECT_EQ(AsciiValue(tags, TagMap::kExif, kDateTag), kNewDate);
}

TEST_F(ExifTagUpdate, NeverTouchesAnotherMakersNoteOrAddsOne)
{
    // A note whose offsets count from the TIFF header and may point anywhere: nothing that
    // is there is overwritten, not even the date and comment values.
    ExifBuilder camera = OtherCamera(Endian::kLittle);
    static constexpr char kNote[] = "OTHERMAKER\0\x01\0\x01\x10\x04\0\x01\0\0\0\x40\x02\0\0\0\0\0\0";
    camera.exif.Undefined(kMakerNoteTag, std::string(kNote, sizeof kNote - 1));
    camera.exif.Undefined(kCommentTag, std::string("ASCII\0\0\0", 8) + std::string(64, ' '));
    const std::string path = Write("foreign.jpg", Picture(camera));
    const std::string before = ReadTextFile(path);
    ASSERT_EQ(UpdatePictureTags(path, DateAndComment("Kept apart")), TagUpdateResult::Ok);
    const std::string after = ReadTextFile(path);
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpegFile(path), TiffResult::kOk);
    const std::string oldBlock = TiffBlock(before);
    const std::uint32_t exifOffset = reader.Exif()->Offset();
    ExpectOldBlockKept(before, after,
                       {{*EntryPosition(oldBlock, exifOffset, kDateTag), 12},
                        {*EntryPosition(oldBlock, exifOffset, kCommentTag), 12}});
    const TagSet tags = ReadTags(path);
    EXPECT_EQ(tags.Count(TagMap::kMakerNote), 0u);
    EXPECT_EQ(ShownComment(path), "Kept apart");
    EXPECT_EQ(AsciiValue(tags, TagMap::kExif, kDateTag), kNewDate);

    const std::string plain = Write("plain.jpg", Picture(OtherCamera(Endian::kBig)));
    ASSERT_EQ(UpdatePictureTags(plain, DateAndComment("No note")), TagUpdateResult::Ok);
    EXPECT_EQ(ReadTags(plain).Find(TagMap::kExif, kMakerNoteTag), nullptr);
}

TEST_F(ExifTagUpdate, KeepsReferencesPastTheBlocksEndAwayFromNewData)
{
    // An editor that shortened the block left the interoperability pointer behind the end; the
    // reader ignores it, and appended data must not turn into a directory there.
    ExifBuilder camera = OtherCamera(Endian::kLittle);
    camera.withInterop = false;
    camera.exif.RawField(kInteropPointerTag, kTiffLong, 1, 0);
    const std::uint32_t end = static_cast<std::uint32_t>(camera.Build().bytes.size());
    camera.exif.Drop(kInteropPointerTag).RawField(kInteropPointerTag, kTiffLong, 1, end + 40);
    const std::string path = Write("dangling.jpg", Picture(camera));
    const TagSet before = ReadTags(path);
    EXPECT_EQ(before.Count(TagMap::kInterop), 0u);
    ASSERT_EQ(UpdatePictureTags(path, DateAndComment("A comment that lands behind the old end")),
              TagUpdateResult::Ok);
    const std::string block = TiffBlock(ReadTextFile(path));
    ASSERT_GT(block.size(), end + 46);
    EXPECT_EQ(block.substr(end + 40, 6), std::string(6, '\0'));
    const TagSet after = ReadTags(path);
    EXPECT_EQ(ShownComment(path), "A comment that lands behind the old end");
    ExpectSameTagsExcept(before, after, {{TagMap::kExif, kDateTag}, {TagMap::kExif, kCommentTag}},
                         "dangling");
}

TEST_F(ExifTagUpdate, RefusesWhatItCannotChangeAndLeavesItAlone)
{
    const Bytes good = Picture(OtherCamera(Endian::kLittle));
    const std::string invalidDates[]
        = {"2099:01:01 00:00:00", "1899:12:31 23:59:59", "2001:02:29 10:00:00", "2000:04:31 10:00:00",
           "2006-03-14 09:26:53", "2006:03:14 24:00:00", "2006:03:14 9:26:53",  "",
           "2006:03:14 09:26:53 "};
    for (const std::string& date : invalidDates) {
        const std::string path = Write("good.jpg", good);
        PictureTagChange change;
        change.dateTimeOriginal = date;
        EXPECT_EQ(UpdatePictureTags(path, change), TagUpdateResult::InvalidDate) << date;
        EXPECT_EQ(ReadTextFile(path), FileText(good));
    }
    PictureTagChange leap;
    leap.dateTimeOriginal = "2000:02:29 23:59:59";
    EXPECT_EQ(UpdatePictureTags(Write("leap.jpg", good), leap), TagUpdateResult::Ok);

    // Exif data with a thumbnail directory that points outside the block.
    ExifBuilder brokenIfd1 = OtherCamera(Endian::kLittle);
    brokenIfd1.ifd0.nextOffset = 60000;
    Bytes cut = good;
    cut.resize(cut.size() - 2); // no EOI: a cut-off picture
    Bytes longSegment = good;
    longSegment[4] = 0xFF; // the Exif segment claims more bytes than the file has
    const Bytes jfifOnly = EncodeJpeg(QuadrantPicture(16, 16));
    const Bytes xmpOnly = JpegBuilder()
                              .Segment(0xE1, Utf8Bytes(std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33)))
                              .Sof(16, 16)
                              .Build();
    ExifBuilder noExifPointer = OtherCamera(Endian::kLittle);
    noExifPointer.withExif = false;
    const struct {
        const char* name;
        Bytes bytes;
        TagUpdateResult expected;
    } cases[] = {
        {"text.jpg", Utf8Bytes("not a picture at all"), TagUpdateResult::NotJpeg},
        {"empty.jpg", {}, TagUpdateResult::NotJpeg},
        {"plain.jpg", jfifOnly, TagUpdateResult::NoExif},
        {"xmp.jpg", xmpOnly, TagUpdateResult::NoExif},
        {"ifd0only.jpg", Picture(noExifPointer), TagUpdateResult::NoExif},
        {"cut.jpg", cut, TagUpdateResult::Damaged},
        {"long.jpg", longSegment, TagUpdateResult::Damaged},
        {"ifd1.jpg", Picture(brokenIfd1), TagUpdateResult::Damaged},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, c.bytes);
        EXPECT_EQ(UpdatePictureTags(path, DateAndComment("x")), c.expected) << c.name;
        EXPECT_EQ(ReadTextFile(path), FileText(c.bytes)) << c.name;
    }
    EXPECT_EQ(UpdatePictureTags(sandbox / "missing.jpg", DateAndComment("x")), TagUpdateResult::NotJpeg);
    EXPECT_EQ(UpdatePictureTags(sandbox.MakeFolder("folder.jpg"), DateAndComment("x")),
              TagUpdateResult::NotJpeg);
    EXPECT_EQ(FolderNames(sandbox.Path()).size(), std::size(cases) + 3); // good, leap, folder
}

TEST_F(ExifTagUpdate, EveryCutOfAPictureIsRefusedCleanly)
{
    const Bytes whole = Picture(CameraExif(Endian::kBig));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        const std::string path = Write("cut.jpg", cut);
        EXPECT_NE(UpdatePictureTags(path, DateAndComment("x")), TagUpdateResult::Ok) << length;
        ASSERT_EQ(ReadTextFile(path), FileText(cut)) << length;
    }
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"cut.jpg"});
}

TEST_F(ExifTagUpdate, RefusesExifDataThatWouldOutgrowItsSegment)
{
    // A picture whose Exif segment is nearly full already (a large print-matching block).
    ExifBuilder camera = OtherCamera(Endian::kLittle);
    const std::size_t used = camera.Build().bytes.size();
    camera.ifd0.Undefined(0xC4A5, std::string(65527 - used - 12 - 120, 'P'));
    const Bytes full = Picture(camera);
    ASSERT_LT(TiffBlock(FileText(full)).size(), 65527u);
    const std::string path = Write("full.jpg", full);
    EXPECT_EQ(UpdatePictureTags(path, DateAndComment(std::string(1000, 'c'))), TagUpdateResult::TooLarge);
    EXPECT_EQ(ReadTextFile(path), FileText(full));
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"full.jpg"});
    // The date has its place already and still fits.
    PictureTagChange date;
    date.dateTimeOriginal = kNewDate;
    ASSERT_EQ(UpdatePictureTags(path, date), TagUpdateResult::Ok);
    EXPECT_EQ(AsciiValue(ReadTags(path), TagMap::kExif, kDateTag), kNewDate);
}

TEST_F(ExifTagUpdate, KeepsThePicturesPermissions)
{
    for (const mode_t mode : {0640, 0604}) {
        const std::string path = Write("mode.jpg", Picture(OtherCamera(Endian::kLittle)));
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_EQ(UpdatePictureTags(path, DateAndComment(std::to_string(mode))), TagUpdateResult::Ok);
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode);
        EXPECT_EQ(ShownComment(path), std::to_string(mode));
    }
}

TEST_F(ExifTagUpdate, AReadOnlyPictureIsRefusedBeforeAnythingIsWritten)
{
    const Bytes picture = Picture(OtherCamera(Endian::kLittle));
    const std::string path = Write("locked.jpg", picture);
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const int result
        = RunAsPlainUser([&] { return static_cast<int>(UpdatePictureTags(path, DateAndComment("x"))); });
    if (result == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(result, static_cast<int>(TagUpdateResult::ReadOnly));
    EXPECT_EQ(ReadTextFile(path), FileText(picture));
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"locked.jpg"});
}

TEST_F(ExifTagUpdate, AReadOnlyFolderOrAFullDiskLeavesThePictureUnchanged)
{
    const Bytes picture = Picture(CameraExif(Endian::kLittle));
    const std::string folder = sandbox.MakeFolder("card");
    const std::string path = Write("card/picture.jpg", picture);
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const int locked
        = RunAsPlainUser([&] { return static_cast<int>(UpdatePictureTags(path, DateAndComment("x"))); });
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    if (locked != kCannotDropPrivileges) {
        EXPECT_EQ(locked, static_cast<int>(TagUpdateResult::WriteFailed));
    }
    EXPECT_EQ(ReadTextFile(path), FileText(picture));
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"picture.jpg"});

    const int full = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t room = picture.size() / 2;
        const rlimit limit{room, room};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return static_cast<int>(UpdatePictureTags(path, DateAndComment("x")));
    });
    EXPECT_EQ(full, static_cast<int>(TagUpdateResult::WriteFailed));
    EXPECT_EQ(ReadTextFile(path), FileText(picture));
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"picture.jpg"});
}

TEST(UserCommentReader, HonoursAByteOrderMark)
{
    // A big-endian file whose comment was written little-endian behind a mark.
    Sandbox sandbox;
    ExifBuilder camera = OtherCamera(Endian::kBig);
    camera.exif.Undefined(kCommentTag, std::string("UNICODE\0\xFF\xFE\xE5\x65\x2C\x67", 14));
    const std::string path = sandbox.WriteFile("marked.jpg", AsText(Picture(camera)));
    EXPECT_EQ(ShownComment(path), "\xE6\x97\xA5\xE6\x9C\xAC");
}

// ---- Real camera files ----

namespace {

std::optional<fs::path> CorpusDir()
{
#ifdef VISTREL_CORPUS_DIR
    std::error_code error;
    if (fs::is_directory(VISTREL_CORPUS_DIR, error))
        return fs::path(VISTREL_CORPUS_DIR);
#endif
    return std::nullopt;
}

std::vector<fs::path> CorpusJpegs(const fs::path& corpus, std::initializer_list<const char*> folders)
{
    std::vector<fs::path> files;
    for (const char* folder : folders) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder, error)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".jpg" || extension == ".JPG" || extension == ".jpeg")
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The full tag read, when the reader manages one.
std::optional<TagSet> TryReadTags(const std::string& path)
{
    ExifReader reader;
    if (!Succeeded(reader.OpenJpegFile(path)))
        return std::nullopt;
    TagSet tags;
    try {
        ReadTagSet(reader, TagReadMode::kFull, tags);
    } catch (const MediaError&) {
        return std::nullopt;
    }
    return tags;
}

bool HasExifTool()
{
    return std::system("exiftool -ver >/dev/null 2>&1") == 0;
}

// What exiftool reads from each file ("[Group] Name : value" lines), without the lines about
// the file system and the tool itself.
std::map<std::string, std::multiset<std::string>> ExifToolLines(const std::vector<std::string>& paths,
                                                                const std::string& scratch)
{
    const std::string list = scratch + "/exiftool-files.txt";
    std::string text;
    for (const std::string& path : paths)
        text += path + "\n";
    std::FILE* out = std::fopen(list.c_str(), "w");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    std::map<std::string, std::multiset<std::string>> lines;
    std::FILE* pipe = ::popen(("exiftool -G1 -a -s -u -@ " + list + " 2>&1").c_str(), "r");
    if (!pipe)
        return lines;
    std::string current = paths.size() == 1 ? paths[0] : std::string();
    char buffer[65536];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (line.rfind("======== ", 0) == 0) {
            current = line.substr(9);
            continue;
        }
        if (line.empty() || line[0] != '[' || line.rfind("[System]", 0) == 0
            || line.find("ExifToolVersion") != std::string::npos)
            continue;
        lines[current].insert(line);
    }
    ::pclose(pipe);
    return lines;
}

// "[ExifIFD]       DateTimeOriginal    : 2011:02:03 04:05:06" -> "ExifIFD:DateTimeOriginal".
std::string LineKey(const std::string& line)
{
    const std::size_t close = line.find(']');
    const std::size_t name = line.find_first_not_of(' ', close + 1);
    const std::size_t nameEnd = line.find(' ', name);
    return line.substr(1, close - 1) + ":" + line.substr(name, nameEnd - name);
}

// The tags a date and comment change may alter in exiftool's view (the composite ones are
// worked out from DateTimeOriginal).
const std::set<std::string> kChangedExifToolTags = {
    "ExifIFD:DateTimeOriginal",   "ExifIFD:UserComment",         "Composite:SubSecDateTimeOriginal",
    "Composite:DateTimeOriginal", "MakerUnknown:Unknown_0x8800", "MakerUnknown:Unknown_0x0000",
};

struct CorpusCopy {
    std::string name;
    std::string original; // an untouched copy
    std::string changed;
    std::string bytes;
    std::optional<TagSet> tags;
    MediumInfo info;
    TagUpdateResult result = TagUpdateResult::Ok;
};

} // namespace

TEST(ExifTagUpdateCorpus, ChangedPicturesReadTheSameExceptTheNewValues)
{
    const std::optional<fs::path> corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus folder at " << VISTREL_CORPUS_DIR;
    Sandbox sandbox;
    // Pictures of many makers (and both byte orders) that must take the change.
    const std::set<std::string> mustChange = {
        "maker/kv-6900zoom.jpg",
        "maker/kv-e500.jpg",
        "maker/kv-vistrel6800zoom.jpg",
        "maker/kv-vistrel_a303.jpg",
        "maker/kv-vistrels1pro_1.jpg",
        "maker/kv-dx-10.jpg",
        "gps/DSCN0010.jpg",
        "other/Canon_IXUS.jpg",
        "other/Canon_IXUS_400.jpg",
        "other/Canon_PowerShot_S30_2.jpg",
        "other/Casio_EX-S1.jpg",
        "other/Kodak_DX4330.jpg",
        "other/Apple_iPhone_4.jpg",
        "other/Issue_525.jpg",
        "other/Issue_339.jpg",
        "other/Epson_PhotoPC_3000Z.jpg",
        "other/Blackberry_Z10.jpg",
        "orientation/portrait_5.jpg",
    };
    const std::string first = "Gr\xC3\xBC\xC3\x9F"
                              "e aus \xE6\x97\xA5\xE6\x9C\xAC";
    const std::string second = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xB3\xE3\x83\xA1";
    std::vector<CorpusCopy> copies;
    for (const fs::path& file : CorpusJpegs(*corpus, {"maker", "other", "gps", "orientation", "xmp"})) {
        CorpusCopy copy;
        copy.name = file.parent_path().filename().string() + "/" + file.filename().string();
        copy.bytes = ReadTextFile(file.string());
        const std::string flat = file.parent_path().filename().string() + "_" + file.filename().string();
        copy.original = sandbox.WriteFile("original/" + flat, copy.bytes);
        copy.changed = sandbox.WriteFile("changed/" + flat, copy.bytes);
        copy.tags = TryReadTags(copy.changed);
        copy.info = ReadFileMetadata(copy.changed).info;
        // Two changes in a row: the second one meets what the first one wrote.
        copy.result = UpdatePictureTags(copy.changed, DateAndComment(first));
        if (copy.result == TagUpdateResult::Ok)
            copy.result = UpdatePictureTags(copy.changed, DateAndComment(second));
        copies.push_back(std::move(copy));
    }
    ASSERT_FALSE(copies.empty());

    std::size_t changed = 0;
    for (const CorpusCopy& copy : copies) {
        SCOPED_TRACE(copy.name);
        const std::string after = ReadTextFile(copy.changed);
        if (copy.result != TagUpdateResult::Ok) {
            EXPECT_FALSE(mustChange.count(copy.name)) << TagUpdateResultText(copy.result);
            EXPECT_TRUE(copy.result == TagUpdateResult::NoExif || copy.result == TagUpdateResult::Damaged)
                << TagUpdateResultText(copy.result);
            EXPECT_EQ(after, copy.bytes);
            continue;
        }
        ++changed;
        // (a) our reader: the new values, and every other tag and the medium record as before.
        const std::optional<TagSet> tags = TryReadTags(copy.changed);
        ASSERT_TRUE(tags.has_value());
        EXPECT_EQ(AsciiValue(*tags, TagMap::kExif, kDateTag), kNewDate);
        EXPECT_EQ(ShownComment(copy.changed), second);
        if (copy.tags)
            ExpectSameTagsExcept(*copy.tags, *tags,
                                 {{TagMap::kExif, kDateTag},
                                  {TagMap::kExif, kCommentTag},
                                  {TagMap::kExif, kMakerNoteTag},
                                  {TagMap::kMakerNote, 0x8800},
                                  {TagMap::kMakerNote, 0x0000}},
                                 copy.name);
        const MediumInfo info = ReadFileMetadata(copy.changed).info;
        ExpectSameInfoExceptDate(copy.info, info, copy.name);
        EXPECT_EQ(info.shootingDate.year, 2011);
        EXPECT_EQ(info.shootingDate.second, 6);
        // (c) everything outside the Exif segment, and so the pixels, as before.
        ExpectOnlyTheExifSegmentChanged(copy.bytes, after, copy.name);
        ExpectSamePixels(copy.original, copy.changed);
    }
    EXPECT_GE(changed, mustChange.size());

    // (b) an independent reader sees only the changed tags change, and no new warnings.
    if (!HasExifTool()) {
        std::printf("exiftool is not installed: the independent comparison is skipped\n");
        return;
    }
    std::vector<std::string> paths;
    for (const CorpusCopy& copy : copies) {
        if (copy.result == TagUpdateResult::Ok) {
            paths.push_back(copy.original);
            paths.push_back(copy.changed);
        }
    }
    const auto lines = ExifToolLines(paths, sandbox.Path());
    for (const CorpusCopy& copy : copies) {
        if (copy.result != TagUpdateResult::Ok)
            continue;
        SCOPED_TRACE(copy.name);
        const auto before = lines.find(copy.original);
        const auto now = lines.find(copy.changed);
        ASSERT_TRUE(before != lines.end() && now != lines.end());
        // It reads the new values as we wrote them, a byte-order mark or not.
        std::map<std::string, std::string> values;
        for (const std::string& line : now->second)
            values[LineKey(line)] = line.substr(line.find(" : ") + 3);
        EXPECT_EQ(values["ExifIFD:DateTimeOriginal"], kNewDate);
        EXPECT_EQ(values["ExifIFD:UserComment"], second);
        for (const std::string& line : now->second) {
            if (!before->second.count(line)) {
                EXPECT_TRUE(kChangedExifToolTags.count(LineKey(line))) << "new: " << line;
            }
        }
        for (const std::string& line : before->second) {
            // A warning may go (a dangling directory now reads as an empty one), never come.
            if (!now->second.count(line)) {
                EXPECT_TRUE(kChangedExifToolTags.count(LineKey(line)) || LineKey(line) == "ExifTool:Warning")
                    << "lost: " << line;
            }
        }
    }
}

TEST(ExifTagUpdateCorpus, CutAndDamagedFilesAreRefusedAndStayAsTheyWere)
{
    const std::optional<fs::path> corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus folder at " << VISTREL_CORPUS_DIR;
    Sandbox sandbox;
    for (const char* name :
         {"maker/kv-vistrel6800zoom.jpg", "maker/kv-6900zoom.jpg", "other/Canon_IXUS.jpg"}) {
        const std::string whole = ReadTextFile((*corpus / name).string());
        ASSERT_FALSE(whole.empty()) << name;
        // Finer steps through the header segments, coarser ones through the compressed data.
        for (std::size_t length = 0; length < whole.size(); length += length < 8192 ? 13 : 997) {
            const std::string cut = whole.substr(0, length);
            const std::string path = sandbox.WriteFile("cut.jpg", cut);
            EXPECT_NE(UpdatePictureTags(path, DateAndComment("cut")), TagUpdateResult::Ok)
                << name << " " << length;
            ASSERT_EQ(ReadTextFile(path), cut) << name << " " << length;
        }
    }
    for (const fs::path& file : CorpusJpegs(*corpus, {"invalid"})) {
        const std::string bytes = ReadTextFile(file.string());
        const std::string path = sandbox.WriteFile("invalid.jpg", bytes);
        const TagUpdateResult result = UpdatePictureTags(path, DateAndComment("damaged"));
        if (result == TagUpdateResult::Ok)
            EXPECT_EQ(AsciiValue(ReadTags(path), TagMap::kExif, kDateTag), kNewDate) << file;
        else
            EXPECT_EQ(ReadTextFile(path), bytes) << file;
    }
    EXPECT_EQ(FolderNames(sandbox.Path()), (std::vector<std::string>{"cut.jpg", "invalid.jpg"}));
}

// ---- The command-line tool ----

namespace {

struct ToolRun {
    int status = -1;
    std::string output; // standard output and standard error
};

ToolRun RunTool(const std::string& arguments)
{
    ToolRun run;
    std::FILE* pipe
        = ::popen((std::string(VISTREL_PROGRAM_DIR) + "/vistrel-info " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(VistrelInfoSetTags, PrintsEachChangeAndReportsEachRefusedFile)
{
    if (!fs::exists(std::string(VISTREL_PROGRAM_DIR) + "/vistrel-info"))
        GTEST_SKIP() << "vistrel-info is not built";
    Sandbox sandbox;
    const std::string picture = sandbox.WriteFile("a.jpg", AsText(Picture(CameraExif(Endian::kLittle))));
    const std::string text = sandbox.WriteFile("b.jpg", "not a picture");
    const ToolRun run
        = RunTool("--set-date '2010:01:02 03:04:05' --set-comment 'Boat trip' " + picture + " " + text);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.output.find(picture + ": DateTimeOriginal \"2006:03:14 09:26:53\" -> \"2010:01:02 03:04:05\""),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(picture + ": UserComment \"\" -> \"Boat trip\""), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(text + ": not a JPEG picture"), std::string::npos) << run.output;
    EXPECT_EQ(ShownComment(picture), "Boat trip");

    const ToolRun again = RunTool("--set-comment 'Second' " + picture);
    EXPECT_EQ(again.status, 0) << again.output;

    const ToolRun badDate = RunTool("--set-date '2010:02:30 00:00:00' " + picture);
    EXPECT_EQ(badDate.status, 2);
    EXPECT_NE(badDate.output.find("not a valid shooting date"), std::string::npos) << badDate.output;
    EXPECT_EQ(AsciiValue(ReadTags(picture), TagMap::kExif, kDateTag), "2010:01:02 03:04:05");

    // --out makes its folder.
    const std::string out = sandbox / "thumbs/of/today";
    const ToolRun thumbnail = RunTool("--thumbnail 1 --out " + out + " " + picture);
    EXPECT_EQ(thumbnail.status, 0) << thumbnail.output;
    EXPECT_TRUE(fs::exists(out + "/a.jpg.png"));
}
