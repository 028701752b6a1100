#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "formats/tiff_directory.h"
#include "media_writers/exif_builder.h"

namespace {

// Reads IFD0 of a block that holds only this directory.
TiffResult ReadIfd0(const IfdBuilder& ifd, TiffDirectory& directory, Endian endian = Endian::kLittle)
{
    ExifBuilder builder(endian);
    builder.withExif = false;
    builder.ifd0 = ifd;
    TiffStream stream = TiffStream::FromBytes(builder.Build().bytes);
    std::uint32_t first = 0;
    if (const TiffResult result = stream.ReadHeader(first); !Succeeded(result))
        return result;
    return directory.Read(stream, first);
}

template <typename T> std::vector<T> ValuesOf(const TiffDirectory& directory, std::uint16_t tag)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(directory.ReadValueBytes(tag, bytes), TiffResult::kOk) << std::hex << tag;
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

std::vector<std::uint16_t> TagsOf(const TiffDirectory& directory)
{
    std::vector<std::uint16_t> tags;
    for (const TiffEntry& entry : directory.Entries())
        tags.push_back(entry.tag);
    return tags;
}

} // namespace

TEST(TiffDirectory, SortsEntriesAndDropsInvalidTypesWithoutLosingTheRest)
{
    IfdBuilder ifd;
    for (const std::uint16_t tag : {0x0300, 0x0010, 0x0200, 0x0100, 0x0050, 0x0400, 0x0001})
        ifd.Short(tag, {tag});
    ifd.RawField(0x0101, 13, 1, 0xDEADBEEF).RawField(0x0102, 0, 1, 0).Ascii(0x010F, "KAVORINE");
    ifd.nextOffset = 0x1234;
    TiffDirectory directory;
    ASSERT_EQ(ReadIfd0(ifd, directory), TiffResult::kOk);
    EXPECT_EQ(TagsOf(directory),
              (std::vector<std::uint16_t>{0x0001, 0x0010, 0x0050, 0x0100, 0x010F, 0x0200, 0x0300, 0x0400}));
    for (const std::uint16_t tag : {0x0001, 0x0010, 0x0050, 0x0100, 0x0200, 0x0300, 0x0400})
        EXPECT_EQ(ValuesOf<std::uint16_t>(directory, tag), std::vector<std::uint16_t>{tag});
    EXPECT_EQ(ValuesOf<char>(directory, 0x010F).front(), 'K');
    EXPECT_EQ(directory.NextOffset(), 0x1234u);
    EXPECT_EQ(directory.Find(0x0150), nullptr);
}

TEST(TiffDirectory, AcceptsUpTo2048EntriesAndRejectsMore)
{
    for (const std::uint16_t declared : {2048, 2049, 3000}) {
        // Count, zero-filled entries (type 0: dropped) and the next offset.
        Bytes bytes(2 + 12 * std::size_t{declared} + 4, 0);
        bytes[0] = static_cast<std::uint8_t>(declared);
        bytes[1] = static_cast<std::uint8_t>(declared >> 8);
        TiffStream stream = TiffStream::FromBytes(bytes);
        stream.SetByteOrder(kByteOrderLittle);
        TiffDirectory directory;
        EXPECT_EQ(directory.Read(stream, 0), declared <= 2048 ? TiffResult::kOk : TiffResult::kMalformed);
    }
}

TEST(TiffDirectory, ReadingIntoAFilledDirectoryFailsAndAFailedReadLeavesItEmpty)
{
    IfdBuilder ifd;
    ifd.Short(0x0100, {1}).Short(0x0101, {2}).Short(0x0102, {3});
    TiffDirectory directory;
    ASSERT_EQ(ReadIfd0(ifd, directory), TiffResult::kOk);
    EXPECT_EQ(ReadIfd0(ifd, directory), TiffResult::kNotReady);
    EXPECT_EQ(directory.Size(), 3u);

    ExifBuilder builder;
    builder.withExif = false;
    builder.ifd0 = ifd;
    Bytes bytes = builder.Build().bytes;
    bytes.resize(bytes.size() - 10); // the last entry and the next offset are cut off
    TiffStream cut = TiffStream::FromBytes(bytes);
    TiffDirectory truncated;
    EXPECT_EQ(truncated.Read(cut, 8), TiffResult::kEndOfFile);
    EXPECT_TRUE(truncated.IsEmpty());
    EXPECT_EQ(truncated.Read(cut, 4000), TiffResult::kEndOfFile);
}

TEST(TiffDirectory, ValuesReadTheSameFromBothByteOrders)
{
    IfdBuilder ifd;
    ifd.Short(0x0001, {0x0102, 0x0304}) // inside the entry
        .Short(0x0002, {1, 0xFFFF, 0x8000})
        .Long(0x0003, {0xCAFEBABE})
        .Rational(0x0004, {{1, 3}, {0x80000000, 7}})
        .SRational(0x0005, {{-5, 2}})
        .Raw(0x0006, kTiffSShort, 1, {0xFE, 0xFF})
        .Undefined(0x0007, "0220");
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        TiffDirectory d;
        ASSERT_EQ(ReadIfd0(ifd, d, endian), TiffResult::kOk);
        EXPECT_EQ(ValuesOf<std::uint16_t>(d, 0x0001), (std::vector<std::uint16_t>{0x0102, 0x0304}));
        EXPECT_EQ(ValuesOf<std::uint16_t>(d, 0x0002), (std::vector<std::uint16_t>{1, 0xFFFF, 0x8000}));
        EXPECT_EQ(ValuesOf<std::uint32_t>(d, 0x0003), std::vector<std::uint32_t>{0xCAFEBABE});
        EXPECT_EQ(ValuesOf<std::uint32_t>(d, 0x0004), (std::vector<std::uint32_t>{1, 3, 0x80000000, 7}));
        EXPECT_EQ(ValuesOf<std::int32_t>(d, 0x0005), (std::vector<std::int32_t>{-5, 2}));
        EXPECT_EQ(ValuesOf<std::int16_t>(d, 0x0006), std::vector<std::int16_t>{-2});
        EXPECT_EQ(ValuesOf<char>(d, 0x0007), (std::vector<char>{'0', '2', '2', '0'}));
        std::uint32_t wide[3] = {};
        ASSERT_EQ(d.ReadValue32(0x0002, wide), TiffResult::kOk);
        EXPECT_EQ(wide[1], 0xFFFFu);
    }
}

