#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bookmark_list.h"

// The bookmarks in the program's settings, through the host's Registry functions:
// "Bookmark\Size" and, from 1, "Bookmark\%03d\Name" and "Bookmark\%03d\Link". Main thread only.

struct StoredBookmarks {
    std::vector<Bookmark> entries;
    uint32_t size = 0; // "Bookmark\Size" as stored
};

// Reads "Bookmark\Size" entries (at most kMaxReadBookmarks, against a damaged count); missing
// values read as empty texts. Entries past the 100th are kept so that organising the list does
// not lose what another tool put there.
inline constexpr size_t kMaxReadBookmarks = 1000;
StoredBookmarks LoadBookmarkSettings();

// "Bookmark\%03d\<value>" for an index counted from 1.
std::string BookmarkKey(size_t index, const char* value);

// Writes the entry after the last one, then the new count, so that the count never names an
// entry that is not there yet. False when the host refused a write.
bool AppendBookmarkSetting(const StoredBookmarks& stored, const Bookmark& bookmark);

// Changes the Name of the entry at a 0-based index.
bool RenameBookmarkSetting(size_t index, const std::string& name);

// The whole list, renumbered from 1: the count first (organising never adds, so every entry up
// to the count is always there), then each entry, then the keys of entries past the new count,
// up to `previousSize`, are deleted. False when the host refused a write.
bool SaveBookmarkSettings(const std::vector<Bookmark>& bookmarks, uint32_t previousSize);

// The current folder's item-ID list bytes (GetCurrentFolderData), empty when there is none.
std::vector<uint8_t> CurrentFolderItemIdList();
