#pragma once

#include <string>

class DibImage;

// Writes a 24-bit image as a PNG file (stored, uncompressed deflate blocks: no compression
// library needed, and every viewer reads it). The file is written to a temporary name and
// renamed, so a failed write leaves no half-written picture. False on failure.
bool WritePng(const DibImage& image, const std::string& path);
