#include "fuzz/exif_update_fuzz_entry.h"

#include <string>
#include <string_view>

#include "formats/exif_reader.h"
#include "formats/exif_tag_update.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_stream.h"
#include "library/media_error.h"

namespace {

constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;

bool CarriesDate(const std::string& picture, std::string_view date)
{
    const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(picture.begin(), picture.end()));
    ExifReader reader;
    if (!Succeeded(reader.OpenJpeg(stream)))
        return false;
    TagSet tags;
    try {
        ReadTagSet(reader, TagReadMode::kFull, tags);
    } catch (const MediaError&) {
        return false;
    }
    const TagEntry* entry = tags.Find(TagMap::kExif, kDateTimeOriginalTag);
    return entry && entry->value.size() > date.size()
           && std::string_view(reinterpret_cast<const char*>(entry->value.data()), date.size()) == date;
}

// The tail of the original from its first start-of-scan marker is copied unchanged.
bool KeepsImageData(std::string_view original, const std::string& updated)
{
    const size_t scan = original.find("\xFF\xDA");
    if (scan == std::string_view::npos)
        return true;
    const std::string_view tail = original.substr(scan);
    return updated.size() >= tail.size() && std::string_view(updated).substr(updated.size() - tail.size()) == tail;
}

} // namespace

bool ExerciseExifUpdate(const uint8_t* data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    static const std::string kDate = "2026:12:09 05:59:30";
    const PictureTagChange changes[] = {
        {kDate, std::nullopt},
        {kDate, std::string("Lake in spring")},
        {kDate, std::string(300, 'x') + "\xC3\xA9\xE6\x97\xA5"},
    };
    for (const PictureTagChange& change : changes) {
        std::string updated;
        if (UpdateJpegTagBytes(file, change, updated) != TagUpdateResult::Ok || updated.empty())
            continue;
        if (!CarriesDate(updated, kDate) || !KeepsImageData(file, updated))
            return false;
        // The result is a picture the updater accepts again.
        std::string again;
        const PictureTagChange next{std::string("2001:02:03 04:05:06"), std::string("again")};
        if (UpdateJpegTagBytes(updated, next, again) != TagUpdateResult::Ok)
            return false;
    }
    return true;
}
