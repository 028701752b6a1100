#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "fixtures/sandbox.h"
#include "fixtures/tiff_writer.h"
#include "formats/exif_reader.h"
#include "formats/tiff16_binding.h"
#include "formats/tiff_picture.h"
#include "framework/program_folder.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "media_writers/exif_builder.h"

namespace {

constexpr int kNoError = 1;

template <typename Body> int CodeOf(Body&& body)
{
    try {
        body();
    } catch (const MediaError& error) {
        return error.code;
    }
    return kNoError;
}

std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return red << 16 | green << 8 | blue;
}

// A picture whose channels all differ from pixel to pixel.
std::uint32_t Channel(std::uint32_t x, std::uint32_t y, std::uint32_t channel)
{
    const std::array<std::uint32_t, 4> values = {x * 40 + 10, y * 70 + 5, (x + y) * 20 + 1, 255};
    return values[channel] & 0xFF;
}

std::uint32_t Expected(std::uint32_t x, std::uint32_t y)
{
    return Rgb(Channel(x, y, 0), Channel(x, y, 1), Channel(x, y, 2));
}

TiffPictureSpec Rgb8(std::uint32_t width, std::uint32_t height)
{
    TiffPictureSpec spec;
    spec.width = width;
    spec.height = height;
    spec.sample = Channel;
    return spec;
}

// The same picture at 16 bits: 257 x v stands for v at any sensible scaling.
TiffPictureSpec Rgb16(std::uint32_t width, std::uint32_t height)
{
    TiffPictureSpec spec = Rgb8(width, height);
    spec.bitsPerSample = 16;
    spec.sample = [](std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
        return 257 * Channel(x, y, channel);
    };
    return spec;
}

void ExpectPicture(const DibImage& image, std::uint32_t width, std::uint32_t height,
                   const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& expected)
{
    ASSERT_EQ(image.Width(), width);
    ASSERT_EQ(image.Height(), height);
    ASSERT_EQ(image.BitsPerPixel(), 24u);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(image.Pixel(x, y), expected(x, y)) << "at " << x << ", " << y;
    }
}

std::string WriteTiff(const Sandbox& sandbox, const std::string& name,
                      const std::vector<TiffPictureSpec>& directories)
{
    const std::string path = sandbox / name;
    WriteTiffFile(path, directories);
    return path;
}

DibImage ReadPicture(const std::string& path, bool& is16Bit)
{
    DibImage image;
    EXPECT_EQ(CodeOf([&] { EXPECT_EQ(ReadTiffImage(path, image, is16Bit), 1); }), kNoError) << path;
    return image;
}

void SetLong(IfdBuilder& ifd, std::uint16_t tag, std::uint32_t value)
{
    for (FixtureEntry& entry : ifd.entries) {
        if (entry.tag == tag)
            entry.value = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                           static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    }
}

// A TIFF written byte by byte, for what libtiff would refuse to write: IFD0 describes an RGB
// picture with one strip, which follows the directories unless `stripOffset` says otherwise;
// an Exif directory with DateTimeOriginal hangs off `pointerTag` when `date` is given.
struct HandMadeTiff {
    std::uint32_t width = 2;
    std::uint32_t height = 2;
    std::uint16_t bits = 8;
    std::uint16_t compression = 1;
    Bytes strip;
    std::optional<std::uint32_t> stripOffset;
    std::optional<std::string> date;
    std::uint16_t pointerTag = kExifPointerTag;
    Endian endian = Endian::kLittle;

