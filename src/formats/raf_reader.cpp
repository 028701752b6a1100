#include "formats/raf_reader.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <new>
#include <span>
#include <string_view>

// What a handle holds for one open file.
struct RafFile {
    TiffStream stream;
    RafHeader header;
    // The CFA header is parsed on the first request for the picture information.
    bool recordsRead = false;
    std::uint16_t recordCount = 0;
    std::array<RafCfaPair, kRafPairTags.size()> pairs{};
};

// The library's way into a handle; callers only create and pass handles.
struct RafAccess {
    static RafFile* File(const RafHandle* handle) { return handle ? handle->m_file.get() : nullptr; }
    static std::unique_ptr<RafFile>& Slot(RafHandle& handle) { return handle.m_file; }
};

RafHandle::RafHandle() = default;
RafHandle::~RafHandle() = default;

namespace {

std::atomic<bool> g_initialised{false};

constexpr std::string_view kMagic = "KAVORINE";
constexpr std::string_view kFormat = "CCD-RAW ";
constexpr std::string_view kMajorVersion = "02";
constexpr std::string_view kExtension = ".RAF";

// Header field offsets.
constexpr std::size_t kMagicAt = 0;
constexpr std::size_t kFormatAt = 8;
constexpr std::size_t kMajorAt = 16;
constexpr std::size_t kMinorAt = 18;
constexpr std::size_t kCameraIdAt = 20;
constexpr std::size_t kModelNameAt = 28;
constexpr std::size_t kDirectoryVersionAt = 60;
constexpr std::size_t kReservedAt = 64;
constexpr std::size_t kJpegOffsetAt = 84;
constexpr std::size_t kJpegLengthAt = 88;
constexpr std::size_t kCfaHeaderOffsetAt = 92;
constexpr std::size_t kCfaHeaderLengthAt = 96;
constexpr std::size_t kCfaOffsetAt = 100;
constexpr std::size_t kCfaLengthAt = 104;
constexpr std::size_t kExtendedAt = kRafBaseHeaderSize;

// A CFA header starts with a 32-bit record count; each record with a 16-bit tag and a 16-bit
// data size.
constexpr std::uint64_t kRecordCountSize = 4;
constexpr std::uint64_t kRecordHeadSize = 4;
constexpr std::uint16_t kPairSize = 4;

// Where a record's numbers go in the pair table; kRafPairTags.size() for tags not kept.
constexpr std::size_t PairIndex(std::uint16_t tag)
{
    std::size_t index = 0;
    while (index < kRafPairTags.size() && kRafPairTags[index] != tag)
        ++index;
    return index;
}

constexpr bool SizeRecordsAreKept()
{
    for (std::uint16_t tag : kRafSizeTags) {
        if (PairIndex(tag) == kRafPairTags.size())
            return false;
    }
    return true;
}
static_assert(SizeRecordsAreKept(), "the picture size is read from kept pairs");

bool Initialised()
{
    return g_initialised.load(std::memory_order_acquire);
}

std::uint16_t BigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

std::uint32_t BigEndian32(const std::uint8_t* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8)
        | std::uint32_t{bytes[3]};
}

template <std::size_t N> std::array<char, N> TextAt(const std::uint8_t* bytes)
{
    std::array<char, N> text{};
    std::copy_n(bytes, N, text.begin());
    return text;
}

template <std::size_t N> bool Equals(const std::array<char, N>& text, std::string_view expected)
{
    return std::string_view(text.data(), N) == expected;
}

bool ParseTwoDigits(const std::array<char, 2>& text, int& value)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(text[0]) || !digit(text[1]))
        return false;
    value = (text[0] - '0') * 10 + (text[1] - '0');
    return true;
}

// Whether [offset, offset + length) lies inside data of `size` bytes; no sum can overflow.
bool LiesInside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

// The extension after the last dot of the last path component, compared in upper case. It
// can only equal ".RAF" when it is at most four characters long, as the check requires.
bool HasRafExtension(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot);
    return std::equal(
        extension.begin(), extension.end(), kExtension.begin(), kExtension.end(),
        [](char c, char expected) { return std::toupper(static_cast<unsigned char>(c)) == expected; });
}

