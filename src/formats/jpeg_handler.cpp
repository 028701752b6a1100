#include "formats/jpeg_handler.h"

#include "formats/exif_reader.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_marker_reader.h"
#include "formats/quality_index.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;

// Opens the Exif data. Unreadable, malformed or missing Exif data leaves a plain JPEG (false);
// running out of memory is thrown.
bool OpenExif(const std::string& path, ExifReader& reader)
{
    const TiffResult result = reader.OpenJpegFile(path);
    if (Succeeded(result))
        return true;
    const int code = ThrowCodeFor(result);
    if (code == kMediaNoExif || code == kMediaMalformed || code == kMediaUnreadable)
        return false;
    throw MediaError{code};
}

void FillDate(const TagSet& tags, MediumInfo& info)
{
    if (const TagEntry* date = tags.Find(TagMap::kExif, 0x9003); date && date->type == kTiffAscii)
        ParseDateTimeOriginal(date->value.data(), date->count, info.shootingDate);
}

bool DeclaresAdobeRgb(const ExifReader& reader)
{
    const TiffDirectory* interop = reader.Interop();
    if (!interop || !interop->Holds(0x0001, kTiffAscii, 4))
        return false;
    std::uint8_t index[4] = {};
    if (!Succeeded(interop->ReadValue(0x0001, index)))
        return false;
    return index[0] == 'R' && index[1] == '0' && index[2] == '3' && index[3] == 0;
}

} // namespace

int JpegHandler::ReadImage(const std::string& path, DibImage& image)
{
    if (!DecodeJpegFile(path, image))
        throw MediaError{kMediaMalformed};
    return 1;
}

int JpegHandler::ReadThumbnail(const std::string& path, DibImage& image)
{
    ExifReader reader;
    if (!OpenExif(path, reader) || !ReadExifThumbnail(reader, image))
        throw MediaError{0};
    return 1;
}

int JpegHandler::ReadTags(const std::string& path, TagSet& tags)
{
    ExifReader reader;
    m_hasExif = OpenExif(path, reader);
    if (!m_hasExif)
        return 0;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    m_adobeRgb = tags.DeclaresAdobeRgbInterop();
    return 1;
}

int JpegHandler::ReadMediumInfo(const std::string& path, MediumInfo& info)
{
    ExifReader reader;
    m_hasExif = OpenExif(path, reader);
    m_orientationPath = path;
    m_orientation = m_hasExif ? reader.Orientation() : 1;
    if (m_hasExif) {
        TagSet tags;
        ReadTagSet(reader, TagReadMode::kQuick, tags);
        const PixelSize size = reader.ImageSize();
        info.width = static_cast<int32_t>(size.width);
        info.height = static_cast<int32_t>(size.height);
        info.qualityIndex = QualityIndexOf(tags);
        FillDate(tags, info);
        m_adobeRgb = DeclaresAdobeRgb(reader);
    } else {
        TiffStream file;
        ThrowIfFailed(TiffStream::OpenFile(path, file));
        JpegFrameSize frame;
        ThrowIfFailed(ReadJpegFrameSize(file, frame));
        info.width = static_cast<int32_t>(frame.width);
        info.height = static_cast<int32_t>(frame.height);
    }
    info.bitsPerPixel = 24;
    return 1;
}

int JpegHandler::Orientation(const std::string& path)
{
    if (path == m_orientationPath)
        return m_orientation;
    ExifReader reader;
    return OpenExif(path, reader) ? reader.Orientation() : 1;
}

int JpegHandler::ThumbnailOrientation(const std::string& path)
{
    ExifReader reader;
    if (!OpenExif(path, reader))
        return 1;
    const TiffDirectory* thumbnail = reader.Thumbnail();
    if (thumbnail && thumbnail->Holds(kOrientationTag, kTiffShort, 1))
        return reader.ThumbnailOrientation();
    return reader.Orientation();
}
