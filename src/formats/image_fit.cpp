#include "formats/image_fit.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "formats/resampler.h"
#include "library/dib_image.h"

namespace {

// Thumbnail size codes 0 to 3.
constexpr std::array<PictureSize, 4> kThumbnailBoxes = {{
    {40, 30},
    {80, 60},
    {160, 120},
    {240, 180},
}};

int64_t CeilDivide(int64_t a, int64_t b)
{
    return (a + b - 1) / b;
}

} // namespace

PictureSize ThumbnailBox(int sizeCode)
{
    if (sizeCode < 0 || sizeCode >= static_cast<int>(kThumbnailBoxes.size()))
        return {};
    return kThumbnailBoxes[static_cast<size_t>(sizeCode)];
}

PictureSize FittedSize(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight)
{
    // Pictures are below 2^32 pixels a side and boxes below 2^31, so the products fit 64 bits.
    if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1 || width > UINT32_MAX || height > UINT32_MAX)
        return {};
    int64_t fittedWidth = boxWidth;
    int64_t fittedHeight = boxHeight;
    if (width * boxHeight < height * boxWidth)
        fittedWidth = CeilDivide(width * boxHeight, height);
    else
        fittedHeight = CeilDivide(height * boxWidth, width);
    if (fittedWidth < 2 || fittedHeight < 2)
        return {1, 1};
    if (fittedWidth > INT32_MAX || fittedHeight > INT32_MAX)
        return {}; // only for absurd boxes; no picture that large can be created anyway
    return {static_cast<int32_t>(fittedWidth), static_cast<int32_t>(fittedHeight)};
}

PictureRect FittedRect(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight)
{
    const PictureSize fitted = FittedSize(width, height, boxWidth, boxHeight);
    if (fitted.width == 0)
        return {};
    return {(boxWidth - fitted.width) / 2, (boxHeight - fitted.height) / 2, fitted.width, fitted.height};
}

std::unique_ptr<DibImage> ScaleToFit(const DibImage& image, int boxWidth, int boxHeight)
{
    if (image.IsEmpty() || image.BitsPerPixel() != 24)
        return nullptr;
    const PictureSize fitted = FittedSize(image.Width(), image.Height(), boxWidth, boxHeight);
    if (fitted.width == 0)
        return nullptr;
    auto result = std::make_unique<DibImage>();
    if (!result->Create(static_cast<uint32_t>(fitted.width), static_cast<uint32_t>(fitted.height), 24))
        return nullptr;
    if (ResampleImage(image, *result) != kResampleOk)
        return nullptr;
    return result;
}

DibImage CropCentred(const DibImage& image, int32_t ow, int32_t oh)
{
    DibImage output;
    if (image.IsEmpty() || image.BitsPerPixel() != 24 || ow < 1 || oh < 1)
        return output;
    if (!output.Create(static_cast<uint32_t>(ow), static_cast<uint32_t>(oh), 24))
        return output;
    // Arithmetic shifts: a region larger than the picture starts before its first row or column.
    const int64_t left = (static_cast<int64_t>(image.Width()) - ow) >> 1;
    const int64_t top = (static_cast<int64_t>(image.Height()) - oh) >> 1;
    // The columns of the region that lie inside the picture; the rest stay black.
    const int64_t firstColumn = std::max<int64_t>(0, -left);
    const int64_t endColumn = std::min<int64_t>(ow, static_cast<int64_t>(image.Width()) - left);
    if (firstColumn >= endColumn)
        return output;
    for (int64_t y = 0; y < oh; ++y) {
        const int64_t sourceRow = top + y;
        if (sourceRow < 0 || sourceRow >= static_cast<int64_t>(image.Height()))
            continue;
        std::memcpy(output.Row(static_cast<uint32_t>(y)) + firstColumn * 3,
                    image.Row(static_cast<uint32_t>(sourceRow)) + (left + firstColumn) * 3,
                    static_cast<size_t>(endColumn - firstColumn) * 3);
    }
    return output;
}
