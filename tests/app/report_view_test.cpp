#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "app/item_view_test_support.h"
#include "app/language_module_support.h"
#include "fixtures/sandbox.h"
#include "framework/string_table.h"
#include "library/thumbnail_worker.h"
#include "shell/resource_modules.h"
#include "shell/settings_store.h"
#include "views/report_view.h"

namespace {

using RecordingReport = RecordingView<ReportView>;

// The pictures with the texts of their first columns.
std::vector<MediaItem> TablePictures(size_t count)
{
    std::vector<MediaItem> items = Pictures(count);
    for (MediaItem& item : items) {
        item.texts[static_cast<size_t>(ItemText::Name)] = item.fileName;
        item.texts[static_cast<size_t>(ItemText::Type)] = "JPEG";
        item.texts[static_cast<size_t>(ItemText::Size)] = "1234KB";
    }
    return items;
}

// Marked time fields: #FF00FF, give or take the text's edge smoothing.
bool IsMagenta(QRgb pixel)
{
    return qRed(pixel) > 200 && qBlue(pixel) > 200 && qGreen(pixel) < 120;
}

// The columns of a rectangle that hold a dark (text) pixel.
std::vector<int> DarkColumns(const QImage& image, const QRect& area)
{
    std::vector<int> columns;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (qGray(image.pixel(x, y)) < 110) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

struct ReportViewTest : ::testing::Test, HostRecorder {
    Sandbox sandbox;
    std::vector<MediaItem> items = TablePictures(30);
    ThumbnailWorker worker{FakeProducers()};
    SelectionCursor cursor;
    std::unique_ptr<RecordingReport> view;

    void SetUp() override
    {
        UseSettingsFile(sandbox / "settings.reg");
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
        ASSERT_TRUE(RegisterBuiltLanguageModule()) << BuiltLanguageModulePath().toStdString();
        // The item icons are read from the module registered above.
        LoadResourceModules();
        CreateView();
    }
    void TearDown() override
    {
        view.reset();
        UseSettingsFile(SettingsStore::DefaultFilePath());
    }

    void CreateView()
    {
        view = std::make_unique<RecordingReport>(items, worker, cursor);
        view->SetHost(RecordingHost(items));
        view->SetColours(ThumbnailColours{});
        // A client of 400 pixels height (the horizontal bar is not needed at this width).
        view->resize(800, 400);
        view->show();
        QCoreApplication::processEvents();
        view->ListChanged();
        view->jobs.clear();
        for (MediaItem& item : items)
            item.detail->ReleasePictures();
    }

    QWidget* Viewport() { return view->viewport(); }
    QPoint RowPoint(size_t index, int x = 300) { return {x, view->RowRect(index).center().y()}; }
    QImage Render() { return Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    void Select(const std::string& flags)
    {
        for (size_t i = 0; i < items.size(); ++i)
            items[i].selected = i < flags.size() && flags[i] == '1';
    }
    uint32_t StoredWidth(const std::string& key)
    {
        uint32_t value = 0;
        RegistryReadDword(value, key, 0);
        return value;
    }
};

} // namespace

TEST_F(ReportViewTest, FourHundredPixelsShowElevenRowsAndTheWheelScrollsOne)
{
    ASSERT_EQ(Viewport()->height(), 400);
    EXPECT_EQ(view->Layout().rowsPerPage, 11);
    // Rows 0 to 29 with a page of 11: the first row stops at 19.
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 19);
    EXPECT_EQ(view->verticalScrollBar()->pageStep(), 11);
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    view->verticalScrollBar()->setValue(25);
    EXPECT_EQ(view->FirstRow(), 19);
    EXPECT_EQ(view->RowRect(19).top(), 20);

    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(view->FirstRow(), 18);
    renameOpen = true;
    QCoreApplication::sendEvent(Viewport(), &up);
    EXPECT_EQ(view->FirstRow(), 18);
    renameOpen = false;
    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &down);
    EXPECT_EQ(view->FirstRow(), 19);

    // Narrower than the 620 pixels of columns: the header and the rows scroll sideways.
    view->resize(400, 400);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 620 - Viewport()->width());
    EXPECT_EQ(view->Layout().rowsPerPage, (Viewport()->height() - 20) / 33);
    view->horizontalScrollBar()->setValue(100);
    EXPECT_EQ(view->Layout().horizontalOffset, 100);
    EXPECT_EQ(view->ColumnEdgeX(0), 20);
    EXPECT_EQ(view->TitleRect(1).left(), 24);
}

