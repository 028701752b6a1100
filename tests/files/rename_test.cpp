#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/rename_rules.h"
#include "files/unit_rename.h"
#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "framework/string_table.h"
#include "library/item_list.h"

namespace {

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// Facts of a plain file in an ordinary folder where only `taken` exists.
RenameFacts FileFacts(std::vector<std::string> taken = {})
{
    RenameFacts facts;
    facts.entryExists = [taken = std::move(taken)](const std::string& path) {
        for (const std::string& name : taken) {
            if (path == "/photos/" + name)
                return true;
        }
        return false;
    };
    return facts;
}

std::vector<std::string_view> QuestionKeys(const RenameVerdict& verdict)
{
    std::vector<std::string_view> keys;
    for (const RenameMessage& question : verdict.questions)
        keys.push_back(question.key);
    return keys;
}

class RenameRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
    }

    static void ExpectRefused(const RenameVerdict& verdict, std::string_view key)
    {
        EXPECT_EQ(verdict.outcome, RenameOutcome::Refused);
        EXPECT_EQ(verdict.error.key, key);
        EXPECT_EQ(verdict.error.titleKey, "COMMON_Error");
        EXPECT_EQ(verdict.error.text, GetText(key));
        EXPECT_FALSE(verdict.error.text.empty());
    }
};

} // namespace

TEST_F(RenameRules, AnUnchangedNameIsNothingToDoButACaseChangeIsARename)
{
    EXPECT_EQ(CheckRename("/photos", "photo1.JPG", "photo1.JPG", FileFacts()).outcome,
              RenameOutcome::NothingToDo);
    const RenameVerdict verdict = CheckRename("/photos", "photo1.JPG", "PHOTO1.JPG", FileFacts());
    EXPECT_EQ(verdict.outcome, RenameOutcome::Rename);
    EXPECT_EQ(verdict.newName, "PHOTO1.JPG");
    EXPECT_EQ(verdict.newPath, "/photos/PHOTO1.JPG");
}

TEST_F(RenameRules, FilesKeepTheirExtensionAndFoldersTheTypedName)
{
    EXPECT_EQ(CheckRename("/photos", "photo1.JPG", "Holiday.png", FileFacts()).newName, "Holiday.JPG");
    EXPECT_EQ(CheckRename("/photos", "photo1.JPG", "Holiday", FileFacts()).newName, "Holiday.JPG");
    EXPECT_EQ(CheckRename("/photos", "photo1.JPG", "a.b.tif", FileFacts()).newName, "a.b.JPG");
    // The adjusted name equals the old one: no message at all.
    const RenameVerdict same = CheckRename("/photos", "photo1.JPG", "photo1.jpeg", FileFacts());
    EXPECT_EQ(same.outcome, RenameOutcome::NothingToDo);
    EXPECT_TRUE(same.questions.empty());

    RenameFacts folder = FileFacts();
    folder.isFolder = true;
    const RenameVerdict trip = CheckRename("/photos", "Trip.2006", "Trip.2007", folder);
    EXPECT_EQ(trip.outcome, RenameOutcome::Rename);
    EXPECT_EQ(trip.newPath, "/photos/Trip.2007");
}

TEST_F(RenameRules, AnEmptyNameIsRefusedBeforeTheCameraQuestion)
{
    RenameFacts facts = FileFacts();
    facts.cameraFolder = true;
    const RenameVerdict verdict = CheckRename("/photos", "DSCF0001.JPG", "", facts);
    ExpectRefused(verdict, "ZORX_EnterFileName");
    EXPECT_TRUE(verdict.questions.empty());
}

