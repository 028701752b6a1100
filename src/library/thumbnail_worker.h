#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library/media_item.h"

// One item for the worker: where it is and the detail object to fill. The view guarantees
// that the detail outlives the job (it cancels the worker before destroying the list).
struct ThumbnailJobItem {
    std::string path;
    MediaItemDetail* detail = nullptr;
    bool isFolder = false;
    bool hasSoundMemo = false;
};

// What a view asks for after painting: the items (in drawing order) and how to make the view
// repaint, which the worker calls from its own thread (at most every 50 ms during a job).
struct ThumbnailJob {
    std::function<void()> repaint;
    std::vector<ThumbnailJobItem> items;
};

// The one background worker that fills detail objects with information and pictures. Its
// running flag, cancel flag and job queue each have their own lock, never taken together.
class ThumbnailWorker {
public:
    // How an item's information and pictures are produced; replaceable for tests.
    struct Producers {
        // Reads the detail's information (medium information and texts) for a file.
        std::function<void(const std::string& path, MediaItemDetail& detail)> loadInformation;
        // Duration in hundredths of a second of a sound memo, or 0.
        std::function<int32_t(const std::string& memoPath)> memoDuration;
        // 0 on success, like ReadFullImage and MakeThumbnail.
        std::function<int(const std::string& path, DibImage& image)> readFullImage;
        std::function<int(const std::string& path, int sizeCode, DibImage& image)> makeThumbnail;
    };

    ThumbnailWorker();
    explicit ThumbnailWorker(Producers producers);
    ~ThumbnailWorker();

    ThumbnailWorker(const ThumbnailWorker&) = delete;
    ThumbnailWorker& operator=(const ThumbnailWorker&) = delete;

    // Starts the thread at below-normal priority, with empty flags and queue.
    void Start();
    // Ends the thread, waiting up to 1000 ms; a thread that does not end is given up on.
    void Stop();
    // [main thread] Appends a job.
    void Post(ThumbnailJob job);
    // [main thread] Empties the queue and abandons the job in progress after the item being
    // worked on; returns once the worker has acknowledged.
    void Cancel();

    bool IsBusy() const;
    bool IsRunning() const;

    // [main thread] Releases the pictures of every item outside [firstVisible, lastVisible]
    // whose requests are all satisfied, once at least `limit` items hold requests. Returns
    // the number of details released.
    static size_t Trim(std::vector<MediaItem>& items, size_t firstVisible, size_t lastVisible, size_t limit);

    // [worker] The work for one item; public for tests.
    void DoItemWork(const ThumbnailJobItem& item);

private:
    void ThreadBody();
    bool TakeCancel();
    bool CancelRequested() const;
    void RunJob(ThumbnailJob& job);
    void MakeFolderPreview(const ThumbnailJobItem& item);
    void MakePicture(const ThumbnailJobItem& item, PictureRequest request);

    Producers m_producers;
    std::thread m_thread;

    mutable std::mutex m_runningLock; // guards m_running
    bool m_running = false;
    mutable std::mutex m_cancelLock; // guards m_cancel
    bool m_cancel = false;
    mutable std::mutex m_queueLock; // guards m_queue and m_pending
    std::deque<ThumbnailJob> m_queue;
    bool m_pending = false;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_threadEnded{true};
};

// The program's worker.
ThumbnailWorker& ProgramThumbnailWorker();
