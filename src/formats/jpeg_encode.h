#pragma once

#include <cstdint>
#include <span>
#include <vector>

class DibImage;

// JPEG compression of the program's 24-bit bitmap through libjpeg, for the writers. Runs on any
// thread; keeps no state.

enum class [[nodiscard]] JpegEncodeResult {
    kOk,
    kBadPicture,  // empty, not 24 bits deep, or larger than a JPEG frame can describe
    kOutOfMemory,
    kFailed,      // any other libjpeg error
};

// libjpeg's linear quality scale (percent of its standard tables) for one of the writers'
// encoder parameters, where 1024 stands for the standard tables: parameter x 100 / 1024.
int JpegLinearScale(int encoderParameter);

// Compresses the picture into a baseline JFIF-less JPEG (fast integer DCT, 2 x 2 chroma
// subsampling) with the tables scaled by JpegLinearScale(encoderParameter), forced into the
// baseline range. A non-empty `app1Payload` (at most 65,533 bytes, else kBadPicture) becomes an
// APP1 segment right after SOI, where Exif readers look for it. `jpeg` receives the file's bytes;
// it is empty after a failure.
JpegEncodeResult EncodeJpegPicture(const DibImage& picture, int encoderParameter,
                                   std::span<const std::uint8_t> app1Payload, std::vector<std::uint8_t>& jpeg);
