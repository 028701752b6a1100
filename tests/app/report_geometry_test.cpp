#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "views/report_geometry.h"
#include "views/thumbnail_selection.h"

namespace {

constexpr std::array<int, 6> kDefaultFolderWidths = {120, 50, 100, 150, 100, 100};

ReportLayout Layout(size_t count, int clientHeight, int firstRow = 0, GridMode mode = GridMode::Folder)
{
    return LayoutReport(800, clientHeight, count, 620, mode, firstRow, 0);
}

} // namespace

TEST(ReportGeometry, ColumnTablesOfBothModes)
{
    const std::span<const ReportColumn> folder = ReportColumns(GridMode::Folder);
    ASSERT_EQ(folder.size(), 6u);
    const char* folderKeys[] = {"ZORX_RTC_Name",      "ZORX_RTC_Type",     "ZORX_RTC_FileSize",
                                "ZORX_RTC_DateTime",  "ZORX_RTC_ImageSize", "ZORX_RTC_Duration"};
    const ItemText folderTexts[] = {ItemText::Name, ItemText::Type, ItemText::Size,
                                    ItemText::Date, ItemText::Dimensions, ItemText::Duration};
    for (size_t c = 0; c < folder.size(); ++c) {
        EXPECT_EQ(folder[c].titleKey, folderKeys[c]);
        EXPECT_EQ(folder[c].defaultWidth, kDefaultFolderWidths[c]);
        // Only the size column is right-aligned.
        EXPECT_EQ(folder[c].alignment, c == 2 ? ReportAlignment::Right : ReportAlignment::Left) << c;
        if (c > 0) {
            EXPECT_EQ(folder[c].text, folderTexts[c]);
        }
    }
    EXPECT_EQ(folder[0].content, ReportCellContent::PictureAndName);

    const std::span<const ReportColumn> period = ReportColumns(GridMode::Period);
    ASSERT_EQ(period.size(), 5u);
    const char* periodKeys[] = {"ZORX_RTC_DateTime", "ZORX_RTC_Name", "ZORX_RTC_ImageSize", "ZORX_RTC_Duration",
                                "ZORX_RTC_Comment"};
    const int periodWidths[] = {180, 120, 100, 100, 300};
    for (size_t c = 0; c < period.size(); ++c) {
        EXPECT_EQ(period[c].titleKey, periodKeys[c]);
        EXPECT_EQ(period[c].defaultWidth, periodWidths[c]);
        EXPECT_EQ(period[c].alignment, ReportAlignment::Left);
    }
    EXPECT_EQ(period[0].content, ReportCellContent::PictureAndTimeLine);
    EXPECT_EQ(period[1].text, ItemText::Name);
    EXPECT_EQ(period[4].text, ItemText::Detail);
    EXPECT_EQ(NameColumn(GridMode::Folder), 0u);
    EXPECT_EQ(NameColumn(GridMode::Period), 1u);
}

TEST(ReportGeometry, TitlesMapToTheSortTypesOfTheList)
{
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_Name"), 0);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_Type"), 1);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_FileSize"), 2);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_DateTime"), 3);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_ImageSize"), 4);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_Duration"), 5);
    EXPECT_EQ(SortTypeOfTitle("ZORX_RTC_Comment"), std::nullopt);
    EXPECT_EQ(SortTypeOfTitle(""), std::nullopt);
}

TEST(ReportGeometry, WidthSettingsKeysAndLimits)
{
    EXPECT_EQ(ColumnWidthKey(GridMode::Folder, 0), "CurrentSettings\\ReportColumnWidth1");
    EXPECT_EQ(ColumnWidthKey(GridMode::Folder, 5), "CurrentSettings\\ReportColumnWidth6");
    EXPECT_EQ(ColumnWidthKey(GridMode::Period, 0), "CurrentSettings\\PeriodReportColumnWidth1");
    EXPECT_EQ(ColumnWidthKey(GridMode::Period, 4), "CurrentSettings\\PeriodReportColumnWidth5");
    EXPECT_EQ(UsableColumnWidth(0), 4);
    EXPECT_EQ(UsableColumnWidth(3), 4);
    EXPECT_EQ(UsableColumnWidth(4), 4);
    EXPECT_EQ(UsableColumnWidth(150), 150);
    // A damaged value (a negative number written as 32 bits) cannot overflow the sums.
    EXPECT_EQ(UsableColumnWidth(0xFFFFFFFFu), kMaximumColumnWidth);
    const std::array<int, 3> huge = {kMaximumColumnWidth, kMaximumColumnWidth, kMaximumColumnWidth};
    EXPECT_EQ(TotalColumnWidth(huge), 3 * kMaximumColumnWidth);
}

