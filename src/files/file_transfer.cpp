#include "files/file_transfer.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <set>

#include "files/no_replace_rename.h"
#include "files/trash.h"
#include "framework/file_descriptor.h"

namespace {

// Large enough that a card's movie goes in a few system calls, small enough that the progress
// dialog moves and a cancel is heard within a fraction of a second.
constexpr std::size_t kChunk = std::size_t{4} << 20;
constexpr int kTemporaryNameTries = 100;
// A folder holding thousands of "Name (n)" copies is a mistake, not a reason to loop forever.
constexpr int kLastNumber = 9999;
// Copies are flushed and placed in groups of this many units or bytes, whichever comes first,
// so that a cancel or crash loses little and the flush is shared by many small files.
constexpr std::size_t kPendingUnits = 256;
constexpr std::uint64_t kPendingBytes = std::uint64_t{128} << 20;

std::string SystemText(int error)
{
    return std::strerror(error);
}

std::string_view NamePart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, std::string_view name)
{
    std::string path = folder == "/" ? std::string() : folder;
    path += '/';
    path += name;
    return path;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool IsInside(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.empty())
        return false;
    if (path == folder)
        return true;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    return path.compare(0, prefix.size(), prefix) == 0;
}

std::string RandomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(6, 'X');
    for (char& c : suffix)
        c = kAlphabet[pick(generator)];
    return suffix;
}

// A hidden name beside the destination, cut so that it stays one valid name component.
std::string TemporaryName(std::string_view name)
{
    constexpr std::size_t kKept = NAME_MAX - 8;
    std::size_t keep = std::min(name.size(), kKept);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    std::string temporary(1, '.');
    temporary.append(name.substr(0, keep)).push_back('.');
    return temporary + RandomSuffix();
}

std::string CompanionName(std::string_view entryName, std::string_view companionName)
{
    const std::size_t dot = entryName.rfind('.');
    std::string name(dot == std::string_view::npos || dot == 0 ? entryName : entryName.substr(0, dot));
    const std::size_t ownDot = companionName.rfind('.');
    if (ownDot != std::string_view::npos && ownDot != 0)
        name += companionName.substr(ownDot);
    return name;
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

// What went wrong while copying: the errno value and the words for the user. ECANCELED
// without words is the user's cancel.
struct Failure {
    int error = 0;
    std::string message;
    bool nameTaken = false; // the new name itself was taken: nothing was created


    explicit operator bool() const { return error != 0; }
};

Failure Fail(int error, std::string what)
{
    return {error, what + ": " + SystemText(error)};
}

bool IsAbsent(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

std::uint64_t TreeBytes(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return 0;
    if (S_ISREG(status.st_mode))
        return static_cast<std::uint64_t>(status.st_size);
    if (!S_ISDIR(status.st_mode))
        return 0;
    FolderHandle folder(::opendir(path.c_str()));
    if (!folder)
        return 0;
    std::uint64_t bytes = 0;
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            bytes += TreeBytes(Join(path, name));
    }
    return bytes;
}

// One run of TransferFiles: the listener, the byte count and the cancel.
struct Run {
    TransferListener& listener;
    TransferMode mode;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    bool cancelled = false;

    bool Report(const std::string& path)
    {
        if (!cancelled && !listener.Progress(std::min(done, total), total, path))
            cancelled = true;
        return !cancelled;
    }
};

bool SameBytes(int a, int b, std::uint64_t size)
{
    std::vector<char> left(std::min<std::uint64_t>(kChunk, std::max<std::uint64_t>(size, 1)));
    std::vector<char> right(left.size());
    for (std::uint64_t offset = 0; offset < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left.size(), size - offset));
        const ssize_t gotLeft = ::pread(a, left.data(), want, static_cast<off_t>(offset));
        const ssize_t gotRight = ::pread(b, right.data(), want, static_cast<off_t>(offset));
        if (gotLeft <= 0 || gotLeft != gotRight || std::memcmp(left.data(), right.data(), static_cast<std::size_t>(gotLeft)) != 0)
            return false;
        offset += static_cast<std::uint64_t>(gotLeft);
    }
    return true;
}

