#pragma once

#include <cstdint>

#include <QColor>
#include <QRect>

#include "views/thumbnail_geometry.h"

// The Qt forms of the views' plain geometry and colour values.

inline QRect ToQRect(const GridRect& rect)
{
    return {rect.left, rect.top, rect.width, rect.height};
}

// An opaque colour from 0xRRGGBB.
inline QColor ColourOf(uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb));
}
