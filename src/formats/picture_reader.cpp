#include "formats/picture_reader.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "formats/format_registry.h"
#include "formats/image_fit.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "formats/raf_reader.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

constexpr int kJpegFormat = 0;
constexpr int kRafFormat = 2;
constexpr int kLargestSizeCode = 3;

// The bars of an embedded thumbnail: narrower ones are rounding, not bars; the pixels next to
// the picture are left out of the test because JPEG ringing and colour subsampling smear the
// picture's edge into them.
constexpr int64_t kShortestBar = 2;
constexpr int64_t kBarMargin = 2;
// A bar pixel is dark when no channel exceeds this; a bar is dark when nearly all its pixels
// are (compression noise) and their brightness hardly varies (a dark scene still varies).
constexpr int kDarkChannel = 64;
constexpr int64_t kDarkPercent = 95;
constexpr double kBarDeviation = 12;

bool IsQuarterTurn(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// Replaces the image with `fitted` (when there is one).
void TakeFitted(std::unique_ptr<DibImage> fitted, DibImage& image)
{
    if (fitted && !fitted->IsEmpty())
        image = std::move(*fitted);
}

// Whether the w x h region at (left, top) is one of the uniform dark bars a camera puts into a
// thumbnail around a picture of another shape.
bool IsDarkBar(const DibImage& image, int64_t left, int64_t top, int64_t width, int64_t height)
{
    int64_t pixels = 0;
    int64_t dark = 0;
    // Sums in floating point: a damaged file may declare a huge thumbnail.
    double sum = 0;
    double squares = 0;
    for (int64_t y = top; y < top + height; ++y) {
        for (int64_t x = left; x < left + width; ++x) {
            const uint32_t pixel = image.Pixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
            const int red = static_cast<int>(pixel >> 16 & 0xFF);
            const int green = static_cast<int>(pixel >> 8 & 0xFF);
            const int blue = static_cast<int>(pixel & 0xFF);
            const double brightness = 0.299 * red + 0.587 * green + 0.114 * blue;
            ++pixels;
            dark += std::max({red, green, blue}) <= kDarkChannel ? 1 : 0;
            sum += brightness;
            squares += brightness * brightness;
        }
    }
    if (pixels == 0)
        return true;
    const double mean = sum / static_cast<double>(pixels);
    const double variance = squares / static_cast<double>(pixels) - mean * mean;
    return dark * 100 >= pixels * kDarkPercent && variance <= kBarDeviation * kBarDeviation;
}

// Whether an embedded thumbnail shows the picture whose shape, in the thumbnail's own stored
// orientation, is shapeWidth x shapeHeight. A thumbnail of the same shape always does. One of
// another shape must carry dark bars where the crop to the picture's shape cuts (a camera fits
// the picture into its fixed thumbnail size); picture content there means a stale thumbnail,
// left unchanged by a program that turned the picture's pixels and set its orientation to 1.
bool ThumbnailShowsPicture(const DibImage& thumbnail, int64_t shapeWidth, int64_t shapeHeight)
{
    const int64_t sw = thumbnail.Width();
    const int64_t sh = thumbnail.Height();
    int64_t keepWidth = sw;
    int64_t keepHeight = sh;
    if (shapeHeight * sw < shapeWidth * sh)
        keepHeight = shapeHeight * sw / shapeWidth;
    else
        keepWidth = shapeWidth * sh / shapeHeight;
    // The kept part starts where CropCentred starts it.
    const int64_t left = (sw - keepWidth) >> 1;
    const int64_t top = (sh - keepHeight) >> 1;
    const int64_t right = sw - left - keepWidth;
    const int64_t bottom = sh - top - keepHeight;
    if (std::max({left, right, top, bottom}) < kShortestBar)
        return true;
    auto margin = [](int64_t bar) { return std::min(kBarMargin, bar / 2); };
    if (keepWidth < sw) {
        return IsDarkBar(thumbnail, 0, 0, left - margin(left), sh)
            && IsDarkBar(thumbnail, left + keepWidth + margin(right), 0, right - margin(right), sh);
    }
    return IsDarkBar(thumbnail, 0, 0, sw, top - margin(top))
        && IsDarkBar(thumbnail, 0, top + keepHeight + margin(bottom), sw, bottom - margin(bottom));
}

// The camera's embedded thumbnail, cropped to the picture's shape, turned upright and fitted.
// Throws what the handler throws (0 when the file has no embedded thumbnail, or when the
// thumbnail does not show the picture, so that the caller makes it from the main picture).
void MakeFromEmbedded(FormatHandler& handler, const std::string& path, int sizeCode, DibImage& image)
{
    const PictureSize box = ThumbnailBox(sizeCode);
    int32_t storedWidth = 0;
    int32_t storedHeight = 0;
    handler.PictureShape(path, storedWidth, storedHeight);
    DibImage embedded;
    handler.ReadThumbnail(path, embedded);
    const int orientation = handler.ThumbnailOrientation(path);
    if (storedWidth <= 0 || storedHeight <= 0 || embedded.IsEmpty())
        throw MediaError{kMediaMalformed};
    // The picture's shape as the thumbnail stores it: upright by the picture's own orientation,
    // then turned back by the thumbnail's. Cameras store both alike, so this is usually the
    // stored shape; a thumbnail whose orientation says otherwise is cut to the right shape.
    const bool pictureTurned = IsQuarterTurn(handler.Orientation(path));
    const bool swapped = pictureTurned != IsQuarterTurn(orientation);
    const int64_t width = swapped ? storedHeight : storedWidth;
    const int64_t height = swapped ? storedWidth : storedHeight;
    // A main picture smaller than its thumbnail (a placeholder in a trimmed file) is no
    // better source, whatever the thumbnail shows.
    const bool placeholder = width < embedded.Width() && height < embedded.Height();
    if (!placeholder && !ThumbnailShowsPicture(embedded, width, height))
        throw MediaError{0};

    if (!IsQuarterTurn(orientation)) {
        // Fit first, then cut away the bars of a thumbnail whose shape differs from the
        // picture's, then turn.
        std::unique_ptr<DibImage> fitted = ScaleToFit(embedded, box.width, box.height);
        if (!fitted)
            throw MediaError{kMediaOutOfMemory};
        int32_t ow;
        int32_t oh;
        if (height * box.width < box.height * width) {
            ow = box.width;
            oh = static_cast<int32_t>(height * box.width / width);
        } else {
            oh = box.height;
            ow = static_cast<int32_t>(box.height * width / height);
        }
        image = CropCentred(*fitted, ow, oh);
        OrientImage(orientation, image);
    } else {
        // A quarter turn: cut the bars at the thumbnail's own size, turn, then fit.
        const int64_t sw = embedded.Width();
        const int64_t sh = embedded.Height();
        int32_t ow;
        int32_t oh;
        if (height * sw < width * sh) {
            ow = static_cast<int32_t>(sw);
            oh = static_cast<int32_t>(height * sw / width);
        } else {
            oh = static_cast<int32_t>(sh);
            ow = static_cast<int32_t>(width * sh / height);
        }
        image = CropCentred(embedded, ow, oh);
        OrientImage(orientation, image);
        TakeFitted(ScaleToFit(image, box.width, box.height), image);
    }
    if (image.IsEmpty())
        throw MediaError{kMediaMalformed};
}

// The main picture decoded (at a reduced scale for JPEG files), turned upright and fitted.
void MakeFromMainPicture(FormatHandler& handler, int formatIndex, const std::string& path, int sizeCode,
                         DibImage& image)
{
    const PictureSize box = ThumbnailBox(sizeCode);
    if (formatIndex == kJpegFormat) {
        if (!DecodeJpegScaled(path, image))
            throw MediaError{kMediaMalformed};
    } else {
        handler.ReadImage(path, image);
    }
    if (!handler.OrientsItsOwnPictures())
        OrientImage(handler.Orientation(path), image);
    if (!image.IsEmpty())
        TakeFitted(ScaleToFit(image, box.width, box.height), image);
}

template <typename Work> int CaughtCode(Work&& work)
{
    try {
        work();
        return 0;
    } catch (const MediaError& error) {
        return error.code == 0 ? kMediaMalformed : error.code;
    } catch (const std::bad_alloc&) {
        return kMediaOutOfMemory;
    }
}

} // namespace

