#pragma once

#include <cstdint>

class DibImage;

// The thumbnail box of written Exif files.
inline constexpr std::uint32_t kExifThumbnailWidth = 160;
inline constexpr std::uint32_t kExifThumbnailHeight = 120;

// The 160 x 120 thumbnail that the writers store with a picture: a black image with the picture
// fitted into it by the ScaleToFit rule and centred. Large pictures are first halved with the
// cubic resampler while they are more than twice the fitted size in both directions (each
// halving then keeps all the detail the next step can use, and the last step is short), then
// scaled to the fitted size with the linear resampler. The picture must be 24 bits deep. False
// when it is empty or not 24-bit, or memory runs out; `thumbnail` is then empty. Runs on any
// thread; keeps no state.
bool MakeExifThumbnail(const DibImage& picture, DibImage& thumbnail);
