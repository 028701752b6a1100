#include <vector>

#include <gtest/gtest.h>

#include <QTest>

#include "library/thumbnail_worker.h"
#include "views/thumbnail_view.h"

TEST(ThumbnailView, BarOnTopGridBelowAndFullAreaViewsInTheirPlace)
{
    std::vector<MediaItem> items(3);
    for (MediaItem& item : items)
        item.detail = std::make_unique<MediaItemDetail>();
    ThumbnailWorker worker(ThumbnailWorker::Producers{});
    int selectionChanges = 0;
    ViewHost host;
    host.selectionChanged = [&] { ++selectionChanges; };
    ThumbnailView view(items, worker, host);
    view.resize(600, 400);
    view.show();

    EXPECT_EQ(view.Bar().geometry(), QRect(0, 0, 600, 48));
    EXPECT_EQ(view.Grid().geometry(), QRect(0, 48, 600, 352));

    // Selecting in the grid enables the rotation and delete buttons.
    EXPECT_EQ(view.Bar().Buttons()["Trash"].State(), kButtonDisabled);
    QTest::mouseClick(view.Grid().viewport(), Qt::LeftButton, {}, view.Grid().CellRect(1).center());
    EXPECT_TRUE(items[1].selected);
    EXPECT_GE(selectionChanges, 1);
    EXPECT_EQ(view.Bar().Buttons()["Trash"].State(), kButtonNormal);
    items[1].selected = false;
    view.ListChanged();
    EXPECT_EQ(view.Bar().Buttons()["RotateL"].State(), kButtonDisabled);

    auto* preview = new QWidget;
    view.InstallFullAreaView(preview);
    EXPECT_EQ(preview->parentWidget(), &view);
    EXPECT_TRUE(preview->isHidden());
    view.ShowFullAreaView(preview);
    EXPECT_FALSE(preview->isHidden());
    EXPECT_TRUE(view.Grid().isHidden());
    EXPECT_TRUE(view.Bar().isHidden());
    EXPECT_EQ(preview->geometry(), QRect(0, 0, 600, 400));
    EXPECT_FALSE(view.ThumbnailsShown());

    view.resize(700, 500);
    EXPECT_EQ(preview->geometry(), QRect(0, 0, 700, 500));
    view.ShowThumbnails();
    EXPECT_TRUE(preview->isHidden());
    EXPECT_TRUE(view.ThumbnailsShown());
    EXPECT_EQ(view.Grid().geometry(), QRect(0, 48, 700, 452));
}
