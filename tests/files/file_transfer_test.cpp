#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/file_transfer.h"
#include "fixtures/child_process.h"
#include "files/folder_entries.h"
#include "fixtures/sandbox.h"

namespace {

namespace fs = std::filesystem;

struct stat StatOf(const std::string& path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status;
}

void SetTime(const std::string& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

std::vector<std::string> Sorted(std::vector<std::string> paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Answers conflicts from a script and records what it was asked and shown.
class ScriptedListener : public TransferListener {
public:
    std::vector<TransferAnswer> answers;
    std::vector<TransferConflict> asked;
    std::function<bool(std::uint64_t, std::uint64_t, const std::string&)> onProgress;
    std::uint64_t lastDone = 0;
    std::uint64_t lastTotal = 0;
    bool wentBack = false;

    TransferAnswer Conflict(const TransferConflict& conflict) override
    {
        asked.push_back(conflict);
        if (answers.empty())
            return TransferAnswer::Cancel;
        const TransferAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }

    bool Progress(std::uint64_t done, std::uint64_t total, const std::string& path) override
    {
        wentBack = wentBack || done < lastDone || done > total;
        lastDone = done;
        lastTotal = total;
        return onProgress ? onProgress(done, total, path) : true;
    }
};

class FileTransfer : public ::testing::Test {
protected:
    Sandbox sandbox;
    std::string from = sandbox.MakeFolder("card");
    std::string to = sandbox.MakeFolder("photos");
    ScriptedListener listener;

    // A picture with its memo in the card folder.
    TransferUnit Picture(const std::string& base, const std::string& content = "picture")
    {
        const std::string picture = sandbox.WriteFile("card/" + base + ".JPG", content);
        const std::string memo = sandbox.WriteFile("card/" + base + ".WAV", "memo of " + content);
        return {picture, {memo}};
    }
};

TEST_F(FileTransfer, CopiesAPictureWithItsMemoKeepingPermissionsAndTime)
{
    const TransferUnit unit = Picture("DSCF0001");
    ASSERT_EQ(::chmod(unit.path.c_str(), 0640), 0);
    SetTime(unit.path, 1180000000);
    const TransferResult result = TransferFiles({unit}, to + "/", TransferMode::Copy, listener);
    ASSERT_EQ(result.units.size(), 1u);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Done) << result.units[0].message;
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.JPG"), "picture");
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.WAV"), "memo of picture");
    EXPECT_EQ(StatOf(to + "/DSCF0001.JPG").st_mode & 07777, 0640u);
    EXPECT_EQ(StatOf(to + "/DSCF0001.JPG").st_mtim.tv_sec, 1180000000);
    EXPECT_EQ(ReadTextFile(unit.path), "picture");
    EXPECT_EQ(result.created, (std::vector<std::string>{to + "/DSCF0001.JPG", to + "/DSCF0001.WAV"}));
    EXPECT_TRUE(result.vanished.empty());
    EXPECT_EQ(FolderNames(to), (std::vector<std::string>{"DSCF0001.JPG", "DSCF0001.WAV"}));
    EXPECT_FALSE(listener.wentBack);
    EXPECT_EQ(listener.lastDone, listener.lastTotal);
    EXPECT_EQ(listener.lastTotal, std::string("picture").size() + std::string("memo of picture").size());
}

TEST_F(FileTransfer, MovesUnitsAndFoldersAndSaysWhatVanished)
{
    const TransferUnit unit = Picture("DSCF0001");
    const std::string folder = sandbox.MakeFolder("card/100_FUJI");
    sandbox.WriteFile("card/100_FUJI/inner/DSCF0002.JPG", "inner");
    const TransferResult result =
        TransferFiles({unit, {folder, {}}}, to, TransferMode::Move, listener);
    ASSERT_TRUE(result.Succeeded()) << result.units[0].message << result.units[1].message;
    EXPECT_FALSE(Exists(unit.path));
    EXPECT_FALSE(Exists(unit.companions[0]));
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(ReadTextFile(to + "/100_FUJI/inner/DSCF0002.JPG"), "inner");
    EXPECT_EQ(Sorted(result.vanished), Sorted({unit.path, unit.companions[0], folder}));
    EXPECT_EQ(Sorted(result.created), Sorted({to + "/DSCF0001.JPG", to + "/DSCF0001.WAV", to + "/100_FUJI"}));
}

TEST_F(FileTransfer, CopiesFoldersWholeWithLinksAsLinksAndMissingCompanionsLeftOut)
{
    const std::string folder = sandbox.MakeFolder("card/DCIM");
    sandbox.WriteFile("card/DCIM/100_FUJI/DSCF0001.JPG", "deep");
    ASSERT_EQ(::symlink("/nonexistent/target", (folder + "/dangling").c_str()), 0);
    ASSERT_EQ(::symlink("100_FUJI", (folder + "/latest").c_str()), 0);
    ASSERT_EQ(::chmod((folder + "/100_FUJI").c_str(), 0750), 0);
    const std::string picture = sandbox.WriteFile("card/DSCF0009.JPG", "alone");
    const TransferResult result = TransferFiles({{folder, {}}, {picture, {from + "/DSCF0009.WAV"}}}, to,
                                                TransferMode::Copy, listener);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadTextFile(to + "/DCIM/100_FUJI/DSCF0001.JPG"), "deep");
    EXPECT_EQ(fs::read_symlink(to + "/DCIM/dangling").string(), "/nonexistent/target");
    EXPECT_EQ(fs::read_symlink(to + "/DCIM/latest").string(), "100_FUJI");
    EXPECT_EQ(StatOf(to + "/DCIM/100_FUJI").st_mode & 07777, 0750u);
    EXPECT_EQ(result.units[1].members, (std::vector<TransferMember>{{picture, to + "/DSCF0009.JPG"}}));
    EXPECT_EQ(FolderNames(to), (std::vector<std::string>{"DCIM", "DSCF0009.JPG"}));
}

TEST_F(FileTransfer, BadEntriesAndABadDestinationFailWithTheirReason)
{
    const TransferUnit unit = Picture("DSCF0001");
    TransferResult result = TransferFiles({{from + "/.", {}}, {from + "/missing.JPG", {}}, unit}, to,
                                          TransferMode::Move, listener);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Failed);
    EXPECT_NE(result.units[0].message.find("names no entry"), std::string::npos);
    EXPECT_EQ(result.units[1].outcome, TransferOutcome::Failed);
    EXPECT_NE(result.units[1].message.find("No such file"), std::string::npos);
    EXPECT_EQ(result.units[2].outcome, TransferOutcome::Done);
    EXPECT_FALSE(result.Succeeded());