TEST(ReportGeometry, RowsPerPageAndScrollRanges)
{
    // (400 - 20) / 33 = 11.
    EXPECT_EQ(ReportRowsPerPage(400, GridMode::Folder), 11);
    EXPECT_EQ(ReportRowsPerPage(53, GridMode::Folder), 1);
    EXPECT_EQ(ReportRowsPerPage(52, GridMode::Folder), 0);
    EXPECT_EQ(ReportRowsPerPage(10, GridMode::Folder), 0);
    EXPECT_EQ(ReportRowsPerPage(0, GridMode::Folder), 0);
    EXPECT_EQ(ReportRowsPerPage(400, GridMode::Period), 1);

    // 30 rows, 11 per page: the first row stops at 19.
    ReportLayout layout = Layout(30, 400, 25);
    EXPECT_EQ(layout.rowsPerPage, 11);
    EXPECT_EQ(layout.MaxFirstRow(), 19);
    EXPECT_EQ(layout.firstRow, 19);
    EXPECT_EQ(layout.verticalOffset, 19 * 33);
    EXPECT_EQ(Layout(30, 400, -3).firstRow, 0);
    EXPECT_EQ(Layout(5, 400, 3).firstRow, 0);
    EXPECT_EQ(Layout(0, 400, 3).MaxFirstRow(), 0);
    // A page of one row in period mode: every row can be the first.
    EXPECT_EQ(Layout(30, 400, 29, GridMode::Period).firstRow, 29);
    EXPECT_EQ(Layout(30, 400, 30, GridMode::Period).firstRow, 29);

    // Horizontal: offset 0 to max(0, total width - client width).
    layout = LayoutReport(500, 400, 30, 620, GridMode::Folder, 0, 500);
    EXPECT_EQ(layout.MaxHorizontalOffset(), 120);
    EXPECT_EQ(layout.horizontalOffset, 120);
    EXPECT_EQ(LayoutReport(700, 400, 30, 620, GridMode::Folder, 0, 50).horizontalOffset, 0);
    EXPECT_EQ(LayoutReport(500, 400, 30, 620, GridMode::Folder, 0, -5).horizontalOffset, 0);
}

TEST(ReportGeometry, RowHitTestLeavesTheHeaderAndTheLinesOut)
{
    const ReportLayout top = Layout(30, 400);
    EXPECT_EQ(ReportRowAt(top, 19), std::nullopt);
    EXPECT_EQ(ReportRowAt(top, 0), std::nullopt);
    EXPECT_EQ(ReportRowAt(top, 20), 0u);
    EXPECT_EQ(ReportRowAt(top, 51), 0u);
    EXPECT_EQ(ReportRowAt(top, 52), std::nullopt); // the line under row 0
    EXPECT_EQ(ReportRowAt(top, 53), 1u);
    EXPECT_EQ(ReportRowAt(top, 20 + 33 * 11 + 31), 11u);

    const ReportLayout scrolled = Layout(30, 400, 3);
    EXPECT_EQ(ReportRowAt(scrolled, 20), 3u);
    EXPECT_EQ(ReportRowAt(scrolled, 19), std::nullopt); // the header hides row 2
    EXPECT_EQ(ReportRowTop(scrolled, 3), 20);
    EXPECT_EQ(ReportRowTop(scrolled, 0), 20 - 99);

    const ReportLayout short_ = Layout(2, 400);
    EXPECT_EQ(ReportRowAt(short_, 53), 1u);
    EXPECT_EQ(ReportRowAt(short_, 86), std::nullopt); // beyond the last item
    EXPECT_EQ(ReportRowAt(Layout(0, 400), 25), std::nullopt);
}

TEST(ReportGeometry, VisibleRowsAreThoseReachingBelowTheHeader)
{
    // 380 pixels of rows: rows 0 to 10 whole and row 11 in part.
    std::optional<VisibleRange> range = ReportVisibleRows(Layout(30, 400));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 0u);
    EXPECT_EQ(range->last, 11u);
    range = ReportVisibleRows(Layout(30, 400, 19));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 19u);
    EXPECT_EQ(range->last, 29u);
    range = ReportVisibleRows(Layout(4, 400));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->last, 3u);
    // Exactly 11 rows of 33 pixels: row 11 starts at the client bottom.
    range = ReportVisibleRows(Layout(30, 20 + 11 * 33));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->last, 10u);
    EXPECT_FALSE(ReportVisibleRows(Layout(30, 20)));
    EXPECT_FALSE(ReportVisibleRows(Layout(0, 400)));
}

