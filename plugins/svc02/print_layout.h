#pragma once

#include <cstddef>

#include <QPageLayout>
#include <QRect>
#include <QSize>

// The page arithmetic of printing one picture a page.

// Landscape for a picture wider than tall; a square or tall one prints upright.
QPageLayout::Orientation PageOrientationFor(QSize picture);

// Where the picture goes inside the printable area (device pixels, origin at the area's
// top-left corner, as a painter on a QPrinter sees it): as large as it fits, aspect kept, centred.
QRect PicturePlacement(QSize picture, QSize printable);

// The pictures that a page range of the print dialog names, page k being the k-th picture:
// indexes [first, end). A zero page number means no range (every picture); a range past the
// last picture is cut there.
struct PictureSpan {
    std::size_t first = 0;
    std::size_t end = 0;
};
PictureSpan PicturesInRange(int fromPage, int toPage, std::size_t count);
