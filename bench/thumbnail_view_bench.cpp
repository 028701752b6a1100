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
#include <thread>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "library/item_list.h"
#include "library/thumbnail_worker.h"
#include "shell/app_settings.h"
#include "views/thumbnail_grid.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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

// COUNT 320 x 240 pictures, each with its own colours so that the encoder does real work.
void MakeFolder(const fs::path& folder, int count)
{
    fs::create_directories(folder);
    int existing = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        existing += entry.path().extension() == ".JPG" ? 1 : 0;
    if (existing == count)
        return;
    std::printf("writing %d pictures into %s ...\n", count, folder.c_str());
    QImage picture(320, 240, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        for (int y = 0; y < picture.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                row[x] = qRgb((x + i * 7) & 0xFF, (y * 2 + i * 3) & 0xFF, ((x ^ y) + i) & 0xFF);
        }
        char name[32];
        std::snprintf(name, sizeof name, "DSCF%05d.JPG", i);
        picture.save(QString::fromStdString((folder / name).string()), "JPG", 85);
    }
}

// One paint of the grid's client area into an image, as the window system would ask for it.
void Paint(ThumbnailGrid& grid, QImage& target)
{
    target.fill(Qt::black);
    grid.viewport()->render(&target);
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

// Lets the worker finish what the visible cells asked for, handling its repaints meanwhile.
bool WaitForVisibleThumbnails(ThumbnailGrid& grid, const std::vector<MediaItem>& items, int size)
{
    const int code = size == 2 ? 3 : 2;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        QCoreApplication::processEvents();
        const std::optional<size_t> first = grid.FirstVisible();
        const std::optional<size_t> last = grid.LastVisible();
        if (!first || !last)
            return true;
        bool done = true;
        for (size_t i = *first; i <= *last && done; ++i) {
            const MediaItemDetail& detail = *items[i].detail;
            done = detail.thumbnails[static_cast<size_t>(code)].IsFilled() || detail.failed.load();
        }
        if (done)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const fs::path folder = argc > 2 ? fs::path(argv[2])
                                     : fs::temp_directory_path() / ("vistrel_view_bench_" + std::to_string(count));
    MakeFolder(folder, count);

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
    auto start = Clock::now();
    list.ChangeFolder(folder.string());
    const double listMs = MillisecondsSince(start);
    start = Clock::now();
    grid.ListChanged();
    const double layoutMs = MillisecondsSince(start);
    QImage target(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    start = Clock::now();
    Paint(grid, target);
    const double firstPaintMs = MillisecondsSince(start);
    std::printf("items %zu, client %dx%d, %d columns, %d rows per page\n", list.Count(), grid.viewport()->width(),
                grid.viewport()->height(), grid.Layout().columns, grid.Layout().rowsPerPage);
    std::printf("(a) list %.1f ms, layout %.3f ms, first paint %.2f ms, total %.1f ms\n", listMs, layoutMs,
                firstPaintMs, listMs + layoutMs + firstPaintMs);

    // (b) Repaints of a page whose thumbnails are all made.
    for (int size : {0, 1, 2}) {
        grid.SetThumbnailSize(size);
        target = QImage(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        Paint(grid, target);
        if (!WaitForVisibleThumbnails(grid, list.Items(), size))
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
        WaitForVisibleThumbnails(grid, list.Items(), 1);
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
