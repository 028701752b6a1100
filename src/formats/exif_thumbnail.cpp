#include "formats/exif_thumbnail.h"

#include <cstring>

#include "formats/image_fit.h"
#include "formats/pixel_buffer.h"
#include "formats/resampler.h"
#include "library/dib_image.h"

namespace {

// The cubic resampler needs 8 pixels in each direction on both sides.
constexpr std::uint32_t kCubicMinimum = 8;

// The rows of a 24-bit image seen as a pixel buffer (layout 1 is the image's own row layout).
// Only read through when `image` is a source.
bool WrapRows(const DibImage& image, PixelBuffer& buffer)
{
    return buffer.Wrap(const_cast<std::uint8_t*>(image.Pixels()), static_cast<std::int32_t>(image.Width()),
                       static_cast<std::int32_t>(image.Height()), 1, static_cast<std::int32_t>(image.Stride()))
        == kPixelBufferOk;
}

enum class Resampler { kCubic, kLinear };

// A new image of width x height resampled from `source`; empty on failure.
DibImage Resample(const DibImage& source, std::uint32_t width, std::uint32_t height, Resampler resampler)
{
    DibImage result;
    if (!result.Create(width, height, 24))
        return result;
    PixelBuffer from;
    PixelBuffer to;
    if (!WrapRows(source, from) || !WrapRows(result, to)) {
        result.Release();
        return result;
    }
    const int code = resampler == Resampler::kCubic ? ResampleCubic(from, to) : ResampleLinear(from, to);
    if (code != kResampleOk)
        result.Release();
    return result;
}

} // namespace

bool MakeExifThumbnail(const DibImage& picture, DibImage& thumbnail)
{
    thumbnail.Release();
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24)
        return false;
    const PictureRect place = FittedRect(picture.Width(), picture.Height(), kExifThumbnailWidth,
                                         kExifThumbnailHeight);
    if (place.width == 0)
        return false;
    const auto fittedWidth = static_cast<std::uint32_t>(place.width);
    const auto fittedHeight = static_cast<std::uint32_t>(place.height);

    // Halvings, each from the previous one; `current` points at the picture until the first.
    DibImage halved;
    const DibImage* current = &picture;
    while (current->Width() > 2 * fittedWidth && current->Height() > 2 * fittedHeight
           && current->Width() / 2 >= kCubicMinimum && current->Height() / 2 >= kCubicMinimum) {
        DibImage next = Resample(*current, current->Width() / 2, current->Height() / 2, Resampler::kCubic);
        if (next.IsEmpty())
            return false;
        halved = std::move(next);
        current = &halved;
    }
    const DibImage fitted = current->Width() == fittedWidth && current->Height() == fittedHeight
        ? *current
        : Resample(*current, fittedWidth, fittedHeight, Resampler::kLinear);
    if (fitted.IsEmpty())
        return false;

    if (!thumbnail.Create(kExifThumbnailWidth, kExifThumbnailHeight, 24))
        return false;
    for (std::uint32_t y = 0; y < fittedHeight; ++y) {
        std::memcpy(thumbnail.Row(static_cast<std::uint32_t>(place.top) + y)
                        + static_cast<std::size_t>(place.left) * 3,
                    fitted.Row(y), std::size_t{fittedWidth} * 3);
    }
    return true;
}
