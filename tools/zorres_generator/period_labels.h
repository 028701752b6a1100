#pragma once

#include "resource_bitmap.h"

// The day labels of period mode, "BMP_PERIOD_INDEX0" (a day) and "BMP_PERIOD_INDEX1" (a marked
// day), 106 x 76. The view draws one at x 9 and writes over it: the year and the month/day in
// black from x 20 to 114 at 11 and 30 pixels below its top, and the day's item count in white,
// right-aligned from x 9 to 71 at 59 pixels below its top; the label gives that count a dark
// pill.
ResourceBitmaps MakePeriodLabels();

inline constexpr int kPeriodLabelWidth = 106;
inline constexpr int kPeriodLabelHeight = 76;
