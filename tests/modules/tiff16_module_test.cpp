// The 16-bit TIFF module through its seventeen entry points, loaded as the program loads it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "fixtures/sandbox.h"
#include "fixtures/tiff_writer.h"
#include "formats/tiff16_binding.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "media_writers/exif_builder.h"

namespace {

const Tiff16Library& Module()
{
    static const Tiff16Library library(VISTREL_TIFF16_MODULE_PATH);
    return library;
}

const Tiff16Exports& Calls()
{
    return Module().Exports();
}

std::uint32_t Value(std::uint32_t x, std::uint32_t y, std::uint32_t channel)
{
    return (x * 30 + y * 11 + channel * 70 + 3) & 0xFF;
}

// 16-bit samples of 257 x v, which any sensible scaling turns into v.
TiffPictureSpec Picture16(std::uint32_t width, std::uint32_t height)
{
    TiffPictureSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitsPerSample = 16;
    spec.sample
        = [](std::uint32_t x, std::uint32_t y, std::uint32_t channel) { return 257 * Value(x, y, channel); };
    return spec;
}

// Opens a context and closes it at the end of the scope.
class Context {
public:
    explicit Context(const std::string& path) { m_openResult = Calls().open(path.c_str(), &m_context); }
    ~Context()
    {
        if (m_context.opened)
            Calls().close(&m_context);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    std::uint16_t OpenResult() const { return m_openResult; }
    QWTiff16Context* operator->() { return &m_context; }
    QWTiff16Context* Get() { return &m_context; }

private:
    QWTiff16Context m_context{};
    std::uint16_t m_openResult = 0;
};

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16
        | std::uint32_t{bytes[at + 3]} << 24;
}

// Blue, green and red of pixel x in row `slot` of a packed bitmap.
std::array<std::uint8_t, 3> PackedPixel(const std::vector<std::uint8_t>& packed, std::uint32_t width,
                                        std::uint32_t slot, std::uint32_t x)
{
    const std::size_t at = 40 + std::size_t{slot} * DibImage::StrideFor(width, 24) + std::size_t{x} * 3;
    return {packed[at], packed[at + 1], packed[at + 2]};
}

std::array<std::uint8_t, 3> ExpectedPixel(std::uint32_t x, std::uint32_t y)
{
    return {static_cast<std::uint8_t>(Value(x, y, 2)), static_cast<std::uint8_t>(Value(x, y, 1)),
            static_cast<std::uint8_t>(Value(x, y, 0))};
}

// A 16-bit RGB file laid out by hand with tags for the queries, and an Exif directory hung off
// `pointerTag` (none when 0).
Bytes TaggedFile(Endian endian, std::uint16_t pointerTag)
{
    ExifBuilder builder(endian);
    builder.ifd0.Long(0x0100, {2})
        .Long(0x0101, {1})
        .Short(0x0102, {16, 16, 16})
        .Short(0x0103, {1})
        .Short(0x0106, {2})
        .Ascii(0x010F, "KAVORINE")
        .Long(0x0111, {0})
        .Short(0x0115, {3})
        .Long(0x0116, {1})
        .Long(0x0117, {12})
        .Rational(0x011A, {{300, 1}})
        .Short(0x011C, {1});
    builder.withExif = pointerTag != 0;
    builder.exifPointerTag = pointerTag != 0 ? pointerTag : kExifPointerTag;
    builder.exif.Ascii(0x9003, "2011:02:03 04:05:06").Short(0xA002, {2});
    Bytes bytes = builder.Build().bytes;
    const auto end = static_cast<std::uint32_t>(bytes.size());
    for (FixtureEntry& entry : builder.ifd0.entries) {
        if (entry.tag == 0x0111)
            entry.value = {static_cast<std::uint8_t>(end), static_cast<std::uint8_t>(end >> 8), 0, 0};
    }
    bytes = builder.Build().bytes;
    bytes.insert(bytes.end(), 12, 0x11);
    return bytes;
}

} // namespace

