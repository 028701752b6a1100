#include <gtest/gtest.h>

#include <string>

#include "files/folder_history.h"
#include "fixtures/sandbox.h"
#include "shell/item_id_list.h"
#include "shell/settings_store.h"

namespace {

class FolderHistoryTest : public ::testing::Test {
protected:
    void SetUp() override { UseSettingsFile(sandbox / "settings.reg"); }
    void TearDown() override { UseSettingsFile(SettingsStore::DefaultFilePath()); }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const FolderLink& entry : ReadStoredHistory())
            names.push_back(entry.name);
        return names;
    }

    Sandbox sandbox;
};

} // namespace

TEST_F(FolderHistoryTest, TheLatestFolderComesFirstOnceAndAnOlderOneWithItsNameGoes)
{
    const std::string a = sandbox.MakeFolder("a/DCIM");
    const std::string b = sandbox.MakeFolder("b/DCIM");
    const std::string c = sandbox.MakeFolder("c");
    AddToHistory(a, "DCIM");
    AddToHistory(c, "c");
    AddToHistory(c, "c");
    EXPECT_EQ(Names(), (std::vector<std::string>{"c", "DCIM"}));
    // Two cards with the same label count as one: the older entry goes.
    AddToHistory(b, "DCIM");
    EXPECT_EQ(Names(), (std::vector<std::string>{"DCIM", "c"}));
    EXPECT_EQ(ExistingFolderOf(ReadStoredHistory().front()), b);
}

TEST_F(FolderHistoryTest, AtMostTwentyEntriesWhateverTheStoredSizeSays)
{
    for (int i = 1; i <= 21; ++i)
        AddToHistory(sandbox.MakeFolder("f" + std::to_string(i)), "f" + std::to_string(i));
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names.front(), "f21");
    EXPECT_EQ(names.back(), "f2"); // the oldest dropped
    RegistryWriteDword("History\\Size", 35);
    EXPECT_EQ(ReadStoredHistory().size(), 20u);
    RegistryWriteDword("Bookmark\\Size", 500);
    EXPECT_EQ(ReadStoredBookmarks().size(), static_cast<size_t>(kMaxBookmarks));
}

TEST_F(FolderHistoryTest, LinksThatDoNotNameAnExistingFolderAreNotFound)
{
    const std::string folder = sandbox.MakeFolder("card");
    const std::string link = EncodeHex(EncodeItemIdList(folder));
    EXPECT_EQ(ExistingFolderOf({"card", link}), folder);
    std::string upper = link;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ExistingFolderOf({"card", upper}), std::nullopt);
    EXPECT_EQ(ExistingFolderOf({"odd", link.substr(0, link.size() - 1)}), std::nullopt);
    EXPECT_EQ(ExistingFolderOf({"short record", "0100"}), std::nullopt);
    EXPECT_EQ(ExistingFolderOf({"gone", EncodeHex(EncodeItemIdList(folder + "/missing"))}), std::nullopt);
}

TEST_F(FolderHistoryTest, BookmarkNamesWithEqualsSignsAndNewlinesSurviveTheSettingsFile)
{
    const std::string folder = sandbox.MakeFolder("trip");
    RegistryWriteDword("Bookmark\\Size", 1);
    RegistryWriteString("Bookmark\\001\\Name", "a=b\nsecond line");
    RegistryWriteString("Bookmark\\001\\Link", EncodeHex(EncodeItemIdList(folder)));
    UseSettingsFile(sandbox / "settings.reg"); // read back from the file
    const std::vector<FolderLink> bookmarks = ReadStoredBookmarks();
    ASSERT_EQ(bookmarks.size(), 1u);
    EXPECT_EQ(bookmarks.front().name, "a=b\nsecond line");
    EXPECT_EQ(ExistingFolderOf(bookmarks.front()), folder);
}

TEST(NavigationTrail, BackAndForwardWalkTheVisitsAndANewVisitDropsWhatLayAhead)
{
    NavigationTrail trail;
    EXPECT_FALSE(trail.CanGoBack());
    trail.Visit("/a");
    trail.Visit("/b");
    trail.Visit("/b");
    trail.Visit("/c");
    EXPECT_EQ(trail.Back(), "/b");
    EXPECT_EQ(trail.Back(), "/a");
    EXPECT_EQ(trail.Back(), std::nullopt);
    EXPECT_EQ(trail.Forward(), "/b");
    trail.Visit("/d");
    EXPECT_FALSE(trail.CanGoForward());
    EXPECT_EQ(trail.Back(), "/b");
    EXPECT_EQ(trail.Back(), "/a");
}
