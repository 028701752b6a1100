#include "formats/raf_handler.h"

#include <array>
#include <cstdint>
#include <vector>

#include "formats/exif_reader.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_exif.h"
#include "formats/jpeg_marker_reader.h"
#include "formats/quality_index.h"
#include "formats/raf_reader.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tag_values.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"

// What one use of the handler learnt about a file.
struct RafHandler::Loaded {
    RafPictureInfo picture;
    TiffStream jpeg; // window onto the embedded JPEG; keeps the file open
    ExifReader exif; // over `jpeg`
    bool hasExif = false;
};

namespace {

struct ThrowRow {
    RafResult result;
    int code;
};

// What the library's codes become at the format-handler boundary.
constexpr std::array<ThrowRow, 7> kThrowCodes = {{
    {RafResult::kFailed, kMediaUnreadable}, // cannot open or read, or data beyond the file's end
    {RafResult::kOutOfMemory, kMediaOutOfMemory},
    {RafResult::kBadExtension, kMediaUnreadable},
    {RafResult::kBadHeader, kMediaMalformed},
    {RafResult::kMissingArgument, kMediaMalformed},
    {RafResult::kUnexpectedArgument, kMediaMalformed},
    {RafResult::kNoOpenFile, kMediaMalformed},
}};

void ThrowIfRafFailed(RafResult result)
{
    if (Succeeded(result))
        return;
    for (const ThrowRow& row : kThrowCodes) {
        if (row.result == result)
            throw MediaError{row.code};
    }
    throw MediaError{kMediaMalformed};
}

void EnsureRafLibrary()
{
    // Without an argument the only failure is "already initialised": ready either way.
    static_cast<void>(RafInitialize());
}

} // namespace

RafHandler::RafHandler() = default;
RafHandler::~RafHandler() = default;

const RafHandler::Loaded& RafHandler::Load(const std::string& path)
{
    if (m_loaded && m_path == path)
        return *m_loaded;
    m_loaded.reset();
    EnsureRafLibrary();
    auto loaded = std::make_unique<Loaded>();
    {
        RafHandle handle;
        ThrowIfRafFailed(RafOpen(path.c_str(), kRafCheckExtension, &handle));
        ThrowIfRafFailed(RafGetPictureInfo(&handle, &loaded->picture));
        ThrowIfRafFailed(RafEmbeddedJpegStream(&handle, &loaded->jpeg));
        ThrowIfRafFailed(RafClose(&handle));
    }
    loaded->hasExif = OpenJpegExif(loaded->exif, loaded->jpeg);
    m_path = path;
    m_loaded = std::move(loaded);
    return *m_loaded;
}

int RafHandler::ReadImage(const std::string& path, DibImage& image)
{
    EnsureRafLibrary();
    RafHandle handle;
    ThrowIfRafFailed(RafOpen(path.c_str(), kRafCheckExtension, &handle));
    RafHeaderRecord record;
    std::vector<std::uint8_t> jpeg;
    ThrowIfRafFailed(RafReadHeaderAndJpeg(&handle, &record, &jpeg));
    ThrowIfRafFailed(RafClose(&handle));
    if (!DecodeJpegBytes(jpeg.data(), jpeg.size(), image))
        throw MediaError{kMediaMalformed};
    return 1;
}

int RafHandler::ReadThumbnail(const std::string& path, DibImage& image)
{
    const Loaded& raf = Load(path);
    m_hasExif = raf.hasExif;
    std::uint32_t length = 0;
    // A thumbnail that is missing or cannot be decoded is no thumbnail: callers fall back to
    // the main picture.
    if (!raf.hasExif || !Succeeded(raf.exif.ThumbnailLength(length)) || !ReadExifThumbnail(raf.exif, image))
        throw MediaError{0};
    return 1;
}

int RafHandler::ReadTags(const std::string& path, TagSet& tags)
{
    const Loaded& raf = Load(path);
    m_hasExif = raf.hasExif;
    if (!raf.hasExif)
        return 0;
    ReadTagSet(raf.exif, TagReadMode::kFull, tags);
    m_adobeRgb = tags.DeclaresAdobeRgbInterop();
    return 1;
}

int RafHandler::ReadMediumInfo(const std::string& path, MediumInfo& info)
{
    const Loaded& raf = Load(path);
    m_hasExif = raf.hasExif;
    if (raf.picture.width != 0 && raf.picture.height != 0) {
        info.width = static_cast<int32_t>(raf.picture.width);
        info.height = static_cast<int32_t>(raf.picture.height);
    } else if (raf.hasExif) {
        const PixelSize size = raf.exif.ImageSize();
        info.width = static_cast<int32_t>(size.width);
        info.height = static_cast<int32_t>(size.height);
    } else {
        JpegFrameSize frame;
        ThrowIfFailed(ReadJpegFrameSize(raf.jpeg, frame));
        info.width = static_cast<int32_t>(frame.width);
        info.height = static_cast<int32_t>(frame.height);
    }
    info.bitsPerPixel = 24;
    if (raf.hasExif) {
        TagSet tags;
        ReadTagSet(raf.exif, TagReadMode::kQuick, tags);
        info.qualityIndex = QualityIndexOf(tags);
        FillShootingDate(tags, info);
        m_adobeRgb = InteropDeclaresAdobeRgb(raf.exif);
    }
    return 1;
}

void RafHandler::PictureShape(const std::string& path, int32_t& width, int32_t& height)
{
    const Loaded& raf = Load(path);
    PixelSize size;
    if (raf.hasExif) {
        size = raf.exif.ImageSize();
    } else {
        JpegFrameSize frame;
        ThrowIfFailed(ReadJpegFrameSize(raf.jpeg, frame));
        size = {frame.width, frame.height};
    }
    width = static_cast<int32_t>(size.width);
    height = static_cast<int32_t>(size.height);
}

int RafHandler::Orientation(const std::string& path)
{
    const Loaded& raf = Load(path);
    return raf.hasExif ? raf.exif.Orientation() : 1;
}

int RafHandler::ThumbnailOrientation(const std::string& path)
{
    const Loaded& raf = Load(path);
    return raf.hasExif ? EmbeddedThumbnailOrientation(raf.exif) : 1;
}
