#include "views/thumbnail_view.h"

#include <algorithm>

#include "views/thumbnail_selection.h"

ThumbnailView::ThumbnailView(std::vector<MediaItem>& items, ThumbnailWorker& worker, ViewHost host,
                             QWidget* parent)
    : QWidget(parent)
    , m_bar(new ViewButtonBar(this))
    , m_grid(new ThumbnailGrid(items, worker, this))
{
    connect(m_bar, &ViewButtonBar::DayStepRequested, this, &ThumbnailView::StepDay);
    SetHost(std::move(host));
    PlaceChildren();
}

void ThumbnailView::SetHost(ViewHost host)
{
    m_host = std::move(host);
    m_bar->SetHost(m_host);
    ViewHost gridHost = m_host;
    gridHost.selectionChanged = [this] { SelectionChanged(); };
    m_grid->SetHost(std::move(gridHost));
}

void ThumbnailView::SelectionChanged()
{
    m_bar->UpdateEnabling(AnySelected(m_grid->Items()));
    m_host.SelectionChanged();
}

void ThumbnailView::ListChanged()
{
    m_grid->ListChanged();
    m_bar->UpdateEnabling(AnySelected(m_grid->Items()));
}

void ThumbnailView::ShowThumbnails()
{
    for (QWidget* view : m_fullAreaViews)
        view->hide();
    m_bar->show();
    m_grid->show();
}

void ThumbnailView::InstallFullAreaView(QWidget* view)
{
    if (!view || std::find(m_fullAreaViews.begin(), m_fullAreaViews.end(), view) != m_fullAreaViews.end())
        return;
    view->setParent(this);
    view->hide();
    view->setGeometry(rect());
    m_fullAreaViews.push_back(view);
}

void ThumbnailView::ShowFullAreaView(QWidget* view)
{
    if (std::find(m_fullAreaViews.begin(), m_fullAreaViews.end(), view) == m_fullAreaViews.end())
        return;
    m_bar->hide();
    m_grid->hide();
    for (QWidget* other : m_fullAreaViews) {
        if (other != view)
            other->hide();
    }
    view->setGeometry(rect());
    view->show();
}

bool ThumbnailView::ThumbnailsShown() const
{
    return !m_grid->isHidden();
}

void ThumbnailView::StepDay(int)
{
    // The day moves belong to period mode's grouping by day; whatever they do, the keyboard
    // focus returns to the grid so that the arrows keep working after a click on the bar.
    m_grid->setFocus(Qt::OtherFocusReason);
}

void ThumbnailView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void ThumbnailView::PlaceChildren()
{
    const int w = width();
    const int h = height();
    m_bar->setGeometry(0, 0, w, ViewButtonBar::kHeight);
    m_grid->setGeometry(0, ViewButtonBar::kHeight, w, std::max(0, h - ViewButtonBar::kHeight));
    for (QWidget* view : m_fullAreaViews)
        view->setGeometry(0, 0, w, h);
}

void ThumbnailView::RepaintItems()
{
    m_grid->RepaintCells();
    // Full-area views are scroll areas or hold some: their viewports paint the items.
    for (QWidget* view : m_fullAreaViews) {
        if (!view->isVisible())
            continue;
        view->update();
        for (QWidget* child : view->findChildren<QWidget*>())
            child->update();
    }
}
