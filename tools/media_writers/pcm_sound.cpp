#include "media_writers/pcm_sound.h"

#include <algorithm>

#include "media_writers/riff_writer.h"

namespace {

constexpr std::uint16_t kPcmFormatTag = 1;

} // namespace

Bytes PcmSound::FormatRecord() const
{
    Bytes record;
    AppendLittleEndian16(record, kPcmFormatTag);
    AppendLittleEndian16(record, channels);
    AppendLittleEndian32(record, samplesPerSecond);
    AppendLittleEndian32(record, BytesPerSecond());
    AppendLittleEndian16(record, BlockAlign());
    AppendLittleEndian16(record, bitsPerSample);
    return record;
}

Bytes PcmSound::SampleBytes(std::uint32_t firstFrame, std::uint32_t frameCount) const
{
    const std::size_t first = std::min<std::size_t>(std::size_t{firstFrame} * channels, samples.size());
    const std::size_t last
        = std::min<std::size_t>(first + std::size_t{frameCount} * channels, samples.size());
    Bytes bytes;
    bytes.reserve((last - first) * bitsPerSample / 8);
    for (std::size_t i = first; i < last; ++i) {
        if (bitsPerSample == 8)
            bytes.push_back(static_cast<std::uint8_t>((samples[i] >> 8) + 128)); // 8-bit PCM is unsigned
        else
            AppendLittleEndian16(bytes, static_cast<std::uint16_t>(samples[i]));
    }
    return bytes;
}
