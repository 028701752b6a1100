#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/exif_reader.h"
#include "media_writers/exif_builder.h"

namespace {

TiffResult Open(ExifReader& reader, const Bytes& jpeg)
{
    return reader.OpenJpeg(TiffStream::FromBytes(jpeg));
}

Bytes CameraJpeg(Endian endian = Endian::kLittle, bool thumbnailDirectories = false)
{
    ExifBuilder builder = CameraExif(endian);
    builder.withIfd1Exif = builder.withIfd1Gps = thumbnailDirectories;
    builder.ifd1Exif.Short(0xA001, {1});
    builder.ifd1Gps.Ascii(0x0001, "N");
    return MakeExifJpeg(builder.Build().bytes);
}

// Tag, type and value bytes of every entry but the layout-dependent pointers.
std::vector<Bytes> AllValues(const ExifReader& reader)
{
    std::vector<Bytes> values;
    for (const TiffDirectory* directory :
         {reader.Primary(), reader.Exif(), reader.Interop(), reader.Gps(), reader.Thumbnail(),
          reader.ThumbnailExif(), reader.ThumbnailGps()}) {
        for (const TiffEntry& entry : directory ? directory->Entries() : std::span<const TiffEntry>()) {
            if (entry.tag == 0x8769 || entry.tag == 0x8825 || entry.tag == 0xA005 || entry.tag == 0x0201)
                continue;
            Bytes bytes;
            EXPECT_EQ(directory->ReadValueBytes(entry.tag, bytes), TiffResult::kOk);
            bytes.insert(bytes.begin(),
                         {static_cast<std::uint8_t>(entry.tag), static_cast<std::uint8_t>(entry.tag >> 8),
                          static_cast<std::uint8_t>(entry.type)});
            values.push_back(bytes);
        }
    }
    return values;
}

void ExpectNoTree(const ExifReader& reader)
{
    EXPECT_EQ(reader.Primary(), nullptr);
    EXPECT_EQ(reader.Exif(), nullptr);
    EXPECT_EQ(reader.Thumbnail(), nullptr);
    EXPECT_EQ(reader.Orientation(), 1001);
    EXPECT_TRUE(reader.App2Segments().empty());
}

} // namespace

TEST(ExifReader, BigEndianBlockYieldsSameValuesAsLittleEndian)
{
    ExifReader little;
    ExifReader big;
    ASSERT_EQ(Open(little, CameraJpeg(Endian::kLittle, true)), TiffResult::kOk);
    ASSERT_EQ(Open(big, CameraJpeg(Endian::kBig, true)), TiffResult::kOk);
    EXPECT_EQ(AllValues(little).size(), 31u);
    EXPECT_EQ(AllValues(little), AllValues(big));
    EXPECT_EQ(big.Orientation(), 6);
    EXPECT_EQ(big.ImageSize(), (PixelSize{640, 480}));
}

TEST(ExifReader, WithoutExifSegmentOrExifPointerThereIsNoExif)
{
    const Bytes tiff = CameraExif(Endian::kLittle).Build().bytes;
    Bytes notExif(6 + tiff.size());
    const Bytes signature = {'E', 'x', 'i', 'f', 'X', 0};
    std::copy(signature.begin(), signature.end(), notExif.begin());
    std::copy(tiff.begin(), tiff.end(), notExif.begin() + 6);
    ExifBuilder noPointer = CameraExif(Endian::kLittle);
    noPointer.withExif = false;
    ExifBuilder shortPointer = noPointer;
    shortPointer.ifd0.Short(0x8769, {8});
    Bytes afterScan = JpegBuilder().Sof(640, 480).Build();
    const Bytes late = JpegBuilder().ExifApp1(tiff).Build(false);
    afterScan.insert(afterScan.end() - 2, late.begin() + 2, late.end());

    const Bytes jpegs[] = {
        JpegBuilder()
            .Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0})
            .Sof(64, 48)
            .Build(), // XMP
        JpegBuilder().Sof(64, 48).Build(),
        JpegBuilder().Segment(0xE1, notExif).Sof(64, 48).Build(),
        MakeExifJpeg(noPointer.Build().bytes),
        MakeExifJpeg(shortPointer.Build().bytes),
        afterScan, // Exif after the scan header is picture data
    };
    for (const Bytes& jpeg : jpegs) {
        ExifReader reader;
        EXPECT_EQ(Open(reader, jpeg), TiffResult::kNoExif);
        ExpectNoTree(reader);
    }
}

