#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "library/dib_image.h"
#include "library/preview_loader.h"

using namespace std::chrono_literals;

namespace {

// The identity of a path, written into the pictures the fake decoder makes.
uint32_t PathMark(const std::string& path)
{
    return static_cast<uint32_t>(std::hash<std::string>{}(path) & 0xFFFFFF);
}

// A decoder that records its calls, makes a picture of the box's size (200 x 150 for the full
// size) marked with its path and its call number, fails for paths ending in ".bad", and can be
// held inside a call until the test lets it go.
class FakeDecoder {
public:
    struct Call {
        std::string path;
        int boxWidth = 0;
        int boxHeight = 0;
    };

    PreviewLoader::Decoder Make()
    {
        return [this](const std::string& path, int boxWidth, int boxHeight, DibImage& image) {
            uint32_t number = 0;
            {
                std::unique_lock lock(m_lock);
                m_calls.push_back({path, boxWidth, boxHeight});
                number = static_cast<uint32_t>(m_calls.size());
                m_inside = true;
                m_changed.notify_all();
                m_changed.wait(lock, [&] { return m_holdPath != path; });
            }
            if (delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
            int code = -5001;
            if (!path.ends_with(".bad")
                && image.Create(boxWidth > 0 ? static_cast<uint32_t>(boxWidth) : 200,
                                boxHeight > 0 ? static_cast<uint32_t>(boxHeight) : 150, 24)) {
                image.SetPixel(0, 0, PathMark(path));
                image.SetPixel(1, 0, number);
                code = 0;
            }
            std::lock_guard lock(m_lock);
            m_inside = false;
            m_changed.notify_all();
            return code;
        };
    }

    // Calls for this path wait until Release.
    void Hold(const std::string& path)
    {
        std::lock_guard lock(m_lock);
        m_holdPath = path;
    }
    void Release()
    {
        std::lock_guard lock(m_lock);
        m_holdPath.clear();
        m_changed.notify_all();
    }
    // Waits until a call is inside the decoder (held or running).
    bool WaitInside()
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, 10s, [&] { return m_inside; });
    }

    std::vector<Call> Calls() const
    {
        std::lock_guard lock(m_lock);
        return m_calls;
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const Call& call : Calls())
            paths.push_back(call.path);
        return paths;
    }
    size_t CallCount() const { return Calls().size(); }

    std::atomic<int> delayMs{0};

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Call> m_calls;
    std::string m_holdPath;
    bool m_inside = false;
};

bool WaitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

uint32_t CallNumberOf(const SharedPicture& picture)
{
    return picture ? picture->Pixel(1, 0) : 0;
}

} // namespace

TEST(PreviewLoader, DecodesTheCurrentPictureBeforeItsNeighbours)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    loader.Show("/p/a.jpg", {"/p/b.jpg", "/p/c.jpg"}, 64, 48);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.Paths(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
    for (const char* path : {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}) {
        ASSERT_NE(loader.Picture(path), nullptr) << path;
        EXPECT_EQ(loader.Picture(path)->Pixel(0, 0), PathMark(path));
        EXPECT_EQ(loader.Picture(path)->Width(), 64u);
    }

    // A new current picture named while a neighbour is decoding comes next; the neighbour that
    // is no longer wanted is thrown away when its decode ends.
    fake.Hold("/p/e.jpg");
    loader.Show("/p/d.jpg", {"/p/e.jpg", "/p/f.jpg"}, 64, 48);
    ASSERT_TRUE(WaitUntil([&] { return fake.CallCount() == 5; }));
    ASSERT_TRUE(fake.WaitInside());
    loader.Show("/p/x.jpg", {"/p/y.jpg"}, 64, 48);
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.Paths(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg",
                                                      "/p/e.jpg", "/p/x.jpg", "/p/y.jpg"}));
    EXPECT_EQ(loader.AnyPicture("/p/e.jpg"), nullptr);
    EXPECT_EQ(loader.AnyPicture("/p/d.jpg"), nullptr);
    EXPECT_EQ(loader.HeldCount(), 2u);
}