TEST(Tiff16Module, LoadsAllSeventeenEntryPointsAndDescribesItself)
{
    ASSERT_TRUE(Module().IsUsable()) << Module().ErrorText();
    const Tiff16Exports& calls = Calls();
    const std::array<const void*, 17> entries = {
        reinterpret_cast<const void*>(calls.init),
        reinterpret_cast<const void*>(calls.exit),
        reinterpret_cast<const void*>(calls.getLibInfo),
        reinterpret_cast<const void*>(calls.getSize),
        reinterpret_cast<const void*>(calls.open),
        reinterpret_cast<const void*>(calls.close),
        reinterpret_cast<const void*>(calls.isTarget),
        reinterpret_cast<const void*>(calls.readImage),
        reinterpret_cast<const void*>(calls.readImageEx),
        reinterpret_cast<const void*>(calls.readThumbnail),
        reinterpret_cast<const void*>(calls.readThumbnailEx),
        reinterpret_cast<const void*>(calls.parseHeader),
        reinterpret_cast<const void*>(calls.parseExifHeader),
        reinterpret_cast<const void*>(calls.queryHeaderType),
        reinterpret_cast<const void*>(calls.queryHeader),
        reinterpret_cast<const void*>(calls.queryExifHeaderType),
        reinterpret_cast<const void*>(calls.queryExifHeader),
    };
    for (const void* entry : entries)
        EXPECT_NE(entry, nullptr);
    const QWTiff16LibInfo& info = Module().LibInfo();
    EXPECT_EQ(info.structSize, sizeof(QWTiff16LibInfo));
    EXPECT_EQ(info.apiVersion, QWTIFF16_API_VERSION);
    EXPECT_EQ(info.maxPixels, kMaxPicturePixels);
    EXPECT_EQ(info.thumbnailBoxWidth, 160u);
    EXPECT_EQ(info.thumbnailBoxHeight, 120u);
    EXPECT_STREQ(info.name, "QWTIFF16");
    EXPECT_EQ(std::string(info.decoderVersion).rfind("LIBTIFF", 0), 0u) << info.decoderVersion;
    EXPECT_EQ(std::string(info.decoderVersion).find('\n'), std::string::npos);
}

TEST(Tiff16Module, AMissingModuleOrEntryPointLeavesTheBindingUnusable)
{
    Sandbox sandbox;
    const Tiff16Library missing(sandbox / "System/QWTIFF16.so");
    EXPECT_EQ(missing.ErrorCode(), kTiff16ModuleMissing);
    EXPECT_NE(missing.ErrorText(), "");
    // libtiff itself loads fine but has none of the entry points.
    const Tiff16Library foreign("libtiff.so.6");
    EXPECT_EQ(foreign.ErrorCode(), kTiff16ExportMissing);
    EXPECT_EQ(foreign.ErrorText(), "QWTiff16Init");

    const std::string path = sandbox / "sixteen.tif";
    WriteTiffFile(path, {Picture16(4, 4)});
    EXPECT_TRUE(Module().IsTiff16(path));
    for (const Tiff16Library* library : {&missing, &foreign}) {
        EXPECT_FALSE(library->IsTiff16(path));
        DibImage image;
        int code = 1;
        try {
            library->ReadImage(path, image);
        } catch (const MediaError& error) {
            code = error.code;
        }
        EXPECT_EQ(code, kMediaUnreadable);
    }
}

