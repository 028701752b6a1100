#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/bmp_handler.h"
#include "formats/bmp_reader.h"
#include "fuzz/bmp_fuzz_entry.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Append16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Append32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Set16(Bytes& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Set32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A stored row padded to 4 bytes.
Bytes Row(std::initializer_list<uint8_t> bytes)
{
    Bytes row(bytes);
    row.resize((row.size() + 3) / 4 * 4);
    return row;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Writes a bitmap file: the file header, the info header of the chosen size, the masks, the
// palette and the stored pixel bytes, so that each test shows the bytes that matter.
struct BmpFile {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = kBmpRgb;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::vector<uint32_t> masks;   // red, green, blue (alpha): after a 40-byte header, else inside
    Bytes pixels;                  // as stored

    Bytes Build() const
    {
        Bytes header;
        Append32(header, headerSize);
        if (headerSize == 12) {
            Append16(header, static_cast<uint32_t>(width));
            Append16(header, static_cast<uint32_t>(height));
            Append16(header, planes);
            Append16(header, bitsPerPixel);
        } else {
            Append32(header, static_cast<uint32_t>(width));
            Append32(header, static_cast<uint32_t>(height));
            Append16(header, planes);
            Append16(header, bitsPerPixel);
            Append32(header, compression);
            Append32(header, static_cast<uint32_t>(pixels.size()));
            Append32(header, 2835); // 72 dots per inch
            Append32(header, 2835);
            Append32(header, coloursUsed);
            Append32(header, 0);
            for (size_t i = 0; header.size() < headerSize; ++i)
                Append32(header, i < masks.size() ? masks[i] : 0);
            if (headerSize == 40) {
                for (uint32_t mask : masks)
                    Append32(header, mask);
            }
        }
        for (uint32_t colour : palette) {
            header.push_back(static_cast<uint8_t>(colour));
            header.push_back(static_cast<uint8_t>(colour >> 8));
            header.push_back(static_cast<uint8_t>(colour >> 16));
            if (headerSize != 12)
                header.push_back(0);
        }
        Bytes file = {'B', 'M'};
        Append32(file, static_cast<uint32_t>(14 + header.size() + pixels.size()));
        Append32(file, 0);
        Append32(file, static_cast<uint32_t>(14 + header.size()));
        return Concat({file, header, pixels});
    }
};

struct Decoded {
    BmpStatus status;
    DibImage image;
};

Decoded Decode(const Bytes& bytes)
{
    Decoded result{BmpStatus::kMalformed, {}};
    result.status = DecodeBmp(bytes.data(), bytes.size(), result.image);
    return result;
}

// The picture's rows from top to bottom as 0x00RRGGBB values.
std::vector<std::vector<uint32_t>> Pixels(const DibImage& image)
{
    std::vector<std::vector<uint32_t>> rows(image.Height());
    for (uint32_t y = 0; y < image.Height(); ++y) {
        for (uint32_t x = 0; x < image.Width(); ++x)
            rows[y].push_back(image.Pixel(x, y));
    }
    return rows;
}

using Picture = std::vector<std::vector<uint32_t>>;

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x101010;
constexpr uint32_t kYellow = 0xFFFF00;

// Sixteen distinct colours for 4-bit pictures: index i is 0x0i0i0i scaled.
std::vector<uint32_t> SixteenColours()
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back(i * 0x111111);
    return palette;
}

} // namespace

TEST(BmpReader, DecodesOneBitRowsBottomUp)
{
    BmpFile file;
    file.width = 10;
    file.height = 2;
    file.bitsPerPixel = 1;
    file.palette = {0x112233, 0xFFEEDD};
    // Stored bottom row first; the leftmost pixel is the highest bit.
    file.pixels = Concat({Row({0b1010'0000, 0b1100'0000}), Row({0b0101'1111, 0b0000'0000})});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    const uint32_t a = 0x112233;
    const uint32_t b = 0xFFEEDD;
    EXPECT_EQ(Pixels(decoded.image),
              (Picture{{a, b, a, b, b, b, b, b, a, a}, {b, a, b, a, a, a, a, a, b, b}}));
}

TEST(BmpReader, DecodesFourBitRowsHighNibbleFirst)
{
    BmpFile file;
    file.width = 3;
    file.height = 1;
    file.bitsPerPixel = 4;
    file.palette = SixteenColours();
    file.pixels = Row({0x1F, 0x20});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{0x111111, 0xFFFFFF, 0x222222}}));
}

TEST(BmpReader, GivesBlackForIndexesBeyondAShortPalette)
{
    BmpFile file;
    file.width = 5;
    file.height = 1;
    file.bitsPerPixel = 8;
    file.coloursUsed = 3;
    file.palette = {kRed, kGreen, kBlue};
    file.pixels = Row({0, 1, 2, 3, 255});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kRed, kGreen, kBlue, kBlack, kBlack}}));
}

