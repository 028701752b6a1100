#include "formats/resampler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "formats/pixel_buffer.h"
#include "library/dib_image.h"

namespace {

// Working arrays come from malloc, so that running out of memory becomes a result code and
// never an exception.
struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};
template <class T> using Array = std::unique_ptr<T[], FreeDeleter>;

template <class T> Array<T> Allocate(size_t count)
{
    return Array<T>(static_cast<T*>(std::malloc(std::max<size_t>(count, 1) * sizeof(T))));
}

bool IsAbovePictureLimit(int64_t width, int64_t height)
{
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPicturePixels;
}

// ---- The cubic resampler ----------------------------------------------------------------------

// The Keys kernel tabulated at 4096 entries per unit of distance over distances 0 to 2, followed
// by 16 KB of zeros: the stretched kernels of 5 to 7 taps look up indexes up to 3 x 3457.
constexpr int kKernelEntries = 8192;
constexpr int kKernelZeros = 4096;
constexpr int kKernelTableSize = kKernelEntries + kKernelZeros;

Array<float> MakeKernelTable(double a)
{
    Array<float> table = Allocate<float>(kKernelTableSize);
    if (!table)
        return table;
    for (int i = 0; i < 4096; ++i) { // 0 <= x < 1: (a+2)x^3 - (a+3)x^2 + 1
        const double x = i / 4096.0;
        table[i] = static_cast<float>((a + 2) * x * x * x - (a + 3) * x * x + 1);
    }
    for (int i = 4096; i < kKernelEntries; ++i) { // 1 <= x < 2 with u = x - 1: a(u^3 - 2u^2 + u)
        const double u = (i - 4096) / 4096.0;
        table[i] = static_cast<float>(a * (u * u * u - 2 * u * u + u));
    }
    std::fill(table.get() + kKernelEntries, table.get() + kKernelTableSize, 0.0f);
    return table;
}

// Taps by scale ratio. Below 0.917 the kernel is stretched over more taps: the table index is the
// distance times indexScale instead of 4096, and the weights are renormalised to sum 1.
struct TapRule {
    double lowestRatio;
    int taps;
    double indexScale;
    bool normalised;
};

constexpr TapRule kTapRules[] = {
    {0.917, 4, 4096.0, false},  {0.771, 5, 3457.024, true}, {0.648, 6, 2906.112, true},
    {0.545, 7, 2443.264, true}, {0.33, 8, 2048.0, true},
};
constexpr int kMaxTaps = 8;
// Below this ratio the source is first box-averaged to twice the destination size, which the
// 8-tap rule then halves.
constexpr double kTwoStageBelow = 0.33;
constexpr double kSecondStageRatio = 0.5;
constexpr const TapRule& kSecondStageRule = kTapRules[4];

// Fixed point: weights x 1024; the horizontal pass keeps 6 fraction bits in 16-bit samples, the
// vertical pass removes the remaining 16 bits.
constexpr double kWeightOne = 1024.0;

// dw over the width of the source part that has the destination's aspect ratio: the whole
// source width when the destination is relatively wider, sh x dw / dh otherwise.
double ScaleRatio(int64_t sw, int64_t sh, int64_t dw, int64_t dh)
{
    const double sourceWidth
        = dw * sh > sw * dh ? static_cast<double>(sw) : static_cast<double>(sh) * dw / dh;
    return static_cast<double>(dw) / sourceWidth;
}

// The taps of one direction: for each destination sample the first source sample and the
// weights of `taps` consecutive source samples. Taps outside the source are folded onto the edge
// sample by adding their weight to it, so that the passes never test for edges.
struct Filter {
    Array<int32_t> first;
    Array<int16_t> weights;
};

