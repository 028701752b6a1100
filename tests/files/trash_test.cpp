#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/trash.h"
#include "fixtures/child_process.h"
#include "files/folder_entries.h"
#include "fixtures/sandbox.h"

namespace {

namespace fs = std::filesystem;

std::string RealPath(const std::string& path)
{
    return fs::canonical(path).string();
}

std::string Uid()
{
    return std::to_string(::geteuid());
}

// The info file must be exactly the three lines, its date the local time of the move.
void ExpectInfo(const std::string& infoPath, const std::string& escapedPath, time_t before, time_t after)
{
    const std::string text = ReadTextFile(infoPath);
    const std::string head = "[Trash Info]\nPath=" + escapedPath + "\nDeletionDate=";
    ASSERT_EQ(text.substr(0, head.size()), head) << infoPath;
    const std::string date = text.substr(head.size());
    ASSERT_EQ(date.size(), 20u) << text;
    EXPECT_EQ(date.back(), '\n');
    std::tm local {};
    ASSERT_NE(::strptime(date.c_str(), "%Y-%m-%dT%H:%M:%S", &local), nullptr) << date;
    local.tm_isdst = -1;
    const time_t when = std::mktime(&local);
    EXPECT_GE(when, before - 1);
    EXPECT_LE(when, after + 1);
}

class TrashTest : public ::testing::Test {
protected:
    TrashTest()
        : root(RealPath(sandbox.Path()))
    {
    }

    // The home trash in the sandbox; "card" in the sandbox stands for a camera card mounted
    // as a volume of its own.
    TrashPlaces Places() const
    {
        TrashPlaces places;
        places.homeTrash = root + "/data/Trash";
        const std::string card = root + "/card";
        places.topdirOf = [card](const std::string& real) {
            return real.rfind(card + "/", 0) == 0 || real == card ? card : FindVolumeTop(real);
        };
        return places;
    }

    std::string Home(const std::string& relative) const { return root + "/data/Trash/" + relative; }

