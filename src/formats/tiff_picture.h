#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "formats/tiff_types.h"
#include "library/dib_image.h"

class ExifReader;

// The pixels of TIFF files, for the TIFF handler. Pictures with up to 8 bits per sample (any
// photometric interpretation libtiff converts, interleaved or planar, strips or tiles) are
// decoded through libtiff and turned upright by the file's Orientation tag. Pictures with 16
// bits per sample are read by the 16-bit module (System/QWTIFF16.so) and come as stored; the
// caller orients them. Everything runs on any thread (the thumbnail worker and the main
// thread) and keeps no state between calls apart from the shared module binding.
//
// Failures throw MediaError: -5000 the file cannot be read, has a layout libtiff cannot
// convert, or needs the 16-bit module, which cannot be loaded; -5001 libtiff reported damage
// (strips outside the file, a broken directory, undecodable data); -1 out of memory, which
// includes pictures above kMaxPicturePixels, refused before their pixels are allocated. The
// image is then empty. libtiff's messages are never printed.

// The picture of the file's first directory as a 24-bit image. `is16Bit` is set when the
// 16-bit module read it (as stored); otherwise the picture is already upright. Returns 1.
int ReadTiffImage(const std::string& path, DibImage& image, bool& is16Bit);

// The file's own thumbnail, as stored: for a 16-bit file the module's thumbnail (the reduced
// image of IFD1, or one made from the picture); otherwise IFD1 when it is a reduced image.
// Throws MediaError{0} when an 8-bit file has none, like a handler without a thumbnail.
int ReadTiffThumbnail(const std::string& path, DibImage& image);

// The Exif orientation (1 to 8) that turns ReadTiffThumbnail's result upright: IFD1's own
// Orientation when the thumbnail is IFD1 and IFD1 has one, otherwise the picture's. 1 when
// the file cannot be read. Never throws.
int TiffThumbnailOrientation(const std::string& path);

// Reads the file's tag tree. The 16-bit files of the maker's RAW converter link their Exif
// directory with tag 0xC4F9 instead of 0x8769: a file with 16-bit samples that has that tag is
// read through it (through 0x8769 when the 0xC4F9 directory cannot be read). Codes of
// ExifReader::OpenTiffFile.
TiffResult OpenTiffTagTree(const std::string& path, ExifReader& reader);

// The libtiff path over a TIFF held in memory, for every sample depth (the module reads
// files only): the first directory's picture, upright, and IFD1's reduced image, as stored
// (MediaError{0} when there is none). Pictures above `maxPixels` are refused. Same codes as
// above; return 1.
int DecodeTiffBytes(std::span<const std::uint8_t> bytes, DibImage& image,
                    std::uint64_t maxPixels = kMaxPicturePixels);
int DecodeTiffThumbnailBytes(std::span<const std::uint8_t> bytes, DibImage& image,
                             std::uint64_t maxPixels = kMaxPicturePixels);
