#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The bitmap of the whole program: a 40-byte bitmap-info header (plus a palette for 1, 4 and 8
// bits per pixel) and top-down rows padded to 4 bytes; at 24 bits a pixel is blue, green, red.
// Both blocks are malloc'd so that they can be handed to the clipboard and to plug-ins, which
// free them with free(). Owned by whoever created it; not thread-safe.
class DibImage {
public:
    DibImage() = default;
    ~DibImage() = default;
    DibImage(const DibImage& other);
    DibImage& operator=(const DibImage& other);
    DibImage(DibImage&&) noexcept = default;
    DibImage& operator=(DibImage&&) noexcept = default;

    // Releases both blocks, then creates an image of that size and depth (1, 4, 8 or 24) with
    // zeroed pixels and, below 24 bits, a zeroed palette. False for a zero size, another depth,
    // a size whose pixel block would not fit in 32 bits, or when memory runs out; the image is
    // then empty.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
    void Release();

    // Copies a packed bitmap (a 40-byte header, the palette for depths up to 8, then the rows;
    // bottom-up when the height is positive). False when the block is malformed or too short.
    bool CopyFromPackedDib(const uint8_t* packed, size_t size);

    bool IsEmpty() const { return !m_pixels; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t BitsPerPixel() const { return m_bitsPerPixel; }
    uint32_t PaletteEntries() const { return m_paletteEntries; }
    uint32_t Stride() const { return m_stride; }
    uint32_t HeaderSize() const { return m_headerSize; }

    // The header block (bitmap-info header and palette) and the pixel block.
    uint8_t* Header() { return m_header.get(); }
    const uint8_t* Header() const { return m_header.get(); }
    uint8_t* Palette() { return m_paletteEntries ? m_header.get() + kInfoHeaderSize : nullptr; }
    uint8_t* Pixels() { return m_pixels.get(); }
    const uint8_t* Pixels() const { return m_pixels.get(); }
    uint8_t* Row(uint32_t y) { return m_pixels.get() + size_t{y} * m_stride; }
    const uint8_t* Row(uint32_t y) const { return m_pixels.get() + size_t{y} * m_stride; }
    size_t PixelBytes() const { return size_t{m_stride} * m_height; }

    // 24 bits only, inside the image: 0x00RRGGBB; otherwise 0 (read) or false (write).
    uint32_t Pixel(uint32_t x, uint32_t y) const;
    bool SetPixel(uint32_t x, uint32_t y, uint32_t value);

    // Gives up ownership of the blocks (for the clipboard and plug-ins); the image is empty after.
    uint8_t* ReleaseHeader();
    uint8_t* ReleasePixels();

    static constexpr uint32_t kInfoHeaderSize = 40;
    // Rows padded to 4 bytes.
    static constexpr uint32_t StrideFor(uint32_t width, uint32_t bitsPerPixel)
    {
        return static_cast<uint32_t>(((uint64_t{bitsPerPixel} * width + 31) >> 3) & ~uint64_t{3});
    }

private:
    struct FreeDeleter {
        void operator()(uint8_t* block) const;
    };
    using Block = std::unique_ptr<uint8_t, FreeDeleter>;

    uint32_t m_headerSize = 0;
    Block m_header;
    uint32_t m_reserved = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_bitsPerPixel = 0;
    uint32_t m_paletteEntries = 0;
    uint32_t m_stride = 0;
    Block m_pixels;
};

// The largest picture the program decodes: beyond it an allocation would exhaust memory
// rather than show anything useful. 200 megapixels covers every camera and scanner we know.
inline constexpr uint64_t kMaxPicturePixels = 200'000'000;