    Bytes Build() const
    {
        ExifBuilder builder(endian);
        builder.ifd0.Long(0x0100, {width})
            .Long(0x0101, {height})
            .Short(0x0102, {bits, bits, bits})
            .Short(0x0103, {compression})
            .Short(0x0106, {2})
            .Long(0x0111, {0})
            .Short(0x0115, {3})
            .Long(0x0116, {height})
            .Long(0x0117, {static_cast<std::uint32_t>(strip.size())})
            .Short(0x011C, {1});
        builder.withExif = date.has_value();
        if (date)
            builder.exif.Ascii(0x9003, *date);
        builder.exifPointerTag = pointerTag;
        // The strip offset is an inline LONG, so filling it in does not move anything.
        const auto end = static_cast<std::uint32_t>(builder.Build().bytes.size());
        SetLong(builder.ifd0, 0x0111, stripOffset.value_or(end));
        Bytes bytes = builder.Build().bytes;
        bytes.insert(bytes.end(), strip.begin(), strip.end());
        return bytes;
    }
};

// Everything written to the process's stderr while `body` runs.
std::string CapturedStderr(const std::function<void()>& body)
{
    Sandbox sandbox;
    const std::string path = sandbox / "stderr.txt";
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int capture = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(capture, 2);
    ::close(capture);
    body();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    return ReadTextFile(path);
}

// Points the program folder at the built module for one test, as the installed program has it.
class ModuleProgramFolder {
public:
    ModuleProgramFolder()
        : m_saved(ProgramFolder())
    {
#ifdef VISTREL_TIFF16_MODULE_PATH
        SetProgramFolder(
            std::filesystem::path(VISTREL_TIFF16_MODULE_PATH).parent_path().parent_path().string());
#endif
    }
    ~ModuleProgramFolder()
    {
        SetProgramFolder(m_saved);
    }
    ModuleProgramFolder(const ModuleProgramFolder&) = delete;
    ModuleProgramFolder& operator=(const ModuleProgramFolder&) = delete;

    static bool Available()
    {
#ifdef VISTREL_TIFF16_MODULE_PATH
        return true;
#else
        return false;
#endif
    }

private:
    std::string m_saved;
};

#define REQUIRE_MODULE()                                                                                     \
    if (!ModuleProgramFolder::Available())                                                                   \
    GTEST_SKIP() << "the 16-bit TIFF module is not part of this build"

} // namespace

TEST(TiffPicture, DecodesRgbIntoBlueGreenRedRowsPaddedToFourBytes)
{
    Sandbox sandbox;
    bool is16Bit = true;
    const DibImage image = ReadPicture(WriteTiff(sandbox, "rgb.tif", {Rgb8(5, 3)}), is16Bit);
    EXPECT_FALSE(is16Bit);
    ExpectPicture(image, 5, 3, Expected);
    // Bytes in the order blue, green, red; each 15-byte row padded with a zero to 16.
    EXPECT_EQ(image.Stride(), 16u);
    EXPECT_EQ(image.Row(2)[0], Channel(0, 2, 2));
    EXPECT_EQ(image.Row(2)[2], Channel(0, 2, 0));
    EXPECT_EQ(image.Row(1)[15], 0);
}

TEST(TiffPicture, DecodesGreyWhiteIsZeroPaletteAndAlphaPictures)
{
    Sandbox sandbox;
    bool is16Bit = false;
    auto grey = [](std::uint32_t x, std::uint32_t y, std::uint32_t) { return x * 50 + y; };

    TiffPictureSpec blackIsZero = Rgb8(4, 3);
    blackIsZero.samplesPerPixel = 1;
    blackIsZero.photometric = PHOTOMETRIC_MINISBLACK;
    blackIsZero.sample = grey;
    ExpectPicture(ReadPicture(WriteTiff(sandbox, "grey.tif", {blackIsZero}), is16Bit), 4, 3,
                  [](std::uint32_t x, std::uint32_t y) { return Rgb(x * 50 + y, x * 50 + y, x * 50 + y); });

    TiffPictureSpec whiteIsZero = blackIsZero;
    whiteIsZero.photometric = PHOTOMETRIC_MINISWHITE;
    ExpectPicture(ReadPicture(WriteTiff(sandbox, "white.tif", {whiteIsZero}), is16Bit), 4, 3,
                  [](std::uint32_t x, std::uint32_t y) {
                      const std::uint32_t value = 255 - (x * 50 + y);
                      return Rgb(value, value, value);
                  });

    TiffPictureSpec palette = blackIsZero;
    palette.photometric = PHOTOMETRIC_PALETTE;
    palette.colormap.resize(3 * 256);
    for (std::uint32_t i = 0; i < 256; ++i) {
        palette.colormap[i] = static_cast<std::uint16_t>(i * 257);
        palette.colormap[256 + i] = static_cast<std::uint16_t>((255 - i) * 257);
        palette.colormap[512 + i] = static_cast<std::uint16_t>((i * 3 & 0xFF) * 257);
    }
    ExpectPicture(ReadPicture(WriteTiff(sandbox, "palette.tif", {palette}), is16Bit), 4, 3,
                  [](std::uint32_t x, std::uint32_t y) {
                      const std::uint32_t index = x * 50 + y;
                      return Rgb(index, 255 - index, index * 3 & 0xFF);
                  });

    TiffPictureSpec alpha = Rgb8(4, 3);
    alpha.samplesPerPixel = 4;
    ExpectPicture(ReadPicture(WriteTiff(sandbox, "alpha.tif", {alpha}), is16Bit), 4, 3, Expected);
}

