#pragma once

#include <cstddef>
#include <cstdint>

// The pixel limit of a fuzz run: big enough for every layout, small enough that one input
// decodes in milliseconds.
inline constexpr std::uint64_t kTiffFuzzMaxPixels = 1u << 20;

// Runs the TIFF picture reader's in-memory paths over arbitrary bytes: the picture (upright)
// and IFD1's reduced image. True when the results are consistent (a decoded picture is a
// non-empty 24-bit image within the limit; a refusal is one of the documented codes and leaves
// the image empty). Used by the fuzzer and by the test that replays what it found.
bool ExerciseTiffReader(const uint8_t* data, size_t size);

// The same for the 16-bit module's reader (its sources are compiled in, since the module itself
// is loaded at run time): open, target check, the picture (top-down) and the thumbnail
// (bottom-up), and the tag queries. True when every result is one of the documented codes.
bool ExerciseTiff16Reader(const uint8_t* data, size_t size);
