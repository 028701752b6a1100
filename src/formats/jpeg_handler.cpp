#include "formats/jpeg_handler.h"

#include "formats/exif_reader.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_exif.h"
#include "formats/jpeg_marker_reader.h"
#include "formats/quality_index.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tag_values.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

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
    if (!OpenJpegExifFile(reader, path) || !ReadExifThumbnail(reader, image))
        throw MediaError{0};
    return 1;
}

int JpegHandler::ReadTags(const std::string& path, TagSet& tags)
{
    ExifReader reader;
    m_hasExif = OpenJpegExifFile(reader, path);
    if (!m_hasExif)
        return 0;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    m_adobeRgb = tags.DeclaresAdobeRgbInterop();
    return 1;
}

int JpegHandler::ReadMediumInfo(const std::string& path, MediumInfo& info)
{
    ExifReader reader;
    m_hasExif = OpenJpegExifFile(reader, path);
    m_orientationPath = path;
    m_orientation = m_hasExif ? reader.Orientation() : 1;
    if (m_hasExif) {
        TagSet tags;
        ReadTagSet(reader, TagReadMode::kQuick, tags);
        const PixelSize size = reader.ImageSize();
        info.width = static_cast<int32_t>(size.width);
        info.height = static_cast<int32_t>(size.height);
        info.qualityIndex = QualityIndexOf(tags);
        FillShootingDate(tags, info);
        m_adobeRgb = InteropDeclaresAdobeRgb(reader);
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
    return OpenJpegExifFile(reader, path) ? reader.Orientation() : 1;
}

int JpegHandler::ThumbnailOrientation(const std::string& path)
{
    ExifReader reader;
    if (!OpenJpegExifFile(reader, path))
        return 1;
    return EmbeddedThumbnailOrientation(reader);
}
