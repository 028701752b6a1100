#include "formats/tiff_stream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/file_descriptor.h"

// The bytes behind one or more streams.
class TiffSource {
public:
    virtual ~TiffSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool IsWritable() const = 0;
    // Both are called only with ranges the caller has checked (reads) or wants to create
    // (writes); false means an I/O failure.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* bytes, std::size_t count) const = 0;
    virtual bool WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) = 0;
};

namespace {

constexpr std::uint16_t kTiffMagic = 42;
// A directory needs its 16-bit count, the entries and the 32-bit next offset.
constexpr std::uint64_t kDirectoryOverhead = 6;
constexpr std::uint64_t kEntrySize = 12;

constexpr std::uint16_t kMachineByteOrder
    = std::endian::native == std::endian::little ? kByteOrderLittle : kByteOrderBig;

constexpr std::uint16_t Swap16(std::uint16_t value)
{
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

constexpr std::uint32_t Swap32(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

class FileSource final : public TiffSource {
public:
    FileSource(FileDescriptor& fd, std::uint64_t size, bool writable)
        : m_fd(fd.Release())
        , m_size(size)
        , m_writable(writable)
    {
    }

    std::uint64_t Size() const override { return m_size; }
    bool IsWritable() const override { return m_writable; }

    // Directories are read a few bytes at a time; one block read serves many of them, so a
    // picture's metadata costs a handful of system calls instead of hundreds.
    bool ReadAt(std::uint64_t offset, std::uint8_t* bytes, std::size_t count) const override
    {
        if (count < kBlockSize) {
            if (!BlockHolds(offset, count) && !LoadBlock(offset))
                return false;
            if (BlockHolds(offset, count)) {
                std::memcpy(bytes, m_block.data() + (offset - m_blockStart), count);
                return true;
            }
        }
        return ReadDirect(offset, bytes, count);
    }

    bool WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) override
    {
        if (!m_writable)
            return false;
        m_block.clear();
        const std::uint64_t end = offset + count;
        while (count > 0) {
            const ssize_t put = ::pwrite(m_fd.Get(), bytes, count, static_cast<off_t>(offset));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            bytes += put;
            offset += static_cast<std::uint64_t>(put);
            count -= static_cast<std::size_t>(put);
        }
        m_size = std::max(m_size, end);
        return true;
    }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    bool BlockHolds(std::uint64_t offset, std::size_t count) const
    {
        return offset >= m_blockStart && offset - m_blockStart <= m_block.size()
            && count <= m_block.size() - (offset - m_blockStart);
    }

    bool LoadBlock(std::uint64_t offset) const
    {
        const std::uint64_t start = offset & ~std::uint64_t{4095};
        const std::size_t length
            = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, m_size - std::min(start, m_size)));
        try {
            m_block.resize(length);
        } catch (const std::bad_alloc&) {
            m_block.clear();
            return true; // reads go straight to the file
        }
        m_blockStart = start;
        if (!ReadDirect(start, m_block.data(), length)) {
            m_block.clear();
            return false;
        }
        return true;
    }

