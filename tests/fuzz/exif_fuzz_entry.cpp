#include "fuzz/exif_fuzz_entry.h"

#include <vector>

#include "formats/exif_reader.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "library/media_error.h"

namespace {

void ExerciseTree(const ExifReader& reader)
{
    for (TagReadMode mode : {TagReadMode::kQuick, TagReadMode::kFull}) {
        TagSet tags;
        try {
            ReadTagSet(reader, mode, tags);
        } catch (const MediaError&) {
            continue;
        }
        const PixelSize size = reader.ImageSize();
        tags.NormaliseOrientation(size.width, size.height);
        tags.DeclaresAdobeRgbInterop();
        tags.DeclaresAdobeRgbProfile();
    }
    reader.Orientation();
    reader.ThumbnailOrientation();
    std::uint32_t length = 0;
    if (Succeeded(reader.ThumbnailLength(length))) {
        std::vector<std::uint8_t> bytes;
        (void)reader.ReadThumbnail(bytes);
        PixelSize size;
        (void)reader.ThumbnailPixelSize(size);
    }
}

} // namespace

void ExerciseExifReader(const uint8_t* data, size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    {
        ExifReader reader;
        if (Succeeded(reader.OpenJpeg(TiffStream::FromBytes(bytes))))
            ExerciseTree(reader);
    }
    {
        ExifReader reader;
        if (Succeeded(reader.OpenTiff(TiffStream::FromBytes(bytes))))
            ExerciseTree(reader);
    }
}
