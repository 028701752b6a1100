#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The process-wide settings variables: read once at start, changed by the program while it
// runs, written back when the main window accepts its close. Main thread only.
struct AppSettings {
    int32_t windowPosX = 0;
    int32_t windowPosY = 0;
    int32_t windowWidth = 800;
    int32_t windowHeight = 600;
    int32_t windowLWidth = 0;
    int32_t thumbnailSize = 1;  // thumbnail size code of the thumbnail view
    int32_t viewMode = 0;       // 0 thumbnails, 1 preview, 2 report
    int32_t pmMode = 0;         // 1 in period mode
    int32_t menuPanel = 1;      // 1 when the left panel shows the menu panel
    int32_t yearDirection = -1; // -1 or 1
    int32_t sortType = 0;
    int32_t maxThumbnailCache = 1024;
    bool dpofUse = false;        // on exactly when the stored text is "1"
    std::string startFolder;     // decoded folder path; empty when none
    bool enableNetPrint = false; // on exactly when the stored number is 1
};

// The smallest cache the program runs with, whatever is stored.
inline constexpr int32_t kMinimumThumbnailCache = 1024;

AppSettings& CurrentSettings();

// The start-up read in its fixed order; each number passes the variable's current value as
// its default. The cache size is raised to the minimum.
void ReadStartupSettings(AppSettings& settings);

// The start counter; 0 means this is the very first start.
uint32_t ReadBootTimes();
// Reads the start counter, adds one and writes it back.
void CountThisStart();

void ReadNetPrintSetting(AppSettings& settings);

// Writes the settings in their fixed order and the current folder as the start folder (as the
// hexadecimal text of its item-ID list).
void SaveSettingsOnClose(const AppSettings& settings, std::string_view currentFolder);
