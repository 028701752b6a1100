#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// What the menu panel offers: a fixed table of entries in five collapsible sections, each entry
// available in some of the seven selection situations, plus the entries that services set.

enum class MenuPanelSection { Print, Menu, Manipulate, Folder, Info };
inline constexpr int kMenuPanelSectionCount = 5;

// The selection situations, checked in this order from 6 down to 0.
enum class SelectionSituation {
    Empty = 0,            // no folder is open, or nothing is selected and the list is empty
    NothingSelected = 1,  // nothing is selected and the list has items
    OneFile = 2,
    SeveralFiles = 3,
    OneFolder = 4,
    SeveralFolders = 5,
    FilesAndFolders = 6,
};

struct MenuPanelSelection {
    bool folderOpen = false;
    int32_t items = 0;
    int32_t selectedItems = 0;
    int32_t selectedFolders = 0;
    int32_t selectedImages = 0;
};

SelectionSituation SituationOf(const MenuPanelSelection& selection);

struct MenuPanelEntry {
    MenuPanelSection section;
    const char* captionKey;
    const char* iconName;
    int command;
    std::array<bool, 7> available; // by SelectionSituation
    // One of the picture commands that cannot handle a selection without pictures.
    bool needsPicture;
};

std::span<const MenuPanelEntry> MenuPanelEntries();

// An entry offered now: its caption, icon name ("" for none) and command.
struct OfferedMenuEntry {
    MenuPanelSection section;
    std::string caption;
    std::string iconName;
    int command = 0;
};

// An entry that a service set (helper entries after the menu section, program entries in the
// folder section).
struct ServicePanelEntry {
    std::string caption;
    int command = 0;
};

struct MenuPanelState {
    MenuPanelSelection selection;
    std::array<bool, kMenuPanelSectionCount> open{true, true, true, true, true};
    // Whether the main-menu item of a command is enabled.
    std::function<bool(int command)> commandEnabled;
    // The language text of a key.
    std::function<std::string(const char* key)> text;
    std::vector<ServicePanelEntry> helperEntries;
    std::vector<ServicePanelEntry> programEntries;
};

// The entries to show, in display order: for each open section, the table entries whose
// availability flag for the current situation is set and whose main-menu item is enabled
// (picture commands also need a selected picture), then the service entries of the section.
std::vector<OfferedMenuEntry> OfferedEntries(const MenuPanelState& state);
