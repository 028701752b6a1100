#pragma once

#include <cstdint>
#include <span>

#include "formats/tiff_types.h"

// The tags the program knows, one table per tag map, and the lists that say which of them a
// read copies from a file into a TagSet. A tag without a row is never copied.

// Bit of a row's type word that marks a variable count.
inline constexpr std::uint16_t kVariableCount = 0x4000;
// Expected type 0 accepts SHORT or LONG; such values are stored as LONG.
inline constexpr std::uint16_t kShortOrLong = 0;

constexpr std::uint16_t Variable(std::uint16_t type)
{
    return static_cast<std::uint16_t>(type | kVariableCount);
}

struct KnownTag {
    std::uint16_t tag = 0;
    std::uint16_t typeWord = 0; // expected type, with kVariableCount for variable counts
    std::uint32_t count = 0;    // expected count; for variable rows the usual count, or 0
    // Value the writer uses when it has to create the tag; empty when it has none.
    std::span<const std::uint8_t> defaultValue{};

    constexpr std::uint16_t Type() const { return static_cast<std::uint16_t>(typeWord & ~kVariableCount); }
    constexpr bool IsVariableCount() const { return (typeWord & kVariableCount) != 0; }
};

// All rows of one map's table, in table order.
std::span<const KnownTag> KnownTags(TagMap map);
// The row of a tag, or nullptr.
const KnownTag* FindKnownTag(TagMap map, std::uint16_t tag);

enum class TagReadMode {
    kFull,  // everything the program shows
    kQuick, // the few tags the listing needs (date, quality, exposure)
};

// One list of tags to copy into one map. A failure to copy a tag of a strict list ends the
// whole read; a lenient list skips that tag. A tag may appear more than once in a list; it is
// copied once.
struct CopyList {
    TagMap map;
    std::span<const std::uint16_t> tags;
    bool strict;
};

// The lists of a read, in the order they are applied.
std::span<const CopyList> CopyLists(TagReadMode mode);
