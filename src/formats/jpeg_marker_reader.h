#pragma once

#include <cstdint>

#include "formats/tiff_stream.h"
#include "formats/tiff_types.h"

// One marker of a JPEG file's header part.
struct JpegSegment {
    std::uint8_t marker = 0;    // second byte of the marker (0xE1 for APP1 ...)
    std::uint64_t position = 0; // stream offset of the marker's 0xFF
    std::uint16_t length = 0;   // the segment's length field (counts itself); 0 without one
    std::uint64_t PayloadPosition() const { return position + 4; }
    std::uint32_t PayloadLength() const { return length >= 2 ? length - 2u : 0u; }
};

struct JpegFrameSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool found = false;
};

// Walks the markers of a JPEG stream from SOI up to the start of the image data. Lengths are
// big-endian whatever the stream's TIFF byte order.
class JpegMarkerReader {
public:
    explicit JpegMarkerReader(const TiffStream& stream);

    // The stream must begin with SOI (0xFF 0xD8), else kMalformed.
    TiffResult ReadStart();
    // The next marker; the reader then stands after its segment. Fill bytes (0xFF 0xFF),
    // 0xFF 0x00 pairs and stray bytes before a marker are skipped. kEndOfFile when the data
    // ends, kMalformed for a segment length below 2.
    TiffResult Next(JpegSegment& segment);

    // Takes the dimensions from a frame header (SOF0 to SOF15 except DHT, JPG and DAC) unless
    // `frame` already holds some; other segments, and frame headers too short to hold the
    // dimensions, leave it unchanged.
    void ReadFrameSize(const JpegSegment& segment, JpegFrameSize& frame) const;

    static bool IsFrameMarker(std::uint8_t marker);

    static constexpr std::uint8_t kStartOfImage = 0xD8;
    static constexpr std::uint8_t kEndOfImage = 0xD9;
    static constexpr std::uint8_t kStartOfScan = 0xDA;
    static constexpr std::uint8_t kApp1 = 0xE1;
    static constexpr std::uint8_t kApp2 = 0xE2;

private:
    TiffStream m_stream;
};

// Frame size of a complete JPEG held in `stream` (an embedded thumbnail, for example): the
// markers up to SOS are scanned. kMalformed when no frame header comes before the image data.
TiffResult ReadJpegFrameSize(const TiffStream& stream, JpegFrameSize& frame);
