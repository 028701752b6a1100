#pragma once

#include <functional>
#include <string>
#include <string_view>

// The command-line interpreters: what a command line asks for, decided without doing it, so
// that the start-up pre-scan and the full option pass can be checked on their own. The main
// window carries the resulting action out.

// What the interpreters need to know of the running program and the file system.
struct CommandLineEnvironment {
    bool serviceRunning = false;
    bool captureAtStart = false; // the start-up pre-scan already ran the capture service
    bool periodMode = false;
    // The absolute path of an existing entry, empty when it does not exist.
    std::function<std::string(std::string_view)> canonicalise;
    // True for a folder, and also when the entry's attributes cannot be read.
    std::function<bool(std::string_view)> isFolder;
};

// The service names that command-line actions run.
inline constexpr std::string_view kServiceAutoCapturePM = "AutoCapturePM";
inline constexpr std::string_view kServiceAutoCaptureDS = "AutoCaptureDS";
inline constexpr std::string_view kServiceSlideShow = "SlideShow";
inline constexpr std::string_view kServiceSendMail = "SendMail";
inline constexpr std::string_view kServicePrint = "Print";

struct CommandLineAction {
    enum class Kind {
        Nothing,
        RefreshPanels,    // no path at start: refresh the folder or period panels
        RunService,       // run `service`; see the flags
        KeepCaptureText,  // capture already ran at start: only keep the capture text
        UpdateAllIndexes, // update the date index for all folders, refresh the period panel
        PreviewOnly,      // forwarded with the open option: switch to the preview, repaint
        ShowFile,         // make `path` the focused item in the preview
        OpenFolder,       // open `path` as the current folder
    };

    Kind kind = Kind::Nothing;
    std::string service;
    std::string path;
    bool keepCaptureText = false;     // copy the whole text to the auto-capture command line
    bool setsCaptureAtStart = false;  // the start-up pre-scan ran the capture service
    bool refreshAfterCapture = false; // update the index of the update folder, list again
    bool loadAllDetailsFirst = false; // slide show in period mode: load every item's details
    bool stopPlayback = false;
    bool openFileFolder = false;    // ShowFile: open the file's folder first
    bool switchToPreview = false;   // ShowFile: the view mode becomes Preview
    bool refreshPanels = false;     // ShowFile / OpenFolder: refresh the panels first
    bool viaPicturesFolder = false; // OpenFolder: show it below the Pictures folder in the tree
    // The first path token that names nothing: the user is told once the window is up.
    std::string missingPath;

    friend bool operator==(const CommandLineAction&, const CommandLineAction&) = default;
};

// The start-up pre-scan (folder mode only): capture options and the first path.
CommandLineAction PreScanCommandLine(std::string_view argumentText, const CommandLineEnvironment& env);

// The full option interpreter; forwarded is true for text that came from another process.
// `picturesFolder` is the user's Pictures folder (may be empty).
CommandLineAction InterpretCommandLine(std::string_view argumentText, bool forwarded,
                                       const CommandLineEnvironment& env, std::string_view picturesFolder);

// Canonicalisation on the real file system: absolute, lexically normal, existing; else empty.
std::string CanonicalisePath(std::string_view path);
// The directory flag of an entry (following links); true when it cannot be read.
bool IsFolderOrUnreadable(std::string_view path);
// The parent folder of an absolute path ("/" for entries in the root).
std::string ParentFolderOf(std::string_view path);
