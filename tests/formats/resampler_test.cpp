#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "formats/picture_test_support.h"
#include "formats/pixel_buffer.h"
#include "formats/resampler.h"
#include "library/dib_image.h"

namespace {

// ---- A straightforward floating-point reference of the cubic resampler ----------------------
// Same kernel, ratio, tap and folding rules as the resampler documents them, in doubles, with
// rounding only at the end (and after the box averaging, whose result is an 8-bit picture).

double Keys(double x, double a)
{
    if (x < 1)
        return (a + 2) * x * x * x - (a + 3) * x * x + 1;
    if (x < 2)
        return a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a;
    return 0;
}

struct ReferenceRule {
    int taps;          // 0: the two-stage path
    double indexScale; // table index = distance x indexScale, 4096 entries per unit of distance
    bool normalised;
};

ReferenceRule RuleFor(double r)
{
    if (r >= 0.917)
        return {4, 4096.0, false};
    if (r >= 0.771)
        return {5, 3457.024, true};
    if (r >= 0.648)
        return {6, 2906.112, true};
    if (r >= 0.545)
        return {7, 2443.264, true};
    if (r >= 0.33)
        return {8, 2048.0, true};
    return {0, 0, false};
}

double ReferenceRatio(int sw, int sh, int dw, int dh)
{
    const double sourceWidth = int64_t{dw} * sh > int64_t{sw} * dh ? sw : double(sh) * dw / dh;
    return dw / sourceWidth;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<double> samples; // width x height x 3

    double& At(int x, int y, int c) { return samples[(size_t(y) * width + x) * 3 + c]; }
    double At(int x, int y, int c) const { return samples[(size_t(y) * width + x) * 3 + c]; }
};

Picture FromImage(const DibImage& image)
{
    Picture picture{int(image.Width()), int(image.Height()), {}};
    picture.samples.resize(size_t(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c)
                picture.At(x, y, c) = Channel(image, x, y, c);
    return picture;
}

// The taps of destination sample i: source indexes (folded onto the edges) and weights.
struct Taps {
    std::vector<int> index;
    std::vector<double> weight;
};

Taps TapsOf(int i, double r, const ReferenceRule& rule, int extent, double a)
{
    const double position = (1 - r) / (2 * r) + i / r;
    const double whole = std::floor(position);
    const double e = position - whole;
    Taps taps;
    double sum = 0;
    for (int k = 0; k < rule.taps; ++k) {
        const int offset = k - (rule.taps - 1) / 2;
        // The kernel where the table samples it: at floor(distance x scale) / 4096.
        const double distance = std::fabs(offset - e);
        const double w = Keys(std::floor(distance * rule.indexScale) / 4096.0, a);
        taps.index.push_back(std::clamp(int(whole) + offset, 0, extent - 1));
        taps.weight.push_back(w);
        sum += w;
    }
    if (rule.normalised)
        for (double& w : taps.weight)
            w /= sum;
    return taps;
}

Picture ReferenceSeparable(const Picture& source, int dw, int dh, double r, const ReferenceRule& rule,
                           double a)
{
    Picture across{dw, source.height, std::vector<double>(size_t(dw) * source.height * 3)};
    for (int i = 0; i < dw; ++i) {
        const Taps taps = TapsOf(i, r, rule, source.width, a);
        for (int y = 0; y < source.height; ++y)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (size_t k = 0; k < taps.index.size(); ++k)
                    sum += taps.weight[k] * source.At(taps.index[k], y, c);
                across.At(i, y, c) = sum;
            }
    }
    Picture result{dw, dh, std::vector<double>(size_t(dw) * dh * 3)};
    for (int j = 0; j < dh; ++j) {
        const Taps taps = TapsOf(j, r, rule, source.height, a);
        for (int x = 0; x < dw; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (size_t k = 0; k < taps.index.size(); ++k)
                    sum += taps.weight[k] * across.At(x, taps.index[k], c);
                result.At(x, j, c) = std::clamp(std::round(sum), 0.0, 255.0);
            }
    }
    return result;
}

Picture BoxAverage(const Picture& source, int width, int height, double r)
{
    auto bound = [r](int i) { return int(std::floor(i * 0.5 / r)); };
    Picture result{width, height, std::vector<double>(size_t(width) * height * 3)};
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                int count = 0;
                for (int y = bound(j); y < bound(j + 1); ++y)
                    for (int x = bound(i); x < bound(i + 1); ++x, ++count)
                        sum += source.At(x, y, c);
                result.At(i, j, c) = std::round(sum / count);
            }
    return result;
}