TEST(Tiff16Module, InitAndExitAreCounted)
{
    Sandbox sandbox;
    const std::string path = sandbox / "sixteen.tif";
    WriteTiffFile(path, {Picture16(4, 4)});
    // Every binding in this process shares the module and its count: take it down to zero.
    int balanced = 0;
    while (Calls().exit() == QWTIFF16_OK)
        ++balanced;
    ASSERT_GE(balanced, 1);
    {
        Context context(path);
        EXPECT_EQ(context.OpenResult(), QWTIFF16_E_NOT_INITIALISED);
        EXPECT_EQ(context->opened, 0u);
    }
    for (int i = 0; i < balanced; ++i)
        ASSERT_EQ(Calls().init(), QWTIFF16_OK);
    Context context(path);
    EXPECT_EQ(context.OpenResult(), QWTIFF16_OK);
}

TEST(Tiff16Module, OpenIsTargetAndCloseFollowTheContextRules)
{
    Sandbox sandbox;
    const std::string sixteen = sandbox / "sixteen.tif";
    TiffPictureSpec spec = Picture16(5, 3);
    spec.orientation = 6;
    WriteTiffFile(sixteen, {spec});
    TiffPictureSpec eightBits = spec;
    eightBits.bitsPerSample = 8;
    eightBits.sample = Value;
    const std::string eight = sandbox / "eight.tif";
    WriteTiffFile(eight, {eightBits});

    QWTiff16Context context{};
    ASSERT_EQ(Calls().open(sixteen.c_str(), &context), QWTIFF16_OK);
    EXPECT_EQ(context.opened, 1u);
    EXPECT_NE(context.handle, nullptr);
    EXPECT_EQ(context.imageBufferSize, 40u + 16u * 3u);
    // An open context is not opened over.
    EXPECT_EQ(Calls().open(sixteen.c_str(), &context), QWTIFF16_E_ARGUMENT);
    QWTiff16TargetInfo info{};
    EXPECT_EQ(Calls().isTarget(&context, &info), QWTIFF16_OK);
    EXPECT_EQ(info.width, 5u);
    EXPECT_EQ(info.height, 3u);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.samplesPerPixel, 3);
    EXPECT_EQ(info.photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(info.orientation, 6);
    EXPECT_EQ(info.thumbnailWidth, 5u); // smaller than the box: made at the picture's size
    EXPECT_EQ(info.thumbnailHeight, 3u);
    EXPECT_EQ(info.flags, 0u);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_EQ(Calls().getSize(&context, &width, &height), QWTIFF16_OK);
    EXPECT_EQ(width, 5u);
    EXPECT_EQ(height, 3u);
    EXPECT_EQ(Calls().close(&context), QWTIFF16_OK);
    EXPECT_EQ(context.opened, 0u);
    EXPECT_EQ(context.handle, nullptr);
    EXPECT_EQ(Calls().close(&context), QWTIFF16_E_NOT_OPEN);
    EXPECT_EQ(Calls().isTarget(&context, &info), QWTIFF16_E_NOT_OPEN);

    // An 8-bit TIFF opens, has a size, and is no target.
    {
        Context context8(eight);
        ASSERT_EQ(context8.OpenResult(), QWTIFF16_OK);
        EXPECT_EQ(Calls().isTarget(context8.Get(), &info), QWTIFF16_E_NOT_TARGET);
        EXPECT_EQ(context8->imageBufferSize, 0u);
        EXPECT_EQ(Calls().getSize(context8.Get(), &width, &height), QWTIFF16_OK);
        EXPECT_EQ(width, 5u);
        std::vector<std::uint8_t> buffer(1024);
        EXPECT_EQ(Calls().readImage(context8.Get(), buffer.data(), buffer.size()), QWTIFF16_E_NOT_TARGET);
    }
    Context missing(sandbox / "missing.tif");
    EXPECT_EQ(missing.OpenResult(), QWTIFF16_E_OPEN);
    EXPECT_EQ(missing->opened, 0u);
    Context text(sandbox.WriteFile("text.tif", "plain text, no picture"));
    EXPECT_EQ(text.OpenResult(), QWTIFF16_E_OPEN);
    const std::string pipe = sandbox / "pipe.tif";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Context fifo(pipe); // must not wait for a writer
    EXPECT_EQ(fifo.OpenResult(), QWTIFF16_E_OPEN);
    EXPECT_EQ(Calls().open(nullptr, &context), QWTIFF16_E_ARGUMENT);
}