int MakeFilter(const float* kernel, const TapRule& rule, double ratio, int32_t count, int32_t extent,
               Filter& filter)
{
    const int taps = rule.taps;
    filter.weights = Allocate<int16_t>(static_cast<size_t>(count) * taps);
    if (!filter.weights)
        return kResampleNoWeightMemory;
    filter.first = Allocate<int32_t>(static_cast<size_t>(count));
    if (!filter.first)
        return kResampleNoPositionMemory;
    const int before = (taps - 1) / 2; // taps before the one at the position's integer part
    const double offset = (1.0 - ratio) / (2.0 * ratio);
    for (int32_t i = 0; i < count; ++i) {
        const double position = offset + i / ratio;
        const double whole = std::floor(position);
        const double e = position - whole;
        double weights[kMaxTaps];
        double sum = 0;
        for (int k = 0; k < taps; ++k) {
            const double distance = std::fabs(k - before - e);
            const int index = std::min(static_cast<int>(distance * rule.indexScale), kKernelTableSize - 1);
            weights[k] = kernel[index];
            sum += weights[k];
        }
        const int64_t base = static_cast<int64_t>(whole) - before;
        const int64_t start = std::clamp<int64_t>(base, 0, extent - taps);
        int16_t* folded = filter.weights.get() + static_cast<size_t>(i) * taps;
        std::fill(folded, folded + taps, int16_t{0});
        for (int k = 0; k < taps; ++k) {
            const double weight = rule.normalised && sum != 0 ? weights[k] / sum : weights[k];
            const int64_t tap = std::clamp<int64_t>(base + k, 0, extent - 1);
            folded[tap - start]
                = static_cast<int16_t>(folded[tap - start] + std::lround(weight * kWeightOne));
        }
        filter.first[i] = static_cast<int32_t>(start);
    }
    return kResampleOk;
}

// Horizontal pass of one source row: count x C samples (sum + 4) >> 4. The positive weights of
// any rule sum to at most 1421 / 1024 (a = -1.5, 5 taps), so a sample stays within
// 255 x 1421 / 16 < 2^15, and the vertical sums within 2^31.
template <int N, int C>
void FilterRow(const uint8_t* __restrict source, const Filter& columns, int32_t count,
               int16_t* __restrict out)
{
    const int32_t* first = columns.first.get();
    const int16_t* weights = columns.weights.get();
    for (int32_t i = 0; i < count; ++i, weights += N, out += C) {
        const uint8_t* s = source + static_cast<size_t>(first[i]) * C;
        for (int c = 0; c < C; ++c) {
            int32_t sum = 4;
            for (int k = 0; k < N; ++k)
                sum += weights[k] * s[k * C + c];
            out[c] = static_cast<int16_t>(sum >> 4);
        }
    }
}

// Vertical pass of one destination row: (sum + 0x8000) >> 16, clamped to a byte.
template <int N>
void CombineRows(const int16_t* const* window, const int16_t* weights, size_t samples,
                 uint8_t* __restrict out)
{
    const int16_t* rows[N];
    int32_t w[N];
    for (int k = 0; k < N; ++k) {
        rows[k] = window[k];
        w[k] = weights[k];
    }
    for (size_t x = 0; x < samples; ++x) {
        int32_t sum = 0x8000;
        for (int k = 0; k < N; ++k)
            sum += w[k] * rows[k][x];
        out[x] = static_cast<uint8_t>(std::clamp(sum >> 16, 0, 255));
    }
}

// Both passes. The horizontally filtered rows are kept in a ring of N rows, slot = row mod N,
// so that each source row of the region is filtered at most once and the working memory is N
// destination rows whatever the source size.
template <int N, int C>
int RunPasses(const PixelBuffer& source, const SourceRegion& region, PixelBuffer& destination,
              const Filter& columns, const Filter& rows)
{
    const int32_t dw = destination.Width();
    const size_t samples = static_cast<size_t>(dw) * C;
    Array<int16_t> ring = Allocate<int16_t>(samples * N);
    if (!ring)
        return kResampleNoRowMemory;
    int32_t held[N];
    std::fill(held, held + N, -1);
    const int16_t* window[N];
    for (int32_t j = 0; j < destination.Height(); ++j) {
        const int32_t top = rows.first[j];
        for (int k = 0; k < N; ++k) {
            const int32_t row = top + k;
            const int slot = row % N;
            int16_t* line = ring.get() + static_cast<size_t>(slot) * samples;
            if (held[slot] != row) {
                FilterRow<N, C>(source.Row(region.y + row) + static_cast<size_t>(region.x) * C, columns, dw,
                                line);
                held[slot] = row;
            }
            window[k] = line;
        }
        CombineRows<N>(window, rows.weights.get() + static_cast<size_t>(j) * N, samples, destination.Row(j));
    }
    return kResampleOk;
}

