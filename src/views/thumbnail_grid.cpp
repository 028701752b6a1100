#include "views/thumbnail_grid.h"

#include <algorithm>

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include "shell/app_settings.h"
#include "views/qt_forms.h"
#include "views/thumbnail_cell_painter.h"

ThumbnailGrid::ThumbnailGrid(std::vector<MediaItem>& items, ThumbnailWorker& worker, QWidget* parent)
    : ItemViewBase(items, worker, nullptr, Qt::Vertical, parent)
    , m_size(IsThumbnailSize(CurrentSettings().thumbnailSize) ? CurrentSettings().thumbnailSize : 1)
    , m_colours(DefaultThumbnailColours())
    , m_bitmaps(m_colours)
    , m_nameFont(ThumbnailNameFont())
{
    Relayout();
}

ThumbnailGrid::~ThumbnailGrid() = default;

const CellGeometry& ThumbnailGrid::Geometry() const
{
    return CellGeometryFor(GridMode::Folder, m_size);
}

void ThumbnailGrid::SetThumbnailSize(int size)
{
    if (!IsThumbnailSize(size) || size == m_size)
        return;
    // The same pictures stay in front of the user: the focus item when it was on screen, else
    // the first visible item, goes to the top row of the new size.
    std::optional<size_t> kept = FirstVisible();
    if (m_visible && m_cursor.focus >= m_visible->first && m_cursor.focus <= m_visible->last)
        kept = m_cursor.focus;
    m_size = size;
    Relayout();
    if (kept && *kept < m_items.size()) {
        m_layout.topRow = static_cast<int>(*kept / static_cast<size_t>(std::max(m_layout.columns, 1)));
        Relayout();
    }
    viewport()->update();
}

void ThumbnailGrid::RepaintCells()
{
    viewport()->update();
}

bool ThumbnailGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        m_host.PointedItemChanged(nullptr);
    return ItemViewBase::viewportEvent(event);
}

void ThumbnailGrid::SetColours(const ThumbnailColours& colours)
{
    m_colours = colours;
    m_bitmaps.SetColours(colours);
    viewport()->update();
}

void ThumbnailGrid::Relayout()
{
    const QSize client = viewport()->size();
    m_layout = LayoutFolderGrid(Geometry(), client.width(), client.height(), m_items.size(), m_layout.topRow);
    ApplyScrollBar();
}

void ThumbnailGrid::ApplyScrollBar()
{
    // Qt's maximum is the last top row: its document is range + page, as the rows are counted.
    QScrollBar* bar = verticalScrollBar();
    const int topRow = m_layout.topRow;
    bar->setPageStep(m_layout.ScrollPage());
    bar->setRange(0, m_layout.MaxTopRow());
    bar->setValue(topRow);
    // setRange may have moved the value through scrollContentsBy; the layout's row stands.
    m_layout.topRow = topRow;
    m_layout.scrollOffset = topRow * Geometry().RowPitch();
}

void ThumbnailGrid::scrollContentsBy(int, int)
{
    ScrollToRow(verticalScrollBar()->value());
}

void ThumbnailGrid::ScrollToRow(int row)
{
    row = ClampTopRow(row, m_layout.totalRows, m_layout.rowsPerPage);
    if (row == m_layout.topRow)
        return;
    m_layout.topRow = row;
    m_layout.scrollOffset = row * Geometry().RowPitch();
    verticalScrollBar()->setValue(row);
    viewport()->update();
}

void ThumbnailGrid::ScrollByLines(int lines)
{
    ScrollToRow(m_layout.topRow + lines);
}

void ThumbnailGrid::MakeFocusVisible()
{
    if (!m_items.empty())
        m_layout.topRow = TopRowShowing(m_cursor.focus, m_layout.columns, m_layout.topRow, m_layout.rowsPerPage);
    Relayout();
    viewport()->update();
}

std::optional<size_t> ThumbnailGrid::NavigationTargetOf(NavigationKey key) const
{
    return NavigationTarget(key, m_cursor.focus, m_items.size(), m_layout.columns, m_layout.rowsPerPage);
}

std::optional<size_t> ThumbnailGrid::ItemAt(QPoint point) const
{
    return FolderHitTest(Geometry(), m_layout, m_items.size(), point.x(), point.y());
}

QRect ThumbnailGrid::CellRect(size_t index) const
{
    return ToQRect(FolderCellRect(Geometry(), m_layout, index).Translated(0, -m_layout.scrollOffset));
}

bool ThumbnailGrid::BandTakes(const GridRect& band, size_t index) const
{
    return BandTouchesCell(band, FolderCellRect(Geometry(), m_layout, index));
}

std::optional<QRect> ThumbnailGrid::RenameRectAt(size_t index, QPoint point) const
{
    const GridRect cell = FolderCellRect(Geometry(), m_layout, index);
    const QPoint content = ClientToContent(point);
    if (!NameLineHitRect(Geometry(), cell).Contains(content.x(), content.y()))
        return std::nullopt;
    return ToQRect(NameLineDrawRect(Geometry(), cell).Translated(0, -m_layout.scrollOffset));
}

void ThumbnailGrid::resizeEvent(QResizeEvent* event)
{
    ItemViewBase::resizeEvent(event);
    Relayout();
}

void ThumbnailGrid::paintEvent(QPaintEvent*)
{
    const CellGeometry& geometry = Geometry();
    m_visible = FolderVisibleRange(geometry, m_layout, m_items.size(), viewport()->height());
    QPainter painter(viewport());
    ThumbnailCellPainter cellPainter(painter, m_size, m_bitmaps, m_colours, m_nameFont);
    const auto clientCell = [&](size_t index) {
        return std::optional(FolderCellRect(geometry, m_layout, index).Translated(0, -m_layout.scrollOffset));
    };
    const std::vector<MediaItem*> requested
        = PaintThumbnailCells(painter, cellPainter, m_size, m_colours.background, clientCell);
    PaintBand(painter);
    painter.end();

    FinishPaint(requested);
    m_host.RefreshMenuStates();
}
