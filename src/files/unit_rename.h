#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/no_replace_rename.h"
#include "library/media_item.h"

// Renames one listed entry as a unit: a picture together with the sound memo and RAW companion
// that the listing attached to it (and nothing else that merely shares its base name), a folder
// alone. Every target is checked before anything is renamed, no rename ever replaces an entry,
// and a failure part-way undoes what was done. Any thread; touches only the paths it is given.

// One rename: `from` became (or was to become) `to`.
struct RenamedPath {
    std::string from;
    std::string to;

    friend bool operator==(const RenamedPath&, const RenamedPath&) = default;
};

// Renames `from` to `to` unless `to` exists; 0 or an errno value. The default is
// RenameNoReplace; tests inject failures.
using Renamer = std::function<int(const std::string& from, const std::string& to)>;

struct UnitRenameRequest {
    std::string path;                    // the entry's full path
    std::string newName;                 // its new last component
    bool isFolder = false;               // folders are renamed alone
    std::vector<std::string> companions; // full paths of the attached memo and companion
};

// The request for a listed item: its sound-memo and RAW-companion paths when it has them.
UnitRenameRequest UnitRenameRequestForItem(const MediaItem& item, std::string newName);

// The new path of a companion: its own folder, the new name's base name (without its last
// extension) and the companion's own extension as it is ("DSCF0001.WAV" with "TRIP0001.JPG"
// gives "TRIP0001.WAV").
std::string CompanionTarget(std::string_view companion, std::string_view newName);

enum class UnitRenameStatus {
    Renamed,
    TargetExists,   // a target is taken (`failed.to`); nothing was renamed
    TargetsCollide, // two renames would end on one name (`failed`); nothing was renamed
    EntryMissing,   // the entry itself is gone; nothing was renamed
    Failed,         // a rename failed (`failed`, `error`); the done ones were undone
    RollbackFailed, // as Failed, but some done renames could not be undone (`stranded`)
};

struct UnitRenameResult {
    UnitRenameStatus status = UnitRenameStatus::Renamed;
    // What is renamed now, entry first, then the companions in request order. A companion
    // that no longer exists is left out (it has nothing to rename).
    std::vector<RenamedPath> renamed;
    RenamedPath failed; // the rename that was refused or failed
    int error = 0;      // its errno value (EEXIST for a taken target)
    // Renames that could not be undone: each entry still has its `to` name.
    std::vector<RenamedPath> stranded;

    bool Ok() const { return status == UnitRenameStatus::Renamed; }
    // The new path of a request path, empty when it was not renamed.
    std::string NewPathOf(std::string_view from) const;
};

// Checks every target (free, and none equal to another one, also ignoring case for disks that
// do), then renames the entry and its companions in order; when one fails, the done renames are
// undone in reverse order.
UnitRenameResult RenameUnit(const UnitRenameRequest& request, const Renamer& renamer = RenameNoReplace);

// The list item that was renamed: in folder mode the item whose file name is the old name, in
// period mode (items of many folders) the one whose full path is the old path. -1 when none.
int FindRenamedItem(const std::vector<MediaItem>& items, const std::string& oldPath, bool periodMode);

// Brings a renamed item up to date in place: file name, full path, and its memo and companion
// paths and flags (a companion that was not renamed because it had gone is cleared). The
// caller redraws it, recounts, and clears its report texts for the next refresh.
void UpdateRenamedItem(MediaItem& item, const UnitRenameResult& result);
