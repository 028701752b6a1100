#include "views/filmstrip.h"

#include <algorithm>

#include <QPainter>
#include <QScrollBar>

#include "views/qt_forms.h"
#include "views/thumbnail_cell_painter.h"

namespace {

constexpr int kSizeS = 0;

bool IsRangeMove(int modifiers)
{
    return (modifiers & kModifierShift) && !(modifiers & kModifierCtrl);
}

} // namespace

Filmstrip::Filmstrip(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                     QWidget* parent)
    : ItemViewBase(items, worker, &cursor, Qt::Horizontal, parent)
    , m_colours(DefaultThumbnailColours())
    , m_bitmaps(m_colours)
    , m_nameFont(ThumbnailNameFont())
{
    Relayout();
}

Filmstrip::~Filmstrip() = default;

void Filmstrip::SetColours(const ThumbnailColours& colours)
{
    m_colours = colours;
    m_bitmaps.SetColours(colours);
    viewport()->update();
}

void Filmstrip::SetPeriodMode(bool periodMode)
{
    if (periodMode == m_periodMode)
        return;
    m_periodMode = periodMode;
    Relayout();
    viewport()->update();
}

void Filmstrip::Relayout()
{
    m_layout = LayoutFilmstrip(viewport()->width(), m_items.size(), m_periodMode, m_layout.position);
    ApplyScrollBar();
}

void Filmstrip::ApplyScrollBar()
{
    // Qt's maximum is the last first-visible position: its document is range + page.
    QScrollBar* bar = horizontalScrollBar();
    const int position = m_layout.position;
    bar->setPageStep(m_layout.page);
    bar->setRange(0, m_layout.maxPosition);
    bar->setValue(position);
    // setRange may have moved the value through scrollContentsBy; the layout's position stands.
    m_layout.position = position;
    m_layout.offset = position * kFilmstripPitch;
}

void Filmstrip::scrollContentsBy(int, int)
{
    ScrollToPosition(horizontalScrollBar()->value());
}

void Filmstrip::ScrollToPosition(long long position)
{
    const int clamped = ClampFilmstripPosition(position, m_items.size(), m_layout.page);
    if (clamped == m_layout.position)
        return;
    m_layout.position = clamped;
    m_layout.offset = clamped * kFilmstripPitch;
    horizontalScrollBar()->setValue(clamped);
    viewport()->update();
}

void Filmstrip::MakeFocusVisible()
{
    if (!m_items.empty()) {
        m_layout.position = static_cast<int>(std::min<size_t>(
            FirstVisibleShowing(m_cursor.focus, FirstVisible(), m_layout.visibleCount), m_items.size() - 1));
    }
    Relayout();
    viewport()->update();
    if (m_periodMode && !m_items.empty() && m_firstVisibleShown)
        m_firstVisibleShown(FirstVisible());
}

void Filmstrip::ScrollByLines(int lines)
{
    ScrollToPosition(static_cast<long long>(m_layout.position) + lines);
}

void Filmstrip::SetFirstVisible(size_t index)
{
    ScrollToPosition(static_cast<long long>(std::min<size_t>(index, m_items.size())));
}

std::optional<size_t> Filmstrip::NavigationTargetOf(NavigationKey key) const
{
    const size_t count = m_items.size();
    const size_t focus = m_cursor.focus;
    const std::optional<size_t> target
        = NavigationTarget(key, focus, count, 1, std::max(1, m_layout.visibleCount));
    if (!target)
        return std::nullopt;
    const bool forward = *target > focus;
    // Hidden items take no part in moves: the first shown item in the direction of travel.
    if (forward) {
        for (size_t i = *target; i < count; ++i) {
            if (!m_items[i].hidden)
                return i;
        }
    } else {
        for (size_t i = *target + 1; i-- > 0;) {
            if (!m_items[i].hidden)
                return i;
        }
    }
    // A single step that finds nothing shown goes nowhere; a page, Home or End stops at the
    // last shown item before its target instead.
    if (key == NavigationKey::Previous || key == NavigationKey::Next || key == NavigationKey::Up
        || key == NavigationKey::Down)
        return std::nullopt;
    if (forward) {
        for (size_t i = *target; i-- > focus + 1;) {
            if (!m_items[i].hidden)
                return i;
        }
    } else {
        for (size_t i = *target + 1; i < focus && i < count; ++i) {
            if (!m_items[i].hidden)
                return i;
        }
    }
    return std::nullopt;
}

bool Filmstrip::TakesNavigationKey(NavigationKey key) const
{
    return key != NavigationKey::Up && key != NavigationKey::Down;
}

void Filmstrip::ApplyKeyboardMoveTo(size_t target, int modifiers)
{
    ItemViewBase::ApplyKeyboardMoveTo(target, modifiers);
    if (IsRangeMove(modifiers)) {
        // A range across hidden items leaves them out of the selection.
        for (MediaItem& item : m_items) {
            if (item.hidden)
                item.selected = false;
        }
    }
}

std::optional<size_t> Filmstrip::ItemAt(QPoint point) const
{
    const std::optional<size_t> hit = FilmstripHitTest(m_items.size(), m_layout.offset, point.x(), point.y());
    if (!hit || m_items[*hit].hidden)
        return std::nullopt;
    return hit;
}

QRect Filmstrip::CellRect(size_t index) const
{
    return ToQRect(FilmstripClientCellRect(index, m_layout.offset));
}

GridRect Filmstrip::BandRectOf(GridPoint anchor, GridPoint current) const
{
    return FilmstripBandRect(anchor.x, current.x);
}

bool Filmstrip::BandTakes(const GridRect& band, size_t index) const
{
    return !m_items[index].hidden && FilmstripBandTouches(band, index);
}

std::optional<QRect> Filmstrip::RenameRectAt(size_t index, QPoint point) const
{
    const GridRect caption = FilmstripCaptionRect(FilmstripCellRect(index));
    const QPoint content = ClientToContent(point);
    if (!caption.Contains(content.x(), content.y()))
        return std::nullopt;
    return ToQRect(caption.Translated(-m_layout.offset, 0));
}

void Filmstrip::resizeEvent(QResizeEvent* event)
{
    ItemViewBase::resizeEvent(event);
    Relayout();
}

void Filmstrip::paintEvent(QPaintEvent*)
{
    m_visible = FilmstripVisibleRange(m_items.size(), m_layout.offset, viewport()->width());
    QPainter painter(viewport());
    ThumbnailCellPainter cellPainter(painter, kSizeS, m_bitmaps, m_colours, m_nameFont);
    // Hidden items leave their places empty.
    const auto clientCell = [&](size_t index) {
        return m_items[index].hidden ? std::nullopt
                                     : std::optional(FilmstripClientCellRect(index, m_layout.offset));
    };
    const std::vector<MediaItem*> requested
        = PaintThumbnailCells(painter, cellPainter, kSizeS, m_colours.background, clientCell);
    PaintBand(painter);
    painter.end();

    FinishPaint(requested);
    m_host.RefreshMenuStates();
}
