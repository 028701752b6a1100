#include "shell/main_layout.h"

#include <algorithm>

void ShowLeftPageLimits(LeftWidthLimits& limits, LeftPage page, bool periodMode, bool serviceActive)
{
    const bool folderTree = page == LeftPage::Navigation && !periodMode;
    limits.normalMinimum = kLeftDefaultMinimum;
    limits.normalMaximum = folderTree ? kFolderTreeMaximum : kLeftDefaultMinimum;
    if (!serviceActive) {
        limits.minimum = limits.normalMinimum;
        limits.maximum = limits.normalMaximum;
    }
}

MainLayout LayoutMainWindow(int clientWidth, int clientHeight, int statusBarHeight, int leftWidth,
                            const LeftWidthLimits& limits)
{
    // Not std::clamp: a service may set a minimum above the maximum, and then the minimum wins.
    leftWidth = std::max(std::min(leftWidth, limits.maximum), limits.minimum);
    const int rightWidth = kRightColumnWidth;
    int viewWidth = clientWidth - rightWidth - leftWidth - kSplitterWidth;
    if (viewWidth < kViewMinimumWidth) {
        leftWidth -= kViewMinimumWidth - viewWidth;
        viewWidth = kViewMinimumWidth;
    }
    const int bodyHeight = clientHeight - kTopBarHeight - statusBarHeight;
    MainLayout layout;
    layout.leftWidth = leftWidth;
    layout.topBar = {0, 0, clientWidth, kTopBarHeight};
    layout.leftPanel = {0, kTopBarHeight, leftWidth, bodyHeight};
    layout.viewArea = {leftWidth + kSplitterWidth, kTopBarHeight, viewWidth, bodyHeight};
    layout.rightColumn = {clientWidth - rightWidth, kTopBarHeight, rightWidth, bodyHeight};
    layout.splitter = {leftWidth, kTopBarHeight, kSplitterWidth, bodyHeight};
    return layout;
}

int DraggedLeftWidth(int mouseX, const LeftWidthLimits& limits)
{
    return std::max(std::min(mouseX, limits.maximum), limits.minimum);
}

std::string MainWindowTitle(std::string_view titleBase, bool periodMode, std::string_view folderDisplayName)
{
    std::string title(titleBase);
    if (!periodMode && !folderDisplayName.empty()) {
        title += " - ";
        title += folderDisplayName;
    }
    return title;
}