TEST_F(ReportViewTest, HitTestsRowsButNotTheLinesBetweenThem)
{
    EXPECT_EQ(view->ItemAt({10, 19}), std::nullopt);
    EXPECT_EQ(view->ItemAt({10, 20}), 0u);
    EXPECT_EQ(view->ItemAt({700, 51}), 0u);
    EXPECT_EQ(view->ItemAt({10, 52}), std::nullopt);
    EXPECT_EQ(view->ItemAt({10, 53}), 1u);
    view->verticalScrollBar()->setValue(3);
    EXPECT_EQ(view->ItemAt({10, 20}), 3u);
    EXPECT_EQ(view->RowRect(3), QRect(0, 20, Viewport()->width(), 32));
    // Hidden items (period mode) take no part in hit testing.
    items[4].hidden = true;
    EXPECT_EQ(view->ItemAt({10, 53}), std::nullopt);
    items.resize(2);
    view->ListChanged();
    EXPECT_EQ(view->FirstRow(), 0);
    EXPECT_EQ(view->ItemAt({10, 90}), std::nullopt);
}

TEST_F(ReportViewTest, TitleClickSortsInFolderModeOnly)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view->TitleRect(2).center());
    EXPECT_EQ(sorts, std::vector<int>{2}); // the size column
    sorts.clear();
    for (size_t c = 0; c < 6; ++c)
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view->TitleRect(c).center());
    EXPECT_EQ(sorts, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Right of the last column nothing sorts; a title click changes no selection.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(700, 10));
    EXPECT_EQ(sorts.size(), 6u);
    EXPECT_EQ(Flags(items), std::string(30, '0'));

    sorts.clear();
    view->SetPeriodMode(true);
    ASSERT_EQ(view->Columns().size(), 5u);
    for (size_t c = 0; c < 5; ++c)
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view->TitleRect(c).center());
    EXPECT_TRUE(sorts.empty());
    view->SetPeriodMode(false);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view->TitleRect(2).center());
    EXPECT_EQ(sorts, std::vector<int>{2});
}

TEST_F(ReportViewTest, DraggingAColumnEdgeResizesAndStoresTheWidth)
{
    const int edge = view->ColumnEdgeX(0);
    ASSERT_EQ(edge, 120);
    QTest::mouseMove(Viewport(), QPoint(edge + 1, 10));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(Viewport(), QPoint(edge + 3, 10));
    EXPECT_NE(Viewport()->cursor().shape(), Qt::SizeHorCursor);

    // Pressing within 1 pixel of the edge and dragging to the left of the column leaves 4.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(edge - 1, 10));
    ASSERT_EQ(view->ResizingColumn(), 0u);
    QTest::mouseMove(Viewport(), QPoint(-40, 200));
    EXPECT_EQ(view->ColumnWidths()[0], 4);
    EXPECT_EQ(view->ColumnEdgeX(1), 54);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(-40, 200));
    EXPECT_FALSE(view->ResizingColumn());
    EXPECT_TRUE(sorts.empty());
    EXPECT_EQ(Flags(items), std::string(30, '0'));
    EXPECT_EQ(StoredWidth("CurrentSettings\\ReportColumnWidth1"), 4u);

    // The size column's edge dragged right: width = cursor x - column left.
    const int sizeLeft = view->ColumnEdgeX(1);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(view->ColumnEdgeX(2), 5));
    QTest::mouseMove(Viewport(), QPoint(sizeLeft + 180, 5));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(sizeLeft + 180, 5));
    EXPECT_EQ(view->ColumnWidths()[2], 180);
    EXPECT_EQ(StoredWidth("CurrentSettings\\ReportColumnWidth3"), 180u);
    EXPECT_EQ(view->Layout().totalWidth, 4 + 50 + 180 + 150 + 100 + 100);
    // Untouched columns are not written.
    EXPECT_EQ(StoredWidth("CurrentSettings\\ReportColumnWidth2"), 0u);

    // The period columns have widths of their own.
    view->SetPeriodMode(true);
    EXPECT_EQ(view->ColumnWidths()[0], 180);
    view->SetColumnWidth(4, 2);
    EXPECT_EQ(view->ColumnWidths()[4], 4);
    EXPECT_EQ(StoredWidth("CurrentSettings\\PeriodReportColumnWidth5"), 4u);
}

