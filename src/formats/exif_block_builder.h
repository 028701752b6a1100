#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class TagSet;

// The Exif APP1 payload of a JPEG file this program writes: "Exif", two zero bytes, then a
// little-endian TIFF block. IFD0 holds the primary map and points to the Exif directory (with
// the interoperability directory hanging from it) and to the GPS directory; IFD1 describes the
// embedded JPEG thumbnail, whose bytes end the block. The maker-note map becomes the maker's own
// note (MakerNote 0x927C). Directories are sorted by tag and every value starts at an even
// offset. Besides the caller's tags the block carries what only the encoder knows: the pixel
// size (0xA002, 0xA003), the components (0x9101 Y, Cb, Cr), YCbCrPositioning centred, and
// IFD1's compression, resolution and thumbnail pointers; these replace tags of the same number
// in the set. Plain functions; any thread.

// The most an APP1 segment can carry (its 16-bit length counts itself).
inline constexpr std::size_t kMaxApp1Payload = 65533;

enum class [[nodiscard]] ExifBlockResult {
    kOk,
    kTooLarge,   // the payload would not fit one APP1 segment
    kBadTag,     // a tag the maker note cannot hold (an invalid type, count or size)
    kOutOfMemory,
};

// Builds the payload for a picture of width x height with `thumbnailJpeg` (may be empty: no
// IFD1 then). `payload` is replaced on success and empty after a failure.
ExifBlockResult BuildExifBlock(const TagSet& tags, std::uint32_t width, std::uint32_t height,
                               std::span<const std::uint8_t> thumbnailJpeg, std::vector<std::uint8_t>& payload);