// Copies the regular file `source` to the new file `target` (created exclusively), with the
// source's permissions and times; `verify` compares what was written with the source
// afterwards. The caller flushes the destination before the copy is put in place. A failure or
// cancel removes the target again.
Failure CopyFile(Run& run, const std::string& source, const struct stat& status, const std::string& target,
                 bool verify)
{
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!in.IsOpen())
        return Fail(errno, "cannot read " + source);
    FileDescriptor out(::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.IsOpen()) {
        Failure failure = Fail(errno, "cannot create a file in " + FolderOf(target));
        failure.nameTaken = failure.error == EEXIST;
        return failure;
    }
    const auto failed = [&](Failure failure) {
        ::unlink(target.c_str());
        return failure;
    };
    if (!run.Report(source))
        return failed({ECANCELED, {}});

    // copy_file_range lets the kernel (or the file system, by sharing blocks) do the work;
    // where it cannot, plain reads and writes of the same size.
    bool useRange = true;
    std::vector<char> buffer;
    std::uint64_t copied = 0;
    for (;;) {
        ssize_t moved = -1;
        if (useRange) {
            moved = ::copy_file_range(in.Get(), nullptr, out.Get(), nullptr, kChunk, 0);
            if (moved < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
                && copied == 0) {
                useRange = false;
                continue;
            }
            if (moved < 0 && errno == EINTR)
                continue;
            if (moved < 0)
                return failed(Fail(errno, "cannot copy " + source + " to " + FolderOf(target)));
        } else {
            if (buffer.empty())
                buffer.resize(kChunk);
            const ssize_t got = ::read(in.Get(), buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return failed(Fail(errno, "cannot read " + source));
            for (ssize_t written = 0; written < got;) {
                const ssize_t now = ::write(out.Get(), buffer.data() + written, static_cast<std::size_t>(got - written));
                if (now < 0 && errno == EINTR)
                    continue;
                if (now <= 0)
                    return failed(Fail(now < 0 ? errno : ENOSPC, "cannot write in " + FolderOf(target)));
                written += now;
            }
            moved = got;
        }
        if (moved == 0)
            break;
        copied += static_cast<std::uint64_t>(moved);
        run.done += static_cast<std::uint64_t>(moved);
        if (!run.Report(source))
            return failed({ECANCELED, {}});
    }

    if (::fchmod(out.Get(), status.st_mode & 07777) != 0)
        return failed(Fail(errno, "cannot set the permissions of the copy of " + source));
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::futimens(out.Get(), times) != 0)
        return failed(Fail(errno, "cannot set the time of the copy of " + source));
    if (verify) {
        struct stat now {};
        struct stat written {};
        if (::fstat(in.Get(), &now) != 0 || ::fstat(out.Get(), &written) != 0 || now.st_size != written.st_size
            || static_cast<std::uint64_t>(written.st_size) != copied
            || !SameBytes(in.Get(), out.Get(), copied))
            return failed({EIO, "the copy of " + source + " in " + FolderOf(target)
                                    + " differs from the original, which is kept"});
    }
    if (::close(out.Release()) != 0)
        return failed(Fail(errno, "cannot finish the copy of " + source));
    return {};
}

// Copies the entry `source` (a file, a folder with everything in it, or a link as a link) to
// the new name `target`. A folder left part-way is removed by the caller.
Failure CopyEntry(Run& run, const std::string& source, const struct stat& status, const std::string& target,
                  bool verify)
{
    if (S_ISREG(status.st_mode))
        return CopyFile(run, source, status, target, verify);
    if (S_ISLNK(status.st_mode)) {
        std::string link(static_cast<std::size_t>(std::max<off_t>(status.st_size, PATH_MAX)) + 1, '\0');
        const ssize_t length = ::readlink(source.c_str(), link.data(), link.size());
        if (length < 0)
            return Fail(errno, "cannot read the link " + source);
        link.resize(static_cast<std::size_t>(length));
        if (::symlink(link.c_str(), target.c_str()) != 0) {
            Failure failure = Fail(errno, "cannot create a link in " + FolderOf(target));
            failure.nameTaken = failure.error == EEXIST;
            return failure;
        }
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
        return {};
    }
    if (!S_ISDIR(status.st_mode))
        return {EINVAL, "cannot copy " + source + ": it is no file, folder or link"};

    if (::mkdir(target.c_str(), 0700) != 0) {
        Failure failure = Fail(errno, "cannot create a folder in " + FolderOf(target));
        failure.nameTaken = failure.error == EEXIST;
        return failure;
    }
    {
        FolderHandle folder(::opendir(source.c_str()));
        if (!folder)
            return Fail(errno, "cannot read the folder " + source);
        while (const dirent* entry = ::readdir(folder.get())) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string child = Join(source, name);
            struct stat childStatus {};
            if (::lstat(child.c_str(), &childStatus) != 0)
                return Fail(errno, "cannot read " + child);
            if (Failure failure = CopyEntry(run, child, childStatus, Join(target, name), verify)) {
                failure.nameTaken = false;
                return failure;
            }
        }
    }
    if (::chmod(target.c_str(), status.st_mode & 07777) != 0)
        return Fail(errno, "cannot set the permissions of the copy of " + source);
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno, "cannot set the time of the copy of " + source);
    return {};
}

