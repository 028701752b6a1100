#pragma once

#include <memory>
#include <string_view>

#include "library/format_handler.h"

// The format index of a path: the first of the twelve handler rows whose extensions hold the
// path's extension (compared without case); -1 when the last component has no extension, the
// extension is unknown, or the path names an existing folder.
int FormatIndexOfPath(std::string_view path);

// A new handler for a format index; nullptr when the index has no handler (yet).
std::unique_ptr<FormatHandler> CreateFormatHandler(int formatIndex);

// The kind of a file for plug-ins: 1 image, 2 movie, 3 sound, 4 RAW companion, 0 unknown, with
// its kind name ("JPEG", "MOV", "RAG", ..., "Unknown").
struct FileKind {
    int kind = 0;
    std::string_view name = "Unknown";
    friend bool operator==(const FileKind&, const FileKind&) = default;
};
FileKind GetFileType(std::string_view path);
