#pragma once

#include <cstdint>
#include <vector>

#include "media_writers/bytes.h"

// A PCM sound for WAV files and AVI audio streams: 16-bit samples, interleaved by channel,
// stored at 16 bits (signed, little-endian) or 8 bits (unsigned) per sample.
struct PcmSound {
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSecond = 22050;
    std::uint16_t bitsPerSample = 16; // 8 or 16
    std::vector<std::int16_t> samples;

    std::uint16_t BlockAlign() const { return static_cast<std::uint16_t>(channels * bitsPerSample / 8); }
    std::uint32_t BytesPerSecond() const { return samplesPerSecond * BlockAlign(); }
    std::uint32_t FrameCount() const
    {
        return channels ? static_cast<std::uint32_t>(samples.size() / channels) : 0;
    }

    // The 16-byte PCM format record (format tag 1, channels, rate, bytes per second, block
    // align, bits per sample): the data of a WAV "fmt " chunk and of an AVI audio "strf".
    Bytes FormatRecord() const;
    // The sample frames [first, first + count) as the file stores them.
    Bytes SampleBytes(std::uint32_t firstFrame, std::uint32_t frameCount) const;
};