TEST(ReportGeometry, ColumnEdgesTitlesAndCells)
{
    const std::span<const int> widths = kDefaultFolderWidths;
    EXPECT_EQ(ColumnLeft(widths, 0), 0);
    EXPECT_EQ(ColumnLeft(widths, 3), 270);
    EXPECT_EQ(ColumnRight(widths, 3), 420);
    EXPECT_EQ(TotalColumnWidth(widths), 620);

    // Within 1 pixel of a right edge.
    EXPECT_EQ(ColumnEdgeAt(widths, 118), std::nullopt);
    EXPECT_EQ(ColumnEdgeAt(widths, 119), 0u);
    EXPECT_EQ(ColumnEdgeAt(widths, 120), 0u);
    EXPECT_EQ(ColumnEdgeAt(widths, 121), 0u);
    EXPECT_EQ(ColumnEdgeAt(widths, 122), std::nullopt);
    EXPECT_EQ(ColumnEdgeAt(widths, 171), 1u);
    EXPECT_EQ(ColumnEdgeAt(widths, 621), 5u);
    EXPECT_EQ(ColumnEdgeAt(widths, 622), std::nullopt);
    // Narrow columns keep their edges apart.
    const std::array<int, 3> narrow = {4, 4, 4};
    EXPECT_EQ(ColumnEdgeAt(narrow, 3), 0u);
    EXPECT_EQ(ColumnEdgeAt(narrow, 5), 0u);
    EXPECT_EQ(ColumnEdgeAt(narrow, 7), 1u);

    EXPECT_EQ(ColumnAt(widths, 0), 0u);
    EXPECT_EQ(ColumnAt(widths, 119), 0u);
    EXPECT_EQ(ColumnAt(widths, 120), 1u);
    EXPECT_EQ(ColumnAt(widths, 619), 5u);
    EXPECT_EQ(ColumnAt(widths, 620), std::nullopt);
    EXPECT_EQ(ColumnAt(widths, -1), std::nullopt);

    // Dragging an edge: max(4, x - column left).
    EXPECT_EQ(DraggedColumnWidth(200, 120), 80);
    EXPECT_EQ(DraggedColumnWidth(123, 120), 4);
    EXPECT_EQ(DraggedColumnWidth(60, 120), 4);
    EXPECT_EQ(DraggedColumnWidth(-100000, 120), 4);

    EXPECT_EQ(TitleRect(widths, 1), GridRect::FromEdges(124, 1, 168, 19));
    // The picture column's text starts after the picture; the others 4 pixels in.
    EXPECT_EQ(ReportCellTextRect(GridMode::Folder, widths, 0, 53), GridRect::FromEdges(53, 53, 116, 85));
    EXPECT_EQ(ReportCellTextRect(GridMode::Folder, widths, 2, 20), GridRect::FromEdges(174, 20, 266, 52));
    const std::array<int, 5> period = {180, 120, 100, 100, 300};
    EXPECT_EQ(ReportCellTextRect(GridMode::Period, period, 0, 20), GridRect::FromEdges(53, 20, 176, 52));
    EXPECT_EQ(ReportCellTextRect(GridMode::Period, period, 1, 20), GridRect::FromEdges(184, 20, 296, 52));
    EXPECT_EQ(ReportPictureBox(53), (GridRect{9, 54, 40, 30}));
    const GridRect badge = ReportBadgeRect(53);
    EXPECT_EQ(badge.Right(), 53);
    EXPECT_EQ(badge.Bottom(), 53 + 32);
    EXPECT_EQ(badge.width, 16);
}

TEST(ReportGeometry, BandMeetsRowsByTheirThirtyTwoPixels)
{
    const auto touched = [](GridPoint a, GridPoint b) {
        std::string rows;
        for (size_t i = 0; i < 5; ++i)
            rows += BandTouchesCell(BandRect(a, b), ReportRowBand(i)) ? '1' : '0';
        return rows;
    };
    // From the line under row 0 down into row 2; any x.
    EXPECT_EQ(touched({500, 52}, {-20, 88}), "01100");
    EXPECT_EQ(touched({500, 52}, {5000, 86}), "01100");
    EXPECT_EQ(touched({10, 52}, {10, 85}), "01000");
    EXPECT_EQ(touched({10, 52}, {10, 52}), "00000"); // the line alone meets no row
    EXPECT_EQ(touched({10, 51}, {10, 53}), "11000");
    EXPECT_EQ(touched({10, 0}, {10, 10000}), "11111");
}

TEST(ReportGeometry, TimeLineMarksFlaggedFields)
{
    SystemTime time;
    time.year = 2006;
    time.month = 3;
    time.day = 14;
    time.hour = 9;
    time.minute = 5;
    const uint32_t dayKey = (106u << 16) | (2u << 8) | 14u;
    std::array<TimeLineField, 4> fields = TimeLineFields(time, kDatePartMonth | kDatePartHour, dayKey);
    EXPECT_EQ(fields[0].text, "03/");
    EXPECT_EQ(fields[1].text, "14 ");
    EXPECT_EQ(fields[2].text, "09:");
    EXPECT_EQ(fields[3].text, "05");
    EXPECT_TRUE(fields[0].marked);
    EXPECT_FALSE(fields[1].marked);
    EXPECT_TRUE(fields[2].marked);
    EXPECT_FALSE(fields[3].marked);

    // Year index 199: the year is unknown and every field is marked.
    fields = TimeLineFields(time, 0, (199u << 16) | 14u);
    for (const TimeLineField& field : fields)
        EXPECT_TRUE(field.marked) << field.text;
    fields = TimeLineFields(time, kDatePartDay | kDatePartMinute, dayKey);
    EXPECT_FALSE(fields[0].marked);
    EXPECT_TRUE(fields[1].marked);
    EXPECT_TRUE(fields[3].marked);
}
