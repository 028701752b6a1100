#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/tiff_types.h"

class TiffSource;

// A seekable byte source (a file, a window onto part of another stream, or a memory buffer)
// with the byte order of the TIFF data it holds. Offsets are relative to the stream's first
// byte; for Exif that is the TIFF header inside the APP1 segment.
//
// Copies share the underlying bytes but keep their own position and byte order, so a directory
// can hold a copy and read its values later without disturbing anyone. Every read is checked
// against the stream's length and never touches a byte outside it. Memory and created file
// streams are writable (the writer's side); windows and opened files are read-only.
//
// Not thread-safe per object; separate copies may be used on separate threads for reading.
class TiffStream {
public:
    // An empty, writable memory stream; it allocates nothing until the first write, and only
    // copies made after that share its bytes.
    TiffStream();

    // A writable memory stream that owns these bytes. Throws std::bad_alloc only when not even
    // its small bookkeeping block can be allocated.
    static TiffStream FromBytes(std::vector<std::uint8_t> bytes);
    // Opens a regular file for reading (kDataMissing when that is not possible).
    static TiffResult OpenFile(const std::string& path, TiffStream& stream);
    // Creates or truncates a file for writing (kDataMissing when that is not possible).
    static TiffResult CreateFile(const std::string& path, TiffStream& stream);

    // A read-only stream over [offset, offset + length) of this one, clamped to this stream's
    // end, with no byte order and position 0.
    TiffStream Window(std::uint64_t offset, std::uint64_t length) const;

    std::uint16_t ByteOrder() const { return m_byteOrder; }
    void SetByteOrder(std::uint16_t byteOrder) { m_byteOrder = byteOrder; }
    std::uint64_t Length() const;
    std::uint64_t Position() const { return m_position; }
    // Where this stream's first byte lies in the underlying file or buffer.
    std::uint64_t BaseOffset() const { return m_base; }
    bool IsWritable() const;

    // Positions at or before the end are allowed (the end itself is where writing appends).
    TiffResult Seek(std::uint64_t offset);

    // Checks the 8-byte header and the first directory's size and sets the byte order from it.
    // Every failure is kMalformed; the byte order is kept once its two bytes were valid.
    TiffResult ReadHeader(std::uint32_t& firstDirectoryOffset);
    // Writes byte-order word, 42 and the first-directory offset at offset 0 and takes that
    // byte order; kByteOrderNone stands for "II".
    TiffResult WriteHeader(std::uint16_t byteOrder = kByteOrderNone, std::uint32_t firstDirectoryOffset = 8);

    // Reads at the position and advances; kEndOfFile when the data ends first (nothing read).
    TiffResult Read16(std::uint16_t& value);
    TiffResult Read32(std::uint32_t& value);
    TiffResult ReadBytes(std::span<std::uint8_t> bytes);
    // Reads at an offset without moving the position.
    TiffResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const;

    // Writes at the position (growing the stream) and advances.
    TiffResult Write16(std::uint16_t value);
    TiffResult Write32(std::uint32_t value);
    TiffResult WriteBytes(std::span<const std::uint8_t> bytes);

    // Appends `size` zero bytes for a value and returns where they start. The value always
    // starts at an even offset: an odd end gets one padding byte first. The position ends up
    // after the reserved space.
    TiffResult ReserveSpace(std::uint32_t size, std::uint32_t& offset);

    // Converts elements of `type` between this stream's byte order and the machine's, in place
    // (the swap is its own inverse). SHORT and SSHORT swap as 16-bit units; LONG, SLONG and both
    // rational types as 32-bit units; the other types are raw bytes.
    void SwapValues(std::uint16_t type, std::span<std::uint8_t> bytes) const;
    bool NeedsSwap() const;

    // All bytes of the stream.
    TiffResult ReadAll(std::vector<std::uint8_t>& bytes) const;

private:
    TiffStream(std::shared_ptr<TiffSource> source, std::uint64_t base, bool isWindow,
               std::uint64_t windowLength);

    std::uint16_t Decode16(const std::uint8_t* bytes) const;
    std::uint32_t Decode32(const std::uint8_t* bytes) const;
    void Encode16(std::uint16_t value, std::uint8_t* bytes) const;
    void Encode32(std::uint32_t value, std::uint8_t* bytes) const;
    TiffResult WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

    std::shared_ptr<TiffSource> m_source;
    std::uint64_t m_base = 0;
    bool m_isWindow = false;
    std::uint64_t m_windowLength = 0;
    std::uint64_t m_position = 0;
    std::uint16_t m_byteOrder = kByteOrderNone;
};
