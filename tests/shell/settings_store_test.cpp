#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "shell/settings_store.h"

namespace {

struct SettingsStoreTest : ::testing::Test {
    Sandbox sandbox;
    std::string file = sandbox / "config/KAVORINE/VistrelViewer/5.0/settings.reg";
    SettingsStore store{file};
};

} // namespace

TEST_F(SettingsStoreTest, MissingKeyGivesDefaultAndZero)
{
    uint32_t number = 7;
    EXPECT_EQ(store.ReadDword(number, "CurrentSettings\\WindowWidth", 800), 0);
    EXPECT_EQ(number, 800u);
    std::string text = "old";
    EXPECT_EQ(store.ReadString(text, "BootTimes", "dflt"), 0);
    EXPECT_EQ(text, "dflt");
}

TEST_F(SettingsStoreTest, ExistingKeyWithoutValueGivesDefaultAndOne)
{
    ASSERT_EQ(store.WriteDword("CurrentSettings\\WindowPosX", 5), 1);
    uint32_t number = 0;
    EXPECT_EQ(store.ReadDword(number, "CurrentSettings\\WindowHeight", 600), 1);
    EXPECT_EQ(number, 600u);
    // The root exists once any key does.
    EXPECT_EQ(store.ReadDword(number, "BootTimes", 0), 1);
    EXPECT_EQ(number, 0u);
}

TEST_F(SettingsStoreTest, ValueOfTheOtherKindReadsAsDefault)
{
    store.WriteString("A\\Text", "12");
    store.WriteDword("A\\Number", 12);
    uint32_t number = 0;
    std::string text;
    EXPECT_EQ(store.ReadDword(number, "A\\Text", 99), 1);
    EXPECT_EQ(number, 99u);
    EXPECT_EQ(store.ReadString(text, "A\\Number", "none"), 1);
    EXPECT_EQ(text, "none");
}

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile)
{
    store.WriteDword("CurrentSettings\\YearDirection", static_cast<uint32_t>(-1));
    store.WriteString("Bookmark\\000\\Name", "Holiday \"2006\"\\ line\nbreak\ttab \x01");
    store.WriteDword("BootTimes", 3);

    SettingsStore again(file);
    uint32_t number = 0;
    std::string text;
    again.ReadDword(number, "CurrentSettings\\YearDirection", 0);
    EXPECT_EQ(static_cast<int32_t>(number), -1);
    again.ReadString(text, "Bookmark\\000\\Name", "");
    EXPECT_EQ(text, "Holiday \"2006\"\\ line\nbreak\ttab \x01");
    again.ReadDword(number, "BootTimes", 0);
    EXPECT_EQ(number, 3u);
}

TEST_F(SettingsStoreTest, NamesCompareWithoutCaseAndKeepTheirSpelling)
{
    store.WriteDword("CurrentSettings\\SortType", 2);
    store.WriteDword("currentsettings\\SORTTYPE", 4);
    uint32_t number = 0;
    store.ReadDword(number, "CURRENTSETTINGS\\sorttype", 0);
    EXPECT_EQ(number, 4u);
    const std::string content = ReadTextFile(file);
    EXPECT_NE(content.find("[CurrentSettings]"), std::string::npos);
    EXPECT_NE(content.find("\"SortType\"=dword:00000004"), std::string::npos);
}

TEST_F(SettingsStoreTest, LeadingBackslashAddressesTheRoot)
{
    store.WriteDword("\\BootTimes", 9);
    uint32_t number = 0;
    store.ReadDword(number, "BootTimes", 0);
    EXPECT_EQ(number, 9u);
}

