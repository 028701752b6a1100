#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>
#include <QPoint>
#include <QTimer>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/thumbnail_bitmaps.h"
#include "views/thumbnail_geometry.h"
#include "views/thumbnail_selection.h"
#include "views/view_host.h"

// The grid of thumbnails (folder mode): one cell per item of the program's item list, scrolled
// by rows. It owns the selection rules (the items' selected flags, focus and anchor), the rubber
// band, the press-move threshold that starts a drag, the rename trigger on the name line and the
// keyboard moves; it asks the thumbnail worker for the pictures of the visible cells only, in one
// job per paint, and trims the cache after each paint. Main thread only; the worker's repaint
// requests arrive as queued calls.
class ThumbnailGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Both the item vector (owned by the item list) and the worker outlive the grid.
    ThumbnailGrid(std::vector<MediaItem>& items, ThumbnailWorker& worker, QWidget* parent = nullptr);
    ~ThumbnailGrid() override;

    void SetHost(ViewHost host) { m_host = std::move(host); }
    const ViewHost& Host() const { return m_host; }
    const std::vector<MediaItem>& Items() const { return m_items; }

    // After the item list was rebuilt: lays out again with the top row kept where it can be, and
    // puts focus and anchor back on the first item when they fell outside the list.
    void ListChanged();
    // 0 to 2; other values are ignored. A change lays out and repaints everything.
    void SetThumbnailSize(int size);
    int ThumbnailSize() const { return m_size; }
    void SetColours(const ThumbnailColours& colours);
    const ThumbnailColours& Colours() const { return m_colours; }

    // Lays out for the current client size, item count and size (scroll bar included).
    void Relayout();
    // Scrolls so that the focus row is in view, lays out and repaints.
    void MakeFocusVisible();

    size_t FocusIndex() const { return m_cursor.focus; }
    size_t AnchorIndex() const { return m_cursor.anchor; }
    // The visible range of the last paint; none before the first paint or for an empty list.
    std::optional<size_t> FirstVisible() const;
    std::optional<size_t> LastVisible() const;

    const GridLayout& Layout() const { return m_layout; }
    const CellGeometry& Geometry() const;
    int TopRow() const { return m_layout.topRow; }
    // Closed while the scroll box is dragged or a band is open: no thumbnail requests then.
    bool RequestGateOpen() const { return !m_thumbDragging && !m_band.active; }
    bool BandActive() const { return m_band.active; }

    // The item under a point of the grid's client area, or none.
    std::optional<size_t> ItemAt(QPoint point) const;
    // The cell of an item in client coordinates (scroll offset applied).
    QRect CellRect(size_t index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // The wheel over the scroll bar scrolls one row per notch too, like the wheel over the cells.
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    // Hands one paint's requests to the worker.
    virtual void PostJob(ThumbnailJob job);

private:
    struct PressState {
        bool onItem = false;
        bool onSelected = false;
        size_t index = 0;
        QPoint point;
    };
    struct BandState {
        bool active = false;
        GridPoint anchor;  // content coordinates (y includes the scroll offset)
        GridPoint current; // content coordinates
        std::vector<bool> saved;
    };

    void LeftButtonDown(QPoint point);
    void LeftButtonUp(QPoint point);
    void RightButtonDown(QPoint point, QPoint globalPoint);
    void OpenBand(QPoint point);
    void UpdateBand(QPoint point);
    void CloseBand(QPoint point);
    void AutoScrollBand();
    void PaintBand(QPainter& painter) const;
    void PostRequests(std::vector<MediaItem*> requested);
    void ScrollToRow(int row);
    void ScrollByLines(int lines);
    void MoveFocus(long long step, int modifiers);
    void ApplyScrollBar();
    QPoint ClientToContent(QPoint point) const { return {point.x(), point.y() + m_layout.scrollOffset}; }
    static int ModifiersOf(Qt::KeyboardModifiers modifiers);

    std::vector<MediaItem>& m_items;
    ThumbnailWorker& m_worker;
    ViewHost m_host;
    int m_size = 1;
    ThumbnailColours m_colours;
    ThumbnailBitmaps m_bitmaps;
    QFont m_nameFont;
    GridLayout m_layout;
    SelectionCursor m_cursor;
    int m_pressModifiers = kModifierNone;
    PressState m_press;
    BandState m_band;
    QPoint m_lastMousePoint;
    QTimer m_autoScroll;
    bool m_thumbDragging = false;
    bool m_escapeDown = false;
    int m_wheelRemainder = 0;
    std::optional<VisibleRange> m_visible;
};
