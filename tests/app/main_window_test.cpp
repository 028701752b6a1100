#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QClipboard>
#include <QScreen>

#include "fixtures/sandbox.h"
#include "files/file_clipboard.h"
#include "shell/app_settings.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"
#include "shell/view_commands.h"
#include "views/preview_view.h"

namespace {

struct MainWindowTest : ::testing::Test {
    Sandbox sandbox;
    AppSettings settings;
    void SetUp() override { UseSettingsFile(sandbox / "settings.reg"); }
    void TearDown() override { UseSettingsFile(SettingsStore::DefaultFilePath()); }
};

} // namespace

TEST_F(MainWindowTest, StartsAtLeastMinimumSizeInsideTheWorkArea)
{
    settings.windowPosX = 5000;
    settings.windowPosY = -300;
    settings.windowWidth = 100;
    settings.windowHeight = 100;
    MainWindow window(settings);
    window.PlaceAtStart(false);
    EXPECT_EQ(window.windowTitle(), "VistrelViewer");
    const QRect frame = window.frameGeometry();
    EXPECT_GE(frame.width(), 800);
    EXPECT_GE(frame.height(), 600);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame.x(), std::max(work.x(), work.right() + 1 - frame.width()));
    EXPECT_EQ(frame.y(), work.y());
}

TEST_F(MainWindowTest, FirstStartIsCentred)
{
    MainWindow window(settings);
    window.PlaceAtStart(true);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowRect expected
        = PlaceInWorkArea({0, 0, 800, 600}, {work.x(), work.y(), work.width(), work.height()}, true);
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(expected.x, expected.y));
}

TEST_F(MainWindowTest, RefusedCloseSavesNothing)
{
    MainWindow window(settings);
    window.SetPaneCloseQuery([] { return false; });
    window.show();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    uint32_t number = 0;
    EXPECT_EQ(RegistryReadDword(number, "CurrentSettings\\WindowWidth", 0), 0);
}

TEST_F(MainWindowTest, AcceptedCloseSavesGeometryAndCurrentFolder)
{
    MainWindow window(settings);
    window.PlaceAtStart(false);
    window.OpenFolder(sandbox.Path());
    window.SetPaneCloseQuery([] { return true; });
    window.show();
    EXPECT_TRUE(window.close());
    AppSettings reread;
    ReadStartupSettings(reread);
    EXPECT_EQ(reread.startFolder, sandbox.Path());
    EXPECT_EQ(reread.windowWidth, window.frameGeometry().width());
    EXPECT_EQ(reread.windowPosX, window.frameGeometry().x());
}

TEST_F(MainWindowTest, PostedTextWaitsForItsCommand)
{
    const std::string picture = sandbox.WriteFile("2006/DSCF0001.JPG", "x");
    MainWindow window(settings);
    window.OpenFolder(sandbox.Path());
    EXPECT_EQ(window.ReceiveCopyData("<POST>\"" + picture + "\""), 0);
    EXPECT_EQ(window.CurrentFolder(), sandbox.Path());
    EXPECT_EQ(window.ViewMode(), 0);

    EXPECT_TRUE(window.Dispatcher().Dispatch(kCommandProcessForwardedText));
    EXPECT_EQ(window.CurrentFolder(), sandbox / "2006");
    EXPECT_EQ(window.FocusedPath(), picture);
    EXPECT_EQ(window.ViewMode(), 1);
    EXPECT_EQ(window.CommandLine(), "\"" + picture + "\"");
    // The file is the one selected item, so the preview shows it.
    ASSERT_EQ(window.Items().Count(), 1u);
    EXPECT_TRUE(window.Items().Items()[0].selected);
    auto* preview = window.findChild<PreviewView*>("PreviewView");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->CurrentPath(), picture);
}

TEST_F(MainWindowTest, OpenShowsASelectedPictureInThePreview)
{
    sandbox.WriteFile("card/DSCF0001.JPG", "x");
    sandbox.WriteFile("card/DSCF0002.JPG", "x");
    MainWindow window(settings);
    window.OpenFolder(sandbox / "card");
    window.Items().Items()[1].selected = true;
    window.RefreshSelection();
    EXPECT_TRUE(window.Dispatcher().Dispatch(kCommandOpen));
    EXPECT_EQ(window.ShownViewMode(), 1);
    auto* preview = window.findChild<PreviewView*>("PreviewView");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->CurrentPath(), sandbox / "card/DSCF0002.JPG");
}