TEST_F(SettingsStoreTest, UnusableKeyPathsAreRefused)
{
    EXPECT_EQ(store.WriteDword("A\\\\B\\Value", 1), 0);
    EXPECT_EQ(store.WriteString("A\nB\\Value", "x"), 0);
    EXPECT_EQ(store.WriteString("A\\Val\rue", "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsStoreTest, DeleteSubKeyRemovesTheKeyAndEverythingBelow)
{
    store.WriteString("Bookmark\\000\\Name", "a");
    store.WriteString("Bookmark\\001\\Name", "b");
    store.WriteDword("Bookmark\\Size", 2);
    store.WriteDword("BookmarkOther\\Size", 1);
    EXPECT_EQ(store.DeleteSubKey("Bookmark\\000"), 1);
    std::string text;
    EXPECT_EQ(store.ReadString(text, "Bookmark\\000\\Name", "gone"), 0);
    EXPECT_EQ(store.ReadString(text, "Bookmark\\001\\Name", ""), 1);
    EXPECT_EQ(text, "b");

    EXPECT_EQ(store.DeleteSubKey("Bookmark"), 1);
    uint32_t number = 0;
    EXPECT_EQ(store.ReadDword(number, "Bookmark\\Size", 0), 0);
    EXPECT_EQ(store.ReadString(text, "Bookmark\\001\\Name", ""), 0);
    EXPECT_EQ(store.ReadDword(number, "BookmarkOther\\Size", 0), 1);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(store.DeleteSubKey("Bookmark"), 0);
}

TEST_F(SettingsStoreTest, DamagedFileIsSetAsideAndReadsAsEmpty)
{
    using namespace std::string_literals;
    const std::string damaged = "garbage\x00\x01 not settings"s;
    sandbox.WriteFile("config/KAVORINE/VistrelViewer/5.0/settings.reg", damaged);
    uint32_t number = 1;
    EXPECT_EQ(store.ReadDword(number, "BootTimes", 42), 0);
    EXPECT_EQ(number, 42u);
    ASSERT_FALSE(store.LastSetAsidePath().empty());
    EXPECT_EQ(ReadTextFile(store.LastSetAsidePath()), damaged);
    EXPECT_FALSE(std::filesystem::exists(file));

    EXPECT_EQ(store.WriteDword("BootTimes", 1), 1);
    EXPECT_EQ(store.ReadDword(number, "BootTimes", 0), 1);
    EXPECT_EQ(number, 1u);
}

TEST_F(SettingsStoreTest, TruncatedValueLineCountsAsDamage)
{
    store.WriteString("A\\Name", "value");
    std::string content = ReadTextFile(file);
    content.resize(content.size() - 3); // cut inside the quoted text
    sandbox.WriteFile("config/KAVORINE/VistrelViewer/5.0/settings.reg", content);
    SettingsStore reader(file);
    std::string text;
    EXPECT_EQ(reader.ReadString(text, "A\\Name", "dflt"), 0);
    EXPECT_EQ(text, "dflt");
    EXPECT_FALSE(reader.LastSetAsidePath().empty());
}

TEST_F(SettingsStoreTest, SeesWritesOfAnotherStoreOnTheSameFile)
{
    SettingsStore other(file);
    store.WriteDword("A\\One", 1);
    other.WriteDword("A\\Two", 2);
    uint32_t number = 0;
    store.ReadDword(number, "A\\Two", 0);
    EXPECT_EQ(number, 2u);
    other.ReadDword(number, "A\\One", 0);
    EXPECT_EQ(number, 1u);
}

TEST_F(SettingsStoreTest, BatchSavesOnceWithEveryValue)
{
    store.Batch([&] {
        store.WriteDword("A\\One", 1);
        store.WriteDword("A\\Two", 2);
        uint32_t seen = 0;
        store.ReadDword(seen, "A\\One", 0);
        EXPECT_EQ(seen, 1u);
    });
    SettingsStore reader(file);
    uint32_t number = 0;
    reader.ReadDword(number, "A\\Two", 0);
    EXPECT_EQ(number, 2u);
}

TEST_F(SettingsStoreTest, ConcurrentWritersNeverLoseEachOthersValues)
{
    constexpr int kProcesses = 4;
    constexpr int kWritesEach = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsStore writer(file);
            int failures = 0;
            for (int i = 0; i < kWritesEach; ++i) {
                const std::string key = "Writer" + std::to_string(p) + "\\Value" + std::to_string(i);
                failures += writer.WriteDword(key, static_cast<uint32_t>(p * 1000 + i)) == 1 ? 0 : 1;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore reader(file);
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kWritesEach; ++i) {
            uint32_t number = 0;
            reader.ReadDword(number, "Writer" + std::to_string(p) + "\\Value" + std::to_string(i), 99999);
            EXPECT_EQ(number, static_cast<uint32_t>(p * 1000 + i));
        }
    }
    EXPECT_TRUE(reader.LastSetAsidePath().empty());
}

TEST(SettingsStorePath, FollowsXdgConfigHome)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-config", 1);
    EXPECT_EQ(SettingsStore::DefaultFilePath(), "/tmp/xdg-config/KAVORINE/VistrelViewer/5.0/settings.reg");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsStore::DefaultFilePath(),
              "/home/someone/.config/KAVORINE/VistrelViewer/5.0/settings.reg");
    ::setenv("HOME", home.c_str(), 1);
    if (saved)
        ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
