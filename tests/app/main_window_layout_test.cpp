#include <gtest/gtest.h>

#include <QTest>

#include "files/folder_tree.h"
#include "fixtures/sandbox.h"
#include "framework/string_table.h"
#include "library/thumbnail_worker.h"
#include "shell/app_settings.h"
#include "shell/information_area.h"
#include "shell/left_panel.h"
#include "shell/main_window.h"
#include "shell/menu_resources.h"
#include "shell/settings_store.h"
#include "shell/status_bar.h"
#include "shell/top_bar.h"
#include "shell/view_commands.h"
#include "views/thumbnail_view.h"

namespace {

QRect ToQRect(const WindowRect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

// A window on its own worker (never started: jobs only queue) with the folder tree page shown.
struct MainWindowLayoutTest : ::testing::Test {
    Sandbox sandbox;
    AppSettings settings;
    ThumbnailWorker worker;
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
        UseSettingsFile(sandbox / "settings.reg");
        settings.menuPanel = 0;
        settings.windowLWidth = 260;
        window = std::make_unique<MainWindow>(settings, worker);
        window->resize(1280, 800);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        UseSettingsFile(SettingsStore::DefaultFilePath());
    }

    void Click(SkinnedButton& button)
    {
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(3, 3));
    }
    SkinnedButton& TopButton(std::string_view name) { return window->TopBarWidget().Buttons()[name]; }
    SkinnedButton& LeftButton(std::string_view name) { return window->LeftPanelWidget().Buttons()[name]; }
};

} // namespace

TEST_F(MainWindowLayoutTest, RegionsSitWhereTheLayoutPutsThem)
{
    QWidget& client = window->ClientArea();
    const int statusHeight = window->StatusBarWidget().height();
    const MainLayout expected
        = LayoutMainWindow(client.width(), client.height(), statusHeight, 260, window->LeftLimits());
    EXPECT_EQ(window->TopBarWidget().geometry(), ToQRect(expected.topBar));
    EXPECT_EQ(window->LeftPanelWidget().geometry(), ToQRect(expected.leftPanel));
    EXPECT_EQ(window->ThumbnailViewWidget().geometry(), ToQRect(expected.viewArea));
    EXPECT_EQ(window->StatusBarWidget().geometry(),
              QRect(0, client.height() - statusHeight, client.width(), statusHeight));
    EXPECT_EQ(window->LeftWidth(), 260);
    // The right column stays free for the start-up service window.
    EXPECT_EQ(expected.viewArea.Right() + 145, client.width());
}

TEST_F(MainWindowLayoutTest, SplitterDragFollowsTheMouseWithinTheLimits)
{
    QWidget* splitter = window->ClientArea().findChild<QWidget*>("Splitter");
    ASSERT_NE(splitter, nullptr);
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(2, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(400 - splitter->x(), 50), splitter->mapToGlobal(QPointF(0, 50)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &move);
    EXPECT_EQ(window->LeftWidth(), 400);
    QMouseEvent tooFar(QEvent::MouseMove, QPointF(-300, 50), splitter->mapToGlobal(QPointF(-300, 50)),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &tooFar);
    EXPECT_EQ(window->LeftWidth(), 207);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(2, 50));
    EXPECT_EQ(settings.windowLWidth, 207);
}

TEST_F(MainWindowLayoutTest, MenuPanelFixesTheLeftWidth)
{
    Click(LeftButton("MenuPanel"));
    EXPECT_EQ(settings.menuPanel, 1);
    EXPECT_EQ(window->LeftWidth(), 207);
    EXPECT_FALSE(window->LeftLimits().Draggable());
    EXPECT_EQ(LeftButton("MenuPanel").State(), kButtonPressed);
    EXPECT_EQ(LeftButton("FolderTree").State(), kButtonNormal);

    Click(LeftButton("FolderTree"));
    EXPECT_EQ(settings.menuPanel, 0);
    EXPECT_TRUE(window->LeftLimits().Draggable());
    EXPECT_EQ(window->LeftLimits().maximum, 4096);
}

TEST_F(MainWindowLayoutTest, SizeButtonsSetTheSizeAndShowIt)
{
    Click(TopButton("SizeS"));
    EXPECT_EQ(settings.thumbnailSize, 0);
    EXPECT_EQ(window->ThumbnailViewWidget().Grid().ThumbnailSize(), 0);
    EXPECT_EQ(TopButton("SizeS").State(), kButtonPressed);
    EXPECT_EQ(TopButton("SizeM").State(), kButtonNormal);

    // One smaller than the smallest changes nothing.
    Click(TopButton("SizeD"));
    EXPECT_EQ(settings.thumbnailSize, 0);
    EXPECT_EQ(TopButton("SizeS").State(), kButtonPressed);

    Click(TopButton("SizeU"));
    Click(TopButton("SizeU"));
    Click(TopButton("SizeU"));
    EXPECT_EQ(settings.thumbnailSize, 2);
    EXPECT_EQ(TopButton("SizeL").State(), kButtonPressed);
    EXPECT_EQ(TopButton("SizeS").State(), kButtonNormal);
}

