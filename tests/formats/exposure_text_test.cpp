#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "formats/exposure_text.h"
#include "formats/medium_info_test_support.h"

namespace {

constexpr std::uint16_t kExposureTime = 0x829A;
constexpr std::uint16_t kFNumber = 0x829D;
constexpr std::uint16_t kShutterSpeedValue = 0x9201;
constexpr std::uint16_t kApertureValue = 0x9202;

} // namespace

TEST(ExposureText, WritesFractionsOfASecondAsTheCameraDoes)
{
    EXPECT_EQ(ExposureTimeText(1, 250), "1/250");
    EXPECT_EQ(ExposureTimeText(10, 4000), "1/400");
    EXPECT_EQ(ExposureTimeText(1, 3), "1/3");
    EXPECT_EQ(ExposureTimeText(1, 4294967295u), "1/4294967295");
}

TEST(ExposureText, WritesReciprocalsThatAreNotWholeToATenth)
{
    EXPECT_EQ(ExposureTimeText(10, 125), "1/12.5"); // whole tenths, not a multiple of ten
    EXPECT_EQ(ExposureTimeText(3, 1000), "1/333.3");
    EXPECT_EQ(ExposureTimeText(3, 10), "1/3.3");
    EXPECT_EQ(ExposureTimeText(6, 10), "1/1.7"); // 1.666... rounds up
    EXPECT_EQ(ExposureTimeText(4, 10), "1/2.5");
}

TEST(ExposureText, WritesLongExposuresInSeconds)
{
    EXPECT_EQ(ExposureTimeText(13, 10), "1.3");
    EXPECT_EQ(ExposureTimeText(2, 1), "2");
    EXPECT_EQ(ExposureTimeText(1, 1), "1");
    EXPECT_EQ(ExposureTimeText(300, 10), "30");
    EXPECT_EQ(ExposureTimeText(4, 3), "1.3");
    EXPECT_EQ(ExposureTimeText(5, 3), "1.7");
    EXPECT_EQ(ExposureTimeText(4294967295u, 1), "4294967295");
}

TEST(ExposureText, ZeroNumeratorIsZeroAndZeroDenominatorIsNothing)
{
    EXPECT_EQ(ExposureTimeText(0, 1), "0");
    EXPECT_EQ(ExposureTimeText(1, 0), "");
    EXPECT_EQ(ExposureTimeText(0, 0), "");
}

TEST(ExposureText, NamesTheNominalSpeedOfAnApexValue)
{
    EXPECT_EQ(ShutterSpeedText(8), "1/250");
    EXPECT_EQ(ShutterSpeedText(-3), "8");
    EXPECT_EQ(ShutterSpeedText(5), "1/30");
    EXPECT_EQ(ShutterSpeedText(6.64), "1/100");
    EXPECT_EQ(ShutterSpeedText(0.3), "1/1.3");
    EXPECT_EQ(ShutterSpeedText(-0.3), "1.3");
    EXPECT_EQ(ShutterSpeedText(0), "1"); // one second has no prefix
    EXPECT_EQ(ShutterSpeedText(-1), "2");
}

TEST(ExposureText, RoundsApexValuesToTenthsOfAStop)
{
    EXPECT_EQ(ShutterSpeedText(7.96), "1/250"); // step 80
    EXPECT_EQ(ShutterSpeedText(7.94), "1/240"); // step 79
    EXPECT_EQ(ShutterSpeedText(3.96), "1/15");  // step 40 opens the second group (15 x 10)
    EXPECT_EQ(ShutterSpeedText(3.84), "1/14");  // step 38 in the first (140 x 1)
    EXPECT_EQ(ShutterSpeedText(-3.84), "14");
}

