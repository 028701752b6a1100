#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "app/item_view_test_support.h"
#include "library/thumbnail_worker.h"
#include "views/thumbnail_grid.h"

namespace {

using RecordingGrid = RecordingView<ThumbnailGrid>;

struct ThumbnailGridTest : ::testing::Test, HostRecorder {
    std::vector<MediaItem> items = Pictures(10);
    ThumbnailWorker worker{FakeProducers()};
    RecordingGrid grid{items, worker};

    void SetUp() override
    {
        grid.SetHost(RecordingHost(items));
        grid.SetThumbnailSize(1);
        grid.SetColours(ThumbnailColours{});
        grid.resize(700, 500);
        grid.show();
        QCoreApplication::processEvents();
        grid.ListChanged();
        // Whatever the first exposure asked for is forgotten, so that each test sees its own jobs.
        grid.jobs.clear();
        for (MediaItem& item : items)
            item.detail->ReleasePictures();
    }

    QWidget* Viewport() { return grid.viewport(); }
    QPoint CentreOf(size_t index) { return grid.CellRect(index).center(); }
    QImage Render() { return Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    void Select(const std::string& flags)
    {
        for (size_t i = 0; i < items.size(); ++i)
            items[i].selected = flags[i] == '1';
    }
};

} // namespace

TEST_F(ThumbnailGridTest, LaysOutRowsAsScrollUnits)
{
    // 3 columns of 212 pixels, 2 rows of 194 per page, 4 rows: the top row stops at 2.
    EXPECT_EQ(grid.Layout().columns, 3);
    EXPECT_EQ(grid.Layout().rowsPerPage, 2);
    EXPECT_EQ(grid.Layout().totalRows, 4);
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 2);
    EXPECT_EQ(grid.verticalScrollBar()->pageStep(), 2);
    grid.verticalScrollBar()->setValue(2);
    EXPECT_EQ(grid.TopRow(), 2);
    EXPECT_EQ(grid.CellRect(6).top(), 5);

    // One row per wheel notch, none while a rename is open.
    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(grid.TopRow(), 1);
    renameOpen = true;
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(ThumbnailGridTest, GapClickOpensABandThatSelectsTouchedCells)
{
    Select("1100000000");
    const QPoint gap(grid.CellRect(0).right() + 5, grid.CellRect(0).center().y());
    ASSERT_FALSE(grid.ItemAt(gap));
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, gap);
    EXPECT_TRUE(grid.BandActive());
    EXPECT_FALSE(grid.RequestGateOpen());
    EXPECT_EQ(Flags(items), "0000000000");

    // Dragging to the middle of item 4 touches the cells of items 1 and 4 only: the band
    // starts in the gap right of item 0.
    QTest::mouseMove(Viewport(), CentreOf(4));
    EXPECT_EQ(Flags(items), "0100100000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(4));
    EXPECT_FALSE(grid.BandActive());
    EXPECT_TRUE(grid.RequestGateOpen());
    EXPECT_EQ(Flags(items), "0100100000");
}

TEST_F(ThumbnailGridTest, CtrlBandInvertsTheSavedSelection)
{
    Select("1000100000");
    const QPoint margin(3, 2);
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ControlModifier, margin);
    QTest::mouseMove(Viewport(), CentreOf(4));
    EXPECT_EQ(Flags(items), "0101000000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(4));
}

TEST_F(ThumbnailGridTest, PressOnASelectedItemDragsOrNarrowsTheSelection)
{
    Select("0111000000");
    // Without moving: only the pressed item stays selected.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    EXPECT_EQ(Flags(items), "0111000000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    EXPECT_EQ(Flags(items), "0010000000");
    EXPECT_EQ(grid.FocusIndex(), 2u);
    EXPECT_EQ(drags, 0);

    // 8 pixels (Manhattan) start a drag of the whole selection.
    Select("0111000000");
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    QTest::mouseMove(Viewport(), CentreOf(2) + QPoint(5, 3));
    EXPECT_EQ(drags, 1);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(2) + QPoint(5, 3));
    EXPECT_EQ(Flags(items), "0111000000");

    // 7 pixels do not.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(3));
    QTest::mouseMove(Viewport(), CentreOf(3) + QPoint(4, -3));
    EXPECT_EQ(drags, 1);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(3) + QPoint(4, -3));
    EXPECT_EQ(Flags(items), "0001000000");
}

TEST_F(ThumbnailGridTest, PressOnAnUnselectedItemSelectsAtOnce)
{
    Select("1000000000");
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(5));
    EXPECT_EQ(Flags(items), "1000010000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(5));
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(7));
    EXPECT_EQ(Flags(items), "0000011100");
    EXPECT_EQ(grid.FocusIndex(), 7u);
    EXPECT_EQ(grid.AnchorIndex(), 5u);
}

