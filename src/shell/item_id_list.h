#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Our item-ID list: the stored identity of a folder (start folder, history and bookmark links).
// One record per path component from the root, each a 16-bit little-endian size (counting its
// own two bytes) followed by the component's UTF-8 bytes; the root is the record for "/"; two
// zero bytes end the list.
using ItemIdList = std::vector<uint8_t>;

// Empty for a path that is not absolute or has a component too long for one record.
ItemIdList EncodeItemIdList(std::string_view absolutePath);

// The path of a well-formed list, or empty text: records must fit, the first must be "/", the
// others plain names (no "/", NUL, "." or ".."), and the end marker must be present.
std::string DecodeItemIdList(const ItemIdList& list);

// Two lower-case hexadecimal digits per byte, no separators.
std::string EncodeHex(const ItemIdList& bytes);

// The stored decoding: pairs of characters until the text ends or a NUL; each character gives
// c - 48 when above 47, less 39 more when that is 10 or more; byte = (high * 16 + low) mod 256.
// Only lower-case digits decode as written.
ItemIdList DecodeHex(std::string_view text);

// The folder path stored in a StartFolder-style text, or empty text when the text is not the
// program's own lower-case form of a well-formed list.
std::string FolderFromHexItemIdList(std::string_view text);
