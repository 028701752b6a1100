#pragma once

#include <cstdint>
#include <string>

#include "formats/tag_set.h"
#include "library/medium_info.h"

// Reading a file's medium information and tags through its format handler. Runs on any
// thread; handler errors are caught here.

// Zeroes the record (quality -1), then lets the file's handler fill it, copies the handler's
// Exif and Adobe RGB flags and swaps width and height for orientations 5 to 8. 1 on success
// (also for a path without a handler row: the record stays as prepared), 0 when the handler
// cannot be created or fails. `error` receives the thrown code, or 0.
int ReadMediumInfo(const std::string& path, MediumInfo& info, int* error = nullptr);

// One tag of a file, looked up in the maps in order (primary, Exif, interoperability, GPS,
// maker note) after the set was normalised for the picture's orientation. 1 with `found`
// false when the tag is not there; 0 when the file cannot be read.
int GetTagInfo(const std::string& path, std::uint16_t tag, TagEntry& out, bool& found);

// Everything the metadata tools show of one file.
struct FileMetadata {
    int formatIndex = -1;
    MediumInfo info;
    TagSet tags;
    bool hasExif = false;
    bool adobeRgb = false;
    int error = 0; // the code thrown while reading, 0 when the file was read
};
FileMetadata ReadFileMetadata(const std::string& path);
