#include "formats/medium_info_reader.h"

#include <memory>
#include <new>

#include "formats/format_registry.h"
#include "library/media_error.h"

namespace {

bool IsQuarterTurn(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// Runs `read` and turns a thrown code (or exhausted memory) into the return value.
template <typename Read> int Guarded(Read&& read)
{
    try {
        read();
        return 0;
    } catch (const MediaError& error) {
        return error.code == 0 ? kMediaMalformed : error.code; // a bare 0 still means failure
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

} // namespace

int ReadMediumInfo(const std::string& path, MediumInfo& info, int* error)
{
    info = MediumInfo{};
    if (error)
        *error = 0;
    const int formatIndex = FormatIndexOfPath(path);
    if (formatIndex < 0)
        return 1;
    std::unique_ptr<FormatHandler> handler = CreateFormatHandler(formatIndex);
    if (!handler)
        return 0;
    const int code = Guarded([&] {
        handler->ReadMediumInfo(path, info);
        info.hasExif = handler->HasExif() ? 1 : 0;
        info.adobeRgb = handler->IsAdobeRgb() ? 1 : 0;
        if (IsQuarterTurn(handler->Orientation(path)))
            std::swap(info.width, info.height);
    });
    if (error)
        *error = code;
    return code == 0 ? 1 : 0;
}

int GetTagInfo(const std::string& path, std::uint16_t tag, TagEntry& out, bool& found)
{
    found = false;
    std::unique_ptr<FormatHandler> handler = CreateFormatHandler(FormatIndexOfPath(path));
    if (!handler)
        return 0;
    TagSet tags;
    const int code = Guarded([&] {
        handler->ReadTags(path, tags);
        if (tags.Find(TagMap::kPrimary, 0x0112)) {
            MediumInfo info;
            handler->ReadMediumInfo(path, info);
            // The stored size: the handler reports it before any quarter-turn swap.
            tags.NormaliseOrientation(static_cast<std::uint32_t>(info.width),
                                      static_cast<std::uint32_t>(info.height));
        }
    });
    if (code != 0)
        return 0;
    if (const TagEntry* entry = tags.Find(tag)) {
        out = *entry;
        found = true;
    }
    return 1;
}

FileMetadata ReadFileMetadata(const std::string& path)
{
    FileMetadata metadata;
    metadata.formatIndex = FormatIndexOfPath(path);
    if (!ReadMediumInfo(path, metadata.info, &metadata.error))
        return metadata;
    std::unique_ptr<FormatHandler> handler = CreateFormatHandler(metadata.formatIndex);
    if (!handler)
        return metadata;
    metadata.error = Guarded([&] { handler->ReadTags(path, metadata.tags); });
    metadata.hasExif = metadata.info.hasExif != 0;
    metadata.adobeRgb = metadata.info.adobeRgb != 0;
    return metadata;
}