TEST(Tiff16Module, ReadImageGivesBottomUpRowsAndTheExReadTopDownOnes)
{
    Sandbox sandbox;
    const std::string path = sandbox / "sixteen.tif";
    WriteTiffFile(path, {Picture16(5, 3)});
    Context context(path);
    ASSERT_EQ(context.OpenResult(), QWTIFF16_OK);
    const std::uint64_t size = context->imageBufferSize;
    ASSERT_EQ(size, 40u + 16u * 3u);

    std::vector<std::uint8_t> bottomUp(size, 0xEE);
    ASSERT_EQ(Calls().readImage(context.Get(), bottomUp.data(), size), QWTIFF16_OK);
    EXPECT_EQ(Get32(bottomUp, 0), 40u);
    EXPECT_EQ(Get32(bottomUp, 4), 5u);
    EXPECT_EQ(static_cast<std::int32_t>(Get32(bottomUp, 8)), 3);
    EXPECT_EQ(bottomUp[12], 1);  // planes
    EXPECT_EQ(bottomUp[14], 24); // bits per pixel
    EXPECT_EQ(Get32(bottomUp, 16), 0u);
    EXPECT_EQ(Get32(bottomUp, 20), 16u * 3u);
    std::vector<std::uint8_t> topDown(size, 0xEE);
    ASSERT_EQ(Calls().readImageEx(context.Get(), topDown.data(), size, QWTIFF16_READ_TOP_DOWN), QWTIFF16_OK);
    EXPECT_EQ(static_cast<std::int32_t>(Get32(topDown, 8)), -3);
    for (std::uint32_t y = 0; y < 3; ++y) {
        for (std::uint32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(PackedPixel(topDown, 5, y, x), ExpectedPixel(x, y)) << x << ", " << y;
            EXPECT_EQ(PackedPixel(bottomUp, 5, 2 - y, x), ExpectedPixel(x, y)) << x << ", " << y;
        }
        EXPECT_EQ(topDown[40 + y * 16 + 15], 0); // padding
        EXPECT_EQ(bottomUp[40 + y * 16 + 15], 0);
    }
    // The binding turns the bottom-up result upright.
    DibImage image;
    Module().ReadImage(path, image);
    ASSERT_EQ(image.Height(), 3u);
    EXPECT_EQ(image.Pixel(0, 0), std::uint32_t{Value(0, 0, 0)} << 16 | Value(0, 0, 1) << 8 | Value(0, 0, 2));

    std::vector<std::uint8_t> small(size - 1);
    EXPECT_EQ(Calls().readImage(context.Get(), small.data(), small.size()), QWTIFF16_E_BUFFER);
    EXPECT_EQ(Calls().readImageEx(context.Get(), topDown.data(), size, 0x80), QWTIFF16_E_ARGUMENT);
    EXPECT_EQ(Calls().readImage(context.Get(), nullptr, size), QWTIFF16_E_ARGUMENT);
}

