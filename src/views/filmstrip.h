#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <QFont>
#include <QPoint>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/filmstrip_geometry.h"
#include "views/item_view_base.h"
#include "views/thumbnail_bitmaps.h"

// The preview's filmstrip: one row of size-S thumbnails of the whole item list, scrolled by
// whole cells with a horizontal scroll bar. It draws its cells like the thumbnail grid and
// follows the item views' selection rules (click, band, drag threshold, rename trigger, keyboard
// moves) on the selection, focus and anchor it shares with the grid and the report view. It
// asks the worker for the pictures of its visible cells only, in one job per paint, and trims
// the cache after each paint. Main thread only.
class Filmstrip : public ItemViewBase {
    Q_OBJECT

public:
    // The item vector (owned by the item list), the worker and the cursor outlive the strip.
    Filmstrip(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
              QWidget* parent = nullptr);
    ~Filmstrip() override;

    void SetColours(const ThumbnailColours& colours);
    const ThumbnailColours& Colours() const { return m_colours; }
    // In period mode the strip pages by one cell and reports its first visible item after
    // making the focus visible (the period panel shows that item's date).
    void SetPeriodMode(bool periodMode);
    bool PeriodMode() const { return m_periodMode; }
    void SetFirstVisibleShown(std::function<void(size_t firstVisible)> shown)
    {
        m_firstVisibleShown = std::move(shown);
    }

    // Scrolls so that the focus cell is among the visible cells.
    void MakeFocusVisible() override;
    // Scrolls so that `index` is the first visible item (as far as the list allows).
    void SetFirstVisible(size_t index);
    size_t FirstVisible() const { return static_cast<size_t>(m_layout.position); }

    // Previous/next (also page, home and end) from the focus by the keyboard rules of the
    // thumbnail grid; hidden items are skipped in the direction of travel and a target outside
    // the list does nothing. Then the focus is made visible and the selection refresh runs.
    void StepFile(NavigationKey key, int modifiers) { MoveFocus(key, modifiers); }

    const FilmstripLayout& Layout() const { return m_layout; }
    // The shown item under a point of the client area, or none.
    std::optional<size_t> ItemAt(QPoint point) const override;
    // An item's cell in client coordinates.
    QRect CellRect(size_t index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    QPoint ContentOffset() const override { return {m_layout.offset, 0}; }
    // Rows do not count: the band spans the strip's height whatever the pointer's y.
    GridRect BandRectOf(GridPoint anchor, GridPoint current) const override;
    bool BandTakes(const GridRect& band, size_t index) const override;
    // Unlike the grid's, the strip's band leaves the selection alone until it first moves, so
    // that the picture above does not change on a mere press.
    bool BandClearsAtOnce() const override { return false; }
    std::optional<QRect> RenameRectAt(size_t index, QPoint point) const override;
    void ScrollByLines(int lines) override;
    std::optional<size_t> NavigationTargetOf(NavigationKey key) const override;
    // The strip is one row: Up and Down have nothing to go to.
    bool TakesNavigationKey(NavigationKey key) const override;
    void ApplyKeyboardMoveTo(size_t target, int modifiers) override;

private:
    void Relayout() override;
    void ApplyScrollBar();
    void ScrollToPosition(long long position);

    ThumbnailColours m_colours;
    ThumbnailBitmaps m_bitmaps;
    QFont m_nameFont;
    FilmstripLayout m_layout;
    bool m_periodMode = false;
    std::function<void(size_t)> m_firstVisibleShown;
};
