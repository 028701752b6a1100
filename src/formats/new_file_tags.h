#pragma once

#include <ctime>
#include <optional>
#include <string_view>

#include "formats/tiff_types.h"

class TagSet;

// The tag edits that make a caller's tag set into the tags of a file this program writes: the
// layout and pointer tags go (the writers write their own), the program signs the file as its
// maker, model and software, and the file gets its quality and the time it was written.

// The quality of a written file: the maker-note Quality text (7 characters and the zero, 8
// bytes) and the JPEG encoder parameter (1024 = the encoder's standard tables, smaller is finer).
struct WriterQuality {
    std::string_view text;
    int encoderParameter = 0;
};

// Quality indexes 0 fine, 1 normal, 2 basic. Any other index (the TIFF writer passes -1) gets
// the text "Hi     " and, should a JPEG be written with it, the finest parameter, 108.
WriterQuality WriterQualityFor(int qualityIndex);

// The embedded thumbnail's encoder parameter, whatever the picture's quality.
inline constexpr int kThumbnailEncoderParameter = 108;

// What the writers put into Make, Model and Software.
inline constexpr std::string_view kWriterMake = "KAVORINE";
inline constexpr std::string_view kWriterModel = "VistrelViewer Ver.5.3";
// A date tag whose date is unknown: the separators in place, every digit a blank.
inline constexpr std::string_view kBlankDate = "    :  :     :  :  ";

// The local time now, or none when the system cannot tell it. Tests pass their own clock.
using LocalClock = std::optional<std::tm> (*)();
std::optional<std::tm> SystemLocalTime();

// Applies the edits to `tags`:
//  1. removes the primary tags that describe a stored layout (sizes, strips, compression,
//     colour coefficients, the thumbnail and the Exif and GPS pointers), and from the Exif map
//     CompressedBitsPerPixel, the maker-note blob, the interoperability pointer and the image
//     unique id; empties the interoperability map;
//  2. sets Make (count 9), Model and Software (count 22), ExifVersion "0221", GPSVersionID
//     2.2.0.0 and, with `withInterop`, the interoperability index "R98" and version "0100";
//  3. keeps DateTimeOriginal and DateTimeDigitized when the caller gave them as text (a new file
//     keeps its shooting date) and writes the blank date for those it did not give;
//  4. only when the tags already hold a maker-note directory (the maker's note never goes into
//     another maker's picture): its Quality text from `qualityIndex` and its version "0130";
//  5. sets DateTime to `clock`'s local time ("%04d:%02d:%02d %02d:%02d:%02d", the blank date
//     when there is none) and removes SubSecTime.
// kOutOfMemory is the only failure; the set is then partly edited and must not be written.
TiffResult PrepareNewFileTags(TagSet& tags, int qualityIndex, bool withInterop,
                              LocalClock clock = SystemLocalTime);

// The tags Exif 2.21 requires of every file that a caller may leave out, added only where the
// set has none: XResolution and YResolution 72/1, ResolutionUnit inches, ColorSpace sRGB and
// FlashpixVersion "0100". kOutOfMemory is the only failure.
TiffResult AddRequiredExifTags(TagSet& tags);