    bool ReadDirect(std::uint64_t offset, std::uint8_t* bytes, std::size_t count) const
    {
        while (count > 0) {
            const ssize_t got = ::pread(m_fd.Get(), bytes, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            // A file that shrank under us reads as damaged data, not as a crash.
            if (got <= 0)
                return false;
            bytes += got;
            offset += static_cast<std::uint64_t>(got);
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

    FileDescriptor m_fd;
    std::uint64_t m_size;
    bool m_writable;
    // The last block read; cleared by writes.
    mutable std::vector<std::uint8_t> m_block;
    mutable std::uint64_t m_blockStart = 0;
};

class MemorySource final : public TiffSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes)
        : m_bytes(std::move(bytes))
    {
    }

    std::uint64_t Size() const override { return m_bytes.size(); }
    bool IsWritable() const override { return true; }

    bool ReadAt(std::uint64_t offset, std::uint8_t* bytes, std::size_t count) const override
    {
        if (offset > m_bytes.size() || count > m_bytes.size() - offset)
            return false;
        std::memcpy(bytes, m_bytes.data() + offset, count);
        return true;
    }

    bool WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) override
    {
        const std::uint64_t end = offset + count;
        if (end > m_bytes.max_size())
            return false;
        if (end > m_bytes.size())
            m_bytes.resize(end);
        std::memcpy(m_bytes.data() + offset, bytes, count);
        return true;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

TiffResult OpenFileSource(const std::string& path, int flags, bool writable,
                          std::shared_ptr<TiffSource>& source)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return TiffResult::kDataMissing;
    FileDescriptor descriptor(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return TiffResult::kDataMissing;
    try {
        source = std::make_shared<FileSource>(descriptor, static_cast<std::uint64_t>(info.st_size), writable);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    return TiffResult::kOk;
}

} // namespace

// The memory source of an empty stream is made on the first write, so that empty streams (the
// members of every reader) cost no allocation.
TiffStream::TiffStream() = default;

TiffStream::TiffStream(std::shared_ptr<TiffSource> source, std::uint64_t base, bool isWindow,
                       std::uint64_t windowLength)
    : m_source(std::move(source))
    , m_base(base)
    , m_isWindow(isWindow)
    , m_windowLength(windowLength)
{
}

TiffStream TiffStream::FromBytes(std::vector<std::uint8_t> bytes)
{
    return TiffStream(std::make_shared<MemorySource>(std::move(bytes)), 0, false, 0);
}

TiffResult TiffStream::OpenFile(const std::string& path, TiffStream& stream)
{
    std::shared_ptr<TiffSource> source;
    if (const TiffResult result = OpenFileSource(path, O_RDONLY, false, source); !Succeeded(result))
        return result;
    stream = TiffStream(std::move(source), 0, false, 0);
    return TiffResult::kOk;
}

TiffResult TiffStream::CreateFile(const std::string& path, TiffStream& stream)
{
    std::shared_ptr<TiffSource> source;
    const TiffResult result = OpenFileSource(path, O_RDWR | O_CREAT | O_TRUNC, true, source);
    if (!Succeeded(result))
        return result;
    stream = TiffStream(std::move(source), 0, false, 0);
    return TiffResult::kOk;
}

TiffStream TiffStream::Window(std::uint64_t offset, std::uint64_t length) const
{
    const std::uint64_t available = Length();
    const std::uint64_t start = std::min(offset, available);
    return TiffStream(m_source, m_base + start, true, std::min(length, available - start));
}

std::uint64_t TiffStream::Length() const
{
    const std::uint64_t size = m_source ? m_source->Size() : 0;
    const std::uint64_t rest = size > m_base ? size - m_base : 0;
    return m_isWindow ? std::min(rest, m_windowLength) : rest;
}

bool TiffStream::IsWritable() const
{
    return !m_isWindow && (!m_source || m_source->IsWritable());
}

TiffResult TiffStream::Seek(std::uint64_t offset)
{
    if (offset > Length())
        return TiffResult::kEndOfFile;
    m_position = offset;
    return TiffResult::kOk;
}

bool TiffStream::NeedsSwap() const
{
    return m_byteOrder != kByteOrderNone && m_byteOrder != kMachineByteOrder;
}

std::uint16_t TiffStream::Decode16(const std::uint8_t* bytes) const
{
    std::uint16_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return NeedsSwap() ? Swap16(value) : value;
}

std::uint32_t TiffStream::Decode32(const std::uint8_t* bytes) const
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return NeedsSwap() ? Swap32(value) : value;
}

void TiffStream::Encode16(std::uint16_t value, std::uint8_t* bytes) const
{
    if (NeedsSwap())
        value = Swap16(value);
    std::memcpy(bytes, &value, sizeof value);
}

void TiffStream::Encode32(std::uint32_t value, std::uint8_t* bytes) const
{
    if (NeedsSwap())
        value = Swap32(value);
    std::memcpy(bytes, &value, sizeof value);
}

void TiffStream::SwapValues(std::uint16_t type, std::span<std::uint8_t> bytes) const
{
    if (!NeedsSwap())
        return;
    std::size_t unit = 0;
    switch (type) {
    case kTiffShort:
    case kTiffSShort: unit = 2; break;
    case kTiffLong:
    case kTiffSLong:
    case kTiffRational:
    case kTiffSRational: unit = 4; break;
    default: return;
    }
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit)
        std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                     bytes.begin() + static_cast<std::ptrdiff_t>(i + unit));
}

TiffResult TiffStream::ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) const
{
    const std::uint64_t length = Length();
    if (offset > length || bytes.size() > length - offset)
        return TiffResult::kEndOfFile;
    if (bytes.empty())
        return TiffResult::kOk;
    return m_source->ReadAt(m_base + offset, bytes.data(), bytes.size()) ? TiffResult::kOk
                                                                         : TiffResult::kEndOfFile;
}

TiffResult TiffStream::ReadBytes(std::span<std::uint8_t> bytes)
{
    const TiffResult result = ReadAt(m_position, bytes);
    if (Succeeded(result))
        m_position += bytes.size();
    return result;
}

TiffResult TiffStream::Read16(std::uint16_t& value)
{
    std::array<std::uint8_t, 2> bytes{};
    const TiffResult result = ReadBytes(bytes);
    if (Succeeded(result))
        value = Decode16(bytes.data());
    return result;
}

TiffResult TiffStream::Read32(std::uint32_t& value)
{
    std::array<std::uint8_t, 4> bytes{};
    const TiffResult result = ReadBytes(bytes);
    if (Succeeded(result))
        value = Decode32(bytes.data());
    return result;
}

