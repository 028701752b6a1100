#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/unit_rename.h"
#include "library/dcf_name.h"

// The checks that a new name typed over an entry's old one goes through, in their fixed order,
// and the questions and error messages they lead to. CheckRename is pure: the caller gathers
// the facts (ReadRenameFacts does it from the file system) and shows what the verdict says.
// Any thread; the texts come from the language table, which is read-only by then.

// Longer names are refused. Counted in bytes of the system encoding (UTF-8 here), which is
// what the file system limits, and far enough below its 255 to leave room for companions.
inline constexpr size_t kMaxRenameLength = 199;

// Names may not contain these: most of them are not allowed on the FAT disks of cameras.
inline constexpr std::string_view kIllegalNameCharacters = "\\/:*?\"<>|";

// A question or an error message: its caption key, language key and the text to show.
struct RenameMessage {
    std::string_view titleKey; // "COMMON_Error" or "COMMON_Warning"
    std::string_view key;
    std::string text;
};

// What the file system says about the entry and the folder holding it.
struct RenameFacts {
    bool isFolder = false;
    bool readOnly = false;     // the user may not write the entry
    bool cameraFolder = false; // the folder lies under a camera card's DCIM folder (see below)
    // Whether an entry with this full path exists (as the disk sees it, so a case-insensitive
    // disk finds "B.JPG" for "b.jpg").
    std::function<bool(const std::string& fullPath)> entryExists;
};

enum class RenameOutcome {
    NothingToDo, // the (adjusted) name equals the old one
    Refused,     // show `error`; nothing is renamed
    Rename,      // rename the entry to `newName`
};

// The questions are asked in order before the outcome holds; declining any one of them ends
// the rename with nothing done and no message (as NothingToDo). So a refusal after the camera
// question is only shown to a user who answered it with OK.
struct RenameVerdict {
    RenameOutcome outcome = RenameOutcome::NothingToDo;
    std::vector<RenameMessage> questions;
    RenameMessage error; // when Refused
    std::string newName; // the name as it will be (files keep their extension)
    std::string newPath; // folder + "/" + newName, when the checks reached the name
};

// The new name of a file keeps the old name's extension: the typed name loses the text after
// its last dot and takes "." and the old extension instead ("Holiday.png" over "photo1.JPG"
// gives "Holiday.JPG"). Folders keep the typed name.
std::string AdjustedRenameName(std::string_view newName, std::string_view oldName, bool isFolder);

// The camera card warning: the folder's path below the mount point that holds it begins with
// "DCIM/" and its fourth character after that is "_" (as in DCIM/100_ABCD), where renamed files
// may no longer play back on the camera. DCIM/100ABCDE (a name the camera did not make with an
// underscore) does not warn.
bool IsCameraCardFolder(const std::string& folder, const MountPointTest& isMountPoint = IsMountPoint);

// The checks for renaming `oldName` in `folder` (no trailing "/") to the typed `newName`.
RenameVerdict CheckRename(const std::string& folder, std::string_view oldName, std::string_view newName,
                          const RenameFacts& facts);

// The facts of an entry from the file system: a folder after following symbolic links, read-only
// when access(W_OK) is refused (EACCES), and existence by lstat (so a dangling link counts as taken).
RenameFacts ReadRenameFacts(const std::string& folder, std::string_view oldName,
                            const MountPointTest& isMountPoint = IsMountPoint);

// The one error message for a unit rename that did not succeed: a target taken since the
// checks (or two that meet) is "ZORX_ExistSameNameFileOrFolder", any other failure
// "ZORX_DiskOrFolderIsWriteProtected". When some renames could not be undone, the text goes on
// with one line per stranded entry, "old path -> new path", so the user can find it under its
// new name.
RenameMessage UnitRenameFailureMessage(const UnitRenameResult& result);
