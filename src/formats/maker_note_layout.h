#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/tag_set.h"
#include "formats/tiff_types.h"

// The byte layout of the maker's own Exif maker note, shared by every writer that produces one
// (the in-place tag update and the new-file writer).
//
// Layout: the 8 bytes "KAVORINE", the 32-bit little-endian offset of the directory (always 12),
// then the directory: a 16-bit entry count, 12-byte entries sorted by tag, a zero 32-bit
// next-directory offset, and after it the values longer than 4 bytes, each starting at an even
// offset. Everything is little-endian whatever the byte order of the file that carries the
// note, and value offsets count from the note's first byte, so the note may be moved anywhere.
//
// Plain functions; no state, any thread.

inline constexpr std::uint32_t kMakerNoteDirectoryOffset = 12;

// Size of the note these entries lay out to: 18 bytes (signature, offset, entry count and
// next-directory offset) plus 12 per entry plus, for each value longer than 4 bytes, its length
// rounded up to an even number. 64-bit, because damaged counts can be anything.
std::uint64_t MakerNoteSize(std::span<const TagEntry> entries);

// Lays out a note from entries whose values are in machine order (type size x count bytes, as a
// TagSet holds them); the entries may come in any order. `note` is replaced on success and left
// unchanged on failure: kBadType for an invalid type, kBadCount for count 0, kBadArgument for a
// value of the wrong size or a note above 4 GiB, kTagExists for a tag given twice, kMalformed for
// more than 2048 entries, kOutOfMemory.
TiffResult LayOutMakerNote(std::span<const TagEntry> entries, std::vector<std::uint8_t>& note);
