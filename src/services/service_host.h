#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/library_counts.h"

class QMenu;
class QWidget;

// The three parallel path lists that the file-list host functions answer with: for each item its
// full path, the path of its sound memo and of its RAW companion (empty texts when none).
struct ServiceFileLists {
    std::vector<std::string> paths;
    std::vector<std::string> memoPaths;
    std::vector<std::string> companionPaths;
};

enum class ServiceFileScope { All, Selected, Displayed };

// Flag and number of the program-menu or tool-menu command being run (or the last one).
struct MenuRunState {
    bool running = false;
    int32_t command = 0;
};

// What the host functions read from and hand back to the running program. The main window
// implements it; tests use a recording fake. Main thread only.
class ServiceHost {
public:
    virtual ~ServiceHost() = default;

    // Rebuilds the lists from the current item list and recounts before answering.
    virtual ServiceFileLists Files(ServiceFileScope scope) = 0;
    virtual const LibraryCounts& Counts() = 0;

    virtual const std::string& CurrentFolder() const = 0;
    virtual std::string CurrentFolderName() const = 0;
    virtual std::vector<uint8_t> CurrentFolderData() const = 0;
    virtual const std::string& CommandLine() const = 0;
    virtual std::string CommandLineForAutoCapture() const = 0;

    virtual bool IsPeriodMode() const = 0;
    virtual bool IsPreviewMode() const = 0;
    virtual bool NetPrintEnabled() const = 0;

    virtual void SetLeftWidthLimits(int minimum, int maximum) = 0;
    virtual void SetDialogWindow(QWidget* dialog) = 0;
    // Ends the active pane service and brings the program's own windows back before returning.
    virtual void ExitPaneService() = 0;

    virtual QMenu* ProgramMenu() = 0; // first command 43000
    virtual QMenu* ToolMenu() = 0;    // first command 44000
    virtual MenuRunState MenuRun() const = 0;

    virtual void SetHelperMenuCount(int count) = 0;
    virtual void SetHelperMenu(int index, std::string caption, int32_t command, std::string secondText) = 0;
    virtual void SetProgramMenuCount(int count) = 0;
    virtual void SetProgramMenu(int index, std::string caption, int32_t command, std::string secondText) = 0;

    virtual void AddUpdateFile(std::string path) = 0;
    // The folder as the service gave it; the host removes a trailing separator itself.
    virtual void SetUpdateFolder(std::string path) = 0;
};
