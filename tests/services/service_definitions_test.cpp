#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "services/service_definitions.h"

namespace {

std::string Definition(int id, int rank, std::string_view title = "", std::string_view extra = "")
{
    return "[Identification]\nProvider=KAVORINE\nid=" + std::to_string(id) + "\nRank=" + std::to_string(rank)
        + "\n[Presentation]\nTitleString=" + std::string(title) + "\n" + std::string(extra);
}

std::string Entries(std::string_view prefix, int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "[%s_%02d]\n", std::string(prefix).c_str(), i);
        text += section;
        text += "Caption=c" + std::to_string(i) + "\nCaptionEx=Entry " + std::to_string(i)
            + "\nAction=Web\nActionSource=https://example.com/" + std::to_string(i) + "\n";
    }
    return text;
}

TEST(ServiceDefinitionDiscovery, FindsEveryLetterCaseInNameOrderAndNothingElse)
{
    Sandbox sandbox;
    sandbox.WriteFile("b/ServiceDef.INI", "");
    sandbox.WriteFile("a/deep/er/servicedef.ini", "");
    sandbox.WriteFile("a/servicedef.ini.bak", "");
    sandbox.WriteFile("c/servicedefs.ini", "");
    sandbox.MakeFolder("d/servicedef.ini"); // a folder of that name is not a file
    const auto files = FindServiceDefinitionFiles(sandbox.Path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], sandbox / "a/deep/er/servicedef.ini");
    EXPECT_EQ(files[1], sandbox / "b/ServiceDef.INI");
    EXPECT_TRUE(FindServiceDefinitionFiles(sandbox / "missing").empty());
}

TEST(ServiceDefinitionDiscovery, DoesNotLoopOnLinkedFoldersAndSkipsUnreadableOnes)
{
    Sandbox sandbox;
    sandbox.WriteFile("pkg/servicedef.ini", Definition(1, 1));
    std::filesystem::create_directory_symlink(sandbox.Path(), sandbox / "pkg/loop");
    std::filesystem::create_directory_symlink(sandbox / "pkg", sandbox / "alias");
    sandbox.WriteFile("zlocked/inner/servicedef.ini", Definition(2, 2));
    sandbox.WriteFile("zz/servicedef.ini", Definition(3, 3));
    std::filesystem::permissions(sandbox / "zlocked", std::filesystem::perms::none);
    const auto files = FindServiceDefinitionFiles(sandbox.Path());
    std::filesystem::permissions(sandbox / "zlocked", std::filesystem::perms::owner_all);

    // Root reads the locked folder anyway; anyone else just does not see it, and the walk goes on.
    std::vector<std::string> expected{sandbox / "pkg/servicedef.ini"};
    if (::geteuid() == 0)
        expected.push_back(sandbox / "zlocked/inner/servicedef.ini");
    expected.push_back(sandbox / "zz/servicedef.ini");
    EXPECT_EQ(files, expected);
}

TEST(ServiceDefinitionLoading, OrdersByRankAndTakesTheTitleOfTheLowestRank)
{
    Sandbox sandbox;
    sandbox.WriteFile("a/servicedef.ini", Definition(1, 10, "Ten"));
    sandbox.WriteFile("b/servicedef.ini", Definition(2, 5, "Five"));
    sandbox.WriteFile("c/servicedef.ini", Definition(3, 10, "Later ten"));
    sandbox.WriteFile("d/servicedef.ini", Definition(4, 5, "Second five"));
    const ServiceDefinitionSet set = LoadServiceDefinitions(sandbox.Path());
    ASSERT_EQ(set.definitions.size(), 4u);
    EXPECT_EQ(set.definitions[0].id, 2);
    EXPECT_EQ(set.definitions[1].id, 4);
    EXPECT_EQ(set.definitions[2].id, 1);
    EXPECT_EQ(set.definitions[3].id, 3);
    EXPECT_EQ(set.titleBase, "VistrelViewer Five");
    EXPECT_EQ(set.definitions[0].folder, sandbox / "b");
}

