#include "print_layout.h"

#include <algorithm>

#include "host_picture.h"

QPageLayout::Orientation PageOrientationFor(QSize picture)
{
    return picture.width() > picture.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QRect PicturePlacement(QSize picture, QSize printable)
{
    return FitRect(picture, QRect(QPoint(0, 0), printable));
}

PictureSpan PicturesInRange(int fromPage, int toPage, std::size_t count)
{
    if (fromPage <= 0 && toPage <= 0)
        return {0, count};
    const std::size_t first = static_cast<std::size_t>(std::max(fromPage, 1)) - 1;
    const std::size_t last = toPage <= 0 ? count : static_cast<std::size_t>(toPage);
    const std::size_t end = std::min(last, count);
    return first < end ? PictureSpan{first, end} : PictureSpan{end, end};
}
