#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lossless turns and mirrorings of a JPEG picture: the compressed blocks are rearranged
// (libturbojpeg's lossless transform), so no quality is lost however often a picture is turned.
// The Exif block is kept byte for byte and changed only in place: Orientation becomes 1 (when
// there is one), PixelXDimension and PixelYDimension get the turned size, SubjectArea,
// SubjectLocation and the maker's focus point move with the pixels, and the embedded thumbnail
// is replaced by one turned the same way (IFD1's width and height exchanged for quarter turns).
// Every other tag, unknown and private ones, the maker notes of other makers, every other APP
// segment and the comments stay byte-identical, in their order. The file is replaced
// atomically (a temporary file in its folder, renamed only on success), so every failure leaves
// it untouched. Runs on any thread; keeps no state.

enum class RotationTurn {
    Clockwise,
    CounterClockwise,
    HalfTurn,
};

// What to do when an edge that the transform moves to the left or top (clockwise the bottom
// edge, counter-clockwise the right edge, a half turn both) is not a whole multiple of the MCU
// (the compression's block group): those partial edge blocks cannot be moved losslessly.
enum class EdgePolicy {
    Refuse, // leave the picture as it is (NotMcuAligned)
    Trim,   // drop the partial edge blocks; the picture becomes a little smaller
};

enum class LosslessRotateResult {
    Rotated,
    NotJpeg,        // the file is not a JPEG picture
    NotMcuAligned,  // an edge that must move is not a multiple of the MCU and the policy refuses to trim
    ReadOnly,       // the user may not write the picture
    WriteFailed,    // the new file could not be written (read-only folder, full disk, ...)
    Damaged,        // the JPEG data or its Exif data cannot be read safely
    OutOfMemory,
    ExifTooLarge,   // the turned thumbnail does not fit the Exif segment even at a low quality
    AlreadyUpright, // RotateJpegUpright: Orientation is 1 or absent; nothing was written
};

// Turns the picture as it is shown: when its Orientation shows the stored pixels turned or
// mirrored, the stored pixels get the one transform that leaves them showing the turned view
// upright (only the tags change when the stored pixels already are that view). Which edges must
// be whole blocks follows from that transform.
LosslessRotateResult RotateJpegFile(const std::string& path, RotationTurn turn, EdgePolicy policy);

// The same turn on a file held in memory: `rotated` receives the whole new file (empty on
// failure). Nothing is read from or written to disk.
LosslessRotateResult RotateJpegBytes(std::string_view file, RotationTurn turn, EdgePolicy policy,
                                     std::vector<unsigned char>& rotated);

// Turns the picture upright by its Exif Orientation: the exact inverse transform of orientations
// 2 to 8 (mirrorings included), after which Orientation reads 1. AlreadyUpright for Orientation
// 1, an absent or unusable one, or a picture without Exif data.
LosslessRotateResult RotateJpegUpright(const std::string& path, EdgePolicy policy);
LosslessRotateResult RotateJpegUprightBytes(std::string_view file, EdgePolicy policy,
                                            std::vector<unsigned char>& rotated);

// A short English sentence for a result, for messages of our own.
const char* LosslessRotateResultText(LosslessRotateResult result);