    result = TransferFiles({{to + "/DSCF0001.JPG", {}}}, sandbox / "nowhere", TransferMode::Copy, listener);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Failed);
    EXPECT_NE(result.units[0].message.find(sandbox / "nowhere"), std::string::npos);
    EXPECT_TRUE(result.created.empty());
}

class FileTransferConflicts : public FileTransfer {
protected:
    void SetUp() override
    {
        for (const char* base : {"DSCF0001", "DSCF0002", "DSCF0003"}) {
            units.push_back(Picture(base, std::string("new ") + base));
            sandbox.WriteFile(std::string("photos/") + base + ".JPG", "old");
            sandbox.WriteFile(std::string("photos/") + base + ".WAV", "old memo");
        }
    }
    std::string Destination(int n) const { return to + "/DSCF000" + std::to_string(n) + ".JPG"; }
    std::vector<TransferUnit> units;
};

TEST_F(FileTransferConflicts, ReplaceAndSkipHoldForOneUnitAndAreAskedPerUnit)
{
    listener.answers = {TransferAnswer::Replace, TransferAnswer::Skip, TransferAnswer::Replace};
    const TransferResult result = TransferFiles(units, to, TransferMode::Move, listener);
    ASSERT_EQ(listener.asked.size(), 3u);
    EXPECT_EQ(listener.asked[0].entry, units[0].path);
    EXPECT_EQ(listener.asked[0].taken.size(), 2u);
    EXPECT_EQ(listener.asked[0].members[1], (TransferMember{units[0].companions[0], to + "/DSCF0001.WAV"}));
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Done);
    EXPECT_EQ(result.units[1].outcome, TransferOutcome::Skipped);
    EXPECT_EQ(ReadTextFile(Destination(1)), "new DSCF0001");
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.WAV"), "memo of new DSCF0001");
    EXPECT_EQ(ReadTextFile(Destination(2)), "old");
    EXPECT_TRUE(Exists(units[1].path));
    EXPECT_TRUE(Exists(units[1].companions[0]));
    EXPECT_EQ(ReadTextFile(Destination(3)), "new DSCF0003");
    EXPECT_EQ(Sorted(result.vanished),
              Sorted({units[0].path, units[0].companions[0], units[2].path, units[2].companions[0]}));
}

