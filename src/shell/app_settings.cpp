#include "shell/app_settings.h"

#include <algorithm>
#include <array>

#include "shell/item_id_list.h"
#include "shell/settings_store.h"

namespace {

struct NumberSetting {
    std::string_view keyPath;
    int32_t AppSettings::*member;
};

// The numbers in the order in which they are read at start and written on close.
constexpr std::array kNumberSettings = {
    NumberSetting{"CurrentSettings\\WindowPosX", &AppSettings::windowPosX},
    NumberSetting{"CurrentSettings\\WindowPosY", &AppSettings::windowPosY},
    NumberSetting{"CurrentSettings\\WindowWidth", &AppSettings::windowWidth},
    NumberSetting{"CurrentSettings\\WindowHeight", &AppSettings::windowHeight},
    NumberSetting{"CurrentSettings\\WindowLWidth", &AppSettings::windowLWidth},
    NumberSetting{"CurrentSettings\\ThumbnailSize", &AppSettings::thumbnailSize},
    NumberSetting{"CurrentSettings\\ViewMode", &AppSettings::viewMode},
    NumberSetting{"CurrentSettings\\PMMode", &AppSettings::pmMode},
    NumberSetting{"CurrentSettings\\MenuPanel", &AppSettings::menuPanel},
    NumberSetting{"CurrentSettings\\YearDirection", &AppSettings::yearDirection},
    NumberSetting{"CurrentSettings\\SortType", &AppSettings::sortType},
    NumberSetting{"CurrentSettings\\MaxThumbnailCache", &AppSettings::maxThumbnailCache},
};

constexpr std::string_view kDpofUse = "CurrentSettings\\DPOFUse";
constexpr std::string_view kStartFolder = "CurrentSettings\\StartFolder";
constexpr std::string_view kBootTimes = "BootTimes";
constexpr std::string_view kEnableNetPrint = "NetInformation\\EnableNetPrint";

} // namespace

AppSettings& CurrentSettings()
{
    static AppSettings settings;
    return settings;
}

void ReadStartupSettings(AppSettings& settings)
{
    for (const NumberSetting& row : kNumberSettings) {
        uint32_t value = 0;
        RegistryReadDword(value, row.keyPath, static_cast<uint32_t>(settings.*row.member));
        settings.*row.member = static_cast<int32_t>(value);
    }
    settings.maxThumbnailCache = std::max(settings.maxThumbnailCache, kMinimumThumbnailCache);

    std::string text;
    RegistryReadString(text, kDpofUse, "");
    settings.dpofUse = text == "1";

    RegistryReadString(text, kStartFolder, "");
    settings.startFolder = FolderFromHexItemIdList(text);
}

uint32_t ReadBootTimes()
{
    uint32_t count = 0;
    RegistryReadDword(count, kBootTimes, 0);
    return count;
}

void CountThisStart()
{
    RegistryWriteDword(kBootTimes, ReadBootTimes() + 1);
}

void ReadNetPrintSetting(AppSettings& settings)
{
    uint32_t value = 0;
    RegistryReadDword(value, kEnableNetPrint, 0);
    settings.enableNetPrint = value == 1;
}

void SaveSettingsOnClose(const AppSettings& settings, std::string_view currentFolder)
{
    Settings().Batch([&] {
        for (const NumberSetting& row : kNumberSettings)
            RegistryWriteDword(row.keyPath, static_cast<uint32_t>(settings.*row.member));
        RegistryWriteString(kStartFolder, EncodeHex(EncodeItemIdList(currentFolder)));
    });
}