Picture ReferenceCubic(const DibImage& image, int dw, int dh, double a = -0.75)
{
    const Picture source = FromImage(image);
    const double r = ReferenceRatio(source.width, source.height, dw, dh);
    const ReferenceRule rule = RuleFor(r);
    if (rule.taps != 0)
        return ReferenceSeparable(source, dw, dh, r, rule, a);
    return ReferenceSeparable(BoxAverage(source, 2 * dw, 2 * dh, r), dw, dh, 0.5, RuleFor(0.5), a);
}

// A straightforward bilinear reference: centres aligned, edges repeated.
Picture ReferenceLinear(const DibImage& image, int dw, int dh)
{
    const Picture source = FromImage(image);
    auto place = [](int i, int count, int extent, int& near, int& far, double& f) {
        const double position = std::max(0.0, (i + 0.5) * extent / count - 0.5);
        near = int(position);
        far = std::min(near + 1, extent - 1);
        f = position - near;
    };
    Picture result{dw, dh, std::vector<double>(size_t(dw) * dh * 3)};
    for (int j = 0; j < dh; ++j)
        for (int i = 0; i < dw; ++i) {
            int x0, x1, y0, y1;
            double fx, fy;
            place(i, dw, source.width, x0, x1, fx);
            place(j, dh, source.height, y0, y1, fy);
            for (int c = 0; c < 3; ++c) {
                const double top = source.At(x0, y0, c) * (1 - fx) + source.At(x1, y0, c) * fx;
                const double bottom = source.At(x0, y1, c) * (1 - fx) + source.At(x1, y1, c) * fx;
                result.At(i, j, c) = std::round(top * (1 - fy) + bottom * fy);
            }
        }
    return result;
}

// The largest difference between an image and a reference picture of the same size.
int MaxDifference(const DibImage& image, const Picture& reference)
{
    EXPECT_EQ(int(image.Width()), reference.width);
    EXPECT_EQ(int(image.Height()), reference.height);
    int largest = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x)
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(Channel(image, x, y, c) - int(reference.At(x, y, c))));
    return largest;
}

DibImage Resampled(const DibImage& source, uint32_t dw, uint32_t dh, int* result = nullptr)
{
    DibImage destination;
    destination.Create(dw, dh, 24);
    const int code = ResampleImage(source, destination);
    if (result)
        *result = code;
    else
        EXPECT_EQ(code, kResampleOk);
    return destination;
}

struct TapCase {
    int taps; // 0: two-stage
    uint32_t sw, sh, dw, dh;
};

// One or more size pairs per tap count, with widths on and off multiples of 4.
const TapCase kTapCases[] = {
    {4, 64, 48, 61, 46},  // r = 0.958
    {4, 40, 30, 100, 75}, // enlargement, r = 2.5
    {5, 64, 48, 54, 40},  // r = 0.844
    {5, 63, 47, 49, 37},  // r = 0.787
    {6, 64, 48, 45, 34},  // r = 0.708
    {7, 64, 48, 38, 29},  // r = 0.604
    {8, 64, 48, 27, 20},  // r = 0.422
    {8, 101, 67, 35, 23}, // r = 0.347
    {8, 30, 22, 9, 8},    // r = 0.364, the smallest destination
    {0, 64, 48, 16, 12},  // r = 0.25: box averaging to 32 x 24, then 8 taps at 0.5
    {0, 400, 300, 20, 15}, {0, 333, 250, 9, 8},
};

int TapsOfCase(const TapCase& sizes)
{
    return RuleFor(ReferenceRatio(sizes.sw, sizes.sh, sizes.dw, sizes.dh)).taps;
}

std::string Describe(const TapCase& sizes)
{
    return std::to_string(sizes.sw) + "x" + std::to_string(sizes.sh) + " -> " + std::to_string(sizes.dw) + "x"
        + std::to_string(sizes.dh);
}

} // namespace