TEST_F(ReportViewTest, StoredWidthsAreReadAtCreation)
{
    RegistryWriteDword("CurrentSettings\\ReportColumnWidth2", 77);
    RegistryWriteDword("CurrentSettings\\ReportColumnWidth6", 1);
    RegistryWriteDword("CurrentSettings\\PeriodReportColumnWidth1", 222);
    CreateView();
    EXPECT_EQ(view->ColumnWidths()[0], 120);
    EXPECT_EQ(view->ColumnWidths()[1], 77);
    EXPECT_EQ(view->ColumnWidths()[5], 4);
    view->SetPeriodMode(true);
    EXPECT_EQ(view->ColumnWidths()[0], 222);
    EXPECT_EQ(view->ColumnWidths()[4], 300);
}

TEST_F(ReportViewTest, PaintsHeaderAlternatingRowsSelectionAndLines)
{
    items[2].selected = true;
    const QImage image = Render();
    // Header: white top line, ground, #BFC8D1 bottom line, white left edge of a column,
    // #BFC8D1 right edge, titles in #647A80.
    const int typeRight = view->ColumnEdgeX(1);
    EXPECT_EQ(Rgb(image, {typeRight - 5, 0}), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, {typeRight - 5, 10}), 0xE4E9F3u);
    EXPECT_EQ(Rgb(image, {typeRight - 5, 19}), 0xBFC8D1u);
    EXPECT_EQ(Rgb(image, {typeRight - 1, 10}), 0xBFC8D1u);
    EXPECT_EQ(Rgb(image, {typeRight, 10}), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, {620, 10}), 0xFFFFFFu); // after the last column
    bool titleColour = false;
    const QRect title = view->TitleRect(0);
    for (int x = title.left(); x <= title.right() && !titleColour; ++x)
        for (int y = title.top(); y <= title.bottom() && !titleColour; ++y)
            titleColour = Rgb(image, {x, y}) == 0x647A80u;
    EXPECT_TRUE(titleColour);

    // Rows: even #F1F4F9, odd #FFFFFF, selected #FFF8BA, a #BFC8D1 line under each and
    // down every column's right edge; the colour runs across the whole client width.
    EXPECT_EQ(Rgb(image, RowPoint(0, 700)), 0xF1F4F9u);
    EXPECT_EQ(Rgb(image, RowPoint(1, 700)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, RowPoint(2, 700)), 0xFFF8BAu);
    EXPECT_EQ(Rgb(image, RowPoint(3, 700)), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, RowPoint(4, 700)), 0xF1F4F9u);
    EXPECT_EQ(Rgb(image, {700, 20 + 32}), 0xBFC8D1u);
    EXPECT_EQ(Rgb(image, {700, 20 + 33 + 32}), 0xBFC8D1u);
    EXPECT_EQ(Rgb(image, {typeRight - 1, RowPoint(1).y()}), 0xBFC8D1u);
    EXPECT_EQ(Rgb(image, {typeRight - 2, RowPoint(1).y()}), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, {view->ColumnEdgeX(5) - 1, RowPoint(2).y()}), 0xBFC8D1u);
}

TEST_F(ReportViewTest, BackgroundBelowTheRowsAndHiddenItems)
{
    ThumbnailColours colours;
    colours.background = 0x203040;
    view->SetColours(colours);
    items.resize(3);
    items[1].hidden = true;
    view->ListChanged();
    const QImage image = Render();
    EXPECT_EQ(Rgb(image, RowPoint(0, 700)), 0xF1F4F9u);
    // The hidden row's place keeps the background, and so does everything below the rows.
    EXPECT_EQ(Rgb(image, RowPoint(1, 700)), 0x203040u);
    EXPECT_EQ(Rgb(image, RowPoint(2, 700)), 0xF1F4F9u);
    EXPECT_EQ(Rgb(image, {700, 20 + 3 * 33 + 5}), 0x203040u);
    EXPECT_EQ(Rgb(image, {10, 399}), 0x203040u);
    EXPECT_EQ(view->FirstVisible(), 0u);
    EXPECT_EQ(view->LastVisible(), 2u);
}