int ReadFullImage(const std::string& path, DibImage& image)
{
    const std::unique_ptr<FormatHandler> handler = CreateFormatHandler(FormatIndexOfPath(path));
    if (!handler)
        return -1;
    return CaughtCode([&] {
        handler->ReadImage(path, image);
        if (!handler->OrientsItsOwnPictures())
            OrientImage(handler->Orientation(path), image);
    });
}

// The preview's decode of a RAF file's embedded JPEG. Any failure of the container is left to
// the handler's full read, which reports it with the handler's codes.
void DecodeRafForBox(FormatHandler& handler, const std::string& path, int boxWidth, int boxHeight,
                     bool quarterTurn, DibImage& image)
{
    // Without an argument the only failure is "already initialised": ready either way.
    static_cast<void>(RafInitialize());
    std::vector<std::uint8_t> jpeg;
    bool read = false;
    {
        RafHandle handle;
        RafHeaderRecord record;
        read = Succeeded(RafOpen(path.c_str(), kRafCheckExtension, &handle))
            && Succeeded(RafReadHeaderAndJpeg(&handle, &record, &jpeg));
    }
    if (!read) {
        handler.ReadImage(path, image);
        return;
    }
    if (!DecodeJpegBytesForBox(jpeg.data(), jpeg.size(), boxWidth, boxHeight, quarterTurn, image))
        throw MediaError{kMediaMalformed};
}