TEST(TiffPicture, DecodesTilesPlanesAndCompressedStrips)
{
    struct Variant {
        const char* name;
        std::uint32_t tileSize;
        std::uint16_t planarConfig;
        std::uint16_t compression;
        std::uint16_t predictor;
        std::uint32_t rowsPerStrip;
    };
    const Variant variants[] = {
        {"tiles", 16, PLANARCONFIG_CONTIG, COMPRESSION_NONE, 1, 0},
        {"tiled planes", 16, PLANARCONFIG_SEPARATE, COMPRESSION_LZW, 1, 0},
        {"strip planes", 0, PLANARCONFIG_SEPARATE, COMPRESSION_NONE, 1, 4},
        {"lzw with predictor", 0, PLANARCONFIG_CONTIG, COMPRESSION_LZW, 2, 5},
        {"deflate", 0, PLANARCONFIG_CONTIG, COMPRESSION_ADOBE_DEFLATE, 1, 7},
        {"packbits", 0, PLANARCONFIG_CONTIG, COMPRESSION_PACKBITS, 1, 3},
    };
    Sandbox sandbox;
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        TiffPictureSpec spec = Rgb8(37, 21); // not a whole number of tiles either way
        spec.tileSize = variant.tileSize;
        spec.planarConfig = variant.planarConfig;
        spec.compression = variant.compression;
        spec.predictor = variant.predictor;
        spec.rowsPerStrip = variant.rowsPerStrip;
        bool is16Bit = false;
        ExpectPicture(ReadPicture(WriteTiff(sandbox, std::string(variant.name) + ".tif", {spec}), is16Bit),
                      37, 21, Expected);
    }
}

// The upright picture is 3 x 2. Each orientation value says where the stored row 0 and
// column 0 lie in it; the stored picture is built from that description, and decoding must
// give the upright picture back.
TEST(TiffPicture, TurnsEightBitPicturesUprightForEveryOrientation)
{
    struct Layout {
        std::uint16_t value;
        const char* row0; // the side of the upright picture that stored row 0 shows
        const char* column0;
    };
    const Layout layouts[]
        = {{1, "top", "left"}, {2, "top", "right"}, {3, "bottom", "right"}, {4, "bottom", "left"},
           {5, "left", "top"}, {6, "right", "top"}, {7, "right", "bottom"}, {8, "left", "bottom"}};
    constexpr std::uint32_t kWidth = 3;
    constexpr std::uint32_t kHeight = 2;
    auto upright = [](std::uint32_t x, std::uint32_t y) { return Rgb(x * 80 + 1, y * 120 + 2, 7); };

    Sandbox sandbox;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.value);
        const std::string row0 = layout.row0;
        const std::string column0 = layout.column0;
        const bool sideways = row0 == "left" || row0 == "right";
        TiffPictureSpec spec = Rgb8(sideways ? kHeight : kWidth, sideways ? kWidth : kHeight);
        spec.orientation = layout.value;
        spec.sample = [&](std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
            std::uint32_t uprightX = 0;
            std::uint32_t uprightY = 0;
            if (!sideways) {
                uprightX = column0 == "left" ? x : kWidth - 1 - x;
                uprightY = row0 == "top" ? y : kHeight - 1 - y;
            } else {
                uprightX = row0 == "left" ? y : kWidth - 1 - y;
                uprightY = column0 == "top" ? x : kHeight - 1 - x;
            }
            const std::uint32_t pixel = upright(uprightX, uprightY);
            return (pixel >> (16 - 8 * channel)) & 0xFF;
        };
        bool is16Bit = true;
        const DibImage image
            = ReadPicture(WriteTiff(sandbox, "o" + std::to_string(layout.value).append(".tif"), {spec}), is16Bit);
        EXPECT_FALSE(is16Bit);
        ExpectPicture(image, kWidth, kHeight, upright);
    }
}

