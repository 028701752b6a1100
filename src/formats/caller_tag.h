#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "formats/tiff_types.h"

class TagSet;

// One tag as a plug-in hands it to the writers: a 32-bit tag number whose upper half may name
// the directory, the TIFF type and count, and the value bytes in machine byte order.
struct CallerTag {
    std::uint32_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::vector<std::uint8_t> value;
};

// The directory of a caller's tag number. An upper half of 1 to 5 names it directly (1 primary,
// 2 Exif, 3 interoperability, 4 GPS, 5 maker note); an upper half of 0 looks the tag up in the
// directories' lists in that order, the first list holding it winning; anything else, and a
// plain tag in no list, has no directory. A plain 0x0001 therefore lands in the
// interoperability directory: callers address GPS tags 1 and up with the upper half 4.
std::optional<TagMap> CallerTagDirectory(std::uint32_t callerTag);

// Replaces `tags` with the caller's tags sorted into their directories. A tag without a
// directory is dropped, and so is one whose type is invalid, whose count is 0 or whose value is
// not type size x count bytes long (a damaged value must not reach a file). When the list names
// a tag twice, the later one counts. kOutOfMemory is the only failure; `tags` is then empty.
TiffResult BuildCallerTagSet(std::span<const CallerTag> callerTags, TagSet& tags);
