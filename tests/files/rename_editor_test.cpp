#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "files/rename_editor.h"

namespace {

struct Commits {
    std::vector<std::string> names;
    std::function<void(const std::string&)> Callback()
    {
        return [this](const std::string& name) { names.push_back(name); };
    }
};

} // namespace

TEST(RenameEditor, OpensWithTheBaseNameSelectedAndEnterCommitsOnce)
{
    QWidget parent;
    Commits commits;
    QPointer<RenameEditor> editor = new RenameEditor("DSCF0001.JPG", &parent, commits.Callback());
    EXPECT_EQ(editor->selectedText(), "DSCF0001");
    QTest::keyClicks(editor, "Lake");
    EXPECT_EQ(editor->text(), "Lake.JPG");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(commits.names, std::vector<std::string>{"Lake.JPG"});
    // Leaving it afterwards is no second commit, and it goes away.
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(editor, &out);
    EXPECT_EQ(commits.names.size(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
}

TEST(RenameEditor, EscapeAndAnUnchangedNameCommitNothingAndLeavingCommits)
{
    QWidget parent;
    Commits commits;
    auto* escaped = new RenameEditor("DSCF0001.JPG", &parent, commits.Callback());
    QTest::keyClicks(escaped, "Other");
    QTest::keyClick(escaped, Qt::Key_Escape);
    auto* unchanged = new RenameEditor("Folder", &parent, commits.Callback());
    EXPECT_EQ(unchanged->selectedText(), "Folder"); // no extension: all of it
    QTest::keyClick(unchanged, Qt::Key_Enter);
    EXPECT_TRUE(commits.names.empty());

    auto* left = new RenameEditor("DSCF0002.JPG", &parent, commits.Callback());
    QTest::keyClicks(left, "Beach");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(left, &out);
    EXPECT_EQ(commits.names, std::vector<std::string>{"Beach.JPG"});
}