// Large pictures are converted in bands of rows; a turned picture must come out whole across
// the band boundaries.
TEST(TiffPicture, TurnsLargePicturesAcrossConversionBands)
{
    constexpr std::uint32_t kWidth = 4096;
    constexpr std::uint32_t kHeight = 1100; // more rows than one band of this width holds
    auto grey = [](std::uint32_t x, std::uint32_t y) { return (x * 7 + y * 13) & 0xFF; };
    TiffPictureSpec spec = Rgb8(kWidth, kHeight);
    spec.samplesPerPixel = 1;
    spec.photometric = PHOTOMETRIC_MINISBLACK;
    spec.rowsPerStrip = 16;
    spec.orientation = 8; // stored column 0 is the upright bottom row
    spec.sample = [&](std::uint32_t x, std::uint32_t y, std::uint32_t) { return grey(x, y); };
    Sandbox sandbox;
    bool is16Bit = false;
    const DibImage image = ReadPicture(WriteTiff(sandbox, "large.tif", {spec}), is16Bit);
    ASSERT_EQ(image.Width(), kHeight);
    ASSERT_EQ(image.Height(), kWidth);
    // Upright (u, v) shows stored (kWidth - 1 - v, u).
    for (std::uint32_t storedY : {0u, 1u, 1023u, 1024u, 1025u, kHeight - 1}) {
        for (std::uint32_t storedX : {0u, 1u, 2047u, kWidth - 1}) {
            const std::uint32_t value = grey(storedX, storedY);
            ASSERT_EQ(image.Pixel(storedY, kWidth - 1 - storedX), Rgb(value, value, value))
                << storedX << ", " << storedY;
        }
    }
}

TEST(TiffPicture, StripsOutsideTheFileFailAsMalformedWithoutPrinting)
{
    Sandbox sandbox;
    HandMadeTiff tiff;
    tiff.strip = Bytes(12, 0x80);
    const std::string sound = sandbox.WriteFile("sound.tif", AsText(tiff.Build()));
    bool is16Bit = false;
    ExpectPicture(ReadPicture(sound, is16Bit), 2, 2, [](std::uint32_t, std::uint32_t) { return 0x808080u; });

    tiff.stripOffset = 0x7FFFFF00;
    const std::string far = sandbox.WriteFile("far.tif", AsText(tiff.Build()));
    tiff.stripOffset = static_cast<std::uint32_t>(tiff.Build().size() - 4); // half inside
    const std::string straddling = sandbox.WriteFile("straddling.tif", AsText(tiff.Build()));
    for (const std::string& path : {far, straddling}) {
        SCOPED_TRACE(path);
        DibImage image;
        int code = kNoError;
        const std::string printed
            = CapturedStderr([&] { code = CodeOf([&] { ReadTiffImage(path, image, is16Bit); }); });
        EXPECT_EQ(code, kMediaMalformed);
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_EQ(printed, "");
    }
}

