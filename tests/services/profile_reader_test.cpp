#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "services/profile_reader.h"

namespace {

TEST(ProfileReader, NamesIgnoreCaseAndFirstOccurrenceWins)
{
    const ProfileReader reader = ProfileReader::FromText("[Identification]\n"
                                                         "Provider=KAVORINE\n"
                                                         "PROVIDER=OTHER\n"
                                                         "[identification]\n"
                                                         "Rank=9\n"
                                                         "[Other]\n"
                                                         "Rank=4\n");
    EXPECT_EQ(reader.ReadString("IDENTIFICATION", "provider"), "KAVORINE");
    // The repeated section is shadowed by the first one.
    EXPECT_EQ(reader.ReadString("Identification", "Rank"), "");
    EXPECT_EQ(reader.ReadInt("other", "RANK"), 4);
    EXPECT_TRUE(reader.HasSection("OTHER"));
    EXPECT_FALSE(reader.HasSection("Missing"));
}

TEST(ProfileReader, ValuesAreTrimmedAndLoseOnePairOfMatchingQuotes)
{
    const ProfileReader reader = ProfileReader::FromText("[S]\n"
                                                         "  Plain  =   spaced value  \n"
                                                         "Double=\"quoted  \"\n"
                                                         "Single='single'\n"
                                                         "Nested=\"\"twice\"\"\n"
                                                         "Mixed=\"open'\n"
                                                         "Lone=\"\n"
                                                         "Escaped=a\\tb\n"
                                                         "Equals=a=b\n"
                                                         "Empty=\n");
    EXPECT_EQ(reader.ReadString("S", "Plain"), "spaced value");
    EXPECT_EQ(reader.ReadString("S", "Double"), "quoted  ");
    EXPECT_EQ(reader.ReadString("S", "Single"), "single");
    EXPECT_EQ(reader.ReadString("S", "Nested"), "\"twice\"");
    EXPECT_EQ(reader.ReadString("S", "Mixed"), "\"open'");
    EXPECT_EQ(reader.ReadString("S", "Lone"), "\"");
    EXPECT_EQ(reader.ReadString("S", "Escaped"), "a\\tb");
    EXPECT_EQ(reader.ReadString("S", "Equals"), "a=b");
    EXPECT_EQ(reader.ReadString("S", "Empty"), "");
    EXPECT_EQ(reader.ReadString("S", "Missing"), "");
    EXPECT_EQ(reader.ReadInt("S", "Missing"), 0);
}

TEST(ProfileReader, CommentsLinesWithoutEqualsAndKeysBeforeAnySectionCarryNothing)
{
    const ProfileReader reader = ProfileReader::FromText("Orphan=1\n"
                                                         "[S]\n"
                                                         "; Key=commented\n"
                                                         "just some words\n"
                                                         "Key=real\n");
    EXPECT_EQ(reader.ReadString("S", "Key"), "real");
    EXPECT_EQ(reader.ReadString("S", "just some words"), "");
    EXPECT_EQ(reader.ReadString("", "Orphan"), "");
}

TEST(ProfileReader, HandlesCrLfBomAndUnclosedSectionHeaders)
{
    const ProfileReader reader = ProfileReader::FromText("\xEF\xBB\xBF[First]\r\nKey=one\r\n[Second\r\nKey = two \r\n");
    EXPECT_EQ(reader.ReadString("First", "Key"), "one");
    EXPECT_EQ(reader.ReadString("Second", "Key"), "two");
}

TEST(ProfileReader, TextsComeOutAsUtf8)
{
    const ProfileReader reader = ProfileReader::FromText("[S]\nUtf8=Caf\xC3\xA9\nLatin1=Caf\xE9\nOverlong=\xC0\xAF\n");
    EXPECT_EQ(reader.ReadString("S", "Utf8"), "Caf\xC3\xA9");
    EXPECT_EQ(reader.ReadString("S", "Latin1"), "Caf\xC3\xA9");
    EXPECT_EQ(reader.ReadString("S", "Overlong"), "\xC3\x80\xC2\xAF");
}

TEST(ProfileReader, IntegersReadLikeThePrivateProfileFunction)
{
    EXPECT_EQ(ParseProfileInt("42"), 42);
    EXPECT_EQ(ParseProfileInt("  -7"), -7);
    EXPECT_EQ(ParseProfileInt("+13"), 13);
    EXPECT_EQ(ParseProfileInt("12abc"), 12);
    EXPECT_EQ(ParseProfileInt("abc"), 0);
    EXPECT_EQ(ParseProfileInt("-"), 0);
    EXPECT_EQ(ParseProfileInt(""), 0);
    EXPECT_EQ(ParseProfileInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseProfileInt("-99999999999999999999"), INT_MIN);
}

TEST(ProfileReader, HostileFilesAreReadSafely)
{
    Sandbox sandbox;
    EXPECT_FALSE(ProfileReader::FromFile(sandbox / "missing.ini").HasSection("S"));

    std::string binary = "[S]\nKey=va";
    binary.push_back('\0');
    binary += "lue\n\xFF\xFE\x01[\n=\n]]]\n";
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    const ProfileReader damaged = ProfileReader::FromFile(sandbox.WriteFile("binary.ini", binary));
    EXPECT_EQ(damaged.ReadString("S", "Key"), std::string("va\0lue", 6));

    // Whatever lies beyond the size cap is never read.
    std::string huge = "[S]\nFirst=1\n";
    huge += std::string(ProfileReader::kMaxFileSize, 'x');
    huge += "\nLate=2\n";
    const ProfileReader capped = ProfileReader::FromFile(sandbox.WriteFile("huge.ini", huge));
    EXPECT_EQ(capped.ReadInt("S", "First"), 1);
    EXPECT_EQ(capped.ReadString("S", "Late"), "");

    // Many distinct keys must not make reading quadratic.
    std::string manyKeys = "[S]\n";
    for (int i = 0; manyKeys.size() < ProfileReader::kMaxFileSize - 16; ++i)
        manyKeys.append("k").append(std::to_string(i)).append("=").append(std::to_string(i)).append("\n");
    const ProfileReader many = ProfileReader::FromFile(sandbox.WriteFile("many.ini", manyKeys));
    EXPECT_EQ(many.ReadInt("S", "K50000"), 50000);
}

} // namespace
