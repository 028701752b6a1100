#pragma once

#include <cstdint>

#include "media_writers/pcm_sound.h"

// Sounds made in code for the demo card.

// A sound memo: a soft bell-like arpeggio rising over a major chord, about 2.6 seconds,
// mono 16-bit at 22050 Hz.
PcmSound ChimeMemo();
// The sound of a movie at the sea: waves rolling in and out, mono 16-bit at 11025 Hz.
PcmSound SeaWaves(double seconds, std::uint64_t seed);
