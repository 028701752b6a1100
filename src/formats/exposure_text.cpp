#include "formats/exposure_text.h"

#include <array>
#include <cmath>
#include <span>

#include "formats/printf_text.h"
#include "formats/tag_set.h"
#include "formats/tag_values.h"

namespace {

constexpr std::uint16_t kExposureTimeTag = 0x829A;
constexpr std::uint16_t kFNumberTag = 0x829D;
constexpr std::uint16_t kShutterSpeedValueTag = 0x9201;
constexpr std::uint16_t kApertureValueTag = 0x9202;

// Nominal shutter speeds in tenths of a stop. APEX steps are not the round numbers printed on
// camera dials, so each step names the dial value; an entry holds tenths of a second (or of its
// reciprocal) before the group's factor is applied.
constexpr std::uint16_t kSteps0To39[]
    = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 25,  26,  30,  31,  32,  35,  37,
       40, 43, 45, 50, 53, 60, 60, 65, 70, 75, 80, 85, 90, 100, 100, 100, 120, 130, 140, 150};
constexpr std::uint16_t kSteps40To79[]
    = {15, 17, 18, 20, 20, 20, 25,  26,  27,  28,  30,  34,  38,  40,  42,  45,  50,  52,  56,  58,
       60, 70, 75, 80, 85, 90, 100, 105, 110, 120, 125, 140, 150, 160, 170, 180, 200, 210, 220, 240};
constexpr std::uint16_t kSteps80To109[]
    = {25, 28, 30, 32, 34, 35,  40,  42,  45,  48,  50,  55,  60,  64,  68,
       75, 80, 85, 90, 95, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190};
constexpr std::uint16_t kSteps110To139[]
    = {20, 22, 24, 25, 27, 29, 30, 33, 35,  38,  40,  44,  47,  50,  54,
       58, 60, 65, 70, 75, 80, 85, 90, 100, 105, 110, 120, 130, 140, 150};
constexpr std::uint16_t kSteps140To169[] = {16, 17, 18, 20, 22, 23, 25, 26, 28, 30, 33, 35,  38,  40,  43,
                                            46, 50, 53, 57, 60, 65, 70, 75, 80, 85, 90, 100, 105, 110, 120};
constexpr std::uint16_t kSteps170To200[] = {13, 14, 15, 16, 17, 18, 20, 21, 23, 24, 26, 28, 30, 32, 35, 37,
                                            40, 42, 45, 48, 52, 56, 60, 65, 70, 75, 80, 85, 90, 95, 100};

struct StepGroup {
    int firstStep;
    int lastStep;
    std::uint32_t factor;
    std::span<const std::uint16_t> tenths;
};

constexpr std::array<StepGroup, 6> kStepGroups = {{
    {0, 39, 1, kSteps0To39},
    {40, 79, 10, kSteps40To79},
    {80, 109, 100, kSteps80To109},
    {110, 139, 1000, kSteps110To139},
    {140, 169, 10000, kSteps140To169},
    {170, 200, 100000, kSteps170To200},
}};

constexpr int kStepCount = 201;

consteval bool StepGroupsCoverEveryStep()
{
    int next = 0;
    for (const StepGroup& group : kStepGroups) {
        if (group.firstStep != next
            || group.lastStep - group.firstStep + 1 != static_cast<int>(group.tenths.size()))
            return false;
        next = group.lastStep + 1;
    }
    return next == kStepCount;
}
static_assert(StepGroupsCoverEveryStep(), "the step groups must cover steps 0 to 200 without gaps");

// numerator / denominator to the nearest whole number, halves rounded up.
std::uint64_t RoundedQuotient(std::uint64_t numerator, std::uint64_t denominator)
{
    return (2 * numerator + denominator) / (2 * denominator);
}

} // namespace

std::string ExposureTimeText(std::uint32_t numerator, std::uint32_t denominator)
{
    if (denominator == 0)
        return {};
    if (numerator == 0)
        return "0";
    const std::uint64_t n = numerator;
    const std::uint64_t d = denominator;
    if (n < d) {
        // 1/x with a whole x, else x to a tenth (1/12.5, 1/333.3).
        if (d % n == 0)
            return PrintfText("1/%lu", static_cast<unsigned long>(d / n));
        return PrintfText("1/%.1f", static_cast<double>(RoundedQuotient(10 * d, n)) / 10.0);
    }
    if (n % d == 0)
        return PrintfText("%lu", static_cast<unsigned long>(n / d));
    return PrintfText("%.1f", static_cast<double>(RoundedQuotient(10 * n, d)) / 10.0);
}

std::string ShutterSpeedText(double apexValue)
{
    const double step = std::floor(std::fabs(apexValue) * 10 + 0.5);
    if (!(step < kStepCount))
        return {};
    const int index = static_cast<int>(step);
    for (const StepGroup& group : kStepGroups) {
        if (index > group.lastStep)
            continue;
        const unsigned long value
            = static_cast<unsigned long>(group.tenths[static_cast<std::size_t>(index - group.firstStep)])
            * group.factor;
        // A positive time value is a fraction of a second.
        const char* prefix = apexValue > 0 ? "1/" : "";
        if (value % 10 != 0)
            return PrintfText("%s%lu.%lu", prefix, value / 10, value % 10);
        return PrintfText("%s%lu", prefix, value / 10);
    }
    return {};
}

std::string FNumberText(std::uint64_t tenths)
{
    if (tenths == 0)
        return {};
    if (tenths < 100)
        return PrintfText("F%lu.%lu", static_cast<unsigned long>(tenths / 10),
                          static_cast<unsigned long>(tenths % 10));
    unsigned long whole = static_cast<unsigned long>(tenths / 10);
    if (whole < 100)
        return PrintfText("F%lu", whole);
    // Large-format stops are written with two significant digits (F450, F1000).
    int dropped = 0;
    while (whole >= 100) {
        whole /= 10;
        ++dropped;
    }
    return PrintfText("F%lu%0*d", whole, dropped, 0);
}

std::string ExposureTimeText(const TagSet& tags)
{
    const std::optional<Rational> time = RationalTagValue(tags.Find(TagMap::kExif, kExposureTimeTag));
    if (time && time->denominator > 0 && time->numerator >= 0)
        return ExposureTimeText(static_cast<std::uint32_t>(time->numerator),
                                static_cast<std::uint32_t>(time->denominator));
    const std::optional<Rational> apex = RationalTagValue(tags.Find(TagMap::kExif, kShutterSpeedValueTag));
    if (apex && apex->IsDefined())
        return ShutterSpeedText(apex->Value());
    return {};
}

std::string FNumberText(const TagSet& tags)
{
    const std::optional<Rational> fNumber = RationalTagValue(tags.Find(TagMap::kExif, kFNumberTag));
    if (fNumber && fNumber->denominator > 0 && fNumber->numerator >= 0)
        return FNumberText(static_cast<std::uint64_t>(fNumber->numerator) * 10
                           / static_cast<std::uint64_t>(fNumber->denominator));
    const std::optional<Rational> apex = RationalTagValue(tags.Find(TagMap::kExif, kApertureValueTag));
    if (!apex || !apex->IsDefined())
        return {};
    // The aperture value is 2 log2 of the f-number, itself rounded by the camera (4.97 for
    // F5.6), so the f-number it gives is rounded to the nearest tenth: cutting it would show
    // F5.5 for a lens set to F5.6.
    const double tenths = std::floor(std::exp2(apex->Value() / 2) * 10 + 0.5);
    if (!(tenths >= 1 && tenths < 1e15))
        return {};
    return FNumberText(static_cast<std::uint64_t>(tenths));
}
