#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class DibImage;
class ExifReader;

// JPEG decoding into the program's 24-bit bitmap through libjpeg. Data that ends early is
// completed with an end-of-image marker, so a truncated file still gives the part that is
// there (the decoder fills the rest). All functions run on any thread and keep no state.

// The reduced-size decode for thumbnails: the scale (1/1, 1/2, 1/4 or 1/8) is the largest
// power of two not above max(width / 240, height / 180); fast integer DCT. 1 on success, 0 on
// any failure (the image is then empty).
int DecodeJpegScaled(const std::string& path, DibImage& image);

// The scale denominator the reduced-size decode uses for a picture of this size.
int JpegScaleDenominator(uint32_t width, uint32_t height);

// Full-size decodes of a file, or of a complete JPEG held in memory (accurate integer DCT).
// 1 on success, 0 on failure.
int DecodeJpegFile(const std::string& path, DibImage& image);
int DecodeJpegBytes(const uint8_t* data, size_t size, DibImage& image);

// The size a w x h picture is shown at in a box of boxWidth x boxHeight without enlarging:
// when wider than the box it is scaled to the box width, then, when still taller, to the box
// height; the other side follows with the same ratio, rounded up (at least 1). A box with a
// side of 0 or below leaves the picture at its own size.
struct PreviewSize {
    uint32_t width = 0;
    uint32_t height = 0;
    friend bool operator==(const PreviewSize&, const PreviewSize&) = default;
};
PreviewSize PreviewFittedSize(uint32_t width, uint32_t height, int boxWidth, int boxHeight);

// The numerator M (1 to 8) of the smallest reduced scale M/8 whose decode of a stored
// width x height picture is at least its fitted size in the box once turned upright
// (`quarterTurn`: the orientation exchanges the sides); 8 for a box of 0 x 0. The decoded
// size of a side s at M/8 is ceil(s x M / 8), as libjpeg computes it.
int PreviewScaleEighths(uint32_t width, uint32_t height, int boxWidth, int boxHeight, bool quarterTurn);

// The preview's decode of a file, or of a JPEG held in memory (a RAW file's embedded picture),
// at the scale PreviewScaleEighths chooses, not yet turned upright. Reduced scales use
// libjpeg's scaled inverse DCTs; the full scale (a box too large for any reduction, or a
// 0 x 0 box for the zoomed preview) uses the accurate integer DCT, since that picture is
// shown up to five times enlarged. 1 on success, 0 on any failure (the image is then empty).
int DecodeJpegFileForBox(const std::string& path, int boxWidth, int boxHeight, bool quarterTurn,
                         DibImage& image);
int DecodeJpegBytesForBox(const uint8_t* data, size_t size, int boxWidth, int boxHeight, bool quarterTurn,
                          DibImage& image);

// Decodes the Exif thumbnail of an opened reader. 1 on success, 0 when there is none or it
// cannot be decoded.
int ReadExifThumbnail(const ExifReader& reader, DibImage& image);