TEST_F(FileTransferConflicts, TheAllAnswersHoldForTheRestOfTheRun)
{
    listener.answers = {TransferAnswer::ReplaceAll};
    TransferResult result = TransferFiles(units, to, TransferMode::Copy, listener);
    EXPECT_EQ(listener.asked.size(), 1u);
    EXPECT_TRUE(result.Succeeded());
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(ReadTextFile(Destination(n)), "new DSCF000" + std::to_string(n));

    for (int n = 1; n <= 3; ++n)
        sandbox.WriteFile("photos/DSCF000" + std::to_string(n) + ".JPG", "old");
    const TransferUnit fresh = Picture("DSCF0004");
    std::vector<TransferUnit> more = units;
    more.insert(more.begin() + 1, fresh);
    listener.asked.clear();
    listener.answers = {TransferAnswer::SkipAll};
    result = TransferFiles(more, to, TransferMode::Move, listener);
    EXPECT_EQ(listener.asked.size(), 1u);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Skipped);
    EXPECT_EQ(result.units[1].outcome, TransferOutcome::Done);
    EXPECT_EQ(result.units[2].outcome, TransferOutcome::Skipped);
    EXPECT_EQ(result.units[3].outcome, TransferOutcome::Skipped);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(ReadTextFile(Destination(n)), "old");
    EXPECT_EQ(Sorted(result.vanished), Sorted({fresh.path, fresh.companions[0]}));
}

TEST_F(FileTransferConflicts, CancelStopsBetweenUnits)
{
    const TransferUnit first = Picture("DSCF0000");
    std::vector<TransferUnit> batch = units;
    batch.insert(batch.begin(), first);
    listener.answers = {TransferAnswer::Cancel};
    const TransferResult result = TransferFiles(batch, to, TransferMode::Move, listener);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(listener.asked.size(), 1u);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Done);
    for (std::size_t i = 1; i < batch.size(); ++i) {
        EXPECT_EQ(result.units[i].outcome, TransferOutcome::NotDone);
        EXPECT_TRUE(Exists(batch[i].path));
    }
    EXPECT_EQ(ReadTextFile(Destination(1)), "old");
    EXPECT_EQ(Sorted(result.vanished), Sorted({first.path, first.companions[0]}));
}

