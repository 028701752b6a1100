#include "files/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <system_error>

#include "files/no_replace_rename.h"
#include "framework/file_descriptor.h"

namespace {

// Names in files/ and info/ must both fit; ".trashinfo" is the longer one.
constexpr std::size_t kInfoSuffixLength = 10;
constexpr std::size_t kNameMax = NAME_MAX;
// Far more same-named entries than any trash holds; past this something is wrong with it.
constexpr int kMaxNameAttempts = 100000;

std::string ErrorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// An entry as the user named it, with its folder's links resolved; the entry itself stays as
// it is (a link is trashed as a link, not the file it names).
struct Entry {
    std::string given;
    std::string real;
    std::string realParent;
    std::string name;
    struct stat status {};
};

// 0 and `entry` filled, or an errno with `why` in words.
int ResolveEntry(const std::string& given, Entry& entry, std::string& why)
{
    entry.given = given;
    std::string path = given;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::string name = BaseName(path);
    if (path.empty() || path == "/" || name.empty() || name == "." || name == "..") {
        why = "\"" + given + "\" does not name a file or folder";
        return EINVAL;
    }
    char* parent = ::realpath(ParentOf(path).c_str(), nullptr);
    if (!parent) {
        const int error = errno;
        why = "cannot find " + given + ": " + ErrorText(error);
        return error;
    }
    entry.realParent = parent;
    std::free(parent);
    entry.name = name;
    entry.real = Join(entry.realParent, name);
    if (::lstat(entry.real.c_str(), &entry.status) != 0) {
        const int error = errno;
        why = "cannot find " + given + ": " + ErrorText(error);
        return error;
    }
    return 0;
}

// Creates a private folder unless it is there; 0 or the errno. A link to a folder counts only
// when `followLinks`.
int EnsureFolder(const std::string& path, bool followLinks = false)
{
    if (::mkdir(path.c_str(), 0700) == 0)
        return 0;
    const int error = errno;
    struct stat status {};
    if (error == EEXIST && (followLinks ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) == 0)
        return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
    return error;
}

// Creates `path` and the folders above it that are missing.
int EnsureFolders(const std::string& path)
{
    const int error = EnsureFolder(path, true);
    if (error != ENOENT)
        return error;
    const std::string parent = ParentOf(path);
    if (parent == path)
        return error;
    if (const int above = EnsureFolders(parent))
        return above;
    return EnsureFolder(path, true);
}

// PrepareTrash's answer for a trash folder that is a link or somebody else's: anybody may plant
// one under a shared top folder to catch other users' files.
constexpr int kForeignFolder = -1;

bool IsOwnFolder(const std::string& path, bool followLinks)
{
    struct stat status {};
    return (followLinks ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) == 0
        && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid();
}

// Makes `trash` usable (its files/ and info/ folders); 0, an errno or kForeignFolder, with
// `failed` naming the folder that could not be made or used. The home trash, in the user's own
// home, may be a link and is made with the folders above it; a volume's never.
int PrepareTrash(const std::string& trash, bool isHome, std::string& failed)
{
    failed = trash;
    if (const int error = isHome ? EnsureFolders(trash) : EnsureFolder(trash))
        return error;
    if (!IsOwnFolder(trash, isHome))
        return kForeignFolder;
    for (const char* part : {"/files", "/info"}) {
        failed = trash + part;
        if (const int error = EnsureFolder(failed))
            return error;
    }
    return 0;
}

std::string TrashProblem(int error, const std::string& failed)
{
    if (error == kForeignFolder)
        return failed + " is not a folder of this user";
    return "cannot create " + failed + ": " + ErrorText(error);
}

// The name of the n-th try (1, 2, 3 ...) for an entry in the trash: "DSCF0001.JPG",
// "DSCF0001.2.JPG", "DSCF0001.3.JPG", so that the file manager still sees the kind; cut short
// when the name with ".trashinfo" would not fit into a folder entry.
std::string TrashName(const std::string& name, int attempt, bool isFolder)
{
    std::string stem = name;
    std::string extension;
    const auto dot = name.rfind('.');
    if (!isFolder && dot != std::string::npos && dot > 0 && name.size() - dot <= 16) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    std::string suffix;
    if (attempt > 1)
        suffix.append(1, '.').append(std::to_string(attempt));
    const std::size_t room = kNameMax - kInfoSuffixLength;
    if (stem.size() + suffix.size() + extension.size() > room) {
        std::size_t keep = room - suffix.size() - extension.size();
        // Never cut a UTF-8 sequence in two.
        while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80)
            --keep;
        stem.resize(keep);
    }
    return stem + suffix + extension;
}

int WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

// Removes `name` in the folder `parentFd` with everything in it; failures are added to
// `failures` under `shown`. True when it is gone.
bool RemoveTree(int parentFd, const std::string& name, const std::string& shown, dev_t device,
                std::vector<std::string>& failures)
{
    struct stat status {};
    if (::fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        failures.push_back(shown + ": " + ErrorText(errno));
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        if (::unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT)
            return true;
        failures.push_back(shown + ": " + ErrorText(errno));
        return false;
    }
    if (status.st_dev != device) {
        failures.push_back(shown + ": another volume is mounted here");
        return false;
    }
    FileDescriptor folder(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.IsOpen()) {
        failures.push_back(shown + ": " + ErrorText(errno));
        return false;
    }
    std::vector<std::string> names;
    {
        const int listing = ::dup(folder.Get());
        DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
        if (!dir) {
            if (listing >= 0)
                ::close(listing);
            failures.push_back(shown + ": " + ErrorText(errno));
            return false;
        }
        while (const dirent* item = ::readdir(dir)) {
            const std::string child = item->d_name;
            if (child != "." && child != "..")
                names.push_back(child);
        }
        ::closedir(dir);
    }
    bool all = true;
    for (const std::string& child : names)
        all = RemoveTree(folder.Get(), child, Join(shown, child), device, failures) && all;
    if (!all)
        return false;
    if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
        return true;
    failures.push_back(shown + ": " + ErrorText(errno));
    return false;
}

} // namespace

std::string FindVolumeTop(const std::string& realPath)
{
    struct stat status {};
    if (::lstat(realPath.c_str(), &status) != 0)
        return "/";
    std::string top = realPath;
    while (top != "/") {
        const std::string parent = ParentOf(top);
        struct stat above {};
        if (::lstat(parent.c_str(), &above) != 0 || above.st_dev != status.st_dev)
            break;
        top = parent;
    }
    return top;
}

TrashPlaces TrashPlaces::FromEnvironment()
{
    TrashPlaces places;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') {
        places.homeTrash = std::string(data) + "/Trash";
    } else {
        const char* home = std::getenv("HOME");
        places.homeTrash = std::string(home && home[0] ? home : "/") + "/.local/share/Trash";
    }
    places.topdirOf = FindVolumeTop;
    return places;
}

