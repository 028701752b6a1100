#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Qt>

#include "views/thumbnail_selection.h"

namespace {

std::vector<MediaItem> Items(size_t count)
{
    std::vector<MediaItem> items(count);
    for (size_t i = 0; i < count; ++i)
        items[i].fileName = std::to_string(i).append(".JPG");
    return items;
}

// The selected flags as a string of 0 and 1, for readable expectations.
std::string Flags(const std::vector<MediaItem>& items)
{
    std::string flags;
    for (const MediaItem& item : items)
        flags += item.selected ? '1' : '0';
    return flags;
}

void SetFlags(std::vector<MediaItem>& items, const std::string& flags)
{
    for (size_t i = 0; i < items.size(); ++i)
        items[i].selected = flags[i] == '1';
}

} // namespace

TEST(ThumbnailSelection, ClickTableWithEachModifier)
{
    std::vector<MediaItem> items = Items(6);
    SelectionCursor cursor;

    ApplyClickSelection(items, cursor, 2, kModifierNone);
    EXPECT_EQ(Flags(items), "001000");
    EXPECT_EQ(cursor.focus, 2u);
    EXPECT_EQ(cursor.anchor, 2u);

    ApplyClickSelection(items, cursor, 4, kModifierCtrl);
    EXPECT_EQ(Flags(items), "001010");
    EXPECT_EQ(cursor.anchor, 4u);
    ApplyClickSelection(items, cursor, 4, kModifierCtrl); // toggled off again
    EXPECT_EQ(Flags(items), "001000");
    EXPECT_EQ(cursor.focus, 4u);

    // Shift: anchor (4) to item, everything else cleared, anchor kept.
    ApplyClickSelection(items, cursor, 1, kModifierShift);
    EXPECT_EQ(Flags(items), "011110");
    EXPECT_EQ(cursor.focus, 1u);
    EXPECT_EQ(cursor.anchor, 4u);
    ApplyClickSelection(items, cursor, 5, kModifierShift);
    EXPECT_EQ(Flags(items), "000011");

    // Ctrl and Shift: focus (5) to item added, the rest kept.
    SetFlags(items, "100001");
    ApplyClickSelection(items, cursor, 3, kModifierCtrl | kModifierShift);
    EXPECT_EQ(Flags(items), "100111");
    EXPECT_EQ(cursor.focus, 3u);
    EXPECT_EQ(cursor.anchor, 4u);

    // Outside the list nothing happens.
    ApplyClickSelection(items, cursor, 6, kModifierNone);
    EXPECT_EQ(Flags(items), "100111");
    EXPECT_EQ(cursor.focus, 3u);
}

TEST(ThumbnailSelection, RightClickKeepsASelectionUnderTheCursor)
{
    std::vector<MediaItem> items = Items(5);
    SelectionCursor cursor{1, 1};
    SetFlags(items, "01100");

    ApplyRightClickSelection(items, cursor, 2); // selected: the selection stays
    EXPECT_EQ(Flags(items), "01100");
    EXPECT_EQ(cursor.focus, 2u);
    EXPECT_EQ(cursor.anchor, 2u);

    ApplyRightClickSelection(items, cursor, 4); // unselected: only it
    EXPECT_EQ(Flags(items), "00001");
    EXPECT_EQ(cursor.anchor, 4u);

    ApplyRightClickSelection(items, cursor, std::nullopt); // nothing: all cleared
    EXPECT_EQ(Flags(items), "00000");
    EXPECT_EQ(cursor.focus, 4u);
}

TEST(ThumbnailSelection, BandRectangleAndTouchRule)
{
    EXPECT_EQ(BandRect({50, 80}, {10, 20}), (GridRect{10, 20, 40, 60}));
    EXPECT_EQ(BandRect({10, 80}, {50, 20}), (GridRect{10, 20, 40, 60}));

    const GridRect cell{100, 100, 50, 50}; // right and bottom edges at 150
    EXPECT_TRUE(BandTouchesCell(GridRect::FromEdges(0, 0, 100, 100), cell));    // right == cell left
    EXPECT_FALSE(BandTouchesCell(GridRect::FromEdges(0, 0, 99, 120), cell));
    EXPECT_FALSE(BandTouchesCell(GridRect::FromEdges(150, 120, 200, 130), cell)); // left == cell right
    EXPECT_TRUE(BandTouchesCell(GridRect::FromEdges(149, 149, 200, 200), cell));
    EXPECT_FALSE(BandTouchesCell(GridRect::FromEdges(120, 150, 130, 160), cell)); // top == cell bottom
    EXPECT_FALSE(BandTouchesCell(GridRect::FromEdges(120, 10, 130, 99), cell));
}

TEST(ThumbnailSelection, BandFlagsFollowTheModifiers)
{
    // Four cells in a row, 10 wide with gaps of 10; the band spans the first four.
    std::vector<MediaItem> items = Items(5);
    auto cellRect = [](size_t i) { return GridRect{static_cast<int>(i) * 20, 0, 10, 10}; };
    const GridRect band = GridRect::FromEdges(0, 0, 65, 5);
    const std::vector<bool> saved = {true, true, false, false, true};

    // A Ctrl band over two selected and two unselected items inverts all four; the item
    // outside keeps its flag.
    ApplyBandSelection(items, saved, band, kModifierCtrl, cellRect);
    EXPECT_EQ(Flags(items), "00111");
    ApplyBandSelection(items, saved, band, kModifierCtrl | kModifierShift, cellRect);
    EXPECT_EQ(Flags(items), "00111");

    ApplyBandSelection(items, saved, band, kModifierShift, cellRect);
    EXPECT_EQ(Flags(items), "11111");
    const GridRect middle = GridRect::FromEdges(25, 0, 45, 5);
    ApplyBandSelection(items, saved, middle, kModifierShift, cellRect);
    EXPECT_EQ(Flags(items), "11101");

    ApplyBandSelection(items, saved, middle, kModifierNone, cellRect);
    EXPECT_EQ(Flags(items), "01100");

    EXPECT_EQ(SavedSelection(items), (std::vector<bool>{false, true, true, false, false}));
}

