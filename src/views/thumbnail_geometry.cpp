#include "views/thumbnail_geometry.h"

#include <algorithm>
#include <cstdint>

namespace {

// Indexed by mode, then size: W, H, PADX, PADTOP, CAPTION, CAPBOTTOM, GAPX, GAPY, LEFT, TOP, index.
// Period mode places its captions from the cell bottom by rules of its own, so it has no
// CAPBOTTOM.
constexpr std::array<std::array<CellGeometry, kThumbnailSizeCount>, 2> kCellGeometry = {{
    {{
        {80, 60, 15, 14, 33, 8, 6, 7, 6, 3, 0},
        {160, 120, 18, 20, 39, 12, 12, 11, 12, 5, 0},
        {240, 180, 25, 24, 60, 20, 11, 23, 16, 11, 0},
    }},
    {{
        {80, 60, 15, 14, 33, 0, 6, 7, 12, 3, 122},
        {160, 120, 18, 20, 70, 0, 12, 11, 12, 5, 122},
        {240, 180, 25, 24, 92, 0, 11, 23, 16, 11, 122},
    }},
}};

// BW, BH, V, folder bitmap x and y in the cell, folder bitmap width and height.
constexpr std::array<FolderPictureGeometry, kThumbnailSizeCount> kFolderGeometry = {{
    {40, 30, 1, 11, 3, 92, 78},
    {80, 60, 1, 10, 5, 180, 142},
    {120, 90, 6, 15, 9, 264, 204},
}};

int SizeIndex(int size)
{
    return IsThumbnailSize(size) ? size : 1;
}

} // namespace

bool IsThumbnailSize(int size)
{
    return size >= 0 && size < kThumbnailSizeCount;
}

const CellGeometry& CellGeometryFor(GridMode mode, int size)
{
    return kCellGeometry[static_cast<size_t>(mode)][static_cast<size_t>(SizeIndex(size))];
}

int GridLayout::MaxTopRow() const
{
    return std::max(0, totalRows - rowsPerPage);
}

int GridWidth(const CellGeometry& geometry, int clientWidth)
{
    return std::max(clientWidth, geometry.MinimumGridWidth());
}

int ColumnCount(const CellGeometry& geometry, int gridWidth)
{
    return std::max(1, (gridWidth - geometry.left - geometry.indexColumn) / geometry.ColumnPitch());
}

int TotalRows(size_t count, int columns)
{
    if (count == 0)
        return 0;
    return static_cast<int>((count - 1) / static_cast<size_t>(std::max(columns, 1)) + 1);
}

int ClampTopRow(int topRow, int totalRows, int rowsPerPage)
{
    return std::clamp(topRow, 0, std::max(0, totalRows - rowsPerPage));
}

GridLayout LayoutFolderGrid(const CellGeometry& geometry, int clientWidth, int clientHeight, size_t count,
                            int topRow)
{
    GridLayout layout;
    layout.gridWidth = GridWidth(geometry, clientWidth);
    layout.columns = ColumnCount(geometry, layout.gridWidth);
    layout.totalRows = TotalRows(count, layout.columns);
    layout.rowsPerPage = std::max(0, clientHeight) / geometry.RowPitch();
    layout.topRow = ClampTopRow(topRow, layout.totalRows, layout.rowsPerPage);
    layout.scrollOffset = layout.topRow * geometry.RowPitch();
    return layout;
}

GridRect FolderCellRect(const CellGeometry& geometry, const GridLayout& layout, size_t index)
{
    const size_t columns = static_cast<size_t>(std::max(layout.columns, 1));
    const int column = static_cast<int>(index % columns);
    const int row = static_cast<int>(index / columns);
    return {geometry.left + geometry.ColumnPitch() * column, geometry.top + row * geometry.RowPitch(),
            geometry.CellWidth(), geometry.CellHeight()};
}

GridRect PictureBox(const CellGeometry& geometry, const GridRect& cell)
{
    const GridPoint offset = geometry.PictureOffset();
    return {cell.left + offset.x, cell.top + offset.y, geometry.pictureWidth, geometry.pictureHeight};
}

GridRect NameLineHitRect(const CellGeometry& geometry, const GridRect& cell)
{
    return {cell.left + geometry.PictureOffset().x, cell.top + geometry.CellHeight() - geometry.captionBottom - 14,
            geometry.pictureWidth, 14};
}

GridRect NameLineDrawRect(const CellGeometry& geometry, const GridRect& cell)
{
    GridRect line = NameLineHitRect(geometry, cell);
    line.height = 16;
    return line;
}

std::optional<size_t> FolderHitTest(const CellGeometry& geometry, const GridLayout& layout, size_t count,
                                    int x, int y)
{
    y += layout.scrollOffset;
    if (count == 0 || y - geometry.top < 0 || x - geometry.left < 0)
        return std::nullopt;
    // A point right of the last column lands on a cell of the next row, which the rectangle
    // test then rejects.
    const int64_t candidate = int64_t{(y - geometry.top) / geometry.RowPitch()} * std::max(layout.columns, 1)
        + (x - geometry.left) / geometry.ColumnPitch();
    if (candidate < 0 || static_cast<uint64_t>(candidate) >= count)
        return std::nullopt;
    const size_t index = static_cast<size_t>(candidate);
    if (!FolderCellRect(geometry, layout, index).Contains(x, y))
        return std::nullopt;
    return index;
}