TEST_F(ThumbnailGridTest, RenameStartsOnTheNameLineOfASelectedItem)
{
    const QRect cell = grid.CellRect(4);
    const QPoint onName(cell.left() + 100, cell.top() + 183 - 12 - 14 + 5);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName); // selects it
    EXPECT_TRUE(renames.empty());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].first, 4u);
    EXPECT_EQ(renames[0].second, QRect(cell.left() + 20, cell.top() + 183 - 12 - 14, 160, 16));
    // With a modifier, or on the picture, nothing is renamed.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, onName);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(4));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(4));
    EXPECT_EQ(renames.size(), 1u);
}

TEST_F(ThumbnailGridTest, RightClickSelectsThenOpensTheContextMenu)
{
    Select("0110000000");
    const QPoint empty(grid.CellRect(0).right() + 5, 50);
    QTest::mousePress(Viewport(), Qt::RightButton, {}, empty);
    EXPECT_EQ(contextMenus, 1);
    EXPECT_FALSE(selectionAtContextMenu);

    Select("0110000000");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, CentreOf(2));
    EXPECT_EQ(Flags(items), "0110000000");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, CentreOf(5));
    EXPECT_EQ(Flags(items), "0000010000");
    EXPECT_EQ(grid.FocusIndex(), 5u);
    EXPECT_EQ(contextMenus, 3);
}

TEST_F(ThumbnailGridTest, DoubleClickOpensAnItemOnly)
{
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, QPoint(3, 2));
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);
}

TEST_F(ThumbnailGridTest, HoverReportsTheItemUnderTheCursor)
{
    QTest::mouseMove(Viewport(), CentreOf(4));
    ASSERT_FALSE(pointed.empty());
    EXPECT_EQ(pointed.back(), &items[4]);
    QTest::mouseMove(Viewport(), QPoint(3, 2));
    EXPECT_EQ(pointed.back(), nullptr);
}

TEST_F(ThumbnailGridTest, KeysMoveSelectAndSendCommands)
{
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_TRUE(commands.empty());

    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(Flags(items), "0100000000");
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(Flags(items), "0000100000");
    QTest::keyClick(&grid, Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(Flags(items), "0001100000");
    EXPECT_EQ(grid.FocusIndex(), 3u);
    QTest::keyClick(&grid, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(grid.FocusIndex(), 4u);
    EXPECT_EQ(Flags(items), "0001100000");
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(Flags(items), "0100000000");
    QTest::keyClick(&grid, Qt::Key_Up); // row 0: outside the list, ignored
    EXPECT_EQ(grid.FocusIndex(), 1u);

    // Down to row 3 brings it to the bottom of the page: top row 3 - 2 + 1.
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.FocusIndex(), 7u);
    QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.FocusIndex(), 9u);
    EXPECT_EQ(grid.TopRow(), 2);
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.FocusIndex(), 2u);
    EXPECT_EQ(grid.TopRow(), 0);

    QTest::keyClick(&grid, Qt::Key_Delete);
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(commands, (std::vector<int>{ViewCommand::kDelete, ViewCommand::kStopLoading}));
}

TEST_F(ThumbnailGridTest, PaintPostsOneJobForTheVisibleItems)
{
    std::vector<MediaItem> many = Pictures(30);
    many[1].attributes = kAttributeFolder;
    many[1].isImage = false;
    items.swap(many);
    grid.ListChanged();
    Render();
    ASSERT_EQ(grid.jobs.size(), 1u);
    // Rows 0 to 2 reach into the 500 pixels: items 0 to 8.
    ASSERT_EQ(grid.FirstVisible(), 0u);
    ASSERT_EQ(grid.LastVisible(), 8u);
    const ThumbnailJob& job = grid.jobs[0];
    ASSERT_EQ(job.items.size(), 9u);
    for (size_t i = 0; i < job.items.size(); ++i) {
        EXPECT_EQ(job.items[i].path, items[i].fullPath);
        EXPECT_EQ(job.items[i].detail, items[i].detail.get());
    }
    EXPECT_TRUE(job.items[1].isFolder);
    EXPECT_TRUE(items[1].detail->IsRequested(PictureRequest::FolderPreview));
    EXPECT_TRUE(items[0].detail->IsRequested(PictureRequest::SmallThumbnail));
    EXPECT_FALSE(items[0].detail->IsRequested(PictureRequest::LargeThumbnail));
    EXPECT_FALSE(items[9].detail->IsRequested(PictureRequest::SmallThumbnail));

    // Requested once: the next paint asks for nothing.
    Render();
    EXPECT_EQ(grid.jobs.size(), 1u);

    // While the scroll box is held, scrolling paints without asking.
    grid.verticalScrollBar()->setSliderDown(true);
    EXPECT_FALSE(grid.RequestGateOpen());
    grid.verticalScrollBar()->setValue(3);
    Render();
    EXPECT_EQ(grid.jobs.size(), 1u);
    EXPECT_FALSE(items[12].detail->IsRequested(PictureRequest::SmallThumbnail));
    grid.verticalScrollBar()->setSliderDown(false);
    Render();
    ASSERT_EQ(grid.jobs.size(), 2u);
    EXPECT_EQ(grid.jobs[1].items.front().path, items[9].fullPath);

    // Size L asks for the large thumbnail.
    grid.SetThumbnailSize(2);
    Render();
    ASSERT_EQ(grid.jobs.size(), 3u);
    EXPECT_TRUE(items[grid.FirstVisible().value()].detail->IsRequested(PictureRequest::LargeThumbnail));
}

