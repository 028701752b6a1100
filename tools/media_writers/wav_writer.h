#pragma once

#include "media_writers/bytes.h"
#include "media_writers/pcm_sound.h"

// A WAV file: "RIFF" of form "WAVE" holding the "fmt " chunk and the "data" chunk.
Bytes BuildWav(const PcmSound& sound);
