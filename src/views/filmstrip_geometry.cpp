#include "views/filmstrip_geometry.h"

#include <algorithm>

#include "views/thumbnail_selection.h"

namespace {

constexpr int kSizeS = 0;

// Division rounding towards minus infinity, for coordinates left of the strip.
long long FloorDiv(long long value, long long divisor)
{
    const long long quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

const CellGeometry& FilmstripCellGeometry()
{
    return CellGeometryFor(GridMode::Folder, kSizeS);
}

int FilmstripVisibleCount(int width)
{
    return std::max(0, width) / kFilmstripPitch;
}

int FilmstripPage(int width, bool periodMode)
{
    return periodMode ? 1 : std::max(1, FilmstripVisibleCount(width));
}

int ClampFilmstripPosition(long long position, size_t count, int page)
{
    const long long last = std::max(0LL, static_cast<long long>(count) - std::max(page, 1));
    return static_cast<int>(std::clamp(position, 0LL, last));
}

FilmstripLayout LayoutFilmstrip(int width, size_t count, bool periodMode, long long position)
{
    FilmstripLayout layout;
    layout.visibleCount = FilmstripVisibleCount(width);
    layout.page = FilmstripPage(width, periodMode);
    layout.maxPosition = ClampFilmstripPosition(static_cast<long long>(count), count, layout.page);
    layout.position = ClampFilmstripPosition(position, count, layout.page);
    layout.offset = layout.position * kFilmstripPitch;
    return layout;
}

GridRect FilmstripCellRect(size_t index)
{
    const CellGeometry& geometry = FilmstripCellGeometry();
    return {kFilmstripLeft + kFilmstripPitch * static_cast<int>(index), kFilmstripCellTop,
            geometry.CellWidth(), geometry.CellHeight()};
}

GridRect FilmstripClientCellRect(size_t index, int offset)
{
    return FilmstripCellRect(index).Translated(-offset, 0);
}

GridRect FilmstripPictureBox(const GridRect& cell)
{
    return PictureBox(FilmstripCellGeometry(), cell);
}

GridRect FilmstripCaptionRect(const GridRect& cell)
{
    return NameLineHitRect(FilmstripCellGeometry(), cell);
}

GridRect FilmstripBadgeRect(const GridRect& cell)
{
    return BadgeRect(kSizeS, cell);
}

std::optional<size_t> FilmstripHitTest(size_t count, int offset, int x, int y)
{
    const long long fromLeft = static_cast<long long>(x) + offset - kFilmstripLeft;
    if (count == 0 || fromLeft < 0 || y < kFilmstripCellTop || y >= kFilmstripCellBottom)
        return std::nullopt;
    if (fromLeft % kFilmstripPitch >= FilmstripCellGeometry().CellWidth())
        return std::nullopt;
    const auto index = static_cast<unsigned long long>(fromLeft / kFilmstripPitch);
    if (index >= count)
        return std::nullopt;
    return static_cast<size_t>(index);
}

std::optional<VisibleRange> FilmstripVisibleRange(size_t count, int offset, int width)
{
    if (count == 0 || width <= 0)
        return std::nullopt;
    // Cell i covers [12 + 120 i - offset, 126 + 120 i - offset); the client covers [0, width).
    const long long cellWidth = FilmstripCellGeometry().CellWidth();
    const long long first = std::max(
        0LL, FloorDiv(static_cast<long long>(offset) - kFilmstripLeft - cellWidth, kFilmstripPitch) + 1);
    const long long reach = static_cast<long long>(width) + offset - kFilmstripLeft;
    if (reach <= 0)
        return std::nullopt;
    const long long last
        = std::min(static_cast<long long>(count) - 1, (reach + kFilmstripPitch - 1) / kFilmstripPitch - 1);
    if (first > last)
        return std::nullopt;
    return VisibleRange{static_cast<size_t>(first), static_cast<size_t>(last)};
}

GridRect FilmstripBandRect(int anchorX, int currentX)
{
    return GridRect::FromEdges(std::min(anchorX, currentX), kFilmstripBandTop, std::max(anchorX, currentX),
                               kFilmstripBandBottom);
}

bool FilmstripBandTouches(const GridRect& band, size_t index)
{
    return BandTouchesCell(band, FilmstripCellRect(index));
}

size_t FirstVisibleShowing(size_t focus, size_t firstVisible, int visibleCount)
{
    const auto count = static_cast<size_t>(std::max(visibleCount, 1));
    if (focus < firstVisible)
        return focus;
    if (focus >= firstVisible + count)
        return focus - count + 1;
    return firstVisible;
}
