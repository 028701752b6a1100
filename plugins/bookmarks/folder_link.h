#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A bookmark's Link: the folder's item-ID list as two lower-case hexadecimal digits per byte.
// The list holds one record per path component from the root, each a 16-bit little-endian size
// (counting its own two bytes) followed by the component's UTF-8; the root's record is "/" and
// two zero bytes end the list. The module keeps its own small copy of these rules so that it
// needs nothing from the program.

// Two lower-case digits per byte, no separators.
std::string HexOfBytes(const std::vector<uint8_t>& bytes);

// The bytes of a Link, or nothing when the text is not the lower-case form (odd length, other
// characters): the program decodes only lower-case digits as written, so anything else would
// not open the folder it seems to name.
std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view text);

// The absolute path of a well-formed item-ID list, or nothing: each record must fit, the first
// must be "/", the others plain names (no "/", NUL, "." or ".."), and the end marker must be
// present. Bytes after the end marker are not read.
std::optional<std::string> PathOfItemIdList(const std::vector<uint8_t>& list);

// Both steps: the folder a Link names, or nothing when the Link is damaged.
std::optional<std::string> FolderOfLink(std::string_view link);
