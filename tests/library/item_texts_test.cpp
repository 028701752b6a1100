#include <string>

#include <gtest/gtest.h>

#include "library/file_time.h"
#include "library/item_texts.h"
#include "listing_test_support.h"

namespace {

constexpr SystemTime kNewYearsEve{2005, 12, 6, 31, 23, 59, 58, 0};

MediaItem Picture()
{
    MediaItem item = FileItem("DSCF0001.JPG", 5000);
    item.date = FileTimeFromLocalSystemTime(kNewYearsEve);
    item.detail = std::make_unique<MediaItemDetail>();
    return item;
}

} // namespace

TEST(ItemTexts, SizeAndDurationFormats)
{
    EXPECT_EQ(SizeText(5000), "4KB");
    EXPECT_EQ(SizeText(0), "0KB");
    EXPECT_EQ(SizeText(0x100000000ULL + 5000), "4KB"); // low 32 bits only
    EXPECT_EQ(DurationText(366123), "01:01:01.23");
    EXPECT_EQ(DurationText(1), "00:00:00.01");
    EXPECT_EQ(DurationText(0), "");
    EXPECT_EQ(DurationText(-1), "");
}

TEST(ItemTexts, UnloadedPictureShowsOnlyWhatTheListingKnows)
{
    MediaItem item = Picture();
    item.width = 640; // known to the sort, but the column shows what a loaded detail holds
    item.height = 480;
    RefreshItemTexts(item, false);
    const std::array<std::string, 7> expected
        = {"DSCF0001.JPG", "JPEG", "4KB", "2005-12-31 23:59:58", "", "", ""};
    EXPECT_EQ(item.texts, expected);
}

TEST(ItemTexts, LoadedDetailSuppliesSizeDateDimensionsDurationAndFlags)
{
    MediaItem item = Picture();
    MediaItemDetail& detail = *item.detail;
    detail.loaded = true;
    detail.fileSize = 2048;
    detail.mediumInfo.width = 640;
    detail.mediumInfo.height = 480;
    detail.mediumInfo.durationHundredths = 1234;
    detail.mediumInfo.shootingDate = {2006, 3, 2, 14, 9, 26, 53, 0};
    detail.statusText = "Shot with a camera";
    detail.datePartFlags = kDatePartYear | kDatePartDay;

    RefreshItemTexts(item, false);

    const std::array<std::string, 7> expected
        = {"DSCF0001.JPG",      "JPEG", "2KB", "2006-03-14 09:26:53", "640 X 480", "00:00:12.34",
           "Shot with a camera"};
    EXPECT_EQ(item.texts, expected);
    EXPECT_EQ(item.size, 2048u);
    EXPECT_EQ(item.date, FileTimeFromLocalSystemTime(detail.mediumInfo.shootingDate));
    EXPECT_EQ(item.datePartFlags, kDatePartYear | kDatePartDay);
}

TEST(ItemTexts, RawIsCcdRawAndFoldersHaveNoSizeOrDate)
{
    MediaItem raw = FileItem("DSCF0002.RAF", 0);
    RefreshItemTexts(raw, false);
    EXPECT_EQ(raw.Text(ItemText::Type), "CCD-RAW");
    EXPECT_EQ(raw.Text(ItemText::Size), "0KB");
    EXPECT_EQ(raw.Text(ItemText::Date), ""); // no date at all

    MediaItem folder = FolderItem("100_FUJI");
    folder.date = Picture().date;
    RefreshItemTexts(folder, false);
    EXPECT_EQ(folder.Text(ItemText::Type), "Folder");
    EXPECT_EQ(folder.Text(ItemText::Size), "");
    EXPECT_EQ(folder.Text(ItemText::Date), "");
}

TEST(ItemTexts, PeriodModeLeavesTheDateOutAndMarksUnknownYears)
{
    MediaItem unknown = Picture();
    unknown.dayKey = 199u << 16;
    RefreshItemTexts(unknown, true);
    EXPECT_EQ(unknown.Text(ItemText::Date), "");
    EXPECT_EQ(unknown.datePartFlags, 127u);

    MediaItem known = Picture();
    known.dayKey = (106u << 16) | (2u << 8) | 14u;
    RefreshItemTexts(known, true);
    EXPECT_EQ(known.datePartFlags, 0u);
}

TEST(ItemTexts, TextsFallBehindWhenTheWorkerLoadsTheDetail)
{
    MediaItem item = Picture();
    RefreshItemTexts(item, false);
    EXPECT_FALSE(ItemTextsBehindDetail(item)); // nothing loaded yet
    item.detail->mediumInfo.width = 640;
    item.detail->mediumInfo.height = 480;
    item.detail->loaded = true;
    EXPECT_TRUE(ItemTextsBehindDetail(item));
    RefreshItemTexts(item, false);
    EXPECT_FALSE(ItemTextsBehindDetail(item));
    EXPECT_FALSE(item.Text(ItemText::Dimensions).empty());

    // A picture without dimensions or duration is never behind.
    MediaItem blank = Picture();
    blank.detail->loaded = true;
    RefreshItemTexts(blank, false);
    EXPECT_FALSE(ItemTextsBehindDetail(blank));
}
