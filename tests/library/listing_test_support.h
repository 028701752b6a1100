#pragma once

#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/string_table.h"
#include "library/media_item.h"
#include "library/media_type.h"

// Helpers shared by the listing tests.

// The program's English texts; loading again puts back texts that a test replaced.
inline void LoadEnglishTexts()
{
    ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
}

// A file item as the listing makes it, classified by its name.
inline MediaItem FileItem(const std::string& name, uint64_t size = 0, bool selected = false)
{
    MediaItem item;
    const std::string_view typeName = TypeNameOfPath(name);
    item.typeName = typeName;
    item.typeNumber = TypeNumberOfTypeName(typeName);
    item.isImage = IsImageType(typeName);
    item.isMovie = IsMovieType(typeName);
    item.isSound = IsSoundType(typeName);
    item.isRaw = IsRawType(typeName);
    item.fileName = name;
    item.fullPath = "/card/DCIM/" + name;
    item.size = size;
    item.selected = selected;
    return item;
}

inline MediaItem FolderItem(const std::string& name, bool selected = false)
{
    MediaItem item;
    item.fileName = name;
    item.fullPath = "/card/DCIM/" + name;
    item.typeName = "Folder";
    item.attributes = kAttributeFolder;
    item.selected = selected;
    return item;
}

// MediaItem only moves, so an initializer list cannot hold items.
template <typename... Items> std::vector<MediaItem> MakeItems(Items&&... items)
{
    std::vector<MediaItem> list;
    (list.push_back(std::forward<Items>(items)), ...);
    return list;
}

inline std::vector<std::string> NamesOf(const std::vector<MediaItem>& items)
{
    std::vector<std::string> names;
    for (const MediaItem& item : items)
        names.push_back(item.fileName);
    return names;
}

inline void SetModified(const std::string& path, std::time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The names of a folder in the order the file system enumerates them.
inline std::vector<std::string> EnumerationOrder(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}