TEST(ExifReader, InteropPointerOfZeroOrPastTheBlockMeansNoInteropDirectory)
{
    for (const std::uint32_t pointer : {0u, 0x7FFF0000u}) {
        for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
            ExifBuilder builder = CameraExif(endian);
            builder.withInterop = false;
            builder.exif.Long(0xA005, {pointer});
            ExifReader reader;
            ASSERT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), TiffResult::kOk) << pointer;
            EXPECT_NE(reader.Exif(), nullptr);
            EXPECT_EQ(reader.Interop(), nullptr);
            EXPECT_NE(reader.Gps(), nullptr);
            EXPECT_NE(reader.Thumbnail(), nullptr);
            EXPECT_EQ(reader.Orientation(), 6);
        }
    }
    // Just past the end is past the end; the last byte inside is inside, and broken.
    ExifBuilder builder = CameraExif(Endian::kLittle);
    builder.withInterop = false;
    builder.exif.Long(0xA005, {0});
    const std::uint32_t length = static_cast<std::uint32_t>(builder.Build().bytes.size());
    builder.exif.Drop(0xA005).Long(0xA005, {length});
    ExifReader reader;
    EXPECT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), TiffResult::kOk);
    builder.exif.Drop(0xA005).Long(0xA005, {length - 1});
    EXPECT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), TiffResult::kNoExif);
    ExpectNoTree(reader);
}

TEST(ExifReader, DamagedDirectoriesDiscardTheWholeTree)
{
    // clang-format off
    const struct { const char* what; void (*damage)(ExifBuilder&); TiffResult expected; } cases[] = {
        {"IFD1 outside", [](ExifBuilder& b) { b.ifd0.nextOffset = 0x7FFF0000; }, TiffResult::kEndOfFile},
        {"Exif outside", [](ExifBuilder& b) { b.ifd0.Long(0x8769, {0x7FFF0000}); }, TiffResult::kNoExif},
        // Inside the block, but what it points at is no directory (the count reads 0x4D00).
        {"interop broken", [](ExifBuilder& b) { b.exif.Long(0xA005, {1}); }, TiffResult::kNoExif},
        {"GPS outside", [](ExifBuilder& b) { b.ifd0.Long(0x8825, {0x7FFF0000}); }, TiffResult::kEndOfFile},
        {"IFD1's Exif outside", [](ExifBuilder& b) { b.ifd1.Long(0x8769, {0x7FFF0000}); }, TiffResult::kEndOfFile},
        {"IFD1's GPS outside", [](ExifBuilder& b) { b.ifd1.Long(0x8825, {0x7FFF0000}); }, TiffResult::kEndOfFile},
    };
    // clang-format on
    for (const auto& c : cases) {
        ExifBuilder builder = CameraExif(Endian::kBig);
        c.damage(builder);
        ExifReader reader;
        ASSERT_EQ(Open(reader, CameraJpeg()), TiffResult::kOk);
        EXPECT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), c.expected) << c.what;
        ExpectNoTree(reader);
    }
    // An IFD1 that declares 3000 entries.
    ExifLayout layout = CameraExif(Endian::kLittle).Build();
    layout.bytes[layout.ifd1] = 3000 & 0xFF;
    layout.bytes[layout.ifd1 + 1] = 3000 >> 8;
    layout.bytes.resize(layout.ifd1 + 2 + 12 * 3000 + 4, 0);
    ExifReader reader;
    EXPECT_EQ(Open(reader, MakeExifJpeg(layout.bytes)), TiffResult::kMalformed);
}

