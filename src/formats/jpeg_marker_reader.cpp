#include "formats/jpeg_marker_reader.h"

#include <array>

JpegMarkerReader::JpegMarkerReader(const TiffStream& stream)
    : m_stream(stream)
{
    m_stream.SetByteOrder(kByteOrderBig);
    (void)m_stream.Seek(0);
}

bool JpegMarkerReader::IsFrameMarker(std::uint8_t marker)
{
    // 0xC4, 0xC8 and 0xCC share the SOF range but are tables and a reserved code.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

TiffResult JpegMarkerReader::ReadStart()
{
    std::array<std::uint8_t, 2> soi{};
    if (!Succeeded(m_stream.ReadAt(0, soi)) || soi[0] != 0xFF || soi[1] != kStartOfImage)
        return TiffResult::kMalformed;
    return m_stream.Seek(2);
}

TiffResult JpegMarkerReader::Next(JpegSegment& segment)
{
    // Some writers leave stray bytes between segments; like the common decoders, skip to the
    // next 0xFF that starts a marker. 0xFF 0xFF is a fill byte, 0xFF 0x00 no marker at all.
    std::array<std::uint8_t, 2> bytes{};
    for (;;) {
        std::array<std::uint8_t, 1> byte{};
        if (const TiffResult result = m_stream.ReadBytes(byte); !Succeeded(result))
            return result;
        if (byte[0] != 0xFF)
            continue;
        do {
            if (const TiffResult result = m_stream.ReadBytes(byte); !Succeeded(result))
                return result;
        } while (byte[0] == 0xFF);
        if (byte[0] != 0x00) {
            bytes = {0xFF, byte[0]};
            break;
        }
    }
    segment = JpegSegment{};
    segment.marker = bytes[1];
    segment.position = m_stream.Position() - 2;
    // TEM, RST0 to RST7, SOI and EOI stand alone.
    if (segment.marker == 0x01 || (segment.marker >= 0xD0 && segment.marker <= kEndOfImage))
        return TiffResult::kOk;

    if (const TiffResult result = m_stream.Read16(segment.length); !Succeeded(result))
        return result;
    if (segment.length < 2)
        return TiffResult::kMalformed;
    return m_stream.Seek(segment.position + 2 + segment.length);
}

void JpegMarkerReader::ReadFrameSize(const JpegSegment& segment, JpegFrameSize& frame) const
{
    // Frame header: precision (1 byte), height and width (16-bit each), components ...
    if (frame.found || !IsFrameMarker(segment.marker) || segment.PayloadLength() < 5)
        return;
    std::array<std::uint8_t, 5> header{};
    if (!Succeeded(m_stream.ReadAt(segment.PayloadPosition(), header)))
        return;
    frame.height = (std::uint32_t{header[1]} << 8) | header[2];
    frame.width = (std::uint32_t{header[3]} << 8) | header[4];
    frame.found = true;
}

TiffResult ReadJpegFrameSize(const TiffStream& stream, JpegFrameSize& frame)
{
    JpegMarkerReader reader(stream);
    if (const TiffResult result = reader.ReadStart(); !Succeeded(result))
        return result;
    for (;;) {
        JpegSegment segment;
        if (const TiffResult result = reader.Next(segment); !Succeeded(result))
            return result;
        if (segment.marker == JpegMarkerReader::kStartOfScan
            || segment.marker == JpegMarkerReader::kEndOfImage)
            break;
        reader.ReadFrameSize(segment, frame);
    }
    return frame.found ? TiffResult::kOk : TiffResult::kMalformed;
}
