#pragma once

#include <cstddef>
#include <optional>

#include "views/thumbnail_geometry.h"

// The geometry of the preview's filmstrip in numbers: one row of size-S cells scrolled by whole
// cells. Content coordinates are client coordinates with the strip offset added to x; the strip
// never scrolls vertically. Plain functions over plain values; integer arithmetic throughout.

inline constexpr int kFilmstripPitch = 120; // from one cell's left edge to the next one's
inline constexpr int kFilmstripLeft = 12;   // left edge of the first cell
inline constexpr int kFilmstripCellTop = 3; // cells span y 3 to 114
inline constexpr int kFilmstripCellBottom = 114;
inline constexpr int kFilmstripBandTop = 2; // a band always spans y 2 to 114
inline constexpr int kFilmstripBandBottom = 114;

// The size-S column of the folder table, which the strip's cells are drawn with.
const CellGeometry& FilmstripCellGeometry();

// The state of the strip after a layout.
struct FilmstripLayout {
    int visibleCount = 0; // whole cells across the strip
    int page = 1;         // one scroll page: the visible count (at least 1), 1 in period mode
    int position = 0;     // the first visible item
    int maxPosition = 0;  // the last position with a full page after it
    int offset = 0;       // pixels: position x pitch
};

// Whole cells that fit in a strip width; 0 for a strip narrower than one pitch.
int FilmstripVisibleCount(int width);
// The scroll page: the visible count, at least 1; 1 in period mode.
int FilmstripPage(int width, bool periodMode);
// A position between 0 and max(0, count - page).
int ClampFilmstripPosition(long long position, size_t count, int page);
// The layout for a strip width and item count, keeping `position` where it can.
FilmstripLayout LayoutFilmstrip(int width, size_t count, bool periodMode, long long position);

// Item `index`'s cell in content coordinates: x 12 + 120 x index, 114 wide, y 3 to 114.
GridRect FilmstripCellRect(size_t index);
// The same cell in client coordinates for a strip offset.
GridRect FilmstripClientCellRect(size_t index, int offset);
// The 80 x 60 picture box: 17 pixels right of the cell's left edge, at y 19.
GridRect FilmstripPictureBox(const GridRect& cell);
// The name (or time) caption: (cell left + 17, 92) to (cell left + 97, 106).
GridRect FilmstripCaptionRect(const GridRect& cell);
// The small badge icon at (cell left + 82, 7).
GridRect FilmstripBadgeRect(const GridRect& cell);

// The item whose cell holds a client point, or none (between cells, above or below the cells,
// beyond the last item, an empty list). Callers reject hidden items.
std::optional<size_t> FilmstripHitTest(size_t count, int offset, int x, int y);

// The items whose cells reach into a strip of the given width, first and last inclusive; none
// for an empty list or a strip without width.
std::optional<VisibleRange> FilmstripVisibleRange(size_t count, int offset, int width);

// The band between two content x coordinates: rows do not count, so it always spans y 2 to 114.
GridRect FilmstripBandRect(int anchorX, int currentX);
// Whether a band reaches item `index`'s cell: the band meets [12 + 120 i, 126 + 120 i).
bool FilmstripBandTouches(const GridRect& band, size_t index);

// The first visible item that shows the focus: the focus itself when it lies before the first
// visible item, focus - visible count + 1 when it lies at or beyond first visible + visible
// count, else unchanged. A strip narrower than one cell counts as one cell.
size_t FirstVisibleShowing(size_t focus, size_t firstVisible, int visibleCount);