TEST(BmpReader, CutsAPaletteThatRunsIntoThePixels)
{
    // Colours used 0 means 256 entries, but the pixel data begins after two of them.
    BmpFile file;
    file.width = 3;
    file.height = 1;
    file.bitsPerPixel = 8;
    file.palette = {kRed, kGreen};
    file.pixels = Row({1, 0, 2});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kGreen, kRed, kBlack}}));
}

TEST(BmpReader, ReadsRowsInTheOrderTheHeightsSignGives)
{
    BmpFile file;
    file.width = 2;
    file.height = 2;
    // Blue, green, red bytes; rows padded from 6 to 8 bytes.
    file.pixels = Concat({Row({0xFF, 0, 0, 0, 0xFF, 0}), Row({0, 0, 0xFF, 0x10, 0x20, 0x30})});
    const Decoded bottomUp = Decode(file.Build());
    ASSERT_EQ(bottomUp.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(bottomUp.image), (Picture{{kRed, 0x302010}, {kBlue, kGreen}}));

    file.height = -2;
    const Decoded topDown = Decode(file.Build());
    ASSERT_EQ(topDown.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(topDown.image), (Picture{{kBlue, kGreen}, {kRed, 0x302010}}));
}

TEST(BmpReader, ScalesDefaultFiveFiveFiveSixteenBitPixels)
{
    BmpFile file;
    file.width = 4;
    file.height = 1;
    file.bitsPerPixel = 16;
    // White with the unused top bit set, full red, blue 16 of 31, green 1 of 31.
    file.pixels = Row({0xFF, 0xFF, 0x00, 0x7C, 0x10, 0x00, 0x20, 0x00});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    // 16 * 255 / 31 = 131.6 and 255 / 31 = 8.2, rounded.
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kWhite, kRed, 0x000084, 0x000800}}));
}

TEST(BmpReader, ScalesFiveSixFiveBitFields)
{
    BmpFile file;
    file.width = 3;
    file.height = 1;
    file.bitsPerPixel = 16;
    file.compression = kBmpBitFields;
    file.masks = {0xF800, 0x07E0, 0x001F};
    file.pixels = Row({0xE0, 0x07, 0x20, 0x00, 0x00, 0x08});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    // Green 1 of 63 is 4.05, red 1 of 31 is 8.2.
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kGreen, 0x000400, 0x080000}}));
}

TEST(BmpReader, ReadsThirtyTwoBitPixelsIgnoringTheFourthByte)
{
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bitsPerPixel = 32;
    file.pixels = {0x10, 0x20, 0x30, 0xFF, 0x01, 0x02, 0x03, 0x7F};
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{0x302010, 0x030201}}));
}

TEST(BmpReader, ScalesWideThirtyTwoBitFields)
{
    BmpFile file;
    file.width = 2;
    file.height = 1;
    file.bitsPerPixel = 32;
    file.compression = kBmpBitFields;
    file.masks = {0x3FF00000, 0x000FFC00, 0x000003FF}; // 10 bits each
    // Red 1023, green 512, blue 4; then a pixel with only the two unused top bits set.
    const uint32_t pixel = 1023u << 20 | 512u << 10 | 4u;
    Append32(file.pixels, pixel);
    Append32(file.pixels, 0xC0000000);
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    // 512 * 255 / 1023 = 127.6 and 4 * 255 / 1023 = 0.997, rounded.
    EXPECT_EQ(Pixels(decoded.image), (Picture{{0xFF8001, kBlack}}));
}

TEST(BmpReader, TakesMasksFromInsideTheLargerHeaders)
{
    for (uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        BmpFile file;
        file.headerSize = headerSize;
        file.width = 1;
        file.height = 1;
        file.bitsPerPixel = 16;
        file.compression = kBmpBitFields;
        file.masks = {0x001F, 0x07E0, 0xF800}; // red in the low bits
        file.pixels = Row({0x1F, 0x00});
        const Decoded decoded = Decode(file.Build());
        ASSERT_EQ(decoded.status, BmpStatus::kComplete) << headerSize;
        EXPECT_EQ(decoded.image.Pixel(0, 0), kRed) << headerSize;
    }
}

TEST(BmpReader, IgnoresHeaderMasksWithoutBitFieldsCompression)
{
    BmpFile file;
    file.headerSize = 124;
    file.bitsPerPixel = 16;
    file.masks = {0xF800, 0x07E0, 0x001F};
    file.pixels = Row({0x00, 0x7C}); // red in 5-5-5
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(decoded.image.Pixel(0, 0), kRed);
}

