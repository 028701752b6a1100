#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/thumbnail_geometry.h"
#include "views/thumbnail_selection.h"
#include "views/view_host.h"

class QPainter;
class ThumbnailCellPainter;

// What the views of the program's item list share (the thumbnail grid, the report view and the
// preview's filmstrip): the item vector, the worker, the selection cursor, the host, and the
// selection rules applied to the mouse, the wheel and the keys in one place. A press on an item
// selects it, or, on a selected one, waits for the release to narrow the selection (a plain
// release on the name line starts a rename) unless it moves past the drag threshold first; a
// press beside the items opens the rubber band, which scrolls the view while it is held beyond
// the client area; a double click on an item opens it, a right click selects and opens the
// context menu; the wheel scrolls a line per notch; the navigation keys move the focus, Escape
// stops the loading (at every paint while it is held) and Delete deletes the selection. Each
// paint's thumbnail requests go to the worker in one job, and the cache is trimmed after it.
//
// A view supplies its geometry through the virtual functions below and scrolls along one axis
// (vertical for the grid and the table, horizontal for the strip): the wheel, the band's
// auto-scroll and the scroll bar whose box, while held, closes the request gate. Main thread
// only; the worker's repaint requests arrive as queued calls.
class ItemViewBase : public QAbstractScrollArea {
    Q_OBJECT

public:
    ~ItemViewBase() override;

    void SetHost(ViewHost host) { m_host = std::move(host); }
    const ViewHost& Host() const { return m_host; }
    const std::vector<MediaItem>& Items() const { return m_items; }
    // Focus and anchor: the grid's own, shared with the filmstrip and the report view.
    SelectionCursor& Cursor() { return m_cursor; }
    size_t FocusIndex() const { return m_cursor.focus; }
    size_t AnchorIndex() const { return m_cursor.anchor; }

    // After the item list was rebuilt (or re-sorted): lays out again with the scroll position
    // kept where it can be, and puts focus and anchor back on the first item when they fell
    // outside the list.
    void ListChanged();
    // Scrolls so that the focus is in view, lays out and repaints.
    virtual void MakeFocusVisible() = 0;

    // Closed while the scroll box is dragged or a band is open: no thumbnail requests then.
    bool RequestGateOpen() const { return !m_thumbDragging && !m_band.active; }
    bool BandActive() const { return m_band.active; }
    // The visible range of the last paint; none before the first paint or for an empty list.
    std::optional<VisibleRange> VisibleItems() const { return m_visible; }

    // The item under a point of the client area, or none.
    virtual std::optional<size_t> ItemAt(QPoint point) const = 0;

protected:
    // The item vector (owned by the item list), the worker and a shared cursor outlive the
    // view; without a shared cursor the view keeps its own.
    ItemViewBase(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor* sharedCursor,
                 Qt::Orientation scrollAxis, QWidget* parent);

    // Lays out for the current client size and item count (scroll bars included).
    virtual void Relayout() = 0;
    // The content point at the client area's top left corner: content coordinates are client
    // coordinates with the scroll offsets added.
    virtual QPoint ContentOffset() const = 0;
    QPoint ClientToContent(QPoint point) const { return point + ContentOffset(); }
    // The band between two content points, in content coordinates.
    virtual GridRect BandRectOf(GridPoint anchor, GridPoint current) const
    {
        return BandRect(anchor, current);
    }
    // Whether a band (content coordinates) takes item `index`.
    virtual bool BandTakes(const GridRect& band, size_t index) const = 0;
    // A band clears the selection when it opens; the strip's waits for the first move instead.
    virtual bool BandClearsAtOnce() const { return true; }
    // Where item `index`'s rename editor goes (client coordinates) when a client point is on its
    // name; none elsewhere.
    virtual std::optional<QRect> RenameRectAt(size_t index, QPoint point) const = 0;
    // Scrolls by whole lines (rows, or the strip's cells) along the scroll axis; negative goes back.
    virtual void ScrollByLines(int lines) = 0;
    // Whether a client point lies on a header above the items; presses there go to HeaderPress.
    virtual bool OnHeader(QPoint) const { return false; }
    virtual void HeaderPress(QPoint) {}

    // The item a navigation key moves the focus to, or none.
    virtual std::optional<size_t> NavigationTargetOf(NavigationKey key) const = 0;
    // Whether the view takes a navigation key at all; a key it leaves goes to the parent.
    virtual bool TakesNavigationKey(NavigationKey) const { return true; }
    // The selection change of a keyboard move to `target`.
    virtual void ApplyKeyboardMoveTo(size_t target, int modifiers);
    // A keyboard move: the selection change, the focus made visible and the selection refresh;
    // nothing at all when the key has no target.
    void MoveFocus(NavigationKey key, int modifiers);

    // The thumbnail cells of the visible range where `clientCell` places them (none: the item is
    // not drawn, as the strip's hidden items), asking for their pictures at `size` while the
    // request gate is open, then everything around them in the background colour (0xRRGGBB) in
    // one fill. Returns the items asked for.
    std::vector<MediaItem*>
    PaintThumbnailCells(QPainter& painter, ThumbnailCellPainter& cellPainter, int size, uint32_t background,
                        const std::function<std::optional<GridRect>(size_t)>& clientCell);
    // The band's outline, when a band is open.
    void PaintBand(QPainter& painter) const;
    // After a paint: hands its requests to the worker in one job, keeps stopping the loading
    // while Escape is held, and trims the cache to the visible range of the paint.
    void FinishPaint(const std::vector<MediaItem*>& requested);
    // Hands one paint's requests to the worker.
    virtual void PostJob(ThumbnailJob job);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // The wheel over the scroll bar of the scroll axis scrolls a line per notch too.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // What the views read and change. The cursor of a view that shares none is `m_ownCursor`,
    // declared before the reference bound to it.
    SelectionCursor m_ownCursor;
    std::vector<MediaItem>& m_items;
    SelectionCursor& m_cursor;
    ViewHost m_host;
    std::optional<VisibleRange> m_visible;

private:
    struct PressState {
        bool onItem = false;
        bool onSelected = false;
        size_t index = 0;
        QPoint point;
    };
    struct BandState {
        bool active = false;
        GridPoint anchor;  // content coordinates
        GridPoint current; // content coordinates
        std::vector<bool> saved;
    };

    QScrollBar* AxisScrollBar() const;
    // A client point's coordinate along the scroll axis, and the client area's extent along it.
    int AlongAxis(QPoint point) const;
    int AxisExtent() const;
    void LeftButtonDown(QPoint point);
    void LeftButtonUp(QPoint point);
    void RightButtonDown(QPoint point, QPoint globalPoint);
    void OpenBand(QPoint point);
    void UpdateBand(QPoint point);
    void CloseBand(QPoint point);
    void AutoScrollBand();

    ThumbnailWorker& m_worker;
    const Qt::Orientation m_scrollAxis;
    int m_pressModifiers = kModifierNone;
    PressState m_press;
    BandState m_band;
    QPoint m_lastMousePoint;
    QTimer m_autoScroll;
    bool m_thumbDragging = false;
    bool m_escapeDown = false;
    int m_wheelRemainder = 0;
};