TiffResult TiffStream::ReadAll(std::vector<std::uint8_t>& bytes) const
{
    const std::uint64_t length = Length();
    if (length > bytes.max_size())
        return TiffResult::kOutOfMemory;
    try {
        bytes.assign(length, 0);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    return ReadAt(0, bytes);
}

TiffResult TiffStream::ReadHeader(std::uint32_t& firstDirectoryOffset)
{
    const std::uint64_t length = Length();
    if (length < 8)
        return TiffResult::kMalformed;

    std::array<std::uint8_t, 2> order{};
    if (!Succeeded(ReadAt(0, order)) || order[0] != order[1] || (order[0] != 'I' && order[0] != 'M'))
        return TiffResult::kMalformed;
    m_byteOrder = order[0] == 'I' ? kByteOrderLittle : kByteOrderBig;

    std::uint16_t magic = 0;
    std::uint32_t offset = 0;
    m_position = 2;
    if (!Succeeded(Read16(magic)) || magic != kTiffMagic || !Succeeded(Read32(offset)))
        return TiffResult::kMalformed;
    if (offset < 8 || offset > length - 2)
        return TiffResult::kMalformed;

    std::uint16_t count = 0;
    m_position = offset;
    if (!Succeeded(Read16(count)) || length < offset + kEntrySize * count + kDirectoryOverhead)
        return TiffResult::kMalformed;

    m_position = offset;
    firstDirectoryOffset = offset;
    return TiffResult::kOk;
}

TiffResult TiffStream::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (!IsWritable())
        return TiffResult::kBadArgument;
    if (bytes.empty())
        return TiffResult::kOk;
    try {
        if (!m_source)
            m_source = std::make_shared<MemorySource>(std::vector<std::uint8_t>{});
        return m_source->WriteAt(m_base + offset, bytes.data(), bytes.size()) ? TiffResult::kOk
                                                                              : TiffResult::kEndOfFile;
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
}

TiffResult TiffStream::WriteBytes(std::span<const std::uint8_t> bytes)
{
    const TiffResult result = WriteAt(m_position, bytes);
    if (Succeeded(result))
        m_position += bytes.size();
    return result;
}

TiffResult TiffStream::Write16(std::uint16_t value)
{
    std::array<std::uint8_t, 2> bytes{};
    Encode16(value, bytes.data());
    return WriteBytes(bytes);
}

TiffResult TiffStream::Write32(std::uint32_t value)
{
    std::array<std::uint8_t, 4> bytes{};
    Encode32(value, bytes.data());
    return WriteBytes(bytes);
}

TiffResult TiffStream::WriteHeader(std::uint16_t byteOrder, std::uint32_t firstDirectoryOffset)
{
    if (byteOrder != kByteOrderLittle && byteOrder != kByteOrderBig)
        byteOrder = kByteOrderLittle;
    if (!IsWritable())
        return TiffResult::kBadArgument;
    m_byteOrder = byteOrder;
    m_position = 0;
    const std::array<std::uint8_t, 2> order
        = {static_cast<std::uint8_t>(byteOrder & 0xFF), static_cast<std::uint8_t>(byteOrder >> 8)};
    if (const TiffResult result = WriteBytes(order); !Succeeded(result))
        return result;
    if (const TiffResult result = Write16(kTiffMagic); !Succeeded(result))
        return result;
    return Write32(firstDirectoryOffset);
}

TiffResult TiffStream::ReserveSpace(std::uint32_t size, std::uint32_t& offset)
{
    // Zeros go out through a small stack buffer, or for larger values through a heap buffer
    // that is halved while memory is short; offsets in TIFF data are 32-bit.
    constexpr std::size_t kStackBufferSize = 256;
    constexpr std::size_t kHeapBufferSize = 16384;
    constexpr std::size_t kSmallestHeapBuffer = 514;

    if (!IsWritable())
        return TiffResult::kBadArgument;
    std::uint64_t end = Length();
    const std::uint64_t padding = end & 1;
    if (end + padding + size > std::numeric_limits<std::uint32_t>::max())
        return TiffResult::kBadArgument;

    std::array<std::uint8_t, kStackBufferSize> stackBuffer{};
    if (padding != 0) {
        if (const TiffResult result = WriteAt(end, std::span(stackBuffer.data(), 1)); !Succeeded(result))
            return result;
        ++end;
    }

    std::unique_ptr<std::uint8_t[]> heapBuffer;
    std::span<const std::uint8_t> zeros(stackBuffer);
    if (size > kStackBufferSize) {
        for (std::size_t bytes = kHeapBufferSize; bytes >= kSmallestHeapBuffer; bytes /= 2) {
            heapBuffer.reset(new (std::nothrow) std::uint8_t[bytes]());
            if (heapBuffer) {
                zeros = std::span<const std::uint8_t>(heapBuffer.get(), bytes);
                break;
            }
        }
    }

    std::uint64_t written = 0;
    while (written < size) {
        const std::size_t chunk
            = static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), size - written));
        if (const TiffResult result = WriteAt(end + written, zeros.first(chunk)); !Succeeded(result))
            return result;
        written += chunk;
    }
    offset = static_cast<std::uint32_t>(end);
    m_position = end + size;
    return TiffResult::kOk;
}
