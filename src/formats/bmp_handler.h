#pragma once

#include "library/format_handler.h"

// Bitmap files, decoded by our own reader. Throws MediaError: -5000 when the file cannot be
// read, -5001 when it is malformed or of an unsupported kind, -1 when memory runs out.
class BmpHandler : public FormatHandler {
public:
    // The picture at 24 bits: kBmpPictureComplete, or kBmpPicturePartial when the pixel data
    // is cut short or damaged (the missing pixels are black, like a picture from a card that
    // was pulled out while writing).
    int ReadImage(const std::string& path, DibImage& image) override;
    // Width, height and the file's own bits per pixel, from the headers alone.
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
};

inline constexpr int kBmpPictureComplete = 1;
inline constexpr int kBmpPicturePartial = 2;
