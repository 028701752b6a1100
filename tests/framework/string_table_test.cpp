#include <string>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "framework/program_folder.h"
#include "framework/string_table.h"

namespace {

StringTable Parsed(std::string_view content)
{
    StringTable table;
    table.Parse(content);
    return table;
}

} // namespace

TEST(StringTable, ByteOrderMarkAndLineEndsDoNotMatter)
{
    const StringTable unix = Parsed("A,\"one\"\nB,two\n");
    const StringTable windows = Parsed("\xEF\xBB\xBF"
                                       "A,\"one\"\r\nB,two\r\n");
    const StringTable oldMac = Parsed("A,\"one\"\rB,two");
    for (const StringTable* table : {&unix, &windows, &oldMac}) {
        EXPECT_EQ(table->Get("A"), "one");
        EXPECT_EQ(table->Get("B"), "two");
        EXPECT_EQ(table->Size(), 2u);
    }
}

TEST(StringTable, BlanksOutsideQuotesAreDropped)
{
    const StringTable table = Parsed("K1, word\nK2,two words\nK3,\"two words\"\nK 4 ,\t\"a\" b \"c\"\n");
    EXPECT_EQ(table.Get("K1"), "word");
    EXPECT_EQ(table.Get("K2"), "twowords");
    EXPECT_EQ(table.Get("K3"), "two words");
    EXPECT_EQ(table.Get("K4"), "abc"); // text after a closing quote continues the field
}

TEST(StringTable, QuotedSectionsAreLiteral)
{
    const StringTable table = Parsed("Q,\"say \"\"hi\"\", then, go\"\nM,\"line one\nline two\"\nX,x\n");
    EXPECT_EQ(table.Get("Q"), "say \"hi\", then, go");
    EXPECT_EQ(table.Get("M"), "line one\nline two");
    EXPECT_EQ(table.Get("X"), "x");
}

TEST(StringTable, BackslashSequencesBecomeLineBreaks)
{
    const StringTable table = Parsed("A,\"first\\nsecond\\rthird\\\\n\"\n");
    // "\\n" is backslash + "\n": the second and third characters are replaced.
    EXPECT_EQ(table.Get("A"), "first\nsecond\rthird\\\n");
}

TEST(StringTable, LaterKeysReplaceEarlierOnes)
{
    const StringTable table = Parsed("A,first\nA,second\n");
    EXPECT_EQ(table.Get("A"), "second");
}

TEST(StringTable, RecordsWithoutTwoFieldsAreIgnored)
{
    const StringTable table = Parsed("Lonely\n\n; heading line\nEmpty,\nThree,a,b\n");
    EXPECT_FALSE(table.Contains("Lonely"));
    EXPECT_EQ(table.Get("Lonely"), "");
    EXPECT_TRUE(table.Contains("Empty"));
    EXPECT_EQ(table.Get("Three"), "a");
    EXPECT_EQ(table.Size(), 2u);
}

TEST(StringTable, EmptyLineDirectlyAfterALineEndCountsAsOneEnd)
{
    // "\n\n" is one end: the record after it starts normally.
    const StringTable table = Parsed("A,1\n\nB,2\n\n\nC,3");
    EXPECT_EQ(table.Get("A"), "1");
    EXPECT_EQ(table.Get("B"), "2");
    EXPECT_EQ(table.Get("C"), "3");
}

TEST(StringTable, CharacterSetRecordKeepsValuesOnThisPlatform)
{
    const StringTable table = Parsed("A,\"Caf\xC3\xA9\"\nCHARACTER_SET,ANSI\nB,\"Caf\xC3\xA9\"\n");
    EXPECT_EQ(table.Get("A"), "Caf\xC3\xA9");
    EXPECT_EQ(table.Get("B"), "Caf\xC3\xA9");
    EXPECT_EQ(table.Get("CHARACTER_SET"), "ANSI");
}

TEST(StringTable, MalformedInputNeverBreaksTheParser)
{
    EXPECT_EQ(Parsed("A,\"unterminated value\nB,b").Get("A"), "unterminated value\nB,b");
    EXPECT_EQ(Parsed("A,\"x\"\"").Get("A"), "x\"");
    EXPECT_EQ(Parsed("\"").Size(), 0u);
    EXPECT_EQ(Parsed(",").Get(""), "");
    EXPECT_EQ(Parsed("A,\xFF\xFE\x80").Get("A"), "\xFF\xFE\x80"); // kept as it stands

    std::string huge = "Big,\"";
    huge.append(10 * 1024 * 1024, 'x');
    huge += "\"\nAfter,ok\n";
    const StringTable table = Parsed(huge);
    EXPECT_EQ(table.Get("Big").size(), 10u * 1024 * 1024);
    EXPECT_EQ(table.Get("After"), "ok");
}

TEST(StringTable, LoadStringFileReportsWhetherTheFileCouldBeRead)
{
    Sandbox sandbox;
    const std::string saved = ProgramFolder();
    SetProgramFolder(sandbox.Path());
    EXPECT_EQ(LoadStringFile(""), 0);
    sandbox.MakeFolder("System/ZORStr.frs/not-a-file");
    EXPECT_EQ(LoadStringFile(""), 0);
    sandbox.WriteFile("strings.frs", "");
    EXPECT_EQ(LoadStringFile(sandbox / "strings.frs"), 1);
    sandbox.WriteFile("System/Other.frs", "TEST_KEY_FOR_LOADING,\"loaded\"");
    EXPECT_EQ(LoadStringFile("System/Other.frs"), 1);
    EXPECT_EQ(GetText("TEST_KEY_FOR_LOADING"), "loaded");
    EXPECT_EQ(GetText("NO_SUCH_KEY"), "");
    SetProgramFolder(saved);
}
