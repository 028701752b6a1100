#include "views/thumbnail_grid.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include "shell/app_settings.h"
#include "views/thumbnail_cell_painter.h"

namespace {

// A press must move further than this (|dx| + |dy|) before it becomes a drag.
constexpr int kDragThreshold = 7;
// While a band is held outside the client area, the grid scrolls one row per tick.
constexpr int kAutoScrollIntervalMs = 50;
// One wheel notch, in the units of QWheelEvent::angleDelta.
constexpr int kWheelNotch = 120;

QRect ToQRect(const GridRect& rect)
{
    return {rect.left, rect.top, rect.width, rect.height};
}

QFont NameFont()
{
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

ThumbnailGrid::ThumbnailGrid(std::vector<MediaItem>& items, ThumbnailWorker& worker, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_items(items)
    , m_worker(worker)
    , m_size(IsThumbnailSize(CurrentSettings().thumbnailSize) ? CurrentSettings().thumbnailSize : 1)
    , m_colours(DefaultThumbnailColours())
    , m_bitmaps(m_colours)
    , m_nameFont(NameFont())
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    // Every pixel is painted: the cells, then the gaps in one fill.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);

    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(1);
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::sliderPressed, this, [this] { m_thumbDragging = true; });
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        m_thumbDragging = false;
        viewport()->update();
    });

    m_autoScroll.setInterval(kAutoScrollIntervalMs);
    connect(&m_autoScroll, &QTimer::timeout, this, &ThumbnailGrid::AutoScrollBand);
    Relayout();
}

ThumbnailGrid::~ThumbnailGrid() = default;

const CellGeometry& ThumbnailGrid::Geometry() const
{
    return CellGeometryFor(GridMode::Folder, m_size);
}

void ThumbnailGrid::ListChanged()
{
    if (m_cursor.focus >= m_items.size())
        m_cursor.focus = 0;
    if (m_cursor.anchor >= m_items.size())
        m_cursor.anchor = 0;
    m_press = {};
    if (m_band.active)
        m_band.saved.resize(m_items.size(), false);
    m_visible.reset();
    Relayout();
    viewport()->update();
}

void ThumbnailGrid::SetThumbnailSize(int size)
{
    if (!IsThumbnailSize(size) || size == m_size)
        return;
    m_size = size;
    Relayout();
    viewport()->update();
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

std::optional<size_t> ThumbnailGrid::FirstVisible() const
{
    return m_visible ? std::optional<size_t>(m_visible->first) : std::nullopt;
}

std::optional<size_t> ThumbnailGrid::LastVisible() const
{
    return m_visible ? std::optional<size_t>(m_visible->last) : std::nullopt;
}

std::optional<size_t> ThumbnailGrid::ItemAt(QPoint point) const
{
    return FolderHitTest(Geometry(), m_layout, m_items.size(), point.x(), point.y());
}

QRect ThumbnailGrid::CellRect(size_t index) const
{
    return ToQRect(FolderCellRect(Geometry(), m_layout, index).Translated(0, -m_layout.scrollOffset));
}

void ThumbnailGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void ThumbnailGrid::paintEvent(QPaintEvent*)
{
    const QRect client = viewport()->rect();
    const CellGeometry& geometry = Geometry();
    m_visible = FolderVisibleRange(geometry, m_layout, m_items.size(), client.height());
    const bool gateOpen = RequestGateOpen();
    std::vector<MediaItem*> requested;
    QRegion cells;

    QPainter painter(viewport());
    if (m_visible) {
        ThumbnailCellPainter cellPainter(painter, m_size, m_bitmaps, m_colours, m_nameFont);
        for (size_t i = m_visible->first; i <= m_visible->last; ++i) {
            MediaItem& item = m_items[i];
            if (gateOpen && RequestCellPictures(item, m_size))
                requested.push_back(&item);
            const GridRect cell = FolderCellRect(geometry, m_layout, i).Translated(0, -m_layout.scrollOffset);
            cellPainter.Paint(item, cell);
            cells += ToQRect(cell);
        }
    }
    // The gaps between the cells, in one fill.
    painter.setClipRegion(QRegion(client) - cells);
    painter.fillRect(client, QColor::fromRgb(static_cast<QRgb>(0xFF000000u | m_colours.background)));
    painter.setClipping(false);
    if (m_band.active)
        PaintBand(painter);
    painter.end();

    PostRequests(std::move(requested));
    if (m_escapeDown)
        m_host.SendCommand(ViewCommand::kStopLoading);
    if (!m_items.empty()) {
        // Nothing visible: an empty range (first above last) keeps no item.
        const size_t first = m_visible ? m_visible->first : 1;
        const size_t last = m_visible ? m_visible->last : 0;
        const auto limit = static_cast<size_t>(std::max(CurrentSettings().maxThumbnailCache, kMinimumThumbnailCache));
        ThumbnailWorker::Trim(m_items, first, last, limit);
    }
    m_host.RefreshMenuStates();
}

void ThumbnailGrid::PostRequests(std::vector<MediaItem*> requested)
{
    if (requested.empty())
        return;
    ThumbnailJob job;
    job.items.reserve(requested.size());
    for (MediaItem* item : requested) {
        ThumbnailJobItem jobItem;
        jobItem.path = item->fullPath;
        jobItem.detail = item->detail.get();
        jobItem.isFolder = item->IsFolder();
        jobItem.hasSoundMemo = item->hasSoundMemo;
        job.items.push_back(std::move(jobItem));
    }
    // Called on the worker thread: the update is queued to the main thread, where the pointer
    // tells whether the grid still exists.
    QPointer<QWidget> target = viewport();
    job.repaint = [target] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [target] {
                if (target)
                    target->update();
            },
            Qt::QueuedConnection);
    };
    PostJob(std::move(job));
}

