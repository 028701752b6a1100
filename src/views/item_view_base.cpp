#include "views/item_view_base.h"

#include <cstdlib>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include "views/qt_forms.h"
#include "views/thumbnail_cell_painter.h"

namespace {

// A press must move further than this (|dx| + |dy|) before it becomes a drag.
constexpr int kDragThreshold = 7;
// While a band is held beyond the client area, the view scrolls one line per tick.
constexpr int kAutoScrollIntervalMs = 50;
// One wheel notch, in the units of QWheelEvent::angleDelta.
constexpr int kWheelNotch = 120;

int ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ControlModifier) ? kModifierCtrl : 0)
        | ((modifiers & Qt::ShiftModifier) ? kModifierShift : 0);
}

} // namespace

ItemViewBase::ItemViewBase(std::vector<MediaItem>& items, ThumbnailWorker& worker,
                           SelectionCursor* sharedCursor, Qt::Orientation scrollAxis, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_items(items)
    , m_cursor(sharedCursor ? *sharedCursor : m_ownCursor)
    , m_worker(worker)
    , m_scrollAxis(scrollAxis)
{
    setFrameShape(QFrame::NoFrame);
    const bool vertical = scrollAxis == Qt::Vertical;
    setHorizontalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    // Every pixel is painted: the items, then the rest in one fill.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);

    QScrollBar* bar = AxisScrollBar();
    bar->setSingleStep(1);
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::sliderPressed, this, [this] { m_thumbDragging = true; });
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        m_thumbDragging = false;
        viewport()->update();
    });

    m_autoScroll.setInterval(kAutoScrollIntervalMs);
    connect(&m_autoScroll, &QTimer::timeout, this, &ItemViewBase::AutoScrollBand);
}

ItemViewBase::~ItemViewBase() = default;

QScrollBar* ItemViewBase::AxisScrollBar() const
{
    return m_scrollAxis == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
}

int ItemViewBase::AlongAxis(QPoint point) const
{
    return m_scrollAxis == Qt::Vertical ? point.y() : point.x();
}

int ItemViewBase::AxisExtent() const
{
    return m_scrollAxis == Qt::Vertical ? viewport()->height() : viewport()->width();
}

void ItemViewBase::ListChanged()
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

std::vector<MediaItem*>
ItemViewBase::PaintThumbnailCells(QPainter& painter, ThumbnailCellPainter& cellPainter, int size,
                                  uint32_t background,
                                  const std::function<std::optional<GridRect>(size_t)>& clientCell)
{
    const bool gateOpen = RequestGateOpen();
    std::vector<MediaItem*> requested;
    QRegion cells;
    if (m_visible) {
        for (size_t i = m_visible->first; i <= m_visible->last; ++i) {
            const std::optional<GridRect> cell = clientCell(i);
            if (!cell)
                continue;
            MediaItem& item = m_items[i];
            if (gateOpen && RequestCellPictures(item, size))
                requested.push_back(&item);
            cellPainter.Paint(item, *cell);
            cells += QRect(cell->left, cell->top, cell->width, cell->height);
        }
    }
    // The gaps between the cells (and the places of items not drawn), in one fill.
    const QRect client = viewport()->rect();
    painter.setClipRegion(QRegion(client) - cells);
    painter.fillRect(client, ColourOf(background));
    painter.setClipping(false);
    return requested;
}

void ItemViewBase::PaintBand(QPainter& painter) const
{
    if (!m_band.active)
        return;
    const QPoint offset = ContentOffset();
    PaintBandOutline(painter, BandRectOf(m_band.anchor, m_band.current).Translated(-offset.x(), -offset.y()));
}

void ItemViewBase::FinishPaint(const std::vector<MediaItem*>& requested)
{
    if (!requested.empty())
        PostJob(MakeThumbnailJob(requested, viewport()));
    if (m_escapeDown)
        m_host.SendCommand(ViewCommand::kStopLoading);
    TrimAfterPaint(m_items, m_visible);
}

void ItemViewBase::PostJob(ThumbnailJob job)
{
    m_worker.Post(std::move(job));
}

void ItemViewBase::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    const bool onHeader = OnHeader(point);
    if (event->button() == Qt::LeftButton) {
        m_pressModifiers = ModifiersOf(event->modifiers());
        if (onHeader)
            HeaderPress(point);
        else
            LeftButtonDown(point);
    } else if (event->button() == Qt::RightButton && !onHeader) {
        RightButtonDown(point, event->globalPosition().toPoint());
    }
    event->accept();
}

void ItemViewBase::LeftButtonDown(QPoint point)
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

void ItemViewBase::OpenBand(QPoint point)
{
    const QPoint content = ClientToContent(point);
    m_band.active = true;
    m_band.anchor = {content.x(), content.y()};
    m_band.current = m_band.anchor;
    m_band.saved = SavedSelection(m_items);
    if (BandClearsAtOnce())
        ClearSelection(m_items);
}

