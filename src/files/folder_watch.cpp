#include "files/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

// Entries of the shown folder: names, contents written, times and permissions.
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE
    | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Ancestors: only names (folders among them are filtered on IN_ISDIR) and their own fate.
constexpr std::uint32_t kAncestorEvents
    = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// The watched folder itself went away, was moved or unmounted (IN_IGNORED follows the others,
// and we never remove single watches ourselves).
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// One wake reads at most this many buffers, so that a writer faster than us cannot keep the
// waiter from its timers and control requests.
constexpr int kReadsPerWake = 16;

std::string SystemText(int code)
{
    return std::system_category().message(code);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

int Rank(FolderWatch::Change change)
{
    return static_cast<int>(change);
}

} // namespace

std::vector<std::string> AncestorsUpToMountPoint(const std::string& folder)
{
    std::vector<std::string> ancestors;
    struct stat own {};
    if (folder.empty() || folder.front() != '/' || ::stat(folder.c_str(), &own) != 0)
        return ancestors;
    std::string path = folder;
    while (path != "/") {
        const std::string parent = ParentOf(path);
        struct stat status {};
        // A different device is the file system above the mount point; renames never cross it.
        if (::stat(parent.c_str(), &status) != 0 || status.st_dev != own.st_dev)
            break;
        ancestors.push_back(parent);
        path = parent;
    }
    return ancestors;
}

FolderWatch::FolderWatch(Notify notify)
    : FolderWatch(std::move(notify), Timing {})
{
}

FolderWatch::FolderWatch(Notify notify, Timing timing)
    : m_notify(std::move(notify))
    , m_timing(timing)
    , m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (!m_wake.IsOpen()) {
        m_startError = "the folder watch cannot start: " + SystemText(errno);
        return;
    }
    m_thread = std::thread(&FolderWatch::WaiterBody, this);
}

FolderWatch::~FolderWatch()
{
    Close();
}

bool FolderWatch::Arm(const std::string& folder, std::string* error)
{
    std::lock_guard control(m_controlMutex);
    const Reply reply = AskInNewGeneration(RequestKind::kArm, folder);
    if (reply.ok)
        m_folder = reply.folder;
    else if (error)
        *error = reply.error;
    return reply.ok;
}

void FolderWatch::Suspend()
{
    std::lock_guard control(m_controlMutex);
    AskInNewGeneration(RequestKind::kSuspend, {});
}

void FolderWatch::SkipOnce()
{
    std::lock_guard control(m_controlMutex);
    Ask({RequestKind::kSkipOnce, {}, m_generation, 0});
}

void FolderWatch::Close()
{
    std::lock_guard control(m_controlMutex);
    if (!m_thread.joinable())
        return;
    AskInNewGeneration(RequestKind::kClose, {});
    m_thread.join();
}

FolderWatch::Reply FolderWatch::AskInNewGeneration(RequestKind kind, const std::string& folder)
{
    ++m_generation;
    m_folder.clear();
    return Ask({kind, folder, m_generation, 0});
}

bool FolderWatch::IsSkipping(Watch watch) const
{
    return watch == Watch::kFolder ? m_skipFolder.load() : m_skipDrive.load();
}

