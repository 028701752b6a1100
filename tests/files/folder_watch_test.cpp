#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "files/folder_watch.h"
#include "fixtures/sandbox.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The machine running the tests may be busy: waits for an event are generous, waits that
// prove an absence are a few quiet periods long.
constexpr milliseconds kEventWait{3000};
constexpr milliseconds kSilence{800};

struct Received {
    FolderWatch::Notification notification;
    Clock::time_point when;
};

// Collects what the watch reports on its thread.
class Recorder {
public:
    FolderWatch::Notify Callback()
    {
        return [this](const FolderWatch::Notification& notification) {
            {
                std::lock_guard lock(m_mutex);
                m_received.push_back(Received{notification, Clock::now()});
            }
            m_changed.notify_all();
        };
    }

    bool WaitForCount(std::size_t count, milliseconds timeout = kEventWait)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_received.size() >= count; });
    }

    std::vector<Received> All()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    std::size_t Count()
    {
        std::lock_guard lock(m_mutex);
        return m_received.size();
    }

    FolderWatch::Change Last()
    {
        std::lock_guard lock(m_mutex);
        return m_received.back().notification.change;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Received> m_received;
};

template <typename Condition>
bool WaitUntil(Condition condition, milliseconds timeout = kEventWait)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

// A sandbox where no other program makes folders beside the test's ones: the drive watch sees
// every folder created in any ancestor, and the temporary folder has plenty from other
// programs. /dev/shm is its own mount point on most systems, so the watch stops there.
class QuietSandbox {
public:
    QuietSandbox()
    {
        struct stat shm {};
        struct stat dev {};
        if (::stat("/dev/shm", &shm) == 0 && ::stat("/dev", &dev) == 0 && shm.st_dev != dev.st_dev
            && ::access("/dev/shm", W_OK) == 0) {
            std::string pattern = "/dev/shm/vistrel-watch-XXXXXX";
            if (::mkdtemp(pattern.data()))
                m_own = pattern;
        }
    }
    ~QuietSandbox()
    {
        std::error_code error;
        if (!m_own.empty())
            fs::remove_all(m_own, error);
    }
    QuietSandbox(const QuietSandbox&) = delete;
    QuietSandbox& operator=(const QuietSandbox&) = delete;

    std::string Path() const { return m_own.empty() ? m_fallback.Path() : m_own; }
    std::string operator/(const std::string& relative) const { return Path() + "/" + relative; }
    std::string MakeFolder(const std::string& relative) const
    {
        fs::create_directories(*this / relative);
        return *this / relative;
    }
    std::string WriteFile(const std::string& relative, const std::string& content) const;

private:
    Sandbox m_fallback;
    std::string m_own;
};

void WriteFile(const std::string& path, const std::string& content = "picture bytes")
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

std::string QuietSandbox::WriteFile(const std::string& relative, const std::string& content) const
{
    const std::string path = *this / relative;
    fs::create_directories(fs::path(path).parent_path());
    ::WriteFile(path, content);
    return path;
}

std::size_t CountEntries(const char* folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

// Arms the watch and uses up both skip-once flags with one event (a new subfolder is news for
// both watches at once), so that what follows is reported.
void ArmAndPrime(FolderWatch& watch, Recorder& recorder, const std::string& folder)
{
    std::string error;
    ASSERT_TRUE(watch.Arm(folder, &error)) << error;
    ASSERT_TRUE(watch.IsSkipping(FolderWatch::Watch::kFolder));
    ASSERT_TRUE(watch.IsSkipping(FolderWatch::Watch::kDrive));
    const std::size_t before = recorder.Count();
    static int primers = 0;
    ASSERT_EQ(::mkdir((folder + "/primer" + std::to_string(++primers)).c_str(), 0755), 0);
    ASSERT_TRUE(WaitUntil([&] {
        return !watch.IsSkipping(FolderWatch::Watch::kFolder) && !watch.IsSkipping(FolderWatch::Watch::kDrive);
    }));
    std::this_thread::sleep_for(milliseconds(400));
    ASSERT_EQ(recorder.Count(), before) << "the skipped first change was reported";
}

TEST(FolderWatch, ReportsEachOutsideChangeOnce)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const std::vector<Step> steps {
        {"created", [&] { WriteFile(shown + "/a.jpg"); }},
        {"renamed", [&] { ASSERT_EQ(::rename((shown + "/a.jpg").c_str(), (shown + "/b.jpg").c_str()), 0); }},
        {"rewritten", [&] { WriteFile(shown + "/b.jpg", "other bytes, longer than before"); }},
        {"deleted", [&] { ASSERT_EQ(::unlink((shown + "/b.jpg").c_str()), 0); }},
    };
    std::size_t expected = 0;
    for (const Step& step : steps) {
        step.act();
        ++expected;
        ASSERT_TRUE(recorder.WaitForCount(expected)) << step.what;
        std::this_thread::sleep_for(kSilence);
        EXPECT_EQ(recorder.Count(), expected) << step.what << ": more than one notification";
        EXPECT_EQ(recorder.Last(), FolderWatch::Change::kChanged) << step.what;
    }
    for (const Received& received : recorder.All())
        EXPECT_TRUE(watch.IsCurrent(received.notification));
}