TEST_F(RenameRules, TheCameraQuestionComesBeforeEveryLaterRule)
{
    RenameFacts facts = FileFacts({"Taken.JPG"});
    facts.cameraFolder = true;
    facts.readOnly = true;
    using Keys = std::vector<std::string_view>;
    const Keys camera{"ZORX_FilesWontBeAbleToPlaybackOnCameraOK?"};

    const RenameVerdict same = CheckRename("/photos", "DSCF0001.JPG", "DSCF0001.jpeg", facts);
    EXPECT_EQ(same.outcome, RenameOutcome::NothingToDo);
    EXPECT_EQ(QuestionKeys(same), camera);

    const RenameVerdict illegal = CheckRename("/photos", "DSCF0001.JPG", "a?b", facts);
    ExpectRefused(illegal, "ZORX_FileNameIncludesIllegalCharacter");
    EXPECT_EQ(QuestionKeys(illegal), camera);

    const RenameVerdict taken = CheckRename("/photos", "DSCF0001.JPG", "Taken", facts);
    ExpectRefused(taken, "ZORX_ExistSameNameFileOrFolder");
    EXPECT_EQ(QuestionKeys(taken), camera);

    const RenameVerdict locked = CheckRename("/photos", "DSCF0001.JPG", "Trip", facts);
    EXPECT_EQ(locked.outcome, RenameOutcome::Rename);
    EXPECT_EQ(QuestionKeys(locked),
              (Keys{"ZORX_FilesWontBeAbleToPlaybackOnCameraOK?", "ZORX_FileIsLockedOK?"}));
    EXPECT_EQ(locked.questions[0].titleKey, "COMMON_Warning");
    EXPECT_EQ(locked.questions[0].text, GetText("ZORX_FilesWontBeAbleToPlaybackOnCameraOK?"));
}

TEST_F(RenameRules, TheLengthLimitIsCountedInBytesOfTheAdjustedName)
{
    EXPECT_EQ(CheckRename("/photos", "a.JPG", std::string(195, 'x') + ".png", FileFacts()).outcome,
              RenameOutcome::Rename); // 195 + ".JPG" = 199
    ExpectRefused(CheckRename("/photos", "a.JPG", std::string(196, 'x'), FileFacts()),
                  "ZORX_FileNameIsTooLong");

    RenameFacts folder = FileFacts();
    folder.isFolder = true;
    EXPECT_EQ(CheckRename("/photos", "Trip", std::string(199, 'x'), folder).outcome, RenameOutcome::Rename);
    ExpectRefused(CheckRename("/photos", "Trip", std::string(200, 'x'), folder), "ZORX_FileNameIsTooLong");
    std::string accented;
    for (int i = 0; i < 100; ++i)
        accented += "\xC3\xA9"; // 100 characters, 200 bytes
    ExpectRefused(CheckRename("/photos", "Trip", accented, folder), "ZORX_FileNameIsTooLong");
}

TEST_F(RenameRules, EachOfTheNineIllegalCharactersIsRefused)
{
    RenameFacts folder = FileFacts();
    folder.isFolder = true;
    for (const char c : std::string_view("\\/:*?\"<>|")) {
        SCOPED_TRACE(std::string(1, c));
        ExpectRefused(CheckRename("/photos", "Trip", std::string("Trip") + c + "2007", folder),
                      "ZORX_FileNameIncludesIllegalCharacter");
    }
    // A dot or a space is allowed.
    EXPECT_EQ(CheckRename("/photos", "Trip", "Trip 2007.summer", folder).outcome, RenameOutcome::Rename);
}

TEST_F(RenameRules, ANameBreakingTwoRulesGetsTheFirstRulesMessage)
{
    RenameFacts facts = FileFacts({std::string(250, '?') + ".JPG", "Taken?.JPG"});
    facts.readOnly = true;
    ExpectRefused(CheckRename("/photos", "a.JPG", std::string(250, '?'), facts), "ZORX_FileNameIsTooLong");
    ExpectRefused(CheckRename("/photos", "a.JPG", "Taken?", facts), "ZORX_FileNameIncludesIllegalCharacter");
    // Taken and read-only: the refusal, without the read-only question.
    RenameFacts taken = FileFacts({"Taken.JPG"});
    taken.readOnly = true;
    const RenameVerdict verdict = CheckRename("/photos", "a.JPG", "Taken", taken);
    ExpectRefused(verdict, "ZORX_ExistSameNameFileOrFolder");
    EXPECT_TRUE(verdict.questions.empty());
}

