#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "services/service_module_support.h"
#include "services/service_runner.h"

namespace {

VistrelHostProc NoHostFunctions(HostBuffer name)
{
    VistrelFreeBuffer(&name);
    return nullptr;
}

// The main window's side of pane services, recording what it was asked to do.
struct FakePaneHost : ServicePaneHost {
    QWidget mainWindow;
    QWidget leftParent{&mainWindow};
    std::string log;
    QWidget* shownLeft = nullptr;
    QWidget* shownMain = nullptr;
    bool ownWindowsVisible = true;

    QWidget* MainWindowWidget() override { return &mainWindow; }
    QWidget* LeftPageParent() override { return &leftParent; }
    void HideOwnWindows() override
    {
        log += "hide ";
        ownWindowsVisible = false;
    }
    void ShowServiceWindows(QWidget* left, QWidget* main) override
    {
        log += "show-service ";
        shownLeft = left;
        shownMain = main;
    }
    void RestoreOwnWindows() override
    {
        log += "restore ";
        ownWindowsVisible = true;
        shownLeft = shownMain = nullptr;
    }
};

struct ServiceRunnerTest : ::testing::Test {
    Sandbox sandbox;
    FakePaneHost host;
    std::unique_ptr<ServiceRunner> runner;

    std::string Install(const std::string& variant, const char* command, int type, int closeAnswer = 1,
                        bool makeWindows = true)
    {
        const std::string file(kServiceCommands[*FindServiceCommand(command)].moduleFile);
        const std::string path = InstallTestModule(sandbox, variant, file);
        if (!runner)
            runner = std::make_unique<ServiceRunner>(sandbox / "System", host, NoHostFunctions);
        EXPECT_TRUE(runner->Slot(*FindServiceCommand(command)).Load(NoHostFunctions));
        SetUpTestModule(path, type, closeAnswer, makeWindows);
        return path;
    }
    void DeleteLaterNow() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace

TEST_F(ServiceRunnerTest, DialogServiceRunsInitExecFreeEveryTime)
{
    const std::string module = Install("recording", "SlideShow", 0);
    EXPECT_TRUE(runner->Run("SlideShow"));
    EXPECT_TRUE(runner->Run("SlideShow"));
    EXPECT_EQ(TestModuleLog(module), "GetType Init Exec Free GetType Init Exec Free");
    EXPECT_FALSE(runner->ServiceActive());
    EXPECT_EQ(host.log, "");
}

TEST_F(ServiceRunnerTest, UnknownAndUninstalledServicesDoNothing)
{
    runner = std::make_unique<ServiceRunner>(sandbox / "System", host, NoHostFunctions);
    EXPECT_FALSE(runner->Run("slideshow"));
    EXPECT_TRUE(runner->Run("Print"));
    EXPECT_FALSE(runner->IsInstalled("Print"));
    EXPECT_FALSE(runner->ServiceActive());
    EXPECT_EQ(host.log, "");
}

TEST_F(ServiceRunnerTest, PaneServiceReplacesTheProgramsWindowsUntilItEnds)
{
    const std::string module = Install("recording", "ClipInsertText", 1);
    runner->Run("ClipInsertText");
    ASSERT_TRUE(runner->PaneActive());
    EXPECT_EQ(runner->ActivePane(), FindServiceCommand("ClipInsertText"));
    EXPECT_EQ(host.log, "hide show-service ");
    ASSERT_NE(host.shownLeft, nullptr);
    EXPECT_EQ(host.shownLeft->objectName(), "RecordingLeft");
    EXPECT_EQ(host.shownLeft->parentWidget(), &host.leftParent);
    EXPECT_EQ(host.shownMain->objectName(), "RecordingMain");
    QPointer<QWidget> left = host.shownLeft;

    ASSERT_TRUE(runner->AskBeforeLeaving());
    DeleteLaterNow();
    EXPECT_FALSE(runner->PaneActive());
    EXPECT_TRUE(left.isNull());
    EXPECT_TRUE(host.ownWindowsVisible);
    EXPECT_EQ(TestModuleLog(module), "GetType Init CreateWindowL CreateWindowM Close Free");
}

TEST_F(ServiceRunnerTest, RefusingPaneServiceKeepsEverything)
{
    const std::string module = Install("recording", "CorrectRedEye", 1, /*closeAnswer=*/0);
    runner->Run("CorrectRedEye");
    EXPECT_FALSE(runner->AskBeforeLeaving());
    EXPECT_FALSE(runner->MayClose());
    EXPECT_TRUE(runner->PaneActive());
    EXPECT_NE(host.shownMain, nullptr);
    EXPECT_EQ(TestModuleLog(module), "GetType Init CreateWindowL CreateWindowM Close Close");
}

TEST_F(ServiceRunnerTest, SecondPaneServiceEndsTheFirstAfterAskingIt)
{
    const std::string first = Install("recording", "ClipInsertText", 1);
    const std::string second = Install("recording", "AdjustImageQuality", 1);
    runner->Run("ClipInsertText");
    QPointer<QWidget> firstMain = host.shownMain;
    runner->Run("AdjustImageQuality");
    DeleteLaterNow();
    EXPECT_TRUE(firstMain.isNull());
    EXPECT_EQ(runner->ActivePane(), FindServiceCommand("AdjustImageQuality"));
    EXPECT_EQ(host.log, "hide show-service show-service ");
    EXPECT_EQ(TestModuleLog(first), "GetType Init CreateWindowL CreateWindowM Close Free");
    EXPECT_EQ(TestModuleLog(second), "GetType Init CreateWindowL CreateWindowM");
}

TEST_F(ServiceRunnerTest, PaneServiceWithoutCloseIsNeverAsked)
{
    const std::string module = Install("recording_without_close", "ClipInsertText", 1);
    runner->Run("ClipInsertText");
    EXPECT_TRUE(runner->AskBeforeLeaving());
    EXPECT_EQ(TestModuleLog(module), "GetType Init CreateWindowL CreateWindowM Free");
}

TEST_F(ServiceRunnerTest, PaneServiceWithoutWindowsIsFreedAndTheProgramComesBack)
{
    const std::string module = Install("recording", "ClipInsertText", 1, 1, /*makeWindows=*/false);
    runner->Run("ClipInsertText");
    EXPECT_FALSE(runner->PaneActive());
    EXPECT_TRUE(host.ownWindowsVisible);
    EXPECT_EQ(host.log, "hide restore ");
    EXPECT_EQ(TestModuleLog(module), "GetType Init CreateWindowL CreateWindowM Free");
}

TEST_F(ServiceRunnerTest, ModuleThatDeletesItsOwnWindowIsNoticed)
{
    Install("recording", "ClipInsertText", 1);
    runner->Run("ClipInsertText");
    delete host.shownMain;
    EXPECT_EQ(runner->PaneMainWindow(), nullptr);
    runner->EndPaneService();
    DeleteLaterNow();
    EXPECT_FALSE(runner->PaneActive());
}

namespace {
ServiceRunner* g_runnerInExec = nullptr;
MenuRunState g_stateInExec;
bool g_idleWorkRanInExec = false;
bool g_idleWorkRan = false;
void InsideExec()
{
    g_stateInExec = g_runnerInExec->MenuRun();
    g_runnerInExec->WhenIdle([] { g_idleWorkRan = true; });
    g_idleWorkRanInExec = g_idleWorkRan;
}
} // namespace

TEST_F(ServiceRunnerTest, MenuCommandsRunThroughTheStartupModulesWithTheMenuRunState)
{
    const std::string openAsRun = Install("recording", "OpenAsRun", 0);
    const std::string customize = Install("recording", "ServiceCustomize", 0);
    QWidget rightParent;
    QWidget* right = runner->StartStartupServices(&rightParent);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->objectName(), "RecordingRight");
    EXPECT_EQ(TestModuleLog(customize), "Init CreateWindowR");
    EXPECT_EQ(TestModuleLog(openAsRun), "Init");

    auto setHook = TestModuleExport<void (*)(void (*)())>(openAsRun, "RecordingSetExecHook");
    ASSERT_NE(setHook, nullptr);
    g_runnerInExec = runner.get();
    setHook(InsideExec);
    runner->RunMenuCommand(43007);
    setHook(nullptr);
    EXPECT_TRUE(g_stateInExec.running);
    EXPECT_EQ(g_stateInExec.command, 43007);
    EXPECT_FALSE(g_idleWorkRanInExec);
    EXPECT_TRUE(g_idleWorkRan);
    EXPECT_FALSE(runner->MenuRun().running);
    EXPECT_EQ(runner->MenuRun().command, 43007);
    // No "Tool" module: its commands do nothing.
    runner->RunMenuCommand(44001);
    EXPECT_EQ(runner->MenuRun().command, 43007);

    runner->FreeStartupServices();
    DeleteLaterNow();
    EXPECT_EQ(TestModuleLog(openAsRun), "Init Exec Free");
    EXPECT_EQ(TestModuleLog(customize), "Init CreateWindowR Free");
}
