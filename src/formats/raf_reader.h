#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/tiff_stream.h"

// The RAW library: the container of the maker's ".RAF" files. The browser never develops the
// sensor data; it reaches the picture through the JPEG that the camera embeds in the file, and
// this library finds that JPEG, checks the big-endian header and reads the size records of the
// sensor (CFA) header.
//
// A C-style interface: a process-wide initialised flag, caller-owned handles and 16-bit signed
// result codes. Every offset and length taken from a file is checked against the file's size
// before anything is read or allocated, so a damaged file gives a code, never a read outside
// its data. The flag is atomic; one handle is used by one thread at a time.

enum class [[nodiscard]] RafResult : std::int16_t{
    kOk = 0,
    // Not initialised (or initialised twice), or a read or seek failed, or an offset or length
    // of the file runs beyond its end.
    kFailed = -1,
    kOutOfMemory = -2,
    kBadExtension = -3,    // the name does not end in ".RAF"
    kBadHeader = -7,       // magic, "CCD-RAW " or the format version does not match
    kMissingArgument = -8, // a null pointer, a handle without a file, a buffer too small
    kUnexpectedArgument = -10,
    kNoOpenFile = -12,
};

constexpr bool Succeeded(RafResult result)
{
    return result == RafResult::kOk;
}

// Open options.
inline constexpr std::uint32_t kRafCheckExtension = 0;
inline constexpr std::uint32_t kRafAnyName = 1; // skip the ".RAF" extension check

// The fixed part of the header: the first 108 bytes; files of format version 02.01 and later
// add ten 32-bit words, giving 148 bytes.
inline constexpr std::size_t kRafBaseHeaderSize = 108;
inline constexpr std::size_t kRafHeaderSize = 148;
inline constexpr std::size_t kRafExtendedWordCount = 10;

// The whole header, numbers converted to host order. Text fields are kept as stored (not
// terminated).
struct RafHeader {
    std::array<std::uint8_t, kRafHeaderSize> bytes{}; // as read; zero beyond 108 for older files
    std::array<char, 8> magic{};                      // "KAVORINE"
    std::array<char, 8> format{};                     // "CCD-RAW "
    std::array<char, 2> majorVersion{};               // "02"
    std::array<char, 2> minorVersion{};
    int major = 0;
    int minor = 0;
    std::array<char, 8> cameraId{};
    std::array<char, 32> modelName{}; // zero-padded
    std::array<char, 4> directoryVersion{};
    std::array<std::uint32_t, 5> reserved{}; // kept, not interpreted
    std::uint32_t jpegOffset = 0;            // from the start of the file
    std::uint32_t jpegLength = 0;
    std::uint32_t cfaHeaderOffset = 0;
    std::uint32_t cfaHeaderLength = 0;
    std::uint32_t cfaOffset = 0; // the sensor data
    std::uint32_t cfaLength = 0;
    std::array<std::uint32_t, kRafExtendedWordCount> extended{}; // 0 before version 02.01

    bool HasExtendedWords() const { return major > 2 || (major == 2 && minor >= 1); }
};

// Which extended word the short header record carries: the second one, which in the files we
// know holds the byte count of the uncropped sensor data.
inline constexpr std::size_t kRafRecordExtendedWord = 1;

// The short header record (68 bytes).
struct RafHeaderRecord {
    std::array<char, 32> modelName{};
    std::array<char, 4> directoryVersion{};
    std::array<std::uint32_t, 5> reserved{};
    std::uint32_t jpegLength = 0;
    std::uint32_t cfaLength = 0;
    std::uint32_t extendedWord = 0;
};
static_assert(sizeof(RafHeaderRecord) == 68);

// One record of the CFA header that carries two 16-bit numbers. The size records store the
// height first, then the width.
struct RafCfaPair {
    std::uint16_t tag = 0;
    std::uint16_t present = 0; // 1 when the file has the record
    std::uint16_t first = 0;
    std::uint16_t second = 0;
};

