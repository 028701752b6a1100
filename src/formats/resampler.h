#pragma once

#include <cstdint>

class DibImage;
class PixelBuffer;

// Result codes of the resamplers (library-style layer: returned, never thrown).
inline constexpr int kResampleOk = 0;
inline constexpr int kResampleNoBufferMemory = 3500;      // working buffers; also any picture above
                                                          // kMaxPicturePixels, refused unallocated
inline constexpr int kResampleNoWeightMemory = 3501;      // kernel and weight tables
inline constexpr int kResampleNoPositionMemory = 3502;    // first-tap position tables
inline constexpr int kResampleNoRowMemory = 3503;         // the rows of the horizontal pass
inline constexpr int kResampleSourceTooSmall = 3504;      // below 8 x 8 (or no source at all)
inline constexpr int kResampleDestinationTooSmall = 3505; // below 8 x 8 (or unusable, see below)
inline constexpr int kResampleRegionTooLarge = 3506;
inline constexpr int kResampleOffsetOutOfRange = 3507;
inline constexpr int kResampleBadKernel = 3508; // Keys parameter outside [-1.5, -0.5]

// The Keys cubic convolution parameter of every picture the program scales.
inline constexpr double kKeysParameter = -0.75;

// The part of a source buffer that is resampled (pixels).
struct SourceRegion {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The cubic resampler: separable Keys cubic convolution in fixed point (10-bit weights, 6-bit
// intermediate fraction), 4 to 8 taps by the scale ratio and a box-averaging first stage below
// ratio 0.33. One ratio r serves both directions: dw over the width of the source part that has
// the destination's aspect ratio, so an out-of-proportion destination shows the top-left part of
// the region that has its own aspect ratio. Both buffers hold 3-byte (layouts 0 and 1) or 4-byte
// (layout 2) pixels, each byte filtered on its own; the destination must already be created with
// the destination size and the same pixel size as the source (else 3505). Returns 0 or one of the
// codes above; on failure the destination pixels are unwritten. Runs on any thread; no shared
// state.
int ResampleCubic(const PixelBuffer& source, const SourceRegion& region, PixelBuffer& destination,
                  double keysParameter = kKeysParameter);
int ResampleCubic(const PixelBuffer& source, PixelBuffer& destination);

// The linear resampler for pictures below 8 pixels in some direction: every destination pixel is
// interpolated from the 2 x 2 nearest source pixels (centres aligned, positions in units of
// 1/(2 x destination size)), rounded to nearest; the last row and column repeat the edge pixel.
// Codes: 0; 3504 no source; 3505 no destination or another pixel size; 3500 out of memory or a
// picture above kMaxPicturePixels.
int ResampleLinear(const PixelBuffer& source, PixelBuffer& destination);

// Resamples a 24-bit image into a 24-bit destination that the caller has created at the wanted
// size: equal sizes are copied, the cubic resampler serves when both sizes are at least 8 x 8, the
// linear one otherwise. An image whose width is not a multiple of 4 is copied into (or out of) an
// unpadded buffer first. Codes of the resamplers (3504 / 3505 for an empty image or one that is
// not 24 bits deep).
int ResampleImage(const DibImage& source, DibImage& destination);
