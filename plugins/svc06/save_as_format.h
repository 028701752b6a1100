#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The formats a copy can be saved in and the JPEG qualities, with what the host's WriteImage
// expects for each and the names under which the choice is remembered.

enum class SaveFormat { kJpeg, kTiff, kBmp };
enum class JpegQuality { kFine, kNormal, kBasic };

struct SaveFormatRow {
    SaveFormat format;
    std::string_view name;      // shown, stored in the settings and passed to WriteImage
    std::string_view extension; // upper-case, without the dot
};

inline constexpr std::array<SaveFormatRow, 3> kSaveFormats = {{
    {SaveFormat::kJpeg, "JPEG", "JPG"},
    {SaveFormat::kTiff, "TIFF", "TIF"},
    {SaveFormat::kBmp, "BMP", "BMP"},
}};

struct JpegQualityRow {
    JpegQuality quality;
    std::string_view name;
    std::int32_t writeNumber; // WriteImage's quality index
};

inline constexpr std::array<JpegQualityRow, 3> kJpegQualities = {{
    {JpegQuality::kFine, "Fine", 0},
    {JpegQuality::kNormal, "Normal", 1},
    {JpegQuality::kBasic, "Basic", 2},
}};

const SaveFormatRow& RowOf(SaveFormat format);
const JpegQualityRow& RowOf(JpegQuality quality);

// Exact names as stored; none for anything else (a damaged or foreign setting).
std::optional<SaveFormat> SaveFormatNamed(std::string_view name);
std::optional<JpegQuality> JpegQualityNamed(std::string_view name);

// WriteImage's number argument: the quality index for JPEG; the other writers ignore it.
std::int32_t WriteNumberFor(SaveFormat format, JpegQuality quality);

// The copy's file name: the source's name without its last extension, followed by the format's
// extension in the letter case of the source's ("DSCF0001.JPG" gives "DSCF0001.TIF",
// "dscf0001.jpg" gives "dscf0001.tif"). Cameras write upper-case names, so a mixed-case or
// missing extension gives the upper-case one. A leading dot does not start an extension.
std::string TargetFileName(std::string_view sourcePath, SaveFormat format);