template <int N>
int RunPassesFor(const PixelBuffer& source, const SourceRegion& region, PixelBuffer& destination,
                 const Filter& columns, const Filter& rows)
{
    return source.BytesPerPixel() == 4 ? RunPasses<N, 4>(source, region, destination, columns, rows)
                                       : RunPasses<N, 3>(source, region, destination, columns, rows);
}

int CubicStage(const float* kernel, const TapRule& rule, double ratio, const PixelBuffer& source,
               const SourceRegion& region, PixelBuffer& destination)
{
    Filter columns;
    Filter rows;
    if (const int result = MakeFilter(kernel, rule, ratio, destination.Width(), region.width, columns))
        return result;
    if (const int result = MakeFilter(kernel, rule, ratio, destination.Height(), region.height, rows))
        return result;
    switch (rule.taps) {
    case 4: return RunPassesFor<4>(source, region, destination, columns, rows);
    case 5: return RunPassesFor<5>(source, region, destination, columns, rows);
    case 6: return RunPassesFor<6>(source, region, destination, columns, rows);
    case 7: return RunPassesFor<7>(source, region, destination, columns, rows);
    default: return RunPassesFor<8>(source, region, destination, columns, rows);
    }
}

// Box boundaries of the first stage: floor(i x 0.5 / r) for i = 0 to count.
Array<int32_t> BoxBounds(double ratio, int32_t count, int32_t extent)
{
    Array<int32_t> bounds = Allocate<int32_t>(static_cast<size_t>(count) + 1);
    if (!bounds)
        return bounds;
    for (int32_t i = 0; i <= count; ++i) {
        const double bound = std::floor(i * 0.5 / ratio);
        bounds[i] = static_cast<int32_t>(std::min<double>(bound, extent));
    }
    return bounds;
}

// Exact division by a divisor fixed for many numerators, all below 2^31, by one multiplication
// and shift (Granlund and Montgomery, "Division by invariant integers using multiplication":
// shift = 31 + ceil(log2 d), multiplier = ceil(2^shift / d) < 2^32 + 1).
class Divisor {
public:
    Divisor() = default;
    explicit Divisor(uint32_t divisor)
        : m_shift(31 + std::bit_width(divisor - 1))
        , m_multiplier(((uint64_t{1} << m_shift) + divisor - 1) / divisor)
    {
    }
    uint32_t Divide(uint32_t numerator) const
    {
        return static_cast<uint32_t>((numerator * m_multiplier) >> m_shift);
    }

private:
    int m_shift = 31;
    uint64_t m_multiplier = uint64_t{1} << 31; // divides by 1
};

