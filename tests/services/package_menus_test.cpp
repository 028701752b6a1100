#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "fixtures/sandbox.h"
#include "services/package_menus.h"

namespace {

// A menu bar shaped like the one from "ZORX_MENU": eight menus, Help last with one own item.
void FillMenuBar(QMenuBar& bar)
{
    for (int i = 0; i < 8; ++i) {
        QMenu* menu = bar.addMenu(QStringLiteral("Menu %1").arg(i));
        menu->addAction(QStringLiteral("Own %1").arg(i));
    }
}

std::string Lookup(std::string_view name)
{
    return "text:" + std::string(name);
}

ServiceEntry Entry(std::string captionEx, std::string action, std::string source, std::string folder = {})
{
    return {"c", std::move(captionEx), std::move(action), std::move(source), std::move(folder)};
}

ServiceDefinition Record(int id, std::string caption, int helpCount, int entryCount, bool menuInsert)
{
    ServiceDefinition record;
    record.id = id;
    record.packageMenuCaption = std::move(caption);
    for (int i = 0; i < helpCount; ++i)
        record.helpEntries.push_back(Entry("Help " + std::to_string(id) + "." + std::to_string(i), "Web", "https://e.com"));
    for (int i = 0; i < entryCount; ++i)
        record.packageEntries.push_back(Entry("Link " + std::to_string(i), "Web", "https://e.com"));
    record.menuInsert = menuInsert;
    return record;
}

std::vector<std::pair<QString, int>> Items(const QMenu& menu)
{
    std::vector<std::pair<QString, int>> items;
    for (QAction* action : menu.actions())
        items.emplace_back(action->isSeparator() ? QStringLiteral("-") : action->text(),
                           action->data().isValid() ? action->data().toInt() : -1);
    return items;
}

TEST(PackageMenus, HelpEntriesGoOnTopWithOneSeparatorPerRecord)
{
    QMenuBar bar;
    FillMenuBar(bar);
    QMenu* help = bar.actions()[7]->menu();
    const ServiceDefinitionList list{Record(1, "A", 3, 0, false), Record(2, "B", 0, 0, false), Record(3, "C", 2, 0, false)};
    const ServiceMenus menus = BuildServiceMenus(bar, list, Lookup, {});
    const std::vector<std::pair<QString, int>> expected{
        {"Help 1.0", 46000}, {"Help 1.1", 46001}, {"Help 1.2", 46002}, {"-", -1}, {"-", -1},
        {"Help 3.0", 46005}, {"Help 3.1", 46006}, {"-", -1},         {"Own 7", -1}};
    EXPECT_EQ(Items(*help), expected);
    EXPECT_EQ(menus.helpActions.size(), 8u);
}

TEST(PackageMenus, PackageMenusStandFromSlotSixInListOrder)
{
    QMenuBar bar;
    FillMenuBar(bar);
    const ServiceDefinitionList list{Record(5, "Five", 0, 2, true), Record(10, "Ten", 0, 0, false)};
    std::vector<int> commands;
    BuildServiceMenus(bar, list, Lookup, [&](int command) { commands.push_back(command); });

    const QList<QAction*> top = bar.actions();
    ASSERT_EQ(top.size(), 10);
    EXPECT_EQ(top[6]->text(), "Five");
    EXPECT_EQ(top[7]->text(), "Ten");
    EXPECT_EQ(top[8]->text(), "Menu 6");
    EXPECT_EQ(top[9]->text(), "Menu 7");

    const std::vector<std::pair<QString, int>> five{{"text:ZORX_MENU_MenuUpdate", 45000},
                                                    {"text:ZORX_MENU_MenuDelete", 45001},
                                                    {"-", -1},
                                                    {"Link 0", 45002},
                                                    {"Link 1", 45003},
                                                    {"-", -1},
                                                    {"text:ZORX_MENU_SoftwareUpdate", 45099}};
    EXPECT_EQ(Items(*top[6]->menu()), five);
    const std::vector<std::pair<QString, int>> ten{{"text:ZORX_MENU_MenuUpdate", 45100},
                                                   {"text:ZORX_MENU_MenuDelete", 45101}};
    EXPECT_EQ(Items(*top[7]->menu()), ten);

    top[6]->menu()->actions()[4]->trigger();
    top[7]->menu()->actions()[1]->trigger();
    EXPECT_EQ(commands, (std::vector<int>{45003, 45101}));
}

TEST(PackageMenus, OnlyTheFirstTenRecordsGetMenus)
{
    QMenuBar bar;
    FillMenuBar(bar);
    ServiceDefinitionList list;
    for (int i = 0; i < 12; ++i) {
        std::string caption = "P";
        caption += std::to_string(i);
        list.push_back(Record(i, caption, 1, 0, false));
    }
    const ServiceMenus menus = BuildServiceMenus(bar, list, Lookup, {});
    EXPECT_EQ(menus.packageMenus.size(), 10u);
    EXPECT_EQ(bar.actions().size(), 18);
    EXPECT_EQ(bar.actions()[15]->text(), "P9");
    // Help entries of every record still show.
    EXPECT_EQ(menus.helpActions.size(), 24u);
}

TEST(PackageMenus, ShortMenuBarGetsNoHelpEntriesButStillPackageMenus)
{
    QMenuBar bar;
    bar.addMenu(QStringLiteral("Only"));
    const ServiceMenus menus = BuildServiceMenus(bar, {Record(1, "P", 2, 0, false)}, Lookup, {});
    EXPECT_TRUE(menus.helpActions.empty());
    ASSERT_EQ(bar.actions().size(), 2);
    EXPECT_EQ(bar.actions()[1]->text(), "P");
}

TEST(ServiceTargets, FileSourcesMustStayInsideThePackageFolder)
{
    Sandbox sandbox;
    sandbox.WriteFile("pkg/help/index.html", "<p>help</p>");
    sandbox.WriteFile("outside.html", "<p>no</p>");
    std::filesystem::create_symlink(sandbox / "outside.html", sandbox / "pkg/escape.html");
    const std::string folder = sandbox / "pkg";

    const auto inside = ServiceTargetUrl(Entry("x", "File", "help/index.html", folder));
    ASSERT_TRUE(inside);
    EXPECT_EQ(*inside, QUrl::fromLocalFile(QString::fromStdString(sandbox / "pkg/help/index.html")));
    EXPECT_TRUE(ServiceTargetUrl(Entry("x", "File", "help\\index.html", folder)));

    for (const char* hostile : {"../outside.html", "help/../../outside.html", "..\\outside.html", "/etc/passwd",
                                "\\etc\\passwd", "file:///etc/passwd", "FILE:outside.html", "C:\\boot.ini",
                                "~/x.html", "", "escape.html", "help/.. "}) {
        EXPECT_FALSE(ServiceTargetUrl(Entry("x", "File", hostile, folder))) << hostile;
    }
}

TEST(ServiceTargets, WebSourcesMustBeHttpAddresses)
{
    EXPECT_TRUE(ServiceTargetUrl(Entry("x", "Web", "https://example.com/help")));
    EXPECT_TRUE(ServiceTargetUrl(Entry("x", "Web", "HTTP://example.com")));
    for (const char* hostile : {"javascript:alert(1)", "file:///etc/passwd", "ftp://example.com", "http://",
                                "example.com", "smb://host/share", ""}) {
        EXPECT_FALSE(ServiceTargetUrl(Entry("x", "Web", hostile))) << hostile;
    }
    EXPECT_FALSE(ServiceTargetUrl(Entry("x", "Run", "https://example.com")));
    EXPECT_FALSE(ServiceTargetUrl(Entry("x", "web", "https://example.com")));
}

TEST(ServiceTargets, OpeningUsesTheOpenerOnlyForExistingAcceptedTargets)
{
    Sandbox sandbox;
    sandbox.WriteFile("pkg/page.html", "<p>page</p>");
    std::vector<QUrl> opened;
    const ServiceUrlOpener opener = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    EXPECT_TRUE(OpenServiceTarget(Entry("x", "File", "page.html", sandbox / "pkg"), opener));
    EXPECT_FALSE(OpenServiceTarget(Entry("x", "File", "missing.html", sandbox / "pkg"), opener));
    EXPECT_FALSE(OpenServiceTarget(Entry("x", "Web", "javascript:alert(1)"), opener));
    EXPECT_TRUE(OpenServiceTarget(Entry("x", "Web", "http://example.com"), opener));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_EQ(opened[1].host(), "example.com");
}

TEST(ServiceCommands, PackageCommandsSendRequestsOrOpenEntries)
{
    ServiceDefinitionList list{Record(7, "P", 1, 2, true)};
    list[0].packageEntries[1] = Entry("Link", "Web", "https://example.com/one");
    std::vector<std::string> requests;
    std::vector<QUrl> opened;
    const ServiceRequestSink sink = [&](const std::string& text) { requests.push_back(text); };
    const ServiceUrlOpener opener = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    for (const int command : {45000, 45001, 45099, 45003, 45004, 45098, 45100, 45199, 44000})
        RunPackageMenuCommand(list, command, sink, opener);
    EXPECT_EQ(requests, (std::vector<std::string>{"ZORX_UpdateMenu,7", "ZORX_DeleteMenu,7", "ZORX_SoftwareUpdate,7"}));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("https://example.com/one"));

