#pragma once

#include <QImage>

#include "media_writers/bytes.h"

class DibImage;

// Turning a drawn picture into what a camera stores.

// The picture as the sensor recorded it when the camera was held so that the Exif orientation
// turns it upright again: 3 upside down, 6 turned a quarter counter-clockwise (shown after a
// quarter turn clockwise), 8 the other way; anything else unchanged.
QImage StoredForOrientation(const QImage& upright, int orientation);
// The 160 x 120 thumbnail that cameras embed: the stored picture fitted in, centred on black.
QImage EmbeddedThumbnail(const QImage& stored);
DibImage ToDibImage(const QImage& picture);
// A baseline JPEG as the camera writes it (no JFIF segment: the Exif APP1 comes first).
Bytes CameraJpeg(const QImage& picture, int quality);