TEST(Tiff16Module, ReadsGreyPlanarTiledAndCompressedPictures)
{
    struct Variant {
        const char* name;
        std::uint16_t samples;
        std::uint16_t photometric;
        std::uint16_t planarConfig;
        std::uint32_t tileSize;
        std::uint16_t compression;
        std::uint16_t predictor;
    };
    const Variant variants[] = {
        {"rgb planes", 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 0, COMPRESSION_NONE, 1},
        {"rgb tiles", 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 16, COMPRESSION_NONE, 1},
        {"rgb tiled planes", 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 16, COMPRESSION_LZW, 1},
        {"rgb lzw predictor", 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, COMPRESSION_LZW, 2},
        {"rgba deflate", 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, COMPRESSION_ADOBE_DEFLATE, 1},
        {"grey", 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, COMPRESSION_NONE, 1},
        {"white is zero", 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, 0, COMPRESSION_PACKBITS, 1},
    };
    Sandbox sandbox;
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        TiffPictureSpec spec = Picture16(37, 21);
        spec.samplesPerPixel = variant.samples;
        spec.photometric = variant.photometric;
        spec.planarConfig = variant.planarConfig;
        spec.tileSize = variant.tileSize;
        spec.compression = variant.compression;
        spec.predictor = variant.predictor;
        spec.rowsPerStrip = 5;
        const std::string path = sandbox / (std::string(variant.name) + ".tif");
        WriteTiffFile(path, {spec});
        DibImage image;
        Module().ReadImage(path, image);
        ASSERT_EQ(image.Width(), 37u);
        ASSERT_EQ(image.Height(), 21u);
        for (std::uint32_t y = 0; y < 21; ++y) {
            for (std::uint32_t x = 0; x < 37; ++x) {
                std::uint32_t expected = Value(x, y, 0) << 16 | Value(x, y, 1) << 8 | Value(x, y, 2);
                if (variant.samples == 1) {
                    const std::uint32_t grey = variant.photometric == PHOTOMETRIC_MINISWHITE
                        ? 255 - Value(x, y, 0)
                        : Value(x, y, 0);
                    expected = grey << 16 | grey << 8 | grey;
                }
                ASSERT_EQ(image.Pixel(x, y), expected) << x << ", " << y;
            }
        }
    }
}

TEST(Tiff16Module, ThumbnailIsTheReducedImageOrAnAverageOfThePicture)
{
    Sandbox sandbox;
    // Every 2 x 2 block holds 20, 120, 70 and 170 (times 257): the average is 95 everywhere.
    TiffPictureSpec picture = Picture16(320, 240);
    picture.samplesPerPixel = 1;
    picture.photometric = PHOTOMETRIC_MINISBLACK;
    picture.sample = [](std::uint32_t x, std::uint32_t y, std::uint32_t) {
        return 257 * (20 + x % 2 * 100 + y % 2 * 50);
    };
    const std::string made = sandbox / "made.tif";
    WriteTiffFile(made, {picture});
    {
        Context context(made);
        QWTiff16TargetInfo info{};
        ASSERT_EQ(Calls().isTarget(context.Get(), &info), QWTIFF16_OK);
        EXPECT_EQ(info.flags, 0u);
        EXPECT_EQ(info.thumbnailWidth, 160u);
        EXPECT_EQ(info.thumbnailHeight, 120u);
        std::vector<std::uint8_t> packed(context->thumbnailBufferSize);
        ASSERT_EQ(
            Calls().readThumbnailEx(context.Get(), packed.data(), packed.size(), QWTIFF16_READ_TOP_DOWN),
            QWTIFF16_OK);
        EXPECT_EQ(static_cast<std::int32_t>(Get32(packed, 8)), -120);
        for (std::uint32_t y = 0; y < 120; ++y) {
            for (std::uint32_t x = 0; x < 160; ++x)
                ASSERT_EQ(PackedPixel(packed, 160, y, x), (std::array<std::uint8_t, 3>{95, 95, 95}))
                    << x << ", " << y;
        }
    }
    // A wide picture keeps its shape inside the 160 x 120 box.
    const std::string wide = sandbox / "wide.tif";
    WriteTiffFile(wide, {Picture16(400, 100)});
    {
        Context context(wide);
        QWTiff16TargetInfo info{};
        ASSERT_EQ(Calls().isTarget(context.Get(), &info), QWTIFF16_OK);
        EXPECT_EQ(info.thumbnailWidth, 160u);
        EXPECT_EQ(info.thumbnailHeight, 40u);
    }
    // IFD1's reduced image, at 16 or 8 bits, is taken as it is.
    for (std::uint16_t bits : {16, 8}) {
        SCOPED_TRACE(bits);
        TiffPictureSpec reduced = Picture16(8, 6);
        reduced.subfileType = FILETYPE_REDUCEDIMAGE;
        if (bits == 8) {
            reduced.bitsPerSample = 8;
            reduced.sample = Value;
        }
        const std::string embedded = sandbox / ("embedded" + std::to_string(bits) + ".tif");
        WriteTiffFile(embedded, {Picture16(64, 48), reduced});
        Context context(embedded);
        QWTiff16TargetInfo info{};
        ASSERT_EQ(Calls().isTarget(context.Get(), &info), QWTIFF16_OK);
        EXPECT_EQ(info.flags, QWTIFF16_THUMBNAIL_EMBEDDED);
        EXPECT_EQ(info.thumbnailWidth, 8u);
        EXPECT_EQ(info.thumbnailHeight, 6u);
        std::vector<std::uint8_t> packed(context->thumbnailBufferSize);
        ASSERT_EQ(Calls().readThumbnail(context.Get(), packed.data(), packed.size()), QWTIFF16_OK);
        EXPECT_EQ(PackedPixel(packed, 8, 5, 0), ExpectedPixel(0, 0)); // bottom-up: top row last
        EXPECT_EQ(PackedPixel(packed, 8, 0, 7), ExpectedPixel(7, 5));
        // The picture is still readable after the thumbnail on the same context.
        std::vector<std::uint8_t> image(context->imageBufferSize);
        ASSERT_EQ(Calls().readImageEx(context.Get(), image.data(), image.size(), QWTIFF16_READ_TOP_DOWN),
                  QWTIFF16_OK);
        EXPECT_EQ(PackedPixel(image, 64, 47, 63), ExpectedPixel(63, 47));
    }
}