TEST(CubicResampler, AgreesWithFloatingPointReferenceForEveryTapCount)
{
    bool seen[9] = {};
    for (const TapCase& sizes : kTapCases) {
        const int taps = TapsOfCase(sizes);
        ASSERT_EQ(taps, sizes.taps) << Describe(sizes);
        seen[taps] = true;
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            const DibImage source = RandomPicture(sizes.sw, sizes.sh, seed * 7919 + sizes.dw);
            const DibImage result = Resampled(source, sizes.dw, sizes.dh);
            EXPECT_LE(MaxDifference(result, ReferenceCubic(source, sizes.dw, sizes.dh)), 1)
                << Describe(sizes) << " taps " << taps << " seed " << seed;
        }
    }
    for (int taps : {0, 4, 5, 6, 7, 8})
        EXPECT_TRUE(seen[taps]) << "no case for " << taps << " taps";
}

TEST(CubicResampler, UsesOneRatioForOutOfProportionDestinations)
{
    // The destination is relatively wider: r = 50 / 64, so the rows cover the top 48 x 50/64
    // source rows (the part with the destination's aspect ratio), not the whole height.
    const DibImage source = RandomPicture(64, 64, 99);
    const DibImage result = Resampled(source, 50, 20);
    EXPECT_LE(MaxDifference(result, ReferenceCubic(source, 50, 20)), 1);
    const DibImage tall = Resampled(source, 12, 40);
    EXPECT_LE(MaxDifference(tall, ReferenceCubic(source, 12, 40)), 1);
}

TEST(CubicResampler, KeepsAFlatColourForEveryTapCount)
{
    for (const TapCase& sizes : kTapCases) {
        for (uint32_t colour : {0x000000u, 0xFFFFFFu, 0x25807Fu, 0xFA0164u}) {
            const DibImage source = FlatPicture(sizes.sw, sizes.sh, colour);
            const DibImage result = Resampled(source, sizes.dw, sizes.dh);
            int largest = 0;
            for (uint32_t y = 0; y < sizes.dh; ++y)
                for (uint32_t x = 0; x < sizes.dw; ++x)
                    for (int c = 0; c < 3; ++c)
                        largest = std::max(
                            largest, std::abs(Channel(result, x, y, c) - int(colour >> (8 * c) & 0xFF)));
            EXPECT_LE(largest, 1) << Describe(sizes) << " colour " << std::hex << colour;
        }
    }
}

TEST(CubicResampler, ResamplesOnlyTheGivenRegion)
{
    const DibImage image = RandomPicture(64, 48, 5);
    DibImage part;
    part.Create(40, 30, 24);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            part.SetPixel(x, y, image.Pixel(x + 5, y + 3));
    const DibImage expected = Resampled(part, 20, 15);

    PixelBuffer source;
    ASSERT_EQ(DibToPixelBuffer(image, source, 0), kPixelBufferOk);
    PixelBuffer destination;
    ASSERT_EQ(destination.Create(20, 15, 0), kPixelBufferOk);
    ASSERT_EQ(ResampleCubic(source, SourceRegion{5, 3, 40, 30}, destination), kResampleOk);
    DibImage result;
    ASSERT_EQ(PixelBufferToDib(destination, result), kPixelBufferOk);
    EXPECT_EQ(std::memcmp(result.Pixels(), expected.Pixels(), expected.PixelBytes()), 0);
}

TEST(CubicResampler, FiltersFourBytePixelsLikeThreeBytePixels)
{
    const DibImage image = RandomPicture(50, 40, 11);
    PixelBuffer three;
    PixelBuffer four;
    ASSERT_EQ(DibToPixelBuffer(image, three, 0), kPixelBufferOk);
    ASSERT_EQ(DibToPixelBuffer(image, four, 2), kPixelBufferOk);
    for (const auto& [dw, dh] : {std::pair{45, 36}, std::pair{30, 24}, std::pair{10, 8}, std::pair{90, 72}}) {
        PixelBuffer smallThree;
        PixelBuffer smallFour;
        ASSERT_EQ(smallThree.Create(dw, dh, 0), kPixelBufferOk);
        ASSERT_EQ(smallFour.Create(dw, dh, 2), kPixelBufferOk);
        ASSERT_EQ(ResampleCubic(three, smallThree), kResampleOk);
        ASSERT_EQ(ResampleCubic(four, smallFour), kResampleOk);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(smallThree.Row(y)[x * 3 + c], smallFour.Row(y)[x * 4 + c])
                        << dw << " " << x << "," << y;
    }
}

