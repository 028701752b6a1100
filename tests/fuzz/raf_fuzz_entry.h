#pragma once

#include <cstddef>
#include <cstdint>

// Runs every reading path of the RAW library over arbitrary bytes held in memory, then the
// Exif reader over the embedded JPEG that it locates. Used by the fuzzer and by the
// regression test that replays the inputs it found.
void ExerciseRafReader(const uint8_t* data, size_t size);
