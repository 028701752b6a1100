#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <QPoint>
#include <QRect>

struct MediaItem;

// What the views ask of the main window. The main window fills the callbacks it serves; an
// unset callback is skipped (renameOpen then reads as false). Main thread only.
struct ViewHost {
    // A command number for the dispatcher (40001 Open, 40007 Delete, 40027 stop loading, ...).
    std::function<void(int command)> sendCommand;
    // After every selection change: status texts, menu and toolbar states.
    std::function<void()> selectionChanged;
    // On every mouse move: the item under the cursor for the status bar, or null.
    std::function<void(const MediaItem* item)> pointedItemChanged;
    // The shell's context menu at a screen position.
    std::function<void(QPoint globalPosition)> openContextMenu;
    // Drag and drop of the selection; returns when the drag has ended.
    std::function<void()> startDrag;
    // In-place rename of an item over its name line (in the grid's coordinates).
    std::function<void(size_t index, QRect nameLine)> startRename;
    // Whether an in-place rename editor is open (the wheel is ignored meanwhile).
    std::function<bool()> renameOpen;
    // After every paint of the grid: the enabled states of the menu items.
    std::function<void()> refreshMenuStates;
    // A click on a report column title in folder mode: sort by type 0 to 5.
    std::function<void(int sortType)> sortRequested;
    // A file was rewritten in place (the preview's date and comment): refresh its list item.
    std::function<void(const std::string& path)> itemRewritten;

    void SendCommand(int command) const
    {
        if (sendCommand)
            sendCommand(command);
    }
    void SelectionChanged() const
    {
        if (selectionChanged)
            selectionChanged();
    }
    void PointedItemChanged(const MediaItem* item) const
    {
        if (pointedItemChanged)
            pointedItemChanged(item);
    }
    void OpenContextMenu(QPoint globalPosition) const
    {
        if (openContextMenu)
            openContextMenu(globalPosition);
    }
    void StartDrag() const
    {
        if (startDrag)
            startDrag();
    }
    void StartRename(size_t index, QRect nameLine) const
    {
        if (startRename)
            startRename(index, nameLine);
    }
    void SortRequested(int sortType) const
    {
        if (sortRequested)
            sortRequested(sortType);
    }
    void ItemRewritten(const std::string& path) const
    {
        if (itemRewritten)
            itemRewritten(path);
    }
    bool RenameOpen() const { return renameOpen && renameOpen(); }
    void RefreshMenuStates() const
    {
        if (refreshMenuStates)
            refreshMenuStates();
    }
};

// Command numbers the views send to the main window.
namespace ViewCommand {
inline constexpr int kOpen = 40001;
inline constexpr int kNetPrint = 40003;
inline constexpr int kDelete = 40007;
inline constexpr int kStopLoading = 40027;
inline constexpr int kRotateClockwise = 40079;
inline constexpr int kRotateCounterClockwise = 40080;
} // namespace ViewCommand