TEST(FolderWatch, GathersABurstOfThousandFilesIntoAFewNotifications)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 1000; ++i)
        WriteFile(shown + "/IMG_" + std::to_string(i) + ".JPG");
    const Clock::time_point end = Clock::now();

    ASSERT_TRUE(recorder.WaitForCount(1));
    // Settled: nothing new for a while after the last one.
    std::size_t seen = 0;
    while (recorder.Count() != seen) {
        seen = recorder.Count();
        std::this_thread::sleep_for(milliseconds(1500));
    }
    const std::vector<Received> all = recorder.All();
    const double burstSeconds = std::chrono::duration<double>(end - start).count();
    // About one per second of burst, plus the one after it ends.
    EXPECT_LE(static_cast<double>(all.size()), burstSeconds + 2.0) << "burst of " << burstSeconds << " s";
    EXPECT_LE(all.size(), 8u);
    const Clock::time_point last = all.back().when;
    EXPECT_GT(last, end) << "the last notification came before the last file";
    // The view must be current within a second; half a second more for a loaded machine.
    EXPECT_LE(std::chrono::duration_cast<milliseconds>(last - end).count(), 1500);
}

TEST(FolderWatch, SteadyStreamIsReportedAboutOnceASecond)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    // A file every 50 ms never leaves a quiet period; the longest wait must still end it.
    const Clock::time_point start = Clock::now();
    int written = 0;
    while (Clock::now() - start < milliseconds(3200)) {
        WriteFile(shown + "/stream_" + std::to_string(written++) + ".JPG");
        std::this_thread::sleep_for(milliseconds(50));
    }
    const std::size_t duringStream = recorder.Count();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(duringStream, 2u) << "a steady stream was held back until it ended";
    EXPECT_LE(static_cast<double>(duringStream), seconds + 1.0);
    EXPECT_TRUE(recorder.WaitForCount(duringStream + 1)) << "the end of the stream was not reported";
}

TEST(FolderWatch, SuspendedWatchReportsNothingUntilArmedAgain)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    watch.Suspend();
    EXPECT_TRUE(watch.Folder().empty());
    EXPECT_TRUE(watch.IsSkipping(FolderWatch::Watch::kFolder));
    EXPECT_TRUE(watch.IsSkipping(FolderWatch::Watch::kDrive));
    for (int i = 0; i < 20; ++i)
        WriteFile(shown + "/own_" + std::to_string(i) + ".JPG");
    ASSERT_EQ(::mkdir((shown + "/own folder").c_str(), 0755), 0);
    std::this_thread::sleep_for(kSilence + milliseconds(400));
    EXPECT_EQ(recorder.Count(), 0u);

    ArmAndPrime(watch, recorder, shown);
    WriteFile(shown + "/after.JPG");
    ASSERT_TRUE(recorder.WaitForCount(1));
    EXPECT_EQ(recorder.Last(), FolderWatch::Change::kChanged);
}

TEST(FolderWatch, IgnoresTheFirstChangeAfterArmAndAfterSkipOnce)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    std::string error;
    ASSERT_TRUE(watch.Arm(shown, &error)) << error;

    // A symbolic link is one event, so it is one wake of the waiter.
    int links = 0;
    const auto link = [&] {
        const std::string name = shown + "/link" + std::to_string(++links);
        ASSERT_EQ(::symlink("target", name.c_str()), 0);
    };
    link();
    ASSERT_TRUE(WaitUntil([&] { return !watch.IsSkipping(FolderWatch::Watch::kFolder); }));
    std::this_thread::sleep_for(kSilence);
    EXPECT_EQ(recorder.Count(), 0u) << "the first change after Arm was reported";
    link();
    ASSERT_TRUE(recorder.WaitForCount(1));

    std::this_thread::sleep_for(milliseconds(400));
    watch.SkipOnce();
    EXPECT_TRUE(watch.IsSkipping(FolderWatch::Watch::kFolder));
    link();
    ASSERT_TRUE(WaitUntil([&] { return !watch.IsSkipping(FolderWatch::Watch::kFolder); }));
    std::this_thread::sleep_for(kSilence);
    EXPECT_EQ(recorder.Count(), 1u) << "the change after SkipOnce was reported";
    link();
    EXPECT_TRUE(recorder.WaitForCount(2));
}