std::string EscapeTrashPath(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool keep = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || std::string_view("-_.!~*'()/").find(c) != std::string_view::npos;
        if (keep) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

std::string TrashInfoText(const std::string& originalPath, time_t when)
{
    std::tm local {};
    ::localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + EscapeTrashPath(originalPath) + "\nDeletionDate=" + date + "\n";
}

struct Trasher::Moved {
    std::string given;
    std::string real;
    std::string trashed;
    std::string info;
};

Trasher::Trasher(TrashPlaces places)
    : m_places(std::move(places))
{
    if (!m_places.topdirOf)
        m_places.topdirOf = FindVolumeTop;
}

TrashOutcome Trasher::TrashFor(const std::string& realPath, std::string& trash, std::string& topdir, std::string& why)
{
    if (!m_homeTopKnown) {
        // The home trash may not exist yet: its volume is that of the nearest folder above it.
        std::string existing = m_places.homeTrash;
        struct stat status {};
        while (existing != "/" && ::lstat(existing.c_str(), &status) != 0)
            existing = ParentOf(existing);
        char* real = ::realpath(existing.c_str(), nullptr);
        m_homeTop = m_places.topdirOf(real ? std::string(real) : existing);
        std::free(real);
        m_homeTopKnown = true;
    }
    topdir = m_places.topdirOf(realPath);
    if (topdir == realPath) {
        why = realPath + " is the top folder of its volume and cannot go to a trash";
        return TrashOutcome::kFailed;
    }
    const bool home = topdir == m_homeTop;
    // The home trash keeps absolute paths.
    if (home)
        topdir.clear();
    const auto known = m_trashOfTop.find(home ? m_homeTop : topdir);
    if (known != m_trashOfTop.end()) {
        trash = known->second.trash;
        why = known->second.why;
        return trash.empty() ? TrashOutcome::kNoTrash : TrashOutcome::kTrashed;
    }
    TrashPlace& place = m_trashOfTop[home ? m_homeTop : topdir];
    std::string failed;
    if (home) {
        if (const int error = PrepareTrash(m_places.homeTrash, true, failed))
            place.why = "the home trash cannot be used: " + TrashProblem(error, failed);
        else
            place.trash = m_places.homeTrash;
    } else {
        struct statvfs volume {};
        const std::string uid = std::to_string(::geteuid());
        if (::statvfs(topdir.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY)) {
            place.why = "no trash possible on the read-only volume " + topdir;
        } else {
            // A shared, sticky ".Trash" (made by the administrator) holds one folder per user.
            const std::string shared = topdir + "/.Trash";
            struct stat status {};
            if (::lstat(shared.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX)) {
                const std::string own = shared + "/" + uid;
                if (PrepareTrash(own, false, failed) == 0)
                    place.trash = own;
            }
            if (place.trash.empty()) {
                const std::string own = topdir + "/.Trash-" + uid;
                const int error = PrepareTrash(own, false, failed);
                if (error == EROFS)
                    place.why = "no trash possible on the read-only volume " + topdir;
                else if (error)
                    place.why = "no trash possible on the volume " + topdir + ": " + TrashProblem(error, failed);
                else
                    place.trash = own;
            }
        }
    }
    trash = place.trash;
    why = place.why;
    return trash.empty() ? TrashOutcome::kNoTrash : TrashOutcome::kTrashed;
}

int Trasher::MoveOne(const std::string& realPath, bool isFolder, const std::string& trash, const std::string& topdir,
                     Moved& moved, std::string& why)
{
    // A volume's trash keeps paths from its top folder, so that the card still restores when
    // it is mounted elsewhere.
    std::string recorded = realPath;
    if (!topdir.empty() && realPath.size() > topdir.size() && realPath.compare(0, topdir.size(), topdir) == 0
        && (topdir == "/" || realPath[topdir.size()] == '/'))
        recorded = realPath.substr(topdir == "/" ? 1 : topdir.size() + 1);
    const std::string info = TrashInfoText(recorded, std::time(nullptr));
    const std::string name = BaseName(realPath);

    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string candidate = TrashName(name, attempt, isFolder);
        const std::string infoPath = trash + "/info/" + candidate + ".trashinfo";
        // The info file is made first and exclusively: it reserves the name against another
        // program trashing a file of the same name at the same moment.
        FileDescriptor fd(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd.IsOpen()) {
            if (errno == EEXIST)
                continue;
            const int error = errno;
            why = "cannot create " + infoPath + ": " + ErrorText(error);
            return error;
        }
        if (const int error = WriteAll(fd.Get(), info)) {
            ::unlink(infoPath.c_str());
            why = "cannot write " + infoPath + ": " + ErrorText(error);
            return error;
        }
        if (::close(fd.Release()) != 0) {
            const int error = errno;
            ::unlink(infoPath.c_str());
            why = "cannot write " + infoPath + ": " + ErrorText(error);
            return error;
        }
        const std::string target = trash + "/files/" + candidate;
        const int error = RenameNoReplace(realPath, target);
        if (error == 0) {
            moved.real = realPath;
            moved.trashed = target;
            moved.info = infoPath;
            return 0;
        }
        ::unlink(infoPath.c_str());
        // An entry left in files/ without its info file still takes the name.
        if (error == EEXIST || error == ENOTEMPTY)
            continue;
        why = "cannot move " + realPath + " to the trash " + trash + ": " + ErrorText(error);
        return error;
    }
    why = "no free name for " + name + " in the trash " + trash;
    return EEXIST;
}