TEST(TiffDirectory, ReadValueChecksTagBufferTypeAndBounds)
{
    IfdBuilder ifd;
    ifd.Short(0x0100, {1, 2, 3})
        .RawField(0x0200, kTiffShort, 0x7FFFFFFF, 8) // a damaged count
        .RawField(0x0300, kTiffLong, 4, 0xFFFFFFF0)  // an offset beyond the data
        .Rational(0x0400, {{1, 2}});
    TiffDirectory directory;
    ASSERT_EQ(ReadIfd0(ifd, directory), TiffResult::kOk);
    std::vector<std::uint8_t> buffer(6);
    EXPECT_EQ(directory.ReadValue(0x0999, buffer), TiffResult::kTagNotFound);
    EXPECT_EQ(directory.ReadValue(0x0100, std::span(buffer).first(5)), TiffResult::kBadCount);
    EXPECT_EQ(directory.ReadValue(0x0100, buffer), TiffResult::kOk);
    EXPECT_EQ(directory.ReadValue(0x0200, buffer), TiffResult::kBadCount);
    EXPECT_EQ(directory.ReadValueBytes(0x0200, buffer), TiffResult::kEndOfFile);
    EXPECT_EQ(directory.ReadValueBytes(0x0300, buffer), TiffResult::kEndOfFile);
    std::uint32_t values[2] = {};
    EXPECT_EQ(directory.ReadValue32(0x0100, values), TiffResult::kBadCount);
    EXPECT_EQ(directory.ReadValue32(0x0400, values), TiffResult::kBadType);
    EXPECT_EQ(directory.ReadUint32(0x0100, values[0]), TiffResult::kBadCount);
}

TEST(TiffDirectory, AddEntryChecksItsInputAndGrowsInStepsOf64UpTo2048)
{
    TiffDirectory directory;
    const std::uint8_t two[2] = {1, 0};
    EXPECT_EQ(directory.AddEntry(0x0300, kTiffShort, 1, two), TiffResult::kOk);
    EXPECT_EQ(directory.AddEntry(0x0300, kTiffShort, 1, two), TiffResult::kTagExists);
    EXPECT_EQ(directory.AddEntry(0x0100, 13, 1, two), TiffResult::kBadType);
    EXPECT_EQ(directory.AddEntry(0x0100, kTiffShort, 0, {}), TiffResult::kBadCount);
    EXPECT_EQ(directory.AddEntry(0x0100, kTiffLong, 1, two), TiffResult::kBadArgument);
    // Entries arrive unsorted; every one must still be found.
    for (std::uint16_t tag = 0x0200; tag > 0; --tag)
        ASSERT_EQ(directory.AddEntry(tag, kTiffShort, 1, two), TiffResult::kOk);
    for (const std::uint16_t tag : {0x0300, 0x0001, 0x0200})
        EXPECT_NE(directory.Find(tag), nullptr) << tag;
    for (std::uint16_t tag = 0x1000; directory.Size() < 2048; ++tag) {
        ASSERT_EQ(directory.Capacity(), (directory.Size() + 63) / 64 * 64);
        ASSERT_EQ(directory.AddEntry(tag, kTiffShort, 1, two), TiffResult::kOk);
    }
    EXPECT_EQ(directory.AddEntry(0x9000, kTiffShort, 1, two), TiffResult::kMalformed);
    directory.Sort();
    EXPECT_EQ(directory.Entries().front().tag, 0x0001);
    EXPECT_NE(directory.Find(0x0300), nullptr);
}

TEST(TiffDirectory, CopyEntriesTakesValuesFromTheSourceStream)
{
    IfdBuilder ifd;
    ifd.Ascii(0x010F, "KAVORINE").Short(0x0112, {6}).Rational(0x011A, {{72, 1}});
    TiffDirectory source;
    ASSERT_EQ(ReadIfd0(ifd, source, Endian::kBig), TiffResult::kOk);
    TiffDirectory copy;
    ASSERT_EQ(copy.CopyEntries(source), TiffResult::kOk);
    EXPECT_EQ(ValuesOf<char>(copy, 0x010F), ValuesOf<char>(source, 0x010F));
    EXPECT_EQ(ValuesOf<std::uint16_t>(copy, 0x0112), std::vector<std::uint16_t>{6});
    EXPECT_EQ(ValuesOf<std::uint32_t>(copy, 0x011A), (std::vector<std::uint32_t>{72, 1}));
    EXPECT_EQ(copy.CopyEntries(source), TiffResult::kTagExists);
}
