#pragma once

#include <cstddef>
#include <cstdint>

// Runs the in-place date and comment change over arbitrary bytes held in memory. A change that
// succeeds must give a picture whose Exif data the reader opens again, that carries the new
// date, and whose bytes after the Exif segment are the original's. Returns false when a
// successful change broke one of these; used by the fuzzer and by the regression replay.
bool ExerciseExifUpdate(const uint8_t* data, size_t size);