void RemoveTree(const std::string& path)
{
    if (!path.empty())
        PermanentlyDelete({path});
}

// Puts `from` at `to`, replacing what is there: a file over a file atomically; where a folder is
// involved the two are exchanged and the old entry, now at `from`, is removed.
int PlaceOver(const std::string& from, const std::string& to)
{
    struct stat target {};
    if (::lstat(to.c_str(), &target) != 0)
        return errno == ENOENT ? RenameNoReplace(from, to) : errno;
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return errno;
    if (!S_ISDIR(target.st_mode) && !S_ISDIR(source.st_mode))
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0)
        return errno;
    RemoveTree(from);
    return 0;
}

void SyncFolder(const std::string& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen())
        ::fsync(fd.Get());
}

// Writes everything copied so far to the disk. One flush of the file system for many files
// costs about what one fsync does, where a flush per file would triple the time of a batch of
// small pictures.
int SyncFileSystemOf(const std::string& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen())
        return errno;
    return ::syncfs(fd.Get()) == 0 ? 0 : errno;
}

struct Member {
    std::string source;
    struct stat status {};
    std::string destination;
    bool taken = false;
    std::string temporary; // the prepared copy, until it is put in place
};

std::string Verb(TransferMode mode)
{
    return mode == TransferMode::Copy ? "copy" : "move";
}

std::vector<TransferMember> Pairs(const std::vector<Member>& members)
{
    std::vector<TransferMember> pairs;
    for (const Member& member : members)
        pairs.push_back({member.source, member.destination});
    return pairs;
}

class Transfer {
public:
    Transfer(TransferMode mode, TransferListener& listener, std::string destination)
        : m_run{listener, mode}
        , m_destination(std::move(destination))
    {
    }

    TransferResult Go(const std::vector<TransferUnit>& units);

private:
    // Fills `members` (or says why the unit cannot go).
    bool Plan(const TransferUnit& unit, std::vector<Member>& members, UnitTransferResult& result);
    bool Rename(std::vector<Member>& members, bool replace, UnitTransferResult& result, bool& crossDevice);
    // Copies every member to a temporary name beside its destination; false (with the outcome
    // set) when the unit cannot go.
    bool Prepare(std::vector<Member>& members, UnitTransferResult& result);
    // Puts flushed copies in place; for a move the sources go afterwards.
    void Place(std::vector<Member>& members, bool replace, UnitTransferResult& result);
    // Flushes the prepared copies waiting to be placed, then places them in order.
    void PlacePending();
    // Taken on the disk, or by a copy waiting to be placed.
    bool IsTaken(const std::string& path) const { return !IsAbsent(path) || m_pendingNames.count(path) != 0; }

    struct Pending {
        std::size_t unit = 0;
        std::vector<Member> members;
        bool replace = false;
    };

    Run m_run;
    std::string m_destination;
    std::string m_destinationReal;
    TransferResult m_result;
    bool m_replaceAll = false;
    bool m_skipAll = false;
    std::vector<Pending> m_pending;
    std::set<std::string> m_pendingNames;
    std::uint64_t m_pendingBytes = 0;
};

