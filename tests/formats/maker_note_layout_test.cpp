#include <cstring>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "formats/exif_reader.h"
#include "formats/maker_note_layout.h"
#include "formats/tag_set_reader.h"
#include "media_writers/exif_builder.h"

namespace {

TagEntry Ascii(std::uint16_t tag, std::string_view text)
{
    std::vector<std::uint8_t> value(text.begin(), text.end());
    value.push_back(0);
    return TagEntry{tag, kTiffAscii, static_cast<std::uint32_t>(value.size()), value};
}

TagEntry Undefined(std::uint16_t tag, std::string_view bytes)
{
    return TagEntry{
        tag, kTiffUndefined, static_cast<std::uint32_t>(bytes.size()), {bytes.begin(), bytes.end()}};
}

template <typename T>
TagEntry Numbers(std::uint16_t tag, std::uint16_t type, std::vector<T> values, std::uint32_t perElement = 1)
{
    std::vector<std::uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return TagEntry{tag, type, static_cast<std::uint32_t>(values.size() / perElement), bytes};
}

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= std::uint32_t{bytes[at + i]} << (8 * i);
    return value;
}

// What a camera puts into its note, in no particular order.
std::vector<TagEntry> CameraEntries()
{
    return {
        Ascii(0x1000, "NORMAL "),
        Numbers<std::uint16_t>(0x8800, kTiffShort, {1}),
        Undefined(0x0000, "0130"),
        Numbers<std::int32_t>(0x1011, kTiffSRational, {-2, 3}, 2),
        Numbers<std::uint16_t>(0x1023, kTiffShort, {100, 50}),
        Ascii(0x8000, "A maker text of odd size"),
        Numbers<std::uint32_t>(0x8002, kTiffLong, {0x01020304}),
    };
}

} // namespace

TEST(MakerNoteLayout, SizeIsEighteenPlusTwelvePerEntryPlusEvenValues)
{
    EXPECT_EQ(MakerNoteSize({}), 18u);
    // "NORMAL " 8, the SRATIONAL 8, the 25-byte text padded to 26; the rest sit in their entries.
    EXPECT_EQ(MakerNoteSize(CameraEntries()), 18u + 12 * 7 + 8 + 8 + 26);
    std::vector<std::uint8_t> note;
    ASSERT_EQ(LayOutMakerNote(CameraEntries(), note), TiffResult::kOk);
    EXPECT_EQ(note.size(), MakerNoteSize(CameraEntries()));
}

TEST(MakerNoteLayout, WritesASortedLittleEndianDirectoryWithValuesBehindIt)
{
    std::vector<std::uint8_t> note;
    ASSERT_EQ(LayOutMakerNote(CameraEntries(), note), TiffResult::kOk);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(note.data()), 8), "KAVORINE");
    EXPECT_EQ(Little(note, 8, 4), 12u);
    ASSERT_EQ(Little(note, 12, 2), 7u);
    const std::uint16_t expectedOrder[] = {0x0000, 0x1000, 0x1011, 0x1023, 0x8000, 0x8002, 0x8800};
    const std::size_t valuesStart = 12 + 2 + 12 * 7 + 4;
    for (std::size_t i = 0; i < 7; ++i) {
        const std::size_t at = 14 + 12 * i;
        EXPECT_EQ(Little(note, at, 2), expectedOrder[i]) << i;
        const std::uint32_t size = Little(note, at + 4, 4) * TiffTypeSize(Little(note, at + 2, 2));
        if (size > 4) {
            const std::uint32_t offset = Little(note, at + 8, 4);
            EXPECT_GE(offset, valuesStart);
            EXPECT_EQ(offset % 2, 0u);
            EXPECT_LE(offset + size, note.size());
        }
    }
    EXPECT_EQ(Little(note, 14 + 12 * 7, 4), 0u); // no next directory
    // Numbers are little-endian whatever the machine: the LONG of 0x8002 in its entry.
    EXPECT_EQ(note[14 + 12 * 5 + 8], 0x04);
    EXPECT_EQ(note[14 + 12 * 5 + 11], 0x01);
}

