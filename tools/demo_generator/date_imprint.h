#pragma once

#include "demo_catalog.h"

class QImage;

// Prints the shooting date into the bottom right corner of an upright picture the way compact
// cameras burn it in: "'22  4 16" in glowing orange-amber seven-segment digits.
void PaintDateImprint(QImage& picture, const DemoDate& date);