TEST(BmpReader, TakesDefaultMasksWhenBitFieldsAreAllZero)
{
    BmpFile file;
    file.bitsPerPixel = 32;
    file.compression = kBmpBitFields;
    file.masks = {0, 0, 0};
    file.pixels = {0x10, 0x20, 0x30, 0x00};
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(decoded.image.Pixel(0, 0), 0x302010u);
}

TEST(BmpReader, ReadsTheOs2CoreHeaderWithThreeBytePaletteEntries)
{
    BmpFile file;
    file.headerSize = 12;
    file.width = 3;
    file.height = 2;
    file.bitsPerPixel = 8;
    file.palette = {kRed, kGreen, kBlue, kYellow};
    file.pixels = Concat({Row({0, 1, 2}), Row({3, 3, 0})});
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kYellow, kYellow, kRed}, {kRed, kGreen, kBlue}}));
}

namespace {

// A 6 x 3 picture with an encoded run, a padded absolute run, end of line, a delta, and the
// end-of-bitmap mark.
BmpFile Rle8File()
{
    BmpFile file;
    file.width = 6;
    file.height = 3;
    file.bitsPerPixel = 8;
    file.compression = kBmpRle8;
    file.palette = {kGrey, kRed, kGreen, kBlue, kYellow};
    file.pixels = {
        0x00, 0x03, 2,    3,    4, 0x00, // absolute 2, 3, 4 and its pad byte
        0x03, 0x01,                      // three times 1
        0x00, 0x00,                      // end of line
        0x02, 0x04,                      // two times 4
        0x00, 0x02, 0x01, 0x01,          // delta: one right, one up
        0x03, 0x03,                      // three times 3
        0x00, 0x01,                      // end of bitmap
    };
    return file;
}

// A 7 x 2 picture: a run of alternating nibbles, an absolute run of five nibbles padded to a
// word, then a run of two.
BmpFile Rle4File()
{
    BmpFile file;
    file.width = 7;
    file.height = 2;
    file.bitsPerPixel = 4;
    file.compression = kBmpRle4;
    file.palette = SixteenColours();
    file.pixels = {
        0x07, 0x12,                         // 1 2 1 2 1 2 1
        0x00, 0x00,                         // end of line
        0x00, 0x05, 0x34, 0x56, 0x70, 0x00, // absolute 3 4 5 6 7, three bytes and a pad byte
        0x02, 0x89,                         // 8 9
        0x00, 0x01,                         // end of bitmap
    };
    return file;
}

} // namespace

TEST(BmpReader, DecodesRle8RunsEscapesAndDeltas)
{
    const Decoded decoded = Decode(Rle8File().Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    // Pixels that no run covers stay black.
    EXPECT_EQ(Pixels(decoded.image),
              (Picture{
                  {kBlack, kBlack, kBlack, kBlue, kBlue, kBlue},
                  {kYellow, kYellow, kBlack, kBlack, kBlack, kBlack},
                  {kGreen, kBlue, kYellow, kRed, kRed, kRed},
              }));
}

TEST(BmpReader, DecodesRle4RunsAndPaddedAbsoluteRuns)
{
    const Decoded decoded = Decode(Rle4File().Build());
    ASSERT_EQ(decoded.status, BmpStatus::kComplete);
    auto c = [](uint32_t index) { return index * 0x111111; };
    EXPECT_EQ(Pixels(decoded.image),
              (Picture{
                  {c(3), c(4), c(5), c(6), c(7), c(8), c(9)},
                  {c(1), c(2), c(1), c(2), c(1), c(2), c(1)},
              }));
}

TEST(BmpReader, CutsRleRunsAtThePicturesEdgeAndReportsThePictureAsPartial)
{
    // The bottom row is the last one in memory: a run past its end would write past the block.
    BmpFile file = Rle8File();
    file.width = 4;
    file.height = 2;
    file.pixels = {0x06, 0x01, 0x00, 0x00, 0x00, 0x05, 1, 2, 3, 4, 1, 0x00, 0x00, 0x01};
    Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kPartial);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kRed, kGreen, kBlue, kYellow}, {kRed, kRed, kRed, kRed}}));

    // A delta above the top row ends the picture.
    file.pixels = {0x01, 0x02, 0x00, 0x02, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01};
    decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kPartial);
    EXPECT_EQ(Pixels(decoded.image),
              (Picture{{kBlack, kBlack, kBlack, kBlack}, {kGreen, kBlack, kBlack, kBlack}}));

    // Runs of 4-bit pictures are cut the same way.
    BmpFile four = Rle4File();
    four.width = 3;
    four.height = 1;
    four.pixels = {0x09, 0x12, 0x00, 0x01};
    decoded = Decode(four.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kPartial);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{0x111111, 0x222222, 0x111111}}));
}

