#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/tiff_types.h"

// One tag of a TagSet. The value is owned, TiffTypeSize(type) x count bytes in machine byte
// order; an ASCII value always ends with a zero byte.
struct TagEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::vector<std::uint8_t> value;
};

// The tags of one picture, in five maps (primary image, Exif, interoperability, GPS, maker
// note). It holds no reference to the file it came from. A map holds each tag at most once.
// Not thread-safe; owned by whoever built it.
class TagSet {
public:
    const TagEntry* Find(TagMap map, std::uint16_t tag) const;
    // The first map, in map order, that holds the tag.
    const TagEntry* Find(std::uint16_t tag) const;
    // Pointer to the value bytes, or nullptr.
    const std::uint8_t* Value(TagMap map, std::uint16_t tag) const;
    // Number of tags in a map.
    std::size_t Count(TagMap map) const;
    std::span<const TagEntry> Entries(TagMap map) const;
    bool IsEmpty() const;

    // The value must be type size x count bytes (kBadArgument otherwise); kBadType for an
    // invalid type, kBadCount for count 0. Add fails with kTagExists when the map already
    // holds the tag, Replace with kTagNotFound when it does not; Set does either. The last
    // byte of an ASCII value is forced to zero.
    TiffResult Add(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                   std::span<const std::uint8_t> value);
    TiffResult Replace(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                       std::span<const std::uint8_t> value);
    TiffResult Set(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                   std::span<const std::uint8_t> value);
    // False when the tag was not there.
    bool Remove(TagMap map, std::uint16_t tag);
    void Clear();

    // Maps the points of SubjectArea, SubjectLocation and maker-note tag 0x1023 from the stored
    // picture (width x height as stored) to the upright one, exchanges a SubjectArea
    // rectangle's sides for quarter turns, and sets Orientation to 1. Does nothing unless the
    // primary map's Orientation is 2 to 8. Coordinates are stored back as SHORT, clamped to
    // 0..65535 when damaged values would leave that range.
    void NormaliseOrientation(std::uint32_t width, std::uint32_t height);

    // A JPEG declares Adobe RGB in its interoperability index: exactly "R03" and a zero byte.
    bool DeclaresAdobeRgbInterop() const;
    // A TIFF declares it through the description of its ICC profile (primary tag 0x8773).
    bool DeclaresAdobeRgbProfile() const;

private:
    std::vector<TagEntry>& MapOf(TagMap map) { return m_maps[static_cast<std::size_t>(map)]; }
    const std::vector<TagEntry>& MapOf(TagMap map) const { return m_maps[static_cast<std::size_t>(map)]; }
    TiffResult Store(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                     std::span<const std::uint8_t> value, bool mayAdd, bool mayReplace);

    std::array<std::vector<TagEntry>, kTagMapCount> m_maps;
};

// The tags whose values are coordinates in the stored picture, which turning the pixels moves:
// SubjectArea (a point, a circle's centre and diameter, or a rectangle's centre, width and
// height), SubjectLocation, and the focus point in the maker's note. Counts outside
// minCount..maxCount are left alone.
struct OrientedCoordinateTag {
    TagMap map;
    std::uint16_t tag;
    std::uint32_t minCount;
    std::uint32_t maxCount;
};
inline constexpr std::array<OrientedCoordinateTag, 3> kOrientedCoordinateTags = {{
    {TagMap::kExif, 0x9214, 2, 4},
    {TagMap::kExif, 0xA214, 2, 2},
    {TagMap::kMakerNote, 0x1023, 2, 2},
}};

// Maps one such tag's values from the stored width x height picture to the upright one for an
// Exif orientation 2 to 8 (any other value changes nothing): the first two values are the
// point; a rectangle's sides (four values) are exchanged for the quarter turns 5 to 8.
void MapOrientedCoordinates(int orientation, std::uint32_t width, std::uint32_t height,
                            std::vector<std::int64_t>& values);

// True when the ICC profile's "desc" element names "Adobe RGB (1998)". Every offset and length
// of the profile is checked against its size.
bool IsAdobeRgbProfile(std::span<const std::uint8_t> profile);
