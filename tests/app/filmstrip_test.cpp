#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "app/item_view_test_support.h"
#include "library/thumbnail_worker.h"
#include "views/filmstrip.h"

namespace {

using RecordingFilmstrip = RecordingView<Filmstrip>;

QWheelEvent Wheel(int delta)
{
    return QWheelEvent(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
}

// 20 pictures in a strip of 982 pixels: 8 whole cells.
struct FilmstripTest : ::testing::Test, HostRecorder {
    std::vector<MediaItem> items = Pictures(20);
    ThumbnailWorker worker{FakeProducers()};
    SelectionCursor cursor;
    RecordingFilmstrip strip{items, worker, cursor};

    void SetUp() override
    {
        strip.SetHost(RecordingHost(items));
        strip.SetColours(ThumbnailColours{});
        strip.resize(982, 137);
        strip.show();
        QCoreApplication::processEvents();
        strip.ListChanged();
        // Whatever the first exposure asked for is forgotten, so that each test sees its own jobs.
        strip.jobs.clear();
        for (MediaItem& item : items)
            item.detail->ReleasePictures();
        selectionChanges = 0;
    }

    QWidget* Viewport() { return strip.viewport(); }
    QPoint CentreOf(size_t index) { return strip.CellRect(index).center(); }
    QImage Render() { return Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    void Select(const std::string& flags)
    {
        for (size_t i = 0; i < items.size(); ++i)
            items[i].selected = i < flags.size() && flags[i] == '1';
    }
    void Step(NavigationKey key, int modifiers = kModifierNone) { strip.StepFile(key, modifiers); }
};

} // namespace

TEST_F(FilmstripTest, ScrollsByWholeCells)
{
    EXPECT_EQ(Viewport()->width(), 982);
    EXPECT_EQ(strip.Layout().visibleCount, 8);
    QScrollBar* bar = strip.horizontalScrollBar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 12);
    EXPECT_EQ(bar->pageStep(), 8);
    EXPECT_EQ(bar->singleStep(), 1);

    bar->setValue(5);
    EXPECT_EQ(strip.FirstVisible(), 5u);
    EXPECT_EQ(strip.Layout().offset, 600);
    EXPECT_EQ(strip.CellRect(5).left(), 12);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(strip.FirstVisible(), 6u);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(strip.FirstVisible(), 12u); // 14 clamped to 20 - 8
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(strip.FirstVisible(), 4u);

    strip.SetFirstVisible(17);
    EXPECT_EQ(strip.FirstVisible(), 12u);
    EXPECT_EQ(bar->value(), 12);
    strip.SetFirstVisible(3);
    EXPECT_EQ(strip.FirstVisible(), 3u);

    // A shorter list keeps the position where it can.
    items.resize(6);
    strip.ListChanged();
    EXPECT_EQ(strip.FirstVisible(), 0u);
    EXPECT_EQ(bar->maximum(), 0);
}

TEST_F(FilmstripTest, PeriodModePagesByOneAndReportsTheFirstVisible)
{
    std::vector<size_t> reported;
    strip.SetFirstVisibleShown([&](size_t first) { reported.push_back(first); });
    strip.MakeFocusVisible();
    EXPECT_TRUE(reported.empty()); // folder mode reports nothing

    strip.SetPeriodMode(true);
    QScrollBar* bar = strip.horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 19);
    EXPECT_EQ(bar->pageStep(), 1);
    EXPECT_EQ(strip.Layout().visibleCount, 8);
    strip.SetFirstVisible(19);
    EXPECT_EQ(strip.FirstVisible(), 19u);

    cursor.focus = 2;
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 2u);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported.back(), 2u);

    strip.SetPeriodMode(false);
    strip.SetFirstVisible(19);
    EXPECT_EQ(strip.FirstVisible(), 12u);
}

TEST_F(FilmstripTest, MakeFocusVisibleInBothDirections)
{
    strip.SetFirstVisible(4);
    cursor.focus = 11; // the last visible cell: no scrolling
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 4u);
    cursor.focus = 12; // first visible + visible count
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 5u);
    cursor.focus = 19;
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 12u);
    cursor.focus = 9;
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 9u);
    cursor.focus = 0;
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 0u);
}

