#pragma once

#include <cstddef>
#include <cstdint>

class DibImage;

// Result codes of the pixel buffer operations (observable by plug-ins through the codec).
inline constexpr int kPixelBufferOk = 0;
inline constexpr int kPixelBufferBadSize = 1000;     // width or height below 1
inline constexpr int kPixelBufferBadState = 1001;    // already holds data, or an unknown layout
inline constexpr int kPixelBufferOutOfMemory = 1002; // includes pictures above kMaxPicturePixels

// The working buffer of the resamplers and of the own JPEG decoder: top-down rows of 3 or 4
// bytes per pixel. Layouts: 0 = 3 bytes per pixel, rows unpadded (stride 3 x width); 1 = 3 bytes,
// rows padded to 4 bytes (the rows of a 24-bit DibImage); 2 = 4 bytes, rows padded to 8 bytes.
// The decoder fills it in red-green-blue order. A buffer either owns its block (malloc'd) or
// borrows one (borrowed = true), for instance the pixel block of a DibImage; a borrowed block is
// never freed here and must outlive the buffer. Move-only; not thread-safe.
class PixelBuffer {
public:
    PixelBuffer() = default;
    ~PixelBuffer() { Release(); }
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;

    // Allocates an owned block of that size and layout (contents undefined). 1001 when the
    // buffer already holds data or the layout is unknown, 1000 for a size below 1 x 1, 1002
    // when memory runs out or the picture is larger than kMaxPicturePixels.
    int Create(int32_t width, int32_t height, int32_t layout);
    // Borrows rows that someone else owns; stride 0 means the layout's own stride. Same codes
    // as Create, and 1001 for a null block or a stride shorter than a row.
    int Wrap(uint8_t* data, int32_t width, int32_t height, int32_t layout, int32_t stride = 0);
    // Frees an owned block, forgets a borrowed one; the buffer is empty after.
    void Release();

    bool IsEmpty() const { return !m_data; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int32_t Stride() const { return m_stride; }
    int32_t Layout() const { return m_layout; }
    bool IsBorrowed() const { return m_borrowed; }
    int BytesPerPixel() const { return BytesPerPixelOf(m_layout); }
    uint8_t* Data() { return m_data; }
    const uint8_t* Data() const { return m_data; }
    uint8_t* Row(int32_t y) { return m_data + static_cast<size_t>(y) * static_cast<size_t>(m_stride); }
    const uint8_t* Row(int32_t y) const
    {
        return m_data + static_cast<size_t>(y) * static_cast<size_t>(m_stride);
    }

    static int BytesPerPixelOf(int32_t layout) { return layout == 2 ? 4 : 3; }
    // The row length in bytes of a layout; 0 for an unknown layout or a negative width.
    static int64_t StrideFor(int32_t width, int32_t layout);

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint8_t* m_data = nullptr;
    int32_t m_stride = 0;
    int32_t m_layout = 0;
    bool m_borrowed = false;
};

// Conversions between a red-green-blue PixelBuffer and a 24-bit blue-green-red DibImage: the
// first and third byte of every pixel are swapped (the fourth byte of layout 2 is dropped, or
// set to 0). They return the PixelBuffer codes: 1000 for an empty source, 1001 for a source
// image that is not 24 bits deep or a target buffer that already holds data, 1002 when the
// target cannot be created.
int PixelBufferToDib(const PixelBuffer& buffer, DibImage& image);
int DibToPixelBuffer(const DibImage& image, PixelBuffer& buffer, int32_t layout);
