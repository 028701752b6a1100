#include <set>

#include <gtest/gtest.h>

#include "shell/command_line.h"

namespace {

using Kind = CommandLineAction::Kind;

// A file system of a few entries: folders end in "/" in the list.
CommandLineEnvironment FakeFileSystem(bool serviceRunning = false, bool captureAtStart = false,
                                      bool periodMode = false)
{
    static const std::set<std::string> kFolders
        = {"/home/me/Pictures", "/home/me/Pictures/2006", "/media/card/DCIM", "/home/me/folder.jpg"};
    static const std::set<std::string> kFiles
        = {"/home/me/Pictures/2006/DSCF0001.JPG", "/home/me/notes.txt", "/home/me/Pictures/clip.avi"};
    CommandLineEnvironment env;
    env.serviceRunning = serviceRunning;
    env.captureAtStart = captureAtStart;
    env.periodMode = periodMode;
    env.canonicalise = [](std::string_view path) {
        const std::string text(path);
        return (kFolders.count(text) || kFiles.count(text)) ? text : std::string{};
    };
    env.isFolder = [](std::string_view path) { return kFolders.count(std::string(path)) > 0; };
    return env;
}

CommandLineAction Interpret(std::string_view text, bool forwarded, const CommandLineEnvironment& env)
{
    return InterpretCommandLine(text, forwarded, env, "/home/me/Pictures");
}

} // namespace

TEST(PreScan, PictureFileOpensItsFolderInThePreview)
{
    const CommandLineAction action
        = PreScanCommandLine("/home/me/Pictures/2006/DSCF0001.JPG", FakeFileSystem());
    EXPECT_EQ(action.kind, Kind::ShowFile);
    EXPECT_EQ(action.path, "/home/me/Pictures/2006/DSCF0001.JPG");
    EXPECT_TRUE(action.openFileFolder && action.switchToPreview && action.refreshPanels);
}

TEST(PreScan, FoldersOpenAndPlainFilesOpenTheirFolder)
{
    EXPECT_EQ(PreScanCommandLine("/media/card/DCIM", FakeFileSystem()).path, "/media/card/DCIM");
    // A folder named like a picture is a folder.
    EXPECT_EQ(PreScanCommandLine("/home/me/folder.jpg", FakeFileSystem()).kind, Kind::OpenFolder);
    const CommandLineAction text = PreScanCommandLine("/home/me/notes.txt", FakeFileSystem());
    EXPECT_EQ(text.kind, Kind::OpenFolder);
    EXPECT_EQ(text.path, "/home/me");
}

TEST(PreScan, OnlyTheFirstExistingPathCounts)
{
    const CommandLineAction action
        = PreScanCommandLine("/nowhere /Print /media/card/DCIM /home/me/Pictures", FakeFileSystem());
    EXPECT_EQ(action.path, "/media/card/DCIM");
    EXPECT_EQ(PreScanCommandLine("/nowhere /Open", FakeFileSystem()).kind, Kind::RefreshPanels);
}

TEST(PreScan, CaptureOptionRunsTheCaptureServiceUnlessOneIsRunning)
{
    const CommandLineAction action = PreScanCommandLine("/home/me/Pictures /w", FakeFileSystem());
    EXPECT_EQ(action.kind, Kind::RunService);
    EXPECT_EQ(action.service, kServiceAutoCaptureDS);
    EXPECT_TRUE(action.setsCaptureAtStart && action.keepCaptureText && action.refreshAfterCapture);
    EXPECT_EQ(PreScanCommandLine("/d", FakeFileSystem(true)).kind, Kind::Nothing);
    // "/m" is not a start-up option.
    EXPECT_EQ(PreScanCommandLine("/m", FakeFileSystem()).kind, Kind::RefreshPanels);
}

TEST(InterpretCommandLine, ActionOptionsEndTheInterpretation)
{
    const CommandLineAction print
        = Interpret("/Print /home/me/Pictures/2006/DSCF0001.JPG", false, FakeFileSystem());
    EXPECT_EQ(print.kind, Kind::RunService);
    EXPECT_EQ(print.service, kServicePrint);
    EXPECT_TRUE(print.path.empty());
    EXPECT_EQ(Interpret("/SendMail /home/me/Pictures", false, FakeFileSystem()).service, kServiceSendMail);
    EXPECT_EQ(Interpret("/home/me/Pictures /UpdatePM", false, FakeFileSystem()).kind, Kind::UpdateAllIndexes);
}

TEST(InterpretCommandLine, OptionsAreCaseSensitive)
{
    const CommandLineAction action = Interpret("/print /home/me/Pictures", false, FakeFileSystem());
    EXPECT_EQ(action.kind, Kind::OpenFolder);
    EXPECT_EQ(action.path, "/home/me/Pictures");
}

TEST(InterpretCommandLine, SlideShowLoadsDetailsFirstOnlyInPeriodMode)
{
    const CommandLineAction folderMode = Interpret("/SlideShow", false, FakeFileSystem());
    EXPECT_EQ(folderMode.service, kServiceSlideShow);
    EXPECT_TRUE(folderMode.stopPlayback);
    EXPECT_FALSE(folderMode.loadAllDetailsFirst);
    EXPECT_TRUE(Interpret("/SlideShow", false, FakeFileSystem(false, false, true)).loadAllDetailsFirst);
}

