#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "files/delete_selection.h"
#include "files/folder_entries.h"
#include "framework/string_table.h"
#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"

namespace fs = std::filesystem;

namespace {

// Records every question and answers from a script (OK unless told otherwise).
struct ScriptedDialogs {
    std::vector<std::string> asked;
    std::vector<std::string> errors;
    std::vector<bool> answers; // in order; OK once they run out

    bool Answer()
    {
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    DeleteDialogs Dialogs()
    {
        DeleteDialogs dialogs;
        dialogs.confirm = [this](std::string_view key) {
            asked.emplace_back(key);
            return Answer();
        };
        dialogs.confirmText = [this](const std::string& text) {
            asked.push_back(text);
            return Answer();
        };
        dialogs.showError = [this](const std::string& text) { errors.push_back(text); };
        return dialogs;
    }
};

class DeleteSelectionTest : public ::testing::Test {
protected:
    DeleteSelectionTest()
        : root(fs::canonical(sandbox.Path()).string())
    {
    }
    // The questions that name a path are filled from the language texts.
    void SetUp() override { ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1); }

    // The home trash in the sandbox; "card" stands for a volume of its own.
    Trasher MakeTrasher() const
    {
        TrashPlaces places;
        places.homeTrash = root + "/data/Trash";
        const std::string card = root + "/card";
        places.topdirOf = [card](const std::string& real) {
            return real.rfind(card + "/", 0) == 0 ? card : FindVolumeTop(real);
        };
        return Trasher(places);
    }
    std::vector<std::string> Trashed() const { return FolderNames(root + "/data/Trash/files"); }

    Sandbox sandbox;
    std::string root;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(DeleteSelectionTest, APictureGoesToTheTrashWithItsMemoAndCompanion)
{
    const DeleteEntry entry{sandbox.WriteFile("pictures/DSCF0001.JPG", "j"), false,
                            sandbox.WriteFile("pictures/DSCF0001.WAV", "w"), sandbox.WriteFile("pictures/DSCF0001.rag", "r")};
    Trasher trasher = MakeTrasher();
    const DeleteSelectionResult result = DeleteEntries({entry}, dialogs.Dialogs(), trasher);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"ZORX_DeleteFiles"});
    EXPECT_EQ(result.vanished, (std::vector<std::string>{entry.path, entry.memoPath, entry.companionPath}));
    EXPECT_EQ(Trashed(), (std::vector<std::string>{"DSCF0001.JPG", "DSCF0001.WAV", "DSCF0001.rag"}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(DeleteSelectionTest, TheQuestionsComeInTheirOrderAndCancelChangesNothing)
{
    const std::string folder = sandbox.MakeFolder("pictures/Trip");
    sandbox.WriteFile("pictures/Trip/notes.txt", "t");
    const std::string other = sandbox.MakeFolder("pictures/Only pictures");
    sandbox.WriteFile("pictures/Only pictures/DSCF0002.JPG", "j");
    EXPECT_FALSE(HasUnsupportedFiles(other));
    EXPECT_TRUE(HasUnsupportedFiles(folder));

    // Only folders: the folders question, then the one about other files, asked once.
    const std::vector<DeleteEntry> folders{{other, true, "", ""}, {folder, true, "", ""}};
    dialogs.answers = {true, false};
    Trasher trasher = MakeTrasher();
    DeleteSelectionResult result = DeleteEntries(folders, dialogs.Dialogs(), trasher);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"ZORX_DeleteFoldersAndFiles", "ZORX_DeleteNonSupportFiles"}));
    EXPECT_TRUE(fs::exists(folder) && fs::exists(other));

    // A folder and a picture: the files question; Cancel at once.
    dialogs.asked.clear();
    dialogs.answers = {false};
    const std::string picture = sandbox.WriteFile("pictures/DSCF0003.JPG", "j");
    result = DeleteEntries({{folder, true, "", ""}, {picture, false, "", ""}}, dialogs.Dialogs(), trasher);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"ZORX_DeleteFiles"});
    EXPECT_TRUE(fs::exists(picture));
    EXPECT_TRUE(Trashed().empty());
}

