#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/trash.h"

struct MediaItem;

// The delete command: the program's questions, then every selected entry with its sound memo
// and RAW companion to the trash as one unit; where a volume has no trash, a permanent delete
// only after a second, explicit question. Main thread only.

struct DeleteEntry {
    std::string path;
    bool isFolder = false;
    std::string memoPath;      // empty when none
    std::string companionPath; // empty when none
};

// The selected, shown entries of the list in view order, with their companions.
std::vector<DeleteEntry> SelectedDeleteEntries(std::span<const MediaItem> items);

// True when the folder directly holds a file (not a sub-folder) that is no picture, movie or
// sound, which a delete would take along unseen.
bool HasUnsupportedFiles(const std::string& folder);

// How the command talks to the user: OK/Cancel questions (true for OK) and the error box.
struct DeleteDialogs {
    std::function<bool(std::string_view messageKey)> confirm;
    std::function<bool(const std::string& text)> confirmText;
    std::function<void(const std::string& text)> showError;
};

struct DeleteSelectionResult {
    bool cancelled = false;           // the user ended the command at a question; nothing changed
    std::vector<std::string> vanished; // every path that is gone now, companions included
    std::vector<std::string> failures; // what could not be deleted, in words
};

DeleteSelectionResult DeleteEntries(const std::vector<DeleteEntry>& entries, const DeleteDialogs& dialogs,
                                    Trasher& trasher);
