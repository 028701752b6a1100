#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include "fake_service_host.h"
#include "fixtures/sandbox.h"
#include "open_files.h"

namespace {

std::vector<std::string> WriteFiles(const Sandbox& sandbox, int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(sandbox.WriteFile("IMG_" + std::to_string(i) + ".JPG", "x"));
    return paths;
}

// Stands in for the desktop: what QDesktopServices would have launched.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

} // namespace

TEST(OpenFiles, AsksOnlyAboveTenFilesAndACancelOpensNothing)
{
    Sandbox sandbox;
    for (const int count : {1, 10, 11}) {
        const std::vector<std::string> paths = WriteFiles(sandbox, count);
        for (const bool answer : {false, true}) {
            std::vector<std::size_t> questions;
            std::vector<std::string> opened;
            const OpenRun run{[&](const std::string& path) { return opened.push_back(path), true; },
                              [&](std::size_t n) { return questions.push_back(n), answer; }};
            const OpenOutcome outcome = OpenFiles(paths, run);
            if (count <= 10) {
                EXPECT_TRUE(questions.empty()) << count;
                EXPECT_EQ(opened, paths);
                continue;
            }
            EXPECT_EQ(questions, std::vector<std::size_t>{11u});
            EXPECT_EQ(outcome.cancelled, !answer);
            EXPECT_EQ(opened.size(), answer ? 11u : 0u);
            EXPECT_EQ(outcome.opened, opened);
        }
    }
    EXPECT_EQ(OpenQuestion(11), "Open 11 files?");
}

TEST(OpenFiles, NamesEachFileThatDidNotOpenAndWhy)
{
    Sandbox sandbox;
    const std::string picture = sandbox.WriteFile("DSCF0001.JPG", "x");
    const std::string odd = sandbox.WriteFile("notes.xyz", "x");
    const std::string gone = sandbox / "DSCF0002.JPG";
    std::vector<std::string> asked;
    const OpenRun run{[&](const std::string& path) { return asked.push_back(path), path != odd; },
                      [](std::size_t) { return true; }};

    const OpenOutcome outcome = OpenFiles({picture, odd, gone}, run);
    EXPECT_EQ(asked, (std::vector<std::string>{picture, odd})) << "a gone file is not handed to the desktop";
    EXPECT_EQ(outcome.opened, std::vector<std::string>{picture});
    EXPECT_EQ(outcome.noHandler, std::vector<std::string>{odd});
    EXPECT_EQ(outcome.missing, std::vector<std::string>{gone});
    EXPECT_TRUE(outcome.Failed());
    const std::string report = OpenFailureReport(outcome);
    EXPECT_NE(report.find("No application is set up to open \"notes.xyz\"."), std::string::npos) << report;
    EXPECT_NE(report.find("no longer exists:\n    DSCF0002.JPG"), std::string::npos) << report;
    EXPECT_EQ(report.find("DSCF0001"), std::string::npos);

    OpenOutcome two;
    two.noHandler = {"/a/one.xyz", "/a/two.xyz"};
    EXPECT_EQ(OpenFailureReport(two), "No application is set up to open these files:\n    one.xyz\n    two.xyz");
    EXPECT_EQ(OpenFailureReport(OpenOutcome{}), "");
}

TEST(OpenFiles, TheDesktopGetsWholeLocalFileUrls)
{
    Sandbox sandbox;
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    const std::vector<std::string> paths{sandbox.WriteFile("Trip #1.JPG", "x"), sandbox.WriteFile("what?.JPG", "x"),
                                         sandbox.WriteFile("100%20off é.JPG", "x")};
    const OpenOutcome outcome = OpenFiles(paths, OpenRun{OpenWithDesktop, [](std::size_t) { return true; }});
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    EXPECT_EQ(outcome.opened, paths);
    ASSERT_EQ(recorder.urls.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_TRUE(recorder.urls[i].isLocalFile());
        EXPECT_EQ(recorder.urls[i].toLocalFile().toStdString(), paths[i]);
    }
}

TEST(OpenFiles, TheServiceSaysWhenThereIsNothingToOpen)
{
    Sandbox sandbox;
    FakeServiceHost host;
    std::vector<std::string> messages;
    EXPECT_EQ(RunAnsweringMessages([] { return RunOpenService(nullptr); }, messages), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"No files are selected."});

    host.selection.paths = {sandbox / "IMG_0001.JPG"};
    messages.clear();
    EXPECT_EQ(RunAnsweringMessages([] { return RunOpenService(nullptr); }, messages), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"This file no longer exists:\n    IMG_0001.JPG"});
}

#include "open_files_test.moc"