TEST(BmpReader, ReportsRleDataEndingBeforeTheLastRowAsPartial)
{
    BmpFile file = Rle8File();
    file.width = 2;
    file.height = 2;
    file.pixels = {0x02, 0x01, 0x00, 0x00, 0x00, 0x04, 2, 3}; // the absolute run lacks two bytes
    const Decoded decoded = Decode(file.Build());
    ASSERT_EQ(decoded.status, BmpStatus::kPartial);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kGreen, kBlue}, {kRed, kRed}}));
}

TEST(BmpReader, FillsThePixelsBeyondTruncatedDataWithBlack)
{
    BmpFile file;
    file.width = 2;
    file.height = 3;
    file.pixels
        = Concat({Row({1, 2, 3, 4, 5, 6}), Row({7, 8, 9, 10, 11, 12}), Row({13, 14, 15, 16, 17, 18})});
    Bytes bytes = file.Build();
    bytes.resize(bytes.size() - 8 - 8 + 5); // the bottom row and five bytes of the middle one
    const Decoded decoded = Decode(bytes);
    ASSERT_EQ(decoded.status, BmpStatus::kPartial);
    EXPECT_EQ(Pixels(decoded.image), (Picture{{kBlack, kBlack}, {0x090807, kBlack}, {0x030201, 0x060504}}));
}

TEST(BmpReader, RefusesMalformedHeaders)
{
    // Bases: a 2 x 2 picture at 8 bits with two colours (pixels at 62, 70 bytes in all), and a
    // 2 x 1 picture at 16 bits with 5-6-5 masks after the header (pixels at 66, 70 bytes).
    BmpFile indexed;
    indexed.width = 2;
    indexed.height = 2;
    indexed.bitsPerPixel = 8;
    indexed.coloursUsed = 2;
    indexed.palette = {kRed, kGreen};
    indexed.pixels = Concat({Row({0, 1}), Row({1, 0})});
    BmpFile fields;
    fields.width = 2;
    fields.bitsPerPixel = 16;
    fields.compression = kBmpBitFields;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels = Row({0, 0, 0, 0});
    ASSERT_EQ(indexed.Build().size(), 70u);
    ASSERT_EQ(fields.Build().size(), 70u);
    ASSERT_EQ(Decode(indexed.Build()).status, BmpStatus::kComplete);
    ASSERT_EQ(Decode(fields.Build()).status, BmpStatus::kComplete);

    struct Refusal {
        std::string_view what;
        bool bitFieldsBase;
        void (*spoil)(Bytes&);
    };
    static constexpr std::array kRefusals = {
        Refusal{"empty file", false, [](Bytes& b) { b.clear(); }},
        Refusal{"cut inside the file header", false, [](Bytes& b) { b.resize(10); }},
        Refusal{"cut inside the info header", false, [](Bytes& b) { b.resize(30); }},
        Refusal{"magic", false, [](Bytes& b) { b[0] = 'M'; }},
        Refusal{"OS/2 array magic", false, [](Bytes& b) { b[1] = 'A'; }},
        Refusal{"header size 0", false, [](Bytes& b) { Set32(b, 14, 0); }},
        Refusal{"header size 64 (OS/2 2.x)", false, [](Bytes& b) { Set32(b, 14, 64); }},
        Refusal{"header size beyond the file", false, [](Bytes& b) { Set32(b, 14, 124); }},
        Refusal{"width 0", false, [](Bytes& b) { Set32(b, 18, 0); }},
        Refusal{"negative width", false, [](Bytes& b) { Set32(b, 18, static_cast<uint32_t>(-2)); }},
        Refusal{"height 0", false, [](Bytes& b) { Set32(b, 22, 0); }},
        Refusal{"height INT32_MIN", false, [](Bytes& b) { Set32(b, 22, 0x80000000); }},
        Refusal{"two planes", false, [](Bytes& b) { Set16(b, 26, 2); }},
        Refusal{"2 bits per pixel", false, [](Bytes& b) { Set16(b, 28, 2); }},
        Refusal{"0 bits per pixel", false, [](Bytes& b) { Set16(b, 28, 0); }},
        Refusal{"RLE4 at 8 bits", false, [](Bytes& b) { Set32(b, 30, kBmpRle4); }},
        Refusal{"bit fields at 8 bits", false, [](Bytes& b) { Set32(b, 30, kBmpBitFields); }},
        Refusal{"JPEG compression", false, [](Bytes& b) { Set32(b, 30, 4); }},
        Refusal{"PNG compression", false, [](Bytes& b) { Set32(b, 30, 5); }},
        Refusal{"top-down RLE8", false,
                [](Bytes& b) {
                    Set32(b, 30, kBmpRle8);
                    Set32(b, 22, static_cast<uint32_t>(-2));
                }},
        Refusal{"257 colours at 8 bits", false, [](Bytes& b) { Set32(b, 46, 257); }},
        Refusal{"pixels inside the header", false, [](Bytes& b) { Set32(b, 10, 40); }},
        Refusal{"pixels at the end of the file", false, [](Bytes& b) { Set32(b, 10, 70); }},
        Refusal{"pixels far past the end", false, [](Bytes& b) { Set32(b, 10, 0xFFFFFFFF); }},
        Refusal{"400 megapixels", false,
                [](Bytes& b) {
                    Set32(b, 18, 20000);
                    Set32(b, 22, 20000);
                }},
        Refusal{"2^32 pixels", false,
                [](Bytes& b) {
                    Set32(b, 18, 0x10000);
                    Set32(b, 22, 0x10000);
                }},
        Refusal{"mask with a gap", true, [](Bytes& b) { Set32(b, 54, 0xF00F); }},
        Refusal{"mask beyond 16 bits", true, [](Bytes& b) { Set32(b, 54, 0x001F0000); }},
        Refusal{"bit fields at 24 bits", true, [](Bytes& b) { Set16(b, 28, 24); }},
        Refusal{"masks cut off", true, [](Bytes& b) { b.resize(60); }},
    };
    for (const Refusal& refusal : kRefusals) {
        Bytes bytes = refusal.bitFieldsBase ? fields.Build() : indexed.Build();
        refusal.spoil(bytes);
        const Decoded decoded = Decode(bytes);
        EXPECT_EQ(decoded.status, BmpStatus::kMalformed) << refusal.what;
        EXPECT_TRUE(decoded.image.IsEmpty()) << refusal.what;
    }
}

