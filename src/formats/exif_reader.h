#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/jpeg_marker_reader.h"
#include "formats/tiff_directory.h"
#include "formats/tiff_stream.h"
#include "formats/tiff_types.h"

// An APP2 segment of a JPEG file (ICC profile chunks, for example), kept for the writer.
struct App2Segment {
    std::uint64_t position = 0; // file offset of the marker's 0xFF
    std::uint16_t length = 0;   // the segment's length field, which counts itself
};

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The Exif directory tree of one picture: a JPEG's Exif APP1 segment, or a TIFF file's own
// directories. Holds the file open (shared stream) while it lives. Every failure of an open
// discards all directories, so a reader either has the whole tree or none of it.
// One object per use and thread; nothing is shared between readers.
class ExifReader {
public:
    static constexpr std::size_t kMaxApp2Segments = 512;

    // Scans a JPEG from SOI to SOS: the first Exif APP1 segment gives the directory tree, APP2
    // segments are recorded, the frame header gives the picture size. Codes: kDataMissing (no
    // such file), kMalformed (not a JPEG, broken marker structure), kEndOfFile (data ends
    // before SOS), kNoExif, or the failure of the directory tree.
    TiffResult OpenJpegFile(const std::string& path);
    TiffResult OpenJpeg(const TiffStream& jpeg);

    // Reads a TIFF file's own tree. `exifPointerTag` is the IFD0 tag that points to the Exif
    // directory: 0x8769, or 0xC4F9 in the 16-bit TIFF files of the maker's RAW converter.
    TiffResult OpenTiffFile(const std::string& path, std::uint16_t exifPointerTag = kExifPointerTag);
    TiffResult OpenTiff(const TiffStream& tiff, std::uint16_t exifPointerTag = kExifPointerTag);

    // The directories; nullptr when the picture has none (or no open succeeded).
    const TiffDirectory* Primary() const { return Get(m_tree.primary); }
    const TiffDirectory* Exif() const { return Get(m_tree.exif); }
    const TiffDirectory* Interop() const { return Get(m_tree.interop); }
    const TiffDirectory* Gps() const { return Get(m_tree.gps); }
    const TiffDirectory* Thumbnail() const { return Get(m_tree.thumbnail); }
    const TiffDirectory* ThumbnailExif() const { return Get(m_tree.thumbnailExif); }
    const TiffDirectory* ThumbnailGps() const { return Get(m_tree.thumbnailGps); }

    // The main picture's size as stored: Exif 0xA002 x 0xA003, each replaced by the frame
    // header's value when missing, malformed or 0; the frame header's size for both when it is
    // smaller in either direction. For a TIFF, IFD0's ImageWidth and ImageLength stand in for
    // the frame header.
    PixelSize ImageSize() const;
    // The JPEG frame header's size (for a TIFF, IFD0's size); zero when there is none.
    PixelSize FrameSize() const { return {m_frame.width, m_frame.height}; }

    // Exif orientation of the main picture: IFD0's 0x0112 when it is one SHORT, otherwise 1;
    // 1001 (kNotReady) when no tree has been read. Values are returned as stored.
    int Orientation() const;
    // The same from IFD1; 1 without IFD1.
    int ThumbnailOrientation() const;

    // Byte size of the embedded JPEG thumbnail. kNotReady without IFD1, kWrongTag when 0x0201
    // or 0x0202 is not one LONG, kThumbnailTooLarge above 65535 bytes, kDataMissing for a
    // missing or zero offset or a length below 4.
    TiffResult ThumbnailLength(std::uint32_t& length) const;
    // Copies the thumbnail bytes; kBadArgument when the buffer is smaller than the length,
    // kEndOfFile when they lie outside the file.
    TiffResult ReadThumbnail(std::span<std::uint8_t> buffer) const;
    TiffResult ReadThumbnail(std::vector<std::uint8_t>& bytes) const;
    // IFD1's 0x0100 x 0x0101 when present, otherwise the thumbnail's own frame header.
    TiffResult ThumbnailPixelSize(PixelSize& size) const;

    std::span<const App2Segment> App2Segments() const { return m_app2; }
    // The whole file, and the stream that starts at the TIFF header.
    const TiffStream& FileStream() const { return m_file; }
    const TiffStream& ExifStream() const { return m_tiff; }
    // Offset of the TIFF header in the file (0 for a TIFF file).
    std::uint64_t TiffHeaderPosition() const { return m_tiffHeaderPosition; }

private:
    struct Tree {
        std::optional<TiffDirectory> primary;
        std::optional<TiffDirectory> exif;
        std::optional<TiffDirectory> interop;
        std::optional<TiffDirectory> gps;
        std::optional<TiffDirectory> thumbnail;
        std::optional<TiffDirectory> thumbnailExif;
        std::optional<TiffDirectory> thumbnailGps;
    };

    static const TiffDirectory* Get(const std::optional<TiffDirectory>& directory)
    {
        return directory ? &*directory : nullptr;
    }
    static TiffResult ReadTree(const TiffStream& tiff, std::uint16_t exifPointerTag, bool exifRequired,
                               Tree& tree);
    void Reset();
    TiffResult ScanJpeg();
    TiffResult ThumbnailLocation(std::uint32_t& offset, std::uint32_t& length) const;

    TiffStream m_file;
    TiffStream m_tiff;
    std::uint64_t m_tiffHeaderPosition = 0;
    JpegFrameSize m_frame;
    std::vector<App2Segment> m_app2;
    Tree m_tree;
};
