#include "library/dib_image.h"

#include <cstdlib>
#include <cstring>

namespace {

void Put32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint32_t Get32(const uint8_t* at)
{
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

uint16_t Get16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t PaletteEntriesFor(uint32_t bitsPerPixel)
{
    return bitsPerPixel <= 8 ? 1u << bitsPerPixel : 0;
}

} // namespace

void DibImage::FreeDeleter::operator()(uint8_t* block) const
{
    std::free(block);
}

DibImage::DibImage(const DibImage& other)
{
    *this = other;
}

DibImage& DibImage::operator=(const DibImage& other)
{
    if (this == &other)
        return *this;
    Release();
    if (other.IsEmpty())
        return *this;
    if (Create(other.m_width, other.m_height, other.m_bitsPerPixel)) {
        std::memcpy(m_header.get(), other.m_header.get(), m_headerSize);
        std::memcpy(m_pixels.get(), other.m_pixels.get(), PixelBytes());
    }
    return *this;
}

void DibImage::Release()
{
    m_header.reset();
    m_pixels.reset();
    m_headerSize = m_reserved = m_width = m_height = m_bitsPerPixel = m_paletteEntries = m_stride = 0;
}

bool DibImage::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel)
{
    Release();
    if (width == 0 || height == 0 || height > 0x7FFFFFFF
        || (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24))
        return false;
    const uint32_t stride = StrideFor(width, bitsPerPixel);
    const uint64_t pixelBytes = uint64_t{stride} * height;
    if (pixelBytes > 0xFFFFFFFFu || uint64_t{width} * height > kMaxPicturePixels)
        return false;
    const uint32_t entries = PaletteEntriesFor(bitsPerPixel);
    const uint32_t headerSize = kInfoHeaderSize + 4 * entries;
    Block header(static_cast<uint8_t*>(std::calloc(headerSize, 1)));
    Block pixels(static_cast<uint8_t*>(std::calloc(pixelBytes, 1)));
    if (!header || !pixels)
        return false;
    uint8_t* h = header.get();
    Put32(h, kInfoHeaderSize);
    Put32(h + 4, width);
    Put32(h + 8, static_cast<uint32_t>(-static_cast<int32_t>(height))); // top-down rows
    Put16(h + 12, 1);
    Put16(h + 14, static_cast<uint16_t>(bitsPerPixel));
    Put32(h + 16, 0);
    Put32(h + 20, static_cast<uint32_t>(pixelBytes));
    Put32(h + 32, entries);
    m_header = std::move(header);
    m_pixels = std::move(pixels);
    m_headerSize = headerSize;
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_paletteEntries = entries;
    m_stride = stride;
    return true;
}

bool DibImage::CopyFromPackedDib(const uint8_t* packed, size_t size)
{
    Release();
    if (!packed || size < kInfoHeaderSize)
        return false;
    const uint32_t infoSize = Get32(packed);
    const int32_t width = static_cast<int32_t>(Get32(packed + 4));
    const int32_t height = static_cast<int32_t>(Get32(packed + 8));
    const uint16_t depth = Get16(packed + 14);
    const uint32_t compression = Get32(packed + 16);
    if (infoSize < kInfoHeaderSize || infoSize > size || width <= 0 || height == 0
        || height == INT32_MIN || compression != 0)
        return false;
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    if (!Create(static_cast<uint32_t>(width), rows, depth))
        return false;
    size_t offset = infoSize;
    if (depth <= 8) {
        uint32_t used = Get32(packed + 32);
        if (used == 0 || used > m_paletteEntries)
            used = m_paletteEntries;
        if (size - offset < size_t{used} * 4) {
            Release();
            return false;
        }
        std::memcpy(Palette(), packed + offset, size_t{used} * 4);
        offset += size_t{used} * 4;
    }
    if (size - offset < PixelBytes()) {
        Release();
        return false;
    }
    for (uint32_t y = 0; y < rows; ++y) {
        const uint32_t source = height > 0 ? rows - 1 - y : y;
        std::memcpy(Row(y), packed + offset + size_t{source} * m_stride, m_stride);
    }
    return true;
}

uint32_t DibImage::Pixel(uint32_t x, uint32_t y) const
{
    if (m_bitsPerPixel != 24 || x >= m_width || y >= m_height || !m_pixels)
        return 0;
    const uint8_t* p = Row(y) + size_t{x} * 3;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

bool DibImage::SetPixel(uint32_t x, uint32_t y, uint32_t value)
{
    if (m_bitsPerPixel != 24 || x >= m_width || y >= m_height || !m_pixels)
        return false;
    uint8_t* p = Row(y) + size_t{x} * 3;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    return true;
}

uint8_t* DibImage::ReleaseHeader()
{
    return m_header.release();
}

uint8_t* DibImage::ReleasePixels()
{
    return m_pixels.release();
}