TEST(BmpReader, EveryTruncationIsRefusedOrGivesThePixelsThatArePresent)
{
    BmpFile rgb;
    rgb.width = 3;
    rgb.height = 3;
    rgb.pixels = Concat({Row({1, 2, 3, 4, 5, 6, 7, 8, 9}), Row({10, 11, 12, 13, 14, 15, 16, 17, 18}),
                         Row({19, 20, 21, 22, 23, 24, 25, 26, 27})});
    BmpFile topDown = rgb;
    topDown.height = -3;
    BmpFile indexed;
    indexed.width = 5;
    indexed.height = 2;
    indexed.bitsPerPixel = 8;
    indexed.palette = {kRed, kGreen, kBlue, kYellow, kWhite};
    indexed.pixels = Concat({Row({0, 1, 2, 3, 4}), Row({4, 3, 2, 1, 0})});
    BmpFile fields;
    fields.headerSize = 124;
    fields.width = 2;
    fields.height = 2;
    fields.bitsPerPixel = 32;
    fields.compression = kBmpBitFields;
    fields.masks = {0xFF, 0xFF00, 0xFF0000};
    fields.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    BmpFile core;
    core.headerSize = 12;
    core.width = 3;
    core.height = 1;
    core.bitsPerPixel = 4;
    core.palette = SixteenColours();
    core.pixels = Row({0x12, 0x30});

    struct Case {
        std::string_view what;
        BmpFile file;
        size_t bytesPerPixel; // 0: pixels share bytes or are run-length encoded
        size_t tail;          // bytes at the end that hold no pixel (row padding, end marks)
    };
    const std::vector<Case> cases = {
        {"24 bits bottom-up", rgb, 3, 3},
        {"24 bits top-down", topDown, 3, 3},
        {"8 bits", indexed, 1, 3},
        {"32-bit fields, V5 header", fields, 4, 0},
        {"OS/2 4 bits", core, 0, 2},
        {"RLE8", Rle8File(), 0, 0}, // without its end mark the last row is unfinished
        {"RLE4", Rle4File(), 0, 0},
    };
    for (const Case& c : cases) {
        const Bytes whole = c.file.Build();
        const Decoded full = Decode(whole);
        ASSERT_EQ(full.status, BmpStatus::kComplete) << c.what;
        const size_t pixelOffset = whole.size() - c.file.pixels.size();
        const uint64_t stride
            = (uint64_t{c.file.bitsPerPixel} * static_cast<uint32_t>(c.file.width) + 31) / 32 * 4;
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            const Decoded decoded = Decode(prefix);
            if (cut <= pixelOffset) {
                EXPECT_EQ(decoded.status, BmpStatus::kMalformed) << c.what << " cut at " << cut;
                EXPECT_TRUE(decoded.image.IsEmpty());
                continue;
            }
            EXPECT_EQ(decoded.status,
                      cut >= whole.size() - c.tail ? BmpStatus::kComplete : BmpStatus::kPartial)
                << c.what << " cut at " << cut;
            ASSERT_EQ(decoded.image.Width(), full.image.Width());
            ASSERT_EQ(decoded.image.Height(), full.image.Height());
            if (c.bytesPerPixel == 0)
                continue;
            // A pixel whose bytes are all present is decoded; every other one is black.
            for (uint32_t fileRow = 0; fileRow < full.image.Height(); ++fileRow) {
                const uint32_t y = c.file.height < 0 ? fileRow : full.image.Height() - 1 - fileRow;
                for (uint32_t x = 0; x < full.image.Width(); ++x) {
                    const size_t end = pixelOffset + fileRow * stride + (x + 1) * c.bytesPerPixel;
                    EXPECT_EQ(decoded.image.Pixel(x, y), end <= cut ? full.image.Pixel(x, y) : kBlack)
                        << c.what << " cut at " << cut << ", pixel " << x << ", " << y;
                }
            }
        }
    }
}