int MakeThumbnail(const std::string& path, int sizeCode, DibImage& image)
{
    const int formatIndex = FormatIndexOfPath(path);
    const std::unique_ptr<FormatHandler> handler = CreateFormatHandler(formatIndex);
    if (!handler || sizeCode < 0 || sizeCode > kLargestSizeCode)
        return -1;
    if (sizeCode != kLargestSizeCode) {
        const int embedded = CaughtCode([&] { MakeFromEmbedded(*handler, path, sizeCode, image); });
        if (embedded == 0)
            return 0;
        // Out of memory is not a reason to try the larger decode.
        if (embedded == kMediaOutOfMemory)
            return embedded;
    }
    image.Release();
    return CaughtCode([&] { MakeFromMainPicture(*handler, formatIndex, path, sizeCode, image); });
}

int ReadPreviewImage(const std::string& path, int boxWidth, int boxHeight, DibImage& image)
{
    const int formatIndex = FormatIndexOfPath(path);
    const std::unique_ptr<FormatHandler> handler = CreateFormatHandler(formatIndex);
    if (!handler)
        return -1;
    return CaughtCode([&] {
        if (formatIndex != kJpegFormat && formatIndex != kRafFormat) {
            handler->ReadImage(path, image);
            if (!handler->OrientsItsOwnPictures())
                OrientImage(handler->Orientation(path), image);
            return;
        }
        // The orientation first: a quarter turn exchanges the sides that must fill the box.
        // The picture is returned at the decoded size; the preview fits it into its box, so a
        // smaller box needs no second decode.
        const int orientation = handler->Orientation(path);
        if (formatIndex == kJpegFormat) {
            if (!DecodeJpegFileForBox(path, boxWidth, boxHeight, IsQuarterTurn(orientation), image))
                throw MediaError{kMediaMalformed};
        } else {
            DecodeRafForBox(*handler, path, boxWidth, boxHeight, IsQuarterTurn(orientation), image);
        }
        OrientImage(orientation, image);
    });
}
