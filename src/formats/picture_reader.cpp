#include "formats/picture_reader.h"

#include <memory>
#include <new>

#include "formats/format_registry.h"
#include "formats/image_fit.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

constexpr int kJpegFormat = 0;
constexpr int kLargestSizeCode = 3;

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

// The camera's embedded thumbnail, cropped to the picture's shape, turned upright and fitted.
// Throws what the handler throws (0 when the file has no embedded thumbnail).
void MakeFromEmbedded(FormatHandler& handler, const std::string& path, int sizeCode, DibImage& image)
{
    const PictureSize box = ThumbnailBox(sizeCode);
    int32_t storedWidth = 0;
    int32_t storedHeight = 0;
    handler.PictureShape(path, storedWidth, storedHeight);
    const int64_t width = storedWidth;
    const int64_t height = storedHeight;
    DibImage embedded;
    handler.ReadThumbnail(path, embedded);
    const int orientation = handler.ThumbnailOrientation(path);
    if (width <= 0 || height <= 0 || embedded.IsEmpty())
        throw MediaError{kMediaMalformed};

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
