#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class DibImage;

// Our own reader of Windows and OS/2 bitmap files. It turns every supported variant into the
// program's 24-bit top-down DibImage and refuses malformed headers with a status, never by
// aborting. Plain functions without shared state: safe on any thread.

enum class BmpStatus {
    kComplete,    // every pixel came from the file
    kPartial,     // the pixel data ends early or damaged runs were cut off; missing pixels are black
    kMalformed,   // the headers are truncated, contradictory or of an unsupported kind
    kUnreadable,  // the file cannot be opened or read
    kOutOfMemory, // the picture passed every check but its pixels could not be allocated
};

// Values of the compression field.
inline constexpr uint32_t kBmpRgb = 0;
inline constexpr uint32_t kBmpRle8 = 1;
inline constexpr uint32_t kBmpRle4 = 2;
inline constexpr uint32_t kBmpBitFields = 3;

// What the headers of a file declare, after the checks of ParseBmpHeader.
struct BmpInfo {
    uint32_t width = 0;
    uint32_t height = 0;       // rows, whatever their order in the file
    bool topDown = false;      // a negative height in the file: the first row is the top row
    uint32_t headerSize = 0;   // 12 (OS/2 core header), 40, 52, 56, 108 or 124
    uint32_t bitsPerPixel = 0; // of the file: 1, 4, 8, 16, 24 or 32
    uint32_t compression = kBmpRgb;
    uint32_t pixelOffset = 0; // from the start of the file
    uint32_t paletteOffset = 0;
    uint32_t paletteEntries = 0;   // entries present before the pixel data (at most 2^depth)
    uint32_t paletteEntrySize = 0; // 3 in OS/2 files, 4 otherwise
    // Red, green and blue masks at 16 and 32 bits per pixel (the defaults when the file gives none).
    std::array<uint32_t, 3> masks{};
};

// The bytes ParseBmpHeader needs at most: the file header, the largest info header and the
// masks that may follow a 40-byte header.
inline constexpr size_t kBmpMaxHeaderBytes = 14 + 124 + 12;

// Checks the file header and the info header. `data` holds the start of the file (at least
// the headers; the palette and pixels are not looked at), `fileSize` is the size of the whole
// file. kComplete when the headers describe a picture we can decode, kMalformed otherwise.
BmpStatus ParseBmpHeader(const uint8_t* data, size_t size, uint64_t fileSize, BmpInfo& info);

// Decodes a whole file held in memory into a 24-bit image. The image is released first and
// stays empty unless the result is kComplete or kPartial.
BmpStatus DecodeBmp(const uint8_t* data, size_t size, DibImage& image);

// The same for a file on disk (kUnreadable when it cannot be read).
BmpStatus ReadBmpFile(const std::string& path, DibImage& image);

// Reads and checks only the headers of a file, without touching its pixels.
BmpStatus ReadBmpFileInfo(const std::string& path, BmpInfo& info);