TEST(Tiff16Module, AnswersTagQueriesFromTheFirstAndTheExifDirectory)
{
    Sandbox sandbox;
    for (Endian endian : {Endian::kLittle, Endian::kBig}) {
        SCOPED_TRACE(endian == Endian::kLittle ? "little" : "big");
        for (std::uint16_t pointerTag : {kTiff16ExifPointerTag, kExifPointerTag}) {
            const std::string path = sandbox.WriteFile("tagged.tif", AsText(TaggedFile(endian, pointerTag)));
            Context context(path);
            ASSERT_EQ(context.OpenResult(), QWTIFF16_OK);
            QWTiff16TagInfo info{};
            EXPECT_EQ(Calls().queryHeaderType(context.Get(), 0x0100, &info), QWTIFF16_E_NOT_PARSED);
            EXPECT_EQ(Calls().queryExifHeaderType(context.Get(), 0x9003, &info), QWTIFF16_E_NOT_PARSED);
            ASSERT_EQ(Calls().parseHeader(context.Get()), QWTIFF16_OK);

            ASSERT_EQ(Calls().queryHeaderType(context.Get(), 0x0102, &info), QWTIFF16_OK);
            EXPECT_EQ(info.tag, 0x0102);
            EXPECT_EQ(info.type, 3);
            EXPECT_EQ(info.count, 3u);
            EXPECT_EQ(info.byteSize, 6u);
            std::array<std::uint16_t, 3> bits{};
            ASSERT_EQ(Calls().queryHeader(context.Get(), 0x0102, bits.data(), sizeof bits), QWTIFF16_OK);
            EXPECT_EQ(bits, (std::array<std::uint16_t, 3>{16, 16, 16}));
            EXPECT_EQ(Calls().queryHeader(context.Get(), 0x0102, bits.data(), 5), QWTIFF16_E_BUFFER);
            std::array<std::uint32_t, 2> resolution{};
            ASSERT_EQ(Calls().queryHeader(context.Get(), 0x011A, resolution.data(), sizeof resolution),
                      QWTIFF16_OK);
            EXPECT_EQ(resolution, (std::array<std::uint32_t, 2>{300, 1}));
            char make[16] = {};
            ASSERT_EQ(Calls().queryHeader(context.Get(), 0x010F, make, sizeof make), QWTIFF16_OK);
            EXPECT_STREQ(make, "KAVORINE");
            EXPECT_EQ(Calls().queryHeaderType(context.Get(), 0x9999, &info), QWTIFF16_E_NO_TAG);

            ASSERT_EQ(Calls().parseExifHeader(context.Get()), QWTIFF16_OK);
            ASSERT_EQ(Calls().queryExifHeaderType(context.Get(), 0x9003, &info), QWTIFF16_OK);
            EXPECT_EQ(info.type, 2);
            EXPECT_EQ(info.count, 20u);
            char date[20] = {};
            ASSERT_EQ(Calls().queryExifHeader(context.Get(), 0x9003, date, sizeof date), QWTIFF16_OK);
            EXPECT_STREQ(date, "2011:02:03 04:05:06");
            std::uint16_t width = 0;
            ASSERT_EQ(Calls().queryExifHeader(context.Get(), 0xA002, &width, sizeof width), QWTIFF16_OK);
            EXPECT_EQ(width, 2);
            EXPECT_EQ(Calls().queryExifHeader(context.Get(), 0x0102, bits.data(), sizeof bits),
                      QWTIFF16_E_NO_TAG);
        }
        const std::string plain = sandbox.WriteFile("plain.tif", AsText(TaggedFile(endian, 0)));
        Context context(plain);
        EXPECT_EQ(Calls().parseExifHeader(context.Get()), QWTIFF16_E_NO_EXIF);
    }
}