TEST_F(MainWindowLayoutTest, ModesSwitchTitleButtonsAndLeftPage)
{
    window->OpenFolder(sandbox.MakeFolder("card"));
    EXPECT_EQ(window->windowTitle(), "VistrelViewer - card");
    EXPECT_TRUE(TopButton("FolderMode").Selected());
    EXPECT_TRUE(LeftButton("FolderTree").isVisibleTo(&window->LeftPanelWidget()));

    Click(TopButton("PeriodMode"));
    EXPECT_EQ(settings.pmMode, 1);
    EXPECT_EQ(window->windowTitle(), "VistrelViewer");
    EXPECT_TRUE(TopButton("PeriodMode").Selected());
    EXPECT_FALSE(TopButton("FolderMode").Selected());
    EXPECT_FALSE(LeftButton("FolderTree").isVisibleTo(&window->LeftPanelWidget()));
    EXPECT_TRUE(LeftButton("PeriodPanel").isVisibleTo(&window->LeftPanelWidget()));
    EXPECT_EQ(window->LeftWidth(), 207);

    window->Dispatcher().Dispatch(kCommandFolderMode);
    EXPECT_EQ(settings.pmMode, 0);
    EXPECT_EQ(window->windowTitle(), "VistrelViewer - card");
}

TEST_F(MainWindowLayoutTest, ViewModesSelectTheirButtonAndSizesNeedThumbnails)
{
    // The program's own report view and preview fill the view area.
    auto* report = window->findChild<QWidget*>("ReportView");
    auto* preview = window->findChild<QWidget*>("PreviewView");
    ASSERT_NE(report, nullptr);
    ASSERT_NE(preview, nullptr);
    window->Dispatcher().Dispatch(kCommandReport);
    EXPECT_EQ(settings.viewMode, 2);
    EXPECT_EQ(window->ShownViewMode(), 2);
    EXPECT_TRUE(report->isVisible());
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(window->ThumbnailViewWidget().ThumbnailsShown());
    EXPECT_TRUE(TopButton("Report").Selected());
    EXPECT_FALSE(TopButton("Thumbnail").Selected());
    EXPECT_EQ(TopButton("SizeU").State(), kButtonDisabled);
    EXPECT_EQ(TopButton("SizeM").State(), kButtonDisabled);
    EXPECT_TRUE(window->Menus().IsChecked(kCommandReport));
    EXPECT_FALSE(window->Menus().IsChecked(kCommandThumbnailsMedium));

    window->Dispatcher().Dispatch(kCommandPreview);
    EXPECT_EQ(window->ShownViewMode(), 1);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(report->isVisible());
    EXPECT_TRUE(TopButton("Preview").Selected());
    EXPECT_TRUE(window->Menus().IsChecked(kCommandPreview));

    window->Dispatcher().Dispatch(kCommandThumbnailsSmall);
    EXPECT_EQ(settings.viewMode, 0);
    EXPECT_EQ(settings.thumbnailSize, 0);
    EXPECT_FALSE(report->isVisible());
    EXPECT_EQ(TopButton("SizeU").State(), kButtonNormal);
    EXPECT_EQ(TopButton("SizeS").State(), kButtonPressed);
}

TEST_F(MainWindowLayoutTest, OpeningAFolderListsItAndFillsTheStatusLines)
{
    sandbox.WriteFile("card/DSCF0001.JPG", std::string(5000, 'x'));
    sandbox.WriteFile("card/DSCF0002.JPG", std::string(3000, 'x'));
    sandbox.MakeFolder("card/Selection");
    const std::string card = sandbox / "card";
    window->OpenFolder(card);

    EXPECT_EQ(window->Items().Count(), 3u);
    EXPECT_EQ(window->FolderTreeWidget().SelectedFolderPath(), card);
    const QStringList lines = window->InformationAreaWidget().Lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().endsWith("card")) << lines.front().toStdString();
    EXPECT_EQ(window->StatusBarWidget().Text(0).toStdString(),
              "Items: 3 (pictures: 2, movies: 0, sounds: 0, subfolders: 1)");

    // Opening a folder item by double click command.
    for (MediaItem& item : window->Items().Items())
        item.selected = item.IsFolder();
    window->Dispatcher().Dispatch(kCommandOpen);
    EXPECT_EQ(window->CurrentFolder(), card + "/Selection");
    EXPECT_EQ(window->Items().Count(), 0u);
}

TEST_F(MainWindowLayoutTest, SelectAllSelectsEveryItem)
{
    sandbox.WriteFile("card/DSCF0001.JPG", "x");
    sandbox.WriteFile("card/DSCF0002.JPG", "x");
    window->OpenFolder(sandbox / "card");
    window->Dispatcher().Dispatch(kCommandSelectAll);
    for (const MediaItem& item : window->Items().Items())
        EXPECT_TRUE(item.selected);
}

TEST_F(MainWindowLayoutTest, DateSortReadsEveryFileAndIsKept)
{
    sandbox.WriteFile("card/b.JPG", "x");
    sandbox.WriteFile("card/a.JPG", "x");
    sandbox.MakeFolder("card/Sub");
    window->OpenFolder(sandbox / "card");
    EXPECT_FALSE(window->Items().AllInformationLoaded());
    window->Dispatcher().Dispatch(kCommandSortFirst + 3);
    EXPECT_TRUE(window->Items().AllInformationLoaded());
    EXPECT_EQ(settings.sortType, 3);
    // Files before sub-folders when sorting by date.
    EXPECT_TRUE(window->Items().Items().back().IsFolder());
    EXPECT_TRUE(window->isEnabled());
}