TEST(BmpReader, ReadsTheHeadersOfAFileWithoutItsPixels)
{
    const Sandbox sandbox;
    BmpFile file;
    file.headerSize = 108;
    file.width = 3000;
    file.height = -2000;
    file.bitsPerPixel = 16;
    file.pixels = {0, 0}; // a tiny remainder of the pixel data
    const Bytes bytes = file.Build();
    const std::string path = sandbox.WriteFile("big.bmp", std::string(bytes.begin(), bytes.end()));
    BmpInfo info;
    ASSERT_EQ(ReadBmpFileInfo(path, info), BmpStatus::kComplete);
    EXPECT_EQ(info.width, 3000u);
    EXPECT_EQ(info.height, 2000u);
    EXPECT_TRUE(info.topDown);
    EXPECT_EQ(info.bitsPerPixel, 16u);
    EXPECT_EQ(info.headerSize, 108u);
    EXPECT_EQ(info.pixelOffset, 14u + 108u);
    EXPECT_EQ(info.masks, (std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F}));

    EXPECT_EQ(ReadBmpFileInfo(sandbox / "missing.bmp", info), BmpStatus::kUnreadable);
    EXPECT_EQ(ReadBmpFileInfo(sandbox.MakeFolder("folder.bmp"), info), BmpStatus::kUnreadable);
    const std::string text = sandbox.WriteFile("text.bmp", "not a bitmap at all");
    EXPECT_EQ(ReadBmpFileInfo(text, info), BmpStatus::kMalformed);
}

TEST(BmpHandler, ReadsThePictureAndTellsAPartialOneApart)
{
    const Sandbox sandbox;
    const Bytes whole = Rle8File().Build();
    const std::string complete = sandbox.WriteFile("whole.bmp", std::string(whole.begin(), whole.end()));
    const std::string cut = sandbox.WriteFile("cut.bmp", std::string(whole.begin(), whole.end() - 6));
    BmpHandler handler;
    DibImage image;
    EXPECT_EQ(handler.ReadImage(complete, image), kBmpPictureComplete);
    EXPECT_EQ(image.BitsPerPixel(), 24u);
    EXPECT_EQ(Pixels(image), Pixels(Decode(whole).image));
    EXPECT_EQ(handler.ReadImage(cut, image), kBmpPicturePartial);
    EXPECT_EQ(image.Pixel(3, 0), kBlack); // the last run is missing
    EXPECT_EQ(image.Pixel(0, 1), kYellow);
}

TEST(BmpHandler, ThrowsTheMediaCodes)
{
    const Sandbox sandbox;
    Bytes bytes = Rle8File().Build();
    bytes[0] = 'X';
    const std::string malformed = sandbox.WriteFile("bad.bmp", std::string(bytes.begin(), bytes.end()));
    BmpHandler handler;
    DibImage image;
    MediumInfo info;
    auto codeOf = [](auto&& call) -> std::optional<int> {
        try {
            call();
        } catch (const MediaError& error) {
            return error.code;
        }
        return std::nullopt;
    };
    EXPECT_EQ(codeOf([&] { handler.ReadImage(malformed, image); }), -5001);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(codeOf([&] { handler.ReadImage(sandbox / "missing.bmp", image); }), -5000);
    EXPECT_EQ(codeOf([&] { handler.ReadImage(sandbox.MakeFolder("dir.bmp"), image); }), -5000);
    EXPECT_EQ(codeOf([&] { handler.ReadMediumInfo(malformed, info); }), -5001);
    EXPECT_EQ(codeOf([&] { handler.ReadMediumInfo(sandbox / "missing.bmp", info); }), -5000);
}

TEST(BmpHandler, ReportsTheStoredSizeAndTheFilesDepth)
{
    const Sandbox sandbox;
    const Bytes bytes = Rle4File().Build();
    const std::string path = sandbox.WriteFile("rle4.bmp", std::string(bytes.begin(), bytes.end()));
    BmpHandler handler;
    MediumInfo info;
    EXPECT_EQ(handler.ReadMediumInfo(path, info), 1);
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitsPerPixel, 4);
    EXPECT_EQ(info.qualityIndex, -1); // bitmaps know no quality
    EXPECT_FALSE(handler.HasExif());
}