RafResult ParseHeader(const TiffStream& stream, RafHeader& header)
{
    RafHeader parsed;
    const std::span<std::uint8_t> bytes(parsed.bytes);
    if (!Succeeded(stream.ReadAt(0, bytes.first(kRafBaseHeaderSize))))
        return RafResult::kBadHeader;
    const std::uint8_t* b = parsed.bytes.data();
    parsed.magic = TextAt<8>(b + kMagicAt);
    parsed.format = TextAt<8>(b + kFormatAt);
    parsed.majorVersion = TextAt<2>(b + kMajorAt);
    parsed.minorVersion = TextAt<2>(b + kMinorAt);
    if (!Equals(parsed.magic, kMagic) || !Equals(parsed.format, kFormat)
        || !Equals(parsed.majorVersion, kMajorVersion) || !ParseTwoDigits(parsed.majorVersion, parsed.major)
        || !ParseTwoDigits(parsed.minorVersion, parsed.minor))
        return RafResult::kBadHeader;

    if (parsed.HasExtendedWords()) {
        if (!Succeeded(stream.ReadAt(kExtendedAt, bytes.subspan(kExtendedAt))))
            return RafResult::kBadHeader;
        for (std::size_t i = 0; i < parsed.extended.size(); ++i)
            parsed.extended[i] = BigEndian32(b + kExtendedAt + 4 * i);
    }

    parsed.cameraId = TextAt<8>(b + kCameraIdAt);
    parsed.modelName = TextAt<32>(b + kModelNameAt);
    parsed.directoryVersion = TextAt<4>(b + kDirectoryVersionAt);
    for (std::size_t i = 0; i < parsed.reserved.size(); ++i)
        parsed.reserved[i] = BigEndian32(b + kReservedAt + 4 * i);
    parsed.jpegOffset = BigEndian32(b + kJpegOffsetAt);
    parsed.jpegLength = BigEndian32(b + kJpegLengthAt);
    parsed.cfaHeaderOffset = BigEndian32(b + kCfaHeaderOffsetAt);
    parsed.cfaHeaderLength = BigEndian32(b + kCfaHeaderLengthAt);
    parsed.cfaOffset = BigEndian32(b + kCfaOffsetAt);
    parsed.cfaLength = BigEndian32(b + kCfaLengthAt);
    header = parsed;
    return RafResult::kOk;
}

RafResult Attach(const TiffStream& stream, RafHandle& handle)
{
    try {
        auto file = std::make_unique<RafFile>();
        file->stream = stream;
        if (const RafResult result = ParseHeader(file->stream, file->header); !Succeeded(result))
            return result;
        RafAccess::Slot(handle) = std::move(file);
    } catch (const std::bad_alloc&) {
        return RafResult::kOutOfMemory;
    }
    return RafResult::kOk;
}

// Reads the pair records of the CFA header. Every record must lie inside the header's declared
// length, which must lie inside the file.
RafResult ReadCfaRecords(RafFile& file)
{
    if (file.recordsRead)
        return RafResult::kOk;
    const RafHeader& header = file.header;
    std::array<RafCfaPair, kRafPairTags.size()> pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i)
        pairs[i].tag = kRafPairTags[i];
    std::uint16_t count = 0;

    // A file without a CFA header simply has no records.
    if (header.cfaHeaderLength != 0) {
        const std::uint64_t offset = header.cfaHeaderOffset;
        const std::uint64_t length = header.cfaHeaderLength;
        if (!LiesInside(offset, length, file.stream.Length()) || length < kRecordCountSize)
            return RafResult::kFailed;
        std::array<std::uint8_t, 4> word{};
        if (!Succeeded(file.stream.ReadAt(offset, word)))
            return RafResult::kFailed;
        // Only the low 16 bits of the count are meaningful.
        count = static_cast<std::uint16_t>(BigEndian32(word.data()));

        std::uint64_t at = kRecordCountSize;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!LiesInside(at, kRecordHeadSize, length) || !Succeeded(file.stream.ReadAt(offset + at, word)))
                return RafResult::kFailed;
            const std::uint16_t tag = BigEndian16(word.data());
            const std::uint16_t size = BigEndian16(word.data() + 2);
            at += kRecordHeadSize;
            if (!LiesInside(at, size, length))
                return RafResult::kFailed;
            const std::size_t index = PairIndex(tag);
            RafCfaPair* pair = index < pairs.size() ? &pairs[index] : nullptr;
            // The first record of a tag counts; one too short to hold two numbers is skipped.
            if (pair && !pair->present && size >= kPairSize) {
                if (!Succeeded(file.stream.ReadAt(offset + at, word)))
                    return RafResult::kFailed;
                pair->present = 1;
                pair->first = BigEndian16(word.data());
                pair->second = BigEndian16(word.data() + 2);
            }
            at += size;
        }
    }
    file.pairs = pairs;
    file.recordCount = count;
    file.recordsRead = true;
    return RafResult::kOk;
}

RafResult CheckedJpegLocation(const RafFile& file)
{
    return LiesInside(file.header.jpegOffset, file.header.jpegLength, file.stream.Length())
        ? RafResult::kOk
        : RafResult::kFailed;
}

} // namespace

RafResult RafInitialize(const void* argument)
{
    if (argument)
        return RafResult::kUnexpectedArgument;
    bool expected = false;
    return g_initialised.compare_exchange_strong(expected, true, std::memory_order_acq_rel)
        ? RafResult::kOk
        : RafResult::kFailed;
}

RafResult RafFinish()
{
    return g_initialised.exchange(false, std::memory_order_acq_rel) ? RafResult::kOk : RafResult::kFailed;
}

