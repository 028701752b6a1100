#pragma once

#include <string>

class DibImage;

// The two ways the program gets pictures out of files, for every format with a handler. Both
// run on any thread (the thumbnail worker and the main thread) and keep no shared state.

// The whole picture, upright. 0 on success, -1 for a path without a handler, otherwise the
// code the handler threw.
int ReadFullImage(const std::string& path, DibImage& image);

// A thumbnail fitted into the box of the size code (0: 40 x 30, 1: 80 x 60, 2: 160 x 120,
// 3: 240 x 180). Codes 0 to 2 use the camera's embedded thumbnail when there is one, cropping
// the bars a camera adds when the picture's shape differs from the thumbnail's; code 3 and
// pictures without one decode the main picture at a reduced scale. 0 on success, -1 for a
// path without a handler, otherwise the code the handler threw in the full-decode path.
int MakeThumbnail(const std::string& path, int sizeCode, DibImage& image);

// The picture the preview shows, upright, fitted into a box of boxWidth x boxHeight without
// enlarging: JPEG pictures (and the JPEG inside a RAF file) are decoded at the smallest
// reduced scale (1/8 to 8/8) whose result is still at least as large as the fitted size, so a
// fitted view never decodes more pixels than it shows; a box of 0 x 0 asks for the full size.
// Other formats are decoded at full size. Codes as ReadFullImage.
int ReadPreviewImage(const std::string& path, int boxWidth, int boxHeight, DibImage& image);
