#include <gtest/gtest.h>

#include "views/thumbnail_geometry.h"

namespace {

const CellGeometry& Folder(int size)
{
    return CellGeometryFor(GridMode::Folder, size);
}

} // namespace

TEST(ThumbnailGeometry, DerivedCellSizesOfTheFolderTable)
{
    EXPECT_EQ(Folder(0).CellWidth(), 114);
    EXPECT_EQ(Folder(0).CellHeight(), 111);
    EXPECT_EQ(Folder(1).CellWidth(), 200);
    EXPECT_EQ(Folder(1).CellHeight(), 183);
    EXPECT_EQ(Folder(2).CellWidth(), 294);
    EXPECT_EQ(Folder(2).CellHeight(), 268);

    EXPECT_EQ(Folder(0).ColumnPitch(), 120);
    EXPECT_EQ(Folder(0).RowPitch(), 118);
    EXPECT_EQ(Folder(1).ColumnPitch(), 212);
    EXPECT_EQ(Folder(1).RowPitch(), 194);
    EXPECT_EQ(Folder(2).ColumnPitch(), 305);
    EXPECT_EQ(Folder(2).RowPitch(), 291);

    EXPECT_EQ(Folder(1).PictureOffset(), (GridPoint{20, 22}));
    EXPECT_EQ(Folder(2).MinimumGridWidth(), 240 + 50 + 8 + 11);
    // Sizes outside 0 to 2 read as M.
    EXPECT_EQ(&Folder(7), &Folder(1));
}

TEST(ThumbnailGeometry, PeriodModeTableLeavesRoomForTheDayIndex)
{
    const CellGeometry& period = CellGeometryFor(GridMode::Period, 1);
    EXPECT_EQ(period.CellWidth(), 200);
    EXPECT_EQ(period.CellHeight(), 120 + 20 + 70 + 4);
    EXPECT_EQ(ColumnCount(period, 700), (700 - 12 - 122) / 212);
    EXPECT_EQ(ColumnCount(Folder(1), 700), 3);
}

TEST(ThumbnailGeometry, MediumGridOf700By500WithTenItems)
{
    const GridLayout layout = LayoutFolderGrid(Folder(1), 700, 500, 10, 0);
    EXPECT_EQ(layout.gridWidth, 700);
    EXPECT_EQ(layout.columns, 3);
    EXPECT_EQ(layout.rowsPerPage, 2);
    EXPECT_EQ(layout.totalRows, 4);
    EXPECT_EQ(layout.ScrollRangeMax(), 3);
    EXPECT_EQ(layout.ScrollPage(), 2);
    EXPECT_EQ(layout.MaxTopRow(), 2);

    for (int wanted : {2, 3, 50}) {
        const GridLayout scrolled = LayoutFolderGrid(Folder(1), 700, 500, 10, wanted);
        EXPECT_EQ(scrolled.topRow, 2) << wanted;
        EXPECT_EQ(scrolled.scrollOffset, 2 * 194);
    }
    EXPECT_EQ(LayoutFolderGrid(Folder(1), 700, 500, 10, -4).topRow, 0);
    EXPECT_EQ(LayoutFolderGrid(Folder(1), 700, 500, 10, 1).topRow, 1);
}

TEST(ThumbnailGeometry, NarrowClientStillHasOneColumn)
{
    for (int size = 0; size < kThumbnailSizeCount; ++size) {
        const GridLayout layout = LayoutFolderGrid(Folder(size), 30, 400, 5, 0);
        EXPECT_EQ(layout.gridWidth, Folder(size).MinimumGridWidth());
        EXPECT_EQ(layout.columns, 1) << size;
        EXPECT_EQ(layout.totalRows, 5);
        // Items go down the single column.
        EXPECT_EQ(FolderCellRect(Folder(size), layout, 3).left, Folder(size).left);
        EXPECT_EQ(FolderCellRect(Folder(size), layout, 3).top, Folder(size).top + 3 * Folder(size).RowPitch());
    }
}

