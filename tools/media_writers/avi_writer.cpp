#include "media_writers/avi_writer.h"

#include <algorithm>

#include "media_writers/riff_writer.h"

namespace {

constexpr std::uint32_t kHasIndex = 0x10; // avih flags
constexpr std::uint32_t kIsInterleaved = 0x100;
constexpr std::uint32_t kKeyFrame = 0x10; // idx1 flags
constexpr std::uint32_t kDefaultQuality = 0xFFFFFFFF;

// One chunk of the "movi" list, remembered for the index.
struct MoviChunk {
    std::string_view code;
    Bytes data;
};

// The stream header (56 bytes after the chunk header).
Bytes StreamHeader(std::string_view type, std::string_view handler, std::uint32_t scale, std::uint32_t rate,
                   std::uint32_t length, std::uint32_t bufferSize, std::uint32_t sampleSize,
                   std::uint16_t width, std::uint16_t height)
{
    Bytes header;
    AppendFourCc(header, type);
    if (handler.empty())
        AppendLittleEndian32(header, 0);
    else
        AppendFourCc(header, handler);
    AppendLittleEndian32(header, 0); // flags
    AppendLittleEndian16(header, 0); // priority
    AppendLittleEndian16(header, 0); // language
    AppendLittleEndian32(header, 0); // initial frames
    AppendLittleEndian32(header, scale);
    AppendLittleEndian32(header, rate);
    AppendLittleEndian32(header, 0); // start
    AppendLittleEndian32(header, length);
    AppendLittleEndian32(header, bufferSize);
    AppendLittleEndian32(header, kDefaultQuality);
    AppendLittleEndian32(header, sampleSize);
    AppendLittleEndian16(header, 0); // frame rectangle: left, top, right, bottom
    AppendLittleEndian16(header, 0);
    AppendLittleEndian16(header, width);
    AppendLittleEndian16(header, height);
    return header;
}

// BITMAPINFOHEADER of a Motion-JPEG stream.
Bytes VideoFormat(const AviMovie& movie)
{
    Bytes format;
    AppendLittleEndian32(format, 40);
    AppendLittleEndian32(format, movie.width);
    AppendLittleEndian32(format, movie.height);
    AppendLittleEndian16(format, 1);  // planes
    AppendLittleEndian16(format, 24); // bits per pixel after decoding
    AppendFourCc(format, "MJPG");
    AppendLittleEndian32(format, movie.width * movie.height * 3);
    for (int i = 0; i < 4; ++i)
        AppendLittleEndian32(format, 0); // resolutions, colours used, colours important
    return format;
}

std::vector<MoviChunk> MoviChunks(const AviMovie& movie)
{
    std::vector<MoviChunk> chunks;
    const auto frameCount = static_cast<std::uint32_t>(movie.frames.size());
    const std::uint32_t soundFrames = movie.sound ? movie.sound->FrameCount() : 0;
    for (std::uint32_t i = 0; i < frameCount; ++i) {
        chunks.push_back({"00dc", movie.frames[i]});
        if (movie.sound) {
            // Integer bounds so that the pieces add up to the whole sound exactly.
            const auto first = static_cast<std::uint32_t>(std::uint64_t{soundFrames} * i / frameCount);
            const auto next = static_cast<std::uint32_t>(std::uint64_t{soundFrames} * (i + 1) / frameCount);
            chunks.push_back({"01wb", movie.sound->SampleBytes(first, next - first)});
        }
    }
    return chunks;
}

} // namespace

Bytes BuildAvi(const AviMovie& movie)
{
    const std::vector<MoviChunk> chunks = MoviChunks(movie);
    std::uint32_t largestFrame = 0;
    std::uint32_t largestSound = 0;
    for (const MoviChunk& chunk : chunks) {
        std::uint32_t& largest = chunk.code == "00dc" ? largestFrame : largestSound;
        largest = std::max(largest, static_cast<std::uint32_t>(chunk.data.size()));
    }
    const auto frameCount = static_cast<std::uint32_t>(movie.frames.size());
    const std::uint32_t scale = std::max<std::uint32_t>(movie.scale, 1);
    const auto width16 = static_cast<std::uint16_t>(movie.width);
    const auto height16 = static_cast<std::uint16_t>(movie.height);

    Bytes mainHeader;
    AppendLittleEndian32(mainHeader,
                         movie.rate ? static_cast<std::uint32_t>(1000000ull * scale / movie.rate) : 0);
    const std::uint32_t soundBytesPerSecond = movie.sound ? movie.sound->BytesPerSecond() : 0;
    AppendLittleEndian32(mainHeader, largestFrame * movie.rate / scale + soundBytesPerSecond);
    AppendLittleEndian32(mainHeader, 0); // padding granularity
    AppendLittleEndian32(mainHeader, kHasIndex | kIsInterleaved);
    AppendLittleEndian32(mainHeader, frameCount);
    AppendLittleEndian32(mainHeader, 0); // initial frames
    AppendLittleEndian32(mainHeader, movie.sound ? 2 : 1);
    AppendLittleEndian32(mainHeader, std::max(largestFrame, largestSound));
    AppendLittleEndian32(mainHeader, movie.width);
    AppendLittleEndian32(mainHeader, movie.height);
    for (int i = 0; i < 4; ++i)
        AppendLittleEndian32(mainHeader, 0); // reserved

    std::vector<Bytes> videoStream = {
        RiffChunk(
            "strh",
            StreamHeader("vids", "MJPG", scale, movie.rate, frameCount, largestFrame, 0, width16, height16)),
        RiffChunk("strf", VideoFormat(movie)),
    };
    if (!movie.exifBlock.empty()) {
        Bytes streamData;
        streamData.reserve(8 + movie.exifBlock.size());
        AppendFourCc(streamData, "AVIF");
        AppendLittleEndian32(streamData, 0);
        streamData.insert(streamData.end(), movie.exifBlock.begin(), movie.exifBlock.end());
        videoStream.push_back(RiffChunk("strd", streamData));
    }
    if (!movie.streamName.empty()) {
        Bytes name(movie.streamName.begin(), movie.streamName.end());
        name.push_back(0);
        videoStream.push_back(RiffChunk("strn", name));
    }
    std::vector<Bytes> headers = {RiffChunk("avih", mainHeader), RiffList("LIST", "strl", videoStream)};
    if (movie.sound) {
        const PcmSound& sound = *movie.sound;
        // PCM audio counts in sample frames: scale = block align, rate = bytes per second.
        headers.push_back(
            RiffList("LIST", "strl",
                     {RiffChunk("strh",
                                StreamHeader("auds", {}, sound.BlockAlign(), sound.BytesPerSecond(),
                                             sound.FrameCount(), largestSound, sound.BlockAlign(), 0, 0)),
                      RiffChunk("strf", sound.FormatRecord())}));
    }

    std::vector<Bytes> moviChunks;
    Bytes index;
    std::uint32_t offset = 4; // from the "movi" type code
    for (const MoviChunk& chunk : chunks) {
        moviChunks.push_back(RiffChunk(chunk.code, chunk.data));
        AppendFourCc(index, chunk.code);
        AppendLittleEndian32(index, kKeyFrame);
        AppendLittleEndian32(index, offset);
        AppendLittleEndian32(index, static_cast<std::uint32_t>(chunk.data.size()));
        offset += static_cast<std::uint32_t>(moviChunks.back().size());
    }
    return RiffList(
        "RIFF", "AVI ",
        {RiffList("LIST", "hdrl", headers), RiffList("LIST", "movi", moviChunks), RiffChunk("idx1", index)});
}
