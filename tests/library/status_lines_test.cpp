#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/library_counts.h"
#include "library/status_lines.h"
#include "listing_test_support.h"

namespace {

using Lines = std::vector<std::string>;

class StatusLines : public ::testing::Test {
protected:
    void SetUp() override { LoadEnglishTexts(); }
    void TearDown() override { LoadEnglishTexts(); }

    Lines Information(bool periodMode = false)
    {
        return InformationLines(items, Recount(items), "/media/card/DCIM/", periodMode);
    }

    std::vector<MediaItem> items = MakeItems(FileItem("a.jpg", 3000), FileItem("b.jpg", 2048),
                                             FileItem("c.avi", 1024 * 1024), FolderItem("100_FUJI"));
};

} // namespace

TEST_F(StatusLines, NothingSelectedSummarisesTheFolder)
{
    EXPECT_EQ(Information(),
              (Lines{"Folder: DCIM", "All items: 4 (1028 KB)", "Pictures: 2 (4 KB)", "Movies: 1 (1024 KB)",
                     "Subfolders: 1"}));
    EXPECT_EQ(Information(true), (Lines{"Folder: DCIM", "All items: 4"}));
    items.clear();
    EXPECT_EQ(Information(), (Lines{"Folder: DCIM", "All items: 0 (0 KB)"}));
}

TEST_F(StatusLines, OneSelectedFolderShowsItsContents)
{
    items[3].selected = true;
    items[3].folderCounts = {3, 0, 2, 0, 1, 0, 5, 10 * 1024 + 1023, 8 * 1024, 0, 2 * 1024 + 1023};
    EXPECT_EQ(Information(),
              (Lines{"Folder: 100_FUJI", "All items: 3 (10 KB)", "Pictures: 2 (8 KB)", "Sounds: 1 (2 KB)"}));
}

TEST_F(StatusLines, SeveralSelectedSummariseTheSelection)
{
    items[0].selected = true;
    items[2].selected = true;
    EXPECT_EQ(Information(),
              (Lines{"Selected items: 2 (1026 KB)", "Pictures: 1 (2 KB)", "Movies: 1 (1024 KB)"}));
    EXPECT_EQ(Information(true), (Lines{"Selected items: 2", "Pictures: 1", "Movies: 1"}));
    items[0].selected = false;
    items[3].selected = true; // a folder among files is counted as an item of the selection
    EXPECT_EQ(Information(), (Lines{"Selected items: 2 (1024 KB)", "Movies: 1 (1024 KB)"}));
}

TEST_F(StatusLines, StatusBarCountsOrShowsThePointedItem)
{
    const LibraryCounts counts = Recount(items);
    EXPECT_EQ(StatusBarText(counts, nullptr, false),
              "Items: 4 (pictures: 2, movies: 1, sounds: 0, subfolders: 1)");
    EXPECT_EQ(StatusBarText(counts, nullptr, true), "Items: 4");
    items[0].detail = std::make_unique<MediaItemDetail>();
    items[0].detail->statusText = "DSCF0001.JPG 2006/03/14";
    EXPECT_EQ(StatusBarText(counts, &items[0], false), "DSCF0001.JPG 2006/03/14");
}

TEST_F(StatusLines, KilobytesUseAll64Bits)
{
    items = MakeItems(FileItem("huge.avi", 5ULL << 40));
    EXPECT_EQ(Information()[1], "All items: 1 (5368709120 KB)");
}

TEST_F(StatusLines, DamagedPlaceholdersInTheLanguageFileStaySafe)
{
    LanguageStrings().Parse("ZORX_AllItems:NKB,\"All: %s (%llu KB)\"\n"
                            "ZORX_Images:NKB,\"Pictures: %d (%d KB)\"\n"
                            "ZORX_Movies:NKB,\"Movies: %d\"\n"
                            "ZORX_SubFolders:N,\"Subfolders: %d %d\"\n"
                            "ZORX_Sounds:NKB,\"Sounds: %999999999d\"\n"
                            "ZORX_StatusNumFilesEtc,\"%d of %d%%, then %5d\"\n");
    items.push_back(FileItem("d.wav", 1));
    const Lines lines = Information();
    ASSERT_EQ(lines.size(), 6u);
    // A text placeholder shows the number as text; a placeholder without a value shows nothing.
    EXPECT_EQ(lines[1], "All: 5 (1028 KB)");
    EXPECT_EQ(lines[2], "Pictures: 2 (4 KB)");
    EXPECT_EQ(lines[3], "Movies: 1");
    EXPECT_EQ(lines[5], "Subfolders: 1 ");
    // A huge width is capped instead of making a huge text.
    EXPECT_LE(lines[4].size(), 1100u);
    EXPECT_TRUE(lines[4].ends_with(" 1"));
    EXPECT_EQ(StatusBarText(Recount(items), nullptr, false), "5 of 2%, then     1");
}

TEST(FolderDisplayName, IsTheLastComponentOrTheRoot)
{
    EXPECT_EQ(FolderDisplayName("/media/card/DCIM"), "DCIM");
    EXPECT_EQ(FolderDisplayName("/media/card/DCIM/"), "DCIM");
    EXPECT_EQ(FolderDisplayName("/"), "/");
    EXPECT_EQ(FolderDisplayName("//"), "/");
}