FolderWatch::Reply FolderWatch::Ask(Request request)
{
    if (!m_thread.joinable()) {
        Reply closed;
        closed.ok = false;
        closed.error = m_startError.empty() ? "the folder watch is closed" : m_startError;
        return closed;
    }
    std::unique_lock lock(m_mutex);
    request.number = ++m_asked;
    m_request = std::move(request);
    const std::uint64_t number = m_request.number;
    lock.unlock();

    const std::uint64_t one = 1;
    while (::write(m_wake.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    // The counter cannot overflow: every request is answered before the next one is written.

    lock.lock();
    m_replied.wait(lock, [&] { return m_answered == number; });
    return m_reply;
}

void FolderWatch::WaiterBody()
{
    for (;;) {
        pollfd fds[2] {};
        fds[0].fd = m_wake.Get();
        fds[0].events = POLLIN;
        fds[1].fd = m_inotify ? m_inotify->Get() : -1; // poll ignores a negative descriptor
        fds[1].events = POLLIN;
        const int ready = ::poll(fds, 2, MillisecondsToDue());
        if (ready < 0) {
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (fds[0].revents & POLLIN) {
            if (!Answer())
                return;
            // The request may have closed the descriptor polled above; its number may already
            // belong to the new watch. Poll again rather than trust fds[1].
            continue;
        }
        if (m_inotify && (fds[1].revents & POLLIN))
            ReadEvents();
        if (m_pending && MillisecondsToDue() == 0)
            Deliver();
    }
}

bool FolderWatch::Answer()
{
    std::uint64_t count = 0;
    while (::read(m_wake.Get(), &count, sizeof count) < 0 && errno == EINTR) {
    }
    Request request;
    {
        std::lock_guard lock(m_mutex);
        if (m_request.number == m_answered)
            return true;
        request = m_request;
    }

    Reply reply;
    switch (request.kind) {
    case RequestKind::kArm:
        m_skipFolder = true;
        m_skipDrive = true;
        StopWatching();
        m_watchGeneration = request.generation;
        if (!request.folder.empty())
            reply = StartWatching(request.folder);
        break;
    case RequestKind::kSuspend:
    case RequestKind::kClose:
        m_skipFolder = true;
        m_skipDrive = true;
        StopWatching();
        m_watchGeneration = request.generation;
        break;
    case RequestKind::kSkipOnce:
        m_skipFolder = true;
        m_skipDrive = true;
        break;
    }

    {
        std::lock_guard lock(m_mutex);
        m_reply = std::move(reply);
        m_answered = request.number;
    }
    m_replied.notify_all();
    return request.kind != RequestKind::kClose;
}

FolderWatch::Reply FolderWatch::StartWatching(const std::string& folder)
{
    Reply reply;
    reply.ok = false;
    const std::unique_ptr<char, FreeDeleter> real(::realpath(folder.c_str(), nullptr));
    if (!real) {
        reply.error = "cannot watch the folder \"" + folder + "\": " + SystemText(errno);
        return reply;
    }
    const std::string path = real.get();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        reply.error = "cannot watch \"" + folder + "\": it is not a folder";
        return reply;
    }
    FileDescriptor fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!fd.IsOpen()) {
        reply.error = "cannot watch the folder \"" + folder + "\": " + SystemText(errno);
        return reply;
    }
    const int folderWd = ::inotify_add_watch(fd.Get(), path.c_str(), kFolderEvents);
    if (folderWd < 0) {
        reply.error = "cannot watch the folder \"" + folder + "\": " + SystemText(errno);
        return reply;
    }

    std::vector<Ancestor> ancestors;
    std::string below = path;
    for (const std::string& ancestor : AncestorsUpToMountPoint(path)) {
        const int wd = ::inotify_add_watch(fd.Get(), ancestor.c_str(), kAncestorEvents);
        if (wd >= 0)
            ancestors.push_back(Ancestor{wd, NameOf(below)});
        below = ancestor;
    }

    m_inotify.emplace(fd.Release());
    m_folderWd = folderWd;
    m_ancestors = std::move(ancestors);
    reply.ok = true;
    reply.folder = path;
    return reply;
}

void FolderWatch::StopWatching()
{
    m_inotify.reset();
    m_folderWd = -1;
    m_ancestors.clear();
    m_pending = false;
}

void FolderWatch::ReadEvents()
{
    bool folderHit = false;
    bool driveHit = false;
    bool gone = false;
    alignas(inotify_event) char buffer[16384];
    for (int reads = 0; reads < kReadsPerWake; ++reads) {
        const ssize_t size = ::read(m_inotify->Get(), buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break; // EAGAIN: drained
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: anything may have happened, and the tree handler checks
                // whether the folder is still there.
                folderHit = true;
                driveHit = true;
                continue;
            }
            if (event->wd == m_folderWd) {
                if (event->mask & kSelfEvents) {
                    gone = true;
                    continue;
                }
                folderHit = true;
                if ((event->mask & IN_ISDIR) && (event->mask & kNameEvents))
                    driveHit = true;
                continue;
            }
            const auto ancestor = std::find_if(m_ancestors.begin(), m_ancestors.end(),
                [&](const Ancestor& candidate) { return candidate.wd == event->wd; });
            if (ancestor == m_ancestors.end())
                continue;
            if (event->mask & kSelfEvents) {
                gone = true;
            } else if (event->mask & IN_ISDIR) {
                // The next folder towards the shown one renamed, deleted or replaced.
                if (event->len > 0 && ancestor->child == event->name)
                    gone = true;
                else
                    driveHit = true;
            }
        }
    }

    if (gone) {
        // Whatever now happens under the old inode is not the shown path any more.
        const std::uint64_t generation = m_watchGeneration;
        StopWatching();
        m_watchGeneration = generation;
        Gather(Change::kGone);
        Deliver();
        return;
    }
    if (folderHit) {
        if (m_skipFolder)
            m_skipFolder = false;
        else
            Gather(Change::kChanged);
    }
    if (driveHit) {
        if (m_skipDrive)
            m_skipDrive = false;
        else
            Gather(Change::kTreeChanged);
    }
}

void FolderWatch::Gather(Change change)
{
    const Clock::time_point now = Clock::now();
    if (!m_pending) {
        m_pending = true;
        m_pendingChange = change;
        m_firstEvent = now;
    } else if (Rank(change) > Rank(m_pendingChange)) {
        m_pendingChange = change;
    }
    m_lastEvent = now;
}

int FolderWatch::MillisecondsToDue() const
{
    if (!m_pending)
        return -1;
    const Clock::time_point due = std::min(m_lastEvent + m_timing.quiet, m_firstEvent + m_timing.longest);
    const Clock::time_point now = Clock::now();
    if (due <= now)
        return 0;
    // Rounded up, so that the wake is never early and spins.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now);
    return static_cast<int>(left.count());
}

void FolderWatch::Deliver()
{
    Notification notification;
    notification.change = m_pendingChange;
    notification.generation = m_watchGeneration;
    m_pending = false;
    if (!m_notify)
        return;
    try {
        m_notify(notification);
    } catch (...) {
        // Nothing may leave the thread; a lost notification costs one refresh at most.
    }
}
