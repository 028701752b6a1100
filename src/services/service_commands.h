#pragma once

#include <functional>

class CommandDispatcher;
class ServiceRunner;

// Command numbers that run services.
inline constexpr int kCommandPrint = 40002;
inline constexpr int kCommandNetPrint = 40003;
inline constexpr int kCommandDpofWizard = 40004;
inline constexpr int kCommandSaveAs = 40005;
inline constexpr int kCommandAutoRename = 40009;
inline constexpr int kCommandAbout = 40035;
inline constexpr int kCommandAddBookmarks = 40040;
inline constexpr int kCommandOrganizeBookmarks = 40041;
inline constexpr int kCommandEndPaneService = 40047;
inline constexpr int kCommandMergeFolder = 40050;
inline constexpr int kCommandDivideFolder = 40051;
inline constexpr int kCommandSlideShow = 40066;
inline constexpr int kCommandClipInsertText = 40067;
inline constexpr int kCommandAdjustImageQuality = 40068;
inline constexpr int kCommandCorrectRedEye = 40069;
inline constexpr int kCommandCopyPicture = 40070;
inline constexpr int kCommandAutoCapture = 40074;
inline constexpr int kCommandSlideshowSetting = 40077;
inline constexpr int kCommandCameraSetting = 40078;
inline constexpr int kCommandRotateCW = 40079;
inline constexpr int kCommandRotateCCW = 40080;
inline constexpr int kCommandAutoRotate = 40082;
inline constexpr int kCommandAutoResize = 40083;
inline constexpr int kCommandChangeInfo = 40084;
inline constexpr int kCommandAutoFormat = 40085;
inline constexpr int kCommandSendMail = 40086;
inline constexpr int kCommandNetServiceSetting = 40087;
inline constexpr int kCommandAutoCaptureSetting = 40088;
inline constexpr int kCommandRemoveDevice = 40089;

// What the service commands ask of the rest of the program around a run. Empty functions are
// skipped (a subsystem that is not there yet).
struct ServiceCommandActions {
    std::function<void()> stopWatching;
    std::function<void()> startWatching;
    std::function<void()> clearUpdateFolder;
    std::function<bool()> updateFolderSet;
    // Date index of the update folder (before refreshing after a folder division).
    std::function<void()> indexUpdateFolder;
    // The selected items' cached data dropped, the date index updated, the listing refreshed.
    std::function<void()> refreshAfterService;
    std::function<void()> reloadPreview;
    // Turns only the preview's display when its file cannot be rewritten; false otherwise.
    std::function<bool(int command)> turnPreviewDisplayOnly;
    std::function<void()> beforeSlideShow;
    // After a bookmark service: the bookmark menu from the settings again.
    std::function<void()> bookmarksChanged;
    std::function<void()> repaint;
};

// Registers the commands of the services that are installed; the others stay without a
// handler, so that their menu entries are greyed.
void RegisterServiceCommands(CommandDispatcher& dispatcher, ServiceRunner& runner, ServiceCommandActions actions);
