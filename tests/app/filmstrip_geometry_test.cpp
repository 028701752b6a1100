#include <gtest/gtest.h>

#include "views/filmstrip_geometry.h"
#include "views/thumbnail_selection.h"

TEST(FilmstripGeometry, CellsAndWhatIsDrawnInThem)
{
    EXPECT_EQ(FilmstripCellRect(0), GridRect::FromEdges(12, 3, 126, 114));
    EXPECT_EQ(FilmstripCellRect(3), GridRect::FromEdges(372, 3, 486, 114));
    // Scrolled by two cells, cell 3 sits where cell 1 would.
    EXPECT_EQ(FilmstripClientCellRect(3, 240), FilmstripCellRect(1));
    EXPECT_EQ(FilmstripClientCellRect(0, 240).left, 12 - 240);

    const GridRect cell = FilmstripCellRect(2);
    EXPECT_EQ(cell.left, 252);
    EXPECT_EQ(FilmstripPictureBox(cell), (GridRect{252 + 17, 19, 80, 60}));
    EXPECT_EQ(FilmstripCaptionRect(cell), GridRect::FromEdges(252 + 17, 92, 252 + 97, 106));
    EXPECT_EQ(FilmstripBadgeRect(cell), (GridRect{252 + 82, 7, 16, 16}));
}

TEST(FilmstripGeometry, VisibleCountPageAndPositionClamp)
{
    EXPECT_EQ(FilmstripVisibleCount(0), 0);
    EXPECT_EQ(FilmstripVisibleCount(119), 0);
    EXPECT_EQ(FilmstripVisibleCount(120), 1);
    EXPECT_EQ(FilmstripVisibleCount(982), 8);
    EXPECT_EQ(FilmstripVisibleCount(-40), 0);

    EXPECT_EQ(FilmstripPage(982, false), 8);
    EXPECT_EQ(FilmstripPage(982, true), 1);
    // Narrower than one cell: the page still moves one cell.
    EXPECT_EQ(FilmstripPage(50, false), 1);

    EXPECT_EQ(ClampFilmstripPosition(-3, 20, 8), 0);
    EXPECT_EQ(ClampFilmstripPosition(5, 20, 8), 5);
    EXPECT_EQ(ClampFilmstripPosition(13, 20, 8), 12);
    EXPECT_EQ(ClampFilmstripPosition(4, 5, 8), 0);
    EXPECT_EQ(ClampFilmstripPosition(4, 0, 8), 0);

    // 20 items in 982 pixels: 8 cells, the strip stops at 12 (pixel offset 1440).
    FilmstripLayout layout = LayoutFilmstrip(982, 20, false, 30);
    EXPECT_EQ(layout.visibleCount, 8);
    EXPECT_EQ(layout.page, 8);
    EXPECT_EQ(layout.maxPosition, 12);
    EXPECT_EQ(layout.position, 12);
    EXPECT_EQ(layout.offset, 1440);
    // Period mode pages by one, so any item can be the first.
    layout = LayoutFilmstrip(982, 20, true, 30);
    EXPECT_EQ(layout.visibleCount, 8);
    EXPECT_EQ(layout.maxPosition, 19);
    EXPECT_EQ(layout.position, 19);
    EXPECT_EQ(layout.offset, 19 * 120);
    layout = LayoutFilmstrip(982, 3, false, 2);
    EXPECT_EQ(layout.maxPosition, 0);
    EXPECT_EQ(layout.position, 0);
}

TEST(FilmstripGeometry, HitTestFollowsTheCellsOnly)
{
    EXPECT_EQ(FilmstripHitTest(10, 0, 12, 3), 0u);
    EXPECT_EQ(FilmstripHitTest(10, 0, 125, 113), 0u);
    EXPECT_EQ(FilmstripHitTest(10, 0, 11, 50), std::nullopt);  // left margin
    EXPECT_EQ(FilmstripHitTest(10, 0, 126, 50), std::nullopt); // the 6-pixel gap
    EXPECT_EQ(FilmstripHitTest(10, 0, 131, 50), std::nullopt);
    EXPECT_EQ(FilmstripHitTest(10, 0, 132, 50), 1u);
    EXPECT_EQ(FilmstripHitTest(10, 0, 50, 2), std::nullopt);             // above the cells
    EXPECT_EQ(FilmstripHitTest(10, 0, 50, 114), std::nullopt);           // below them
    EXPECT_EQ(FilmstripHitTest(10, 0, 12 + 120 * 10, 50), std::nullopt); // beyond the last item
    EXPECT_EQ(FilmstripHitTest(0, 0, 50, 50), std::nullopt);
    // Scrolled by three cells.
    EXPECT_EQ(FilmstripHitTest(10, 360, 12, 50), 3u);
    // Cell 2's right edge shows in the first 6 pixels.
    EXPECT_EQ(FilmstripHitTest(10, 360, 5, 50), 2u);
    EXPECT_EQ(FilmstripHitTest(10, 360, 6, 50), std::nullopt);
    EXPECT_EQ(FilmstripHitTest(10, 360, -10, 50), 2u);
}

