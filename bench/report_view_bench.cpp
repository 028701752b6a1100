// Report view speed over a folder of many small JPEG pictures, on the offscreen platform:
//   (a) listing, layout and the first paint of the table;
//   (b) a repaint of a full page whose thumbnails are all made (goal: under 16 ms), at the top,
//       in the middle and at the end of the list, and with the page scrolled sideways;
//   (c) scrolling through the whole list page by page with the real worker making the
//       thumbnails and the cache trimmed after every paint.
// Usage: report_view_bench [COUNT] [FOLDER]   (the folder is generated once and reused; the
// thumbnail view benchmark's folder of the same count serves as well)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include "library/item_list.h"
#include "library/thumbnail_worker.h"
#include "shell/settings_store.h"
#include "views/report_view.h"

#include "view_bench_support.h"

namespace fs = std::filesystem;

namespace {

// The rows draw the 160 x 120 thumbnail's copy.
constexpr size_t kSmallThumbnailCode = 2;

// The average of `count` repaints of the page at the current place, after its thumbnails are
// made and their 80 x 60 copies drawn once.
double CachedRepaintMs(ReportView& view, const std::vector<MediaItem>& items, QImage& target)
{
    Paint(view, target);
    if (!WaitForVisibleThumbnails(view, items, kSmallThumbnailCode))
        std::printf("    thumbnails not made within 60 s\n");
    Paint(view, target);
    constexpr int kRepaints = 100;
    const auto start = Clock::now();
    for (int i = 0; i < kRepaints; ++i)
        Paint(view, target);
    return MillisecondsSince(start) / kRepaints;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    const fs::path folder = BenchFolder(argc, argv);
    // The column widths come from a settings file of the benchmark's own, not the user's.
    const fs::path settings = fs::temp_directory_path() / "vistrel_report_bench_settings.reg";
    fs::remove(settings);
    UseSettingsFile(settings.string());

    ThumbnailWorker worker;
    worker.Start();
    ItemList list;
    SelectionCursor cursor;
    ReportView view(list.Items(), worker, cursor);
    view.resize(1000, 800);
    view.show();
    QCoreApplication::processEvents();

    // (a) Listing, layout, first paint.
    QImage target;
    const FirstPaint first = OpenAndPaint(list, view, folder, target);
    const size_t rows = view.LastVisible().value_or(0) - view.FirstVisible().value_or(0) + 1;
    std::printf("items %zu, client %dx%d, %d rows per page, %zu rows drawn\n", list.Count(), view.viewport()->width(),
                view.viewport()->height(), view.Layout().rowsPerPage, rows);
    first.Print();

    // (b) Repaints of a page whose thumbnails are all made.
    bool withinGoal = true;
    const int lastRow = view.Layout().MaxFirstRow();
    const struct {
        const char* where;
        int row;
    } places[] = {{"top", 0}, {"middle", lastRow / 2}, {"end", lastRow}};
    for (const auto& place : places) {
        view.verticalScrollBar()->setValue(place.row);
        const double ms = CachedRepaintMs(view, list.Items(), target);
        withinGoal = withinGoal && ms < 16.0;
        std::printf("(b) page at the %s (row %d): repaint %.2f ms (goal < 16)\n", place.where, view.FirstRow(), ms);
    }
    view.resize(450, 800);
    QCoreApplication::processEvents();
    target = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    const double sidewaysMs = CachedRepaintMs(view, list.Items(), target);
    withinGoal = withinGoal && sidewaysMs < 16.0;
    std::printf("(b) scrolled sideways by %d pixels: repaint %.2f ms (goal < 16)\n", view.Layout().horizontalOffset,
                sidewaysMs);
    view.resize(1000, 800);
    QCoreApplication::processEvents();
    target = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);

    // (c) Page by page through the list with the real worker and trimming.
    view.verticalScrollBar()->setValue(0);
    int pages = 0;
    double slowestCopyingMs = 0;
    double slowestCachedMs = 0;
    const auto start = Clock::now();
    for (int top = 0;; top += std::max(1, view.Layout().rowsPerPage)) {
        view.verticalScrollBar()->setValue(top);
        Paint(view, target);
        WaitForVisibleThumbnails(view, list.Items(), kSmallThumbnailCode);
        // The first paint after the thumbnails arrived makes their 80 x 60 copies.
        auto paintStart = Clock::now();
        Paint(view, target);
        slowestCopyingMs = std::max(slowestCopyingMs, MillisecondsSince(paintStart));
        paintStart = Clock::now();
        Paint(view, target);
        slowestCachedMs = std::max(slowestCachedMs, MillisecondsSince(paintStart));
        ++pages;
        if (view.FirstRow() >= view.Layout().MaxFirstRow())
            break;
    }
    const double scrollMs = MillisecondsSince(start);
    worker.Cancel();
    worker.Stop();
    std::printf("(c) %d pages in %.1f s (%.2f ms per item); slowest page paint making the small copies %.2f ms,"
                " slowest cached page paint %.2f ms\n",
                pages, scrollMs / 1000.0, scrollMs / static_cast<double>(list.Count()), slowestCopyingMs,
                slowestCachedMs);
    fs::remove(settings);
    return withinGoal ? 0 : 1;
}
