#pragma once

#include <optional>
#include <string>
#include <string_view>

// The in-place change of a JPEG picture's shooting date and comment. Only the Exif segment is
// rewritten: every other segment and the compressed picture data are copied byte for byte, and
// every tag that is not being changed keeps its value (the maker note stays readable, also
// other makers' notes whose offsets count from the TIFF header). The new file is written to a
// temporary file in the picture's folder and renamed over the picture only when everything
// succeeded; on any failure the picture is untouched and no temporary file is left. Runs on
// any thread; keeps no state.

struct PictureTagChange {
    // DateTimeOriginal as "YYYY:MM:DD HH:MM:SS" (a valid shooting date).
    std::optional<std::string> dateTimeOriginal;
    // The picture's comment in UTF-8; a longer text is cut to 255 bytes at a character boundary.
    std::optional<std::string> comment;
};

enum class TagUpdateResult {
    Ok,
    NotJpeg,     // the file is not a JPEG picture (other formats are not changed in place)
    NoExif,      // a JPEG without Exif data
    ReadOnly,    // the user may not write the picture
    Damaged,     // the Exif data or the JPEG structure cannot be read safely
    TooLarge,    // the new Exif data would not fit one APP1 segment (65,533 bytes)
    InvalidDate, // the date text is not a valid shooting date
    WriteFailed, // the new file could not be written (full disk, read-only folder, ...)
};

// What is written: DateTimeOriginal as 20 ASCII bytes; the comment as UserComment, "ASCII" and
// the text when it is plain ASCII, otherwise "UNICODE" and UTF-16 in the Exif data's byte order
// (behind a byte-order mark where readers that guess the order from zero bytes would guess
// wrong); and, in the maker's own note, tag 0x8800 = 1 and version "0130". Values that fit are
// overwritten in place (a comment padded with zeros), except beside another maker's note, whose
// offsets may point anywhere; everything new is appended to the Exif block. Giving the values
// the picture already has writes nothing. Another maker's note is never changed, and no note
// is added to a picture without one.
TagUpdateResult UpdatePictureTags(const std::string& path, const PictureTagChange& change);

// The same change on a picture held in memory: `updated` receives the whole new file, or stays
// empty when nothing needs to change (or on failure). Nothing is read from or written to disk.
TagUpdateResult UpdateJpegTagBytes(std::string_view file, const PictureTagChange& change, std::string& updated);

// A short English sentence for a result, for the command-line tool and messages of our own.
const char* TagUpdateResultText(TagUpdateResult result);