TEST(FilmstripGeometry, VisibleRangeCountsPartlyShownCells)
{
    // 600 pixels: cells 0 to 4 (cell 4 ends at 606, cell 5 starts at 612).
    auto range = FilmstripVisibleRange(20, 0, 600);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 0u);
    EXPECT_EQ(range->last, 4u);
    // 613 pixels reach one pixel into cell 5.
    EXPECT_EQ(FilmstripVisibleRange(20, 0, 613)->last, 5u);
    EXPECT_EQ(FilmstripVisibleRange(20, 0, 612)->last, 4u);
    // Scrolled by two cells: cell 1's last 6 pixels (its frame) are still in view.
    range = FilmstripVisibleRange(20, 240, 600);
    EXPECT_EQ(range->first, 1u);
    EXPECT_EQ(range->last, 6u);
    // The end of the list bounds the range.
    range = FilmstripVisibleRange(3, 0, 982);
    EXPECT_EQ(range->first, 0u);
    EXPECT_EQ(range->last, 2u);
    EXPECT_EQ(FilmstripVisibleRange(0, 0, 600), std::nullopt);
    EXPECT_EQ(FilmstripVisibleRange(20, 0, 0), std::nullopt);
    EXPECT_EQ(FilmstripVisibleRange(20, 0, 12), std::nullopt);
    EXPECT_EQ(FilmstripVisibleRange(20, 0, 13)->last, 0u);
}

TEST(FilmstripGeometry, BandCountsTheXRangeOnly)
{
    // Whatever the pointer's y, the band spans y 2 to 114.
    const GridRect band = FilmstripBandRect(300, 140);
    EXPECT_EQ(band, GridRect::FromEdges(140, 2, 300, 114));
    // Cells 1 [132, 246) and 2 [252, 366) are met; 0 [12, 126) and 3 [372, 486) are not.
    EXPECT_FALSE(FilmstripBandTouches(band, 0));
    EXPECT_TRUE(FilmstripBandTouches(band, 1));
    EXPECT_TRUE(FilmstripBandTouches(band, 2));
    EXPECT_FALSE(FilmstripBandTouches(band, 3));

    // The edges: a band ending on a cell's left edge reaches it, one starting on its right
    // edge (exclusive) does not.
    EXPECT_TRUE(FilmstripBandTouches(FilmstripBandRect(130, 132), 1));
    EXPECT_FALSE(FilmstripBandTouches(FilmstripBandRect(126, 131), 0));
    EXPECT_FALSE(FilmstripBandTouches(FilmstripBandRect(126, 131), 1));
    EXPECT_TRUE(FilmstripBandTouches(FilmstripBandRect(125, 131), 0));
    // A band in the gap, without width, reaches nothing.
    EXPECT_FALSE(FilmstripBandTouches(FilmstripBandRect(128, 128), 0));
    EXPECT_FALSE(FilmstripBandTouches(FilmstripBandRect(128, 128), 1));
}

TEST(FilmstripGeometry, FirstVisibleShowingTheFocus)
{
    // 8 visible from 4: items 4 to 11 are in view.
    EXPECT_EQ(FirstVisibleShowing(4, 4, 8), 4u);
    EXPECT_EQ(FirstVisibleShowing(11, 4, 8), 4u);
    // At first visible + visible count: the focus becomes the last visible cell.
    EXPECT_EQ(FirstVisibleShowing(12, 4, 8), 5u);
    EXPECT_EQ(FirstVisibleShowing(30, 4, 8), 23u);
    // Before the first visible: the focus becomes the first.
    EXPECT_EQ(FirstVisibleShowing(3, 4, 8), 3u);
    EXPECT_EQ(FirstVisibleShowing(0, 4, 8), 0u);
    // A strip narrower than one cell shows the focus alone.
    EXPECT_EQ(FirstVisibleShowing(6, 4, 0), 6u);
    EXPECT_EQ(FirstVisibleShowing(4, 4, 0), 4u);
}
