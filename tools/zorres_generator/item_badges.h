#pragma once

#include "resource_bitmap.h"

class GlyphLibrary;

// The eighteen item icons "ICON_<KIND>_S" (16 x 16) and "ICON_<KIND>_L" (32 x 32): rounded
// badges that the views draw at the top right of a cell. The "V" kinds (TIFF16V, RAWV, ADOBEV)
// are the same badges drawn light with a coloured rim, for use on a different ground.
ResourceBitmaps MakeItemBadges(GlyphLibrary& glyphs);
