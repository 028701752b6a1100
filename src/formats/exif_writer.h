#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/caller_tag.h"
#include "formats/new_file_tags.h"

class DibImage;
class TagSet;

// The writers of new picture files with complete Exif data, for the host function WriteImage:
// JPEG files (format "JPEG") and TIFF files (format "TIFF"). A file is built whole in memory
// and then written through a temporary file in the target's folder that is renamed over the
// target only when everything succeeded, so a failure leaves the target as it was and no
// temporary file behind. Failures are returned, never thrown. Every function runs on any thread
// and keeps no state; the caller keeps ownership of everything it passes.

enum class [[nodiscard]] ExifWriteResult : int {
    kOk = 0,
    kOutOfMemory = -1,
    kBadPicture = -5001,   // empty, not 24 bits deep, or larger than the format can hold
    kExifTooLarge = -5003, // the Exif block would not fit one APP1 segment (65,533 bytes)
    kWriteFailed = -5004,  // the file could not be written (folder, permissions, full disk)
    kEncodeFailed = -5005, // the encoder refused the tags or the picture
};

// A short English sentence for a result, for messages of our own.
const char* ExifWriteResultText(ExifWriteResult result);

// A JPEG file's bytes: the 160 x 120 thumbnail (MakeExifThumbnail), PrepareNewFileTags with the
// interoperability tags and AddRequiredExifTags, an Orientation tag (when there is one) as one
// SHORT 1, then SOI, the Exif APP1 segment (BuildExifBlock, the thumbnail compressed with the
// parameter 108) and the picture compressed with the quality index's encoder parameter
// (WriterQualityFor).
ExifWriteResult BuildExifJpeg(const DibImage& picture, TagSet tags, int qualityIndex, std::vector<std::uint8_t>& jpeg,
                              LocalClock clock = SystemLocalTime);

// Writes BuildExifJpeg's file to `path`. The picture must be a 24-bit image.
ExifWriteResult EncodeExifJpeg(const DibImage& picture, TagSet tags, int qualityIndex, const std::string& path,
                               LocalClock clock = SystemLocalTime);

// The caller's tags sorted into a tag set (BuildCallerTagSet: tags without a directory, or with
// a damaged value, are dropped), an Orientation among them set to one SHORT 1, then
// EncodeExifJpeg. Quality indexes 0 fine, 1 normal, 2 basic.
ExifWriteResult WriteExifJpeg(const DibImage& picture, const std::vector<CallerTag>& tags, int qualityIndex,
                              const std::string& path, LocalClock clock = SystemLocalTime);

// The same tag set as WriteExifJpeg, PrepareNewFileTags with quality index -1 (Quality "Hi     ")
// and without interoperability tags, AddRequiredExifTags, the same thumbnail, then a TIFF file
// (EncodeExifTiff).
ExifWriteResult WriteExifTiff(const DibImage& picture, const std::vector<CallerTag>& tags, const std::string& path,
                              LocalClock clock = SystemLocalTime);

// After the pixels have been turned upright: maps SubjectArea, SubjectLocation and the maker's
// focus point from the stored width x height picture to the upright one and sets Orientation 1
// (TagSet::NormaliseOrientation).
void NormaliseOrientationTags(std::uint32_t width, std::uint32_t height, TagSet& tags);