TEST(ThumbnailSelection, KeyboardMovesWithModifiers)
{
    EXPECT_EQ(MoveTarget(0, -1, 5), std::nullopt);
    EXPECT_EQ(MoveTarget(4, 1, 5), std::nullopt);
    EXPECT_EQ(MoveTarget(1, -3, 10), std::nullopt);
    EXPECT_EQ(MoveTarget(8, 3, 10), std::nullopt);
    EXPECT_EQ(MoveTarget(2, 3, 10), 5u);
    EXPECT_EQ(MoveTarget(0, 0, 0), std::nullopt);

    std::vector<MediaItem> items = Items(8);
    SelectionCursor cursor{2, 2};
    SetFlags(items, "00100000");

    ApplyKeyboardMove(items, cursor, 3, kModifierNone);
    EXPECT_EQ(Flags(items), "00010000");
    EXPECT_EQ(cursor.focus, 3u);
    EXPECT_EQ(cursor.anchor, 3u);

    ApplyKeyboardMove(items, cursor, 6, kModifierCtrl); // only the focus moves
    EXPECT_EQ(Flags(items), "00010000");
    EXPECT_EQ(cursor.focus, 6u);
    EXPECT_EQ(cursor.anchor, 3u);

    ApplyKeyboardMove(items, cursor, 1, kModifierShift); // anchor to target
    EXPECT_EQ(Flags(items), "01110000");
    EXPECT_EQ(cursor.focus, 1u);
    EXPECT_EQ(cursor.anchor, 3u);
    ApplyKeyboardMove(items, cursor, 5, kModifierShift);
    EXPECT_EQ(Flags(items), "00011100");

    ApplyKeyboardMove(items, cursor, 8, kModifierNone); // outside: ignored
    EXPECT_EQ(Flags(items), "00011100");
    EXPECT_EQ(cursor.focus, 5u);
}

TEST(ThumbnailSelection, FocusIsMadeVisible)
{
    // 3 columns, 2 rows per page, top row 2 shows rows 2 and 3.
    EXPECT_EQ(TopRowShowing(7, 3, 2, 2), 2);  // row 2: in view
    EXPECT_EQ(TopRowShowing(11, 3, 2, 2), 2); // row 3: in view
    EXPECT_EQ(TopRowShowing(2, 3, 2, 2), 0);  // row 0: becomes the top row
    EXPECT_EQ(TopRowShowing(12, 3, 2, 2), 3); // row 4: becomes the last full row
    EXPECT_EQ(TopRowShowing(30, 3, 2, 2), 9);
    // A client lower than one row still brings the focus row to the top.
    EXPECT_EQ(TopRowShowing(12, 3, 0, 0), 4);
}

TEST(ThumbnailSelection, NavigationKeysStepByItemRowPageAndToTheEnds)
{
    // 23 items in 4 columns, 3 rows per page: a page is 12 items.
    EXPECT_EQ(NavigationTarget(NavigationKey::Next, 5, 23, 4, 3), 6u);
    EXPECT_EQ(NavigationTarget(NavigationKey::Previous, 0, 23, 4, 3), std::nullopt);
    EXPECT_EQ(NavigationTarget(NavigationKey::Down, 20, 23, 4, 3), std::nullopt); // no item below
    EXPECT_EQ(NavigationTarget(NavigationKey::Up, 5, 23, 4, 3), 1u);
    EXPECT_EQ(NavigationTarget(NavigationKey::PageDown, 5, 23, 4, 3), 17u);
    EXPECT_EQ(NavigationTarget(NavigationKey::PageDown, 17, 23, 4, 3), 22u); // stops at the last
    EXPECT_EQ(NavigationTarget(NavigationKey::PageDown, 22, 23, 4, 3), std::nullopt);
    EXPECT_EQ(NavigationTarget(NavigationKey::PageUp, 17, 23, 4, 3), 5u);
    EXPECT_EQ(NavigationTarget(NavigationKey::PageUp, 5, 23, 4, 3), 0u);
    EXPECT_EQ(NavigationTarget(NavigationKey::Home, 9, 23, 4, 3), 0u);
    EXPECT_EQ(NavigationTarget(NavigationKey::End, 9, 23, 4, 3), 22u);
    EXPECT_EQ(NavigationTarget(NavigationKey::Home, 0, 23, 4, 3), std::nullopt);
    // A page lower than one row still moves by a row; an empty list has no target.
    EXPECT_EQ(NavigationTarget(NavigationKey::PageDown, 0, 23, 4, 0), 4u);
    EXPECT_EQ(NavigationTarget(NavigationKey::End, 0, 0, 4, 3), std::nullopt);

    EXPECT_EQ(NavigationKeyOf(Qt::Key_Backspace), NavigationKey::Previous);
    EXPECT_EQ(NavigationKeyOf(Qt::Key_Space), NavigationKey::Next);
    EXPECT_EQ(NavigationKeyOf(Qt::Key_End), NavigationKey::End);
    EXPECT_EQ(NavigationKeyOf(Qt::Key_A), std::nullopt);
}
