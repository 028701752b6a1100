#pragma once

#include "resource_bitmap.h"

class GlyphLibrary;

// The pictures of the report view's 40 x 30 picture box, in the look of the thumbnail cells:
// - "BMP_REPORT_FOLDER": a folder; every pixel outside it is the key colour, found again at
//   pixel (0, 0), which the view replaces by the row colour;
// - "BMP_REPORT_VOID": a picture that could not be made;
// - "BMP_REPORT_MOV": film edges drawn over a movie's first frame, clear in the middle;
// - "BMP_REPORT_SOUND": the picture box of a sound.
ResourceBitmaps MakeReportPictures(GlyphLibrary& glyphs);

inline constexpr int kReportPictureBoxWidth = 40;
inline constexpr int kReportPictureBoxHeight = 30;
