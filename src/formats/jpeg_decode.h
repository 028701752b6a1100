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

// Full-size decodes of a file, or of a complete JPEG held in memory. 1 on success, 0 on failure.
int DecodeJpegFile(const std::string& path, DibImage& image);
int DecodeJpegBytes(const uint8_t* data, size_t size, DibImage& image);

// Decodes the Exif thumbnail of an opened reader. 1 on success, 0 when there is none or it
// cannot be decoded.
int ReadExifThumbnail(const ExifReader& reader, DibImage& image);
