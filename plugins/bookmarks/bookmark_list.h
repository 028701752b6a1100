#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One bookmark as the settings keep it: the menu text and the folder's Link (folder_link.h).
struct Bookmark {
    std::string name;
    std::string link;
    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

// The bookmark menu has commands for the first 100 entries only (42001 to 42100).
inline constexpr size_t kMenuBookmarkLimit = 100;

// A name the menu can show: not empty and not only white space. Any other text is kept exactly,
// "=" and line breaks included.
bool IsUsableBookmarkName(const std::string& name);

// What adding a bookmark for a folder comes to.
struct AddPlan {
    enum Kind {
        kAppend,    // a new last entry
        kEmptyName, // nothing to show in the menu (IsUsableBookmarkName)
        kFull,      // the menu has no command left for it
        kDuplicate, // the folder is already bookmarked, at `index`
    };
    Kind kind = kAppend;
    size_t index = 0;
};

// A duplicate is told before a full list, so that the user can still rename the entry.
AddPlan PlanAdd(const std::vector<Bookmark>& bookmarks, const std::string& name, const std::string& link);

// The list being organised: renaming, deleting and moving entries. Indices out of range change
// nothing and return false, so that a button with no selection does no harm.
class BookmarkList {
public:
    explicit BookmarkList(std::vector<Bookmark> entries)
        : m_entries(std::move(entries))
    {
    }

    const std::vector<Bookmark>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }

    // Refuses a name that is not IsUsableBookmarkName.
    bool Rename(size_t index, const std::string& name);
    bool Remove(size_t index);
    bool MoveUp(size_t index);
    bool MoveDown(size_t index);

private:
    std::vector<Bookmark> m_entries;
};
