#include "fuzz/raf_fuzz_entry.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "formats/exif_reader.h"
#include "formats/raf_reader.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "library/media_error.h"

namespace {

// A broken promise of the library is a bug in it, not in the input: stop the run there.
void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void ExerciseEmbeddedJpeg(const TiffStream& jpeg)
{
    ExifReader reader;
    if (!Succeeded(reader.OpenJpeg(jpeg)))
        return;
    for (TagReadMode mode : {TagReadMode::kQuick, TagReadMode::kFull}) {
        TagSet tags;
        try {
            ReadTagSet(reader, mode, tags);
        } catch (const MediaError&) {
            continue;
        }
    }
    reader.ImageSize();
    reader.Orientation();
    reader.ThumbnailOrientation();
    std::uint32_t length = 0;
    if (Succeeded(reader.ThumbnailLength(length))) {
        std::vector<std::uint8_t> bytes;
        static_cast<void>(reader.ReadThumbnail(bytes));
    }
}

} // namespace

void ExerciseRafReader(const uint8_t* data, size_t size)
{
    // Already initialised is as good as initialised here.
    static_cast<void>(RafInitialize());
    RafHandle handle;
    if (!Succeeded(
            RafOpenStream(TiffStream::FromBytes(std::vector<std::uint8_t>(data, data + size)), &handle)))
        return;

    RafHeader header;
    Require(Succeeded(RafGetFullHeader(&handle, &header)));
    RafHeaderRecord record;
    Require(Succeeded(RafGetHeaderRecord(&handle, &record)));
    Require(record.jpegLength == header.jpegLength);
    if (!header.HasExtendedWords()) {
        for (std::uint32_t word : header.extended)
            Require(word == 0);
    }

    RafPictureInfo info;
    if (Succeeded(RafGetPictureInfo(&handle, &info))) {
        Require((info.width == 0) == (info.height == 0));
        Require(info.width <= 0xFFFF && info.height <= 0xFFFF);
    }

    std::vector<std::uint8_t> jpeg;
    if (Succeeded(RafReadHeaderAndJpeg(&handle, &record, &jpeg))) {
        Require(jpeg.size() == header.jpegLength && jpeg.size() <= size);
        std::vector<std::uint8_t> again(jpeg.size() + 1, 0xA5);
        Require(Succeeded(RafReadEmbeddedJpeg(&handle, again.data(), again.size())));
        Require(std::equal(jpeg.begin(), jpeg.end(), again.begin()) && again.back() == 0xA5);
    }

    TiffStream window;
    if (Succeeded(RafEmbeddedJpegStream(&handle, &window))) {
        Require(window.Length() == header.jpegLength);
        ExerciseEmbeddedJpeg(window);
    }
    Require(Succeeded(RafClose(&handle)));
}