bool Transfer::Plan(const TransferUnit& unit, std::vector<Member>& members, UnitTransferResult& result)
{
    const std::string_view name = NamePart(unit.path);
    if (name.empty() || name == "." || name == "..") {
        result.outcome = TransferOutcome::Failed;
        result.message = "cannot " + Verb(m_run.mode) + " \"" + unit.path + "\": it names no entry";
        return false;
    }
    Member entry;
    entry.source = unit.path;
    if (::lstat(entry.source.c_str(), &entry.status) != 0) {
        result.outcome = TransferOutcome::Failed;
        result.message = Fail(errno, "cannot " + Verb(m_run.mode) + " " + unit.path).message;
        return false;
    }
    const bool isFolder = S_ISDIR(entry.status.st_mode);
    if (isFolder && IsInside(m_destinationReal, RealPath(entry.source))) {
        result.outcome = TransferOutcome::Failed;
        result.message = "cannot " + Verb(m_run.mode) + " the folder " + unit.path + " into itself ("
            + m_destination + " is inside it)";
        return false;
    }
    members.push_back(std::move(entry));
    for (const std::string& companion : unit.companions) {
        Member member;
        member.source = companion;
        // A companion deleted since the listing has nothing left to move.
        if (companion == unit.path || ::lstat(companion.c_str(), &member.status) != 0)
            continue;
        if (std::any_of(members.begin(), members.end(), [&](const Member& m) { return m.source == companion; }))
            continue;
        members.push_back(std::move(member));
    }
    for (Member& member : members)
        member.destination = Join(m_destination, NamePart(member.source));
    return true;
}

bool Transfer::Rename(std::vector<Member>& members, bool replace, UnitTransferResult& result, bool& crossDevice)
{
    std::vector<Member*> done;
    for (Member& member : members) {
        const int error = replace && member.taken ? PlaceOver(member.source, member.destination)
                                                  : RenameNoReplace(member.source, member.destination);
        if (error == 0) {
            done.push_back(&member);
            continue;
        }
        // Undo so that the unit stays whole where it was; a replaced entry cannot come back.
        bool stranded = false;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if ((*it)->taken || RenameNoReplace((*it)->destination, (*it)->source) != 0) {
                stranded = true;
                result.members.insert(result.members.begin(), {(*it)->source, (*it)->destination});
            }
        }
        if (error == EXDEV && !stranded) {
            crossDevice = true;
            return false;
        }
        result.outcome = TransferOutcome::Failed;
        result.message = Fail(error, "cannot move " + member.source + " to " + m_destination).message;
        for (const TransferMember& moved : result.members) {
            m_result.vanished.push_back(moved.source);
            m_result.created.push_back(moved.destination);
        }
        return false;
    }
    result.outcome = TransferOutcome::Done;
    for (Member* member : done) {
        result.members.push_back({member->source, member->destination});
        m_result.vanished.push_back(member->source);
        m_result.created.push_back(member->destination);
    }
    return true;
}

bool Transfer::Prepare(std::vector<Member>& members, UnitTransferResult& result)
{
    const bool move = m_run.mode == TransferMode::Move;
    const auto discard = [&] {
        for (Member& member : members) {
            RemoveTree(member.temporary);
            member.temporary.clear();
        }
    };
    // Every member is copied in full before any of them is put in place.
    for (Member& member : members) {
        Failure failure;
        for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
            const std::string temporary = Join(m_destination, TemporaryName(NamePart(member.destination)));
            failure = CopyEntry(m_run, member.source, member.status, temporary, move);
            if (!failure)
                member.temporary = temporary;
            else if (failure.nameTaken)
                continue;
            else if (S_ISDIR(member.status.st_mode))
                RemoveTree(temporary); // the folder was ours, left part-way
            break;
        }
        if (failure) {
            discard();
            if (failure.error == ECANCELED && failure.message.empty()) {
                result.outcome = TransferOutcome::NotDone;
                return false;
            }
            result.outcome = TransferOutcome::Failed;
            result.message = failure.message;
            return false;
        }
    }
    return true;
}