TEST(ServiceDefinitionLoading, FirstAcceptedFileSetsTheTitleEvenWhenEmpty)
{
    Sandbox sandbox;
    EXPECT_EQ(LoadServiceDefinitions(sandbox.Path()).titleBase, "VistrelViewer");
    sandbox.WriteFile("a/servicedef.ini", Definition(1, 3));
    sandbox.WriteFile("b/servicedef.ini", Definition(2, 3, "Same rank"));
    EXPECT_EQ(LoadServiceDefinitions(sandbox.Path()).titleBase, "VistrelViewer ");
}

TEST(ServiceDefinitionLoading, OtherProvidersAndDamagedFilesContributeNothing)
{
    Sandbox sandbox;
    sandbox.WriteFile("a/servicedef.ini", "[Identification]\nProvider=kavorine\nRank=0\n");
    sandbox.WriteFile("b/servicedef.ini", "[Identification]\nRank=0\n");
    sandbox.WriteFile("c/servicedef.ini", std::string("\0\xFF\x13[Identification\n\n\n", 20));
    sandbox.WriteFile("d/servicedef.ini", "[Identification]\nProvider=KAVORINE\n");
    const ServiceDefinitionSet set = LoadServiceDefinitions(sandbox.Path());
    ASSERT_EQ(set.definitions.size(), 1u);
    EXPECT_EQ(set.definitions[0].id, 0);
    EXPECT_EQ(set.definitions[0].rank, 0);
}

TEST(ServiceDefinitionLoading, EntryListsStopAtTheFirstEmptyCaption)
{
    Sandbox sandbox;
    sandbox.WriteFile("a/servicedef.ini",
                      Definition(1, 1, "", "[HelpMenu_01]\nCaption=\n[HelpMenu_02]\nCaption=x\nCaptionEx=X\n"
                                 "[ServMenu]\nCaptionEx=Package\n[UpdateMenu]\nMenuInsert=y\n"
                                 "[ServMenu_01]\nCaption=one\nCaptionEx=One\nAction=File\nActionSource=a.html\n"
                                 "[ServMenu_03]\nCaption=three\n"));
    sandbox.WriteFile("b/servicedef.ini", Definition(2, 2, "", "[UpdateMenu]\nMenuInsert=Y\n"));
    const ServiceDefinitionSet set = LoadServiceDefinitions(sandbox.Path());
    ASSERT_EQ(set.definitions.size(), 2u);
    const ServiceDefinition& first = set.definitions[0];
    EXPECT_TRUE(first.helpEntries.empty());
    EXPECT_EQ(first.packageMenuCaption, "Package");
    EXPECT_FALSE(first.menuInsert);
    ASSERT_EQ(first.packageEntries.size(), 1u);
    EXPECT_EQ(first.packageEntries[0].captionEx, "One");
    EXPECT_EQ(first.packageEntries[0].action, "File");
    EXPECT_EQ(first.packageEntries[0].actionSource, "a.html");
    EXPECT_EQ(first.packageEntries[0].folder, sandbox / "a");
    EXPECT_TRUE(set.definitions[1].menuInsert);
}

TEST(ServiceDefinitionLoading, PackageEntriesAreCappedAtTheNumberScheme)
{
    Sandbox sandbox;
    sandbox.WriteFile("a/servicedef.ini", Definition(1, 1, "", Entries("ServMenu", 99)));
    const ServiceDefinitionSet set = LoadServiceDefinitions(sandbox.Path());
    ASSERT_EQ(set.definitions.size(), 1u);
    EXPECT_EQ(set.definitions[0].packageEntries.size(), static_cast<size_t>(kMaxPackageMenuEntries));
}

ServiceDefinitionList HelpList(std::initializer_list<int> counts)
{
    ServiceDefinitionList list;
    for (const int count : counts) {
        ServiceDefinition record;
        record.id = static_cast<int>(list.size()) + 70;
        for (int i = 0; i < count; ++i)
            record.helpEntries.push_back({"c", "Help " + std::to_string(list.size()) + "." + std::to_string(i), "Web",
                                          "https://example.com", ""});
        for (int i = 0; i < 2; ++i)
            record.packageEntries.push_back({"c", "Entry", "Web", "https://example.com", ""});
        list.push_back(record);
    }
    return list;
}