void ThumbnailGrid::PostJob(ThumbnailJob job)
{
    m_worker.Post(std::move(job));
}

void ThumbnailGrid::PaintBand(QPainter& painter) const
{
    const GridRect band = BandRect(m_band.anchor, m_band.current).Translated(0, -m_layout.scrollOffset);
    // Inverting the dots keeps the outline visible on white, on the selection colour and on
    // pictures alike.
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidth(1);
    pen.setDashPattern({1.0, 1.0});
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band.left, band.top, std::max(0, band.width - 1), std::max(0, band.height - 1));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int ThumbnailGrid::ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ControlModifier) ? kModifierCtrl : 0)
        | ((modifiers & Qt::ShiftModifier) ? kModifierShift : 0);
}

void ThumbnailGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    if (event->button() == Qt::LeftButton) {
        m_pressModifiers = ModifiersOf(event->modifiers());
        LeftButtonDown(point);
    } else if (event->button() == Qt::RightButton) {
        RightButtonDown(point, event->globalPosition().toPoint());
    }
    event->accept();
}

void ThumbnailGrid::LeftButtonDown(QPoint point)
{
    setFocus(Qt::MouseFocusReason);
    m_press = {};
    if (const std::optional<size_t> hit = ItemAt(point)) {
        // A press on a selected item may start dragging the whole selection, so narrowing the
        // selection to this item waits for the release.
        if (m_items[*hit].selected)
            m_press.onSelected = true;
        else
            ApplyClickSelection(m_items, m_cursor, *hit, m_pressModifiers);
        m_press.onItem = true;
        m_press.index = *hit;
        m_press.point = point;
        m_cursor.focus = *hit;
    } else {
        OpenBand(point);
    }
    viewport()->update();
    m_host.SelectionChanged();
}

void ThumbnailGrid::OpenBand(QPoint point)
{
    const QPoint content = ClientToContent(point);
    m_band.active = true;
    m_band.anchor = {content.x(), content.y()};
    m_band.current = m_band.anchor;
    m_band.saved = SavedSelection(m_items);
    ClearSelection(m_items);
}

void ThumbnailGrid::UpdateBand(QPoint point)
{
    const QPoint content = ClientToContent(point);
    m_band.current = {content.x(), content.y()};
    const CellGeometry& geometry = Geometry();
    ApplyBandSelection(m_items, m_band.saved, BandRect(m_band.anchor, m_band.current), m_pressModifiers,
                       [&](size_t index) { return FolderCellRect(geometry, m_layout, index); });
    viewport()->update();
}

void ThumbnailGrid::CloseBand(QPoint point)
{
    UpdateBand(point);
    m_band.active = false;
    m_band.saved.clear();
    m_autoScroll.stop();
}

void ThumbnailGrid::AutoScrollBand()
{
    if (!m_band.active) {
        m_autoScroll.stop();
        return;
    }
    const int y = m_lastMousePoint.y();
    if (y >= viewport()->height())
        ScrollByLines(1);
    else if (y < 0)
        ScrollByLines(-1);
    else
        m_autoScroll.stop();
    UpdateBand(m_lastMousePoint);
}

void ThumbnailGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    if (m_press.onItem) {
        const QPoint moved = point - m_press.point;
        if (std::abs(moved.x()) + std::abs(moved.y()) > kDragThreshold) {
            m_press.onItem = false;
            m_host.StartDrag();
            // The drag swallowed the button release; end the press as a release would.
            LeftButtonUp(m_lastMousePoint);
        }
    }
    if (m_band.active) {
        UpdateBand(point);
        const bool outside = point.y() < 0 || point.y() >= viewport()->height();
        if (outside && !m_autoScroll.isActive())
            m_autoScroll.start();
        else if (!outside)
            m_autoScroll.stop();
    }
    const std::optional<size_t> hit = ItemAt(point);
    m_host.PointedItemChanged(hit ? &m_items[*hit] : nullptr);
    event->accept();
}

void ThumbnailGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    if (event->button() == Qt::LeftButton)
        LeftButtonUp(point);
    event->accept();
}

void ThumbnailGrid::LeftButtonUp(QPoint point)
{
    if (m_press.onItem) {
        m_press.onItem = false;
        const size_t index = m_press.index;
        if (m_press.onSelected && index < m_items.size()) {
            ApplyClickSelection(m_items, m_cursor, index, m_pressModifiers);
            // A plain click on the name of an item that was already selected renames it.
            const GridRect cell = FolderCellRect(Geometry(), m_layout, index);
            const QPoint content = ClientToContent(point);
            if (m_pressModifiers == kModifierNone && NameLineHitRect(Geometry(), cell).Contains(content.x(), content.y())) {
                const GridRect line = NameLineDrawRect(Geometry(), cell).Translated(0, -m_layout.scrollOffset);
                m_host.StartRename(index, ToQRect(line));
            }
        }
    }
    m_press.onSelected = false;
    if (m_band.active)
        CloseBand(point);
    viewport()->update();
    m_host.SelectionChanged();
}

void ThumbnailGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (ItemAt(event->position().toPoint()))
            m_host.SendCommand(ViewCommand::kOpen);
    }
    event->accept();
}

void ThumbnailGrid::RightButtonDown(QPoint point, QPoint globalPoint)
{
    setFocus(Qt::MouseFocusReason);
    ApplyRightClickSelection(m_items, m_cursor, ItemAt(point));
    viewport()->update();
    m_host.SelectionChanged();
    m_host.OpenContextMenu(globalPoint);
}

void ThumbnailGrid::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (m_host.RenameOpen())
        return;
    // A notch scrolls one row; finer devices add up to notches.
    m_wheelRemainder += event->angleDelta().y();
    while (m_wheelRemainder >= kWheelNotch) {
        m_wheelRemainder -= kWheelNotch;
        ScrollByLines(-1);
    }
    while (m_wheelRemainder <= -kWheelNotch) {
        m_wheelRemainder += kWheelNotch;
        ScrollByLines(1);
    }
}

bool ThumbnailGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void ThumbnailGrid::MoveFocus(long long step, int modifiers)
{
    const std::optional<size_t> target = MoveTarget(m_cursor.focus, step, m_items.size());
    if (!target)
        return;
    ApplyKeyboardMove(m_items, m_cursor, *target, modifiers);
    MakeFocusVisible();
    m_host.SelectionChanged();
}

void ThumbnailGrid::keyPressEvent(QKeyEvent* event)
{
    const int modifiers = ModifiersOf(event->modifiers());
    const long long columns = m_layout.columns;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Backspace: MoveFocus(-1, modifiers); break;
    case Qt::Key_Right:
    case Qt::Key_Space: MoveFocus(1, modifiers); break;
    case Qt::Key_Up: MoveFocus(-columns, modifiers); break;
    case Qt::Key_Down: MoveFocus(columns, modifiers); break;
    case Qt::Key_Escape:
        m_escapeDown = true;
        m_host.SendCommand(ViewCommand::kStopLoading);
        break;
    case Qt::Key_Delete:
        if (AnySelected(m_items))
            m_host.SendCommand(ViewCommand::kDelete);
        break;
    default: event->ignore(); return;
    }
    event->accept();
}

void ThumbnailGrid::keyReleaseEvent(QKeyEvent* event)
{
    // Escape held down keeps stopping the loading at every paint; X11 offers no key-state
    // query, so the grid follows the key itself.
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat())
        m_escapeDown = false;
    event->ignore();
}
