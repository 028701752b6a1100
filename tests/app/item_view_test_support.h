#pragma once

// What the tests of the item views (grid, report, filmstrip, preview) share: items without
// files, a worker whose producers touch no disk, views that keep their jobs, a host that
// records what the views ask of it, and a few pixel helpers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include "library/dib_image.h"
#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/thumbnail_selection.h"
#include "views/view_host.h"

// Nothing touches the disk: every picture is a small grey square.
inline ThumbnailWorker::Producers FakeProducers()
{
    ThumbnailWorker::Producers producers;
    producers.loadInformation = [](const std::string&, MediaItemDetail&) {};
    producers.memoDuration = [](const std::string&) { return 0; };
    producers.readFullImage
        = [](const std::string&, DibImage& image) { return image.Create(8, 8, 24) ? 0 : -1; };
    producers.makeThumbnail
        = [](const std::string&, int, DibImage& image) { return image.Create(8, 8, 24) ? 0 : -1; };
    return producers;
}

// A view with its jobs kept for inspection instead of going to the worker.
template <typename View> class RecordingView : public View {
public:
    using View::View;
    std::vector<ThumbnailJob> jobs;

protected:
    void PostJob(ThumbnailJob job) override { jobs.push_back(std::move(job)); }
};

// A JPEG picture item of a camera folder, with a detail object and no file behind it.
inline MediaItem Picture(const std::string& name, const std::string& folder = "/card/DCIM/100_FUJI/")
{
    MediaItem item;
    item.fileName = name;
    item.fullPath = folder + name;
    item.typeName = "JPEG";
    item.isImage = true;
    item.detail = std::make_unique<MediaItemDetail>();
    return item;
}

// DSCF1000.JPG, DSCF1001.JPG, ...
inline std::vector<MediaItem> Pictures(size_t count)
{
    std::vector<MediaItem> items;
    for (size_t i = 0; i < count; ++i)
        items.push_back(Picture("DSCF" + std::to_string(1000 + i) + ".JPG"));
    return items;
}

// A 24-bit picture of one colour (0xRRGGBB).
inline SharedPicture SolidPicture(uint32_t width, uint32_t height, uint32_t colour)
{
    auto picture = std::make_shared<DibImage>();
    picture->Create(width, height, 24);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x)
            picture->SetPixel(x, y, colour);
    }
    return picture;
}

// The items' selected flags as '0' and '1'.
inline std::string Flags(const std::vector<MediaItem>& items)
{
    std::string flags;
    for (const MediaItem& item : items)
        flags += item.selected ? '1' : '0';
    return flags;
}

// Only item `index` selected, with focus and anchor on it.
inline void SelectOnly(std::vector<MediaItem>& items, SelectionCursor& cursor, size_t index)
{
    for (MediaItem& item : items)
        item.selected = false;
    items[index].selected = true;
    cursor.focus = cursor.anchor = index;
}

inline uint32_t Rgb(const QImage& image, QPoint point)
{
    return image.pixel(point) & 0xFFFFFF;
}

inline int CountPixels(const QImage& image, const QRect& area, uint32_t colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += Rgb(image, {x, y}) == colour ? 1 : 0;
    }
    return count;
}

// Counts the paint events of a widget while it lives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget)
        : m_widget(widget)
    {
        m_widget->installEventFilter(this);
    }
    ~PaintCounter() override { m_widget->removeEventFilter(this); }
    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    QWidget* m_widget;
};

// What an item view asked of its host; a test fixture derives from it to read the fields.
struct HostRecorder {
    std::vector<int> commands;
    std::vector<int> sorts;
    int selectionChanges = 0;
    int drags = 0;
    int contextMenus = 0;
    bool selectionAtContextMenu = true;
    std::vector<const MediaItem*> pointed;
    std::vector<std::pair<size_t, QRect>> renames;
    // What the host answers when the view asks whether a rename editor is open.
    bool renameOpen = false;

    // A host that records into these fields; `items` (the view's) tells whether anything was
    // selected when the context menu opened.
    ViewHost RecordingHost(const std::vector<MediaItem>& items)
    {
        ViewHost host;
        host.sendCommand = [this](int command) { commands.push_back(command); };
        host.sortRequested = [this](int sortType) { sorts.push_back(sortType); };
        host.selectionChanged = [this] { ++selectionChanges; };
        host.startDrag = [this] { ++drags; };
        host.openContextMenu = [this, &items](QPoint) {
            ++contextMenus;
            selectionAtContextMenu = AnySelected(items);
        };
        host.pointedItemChanged = [this](const MediaItem* item) { pointed.push_back(item); };
        host.startRename = [this](size_t index, QRect place) { renames.emplace_back(index, place); };
        host.renameOpen = [this] { return renameOpen; };
        return host;
    }
};
