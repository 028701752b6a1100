#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "formats/image_fit.h"

// The geometry of the thumbnail grid in numbers: the cell table of each browse mode, the
// layout of the folder-mode grid, cell rectangles, hit tests and the places of everything drawn
// inside a cell. Plain functions over plain values, so that every rule can be checked without
// a window. All arithmetic is integer and divisions truncate.

// Thumbnail sizes of the view: 0 = S, 1 = M, 2 = L.
inline constexpr int kThumbnailSizeCount = 3;
bool IsThumbnailSize(int size);

enum class GridMode { Folder = 0, Period = 1 };

// A rectangle in pixels; right and bottom are exclusive.
struct GridRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    // Left and top inclusive, right and bottom exclusive.
    bool Contains(int x, int y) const { return x >= left && x < Right() && y >= top && y < Bottom(); }
    GridRect Translated(int dx, int dy) const { return {left + dx, top + dy, width, height}; }

    static GridRect FromEdges(int left, int top, int right, int bottom)
    {
        return {left, top, right - left, bottom - top};
    }
    friend bool operator==(const GridRect&, const GridRect&) = default;
};

struct GridPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const GridPoint&, const GridPoint&) = default;
};

// One column of the cell geometry table: a mode at one thumbnail size.
struct CellGeometry {
    int pictureWidth;  // W: picture box width
    int pictureHeight; // H: picture box height
    int padX;          // PADX: horizontal padding inside the cell, each side
    int padTop;        // PADTOP: padding above the picture box
    int caption;       // CAPTION: caption band below the picture box
    int captionBottom; // CAPBOTTOM: distance of the name line above the cell bottom (folder mode)
    int gapX;          // GAPX: horizontal gap between cells
    int gapY;          // GAPY: vertical gap between rows
    int left;          // LEFT: left margin of the grid
    int top;           // TOP: top margin of the grid
    int indexColumn;   // width of the day index column left of the cells (period mode)

    // The 2 extra pixels on each side of the picture box hold the selection frame.
    int CellWidth() const { return pictureWidth + 2 * padX + 4; }
    int CellHeight() const { return pictureHeight + padTop + caption + 4; }
    int ColumnPitch() const { return CellWidth() + gapX; }
    int RowPitch() const { return CellHeight() + gapY; }
    // The picture box's top-left corner inside its cell.
    GridPoint PictureOffset() const { return {padX + 2, padTop + 2}; }
    // The grid is never narrower than this, so that one column always fits.
    int MinimumGridWidth() const { return pictureWidth + 2 * padX + 8 + gapX; }
};

// The table row for a mode and size; sizes outside 0 to 2 read as M.
const CellGeometry& CellGeometryFor(GridMode mode, int size);

// The state of the grid after a layout.
struct GridLayout {
    int gridWidth = 0;
    int columns = 1;
    int totalRows = 0;
    int rowsPerPage = 0;
    int topRow = 0;
    int scrollOffset = 0; // pixels: topRow x row pitch

    // The scroll bar counts rows: range 0 to total rows - 1, one page = rows per page.
    int ScrollRangeMax() const { return totalRows > 0 ? totalRows - 1 : 0; }
    int ScrollPage() const { return rowsPerPage; }
    // The last row that can be at the top with a full page below it.
    int MaxTopRow() const;
};

int GridWidth(const CellGeometry& geometry, int clientWidth);
// Columns that fit in the grid width (after the day index column in period mode), at least 1.
int ColumnCount(const CellGeometry& geometry, int gridWidth);
int TotalRows(size_t count, int columns);
int ClampTopRow(int topRow, int totalRows, int rowsPerPage);

// The folder-mode layout for a client area and item count, keeping `topRow` where it can.
GridLayout LayoutFolderGrid(const CellGeometry& geometry, int clientWidth, int clientHeight, size_t count,
                            int topRow);