TEST(ThumbnailGeometry, EmptyListLaysOutNoRows)
{
    const GridLayout layout = LayoutFolderGrid(Folder(1), 700, 500, 0, 3);
    EXPECT_EQ(layout.totalRows, 0);
    EXPECT_EQ(layout.topRow, 0);
    EXPECT_EQ(layout.ScrollRangeMax(), 0);
    EXPECT_EQ(FolderHitTest(Folder(1), layout, 0, 50, 50), std::nullopt);
    EXPECT_EQ(FolderVisibleRange(Folder(1), layout, 0, 500), std::nullopt);
}

TEST(ThumbnailGeometry, CellAndPictureBoxOfAnItem)
{
    const GridLayout layout = LayoutFolderGrid(Folder(1), 700, 500, 10, 0);
    const GridRect cell = FolderCellRect(Folder(1), layout, 4);
    EXPECT_EQ(cell, (GridRect{12 + 212, 5 + 194, 200, 183}));
    EXPECT_EQ(PictureBox(Folder(1), cell), (GridRect{224 + 20, 199 + 22, 160, 120}));
    EXPECT_EQ(NameLineHitRect(Folder(1), cell), (GridRect{244, 199 + 183 - 12 - 14, 160, 14}));
    EXPECT_EQ(NameLineDrawRect(Folder(1), cell), (GridRect{244, 199 + 183 - 12 - 14, 160, 16}));
}

TEST(ThumbnailGeometry, HitTestFindsCellsAndRejectsGapsAndMargins)
{
    const CellGeometry& m = Folder(1);
    const GridLayout layout = LayoutFolderGrid(m, 700, 500, 10, 0);
    EXPECT_EQ(FolderHitTest(m, layout, 10, 12, 5), 0u);       // top-left corner inclusive
    EXPECT_EQ(FolderHitTest(m, layout, 10, 211, 187), 0u);    // last pixel of the cell
    EXPECT_EQ(FolderHitTest(m, layout, 10, 212, 50), std::nullopt); // gap between columns
    EXPECT_EQ(FolderHitTest(m, layout, 10, 223, 50), std::nullopt);
    EXPECT_EQ(FolderHitTest(m, layout, 10, 224, 50), 1u);
    EXPECT_EQ(FolderHitTest(m, layout, 10, 50, 188), std::nullopt); // gap between rows
    EXPECT_EQ(FolderHitTest(m, layout, 10, 50, 199), 3u);
    EXPECT_EQ(FolderHitTest(m, layout, 10, 11, 50), std::nullopt);  // left margin
    EXPECT_EQ(FolderHitTest(m, layout, 10, 50, 4), std::nullopt);   // top margin
    EXPECT_EQ(FolderHitTest(m, layout, 10, 660, 50), std::nullopt); // right of the last column
    EXPECT_EQ(FolderHitTest(m, layout, 10, 260, 3 * 194 + 50), std::nullopt); // beyond item 9
    EXPECT_EQ(FolderHitTest(m, layout, 10, 50, 3 * 194 + 50), 9u);

    // The scroll offset moves the content under the client point.
    const GridLayout scrolled = LayoutFolderGrid(m, 700, 500, 10, 1);
    EXPECT_EQ(FolderHitTest(m, scrolled, 10, 50, 10), 3u);
    EXPECT_EQ(FolderHitTest(m, scrolled, 10, 50, 200), 6u);
}

TEST(ThumbnailGeometry, VisibleRangeCoversPartlyShownRows)
{
    const CellGeometry& m = Folder(1);
    const GridLayout top = LayoutFolderGrid(m, 700, 500, 10, 0);
    // Rows start at 5, 199, 393 and 587: three rows reach into 500 pixels.
    auto range = FolderVisibleRange(m, top, 10, 500);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 0u);
    EXPECT_EQ(range->last, 8u);

    const GridLayout scrolled = LayoutFolderGrid(m, 700, 500, 10, 2);
    range = FolderVisibleRange(m, scrolled, 10, 500);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 6u);
    EXPECT_EQ(range->last, 9u);

    // A row whose cell ends exactly at the offset is not visible any more.
    GridLayout edge = top;
    edge.scrollOffset = 5 + 183;
    range = FolderVisibleRange(m, edge, 10, 20);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 3u);
    EXPECT_EQ(range->last, 5u);
}