TEST(FolderWatch, ReportsFoldersMadeAroundTheShownOneAsTreeChanges)
{
    QuietSandbox sandbox;
    const std::string parent = sandbox.MakeFolder("parent");
    const std::string shown = sandbox.MakeFolder("parent/shown");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    ASSERT_EQ(::mkdir((parent + "/sibling").c_str(), 0755), 0);
    ASSERT_TRUE(recorder.WaitForCount(1));
    EXPECT_EQ(recorder.Last(), FolderWatch::Change::kTreeChanged);

    ASSERT_EQ(::mkdir((shown + "/sub").c_str(), 0755), 0);
    ASSERT_TRUE(recorder.WaitForCount(2));
    EXPECT_EQ(recorder.Last(), FolderWatch::Change::kTreeChanged);

    // Files beside the shown folder are not shown anywhere.
    std::this_thread::sleep_for(milliseconds(400));
    WriteFile(parent + "/beside.txt");
    ASSERT_EQ(::rename((parent + "/beside.txt").c_str(), (parent + "/beside.jpg").c_str()), 0);
    std::this_thread::sleep_for(kSilence);
    EXPECT_EQ(recorder.Count(), 2u);
}

TEST(FolderWatch, ShownFolderDeletedOrMovedAwayIsGone)
{
    struct Case {
        const char* what;
        // Takes the folder sandbox/parent/shown away; returns where it is now ("" if deleted).
        std::function<std::string(const QuietSandbox&)> act;
    };
    const std::vector<Case> cases {
        {"deleted",
            [](const QuietSandbox& sandbox) {
                fs::remove_all(sandbox / "parent/shown");
                return std::string();
            }},
        {"renamed",
            [](const QuietSandbox& sandbox) {
                fs::rename(sandbox / "parent/shown", sandbox / "parent/renamed");
                return sandbox / "parent/renamed";
            }},
        {"parent renamed",
            [](const QuietSandbox& sandbox) {
                fs::rename(sandbox / "parent", sandbox / "moved");
                return sandbox / "moved/shown";
            }},
        {"grandparent's child replaced",
            [](const QuietSandbox& sandbox) {
                fs::rename(sandbox / "parent", sandbox / "old");
                fs::create_directories(sandbox / "parent/shown");
                return sandbox / "old/shown";
            }},
    };
    for (const Case& test : cases) {
        QuietSandbox sandbox;
        sandbox.WriteFile("parent/shown/a.jpg", "bytes");
        Recorder recorder;
        FolderWatch watch(recorder.Callback());
        // No priming: a vanished folder is reported even while skipping.
        std::string error;
        ASSERT_TRUE(watch.Arm(sandbox / "parent/shown", &error)) << error;

        const std::string now = test.act(sandbox);
        ASSERT_TRUE(recorder.WaitForCount(1)) << test.what;
        EXPECT_EQ(recorder.Last(), FolderWatch::Change::kGone) << test.what;

        // The moved folder is somebody else's now.
        if (!now.empty())
            WriteFile(now + "/later.jpg");
        std::this_thread::sleep_for(kSilence);
        EXPECT_EQ(recorder.Count(), 1u) << test.what;
    }
}

TEST(FolderWatch, RearmingWatchesOnlyTheNewFolder)
{
    QuietSandbox sandbox;
    const std::string first = sandbox.MakeFolder("first");
    const std::string second = sandbox.MakeFolder("second");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, first);
    WriteFile(first + "/one.jpg");
    ASSERT_TRUE(recorder.WaitForCount(1));
    const FolderWatch::Notification old = recorder.All().back().notification;
    EXPECT_TRUE(watch.IsCurrent(old));

    ArmAndPrime(watch, recorder, second);
    EXPECT_FALSE(watch.IsCurrent(old)) << "a notification about the old folder would refresh the new one";
    EXPECT_EQ(watch.Folder(), fs::canonical(second).string());
    WriteFile(first + "/two.jpg");
    ASSERT_EQ(::mkdir((first + "/new folder").c_str(), 0755), 0);
    std::this_thread::sleep_for(kSilence);
    EXPECT_EQ(recorder.Count(), 1u) << "the old folder is still watched";

    WriteFile(second + "/three.jpg");
    ASSERT_TRUE(recorder.WaitForCount(2));
    EXPECT_TRUE(watch.IsCurrent(recorder.All().back().notification));
}

