#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_counts.h"
#include "library/media_item.h"

// The texts of the information area and the status bar, built from the language texts on the
// main thread after every listing and selection change.

// The name a folder is shown by: its last path component, "/" for the root.
std::string FolderDisplayName(std::string_view path);

// The information area's lines: the folder summary when nothing is selected, the contents of a
// single selected folder, or the selection summary otherwise. `folderPath` is the current
// folder; `counts` must come from Recount over the same items.
std::vector<std::string> InformationLines(std::span<const MediaItem> items, const LibraryCounts& counts,
                                          std::string_view folderPath, bool periodMode);

// The status bar: the pointed item's status text, or the item counts when no item is pointed at.
std::string StatusBarText(const LibraryCounts& counts, const MediaItem* pointedItem, bool periodMode);
