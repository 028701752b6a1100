#pragma once

#include <string>

#include "demo_catalog.h"
#include "media_writers/bytes.h"

// The Exif block that the demo camera writes for a shot: IFD0 (make, model, orientation,
// dates), the Exif directory (exposure, flash, focal length, colour space, pixel size, the
// maker note), the interoperability directory ("R98" for sRGB, "R03" for Adobe RGB) and IFD1
// with the 160 x 120 JPEG thumbnail. The exposure follows the time of day of the shot.
// `withHeader` false gives the bare directory that movies carry (IFD0 at offset 0).
Bytes CameraExifBlock(const DemoShot& shot, const Bytes& thumbnailJpeg, bool withHeader = true);

// "YYYY:MM:DD HH:MM:SS", as Exif stores dates.
std::string ExifDateText(const DemoDate& date);