TEST_F(FilmstripTest, StepFileFollowsTheKeyboardRules)
{
    cursor = {3, 3};
    Select("00010000000000000000");
    Step(NavigationKey::Next);
    EXPECT_EQ(Flags(items), "00001000000000000000");
    EXPECT_EQ(cursor.focus, 4u);
    EXPECT_EQ(cursor.anchor, 4u);
    EXPECT_EQ(selectionChanges, 1);

    // Ctrl moves only the focus.
    Step(NavigationKey::Next, kModifierCtrl);
    Step(NavigationKey::Next, kModifierCtrl);
    EXPECT_EQ(cursor.focus, 6u);
    EXPECT_EQ(cursor.anchor, 4u);
    EXPECT_EQ(Flags(items), "00001000000000000000");

    // Shift selects from the anchor, in either direction.
    Step(NavigationKey::Next, kModifierShift);
    EXPECT_EQ(Flags(items), "00001111000000000000");
    Step(NavigationKey::Previous, kModifierShift);
    EXPECT_EQ(Flags(items), "00001110000000000000");
    EXPECT_EQ(cursor.anchor, 4u);
    EXPECT_EQ(cursor.focus, 6u);

    // Previous selects exactly one item again.
    Step(NavigationKey::Previous);
    EXPECT_EQ(Flags(items), "00000100000000000000");
    EXPECT_EQ(selectionChanges, 6);

    // Page steps move by the visible count and stop at the ends; Home and End go there.
    Step(NavigationKey::PageDown);
    EXPECT_EQ(cursor.focus, 13u);
    EXPECT_EQ(strip.FirstVisible(), 6u);
    Step(NavigationKey::PageDown);
    EXPECT_EQ(cursor.focus, 19u);
    Step(NavigationKey::PageUp);
    EXPECT_EQ(cursor.focus, 11u);
    Step(NavigationKey::Home);
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(strip.FirstVisible(), 0u);
    Step(NavigationKey::End);
    EXPECT_EQ(cursor.focus, 19u);
    EXPECT_EQ(strip.FirstVisible(), 12u);
    EXPECT_EQ(Flags(items), "00000000000000000001");

    // Beyond the ends nothing happens, not even a selection refresh.
    const int changes = selectionChanges;
    Step(NavigationKey::Next);
    Step(NavigationKey::End);
    EXPECT_EQ(cursor.focus, 19u);
    Step(NavigationKey::Home);
    Step(NavigationKey::Previous);
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(selectionChanges, changes + 1);
    EXPECT_EQ(Flags(items), "10000000000000000000");
}

TEST_F(FilmstripTest, StepFileSkipsHiddenItems)
{
    for (size_t i : {0u, 3u, 4u, 17u, 18u, 19u})
        items[i].hidden = true;
    cursor = {2, 2};
    Step(NavigationKey::Next);
    EXPECT_EQ(cursor.focus, 5u);
    Step(NavigationKey::Previous);
    EXPECT_EQ(cursor.focus, 2u);
    Step(NavigationKey::Previous);
    EXPECT_EQ(cursor.focus, 1u);
    // Only hidden items before: nothing to go to.
    Step(NavigationKey::Previous);
    EXPECT_EQ(cursor.focus, 1u);

    // A Shift range across hidden items leaves them unselected.
    Step(NavigationKey::Next, kModifierShift);
    Step(NavigationKey::Next, kModifierShift);
    EXPECT_EQ(cursor.focus, 5u);
    EXPECT_EQ(Flags(items), "01100100000000000000");

    // End and Home stop at the last and first shown items.
    Step(NavigationKey::End);
    EXPECT_EQ(cursor.focus, 16u);
    Step(NavigationKey::Next);
    EXPECT_EQ(cursor.focus, 16u);
    Step(NavigationKey::Home);
    EXPECT_EQ(cursor.focus, 1u);
    Step(NavigationKey::Home);
    EXPECT_EQ(cursor.focus, 1u);

    // Hidden items are neither drawn nor hit.
    EXPECT_EQ(strip.ItemAt(CentreOf(3)), std::nullopt);
    EXPECT_EQ(strip.ItemAt(CentreOf(5)), 5u);
}

