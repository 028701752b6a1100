#pragma once

#include <string>

#include <QImage>
#include <QRect>
#include <QSize>

#include <vistrel/service.h>

// Pictures that the host reads, as the Qt side of a module draws them.

// The largest rectangle of the picture's aspect ratio that fits the area, centred on it.
QRect FitRect(QSize picture, QRect area);

// A deep copy of a 24-bit host picture; a null image for any other depth or a missing block.
// The host picture stays the caller's.
QImage ToQImage(const HostImage& image);

// The whole picture read through the host's ReadImage; a null image when it cannot be read.
// Main thread, like every host call.
QImage ReadHostPicture(const std::string& path);