TEST(ThumbnailGeometry, FittingKeepsTheAspectAndTouchesTheBox)
{
    EXPECT_EQ(FitPicture(200, 100, 160, 120), (PictureSize{160, 80})); // wider: width fits
    EXPECT_EQ(FitPicture(90, 120, 160, 120), (PictureSize{90, 120}));  // taller: height fits
    EXPECT_EQ(FitPicture(600, 900, 160, 120), (PictureSize{80, 120}));
    EXPECT_EQ(FitPicture(80, 60, 160, 120), (PictureSize{160, 120})); // smaller: enlarged
    EXPECT_EQ(FitPicture(100, 50, 160, 120), (PictureSize{160, 80}));
    EXPECT_EQ(FitPicture(160, 100, 160, 120), (PictureSize{160, 100})); // equal width: kept
    EXPECT_EQ(FitPicture(120, 120, 160, 120), (PictureSize{120, 120})); // equal height: kept
    EXPECT_EQ(FitPicture(160, 120, 80, 60), (PictureSize{80, 60}));   // the placeholder in S
    EXPECT_EQ(FitPicture(100, 33, 160, 120), (PictureSize{160, 52}));  // 52.8 truncates
    EXPECT_EQ(FitPicture(0, 10, 160, 120), (PictureSize{}));
    EXPECT_EQ(FitPicture(10, 10, 0, 120), (PictureSize{}));

    EXPECT_EQ(CentreInBox({32, 27, 160, 120}, {160, 80}), (GridRect{32, 47, 160, 80}));
    EXPECT_EQ(CentreInBox({32, 27, 160, 120}, {91, 120}), (GridRect{32 + 34, 27, 91, 120}));
}

TEST(ThumbnailGeometry, FolderPreviewBoxesFormATwoByTwoGrid)
{
    const GridRect box{100, 200, 160, 120};
    EXPECT_EQ(FolderPreviewBox(1, Folder(1), box, 0), (GridRect{99, 200, 80, 60}));
    EXPECT_EQ(FolderPreviewBox(1, Folder(1), box, 1), (GridRect{181, 200, 80, 60}));
    EXPECT_EQ(FolderPreviewBox(1, Folder(1), box, 2), (GridRect{99, 262, 80, 60}));
    EXPECT_EQ(FolderPreviewBox(1, Folder(1), box, 3), (GridRect{181, 262, 80, 60}));

    const GridRect small{10, 20, 80, 60};
    EXPECT_EQ(FolderPreviewBox(0, Folder(0), small, 0), (GridRect{9, 20, 40, 30}));
    EXPECT_EQ(FolderPreviewBox(0, Folder(0), small, 3), (GridRect{51, 52, 40, 30}));

    const GridRect large{10, 20, 240, 180};
    EXPECT_EQ(FolderPreviewBox(2, Folder(2), large, 0), (GridRect{9, 25, 120, 90}));
    EXPECT_EQ(FolderPreviewBox(2, Folder(2), large, 3), (GridRect{131, 117, 120, 90}));
}