RafResult RafOpen(const char* path, std::uint32_t options, RafHandle* handle)
{
    if (!Initialised())
        return RafResult::kFailed;
    if (!path || !handle)
        return RafResult::kMissingArgument;
    RafAccess::Slot(*handle).reset();
    if ((options & kRafAnyName) == 0 && !HasRafExtension(path))
        return RafResult::kBadExtension;
    TiffStream stream;
    if (const TiffResult opened = TiffStream::OpenFile(path, stream); !Succeeded(opened))
        return opened == TiffResult::kOutOfMemory ? RafResult::kOutOfMemory : RafResult::kFailed;
    return Attach(stream, *handle);
}

RafResult RafOpenStream(const TiffStream& stream, RafHandle* handle)
{
    if (!Initialised())
        return RafResult::kFailed;
    if (!handle)
        return RafResult::kMissingArgument;
    RafAccess::Slot(*handle).reset();
    return Attach(stream, *handle);
}

RafResult RafClose(RafHandle* handle)
{
    if (!Initialised())
        return RafResult::kFailed;
    if (!handle)
        return RafResult::kMissingArgument;
    if (!handle->IsOpen())
        return RafResult::kNoOpenFile;
    RafAccess::Slot(*handle).reset();
    return RafResult::kOk;
}

RafResult RafGetHeaderRecord(const RafHandle* handle, RafHeaderRecord* record)
{
    if (!Initialised())
        return RafResult::kFailed;
    const RafFile* file = RafAccess::File(handle);
    if (!file || !record)
        return RafResult::kMissingArgument;
    const RafHeader& header = file->header;
    RafHeaderRecord out;
    out.modelName = header.modelName;
    out.directoryVersion = header.directoryVersion;
    out.reserved = header.reserved;
    out.jpegLength = header.jpegLength;
    out.cfaLength = header.cfaLength;
    out.extendedWord = header.extended[kRafRecordExtendedWord];
    *record = out;
    return RafResult::kOk;
}

RafResult RafGetFullHeader(const RafHandle* handle, RafHeader* header)
{
    if (!Initialised())
        return RafResult::kFailed;
    const RafFile* file = RafAccess::File(handle);
    if (!file || !header)
        return RafResult::kMissingArgument;
    *header = file->header;
    return RafResult::kOk;
}

RafResult RafReadEmbeddedJpeg(const RafHandle* handle, std::uint8_t* buffer, std::size_t size)
{
    if (!Initialised())
        return RafResult::kFailed;
    const RafFile* file = RafAccess::File(handle);
    if (!file || !buffer || size < file->header.jpegLength)
        return RafResult::kMissingArgument;
    if (const RafResult result = CheckedJpegLocation(*file); !Succeeded(result))
        return result;
    const std::span<std::uint8_t> bytes(buffer, file->header.jpegLength);
    return Succeeded(file->stream.ReadAt(file->header.jpegOffset, bytes)) ? RafResult::kOk
                                                                          : RafResult::kFailed;
}

RafResult RafReadHeaderAndJpeg(const RafHandle* handle, RafHeaderRecord* record,
                               std::vector<std::uint8_t>* jpeg)
{
    if (!Initialised())
        return RafResult::kFailed;
    const RafFile* file = RafAccess::File(handle);
    if (!file || !record || !jpeg)
        return RafResult::kMissingArgument;
    // The length comes from the file: it is checked before it decides an allocation.
    if (const RafResult result = CheckedJpegLocation(*file); !Succeeded(result))
        return result;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(file->header.jpegLength);
    } catch (const std::bad_alloc&) {
        return RafResult::kOutOfMemory;
    }
    if (const RafResult result = RafReadEmbeddedJpeg(handle, bytes.data(), bytes.size()); !Succeeded(result))
        return result;
    if (const RafResult result = RafGetHeaderRecord(handle, record); !Succeeded(result))
        return result;
    *jpeg = std::move(bytes);
    return RafResult::kOk;
}

RafResult RafEmbeddedJpegStream(const RafHandle* handle, TiffStream* window)
{
    if (!Initialised())
        return RafResult::kFailed;
    const RafFile* file = RafAccess::File(handle);
    if (!file || !window)
        return RafResult::kMissingArgument;
    if (const RafResult result = CheckedJpegLocation(*file); !Succeeded(result))
        return result;
    *window = file->stream.Window(file->header.jpegOffset, file->header.jpegLength);
    return RafResult::kOk;
}

RafResult RafGetPictureInfo(RafHandle* handle, RafPictureInfo* info)
{
    if (!Initialised())
        return RafResult::kFailed;
    RafFile* file = RafAccess::File(handle);
    if (!file || !info)
        return RafResult::kMissingArgument;
    if (const RafResult result = ReadCfaRecords(*file); !Succeeded(result))
        return result;

    RafPictureInfo out;
    out.recordCount = file->recordCount;
    out.cameraId = file->header.cameraId;
    out.pairs = file->pairs;
    for (std::uint16_t tag : kRafSizeTags) {
        const RafCfaPair& pair = file->pairs[PairIndex(tag)];
        if (pair.present && pair.first != 0 && pair.second != 0) {
            out.height = pair.first;
            out.width = pair.second;
            out.sizeTag = tag;
            break;
        }
    }
    *info = out;
    return RafResult::kOk;
}