TEST(TiffPicture, RefusesPicturesAboveThePixelLimitBeforeDecoding)
{
    // 60000 x 60000 declared over a few bytes of compressed data.
    HandMadeTiff huge;
    huge.width = huge.height = 60000;
    huge.compression = COMPRESSION_ADOBE_DEFLATE;
    huge.strip = Bytes(16, 0x78);
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile("huge.tif", AsText(huge.Build()));
    DibImage image;
    bool is16Bit = false;
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(path, image, is16Bit); }), kMediaOutOfMemory);
    EXPECT_TRUE(image.IsEmpty());

    // The limit itself: a 16 x 8 picture passes a limit of 128 pixels and fails one of 127.
    const std::string small = WriteTiff(sandbox, "small.tif", {Rgb8(16, 8)});
    const std::string bytes = ReadTextFile(small);
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             bytes.size());
    EXPECT_EQ(CodeOf([&] { DecodeTiffBytes(data, image, 127); }), kMediaOutOfMemory);
    EXPECT_EQ(DecodeTiffBytes(data, image, 128), 1);
    ExpectPicture(image, 16, 8, Expected);
}

TEST(TiffPicture, MissingEmptyAndForeignFilesFailCleanly)
{
    Sandbox sandbox;
    DibImage image;
    bool is16Bit = false;
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(sandbox / "missing.tif", image, is16Bit); }), kMediaUnreadable);
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(sandbox.WriteFile("empty.tif", ""), image, is16Bit); }),
              kMediaUnreadable);
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(sandbox.MakeFolder("folder.tif"), image, is16Bit); }),
              kMediaUnreadable);
    EXPECT_EQ(
        CodeOf([&] { ReadTiffImage(sandbox.WriteFile("text.tif", "not a picture at all"), image, is16Bit); }),
        kMediaMalformed);
    EXPECT_EQ(CodeOf([&] { ReadTiffThumbnail(sandbox / "missing.tif", image); }), kMediaUnreadable);
    // A pipe would block a plain open until someone writes to it.
    const std::string pipe = sandbox / "pipe.tif";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(pipe, image, is16Bit); }), kMediaUnreadable);
}

TEST(TiffPicture, EveryTruncationDecodesOrFailsCleanly)
{
    TiffPictureSpec spec = Rgb8(20, 10);
    spec.compression = COMPRESSION_LZW;
    spec.rowsPerStrip = 2;
    TiffPictureSpec reduced = Rgb8(5, 3);
    reduced.subfileType = FILETYPE_REDUCEDIMAGE;
    Sandbox sandbox;
    const std::string bytes = ReadTextFile(WriteTiff(sandbox, "whole.tif", {spec, reduced}));
    int decoded = 0;
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()), length);
        DibImage image;
        const int code = CodeOf([&] { DecodeTiffBytes(data, image); });
        const int thumbnailCode = CodeOf([&] { DecodeTiffThumbnailBytes(data, image); });
        ASSERT_TRUE(code == kNoError || code == kMediaMalformed || code == kMediaUnreadable)
            << length << ": " << code;
        ASSERT_TRUE(thumbnailCode == kNoError || thumbnailCode == 0 || thumbnailCode == kMediaMalformed
                    || thumbnailCode == kMediaUnreadable)
            << length << ": " << thumbnailCode;
        decoded += code == kNoError;
    }
    // The whole file decodes; files cut inside the pixels or the first directory do not.
    EXPECT_GE(decoded, 1);
    EXPECT_LT(decoded, static_cast<int>(bytes.size()) / 2);
}

