#pragma once

#include "resource_bitmap.h"

// The drop shadow pieces "BMP_SHADOW_RT", "_R", "_RB", "_B" and "_LB", 8 x 8 each, of a shadow
// that falls to the right of and below a rectangle. They are grey levels read as shadow
// strength: the view tints each into the cell colour c as (255 - v) x c / 255, so v = 0 leaves
// the cell colour and a higher v darkens it. RT is the top end of the right edge (fading in),
// R the right edge (stretched down), RB the corner, B the bottom edge (stretched across) and
// LB the left end of the bottom edge (fading in).
ResourceBitmaps MakeShadowPieces();

inline constexpr int kShadowSize = 8;
