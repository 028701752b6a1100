#include <gtest/gtest.h>

#include "shell/main_layout.h"
#include "shell/view_commands.h"

namespace {

LeftWidthLimits FolderTreeLimits()
{
    LeftWidthLimits limits;
    ShowLeftPageLimits(limits, LeftPage::Navigation, false, false);
    return limits;
}

} // namespace

TEST(MainLayout, PlacesEveryRegionAroundTheView)
{
    const MainLayout layout = LayoutMainWindow(1280, 760, 22, 300, FolderTreeLimits());
    EXPECT_EQ(layout.leftWidth, 300);
    EXPECT_EQ(layout.topBar, (WindowRect{0, 0, 1280, 65}));
    EXPECT_EQ(layout.leftPanel, (WindowRect{0, 65, 300, 673}));
    EXPECT_EQ(layout.splitter, (WindowRect{300, 65, 4, 673}));
    EXPECT_EQ(layout.viewArea, (WindowRect{304, 65, 1280 - 145 - 300 - 4, 673}));
    EXPECT_EQ(layout.rightColumn, (WindowRect{1135, 65, 145, 673}));
}

TEST(MainLayout, NarrowWindowTakesWidthFromTheLeftPanel)
{
    // 800 - 145 - 300 - 4 = 351 < 438: the left panel gives up 87 pixels.
    const MainLayout layout = LayoutMainWindow(800, 600, 20, 300, FolderTreeLimits());
    EXPECT_EQ(layout.leftWidth, 213);
    EXPECT_EQ(layout.viewArea.width, 438);
    EXPECT_EQ(layout.viewArea.x, 217);
}

TEST(MainLayout, StoredWidthIsHeldWithinThePageLimits)
{
    EXPECT_EQ(LayoutMainWindow(1600, 900, 20, 0, FolderTreeLimits()).leftWidth, 207);
    EXPECT_EQ(LayoutMainWindow(9000, 900, 20, 5000, FolderTreeLimits()).leftWidth, 4096);

    LeftWidthLimits fixed;
    ShowLeftPageLimits(fixed, LeftPage::MenuPanel, false, false);
    EXPECT_FALSE(fixed.Draggable());
    EXPECT_EQ(LayoutMainWindow(1600, 900, 20, 600, fixed).leftWidth, 207);

    LeftWidthLimits period;
    ShowLeftPageLimits(period, LeftPage::Navigation, true, false);
    EXPECT_EQ(period.maximum, 207);
}

TEST(MainLayout, ServiceLimitsStayUntilTheServiceEnds)
{
    LeftWidthLimits limits = FolderTreeLimits();
    limits.minimum = limits.maximum = 300; // a service froze the splitter
    ShowLeftPageLimits(limits, LeftPage::MenuPanel, false, true);
    EXPECT_EQ(limits.minimum, 300);
    EXPECT_EQ(limits.normalMaximum, 207);
    EXPECT_FALSE(limits.Draggable());
}

TEST(MainLayout, SplitterDragStopsAtTheLimitsAndTheViewMinimum)
{
    const LeftWidthLimits limits = FolderTreeLimits();
    EXPECT_EQ(DraggedLeftWidth(10, limits), 207);
    EXPECT_EQ(DraggedLeftWidth(500, limits), 500);
    EXPECT_EQ(DraggedLeftWidth(5000, limits), 4096);
    // Dragged past the view's minimum, the layout gives the view its 438 pixels back.
    const MainLayout layout = LayoutMainWindow(1280, 800, 20, DraggedLeftWidth(1100, limits), limits);
    EXPECT_EQ(layout.leftWidth, 1280 - 145 - 4 - 438);
}

TEST(MainLayout, TitleNamesTheFolderOnlyInFolderMode)
{
    EXPECT_EQ(MainWindowTitle("VistrelViewer", false, "100_VIST"), "VistrelViewer - 100_VIST");
    EXPECT_EQ(MainWindowTitle("VistrelViewer", true, "100_VIST"), "VistrelViewer");
    EXPECT_EQ(MainWindowTitle("VistrelViewer", false, ""), "VistrelViewer");
}

TEST(ViewCommands, TopBarButtonsMapToMainCommands)
{
    EXPECT_EQ(MainCommandOfTopBar(52001, 1), 40301);
    EXPECT_EQ(MainCommandOfTopBar(52002, 1), 40302);
    // The thumbnail button keeps the current size: 2 → 40306, 0 → 40308.
    EXPECT_EQ(MainCommandOfTopBar(52009, 2), 40306);
    EXPECT_EQ(MainCommandOfTopBar(52009, 0), 40308);
    EXPECT_EQ(MainCommandOfTopBar(52012, 2), 40308);
    EXPECT_EQ(MainCommandOfTopBar(52014, 0), 40306);
    EXPECT_EQ(MainCommandOfTopBar(52015, 1), 40308);
    EXPECT_EQ(MainCommandOfTopBar(52016, 1), 40306);
    // A step past either end changes nothing.
    EXPECT_EQ(MainCommandOfTopBar(52015, 0), std::nullopt);
    EXPECT_EQ(MainCommandOfTopBar(52016, 2), std::nullopt);
    EXPECT_EQ(MainCommandOfTopBar(52099, 1), std::nullopt);
    EXPECT_EQ(MainCommandOfLeftPanel(52004), 40304);
    EXPECT_EQ(MainCommandOfLeftPanel(52006), 40063);
    EXPECT_EQ(MainCommandOfLeftPanel(52007), 40064);
    EXPECT_EQ(MainCommandOfLeftPanel(52099), std::nullopt);
}