TrashResult Trasher::TrashUnit(const std::vector<std::string>& paths)
{
    TrashResult result;
    struct Member {
        Entry entry;
        std::string trash;
        std::string topdir;
    };
    std::vector<Member> members;
    // Every member is found and given its trash before anything moves, so that a unit on a
    // volume without a trash is left whole.
    for (const std::string& path : paths) {
        Member member;
        if (ResolveEntry(path, member.entry, result.message) != 0) {
            result.outcome = TrashOutcome::kFailed;
            return result;
        }
        const bool twice = std::any_of(members.begin(), members.end(),
                                       [&](const Member& other) { return other.entry.real == member.entry.real; });
        if (twice)
            continue;
        const TrashOutcome place = TrashFor(member.entry.real, member.trash, member.topdir, result.message);
        if (place != TrashOutcome::kTrashed) {
            result.outcome = place;
            return result;
        }
        members.push_back(std::move(member));
    }
    if (members.empty()) {
        result.message = "nothing to move to the trash";
        return result;
    }

    std::vector<Moved> moved;
    for (const Member& member : members) {
        Moved one;
        std::string why;
        const int error = MoveOne(member.entry.real, S_ISDIR(member.entry.status.st_mode), member.trash,
                                  member.topdir, one, why);
        if (error == 0) {
            one.given = member.entry.given;
            moved.push_back(std::move(one));
            continue;
        }
        // A trash on another file system than the entry (a folder mounted inside a volume)
        // is no trash for it: the entry is never copied.
        result.outcome = error == EXDEV ? TrashOutcome::kNoTrash : TrashOutcome::kFailed;
        result.message = error == EXDEV ? "no trash possible for " + member.entry.given + ": " + why : why;
        // Put back what went already, last first.
        for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
            const int undo = RenameNoReplace(back->trashed, back->real);
            if (undo == 0) {
                ::unlink(back->info.c_str());
                continue;
            }
            result.message += "; " + back->real + " stays in the trash as " + back->trashed + ": " + ErrorText(undo);
            result.vanished.insert(result.vanished.begin(), back->given);
            result.trashedAs.insert(result.trashedAs.begin(), back->trashed);
        }
        return result;
    }
    result.outcome = TrashOutcome::kTrashed;
    for (const Moved& one : moved) {
        result.vanished.push_back(one.given);
        result.trashedAs.push_back(one.trashed);
    }
    return result;
}

DeleteResult PermanentlyDelete(const std::vector<std::string>& paths)
{
    DeleteResult result;
    for (const std::string& path : paths) {
        Entry entry;
        std::string why;
        if (ResolveEntry(path, entry, why) != 0) {
            result.failures.push_back(why);
            continue;
        }
        FileDescriptor parent(::open(entry.realParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!parent.IsOpen()) {
            result.failures.push_back(entry.realParent + ": " + ErrorText(errno));
            continue;
        }
        if (RemoveTree(parent.Get(), entry.name, entry.real, entry.status.st_dev, result.failures))
            result.vanished.push_back(path);
    }
    return result;
}