TEST_F(ReportViewTest, SizeIsRightAlignedAndTheOtherTextsLeftAligned)
{
    for (MediaItem& item : items) {
        item.texts[static_cast<size_t>(ItemText::Size)] = "12KB";
        item.texts[static_cast<size_t>(ItemText::Dimensions)] = "640 X 480";
    }
    const QImage image = Render();
    const QRect row = view->RowRect(1);
    const auto cell = [&](size_t column) {
        const int left = column == 0 ? 53 : view->ColumnEdgeX(column - 1) + 4;
        return QRect(QPoint(left, row.top()), QPoint(view->ColumnEdgeX(column) - 5, row.bottom()));
    };
    const std::vector<int> size = DarkColumns(image, cell(2));
    ASSERT_FALSE(size.empty());
    // A short text in a 100-pixel column: ends at the right padding, starts far from the left.
    EXPECT_GE(size.back(), cell(2).right() - 2);
    EXPECT_GT(size.front(), cell(2).left() + 40);
    for (size_t column : {0u, 1u, 4u}) {
        const std::vector<int> text = DarkColumns(image, cell(column));
        ASSERT_FALSE(text.empty()) << column;
        EXPECT_LE(text.front(), cell(column).left() + 2) << column;
        // The name fills its narrow cell; the short texts end well before the right padding.
        if (column != 0) {
            EXPECT_LT(text.back(), cell(column).right() - 8) << column;
        }
    }
    // Empty texts draw nothing.
    EXPECT_TRUE(DarkColumns(image, cell(3)).empty());
}

TEST_F(ReportViewTest, LongTextsEndInAnEllipsisInsideTheirCell)
{
    items[0].texts[static_cast<size_t>(ItemText::Type)] = "A VERY LONG TYPE NAME THAT DOES NOT FIT";
    const QImage image = Render();
    const QRect row = view->RowRect(0);
    const std::vector<int> type
        = DarkColumns(image, QRect(QPoint(view->ColumnEdgeX(0) + 1, row.top()), QPoint(view->ColumnEdgeX(1) + 30, row.bottom())));
    ASSERT_FALSE(type.empty());
    EXPECT_LE(type.back(), view->ColumnEdgeX(1) - 4);
}

TEST_F(ReportViewTest, PictureBoxShowsThumbnailPlaceholderFolderAndVoid)
{
    items[0].detail->thumbnails[2].Set(SolidPicture(160, 120, 0x2040C0));
    items[1].detail->failed = true;
    MediaItem folder;
    folder.fileName = "Selection";
    folder.fullPath = "/card/DCIM/100_FUJI/Selection";
    folder.attributes = kAttributeFolder;
    folder.detail = std::make_unique<MediaItemDetail>();
    items[4] = std::move(folder);
    MediaItem folder2;
    folder2.fileName = "Other";
    folder2.attributes = kAttributeFolder;
    folder2.selected = true;
    folder2.detail = std::make_unique<MediaItemDetail>();
    items[5] = std::move(folder2);
    view->ListChanged();
    const QImage image = Render();
    const auto box = [&](size_t index) { return QRect(9, view->RowRect(index).top() + 1, 40, 30); };

    // The 160 x 120 thumbnail through its 80 x 60 copy, fitted into 40 x 30.
    EXPECT_EQ(Rgb(image, box(0).center()), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box(0).topLeft()), 0x2040C0u);
    EXPECT_EQ(Rgb(image, box(0).topLeft() - QPoint(1, 0)), 0xF1F4F9u);
    ASSERT_TRUE(items[0].detail->thumbnails[1].IsFilled());
    // No thumbnail yet: the grey placeholder.
    EXPECT_EQ(Rgb(image, box(2).center()), 0xCCCCCCu);
    // A failed thumbnail shows the void picture instead.
    ASSERT_FALSE(LoadResourceBitmap("BMP_REPORT_VOID").isNull());
    EXPECT_NE(Rgb(image, box(1).center()), 0xCCCCCCu);
    EXPECT_NE(Rgb(image, box(1).center()), 0xFFFFFFu);

    // The folder picture's key colour becomes the row colour (even row) or the selection.
    const QImage source = LoadResourceBitmap("BMP_REPORT_FOLDER").toImage();
    ASSERT_EQ(source.size(), QSize(40, 30));
    EXPECT_EQ(Rgb(image, box(4).topLeft()), 0xF1F4F9u);
    EXPECT_EQ(Rgb(image, box(5).topLeft()), 0xFFF8BAu);
    EXPECT_EQ(Rgb(image, box(4).center()), source.pixel(box(4).center() - box(4).topLeft()) & 0xFFFFFF);
    EXPECT_NE(Rgb(image, box(4).center()), 0xF1F4F9u);
}

