#pragma once

#include <string>
#include <string_view>

#include "framework/window_placement.h"

// The fixed regions of the main window's client area, in plain numbers.
inline constexpr int kTopBarHeight = 65;
inline constexpr int kSplitterWidth = 4;
inline constexpr int kRightColumnWidth = 145;
inline constexpr int kViewMinimumWidth = 438;
inline constexpr int kLeftDefaultMinimum = 207;
inline constexpr int kLeftDefaultMaximum = 1024;
inline constexpr int kFolderTreeMaximum = 4096;
// The status bar's parts end at these x positions.
inline constexpr int kStatusPartEnds[2] = {560, 1600};

// What the left panel shows below its buttons.
enum class LeftPage { Navigation = 0, MenuPanel = 1 };

// The current and the normal (current page's) limits of the left panel width. A service may
// change the current limits; ending it restores the normal ones.
struct LeftWidthLimits {
    int minimum = kLeftDefaultMinimum;
    int maximum = kLeftDefaultMaximum;
    int normalMinimum = kLeftDefaultMinimum;
    int normalMaximum = kLeftDefaultMaximum;

    bool Draggable() const { return minimum != maximum; }
};

// Showing a page sets its limits: the menu panel and the period panel are a fixed 207 pixels,
// the folder tree may grow. The current limits follow unless a service holds them.
void ShowLeftPageLimits(LeftWidthLimits& limits, LeftPage page, bool periodMode, bool serviceActive);

struct MainLayout {
    int leftWidth = 0; // after clamping, possibly reduced to keep the view's minimum
    WindowRect topBar;
    WindowRect leftPanel;
    WindowRect viewArea;
    WindowRect rightColumn;
    WindowRect splitter;
};

// Places every region for a client area of `clientWidth` x `clientHeight` whose bottom
// `statusBarHeight` pixels belong to the status bar.
MainLayout LayoutMainWindow(int clientWidth, int clientHeight, int statusBarHeight, int leftWidth,
                            const LeftWidthLimits& limits);

// The left width while the splitter is dragged to client x `mouseX`.
int DraggedLeftWidth(int mouseX, const LeftWidthLimits& limits);

// "VistrelViewer" in period mode, "VistrelViewer - <folder>" in folder mode (until a folder is
// open, the base alone).
std::string MainWindowTitle(std::string_view titleBase, bool periodMode, std::string_view folderDisplayName);