TEST(ExifReader, MarkerScanSkipsFillBytesTakesTheFirstExifAndFrameHeadersOnly)
{
    const Bytes tiff = CameraExif(Endian::kLittle).Build().bytes;
    ExifBuilder other = CameraExif(Endian::kLittle);
    other.ifd0.Drop(0x010F).Ascii(0x010F, "OTHER");
    const Bytes lookalike = {8, 0x01, 0x00, 0x02, 0x00, 3}; // would read as 512 x 256
    const Bytes jpeg = JpegBuilder()
                           .RawBytes({0xFF, 0xFF, 0xFF})
                           .Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0}) // too short to hold Exif
                           .ExifApp1(tiff)
                           .ExifApp1(other.Build().bytes)
                           .RawBytes({0xFF})
                           .Segment(0xC4, lookalike) // DHT, JPG and DAC share the SOF range
                           .Segment(0xC8, lookalike)
                           .Segment(0xCC, lookalike)
                           .Sof(800, 600, 0xC2)
                           .Sof(300, 200)
                           .Build();
    ExifReader reader;
    ASSERT_EQ(Open(reader, jpeg), TiffResult::kOk);
    EXPECT_EQ(reader.TiffHeaderPosition(), 2u + 3u + 10u + 4u + 6u);
    Bytes make;
    ASSERT_EQ(reader.Primary()->ReadValueBytes(0x010F, make), TiffResult::kOk);
    EXPECT_EQ(make.front(), 'K');
    EXPECT_EQ(reader.FrameSize(), (PixelSize{800, 600}));

    EXPECT_EQ(Open(reader, JpegBuilder().ExifApp1(tiff).RawBytes({0xFF, 0xFF, 0xFF}).Build(false)),
              TiffResult::kEndOfFile);
    EXPECT_EQ(Open(reader, JpegBuilder().ExifApp1(tiff).Sof(640, 480).Build(false)), TiffResult::kEndOfFile);
    // Stray bytes between segments are skipped, as the common decoders do.
    ASSERT_EQ(
        Open(reader, JpegBuilder().ExifApp1(tiff).RawBytes({0x00, 0x12, 0xFF, 0x00}).Sof(320, 240).Build()),
        TiffResult::kOk);
    EXPECT_EQ(reader.FrameSize(), (PixelSize{320, 240}));
    EXPECT_EQ(Open(reader, JpegBuilder().ExifApp1(tiff).RawBytes({0xFF, 0xC0, 0x00, 0x01}).Build()),
              TiffResult::kMalformed);
    EXPECT_EQ(Open(reader, Bytes{0xFF, 0xD9}), TiffResult::kMalformed);
    EXPECT_EQ(Open(reader, Bytes{}), TiffResult::kMalformed);
}

TEST(ExifReader, RecordsAtMost512App2Segments)
{
    JpegBuilder builder;
    builder.ExifApp1(CameraExif(Endian::kLittle).Build().bytes);
    for (int i = 0; i < 600; ++i)
        builder.Segment(0xE2, {'I', 'C', 'C', static_cast<std::uint8_t>(i)});
    const Bytes jpeg = builder.Sof(640, 480).Build();
    ExifReader reader;
    ASSERT_EQ(Open(reader, jpeg), TiffResult::kOk);
    ASSERT_EQ(reader.App2Segments().size(), 512u);
    for (const App2Segment& segment : reader.App2Segments()) {
        ASSERT_EQ(jpeg[segment.position + 1], 0xE2);
        ASSERT_EQ(segment.length, 6);
    }
    EXPECT_EQ(jpeg[reader.App2Segments()[511].position + 7], 511 & 0xFF);
}