TEST_F(FilmstripTest, KeysStepAndSendCommands)
{
    strip.setFocus();
    QTest::keyClick(&strip, Qt::Key_Delete);
    EXPECT_TRUE(commands.empty());

    QTest::keyClick(&strip, Qt::Key_Right);
    EXPECT_EQ(cursor.focus, 1u);
    QTest::keyClick(&strip, Qt::Key_Space);
    EXPECT_EQ(cursor.focus, 2u);
    QTest::keyClick(&strip, Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(Flags(items), "01100000000000000000");
    QTest::keyClick(&strip, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(Flags(items), "01100000000000000000");
    QTest::keyClick(&strip, Qt::Key_Down); // one row: nothing below
    QTest::keyClick(&strip, Qt::Key_Up);
    EXPECT_EQ(cursor.focus, 0u);
    QTest::keyClick(&strip, Qt::Key_PageDown);
    EXPECT_EQ(cursor.focus, 8u);
    QTest::keyClick(&strip, Qt::Key_End);
    EXPECT_EQ(cursor.focus, 19u);
    QTest::keyClick(&strip, Qt::Key_PageUp);
    EXPECT_EQ(cursor.focus, 11u);
    QTest::keyClick(&strip, Qt::Key_Home);
    EXPECT_EQ(cursor.focus, 0u);

    QTest::keyClick(&strip, Qt::Key_Delete);
    QTest::keyClick(&strip, Qt::Key_Escape);
    EXPECT_EQ(commands, (std::vector<int>{ViewCommand::kDelete, ViewCommand::kStopLoading}));
}

TEST_F(FilmstripTest, ClicksSelectOnTheSharedCursor)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    EXPECT_EQ(Flags(items), "00100000000000000000");
    EXPECT_EQ(cursor.focus, 2u);
    EXPECT_EQ(cursor.anchor, 2u);
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(4));
    EXPECT_EQ(Flags(items), "00101000000000000000");
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, CentreOf(6));
    EXPECT_EQ(Flags(items), "00001110000000000000");
    EXPECT_EQ(cursor.anchor, 4u);
    EXPECT_EQ(cursor.focus, 6u);

    // After scrolling, the strip's hit test finds the shifted cells.
    strip.SetFirstVisible(10);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(12 + 120 + 50, 50));
    EXPECT_EQ(cursor.focus, 11u);
    EXPECT_EQ(Flags(items), "00000000000100000000");
}

TEST_F(FilmstripTest, PressOnASelectedItemDragsOrNarrowsAtSevenAndEightPixels)
{
    Select("01110000000000000000");
    // 7 pixels (Manhattan) are no drag: the release narrows the selection to the item.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    EXPECT_EQ(Flags(items), "01110000000000000000");
    QTest::mouseMove(Viewport(), CentreOf(2) + QPoint(4, -3));
    EXPECT_EQ(drags, 0);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(2) + QPoint(4, -3));
    EXPECT_EQ(Flags(items), "00100000000000000000");

    // 8 pixels start a drag of the whole selection.
    Select("01110000000000000000");
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(3));
    QTest::mouseMove(Viewport(), CentreOf(3) + QPoint(-5, 3));
    EXPECT_EQ(drags, 1);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(3) + QPoint(-5, 3));
    EXPECT_EQ(Flags(items), "01110000000000000000");
}

TEST_F(FilmstripTest, BandKeepsTheFlagsUntilItMovesAndCountsXOnly)
{
    Select("11000000000000000000");
    // The gap between cells 0 and 1 is at x 126 to 131.
    const QPoint gap(128, 50);
    ASSERT_FALSE(strip.ItemAt(gap));
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, gap);
    EXPECT_TRUE(strip.BandActive());
    EXPECT_FALSE(strip.RequestGateOpen());
    EXPECT_EQ(Flags(items), "11000000000000000000");

    // The pointer below the cells still takes the cells its x range meets: 1 to 3.
    const QPoint belowCell3(strip.CellRect(3).left() + 5, Viewport()->height() - 1);
    QTest::mouseMove(Viewport(), belowCell3);
    EXPECT_EQ(Flags(items), "01110000000000000000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, belowCell3);
    EXPECT_FALSE(strip.BandActive());
    EXPECT_TRUE(strip.RequestGateOpen());
    EXPECT_EQ(Flags(items), "01110000000000000000");

    // Ctrl inverts the saved flags of the cells the band meets: 2 and 3 off, 4 on.
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(strip.CellRect(2).left() - 3, 10));
    EXPECT_EQ(Flags(items), "01110000000000000000");
    QTest::mouseMove(Viewport(), QPoint(strip.CellRect(4).left() + 1, 10));
    EXPECT_EQ(Flags(items), "01001000000000000000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier,
                        QPoint(strip.CellRect(4).left() + 1, 10));

    // A plain press and release in a gap ends with nothing selected.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, gap);
    EXPECT_EQ(Flags(items), "00000000000000000000");
}

