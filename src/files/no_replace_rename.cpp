#include "files/no_replace_rename.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int RenameByLink(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    return 0;
}

int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    // Some file systems (network and FUSE ones) do not know the flag; a plain rename would
    // replace a target created since the checks, so they get the link instead.
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    const int linked = RenameByLink(from, to);
    if (linked != EPERM)
        return linked;
    // Folders cannot be linked: the target is looked at first, the best such a file system allows.
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
