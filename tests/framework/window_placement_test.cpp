#include <gtest/gtest.h>

#include "framework/window_placement.h"

namespace {
const WindowRect kWorkArea{0, 0, 1280, 770}; // a 1280 x 800 screen less a 30-pixel panel
}

TEST(WindowPlacement, CentresWithTruncatingDivision)
{
    EXPECT_EQ(PlaceInWorkArea({5, 5, 801, 601}, kWorkArea, true), (WindowRect{239, 84, 801, 601}));
    // Taller than the work area: centring goes above it, the top edge is pulled back to it.
    const WindowRect offset{100, 50, 1001, 501};
    EXPECT_EQ(PlaceInWorkArea({0, 0, 800, 600}, offset, true), (WindowRect{200, 50, 800, 600}));
}

TEST(WindowPlacement, WindowWiderThanWorkAreaStartsAtItsLeftEdge)
{
    const WindowRect placed = PlaceInWorkArea({200, 100, 1580, 600}, kWorkArea, false);
    EXPECT_EQ(placed.x, 0);
    EXPECT_EQ(placed.y, 100);
    EXPECT_EQ(placed.width, 1580);
}

TEST(WindowPlacement, PullsAWindowBackIntoTheWorkArea)
{
    EXPECT_EQ(PlaceInWorkArea({1000, 700, 800, 600}, kWorkArea, false), (WindowRect{480, 170, 800, 600}));
    EXPECT_EQ(PlaceInWorkArea({-300, -20, 800, 600}, kWorkArea, false), (WindowRect{0, 0, 800, 600}));
    EXPECT_EQ(PlaceInWorkArea({10, 20, 800, 600}, kWorkArea, false), (WindowRect{10, 20, 800, 600}));
}

TEST(WindowPlacement, MinimumSizeKeepsTheTopLeftCorner)
{
    EXPECT_EQ(ApplyMinimumSize({30, 40, 300, 700}, {800, 600}), (WindowRect{30, 40, 800, 700}));
}

TEST(WindowPlacement, MinimumClientSizeGrowsByTheShortfall)
{
    const WindowRect grown = ApplyMinimumClientSize({0, 0, 810, 640}, {800, 600}, {900, 500});
    EXPECT_EQ(grown, (WindowRect{0, 0, 910, 640}));
}