TEST_F(RenameRules, TheReadOnlyQuestionNamesTheOldPath)
{
    RenameFacts facts = FileFacts();
    facts.readOnly = true;
    const RenameVerdict verdict = CheckRename("/photos", "a.JPG", "b", facts);
    EXPECT_EQ(verdict.outcome, RenameOutcome::Rename);
    ASSERT_EQ(verdict.questions.size(), 1u);
    EXPECT_EQ(verdict.questions[0].key, "ZORX_FileIsLockedOK?");
    EXPECT_EQ(verdict.questions[0].text.find("/photos/a.JPG\n"), 0u);
    EXPECT_EQ(verdict.questions[0].text.find("%s"), std::string::npos);
}

TEST_F(RenameRules, TheFactsComeFromTheDisk)
{
    Sandbox sandbox;
    sandbox.WriteFile("a.JPG", "a");
    sandbox.WriteFile("B.JPG", "b");
    sandbox.MakeFolder("Trip");
    const std::string folder = sandbox.Path();
    ExpectRefused(CheckRename(folder, "a.JPG", "B.png", ReadRenameFacts(folder, "a.JPG")),
                  "ZORX_ExistSameNameFileOrFolder");
    // A dangling link takes the name too: renaming over it would replace it.
    ASSERT_EQ(::symlink("nowhere", (sandbox / "C.JPG").c_str()), 0);
    ExpectRefused(CheckRename(folder, "a.JPG", "C", ReadRenameFacts(folder, "a.JPG")),
                  "ZORX_ExistSameNameFileOrFolder");
    const RenameFacts trip = ReadRenameFacts(folder, "Trip");
    EXPECT_TRUE(trip.isFolder);
    EXPECT_FALSE(trip.cameraFolder);
    EXPECT_EQ(CheckRename(folder, "Trip", "Trip.2007", trip).newName, "Trip.2007");
    EXPECT_FALSE(ReadRenameFacts(folder, "a.JPG").isFolder);
}

TEST_F(RenameRules, AnEntryThePlainUserMayNotWriteIsReadOnly)
{
    Sandbox sandbox;
    const std::string locked = sandbox.WriteFile("locked.JPG", "a");
    const std::string open = sandbox.WriteFile("open.JPG", "a");
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    const int result = RunAsPlainUser([&] {
        if (!ReadRenameFacts(sandbox.Path(), "locked.JPG").readOnly)
            return 1;
        if (ReadRenameFacts(sandbox.Path(), "open.JPG").readOnly)
            return 2;
        // A vanished entry is not read-only: the rename itself reports it.
        return ReadRenameFacts(sandbox.Path(), "gone.JPG").readOnly ? 3 : 0;
    });
    if (result == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(result, 0);
}

TEST(RenameCameraFolder, WarnsOnlyDirectlyInACardsDcimFolderWithAnUnderscore)
{
    Sandbox card;
    const std::string root = card.Path();
    const MountPointTest isCard
        = [root](const std::string& folder) { return folder == root || folder == "/"; };
    EXPECT_TRUE(IsCameraCardFolder(card.MakeFolder("DCIM/100_ABCD"), isCard));
    EXPECT_TRUE(IsCameraCardFolder(root + "/DCIM/100_ABCD/", isCard));
    EXPECT_FALSE(IsCameraCardFolder(card.MakeFolder("DCIM/100ABCDE"), isCard));
    EXPECT_FALSE(IsCameraCardFolder(card.MakeFolder("DCIM"), isCard));
    EXPECT_FALSE(IsCameraCardFolder(root, isCard));
    EXPECT_FALSE(IsCameraCardFolder(card.MakeFolder("Backup/DCIM/100_ABCD"), isCard));
    EXPECT_FALSE(IsCameraCardFolder(card.MakeFolder("DCIM2/100_ABCD"), isCard));
    // Only the nearest mount point is the card: a copy on the system disk does not warn.
    const MountPointTest rootOnly = [](const std::string& folder) { return folder == "/"; };
    EXPECT_FALSE(IsCameraCardFolder(root + "/DCIM/100_ABCD", rootOnly));
}

namespace {

// A listed folder: the item list attaches the memos and companions as the views see them.
class UnitRename : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
    }

    std::string Write(const std::string& name, const std::string& content = "x") const
    {
        return sandbox.WriteFile(name, content);
    }

    MediaItem& Listed(const std::string& name)
    {
        list.ChangeFolder(sandbox.Path());
        for (MediaItem& item : list.Items()) {
            if (item.fileName == name)
                return item;
        }
        ADD_FAILURE() << name << " is not listed";
        static MediaItem none;
        return none;
    }

    std::vector<std::string> FolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(sandbox.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    Sandbox sandbox;
    ItemList list;
};

using Names = std::vector<std::string>;

// The real renamer, with a hook that runs before the n-th call (1-based) and calls that fail.
struct ScriptedRenamer {
    std::vector<RenamedPath> calls;
    std::vector<size_t> failing;
    size_t hookBefore = 0;
    std::function<void()> hook;

    Renamer Get()
    {
        return [this](const std::string& from, const std::string& to) {
            calls.push_back({from, to});
            if (calls.size() == hookBefore && hook)
                hook();
            if (std::find(failing.begin(), failing.end(), calls.size()) != failing.end())
                return EIO;
            return RenameNoReplace(from, to);
        };
    }
};

} // namespace

