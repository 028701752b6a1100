#pragma once

#include <cstdint>
#include <span>

#include "formats/known_tags.h"
#include "formats/tag_set.h"
#include "formats/tiff_directory.h"
#include "formats/tiff_types.h"

class ExifReader;

// Builds a TagSet from the Exif directories of a picture by the copy lists and the known-tag
// tables. This is the boundary to the format handlers: failures are thrown as MediaError
// (-5001 for a bad tag on a strict list or a damaged maker note, -1 when memory runs out).
// Runs on whatever thread calls it; keeps no state.

// The directories a TagSet is built from; any of them may be missing.
struct ExifDirectories {
    const TiffDirectory* primary = nullptr;
    const TiffDirectory* exif = nullptr;
    const TiffDirectory* interop = nullptr;
    const TiffDirectory* gps = nullptr;
};

// Fills `tags` (replacing what it held) from an opened reader; throws MediaError{-5002} when
// the reader holds no directory tree. On failure `tags` is left unchanged.
void ReadTagSet(const ExifReader& reader, TagReadMode mode, TagSet& tags);
void ReadTagSet(const ExifDirectories& directories, TagReadMode mode, TagSet& tags);

// Copies one tag from `directory` into `map` if the map's table has a row for it: the count
// must equal the row's unless the row has a variable count, the type must equal the row's (a
// SHORT-or-LONG row takes either and stores LONG); otherwise kWrongTag. kOk with nothing
// copied when the directory lacks the tag, the entry has no elements, the tag has no row, or
// the map holds the tag already.
TiffResult CopyKnownTag(const TiffDirectory& directory, TagMap map, std::uint16_t tag, TagSet& tags);

// Whether an Exif maker note is the maker's own: longer than 11 bytes and starting with the
// 8 bytes "KAVORINE".
bool IsKavorineMakerNote(std::span<const std::uint8_t> note);

// Reads the maker's directory from its maker note. Bytes 8 to 11 of the note hold the
// little-endian offset of the directory relative to the note's start, whatever the byte
// order of the file, so a copy of the note gets a little-endian TIFF header in its first 8
// bytes and is read as a TIFF stream. kDataMissing when the note is not the maker's.
TiffResult ReadMakerNoteDirectory(std::span<const std::uint8_t> note, TiffDirectory& directory);
