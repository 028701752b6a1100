#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "add_bookmark_dialog.h"
#include "bookmark_list.h"
#include "bookmark_store.h"
#include "fixtures/sandbox.h"
#include "folder_link.h"
#include "organize_bookmarks_dialog.h"
#include "service_client.h"
#include "services/host_functions.h"
#include "services/quiet_service_host.h"
#include "services/service_host.h"
#include "shell/item_id_list.h"
#include "shell/settings_store.h"

namespace {

// The program as the bookmark modules see it: the real host functions and settings over a
// current folder that a test sets.
class BookmarkHost : public QuietServiceHost {
public:
    std::string CurrentFolderName() const override { return folderName; }
    std::vector<uint8_t> CurrentFolderData() const override { return EncodeItemIdList(folder); }

    std::string folderName;
};

std::string LinkOf(const std::string& path)
{
    return EncodeHex(EncodeItemIdList(path));
}

// A stored value as the settings file holds it; "(absent)" when its key does not exist.
std::string Stored(const std::string& keyPath)
{
    std::string text;
    return RegistryReadString(text, keyPath, "") ? text : std::string("(absent)");
}

uint32_t StoredSize()
{
    uint32_t size = 0;
    RegistryReadDword(size, "Bookmark\\Size", 0);
    return size;
}

void Store(const std::vector<Bookmark>& bookmarks)
{
    Settings().Batch([&] {
        RegistryWriteDword("Bookmark\\Size", static_cast<uint32_t>(bookmarks.size()));
        for (size_t i = 0; i < bookmarks.size(); ++i) {
            RegistryWriteString(BookmarkKey(i + 1, "Name"), bookmarks[i].name);
            RegistryWriteString(BookmarkKey(i + 1, "Link"), bookmarks[i].link);
        }
    });
}

// Runs a service and hands each modal window it opens to `answer`, which must close it.
int RunAnswering(const std::function<int()>& service, const std::function<void(QWidget*)>& answer)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&answer] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
    });
    poll.start();
    return service();
}

class Bookmarks : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseSettingsFile(sandbox / "settings.reg");
        SetServiceHost(&host);
        ServiceClient::Instance().Connect(HostGetProcAddress);
        host.folder = sandbox.MakeFolder("card/DCIM/100_FUJI");
        host.folderName = "100_FUJI";
    }
    void TearDown() override
    {
        ServiceClient::Instance().Connect(nullptr);
        SetServiceHost(nullptr);
        UseSettingsFile(SettingsStore::DefaultFilePath());
    }

    std::vector<Bookmark> Three()
    {
        return {{"Card", LinkOf(sandbox.MakeFolder("card"))},
                {"Holiday", LinkOf(sandbox.MakeFolder("holiday"))},
                {"Gone", LinkOf(sandbox / "gone")}};
    }

    Sandbox sandbox;
    BookmarkHost host;
};

} // namespace

// ---- Links ------------------------------------------------------------------------------

TEST(BookmarkLink, ReadsThePathsThatTheProgramStores)
{
    for (const char* path :
         {"/", "/media/card", "/media/card/DCIM/100_FUJI", "/home/me/Fotos 2024/Été", "/a=b/line\nbreak"}) {
        const ItemIdList list = EncodeItemIdList(path);
        EXPECT_EQ(HexOfBytes(list), EncodeHex(list)) << path;
        EXPECT_EQ(FolderOfLink(EncodeHex(list)), std::optional<std::string>(path)) << path;
    }
    // "/" then "ab": sizes count their own two bytes.
    EXPECT_EQ(FolderOfLink("03002f0400616200 00").value_or("?"), "?") << "no separators";
    EXPECT_EQ(FolderOfLink("03002f04006162000000"), std::optional<std::string>("/ab"))
        << "bytes after the end marker are not read";
    EXPECT_EQ(HexOfBytes({0x00, 0x0f, 0xa0, 0xff}), "000fa0ff");
}

TEST(BookmarkLink, RefusesTextThatIsNotTheLowerCaseForm)
{
    EXPECT_EQ(BytesOfHex(""), std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{}));
    EXPECT_EQ(BytesOfHex("0aff"), std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{0x0a, 0xff}));
    for (const char* text : {"0", "0aF0", "0A", "0g", "zz", " 0", "0a\n", "-1"})
        EXPECT_FALSE(BytesOfHex(text).has_value()) << text;
    // The program reads upper-case digits as other bytes, so such a link names no folder.
    std::string upper = LinkOf("/media/card");
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_FALSE(FolderOfLink(upper).has_value());
}

