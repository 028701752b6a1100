#pragma once

#include <cstdint>
#include <memory>

class DibImage;

// A size in pixels (a thumbnail box, a fitted picture).
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// A rectangle inside a box: its top-left corner and size.
struct PictureRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const PictureRect&, const PictureRect&) = default;
};

// The thumbnail box of a size code (shared with the thumbnail cache and the thumbnail view):
// 0 = 40 x 30, 1 = 80 x 60, 2 = 160 x 120, 3 = 240 x 180; 0 x 0 for any other code.
PictureSize ThumbnailBox(int sizeCode);

// The largest size that fits a w x h picture into the box with its aspect ratio kept: when
// w x boxHeight < h x boxWidth it is (ceil(w x boxHeight / h), boxHeight), else
// (boxWidth, ceil(h x boxWidth / w)), ceilings in integers. A fitted width or height below 2
// gives 1 x 1 (an extreme panorama still gets a pixel, never a zero-sized image). 0 x 0 for an
// empty picture or box.
PictureSize FittedSize(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight);

// Where the fitted picture lies when it is centred in the box whose top-left corner is (0, 0):
// left = (boxWidth - fitted width) / 2, top = (boxHeight - fitted height) / 2.
PictureRect FittedRect(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight);

// A new 24-bit image holding the picture scaled to FittedSize by ResampleImage; the caller owns
// it. Null for an empty or non-24-bit picture, an empty box, or a failed resampling. Runs on any
// thread (the thumbnail worker and the main thread).
std::unique_ptr<DibImage> ScaleToFit(const DibImage& image, int boxWidth, int boxHeight);

// A new 24-bit image of ow x oh holding the centred region of the picture that starts at column
// (picture width - ow) >> 1 and row (picture height - oh) >> 1, pixel for pixel; where that region
// reaches beyond the picture (a box of another aspect ratio than the thumbnail) the pixels are
// black, as reading outside an image yields 0. Empty when ow or oh is below 1, the picture is
// not 24 bits deep, or memory runs out. Used by the thumbnails to trim the bars of an embedded
// thumbnail of another aspect ratio than the picture.
DibImage CropCentred(const DibImage& image, int32_t ow, int32_t oh);