void ItemViewBase::UpdateBand(QPoint point)
{
    const QPoint content = ClientToContent(point);
    m_band.current = {content.x(), content.y()};
    const GridRect band = BandRectOf(m_band.anchor, m_band.current);
    for (size_t i = 0; i < m_items.size(); ++i) {
        const bool saved = i < m_band.saved.size() && m_band.saved[i];
        m_items[i].selected = BandSelectedFlag(BandTakes(band, i), saved, m_pressModifiers);
    }
    viewport()->update();
}

void ItemViewBase::CloseBand(QPoint point)
{
    UpdateBand(point);
    m_band.active = false;
    m_band.saved.clear();
    m_autoScroll.stop();
}

void ItemViewBase::AutoScrollBand()
{
    if (!m_band.active) {
        m_autoScroll.stop();
        return;
    }
    const int along = AlongAxis(m_lastMousePoint);
    if (along >= AxisExtent())
        ScrollByLines(1);
    else if (along < 0)
        ScrollByLines(-1);
    else
        m_autoScroll.stop();
    UpdateBand(m_lastMousePoint);
}

void ItemViewBase::mouseMoveEvent(QMouseEvent* event)
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
        const int along = AlongAxis(point);
        const bool outside = along < 0 || along >= AxisExtent();
        if (outside && !m_autoScroll.isActive())
            m_autoScroll.start();
        else if (!outside)
            m_autoScroll.stop();
    }
    const std::optional<size_t> hit = ItemAt(point);
    m_host.PointedItemChanged(hit ? &m_items[*hit] : nullptr);
    event->accept();
}

void ItemViewBase::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    if (event->button() == Qt::LeftButton)
        LeftButtonUp(point);
    event->accept();
}

void ItemViewBase::LeftButtonUp(QPoint point)
{
    if (m_press.onItem) {
        m_press.onItem = false;
        const size_t index = m_press.index;
        if (m_press.onSelected && index < m_items.size()) {
            ApplyClickSelection(m_items, m_cursor, index, m_pressModifiers);
            // A plain click on the name of an item that was already selected renames it.
            if (m_pressModifiers == kModifierNone) {
                if (const std::optional<QRect> editor = RenameRectAt(index, point))
                    m_host.StartRename(index, *editor);
            }
        }
    }
    m_press.onSelected = false;
    if (m_band.active)
        CloseBand(point);
    viewport()->update();
    m_host.SelectionChanged();
}

void ItemViewBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && ItemAt(event->position().toPoint()))
        m_host.SendCommand(ViewCommand::kOpen);
    event->accept();
}

void ItemViewBase::RightButtonDown(QPoint point, QPoint globalPoint)
{
    setFocus(Qt::MouseFocusReason);
    ApplyRightClickSelection(m_items, m_cursor, ItemAt(point));
    viewport()->update();
    m_host.SelectionChanged();
    m_host.OpenContextMenu(globalPoint);
}

void ItemViewBase::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (m_host.RenameOpen())
        return;
    // A notch scrolls one line back for a positive delta; finer devices add up to notches. A
    // sideways strip takes a sideways wheel too.
    const QPoint delta = event->angleDelta();
    m_wheelRemainder += m_scrollAxis == Qt::Horizontal && delta.y() == 0 ? delta.x() : delta.y();
    while (m_wheelRemainder >= kWheelNotch) {
        m_wheelRemainder -= kWheelNotch;
        ScrollByLines(-1);
    }
    while (m_wheelRemainder <= -kWheelNotch) {
        m_wheelRemainder += kWheelNotch;
        ScrollByLines(1);
    }
}

bool ItemViewBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == AxisScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void ItemViewBase::ApplyKeyboardMoveTo(size_t target, int modifiers)
{
    ApplyKeyboardMove(m_items, m_cursor, target, modifiers);
}

void ItemViewBase::MoveFocus(NavigationKey key, int modifiers)
{
    const std::optional<size_t> target = NavigationTargetOf(key);
    if (!target)
        return;
    ApplyKeyboardMoveTo(*target, modifiers);
    MakeFocusVisible();
    m_host.SelectionChanged();
}

void ItemViewBase::keyPressEvent(QKeyEvent* event)
{
    const std::optional<NavigationKey> key = NavigationKeyOf(event->key());
    if (key && TakesNavigationKey(*key)) {
        MoveFocus(*key, ModifiersOf(event->modifiers()));
        event->accept();
        return;
    }
    switch (event->key()) {
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

void ItemViewBase::keyReleaseEvent(QKeyEvent* event)
{
    // Escape held down keeps stopping the loading at every paint; X11 offers no key-state
    // query, so the view follows the key itself.
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat())
        m_escapeDown = false;
    event->ignore();
}