TEST_F(ReportViewTest, MovieAndSoundOverlaysAndTheBadge)
{
    items[0].typeName = "MOV";
    items[0].isImage = false;
    items[0].isMovie = true;
    items[0].detail->thumbnails[2].Set(SolidPicture(160, 120, 0xF0F0F0));
    items[1].typeName = "WAV";
    items[1].isImage = false;
    items[1].isSound = true;
    items[2].typeName = "AVI";
    items[2].isImage = false;
    items[2].isMovie = true;
    items[2].detail->thumbnails[2].Set(SolidPicture(160, 120, 0xF0F0F0));
    items[3].detail->thumbnails[2].Set(SolidPicture(160, 120, 0xF0F0F0));
    const QImage image = Render();
    const auto box = [&](size_t index) { return QRect(9, view->RowRect(index).top() + 1, 40, 30); };
    // Film edges down the sides of the MOV picture; the middle shows the frame.
    EXPECT_LT(qGray(image.pixel(box(0).left() + 1, box(0).center().y())), 100);
    EXPECT_EQ(Rgb(image, box(0).center()), 0xF0F0F0u);
    // A sound is drawn with its picture over the box.
    EXPECT_NE(Rgb(image, box(1).center()), 0xFFFFFFu);
    // The AVI movie gets the movie badge over the box's lower right corner, the MOV none.
    const QRect badge(53 - 16, view->RowRect(2).top() + 16, 16, 16);
    ASSERT_FALSE(ItemIcon("ICON_MOVIE_S").isNull());
    int changed = 0;
    for (int y = badge.top(); y <= badge.bottom(); ++y)
        for (int x = badge.left(); x < 49; ++x)
            changed += Rgb(image, {x, y}) != 0xF0F0F0u ? 1 : 0;
    EXPECT_GT(changed, 20);
    for (size_t plain : {0u, 3u}) {
        const int top = view->RowRect(plain).top();
        EXPECT_EQ(Rgb(image, {40, top + 26}), 0xF0F0F0u) << plain;
    }
}

TEST_F(ReportViewTest, RequestsThumbnailsOfVisibleRowsOnlyWhileTheGateIsOpen)
{
    items[1].attributes = kAttributeFolder;
    items[1].isImage = false;
    items[3].isImage = false;
    items[3].isSound = true;
    view->ListChanged();
    Render();
    ASSERT_EQ(view->FirstVisible(), 0u);
    ASSERT_EQ(view->LastVisible(), 11u);
    ASSERT_EQ(view->jobs.size(), 1u);
    // Rows 0 to 11, without the folder and the sound.
    const ThumbnailJob& job = view->jobs[0];
    ASSERT_EQ(job.items.size(), 10u);
    EXPECT_EQ(job.items[0].path, items[0].fullPath);
    EXPECT_EQ(job.items[1].path, items[2].fullPath);
    EXPECT_EQ(job.items.back().path, items[11].fullPath);
    EXPECT_EQ(job.items[0].detail, items[0].detail.get());
    EXPECT_TRUE(items[0].detail->IsRequested(PictureRequest::SmallThumbnail));
    EXPECT_FALSE(items[0].detail->IsRequested(PictureRequest::LargeThumbnail));
    EXPECT_FALSE(items[1].detail->IsRequested(PictureRequest::FolderPreview));
    EXPECT_FALSE(items[12].detail->IsRequested(PictureRequest::SmallThumbnail));

    // Asked once: the next paint asks for nothing.
    Render();
    EXPECT_EQ(view->jobs.size(), 1u);

    // While the scroll box is held, scrolling paints without asking.
    view->verticalScrollBar()->setSliderDown(true);
    EXPECT_FALSE(view->RequestGateOpen());
    view->verticalScrollBar()->setValue(10);
    Render();
    EXPECT_EQ(view->jobs.size(), 1u);
    EXPECT_FALSE(items[15].detail->IsRequested(PictureRequest::SmallThumbnail));
    view->verticalScrollBar()->setSliderDown(false);
    EXPECT_TRUE(view->RequestGateOpen());
    Render();
    ASSERT_EQ(view->jobs.size(), 2u);
    EXPECT_EQ(view->jobs[1].items.front().path, items[12].fullPath);
    EXPECT_EQ(view->jobs[1].items.back().path, items[21].fullPath);

    // An open band closes the gate too.
    view->verticalScrollBar()->setValue(19);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(300, 52));
    ASSERT_TRUE(view->BandActive());
    Render();
    EXPECT_EQ(view->jobs.size(), 2u);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(300, 52));
    Render();
    EXPECT_EQ(view->jobs.size(), 3u);
}