TEST_F(DeleteSelectionTest, ReadOnlyMembersAreAskedAboutAndADeclinedPictureKeepsItsCompanions)
{
    const std::string folder = sandbox.MakeFolder("pictures");
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0); // nobody deletes in it
    const std::string locked = sandbox.WriteFile("pictures/DSCF0001.JPG", "j");
    const std::string lockedMemo = sandbox.WriteFile("pictures/DSCF0001.WAV", "w");
    const std::string free = sandbox.WriteFile("pictures/DSCF0002.JPG", "j");
    const std::string freeMemo = sandbox.WriteFile("pictures/DSCF0002.WAV", "w");
    // The plain user may write what is not locked.
    for (const std::string& path : {lockedMemo, free})
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(freeMemo.c_str(), 0444), 0);
    const std::string trash = root + "/data";
    ASSERT_EQ(::chmod(root.c_str(), 0777), 0);
    const std::string home = root;
    const int code = RunAsPlainUser([&] {
        ScriptedDialogs script;
        script.answers = {true, false, false}; // delete?, the locked picture: no, the locked memo: no
        TrashPlaces places;
        places.homeTrash = trash + "/Trash";
        places.topdirOf = [home](const std::string&) { return home; };
        Trasher trasher(places);
        const DeleteSelectionResult result = DeleteEntries(
            {{locked, false, lockedMemo, ""}, {free, false, freeMemo, ""}}, script.Dialogs(), trasher);
        if (script.asked.size() != 3)
            return 10 + static_cast<int>(script.asked.size());
        if (script.asked[1].find(locked) == std::string::npos || script.asked[2].find(freeMemo) == std::string::npos)
            return 1;
        return result.vanished == std::vector<std::string>{free} ? 0 : 2;
    });
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as a plain user";
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_TRUE(fs::exists(lockedMemo)); // travels with its declined picture
    EXPECT_FALSE(fs::exists(free));
    EXPECT_TRUE(fs::exists(freeMemo)); // declined alone
}

TEST_F(DeleteSelectionTest, WithoutATrashOnlyASecondQuestionDeletesForGood)
{
    sandbox.WriteFile("card/.Trash-" + std::to_string(::geteuid()), "a file where the trash would be");
    const std::string picture = sandbox.WriteFile("card/DCIM/DSCF0001.JPG", "j");
    const std::string memo = sandbox.WriteFile("card/DCIM/DSCF0001.WAV", "w");
    Trasher trasher = MakeTrasher();
    dialogs.answers = {true, false};
    DeleteSelectionResult result = DeleteEntries({{picture, false, memo, ""}}, dialogs.Dialogs(), trasher);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_NE(dialogs.asked[1].find(picture), std::string::npos);
    EXPECT_NE(dialogs.asked[1].find(memo), std::string::npos);
    EXPECT_TRUE(result.vanished.empty());
    EXPECT_TRUE(fs::exists(picture) && fs::exists(memo));
    EXPECT_TRUE(dialogs.errors.empty());

    dialogs.asked.clear();
    dialogs.answers = {true, true};
    result = DeleteEntries({{picture, false, memo, ""}}, dialogs.Dialogs(), trasher);
    EXPECT_EQ(result.vanished, (std::vector<std::string>{picture, memo}));
    EXPECT_FALSE(fs::exists(picture) || fs::exists(memo));
}

TEST_F(DeleteSelectionTest, WhatCouldNotBeDeletedIsReportedAndTheRestIsKeptDeleted)
{
    const std::string picture = sandbox.WriteFile("pictures/DSCF0001.JPG", "j");
    const std::string gone = root + "/pictures/DSCF0009.JPG"; // vanished since the listing
    Trasher trasher = MakeTrasher();
    const DeleteSelectionResult result
        = DeleteEntries({{gone, false, "", ""}, {picture, false, "", ""}}, dialogs.Dialogs(), trasher);
    EXPECT_EQ(result.vanished, std::vector<std::string>{picture});
    ASSERT_EQ(result.failures.size(), 1u);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors.front().find(gone), std::string::npos) << dialogs.errors.front();
}
