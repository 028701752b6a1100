#include "formats/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "framework/file_bytes.h"
#include "framework/file_descriptor.h"
#include "library/dib_image.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kPlainInfoHeaderSize = 40;
constexpr size_t kMaskBytes = 12; // red, green, blue after a 40-byte header

// Info header sizes we read: the OS/2 core header, the Windows info header, the two
// intermediate sizes that add the colour masks (and alpha), and the V4 and V5 headers. The
// OS/2 2.x header (16 to 64 bytes) gives other meanings to the compression values.
constexpr std::array<uint32_t, 6> kHeaderSizes = {12, 40, 52, 56, 108, 124};

struct Encoding {
    uint32_t compression;
    uint32_t bitsPerPixel;
};

// The depth and compression pairs the reader decodes.
constexpr std::array<Encoding, 10> kEncodings = {{
    {kBmpRgb, 1},
    {kBmpRgb, 4},
    {kBmpRgb, 8},
    {kBmpRgb, 16},
    {kBmpRgb, 24},
    {kBmpRgb, 32},
    {kBmpRle8, 8},
    {kBmpRle4, 4},
    {kBmpBitFields, 16},
    {kBmpBitFields, 32},
}};

// The OS/2 core header knows neither compression nor 16 and 32 bits.
constexpr std::array<uint32_t, 4> kCoreDepths = {1, 4, 8, 24};

// Masks that apply when a file gives none: 5-5-5 at 16 bits, 8-8-8 at 32 bits (the top bits
// unused).
constexpr std::array<uint32_t, 3> kDefaultMasks16 = {0x7C00, 0x03E0, 0x001F};
constexpr std::array<uint32_t, 3> kDefaultMasks32 = {0x00FF0000, 0x0000FF00, 0x000000FF};