TEST(FolderWatch, ArmRefusesWhatIsNotAFolderAndStaysSuspended)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    const std::string file = sandbox.WriteFile("file.jpg", "bytes");
    Recorder recorder;
    FolderWatch watch(recorder.Callback());
    ArmAndPrime(watch, recorder, shown);

    std::string error;
    EXPECT_FALSE(watch.Arm(sandbox / "missing", &error));
    EXPECT_NE(error.find(sandbox / "missing"), std::string::npos) << error;
    EXPECT_TRUE(watch.Folder().empty());
    error.clear();
    EXPECT_FALSE(watch.Arm(file, &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

    WriteFile(shown + "/x.jpg");
    WriteFile(shown + "/y.jpg");
    std::this_thread::sleep_for(kSilence);
    EXPECT_EQ(recorder.Count(), 0u) << "a failed Arm left the previous folder watched";

    // No folder is no error: nothing is watched.
    EXPECT_TRUE(watch.Arm(""));
    EXPECT_TRUE(watch.Folder().empty());
}

TEST(FolderWatch, CloseEndsTheWaiterPromptlyAndLeavesNothingBehind)
{
    QuietSandbox sandbox;
    const std::string shown = sandbox.MakeFolder("shown");
    const std::size_t threadsBefore = CountEntries("/proc/self/task");
    const std::size_t descriptorsBefore = CountEntries("/proc/self/fd");
    for (int round = 0; round < 50; ++round) {
        Recorder recorder;
        FolderWatch watch(recorder.Callback());
        ASSERT_TRUE(watch.IsRunning());
        if (round == 0)
            EXPECT_EQ(CountEntries("/proc/self/task"), threadsBefore + 1);
        ASSERT_TRUE(watch.Arm(shown));
        // Every other round closes with a burst still being gathered.
        if (round % 2 == 1) {
            WriteFile(shown + "/f" + std::to_string(round));
            WriteFile(shown + "/g" + std::to_string(round));
            std::this_thread::sleep_for(milliseconds(20));
        }
        const Clock::time_point start = Clock::now();
        watch.Close();
        EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - start).count(), 2000) << round;
        EXPECT_FALSE(watch.IsRunning());
        std::string error;
        EXPECT_FALSE(watch.Arm(shown, &error));
        EXPECT_FALSE(error.empty());
        watch.Suspend(); // harmless once closed
        watch.Close();
        EXPECT_EQ(recorder.Count(), 0u) << "Close reported the burst it dropped";
    }
    EXPECT_EQ(CountEntries("/proc/self/task"), threadsBefore);
    EXPECT_EQ(CountEntries("/proc/self/fd"), descriptorsBefore) << "a descriptor was left open";
}

TEST(FolderWatch, AncestorsStopAtTheMountPoint)
{
    Sandbox sandbox;
    const std::string shown = fs::canonical(sandbox.MakeFolder("a/b")).string();
    const std::vector<std::string> ancestors = AncestorsUpToMountPoint(shown);
    ASSERT_GE(ancestors.size(), 2u);
    EXPECT_EQ(ancestors[0], fs::path(shown).parent_path().string());
    EXPECT_EQ(ancestors[1], fs::path(shown).parent_path().parent_path().string());
    struct stat own {};
    ASSERT_EQ(::stat(shown.c_str(), &own), 0);
    for (const std::string& ancestor : ancestors) {
        struct stat status {};
        ASSERT_EQ(::stat(ancestor.c_str(), &status), 0);
        EXPECT_EQ(status.st_dev, own.st_dev) << ancestor;
    }
    const std::string top = ancestors.back();
    if (top != "/") {
        struct stat above {};
        ASSERT_EQ(::stat(fs::path(top).parent_path().c_str(), &above), 0);
        EXPECT_NE(above.st_dev, own.st_dev) << top << " is not the mount point";
    }
    EXPECT_TRUE(AncestorsUpToMountPoint("/").empty());
    struct stat root {};
    struct stat proc {};
    if (::stat("/", &root) == 0 && ::stat("/proc", &proc) == 0 && root.st_dev != proc.st_dev)
        EXPECT_TRUE(AncestorsUpToMountPoint("/proc").empty());
    EXPECT_TRUE(AncestorsUpToMountPoint("relative/path").empty());
}

} // namespace