TEST_F(FileTransfer, AUnitWhoseMemoAloneConflictsIsAskedAsAWholeAndSkippedWhole)
{
    const TransferUnit unit = Picture("DSCF0001");
    sandbox.WriteFile("photos/DSCF0001.WAV", "old memo");
    listener.answers = {TransferAnswer::Skip};
    const TransferResult result = TransferFiles({unit}, to, TransferMode::Move, listener);
    ASSERT_EQ(listener.asked.size(), 1u);
    EXPECT_EQ(listener.asked[0].members.size(), 2u);
    EXPECT_EQ(listener.asked[0].taken, (std::vector<TransferMember>{{unit.companions[0], to + "/DSCF0001.WAV"}}));
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Skipped);
    EXPECT_TRUE(Exists(unit.path));
    EXPECT_FALSE(Exists(to + "/DSCF0001.JPG"));
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.WAV"), "old memo");
    EXPECT_TRUE(result.vanished.empty());
    EXPECT_TRUE(result.created.empty());
}

TEST_F(FileTransfer, TwoSourcesOfOneNameInOneBatchMeetAsAConflict)
{
    const std::string first = sandbox.WriteFile("card/a/DSCF0001.JPG", "first");
    const std::string second = sandbox.WriteFile("card/b/DSCF0001.JPG", "second");
    listener.answers = {TransferAnswer::Skip};
    TransferResult result = TransferFiles({{first, {}}, {second, {}}}, to, TransferMode::Copy, listener);
    ASSERT_EQ(listener.asked.size(), 1u);
    EXPECT_EQ(listener.asked[0].entry, second);
    EXPECT_EQ(result.units[1].outcome, TransferOutcome::Skipped);
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.JPG"), "first");

    ::unlink((to + "/DSCF0001.JPG").c_str());
    listener.answers = {TransferAnswer::Replace};
    result = TransferFiles({{first, {}}, {second, {}}}, to, TransferMode::Copy, listener);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadTextFile(to + "/DSCF0001.JPG"), "second");
    EXPECT_EQ(FolderNames(to), std::vector<std::string>{"DSCF0001.JPG"});
}

TEST_F(FileTransfer, ReplacingAFolderTakesTheOldOneAway)
{
    const std::string folder = sandbox.MakeFolder("card/TRIP");
    sandbox.WriteFile("card/TRIP/new.JPG", "new");
    sandbox.WriteFile("photos/TRIP/old.JPG", "old");
    listener.answers = {TransferAnswer::Replace};
    const TransferResult result = TransferFiles({{folder, {}}}, to, TransferMode::Copy, listener);
    ASSERT_EQ(result.units[0].outcome, TransferOutcome::Done) << result.units[0].message;
    EXPECT_EQ(FolderNames(to + "/TRIP"), std::vector<std::string>{"new.JPG"});
    EXPECT_EQ(FolderNames(to), std::vector<std::string>{"TRIP"});
}

TEST_F(FileTransfer, CopyOntoItselfMakesNumberedNamesForTheWholeUnit)
{
    const TransferUnit unit = Picture("DSCF0001");
    TransferResult result = TransferFiles({unit}, from, TransferMode::Copy, listener);
    EXPECT_TRUE(listener.asked.empty());
    ASSERT_EQ(result.units[0].outcome, TransferOutcome::Done) << result.units[0].message;
    EXPECT_EQ(ReadTextFile(from + "/DSCF0001 (2).JPG"), "picture");
    EXPECT_EQ(ReadTextFile(from + "/DSCF0001 (2).WAV"), "memo of picture");
    EXPECT_EQ(result.created, (std::vector<std::string>{from + "/DSCF0001 (2).JPG", from + "/DSCF0001 (2).WAV"}));

    // Another name of the same folder is the same place; " (2)" is taken by now.
    const std::string alias = sandbox / "alias";
    ASSERT_EQ(::symlink(from.c_str(), alias.c_str()), 0);
    result = TransferFiles({unit}, alias, TransferMode::Copy, listener);
    EXPECT_TRUE(listener.asked.empty());
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Done);
    EXPECT_EQ(ReadTextFile(from + "/DSCF0001 (3).WAV"), "memo of picture");

    const std::string folder = sandbox.MakeFolder("card/2007.05");
    result = TransferFiles({{folder, {}}}, from, TransferMode::Copy, listener);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Done);
    EXPECT_TRUE(Exists(from + "/2007.05 (2)"));
}