TEST(PreviewLoader, SteppingThroughAHundredPicturesHoldsAtMostThree)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    std::vector<std::string> paths;
    for (int i = 0; i < 100; ++i)
        paths.push_back("/card/DSCF" + std::to_string(1000 + i) + ".JPG");
    std::vector<std::weak_ptr<const DibImage>> seen;
    // Distinct pictures still in memory: the test itself holds none of them.
    auto alive = [&] {
        std::set<const DibImage*> pictures;
        for (const auto& weak : seen) {
            if (const SharedPicture picture = weak.lock())
                pictures.insert(picture.get());
        }
        return pictures.size();
    };
    for (size_t i = 0; i < paths.size(); ++i) {
        std::vector<std::string> neighbours;
        if (i + 1 < paths.size())
            neighbours.push_back(paths[i + 1]);
        if (i > 0)
            neighbours.push_back(paths[i - 1]);
        // More neighbours than two are not taken.
        if (i + 2 < paths.size())
            neighbours.push_back(paths[i + 2]);
        loader.Show(paths[i], neighbours, 40, 30);
        EXPECT_LE(loader.HeldCount(), PreviewLoader::kMaxHeld);
        EXPECT_LE(alive(), 3u);
        ASSERT_TRUE(WaitUntil([&] { return loader.Picture(paths[i]) != nullptr; })) << i;
        for (const std::string& path : {paths[i], i + 1 < paths.size() ? paths[i + 1] : paths[i]}) {
            if (const SharedPicture picture = loader.AnyPicture(path))
                seen.push_back(picture);
        }
        EXPECT_LE(loader.HeldCount(), PreviewLoader::kMaxHeld);
        EXPECT_LE(alive(), 3u);
    }
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    // Walking forwards, every picture was decoded once: as a neighbour, or as the current one.
    EXPECT_EQ(fake.CallCount(), paths.size());
    const std::vector<std::string> decoded = fake.Paths();
    EXPECT_EQ(std::set<std::string>(decoded.begin(), decoded.end()).size(), paths.size());
}

TEST(PreviewLoader, PrefetchedNeighbourIsServedWithoutANewDecode)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    loader.Show("/p/a.jpg", {"/p/b.jpg"}, 120, 90);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    ASSERT_EQ(fake.CallCount(), 2u);

    // The step: the neighbour is there at once, and only the new neighbour is decoded.
    loader.Show("/p/b.jpg", {"/p/c.jpg", "/p/a.jpg"}, 120, 90);
    ASSERT_NE(loader.Picture("/p/b.jpg"), nullptr);
    EXPECT_EQ(CallNumberOf(loader.Picture("/p/b.jpg")), 2u);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.Paths(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));

    // A smaller box is served by the picture decoded for the larger one.
    loader.Show("/p/b.jpg", {}, 80, 90);
    EXPECT_NE(loader.Picture("/p/b.jpg"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 3u);

    // A box larger on one side is not: the old picture stays available meanwhile.
    fake.Hold("/p/b.jpg");
    loader.Show("/p/b.jpg", {}, 160, 90);
    EXPECT_EQ(loader.Picture("/p/b.jpg"), nullptr);
    EXPECT_EQ(CallNumberOf(loader.AnyPicture("/p/b.jpg")), 2u);
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    ASSERT_EQ(fake.CallCount(), 4u);
    EXPECT_EQ(fake.Calls().back().boxWidth, 160);
    EXPECT_EQ(loader.Picture("/p/b.jpg")->Width(), 160u);

    // The full size (box 0 x 0) is decoded for the zoom and then serves every box.
    fake.Hold("/p/b.jpg");
    loader.Show("/p/b.jpg", {}, 0, 0);
    EXPECT_EQ(loader.Picture("/p/b.jpg"), nullptr);
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    ASSERT_EQ(fake.CallCount(), 5u);
    EXPECT_EQ(fake.Calls().back().boxWidth, 0);
    for (const auto& box : {std::pair{5000, 5000}, std::pair{10, 10}, std::pair{0, 0}}) {
        loader.Show("/p/b.jpg", {}, box.first, box.second);
        EXPECT_EQ(CallNumberOf(loader.Picture("/p/b.jpg")), 5u);
    }
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 5u);
}

