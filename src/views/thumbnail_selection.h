#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "library/media_item.h"
#include "views/thumbnail_geometry.h"

// The selection rules of the thumbnail grid: clicks with modifiers, the rubber band, keyboard
// moves and keeping the focus in view. The selection lives in the items' selected flags; the
// focus (where keyboard moves start) and the anchor (where Shift ranges start) live here.

// Modifier state as captured at a button press or key press.
inline constexpr int kModifierNone = 0;
inline constexpr int kModifierCtrl = 1;
inline constexpr int kModifierShift = 2;

struct SelectionCursor {
    size_t focus = 0;
    size_t anchor = 0;
};

bool AnySelected(const std::vector<MediaItem>& items);
void ClearSelection(std::vector<MediaItem>& items);
// Selects [from, to] or [to, from], inclusive, leaving the other flags alone.
void SelectRange(std::vector<MediaItem>& items, size_t from, size_t to);

// A left click on item `index`:
//   none        only this item selected; anchor and focus = item
//   Ctrl        this item's flag toggled; anchor and focus = item
//   Shift       only anchor to item selected; focus = item, anchor kept
//   Ctrl+Shift  focus to item added to the selection; focus = item
// An index outside the list does nothing.
void ApplyClickSelection(std::vector<MediaItem>& items, SelectionCursor& cursor, size_t index, int modifiers);

// A right click: on nothing, everything is deselected; on an unselected item, only it is
// selected (a selected one keeps the selection for the context menu); focus and anchor go to
// the item.
void ApplyRightClickSelection(std::vector<MediaItem>& items, SelectionCursor& cursor, std::optional<size_t> index);

// The band spanned by two corners in content coordinates: left/top the smaller coordinates.
GridRect BandRect(GridPoint anchor, GridPoint current);
// Whether the band reaches a cell: band left < cell right, band right >= cell left, band top <
// cell bottom, band bottom >= cell top.
bool BandTouchesCell(const GridRect& band, const GridRect& cell);
// An item's flag under the band: inside (no modifier), inside xor saved (Ctrl, with or without
// Shift), inside or saved (Shift alone).
bool BandSelectedFlag(bool inside, bool saved, int modifiers);
// Sets every item's flag from the band and the flags saved when the band opened.
void ApplyBandSelection(std::vector<MediaItem>& items, const std::vector<bool>& saved, const GridRect& band,
                        int modifiers, const std::function<GridRect(size_t)>& cellRect);
std::vector<bool> SavedSelection(const std::vector<MediaItem>& items);

// The item a keyboard move by `step` from the focus lands on; none outside the list.
std::optional<size_t> MoveTarget(size_t focus, long long step, size_t count);
// The navigation keys every view shares. Previous/Next step by one item and Up/Down by one
// row of `columns` items; they are ignored when the target is outside the list. PageUp and
// PageDown step by a page (columns x rows per page, at least one row) and stop at the first or
// last item; Home and End go to the ends. None when the move would not change the focus or
// the list is empty.
enum class NavigationKey { Previous, Next, Up, Down, PageUp, PageDown, Home, End };
std::optional<size_t> NavigationTarget(NavigationKey key, size_t focus, size_t count, int columns, int rowsPerPage);
// The navigation key of a Qt key code (Left and Backspace are Previous, Right and Space Next),
// or none for any other key.
std::optional<NavigationKey> NavigationKeyOf(int qtKey);

// A keyboard move to `target`: with Ctrl only the focus moves; with Shift the anchor-to-target
// range becomes the selection (the anchor stays); otherwise only the target is selected and
// becomes focus and anchor.
void ApplyKeyboardMove(std::vector<MediaItem>& items, SelectionCursor& cursor, size_t target, int modifiers);

// The top row that shows the focus row: unchanged when it is in view, the focus row when it is
// above, the row that puts it on the last full row when it is below. A page shorter than one
// row counts as one row.
int TopRowShowing(size_t focus, int columns, int topRow, int rowsPerPage);
