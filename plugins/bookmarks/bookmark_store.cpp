#include "bookmark_store.h"

#include <algorithm>
#include <cstdio>

#include "service_client.h"

namespace {

constexpr char kSizeKey[] = "Bookmark\\Size";

bool WriteText(const std::string& keyPath, const std::string& text)
{
    auto write = ServiceClient::Instance().Find<VistrelRegistryWriteStringFn>("RegistryWriteString");
    return write && write(MakeHostText(keyPath), MakeHostText(text)) != 0;
}

bool WriteSize(size_t size)
{
    auto write = ServiceClient::Instance().Find<VistrelRegistryWriteDwordFn>("RegistryWriteDword");
    return write && write(MakeHostText(kSizeKey), static_cast<uint32_t>(size)) != 0;
}

bool WriteEntry(size_t index, const Bookmark& bookmark)
{
    return WriteText(BookmarkKey(index + 1, "Name"), bookmark.name)
        && WriteText(BookmarkKey(index + 1, "Link"), bookmark.link);
}

std::string EntryKeyPath(size_t index)
{
    char key[32];
    std::snprintf(key, sizeof key, "Bookmark\\%03zu", index);
    return key;
}

} // namespace

std::string BookmarkKey(size_t index, const char* value)
{
    return EntryKeyPath(index) + "\\" + value;
}

StoredBookmarks LoadBookmarkSettings()
{
    ServiceClient& host = ServiceClient::Instance();
    StoredBookmarks stored;
    stored.size = host.ReadDword(kSizeKey, 0);
    const size_t count = std::min<size_t>(stored.size, kMaxReadBookmarks);
    stored.entries.reserve(count);
    for (size_t index = 1; index <= count; ++index)
        stored.entries.push_back({host.ReadString(BookmarkKey(index, "Name"), ""),
                                  host.ReadString(BookmarkKey(index, "Link"), "")});
    return stored;
}

bool AppendBookmarkSetting(const StoredBookmarks& stored, const Bookmark& bookmark)
{
    const size_t index = stored.entries.size();
    return WriteEntry(index, bookmark) && WriteSize(index + 1);
}

bool RenameBookmarkSetting(size_t index, const std::string& name)
{
    return WriteText(BookmarkKey(index + 1, "Name"), name);
}

bool SaveBookmarkSettings(const std::vector<Bookmark>& bookmarks, uint32_t previousSize)
{
    if (!WriteSize(bookmarks.size()))
        return false;
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        if (!WriteEntry(i, bookmarks[i]))
            return false;
    }
    // Readers ignore entries past the count; deleting them keeps the settings file tidy, and a
    // failure here loses nothing.
    if (auto remove = ServiceClient::Instance().Find<VistrelRegistryDeleteSubKeyFn>("RegistryDeleteSubKey")) {
        const size_t last = std::min<size_t>(previousSize, kMaxReadBookmarks);
        for (size_t index = bookmarks.size() + 1; index <= last; ++index)
            remove(MakeHostText(EntryKeyPath(index)));
    }
    return true;
}

std::vector<uint8_t> CurrentFolderItemIdList()
{
    auto get = ServiceClient::Instance().Find<VistrelGetTextValueFn>("GetCurrentFolderData");
    if (!get)
        return {};
    HostBuffer data{};
    std::vector<uint8_t> bytes;
    if (get(&data)) {
        if (const unsigned char* begin = VistrelBufferBytes(&data))
            bytes.assign(begin, begin + data.size);
    }
    VistrelFreeBuffer(&data);
    return bytes;
}
