#pragma once

#include <cstddef>
#include <cstdint>

// Runs the in-place date and comment change over arbitrary bytes held in memory. A change that
// succeeds must give a picture whose Exif data the reader opens again, that carries the new
// date, whose bytes after the Exif segment are the original's, and that can be changed again.
// Returns null, or the promise a successful change broke; used by the fuzzer and by the
// regression replay.
const char* ExerciseExifUpdate(const uint8_t* data, size_t size);