// The first stage of the two-stage path: the average of every box, rounded to nearest. Columns
// are first summed down the rows of a box (one straight, vectorised add per source byte, into
// 16-bit sums when a box has at most 257 rows), then across the columns of each box. A box holds
// at most (width / 16 + 1) x (height / 16 + 1) pixels, since r >= 8 / width and r >= 8 / height,
// so below kMaxPicturePixels every total stays below 2^31.
template <class Sum, int C>
void BoxAverage(const PixelBuffer& source, const SourceRegion& region, const int32_t* columnBounds,
                const int32_t* rowBounds, Sum* sums, Divisor* divisors, int32_t narrowestBox,
                int32_t boxWidths, PixelBuffer& reduced)
{
    const size_t rowSamples = static_cast<size_t>(region.width) * C;
    int32_t divisorRows = -1;
    for (int32_t by = 0; by < reduced.Height(); ++by) {
        std::fill(sums, sums + rowSamples, Sum{0});
        for (int32_t y = rowBounds[by]; y < rowBounds[by + 1]; ++y) {
            const uint8_t* __restrict row = source.Row(region.y + y) + static_cast<size_t>(region.x) * C;
            Sum* __restrict sum = sums;
            for (size_t i = 0; i < rowSamples; ++i)
                sum[i] = static_cast<Sum>(sum[i] + row[i]);
        }
        // Boxes come in very few sizes (two widths, two heights): one divisor per width.
        const int32_t boxRows = rowBounds[by + 1] - rowBounds[by];
        if (boxRows != divisorRows) {
            for (int32_t w = 0; w < boxWidths; ++w)
                divisors[w]
                    = Divisor(std::max<uint32_t>(1, static_cast<uint32_t>(boxRows * (narrowestBox + w))));
            divisorRows = boxRows;
        }
        uint8_t* out = reduced.Row(by);
        for (int32_t bx = 0; bx < reduced.Width(); ++bx, out += C) {
            const int32_t left = columnBounds[bx];
            const int32_t right = columnBounds[bx + 1];
            const Divisor& divisor = divisors[right - left - narrowestBox];
            const auto half = static_cast<uint32_t>(boxRows * (right - left) / 2);
            uint32_t totals[C] = {};
            const Sum* column = sums + static_cast<size_t>(left) * C;
            for (int32_t x = left; x < right; ++x, column += C)
                for (int c = 0; c < C; ++c)
                    totals[c] += column[c];
            for (int c = 0; c < C; ++c)
                out[c] = static_cast<uint8_t>(divisor.Divide(totals[c] + half));
        }
    }
}

// Ratios below 0.33: box-average the region to twice the destination size (box boundaries at
// floor(i x 0.5 / r)), then halve that with the 8-tap kernel at ratio 0.5.
int TwoStage(const float* kernel, double ratio, const PixelBuffer& source, const SourceRegion& region,
             PixelBuffer& destination)
{
    const int bytes = source.BytesPerPixel();
    const int32_t reducedWidth = 2 * destination.Width();
    const int32_t reducedHeight = 2 * destination.Height();
    const Array<int32_t> columnBounds = BoxBounds(ratio, reducedWidth, region.width);
    const Array<int32_t> rowBounds = BoxBounds(ratio, reducedHeight, region.height);
    if (!columnBounds || !rowBounds)
        return kResampleNoPositionMemory;
    int32_t narrowest = region.width;
    int32_t widest = 0;
    for (int32_t bx = 0; bx < reducedWidth; ++bx) {
        narrowest = std::min(narrowest, columnBounds[bx + 1] - columnBounds[bx]);
        widest = std::max(widest, columnBounds[bx + 1] - columnBounds[bx]);
    }
    int32_t tallest = 0;
    for (int32_t by = 0; by < reducedHeight; ++by)
        tallest = std::max(tallest, rowBounds[by + 1] - rowBounds[by]);

    PixelBuffer reduced;
    if (reduced.Create(reducedWidth, reducedHeight, bytes == 4 ? 2 : 0) != kPixelBufferOk)
        return kResampleNoBufferMemory;
    const int32_t boxWidths = widest - narrowest + 1;
    Array<Divisor> divisors = Allocate<Divisor>(static_cast<size_t>(boxWidths));
    const size_t rowSamples = static_cast<size_t>(region.width) * bytes;
    const bool narrowSums = tallest <= 0xFFFF / 0xFF;
    Array<uint16_t> sums16 = narrowSums ? Allocate<uint16_t>(rowSamples) : nullptr;
    Array<uint32_t> sums32 = narrowSums ? nullptr : Allocate<uint32_t>(rowSamples);
    if (!divisors || !(sums16 || sums32))
        return kResampleNoBufferMemory;
    const int32_t* columns = columnBounds.get();
    const int32_t* rows = rowBounds.get();
    if (narrowSums && bytes == 3)
        BoxAverage<uint16_t, 3>(source, region, columns, rows, sums16.get(), divisors.get(), narrowest,
                                boxWidths, reduced);
    else if (narrowSums)
        BoxAverage<uint16_t, 4>(source, region, columns, rows, sums16.get(), divisors.get(), narrowest,
                                boxWidths, reduced);
    else if (bytes == 3)
        BoxAverage<uint32_t, 3>(source, region, columns, rows, sums32.get(), divisors.get(), narrowest,
                                boxWidths, reduced);
    else
        BoxAverage<uint32_t, 4>(source, region, columns, rows, sums32.get(), divisors.get(), narrowest,
                                boxWidths, reduced);

    const SourceRegion whole{0, 0, reducedWidth, reducedHeight};
    return CubicStage(kernel, kSecondStageRule, kSecondStageRatio, reduced, whole, destination);
}

