#include "formats/caller_tag.h"

#include <algorithm>
#include <array>

#include "formats/tag_set.h"

namespace {

// The lists a plain tag number is looked up in, in lookup order.
// clang-format off

constexpr std::uint16_t kPrimaryCallerTags[] = {
    0x0106, 0x010E, 0x010F, 0x0110, 0x011A, 0x011B, 0x0128, 0x8298, 0x0112, 0x0131, 0x0132, 0x013B,
    0x013E, 0x013F, 0x0211, 0x8773, 0xC4A5,
};

constexpr std::uint16_t kExifCallerTags[] = {
    0x829A, 0x829D, 0x8827, 0x9003, 0x9102, 0x9201, 0x9202, 0x9207, 0x9208, 0x9209, 0x920A, 0x9286,
    0x9204, 0x9000, 0x8822, 0x8824, 0x8828, 0x9004, 0x9203, 0x9205, 0x9206, 0x927C, 0x9290, 0x9291,
    0x9292, 0xA004, 0xA20B, 0xA20C, 0xA20E, 0xA20F, 0xA210, 0xA214, 0xA215, 0xA217, 0xA300, 0xA301,
    0xA302, 0xA401, 0xA402, 0xA404, 0xA406, 0xA408, 0xA409, 0xA40A, 0x9214, 0xA403, 0xA405, 0xA407,
    0xA40B, 0xA40C, 0xA420, 0xA001, 0xA500,
};

constexpr std::uint16_t kInteropCallerTags[] = {
    0x0001,
};

constexpr std::uint16_t kGpsCallerTags[] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A, 0x000B,
    0x000C, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E,
};

constexpr std::uint16_t kMakerNoteCallerTags[] = {
    0x1000, 0x1002, 0x1003, 0x1020, 0x1021, 0x1031, 0x1001, 0x1011, 0x1004, 0x1006, 0x1030, 0x1220,
    0x1221, 0x0000, 0x0010, 0x0020, 0x1005, 0x1010, 0x1022, 0x1023, 0x1032, 0x1100, 0x1101, 0x1200,
    0x1210, 0x1300, 0x1301, 0x1302,
    0x8000, 0x8001, 0x8002, 0x8003, 0x8004, 0x8005,
    0x8020, 0x8021, 0x1400, 0x8800, 0x8801,
    0x1401, 0x1402, 0x1403, 0x1404, 0x1405, 0x1406, 0x1407,
    0x8030, 0x8031, 0x8032, 0x8040, 0x1303, 0x1408, 0x1409, 0x140A,
    0x4000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x4008, 0x4009, 0x400A, 0x400B,
    0x4100, 0x4101, 0x4102, 0x4103, 0x4104, 0x4105, 0x4106, 0x4107,
    0x4180, 0x4181,
};

// clang-format on

struct CallerTagList {
    TagMap map;
    std::span<const std::uint16_t> tags;
};

constexpr std::array<CallerTagList, 5> kCallerTagLists = {{
    {TagMap::kPrimary, kPrimaryCallerTags},
    {TagMap::kExif, kExifCallerTags},
    {TagMap::kInterop, kInteropCallerTags},
    {TagMap::kGps, kGpsCallerTags},
    {TagMap::kMakerNote, kMakerNoteCallerTags},
}};

// Upper halves 1 to 5 name the maps in map order.
constexpr std::uint32_t kFirstDirectoryGroup = 1;
constexpr std::uint32_t kLastDirectoryGroup = 5;

} // namespace

std::optional<TagMap> CallerTagDirectory(std::uint32_t callerTag)
{
    const std::uint32_t group = callerTag >> 16;
    const auto tag = static_cast<std::uint16_t>(callerTag & 0xFFFF);
    if (group >= kFirstDirectoryGroup && group <= kLastDirectoryGroup)
        return static_cast<TagMap>(group - kFirstDirectoryGroup);
    if (group != 0)
        return std::nullopt;
    for (const CallerTagList& list : kCallerTagLists) {
        if (std::ranges::find(list.tags, tag) != list.tags.end())
            return list.map;
    }
    return std::nullopt;
}

TiffResult BuildCallerTagSet(std::span<const CallerTag> callerTags, TagSet& tags)
{
    tags.Clear();
    for (const CallerTag& callerTag : callerTags) {
        const std::optional<TagMap> map = CallerTagDirectory(callerTag.tag);
        if (!map)
            continue;
        // Set checks the type, the count and the value's length; a tag failing them is dropped.
        const TiffResult result = tags.Set(*map, static_cast<std::uint16_t>(callerTag.tag & 0xFFFF),
                                           callerTag.type, callerTag.count, callerTag.value);
        if (result == TiffResult::kOutOfMemory) {
            tags.Clear();
            return result;
        }
    }
    return TiffResult::kOk;
}
