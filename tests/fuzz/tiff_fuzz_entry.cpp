#include "fuzz/tiff_fuzz_entry.h"

#include <memory>
#include <span>
#include <vector>

#include "formats/tiff_picture.h"
#include "formats/tiff_types.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "tiff16_file.h"

namespace {

template <typename Decode> bool Consistent(Decode&& decode, bool noThumbnailAllowed)
{
    DibImage image;
    try {
        decode(image);
    } catch (const MediaError& error) {
        const bool known = error.code == kMediaUnreadable || error.code == kMediaMalformed
            || error.code == kMediaOutOfMemory || (noThumbnailAllowed && error.code == 0);
        return known && image.IsEmpty();
    }
    return !image.IsEmpty() && image.BitsPerPixel() == 24
        && std::uint64_t{image.Width()} * image.Height() <= kTiffFuzzMaxPixels;
}

} // namespace

bool ExerciseTiffReader(const uint8_t* data, size_t size)
{
    // An exactly sized copy, so that the address checks catch any read past the end.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::span<const std::uint8_t> view(bytes);
    const bool picture
        = Consistent([&](DibImage& image) { DecodeTiffBytes(view, image, kTiffFuzzMaxPixels); }, false);
    const bool thumbnail = Consistent(
        [&](DibImage& image) { DecodeTiffThumbnailBytes(view, image, kTiffFuzzMaxPixels); }, true);
    return picture && thumbnail;
}

bool ExerciseTiff16Reader(const uint8_t* data, size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::unique_ptr<qwtiff16::Tiff16File> file;
    if (qwtiff16::Tiff16File::OpenMemory(bytes, qwtiff16::Limits{kTiffFuzzMaxPixels}, file) != QWTIFF16_OK)
        return true;
    QWTiff16TargetInfo info{};
    file->FillTargetInfo(info);
    if (file->TargetStatus() == QWTIFF16_OK) {
        if (info.width == 0 || info.height == 0 || info.thumbnailWidth == 0 || info.thumbnailHeight == 0)
            return false;
        std::vector<std::uint8_t> image(file->ImageBufferSize());
        const std::uint16_t imageResult = file->ReadImage(image.data(), image.size(), true);
        std::vector<std::uint8_t> thumbnail(file->ThumbnailBufferSize());
        const std::uint16_t thumbnailResult = file->ReadThumbnail(thumbnail.data(), thumbnail.size(), false);
        for (std::uint16_t result : {imageResult, thumbnailResult}) {
            if (result != QWTIFF16_OK && result != QWTIFF16_E_DECODE && result != QWTIFF16_E_MALFORMED
                && result != QWTIFF16_E_MEMORY)
                return false;
        }
    }
    for (bool exif : {false, true}) {
        if ((exif ? file->ParseExifHeader() : file->ParseHeader()) != QWTIFF16_OK)
            continue;
        for (std::uint16_t tag : {0x0100, 0x0102, 0x010F, 0x0111, 0x9003, 0xA002}) {
            QWTiff16TagInfo tagInfo{};
            if (file->QueryType(exif, tag, tagInfo) != QWTIFF16_OK || tagInfo.byteSize > (1u << 20))
                continue;
            std::vector<std::uint8_t> value(static_cast<std::size_t>(tagInfo.byteSize));
            const std::uint16_t result = file->QueryValue(exif, tag, value.data(), value.size());
            if (result != QWTIFF16_OK && result != QWTIFF16_E_MALFORMED)
                return false;
        }
    }
    return true;
}
