#include "shell/scratch_folder.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Removes everything inside the open folder `folderFd` (which it closes). Each level is opened
// with O_NOFOLLOW relative to its parent, so a link swapped in meanwhile is never entered.
bool EmptyFolderAt(int folderFd, int depth)
{
    DIR* folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    bool emptied = true;
    const int fd = ::dirfd(folder);
    for (const std::string& name : names) {
        struct stat info {};
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            // A read-only or unlistable folder is given back its owner's rights first.
            ::fchmodat(fd, name.c_str(), info.st_mode | S_IRWXU, 0);
            const int childFd = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd >= 0 && depth < 256)
                EmptyFolderAt(childFd, depth + 1);
            else if (childFd >= 0)
                ::close(childFd);
            if (::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0)
                emptied = false;
        } else if (::unlinkat(fd, name.c_str(), 0) != 0) {
            emptied = false;
        }
    }
    ::closedir(folder);
    return emptied;
}

} // namespace

bool ResetScratchFolder(const std::string& folder)
{
    if (folder.empty() || folder == "/")
        return false;
    struct stat info {};
    if (::lstat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        // A link or file where the folder belongs: remove that entry only.
        if (::unlink(folder.c_str()) != 0)
            return false;
    }
    bool emptied = true;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        emptied = EmptyFolderAt(fd, 0);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return emptied && std::filesystem::is_directory(folder, error);
}