TEST(ServiceCommandNumbers, HelpPositionsCountOneSeparatorPerRecord)
{
    const ServiceDefinitionList list = HelpList({3, 2, 0, 1});
    ASSERT_NE(HelpEntryAt(list, 46004), nullptr);
    EXPECT_EQ(HelpEntryAt(list, 46004)->captionEx, "Help 1.0");
    EXPECT_EQ(HelpEntryAt(list, 46005)->captionEx, "Help 1.1");
    EXPECT_EQ(HelpEntryAt(list, 46000)->captionEx, "Help 0.0");
    EXPECT_EQ(HelpEntryAt(list, 46003), nullptr); // separator
    EXPECT_EQ(HelpEntryAt(list, 46007), nullptr); // the empty record's separator
    EXPECT_EQ(HelpEntryAt(list, 46008)->captionEx, "Help 3.0");
    EXPECT_EQ(HelpEntryAt(list, 46009), nullptr);
    EXPECT_EQ(HelpEntryAt(list, 46010), nullptr);
    EXPECT_EQ(HelpEntryAt(list, 45999), nullptr);
    EXPECT_EQ(HelpMenuLayout(list).size(), 10u);
}

TEST(ServiceCommandNumbers, HelpLayoutStaysInsideItsRange)
{
    const ServiceDefinitionList list = HelpList({99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99});
    const auto layout = HelpMenuLayout(list);
    ASSERT_EQ(layout.size(), 1000u);
    EXPECT_EQ(layout.back().command, 46999);
    EXPECT_EQ(HelpEntryAt(list, 47000), nullptr);
}

TEST(ServiceCommandNumbers, PackageNumbersFollowTheScheme)
{
    EXPECT_EQ(UpdateMenuCommand(0), 45000);
    EXPECT_EQ(DeleteMenuCommand(0), 45001);
    EXPECT_EQ(PackageEntryCommand(0, 0), 45002);
    EXPECT_EQ(PackageEntryCommand(2, kMaxPackageMenuEntries - 1), 45298);
    EXPECT_EQ(SoftwareUpdateCommand(3), 45399);
}

TEST(ServiceCommandNumbers, DecodingIgnoresWhatTheListDoesNotHave)
{
    const ServiceDefinitionList list = HelpList({0, 0});
    auto decoded = DecodePackageCommand(list, 45100);
    EXPECT_EQ(decoded.kind, PackageCommandKind::UpdateMenu);
    EXPECT_EQ(decoded.recordIndex, 1);
    EXPECT_EQ(PackageRequestText(list, decoded), "ZORX_UpdateMenu,71");
    EXPECT_EQ(PackageRequestText(list, DecodePackageCommand(list, 45001)), "ZORX_DeleteMenu,70");
    EXPECT_EQ(PackageRequestText(list, DecodePackageCommand(list, 45199)), "ZORX_SoftwareUpdate,71");

    decoded = DecodePackageCommand(list, 45103);
    EXPECT_EQ(decoded.kind, PackageCommandKind::Entry);
    EXPECT_EQ(decoded.entryIndex, 1);
    EXPECT_EQ(PackageRequestText(list, decoded), "");

    EXPECT_EQ(DecodePackageCommand(list, 45104).kind, PackageCommandKind::None); // no third entry
    EXPECT_EQ(DecodePackageCommand(list, 45200).kind, PackageCommandKind::None); // no third record
    EXPECT_EQ(DecodePackageCommand(list, 44999).kind, PackageCommandKind::None);

    // Records past the tenth have no menu, so their numbers would run into other commands.
    const ServiceDefinitionList many = HelpList({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(DecodePackageCommand(many, 45900).kind, PackageCommandKind::UpdateMenu);
    EXPECT_EQ(DecodePackageCommand(many, 46000).kind, PackageCommandKind::None);
}

} // namespace
