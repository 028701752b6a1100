#pragma once

#include <cstddef>
#include <cstdint>

// Runs the BMP reader over arbitrary bytes: the header check on the whole input and on its
// first bytes only (as the medium information reads it), then the full decode. True when the
// results agree with each other (a decoded picture has the size the headers declare, a refused
// one leaves the image empty). Used by the fuzzer and by the test that replays what it found.
bool ExerciseBmpReader(const uint8_t* data, size_t size);
