#pragma once

#include <string>

class DibImage;

// Writes a 24-bit picture as a plain Windows bitmap file: bottom-up rows, 72 dots per inch, no
// tags (bitmaps carry none). The file is replaced atomically.
enum class BmpWriteResult {
    kOk,
    kUnsupported, // not a 24-bit picture, or too large for a bitmap file's 32-bit sizes
    kWriteFailed,
};

BmpWriteResult WriteBmpFile(const DibImage& picture, const std::string& path);

// The whole file in memory; empty for what WriteBmpFile calls kUnsupported.
std::string EncodeBmp(const DibImage& picture);