TEST(Tiff16Module, DamagedFilesGiveCodesAtEveryTruncation)
{
    Sandbox sandbox;
    TiffPictureSpec spec = Picture16(20, 10);
    spec.compression = COMPRESSION_LZW;
    spec.rowsPerStrip = 2;
    TiffPictureSpec reduced = Picture16(5, 3);
    reduced.subfileType = FILETYPE_REDUCEDIMAGE;
    const std::string whole = sandbox / "whole.tif";
    WriteTiffFile(whole, {spec, reduced});
    const std::size_t size = std::filesystem::file_size(whole);
    int read = 0;
    // From the whole file down to nothing, one byte at a time.
    for (std::size_t length = size; length-- > 0;) {
        std::filesystem::resize_file(whole, length);
        Context context(whole);
        if (context.OpenResult() != QWTIFF16_OK) {
            EXPECT_EQ(context.OpenResult(), QWTIFF16_E_OPEN) << length;
            continue;
        }
        QWTiff16TargetInfo info{};
        if (Calls().isTarget(context.Get(), &info) != QWTIFF16_OK)
            continue;
        std::vector<std::uint8_t> image(context->imageBufferSize);
        std::vector<std::uint8_t> thumbnail(context->thumbnailBufferSize);
        const std::uint16_t imageResult = Calls().readImage(context.Get(), image.data(), image.size());
        const std::uint16_t thumbnailResult
            = Calls().readThumbnail(context.Get(), thumbnail.data(), thumbnail.size());
        EXPECT_TRUE(imageResult == QWTIFF16_OK || imageResult == QWTIFF16_E_DECODE
                    || imageResult == QWTIFF16_E_MALFORMED)
            << length << ": " << imageResult;
        EXPECT_TRUE(thumbnailResult == QWTIFF16_OK || thumbnailResult == QWTIFF16_E_DECODE
                    || thumbnailResult == QWTIFF16_E_MALFORMED)
            << length << ": " << thumbnailResult;
        read += imageResult == QWTIFF16_OK;
        Calls().parseHeader(context.Get());
        Calls().parseExifHeader(context.Get());
    }
    // Cut short inside the pixels, a file is never read as if whole.
    EXPECT_LT(read, static_cast<int>(size) / 2);
}
