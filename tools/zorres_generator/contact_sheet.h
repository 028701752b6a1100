#pragma once

#include <QImage>

#include "resource_bitmap.h"

// One page with every picture enlarged twice (without smoothing) above its name, on a
// checkered ground where it is transparent: for looking the module over at a glance.
QImage MakeContactSheet(const ResourceBitmaps& bitmaps);