TEST(InterpretCommandLine, CaptureRunsOnceWhenStartUpAlreadyRanIt)
{
    EXPECT_EQ(Interpret("/w", false, FakeFileSystem(false, true)).kind, Kind::KeepCaptureText);
    const CommandLineAction again = Interpret("/w", true, FakeFileSystem(false, false));
    EXPECT_EQ(again.service, kServiceAutoCaptureDS);
    EXPECT_TRUE(again.refreshAfterCapture);
    const CommandLineAction monitor = Interpret("/m /w", true, FakeFileSystem());
    EXPECT_EQ(monitor.service, kServiceAutoCapturePM);
    EXPECT_TRUE(monitor.keepCaptureText);
    EXPECT_EQ(Interpret("/m", true, FakeFileSystem(true)).kind, Kind::Nothing);
}

TEST(InterpretCommandLine, ForwardedPictureOpensItsFolderInThePreview)
{
    const CommandLineAction action
        = Interpret("\"/home/me/Pictures/2006/DSCF0001.JPG\"", true, FakeFileSystem());
    EXPECT_EQ(action.kind, Kind::ShowFile);
    EXPECT_TRUE(action.openFileFolder);
    EXPECT_TRUE(action.switchToPreview);

    const CommandLineAction atStart
        = Interpret("/home/me/Pictures/2006/DSCF0001.JPG", false, FakeFileSystem());
    EXPECT_EQ(atStart.kind, Kind::ShowFile);
    EXPECT_FALSE(atStart.openFileFolder || atStart.switchToPreview);

    const CommandLineAction open = Interpret("/Open /home/me/Pictures/clip.avi", true, FakeFileSystem());
    EXPECT_EQ(open.kind, Kind::PreviewOnly);
    // Without forwarding the open option changes nothing.
    EXPECT_EQ(Interpret("/Open /home/me/Pictures/clip.avi", false, FakeFileSystem()).kind, Kind::ShowFile);
}

TEST(InterpretCommandLine, DesktopOptionShowsFoldersBelowPictures)
{
    const CommandLineAction inside = Interpret("/Desktop /home/me/Pictures/2006", true, FakeFileSystem());
    EXPECT_EQ(inside.kind, Kind::OpenFolder);
    EXPECT_TRUE(inside.refreshPanels);
    EXPECT_TRUE(inside.viaPicturesFolder);
    const CommandLineAction outside = Interpret("/Desktop /media/card/DCIM", true, FakeFileSystem());
    EXPECT_TRUE(outside.refreshPanels);
    EXPECT_FALSE(outside.viaPicturesFolder);
    // The Pictures folder itself is not inside itself.
    EXPECT_FALSE(Interpret("/Desktop /home/me/Pictures", true, FakeFileSystem()).viaPicturesFolder);
    EXPECT_FALSE(Interpret("/media/card/DCIM", true, FakeFileSystem()).refreshPanels);
}

TEST(InterpretCommandLine, NonMediaFileOpensItsFolder)
{
    const CommandLineAction action = Interpret("/home/me/notes.txt", true, FakeFileSystem());
    EXPECT_EQ(action.kind, Kind::OpenFolder);
    EXPECT_EQ(action.path, "/home/me");
}

TEST(InterpretCommandLine, NothingToDoWithoutPathsOrOptions)
{
    EXPECT_EQ(Interpret("", true, FakeFileSystem()).kind, Kind::Nothing);
    EXPECT_EQ(Interpret("/unknown /missing/path", true, FakeFileSystem()).kind, Kind::Nothing);
}

TEST(CommandLinePaths, CanonicalisesAgainstTheRealFileSystem)
{
    EXPECT_EQ(CanonicalisePath("/tmp/../tmp/./"), "/tmp");
    EXPECT_EQ(CanonicalisePath("/"), "/");
    EXPECT_EQ(CanonicalisePath("/definitely/not/here"), "");
    EXPECT_EQ(CanonicalisePath(""), "");
    EXPECT_TRUE(IsFolderOrUnreadable("/tmp"));
    EXPECT_TRUE(IsFolderOrUnreadable("/definitely/not/here"));
    EXPECT_EQ(ParentFolderOf("/a.jpg"), "/");
    EXPECT_EQ(ParentFolderOf("/x/y/a.jpg"), "/x/y");
}

TEST(InterpretCommandLine, PathThatNamesNothingIsReported)
{
    const CommandLineEnvironment env = FakeFileSystem();
    const CommandLineAction missing = Interpret("/home/me/Pictures/gone.jpg", false, env);
    EXPECT_EQ(missing.kind, Kind::Nothing);
    EXPECT_EQ(missing.missingPath, "/home/me/Pictures/gone.jpg");

    // The first missing path is named even when a later one exists and is opened.
    const CommandLineAction mixed = Interpret("/media/gone /home/me/Pictures/2006", true, env);
    EXPECT_EQ(mixed.kind, Kind::OpenFolder);
    EXPECT_EQ(mixed.path, "/home/me/Pictures/2006");
    EXPECT_EQ(mixed.missingPath, "/media/gone");

    // An unknown option is not a path.
    EXPECT_EQ(Interpret("/x /home/me/Pictures", false, env).missingPath, "");
    EXPECT_EQ(Interpret("/home/me/Pictures", false, env).missingPath, "");
}