TEST(BookmarkLink, RefusesDamagedItemIdLists)
{
    const ItemIdList good = EncodeItemIdList("/media/card/DCIM");
    ASSERT_TRUE(PathOfItemIdList(good).has_value());
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const ItemIdList truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(PathOfItemIdList(truncated).has_value()) << "cut at " << cut;
    }
    const std::vector<std::vector<uint8_t>> damaged = {
        {0x00, 0x00},                                   // no root
        {0x03, 0x00, 'x', 0x00, 0x00},                  // first record is not "/"
        {0x03, 0x00, '/', 0x02, 0x00, 0x00, 0x00},      // a record without a name
        {0x03, 0x00, '/', 0x01, 0x00, 0x00, 0x00},      // a size smaller than its own bytes
        {0x03, 0x00, '/', 0xff, 0xff, 'a', 0x00, 0x00}, // a size past the end
        {0x03, 0x00, '/', 0x03, 0x00, '.', 0x00, 0x00},
        {0x03, 0x00, '/', 0x04, 0x00, '.', '.', 0x00, 0x00},
        {0x03, 0x00, '/', 0x05, 0x00, 'a', '/', 'b', 0x00, 0x00},
        {0x03, 0x00, '/', 0x05, 0x00, 'a', 0x00, 'b', 0x00, 0x00},
        {0x03, 0x00, '/', 0x03, 0x00, '/', 0x00, 0x00}, // a second root
    };
    for (size_t i = 0; i < damaged.size(); ++i)
        EXPECT_FALSE(PathOfItemIdList(damaged[i]).has_value()) << "case " << i;
    for (size_t i = 0; i < damaged.size(); ++i)
        EXPECT_EQ(DecodeItemIdList(damaged[i]), "") << "the program agrees on case " << i;
}

TEST_F(Bookmarks, MarksAFolderThatIsGoneOrALinkThatIsDamaged)
{
    const std::string card = sandbox.MakeFolder("card");
    EXPECT_EQ(DescribeBookmarkFolder(LinkOf(card)).text, card);
    EXPECT_TRUE(DescribeBookmarkFolder(LinkOf(card)).found);
    EXPECT_EQ(DescribeBookmarkFolder(LinkOf(sandbox / "gone")).text, sandbox / "gone" + " (not found)");
    EXPECT_FALSE(DescribeBookmarkFolder(LinkOf(sandbox / "gone")).found);
    const std::string file = sandbox.WriteFile("card/a.jpg", "x");
    EXPECT_FALSE(DescribeBookmarkFolder(LinkOf(file)).found) << "a file is not a folder";
    EXPECT_EQ(DescribeBookmarkFolder("0300").text, "(damaged link) (not found)");
}

// ---- The list ---------------------------------------------------------------------------

TEST(BookmarkList, AddingFindsTheSameFolderBeforeTheFullList)
{
    std::vector<Bookmark> bookmarks{{"A", "aa"}, {"B", "bb"}};
    EXPECT_EQ(PlanAdd(bookmarks, "C", "cc").kind, AddPlan::kAppend);
    EXPECT_EQ(PlanAdd(bookmarks, "C", "cc").index, 2u);
    EXPECT_EQ(PlanAdd(bookmarks, "C", "bb").kind, AddPlan::kDuplicate);
    EXPECT_EQ(PlanAdd(bookmarks, "C", "bb").index, 1u);
    EXPECT_EQ(PlanAdd(bookmarks, "C", "BB").kind, AddPlan::kAppend) << "links compare exactly";
    for (const char* name : {"", " ", "\n\t "})
        EXPECT_EQ(PlanAdd(bookmarks, name, "cc").kind, AddPlan::kEmptyName) << name;
    EXPECT_EQ(PlanAdd(bookmarks, " x ", "cc").kind, AddPlan::kAppend);

    bookmarks.resize(kMenuBookmarkLimit - 1, {"X", "xx"});
    EXPECT_EQ(PlanAdd(bookmarks, "C", "cc").kind, AddPlan::kAppend) << "the 100th still fits";
    bookmarks.push_back({"Last", "ll"});
    EXPECT_EQ(PlanAdd(bookmarks, "C", "cc").kind, AddPlan::kFull);
    EXPECT_EQ(PlanAdd(bookmarks, "C", "ll").kind, AddPlan::kDuplicate) << "a full list can still rename";
}