TEST_F(FileTransfer, MoveOntoItselfIsSkippedNotFailed)
{
    const TransferUnit unit = Picture("DSCF0001");
    ASSERT_EQ(::link(unit.path.c_str(), (to + "/DSCF0001.JPG").c_str()), 0);
    TransferResult result = TransferFiles({unit}, from, TransferMode::Move, listener);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Skipped);
    EXPECT_TRUE(result.Succeeded());
    // A hard link of the picture in the destination is the same file as well.
    result = TransferFiles({unit}, to, TransferMode::Move, listener);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::Skipped);
    EXPECT_TRUE(listener.asked.empty());
    EXPECT_TRUE(Exists(unit.path));
    EXPECT_TRUE(Exists(unit.companions[0]));
    EXPECT_TRUE(result.vanished.empty());
}

TEST_F(FileTransfer, AFolderNeverGoesIntoItsOwnSubtree)
{
    const std::string folder = sandbox.MakeFolder("card/DCIM");
    const std::string inner = sandbox.MakeFolder("card/DCIM/100_FUJI");
    for (const TransferMode mode : {TransferMode::Move, TransferMode::Copy}) {
        for (const std::string& into : {inner, folder}) {
            const TransferResult result = TransferFiles({{folder, {}}}, into, mode, listener);
            EXPECT_EQ(result.units[0].outcome, TransferOutcome::Failed);
            EXPECT_NE(result.units[0].message.find("into itself"), std::string::npos) << result.units[0].message;
        }
    }
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"100_FUJI"});
    EXPECT_TRUE(FolderNames(inner).empty());
}

TEST_F(FileTransfer, CancelInsideALargeFileLeavesNoPartialFile)
{
    const std::string big = sandbox.WriteFile("card/MOV0001.AVI", std::string(40u << 20, 'm'));
    int calls = 0;
    listener.onProgress = [&](std::uint64_t done, std::uint64_t total, const std::string&) {
        ++calls;
        return done == 0 || done >= total / 2 ? done < total / 2 : true;
    };
    const TransferResult result = TransferFiles({{big, {}}}, to, TransferMode::Copy, listener);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.units[0].outcome, TransferOutcome::NotDone);
    EXPECT_GT(calls, 3);
    EXPECT_TRUE(FolderNames(to).empty());
    EXPECT_TRUE(result.created.empty());
    EXPECT_EQ(StatOf(big).st_size, 40 << 20);
}

TEST_F(FileTransfer, AReadOnlyDestinationFailsCleanlyForAPlainUser)
{
    const TransferUnit unit = Picture("DSCF0001");
    for (const std::string& path : {sandbox.Path(), from, unit.path, unit.companions[0]})
        ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(to.c_str(), 0555), 0);
    const int code = RunAsPlainUser([&] {
        for (const TransferMode mode : {TransferMode::Copy, TransferMode::Move}) {
            ScriptedListener quiet;
            const TransferResult result = TransferFiles({unit}, to, mode, quiet);
            if (result.units[0].outcome != TransferOutcome::Failed)
                return 1;
            if (result.units[0].message.find("Permission denied") == std::string::npos
                || result.units[0].message.find(to) == std::string::npos)
                return 2;
            if (!result.created.empty() || !result.vanished.empty() || result.Succeeded())
                return 3;
        }
        return Exists(unit.path) && Exists(unit.companions[0]) && FolderNames(to).empty() ? 0 : 4;
    });
    ::chmod(to.c_str(), 0755);
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(code, 0);
}

