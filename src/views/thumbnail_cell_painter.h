#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPainter>

#include "library/media_item.h"
#include "library/thumbnail_worker.h"
#include "views/thumbnail_bitmaps.h"
#include "views/thumbnail_geometry.h"

class QWidget;

// Size codes of the thumbnail slots each view size draws from: S uses an 80 x 60 copy made from
// the 160 x 120 thumbnail, M the 160 x 120 one, L the 240 x 180 one. Folder previews are only
// made at 160 x 120.
inline constexpr int kFolderPreviewCode = 2;
int ThumbnailCodeOfSize(int size);

// Marks the picture a cell needs (folder preview; the large thumbnail for L, the 160 x 120 one
// for S and M) as requested; true when it had not been asked for yet, so that the caller adds
// the item to its request list. Items without a detail object ask for nothing.
bool RequestCellPictures(MediaItem& item, int size);

// One paint's request list as a worker job. The worker's repaint calls are queued to the main
// thread and update `repaintTarget` if it still exists then.
ThumbnailJob MakeThumbnailJob(const std::vector<MediaItem*>& requested, QWidget* repaintTarget);
// The cache trim after a paint, against the range that paint drew (none: nothing is kept for
// being visible), with the user's limit raised to its minimum.
void TrimAfterPaint(std::vector<MediaItem>& items, const std::optional<VisibleRange>& visible);

// The thumbnail an item shows at a size, or null when it is not made yet. For S the 80 x 60
// copy is made from the 160 x 120 thumbnail on first use and kept in the detail. Main thread.
SharedPicture CellThumbnail(MediaItem& item, int size);

// A view of a 24-bit picture's pixels for drawing; valid while the picture lives. Null for any
// other depth.
QImage PictureImage(const DibImage& picture);

// The 12-pixel font of names and counts, from the system's default face.
QFont ThumbnailNameFont();
// The rubber band's 1-pixel dotted outline, inverting what is under it so that it shows on
// every colour; `band` is in the painter's coordinates.
void PaintBandOutline(QPainter& painter, const GridRect& band);

// The badge icon's name for an item ("ICON_MOVIE_L", ...), or empty: MOV items get none.
std::string BadgeIconName(const MediaItem& item, int size);

// Draws whole cells of the folder-mode grid, as the cell rules say: pictures or the placeholder,
// folder previews under the folder bitmap, overlays, shadow, cell colour, name line, selection
// frame and badge. Every pixel of the cell is painted. Main thread.
class ThumbnailCellPainter {
public:
    ThumbnailCellPainter(QPainter& painter, int size, const ThumbnailBitmaps& bitmaps,
                         const ThumbnailColours& colours, const QFont& nameFont);

    // `cell` is in the painter's coordinates.
    void Paint(MediaItem& item, const GridRect& cell);

private:
    GridRect PaintFolder(const MediaItem& item, const GridRect& cell, const QColor& cellColour);
    GridRect PaintPicture(MediaItem& item, const GridRect& box, const QColor& cellColour);
    void PaintShadow(const GridRect& drawn, bool selected, const QColor& cellColour);
    void PaintNameLine(const MediaItem& item, const GridRect& cell);
    void PaintBadge(const MediaItem& item, const GridRect& cell);
    // Draws a bitmap stretched over a rectangle, or fills it with the cell colour when the
    // resource module lacks it.
    void DrawOrFill(const QPixmap& bitmap, const GridRect& target, const QColor& cellColour);

    QPainter& m_painter;
    int m_size;
    const CellGeometry& m_geometry;
    const ThumbnailBitmaps& m_bitmaps;
    const ThumbnailColours& m_colours;
    const QFont& m_nameFont;
};