uint16_t Get16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Get32(const uint8_t* at)
{
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

template <typename Table, typename Value> bool Contains(const Table& table, const Value& value)
{
    return std::find(table.begin(), table.end(), value) != table.end();
}

bool IsSupported(uint32_t headerSize, uint32_t compression, uint32_t bitsPerPixel)
{
    if (headerSize == kCoreHeaderSize)
        return Contains(kCoreDepths, bitsPerPixel);
    return std::any_of(kEncodings.begin(), kEncodings.end(), [&](const Encoding& row) {
        return row.compression == compression && row.bitsPerPixel == bitsPerPixel;
    });
}

// A usable mask is one run of set bits inside the pixel (or no bits: the channel is black).
bool IsValidMask(uint32_t mask, uint32_t bitsPerPixel)
{
    if (mask == 0)
        return true;
    if (bitsPerPixel < 32 && (mask >> bitsPerPixel) != 0)
        return false;
    const uint64_t run = uint64_t{mask} >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

// One colour channel of a 16- or 32-bit pixel, scaled from its mask's width to 8 bits with
// rounding, so that a full channel gives 255 whatever its width.
class ChannelScale {
public:
    explicit ChannelScale(uint32_t mask)
        : m_mask(mask)
    {
        if (mask == 0)
            return;
        m_shift = static_cast<uint32_t>(std::countr_zero(mask));
        m_max = (uint64_t{1} << std::popcount(mask)) - 1;
        // Narrow channels (all of them at 16 bits) go through a table instead of a division.
        if (m_max <= 0xFFFF) {
            m_table.resize(m_max + 1);
            for (uint64_t value = 0; value <= m_max; ++value)
                m_table[value] = Scale(value);
        }
    }

    uint8_t operator()(uint32_t pixel) const
    {
        if (m_mask == 0)
            return 0;
        const uint64_t value = (pixel & m_mask) >> m_shift;
        return m_table.empty() ? Scale(value) : m_table[value];
    }

private:
    uint8_t Scale(uint64_t value) const { return static_cast<uint8_t>((value * 255 + m_max / 2) / m_max); }

    uint32_t m_mask = 0;
    uint32_t m_shift = 0;
    uint64_t m_max = 0;
    std::vector<uint8_t> m_table;
};

// Blue, green, red of every palette index; black for indexes the file's palette lacks.
using PaletteTable = std::array<std::array<uint8_t, 3>, 256>;

PaletteTable ReadPalette(const uint8_t* data, const BmpInfo& info)
{
    PaletteTable table{};
    for (uint32_t i = 0; i < info.paletteEntries; ++i) {
        const uint8_t* entry = data + info.paletteOffset + size_t{i} * info.paletteEntrySize;
        table[i] = {entry[0], entry[1], entry[2]};
    }
    return table;
}

struct PixelFormat {
    uint32_t bitsPerPixel = 0;
    PaletteTable palette{};
    std::array<ChannelScale, 3> channels{ChannelScale(0), ChannelScale(0), ChannelScale(0)};
};

void PutColour(uint8_t* out, const std::array<uint8_t, 3>& colour)
{
    out[0] = colour[0];
    out[1] = colour[1];
    out[2] = colour[2];
}

// Converts the first `count` pixels of one stored row into blue-green-red.
void ConvertRow(const uint8_t* in, uint32_t count, const PixelFormat& format, uint8_t* out)
{
    switch (format.bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        const uint32_t depth = format.bitsPerPixel;
        const uint32_t perByte = 8 / depth;
        const uint32_t mask = (1u << depth) - 1;
        for (uint32_t x = 0; x < count; ++x) {
            // The leftmost pixel sits in the highest bits of its byte.
            const uint32_t shift = 8 - depth * (x % perByte + 1);
            PutColour(out + size_t{x} * 3, format.palette[(in[x / perByte] >> shift) & mask]);
        }
        break;
    }
    case 16:
    case 32: {
        const size_t bytes = format.bitsPerPixel / 8;
        const auto& [red, green, blue] = format.channels;
        for (uint32_t x = 0; x < count; ++x) {
            const uint8_t* p = in + x * bytes;
            const uint32_t pixel = bytes == 2 ? Get16(p) : Get32(p);
            out[size_t{x} * 3] = blue(pixel);
            out[size_t{x} * 3 + 1] = green(pixel);
            out[size_t{x} * 3 + 2] = red(pixel);
        }
        break;
    }
    case 24: std::copy_n(in, size_t{count} * 3, out); break;
    default: break;
    }
}

// Uncompressed rows (and bit fields). False when the pixel data ends before the last pixel.
bool DecodeRows(const uint8_t* data, size_t size, const BmpInfo& info, const PixelFormat& format,
                DibImage& image)
{
    // Stored rows are padded to 4 bytes.
    const uint64_t fileStride = (uint64_t{info.bitsPerPixel} * info.width + 31) / 32 * 4;
    const uint8_t* pixels = data + info.pixelOffset;
    const uint64_t available = size - info.pixelOffset;
    for (uint32_t row = 0; row < info.height; ++row) {
        const uint64_t start = row * fileStride;
        if (start >= available)
            return false;
        const uint64_t bytes = std::min(fileStride, available - start);
        const auto count
            = static_cast<uint32_t>(std::min<uint64_t>(info.width, bytes * 8 / info.bitsPerPixel));
        ConvertRow(pixels + start, count, format, image.Row(info.topDown ? row : info.height - 1 - row));
        if (count < info.width)
            return false;
    }
    return true;
}

// Run-length encoded pixels (always stored bottom-up). Runs and deltas that leave the picture
// are cut at its edges; pixels that no run covers stay black. False when the data ends before
// the end-of-bitmap mark or the last row, or when something had to be cut.
bool DecodeRle(const uint8_t* data, size_t size, const BmpInfo& info, const PaletteTable& palette,
               DibImage& image)
{
    const bool fourBits = info.compression == kBmpRle4;
    const uint8_t* p = data + info.pixelOffset;
    const uint8_t* const end = data + size;
    uint64_t x = 0;
    uint64_t y = 0; // from the bottom row
    bool cut = false;
    auto put = [&](uint8_t index) {
        if (x < info.width)
            PutColour(image.Row(info.height - 1 - static_cast<uint32_t>(y)) + x * 3, palette[index]);
        else
            cut = true;
        ++x;
    };
    // Pixel i of a run: one byte each at 8 bits; high nibble first at 4 bits.
    auto index = [&](uint8_t byte, uint32_t i) -> uint8_t {
        return fourBits ? static_cast<uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
    };
    while (y < info.height) {
        if (end - p < 2)
            return false;
        const uint8_t count = p[0];
        const uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                put(index(value, i));
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return !cut;
        case 2: // delta: right and up
            if (end - p < 2)
                return false;
            x += p[0];
            y += p[1];
            p += 2;
            if (x > info.width || y >= info.height)
                cut = true;
            break;
        default: { // absolute run of `value` pixels, padded to a 16-bit word
            const size_t bytes = fourBits ? (value + 1u) / 2 : value;
            const size_t present = std::min<size_t>(bytes, static_cast<size_t>(end - p));
            for (uint32_t i = 0; i < value; ++i) {
                const size_t at = fourBits ? i / 2 : i;
                if (at >= present)
                    return false;
                put(index(p[at], i));
            }
            p += std::min<size_t>(bytes + (bytes & 1), static_cast<size_t>(end - p));
            break;
        }
        }
    }
    return !cut;
}

