#include <csignal>
#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "fixtures/sandbox.h"
#include "shell/app_settings.h"
#include "shell/settings_store.h"

// The real program, twice: a second start hands its command line to the first and ends.

namespace {

struct Browser {
    Sandbox& sandbox;

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", QString::fromStdString(sandbox / "home"));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(sandbox / "config"));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(sandbox / "run"));
        return env;
    }

    void Start(QProcess& process, const QStringList& arguments) const
    {
        process.setProcessEnvironment(Environment());
        process.start(VISTREL_PROGRAM_PATH, arguments);
    }

    bool WaitUntilListening() const
    {
        const std::string socket = sandbox / ("run/VistrelViewerV-" + std::to_string(::getuid()));
        QElapsedTimer timer;
        timer.start();
        while (!std::filesystem::exists(socket)) {
            if (timer.elapsed() > 20000)
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    std::string SettingsFile() const { return sandbox / "config/KAVORINE/VistrelViewer/5.0/settings.reg"; }
};

} // namespace

TEST(SingleInstance, SecondStartForwardsToTheFirstAndEnds)
{
    Sandbox sandbox;
    sandbox.MakeFolder("home/Pictures");
    sandbox.MakeFolder("run");
    const std::string picture = sandbox.WriteFile("card/DCIM/100_VIST/DSCF0001.JPG", "not decoded here");
    Browser browser{sandbox};

    QProcess first;
    browser.Start(first, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_TRUE(browser.WaitUntilListening()) << first.readAllStandardError().toStdString();

    QProcess second;
    browser.Start(second, {QString::fromStdString(picture)});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first browser saves what it was asked to show when it closes.
    QThread::msleep(300);
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();

    UseSettingsFile(browser.SettingsFile());
    AppSettings saved;
    ReadStartupSettings(saved);
    EXPECT_EQ(saved.startFolder, sandbox / "card/DCIM/100_VIST");
    EXPECT_EQ(saved.viewMode, 1);
    EXPECT_EQ(ReadBootTimes(), 1u);
    UseSettingsFile(SettingsStore::DefaultFilePath());
}

TEST(SingleInstance, ForwardingWithoutARunningBrowserEndsQuietly)
{
    Sandbox sandbox;
    sandbox.MakeFolder("run");
    sandbox.MakeFolder("home/Pictures");
    Browser browser{sandbox};
    // Nobody listens, but the lock is held: by us, as a stand-in for a browser that hangs.
    const std::string lock = sandbox / ("run/VistrelViewerV-" + std::to_string(::getuid()) + ".lock");
    QProcess holder;
    holder.start("flock", {QString::fromStdString(lock), "sleep", "30"});
    ASSERT_TRUE(holder.waitForStarted(5000));
    QThread::msleep(200);

    QProcess second;
    browser.Start(second, {QString::fromStdString(sandbox / "home")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(browser.SettingsFile()));
    holder.kill();
    holder.waitForFinished(5000);
}

TEST(Program, PrintsHelpAndVersion)
{
    QProcess help;
    help.start(VISTREL_PROGRAM_PATH, {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("Usage: VistrelViewer"));

    QProcess version;
    version.start(VISTREL_PROGRAM_PATH, {"--version"});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_TRUE(version.readAllStandardOutput().startsWith("VistrelViewer 5."));
}