TEST_F(FilmstripTest, RenameDoubleClickAndRightClick)
{
    const QRect cell = strip.CellRect(4);
    const QPoint onName(cell.left() + 57, 98);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName); // selects it
    EXPECT_TRUE(renames.empty());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].first, 4u);
    EXPECT_EQ(renames[0].second, QRect(cell.left() + 17, 92, 80, 14));
    // With a modifier, or on the picture, nothing is renamed.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, onName);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(4));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(4));
    EXPECT_EQ(renames.size(), 1u);

    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, QPoint(128, 50));
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);

    Select("00110000000000000000");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, CentreOf(3));
    EXPECT_EQ(Flags(items), "00110000000000000000");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, CentreOf(6));
    EXPECT_EQ(Flags(items), "00000010000000000000");
    EXPECT_EQ(cursor.focus, 6u);
    EXPECT_EQ(cursor.anchor, 6u);
    QTest::mousePress(Viewport(), Qt::RightButton, {}, QPoint(128, 50));
    EXPECT_FALSE(selectionAtContextMenu);
    EXPECT_EQ(contextMenus, 3);

    QTest::mouseMove(Viewport(), CentreOf(5));
    ASSERT_FALSE(pointed.empty());
    EXPECT_EQ(pointed.back(), &items[5]);
    QTest::mouseMove(Viewport(), QPoint(128, 50));
    EXPECT_EQ(pointed.back(), nullptr);
}

TEST_F(FilmstripTest, WheelScrollsOneCellPerNotch)
{
    strip.SetFirstVisible(5);
    QWheelEvent up = Wheel(120);
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(strip.FirstVisible(), 4u);
    QWheelEvent down = Wheel(-120);
    QCoreApplication::sendEvent(Viewport(), &down);
    QCoreApplication::sendEvent(Viewport(), &down);
    EXPECT_EQ(strip.FirstVisible(), 6u);
    // Half notches add up.
    QWheelEvent half = Wheel(60);
    QCoreApplication::sendEvent(Viewport(), &half);
    EXPECT_EQ(strip.FirstVisible(), 6u);
    QCoreApplication::sendEvent(Viewport(), &half);
    EXPECT_EQ(strip.FirstVisible(), 5u);
    // Over the scroll bar too.
    QCoreApplication::sendEvent(strip.horizontalScrollBar(), &down);
    EXPECT_EQ(strip.FirstVisible(), 6u);
    // Not while a rename is open.
    renameOpen = true;
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(strip.FirstVisible(), 6u);
}

TEST_F(FilmstripTest, PaintRequestsTheVisibleCellsInOneJob)
{
    items[3].hidden = true;
    strip.SetFirstVisible(2);
    Render();
    ASSERT_EQ(strip.jobs.size(), 1u);
    // Offset 240: cell 1's right edge and cells 2 to 10 reach into the 982 pixels.
    ASSERT_TRUE(strip.VisibleItems());
    EXPECT_EQ(strip.VisibleItems()->first, 1u);
    EXPECT_EQ(strip.VisibleItems()->last, 10u);
    std::vector<std::string> paths;
    for (const ThumbnailJobItem& item : strip.jobs[0].items)
        paths.push_back(item.path);
    std::vector<std::string> expected;
    for (size_t i : {1u, 2u, 4u, 5u, 6u, 7u, 8u, 9u, 10u})
        expected.push_back(items[i].fullPath);
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(strip.jobs[0].items[0].detail, items[1].detail.get());
    EXPECT_TRUE(items[2].detail->IsRequested(PictureRequest::SmallThumbnail));
    EXPECT_FALSE(items[2].detail->IsRequested(PictureRequest::LargeThumbnail));
    EXPECT_FALSE(items[3].detail->IsRequested(PictureRequest::SmallThumbnail)); // hidden
    EXPECT_FALSE(items[0].detail->IsRequested(PictureRequest::SmallThumbnail));
    EXPECT_FALSE(items[11].detail->IsRequested(PictureRequest::SmallThumbnail));

    // Requested once: the next paint asks for nothing.
    Render();
    EXPECT_EQ(strip.jobs.size(), 1u);

    // While the scroll box is held, scrolling paints without asking.
    strip.horizontalScrollBar()->setSliderDown(true);
    EXPECT_FALSE(strip.RequestGateOpen());
    strip.horizontalScrollBar()->setValue(12);
    Render();
    EXPECT_EQ(strip.jobs.size(), 1u);
    EXPECT_FALSE(items[15].detail->IsRequested(PictureRequest::SmallThumbnail));
    strip.horizontalScrollBar()->setSliderDown(false);
    EXPECT_TRUE(strip.RequestGateOpen());
    Render();
    ASSERT_EQ(strip.jobs.size(), 2u);
    EXPECT_EQ(strip.jobs[1].items.front().path, items[11].fullPath);
    EXPECT_EQ(strip.jobs[1].items.back().path, items[19].fullPath);

    // A band closes the gate too.
    std::vector<MediaItem> fresh = Pictures(20);
    items.swap(fresh);
    strip.ListChanged();
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(128, 50));
    Render();
    EXPECT_EQ(strip.jobs.size(), 2u);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(128, 50));
    Render();
    EXPECT_EQ(strip.jobs.size(), 3u);
}

