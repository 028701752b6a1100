#include "formats/tiff_handler.h"

#include <algorithm>
#include <vector>

#include "formats/exif_reader.h"
#include "formats/quality_index.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_picture.h"
#include "formats/tag_values.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

void OpenTiff(const std::string& path, ExifReader& reader)
{
    ThrowIfFailed(OpenTiffTagTree(path, reader));
}

// Bits per sample over all samples of a pixel (8 x 3 = 24 for an ordinary RGB picture).
int32_t BitsPerPixel(const TiffDirectory& primary)
{
    std::uint32_t samples = 1;
    if (!Succeeded(primary.ReadUint32(0x0115, samples)))
        samples = 1;
    const std::uint32_t count = primary.EntryCount(0x0102);
    if (count == 0)
        return static_cast<int32_t>(samples); // bilevel pictures have one bit per sample
    std::vector<std::uint32_t> bits(std::min<std::uint32_t>(count, 16));
    if (!Succeeded(primary.ReadValue32(0x0102, bits)))
        return 0;
    // A single value stands for every sample.
    if (count == 1)
        return static_cast<int32_t>(bits[0] * std::min<std::uint32_t>(samples, 16));
    std::uint32_t total = 0;
    for (std::uint32_t value : bits)
        total += value;
    return static_cast<int32_t>(total);
}

} // namespace

int TiffHandler::ReadTags(const std::string& path, TagSet& tags)
{
    ExifReader reader;
    OpenTiff(path, reader);
    ReadTagSet(reader, TagReadMode::kFull, tags);
    m_hasExif = reader.Exif() != nullptr;
    m_adobeRgb = tags.DeclaresAdobeRgbProfile();
    return 1;
}

int TiffHandler::ReadMediumInfo(const std::string& path, MediumInfo& info)
{
    ExifReader reader;
    OpenTiff(path, reader);
    TagSet tags;
    ReadTagSet(reader, TagReadMode::kFull, tags);
    const PixelSize size = reader.ImageSize();
    info.width = static_cast<int32_t>(size.width);
    info.height = static_cast<int32_t>(size.height);
    info.bitsPerPixel = reader.Primary() ? BitsPerPixel(*reader.Primary()) : 0;
    info.qualityIndex = QualityIndexOf(tags);
    FillShootingDate(tags, info);
    m_hasExif = reader.Exif() != nullptr;
    m_adobeRgb = tags.DeclaresAdobeRgbProfile();
    return 1;
}

int TiffHandler::Orientation(const std::string& path)
{
    ExifReader reader;
    OpenTiff(path, reader);
    return reader.Orientation();
}

int TiffHandler::ReadImage(const std::string& path, DibImage& image)
{
    return ReadTiffImage(path, image, m_is16Bit);
}

int TiffHandler::ReadThumbnail(const std::string& path, DibImage& image)
{
    return ReadTiffThumbnail(path, image);
}

int TiffHandler::ThumbnailOrientation(const std::string& path)
{
    return TiffThumbnailOrientation(path);
}
