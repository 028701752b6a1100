#include "framework/polling_worker.h"

#include <chrono>

namespace {

void SleepOneMillisecond()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

PollingWorker::PollingWorker(Job job)
    : m_job(std::move(job))
{
}

PollingWorker::~PollingWorker()
{
    if (m_thread.joinable())
        Stop();
}

void PollingWorker::SetJob(Job job)
{
    if (!m_thread.joinable())
        m_job = std::move(job);
}

void PollingWorker::Start()
{
    if (m_thread.joinable())
        return;
    m_keepRunning = true;
    m_thread = std::thread(&PollingWorker::ThreadBody, this);
    while (!m_running)
        SleepOneMillisecond();
}

void PollingWorker::ThreadBody()
{
    m_running = true;
    while (m_keepRunning) {
        if (m_paused) {
            m_acknowledged = false;
        } else {
            if (m_job)
                m_job();
            m_acknowledged = true;
        }
        SleepOneMillisecond();
    }
    m_running = false;
}

void PollingWorker::Pause()
{
    m_paused = true;
    if (!m_thread.joinable())
        return;
    while (m_running && m_acknowledged)
        SleepOneMillisecond();
}

int PollingWorker::Resume()
{
    if (!m_job)
        return 0;
    m_paused = false;
    if (m_thread.joinable()) {
        while (m_running && !m_acknowledged)
            SleepOneMillisecond();
    }
    return 1;
}

void PollingWorker::Stop()
{
    m_keepRunning = false;
    if (m_thread.joinable())
        m_thread.join();
}

bool PollingWorker::StopWithin(int timeoutMs)
{
    m_keepRunning = false;
    if (!m_thread.joinable())
        return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_running && std::chrono::steady_clock::now() < deadline)
        SleepOneMillisecond();
    if (m_running)
        return false;
    m_thread.join();
    return true;
}

void PollingWorker::Kill()
{
    m_keepRunning = false;
    if (m_thread.joinable())
        m_thread.detach();
}