TEST_F(FilmstripTest, TrimKeepsTheStripsVisibleCells)
{
    // Once the cache limit is reached, only the pictures of the strip's visible cells stay.
    std::vector<MediaItem> many = Pictures(1100);
    for (MediaItem& item : many) {
        item.detail->Request(PictureRequest::SmallThumbnail);
        item.detail->thumbnails[2].Set(SolidPicture(8, 6, 0x808080));
    }
    items.swap(many);
    strip.ListChanged();
    strip.SetFirstVisible(500);
    Render();
    ASSERT_TRUE(strip.VisibleItems());
    EXPECT_EQ(strip.VisibleItems()->first, 499u);
    EXPECT_EQ(strip.VisibleItems()->last, 508u);
    EXPECT_TRUE(items[500].detail->thumbnails[2].IsFilled());
    EXPECT_TRUE(items[508].detail->thumbnails[2].IsFilled());
    EXPECT_FALSE(items[0].detail->thumbnails[2].IsFilled());
    EXPECT_FALSE(items[509].detail->thumbnails[2].IsFilled());
}

TEST_F(FilmstripTest, PaintsASelectedCellWithFramePictureAndCaption)
{
    items[1].selected = true;
    items[1].detail->thumbnails[2].Set(SolidPicture(160, 120, 0x2040C0));
    items[2].hasSoundMemo = true;
    items[4].hidden = true;
    const QImage image = Render();

    const QRect selected = strip.CellRect(1);
    EXPECT_EQ(selected, QRect(132, 3, 114, 111));
    // The 2-pixel frame along the cell's edges, the selection colour inside.
    EXPECT_EQ(Rgb(image, selected.topLeft()), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, selected.topLeft() + QPoint(1, 1)), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, selected.bottomRight()), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, selected.topLeft() + QPoint(5, 10)), 0xFFF8BAu);
    EXPECT_EQ(Rgb(image, selected.topLeft() + QPoint(2, 2)), 0xFFF8BAu);
    // Its 80 x 60 picture fills the box at (cell left + 17, 19).
    const QRect box(selected.left() + 17, 19, 80, 60);
    EXPECT_EQ(Rgb(image, box.topLeft()), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box.center()), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box.bottomRight()), 0x2040C0u);
    EXPECT_NE(Rgb(image, box.topLeft() - QPoint(1, 1)), 0x2040C0u);
    // An unselected cell: white around the grey placeholder, no frame.
    const QRect plain = strip.CellRect(0);
    EXPECT_EQ(Rgb(image, plain.topLeft()), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, QPoint(plain.left() + 57, 49)), 0xCCCCCCu);
    // Captions: black names, the memo colour for the memo item only.
    const auto caption = [&](size_t index) { return QRect(strip.CellRect(index).left() + 17, 92, 80, 14); };
    EXPECT_GT(CountPixels(image, caption(0), 0x000000), 5);
    EXPECT_EQ(CountPixels(image, caption(0), 0x12B9E3), 0);
    EXPECT_GT(CountPixels(image, caption(2), 0x12B9E3), 5);
    // The gaps, the strip below the cells and a hidden item's place are background.
    EXPECT_EQ(Rgb(image, QPoint(128, 50)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, QPoint(50, 1)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, QPoint(50, 116)), 0xFFFFFFu);
    const QRect hidden = strip.CellRect(4);
    EXPECT_EQ(CountPixels(image, hidden, 0xFFFFFF), hidden.width() * hidden.height());
}

TEST_F(FilmstripTest, EmptyListPaintsOnlyTheBackground)
{
    items.clear();
    strip.ListChanged();
    const QImage image = Render();
    EXPECT_EQ(strip.VisibleItems(), std::nullopt);
    EXPECT_EQ(Rgb(image, QPoint(60, 50)), 0xFFFFFFu);
    EXPECT_TRUE(strip.jobs.empty());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(60, 50));
    strip.StepFile(NavigationKey::Next, kModifierNone);
    strip.StepFile(NavigationKey::End, kModifierNone);
    strip.MakeFocusVisible();
    EXPECT_EQ(strip.FirstVisible(), 0u);
    EXPECT_EQ(cursor.focus, 0u);
}