TEST(BookmarkList, RenamesDeletesAndMovesWithinItsBounds)
{
    BookmarkList list({{"A", "aa"}, {"B", "bb"}, {"C", "cc"}});
    EXPECT_FALSE(list.Rename(1, " "));
    EXPECT_FALSE(list.Rename(3, "Z"));
    EXPECT_TRUE(list.Rename(1, "B=2\nsecond line"));
    EXPECT_FALSE(list.MoveUp(0));
    EXPECT_FALSE(list.MoveDown(2));
    EXPECT_FALSE(list.MoveDown(7));
    EXPECT_TRUE(list.MoveUp(2));
    EXPECT_EQ(list.Entries(), (std::vector<Bookmark>{{"A", "aa"}, {"C", "cc"}, {"B=2\nsecond line", "bb"}}));
    EXPECT_TRUE(list.MoveDown(0));
    EXPECT_FALSE(list.Remove(3));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.Entries(), (std::vector<Bookmark>{{"A", "aa"}, {"B=2\nsecond line", "bb"}}));
}

// ---- The settings -----------------------------------------------------------------------

TEST_F(Bookmarks, AppendingWritesTheNextEntryAndTheCount)
{
    Store({{"Card", "aa"}});
    const StoredBookmarks stored = LoadBookmarkSettings();
    ASSERT_EQ(stored.entries, (std::vector<Bookmark>{{"Card", "aa"}}));
    ASSERT_TRUE(AppendBookmarkSetting(stored, {"a = b\nc", "bb"}));
    EXPECT_EQ(StoredSize(), 2u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "Card");
    EXPECT_EQ(Stored("Bookmark\\002\\Name"), "a = b\nc");
    EXPECT_EQ(Stored("Bookmark\\002\\Link"), "bb");

    // What the file itself keeps, read by a store of its own.
    SettingsStore fromDisk(sandbox / "settings.reg");
    std::string name;
    fromDisk.ReadString(name, "Bookmark\\002\\Name", "");
    EXPECT_EQ(name, "a = b\nc");
}

TEST_F(Bookmarks, ReadingStopsAtTheCountAndFillsGaps)
{
    Store({{"A", "aa"}, {"B", "bb"}, {"C", "cc"}});
    RegistryWriteDword("Bookmark\\Size", 2);
    RegistryDeleteSubKey("Bookmark\\002");
    const StoredBookmarks stored = LoadBookmarkSettings();
    EXPECT_EQ(stored.size, 2u);
    EXPECT_EQ(stored.entries, (std::vector<Bookmark>{{"A", "aa"}, {"", ""}}));

    RegistryWriteDword("Bookmark\\Size", 0xFFFFFFFF);
    EXPECT_EQ(LoadBookmarkSettings().entries.size(), kMaxReadBookmarks) << "a damaged count is bounded";
}

TEST_F(Bookmarks, WritingTheOrganisedListRenumbersAndDeletesTheRest)
{
    Store({{"A", "aa"}, {"B", "bb"}, {"C", "cc"}, {"D", "dd"}});
    BookmarkList list(LoadBookmarkSettings().entries);
    list.Remove(1);
    list.MoveUp(2);
    list.Rename(0, "A=1");
    ASSERT_TRUE(SaveBookmarkSettings(list.Entries(), 4));
    EXPECT_EQ(StoredSize(), 3u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "A=1");
    EXPECT_EQ(Stored("Bookmark\\001\\Link"), "aa");
    EXPECT_EQ(Stored("Bookmark\\002\\Name"), "D");
    EXPECT_EQ(Stored("Bookmark\\002\\Link"), "dd");
    EXPECT_EQ(Stored("Bookmark\\003\\Name"), "C");
    EXPECT_EQ(Stored("Bookmark\\003\\Link"), "cc");
    EXPECT_EQ(Stored("Bookmark\\004\\Name"), "(absent)");
    EXPECT_EQ(Stored("Bookmark\\004\\Link"), "(absent)");

    ASSERT_TRUE(SaveBookmarkSettings({}, 3));
    EXPECT_EQ(StoredSize(), 0u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "(absent)");
}

