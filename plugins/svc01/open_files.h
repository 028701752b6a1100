#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Beyond this many files the user is asked first: each one starts an application window.
inline constexpr std::size_t kOpenWithoutAsking = 10;

// What opening files needs from the desktop and the user; every member is required.
struct OpenRun {
    // Starts the desktop's default application for a file; false when none could be started.
    std::function<bool(const std::string& path)> open;
    // "Open N files?"; false cancels the whole run. Only called above kOpenWithoutAsking.
    std::function<bool(std::size_t count)> confirmMany;
};

struct OpenOutcome {
    std::vector<std::string> opened;
    std::vector<std::string> missing;    // gone from the disk since they were selected
    std::vector<std::string> noHandler;  // no application took them
    bool cancelled = false;

    bool Failed() const { return !missing.empty() || !noHandler.empty(); }
};

// Opens each file in turn, asking once first when there are more than kOpenWithoutAsking.
OpenOutcome OpenFiles(const std::vector<std::string>& paths, const OpenRun& run);

std::string OpenQuestion(std::size_t count);
// The message naming every file that did not open and why; empty when all did.
std::string OpenFailureReport(const OpenOutcome& outcome);

// QDesktopServices with a local-file URL, so that names with '#', '?' or spaces stay whole.
bool OpenWithDesktop(const std::string& path);

// The Exec of the Open module: opens the selected files over the main window.
int RunOpenService(void* mainWindow);