TEST_F(ReportViewTest, WorkerRepaintIsQueuedToTheView)
{
    Render();
    ASSERT_EQ(view->jobs.size(), 1u);
    PaintCounter counter(Viewport());
    QCoreApplication::processEvents();
    counter.paints = 0;
    std::thread workerThread([&] { view->jobs[0].repaint(); });
    workerThread.join();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000));
}

TEST_F(ReportViewTest, KeysMoveByRowsAndPages)
{
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_TRUE(commands.empty());

    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(cursor.focus, 1u);
    EXPECT_EQ(Flags(items).substr(0, 4), "0100");
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Flags(items).substr(0, 5), "01110");
    EXPECT_EQ(cursor.anchor, 1u);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(cursor.focus, 2u);
    EXPECT_EQ(Flags(items).substr(0, 5), "01110");
    QTest::keyClick(view.get(), Qt::Key_Up);
    QTest::keyClick(view.get(), Qt::Key_Up);
    EXPECT_EQ(cursor.focus, 0u);
    QTest::keyClick(view.get(), Qt::Key_Up); // outside the list: ignored
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(Flags(items).substr(0, 3), "100");

    // A page is 11 rows; the focus row is kept on the page.
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(cursor.focus, 11u);
    EXPECT_EQ(view->FirstRow(), 1);
    QTest::keyClick(view.get(), Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(cursor.focus, 22u);
    EXPECT_EQ(cursor.anchor, 11u);
    EXPECT_EQ(Flags(items), std::string(11, '0') + std::string(12, '1') + std::string(7, '0'));
    EXPECT_EQ(view->FirstRow(), 12);
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(cursor.focus, 29u);
    EXPECT_EQ(view->FirstRow(), 19);
    EXPECT_EQ(Flags(items), std::string(29, '0') + "1");
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(cursor.focus, 18u);
    EXPECT_EQ(view->FirstRow(), 18);
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(view->FirstRow(), 0);
    EXPECT_EQ(Flags(items), std::string(18, '0') + "1" + std::string(11, '0'));
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Flags(items), std::string(18, '0') + std::string(12, '1'));

    QTest::keyClick(view.get(), Qt::Key_Delete);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(commands, (std::vector<int>{ViewCommand::kDelete, ViewCommand::kStopLoading}));
    // Escape held down stops the loading at every paint until it is released.
    QTest::keyPress(view.get(), Qt::Key_Escape);
    Render();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kStopLoading), 3);
    QTest::keyRelease(view.get(), Qt::Key_Escape);
    Render();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kStopLoading), 3);
}

TEST_F(ReportViewTest, BandSelectsRowsWhoseBandMeetsIt)
{
    Select("1000001");
    // The line under row 0 is no row: the press opens a band and clears the selection.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(300, 52));
    EXPECT_TRUE(view->BandActive());
    EXPECT_EQ(Flags(items).substr(0, 8), "00000000");
    QTest::mouseMove(Viewport(), QPoint(40, view->RowRect(3).top() + 2));
    EXPECT_EQ(Flags(items).substr(0, 8), "01110000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(40, view->RowRect(3).top() + 2));
    EXPECT_FALSE(view->BandActive());
    EXPECT_EQ(Flags(items).substr(0, 8), "01110000");

    // Ctrl inverts the saved flags inside the band; upwards works the same.
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(300, view->RowRect(4).bottom() + 1));
    QTest::mouseMove(Viewport(), QPoint(300, view->RowRect(2).top()));
    EXPECT_EQ(Flags(items).substr(0, 8), "01001000");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(300, view->RowRect(2).top()));
}

