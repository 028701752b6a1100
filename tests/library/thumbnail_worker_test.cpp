#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "library/thumbnail_worker.h"

using namespace std::chrono_literals;

namespace {

// Producers that make a small picture for every ".jpg" path, fail for ".bad", and count calls.
struct FakeProducers {
    std::atomic<int> thumbnails{0};
    std::atomic<int> informationReads{0};
    std::atomic<int> delayMs{0};

    ThumbnailWorker::Producers Make()
    {
        ThumbnailWorker::Producers producers;
        producers.loadInformation = [this](const std::string&, MediaItemDetail& detail) {
            ++informationReads;
            detail.statusText = "read";
        };
        producers.memoDuration = [](const std::string&) { return 4200; };
        producers.readFullImage = [](const std::string& path, DibImage& image) {
            return path.ends_with(".jpg") && image.Create(64, 48, 24) ? 0 : -5001;
        };
        producers.makeThumbnail = [this](const std::string& path, int sizeCode, DibImage& image) {
            ++thumbnails;
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
            return path.ends_with(".jpg") && image.Create(10 + sizeCode, 10, 24) ? 0 : -5001;
        };
        return producers;
    }
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

MediaItem ItemWithDetail(const std::string& name)
{
    MediaItem item;
    item.fileName = name;
    item.fullPath = "/pictures/" + name;
    item.detail = std::make_unique<MediaItemDetail>();
    return item;
}

} // namespace

TEST(ThumbnailWorker, FillsRequestedPicturesAndInformation)
{
    FakeProducers fake;
    ThumbnailWorker worker(fake.Make());
    worker.Start();
    MediaItemDetail good;
    good.Request(PictureRequest::SmallThumbnail);
    good.Request(PictureRequest::Enlarged);
    MediaItemDetail bad;
    bad.Request(PictureRequest::LargeThumbnail);
    std::atomic<int> repaints{0};
    worker.Post({[&] { ++repaints; }, {{"/p/a.jpg", &good}, {"/p/b.bad", &bad}}});
    ASSERT_TRUE(WaitUntil([&] { return bad.loaded.load() && !worker.IsBusy() && repaints >= 2; }));
    worker.Stop();

    EXPECT_TRUE(good.loaded.load());
    EXPECT_EQ(good.statusText, "read");
    ASSERT_TRUE(good.thumbnails[2].IsFilled());
    EXPECT_EQ(good.thumbnails[2].Get()->Width(), 12u);
    EXPECT_FALSE(good.thumbnails[3].IsFilled()); // not requested
    EXPECT_TRUE(good.enlarged.IsFilled());
    EXPECT_FALSE(good.failed.load());
    EXPECT_FALSE(bad.thumbnails[3].IsFilled());
    EXPECT_TRUE(bad.failed.load());
}

TEST(ThumbnailWorker, LoadsInformationOnceAndTakesTheMemoDuration)
{
    Sandbox sandbox;
    const std::string picture = sandbox.WriteFile("DSCF0001.JPG", "12345");
    sandbox.WriteFile("DSCF0001.wav", "memo");
    FakeProducers fake;
    ThumbnailWorker worker(fake.Make());
    MediaItemDetail detail;
    ThumbnailJobItem item{picture, &detail, false, true};
    worker.DoItemWork(item);
    worker.DoItemWork(item);
    EXPECT_EQ(fake.informationReads.load(), 1);
    EXPECT_EQ(detail.fileSize, 5u);
    EXPECT_EQ(detail.mediumInfo.durationHundredths, 4200);
}

TEST(ThumbnailWorker, FolderPreviewSkipsEntriesWithoutPictures)
{
    Sandbox sandbox;
    const std::string folder = sandbox.MakeFolder("100_VIST");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"})
        sandbox.WriteFile(std::string("100_VIST/") + name, "x");
    FakeProducers fake;
    ThumbnailWorker worker(fake.Make());
    MediaItemDetail detail;
    detail.Request(PictureRequest::FolderPreview);
    worker.DoItemWork({folder, &detail, true, false});
    for (const PictureSlot& slot : detail.folderPreview[2])
        EXPECT_TRUE(slot.IsFilled());
    EXPECT_TRUE(detail.folderPreviewPath.ends_with(".jpg"));
    EXPECT_FALSE(detail.loaded.load()); // folders have no information of their own
}

TEST(ThumbnailWorker, CancelEmptiesTheQueueAfterThePictureInProgress)
{
    FakeProducers fake;
    fake.delayMs = 20;
    ThumbnailWorker worker(fake.Make());
    worker.Start();
    std::vector<MediaItemDetail> details(50);
    ThumbnailJob job;
    for (size_t i = 0; i < details.size(); ++i) {
        details[i].Request(PictureRequest::SmallThumbnail);
        job.items.push_back({"/p/" + std::to_string(i) + ".jpg", &details[i]});
    }
    worker.Post(job);
    worker.Post(job);
    ASSERT_TRUE(WaitUntil([&] { return fake.thumbnails.load() >= 2; }));
    worker.Cancel();
    const int madeAtCancel = fake.thumbnails.load();
    std::this_thread::sleep_for(100ms);
    EXPECT_LE(fake.thumbnails.load(), madeAtCancel + 1);
    EXPECT_FALSE(worker.IsBusy());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
}

TEST(ThumbnailWorker, TrimReleasesSatisfiedOffScreenItemsOnlyAtTheLimit)
{
    std::vector<MediaItem> items;
    for (int i = 0; i < 10; ++i) {
        items.push_back(ItemWithDetail(std::to_string(i) + ".jpg"));
        items.back().detail->Request(PictureRequest::SmallThumbnail);
        items.back().detail->thumbnails[2].Set(std::make_shared<DibImage>());
    }
    items[7].detail->thumbnails[2].Clear();                  // still waiting for its picture
    items[8].detail->Request(PictureRequest::FolderPreview); // a folder with fewer than four pictures
    items[8].detail->folderPreview[2][0].Set(std::make_shared<DibImage>());

    EXPECT_EQ(ThumbnailWorker::Trim(items, 0, 2, 11), 0u); // below the limit
    EXPECT_EQ(ThumbnailWorker::Trim(items, 0, 2, 10), 5u); // items 3 to 6 and 9
    for (int i : {0, 1, 2})
        EXPECT_TRUE(items[i].detail->thumbnails[2].IsFilled()) << i; // visible
    for (int i : {3, 4, 5, 6, 9}) {
        EXPECT_FALSE(items[i].detail->thumbnails[2].IsFilled()) << i;
        EXPECT_FALSE(items[i].detail->IsRequested(PictureRequest::SmallThumbnail)) << i;
    }
    EXPECT_TRUE(items[7].detail->IsRequested(PictureRequest::SmallThumbnail));
    EXPECT_TRUE(items[8].detail->folderPreview[2][0].IsFilled());
}