TEST(TiffPicture, EveryCorpusTiffDecodesOrFailsCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(VISTREL_CORPUS_DIR) / "tiff";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no corpus at " << folder;
    int decoded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        DibImage image;
        bool is16Bit = false;
        const int code = CodeOf([&] { ReadTiffImage(path, image, is16Bit); });
        if (code == kNoError) {
            ++decoded;
            EXPECT_GT(image.Width(), 0u);
            EXPECT_EQ(image.BitsPerPixel(), 24u);
        } else {
            EXPECT_TRUE(code == kMediaMalformed || code == kMediaUnreadable || code == kMediaOutOfMemory)
                << code;
            EXPECT_TRUE(image.IsEmpty());
        }
        const int thumbnailCode = CodeOf([&] { ReadTiffThumbnail(path, image); });
        EXPECT_TRUE(thumbnailCode == kNoError || thumbnailCode == 0 || thumbnailCode == kMediaMalformed
                    || thumbnailCode == kMediaUnreadable || thumbnailCode == kMediaOutOfMemory)
            << thumbnailCode;
    }
    EXPECT_GT(decoded, 0);
}

TEST(TiffThumbnail, ReadsTheReducedImageOfIfd1AsStored)
{
    TiffPictureSpec picture = Rgb8(32, 24);
    picture.orientation = 6;
    TiffPictureSpec reduced = Rgb8(8, 6);
    reduced.subfileType = FILETYPE_REDUCEDIMAGE;
    Sandbox sandbox;
    const std::string path = WriteTiff(sandbox, "thumb.tif", {picture, reduced});
    DibImage thumbnail;
    EXPECT_EQ(ReadTiffThumbnail(path, thumbnail), 1);
    ExpectPicture(thumbnail, 8, 6, Expected);
    // The thumbnail has no orientation of its own: the picture's turns it.
    EXPECT_EQ(TiffThumbnailOrientation(path), 6);

    reduced.orientation = 3;
    const std::string ownOrientation = WriteTiff(sandbox, "own.tif", {picture, reduced});
    EXPECT_EQ(TiffThumbnailOrientation(ownOrientation), 3);
}

TEST(TiffThumbnail, FilesWithoutAReducedImageHaveNone)
{
    Sandbox sandbox;
    TiffPictureSpec picture = Rgb8(8, 6);
    picture.orientation = 8;
    const std::string single = WriteTiff(sandbox, "single.tif", {picture});
    const std::string twoPages = WriteTiff(sandbox, "pages.tif", {picture, Rgb8(8, 6)});
    for (const std::string& path : {single, twoPages}) {
        DibImage image;
        EXPECT_EQ(CodeOf([&] { ReadTiffThumbnail(path, image); }), 0) << path;
        EXPECT_TRUE(image.IsEmpty());
    }
    EXPECT_EQ(TiffThumbnailOrientation(single), 8);
}

TEST(TiffTagTree, SixteenBitFilesReachTheirExifDirectoryThroughTheConverterTag)
{
    HandMadeTiff tiff;
    tiff.bits = 16;
    tiff.strip = Bytes(24, 0x40);
    tiff.date = "2011:02:03 04:05:06";
    tiff.pointerTag = kTiff16ExifPointerTag;
    Sandbox sandbox;
    const std::string sixteen = sandbox.WriteFile("sixteen.tif", AsText(tiff.Build()));
    ExifReader reader;
    ASSERT_EQ(OpenTiffTagTree(sixteen, reader), TiffResult::kOk);
    ASSERT_NE(reader.Exif(), nullptr);
    EXPECT_EQ(reader.Exif()->EntryCount(0x9003), 20u);

    // An 8-bit file's private tag is no Exif pointer.
    tiff.bits = 8;
    tiff.strip = Bytes(12, 0x40);
    const std::string eight = sandbox.WriteFile("eight.tif", AsText(tiff.Build()));
    ASSERT_EQ(OpenTiffTagTree(eight, reader), TiffResult::kOk);
    EXPECT_EQ(reader.Exif(), nullptr);

    // A 16-bit file with the ordinary pointer keeps it.
    tiff.bits = 16;
    tiff.strip = Bytes(24, 0x40);
    tiff.pointerTag = kExifPointerTag;
    const std::string ordinary = sandbox.WriteFile("ordinary.tif", AsText(tiff.Build()));
    ASSERT_EQ(OpenTiffTagTree(ordinary, reader), TiffResult::kOk);
    ASSERT_NE(reader.Exif(), nullptr);
    EXPECT_EQ(reader.Exif()->EntryCount(0x9003), 20u);
}

