#include <gtest/gtest.h>

#include <QApplication>
#include <QFileSystemModel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <unistd.h>

#include "files/folder_tree.h"
#include "files/natural_order.h"
#include "fixtures/sandbox.h"

namespace {

// The names under a folder of the tree, in the order shown, once the model has read them.
QStringList ShownChildren(FolderTree& tree, const std::string& folder, int expected)
{
    QAbstractItemModel& model = *tree.model();
    tree.SelectFolderPath(folder);
    // Persistent: the rows move as the proxy sorts what arrives.
    const QPersistentModelIndex parent = tree.IndexOfPath(QString::fromStdString(folder));
    tree.expand(parent);
    if (model.canFetchMore(parent))
        model.fetchMore(parent);
    if (!QTest::qWaitFor([&] { return model.rowCount(parent) >= expected; }, 5000))
        return {};
    // The model sorts what it has read a moment later.
    QTest::qWait(500);
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

} // namespace

TEST(FolderTree, NaturalOrderReadsDigitRunsAsNumbers)
{
    EXPECT_LT(CompareNaturally("DSC2", "DSC10"), 0);
    EXPECT_GT(CompareNaturally("100_VIST", "99_VIST"), 0);
    EXPECT_LT(CompareNaturally("dcim", "Misc"), 0);
    EXPECT_LT(CompareNaturally("IMG", "IMG1"), 0);
    EXPECT_EQ(CompareNaturally("Card", "Card"), 0);
    // Leading zeros do not change a number; the plain order keeps such names apart.
    EXPECT_NE(CompareNaturally("a007", "a7"), 0);
    EXPECT_LT(CompareNaturally("a7b", "a0008a"), 0);
    // Runs longer than any integer still compare by value.
    EXPECT_LT(CompareNaturally("x99999999999999999999", "x100000000000000000000"), 0);
}

TEST(FolderTree, ShowsEveryFolderNaturallySortedAndNoFiles)
{
    Sandbox sandbox;
    sandbox.MakeFolder("card/DSC10");
    sandbox.MakeFolder("card/DSC2");
    sandbox.MakeFolder("card/.thumbnails");
    sandbox.WriteFile("card/DSCF0001.JPG", "x");
    FolderTree tree([](const std::string&) {});
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    EXPECT_EQ(ShownChildren(tree, sandbox / "card", 3), (QStringList{".thumbnails", "DSC2", "DSC10"}));
}

TEST(FolderTree, FollowsTheCurrentFolderAndOpensThePickedOne)
{
    Sandbox sandbox;
    const std::string current = sandbox.MakeFolder("card/DCIM/100_VIST");
    const std::string other = sandbox.MakeFolder("card/DCIM/101_VIST");
    std::vector<std::string> opened;
    FolderTree tree([&opened](const std::string& path) { opened.push_back(path); });
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));

    tree.SelectFolderPath(current);
    EXPECT_EQ(tree.SelectedFolderPath(), current);
    EXPECT_TRUE(opened.empty()) << "following the current folder must not open it again";

    ShownChildren(tree, sandbox / "card/DCIM", 2);
    const QModelIndex otherIndex = tree.IndexOfPath(QString::fromStdString(other));
    tree.scrollTo(otherIndex);
    const QPoint point = tree.visualRect(otherIndex).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(opened, std::vector<std::string>{other});

    // The folder that is already shown is not listed again.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(opened.size(), 1u);

    // File commands read the focus flag to act on the tree's folder.
    QApplication::setActiveWindow(&tree);
    tree.setFocus();
    EXPECT_TRUE(tree.HasFocusFlag());
    tree.clearFocus();
    EXPECT_FALSE(tree.HasFocusFlag());
}

TEST(FolderTree, VanishedFolderIsReportedNotOpened)
{
    Sandbox sandbox;
    sandbox.MakeFolder("card/DCIM/100_VIST");
    const std::string gone = sandbox.MakeFolder("card/DCIM/101_VIST");
    std::vector<std::string> opened;
    FolderTree tree([&opened](const std::string& path) { opened.push_back(path); });
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    ShownChildren(tree, sandbox / "card/DCIM", 2);
    const QModelIndex index = tree.IndexOfPath(QString::fromStdString(gone));
    tree.scrollTo(index);
    const QPoint point = tree.visualRect(index).center();

    // The card was pulled: the folder is gone before the tree has heard of it.
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    bool reported = false;
    QTimer::singleShot(0, [&reported] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            reported = true;
            box->close();
        }
    });
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, point);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(opened.empty());
}

TEST(FolderTree, ScrollsSidewaysOnlyForANameOutOfSight)
{
    Sandbox sandbox;
    const std::string deep = sandbox.MakeFolder("a/b/c/d/e/f/g/h/i/j/k/l/m/n/deep folder with a long name");
    FolderTree tree([](const std::string&) {});
    tree.resize(220, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    ShownChildren(tree, sandbox / "a/b/c/d/e/f/g/h/i/j/k/l/m/n", 1);
    QScrollBar* sideways = tree.horizontalScrollBar();

    // A row whose name is in view: a click (which scrolls the row into view) leaves the names whole.
    const QModelIndex shallow = tree.IndexOfPath(QString::fromStdString(sandbox / "a"));
    ASSERT_TRUE(shallow.isValid());
    sideways->setValue(0);
    tree.scrollTo(shallow);
    EXPECT_EQ(sideways->value(), 0);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(shallow).center());
    EXPECT_EQ(sideways->value(), 0);

    // A name far right of the view is brought in, a third into the tree.
    const QModelIndex far = tree.IndexOfPath(QString::fromStdString(deep));
    ASSERT_TRUE(far.isValid());
    tree.scrollTo(far);
    const int nameLeft = tree.visualRect(far).left();
    EXPECT_GT(sideways->value(), 0);
    EXPECT_GE(nameLeft, 0);
    EXPECT_LE(nameLeft, tree.viewport()->width() / 2);
}
