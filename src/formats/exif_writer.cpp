#include "formats/exif_writer.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <span>

#include "formats/exif_block_builder.h"
#include "formats/exif_thumbnail.h"
#include "formats/jpeg_encode.h"
#include "formats/tag_set.h"
#include "formats/tiff_encode.h"
#include "framework/atomic_file.h"
#include "library/dib_image.h"

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
// The TIFF writer's quality index: no JPEG quality applies to the picture.
constexpr int kTiffQualityIndex = -1;

ExifWriteResult ResultOf(TiffResult result)
{
    return result == TiffResult::kOutOfMemory ? ExifWriteResult::kOutOfMemory : ExifWriteResult::kEncodeFailed;
}

ExifWriteResult ResultOf(JpegEncodeResult result)
{
    switch (result) {
    case JpegEncodeResult::kOk: return ExifWriteResult::kOk;
    case JpegEncodeResult::kBadPicture: return ExifWriteResult::kBadPicture;
    case JpegEncodeResult::kOutOfMemory: return ExifWriteResult::kOutOfMemory;
    case JpegEncodeResult::kFailed: break;
    }
    return ExifWriteResult::kEncodeFailed;
}

ExifWriteResult ResultOf(ExifBlockResult result)
{
    switch (result) {
    case ExifBlockResult::kOk: return ExifWriteResult::kOk;
    case ExifBlockResult::kTooLarge: return ExifWriteResult::kExifTooLarge;
    case ExifBlockResult::kOutOfMemory: return ExifWriteResult::kOutOfMemory;
    case ExifBlockResult::kBadTag: break;
    }
    return ExifWriteResult::kEncodeFailed;
}

ExifWriteResult ResultOf(TiffEncodeResult result)
{
    switch (result) {
    case TiffEncodeResult::kOk: return ExifWriteResult::kOk;
    case TiffEncodeResult::kBadPicture: return ExifWriteResult::kBadPicture;
    case TiffEncodeResult::kOutOfMemory: return ExifWriteResult::kOutOfMemory;
    case TiffEncodeResult::kFailed: break;
    }
    return ExifWriteResult::kEncodeFailed;
}

bool IsUsablePicture(const DibImage& picture)
{
    return !picture.IsEmpty() && picture.BitsPerPixel() == 24;
}

// The pixels are written as they are, so an Orientation tag can only say "upright".
TiffResult MakeUpright(TagSet& tags)
{
    if (!tags.Find(TagMap::kPrimary, kOrientationTag))
        return TiffResult::kOk;
    const std::uint16_t upright = 1;
    std::uint8_t bytes[sizeof upright];
    std::memcpy(bytes, &upright, sizeof upright);
    return tags.Set(TagMap::kPrimary, kOrientationTag, kTiffShort, 1, bytes);
}

// The thumbnail and the edited tags that both writers start with.
ExifWriteResult PrepareFile(const DibImage& picture, TagSet& tags, int qualityIndex, bool withInterop,
                            LocalClock clock, DibImage& thumbnail)
{
    if (!MakeExifThumbnail(picture, thumbnail))
        return ExifWriteResult::kOutOfMemory; // the picture itself was checked before
    if (const TiffResult result = PrepareNewFileTags(tags, qualityIndex, withInterop, clock); !Succeeded(result))
        return ResultOf(result);
    if (const TiffResult result = AddRequiredExifTags(tags); !Succeeded(result))
        return ResultOf(result);
    if (const TiffResult result = MakeUpright(tags); !Succeeded(result))
        return ResultOf(result);
    return ExifWriteResult::kOk;
}

ExifWriteResult WriteWhole(const std::string& path, std::span<const std::uint8_t> bytes)
{
    AtomicFileWriter writer(path);
    int error = writer.Open();
    if (error == 0)
        error = writer.Write(bytes);
    if (error == 0)
        error = writer.Commit();
    // A failure after the rename (syncing the folder) leaves the whole new file in place.
    if (error == 0 || writer.IsCommitted())
        return ExifWriteResult::kOk;
    return error == ENOMEM ? ExifWriteResult::kOutOfMemory : ExifWriteResult::kWriteFailed;
}

// Runs a writer's body; memory exhaustion anywhere in it becomes a result, never an exception.
template <typename Body> ExifWriteResult Guarded(Body&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ExifWriteResult::kOutOfMemory;
    } catch (const std::length_error&) {
        return ExifWriteResult::kOutOfMemory;
    }
}