TEST(TiffPicture16, SixteenBitPicturesComeThroughTheModuleAsStored)
{
    REQUIRE_MODULE();
    ModuleProgramFolder folder;
    TiffPictureSpec spec = Rgb16(6, 4);
    spec.orientation = 6; // applied by the caller for 16-bit pictures, not here
    Sandbox sandbox;
    bool is16Bit = false;
    const DibImage image = ReadPicture(WriteTiff(sandbox, "sixteen.tif", {spec}), is16Bit);
    EXPECT_TRUE(is16Bit);
    // The module delivers bottom-up rows; the picture must still stand the right way.
    ExpectPicture(image, 6, 4, Expected);
}

TEST(TiffPicture16, SixteenBitThumbnailsComeFromIfd1OrFromThePicture)
{
    REQUIRE_MODULE();
    ModuleProgramFolder folder;
    Sandbox sandbox;
    TiffPictureSpec picture = Rgb16(320, 240);
    picture.orientation = 6;
    picture.sample = [](std::uint32_t x, std::uint32_t, std::uint32_t channel) {
        return 257
            * (x < 160 ? std::array<std::uint32_t, 3>{200, 10, 30}[channel]
                       : std::array<std::uint32_t, 3>{5, 60, 250}[channel]);
    };
    TiffPictureSpec reduced = Rgb16(8, 6);
    reduced.subfileType = FILETYPE_REDUCEDIMAGE;
    reduced.orientation = 3;

    const std::string embedded = WriteTiff(sandbox, "embedded.tif", {picture, reduced});
    DibImage thumbnail;
    EXPECT_EQ(ReadTiffThumbnail(embedded, thumbnail), 1);
    ExpectPicture(thumbnail, 8, 6, Expected);
    EXPECT_EQ(TiffThumbnailOrientation(embedded), 3);

    TiffPictureSpec secondPage = Rgb16(8, 6);
    secondPage.orientation = 3;
    const std::string made = WriteTiff(sandbox, "made.tif", {picture, secondPage});
    EXPECT_EQ(ReadTiffThumbnail(made, thumbnail), 1);
    ASSERT_EQ(thumbnail.Width(), 160u);
    ASSERT_EQ(thumbnail.Height(), 120u);
    EXPECT_EQ(thumbnail.Pixel(0, 0), Rgb(200, 10, 30));
    EXPECT_EQ(thumbnail.Pixel(79, 119), Rgb(200, 10, 30));
    EXPECT_EQ(thumbnail.Pixel(80, 0), Rgb(5, 60, 250));
    // Made from the picture, the thumbnail turns with it, whatever the second page says.
    EXPECT_EQ(TiffThumbnailOrientation(made), 6);
}

