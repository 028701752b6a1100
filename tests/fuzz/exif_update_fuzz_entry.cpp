#include "fuzz/exif_update_fuzz_entry.h"

#include <optional>
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

// The picture's DateTimeOriginal as the program reads it; none when the program cannot read
// the picture's tags at all.
std::optional<std::string> ReadableDate(std::string_view picture)
{
    const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(picture.begin(), picture.end()));
    ExifReader reader;
    if (!Succeeded(reader.OpenJpeg(stream)))
        return std::nullopt;
    TagSet tags;
    try {
        ReadTagSet(reader, TagReadMode::kFull, tags);
    } catch (const MediaError&) {
        return std::nullopt;
    }
    const TagEntry* entry = tags.Find(TagMap::kExif, kDateTimeOriginalTag);
    if (!entry || entry->value.empty())
        return std::string();
    return std::string(reinterpret_cast<const char*>(entry->value.data()), entry->value.size() - 1);
}

// Where the original's Exif segment ends, when its segments can be walked simply from SOI;
// none otherwise (the updater also copes with stray bytes the walk does not follow).
std::optional<size_t> ExifSegmentEnd(std::string_view file)
{
    size_t at = 2;
    while (at + 4 <= file.size() && static_cast<uint8_t>(file[at]) == 0xFF) {
        const auto marker = static_cast<uint8_t>(file[at + 1]);
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        const size_t length = static_cast<uint8_t>(file[at + 2]) << 8 | static_cast<uint8_t>(file[at + 3]);
        if (length < 2)
            return std::nullopt;
        if (marker == 0xE1 && file.substr(at + 4, 6) == std::string_view("Exif\0\0", 6))
            return at + 2 + length;
        at += 2 + length;
    }
    return std::nullopt;
}

// Everything after the Exif segment is copied unchanged.
bool KeepsTheRestOfTheFile(std::string_view original, const std::string& updated)
{
    const std::optional<size_t> end = ExifSegmentEnd(original);
    if (!end || *end > original.size())
        return true;
    const std::string_view tail = original.substr(*end);
    return updated.size() >= tail.size() && std::string_view(updated).substr(updated.size() - tail.size()) == tail;
}

} // namespace

const char* ExerciseExifUpdate(const uint8_t* data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    static const std::string kDate = "2026:12:09 05:59:30";
    const PictureTagChange changes[] = {
        {kDate, std::nullopt},
        {kDate, std::string("Lake in spring")},
        {kDate, std::string(300, 'x') + "\xC3\xA9\xE6\x97\xA5"},
    };
    // A picture whose tags the program reads must read with the new date after the change;
    // one it already refused (a damaged tag on a strict list) is only required to stay a
    // picture the updater accepts.
    const bool readable = ReadableDate(file).has_value();
    for (const PictureTagChange& change : changes) {
        std::string updated;
        if (UpdateJpegTagBytes(file, change, updated) != TagUpdateResult::Ok || updated.empty())
            continue;
        if (readable && ReadableDate(updated) != kDate)
            return "the changed picture does not read back with the new date";
        if (!KeepsTheRestOfTheFile(file, updated))
            return "bytes after the Exif segment changed";
        // The result is a picture the updater accepts again for the same kind of change (a new
        // comment may rightly not fit where a damaged offset claims the rest of the segment).
        std::string again;
        const PictureTagChange next{std::string("2001:02:03 04:05:06"),
                                    change.comment ? std::optional<std::string>("again") : std::nullopt};
        if (const TagUpdateResult result = UpdateJpegTagBytes(updated, next, again); result != TagUpdateResult::Ok)
            return TagUpdateResultText(result);
    }
    return nullptr;
}
