#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "shell/scratch_folder.h"

namespace fs = std::filesystem;

TEST(ScratchFolder, EmptiesEverythingIncludingReadOnlyEntries)
{
    Sandbox sandbox;
    const std::string scratch = sandbox.MakeFolder("Program/Temporary");
    sandbox.WriteFile("Program/Temporary/a.tmp", "x");
    sandbox.WriteFile("Program/Temporary/.hidden", "x");
    sandbox.WriteFile("Program/Temporary/deep/er/b.tmp", "x");
    const std::string readOnly = sandbox.WriteFile("Program/Temporary/locked/c.tmp", "x");
    ::chmod(readOnly.c_str(), 0444);
    ::chmod((sandbox / "Program/Temporary/locked").c_str(), 0555);
    ::chmod((sandbox / "Program/Temporary/deep").c_str(), 0);

    EXPECT_TRUE(ResetScratchFolder(scratch));
    EXPECT_TRUE(fs::is_directory(scratch));
    EXPECT_TRUE(fs::is_empty(scratch));
}

TEST(ScratchFolder, NeverFollowsLinksOutOfIt)
{
    Sandbox sandbox;
    const std::string home = sandbox.MakeFolder("home");
    const std::string precious = sandbox.WriteFile("home/precious.jpg", "keep me");
    const std::string scratch = sandbox.MakeFolder("Program/Temporary");
    fs::create_directory_symlink(home, scratch + "/link-to-home");
    fs::create_symlink(precious, scratch + "/link-to-file");
    sandbox.MakeFolder("Program/Temporary/sub");
    fs::create_directory_symlink(home, scratch + "/sub/nested-link");

    EXPECT_TRUE(ResetScratchFolder(scratch));
    EXPECT_TRUE(fs::is_empty(scratch));
    EXPECT_EQ(ReadTextFile(precious), "keep me");
}

TEST(ScratchFolder, ScratchFolderThatIsALinkIsReplacedNotFollowed)
{
    Sandbox sandbox;
    const std::string home = sandbox.MakeFolder("home");
    const std::string precious = sandbox.WriteFile("home/precious.jpg", "keep me");
    sandbox.MakeFolder("Program");
    const std::string scratch = sandbox / "Program/Temporary";
    fs::create_directory_symlink(home, scratch);

    EXPECT_TRUE(ResetScratchFolder(scratch));
    EXPECT_FALSE(fs::is_symlink(scratch));
    EXPECT_TRUE(fs::is_directory(scratch));
    EXPECT_EQ(ReadTextFile(precious), "keep me");
}

TEST(ScratchFolder, CreatesEveryMissingLevel)
{
    Sandbox sandbox;
    EXPECT_TRUE(ResetScratchFolder(sandbox / "a/b/Temporary"));
    EXPECT_TRUE(fs::is_directory(sandbox / "a/b/Temporary"));
    EXPECT_FALSE(ResetScratchFolder("/"));
}
