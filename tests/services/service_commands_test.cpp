#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "services/service_commands.h"
#include "services/service_module_support.h"
#include "services/service_runner.h"
#include "shell/command_dispatcher.h"

namespace {

VistrelHostProc NoHostFunctions(HostBuffer name)
{
    VistrelFreeBuffer(&name);
    return nullptr;
}

struct NoPaneHost : ServicePaneHost {
    QWidget window;
    QWidget* MainWindowWidget() override { return &window; }
    QWidget* LeftPageParent() override { return &window; }
    void HideOwnWindows() override {}
    void ShowServiceWindows(QWidget*, QWidget*) override {}
    void RestoreOwnWindows() override {}
};

// Records the steps around each service run in order.
struct ServiceCommandsTest : ::testing::Test {
    Sandbox sandbox;
    NoPaneHost host;
    CommandDispatcher dispatcher;
    std::string steps;
    bool updateFolderSet = false;
    bool displayOnly = false;
    std::unique_ptr<ServiceRunner> runner;

    std::string Install(const char* command, int type, int closeAnswer = 1)
    {
        const std::string path = InstallTestModule(
            sandbox, "recording", std::string(kServiceCommands[*FindServiceCommand(command)].moduleFile));
        return path;
    }
    void Register()
    {
        runner = std::make_unique<ServiceRunner>(sandbox / "System", host, NoHostFunctions);
        ServiceCommandActions actions;
        actions.stopWatching = [this] { steps += "stop "; };
        actions.startWatching = [this] { steps += "watch "; };
        actions.clearUpdateFolder = [this] { steps += "clear "; };
        actions.updateFolderSet = [this] { return updateFolderSet; };
        actions.indexUpdateFolder = [this] { steps += "index "; };
        actions.refreshAfterService = [this] { steps += "refresh "; };
        actions.reloadPreview = [this] { steps += "reload "; };
        actions.turnPreviewDisplayOnly = [this](int) { return displayOnly; };
        actions.bookmarksChanged = [this] { steps += "bookmarks "; };
        actions.repaint = [this] { steps += "repaint "; };
        RegisterServiceCommands(dispatcher, *runner, actions);
    }
    void SetUpModule(const std::string& path, int type, int closeAnswer = 1)
    {
        runner->Slot(*FindServiceCommand("ClipInsertText")).Load(NoHostFunctions);
        SetUpTestModule(path, type, closeAnswer);
    }
};

} // namespace

TEST_F(ServiceCommandsTest, OnlyInstalledServicesGetTheirCommands)
{
    Install("RotateCW", 0);
    Register();
    EXPECT_TRUE(dispatcher.HasHandler(kCommandRotateCW));
    EXPECT_FALSE(dispatcher.HasHandler(kCommandRotateCCW));
    EXPECT_FALSE(dispatcher.HasHandler(kCommandPrint));
    EXPECT_TRUE(dispatcher.HasHandler(kCommandEndPaneService));
    EXPECT_TRUE(dispatcher.HasHandler(43000));
    EXPECT_TRUE(dispatcher.HasHandler(44999));
    EXPECT_FALSE(dispatcher.HasHandler(45000));
}

TEST_F(ServiceCommandsTest, FileChangingServiceRefreshesOnlyWhenItNamedAFolder)
{
    const std::string module = Install("AutoResize", 0);
    Register();
    ASSERT_TRUE(dispatcher.Dispatch(kCommandAutoResize));
    EXPECT_EQ(steps, "stop clear watch repaint ");
    steps.clear();
    updateFolderSet = true;
    dispatcher.Dispatch(kCommandAutoResize);
    EXPECT_EQ(steps, "stop clear reload refresh watch repaint ");
    EXPECT_EQ(TestModuleLog(module), "SetService GetType Init Exec Free GetType Init Exec Free");
}

TEST_F(ServiceCommandsTest, DividingAFolderIndexesItOnceMoreBeforeRefreshing)
{
    Install("DivideFolder", 0);
    Register();
    updateFolderSet = true;
    dispatcher.Dispatch(kCommandDivideFolder);
    EXPECT_EQ(steps, "stop clear index refresh watch repaint ");
}

TEST_F(ServiceCommandsTest, ReadOnlyPreviewTurnsTheDisplayWithoutTheService)
{
    const std::string module = Install("RotateCCW", 0);
    Register();
    displayOnly = true;
    dispatcher.Dispatch(kCommandRotateCCW);
    EXPECT_EQ(steps, "repaint ");
    EXPECT_EQ(TestModuleLog(module), "(not loaded)");
    displayOnly = false;
    dispatcher.Dispatch(kCommandRotateCCW);
    EXPECT_EQ(TestModuleLog(module), "SetService GetType Init Exec Free");
}

TEST_F(ServiceCommandsTest, SettingsBoxesDoNotRepaint)
{
    Install("About", 0);
    Register();
    dispatcher.Dispatch(kCommandAbout);
    EXPECT_EQ(steps, "");
}

TEST_F(ServiceCommandsTest, PaneCommandIsIgnoredWhileTheActivePaneRefusesToClose)
{
    const std::string first = Install("ClipInsertText", 1);
    Install("CorrectRedEye", 1);
    Register();
    SetUpModule(first, 1, /*closeAnswer=*/0);
    dispatcher.Dispatch(kCommandClipInsertText);
    ASSERT_TRUE(runner->PaneActive());
    steps.clear();
    dispatcher.Dispatch(kCommandCorrectRedEye);
    EXPECT_EQ(steps, "");
    EXPECT_EQ(runner->ActivePane(), FindServiceCommand("ClipInsertText"));
    SetUpTestModule(first, 1, 1);
    dispatcher.Dispatch(kCommandEndPaneService);
    EXPECT_FALSE(runner->PaneActive());
    EXPECT_EQ(steps, "repaint ");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ServiceCommandsTest, BookmarkServicesBuildTheBookmarkMenuAgain)
{
    const std::string module = Install("AddBookmarks", 0);
    Register();
    EXPECT_FALSE(dispatcher.HasHandler(kCommandOrganizeBookmarks));
    ASSERT_TRUE(dispatcher.Dispatch(kCommandAddBookmarks));
    EXPECT_EQ(steps, "bookmarks repaint ");
    EXPECT_EQ(TestModuleLog(module), "SetService GetType Init Exec Free");
}