    Sandbox sandbox;
    std::string root;
};

TEST_F(TrashTest, HomeTrashGetsTheFileAndAnInfoWithItsAbsolutePath)
{
    const std::string picture = sandbox.WriteFile("pictures/100 Trip/DSCF0001.JPG", "jpeg bytes");
    Trasher trasher(Places());
    const time_t before = std::time(nullptr);
    const TrashResult result = trasher.TrashUnit({picture});
    const time_t after = std::time(nullptr);

    ASSERT_EQ(result.outcome, TrashOutcome::kTrashed) << result.message;
    EXPECT_EQ(result.vanished, std::vector<std::string>{picture});
    EXPECT_EQ(result.trashedAs, std::vector<std::string>{Home("files/DSCF0001.JPG")});
    EXPECT_FALSE(Exists(picture));
    EXPECT_EQ(ReadTextFile(Home("files/DSCF0001.JPG")), "jpeg bytes");
    ExpectInfo(Home("info/DSCF0001.JPG.trashinfo"), root + "/pictures/100%20Trip/DSCF0001.JPG", before, after);
    EXPECT_EQ(FolderNames(Home("info")), std::vector<std::string>{"DSCF0001.JPG.trashinfo"});
}

TEST_F(TrashTest, HomeTrashFollowsTheDataHomeOfTheEnvironment)
{
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string saved = savedData ? savedData : "";
    ::setenv("XDG_DATA_HOME", (root + "/xdg").c_str(), 1);
    EXPECT_EQ(TrashPlaces::FromEnvironment().homeTrash, root + "/xdg/Trash");
    // A relative data home is invalid and ignored, as the desktop does.
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(TrashPlaces::FromEnvironment().homeTrash, std::string(home ? home : "/") + "/.local/share/Trash");
    if (savedData)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(TrashTest, SameNamesFromTwoFoldersGetTwoEntries)
{
    const std::string first = sandbox.WriteFile("pictures/a/DSCF0001.JPG", "first");
    const std::string second = sandbox.WriteFile("pictures/b/DSCF0001.JPG", "second");
    const std::string third = sandbox.WriteFile("pictures/c/DSCF0001.JPG", "third");
    // An entry left in files/ without its info still owns its name.
    sandbox.WriteFile("data/Trash/files/DSCF0001.2.JPG", "orphan");
    sandbox.MakeFolder("data/Trash/info");
    Trasher trasher(Places());
    ASSERT_EQ(trasher.TrashUnit({first}).outcome, TrashOutcome::kTrashed);
    ASSERT_EQ(trasher.TrashUnit({second}).outcome, TrashOutcome::kTrashed);
    ASSERT_EQ(trasher.TrashUnit({third}).outcome, TrashOutcome::kTrashed);

    EXPECT_EQ(ReadTextFile(Home("files/DSCF0001.JPG")), "first");
    EXPECT_EQ(ReadTextFile(Home("files/DSCF0001.2.JPG")), "orphan");
    EXPECT_EQ(ReadTextFile(Home("files/DSCF0001.3.JPG")), "second");
    EXPECT_EQ(ReadTextFile(Home("files/DSCF0001.4.JPG")), "third");
    EXPECT_EQ(FolderNames(Home("info")), (std::vector<std::string>{"DSCF0001.3.JPG.trashinfo", "DSCF0001.4.JPG.trashinfo",
                                                                  "DSCF0001.JPG.trashinfo"}));
    EXPECT_NE(ReadTextFile(Home("info/DSCF0001.3.JPG.trashinfo")).find("Path=" + root + "/pictures/b/DSCF0001.JPG\n"),
              std::string::npos);
}

TEST_F(TrashTest, AFolderGoesWholeAndALinkGoesAsALink)
{
    sandbox.WriteFile("pictures/100_FUJI/DSCF0001.JPG", "one");
    sandbox.WriteFile("pictures/100_FUJI/sub/DSCF0002.JPG", "two");
    const std::string kept = sandbox.WriteFile("elsewhere/kept.JPG", "kept");
    const std::string link = root + "/pictures/link.JPG";
    ASSERT_EQ(::symlink(kept.c_str(), link.c_str()), 0);
    Trasher trasher(Places());

    const TrashResult folder = trasher.TrashUnit({root + "/pictures/100_FUJI/"});
    ASSERT_EQ(folder.outcome, TrashOutcome::kTrashed) << folder.message;
    EXPECT_EQ(folder.vanished, std::vector<std::string>{root + "/pictures/100_FUJI/"});
    EXPECT_EQ(ReadTextFile(Home("files/100_FUJI/sub/DSCF0002.JPG")), "two");
    EXPECT_NE(ReadTextFile(Home("info/100_FUJI.trashinfo")).find("Path=" + root + "/pictures/100_FUJI\n"),
              std::string::npos);

    ASSERT_EQ(trasher.TrashUnit({link}).outcome, TrashOutcome::kTrashed);
    struct stat status {};
    ASSERT_EQ(::lstat(Home("files/link.JPG").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(ReadTextFile(kept), "kept");
}

TEST_F(TrashTest, DotAndDotDotAreNoEntries)
{
    const std::string picture = sandbox.WriteFile("pictures/DSCF0001.JPG", "stays");
    Trasher trasher(Places());
    for (const std::string& path : {root + "/pictures/.", root + "/pictures/..", std::string("/"), std::string()}) {
        const TrashResult result = trasher.TrashUnit({path});
        EXPECT_EQ(result.outcome, TrashOutcome::kFailed) << path;
        EXPECT_NE(result.message.find("does not name a file or folder"), std::string::npos) << result.message;
        EXPECT_TRUE(result.vanished.empty());
    }
    EXPECT_TRUE(Exists(picture));
    EXPECT_FALSE(Exists(Home("files")));
}

TEST_F(TrashTest, AMissingMemberLeavesTheUnitWhole)
{
    const std::string picture = sandbox.WriteFile("pictures/DSCF0001.JPG", "picture");
    Trasher trasher(Places());
    const TrashResult result = trasher.TrashUnit({picture, root + "/pictures/DSCF0001.WAV"});
    EXPECT_EQ(result.outcome, TrashOutcome::kFailed);
    EXPECT_NE(result.message.find("DSCF0001.WAV"), std::string::npos) << result.message;
    EXPECT_TRUE(Exists(picture));
    EXPECT_TRUE(FolderNames(Home("files")).empty());
}

TEST_F(TrashTest, AUnitWhoseSecondMemberCannotMoveIsPutBack)
{
    // The superuser may move anything; a plain user cannot take a file out of a locked folder.
    const std::string picture = sandbox.WriteFile("pictures/DSCF0001.JPG", "picture");
    const std::string memo = sandbox.WriteFile("pictures/locked/DSCF0001.WAV", "memo");
    sandbox.MakeFolder("data");
    for (const char* folder : {"", "/pictures", "/data"})
        ASSERT_EQ(::chmod((root + folder).c_str(), 0777), 0);
    ASSERT_EQ(::chmod((root + "/pictures/locked").c_str(), 0555), 0);
    const TrashPlaces places = Places();
    const int code = RunAsPlainUser([&] {
        Trasher trasher(places);
        const TrashResult result = trasher.TrashUnit({picture, memo});
        if (result.outcome != TrashOutcome::kFailed)
            return 1;
        if (result.message.find("cannot move " + memo) == std::string::npos
            || result.message.find("Permission denied") == std::string::npos)
            return 2;
        return result.vanished.empty() ? 0 : 3;
    });
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadTextFile(picture), "picture");
    EXPECT_EQ(ReadTextFile(memo), "memo");
    EXPECT_TRUE(FolderNames(Home("files")).empty());
    EXPECT_TRUE(FolderNames(Home("info")).empty());
}

TEST_F(TrashTest, AUnitGoesTogether)
{
    const std::string picture = sandbox.WriteFile("pictures/DSCF0001.JPG", "picture");
    const std::string memo = sandbox.WriteFile("pictures/DSCF0001.WAV", "memo");
    const std::string raw = sandbox.WriteFile("pictures/DSCF0001.RAF", "raw");
    Trasher trasher(Places());
    const TrashResult result = trasher.TrashUnit({picture, memo, raw, picture});
    ASSERT_EQ(result.outcome, TrashOutcome::kTrashed) << result.message;
    EXPECT_EQ(result.vanished, (std::vector<std::string>{picture, memo, raw}));
    EXPECT_EQ(FolderNames(Home("files")), (std::vector<std::string>{"DSCF0001.JPG", "DSCF0001.RAF", "DSCF0001.WAV"}));
}

TEST_F(TrashTest, ACardUsesItsOwnTrashWithPathsFromItsTop)
{
    const std::string picture = sandbox.WriteFile("card/DCIM/100_FUJI/DSCF 100%.JPG", "card picture");
    Trasher trasher(Places());
    const time_t before = std::time(nullptr);
    const TrashResult result = trasher.TrashUnit({picture});
    const time_t after = std::time(nullptr);

    ASSERT_EQ(result.outcome, TrashOutcome::kTrashed) << result.message;
    const std::string trash = root + "/card/.Trash-" + Uid();
    struct stat status {};
    ASSERT_EQ(::lstat(trash.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(ReadTextFile(trash + "/files/DSCF 100%.JPG"), "card picture");
    ExpectInfo(trash + "/info/DSCF 100%.JPG.trashinfo", "DCIM/100_FUJI/DSCF%20100%25.JPG", before, after);
    // Never the home trash for a file of another volume.
    EXPECT_FALSE(Exists(Home("files")));
}

TEST_F(TrashTest, ACardWithAStickyTrashUsesTheUserFolderInIt)
{
    const std::string picture = sandbox.WriteFile("card/DCIM/DSCF0001.JPG", "card picture");
    const std::string shared = sandbox.MakeFolder("card/.Trash");
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    Trasher trasher(Places());
    const TrashResult result = trasher.TrashUnit({picture});
    ASSERT_EQ(result.outcome, TrashOutcome::kTrashed) << result.message;
    EXPECT_EQ(ReadTextFile(shared + "/" + Uid() + "/files/DSCF0001.JPG"), "card picture");
    EXPECT_NE(ReadTextFile(shared + "/" + Uid() + "/info/DSCF0001.JPG.trashinfo").find("\nPath=DCIM/DSCF0001.JPG\n"),
              std::string::npos);
    EXPECT_FALSE(Exists(root + "/card/.Trash-" + Uid()));
}

TEST_F(TrashTest, ACardTrashThatIsNotStickyOrIsALinkIsIgnored)
{
    const std::string shared = sandbox.MakeFolder("card/.Trash");
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    const std::string picture = sandbox.WriteFile("card/DCIM/DSCF0001.JPG", "card picture");
    Trasher trasher(Places());
    ASSERT_EQ(trasher.TrashUnit({picture}).outcome, TrashOutcome::kTrashed);
    EXPECT_TRUE(FolderNames(shared).empty());
    EXPECT_EQ(ReadTextFile(root + "/card/.Trash-" + Uid() + "/files/DSCF0001.JPG"), "card picture");

    // A link to a sticky folder elsewhere is no shared trash either.
    const std::string other = sandbox.MakeFolder("other/.Trash");
    ASSERT_EQ(::chmod(other.c_str(), 01777), 0);
    const std::string second = sandbox.WriteFile("card2/DCIM/DSCF0002.JPG", "second");
    ASSERT_EQ(::symlink(other.c_str(), (root + "/card2/.Trash").c_str()), 0);
    TrashPlaces places = Places();
    const std::string card2 = root + "/card2";
    places.topdirOf = [card2](const std::string& real) { return real.rfind(card2 + "/", 0) == 0 ? card2 : FindVolumeTop(real); };
    Trasher linked(places);
    ASSERT_EQ(linked.TrashUnit({second}).outcome, TrashOutcome::kTrashed);
    EXPECT_TRUE(FolderNames(other).empty());
    EXPECT_EQ(ReadTextFile(card2 + "/.Trash-" + Uid() + "/files/DSCF0002.JPG"), "second");
}

TEST_F(TrashTest, ACardTrashOfAnotherUserIsNotUsed)
{
    // Anybody may make ".Trash-$uid" on a shared card to catch the files of user $uid.
    const std::string planted = sandbox.MakeFolder("card/.Trash-" + Uid());
    ASSERT_EQ(::chmod(planted.c_str(), 0777), 0);
    if (::chown(planted.c_str(), ::geteuid() == 0 ? 65534 : 0, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "cannot give a folder to another user";
    const std::string picture = sandbox.WriteFile("card/DCIM/DSCF0001.JPG", "card picture");
    Trasher trasher(Places());
    const TrashResult result = trasher.TrashUnit({picture});
    EXPECT_EQ(result.outcome, TrashOutcome::kNoTrash);
    EXPECT_EQ(result.message,
              "no trash possible on the volume " + root + "/card: " + planted + " is not a folder of this user");
    EXPECT_EQ(ReadTextFile(picture), "card picture");
    EXPECT_TRUE(FolderNames(planted).empty());
    EXPECT_FALSE(Exists(Home("files")));
}

TEST_F(TrashTest, ACardWithoutATrashSaysSoAndKeepsTheFile)
{
    // The card's top folder is locked, so no ".Trash-$uid" can be made there; the picture's own
    // folder is open, so only the missing trash stops the move.
    const std::string picture = sandbox.WriteFile("card/DCIM/DSCF0001.JPG", "card picture");
    ASSERT_EQ(::chmod(root.c_str(), 0777), 0);
    ASSERT_EQ(::chmod((root + "/card/DCIM").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(picture.c_str(), 0666), 0);
    ASSERT_EQ(::chmod((root + "/card").c_str(), 0555), 0);
    const TrashPlaces places = Places();
    const std::string card = root + "/card";
    const int code = RunAsPlainUser([&] {
        Trasher trasher(places);
        const TrashResult result = trasher.TrashUnit({picture});
        if (result.outcome != TrashOutcome::kNoTrash)
            return 1;
        if (result.message.find("no trash possible on the volume " + card) == std::string::npos)
            return 2;
        if (!result.vanished.empty() || !Exists(picture))
            return 3;
        // The second question was answered: now it goes for good.
        const DeleteResult deleted = PermanentlyDelete({picture});
        return deleted.Succeeded() && deleted.vanished == std::vector<std::string>{picture} ? 0 : 4;
    });
    ::chmod(card.c_str(), 0755);
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(Exists(picture));
    EXPECT_EQ(FolderNames(card), std::vector<std::string>{"DCIM"});
    EXPECT_FALSE(Exists(Home("files")));
}

TEST(TrashInfo, PathsAreEscapedByteByByte)
{
    EXPECT_EQ(EscapeTrashPath("/home/u/My Trip 100%/Café.JPG"), "/home/u/My%20Trip%20100%25/Caf%C3%A9.JPG");
    EXPECT_EQ(EscapeTrashPath("DCIM/a-b_c.d!e~f*g'h(i)"), "DCIM/a-b_c.d!e~f*g'h(i)");
    EXPECT_EQ(EscapeTrashPath("x#y?z&=+;:@$,[]\"<>\\^`{|}"),
              "x%23y%3Fz%26%3D%2B%3B%3A%40%24%2C%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D");
    EXPECT_EQ(EscapeTrashPath(std::string("a\nb\x7f\xff", 5)), "a%0Ab%7F%FF");
}

TEST(TrashInfo, TextHasTheThreeLinesWithTheLocalDate)
{
    const char* savedZone = std::getenv("TZ");
    const std::string saved = savedZone ? savedZone : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    // 2026-03-04 05:06:07 UTC.
    EXPECT_EQ(TrashInfoText("/p/日本 1.JPG", 1772600767),
              "[Trash Info]\nPath=/p/%E6%97%A5%E6%9C%AC%201.JPG\nDeletionDate=2026-03-04T05:06:07\n");
    if (savedZone)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST_F(TrashTest, PermanentDeleteRemovesTreesButNeverFollowsLinks)
{
    sandbox.WriteFile("pictures/100_FUJI/DSCF0001.JPG", "one");
    sandbox.WriteFile("pictures/100_FUJI/deep/er/DSCF0002.JPG", "two");
    const std::string outside = sandbox.WriteFile("outside/keep/DSCF0003.JPG", "three");
    ASSERT_EQ(::symlink((root + "/outside/keep").c_str(), (root + "/pictures/100_FUJI/link").c_str()), 0);
    const std::string single = sandbox.WriteFile("pictures/DSCF0004.JPG", "four");

    const DeleteResult result = PermanentlyDelete(
        {root + "/pictures/100_FUJI", single, root + "/pictures/missing.JPG", root + "/pictures/.."});
    EXPECT_EQ(result.vanished, (std::vector<std::string>{root + "/pictures/100_FUJI", single}));
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_NE(result.failures[0].find("missing.JPG"), std::string::npos) << result.failures[0];
    EXPECT_NE(result.failures[1].find("does not name a file or folder"), std::string::npos) << result.failures[1];
    EXPECT_TRUE(FolderNames(root + "/pictures").empty());
    EXPECT_EQ(ReadTextFile(outside), "three");
}

// A real second file system: an ext2 image mounted through a loop device. Needs the rights to
// mount; skipped elsewhere. Always unmounted again.
class TrashLoopVolume : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = RealPath(sandbox.Path());
        mountPoint = root + "/mnt";
        fs::create_directory(mountPoint);
        const std::string image = root + "/card.img";
        const std::string make = "truncate -s 4M '" + image + "' && mkfs.ext2 -q -F '" + image + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0)
            GTEST_SKIP() << "cannot make an ext2 image (mkfs.ext2)";
        if (std::system(("mount -o loop '" + image + "' '" + mountPoint + "' >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << "mounting a loop device is not allowed here";
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted && std::system(("umount '" + mountPoint + "'").c_str()) != 0)
            std::system(("umount -l '" + mountPoint + "'").c_str());
    }

    Sandbox sandbox;
    std::string root;
    std::string mountPoint;
    bool mounted = false;
};

TEST_F(TrashLoopVolume, TrashStaysOnTheCardAndAReadOnlyCardHasNone)
{
    fs::create_directories(mountPoint + "/DCIM/100_FUJI");
    const std::string picture = mountPoint + "/DCIM/100_FUJI/DSCF0001.JPG";
    const std::string memo = mountPoint + "/DCIM/100_FUJI/DSCF0001.WAV";
    for (const std::string& path : {picture, memo, mountPoint + "/DCIM/100_FUJI/DSCF0002.JPG"})
        ASSERT_EQ(std::system(("echo x > '" + path + "'").c_str()), 0);
    TrashPlaces places;
    places.homeTrash = root + "/data/Trash";
    places.topdirOf = FindVolumeTop;
    EXPECT_EQ(FindVolumeTop(picture), mountPoint);

    Trasher trasher(places);
    const TrashResult result = trasher.TrashUnit({picture, memo});
    ASSERT_EQ(result.outcome, TrashOutcome::kTrashed) << result.message;
    const std::string trash = mountPoint + "/.Trash-" + Uid();
    EXPECT_EQ(FolderNames(trash + "/files"), (std::vector<std::string>{"DSCF0001.JPG", "DSCF0001.WAV"}));
    EXPECT_NE(ReadTextFile(trash + "/info/DSCF0001.WAV.trashinfo").find("\nPath=DCIM/100_FUJI/DSCF0001.WAV\n"),
              std::string::npos);
    EXPECT_FALSE(Exists(root + "/data/Trash/files"));
    // The volume's top folder itself is no entry of any trash.
    EXPECT_EQ(trasher.TrashUnit({mountPoint}).outcome, TrashOutcome::kFailed);

    ASSERT_EQ(std::system(("mount -o remount,ro '" + mountPoint + "'").c_str()), 0);
    Trasher readOnly(places);
    const std::string third = mountPoint + "/DCIM/100_FUJI/DSCF0002.JPG";
    const TrashResult refused = readOnly.TrashUnit({third});
    EXPECT_EQ(refused.outcome, TrashOutcome::kNoTrash);
    EXPECT_EQ(refused.message, "no trash possible on the read-only volume " + mountPoint);
    EXPECT_TRUE(Exists(third));
    EXPECT_FALSE(Exists(root + "/data/Trash/files"));
}

TEST_F(TrashLoopVolume, ATrashOnAnotherFileSystemIsNeverUsed)
{
    // Told that the card's top is a folder of the main file system, the move cannot be a
    // rename: the picture must stay where it is rather than be copied and deleted.
    fs::create_directories(mountPoint + "/DCIM");
    const std::string picture = mountPoint + "/DCIM/DSCF0001.JPG";
    ASSERT_EQ(std::system(("echo x > '" + picture + "'").c_str()), 0);
    const std::string other = root + "/other";
    fs::create_directory(other);
    TrashPlaces places;
    places.homeTrash = root + "/data/Trash";
    const std::string top = mountPoint;
    places.topdirOf = [top, other](const std::string& real) {
        return real.rfind(top + "/", 0) == 0 ? other : FindVolumeTop(real);
    };
    Trasher trasher(places);
    const TrashResult result = trasher.TrashUnit({picture});
    EXPECT_EQ(result.outcome, TrashOutcome::kNoTrash);
    EXPECT_NE(result.message.find("no trash possible for " + picture), std::string::npos) << result.message;
    EXPECT_TRUE(result.vanished.empty());
    EXPECT_EQ(ReadTextFile(picture), "x\n");
    EXPECT_TRUE(FolderNames(other + "/.Trash-" + Uid() + "/files").empty());
    EXPECT_TRUE(FolderNames(other + "/.Trash-" + Uid() + "/info").empty());
}

} // namespace
