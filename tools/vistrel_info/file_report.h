#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/medium_info_reader.h"

class JsonWriter;

// What vistrel-info reports of one file.
struct FileReport {
    std::string path;
    std::string typeName;
    int typeNumber = 0;
    FileMetadata metadata;
    std::vector<std::pair<std::string, std::string>> information; // label, value
    std::string dcfNumber;                                        // empty when the file has none
};

FileReport BuildFileReport(const std::string& path);

// One JSON object: the file's fields, or "path" and "error" when it could not be read.
void WriteJsonReport(JsonWriter& json, const FileReport& report);

// The same as "label: value" lines.
std::string ReadableReport(const FileReport& report);

// The tag value as text: ASCII without its trailing zeros, numbers separated by spaces,
// rationals as n/d, UNDEFINED as lower-case hexadecimal.
std::string TagValueText(const TagEntry& entry);
