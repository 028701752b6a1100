#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "formats/picture_test_support.h"
#include "formats/pixel_buffer.h"
#include "library/dib_image.h"

TEST(PixelBuffer, PadsRowsByLayout)
{
    for (const auto& [width, layout, stride] :
         {std::tuple{5, 0, 15}, std::tuple{5, 1, 16}, std::tuple{5, 2, 24}, std::tuple{4, 0, 12},
          std::tuple{4, 1, 12}, std::tuple{4, 2, 16}, std::tuple{1, 1, 4}, std::tuple{3, 2, 16}}) {
        PixelBuffer buffer;
        ASSERT_EQ(buffer.Create(width, 2, layout), kPixelBufferOk);
        EXPECT_EQ(buffer.Stride(), stride) << width << " layout " << layout;
        EXPECT_EQ(buffer.BytesPerPixel(), layout == 2 ? 4 : 3);
        EXPECT_FALSE(buffer.IsBorrowed());
        EXPECT_EQ(buffer.Row(1) - buffer.Row(0), stride);
    }
}

TEST(PixelBuffer, ReportsItsResultCodes)
{
    PixelBuffer buffer;
    EXPECT_EQ(buffer.Create(0, 5, 0), kPixelBufferBadSize);
    EXPECT_EQ(buffer.Create(5, 0, 1), kPixelBufferBadSize);
    EXPECT_EQ(buffer.Create(-3, 5, 1), kPixelBufferBadSize);
    EXPECT_EQ(buffer.Create(5, 5, 3), kPixelBufferBadState);
    EXPECT_EQ(buffer.Create(5, 5, -1), kPixelBufferBadState);
    EXPECT_TRUE(buffer.IsEmpty());
    // Above the picture limit the block is refused, not attempted.
    EXPECT_EQ(buffer.Create(20000, 20000, 0), kPixelBufferOutOfMemory);
    EXPECT_TRUE(buffer.IsEmpty());

    ASSERT_EQ(buffer.Create(5, 5, 0), kPixelBufferOk);
    EXPECT_EQ(buffer.Create(5, 5, 0), kPixelBufferBadState);
    uint8_t block[16] = {};
    EXPECT_EQ(buffer.Wrap(block, 1, 1, 0), kPixelBufferBadState);
    buffer.Release();
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.Create(5, 5, 0), kPixelBufferOk);
}

TEST(PixelBuffer, WrapsBorrowedRowsWithoutFreeingThem)
{
    std::vector<uint8_t> block(4 * 20, 7);
    {
        PixelBuffer buffer;
        ASSERT_EQ(buffer.Wrap(block.data(), 4, 3, 1, 20), kPixelBufferOk);
        EXPECT_TRUE(buffer.IsBorrowed());
        EXPECT_EQ(buffer.Stride(), 20);
        EXPECT_EQ(buffer.Row(2), block.data() + 40);
        buffer.Row(1)[0] = 9;
        PixelBuffer moved = std::move(buffer);
        EXPECT_TRUE(buffer.IsEmpty());
        EXPECT_TRUE(moved.IsBorrowed());
    } // a free() of the borrowed block here would be reported by the sanitizer build
    EXPECT_EQ(block[20], 9);

    PixelBuffer buffer;
    EXPECT_EQ(buffer.Wrap(nullptr, 4, 3, 1), kPixelBufferBadState);
    EXPECT_EQ(buffer.Wrap(block.data(), 4, 3, 1, 11), kPixelBufferBadState); // shorter than a row
    EXPECT_EQ(buffer.Wrap(block.data(), 0, 3, 1), kPixelBufferBadSize);
    EXPECT_EQ(buffer.Wrap(block.data(), 4, 3, 7), kPixelBufferBadState);
    ASSERT_EQ(buffer.Wrap(block.data(), 4, 3, 1), kPixelBufferOk);
    EXPECT_EQ(buffer.Stride(), 12);
}

TEST(PixelBuffer, SwapsRedAndBlueWithTheBitmap)
{
    DibImage image;
    ASSERT_TRUE(image.Create(5, 2, 24));
    image.SetPixel(0, 0, 0x112233); // stored blue 0x33, green 0x22, red 0x11
    image.SetPixel(4, 1, 0xA0B0C0);
    for (int layout : {0, 1, 2}) {
        PixelBuffer buffer;
        ASSERT_EQ(DibToPixelBuffer(image, buffer, layout), kPixelBufferOk);
        EXPECT_EQ(buffer.Layout(), layout);
        EXPECT_EQ(buffer.Row(0)[0], 0x11); // red first
        EXPECT_EQ(buffer.Row(0)[1], 0x22);
        EXPECT_EQ(buffer.Row(0)[2], 0x33);
        const int step = buffer.BytesPerPixel();
        EXPECT_EQ(buffer.Row(1)[4 * step], 0xA0);
        EXPECT_EQ(buffer.Row(1)[4 * step + 2], 0xC0);
        if (layout == 2) {
            EXPECT_EQ(buffer.Row(1)[4 * step + 3], 0);
        }

        DibImage back;
        ASSERT_EQ(PixelBufferToDib(buffer, back), kPixelBufferOk);
        ASSERT_EQ(back.Width(), 5u);
        ASSERT_EQ(back.Height(), 2u);
        EXPECT_EQ(std::memcmp(back.Pixels(), image.Pixels(), image.PixelBytes()), 0) << "layout " << layout;
    }
}

TEST(PixelBuffer, RoundTripsRandomPicturesThroughEveryLayout)
{
    const DibImage image = RandomPicture(37, 11, 42);
    for (int layout : {0, 1, 2}) {
        PixelBuffer buffer;
        ASSERT_EQ(DibToPixelBuffer(image, buffer, layout), kPixelBufferOk);
        DibImage back;
        ASSERT_EQ(PixelBufferToDib(buffer, back), kPixelBufferOk);
        EXPECT_EQ(std::memcmp(back.Pixels(), image.Pixels(), image.PixelBytes()), 0) << "layout " << layout;
    }
}

TEST(PixelBuffer, ConversionsReportTheirResultCodes)
{
    PixelBuffer buffer;
    EXPECT_EQ(DibToPixelBuffer(DibImage{}, buffer, 0), kPixelBufferBadSize);
    DibImage palette;
    ASSERT_TRUE(palette.Create(4, 4, 8));
    EXPECT_EQ(DibToPixelBuffer(palette, buffer, 0), kPixelBufferBadState);
    const DibImage image = RandomPicture(4, 4, 1);
    EXPECT_EQ(DibToPixelBuffer(image, buffer, 5), kPixelBufferBadState);
    ASSERT_EQ(DibToPixelBuffer(image, buffer, 0), kPixelBufferOk);
    EXPECT_EQ(DibToPixelBuffer(image, buffer, 0), kPixelBufferBadState); // already holds data

    DibImage target = RandomPicture(2, 2, 2);
    EXPECT_EQ(PixelBufferToDib(PixelBuffer{}, target), kPixelBufferBadSize);
    EXPECT_TRUE(target.IsEmpty());
}