TEST_F(FileTransfer, AnUnreadableMemoHoldsBackItsPictureToo)
{
    const TransferUnit unit = Picture("DSCF0001");
    const TransferUnit other = Picture("DSCF0002");
    for (const std::string& path : {sandbox.Path(), from, to, unit.path, other.path, other.companions[0]})
        ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(unit.companions[0].c_str(), 0), 0);
    const int code = RunAsPlainUser([&] {
        ScriptedListener quiet;
        const TransferResult result = TransferFiles({unit, other}, to, TransferMode::Copy, quiet);
        if (result.units[0].outcome != TransferOutcome::Failed
            || result.units[0].message.find("cannot read " + unit.companions[0]) == std::string::npos)
            return 1;
        if (result.units[1].outcome != TransferOutcome::Done)
            return 2;
        const std::vector<std::string> expected{"DSCF0002.JPG", "DSCF0002.WAV"};
        return FolderNames(to) == expected && result.created.size() == 2 ? 0 : 3;
    });
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(code, 0);
}

TEST(FileTransferAcrossVolumes, AMoveRemovesTheSourceOnlyAfterTheCopyIsComplete)
{
    Sandbox sandbox;
    std::string pattern = "/dev/shm/vistrel-transfer-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        GTEST_SKIP() << "no /dev/shm to move across";
    const std::string other = pattern;
    struct Cleanup {
        std::string path;
        ~Cleanup() { fs::remove_all(path); }
    } cleanup{other};
    if (StatOf(other).st_dev == StatOf(sandbox.Path()).st_dev)
        GTEST_SKIP() << "/dev/shm is on the sandbox's file system";

    const std::string picture = sandbox.WriteFile("card/DSCF0001.JPG", std::string(9u << 20, 'p'));
    const std::string memo = sandbox.WriteFile("card/DSCF0001.WAV", "memo");
    const std::string folder = sandbox.MakeFolder("card/100_FUJI");
    sandbox.WriteFile("card/100_FUJI/DSCF0002.JPG", "inner");
    ASSERT_EQ(::chmod(picture.c_str(), 0604), 0);
    SetTime(picture, 1180000000);
    ScriptedListener listener;
    bool sourceGoneEarly = false;
    bool placedEarly = false;
    listener.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& path) {
        if (path == picture || path == memo) {
            sourceGoneEarly = sourceGoneEarly || !Exists(picture) || !Exists(memo);
            placedEarly = placedEarly || Exists(other + "/DSCF0001.JPG");
        }
        return true;
    };
    const TransferResult result =
        TransferFiles({{picture, {memo}}, {folder, {}}}, other, TransferMode::Move, listener);
    ASSERT_TRUE(result.Succeeded()) << result.units[0].message << result.units[1].message;
    EXPECT_FALSE(sourceGoneEarly);
    EXPECT_FALSE(placedEarly);
    EXPECT_FALSE(Exists(picture));
    EXPECT_FALSE(Exists(memo));
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(ReadTextFile(other + "/DSCF0001.JPG"), std::string(9u << 20, 'p'));
    EXPECT_EQ(StatOf(other + "/DSCF0001.JPG").st_mode & 07777, 0604u);
    EXPECT_EQ(StatOf(other + "/DSCF0001.JPG").st_mtim.tv_sec, 1180000000);
    EXPECT_EQ(ReadTextFile(other + "/100_FUJI/DSCF0002.JPG"), "inner");
    EXPECT_EQ(Sorted(result.vanished), Sorted({picture, memo, folder}));
    EXPECT_EQ(FolderNames(other), (std::vector<std::string>{"100_FUJI", "DSCF0001.JPG", "DSCF0001.WAV"}));
}

TEST(FileTransferNames, NumberedNamesKeepTheExtensionOfFilesOnly)
{
    EXPECT_EQ(NumberedName("DSCF0001.JPG", 2, false), "DSCF0001 (2).JPG");
    EXPECT_EQ(NumberedName("archive.tar.gz", 3, false), "archive.tar (3).gz");
    EXPECT_EQ(NumberedName("README", 2, false), "README (2)");
    EXPECT_EQ(NumberedName(".hidden", 2, false), ".hidden (2)");
    EXPECT_EQ(NumberedName("2007.05", 2, true), "2007.05 (2)");
}

} // namespace
