#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <QTest>

#include "fake_service_host.h"
#include "fixtures/sandbox.h"
#include "send_mail.h"

namespace {

// Puts a folder first on PATH for one test.
class PathOverride {
public:
    explicit PathOverride(const std::string& folder, bool alone = false) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", alone ? QByteArray::fromStdString(folder)
                              : QByteArray::fromStdString(folder) + ":" + m_saved);
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

// A stand-in xdg-email that writes each argument on a line of its own and exits with a code.
std::string WriteFakeMailHelper(const Sandbox& sandbox, const std::string& body)
{
    const std::string path = sandbox.WriteFile("bin/xdg-email", "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return sandbox / "bin";
}

std::string Recording(const Sandbox& sandbox, int exitCode)
{
    return WriteFakeMailHelper(sandbox, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + (sandbox / "args") +
                                            "'\nexit " + std::to_string(exitCode) + "\n");
}

} // namespace

TEST(SendMail, EachFileTravelsWithItsSoundMemoAndOnlyOnce)
{
    ServiceClient::FileLists files;
    files.paths = {"/p/A.JPG", "/p/B.JPG", "/p/A.WAV", "/p/C.AVI"};
    files.memoPaths = {"/p/A.WAV", "", "", ""};
    files.companionPaths = {"/p/A.RAF", "", "", ""};
    EXPECT_EQ(MailAttachments(files), (std::vector<std::string>{"/p/A.JPG", "/p/A.WAV", "/p/B.JPG", "/p/C.AVI"}));
    EXPECT_TRUE(MailAttachments({}).empty());
}

TEST(SendMail, ArgumentsSayUtf8AndAttachEachFile)
{
    EXPECT_EQ(MailArguments({"/p/a b.JPG", "-x.JPG"}),
              (QStringList{"--utf8", "--attach", "/p/a b.JPG", "--attach", "-x.JPG"}));
    EXPECT_EQ(MailArguments({}), QStringList{"--utf8"});
}

TEST(SendMail, ExitCodesBecomeMessages)
{
    EXPECT_EQ(MailExitMessage(0), "");
    EXPECT_EQ(MailExitMessage(3), "No mail program is set up on this desktop. Choose one in the desktop's default "
                                  "applications settings.");
    for (const int code : {1, 2, 4, 5, 9}) {
        EXPECT_FALSE(MailExitMessage(code).empty()) << code;
        EXPECT_NE(MailExitMessage(code), MailExitMessage(3)) << code;
    }
    EXPECT_NE(MailExitMessage(9).find("9"), std::string::npos);
}

TEST(SendMail, TheMailHelperGetsTheFilesAndItsAnswerIsTold)
{
    Sandbox sandbox;
    const std::vector<std::string> files{sandbox.WriteFile("Trip 1.JPG", "x"), sandbox.WriteFile("-été.WAV", "x")};
    for (const int code : {0, 3, 4}) {
        const PathOverride path(Recording(sandbox, code));
        const MailResult result = OpenMailComposer(files, 10000);
        EXPECT_EQ(result.exitCode, code);
        EXPECT_EQ(result.state, code == 0 ? MailResult::State::Opened : MailResult::State::Failed);
        EXPECT_EQ(result.message, MailExitMessage(code));
        EXPECT_EQ(ReadTextFile(sandbox / "args"),
                  "--utf8\n--attach\n" + files[0] + "\n--attach\n" + files[1] + "\n");
    }
}

TEST(SendMail, AMissingMailHelperIsToldApart)
{
    Sandbox sandbox;
    const PathOverride path(sandbox.MakeFolder("empty"), true);
    const MailResult result = OpenMailComposer({sandbox.WriteFile("A.JPG", "x")}, 10000);
    EXPECT_EQ(result.state, MailResult::State::Failed);
    EXPECT_EQ(result.message, MailHelperMissingMessage());
}

TEST(SendMail, AMailProgramThatStaysOpenIsNeitherAwaitedNorStopped)
{
    Sandbox sandbox;
    const std::string marker = sandbox / "still-here";
    const PathOverride path(WriteFakeMailHelper(sandbox, "sleep 1\ntouch '" + marker + "'\n"));
    const MailResult result = OpenMailComposer({sandbox.WriteFile("A.JPG", "x")}, 100);
    EXPECT_EQ(result.state, MailResult::State::StillRunning);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(marker); }, 10000));
}

TEST(SendMail, TheSelectionGoesWithItsMemosAndWhatCannotGoIsSaid)
{
    Sandbox sandbox;
    FakeServiceHost host;
    const std::string picture = sandbox.WriteFile("A.JPG", "x");
    const std::string memo = sandbox.WriteFile("A.WAV", "x");
    const std::string other = sandbox.WriteFile("B.JPG", "x");
    const std::string gone = sandbox / "C.JPG";
    host.selection.paths = {picture, other, gone};
    host.selection.memoPaths = {memo, "", ""};
    host.selection.companionPaths = {"", "", ""};
    const std::string expected = "--utf8\n--attach\n" + picture + "\n--attach\n" + memo + "\n--attach\n" + other + "\n";

    for (const int code : {3, 0}) {
        const PathOverride path(Recording(sandbox, code));
        std::vector<std::string> messages;
        const int result = RunAnsweringMessages([] { return RunSendMailService(nullptr); }, messages);
        EXPECT_EQ(ReadTextFile(sandbox / "args"), expected) << "the gone file is left out, not the message";
        if (code == 3) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(messages, std::vector<std::string>{MailExitMessage(3)});
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(messages, std::vector<std::string>{"These files cannot be read and are not attached:\n    " + gone});
        }
    }

    host.selection = {};
    std::vector<std::string> messages;
    EXPECT_EQ(RunAnsweringMessages([] { return RunSendMailService(nullptr); }, messages), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"No files are selected."});
}
