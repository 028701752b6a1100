#include "media_writers/riff_writer.h"

void AppendLittleEndian16(Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendLittleEndian32(Bytes& out, std::uint32_t value)
{
    AppendLittleEndian16(out, static_cast<std::uint16_t>(value));
    AppendLittleEndian16(out, static_cast<std::uint16_t>(value >> 16));
}

void AppendFourCc(Bytes& out, std::string_view code)
{
    for (std::size_t i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(i < code.size() ? code[i] : ' '));
}

Bytes RiffChunk(std::string_view code, const Bytes& data)
{
    Bytes chunk;
    chunk.reserve(8 + data.size() + 1);
    AppendFourCc(chunk, code);
    AppendLittleEndian32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), data.begin(), data.end());
    if (data.size() % 2 != 0)
        chunk.push_back(0);
    return chunk;
}

Bytes RiffList(std::string_view code, std::string_view type, const std::vector<Bytes>& chunks)
{
    Bytes data;
    AppendFourCc(data, type);
    for (const Bytes& chunk : chunks)
        data.insert(data.end(), chunk.begin(), chunk.end());
    return RiffChunk(code, data);
}
