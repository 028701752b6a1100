#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "framework/polling_worker.h"

using namespace std::chrono_literals;

TEST(PollingWorker, StartsPausedAndRunsOnlyAfterResume)
{
    std::atomic<int> calls{0};
    PollingWorker worker([&] { ++calls; });
    worker.Start();
    EXPECT_TRUE(worker.IsRunning());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(worker.Resume(), 1);
    EXPECT_GE(calls.load(), 1); // Resume returns once the job has run
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
}

TEST(PollingWorker, PauseWaitsForARunningJobToFinish)
{
    std::atomic<bool> inJob{false};
    std::atomic<bool> finished{false};
    PollingWorker worker([&] {
        inJob = true;
        std::this_thread::sleep_for(50ms);
        finished = true;
        inJob = false;
    });
    worker.Start();
    worker.Resume();
    while (!inJob)
        std::this_thread::sleep_for(1ms);
    finished = false;
    worker.Pause();
    EXPECT_TRUE(finished.load());
    EXPECT_FALSE(inJob.load());
    const bool stillInJob = inJob.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(stillInJob || inJob.load());
    worker.Stop();
}

TEST(PollingWorker, ResumeWithoutJobReturnsZero)
{
    PollingWorker worker;
    worker.Start();
    EXPECT_EQ(worker.Resume(), 0);
    EXPECT_TRUE(worker.IsPaused());
    worker.Stop();
}

TEST(PollingWorker, StopWithinReportsAJobThatDoesNotEnd)
{
    std::atomic<bool> release{false};
    PollingWorker worker([&] {
        while (!release)
            std::this_thread::sleep_for(1ms);
    });
    worker.Start();
    std::thread resumer([&] { worker.Resume(); });
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(worker.StopWithin(30));
    release = true;
    resumer.join();
    EXPECT_TRUE(worker.StopWithin(1000));
}
