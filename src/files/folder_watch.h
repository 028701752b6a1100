#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/file_descriptor.h"

// Watches the shown folder for changes made by other programs, on inotify, with one waiting
// thread that lives from construction to Close().
//
// Two watches run while armed, as on the original system:
// - the folder watch on the folder itself: entries created, deleted, renamed, written
//   (closed after writing) or touched;
// - the drive watch on the folder's ancestors up to its mount point, for folder events only.
//   inotify has no whole-drive watch; the ancestors are what can take the shown folder away
//   (renamed or deleted) and what the folder tree shows around it.
// Each watch has a skip-once flag, set by Arm, Suspend and SkipOnce: the first wake of the
// waiter that carries events for that watch is ignored. A vanished folder is never skipped,
// since no later event would ever report it.
//
// Events are gathered into one notification per burst: the first starts a quiet timer that
// each later event restarts, and the notification goes out when the timer runs out or, in a
// steady stream, at the latest Timing::longest after the first event, so that a camera copy
// refreshes the view about once a second instead of once per file.
//
// Delivery: Notify is a plain function called on the waiting thread, never under a lock. It
// must not call back into the watch nor block on the owner's thread (the owner may be waiting
// in Arm for the waiting thread); the main window posts it on with
// QMetaObject::invokeMethod(window, ..., Qt::QueuedConnection) and, when it arrives, drops it
// unless IsCurrent(), since a notification posted just before an Arm is about the old folder.
//
// Control: Arm, Suspend, SkipOnce and Close are for the owner's thread (one at a time). Each
// wakes the waiter through an eventfd and returns when the waiter has carried it out; only
// the waiter opens, reads and closes the inotify descriptor, so it never polls a descriptor
// that was closed (and whose number the system may already have handed out again).
class FolderWatch {
public:
    enum class Change {
        kChanged,     // entries of the folder changed: refresh the item list (command 49001)
        kTreeChanged, // a folder was created, deleted or renamed in the folder or an ancestor;
                      // the shown folder is still in place: refresh the tree and the list (49002)
        kGone,        // the folder was deleted or moved, or an ancestor was; nothing more is
                      // reported until the next Arm: reset the views, refresh the tree (49002)
    };
    enum class Watch { kFolder, kDrive };

    struct Notification {
        Change change = Change::kChanged;
        std::uint64_t generation = 0; // the Arm or Suspend it belongs to
    };
    using Notify = std::function<void(const Notification&)>;

    struct Timing {
        std::chrono::milliseconds quiet{250};    // a burst ends after this long without events
        std::chrono::milliseconds longest{1000}; // no event waits longer than this to be reported
    };

    // Starts the waiting thread; nothing is watched until Arm.
    explicit FolderWatch(Notify notify);
    FolderWatch(Notify notify, Timing timing);
    ~FolderWatch(); // Close()

    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Suspends both watches, then, for a non-empty path, watches the folder (symbolic links
    // resolved) and its ancestors. Returns false, with the reason in *error, when the folder
    // cannot be watched; the watch then stays suspended. An ancestor that cannot be watched
    // (no permission, watch limit) is left out: the folder watch matters more.
    bool Arm(const std::string& folder, std::string* error = nullptr);
    // Stops both watches and sets both skip-once flags; changes are not reported until the
    // next Arm. Called around the program's own work on files and folders. A burst gathered
    // but not yet reported is dropped, as Arm and Close drop it.
    void Suspend();
    // Sets both skip-once flags without closing the watches.
    void SkipOnce();
    // Stops watching and ends the waiting thread; the watch cannot be armed again.
    void Close();

    // The generation of the latest Arm or Suspend; owner's thread.
    std::uint64_t Generation() const { return m_generation; }
    bool IsCurrent(const Notification& notification) const { return notification.generation == m_generation; }
    // The watched folder (symbolic links resolved), empty while suspended; owner's thread.
    const std::string& Folder() const { return m_folder; }
    // Whether the next wake with events for the watch will be ignored.
    bool IsSkipping(Watch watch) const;
    bool IsRunning() const { return m_thread.joinable(); }

private:
    enum class RequestKind { kArm, kSuspend, kSkipOnce, kClose };
    struct Request {
        RequestKind kind = RequestKind::kSuspend;
        std::string folder;
        std::uint64_t generation = 0;
        std::uint64_t number = 0;
    };
    struct Reply {
        bool ok = true;
        std::string error;
        std::string folder;
    };
    struct Ancestor {
        int wd = -1;
        std::string child; // the name, inside this ancestor, of the next folder towards the shown one
    };

    Reply Ask(Request request); // with m_controlMutex held
    // Arm, Suspend and Close: what was gathered for the folder before no longer counts.
    Reply AskInNewGeneration(RequestKind kind, const std::string& folder); // with m_controlMutex held
    void WaiterBody();
    bool Answer();
    Reply StartWatching(const std::string& folder);
    void StopWatching();
    void ReadEvents();
    void Gather(Change change);
    int MillisecondsToDue() const;
    void Deliver();

    const Notify m_notify;
    const Timing m_timing;
    FileDescriptor m_wake; // eventfd: the owner writes, the waiter reads
    std::thread m_thread;
    std::string m_startError;

    // Owner's thread only.
    std::mutex m_controlMutex; // one control call at a time
    std::uint64_t m_generation = 0;
    std::string m_folder;

    // The hand-over between owner and waiter, under m_mutex: the owner writes m_request and
    // m_asked, the waiter writes m_reply and m_answered.
    std::mutex m_mutex;
    std::condition_variable m_replied;
    Request m_request;
    std::uint64_t m_asked = 0;
    std::uint64_t m_answered = 0;
    Reply m_reply;

    // Written by the waiter only, read by anyone.
    std::atomic<bool> m_skipFolder{true};
    std::atomic<bool> m_skipDrive{true};

    // Waiting thread only.
    std::optional<FileDescriptor> m_inotify;
    int m_folderWd = -1;
    std::vector<Ancestor> m_ancestors;
    std::uint64_t m_watchGeneration = 0;
    bool m_pending = false;
    Change m_pendingChange = Change::kChanged;
    std::chrono::steady_clock::time_point m_firstEvent;
    std::chrono::steady_clock::time_point m_lastEvent;
};

// The ancestors of an absolute folder path without symbolic links, nearest first, that lie on
// the folder's own file system (its mount point last); empty for a mount point or "/".
std::vector<std::string> AncestorsUpToMountPoint(const std::string& folder);
