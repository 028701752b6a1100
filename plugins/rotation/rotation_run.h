#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "formats/lossless_rotate.h"

// One run of a rotate command over the chosen files: JPEG pictures are turned losslessly, in
// place; other pictures cannot be turned without loss and are left alone, and whatever is not
// a picture is passed over. Whether to trim pictures whose edge cannot be turned losslessly is
// asked once per run, at the first one.

// Each picture turned upright by its own Exif orientation (the automatic rotation).
struct UprightByOrientation {};

// What a run does to every picture: the same turn, or upright by orientation.
using RotationMode = std::variant<RotationTurn, UprightByOrientation>;

struct RotationOutcome {
    std::vector<std::string> rotated;
    std::vector<std::string> alreadyUpright; // upright mode: nothing to do, not rewritten
    std::vector<std::string> notTurnable;    // TIFF, BMP, RAW pictures: refused
    std::vector<std::string> skipped;        // the user chose not to trim them
    std::vector<std::string> failed;         // "path: reason"
};

struct RotationRun {
    // The picture type name of a file ("JPEG", "TIFF", ...); empty for anything but a picture.
    std::function<std::string(const std::string& path)> typeOf;
    // True to trim the edge blocks of the pictures that need it, false to skip them.
    std::function<bool(const std::string& firstPath)> askTrim;
};

RotationOutcome RotateFiles(const std::vector<std::string>& paths, RotationMode mode, const RotationRun& run);

// The user's message after a run, empty when everything went well. When nothing was turned
// because every picture was upright already, it says how many were.
std::string RotationReport(const RotationOutcome& outcome);
