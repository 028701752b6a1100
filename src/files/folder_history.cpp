#include "files/folder_history.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "shell/item_id_list.h"
#include "shell/settings_store.h"

namespace {

std::string EntryKey(const char* list, int index, const char* value)
{
    char key[64];
    std::snprintf(key, sizeof key, "%s\\%03d\\%s", list, index, value);
    return key;
}

std::vector<FolderLink> ReadList(const char* list, int limit)
{
    uint32_t size = 0;
    RegistryReadDword(size, std::string(list) + "\\Size", 0);
    const int count = static_cast<int>(std::min<uint32_t>(size, static_cast<uint32_t>(limit)));
    std::vector<FolderLink> entries;
    for (int index = 1; index <= count; ++index) {
        FolderLink entry;
        RegistryReadString(entry.name, EntryKey(list, index, "Name"), "");
        RegistryReadString(entry.link, EntryKey(list, index, "Link"), "");
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::vector<FolderLink> ReadStoredHistory()
{
    return ReadList("History", kMaxHistoryEntries);
}

std::vector<FolderLink> ReadStoredBookmarks()
{
    return ReadList("Bookmark", kMaxBookmarks);
}

void AddToHistory(const std::string& folderPath, const std::string& displayName)
{
    const ItemIdList list = EncodeItemIdList(folderPath);
    if (list.empty())
        return;
    std::vector<FolderLink> entries{{displayName, EncodeHex(list)}};
    for (FolderLink& stored : ReadStoredHistory())
        if (stored.name != displayName)
            entries.push_back(std::move(stored));
    if (entries.size() > kMaxHistoryEntries)
        entries.resize(kMaxHistoryEntries);
    RegistryWriteDword("History\\Size", static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        RegistryWriteString(EntryKey("History", index, "Name"), entries[i].name);
        RegistryWriteString(EntryKey("History", index, "Link"), entries[i].link);
    }
}

std::optional<std::string> ExistingFolderOf(const FolderLink& entry)
{
    const std::string folder = FolderFromHexItemIdList(entry.link);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return std::nullopt;
    return folder;
}

void NavigationTrail::Visit(const std::string& folder)
{
    if (!m_folders.empty() && m_folders[m_position] == folder)
        return;
    if (!m_folders.empty())
        m_folders.resize(m_position + 1);
    m_folders.push_back(folder);
    m_position = m_folders.size() - 1;
}

std::optional<std::string> NavigationTrail::Back()
{
    if (!CanGoBack())
        return std::nullopt;
    return m_folders[--m_position];
}

std::optional<std::string> NavigationTrail::Forward()
{
    if (!CanGoForward())
        return std::nullopt;
    return m_folders[++m_position];
}
