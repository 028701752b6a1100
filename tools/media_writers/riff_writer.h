#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "media_writers/bytes.h"

// RIFF chunks as WAV and AVI files store them: a four-character code, the size of the data as
// a little-endian 32-bit number, the data, and one pad byte after data of odd length.

void AppendLittleEndian16(Bytes& out, std::uint16_t value);
void AppendLittleEndian32(Bytes& out, std::uint32_t value);
// The first four characters of `code`, padded with blanks when it is shorter.
void AppendFourCc(Bytes& out, std::string_view code);

// One chunk: header, data and padding.
Bytes RiffChunk(std::string_view code, const Bytes& data);
// A "RIFF" or "LIST" chunk of the given type that holds the chunks (already built) in order.
Bytes RiffList(std::string_view code, std::string_view type, const std::vector<Bytes>& chunks);