TEST_F(ReportViewTest, PressDragAndRenameFollowTheGridRules)
{
    Select("0111");
    // Without moving: only the pressed item stays selected, and the shared cursor follows.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, RowPoint(2));
    EXPECT_EQ(Flags(items).substr(0, 5), "01110");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, RowPoint(2));
    EXPECT_EQ(Flags(items).substr(0, 5), "00100");
    EXPECT_EQ(cursor.focus, 2u);
    EXPECT_EQ(drags, 0);

    // 8 pixels (Manhattan) start a drag of the whole selection; 7 do not.
    Select("0111");
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, RowPoint(2));
    QTest::mouseMove(Viewport(), RowPoint(2) + QPoint(5, 3));
    EXPECT_EQ(drags, 1);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, RowPoint(2) + QPoint(5, 3));
    EXPECT_EQ(Flags(items).substr(0, 5), "01110");
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, RowPoint(3));
    QTest::mouseMove(Viewport(), RowPoint(3) + QPoint(4, -3));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, RowPoint(3) + QPoint(4, -3));
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(Flags(items).substr(0, 5), "00010");

    // Shift extends from the anchor.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(6));
    EXPECT_EQ(Flags(items).substr(0, 8), "00011110");
    EXPECT_EQ(cursor.anchor, 3u);

    // Rename: a plain click on the name of an item that is already selected.
    Select("");
    const QPoint onName(80, view->RowRect(5).center().y());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName); // selects only it
    EXPECT_TRUE(renames.empty());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, onName);
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].first, 5u);
    EXPECT_EQ(renames[0].second, QRect(QPoint(53, view->RowRect(5).top()), QPoint(115, view->RowRect(5).bottom())));
    EXPECT_EQ(renames[0].second, view->NameCellRect(5));
    // On the picture, in another column, or with a modifier, nothing is renamed.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(25, onName.y()));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(200, onName.y()));
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ControlModifier, onName);
    EXPECT_EQ(renames.size(), 1u);

    // In period mode the name is the second column.
    view->SetPeriodMode(true);
    Select("");
    const QPoint periodName(250, view->RowRect(0).center().y());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, periodName);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, periodName);
    ASSERT_EQ(renames.size(), 2u);
    EXPECT_EQ(renames[1].second.left(), 184);
}

TEST_F(ReportViewTest, DoubleClickRightClickAndHover)
{
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowPoint(1));
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, QPoint(300, 52));
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, view->TitleRect(0).center());
    EXPECT_EQ(std::count(commands.begin(), commands.end(), ViewCommand::kOpen), 1);

    Select("0110");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, QPoint(300, 52));
    EXPECT_EQ(contextMenus, 1);
    EXPECT_FALSE(selectionAtContextMenu);
    Select("0110");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, RowPoint(2));
    EXPECT_EQ(Flags(items).substr(0, 5), "01100");
    QTest::mousePress(Viewport(), Qt::RightButton, {}, RowPoint(4));
    EXPECT_EQ(Flags(items).substr(0, 5), "00001");
    EXPECT_EQ(cursor.focus, 4u);
    EXPECT_EQ(contextMenus, 3);
    // Not in the header.
    QTest::mousePress(Viewport(), Qt::RightButton, {}, QPoint(300, 10));
    EXPECT_EQ(contextMenus, 3);

    QTest::mouseMove(Viewport(), RowPoint(6));
    ASSERT_FALSE(pointed.empty());
    EXPECT_EQ(pointed.back(), &items[6]);
    QTest::mouseMove(Viewport(), QPoint(300, 52));
    EXPECT_EQ(pointed.back(), nullptr);
}

TEST_F(ReportViewTest, ListChangeKeepsTheSharedCursorInsideTheList)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, RowPoint(8));
    EXPECT_EQ(cursor.focus, 8u);
    EXPECT_EQ(cursor.anchor, 8u);
    items.resize(4);
    view->ListChanged();
    EXPECT_EQ(cursor.focus, 0u);
    EXPECT_EQ(cursor.anchor, 0u);
    items.clear();
    view->ListChanged();
    const QImage image = Render();
    EXPECT_EQ(view->FirstVisible(), std::nullopt);
    EXPECT_EQ(Rgb(image, QPoint(100, 100)), 0xFFFFFFu);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_TRUE(view->jobs.empty());
    EXPECT_EQ(cursor.focus, 0u);
}

