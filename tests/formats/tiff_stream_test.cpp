#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/tiff_stream.h"
#include "media_writers/exif_builder.h"

namespace {

// Header and one directory holding one SHORT (tag 0x0100, value 0x1234): 26 bytes.
Bytes SmallTiff(Endian endian)
{
    ExifBuilder builder(endian);
    builder.withExif = false;
    builder.ifd0.Short(0x0100, {0x1234});
    return builder.Build().bytes;
}

} // namespace

TEST(TiffStream, HeaderSetsByteOrderSoThatBothOrdersReadAlike)
{
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        TiffStream stream = TiffStream::FromBytes(SmallTiff(endian));
        std::uint32_t first = 0;
        ASSERT_EQ(stream.ReadHeader(first), TiffResult::kOk);
        EXPECT_EQ(stream.ByteOrder(), endian == Endian::kLittle ? kByteOrderLittle : kByteOrderBig);
        std::uint16_t count = 0, tag = 0, type = 0, value = 0;
        std::uint32_t elements = 0;
        ASSERT_EQ(stream.Seek(first), TiffResult::kOk);
        for (const TiffResult result : {stream.Read16(count), stream.Read16(tag), stream.Read16(type),
                                        stream.Read32(elements), stream.Read16(value)})
            ASSERT_EQ(result, TiffResult::kOk);
        EXPECT_EQ(std::vector<std::uint32_t>({first, count, tag, type, elements, value}),
                  std::vector<std::uint32_t>({8, 1, 0x0100, kTiffShort, 1, 0x1234}));
    }
}

TEST(TiffStream, HeaderRejectsEveryMalformedField)
{
    const Bytes good = SmallTiff(Endian::kLittle);
    // clang-format off
    const struct { const char* what; std::size_t at; Bytes bytes; std::size_t length; } cases[] = {
        {"shorter than 8 bytes", 0, {}, 7},
        {"mixed byte order", 0, {'I', 'M'}, good.size()},
        {"no byte order", 0, {'X', 'X'}, good.size()},
        {"magic 43", 2, {43, 0}, good.size()},
        {"directory offset below 8", 4, {7, 0, 0, 0}, good.size()},
        {"directory offset at the last byte", 4, {25, 0, 0, 0}, good.size()},
        {"directory larger than the data", 8, {2, 0}, good.size()},
        {"directory cut short", 0, {}, good.size() - 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        Bytes bytes = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        bytes.resize(c.length);
        std::uint32_t first = 0;
        EXPECT_EQ(TiffStream::FromBytes(bytes).ReadHeader(first), TiffResult::kMalformed) << c.what;
    }
    std::uint32_t first = 0;
    EXPECT_EQ(TiffStream::FromBytes(good).ReadHeader(first), TiffResult::kOk);
}

TEST(TiffStream, ReadsNeverLeaveTheStreamOrItsWindow)
{
    const TiffStream stream = TiffStream::FromBytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<std::uint8_t> buffer(4, 0xEE);
    EXPECT_EQ(stream.ReadAt(8, buffer), TiffResult::kEndOfFile);
    EXPECT_EQ(stream.ReadAt(std::numeric_limits<std::uint64_t>::max() - 1, buffer), TiffResult::kEndOfFile);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, 0xEE));

    TiffStream window = stream.Window(2, 4);
    EXPECT_EQ(window.ReadAt(0, buffer), TiffResult::kOk);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{2, 3, 4, 5}));
    std::vector<std::uint8_t> two(2);
    EXPECT_EQ(window.ReadAt(3, two), TiffResult::kEndOfFile);
    EXPECT_EQ(window.Seek(5), TiffResult::kEndOfFile);
    // Windows asked to reach past their parent end where the parent ends.
    EXPECT_EQ(stream.Window(6, 100).Length(), 4u);
    EXPECT_EQ(stream.Window(60, 100).Length(), 0u);
    EXPECT_EQ(window.Window(1, 100).BaseOffset(), 3u);
    EXPECT_EQ(window.Window(1, 100).Length(), 3u);
}

TEST(TiffStream, ReserveSpaceAppendsZerosAtAnEvenOffset)
{
    TiffStream stream = TiffStream::FromBytes({0xAA, 0xBB, 0xCC});
    std::uint32_t offset = 0;
    ASSERT_EQ(stream.ReserveSpace(5, offset), TiffResult::kOk);
    EXPECT_EQ(offset, 4u);
    EXPECT_EQ(stream.Position(), 9u);
    // Large enough to pass through the heap buffer several times.
    ASSERT_EQ(stream.ReserveSpace(40001, offset), TiffResult::kOk);
    EXPECT_EQ(offset, 10u);
    std::vector<std::uint8_t> all;
    ASSERT_EQ(stream.ReadAll(all), TiffResult::kOk);
    ASSERT_EQ(all.size(), 10u + 40001u);
    EXPECT_EQ(all[2], 0xCC);
    EXPECT_TRUE(std::all_of(all.begin() + 3, all.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(TiffStream, WritesHeadersToMemoryAndCreatedFilesOnly)
{
    TiffStream memory;
    ASSERT_EQ(memory.WriteHeader(), TiffResult::kOk);
    ASSERT_EQ(memory.Write16(0), TiffResult::kOk);
    ASSERT_EQ(memory.Write32(0), TiffResult::kOk);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(memory.ReadAll(bytes), TiffResult::kOk);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    Sandbox sandbox;
    TiffStream created;
    ASSERT_EQ(TiffStream::CreateFile(sandbox / "w.tif", created), TiffResult::kOk);
    ASSERT_EQ(created.WriteHeader(kByteOrderBig, 0x10), TiffResult::kOk);
    std::uint32_t offset = 0;
    ASSERT_EQ(created.ReserveSpace(3, offset), TiffResult::kOk);
    TiffStream opened;
    ASSERT_EQ(TiffStream::OpenFile(sandbox / "w.tif", opened), TiffResult::kOk);
    ASSERT_EQ(opened.ReadAll(bytes), TiffResult::kOk);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 0x10, 0, 0, 0}));
    EXPECT_EQ(opened.Write16(1), TiffResult::kBadArgument);
    EXPECT_EQ(memory.Window(0, 10).Write16(1), TiffResult::kBadArgument);
    EXPECT_EQ(TiffStream::OpenFile(sandbox / "none.tif", opened), TiffResult::kDataMissing);
    EXPECT_EQ(TiffStream::OpenFile(sandbox.Path(), opened), TiffResult::kDataMissing);
}