TEST(ExifReader, ImageSizeTrustsExifUnlessTheFrameIsSmaller)
{
    // clang-format off
    const struct { const char* what; void (*exif)(IfdBuilder&); PixelSize frame, expected; } cases[] = {
        {"agree", [](IfdBuilder& e) { e.Long(0xA002, {1600}).Long(0xA003, {1200}); }, {1600, 1200}, {1600, 1200}},
        {"Exif larger", [](IfdBuilder& e) { e.Long(0xA002, {3000}).Long(0xA003, {2000}); }, {1600, 1200}, {1600, 1200}},
        {"Exif taller", [](IfdBuilder& e) { e.Long(0xA002, {800}).Long(0xA003, {2000}); }, {1600, 1200}, {1600, 1200}},
        {"Exif smaller", [](IfdBuilder& e) { e.Short(0xA002, {1000}).Short(0xA003, {750}); }, {1600, 1200}, {1000, 750}},
        {"width only", [](IfdBuilder& e) { e.Short(0xA002, {1000}); }, {1600, 1200}, {1000, 1200}},
        {"malformed", [](IfdBuilder& e) { e.Rational(0xA002, {{1, 1}}).Long(0xA003, {1, 2}); }, {1600, 1200}, {1600, 1200}},
        {"zero", [](IfdBuilder& e) { e.Long(0xA002, {0}).Short(0xA003, {0}); }, {800, 346}, {800, 346}},
    };
    // clang-format on
    for (const auto& c : cases) {
        ExifBuilder builder(Endian::kLittle);
        c.exif(builder.exif);
        ExifReader reader;
        const auto w = static_cast<std::uint16_t>(c.frame.width);
        const auto h = static_cast<std::uint16_t>(c.frame.height);
        ASSERT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes, w, h)), TiffResult::kOk);
        EXPECT_EQ(reader.ImageSize(), c.expected) << c.what;
    }
}

TEST(ExifReader, OrientationIsOneShortOtherwiseUpright)
{
    ExifBuilder builder(Endian::kBig);
    builder.ifd0.Long(0x0112, {8});
    builder.withIfd1 = true;
    builder.ifd1.Short(0x0112, {8});
    ExifReader reader;
    ASSERT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), TiffResult::kOk);
    EXPECT_EQ(reader.Orientation(), 1);
    EXPECT_EQ(reader.ThumbnailOrientation(), 8);
    ASSERT_EQ(Open(reader, CameraJpeg()), TiffResult::kOk);
    EXPECT_EQ(reader.Orientation(), 6);
    EXPECT_EQ(reader.ThumbnailOrientation(), 1);
    ASSERT_EQ(Open(reader, MakeExifJpeg(ExifBuilder().Build().bytes)), TiffResult::kOk);
    EXPECT_EQ(reader.ThumbnailOrientation(), 1);
}