TEST_F(ReportViewTest, PeriodModeDrawsTheTimeLineWithMarkedFields)
{
    view->SetPeriodMode(true);
    EXPECT_EQ(view->Layout().rowsPerPage, 1);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 29);
    items[0].datePartFlags = kDatePartMonth;
    items[0].date = 127000000000000000ULL; // a day in 2003
    items[1].date = items[0].date;
    const QImage image = Render();
    const auto magenta = [&](size_t index) {
        const QRect row = view->RowRect(index);
        int count = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = 53; x < 176; ++x)
                count += IsMagenta(image.pixel(x, y)) ? 1 : 0;
        return count;
    };
    EXPECT_GT(magenta(0), 10);
    EXPECT_EQ(magenta(1), 0);
    EXPECT_FALSE(DarkColumns(image, QRect(53, view->RowRect(1).top(), 123, 32)).empty());
}

TEST(ReportBitmaps, FolderCopiesTakeTheRowAndSelectionColoursAndTheOverlaysFitTheBox)
{
    ASSERT_TRUE(RegisterBuiltLanguageModule()) << BuiltLanguageModulePath().toStdString();
    const QImage source = LoadResourceBitmap("BMP_REPORT_FOLDER").toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(source.size(), QSize(40, 30));
    const QRgb key = source.pixel(0, 0);
    // Keyed all round, the folder opaque in the middle, no pixel blended into the key colour.
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(source.pixel(x, 0), key) << x;
        EXPECT_EQ(source.pixel(x, 29), key) << x;
    }
    EXPECT_NE(source.pixel(20, 15), key);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb pixel = source.pixel(x, y);
            ASSERT_EQ(qAlpha(pixel), 255);
            if (pixel != key) {
                ASSERT_FALSE(qRed(pixel) > qGreen(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 60) << x << "," << y;
            }
        }
    }

    ThumbnailColours colours;
    colours.selectionBackground = 0x336699;
    ReportBitmaps bitmaps(colours);
    const auto corner = [](const QPixmap& pixmap) { return pixmap.toImage().pixel(0, 0) & 0xFFFFFF; };
    EXPECT_EQ(corner(bitmaps.Folder(0, false)), 0xF1F4F9u);
    EXPECT_EQ(corner(bitmaps.Folder(1, false)), 0xFFFFFFu);
    EXPECT_EQ(corner(bitmaps.Folder(0, true)), 0x336699u);
    EXPECT_EQ(corner(bitmaps.Folder(1, true)), 0x336699u);
    EXPECT_EQ(bitmaps.Folder(0, false).toImage().pixel(20, 15), source.pixel(20, 15));
    colours.selectionBackground = 0xFFF8BA;
    bitmaps.SetColours(colours);
    EXPECT_EQ(corner(bitmaps.Folder(1, true)), 0xFFF8BAu);
    EXPECT_EQ(bitmaps.Placeholder().pixel(80, 60) & 0xFFFFFF, 0xCCCCCCu);

    // The film edges leave the middle clear; the void and sound pictures cover the box.
    const QImage movie = LoadResourceBitmap("BMP_REPORT_MOV").toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(movie.size(), QSize(40, 30));
    EXPECT_EQ(qAlpha(movie.pixel(20, 15)), 0);
    for (int y = 0; y < 30; ++y) {
        EXPECT_GT(qAlpha(movie.pixel(0, y)), 200) << y;
        EXPECT_GT(qAlpha(movie.pixel(39, y)), 200) << y;
    }
    for (const char* name : {"BMP_REPORT_VOID", "BMP_REPORT_SOUND"}) {
        const QImage picture = LoadResourceBitmap(name).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), QSize(40, 30)) << name;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(qAlpha(picture.pixel(x, y)), 255) << name << " " << x << "," << y;
    }
}

TEST_F(ReportViewTest, RowsShowTheDimensionsTheWorkerRead)
{
    MediaItem& item = items[1];
    item.detail->mediumInfo.width = 4000;
    item.detail->mediumInfo.height = 3000;
    item.detail->loaded = true;
    ASSERT_TRUE(item.Text(ItemText::Dimensions).empty());
    view->viewport()->repaint();
    EXPECT_FALSE(item.Text(ItemText::Dimensions).empty());
    EXPECT_NE(item.Text(ItemText::Dimensions).find("4000"), std::string::npos);
}