// Reads up to `size` bytes from the start of the file; false on a read error.
bool ReadPrefix(int fd, uint8_t* buffer, size_t size, size_t& got)
{
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

BmpStatus ParseBmpHeader(const uint8_t* data, size_t size, uint64_t fileSize, BmpInfo& info)
{
    info = {};
    size = static_cast<size_t>(std::min<uint64_t>(size, fileSize));
    if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return BmpStatus::kMalformed;
    // The file size field of the file header is often wrong and is not used.
    const uint32_t pixelOffset = Get32(data + 10);
    const uint32_t headerSize = Get32(data + 14);
    if (!Contains(kHeaderSizes, headerSize) || size < kFileHeaderSize + headerSize)
        return BmpStatus::kMalformed;

    const uint8_t* header = data + kFileHeaderSize;
    const bool core = headerSize == kCoreHeaderSize;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t compression = kBmpRgb;
    uint32_t coloursUsed = 0;
    if (core) {
        width = Get16(header + 4);
        height = Get16(header + 6);
        planes = Get16(header + 8);
        bitsPerPixel = Get16(header + 10);
    } else {
        width = static_cast<int32_t>(Get32(header + 4));
        height = static_cast<int32_t>(Get32(header + 8));
        planes = Get16(header + 12);
        bitsPerPixel = Get16(header + 14);
        compression = Get32(header + 16);
        coloursUsed = Get32(header + 32);
    }
    // The height's sign gives the row order; INT32_MIN has no positive counterpart.
    if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN
        || !IsSupported(headerSize, compression, bitsPerPixel))
        return BmpStatus::kMalformed;
    const bool topDown = height < 0;
    const uint64_t rows = static_cast<uint64_t>(topDown ? -height : height);
    // Run-length data is defined only bottom-up.
    if (topDown && (compression == kBmpRle8 || compression == kBmpRle4))
        return BmpStatus::kMalformed;
    // Refused before anything is allocated for it.
    if (static_cast<uint64_t>(width) * rows > kMaxPicturePixels)
        return BmpStatus::kMalformed;

    size_t tableOffset = kFileHeaderSize + headerSize;
    std::array<uint32_t, 3> masks{};
    if (compression == kBmpBitFields) {
        const uint8_t* at = header + kPlainInfoHeaderSize;
        if (headerSize == kPlainInfoHeaderSize) {
            // The masks follow a 40-byte header; later headers hold them inside.
            if (size < tableOffset + kMaskBytes)
                return BmpStatus::kMalformed;
            tableOffset += kMaskBytes;
        }
        masks = {Get32(at), Get32(at + 4), Get32(at + 8)};
        for (uint32_t mask : masks) {
            if (!IsValidMask(mask, bitsPerPixel))
                return BmpStatus::kMalformed;
        }
    }
    if (bitsPerPixel == 16 && masks == std::array<uint32_t, 3>{})
        masks = kDefaultMasks16;
    else if (bitsPerPixel == 32 && masks == std::array<uint32_t, 3>{})
        masks = kDefaultMasks32;

    uint32_t declaredEntries = 0;
    if (bitsPerPixel <= 8) {
        const uint32_t maxEntries = 1u << bitsPerPixel;
        if (coloursUsed > maxEntries)
            return BmpStatus::kMalformed;
        declaredEntries = coloursUsed ? coloursUsed : maxEntries;
    }
    // The pixel data begins after the headers and before the end of the file; a file that
    // ends before its first pixel holds no picture at all.
    if (pixelOffset < tableOffset || pixelOffset >= fileSize)
        return BmpStatus::kMalformed;

    info.width = static_cast<uint32_t>(width);
    info.height = static_cast<uint32_t>(rows);
    info.topDown = topDown;
    info.headerSize = headerSize;
    info.bitsPerPixel = bitsPerPixel;
    info.compression = compression;
    info.pixelOffset = pixelOffset;
    info.paletteOffset = static_cast<uint32_t>(tableOffset);
    info.paletteEntrySize = core ? 3 : 4;
    // A palette that runs into the pixel data is cut there; the missing colours are black.
    info.paletteEntries = std::min<uint32_t>(
        declaredEntries, static_cast<uint32_t>(pixelOffset - tableOffset) / info.paletteEntrySize);
    info.masks = masks;
    return BmpStatus::kComplete;
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, DibImage& image)
{
    image.Release();
    BmpInfo info;
    if (const BmpStatus status = ParseBmpHeader(data, size, size, info); status != BmpStatus::kComplete)
        return status;
    // The header checks bound the size, so a failure here is a shortage of memory.
    if (!image.Create(info.width, info.height, 24))
        return BmpStatus::kOutOfMemory;

    PixelFormat format;
    format.bitsPerPixel = info.bitsPerPixel;
    if (info.bitsPerPixel <= 8)
        format.palette = ReadPalette(data, info);
    else if (info.bitsPerPixel != 24)
        format.channels
            = {ChannelScale(info.masks[0]), ChannelScale(info.masks[1]), ChannelScale(info.masks[2])};

    const bool complete = info.compression == kBmpRle8 || info.compression == kBmpRle4
        ? DecodeRle(data, size, info, format.palette, image)
        : DecodeRows(data, size, info, format, image);
    return complete ? BmpStatus::kComplete : BmpStatus::kPartial;
}

BmpStatus ReadBmpFile(const std::string& path, DibImage& image)
{
    image.Release();
    std::string bytes;
    if (!ReadFileBytes(path, bytes))
        return BmpStatus::kUnreadable;
    return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
}

BmpStatus ReadBmpFileInfo(const std::string& path, BmpInfo& info)
{
    info = {};
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return BmpStatus::kUnreadable;
    std::array<uint8_t, kBmpMaxHeaderBytes> prefix{};
    size_t got = 0;
    if (!ReadPrefix(file.Get(), prefix.data(), prefix.size(), got))
        return BmpStatus::kUnreadable;
    return ParseBmpHeader(prefix.data(), got, static_cast<uint64_t>(status.st_size), info);
}