// The CFA header records that the library keeps, in this order.
inline constexpr std::array<std::uint16_t, 6> kRafPairTags = {0x100, 0x110, 0x111, 0x112, 0x120, 0x121};

// The picture information record (512 bytes), filled from the CFA records.
struct RafPictureInfo {
    // The picture size from the size records (see kRafSizeTags); 0 x 0 when the file has
    // none, and then the embedded JPEG is the only source.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t sizeTag = 0;     // the record that gave the size; 0 for none
    std::uint16_t recordCount = 0; // records the CFA header declares (low 16 bits)
    std::array<char, 8> cameraId{};
    std::array<RafCfaPair, kRafPairTags.size()> pairs{}; // in the order of kRafPairTags
    std::array<std::uint8_t, 444> reserved{};
};
static_assert(sizeof(RafPictureInfo) == 512);

// The size records, best first: the cropped (visible) area, then the whole sensor.
inline constexpr std::array<std::uint16_t, 2> kRafSizeTags = {0x111, 0x100};

struct RafFile;

// One open file. Created by the caller, filled by RafOpen, emptied by RafClose (or its
// destructor). Not copyable; used by one thread at a time.
class RafHandle {
public:
    RafHandle();
    ~RafHandle();
    RafHandle(const RafHandle&) = delete;
    RafHandle& operator=(const RafHandle&) = delete;

    bool IsOpen() const { return m_file != nullptr; }

private:
    friend struct RafAccess;
    std::unique_ptr<RafFile> m_file;
};

// Sets the process-wide initialised flag. The optional argument must be absent (null):
// kUnexpectedArgument otherwise; kFailed when already initialised.
RafResult RafInitialize(const void* argument = nullptr);
// Clears the flag; kFailed when not initialised.
RafResult RafFinish();

// Every function below returns kFailed while the library is not initialised.

// Opens a file and checks its header. Unless `options` has kRafAnyName, the name must end in
// an extension of at most four characters (dot included) that reads ".RAF" in upper case
// (kBadExtension). kBadHeader for a wrong magic, "CCD-RAW " or major version, a minor version
// that is not two digits, or a file too short for its header; kFailed when the file cannot be
// opened. Whatever the handle held before is closed first; on failure it stays empty.
RafResult RafOpen(const char* path, std::uint32_t options, RafHandle* handle);
// The same over any stream (a memory buffer, for example); no name, so no extension check.
RafResult RafOpenStream(const TiffStream& stream, RafHandle* handle);
// kNoOpenFile when the handle holds no file.
RafResult RafClose(RafHandle* handle);

// The functions below return kMissingArgument for a null pointer or a handle without a file.
RafResult RafGetHeaderRecord(const RafHandle* handle, RafHeaderRecord* record);
RafResult RafGetFullHeader(const RafHandle* handle, RafHeader* header);

// Copies the embedded JPEG into `buffer`, which must hold at least the JPEG length
// (kMissingArgument otherwise). kFailed when the JPEG runs beyond the file or the read fails.
RafResult RafReadEmbeddedJpeg(const RafHandle* handle, std::uint8_t* buffer, std::size_t size);
// The header record and the embedded JPEG in one call; `jpeg` is resized to the JPEG length
// (only after the location was checked against the file). kOutOfMemory when that fails.
RafResult RafReadHeaderAndJpeg(const RafHandle* handle, RafHeaderRecord* record,
                               std::vector<std::uint8_t>* jpeg);
// A read-only window onto the embedded JPEG inside the file, for reading it piecemeal (its Exif
// block); it keeps the file open while it lives. kFailed when the JPEG runs beyond the file.
RafResult RafEmbeddedJpegStream(const RafHandle* handle, TiffStream* window);

// Parses the CFA header on first use (cached in the handle) and fills the record. kFailed when
// the CFA header, or one of its records, runs beyond the file or the header's length.
RafResult RafGetPictureInfo(RafHandle* handle, RafPictureInfo* info);
