#pragma once

// What the view benchmarks share: the folder of generated pictures, timing, painting a view's
// client area and waiting for the worker to make what the visible items asked for.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QImage>
#include <QString>

#include "library/item_list.h"
#include "library/media_item.h"
#include "views/item_view_base.h"

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// COUNT 320 x 240 pictures, each with its own colours so that the encoder does real work; a
// folder that already holds COUNT pictures is reused.
inline void MakeFolder(const std::filesystem::path& folder, int count)
{
    std::filesystem::create_directories(folder);
    int existing = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
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

// The folder of the command line `[COUNT] [FOLDER]` (10,000 pictures in a temporary folder
// named after the count by default), made when it does not hold COUNT pictures yet.
inline std::filesystem::path BenchFolder(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const std::filesystem::path folder = argc > 2
        ? std::filesystem::path(argv[2])
        : std::filesystem::temp_directory_path() / ("vistrel_view_bench_" + std::to_string(count));
    MakeFolder(folder, count);
    return folder;
}

// One paint of a view's client area into an image, as the window system would ask for it.
inline void Paint(ItemViewBase& view, QImage& target)
{
    target.fill(Qt::black);
    view.viewport()->render(&target);
}

// Lets the worker finish the thumbnails (slot `code`) that the visible items asked for,
// handling its repaints meanwhile; false after 60 seconds.
inline bool WaitForVisibleThumbnails(const ItemViewBase& view, const std::vector<MediaItem>& items,
                                     size_t code)
{
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        QCoreApplication::processEvents();
        const std::optional<VisibleRange> visible = view.VisibleItems();
        if (!visible)
            return true;
        bool done = true;
        for (size_t i = visible->first; i <= visible->last && done; ++i) {
            const MediaItemDetail& detail = *items[i].detail;
            done = detail.thumbnails[code].IsFilled() || detail.failed.load();
        }
        if (done)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Part (a) of the view benchmarks: listing the folder, laying the view out and its first paint
// into `target`, which gets the client size.
struct FirstPaint {
    double listMs = 0;
    double layoutMs = 0;
    double paintMs = 0;

    void Print() const
    {
        std::printf("(a) list %.1f ms, layout %.3f ms, first paint %.2f ms, total %.1f ms\n", listMs,
                    layoutMs, paintMs, listMs + layoutMs + paintMs);
    }
};

inline FirstPaint OpenAndPaint(ItemList& list, ItemViewBase& view, const std::filesystem::path& folder,
                               QImage& target)
{
    FirstPaint times;
    auto start = Clock::now();
    list.ChangeFolder(folder.string());
    times.listMs = MillisecondsSince(start);
    start = Clock::now();
    view.ListChanged();
    times.layoutMs = MillisecondsSince(start);
    target = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    start = Clock::now();
    Paint(view, target);
    times.paintMs = MillisecondsSince(start);
    return times;
}
