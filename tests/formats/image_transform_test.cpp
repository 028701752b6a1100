#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/image_transform.h"
#include "formats/picture_test_support.h"
#include "library/dib_image.h"

namespace {

// The 3 x 2 picture   a b c
//                     d e f
constexpr uint32_t a = 0x0A0000, b = 0x0B0001, c = 0x0C0002, d = 0x0D0100, e = 0x0E0101, f = 0x0F0102;

DibImage SmallPicture()
{
    DibImage image;
    image.Create(3, 2, 24);
    const uint32_t pixels[2][3] = {{a, b, c}, {d, e, f}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            image.SetPixel(x, y, pixels[y][x]);
    return image;
}

std::vector<std::vector<uint32_t>> Rows(const DibImage& image)
{
    std::vector<std::vector<uint32_t>> rows(image.Height());
    for (uint32_t y = 0; y < image.Height(); ++y)
        for (uint32_t x = 0; x < image.Width(); ++x)
            rows[y].push_back(image.Pixel(x, y));
    return rows;
}

DibImage Transformed(const DibImage& source, int transform)
{
    DibImage result;
    EXPECT_EQ(TransformImage(&source, &result, transform), 0);
    return result;
}

bool SamePicture(const DibImage& one, const DibImage& other)
{
    return one.Width() == other.Width() && one.Height() == other.Height()
        && std::memcmp(one.Pixels(), other.Pixels(), one.PixelBytes()) == 0;
}

using Grid = std::vector<std::vector<uint32_t>>;

} // namespace

TEST(TransformImage, MovesEveryPixelAsTheTableSays)
{
    const DibImage source = SmallPicture();
    EXPECT_EQ(Rows(Transformed(source, 0)), (Grid{{a, b, c}, {d, e, f}}));
    EXPECT_EQ(Rows(Transformed(source, 1)), (Grid{{d, a}, {e, b}, {f, c}})); // clockwise
    EXPECT_EQ(Rows(Transformed(source, 2)), (Grid{{f, e, d}, {c, b, a}}));   // 180
    EXPECT_EQ(Rows(Transformed(source, 3)), (Grid{{c, f}, {b, e}, {a, d}})); // counter-clockwise
    EXPECT_EQ(Rows(Transformed(source, 4)), (Grid{{c, b, a}, {f, e, d}}));   // left-right
    EXPECT_EQ(Rows(Transformed(source, 5)), (Grid{{d, e, f}, {a, b, c}}));   // top-bottom
    EXPECT_EQ(Rows(Transformed(source, 6)), (Grid{{a, d}, {b, e}, {c, f}})); // transpose
    EXPECT_EQ(Rows(Transformed(source, 7)), (Grid{{f, c}, {e, b}, {d, a}})); // transverse
}

TEST(TransformImage, KeepsPaddedRowsApartOnLargerPictures)
{
    // 5 x 3 and 3 x 5 pictures both have padded rows; each pixel goes where the table says.
    const DibImage source = CoordinatePicture(5, 3);
    const uint32_t W = 5, H = 3;
    for (int transform = 0; transform < 8; ++transform) {
        const DibImage result = Transformed(source, transform);
        const bool turned = transform == 1 || transform == 3 || transform == 6 || transform == 7;
        ASSERT_EQ(result.Width(), turned ? H : W) << transform;
        ASSERT_EQ(result.Height(), turned ? W : H) << transform;
        for (uint32_t y = 0; y < H; ++y)
            for (uint32_t x = 0; x < W; ++x) {
                const std::array<std::array<uint32_t, 2>, 8> to = {{{x, y},
                                                                    {H - 1 - y, x},
                                                                    {W - 1 - x, H - 1 - y},
                                                                    {y, W - 1 - x},
                                                                    {W - 1 - x, y},
                                                                    {x, H - 1 - y},
                                                                    {y, x},
                                                                    {H - 1 - y, W - 1 - x}}};
                EXPECT_EQ(result.Pixel(to[transform][0], to[transform][1]), CoordinatePixel(x, y))
                    << "transform " << transform << " pixel " << x << "," << y;
            }
    }
}

TEST(TransformImage, UndoesItsTurns)
{
    const DibImage source = RandomPicture(7, 5, 3);
    EXPECT_TRUE(SamePicture(Transformed(Transformed(source, 1), 3), source));
    EXPECT_TRUE(SamePicture(Transformed(Transformed(source, 2), 2), source));
    EXPECT_TRUE(SamePicture(Transformed(Transformed(source, 6), 6), source));
    EXPECT_TRUE(SamePicture(Transformed(Transformed(source, 7), 7), source));
    EXPECT_TRUE(SamePicture(Transformed(Transformed(source, 4), 5), Transformed(source, 2)));
}

TEST(TransformImage, WorksInPlace)
{
    DibImage image = SmallPicture();
    ASSERT_EQ(TransformImage(&image, &image, 1), 0);
    EXPECT_EQ(Rows(image), (Grid{{d, a}, {e, b}, {f, c}}));
}

TEST(TransformImage, RefusesMissingImagesAndUnknownTransforms)
{
    const DibImage source = SmallPicture();
    DibImage destination = RandomPicture(2, 2, 1);
    const DibImage before = destination;
    EXPECT_EQ(TransformImage(nullptr, &destination, 0), -1);
    EXPECT_EQ(TransformImage(&source, nullptr, 0), -1);
    EXPECT_EQ(TransformImage(&source, &destination, -1), -1);
    EXPECT_EQ(TransformImage(&source, &destination, 8), -1);
    const DibImage empty;
    EXPECT_EQ(TransformImage(&empty, &destination, 0), -1);
    EXPECT_TRUE(SamePicture(destination, before));
}

TEST(OrientImage, MapsExifOrientationsToTransforms)
{
    const std::array<int, 9> expected = {-1, -1, 4, 2, 5, 6, 1, 7, 3};
    for (int orientation = 0; orientation <= 8; ++orientation) {
        EXPECT_EQ(OrientationTransform(orientation), expected[orientation]) << orientation;
        if (expected[orientation] < 0)
            continue;
        DibImage image = RandomPicture(4, 3, 9);
        const DibImage wanted = Transformed(image, expected[orientation]);
        OrientImage(orientation, image);
        EXPECT_TRUE(SamePicture(image, wanted)) << orientation;
    }
}

TEST(OrientImage, TurnsAPortraitPictureUpright)
{
    // Orientation 6: the camera was turned clockwise; the picture turns clockwise to 3 x 4.
    DibImage image = CoordinatePicture(4, 3);
    OrientImage(6, image);
    ASSERT_EQ(image.Width(), 3u);
    ASSERT_EQ(image.Height(), 4u);
    EXPECT_EQ(image.Pixel(2, 0), CoordinatePixel(0, 0));
    EXPECT_EQ(image.Pixel(0, 3), CoordinatePixel(3, 2));
}

TEST(OrientImage, LeavesThePictureAloneForOneZeroAndErrorCodes)
{
    for (int orientation : {1, 0, 1001, 9, -1, -5000}) {
        DibImage image = RandomPicture(4, 3, 10);
        const DibImage before = image;
        OrientImage(orientation, image);
        EXPECT_TRUE(SamePicture(image, before)) << orientation;
    }
    DibImage empty;
    OrientImage(6, empty);
    EXPECT_TRUE(empty.IsEmpty());
}
