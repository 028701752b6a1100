#pragma once

#include <string>
#include <string_view>
#include <vector>

// Quarter turns of a JPEG picture without recompressing it: the compressed blocks are
// rearranged (libturbojpeg's lossless transform), so no quality is lost however often a
// picture is turned. The Exif data stays with the picture, rebuilt for the turned one:
// Orientation 1, the pixel size exchanged, the subject points and the maker's focus point
// mapped, and the embedded thumbnail turned the same way. Every other APP segment and the
// comments are copied byte for byte in their order. The file is replaced atomically (a
// temporary file in its folder, renamed only on success), so every failure leaves it
// untouched. Runs on any thread; keeps no state.

enum class RotationTurn {
    Clockwise,
    CounterClockwise,
};

// What to do when the edge that a turn moves to the left or top (clockwise the bottom edge,
// counter-clockwise the right edge) is not a whole multiple of the MCU (the compression's
// block group): those partial edge blocks cannot be turned losslessly.
enum class EdgePolicy {
    Refuse, // leave the picture as it is (NotMcuAligned)
    Trim,   // drop the partial edge blocks; the picture becomes a little smaller
};

enum class LosslessRotateResult {
    Rotated,
    NotJpeg,       // the file is not a JPEG picture
    NotMcuAligned, // the edge that must move is not a multiple of the MCU and the policy refuses to trim
    ReadOnly,      // the user may not write the picture
    WriteFailed,   // the new file could not be written (read-only folder, full disk, ...)
    Damaged,       // the JPEG data or its Exif data cannot be read safely
    OutOfMemory,
};

LosslessRotateResult RotateJpegFile(const std::string& path, RotationTurn turn, EdgePolicy policy);

// The same turn on a file held in memory: `rotated` receives the whole new file (empty on
// failure). Nothing is read from or written to disk.
LosslessRotateResult RotateJpegBytes(std::string_view file, RotationTurn turn, EdgePolicy policy,
                                     std::vector<unsigned char>& rotated);

// A short English sentence for a result, for messages of our own.
const char* LosslessRotateResultText(LosslessRotateResult result);