TEST_F(Bookmarks, RefusedWritesAreReported)
{
    ServiceClient::Instance().Connect(nullptr);
    SetServiceHost(nullptr); // the host functions now answer 0
    ServiceClient::Instance().Connect(HostGetProcAddress);
    EXPECT_FALSE(AppendBookmarkSetting({}, {"A", "aa"}));
    EXPECT_FALSE(SaveBookmarkSettings({{"A", "aa"}}, 0));
    EXPECT_FALSE(RenameBookmarkSetting(0, "B"));
    SetServiceHost(&host);
    EXPECT_EQ(StoredSize(), 0u);
}

// ---- The services -----------------------------------------------------------------------

TEST_F(Bookmarks, AddBookmarkOffersTheFolderNameAndAppends)
{
    Store(Three());
    std::string offeredName, shownFolder;
    const int result = RunAnswering([] { return RunAddBookmarksService(nullptr); },
                                    [&](QWidget* modal) {
                                        if (auto* dialog = dynamic_cast<AddBookmarkDialog*>(modal)) {
                                            offeredName
                                                = dialog->findChild<QLineEdit*>("name")->text().toStdString();
                                            auto* folder = dialog->findChild<QLineEdit*>("folder");
                                            shownFolder = folder->text().toStdString();
                                            EXPECT_TRUE(folder->isReadOnly());
                                            dialog->findChild<QLineEdit*>("name")->setText("Fuji = card");
                                            dialog->accept();
                                        }
                                    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(offeredName, "100_FUJI");
    EXPECT_EQ(shownFolder, host.folder);
    EXPECT_EQ(StoredSize(), 4u);
    EXPECT_EQ(Stored("Bookmark\\004\\Name"), "Fuji = card");
    EXPECT_EQ(Stored("Bookmark\\004\\Link"), LinkOf(host.folder));
    EXPECT_EQ(Stored("Bookmark\\003\\Name"), "Gone");
}

TEST_F(Bookmarks, AddBookmarkRefusesAnEmptyNameAndKeepsTheDialogOpen)
{
    std::vector<std::string> messages;
    int dialogsSeen = 0;
    bool triedOk = false;
    const int result = RunAnswering([] { return RunAddBookmarksService(nullptr); },
                                    [&](QWidget* modal) {
                                        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                                            messages.push_back(box->text().toStdString());
                                            box->done(QMessageBox::Ok);
                                        } else if (auto* dialog = dynamic_cast<AddBookmarkDialog*>(modal)) {
                                            ++dialogsSeen;
                                            auto* name = dialog->findChild<QLineEdit*>("name");
                                            if (!triedOk) {
                                                // The refusal opens a message box of its own, which this poll
                                                // can only answer from the dialog's event loop, not from
                                                // inside its own call.
                                                triedOk = true;
                                                name->setText("  ");
                                                QTimer::singleShot(0, dialog, [dialog] { dialog->accept(); });
                                            } else if (!messages.empty()) {
                                                EXPECT_TRUE(dialog->isVisible())
                                                    << "the refused dialog stays open";
                                                dialog->reject();
                                            }
                                        }
                                    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("name"), std::string::npos);
    EXPECT_GE(dialogsSeen, 2);
    EXPECT_EQ(StoredSize(), 0u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "(absent)");
}

TEST_F(Bookmarks, AddBookmarkForAKnownFolderRenamesItInstead)
{
    std::vector<Bookmark> stored = Three();
    stored[1].link = LinkOf(host.folder);
    Store(stored);
    std::vector<std::string> messages;
    const int result = RunAnswering([] { return RunAddBookmarksService(nullptr); },
                                    [&](QWidget* modal) {
                                        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                                            messages.push_back(box->text().toStdString());
                                            box->button(QMessageBox::Yes)->click();
                                        } else if (auto* dialog = dynamic_cast<AddBookmarkDialog*>(modal)) {
                                            dialog->findChild<QLineEdit*>("name")->setText("Fuji card");
                                            dialog->accept();
                                        }
                                    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("already bookmarked as \u201cHoliday\u201d"), std::string::npos)
        << messages[0];
    EXPECT_EQ(StoredSize(), 3u) << "no second bookmark for the folder";
    EXPECT_EQ(Stored("Bookmark\\002\\Name"), "Fuji card");
    EXPECT_EQ(Stored("Bookmark\\002\\Link"), LinkOf(host.folder));
}

TEST_F(Bookmarks, AddBookmarkSaysWhenTheListIsFull)
{
    std::vector<Bookmark> full;
    for (size_t i = 0; i < kMenuBookmarkLimit; ++i)
        full.push_back({"B" + std::to_string(i), LinkOf(sandbox / ("f" + std::to_string(i)))});
    Store(full);
    std::vector<std::string> messages;
    bool dialogShown = false;
    const int result = RunAnswering([] { return RunAddBookmarksService(nullptr); },
                                    [&](QWidget* modal) {
                                        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                                            messages.push_back(box->text().toStdString());
                                            box->done(QMessageBox::Ok);
                                        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                                            dialogShown = true;
                                            dialog->reject();
                                        }
                                    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("full"), std::string::npos);
    EXPECT_EQ(StoredSize(), kMenuBookmarkLimit);
    EXPECT_EQ(Stored("Bookmark\\101\\Name"), "(absent)");
}

TEST_F(Bookmarks, OrganiseListsMarksMovesAndDeletesThenWritesOnOk)
{
    Store(Three());
    std::vector<QString> names, folders;
    const int result = RunAnswering(
        [] { return RunOrganizeBookmarksService(nullptr); },
        [&](QWidget* modal) {
            auto* dialog = dynamic_cast<OrganizeBookmarksDialog*>(modal);
            if (!dialog)
                return;
            auto* tree = dialog->findChild<QTreeWidget*>("bookmarks");
            for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                names.push_back(tree->topLevelItem(i)->text(0));
                folders.push_back(tree->topLevelItem(i)->text(1));
            }
            auto click = [dialog](const char* name) { dialog->findChild<QPushButton*>(name)->click(); };
            tree->setCurrentItem(tree->topLevelItem(2));
            click("up"); // Card, Gone, Holiday
            click("up"); // Gone, Card, Holiday
            EXPECT_FALSE(dialog->findChild<QPushButton*>("up")->isEnabled()) << "nothing above the first";
            tree->setCurrentItem(tree->topLevelItem(1));
            click("delete"); // Gone, Holiday
            click("down");   // the selection stays on Holiday, the last row: nothing moves
            dialog->accept();
        });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "Card");
    EXPECT_EQ(folders[0].toStdString(), sandbox / "card");
    EXPECT_EQ(folders[2].toStdString(), sandbox / "gone" + " (not found)");
    EXPECT_EQ(StoredSize(), 2u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "Gone");
    EXPECT_EQ(Stored("Bookmark\\001\\Link"), LinkOf(sandbox / "gone"));
    EXPECT_EQ(Stored("Bookmark\\002\\Name"), "Holiday");
    EXPECT_EQ(Stored("Bookmark\\003\\Name"), "(absent)");
}