// The cell of item `index` in content coordinates (before subtracting the scroll offset).
GridRect FolderCellRect(const CellGeometry& geometry, const GridLayout& layout, size_t index);
// The W x H picture box of a cell.
GridRect PictureBox(const CellGeometry& geometry, const GridRect& cell);
// The name line: 14 pixels high for hit testing, 16 for drawing.
GridRect NameLineHitRect(const CellGeometry& geometry, const GridRect& cell);
GridRect NameLineDrawRect(const CellGeometry& geometry, const GridRect& cell);

// The item under a client point (y in client coordinates), or none: in a gap, in a margin,
// beyond the last item, or for an empty list.
std::optional<size_t> FolderHitTest(const CellGeometry& geometry, const GridLayout& layout, size_t count,
                                    int x, int y);

// The items whose cells reach into the client area vertically, first and last inclusive.
struct VisibleRange {
    size_t first = 0;
    size_t last = 0;
};
std::optional<VisibleRange> FolderVisibleRange(const CellGeometry& geometry, const GridLayout& layout,
                                               size_t count, int clientHeight);

// Where a picture of w x h is drawn in a box: the aspect ratio is kept and the picture touches
// the box in one direction, being enlarged when smaller. A picture at least as wide as the box
// ratio gets width boxWidth and height h x boxWidth / w, any other height boxHeight and width
// w x boxHeight / h. 0 x 0 for an empty picture or box.
PictureSize FitPicture(int width, int height, int boxWidth, int boxHeight);
// A size centred in a box: offsets (box - size) / 2.
GridRect CentreInBox(const GridRect& box, PictureSize size);

// Folder items: four sub-thumbnails in a 2 x 2 grid of BW x BH boxes, the folder bitmap over
// them, a strip right of the bitmap and the shadow below the strip.
struct FolderPictureGeometry {
    int boxWidth;     // BW
    int boxHeight;    // BH
    int boxOffsetY;   // V: vertical offset of the 2 x 2 grid
    int bitmapX;      // the folder bitmap's place inside the cell
    int bitmapY;
    int bitmapWidth;  // size of the folder bitmaps of the resource module
    int bitmapHeight;
};
const FolderPictureGeometry& FolderGeometryFor(int size);

// Box of sub-thumbnail j (0 to 3) for a picture box.
GridRect FolderPreviewBox(int size, const CellGeometry& geometry, const GridRect& pictureBox, int j);
// The folder bitmap's rectangle in a cell, for a bitmap of the given size.
GridRect FolderBitmapRect(int size, const GridRect& cell, PictureSize bitmapSize);
// Rows at the top of the folder bitmap that get a plain strip instead of a shadow on the right.
int FolderStripHeight(int size);
// The strip right of the folder bitmap, filled with the cell colour.
GridRect FolderStripRect(int size, const GridRect& folderBitmap);
// The rectangle whose shadow is drawn: the folder bitmap below its strip.
GridRect FolderShadowBase(int size, const GridRect& folderBitmap);

// The five pieces of the 8-pixel drop shadow.
enum class ShadowPiece { RightTop, Right, RightBottom, Bottom, LeftBottom };
inline constexpr int kShadowPieceCount = 5;
inline constexpr int kShadowThickness = 8;

// Where one shadow piece goes. A stretched piece fills its rectangle; the others copy the
// top-left part of the bitmap that fits the rectangle (RightBottom: the whole 8 x 8 bitmap).
struct ShadowPlacement {
    ShadowPiece piece;
    GridRect target;
    bool stretched;
};
// The pieces drawn around (x, y, w, h): the right column and the bottom row, 8 pixels thick;
// the stretched middle pieces only when the side is longer than 8.
std::array<std::optional<ShadowPlacement>, kShadowPieceCount> ShadowPlacements(const GridRect& drawn);

// The cell colour around the drawn rectangle and its shadow: left, top, right and bottom bands.
std::array<GridRect, 4> CellFillBands(const GridRect& cell, const GridRect& drawn);
// The 2-pixel selection frame: top, bottom, left and right strips along the cell edges.
std::array<GridRect, 4> SelectionFrameStrips(const GridRect& cell);

// The badge icon's top-left corner and its edge (16 small for S, 32 large for M and L).
inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 32;
GridRect BadgeRect(int size, const GridRect& cell);