// The corpus: well-formed variants of one picture, and malformed files.

namespace {

std::optional<fs::path> BmpCorpusDir()
{
    std::error_code error;
    const fs::path folder = fs::path(VISTREL_CORPUS_DIR) / "bmp";
    if (fs::is_directory(folder / "good", error) && fs::is_directory(folder / "bad", error))
        return folder;
    return std::nullopt;
}

std::vector<fs::path> FilesOf(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

Decoded DecodeCorpusFile(const fs::path& path)
{
    Decoded result{BmpStatus::kMalformed, {}};
    result.status = ReadBmpFile(path.string(), result.image);
    return result;
}

} // namespace

TEST(BmpCorpus, DecodesEveryGoodFileCompletely)
{
    const std::optional<fs::path> corpus = BmpCorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no BMP corpus at " VISTREL_CORPUS_DIR "/bmp";
    int decoded = 0;
    for (const fs::path& path : FilesOf(*corpus / "good")) {
        const Decoded result = DecodeCorpusFile(path);
        EXPECT_EQ(result.status, BmpStatus::kComplete) << path;
        BmpInfo info;
        ASSERT_EQ(ReadBmpFileInfo(path.string(), info), BmpStatus::kComplete) << path;
        EXPECT_EQ(result.image.Width(), info.width) << path;
        EXPECT_EQ(result.image.Height(), info.height) << path;
        ++decoded;
    }
    EXPECT_GT(decoded, 0);
}

TEST(BmpCorpus, EncodingsOfOnePictureDecodeToTheSamePixels)
{
    const std::optional<fs::path> corpus = BmpCorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no BMP corpus at " VISTREL_CORPUS_DIR "/bmp";
    // Each group holds one picture in several encodings; the first file is the reference.
    const std::vector<std::vector<std::string_view>> groups = {
        {"pal8.bmp", "pal8-0.bmp", "pal8os2.bmp", "pal8rle.bmp", "pal8topdown.bmp", "pal8v4.bmp",
         "pal8v5.bmp"},
        {"pal4.bmp", "pal4rle.bmp"},
        {"rgb24.bmp", "rgb24pal.bmp", "rgb32.bmp", "rgb32bf.bmp", "rgb32bfdef.bmp"},
        {"rgb16.bmp", "rgb16bfdef.bmp"},
        {"rgb16-565.bmp", "rgb16-565pal.bmp"},
    };
    for (const auto& group : groups) {
        const fs::path reference = *corpus / "good" / group.front();
        if (!fs::exists(reference))
            continue;
        const Decoded expected = DecodeCorpusFile(reference);
        ASSERT_EQ(expected.status, BmpStatus::kComplete) << reference;
        for (std::string_view name : group) {
            const Decoded other = DecodeCorpusFile(*corpus / "good" / name);
            EXPECT_EQ(other.status, BmpStatus::kComplete) << name;
            EXPECT_TRUE(Pixels(other.image) == Pixels(expected.image))
                << name << " differs from " << group.front();
        }
    }
}

TEST(BmpCorpus, AgreesWithPixelsReadStraightFromTheFileBytes)
{
    const std::optional<fs::path> corpus = BmpCorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no BMP corpus at " VISTREL_CORPUS_DIR "/bmp";
    const fs::path rgb24 = *corpus / "good/rgb24.bmp";
    const fs::path pal8 = *corpus / "good/pal8.bmp";
    if (!fs::exists(rgb24) || !fs::exists(pal8))
        GTEST_SKIP() << "rgb24.bmp or pal8.bmp missing";
    // Values read from the stored rows (and, for pal8, its palette) by a separate script.
    struct Sample {
        uint32_t x, y, rgb24, pal8;
    };
    constexpr std::array kSamples = {
        Sample{0, 0, 0xFF0000, 0xFF0000},   Sample{126, 0, 0x9F9FBD, 0x99AACC},
        Sample{0, 63, 0x000000, 0x000000},  Sample{126, 63, 0x60607E, 0x665566},
        Sample{10, 50, 0x355252, 0x335566},
    };
    const Decoded trueColour = DecodeCorpusFile(rgb24);
    const Decoded indexed = DecodeCorpusFile(pal8);
    for (const Sample& sample : kSamples) {
        EXPECT_EQ(trueColour.image.Pixel(sample.x, sample.y), sample.rgb24) << sample.x << ", " << sample.y;
        EXPECT_EQ(indexed.image.Pixel(sample.x, sample.y), sample.pal8) << sample.x << ", " << sample.y;
    }
}

TEST(BmpCorpus, SixteenBitFilesMatchTheTrueColourPictureWithinTheirPrecision)
{
    const std::optional<fs::path> corpus = BmpCorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no BMP corpus at " VISTREL_CORPUS_DIR "/bmp";
    const Decoded reference = DecodeCorpusFile(*corpus / "good/rgb24.bmp");
    if (reference.status != BmpStatus::kComplete)
        GTEST_SKIP() << "rgb24.bmp missing";
    for (std::string_view name : {"rgb16.bmp", "rgb16-565.bmp"}) {
        const Decoded reduced = DecodeCorpusFile(*corpus / "good" / name);
        ASSERT_EQ(reduced.status, BmpStatus::kComplete) << name;
        ASSERT_EQ(reduced.image.Width(), reference.image.Width());
        ASSERT_EQ(reduced.image.Height(), reference.image.Height());
        int largest = 0;
        for (uint32_t i = 0; i < reference.image.PixelBytes(); ++i)
            largest = std::max(largest, std::abs(reference.image.Pixels()[i] - reduced.image.Pixels()[i]));
        // Five bits keep a channel to within 255 / 31 of its value, whichever way it was cut.
        EXPECT_LE(largest, 8) << name;
        EXPECT_GT(largest, 0) << name << " cannot be identical at 16 bits";
    }
}

TEST(BmpCorpus, RefusesBadFilesCleanlyOrDecodesWhatIsThere)
{
    const std::optional<fs::path> corpus = BmpCorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no BMP corpus at " VISTREL_CORPUS_DIR "/bmp";
    // Files whose flaw lies in a field the reader does not use decode in full; the others are
    // refused or give a partial picture.
    struct Expected {
        std::string_view name;
        BmpStatus status;
    };
    constexpr std::array kExpected = {
        Expected{"badbitcount.bmp", BmpStatus::kMalformed},
        Expected{"badbitssize.bmp", BmpStatus::kComplete}, // image size field: not used
        Expected{"baddens1.bmp", BmpStatus::kComplete},    // resolution: not used
        Expected{"baddens2.bmp", BmpStatus::kComplete},
        Expected{"badfilesize.bmp", BmpStatus::kComplete}, // file size field: not used
        Expected{"badheadersize.bmp", BmpStatus::kMalformed},
        Expected{"badpalettesize.bmp", BmpStatus::kMalformed},
        Expected{"badplanes.bmp", BmpStatus::kMalformed},
        Expected{"badrle.bmp", BmpStatus::kPartial},
        Expected{"badrle4.bmp", BmpStatus::kPartial},
        Expected{"badrle4bis.bmp", BmpStatus::kPartial},
        Expected{"badrle4ter.bmp", BmpStatus::kPartial},
        Expected{"badrlebis.bmp", BmpStatus::kPartial},
        Expected{"badrleter.bmp", BmpStatus::kPartial},
        Expected{"badwidth.bmp", BmpStatus::kMalformed},
        Expected{"pal8badindex.bmp", BmpStatus::kComplete}, // missing colours are black
        Expected{"reallybig.bmp", BmpStatus::kMalformed},
        Expected{"rgb16-880.bmp", BmpStatus::kComplete}, // a zero blue mask: no blue
        Expected{"rletopdown.bmp", BmpStatus::kMalformed},
        Expected{"shortfile.bmp", BmpStatus::kPartial},
    };
    int checked = 0;
    for (const fs::path& path : FilesOf(*corpus / "bad")) {
        const Decoded result = DecodeCorpusFile(path);
        const std::string name = path.filename().string();
        const auto row = std::find_if(kExpected.begin(), kExpected.end(),
                                      [&](const Expected& e) { return e.name == name; });
        if (row != kExpected.end())
            EXPECT_EQ(result.status, row->status) << name;
        else
            EXPECT_NE(result.status, BmpStatus::kUnreadable) << name;
        EXPECT_EQ(result.image.IsEmpty(), result.status == BmpStatus::kMalformed) << name;
        // The handler maps the same outcome to its codes.
        BmpHandler handler;
        DibImage image;
        std::optional<int> code;
        try {
            handler.ReadImage(path.string(), image);
        } catch (const MediaError& error) {
            code = error.code;
        }
        EXPECT_EQ(code, result.status == BmpStatus::kMalformed ? std::optional<int>(-5001) : std::nullopt)
            << name;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(BmpFuzzRegressions, ReplayedInputsAreHandledConsistently)
{
    const fs::path folder = fs::path(VISTREL_SOURCE_DIR) / "tests/fuzz/regressions";
    int replayed = 0;
    for (const fs::path& path : FilesOf(folder)) {
        if (!path.filename().string().starts_with("bmp-"))
            continue;
        const std::string bytes = ReadTextFile(path.string());
        EXPECT_TRUE(ExerciseBmpReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) << path;
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