std::optional<VisibleRange> FolderVisibleRange(const CellGeometry& geometry, const GridLayout& layout,
                                               size_t count, int clientHeight)
{
    if (count == 0 || clientHeight <= 0)
        return std::nullopt;
    const int pitch = geometry.RowPitch();
    // Row r spans [TOP + r x pitch, TOP + r x pitch + CH) in content coordinates.
    const int viewTop = layout.scrollOffset;
    const int viewBottom = layout.scrollOffset + clientHeight;
    int firstRow = (viewTop - geometry.top - geometry.CellHeight()) / pitch;
    firstRow = std::max(firstRow, 0);
    while (geometry.top + firstRow * pitch + geometry.CellHeight() <= viewTop)
        ++firstRow;
    if (firstRow >= layout.totalRows || geometry.top + firstRow * pitch >= viewBottom)
        return std::nullopt;
    int lastRow = firstRow;
    while (lastRow + 1 < layout.totalRows && geometry.top + (lastRow + 1) * pitch < viewBottom)
        ++lastRow;
    const size_t columns = static_cast<size_t>(std::max(layout.columns, 1));
    VisibleRange range;
    range.first = static_cast<size_t>(firstRow) * columns;
    range.last = std::min(count - 1, static_cast<size_t>(lastRow + 1) * columns - 1);
    return range;
}

PictureSize FitPicture(int width, int height, int boxWidth, int boxHeight)
{
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return {};
    const int64_t w = width;
    const int64_t h = height;
    if (w * boxHeight >= h * boxWidth)
        return {boxWidth, static_cast<int32_t>(h * boxWidth / w)};
    return {static_cast<int32_t>(w * boxHeight / h), boxHeight};
}

GridRect CentreInBox(const GridRect& box, PictureSize size)
{
    return {box.left + (box.width - size.width) / 2, box.top + (box.height - size.height) / 2, size.width,
            size.height};
}

const FolderPictureGeometry& FolderGeometryFor(int size)
{
    return kFolderGeometry[static_cast<size_t>(SizeIndex(size))];
}

GridRect FolderPreviewBox(int size, const CellGeometry& geometry, const GridRect& pictureBox, int j)
{
    const FolderPictureGeometry& folder = FolderGeometryFor(size);
    const int column = j & 1;
    const int row = (j / 2) & 1;
    return {pictureBox.left + column * (folder.boxWidth + 2) + (geometry.pictureWidth - 2 * folder.boxWidth - 2) / 2,
            pictureBox.top + row * (folder.boxHeight + 2) + (geometry.pictureHeight - 2 * folder.boxHeight - 2) / 2
                + folder.boxOffsetY,
            folder.boxWidth, folder.boxHeight};
}

GridRect FolderBitmapRect(int size, const GridRect& cell, PictureSize bitmapSize)
{
    const FolderPictureGeometry& folder = FolderGeometryFor(size);
    return {cell.left + folder.bitmapX, cell.top + folder.bitmapY, bitmapSize.width, bitmapSize.height};
}

int FolderStripHeight(int size)
{
    return 9 + 3 * SizeIndex(size);
}

GridRect FolderStripRect(int size, const GridRect& folderBitmap)
{
    return {folderBitmap.Right(), folderBitmap.top, kShadowThickness, FolderStripHeight(size)};
}

GridRect FolderShadowBase(int size, const GridRect& folderBitmap)
{
    const int strip = FolderStripHeight(size);
    return {folderBitmap.left, folderBitmap.top + strip, folderBitmap.width, folderBitmap.height - strip};
}

std::array<std::optional<ShadowPlacement>, kShadowPieceCount> ShadowPlacements(const GridRect& drawn)
{
    const int x = drawn.left;
    const int y = drawn.top;
    const int w = drawn.width;
    const int h = drawn.height;
    constexpr int t = kShadowThickness;
    std::array<std::optional<ShadowPlacement>, kShadowPieceCount> pieces;
    pieces[0] = ShadowPlacement{ShadowPiece::RightTop, {x + w, y, t, std::min(h, t)}, false};
    if (h > t)
        pieces[1] = ShadowPlacement{ShadowPiece::Right, {x + w, y + t, t, h - t}, true};
    pieces[2] = ShadowPlacement{ShadowPiece::RightBottom, {x + w, y + h, t, t}, false};
    if (w > t)
        pieces[3] = ShadowPlacement{ShadowPiece::Bottom, {x + t, y + h, w - t, t}, true};
    pieces[4] = ShadowPlacement{ShadowPiece::LeftBottom, {x, y + h, std::min(w, t), t}, false};
    return pieces;
}

std::array<GridRect, 4> CellFillBands(const GridRect& cell, const GridRect& drawn)
{
    return {{
        GridRect::FromEdges(cell.left, cell.top, drawn.left, cell.Bottom()),
        GridRect::FromEdges(cell.left, cell.top, cell.Right(), drawn.top),
        GridRect::FromEdges(drawn.Right() + kShadowThickness, cell.top, cell.Right(), cell.Bottom()),
        GridRect::FromEdges(cell.left, drawn.Bottom() + kShadowThickness, cell.Right(), cell.Bottom()),
    }};
}

std::array<GridRect, 4> SelectionFrameStrips(const GridRect& cell)
{
    return {{
        {cell.left, cell.top, cell.width, 2},
        {cell.left, cell.Bottom() - 2, cell.width, 2},
        {cell.left, cell.top, 2, cell.height},
        {cell.Right() - 2, cell.top, 2, cell.height},
    }};
}

GridRect BadgeRect(int size, const GridRect& cell)
{
    if (SizeIndex(size) == 0)
        return {cell.Right() - 32, cell.top + 4, kSmallIconSize, kSmallIconSize};
    return {cell.Right() - 36, cell.top + 4, kLargeIconSize, kLargeIconSize};
}