ExifWriteResult BuildCallerTags(const std::vector<CallerTag>& callerTags, TagSet& tags)
{
    if (const TiffResult result = BuildCallerTagSet(callerTags, tags); !Succeeded(result))
        return ResultOf(result);
    if (const TiffResult result = MakeUpright(tags); !Succeeded(result))
        return ResultOf(result);
    return ExifWriteResult::kOk;
}

ExifWriteResult BuildJpeg(const DibImage& picture, TagSet& tags, int qualityIndex, std::vector<std::uint8_t>& jpeg,
                          LocalClock clock)
{
    if (!IsUsablePicture(picture))
        return ExifWriteResult::kBadPicture;
    DibImage thumbnail;
    if (const ExifWriteResult result = PrepareFile(picture, tags, qualityIndex, true, clock, thumbnail);
        result != ExifWriteResult::kOk)
        return result;
    std::vector<std::uint8_t> thumbnailJpeg;
    if (const JpegEncodeResult result = EncodeJpegPicture(thumbnail, kThumbnailEncoderParameter, {}, thumbnailJpeg);
        result != JpegEncodeResult::kOk)
        return ResultOf(result);
    std::vector<std::uint8_t> exifBlock;
    if (const ExifBlockResult result
        = BuildExifBlock(tags, picture.Width(), picture.Height(), thumbnailJpeg, exifBlock);
        result != ExifBlockResult::kOk)
        return ResultOf(result);
    return ResultOf(EncodeJpegPicture(picture, WriterQualityFor(qualityIndex).encoderParameter, exifBlock, jpeg));
}

} // namespace

const char* ExifWriteResultText(ExifWriteResult result)
{
    switch (result) {
    case ExifWriteResult::kOk: return "The picture was written.";
    case ExifWriteResult::kOutOfMemory: return "There is not enough memory to write the picture.";
    case ExifWriteResult::kBadPicture: return "The picture cannot be written in this format.";
    case ExifWriteResult::kExifTooLarge: return "The picture's tags do not fit into one Exif segment.";
    case ExifWriteResult::kWriteFailed: return "The file could not be written.";
    case ExifWriteResult::kEncodeFailed: return "The picture could not be encoded.";
    }
    return "The picture could not be written.";
}

ExifWriteResult BuildExifJpeg(const DibImage& picture, TagSet tags, int qualityIndex, std::vector<std::uint8_t>& jpeg,
                              LocalClock clock)
{
    jpeg.clear();
    const ExifWriteResult result = Guarded([&] { return BuildJpeg(picture, tags, qualityIndex, jpeg, clock); });
    if (result != ExifWriteResult::kOk)
        jpeg.clear();
    return result;
}

ExifWriteResult EncodeExifJpeg(const DibImage& picture, TagSet tags, int qualityIndex, const std::string& path,
                               LocalClock clock)
{
    return Guarded([&] {
        std::vector<std::uint8_t> jpeg;
        if (const ExifWriteResult result = BuildExifJpeg(picture, std::move(tags), qualityIndex, jpeg, clock);
            result != ExifWriteResult::kOk)
            return result;
        return WriteWhole(path, jpeg);
    });
}

ExifWriteResult WriteExifJpeg(const DibImage& picture, const std::vector<CallerTag>& callerTags, int qualityIndex,
                              const std::string& path, LocalClock clock)
{
    return Guarded([&] {
        TagSet tags;
        if (const ExifWriteResult result = BuildCallerTags(callerTags, tags); result != ExifWriteResult::kOk)
            return result;
        return EncodeExifJpeg(picture, std::move(tags), qualityIndex, path, clock);
    });
}

ExifWriteResult WriteExifTiff(const DibImage& picture, const std::vector<CallerTag>& callerTags,
                              const std::string& path, LocalClock clock)
{
    return Guarded([&] {
        if (!IsUsablePicture(picture))
            return ExifWriteResult::kBadPicture;
        TagSet tags;
        if (const ExifWriteResult result = BuildCallerTags(callerTags, tags); result != ExifWriteResult::kOk)
            return result;
        DibImage thumbnail;
        if (const ExifWriteResult result = PrepareFile(picture, tags, kTiffQualityIndex, false, clock, thumbnail);
            result != ExifWriteResult::kOk)
            return result;
        std::vector<std::uint8_t> tiff;
        if (const TiffEncodeResult result = EncodeExifTiff(picture, thumbnail, tags, tiff);
            result != TiffEncodeResult::kOk)
            return ResultOf(result);
        return WriteWhole(path, tiff);
    });
}

void NormaliseOrientationTags(std::uint32_t width, std::uint32_t height, TagSet& tags)
{
    tags.NormaliseOrientation(width, height);
}
