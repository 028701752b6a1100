#pragma once

#include <vector>

#include <QWidget>

#include "library/media_item.h"
#include "views/thumbnail_grid.h"
#include "views/view_button_bar.h"
#include "views/view_host.h"

class ThumbnailWorker;

// The view area of the main window: the 48-pixel button bar across the top with the thumbnail
// grid below it, or one full-area view (preview, report) in their place. Main thread only.
class ThumbnailView : public QWidget {
    Q_OBJECT

public:
    // The item vector (owned by the item list) and the worker outlive the view.
    ThumbnailView(std::vector<MediaItem>& items, ThumbnailWorker& worker, ViewHost host = {},
                  QWidget* parent = nullptr);

    ThumbnailGrid& Grid() { return *m_grid; }
    ViewButtonBar& Bar() { return *m_bar; }

    // Hands (other) callbacks of the main window to the grid and the bar.
    void SetHost(ViewHost host);

    // After the item list was rebuilt: the grid lays out again and the bar follows the selection.
    void ListChanged();

    // Shows the bar and the grid, hiding any full-area view.
    void ShowThumbnails();
    // Adopts a view that fills the whole area when shown (the preview, the report); it starts
    // hidden.
    void InstallFullAreaView(QWidget* view);
    // Shows an installed full-area view in place of the bar and the grid.
    void ShowFullAreaView(QWidget* view);
    bool ThumbnailsShown() const;
    // After the selection flags changed from outside the views (select all): every view repaints.
    void RepaintItems();

    // A day button of the bar: in period mode the grid goes to the previous (-1) or next (+1)
    // day with items; in every case the keyboard focus goes back to the grid.
    void StepDay(int step);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceChildren();
    void SelectionChanged();

    ViewButtonBar* m_bar;
    ThumbnailGrid* m_grid;
    std::vector<QWidget*> m_fullAreaViews;
    ViewHost m_host;
};