    // Without a start-up service window the requests are dropped.
    RunPackageMenuCommand(list, 45000, {}, opener);
    EXPECT_EQ(requests.size(), 3u);

    EXPECT_TRUE(RunHelpCommand(list, 46000, opener));
    EXPECT_FALSE(RunHelpCommand(list, 46001, opener));
    EXPECT_EQ(opened.size(), 2u);
}

TEST(ServiceCommands, InstallingFromTheProgramFolderBuildsMenusAndTitle)
{
    Sandbox sandbox;
    sandbox.WriteFile("Resource/Services/pkg/servicedef.ini",
                      "[Identification]\nProvider=KAVORINE\nid=3\nRank=1\n[Presentation]\nTitleString=Plus\n"
                      "[HelpMenu_01]\nCaption=h\nCaptionEx=Package help\nAction=File\nActionSource=help.html\n"
                      "[ServMenu]\nCaptionEx=Package\n");
    QMenuBar bar;
    FillMenuBar(bar);
    const ServiceDefinitionSet set = InstallServiceMenus(sandbox.Path(), bar, Lookup, {});
    EXPECT_EQ(set.titleBase, "VistrelViewer Plus");
    ASSERT_EQ(set.definitions.size(), 1u);
    EXPECT_EQ(bar.actions()[6]->text(), "Package");
    EXPECT_EQ(bar.actions()[8]->menu()->actions()[0]->text(), "Package help");
}

} // namespace

namespace {

TEST(ServiceCommands, TheSamplePackageOpensItsOwnHelpPage)
{
    const ServiceDefinitionSet set = LoadServiceDefinitions(VISTREL_SOURCE_DIR "/resources/services");
    ASSERT_EQ(set.definitions.size(), 1u);
    const ServiceDefinition& sample = set.definitions[0];
    ASSERT_EQ(sample.helpEntries.size(), 1u);
    ASSERT_EQ(sample.packageEntries.size(), 1u);
    std::vector<QUrl> opened;
    const ServiceUrlOpener opener = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    EXPECT_TRUE(RunHelpCommand(set.definitions, 46000, opener));
    RunPackageMenuCommand(set.definitions, PackageEntryCommand(0, 0), {}, opener);
    const QUrl page = QUrl::fromLocalFile(QStringLiteral(VISTREL_SOURCE_DIR "/resources/services/sample/help/index.html"));
    EXPECT_EQ(opened, (std::vector<QUrl>{page, page}));
}

} // namespace
