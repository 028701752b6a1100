#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Runs one background job on its own thread, calling it about every millisecond, and lets the
// main thread pause, resume and stop it. A new worker starts paused.
//
// Flag discipline: m_paused and m_keepRunning are written by the owner (main thread) only;
// m_running and m_acknowledged by the worker thread only. The waits are 1 ms sleeps.
class PollingWorker {
public:
    using Job = std::function<void()>;

    PollingWorker() = default;
    explicit PollingWorker(Job job);
    ~PollingWorker();

    PollingWorker(const PollingWorker&) = delete;
    PollingWorker& operator=(const PollingWorker&) = delete;

    void SetJob(Job job); // only while no thread runs

    // Starts the thread if none exists and returns once it runs.
    void Start();
    // Returns only when the job is not executing and will not be called until Resume.
    void Pause();
    // Returns 0 without a job; otherwise unpauses and, with a running thread, returns 1 once
    // the job has been called at least once.
    int Resume();
    // Ends the thread and waits for it.
    void Stop();
    // Ends the thread, waiting at most timeoutMs; returns false when it did not end in time.
    bool StopWithin(int timeoutMs);
    // Gives up on a thread that did not end: it is detached and left to the process exit,
    // since forcibly terminating a thread could leave its locks held.
    void Kill();

    bool IsRunning() const { return m_running.load(); }
    bool IsPaused() const { return m_paused.load(); }

private:
    void ThreadBody();

    Job m_job;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_keepRunning{true};
    std::atomic<bool> m_paused{true};
    std::atomic<bool> m_acknowledged{false};
};
