#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRectF>

// What the folder pictures of the thumbnail cells and of the report rows share: the outline of
// a folder and the flattening of a drawing onto the key colour that the views replace.

// A folder outline filling `area`: the tab at the top left, `tab` pixels high with a slanted
// end, the body below it, the corners rounded by `radius`.
QPainterPath FolderOutline(const QRectF& area, double tab, double radius);

// Pixels that the drawing covers by at least half become opaque (blended against white); the
// rest become the key colour. Thus no half-blended key colour is left at the outline, which
// would show as a fringe once the view replaces the key by the cell or row colour.
QImage KeyedOnto(const QImage& drawing);