TEST(CubicResampler, ReportsItsResultCodes)
{
    std::vector<uint8_t> block(64 * 64 * 4, 0x80);
    PixelBuffer source;
    ASSERT_EQ(source.Wrap(block.data(), 32, 32, 0), kPixelBufferOk);
    PixelBuffer destination;
    ASSERT_EQ(destination.Create(16, 16, 0), kPixelBufferOk);

    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 32}, destination, -0.49), kResampleBadKernel);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 32}, destination, -1.51), kResampleBadKernel);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 32}, destination, std::nan("")),
              kResampleBadKernel);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 32}, destination, -0.5), kResampleOk);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 32}, destination, -1.5), kResampleOk);

    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 7, 32}, destination), kResampleSourceTooSmall);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 7}, destination), kResampleSourceTooSmall);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 33, 32}, destination), kResampleRegionTooLarge);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 0, 32, 40}, destination), kResampleRegionTooLarge);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{1, 0, 32, 32}, destination), kResampleOffsetOutOfRange);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{-1, 0, 16, 16}, destination), kResampleOffsetOutOfRange);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{0, 17, 16, 16}, destination), kResampleOffsetOutOfRange);
    EXPECT_EQ(ResampleCubic(source, SourceRegion{16, 16, 16, 16}, destination), kResampleOk);

    PixelBuffer narrow;
    ASSERT_EQ(narrow.Create(7, 16, 0), kPixelBufferOk);
    EXPECT_EQ(ResampleCubic(source, narrow), kResampleDestinationTooSmall);
    PixelBuffer flat;
    ASSERT_EQ(flat.Create(16, 7, 0), kPixelBufferOk);
    EXPECT_EQ(ResampleCubic(source, flat), kResampleDestinationTooSmall);
    PixelBuffer otherPixels;
    ASSERT_EQ(otherPixels.Create(16, 16, 2), kPixelBufferOk);
    EXPECT_EQ(ResampleCubic(source, otherPixels), kResampleDestinationTooSmall);
    PixelBuffer none;
    EXPECT_EQ(ResampleCubic(none, destination), kResampleSourceTooSmall);
    EXPECT_EQ(ResampleCubic(source, none), kResampleDestinationTooSmall);
}

TEST(CubicResampler, RefusesPicturesAboveTheLimitWithoutTouchingThem)
{
    // The buffers claim sizes far beyond their blocks: the limit must be checked before any
    // pixel is read or written (the sanitizer build would report the access).
    std::vector<uint8_t> block(64 * 64 * 3, 0);
    PixelBuffer huge;
    ASSERT_EQ(huge.Wrap(block.data(), 20000, 20000, 0), kPixelBufferOk);
    PixelBuffer small;
    ASSERT_EQ(small.Create(16, 16, 0), kPixelBufferOk);
    EXPECT_EQ(ResampleCubic(huge, small), kResampleNoBufferMemory);
    EXPECT_EQ(ResampleLinear(huge, small), kResampleNoBufferMemory);

    PixelBuffer source;
    ASSERT_EQ(source.Wrap(block.data(), 64, 64, 0), kPixelBufferOk);
    std::vector<uint8_t> other(64 * 64 * 3, 0);
    PixelBuffer hugeDestination;
    ASSERT_EQ(hugeDestination.Wrap(other.data(), 20000, 20000, 0), kPixelBufferOk);
    EXPECT_EQ(ResampleCubic(source, hugeDestination), kResampleNoBufferMemory);
    EXPECT_EQ(ResampleLinear(source, hugeDestination), kResampleNoBufferMemory);
    static_assert(uint64_t{20000} * 20000 > kMaxPicturePixels);
}

TEST(LinearResampler, InterpolatesBetweenCentresAndRepeatsTheEdges)
{
    // Two pixels, 0 and 200, to four: positions -1/4 (clamped), 1/4, 3/4 and 5/4 (edge).
    DibImage source;
    ASSERT_TRUE(source.Create(2, 1, 24));
    source.SetPixel(0, 0, 0x000000);
    source.SetPixel(1, 0, 0xC8C8C8);
    const DibImage result = Resampled(source, 4, 1);
    EXPECT_EQ(result.Pixel(0, 0), 0x000000u);
    EXPECT_EQ(result.Pixel(1, 0), 0x323232u); // 50
    EXPECT_EQ(result.Pixel(2, 0), 0x969696u); // 150
    EXPECT_EQ(result.Pixel(3, 0), 0xC8C8C8u);
}

