#include <gtest/gtest.h>

#include "formats/medium_info_test_support.h"
#include "formats/medium_info_texts.h"

namespace {

// Replaces texts of the program's table for one test; the fixture restores the English ones.
void SetTexts(std::string_view records)
{
    LanguageStrings().Parse(records);
}

} // namespace

class MediumInfoTexts : public WithEnglishTexts {};

TEST_F(MediumInfoTexts, LabelIsTheTextUnderThePrefixedNumber)
{
    SetTexts("EX_MEDIUMINFO_STRING12,\"twelve\"\nEX_MEDIUMINFO_STRING120,\"hundred twenty\"\n");
    EXPECT_EQ(MediumInfoKey(12), "EX_MEDIUMINFO_STRING12");
    EXPECT_EQ(LabelText(12), "twelve");
    EXPECT_EQ(LabelText(120), "hundred twenty");
    EXPECT_EQ(LabelText(999999), "");
}

TEST_F(MediumInfoTexts, ValueListIsSplitAtTheTextsOwnLastCharacter)
{
    SetTexts("EX_MEDIUMINFO_STRING1901,\"a;b c;d;\"\nEX_MEDIUMINFO_STRING1902,\"x;y|z|\"\n");
    EXPECT_EQ(ValueListEntry(901, 0), "a");
    EXPECT_EQ(ValueListEntry(901, 1), "b c");
    EXPECT_EQ(ValueListEntry(901, 2), "d");
    EXPECT_EQ(ValueListSize(901), 3);
    // The separator is "|" here, so ";" is part of an entry.
    EXPECT_EQ(ValueListEntry(902, 0), "x;y");
    EXPECT_EQ(ValueListEntry(902, 1), "z");
    EXPECT_EQ(ValueListSize(902), 2);
}

TEST_F(MediumInfoTexts, EntriesBeyondTheListAreEmpty)
{
    SetTexts("EX_MEDIUMINFO_STRING1901,\"a;b;\"\n");
    EXPECT_EQ(ValueListEntry(901, 2), "");
    EXPECT_EQ(ValueListEntry(901, 3), "");
    EXPECT_EQ(ValueListEntry(901, 1000), "");
    EXPECT_EQ(ValueListEntry(901, -1), "");
    EXPECT_EQ(ValueListEntry(903, 0), ""); // no such list
    EXPECT_EQ(ValueListSize(903), 0);
}

TEST_F(MediumInfoTexts, KeepsEmptyEntriesInTheirPlaces)
{
    SetTexts("EX_MEDIUMINFO_STRING1901,\";;third;\"\n");
    EXPECT_EQ(ValueListEntry(901, 0), "");
    EXPECT_EQ(ValueListEntry(901, 1), "");
    EXPECT_EQ(ValueListEntry(901, 2), "third");
    EXPECT_EQ(ValueListSize(901), 3);
}

TEST_F(MediumInfoTexts, KeepsBlanksInsideEntries)
{
    SetTexts("EX_MEDIUMINFO_STRING1901,\" KB| bit|ISO |\"\n");
    EXPECT_EQ(ValueListEntry(901, 0), " KB");
    EXPECT_EQ(ValueListEntry(901, 2), "ISO ");
}

TEST_F(MediumInfoTexts, RangedListIgnoresEntriesBeyondItsRange)
{
    SetTexts("EX_MEDIUMINFO_STRING1901,\"a;b;c;\"\n");
    const ValueList twoEntries{901, 2};
    EXPECT_EQ(ValueListEntry(twoEntries, 1), "b");
    EXPECT_EQ(ValueListEntry(twoEntries, 2), ""); // the file has it, the range does not
    EXPECT_EQ(ValueListEntry(twoEntries, -1), "");
    const ValueList fiveEntries{901, 5};
    EXPECT_EQ(ValueListEntry(fiveEntries, 3), ""); // the range has it, the file does not
}
