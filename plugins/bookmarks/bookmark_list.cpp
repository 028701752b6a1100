#include "bookmark_list.h"

#include <algorithm>
#include <utility>

bool IsUsableBookmarkName(const std::string& name)
{
    return std::ranges::any_of(name, [](char c) { return c != ' ' && c != '\t' && c != '\n' && c != '\r'; });
}

AddPlan PlanAdd(const std::vector<Bookmark>& bookmarks, const std::string& name, const std::string& link)
{
    if (!IsUsableBookmarkName(name))
        return {AddPlan::kEmptyName, 0};
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        if (bookmarks[i].link == link)
            return {AddPlan::kDuplicate, i};
    }
    if (bookmarks.size() >= kMenuBookmarkLimit)
        return {AddPlan::kFull, 0};
    return {AddPlan::kAppend, bookmarks.size()};
}

bool BookmarkList::Rename(size_t index, const std::string& name)
{
    if (index >= m_entries.size() || !IsUsableBookmarkName(name))
        return false;
    m_entries[index].name = name;
    return true;
}

bool BookmarkList::Remove(size_t index)
{
    if (index >= m_entries.size())
        return false;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool BookmarkList::MoveUp(size_t index)
{
    if (index == 0 || index >= m_entries.size())
        return false;
    std::swap(m_entries[index - 1], m_entries[index]);
    return true;
}

bool BookmarkList::MoveDown(size_t index)
{
    if (index + 1 >= m_entries.size())
        return false;
    std::swap(m_entries[index], m_entries[index + 1]);
    return true;
}
