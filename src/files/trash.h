#pragma once

#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

// What happened to one unit (a picture with its companions, or one folder).
enum class TrashOutcome {
    kTrashed, // every member is in a trash
    kNoTrash, // the volume has no usable trash (read-only, cannot be created): nothing moved
    kFailed,  // a member could not be moved; the ones already moved were put back
};

struct TrashResult {
    TrashOutcome outcome = TrashOutcome::kFailed;
    // Empty for kTrashed; otherwise the reason in words, with the path and the system's text
    // ("no trash possible on the read-only volume /media/card").
    std::string message;
    // The paths that are gone now, as the caller gave them; the caller tells the date
    // index about them. Normally all members or none; after a failed roll-back the members
    // that stayed in the trash.
    std::vector<std::string> vanished;
    // Where each vanished member went (its file under the trash's "files" folder).
    std::vector<std::string> trashedAs;
};

struct DeleteResult {
    // Top-level paths that no longer exist.
    std::vector<std::string> vanished;
    // "path: reason" for every entry that could not be removed (inner entries included).
    std::vector<std::string> failures;
    bool Succeeded() const { return failures.empty(); }
};

// Where the trashes are. The defaults follow the desktop: the home trash in
// $XDG_DATA_HOME/Trash (~/.local/share/Trash), and a volume's top folder found by walking up
// from the entry until the device changes.
struct TrashPlaces {
    std::string homeTrash;
    // The top folder of the volume that holds `realPath` (an absolute path without symbolic
    // links, which exists). Tests put a temporary folder here to act as a volume.
    std::function<std::string(const std::string& realPath)> topdirOf;

    static TrashPlaces FromEnvironment();
};

// The top folder (mount point) of the volume that holds the existing `realPath`.
std::string FindVolumeTop(const std::string& realPath);

// Moves entries to the trash as the desktop does (the freedesktop.org trash): files of the
// home's volume into the home trash, files of any other volume into that volume's own trash
// ($topdir/.Trash/$uid when $topdir/.Trash is a sticky folder that is no link, else
// $topdir/.Trash-$uid), each with a ".trashinfo" so that the file manager can show and
// restore it. Nothing is ever copied across volumes: without a trash on the entry's own
// volume the result says kNoTrash and the caller may ask about a permanent delete.
//
// Main thread or any single thread; one object per delete command (it remembers the trash of
// each volume it has used).
class Trasher {
public:
    explicit Trasher(TrashPlaces places = TrashPlaces::FromEnvironment());

    // Moves the members of one unit (a picture, its sound memo, its RAW companion) to the
    // trash, all or none: when one member cannot go, the ones moved already are put back.
    TrashResult TrashUnit(const std::vector<std::string>& paths);

private:
    struct Moved;
    struct TrashPlace {
        std::string trash; // empty when the volume has none
        std::string why;   // then the reason
    };
    // The trash for the entry at `realPath`, and the top folder its info paths are relative to
    // (empty for the home trash, which keeps absolute paths). kNoTrash or kFailed come with `why`.
    TrashOutcome TrashFor(const std::string& realPath, std::string& trash, std::string& topdir, std::string& why);
    int MoveOne(const std::string& realPath, bool isFolder, const std::string& trash, const std::string& topdir,
                Moved& moved, std::string& why);

    TrashPlaces m_places;
    std::string m_homeTop;
    bool m_homeTopKnown = false;
    // By volume top folder (the home's for the home trash).
    std::map<std::string, TrashPlace> m_trashOfTop;
};

// The ".trashinfo" text for an entry that was at `originalPath` (absolute for the home trash,
// relative to the volume top for a volume's trash), deleted at `when` (written in local time).
std::string TrashInfoText(const std::string& originalPath, time_t when);
// Escapes the bytes outside the unreserved set of URLs (letters, digits, "-_.!~*'()"), keeping "/".
std::string EscapeTrashPath(const std::string& path);

// Deletes entries for good (folders with everything in them), for when the user has answered
// the second question. Symbolic links are removed, never followed; "." and ".." are never
// entries, and another volume mounted inside a folder is not entered.
DeleteResult PermanentlyDelete(const std::vector<std::string>& paths);
