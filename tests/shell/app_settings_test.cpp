#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "shell/app_settings.h"
#include "shell/item_id_list.h"
#include "shell/settings_store.h"

namespace {

struct AppSettingsTest : ::testing::Test {
    Sandbox sandbox;
    void SetUp() override { UseSettingsFile(sandbox / "settings.reg"); }
    void TearDown() override { UseSettingsFile(SettingsStore::DefaultFilePath()); }
};

} // namespace

TEST_F(AppSettingsTest, FirstStartUsesTheDefaults)
{
    AppSettings settings;
    ReadStartupSettings(settings);
    EXPECT_EQ(settings.windowWidth, 800);
    EXPECT_EQ(settings.windowHeight, 600);
    EXPECT_EQ(settings.thumbnailSize, 1);
    EXPECT_EQ(settings.pmMode, 0);
    EXPECT_EQ(settings.menuPanel, 1);
    EXPECT_EQ(settings.yearDirection, -1);
    EXPECT_EQ(settings.maxThumbnailCache, 1024);
    EXPECT_FALSE(settings.dpofUse);
    EXPECT_TRUE(settings.startFolder.empty());
    EXPECT_EQ(ReadBootTimes(), 0u);
}

TEST_F(AppSettingsTest, SmallCacheIsRaisedAndWrittenBackRaised)
{
    RegistryWriteDword("CurrentSettings\\MaxThumbnailCache", 100);
    AppSettings settings;
    ReadStartupSettings(settings);
    EXPECT_EQ(settings.maxThumbnailCache, 1024);
    SaveSettingsOnClose(settings, "/");
    uint32_t stored = 0;
    RegistryReadDword(stored, "CurrentSettings\\MaxThumbnailCache", 0);
    EXPECT_EQ(stored, 1024u);

    RegistryWriteDword("CurrentSettings\\MaxThumbnailCache", 5000);
    ReadStartupSettings(settings);
    EXPECT_EQ(settings.maxThumbnailCache, 5000);
}

TEST_F(AppSettingsTest, DpofIsOnOnlyForExactlyOne)
{
    for (const auto& [text, expected] :
         {std::pair{"1", true}, std::pair{"1 ", false}, std::pair{"yes", false}, std::pair{"01", false}}) {
        RegistryWriteString("CurrentSettings\\DPOFUse", text);
        AppSettings settings;
        ReadStartupSettings(settings);
        EXPECT_EQ(settings.dpofUse, expected) << '"' << text << '"';
    }
}

TEST_F(AppSettingsTest, StoredValuesAreTheDefaultsOfTheirVariables)
{
    RegistryWriteDword("CurrentSettings\\ViewMode", 2);
    AppSettings settings;
    settings.sortType = 3; // a missing value keeps the variable's current value
    ReadStartupSettings(settings);
    EXPECT_EQ(settings.viewMode, 2);
    EXPECT_EQ(settings.sortType, 3);
}

TEST_F(AppSettingsTest, SaveWritesEverySettingAndTheStartFolder)
{
    AppSettings settings;
    settings.windowPosX = -8;
    settings.windowLWidth = 300;
    settings.yearDirection = 1;
    SaveSettingsOnClose(settings, "/home/me/Pictures/2006");
    AppSettings reread;
    ReadStartupSettings(reread);
    EXPECT_EQ(reread.windowPosX, -8);
    EXPECT_EQ(reread.windowLWidth, 300);
    EXPECT_EQ(reread.yearDirection, 1);
    EXPECT_EQ(reread.startFolder, "/home/me/Pictures/2006");

    std::string hex;
    RegistryReadString(hex, "CurrentSettings\\StartFolder", "");
    EXPECT_EQ(hex, EncodeHex(EncodeItemIdList("/home/me/Pictures/2006")));
    // The order of writing is the order of the file.
    const std::string content = ReadTextFile(sandbox / "settings.reg");
    EXPECT_LT(content.find("WindowPosX"), content.find("WindowLWidth"));
    EXPECT_LT(content.find("WindowLWidth"), content.find("MaxThumbnailCache"));
    EXPECT_LT(content.find("MaxThumbnailCache"), content.find("StartFolder"));
}

TEST_F(AppSettingsTest, HandEditedStartFolderMeansNone)
{
    std::string upper = EncodeHex(EncodeItemIdList("/tmp"));
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    RegistryWriteString("CurrentSettings\\StartFolder", upper);
    AppSettings settings;
    ReadStartupSettings(settings);
    EXPECT_TRUE(settings.startFolder.empty());
}

TEST_F(AppSettingsTest, CountingStartsAddsOne)
{
    EXPECT_EQ(ReadBootTimes(), 0u);
    CountThisStart();
    CountThisStart();
    EXPECT_EQ(ReadBootTimes(), 2u);
    RegistryWriteDword("BootTimes", 0); // a stored 0 is a first start again
    EXPECT_EQ(ReadBootTimes(), 0u);
}

TEST_F(AppSettingsTest, NetPrintIsOnlyForOne)
{
    AppSettings settings;
    RegistryWriteDword("NetInformation\\EnableNetPrint", 2);
    ReadNetPrintSetting(settings);
    EXPECT_FALSE(settings.enableNetPrint);
    RegistryWriteDword("NetInformation\\EnableNetPrint", 1);
    ReadNetPrintSetting(settings);
    EXPECT_TRUE(settings.enableNetPrint);
}