TEST(ExposureText, CoversTwentyStopsAndNoMore)
{
    EXPECT_EQ(ShutterSpeedText(20), "1/1000000");
    EXPECT_EQ(ShutterSpeedText(-20.04), "1000000");
    EXPECT_EQ(ShutterSpeedText(20.05), "");
    EXPECT_EQ(ShutterSpeedText(-1e12), "");
    EXPECT_EQ(ShutterSpeedText(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(ShutterSpeedText(std::nan("")), "");
}

TEST(ExposureText, PrefersExposureTimeToTheApexValue)
{
    TagSet tags;
    AddRational(tags, TagMap::kExif, kExposureTime, 1, 60);
    AddSRational(tags, TagMap::kExif, kShutterSpeedValue, 8, 1);
    EXPECT_EQ(ExposureTimeText(tags), "1/60");
}

TEST(ExposureText, FallsBackToTheApexValueWhenExposureTimeIsUnusable)
{
    TagSet tags;
    AddSRational(tags, TagMap::kExif, kShutterSpeedValue, -3, 1);
    EXPECT_EQ(ExposureTimeText(tags), "8");
    AddRational(tags, TagMap::kExif, kExposureTime, 1, 0);
    EXPECT_EQ(ExposureTimeText(tags), "8");
}

TEST(ExposureText, ReadsAnUnsignedApexValueToo)
{
    TagSet tags;
    AddRational(tags, TagMap::kExif, kShutterSpeedValue, 16, 2);
    EXPECT_EQ(ExposureTimeText(tags), "1/250");
}

TEST(ExposureText, IsEmptyWithoutEitherTag)
{
    TagSet tags;
    EXPECT_EQ(ExposureTimeText(tags), "");
    AddSRational(tags, TagMap::kExif, kShutterSpeedValue, 8, 0);
    EXPECT_EQ(ExposureTimeText(tags), "");
    // The same tag in another map is not the exposure time.
    AddRational(tags, TagMap::kMakerNote, kExposureTime, 1, 60);
    EXPECT_EQ(ExposureTimeText(tags), "");
}

TEST(FNumberText, WritesTenthsBelowTenAndWholeNumbersAbove)
{
    EXPECT_EQ(FNumberText(std::uint64_t{28}), "F2.8");
    EXPECT_EQ(FNumberText(std::uint64_t{1}), "F0.1");
    EXPECT_EQ(FNumberText(std::uint64_t{99}), "F9.9");
    EXPECT_EQ(FNumberText(std::uint64_t{100}), "F10");
    EXPECT_EQ(FNumberText(std::uint64_t{110}), "F11");
    EXPECT_EQ(FNumberText(std::uint64_t{999}), "F99");
    EXPECT_EQ(FNumberText(std::uint64_t{0}), "");
}

TEST(FNumberText, KeepsTwoSignificantDigitsOfLargeStops)
{
    EXPECT_EQ(FNumberText(std::uint64_t{1000}), "F100");
    EXPECT_EQ(FNumberText(std::uint64_t{1280}), "F120");
    EXPECT_EQ(FNumberText(std::uint64_t{4500}), "F450");
    EXPECT_EQ(FNumberText(std::uint64_t{10240}), "F1000");
    EXPECT_EQ(FNumberText(std::uint64_t{42949672950}), "F4200000000");
}

TEST(FNumberText, CutsFNumberToWholeTenths)
{
    TagSet tags;
    AddRational(tags, TagMap::kExif, kFNumber, 28, 10);
    EXPECT_EQ(FNumberText(tags), "F2.8");
    AddRational(tags, TagMap::kExif, kFNumber, 110, 10);
    EXPECT_EQ(FNumberText(tags), "F11");
    AddRational(tags, TagMap::kExif, kFNumber, 289, 100);
    EXPECT_EQ(FNumberText(tags), "F2.8");
    AddRational(tags, TagMap::kExif, kFNumber, 0, 1);
    EXPECT_EQ(FNumberText(tags), "");
}

TEST(FNumberText, DerivesTheFNumberFromTheApexValueToTheNearestTenth)
{
    TagSet tags;
    AddRational(tags, TagMap::kExif, kApertureValue, 6, 1);
    EXPECT_EQ(FNumberText(tags), "F8.0");
    AddRational(tags, TagMap::kExif, kApertureValue, 3, 1);
    EXPECT_EQ(FNumberText(tags), "F2.8");
    AddRational(tags, TagMap::kExif, kApertureValue, 497, 100); // 5.599...
    EXPECT_EQ(FNumberText(tags), "F5.6");
    AddRational(tags, TagMap::kExif, kApertureValue, 0, 1);
    EXPECT_EQ(FNumberText(tags), "F1.0");
    AddRational(tags, TagMap::kExif, kApertureValue, 4000000000u, 1);
    EXPECT_EQ(FNumberText(tags), "");
}

TEST(FNumberText, UsesTheApexValueOnlyWithoutAUsableFNumber)
{
    TagSet tags;
    AddRational(tags, TagMap::kExif, kApertureValue, 6, 1);
    AddRational(tags, TagMap::kExif, kFNumber, 45, 10);
    EXPECT_EQ(FNumberText(tags), "F4.5");
    AddRational(tags, TagMap::kExif, kFNumber, 45, 0);
    EXPECT_EQ(FNumberText(tags), "F8.0");
    tags.Remove(TagMap::kExif, kApertureValue);
    EXPECT_EQ(FNumberText(tags), "");
}