// ---- The linear resampler ---------------------------------------------------------------------

// One destination column (or row): the two source samples around its centre and the weight of
// the second, in units of 1/(2 x destination size); the first weighs the rest.
struct LinearStep {
    int32_t near;
    int32_t far;
    int64_t farWeight;
};

Array<LinearStep> MakeLinearSteps(int32_t count, int32_t extent)
{
    Array<LinearStep> steps = Allocate<LinearStep>(static_cast<size_t>(count));
    if (!steps)
        return steps;
    const int64_t unit = 2 * static_cast<int64_t>(count);
    for (int32_t i = 0; i < count; ++i) {
        // Centre of destination sample i in source samples: ((2i + 1) x extent - count) / unit.
        const int64_t position = std::max<int64_t>((2 * static_cast<int64_t>(i) + 1) * extent - count, 0);
        const auto near = static_cast<int32_t>(position / unit);
        steps[i] = {near, std::min(near + 1, extent - 1), position % unit};
    }
    return steps;
}

} // namespace

int ResampleCubic(const PixelBuffer& source, const SourceRegion& region, PixelBuffer& destination,
                  double keysParameter)
{
    if (!(keysParameter >= -1.5 && keysParameter <= -0.5))
        return kResampleBadKernel;
    if (source.IsEmpty() || region.width < 8 || region.height < 8)
        return kResampleSourceTooSmall;
    if (destination.IsEmpty() || destination.Width() < 8 || destination.Height() < 8
        || destination.BytesPerPixel() != source.BytesPerPixel())
        return kResampleDestinationTooSmall;
    if (region.width > source.Width() || region.height > source.Height())
        return kResampleRegionTooLarge;
    if (region.x < 0 || region.y < 0 || region.x > source.Width() - region.width
        || region.y > source.Height() - region.height)
        return kResampleOffsetOutOfRange;
    if (IsAbovePictureLimit(region.width, region.height)
        || IsAbovePictureLimit(destination.Width(), destination.Height()))
        return kResampleNoBufferMemory;
    const Array<float> kernel = MakeKernelTable(keysParameter);
    if (!kernel)
        return kResampleNoWeightMemory;
    const double ratio = ScaleRatio(region.width, region.height, destination.Width(), destination.Height());
    if (ratio < kTwoStageBelow)
        return TwoStage(kernel.get(), ratio, source, region, destination);
    for (const TapRule& rule : kTapRules) {
        if (ratio >= rule.lowestRatio)
            return CubicStage(kernel.get(), rule, ratio, source, region, destination);
    }
    return TwoStage(kernel.get(), ratio, source, region, destination); // not reached
}

int ResampleCubic(const PixelBuffer& source, PixelBuffer& destination)
{
    return ResampleCubic(source, SourceRegion{0, 0, source.Width(), source.Height()}, destination);
}

