#pragma once

#include <cstdint>
#include <vector>

class DibImage;
class TagSet;

// TIFF writing through libtiff, for the writers. Runs on any thread; libtiff's messages go to
// per-file handlers and are never printed.

enum class [[nodiscard]] TiffEncodeResult {
    kOk,
    kBadPicture,  // empty or not 24 bits deep
    kOutOfMemory,
    kFailed,      // libtiff refused the data
};

// A TIFF file in memory, little-endian: the picture as the first page (8-bit RGB, uncompressed
// strips) with the primary map's tags, the Exif map (and the maker-note map as the maker's own
// note) in an Exif directory and the GPS map in a GPS directory, both written through libtiff's
// custom directories, and `thumbnail` as the second page with the reduced-image flag (left out
// when it is empty). An Orientation tag is written as 1, since the pixels are stored upright.
//
// What libtiff decides: a primary tag is written only when it describes the picture (the
// texts, resolution, orientation, white point, chromaticities, colour profile) or when libtiff
// does not know it at all; tags that libtiff knows as layout tags (strips, tiles, samples) are
// left out, because libtiff writes those itself. A value whose type cannot be converted to the
// type libtiff gives the tag (a text for a number, another fixed count) is left out; rationals
// pass through libtiff's floating-point conversion, so 35/10 may come back as 7/2. The
// interoperability map is not written (libtiff has no directory for it).
TiffEncodeResult EncodeExifTiff(const DibImage& picture, const DibImage& thumbnail, const TagSet& tags,
                                std::vector<std::uint8_t>& tiff);