TEST_F(ThumbnailGridTest, WorkerRepaintIsQueuedToTheGrid)
{
    Render();
    ASSERT_EQ(grid.jobs.size(), 1u);
    PaintCounter counter(Viewport());
    QCoreApplication::processEvents();
    counter.paints = 0;
    std::thread workerThread([&] { grid.jobs[0].repaint(); });
    workerThread.join();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000));
}

TEST_F(ThumbnailGridTest, RendersFramePlaceholderPictureAndMemoCaption)
{
    items[0].selected = true;
    items[1].detail->thumbnails[2].Set(SolidPicture(160, 107, 0x2040C0));
    items[2].hasSoundMemo = true;
    items[2].fileName = "DSCF0002.JPG";
    const QImage image = Render();

    const QRect selected = grid.CellRect(0);
    EXPECT_EQ(Rgb(image, selected.topLeft()), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, selected.bottomRight()), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, selected.topLeft() + QPoint(5, 10)), 0xFFF8BAu); // selection background
    EXPECT_EQ(Rgb(image, grid.CellRect(3).topLeft()), 0xFFFFFFu);

    // Item 0 has no thumbnail yet: the grey placeholder fills its picture box.
    const QRect box0(selected.left() + 20, selected.top() + 22, 160, 120);
    EXPECT_EQ(Rgb(image, box0.center()), 0xCCCCCCu);
    EXPECT_EQ(Rgb(image, box0.topLeft()), 0xCCCCCCu);

    // Item 1's 160 x 107 thumbnail is centred: 6 rows of cell colour above it.
    const QRect cell1 = grid.CellRect(1);
    const QPoint box1(cell1.left() + 20, cell1.top() + 22);
    EXPECT_EQ(Rgb(image, box1 + QPoint(80, 60)), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box1 + QPoint(80, 6)), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box1 + QPoint(80, 5)), 0xFFFFFFu);

    // Captions: the memo colour only in the memo item's name line.
    const auto nameLine = [&](size_t index) {
        const QRect cell = grid.CellRect(index);
        return QRect(cell.left() + 20, cell.top() + 183 - 12 - 14, 160, 16);
    };
    EXPECT_GT(CountPixels(image, nameLine(2), 0x12B9E3), 5);
    EXPECT_EQ(CountPixels(image, nameLine(1), 0x12B9E3), 0);
    EXPECT_GT(CountPixels(image, nameLine(1), 0x000000), 5);
    // The gaps are background.
    EXPECT_EQ(Rgb(image, QPoint(grid.CellRect(0).right() + 5, 50)), 0xFFFFFFu);
}

TEST_F(ThumbnailGridTest, FailedThumbnailAndSizeChanges)
{
    items[0].detail->failed = true;
    QImage image = Render();
    const QRect cell = grid.CellRect(0);
    // The void bitmap (or, without the resource module, the cell colour) instead of the placeholder.
    EXPECT_NE(Rgb(image, cell.topLeft() + QPoint(100, 80)), 0xCCCCCCu);

    grid.SetThumbnailSize(7);
    EXPECT_EQ(grid.ThumbnailSize(), 1);
    grid.SetThumbnailSize(0);
    EXPECT_EQ(grid.ThumbnailSize(), 0);
    EXPECT_EQ(grid.CellRect(1).left(), 6 + 120);
    image = Render();
    // Small cells draw the 80 x 60 copy made from the 160 x 120 thumbnail.
    items[1].detail->thumbnails[2].Set(SolidPicture(160, 120, 0x20C040));
    image = Render();
    ASSERT_TRUE(items[1].detail->thumbnails[1].IsFilled());
    EXPECT_EQ(items[1].detail->thumbnails[1].Get()->Width(), 80u);
    const QRect small = grid.CellRect(1);
    EXPECT_EQ(Rgb(image, small.topLeft() + QPoint(15 + 2 + 40, 14 + 2 + 30)), 0x20C040u);
}