TEST_F(UnitRename, TheMemoTravelsWithItsOwnExtensionCase)
{
    Write("DSCF0001.JPG");
    Write("DSCF0001.WAV", "memo");
    Write("dscf0002.jpg");
    Write("dscf0002.wav", "memo2");
    const MediaItem& first = Listed("DSCF0001.JPG");
    ASSERT_TRUE(first.hasSoundMemo);
    UnitRenameResult result = RenameUnit(UnitRenameRequestForItem(first, "TRIP0001.JPG"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.renamed,
              (std::vector<RenamedPath>{{sandbox / "DSCF0001.JPG", sandbox / "TRIP0001.JPG"},
                                        {sandbox / "DSCF0001.WAV", sandbox / "TRIP0001.WAV"}}));
    result = RenameUnit(UnitRenameRequestForItem(Listed("dscf0002.jpg"), "TRIP0002.jpg"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(FolderNames(), (Names{"TRIP0001.JPG", "TRIP0001.WAV", "TRIP0002.jpg", "TRIP0002.wav"}));
    EXPECT_EQ(ReadTextFile(sandbox / "TRIP0001.WAV"), "memo");
}

TEST_F(UnitRename, EachPictureTakesOnlyItsOwnCompanions)
{
    Write("DSCF0001.JPG");
    Write("DSCF0001.RAF");
    Write("DSCF0001.WAV");
    Write("DSCF0001.rag");
    // The JPEG holds the memo, the RAW picture the .rag file.
    ASSERT_TRUE(RenameUnit(UnitRenameRequestForItem(Listed("DSCF0001.JPG"), "TRIP0001.JPG")).Ok());
    EXPECT_EQ(FolderNames(), (Names{"DSCF0001.RAF", "DSCF0001.rag", "TRIP0001.JPG", "TRIP0001.WAV"}));
    const MediaItem& raw = Listed("DSCF0001.RAF");
    ASSERT_TRUE(raw.hasRawCompanion);
    EXPECT_FALSE(raw.hasSoundMemo);
    ASSERT_TRUE(RenameUnit(UnitRenameRequestForItem(raw, "RAW0001.RAF")).Ok());
    EXPECT_EQ(FolderNames(), (Names{"RAW0001.RAF", "RAW0001.rag", "TRIP0001.JPG", "TRIP0001.WAV"}));
}

TEST_F(UnitRename, AFolderIsRenamedAloneNotTheSoundBesideIt)
{
    sandbox.MakeFolder("Trip");
    Write("Trip/inside.JPG");
    Write("Trip.wav");
    Write("Trip.rag");
    const UnitRenameResult result = RenameUnit(UnitRenameRequestForItem(Listed("Trip"), "Holiday"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.renamed.size(), 1u);
    EXPECT_EQ(FolderNames(), (Names{"Holiday", "Trip.rag", "Trip.wav"}));
    EXPECT_TRUE(Exists(sandbox / "Holiday/inside.JPG"));
    // Even a request that names companions leaves them where they are for a folder.
    UnitRenameRequest request{sandbox / "Holiday", "Trip", true, {sandbox / "Trip.wav"}};
    ASSERT_TRUE(RenameUnit(request).Ok());
    EXPECT_EQ(FolderNames(), (Names{"Trip", "Trip.rag", "Trip.wav"}));
}

TEST_F(UnitRename, ATakenCompanionTargetRefusesBeforeAnythingIsRenamed)
{
    Write("A.JPG", "picture");
    Write("A.WAV", "memo");
    Write("B.WAV", "lone sound");
    ScriptedRenamer renamer;
    const UnitRenameResult result
        = RenameUnit(UnitRenameRequestForItem(Listed("A.JPG"), "B.JPG"), renamer.Get());
    EXPECT_EQ(result.status, UnitRenameStatus::TargetExists);
    EXPECT_EQ(result.failed, (RenamedPath{sandbox / "A.WAV", sandbox / "B.WAV"}));
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_TRUE(renamer.calls.empty());
    EXPECT_EQ(FolderNames(), (Names{"A.JPG", "A.WAV", "B.WAV"}));
    EXPECT_EQ(ReadTextFile(sandbox / "B.WAV"), "lone sound");
    EXPECT_EQ(UnitRenameFailureMessage(result).key, "ZORX_ExistSameNameFileOrFolder");
}

TEST_F(UnitRename, TargetsThatMeetIgnoringCaseCollide)
{
    const std::string picture = Write("A.JPG");
    const std::string upper = Write("A.WAV");
    const std::string lower = Write("a.wav");
    ScriptedRenamer renamer;
    const UnitRenameResult result = RenameUnit({picture, "B.JPG", false, {upper, lower}}, renamer.Get());
    EXPECT_EQ(result.status, UnitRenameStatus::TargetsCollide);
    EXPECT_EQ(result.failed.to, sandbox / "B.wav");
    EXPECT_TRUE(renamer.calls.empty());
    EXPECT_EQ(FolderNames(), (Names{"A.JPG", "A.WAV", "a.wav"}));
}

TEST_F(UnitRename, AMissingEntryOrCompanion)
{
    const std::string picture = Write("A.JPG");
    EXPECT_EQ(RenameUnit({sandbox / "gone.JPG", "B.JPG", false, {}}).status, UnitRenameStatus::EntryMissing);
    // A memo deleted since the listing has nothing to rename; the item forgets it.
    Write("A.WAV");
    MediaItem item = std::move(Listed("A.JPG"));
    ASSERT_EQ(::unlink((sandbox / "A.WAV").c_str()), 0);
    const UnitRenameResult result = RenameUnit(UnitRenameRequestForItem(item, "B.JPG"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.renamed.size(), 1u);
    UpdateRenamedItem(item, result);
    EXPECT_EQ(item.fullPath, sandbox / "B.JPG");
    EXPECT_FALSE(item.hasSoundMemo);
    EXPECT_TRUE(item.soundMemoPath.empty());
}

TEST_F(UnitRename, AFailurePartWayUndoesTheDoneRenamesInReverseOrder)
{
    Write("DSCF0001.RAF", "raw");
    Write("DSCF0001.WAV", "memo");
    Write("DSCF0001.RAG", "companion");
    const MediaItem& raw = Listed("DSCF0001.RAF");
    ASSERT_TRUE(raw.hasSoundMemo && raw.hasRawCompanion);
    ScriptedRenamer renamer;
    renamer.failing = {3};
    const UnitRenameResult result = RenameUnit(UnitRenameRequestForItem(raw, "TRIP0001.RAF"), renamer.Get());
    EXPECT_EQ(result.status, UnitRenameStatus::Failed);
    EXPECT_EQ(result.failed, (RenamedPath{sandbox / "DSCF0001.RAG", sandbox / "TRIP0001.RAG"}));
    EXPECT_EQ(result.error, EIO);
    EXPECT_TRUE(result.renamed.empty());
    EXPECT_TRUE(result.stranded.empty());
    ASSERT_EQ(renamer.calls.size(), 5u);
    EXPECT_EQ(renamer.calls[3], (RenamedPath{sandbox / "TRIP0001.WAV", sandbox / "DSCF0001.WAV"}));
    EXPECT_EQ(renamer.calls[4], (RenamedPath{sandbox / "TRIP0001.RAF", sandbox / "DSCF0001.RAF"}));
    EXPECT_EQ(FolderNames(), (Names{"DSCF0001.RAF", "DSCF0001.RAG", "DSCF0001.WAV"}));
    EXPECT_EQ(ReadTextFile(sandbox / "DSCF0001.WAV"), "memo");
    const RenameMessage message = UnitRenameFailureMessage(result);
    EXPECT_EQ(message.key, "ZORX_DiskOrFolderIsWriteProtected");
    EXPECT_EQ(message.text, GetText("ZORX_DiskOrFolderIsWriteProtected"));
}

TEST_F(UnitRename, ATargetTakenAfterTheChecksIsNeverReplaced)
{
    Write("A.JPG", "picture");
    Write("A.WAV", "memo");
    ScriptedRenamer renamer;
    // Someone writes B.WAV between the checks and the memo's rename.
    renamer.hookBefore = 2;
    renamer.hook = [&] { Write("B.WAV", "newcomer"); };
    const UnitRenameResult result
        = RenameUnit(UnitRenameRequestForItem(Listed("A.JPG"), "B.JPG"), renamer.Get());
    EXPECT_EQ(result.status, UnitRenameStatus::Failed);
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_EQ(FolderNames(), (Names{"A.JPG", "A.WAV", "B.WAV"}));
    EXPECT_EQ(ReadTextFile(sandbox / "B.WAV"), "newcomer");
    EXPECT_EQ(ReadTextFile(sandbox / "A.JPG"), "picture");
}

TEST_F(UnitRename, AFailedRollbackIsReportedWithItsPaths)
{
    Write("A.JPG", "picture");
    Write("A.WAV", "memo");
    Write("A.RAF");
    Write("A.rag");
    ScriptedRenamer renamer;
    renamer.failing = {2, 3}; // the memo's rename, then the picture's way back
    const UnitRenameResult result
        = RenameUnit(UnitRenameRequestForItem(Listed("A.JPG"), "B.JPG"), renamer.Get());
    EXPECT_EQ(result.status, UnitRenameStatus::RollbackFailed);
    EXPECT_EQ(result.failed, (RenamedPath{sandbox / "A.WAV", sandbox / "B.WAV"}));
    const std::vector<RenamedPath> stranded{{sandbox / "A.JPG", sandbox / "B.JPG"}};
    EXPECT_EQ(result.stranded, stranded);
    EXPECT_EQ(result.renamed, stranded);
    EXPECT_EQ(FolderNames(), (Names{"A.RAF", "A.WAV", "A.rag", "B.JPG"}));
    const RenameMessage message = UnitRenameFailureMessage(result);
    EXPECT_EQ(message.key, "ZORX_DiskOrFolderIsWriteProtected");
    EXPECT_EQ(message.text,
              GetText("ZORX_DiskOrFolderIsWriteProtected") + "\n\n" + sandbox / "A.JPG" + " -> "
                  + sandbox / "B.JPG");
}

TEST_F(UnitRename, ACompanionInAFolderThePlainUserMayNotWriteRollsBack)
{
    const std::string open = sandbox.MakeFolder("open");
    const std::string locked = sandbox.MakeFolder("locked");
    const std::string picture = Write("open/A.JPG", "picture");
    const std::string memo = Write("locked/A.WAV", "memo");
    for (const std::string& path : {sandbox.Path(), open})
        ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const int code = RunAsPlainUser([&] {
        const UnitRenameResult result = RenameUnit({picture, "B.JPG", false, {memo}});
        if (result.status != UnitRenameStatus::Failed || result.error != EACCES)
            return 1;
        return Exists(picture) && Exists(memo) && !Exists(open + "/B.JPG") ? 0 : 2;
    });
    ::chmod(locked.c_str(), 0755);
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadTextFile(picture), "picture");
}

TEST(UnitRenameSystemCalls, NeitherWayReplacesAnExistingEntry)
{
    Sandbox sandbox;
    const std::string a = sandbox.WriteFile("a", "first");
    const std::string b = sandbox.WriteFile("b", "second");
    EXPECT_EQ(RenameNoReplace(a, b), EEXIST);
    EXPECT_EQ(RenameByLink(a, b), EEXIST);
    EXPECT_EQ(ReadTextFile(b), "second");
    EXPECT_EQ(ReadTextFile(a), "first");

    EXPECT_EQ(RenameByLink(a, sandbox / "c"), 0);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(ReadTextFile(sandbox / "c"), "first");
    EXPECT_EQ(RenameNoReplace(sandbox / "c", a), 0);
    EXPECT_EQ(ReadTextFile(a), "first");

    const std::string folder = sandbox.MakeFolder("folder");
    EXPECT_EQ(RenameByLink(folder, sandbox / "other"), EPERM);
    EXPECT_TRUE(Exists(folder));
    EXPECT_EQ(RenameNoReplace(folder, sandbox / "other"), 0);
    EXPECT_EQ(RenameNoReplace(sandbox / "missing", sandbox / "d"), ENOENT);
}

TEST(UnitRenameTargets, CompanionsKeepTheirOwnExtension)
{
    EXPECT_EQ(CompanionTarget("/card/DSCF0001.WAV", "TRIP0001.JPG"), "/card/TRIP0001.WAV");
    EXPECT_EQ(CompanionTarget("/card/dscf0001.rag", "Trip.2007.RAF"), "/card/Trip.2007.rag");
    EXPECT_EQ(CompanionTarget("DSCF0001.wav", "x.JPG"), "x.wav");
}

TEST(UnitRenameItems, TheRenamedItemIsFoundAndUpdatedInPlace)
{
    std::vector<MediaItem> items(3);
    items[0].fileName = "A.JPG";
    items[0].fullPath = "/one/A.JPG";
    items[1].fileName = "A.JPG";
    items[1].fullPath = "/two/A.JPG";
    items[1].hasSoundMemo = true;
    items[1].soundMemoPath = "/two/a.wav";
    items[1].detail = std::make_unique<MediaItemDetail>();
    items[1].detail->hasSoundMemo = true;
    items[2].fileName = "B.RAF";
    items[2].fullPath = "/one/B.RAF";

    // Period mode lists several folders: the full path decides.
    EXPECT_EQ(FindRenamedItem(items, "/two/A.JPG", true), 1);
    EXPECT_EQ(FindRenamedItem(items, "/two/B.RAF", true), -1);
    EXPECT_EQ(FindRenamedItem(items, "/one/B.RAF", false), 2);

    UnitRenameResult result;
    result.renamed = {{"/two/A.JPG", "/two/Trip.JPG"}, {"/two/a.wav", "/two/Trip.wav"}};
    UpdateRenamedItem(items[1], result);
    EXPECT_EQ(items[1].fileName, "Trip.JPG");
    EXPECT_EQ(items[1].fullPath, "/two/Trip.JPG");
    EXPECT_EQ(items[1].Text(ItemText::Name), "Trip.JPG");
    EXPECT_EQ(items[1].soundMemoPath, "/two/Trip.wav");
    EXPECT_TRUE(items[1].hasSoundMemo);
    EXPECT_TRUE(items[1].detail->hasSoundMemo);
    // An item the result does not name is left alone.
    UpdateRenamedItem(items[0], result);
    EXPECT_EQ(items[0].fullPath, "/one/A.JPG");
}