TEST(MakerNoteLayout, ReadsBackThroughTheMakerNoteReader)
{
    std::vector<std::uint8_t> note;
    ASSERT_EQ(LayOutMakerNote(CameraEntries(), note), TiffResult::kOk);
    ASSERT_TRUE(IsKavorineMakerNote(note));
    TiffDirectory directory;
    ASSERT_EQ(ReadMakerNoteDirectory(note, directory), TiffResult::kOk);
    ASSERT_EQ(directory.Size(), CameraEntries().size());
    for (const TagEntry& entry : CameraEntries()) {
        std::vector<std::uint8_t> value;
        ASSERT_EQ(directory.ReadValueBytes(entry.tag, value), TiffResult::kOk) << entry.tag;
        EXPECT_EQ(directory.EntryType(entry.tag), entry.type) << entry.tag;
        EXPECT_EQ(value, entry.value) << entry.tag;
    }
}

TEST(MakerNoteLayout, ATagSetsMakerMapSurvivesAWholeExifRead)
{
    // The maker's directory of a camera file, read, laid out again and read once more.
    ExifBuilder camera = CameraExif(Endian::kBig);
    ExifReader first;
    ASSERT_EQ(first.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(camera.Build().bytes))), TiffResult::kOk);
    TagSet original;
    ReadTagSet(first, TagReadMode::kFull, original);
    ASSERT_GT(original.Count(TagMap::kMakerNote), 3u);

    std::vector<std::uint8_t> note;
    ASSERT_EQ(LayOutMakerNote(original.Entries(TagMap::kMakerNote), note), TiffResult::kOk);
    camera.exif.Drop(0x927C).Raw(0x927C, kTiffUndefined, static_cast<std::uint32_t>(note.size()), note);
    ExifReader second;
    ASSERT_EQ(second.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(camera.Build().bytes))), TiffResult::kOk);
    TagSet rebuilt;
    ReadTagSet(second, TagReadMode::kFull, rebuilt);
    ASSERT_EQ(rebuilt.Count(TagMap::kMakerNote), original.Count(TagMap::kMakerNote));
    for (const TagEntry& entry : original.Entries(TagMap::kMakerNote)) {
        const TagEntry* copy = rebuilt.Find(TagMap::kMakerNote, entry.tag);
        ASSERT_NE(copy, nullptr) << entry.tag;
        EXPECT_EQ(copy->type, entry.type);
        EXPECT_EQ(copy->count, entry.count);
        EXPECT_EQ(copy->value, entry.value);
    }
}

TEST(MakerNoteLayout, RefusesEntriesItCannotWriteAndKeepsTheOldNote)
{
    const std::vector<std::uint8_t> previous = {1, 2, 3};
    const auto refused = [&](std::vector<TagEntry> entries) {
        std::vector<std::uint8_t> note = previous;
        const TiffResult result = LayOutMakerNote(entries, note);
        EXPECT_EQ(note, previous);
        return result;
    };
    EXPECT_EQ(refused({TagEntry{0x1000, 13, 1, {0}}}), TiffResult::kBadType);
    EXPECT_EQ(refused({TagEntry{0x1000, 0, 1, {0}}}), TiffResult::kBadType);
    EXPECT_EQ(refused({TagEntry{0x1000, kTiffShort, 0, {}}}), TiffResult::kBadCount);
    EXPECT_EQ(refused({TagEntry{0x1000, kTiffShort, 2, {0, 0}}}), TiffResult::kBadArgument);
    EXPECT_EQ(refused({Ascii(0x1000, "FINE   "), Ascii(0x1000, "BASIC  ")}), TiffResult::kTagExists);
    std::vector<TagEntry> tooMany;
    for (std::uint32_t tag = 0; tag <= TiffDirectory::kMaxEntries; ++tag)
        tooMany.push_back(Numbers<std::uint16_t>(static_cast<std::uint16_t>(tag), kTiffShort, {1}));
    EXPECT_EQ(refused(tooMany), TiffResult::kMalformed);
}
