#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <vistrel/service.h>

// The largest rectangle of the picture's aspect ratio that fits the screen, centred on it.
QRect FitRect(QSize picture, QRect screen);

// A deep copy of a 24-bit host picture; a null image for any other depth or a missing block.
// The host picture stays the caller's.
QImage ToQImage(const HostImage& image);
