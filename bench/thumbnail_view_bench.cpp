// Thumbnail grid speed and memory over a folder of many small JPEG pictures, on the offscreen
// platform:
//   (a) listing, layout and the first paint of the grid;
//   (b) a repaint of a full page whose thumbnails are all made, for each size (goal: 16 ms);
//   (c) scrolling through the whole list page by page with the real worker making the
//       thumbnails and the cache trimmed after every paint at the default limit: peak memory
//       and the most items holding thumbnails at any time (must stay within the limit).
// Usage: thumbnail_view_bench [COUNT] [FOLDER]   (the folder is generated once and reused)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "library/item_list.h"
#include "library/thumbnail_worker.h"
#include "shell/app_settings.h"
#include "views/thumbnail_grid.h"

#include "view_bench_support.h"

namespace fs = std::filesystem;

namespace {

// The peak and current resident set sizes in KB, from /proc/self/status.
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    }
    return 0;
}

// The thumbnail slot a size draws from: 240 x 180 for L, else 160 x 120.
size_t ThumbnailCodeOf(int size)
{
    return size == 2 ? 3 : 2;
}

// Items that hold at least one thumbnail.
size_t ItemsHoldingThumbnails(const std::vector<MediaItem>& items)
{
    size_t holding = 0;
    for (const MediaItem& item : items) {
        if (!item.detail)
            continue;
        holding += std::any_of(item.detail->thumbnails.begin(), item.detail->thumbnails.end(),
                               [](const PictureSlot& slot) { return slot.IsFilled(); })
            ? 1
            : 0;
    }
    return holding;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    const fs::path folder = BenchFolder(argc, argv);

    // Running before the first paint, as in the program: starting it later would drop the
    // first paint's job.
    ThumbnailWorker worker;
    worker.Start();
    ItemList list;
    ThumbnailGrid grid(list.Items(), worker);
    grid.SetThumbnailSize(1);
    grid.resize(1000, 800);
    grid.show();
    QCoreApplication::processEvents();

    // (a) Listing, layout, first paint.
    QImage target;
    const FirstPaint first = OpenAndPaint(list, grid, folder, target);
    std::printf("items %zu, client %dx%d, %d columns, %d rows per page\n", list.Count(), grid.viewport()->width(),
                grid.viewport()->height(), grid.Layout().columns, grid.Layout().rowsPerPage);
    first.Print();
    Clock::time_point start;

    // (b) Repaints of a page whose thumbnails are all made.
    for (int size : {0, 1, 2}) {
        grid.SetThumbnailSize(size);
        target = QImage(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        Paint(grid, target);
        if (!WaitForVisibleThumbnails(grid, list.Items(), ThumbnailCodeOf(size)))
            std::printf("    thumbnails of size %d not made within 60 s\n", size);
        Paint(grid, target); // the small copies of size S are made here, once
        constexpr int kRepaints = 50;
        start = Clock::now();
        for (int i = 0; i < kRepaints; ++i)
            Paint(grid, target);
        const size_t cells = grid.LastVisible().value_or(0) - grid.FirstVisible().value_or(0) + 1;
        std::printf("(b) size %c: repaint of %zu cached cells %.2f ms (goal < 16)\n", "SML"[size], cells,
                    MillisecondsSince(start) / kRepaints);
    }

    // (c) Page by page through the list, size M, with the real worker and trimming.
    grid.SetThumbnailSize(1);
    grid.verticalScrollBar()->setValue(0);
    const size_t limit = static_cast<size_t>(std::max(CurrentSettings().maxThumbnailCache, kMinimumThumbnailCache));
    size_t mostHolding = 0;
    int pages = 0;
    start = Clock::now();
    for (int top = 0;; top += std::max(1, grid.Layout().rowsPerPage)) {
        grid.verticalScrollBar()->setValue(top);
        Paint(grid, target);
        WaitForVisibleThumbnails(grid, list.Items(), ThumbnailCodeOf(1));
        Paint(grid, target);
        mostHolding = std::max(mostHolding, ItemsHoldingThumbnails(list.Items()));
        ++pages;
        if (grid.TopRow() >= grid.Layout().MaxTopRow())
            break;
    }
    const double scrollMs = MillisecondsSince(start);
    worker.Cancel();
    worker.Stop();
    std::printf("(c) %d pages in %.1f s (%.2f ms per item); most items holding thumbnails %zu of limit %zu (%s);"
                " peak RSS %ld KB, now %ld KB\n",
                pages, scrollMs / 1000.0, scrollMs / static_cast<double>(list.Count()), mostHolding, limit,
                mostHolding <= limit ? "within" : "EXCEEDED", StatusKb("VmHWM"), StatusKb("VmRSS"));
    return mostHolding <= limit ? 0 : 1;
}
