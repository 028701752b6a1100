#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/item_view_base.h"
#include "views/report_geometry.h"
#include "views/thumbnail_bitmaps.h"

// The report bitmaps of the resource module, loaded once: the folder picture in four copies
// (even and odd row colour, each normal and selected, made by replacing the key colour at
// pixel (0, 0)), the picture of a failed thumbnail and the movie and sound overlays. A bitmap
// missing from the module is a null pixmap, which the view skips. Main thread only.
class ReportBitmaps {
public:
    explicit ReportBitmaps(const ThumbnailColours& colours);
    void SetColours(const ThumbnailColours& colours);

    // Row parity: 0 for even item indexes, 1 for odd ones.
    const QPixmap& Folder(size_t parity, bool selected) const { return m_folders[parity & 1][selected ? 1 : 0]; }
    const QPixmap& Void() const { return m_void; }
    const QPixmap& MovieOverlay() const { return m_movie; }
    const QPixmap& SoundOverlay() const { return m_sound; }
    const QImage& Placeholder() const { return m_placeholder; }

private:
    QImage m_folderSource;
    std::array<std::array<QPixmap, 2>, 2> m_folders; // [parity][selected]
    QPixmap m_void;
    QPixmap m_movie;
    QPixmap m_sound;
    QImage m_placeholder;
};

// The report view: the program's item list as a table, one 33-pixel row per item with its small
// picture and display texts in resizable columns under a 20-pixel header. It shares the
// selection (the items' flags) and the focus and anchor with the thumbnail grid, and applies the
// item views' click, band, drag, rename, context-menu and keyboard rules with its row geometry.
// In folder mode a click on a column title asks the main window to sort. Visible rows request
// their thumbnails from the worker in one job per paint, and the cache is trimmed after each
// paint. Column widths live in the settings. Main thread only; the worker's repaint requests
// arrive as queued calls.
class ReportView : public ItemViewBase {
    Q_OBJECT

public:
    // The item vector (owned by the item list), the worker and the cursor (the grid's) outlive
    // the view. Reads the column widths of both modes from the settings.
    ReportView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
               QWidget* parent = nullptr);
    ~ReportView() override;

    // Scrolls so that the focus row is in view, lays out and repaints.
    void MakeFocusVisible() override;
    // Period mode shows the period columns (with their own stored widths) and a page of one row.
    void SetPeriodMode(bool periodMode);
    bool PeriodMode() const { return m_mode == GridMode::Period; }
    void SetColours(const ThumbnailColours& colours);
    // Lays out for the current client size, item count and column widths (scroll bars included).
    void Relayout() override;

    std::span<const ReportColumn> Columns() const { return ReportColumns(m_mode); }
    std::span<const int> ColumnWidths() const;
    // Sets a column's width (at least 4) in the current mode and stores it when it changed.
    void SetColumnWidth(size_t column, int width);

    const ReportLayout& Layout() const { return m_layout; }
    int FirstRow() const { return m_layout.firstRow; }
    // The column whose edge is being dragged.
    std::optional<size_t> ResizingColumn() const { return m_resizing; }
    // The rows drawn by the last paint; none before the first paint or for an empty list.
    std::optional<size_t> FirstVisible() const
    {
        return m_visible ? std::optional(m_visible->first) : std::nullopt;
    }
    std::optional<size_t> LastVisible() const
    {
        return m_visible ? std::optional(m_visible->last) : std::nullopt;
    }

    // The item whose row is under a client point (below the header), or none.
    std::optional<size_t> ItemAt(QPoint point) const override;
    // Row i's 32 pixels across the client width, in client coordinates.
    QRect RowRect(size_t index) const;
    // The text cell of the file name in row i (the rename editor's place), in client coordinates.
    QRect NameCellRect(size_t index) const;
    // A column's title and the x of its right edge (one past its last pixel), in client coordinates.
    QRect TitleRect(size_t column) const;
    int ColumnEdgeX(size_t column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The column edges in the header take moves and releases while one is dragged.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    QPoint ContentOffset() const override;
    bool BandTakes(const GridRect& band, size_t index) const override;
    std::optional<QRect> RenameRectAt(size_t index, QPoint point) const override;
    void ScrollByLines(int lines) override;
    bool OnHeader(QPoint point) const override;
    void HeaderPress(QPoint point) override;
    std::optional<size_t> NavigationTargetOf(NavigationKey key) const override;

private:
    void ReadColumnWidths();
    void DragColumnEdge(QPoint point);
    void EndColumnDrag();
    void ScrollToRow(int row);
    void ApplyScrollBars();
    void PaintHeader(QPainter& painter);
    void PaintRow(QPainter& painter, size_t index, int rowTop);
    void PaintPicture(QPainter& painter, MediaItem& item, const QRect& box, size_t parity);
    void PaintTimeLine(QPainter& painter, const MediaItem& item, const QRect& cell);

    GridMode m_mode = GridMode::Folder;
    std::vector<int> m_folderWidths;
    std::vector<int> m_periodWidths;
    ThumbnailColours m_colours;
    ReportBitmaps m_bitmaps;
    QFont m_textFont;
    QFont m_timeFont;
    ReportLayout m_layout;
    std::optional<size_t> m_resizing;
    int m_resizeStartWidth = 0;
    bool m_applyingScrollBars = false;
};