void Transfer::Place(std::vector<Member>& members, bool replace, UnitTransferResult& result)
{
    const bool move = m_run.mode == TransferMode::Move;
    const auto discard = [&] {
        for (Member& member : members) {
            RemoveTree(member.temporary);
            member.temporary.clear();
        }
    };
    std::vector<Member*> placed;
    for (Member& member : members) {
        const int error = replace && member.taken ? PlaceOver(member.temporary, member.destination)
                                                  : RenameNoReplace(member.temporary, member.destination);
        if (error != 0) {
            // A copy is only whole with all its members: take back the new ones.
            for (Member* back : placed) {
                if (back->taken)
                    result.members.push_back({back->source, back->destination});
                else
                    RemoveTree(back->destination);
            }
            discard();
            for (const TransferMember& kept : result.members)
                m_result.created.push_back(kept.destination);
            result.outcome = TransferOutcome::Failed;
            result.message = Fail(error, "cannot put the copy of " + member.source + " in place as "
                                             + member.destination).message;
            return;
        }
        member.temporary.clear();
        placed.push_back(&member);
    }

    result.outcome = TransferOutcome::Done;
    for (const Member& member : members) {
        result.members.push_back({member.source, member.destination});
        m_result.created.push_back(member.destination);
    }
    if (!move)
        return;
    // The copies are complete, compared and on the disk: only now do the originals go.
    SyncFolder(m_destination);
    for (const Member& member : members) {
        const DeleteResult removed = PermanentlyDelete({member.source});
        m_result.vanished.insert(m_result.vanished.end(), removed.vanished.begin(), removed.vanished.end());
        if (!removed.Succeeded() && result.message.empty()) {
            result.outcome = TransferOutcome::Failed;
            result.message = member.source + " was copied to " + member.destination
                + " but could not be removed: " + removed.failures.front();
        }
    }
}

void Transfer::PlacePending()
{
    if (m_pending.empty())
        return;
    if (const int error = SyncFileSystemOf(m_destination); error != 0) {
        // Nothing unflushed is put in place.
        const std::string why = Fail(error, "cannot flush the copies in " + m_destination).message;
        for (Pending& pending : m_pending) {
            for (Member& member : pending.members)
                RemoveTree(member.temporary);
            m_result.units[pending.unit].outcome = TransferOutcome::Failed;
            m_result.units[pending.unit].message = why;
        }
    } else {
        for (Pending& pending : m_pending)
            Place(pending.members, pending.replace, m_result.units[pending.unit]);
        SyncFolder(m_destination);
    }
    m_pending.clear();
    m_pendingNames.clear();
    m_pendingBytes = 0;
}