TEST(PreviewLoader, ForgetDecodesTheRewrittenFileAgain)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    loader.Show("/p/a.jpg", {"/p/b.jpg"}, 64, 48);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    fake.Hold("/p/a.jpg");
    loader.Forget("/p/a.jpg");
    EXPECT_EQ(loader.AnyPicture("/p/a.jpg"), nullptr);
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.Paths(), (std::vector<std::string>{"/p/a.jpg", "/p/b.jpg", "/p/a.jpg"}));
    EXPECT_EQ(CallNumberOf(loader.Picture("/p/a.jpg")), 3u);
    EXPECT_EQ(CallNumberOf(loader.Picture("/p/b.jpg")), 2u);

    // Forgotten while it is being decoded: that result is of the old file and is not kept.
    fake.Hold("/p/b.jpg");
    loader.Forget("/p/b.jpg");
    ASSERT_TRUE(WaitUntil([&] { return fake.CallCount() == 4; }));
    ASSERT_TRUE(fake.WaitInside());
    loader.Forget("/p/b.jpg");
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 5u);
    EXPECT_EQ(CallNumberOf(loader.Picture("/p/b.jpg")), 5u);

    // A path that is not held: nothing happens.
    loader.Forget("/p/z.jpg");
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 5u);
}

TEST(PreviewLoader, FailedDecodeIsFlaggedReportedAndNotRepeated)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    std::mutex readyLock;
    std::vector<std::string> ready;
    loader.SetReadyCallback([&](const std::string& path) {
        std::lock_guard lock(readyLock);
        ready.push_back(path);
    });
    loader.Show("/p/broken.bad", {"/p/a.jpg"}, 64, 48);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_TRUE(loader.Failed("/p/broken.bad"));
    EXPECT_EQ(loader.Picture("/p/broken.bad"), nullptr);
    EXPECT_FALSE(loader.Failed("/p/a.jpg"));
    EXPECT_FALSE(loader.Failed("/p/unknown.jpg"));
    {
        std::lock_guard lock(readyLock);
        EXPECT_EQ(ready, (std::vector<std::string>{"/p/broken.bad", "/p/a.jpg"}));
    }
    // Shown again, even in another box: the failure stands.
    loader.Show("/p/broken.bad", {"/p/a.jpg"}, 32, 24);
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 2u);
    // A rewritten file is tried again.
    fake.Hold("/p/broken.bad");
    loader.Forget("/p/broken.bad");
    EXPECT_FALSE(loader.Failed("/p/broken.bad"));
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_EQ(fake.CallCount(), 3u);
    EXPECT_TRUE(loader.Failed("/p/broken.bad"));
    // Dropped from the window, a path is neither held nor failed.
    loader.Show("/p/a.jpg", {}, 32, 24);
    EXPECT_FALSE(loader.Failed("/p/broken.bad"));
}

TEST(PreviewLoader, ShowNeverWaitsForARunningDecode)
{
    FakeDecoder fake;
    PreviewLoader loader(fake.Make());
    fake.Hold("/p/slow.jpg");
    loader.Show("/p/slow.jpg", {}, 64, 48);
    ASSERT_TRUE(fake.WaitInside());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) {
        loader.Show("/p/other" + std::to_string(i) + ".jpg", {"/p/slow.jpg"}, 64, 48);
        (void)loader.Picture("/p/slow.jpg");
        (void)loader.Failed("/p/slow.jpg");
        (void)loader.Idle();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_FALSE(loader.Idle());
    fake.Release();
    ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
    EXPECT_NE(loader.Picture("/p/other49.jpg"), nullptr);
    EXPECT_NE(loader.Picture("/p/slow.jpg"), nullptr);
}