TEST(ThumbnailGeometry, FolderBitmapStripAndShadowBase)
{
    const GridRect cell{12, 5, 200, 183};
    const GridRect folder = FolderBitmapRect(1, cell, {180, 142});
    EXPECT_EQ(folder, (GridRect{22, 10, 180, 142}));
    EXPECT_EQ(FolderStripRect(1, folder), (GridRect{202, 10, 8, 12}));
    EXPECT_EQ(FolderShadowBase(1, folder), (GridRect{22, 22, 180, 130}));

    EXPECT_EQ(FolderBitmapRect(0, {6, 3, 114, 111}, {92, 78}), (GridRect{17, 6, 92, 78}));
    EXPECT_EQ(FolderStripHeight(0), 9);
    EXPECT_EQ(FolderBitmapRect(2, {16, 11, 294, 268}, {264, 204}), (GridRect{31, 20, 264, 204}));
    EXPECT_EQ(FolderStripHeight(2), 15);
    // The bitmap, its strip and its shadow stay inside the cell at every size.
    for (int size = 0; size < kThumbnailSizeCount; ++size) {
        const CellGeometry& g = Folder(size);
        const FolderPictureGeometry& f = FolderGeometryFor(size);
        EXPECT_LE(f.bitmapX + f.bitmapWidth + kShadowThickness, g.CellWidth()) << size;
        EXPECT_LE(f.bitmapY + f.bitmapHeight + kShadowThickness, g.CellHeight() - g.captionBottom - 14) << size;
    }
}

TEST(ThumbnailGeometry, ShadowPiecesAlongTheRightAndBottom)
{
    const auto pieces = ShadowPlacements({10, 20, 30, 40});
    ASSERT_TRUE(pieces[0] && pieces[1] && pieces[2] && pieces[3] && pieces[4]);
    EXPECT_EQ(pieces[0]->target, (GridRect{40, 20, 8, 8}));
    EXPECT_FALSE(pieces[0]->stretched);
    EXPECT_EQ(pieces[1]->target, (GridRect{40, 28, 8, 32}));
    EXPECT_TRUE(pieces[1]->stretched);
    EXPECT_EQ(pieces[2]->target, (GridRect{40, 60, 8, 8}));
    EXPECT_EQ(pieces[3]->target, (GridRect{18, 60, 22, 8}));
    EXPECT_TRUE(pieces[3]->stretched);
    EXPECT_EQ(pieces[4]->target, (GridRect{10, 60, 8, 8}));

    // Sides of 8 pixels or less get no stretched middle and shortened corner pieces.
    const auto small = ShadowPlacements({0, 0, 5, 8});
    EXPECT_EQ(small[0]->target, (GridRect{5, 0, 8, 8}));
    EXPECT_FALSE(small[1]);
    EXPECT_EQ(small[2]->target, (GridRect{5, 8, 8, 8}));
    EXPECT_FALSE(small[3]);
    EXPECT_EQ(small[4]->target, (GridRect{0, 8, 5, 8}));
}

TEST(ThumbnailGeometry, CellBandsFrameAndBadge)
{
    const GridRect cell{0, 0, 200, 183};
    const GridRect drawn{20, 30, 160, 100};
    const auto bands = CellFillBands(cell, drawn);
    EXPECT_EQ(bands[0], (GridRect{0, 0, 20, 183}));
    EXPECT_EQ(bands[1], (GridRect{0, 0, 200, 30}));
    EXPECT_EQ(bands[2], (GridRect{188, 0, 12, 183}));
    EXPECT_EQ(bands[3], (GridRect{0, 138, 200, 45}));

    const auto frame = SelectionFrameStrips({10, 20, 200, 183});
    EXPECT_EQ(frame[0], (GridRect{10, 20, 200, 2}));
    EXPECT_EQ(frame[1], (GridRect{10, 201, 200, 2}));
    EXPECT_EQ(frame[2], (GridRect{10, 20, 2, 183}));
    EXPECT_EQ(frame[3], (GridRect{208, 20, 2, 183}));

    EXPECT_EQ(BadgeRect(0, {6, 3, 114, 111}), (GridRect{120 - 32, 7, 16, 16}));
    EXPECT_EQ(BadgeRect(1, {12, 5, 200, 183}), (GridRect{212 - 36, 9, 32, 32}));
    EXPECT_EQ(BadgeRect(2, {16, 11, 294, 268}), (GridRect{310 - 36, 15, 32, 32}));
}
