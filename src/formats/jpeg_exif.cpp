#include "formats/jpeg_exif.h"

#include <cstdint>

#include "formats/exif_reader.h"
#include "library/media_error.h"

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kInteropIndexTag = 0x0001;

bool OpenedOrPlain(TiffResult result)
{
    if (Succeeded(result))
        return true;
    const int code = ThrowCodeFor(result);
    if (code == kMediaNoExif || code == kMediaMalformed || code == kMediaUnreadable)
        return false;
    throw MediaError{code};
}

} // namespace

bool OpenJpegExif(ExifReader& reader, const TiffStream& jpeg)
{
    return OpenedOrPlain(reader.OpenJpeg(jpeg));
}

bool OpenJpegExifFile(ExifReader& reader, const std::string& path)
{
    return OpenedOrPlain(reader.OpenJpegFile(path));
}

bool InteropDeclaresAdobeRgb(const ExifReader& reader)
{
    const TiffDirectory* interop = reader.Interop();
    if (!interop || !interop->Holds(kInteropIndexTag, kTiffAscii, 4))
        return false;
    std::uint8_t index[4] = {};
    if (!Succeeded(interop->ReadValue(kInteropIndexTag, index)))
        return false;
    return index[0] == 'R' && index[1] == '0' && index[2] == '3' && index[3] == 0;
}

int EmbeddedThumbnailOrientation(const ExifReader& reader)
{
    const TiffDirectory* thumbnail = reader.Thumbnail();
    if (thumbnail && thumbnail->Holds(kOrientationTag, kTiffShort, 1))
        return reader.ThumbnailOrientation();
    return reader.Orientation();
}