TransferResult Transfer::Go(const std::vector<TransferUnit>& units)
{
    m_result.units.resize(units.size());
    while (m_destination.size() > 1 && m_destination.back() == '/')
        m_destination.pop_back();
    struct stat folder {};
    int folderError = 0;
    if (m_destination.empty())
        folderError = ENOENT;
    else if (::stat(m_destination.c_str(), &folder) != 0)
        folderError = errno;
    else if (!S_ISDIR(folder.st_mode))
        folderError = ENOTDIR;
    if (folderError != 0) {
        const std::string why = Fail(folderError, "cannot use \"" + m_destination + "\" as the destination").message;
        for (UnitTransferResult& unit : m_result.units) {
            unit.outcome = TransferOutcome::Failed;
            unit.message = why;
        }
        return m_result;
    }
    m_destinationReal = RealPath(m_destination);

    for (const TransferUnit& unit : units) {
        m_run.total += TreeBytes(unit.path);
        for (const std::string& companion : unit.companions)
            m_run.total += TreeBytes(companion);
    }

    for (std::size_t i = 0; i < units.size(); ++i) {
        UnitTransferResult& result = m_result.units[i];
        if (!m_run.Report(units[i].path))
            break;
        std::vector<Member> members;
        if (!Plan(units[i], members, result))
            continue;
        std::uint64_t unitBytes = 0;
        for (const Member& member : members)
            unitBytes += TreeBytes(member.source);
        const std::uint64_t doneBefore = m_run.done;
        const auto countUnit = [&] { m_run.done = doneBefore + unitBytes; };

        // Onto itself: the same path, or another name of the same file.
        bool ontoItself = false;
        for (const Member& member : members) {
            struct stat there {};
            if (::lstat(member.destination.c_str(), &there) == 0 && there.st_dev == member.status.st_dev
                && there.st_ino == member.status.st_ino)
                ontoItself = true;
        }
        if (ontoItself && m_run.mode == TransferMode::Move) {
            result.outcome = TransferOutcome::Skipped;
            result.message = units[i].path + " is in " + m_destination + " already";
            countUnit();
            continue;
        }
        if (ontoItself) {
            const bool isFolder = S_ISDIR(members.front().status.st_mode);
            const std::string name(NamePart(members.front().source));
            bool found = false;
            for (int number = 2; number <= kLastNumber && !found; ++number) {
                const std::string numbered = NumberedName(name, number, isFolder);
                for (std::size_t m = 0; m < members.size(); ++m)
                    members[m].destination = Join(m_destination, m == 0 ? numbered
                                                                        : CompanionName(numbered, NamePart(members[m].source)));
                found = std::none_of(members.begin(), members.end(), [this](const Member& m) { return IsTaken(m.destination); });
            }
            if (!found) {
                result.outcome = TransferOutcome::Failed;
                result.message = "cannot find a free name for another copy of " + units[i].path;
                countUnit();
                continue;
            }
        }

        std::vector<TransferMember> taken;
        for (Member& member : members) {
            member.taken = IsTaken(member.destination);
            if (member.taken)
                taken.push_back({member.source, member.destination});
        }
        bool replace = false;
        if (!taken.empty()) {
            TransferAnswer answer = TransferAnswer::Skip;
            if (m_replaceAll)
                answer = TransferAnswer::Replace;
            else if (!m_skipAll)
                answer = m_run.listener.Conflict({units[i].path, Pairs(members), taken});
            if (answer == TransferAnswer::Cancel) {
                m_run.cancelled = true;
                break;
            }
            m_replaceAll = m_replaceAll || answer == TransferAnswer::ReplaceAll;
            m_skipAll = m_skipAll || answer == TransferAnswer::SkipAll;
            replace = answer == TransferAnswer::Replace || answer == TransferAnswer::ReplaceAll;
            if (!replace) {
                result.outcome = TransferOutcome::Skipped;
                result.message = taken.front().destination + " exists";
                countUnit();
                continue;
            }
            // Replacing a folder that holds a member would remove the member with it.
            for (const Member& member : members) {
                const std::string source = RealPath(member.source);
                for (const TransferMember& old : taken) {
                    if (source != RealPath(old.destination) && IsInside(source, RealPath(old.destination))) {
                        result.outcome = TransferOutcome::Failed;
                        result.message = "cannot replace " + old.destination + ", which holds " + member.source;
                    }
                }
            }
            if (result.outcome == TransferOutcome::Failed) {
                countUnit();
                continue;
            }
        }

        bool crossDevice = m_run.mode == TransferMode::Copy;
        if (m_run.mode == TransferMode::Move && Rename(members, replace, result, crossDevice)) {
            countUnit();
            continue;
        }
        if (crossDevice && Prepare(members, result)) {
            if (m_run.mode == TransferMode::Move) {
                // The sources go right after, so this unit's copies are flushed at once.
                m_pending.push_back({i, std::move(members), replace});
                PlacePending();
            } else {
                for (const Member& member : members)
                    m_pendingNames.insert(member.destination);
                m_pendingBytes += unitBytes;
                m_pending.push_back({i, std::move(members), replace});
                if (m_pending.size() >= kPendingUnits || m_pendingBytes >= kPendingBytes)
                    PlacePending();
            }
        }
        if (m_run.cancelled)
            break;
        countUnit();
    }
    // Copies made before a cancel are whole: they are placed like the others.
    PlacePending();
    m_result.cancelled = m_run.cancelled;
    m_run.Report({});
    return m_result;
}

} // namespace

bool TransferResult::Succeeded() const
{
    return !cancelled && std::all_of(units.begin(), units.end(), [](const UnitTransferResult& unit) {
        return unit.outcome == TransferOutcome::Done || unit.outcome == TransferOutcome::Skipped;
    });
}

std::string NumberedName(std::string_view name, int number, bool isFolder)
{
    const std::string suffix = " (" + std::to_string(number) + ")";
    const std::size_t dot = isFolder ? std::string_view::npos : name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(name) + suffix;
    return std::string(name.substr(0, dot)) + suffix + std::string(name.substr(dot));
}

TransferResult TransferFiles(const std::vector<TransferUnit>& units, const std::string& destinationFolder,
                             TransferMode mode, TransferListener& listener)
{
    return Transfer(mode, listener, destinationFolder).Go(units);
}