int ResampleLinear(const PixelBuffer& source, PixelBuffer& destination)
{
    if (source.IsEmpty())
        return kResampleSourceTooSmall;
    if (destination.IsEmpty() || destination.BytesPerPixel() != source.BytesPerPixel())
        return kResampleDestinationTooSmall;
    if (IsAbovePictureLimit(source.Width(), source.Height())
        || IsAbovePictureLimit(destination.Width(), destination.Height()))
        return kResampleNoBufferMemory;
    const Array<LinearStep> columns = MakeLinearSteps(destination.Width(), source.Width());
    if (!columns)
        return kResampleNoPositionMemory;
    const Array<LinearStep> rows = MakeLinearSteps(destination.Height(), source.Height());
    if (!rows)
        return kResampleNoPositionMemory;
    const int bytes = source.BytesPerPixel();
    const auto columnUnit = 2 * static_cast<uint64_t>(destination.Width());
    const auto rowUnit = 2 * static_cast<uint64_t>(destination.Height());
    const uint64_t total = columnUnit * rowUnit;
    for (int32_t j = 0; j < destination.Height(); ++j) {
        const LinearStep& row = rows[j];
        const uint8_t* upper = source.Row(row.near);
        const uint8_t* lower = source.Row(row.far);
        const auto lowerWeight = static_cast<uint64_t>(row.farWeight);
        uint8_t* out = destination.Row(j);
        for (int32_t i = 0; i < destination.Width(); ++i) {
            const LinearStep& column = columns[i];
            const size_t left = static_cast<size_t>(column.near) * bytes;
            const size_t right = static_cast<size_t>(column.far) * bytes;
            const auto rightWeight = static_cast<uint64_t>(column.farWeight);
            for (int c = 0; c < bytes; ++c) {
                const uint64_t top
                    = upper[left + c] * (columnUnit - rightWeight) + upper[right + c] * rightWeight;
                const uint64_t bottom
                    = lower[left + c] * (columnUnit - rightWeight) + lower[right + c] * rightWeight;
                const uint64_t sum = top * (rowUnit - lowerWeight) + bottom * lowerWeight;
                out[static_cast<size_t>(i) * bytes + c] = static_cast<uint8_t>((sum + total / 2) / total);
            }
        }
    }
    return kResampleOk;
}

int ResampleImage(const DibImage& source, DibImage& destination)
{
    if (source.IsEmpty() || source.BitsPerPixel() != 24)
        return kResampleSourceTooSmall;
    if (destination.IsEmpty() || destination.BitsPerPixel() != 24)
        return kResampleDestinationTooSmall;
    const auto sw = static_cast<int32_t>(source.Width());
    const auto sh = static_cast<int32_t>(source.Height());
    const auto dw = static_cast<int32_t>(destination.Width());
    const auto dh = static_cast<int32_t>(destination.Height());
    if (sw == dw && sh == dh) {
        std::memcpy(destination.Pixels(), source.Pixels(), source.PixelBytes());
        return kResampleOk;
    }
    // Rows of a width divisible by 4 have no padding, so the pixel blocks serve directly (layout
    // 1 is then layout 0); other widths go through an unpadded copy. The source block is only
    // read, whatever the buffer type says.
    PixelBuffer from;
    if (sw % 4 == 0) {
        from.Wrap(const_cast<uint8_t*>(source.Pixels()), sw, sh, 1);
    } else {
        if (from.Create(sw, sh, 0) != kPixelBufferOk)
            return kResampleNoBufferMemory;
        for (int32_t y = 0; y < sh; ++y)
            std::memcpy(from.Row(y), source.Row(static_cast<uint32_t>(y)), static_cast<size_t>(sw) * 3);
    }
    PixelBuffer to;
    if (dw % 4 == 0)
        to.Wrap(destination.Pixels(), dw, dh, 1);
    else if (to.Create(dw, dh, 0) != kPixelBufferOk)
        return kResampleNoBufferMemory;

    const bool cubic = sw >= 8 && sh >= 8 && dw >= 8 && dh >= 8;
    const int result = cubic ? ResampleCubic(from, to) : ResampleLinear(from, to);
    if (result == kResampleOk && !to.IsBorrowed()) {
        for (int32_t y = 0; y < dh; ++y)
            std::memcpy(destination.Row(static_cast<uint32_t>(y)), to.Row(y), static_cast<size_t>(dw) * 3);
    }
    return result;
}
