#pragma once

#include <cstddef>
#include <cstdint>

// Runs every reading path of the Exif/TIFF reader over arbitrary bytes, as a JPEG and as a
// TIFF. Used by the fuzzer and by the regression test that replays the inputs it found.
void ExerciseExifReader(const uint8_t* data, size_t size);
