#include "formats/pixel_buffer.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "library/dib_image.h"

namespace {

bool IsKnownLayout(int32_t layout)
{
    return layout >= 0 && layout <= 2;
}

} // namespace

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
{
    *this = std::move(other);
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
    if (this == &other)
        return *this;
    Release();
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_data = std::exchange(other.m_data, nullptr);
    m_stride = std::exchange(other.m_stride, 0);
    m_layout = std::exchange(other.m_layout, 0);
    m_borrowed = std::exchange(other.m_borrowed, false);
    return *this;
}

int64_t PixelBuffer::StrideFor(int32_t width, int32_t layout)
{
    if (width < 0)
        return 0;
    const int64_t w = width;
    switch (layout) {
    case 0: return 3 * w;
    case 1: return (3 * w + 3) & ~int64_t{3};
    case 2: return (4 * w + 7) & ~int64_t{7};
    default: return 0;
    }
}

int PixelBuffer::Create(int32_t width, int32_t height, int32_t layout)
{
    if (m_data)
        return kPixelBufferBadState;
    if (width < 1 || height < 1)
        return kPixelBufferBadSize;
    if (!IsKnownLayout(layout))
        return kPixelBufferBadState;
    // Refused rather than attempted: a block this large would exhaust memory, not show anything.
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPicturePixels)
        return kPixelBufferOutOfMemory;
    const int64_t stride = StrideFor(width, layout);
    if (stride > INT32_MAX)
        return kPixelBufferOutOfMemory;
    auto* data
        = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(stride) * static_cast<size_t>(height)));
    if (!data)
        return kPixelBufferOutOfMemory;
    m_width = width;
    m_height = height;
    m_data = data;
    m_stride = static_cast<int32_t>(stride);
    m_layout = layout;
    m_borrowed = false;
    return kPixelBufferOk;
}

int PixelBuffer::Wrap(uint8_t* data, int32_t width, int32_t height, int32_t layout, int32_t stride)
{
    if (m_data || !data)
        return kPixelBufferBadState;
    if (width < 1 || height < 1)
        return kPixelBufferBadSize;
    if (!IsKnownLayout(layout))
        return kPixelBufferBadState;
    const int64_t own = StrideFor(width, layout);
    if (stride == 0) {
        if (own > INT32_MAX)
            return kPixelBufferOutOfMemory;
        stride = static_cast<int32_t>(own);
    }
    if (stride < static_cast<int64_t>(width) * BytesPerPixelOf(layout))
        return kPixelBufferBadState;
    m_width = width;
    m_height = height;
    m_data = data;
    m_stride = stride;
    m_layout = layout;
    m_borrowed = true;
    return kPixelBufferOk;
}

void PixelBuffer::Release()
{
    if (m_data && !m_borrowed)
        std::free(m_data);
    m_data = nullptr;
    m_width = m_height = m_stride = m_layout = 0;
    m_borrowed = false;
}

int PixelBufferToDib(const PixelBuffer& buffer, DibImage& image)
{
    image.Release();
    if (buffer.IsEmpty())
        return kPixelBufferBadSize;
    if (!image.Create(static_cast<uint32_t>(buffer.Width()), static_cast<uint32_t>(buffer.Height()), 24))
        return kPixelBufferOutOfMemory;
    const int step = buffer.BytesPerPixel();
    const int32_t width = buffer.Width();
    for (int32_t y = 0; y < buffer.Height(); ++y) {
        const uint8_t* from = buffer.Row(y);
        uint8_t* to = image.Row(static_cast<uint32_t>(y));
        for (int32_t x = 0; x < width; ++x, from += step, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return kPixelBufferOk;
}

int DibToPixelBuffer(const DibImage& image, PixelBuffer& buffer, int32_t layout)
{
    if (image.IsEmpty())
        return kPixelBufferBadSize;
    if (image.BitsPerPixel() != 24 || image.Width() > INT32_MAX || image.Height() > INT32_MAX)
        return kPixelBufferBadState;
    const int created
        = buffer.Create(static_cast<int32_t>(image.Width()), static_cast<int32_t>(image.Height()), layout);
    if (created != kPixelBufferOk)
        return created;
    const int step = buffer.BytesPerPixel();
    const int32_t width = buffer.Width();
    for (int32_t y = 0; y < buffer.Height(); ++y) {
        const uint8_t* from = image.Row(static_cast<uint32_t>(y));
        uint8_t* to = buffer.Row(y);
        for (int32_t x = 0; x < width; ++x, from += 3, to += step) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (step == 4)
                to[3] = 0;
        }
        // Padding bytes are defined, so that a buffer can be compared or written out whole.
        const size_t used = static_cast<size_t>(width) * static_cast<size_t>(step);
        std::memset(buffer.Row(y) + used, 0, static_cast<size_t>(buffer.Stride()) - used);
    }
    return kPixelBufferOk;
}