TEST(PreviewLoader, DestructionWhileDecodingWaitsForTheDecodeAndCallsNothing)
{
    FakeDecoder fake;
    std::atomic<int> callbacks{0};
    auto loader = std::make_unique<PreviewLoader>(fake.Make());
    loader->SetReadyCallback([&](const std::string&) { ++callbacks; });
    fake.delayMs = 200;
    fake.Hold("/p/a.jpg");
    loader->Show("/p/a.jpg", {"/p/b.jpg"}, 64, 48);
    ASSERT_TRUE(fake.WaitInside());
    // Let the decode go and destroy the loader while it still runs.
    fake.Release();
    loader.reset();
    EXPECT_EQ(fake.Paths(), (std::vector<std::string>{"/p/a.jpg"}));
    EXPECT_EQ(callbacks.load(), 0);

    // Destroyed idle, or right after a Show, it ends as cleanly.
    for (int i = 0; i < 20; ++i) {
        fake.delayMs = i % 3;
        PreviewLoader quick(fake.Make());
        quick.Show("/p/q" + std::to_string(i) + ".jpg", {"/p/r.jpg"}, 16, 16);
    }
}

TEST(PreviewLoader, StressFromTheMainThreadAndReaders)
{
    FakeDecoder fake;
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back("/s/" + std::to_string(i) + (i % 5 == 4 ? ".bad" : ".jpg"));
    std::atomic<int> callbacks{0};
    std::atomic<bool> tooMany{false};
    {
        PreviewLoader loader(fake.Make());
        loader.SetReadyCallback([&](const std::string& path) {
            ++callbacks;
            // Callbacks run on the worker without a lock: asking back in must not deadlock.
            (void)loader.AnyPicture(path);
            if (loader.HeldCount() > PreviewLoader::kMaxHeld)
                tooMany = true;
        });
        std::atomic<bool> stop{false};
        std::thread reader([&] {
            while (!stop) {
                (void)loader.Idle();
                if (loader.HeldCount() > PreviewLoader::kMaxHeld)
                    tooMany = true;
            }
        });
        std::mt19937 random(1234);
        auto pick = [&] { return paths[random() % paths.size()]; };
        const int boxes[][2] = {{64, 48}, {32, 24}, {96, 48}, {0, 0}};
        for (int i = 0; i < 3000; ++i) {
            fake.delayMs = static_cast<int>(random() % 3 == 0 ? 1 : 0);
            const auto& box = boxes[random() % 4];
            switch (random() % 5) {
            case 0:
            case 1: loader.Show(pick(), {pick(), pick()}, box[0], box[1]); break;
            case 2: loader.Forget(pick()); break;
            case 3:
                if (const SharedPicture picture = loader.AnyPicture(pick())) {
                    EXPECT_GE(picture->Width(), 32u);
                }
                break;
            default: (void)loader.Picture(pick()); (void)loader.Failed(pick());
            }
            if (i % 500 == 0)
                std::this_thread::sleep_for(2ms);
        }
        loader.Show(paths[0], {paths[1], paths[2]}, 64, 48);
        ASSERT_TRUE(WaitUntil([&] { return loader.Idle(); }));
        for (const std::string& path : {paths[0], paths[1], paths[2]}) {
            const SharedPicture picture = loader.Picture(path);
            ASSERT_NE(picture, nullptr) << path;
            EXPECT_EQ(picture->Pixel(0, 0), PathMark(path));
            EXPECT_TRUE(picture->Width() == 64u || picture->Width() == 96u || picture->Width() == 200u);
        }
        stop = true;
        reader.join();
        // Leaves with work queued and a decode possibly running.
        loader.Show(paths[3], {paths[5], paths[6]}, 48, 48);
    }
    EXPECT_FALSE(tooMany.load());
    EXPECT_GT(callbacks.load(), 0);
}
