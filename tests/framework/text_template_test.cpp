#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "framework/text_template.h"

TEST(TextTemplate, FillsTextsAndNumbersInOrder)
{
    EXPECT_EQ(FillTemplate("Taken %s %s  %s", {"2006-03-14", "09:26:53", "Fine"}),
              "Taken 2006-03-14 09:26:53  Fine");
    EXPECT_EQ(FillTemplate("%lu KB", {245}), "245 KB");
    EXPECT_EQ(FillTemplate("%d X %i (%u)", {640, -480, 3}), "640 X -480 (3)");
    EXPECT_EQ(FillTemplate("%llu", {std::uint64_t{5000000000}}), "5000000000");
    EXPECT_EQ(FillTemplate("100%% %s", {"done"}), "100% done");
}

TEST(TextTemplate, HonoursFlagsWidthAndPrecision)
{
    EXPECT_EQ(FillTemplate("%05d|%-4d|%4d", {42, 7, -3}), "00042|7   |  -3");
    EXPECT_EQ(FillTemplate("%+d %+d % d", {5, -5, 5}), "+5 -5  5");
    EXPECT_EQ(FillTemplate("%.3d|%.0d|%05.2d", {7, 0, 3}), "007||   03");
    EXPECT_EQ(FillTemplate("%-06d|%+05d", {12, 12}), "12    |+0012");
    EXPECT_EQ(FillTemplate("[%5s][%-5s][%.2s]", {"ab", "ab", "abc"}), "[   ab][ab   ][ab]");
}

TEST(TextTemplate, CutsTextsOnlyBetweenCharacters)
{
    // "é" is two bytes; a precision that ends inside it keeps the character out.
    EXPECT_EQ(FillTemplate("%.2s", {"a\xC3\xA9z"}), "a");
    EXPECT_EQ(FillTemplate("%.3s", {"a\xC3\xA9z"}), "a\xC3\xA9");
}

TEST(TextTemplate, WritesExtremeNumbersExactly)
{
    EXPECT_EQ(FillTemplate("%lld", {std::numeric_limits<std::int64_t>::min()}), "-9223372036854775808");
    EXPECT_EQ(FillTemplate("%lld", {std::numeric_limits<std::int64_t>::max()}), "9223372036854775807");
}

TEST(TextTemplate, WritesTheArgumentPlainlyWhenTheConversionDoesNotFitIt)
{
    EXPECT_EQ(FillTemplate("%d KB", {"many"}), "many KB");
    EXPECT_EQ(FillTemplate("[%s]", {12}), "[12]");
    EXPECT_EQ(FillTemplate("%f %x %p %c", {"a", 2, "b", 3}), "a 2 b 3");
    EXPECT_FALSE(TemplateFits("%d KB", {"many"}));
    EXPECT_FALSE(TemplateFits("[%s]", {12}));
    EXPECT_FALSE(TemplateFits("%x", {12}));
    EXPECT_FALSE(TemplateFits("%ls", {"wide"}));
    EXPECT_FALSE(TemplateFits("%Ld", {1}));
}

TEST(TextTemplate, NeverWritesThroughPercentN)
{
    EXPECT_EQ(FillTemplate("a%nb", {1}), "a1b");
    EXPECT_FALSE(TemplateFits("a%nb", {1}));
}

TEST(TextTemplate, WritesNothingForAConversionWithoutArgument)
{
    EXPECT_EQ(FillTemplate("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(FillTemplate("%d%d%d%s", {}), "");
    EXPECT_FALSE(TemplateFits("%s and %s", {"one"}));
    EXPECT_TRUE(TemplateFits("%s only", {"one", "two"})); // unused arguments are harmless
}

TEST(TextTemplate, IgnoresStarWidths)
{
    EXPECT_EQ(FillTemplate("%*d|%.*s", {5, "abc"}), "5|abc");
    EXPECT_FALSE(TemplateFits("%*d", {5, 6}));
}

TEST(TextTemplate, LimitsWidthAndPrecision)
{
    const std::string wide = FillTemplate("%999999999999d", {1});
    EXPECT_EQ(wide.size(), 1024u);
    EXPECT_EQ(wide.back(), '1');
    EXPECT_EQ(FillTemplate("%.999999999999d", {1}).size(), 1024u);
}

TEST(TextTemplate, KeepsStrayPercentSignsAsText)
{
    EXPECT_EQ(FillTemplate("100%", {1}), "100%");
    EXPECT_EQ(FillTemplate("50%-", {1}), "50%-");
    EXPECT_EQ(FillTemplate("%\xC3\xA9t\xC3\xA9 %d", {4}), "%\xC3\xA9t\xC3\xA9 4"); // not a conversion
    EXPECT_FALSE(TemplateFits("100%", {}));
}

TEST(TextTemplate, AcceptsTheConversionsItSupports)
{
    EXPECT_TRUE(TemplateFits("%s %s  %s", {"a", "b", "c"}));
    EXPECT_TRUE(TemplateFits("%lu KB", {1}));
    EXPECT_TRUE(TemplateFits("%-5hd %zu %jd %+i %%", {1, 2, 3, 4}));
    EXPECT_TRUE(TemplateFits("no conversions", {}));
}
