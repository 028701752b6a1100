#pragma once

#include <string>
#include <string_view>

// Reads one file out of a Qt binary resource file (.rcc) without Qt, so that the engine and
// the command-line tools share the program's text modules. Only uncompressed entries are read
// (the build writes the text modules uncompressed). False when the module, or the file inside
// it, is missing or damaged.
bool ReadResourceFile(const std::string& modulePath, std::string_view innerPath, std::string& out);

// Loads the metadata display texts from System/MediumInfo_res.rcc into the language table; a
// missing module leaves them absent (labels and values then read as empty).
bool LoadMetadataTextModule();

inline constexpr std::string_view kMetadataTextModule = "System/MediumInfo_res.rcc";
inline constexpr std::string_view kMetadataTextFile = "MediumInfo.frs";