TEST_F(ThumbnailGridTest, ListChangeKeepsFocusInsideTheList)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(8));
    EXPECT_EQ(grid.FocusIndex(), 8u);
    items.resize(4);
    grid.ListChanged();
    EXPECT_EQ(grid.FocusIndex(), 0u);
    EXPECT_EQ(grid.Layout().totalRows, 2);
    items.clear();
    grid.ListChanged();
    const QImage image = Render();
    EXPECT_EQ(grid.FirstVisible(), std::nullopt);
    EXPECT_EQ(Rgb(image, QPoint(100, 100)), 0xFFFFFFu);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_TRUE(grid.jobs.empty());
}

TEST_F(ThumbnailGridTest, FolderPreviewsLeaveTheOtherCellsDrawn)
{
    // The folder's clip for its previews once made the final gap fill cover every cell.
    items[0].detail->thumbnails[2].Set(SolidPicture(160, 120, 0xC01020));
    MediaItem folder;
    folder.fileName = "Selection";
    folder.fullPath = "/card/DCIM/100_FUJI/Selection";
    folder.attributes = kAttributeFolder;
    folder.detail = std::make_unique<MediaItemDetail>();
    folder.detail->folderPreview[2][0].Set(SolidPicture(160, 120, 0x2040C0));
    items[2] = std::move(folder);
    grid.ListChanged();
    const QImage image = Render();
    EXPECT_EQ(image.pixel(CentreOf(0).x(), grid.CellRect(0).top() + 60) & 0xFFFFFF, 0xC01020u);
    EXPECT_EQ(image.pixel(CentreOf(1).x(), grid.CellRect(1).top() + 60) & 0xFFFFFF, 0xCCCCCCu);
}

TEST_F(ThumbnailGridTest, LeavingTheCellsClearsTheHoveredItem)
{
    QTest::mouseMove(Viewport(), CentreOf(4));
    ASSERT_EQ(pointed.back(), &items[4]);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Viewport(), &leave);
    EXPECT_EQ(pointed.back(), nullptr);
}

size_t SelectedCount(const std::vector<MediaItem>& items)
{
    return static_cast<size_t>(std::count_if(items.begin(), items.end(), [](const MediaItem& item) {
        return item.selected;
    }));
}

TEST_F(ThumbnailGridTest, PageAndEndKeysMoveByAPageAndToTheEnds)
{
    items = Pictures(40); // size M in 700 x 500: 3 columns, 2 rows per page
    grid.ListChanged();
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.FocusIndex(), 7u);
    EXPECT_EQ(Flags(items).find('1'), 7u);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ShiftModifier); // anchor 7 to the last item
    EXPECT_EQ(grid.FocusIndex(), 39u);
    EXPECT_EQ(SelectedCount(items), 33u);
    EXPECT_EQ(grid.TopRow(), 13 - 1); // the last row is in view
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier); // only the focus moves
    EXPECT_EQ(grid.FocusIndex(), 0u);
    EXPECT_EQ(SelectedCount(items), 33u);
    EXPECT_EQ(grid.TopRow(), 0);
    QTest::keyClick(&grid, Qt::Key_PageUp); // at the first item: nothing to do
    EXPECT_EQ(grid.FocusIndex(), 0u);
}

TEST_F(ThumbnailGridTest, SizeChangeKeepsTheFocusItemInView)
{
    items = Pictures(300);
    grid.ListChanged();
    QTest::keyClick(&grid, Qt::Key_End); // focus on the last item, scrolled to the end
    Render();
    for (const int size : {0, 2, 1, 0}) {
        grid.SetThumbnailSize(size);
        Render();
        ASSERT_TRUE(grid.FirstVisible() && grid.LastVisible());
        EXPECT_LE(*grid.FirstVisible(), 299u) << size;
        EXPECT_EQ(*grid.LastVisible(), 299u) << size;
    }
    // Scrolled away from the focus: the first visible item stays in view.
    grid.verticalScrollBar()->setValue(10);
    Render();
    const size_t first = *grid.FirstVisible();
    grid.SetThumbnailSize(2);
    Render();
    EXPECT_LE(*grid.FirstVisible(), first);
    EXPECT_GE(*grid.LastVisible(), first);
}
