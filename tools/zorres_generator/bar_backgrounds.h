#pragma once

#include <QRect>

#include "resource_bitmap.h"

class GlyphLibrary;
class QPainter;

// The top bar is 65 pixels high; its pictures are cut from one ground so that the buttons,
// which are copied onto it unblended, continue it seamlessly.
inline constexpr int kTopBarHeight = 65;

// Paints the top bar's ground over `area`, given in top bar coordinates (the painter maps top
// bar coordinates). The ground changes only from top to bottom.
void PaintTopBarGround(QPainter& painter, const QRect& area);

// "BMP_TOP_BG_LEFT" (154 x 65, under the mode buttons and the mode name), "BMP_TOP_BG" (16 x 65,
// stretched across) and "BMP_TOP_BG_LOGO" (150 x 23, the program's name at y 29).
ResourceBitmaps MakeTopBarBackgrounds(GlyphLibrary& glyphs);