TEST(ExifReader, ThumbnailIsReadOrRefusedWithItsCode)
{
    // clang-format off
    const struct { const char* what; void (*change)(ExifBuilder&); TiffResult expected; } cases[] = {
        {"present", [](ExifBuilder&) {}, TiffResult::kOk},
        {"no IFD1", [](ExifBuilder& b) { b.withIfd1 = false; }, TiffResult::kNotReady},
        {"offset as SHORT", [](ExifBuilder& b) { b.ifd1.Short(0x0201, {100}); }, TiffResult::kWrongTag},
        {"two lengths", [](ExifBuilder& b) { b.ifd1.Long(0x0202, {100, 1}); }, TiffResult::kWrongTag},
        {"above 65535", [](ExifBuilder& b) { b.ifd1.Long(0x0202, {65536}); }, TiffResult::kThumbnailTooLarge},
        {"no offset", [](ExifBuilder& b) { b.thumbnail.clear(); b.ifd1.Long(0x0202, {100}); }, TiffResult::kDataMissing},
        {"offset 0", [](ExifBuilder& b) { b.ifd1.Long(0x0201, {0}).Long(0x0202, {100}); }, TiffResult::kDataMissing},
        {"length 3", [](ExifBuilder& b) { b.ifd1.Long(0x0202, {3}); }, TiffResult::kDataMissing},
        {"outside", [](ExifBuilder& b) { b.ifd1.Long(0x0201, {0xFFFFFF}).Long(0x0202, {100}); }, TiffResult::kEndOfFile},
    };
    // clang-format on
    const Bytes thumbnail = CameraExif(Endian::kLittle).thumbnail;
    for (const auto& c : cases) {
        ExifBuilder builder = CameraExif(Endian::kBig);
        c.change(builder);
        ExifReader reader;
        ASSERT_EQ(Open(reader, MakeExifJpeg(builder.Build().bytes)), TiffResult::kOk) << c.what;
        Bytes bytes;
        EXPECT_EQ(reader.ReadThumbnail(bytes), c.expected) << c.what;
        EXPECT_EQ(bytes == thumbnail, c.expected == TiffResult::kOk) << c.what;
    }

    ExifReader reader;
    ASSERT_EQ(Open(reader, CameraJpeg()), TiffResult::kOk);
    Bytes small(thumbnail.size() - 1);
    EXPECT_EQ(reader.ReadThumbnail(std::span(small)), TiffResult::kBadArgument);
    PixelSize size;
    ASSERT_EQ(reader.ThumbnailPixelSize(size), TiffResult::kOk); // from its own frame header
    EXPECT_EQ(size, (PixelSize{160, 120}));
    ExifBuilder tagged = CameraExif(Endian::kLittle);
    tagged.ifd1.Short(0x0100, {120}).Long(0x0101, {160});
    ASSERT_EQ(Open(reader, MakeExifJpeg(tagged.Build().bytes)), TiffResult::kOk);
    ASSERT_EQ(reader.ThumbnailPixelSize(size), TiffResult::kOk);
    EXPECT_EQ(size, (PixelSize{120, 160}));
    ExifBuilder garbage = CameraExif(Endian::kLittle);
    garbage.thumbnail = Bytes(100, 0x55);
    ASSERT_EQ(Open(reader, MakeExifJpeg(garbage.Build().bytes)), TiffResult::kOk);
    EXPECT_EQ(reader.ThumbnailPixelSize(size), TiffResult::kMalformed);
}

TEST(ExifReader, TiffFilesReadTheirOwnTreeThroughTheGivenPointerTag)
{
    ExifBuilder builder = CameraExif(Endian::kBig);
    builder.exifPointerTag = kTiff16ExifPointerTag;
    builder.ifd0.Long(0x0100, {4000}).Short(0x0101, {3000});
    const Bytes tiff = builder.Build().bytes;
    ExifReader reader;
    // Through the usual pointer tag the file is a TIFF without Exif: its own IFD0 still counts.
    ASSERT_EQ(reader.OpenTiff(TiffStream::FromBytes(tiff)), TiffResult::kOk);
    EXPECT_EQ(reader.Exif(), nullptr);
    ASSERT_NE(reader.Primary(), nullptr);
    EXPECT_NE(reader.Primary()->Find(0x010F), nullptr);
    Sandbox sandbox;
    ASSERT_EQ(reader.OpenTiffFile(sandbox.WriteFile("p.tif", AsText(tiff)), kTiff16ExifPointerTag),
              TiffResult::kOk);
    EXPECT_EQ(reader.FrameSize(), (PixelSize{4000, 3000}));
    EXPECT_EQ(reader.ImageSize(), (PixelSize{640, 480}));
    Bytes bytes;
    ASSERT_EQ(reader.ReadThumbnail(bytes), TiffResult::kOk);
    EXPECT_EQ(bytes, builder.thumbnail);

    ASSERT_EQ(reader.OpenJpegFile(sandbox.WriteFile("a.jpg", AsText(CameraJpeg(Endian::kBig)))),
              TiffResult::kOk);
    EXPECT_EQ(reader.Orientation(), 6);
    EXPECT_EQ(reader.OpenJpegFile(sandbox / "missing.jpg"), TiffResult::kDataMissing);
}
