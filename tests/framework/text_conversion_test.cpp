#include <gtest/gtest.h>

#include "framework/text_conversion.h"

TEST(TextConversion, AccentedLetterRoundTrips)
{
    EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");
    EXPECT_EQ(Utf8ToUtf16("\xC3\xA9"), u"\u00e9");
}

TEST(TextConversion, SupplementaryCharacterUsesSurrogatePair)
{
    const std::u16string pair = Utf8ToUtf16("\xF0\x9F\x98\x80");
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_EQ(pair[0], 0xD83D);
    EXPECT_EQ(pair[1], 0xDE00);
    EXPECT_EQ(Utf16ToUtf8(pair), "\xF0\x9F\x98\x80");
}

TEST(TextConversion, LoneHighSurrogateEmptiesTheWholeText)
{
    const char16_t text[] = {u'x', 0xD83D, u'A', 0};
    EXPECT_EQ(Utf16ToUtf8(text), "");
    const char16_t atEnd[] = {u'x', 0xD83D};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(atEnd, 2)), "");
}

TEST(TextConversion, LoneLowSurrogateIsItsOwnCodePoint)
{
    const char16_t text[] = {0xDC00, 0};
    EXPECT_EQ(Utf16ToUtf8(text), "\xED\xB0\x80");
}

TEST(TextConversion, StopsAtTerminatingZero)
{
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(Utf8ToUtf16(std::string_view("ab\0cd", 5)), u"ab");
    EXPECT_EQ(AnsiToUtf8(std::string_view("ab\0cd", 5)), "ab");
}

TEST(TextConversion, TruncatedSequenceEndsTheConversion)
{
    EXPECT_EQ(Utf8ToUtf16("ab\xE2\x82"), u"ab");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"), u"");
}

TEST(TextConversion, EncodesEveryLengthBoundary)
{
    for (char32_t codePoint : {char32_t{0x7F}, char32_t{0x80}, char32_t{0x7FF}, char32_t{0x800},
                               char32_t{0xFFFF}, char32_t{0x10000}, char32_t{0x10FFFF}}) {
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        const std::u16string utf16 = Utf8ToUtf16(utf8);
        EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << std::hex << static_cast<uint32_t>(codePoint);
    }
}

TEST(TextConversion, AnsiIsTheIdentityOnThisPlatform)
{
    EXPECT_EQ(Utf8ToAnsi("Caf\xC3\xA9 \xF0\x9F\x98\x80"), "Caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(AnsiToUtf8("plain"), "plain");
}

TEST(TextConversion, CutUtf8NeverSplitsACharacter)
{
    EXPECT_EQ(CutUtf8("short", 255), "short");
    EXPECT_EQ(CutUtf8(std::string(300, 'x'), 255), std::string(255, 'x'));
    // "é" is 2 bytes, "日" 3: a cut inside either leaves it out whole.
    EXPECT_EQ(CutUtf8("ab\xC3\xA9", 3), "ab");
    EXPECT_EQ(CutUtf8("ab\xC3\xA9", 4), "ab\xC3\xA9");
    EXPECT_EQ(CutUtf8("a\xE6\x97\xA5", 2), "a");
    EXPECT_EQ(CutUtf8("a\xE6\x97\xA5", 3), "a");
    EXPECT_EQ(CutUtf8("a\xE6\x97\xA5", 4), "a\xE6\x97\xA5");
    EXPECT_EQ(CutUtf8("\xE6\x97\xA5", 0), "");
}
