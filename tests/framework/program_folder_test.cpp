#include <gtest/gtest.h>

#include "framework/program_folder.h"

TEST(ProgramFolder, CutsTheExecutableNameAndKeepsTheRoot)
{
    EXPECT_EQ(FolderOfExecutable("/opt/VistrelViewer/VistrelViewer"), "/opt/VistrelViewer");
    EXPECT_EQ(FolderOfExecutable("/VistrelViewer"), "/");
}

TEST(ProgramFolder, JoinsWithOneSlash)
{
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("/a", ""), "/a");
    EXPECT_EQ(JoinPath("/", "System"), "/System");
}

TEST(ProgramFolder, ResolvesRelativePathsAgainstTheProgramFolder)
{
    const std::string saved = ProgramFolder();
    SetProgramFolder("/opt/VistrelViewer");
    EXPECT_EQ(ResolveProgramPath("System"), "/opt/VistrelViewer/System");
    EXPECT_EQ(ResolveProgramPath("System/ZORStr.frs"), "/opt/VistrelViewer/System/ZORStr.frs");
    EXPECT_EQ(ResolveProgramPath("/etc/elsewhere"), "/etc/elsewhere");
    EXPECT_EQ(ResolveProgramPath(""), "/opt/VistrelViewer");
    SetProgramFolder(saved);
}