TEST_F(MainWindowTest, TextWithoutPostIsProcessedAtOnce)
{
    const std::string folder = sandbox.MakeFolder("card/DCIM");
    MainWindow window(settings);
    EXPECT_EQ(window.ReceiveCopyData(folder), 0);
    EXPECT_EQ(window.CurrentFolder(), folder);
    EXPECT_EQ(window.ViewMode(), 0);
}

TEST_F(MainWindowTest, CaptureAtStartRunsTheServiceOnce)
{
    MainWindow window(settings);
    int runs = 0;
    window.Dispatcher().SetServiceRunner([&](std::string_view name) {
        runs += name == "AutoCaptureDS";
        return true;
    });
    window.SetCommandLine("/w");
    window.RunStartupPreScan("/w");
    window.ProcessCommandLine("/w", false);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(window.CaptureAtStart());
    EXPECT_EQ(window.AutoCaptureCommandLine(), "/w");
}

TEST_F(MainWindowTest, CutAndCopyHandTheSelectionWithItsMemoToTheFileManagers)
{
    const std::string picture = sandbox.WriteFile("card/DSCF0001.JPG", "x");
    const std::string memo = sandbox.WriteFile("card/DSCF0001.WAV", "w");
    sandbox.WriteFile("card/DSCF0002.JPG", "x");
    MainWindow window(settings);
    window.OpenFolder(sandbox / "card");
    ASSERT_EQ(window.Items().Items().size(), 2u);
    window.Items().Items()[0].selected = true;
    window.RefreshSelection();

    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandCut));
    std::optional<ClipboardFiles> files = ReadFileMimeData(*QGuiApplication::clipboard()->mimeData());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->paths, (std::vector<std::string>{picture, memo}));
    EXPECT_TRUE(files->cut);

    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandCopy));
    files = ReadFileMimeData(*QGuiApplication::clipboard()->mimeData());
    ASSERT_TRUE(files);
    EXPECT_FALSE(files->cut);
    EXPECT_EQ(files->paths.size(), 2u);
    // Nothing is deleted or moved by either.
    EXPECT_EQ(ReadTextFile(picture), "x");
}

TEST_F(MainWindowTest, BackForwardAndUpWalkTheFoldersAndTheHistoryRemembersThem)
{
    const std::string first = sandbox.MakeFolder("card/DCIM/100_A");
    const std::string second = sandbox.MakeFolder("card/DCIM/101_B");
    MainWindow window(settings);
    window.OpenFolder(first);
    window.OpenFolder(second);
    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandBack));
    EXPECT_EQ(window.CurrentFolder(), first);
    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandForward));
    EXPECT_EQ(window.CurrentFolder(), second);
    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandUpOneLevel));
    EXPECT_EQ(window.CurrentFolder(), sandbox / "card/DCIM");
    // The history menu entry 2 is the folder opened before the last one.
    ASSERT_TRUE(window.Dispatcher().Dispatch(41002));
    EXPECT_EQ(window.CurrentFolder(), second);
}

TEST_F(MainWindowTest, NewFolderMakesTheNextFreeNameAndSelectsIt)
{
    const std::string card = sandbox.MakeFolder("card");
    MainWindow window(settings);
    window.OpenFolder(card);
    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandNewFolder));
    ASSERT_TRUE(window.Dispatcher().Dispatch(kCommandNewFolder));
    EXPECT_TRUE(std::filesystem::is_directory(card + "/New folder"));
    EXPECT_TRUE(std::filesystem::is_directory(card + "/New folder (2)"));
    const std::vector<MediaItem>& items = window.Items().Items();
    ASSERT_EQ(items.size(), 2u);
    const auto selected = std::find_if(items.begin(), items.end(), [](const MediaItem& item) { return item.selected; });
    ASSERT_NE(selected, items.end());
    EXPECT_EQ(selected->fileName, "New folder (2)");
}
