#pragma once

#include <optional>
#include <string>
#include <vector>

// The folders the user visited (history, most recent first) and the favourite folders
// (bookmarks), both kept in the settings as a display name and the folder's item-ID list in
// hexadecimal: "History\Size", "History\%03d\Name", "History\%03d\Link" and the same under
// "Bookmark". The program writes the history; the bookmark services write the bookmarks.
// Main thread only (the settings store is).

inline constexpr int kMaxHistoryEntries = 20;
inline constexpr int kMaxBookmarks = 100;
inline constexpr int kFirstHistoryCommand = 41001;
inline constexpr int kFirstBookmarkCommand = 42001;

struct FolderLink {
    std::string name;
    std::string link; // hexadecimal item-ID list
    friend bool operator==(const FolderLink&, const FolderLink&) = default;
};

// The stored entries, at most 20 history entries and 100 bookmarks whatever Size says.
std::vector<FolderLink> ReadStoredHistory();
std::vector<FolderLink> ReadStoredBookmarks();

// Puts the folder first in the history: an older entry with the same name goes (two cards
// with the same label count as one), and at most 20 entries are kept.
void AddToHistory(const std::string& folderPath, const std::string& displayName);

// The folder an entry names, when its link is well-formed and the folder exists.
std::optional<std::string> ExistingFolderOf(const FolderLink& entry);

// The folders visited in this session, for the Back and Forward buttons: a new visit drops
// what lay ahead, as in a web browser.
class NavigationTrail {
public:
    void Visit(const std::string& folder);
    bool CanGoBack() const { return m_position > 0; }
    bool CanGoForward() const { return m_position + 1 < m_folders.size(); }
    // The folder to go to (the trail moves there), none at either end.
    std::optional<std::string> Back();
    std::optional<std::string> Forward();

private:
    std::vector<std::string> m_folders;
    size_t m_position = 0;
};
