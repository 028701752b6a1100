#pragma once

#include "resource_bitmap.h"

class GlyphLibrary;

// The bitmap strips of the bar buttons: five frames of the button's size stacked from top to
// bottom (0 disabled, 1 normal, 2 pressed, 3 selected, 4 selected and pressed), so the strip
// is W x 5H. Each frame carries the ground of the bar under the button, since buttons are
// copied onto their bar without blending.
ResourceBitmaps MakeButtonStrips(GlyphLibrary& glyphs);

inline constexpr int kFramesPerStrip = 5;
