#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media_writers/bytes.h"
#include "media_writers/pcm_sound.h"

// A Motion-JPEG AVI movie as cameras record it: the header list ("hdrl" with "avih" and one
// "strl" per stream), the "movi" list with the frames ("00dc") and, when there is sound, one
// audio chunk ("01wb") after each frame, then the "idx1" index of every chunk.
struct AviMovie {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rate = 10; // frames per second = rate / scale
    std::uint32_t scale = 1;
    std::vector<Bytes> frames;     // one complete JPEG picture per frame
    std::optional<PcmSound> sound; // spread evenly over the frames
    // The maker's cameras put a bare Exif directory (ExifBuilder without header) into the video
    // stream's "strd" chunk after the 8 bytes "AVIF" and four zero bytes, and name the stream
    // kMakerAviStreamName in its "strn" chunk. Empty: no such chunk.
    Bytes exifBlock;
    std::string streamName;
};

inline constexpr std::string_view kMakerAviStreamName = "KAVORINE AVI STREAM 0100";

Bytes BuildAvi(const AviMovie& movie);