TEST(LinearResampler, RoundsToNearest)
{
    // Three pixels 0, v, 0 to two: the centres lie at 0.25 and 1.75 source pixels, so both
    // destination pixels are v / 4 (0.25 rounds down, 0.5 and 0.75 up).
    for (const auto& [middle, expected] :
         {std::pair{1u, 0u}, std::pair{2u, 1u}, std::pair{3u, 1u}, std::pair{6u, 2u}}) {
        DibImage source;
        ASSERT_TRUE(source.Create(3, 1, 24));
        source.SetPixel(1, 0, middle * 0x010101);
        const DibImage result = Resampled(source, 2, 1);
        EXPECT_EQ(result.Pixel(0, 0), expected * 0x010101) << middle;
        EXPECT_EQ(result.Pixel(1, 0), expected * 0x010101) << middle;
    }
}

TEST(Resampler, UsesLinearWhenAnySideIsBelowEight)
{
    const DibImage source = RandomPicture(16, 16, 3);
    const std::pair<uint32_t, uint32_t> sizes[] = {{8, 7}, {7, 8}, {3, 5}, {1, 1}, {40, 5}};
    for (const auto& [dw, dh] : sizes)
        EXPECT_LE(MaxDifference(Resampled(source, dw, dh), ReferenceLinear(source, dw, dh)), 1)
            << dw << "x" << dh;
    const DibImage narrow = RandomPicture(7, 16, 4);
    EXPECT_LE(MaxDifference(Resampled(narrow, 10, 24), ReferenceLinear(narrow, 10, 24)), 1);
    const DibImage flat = RandomPicture(100, 7, 5);
    EXPECT_LE(MaxDifference(Resampled(flat, 9, 9), ReferenceLinear(flat, 9, 9)), 1);

    // At 8 x 8 on both sides the cubic resampler serves (it differs from the linear one here).
    const DibImage cubic = Resampled(source, 8, 8);
    EXPECT_LE(MaxDifference(cubic, ReferenceCubic(source, 8, 8)), 1);
    EXPECT_GT(MaxDifference(cubic, ReferenceLinear(source, 8, 8)), 1);
}

TEST(Resampler, CopiesEqualSizes)
{
    const DibImage source = RandomPicture(13, 9, 8);
    const DibImage result = Resampled(source, 13, 9);
    EXPECT_EQ(std::memcmp(result.Pixels(), source.Pixels(), source.PixelBytes()), 0);
}

TEST(Resampler, LeavesRowPaddingAloneForWidthsOffMultiplesOfFour)
{
    // 61-pixel rows carry one padding byte; the unpadded copy must not shift the rows.
    const DibImage source = RandomPicture(61, 45, 21);
    const DibImage result = Resampled(source, 30, 22);
    EXPECT_LE(MaxDifference(result, ReferenceCubic(source, 30, 22)), 1);
    for (uint32_t y = 0; y < result.Height(); ++y)
        EXPECT_EQ(result.Row(y)[result.Stride() - 1], 0) << y;
    const DibImage wide = Resampled(RandomPicture(21, 17, 22), 43, 35);
    EXPECT_LE(MaxDifference(wide, ReferenceCubic(RandomPicture(21, 17, 22), 43, 35)), 1);
}

TEST(Resampler, RejectsImagesThatAreNotTwentyFourBits)
{
    DibImage palette;
    ASSERT_TRUE(palette.Create(16, 16, 8));
    DibImage destination;
    ASSERT_TRUE(destination.Create(8, 8, 24));
    EXPECT_EQ(ResampleImage(palette, destination), kResampleSourceTooSmall);
    EXPECT_EQ(ResampleImage(DibImage{}, destination), kResampleSourceTooSmall);
    const DibImage source = RandomPicture(16, 16, 1);
    DibImage empty;
    EXPECT_EQ(ResampleImage(source, empty), kResampleDestinationTooSmall);
}