TEST_F(Bookmarks, OrganiseCancelledWritesNothing)
{
    Store(Three());
    const int result = RunAnswering([] { return RunOrganizeBookmarksService(nullptr); },
                                    [&](QWidget* modal) {
                                        if (auto* dialog = dynamic_cast<OrganizeBookmarksDialog*>(modal)) {
                                            dialog->findChild<QPushButton*>("delete")->click();
                                            dialog->reject();
                                        }
                                    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LoadBookmarkSettings().entries, Three());
}

TEST_F(Bookmarks, OrganiseRenamesThroughItsNameBoxAndRefusesAnEmptyName)
{
    Store(Three());
    std::vector<std::string> typed{" ", "Card = SD\n2"};
    std::vector<std::string> messages;
    bool clickPending = false;
    const int result
        = RunAnswering([] { return RunOrganizeBookmarksService(nullptr); },
                       [&](QWidget* modal) {
                           if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                               messages.push_back(box->text().toStdString());
                               box->done(QMessageBox::Ok);
                           } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
                               input->setTextValue(QString::fromStdString(typed.front()));
                               typed.erase(typed.begin());
                               clickPending = false;
                               input->accept();
                           } else if (auto* dialog = dynamic_cast<OrganizeBookmarksDialog*>(modal)) {
                               if (typed.empty()) {
                                   dialog->accept();
                               } else if (!clickPending) {
                                   // The rename opens windows of its own, so it is clicked from the dialog's
                                   // event loop rather than from inside this call.
                                   clickPending = true;
                                   auto* rename = dialog->findChild<QPushButton*>("rename");
                                   QTimer::singleShot(0, rename, [rename] { rename->click(); });
                               }
                           }
                       });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("needs a name"), std::string::npos);
    EXPECT_EQ(StoredSize(), 3u);
    EXPECT_EQ(Stored("Bookmark\\001\\Name"), "Card = SD\n2");
    EXPECT_EQ(Stored("Bookmark\\002\\Name"), "Holiday");
}
