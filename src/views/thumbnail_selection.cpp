#include "views/thumbnail_selection.h"

#include <algorithm>

#include <Qt>

bool AnySelected(const std::vector<MediaItem>& items)
{
    return std::any_of(items.begin(), items.end(), [](const MediaItem& item) { return item.selected; });
}

void ClearSelection(std::vector<MediaItem>& items)
{
    for (MediaItem& item : items)
        item.selected = false;
}

void SelectRange(std::vector<MediaItem>& items, size_t from, size_t to)
{
    if (items.empty())
        return;
    const size_t first = std::min(from, to);
    const size_t last = std::min(std::max(from, to), items.size() - 1);
    for (size_t i = first; i <= last; ++i)
        items[i].selected = true;
}

void ApplyClickSelection(std::vector<MediaItem>& items, SelectionCursor& cursor, size_t index, int modifiers)
{
    if (index >= items.size())
        return;
    switch (modifiers & (kModifierCtrl | kModifierShift)) {
    case kModifierNone:
        ClearSelection(items);
        items[index].selected = true;
        cursor.anchor = index;
        break;
    case kModifierCtrl:
        items[index].selected = !items[index].selected;
        cursor.anchor = index;
        break;
    case kModifierShift:
        ClearSelection(items);
        SelectRange(items, cursor.anchor, index);
        break;
    default: // Ctrl and Shift
        SelectRange(items, cursor.focus, index);
        break;
    }
    cursor.focus = index;
}

void ApplyRightClickSelection(std::vector<MediaItem>& items, SelectionCursor& cursor, std::optional<size_t> index)
{
    if (!index || *index >= items.size()) {
        ClearSelection(items);
        return;
    }
    if (!items[*index].selected) {
        ClearSelection(items);
        items[*index].selected = true;
    }
    cursor.focus = *index;
    cursor.anchor = *index;
}

GridRect BandRect(GridPoint anchor, GridPoint current)
{
    return GridRect::FromEdges(std::min(anchor.x, current.x), std::min(anchor.y, current.y),
                               std::max(anchor.x, current.x), std::max(anchor.y, current.y));
}

bool BandTouchesCell(const GridRect& band, const GridRect& cell)
{
    return band.left < cell.Right() && band.Right() >= cell.left && band.top < cell.Bottom()
        && band.Bottom() >= cell.top;
}

bool BandSelectedFlag(bool inside, bool saved, int modifiers)
{
    if (modifiers & kModifierCtrl)
        return inside != saved;
    if (modifiers & kModifierShift)
        return inside || saved;
    return inside;
}

void ApplyBandSelection(std::vector<MediaItem>& items, const std::vector<bool>& saved, const GridRect& band,
                        int modifiers, const std::function<GridRect(size_t)>& cellRect)
{
    for (size_t i = 0; i < items.size(); ++i) {
        const bool wasSelected = i < saved.size() && saved[i];
        items[i].selected = BandSelectedFlag(BandTouchesCell(band, cellRect(i)), wasSelected, modifiers);
    }
}

std::vector<bool> SavedSelection(const std::vector<MediaItem>& items)
{
    std::vector<bool> saved(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        saved[i] = items[i].selected;
    return saved;
}

std::optional<size_t> MoveTarget(size_t focus, long long step, size_t count)
{
    const long long target = static_cast<long long>(focus) + step;
    if (target < 0 || static_cast<unsigned long long>(target) >= count)
        return std::nullopt;
    return static_cast<size_t>(target);
}

std::optional<size_t> NavigationTarget(NavigationKey key, size_t focus, size_t count, int columns, int rowsPerPage)
{
    if (count == 0)
        return std::nullopt;
    const long long row = std::max(columns, 1);
    const long long page = row * std::max(rowsPerPage, 1);
    const long long last = static_cast<long long>(count) - 1;
    const long long from = std::min(static_cast<long long>(focus), last);
    long long target = 0;
    switch (key) {
    case NavigationKey::Previous: return MoveTarget(focus, -1, count);
    case NavigationKey::Next: return MoveTarget(focus, 1, count);
    case NavigationKey::Up: return MoveTarget(focus, -row, count);
    case NavigationKey::Down: return MoveTarget(focus, row, count);
    case NavigationKey::PageUp: target = std::max(from - page, 0LL); break;
    case NavigationKey::PageDown: target = std::min(from + page, last); break;
    case NavigationKey::Home: target = 0; break;
    case NavigationKey::End: target = last; break;
    }
    if (target == static_cast<long long>(focus))
        return std::nullopt;
    return static_cast<size_t>(target);
}

std::optional<NavigationKey> NavigationKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
    case Qt::Key_Backspace: return NavigationKey::Previous;
    case Qt::Key_Right:
    case Qt::Key_Space: return NavigationKey::Next;
    case Qt::Key_Up: return NavigationKey::Up;
    case Qt::Key_Down: return NavigationKey::Down;
    case Qt::Key_PageUp: return NavigationKey::PageUp;
    case Qt::Key_PageDown: return NavigationKey::PageDown;
    case Qt::Key_Home: return NavigationKey::Home;
    case Qt::Key_End: return NavigationKey::End;
    default: return std::nullopt;
    }
}

void ApplyKeyboardMove(std::vector<MediaItem>& items, SelectionCursor& cursor, size_t target, int modifiers)
{
    if (target >= items.size())
        return;
    if (modifiers & kModifierCtrl) {
        cursor.focus = target;
        return;
    }
    if (modifiers & kModifierShift) {
        ClearSelection(items);
        SelectRange(items, cursor.anchor, target);
        cursor.focus = target;
        return;
    }
    ClearSelection(items);
    items[target].selected = true;
    cursor.focus = target;
    cursor.anchor = target;
}

int TopRowShowing(size_t focus, int columns, int topRow, int rowsPerPage)
{
    const int row = static_cast<int>(focus / static_cast<size_t>(std::max(columns, 1)));
    const int page = std::max(rowsPerPage, 1);
    if (row < topRow)
        return row;
    if (row >= topRow + page)
        return row - page + 1;
    return topRow;
}
