#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QFont>
#include <QPoint>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/item_view_base.h"
#include "views/thumbnail_bitmaps.h"
#include "views/thumbnail_geometry.h"

// The grid of thumbnails (folder mode): one cell per item of the program's item list, scrolled
// by rows. It owns the selection cursor (focus and anchor) that the other views share and
// applies the item views' selection rules (click, band, drag, rename on the name line, keys)
// with its cell geometry; it asks the thumbnail worker for the pictures of the visible cells
// only, in one job per paint, and trims the cache after each paint. Main thread only.
class ThumbnailGrid : public ItemViewBase {
    Q_OBJECT

public:
    // Both the item vector (owned by the item list) and the worker outlive the grid.
    ThumbnailGrid(std::vector<MediaItem>& items, ThumbnailWorker& worker, QWidget* parent = nullptr);
    ~ThumbnailGrid() override;

    // 0 to 2; other values are ignored. A change lays out and repaints everything.
    void SetThumbnailSize(int size);
    int ThumbnailSize() const { return m_size; }
    void SetColours(const ThumbnailColours& colours);
    const ThumbnailColours& Colours() const { return m_colours; }

    // Lays out for the current client size, item count and size (scroll bar included).
    void Relayout() override;
    // Repaints every visible cell (after the selection flags changed outside the grid).
    void RepaintCells();
    // Scrolls so that the focus row is in view, lays out and repaints.
    void MakeFocusVisible() override;

    // The visible range of the last paint; none before the first paint or for an empty list.
    std::optional<size_t> FirstVisible() const
    {
        return m_visible ? std::optional(m_visible->first) : std::nullopt;
    }
    std::optional<size_t> LastVisible() const
    {
        return m_visible ? std::optional(m_visible->last) : std::nullopt;
    }

    const GridLayout& Layout() const { return m_layout; }
    const CellGeometry& Geometry() const;
    int TopRow() const { return m_layout.topRow; }

    // The item under a point of the grid's client area, or none.
    std::optional<size_t> ItemAt(QPoint point) const override;
    // The cell of an item in client coordinates (scroll offset applied).
    QRect CellRect(size_t index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The status bar forgets the hovered item when the mouse leaves the cells.
    bool viewportEvent(QEvent* event) override;

    QPoint ContentOffset() const override { return {0, m_layout.scrollOffset}; }
    bool BandTakes(const GridRect& band, size_t index) const override;
    std::optional<QRect> RenameRectAt(size_t index, QPoint point) const override;
    void ScrollByLines(int lines) override;
    std::optional<size_t> NavigationTargetOf(NavigationKey key) const override;

private:
    void ScrollToRow(int row);
    void ApplyScrollBar();

    int m_size = 1;
    ThumbnailColours m_colours;
    ThumbnailBitmaps m_bitmaps;
    QFont m_nameFont;
    GridLayout m_layout;
};