TEST(TiffPicture16, DamagedAndHugeSixteenBitFilesFailCleanly)
{
    REQUIRE_MODULE();
    ModuleProgramFolder folder;
    Sandbox sandbox;
    HandMadeTiff tiff;
    tiff.bits = 16;
    tiff.strip = Bytes(24, 0x40);
    tiff.stripOffset = 0x7FFFFF00;
    const std::string far = sandbox.WriteFile("far.tif", AsText(tiff.Build()));
    DibImage image;
    bool is16Bit = false;
    int code = kNoError;
    const std::string printed
        = CapturedStderr([&] { code = CodeOf([&] { ReadTiffImage(far, image, is16Bit); }); });
    EXPECT_EQ(code, kMediaMalformed);
    EXPECT_EQ(printed, "");

    tiff.width = tiff.height = 60000;
    tiff.compression = COMPRESSION_ADOBE_DEFLATE;
    tiff.stripOffset.reset();
    const std::string huge = sandbox.WriteFile("huge.tif", AsText(tiff.Build()));
    EXPECT_EQ(CodeOf([&] { ReadTiffImage(huge, image, is16Bit); }), kMediaOutOfMemory);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(TiffPicture16, EightBitFilesNeedNoModuleAndSixteenBitFilesRetryAfterAMissingOne)
{
    REQUIRE_MODULE();
    Sandbox sandbox;
    const std::string eight = WriteTiff(sandbox, "eight.tif", {Rgb8(4, 4)});
    const std::string sixteen = WriteTiff(sandbox, "sixteen.tif", {Rgb16(4, 4)});
    const std::string saved = ProgramFolder();
    const bool loadedBefore = ProgramTiff16Library().IsLoaded();
    SetProgramFolder(sandbox.MakeFolder("program")); // a program folder without the module
    DibImage image;
    bool is16Bit = false;
    EXPECT_EQ(ReadTiffImage(eight, image, is16Bit), 1);
    EXPECT_EQ(ProgramTiff16Library().IsLoaded(), loadedBefore);
    if (!loadedBefore) {
        EXPECT_EQ(CodeOf([&] { ReadTiffImage(sixteen, image, is16Bit); }), kMediaUnreadable);
        EXPECT_FALSE(ProgramTiff16Library().IsLoaded());
    }
    SetProgramFolder(saved);
    ModuleProgramFolder folder;
    EXPECT_EQ(ReadTiffImage(sixteen, image, is16Bit), 1);
    EXPECT_TRUE(is16Bit);
    EXPECT_TRUE(ProgramTiff16Library().IsLoaded());
}

TEST(Tiff16LibraryCache, KeepsOnlyAUsableLibraryAndLoadsItOnceForAllThreads)
{
    REQUIRE_MODULE();
#ifdef VISTREL_TIFF16_MODULE_PATH
    Sandbox sandbox;
    std::atomic<int> loads{0};
    std::atomic<bool> installed{false};
    Tiff16LibraryCache cache([&] {
        ++loads;
        return installed ? std::string(VISTREL_TIFF16_MODULE_PATH) : sandbox / "QWTIFF16.so";
    });
    EXPECT_EQ(CodeOf([&] { cache.Acquire(); }), kMediaUnreadable);
    EXPECT_EQ(CodeOf([&] { cache.Acquire(); }), kMediaUnreadable);
    EXPECT_FALSE(cache.IsLoaded());
    EXPECT_EQ(loads, 2); // every failure is tried again

    installed = true;
    loads = 0;
    std::vector<std::shared_ptr<const Tiff16Library>> libraries(8);
    std::vector<std::thread> threads;
    for (auto& library : libraries)
        threads.emplace_back([&cache, &library] { library = cache.Acquire(); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(loads, 1);
    for (const auto& library : libraries) {
        ASSERT_NE(library, nullptr);
        EXPECT_EQ(library, libraries[0]);
        EXPECT_TRUE(library->IsUsable());
    }
#endif
}

TEST(TiffPicture16, DecodesEightAndSixteenBitFilesOnSeveralThreadsAtOnce)
{
    REQUIRE_MODULE();
    ModuleProgramFolder folder;
    Sandbox sandbox;
    HandMadeTiff damaged;
    damaged.strip = Bytes(12, 0x10);
    damaged.stripOffset = 0x7FFFFF00;
    const std::string paths[] = {WriteTiff(sandbox, "eight.tif", {Rgb8(24, 16)}),
                                 WriteTiff(sandbox, "sixteen.tif", {Rgb16(24, 16)}),
                                 sandbox.WriteFile("damaged.tif", AsText(damaged.Build()))};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const std::string& path = paths[(t + round) % 3];
                DibImage image;
                bool is16Bit = false;
                const int code = CodeOf([&] { ReadTiffImage(path, image, is16Bit); });
                // A damaged file on one thread must not fail the sound files on the others.
                const bool damagedFile = &path == &paths[2];
                if (damagedFile ? code != kMediaMalformed
                                : code != kNoError || image.Pixel(23, 15) != Expected(23, 15))
                    ++wrong;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}
