#include <set>
#include <string>

#include <gtest/gtest.h>

#include "formats/medium_info_lists.h"
#include "formats/medium_info_test_support.h"
#include "formats/medium_information.h"
#include "framework/text_template.h"

// The English metadata texts against what the formatting looks up.

namespace {

StringTable EnglishTable()
{
    StringTable table;
    table.Parse(ReadTextFile(EnglishMediumInfoTextsPath()));
    return table;
}

} // namespace

class MediumInfoFile : public WithEnglishTexts {};

TEST_F(MediumInfoFile, HoldsOnlyMetadataTexts)
{
    const StringTable table = EnglishTable();
    ASSERT_GT(table.Size(), 0u) << "cannot read " << EnglishMediumInfoTextsPath();
    // A heading line with a comma would turn into a stray record.
    std::set<std::string> expected;
    for (const ValueList& list : kMediumInfoValueLists)
        expected.insert(MediumInfoKey(1000 + list.number));
    for (int label : kMediumInfoTemplateLabels)
        expected.insert(MediumInfoKey(label));
    EXPECT_EQ(table.Size(), expected.size());
    for (const std::string& key : expected)
        EXPECT_TRUE(table.Contains(key)) << key;
}

TEST_F(MediumInfoFile, GivesEveryListAtLeastTheEntriesTheCodeIndexes)
{
    for (const ValueList& list : kMediumInfoValueLists) {
        EXPECT_GE(ValueListSize(list.number), list.entries) << "list " << list.number;
        for (int entry = 0; entry < list.entries; ++entry) {
            // Unit entries may be bare blanks, never nothing at all.
            EXPECT_FALSE(ValueListEntry(list, entry).empty()) << "list " << list.number << " entry " << entry;
        }
    }
}

TEST_F(MediumInfoFile, UsesEachKeyForOneThingOnly)
{
    std::set<int> labels;
    for (const ValueList& list : kMediumInfoValueLists)
        EXPECT_TRUE(labels.insert(1000 + list.number).second) << "list " << list.number;
    for (int label : kMediumInfoTemplateLabels)
        EXPECT_TRUE(labels.insert(label).second) << "label " << label;
}

TEST_F(MediumInfoFile, LabelsEveryItemOfEveryGroup)
{
    for (int group = kGeneralGroup; group <= kGpsGroup; ++group) {
        ASSERT_GT(GroupItemCount(group), 0) << "group " << group;
        const MediumInformation info(FileMetadata{}, "/none/x.jpg", 0, 0, nullptr);
        for (int item = 0; item < GroupItemCount(group); ++item)
            EXPECT_FALSE(info.Item(group, item).label.empty()) << "group " << group << " item " << item;
    }
    EXPECT_EQ(GroupItemCount(0), 0);
    EXPECT_EQ(GroupItemCount(7), 0);
}

TEST_F(MediumInfoFile, TemplatesFitTheArgumentsTheyReceive)
{
    EXPECT_TRUE(TemplateFits(LabelText(kPictureStatusLabel), {"date", "time", "quality"}));
    EXPECT_TRUE(TemplateFits(LabelText(kFileSizeStatusLabel), {std::uint64_t{1}}));
    EXPECT_TRUE(TemplateFits(LabelText(kFileTimeStatusLabel), {"date", "time"}));
    EXPECT_TRUE(TemplateFits(LabelText(kFileSourceStatusLabel), {"source"}));
    for (int entry = 0; entry < kHemispheres.entries; ++entry)
        EXPECT_TRUE(TemplateFits(ValueListEntry(kHemispheres, entry), {"35"})) << entry;
}

TEST_F(MediumInfoFile, NamesTheQualityWordsAndFormats)
{
    EXPECT_EQ(ValueListEntry(kQualityWords, 0), "Basic");
    EXPECT_EQ(ValueListEntry(kQualityWords, 1), "Normal");
    EXPECT_EQ(ValueListEntry(kQualityWords, 2), "Fine");
    const char* formats[]
        = {"JPEG", "TIFF", "RAW (RAF)", "BMP", "AVI", "MOV", "MPEG", "ASF", "WMV", "WAV", "WMA", "MP3"};
    for (int index = 0; index < 12; ++index)
        EXPECT_EQ(ValueListEntry(kFileFormats, index), formats[index]);
}
