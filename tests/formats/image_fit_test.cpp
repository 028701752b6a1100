#include <gtest/gtest.h>

#include <memory>

#include "formats/image_fit.h"
#include "formats/picture_test_support.h"
#include "library/dib_image.h"

TEST(ThumbnailBox, HasTheFourSizeCodes)
{
    EXPECT_EQ(ThumbnailBox(0), (PictureSize{40, 30}));
    EXPECT_EQ(ThumbnailBox(1), (PictureSize{80, 60}));
    EXPECT_EQ(ThumbnailBox(2), (PictureSize{160, 120}));
    EXPECT_EQ(ThumbnailBox(3), (PictureSize{240, 180}));
    EXPECT_EQ(ThumbnailBox(4), (PictureSize{}));
    EXPECT_EQ(ThumbnailBox(-1), (PictureSize{}));
}

TEST(ScaleToFit, GivesOnePixelWhenTheFittedSideIsBelowTwo)
{
    const auto fitted = ScaleToFit(RandomPicture(1000, 10, 1), 40, 30);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->Width(), 1u);
    EXPECT_EQ(fitted->Height(), 1u);
    EXPECT_EQ(fitted->BitsPerPixel(), 24u);
}

TEST(ScaleToFit, OnePixelIsTheLinearMeanOfTheFourCentrePixels)
{
    // 1000 x 10 to 1 x 1: the centre lies between columns 499, 500 and rows 4, 5.
    DibImage wide = FlatPicture(1000, 10, 0);
    wide.SetPixel(499, 4, 0x0A0A0A);
    wide.SetPixel(500, 4, 0x141414);
    wide.SetPixel(499, 5, 0x1E1E1E);
    wide.SetPixel(500, 5, 0x050505);
    const auto fitted = ScaleToFit(wide, 40, 30);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->Pixel(0, 0), 0x101010u); // (10 + 20 + 30 + 5) / 4 = 16.25
}

TEST(ScaleToFit, RoundsTheFittedSideUp)
{
    const auto flat = ScaleToFit(RandomPicture(1000, 100, 2), 40, 30);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->Width(), 40u);
    EXPECT_EQ(flat->Height(), 4u);

    // A 3:2 picture in the 160 x 120 box: 2016 x 160 / 3024 = 106.7, rounded up.
    EXPECT_EQ(FittedSize(3024, 2016, 160, 120), (PictureSize{160, 107}));
    EXPECT_EQ(FittedSize(3, 2, 40, 30), (PictureSize{40, 27}));
    // Portrait: 120 x 60 / 160 = 45.
    EXPECT_EQ(FittedSize(120, 160, 80, 60), (PictureSize{45, 60}));
    EXPECT_EQ(FittedSize(121, 160, 80, 60), (PictureSize{46, 60}));
    // Exactly the box's proportions.
    EXPECT_EQ(FittedSize(4000, 3000, 240, 180), (PictureSize{240, 180}));
    EXPECT_EQ(FittedSize(10, 2000, 40, 30), (PictureSize{1, 1}));
    EXPECT_EQ(FittedSize(0, 10, 40, 30), (PictureSize{}));
    EXPECT_EQ(FittedSize(10, 10, 0, 30), (PictureSize{}));
}

TEST(ScaleToFit, KeepsTheAspectOfAPictureSmallerThanTheBox)
{
    const auto fitted = ScaleToFit(FlatPicture(20, 10, 0x336699), 160, 120);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->Width(), 160u);
    EXPECT_EQ(fitted->Height(), 80u);
    EXPECT_EQ(fitted->Pixel(80, 40), 0x336699u);
}

TEST(ScaleToFit, FailsForAnEmptyPictureOrBox)
{
    EXPECT_FALSE(ScaleToFit(DibImage{}, 40, 30));
    EXPECT_FALSE(ScaleToFit(RandomPicture(10, 10, 1), 0, 30));
    DibImage palette;
    ASSERT_TRUE(palette.Create(10, 10, 8));
    EXPECT_FALSE(ScaleToFit(palette, 40, 30));
}

TEST(FittedRect, CentresThePictureInTheBox)
{
    EXPECT_EQ(FittedRect(3, 2, 40, 30), (PictureRect{0, 1, 40, 27}));
    EXPECT_EQ(FittedRect(120, 160, 80, 60), (PictureRect{17, 0, 45, 60}));
    EXPECT_EQ(FittedRect(1000, 10, 40, 30), (PictureRect{19, 14, 1, 1}));
    EXPECT_EQ(FittedRect(4, 3, 240, 180), (PictureRect{0, 0, 240, 180}));
}

TEST(CropCentred, TrimsTheBarsOfAFourByThreeThumbnail)
{
    // A 3:2 picture's 160 x 120 thumbnail at size code 2: 160 x 106 from rows 7 to 112.
    const DibImage thumbnail = CoordinatePicture(160, 120);
    const DibImage cropped = CropCentred(thumbnail, 160, 106);
    ASSERT_EQ(cropped.Width(), 160u);
    ASSERT_EQ(cropped.Height(), 106u);
    EXPECT_EQ(cropped.Pixel(0, 0), CoordinatePixel(0, 7));
    EXPECT_EQ(cropped.Pixel(159, 105), CoordinatePixel(159, 112));
    // Size code 1: the thumbnail scaled to 80 x 60, the output 80 x 53 from row 3.
    const DibImage small = CropCentred(CoordinatePicture(80, 60), 80, 53);
    ASSERT_EQ(small.Height(), 53u);
    EXPECT_EQ(small.Pixel(5, 0), CoordinatePixel(5, 3));
    EXPECT_EQ(small.Pixel(79, 52), CoordinatePixel(79, 55));
    // Columns are centred the same way: (10 - 7) >> 1 = 1.
    const DibImage narrow = CropCentred(CoordinatePicture(10, 4), 7, 4);
    EXPECT_EQ(narrow.Pixel(0, 0), CoordinatePixel(1, 0));
    EXPECT_EQ(narrow.Pixel(6, 3), CoordinatePixel(7, 3));
}

TEST(CropCentred, FillsWhatLiesBeyondThePictureWithBlack)
{
    // A 160 x 107 thumbnail cut to 160 x 120 starts at row (107 - 120) >> 1 = -7.
    const DibImage cropped = CropCentred(CoordinatePicture(160, 107), 160, 120);
    ASSERT_EQ(cropped.Height(), 120u);
    EXPECT_EQ(cropped.Pixel(3, 6), 0u);
    EXPECT_EQ(cropped.Pixel(3, 7), CoordinatePixel(3, 0));
    EXPECT_EQ(cropped.Pixel(3, 113), CoordinatePixel(3, 106));
    EXPECT_EQ(cropped.Pixel(3, 114), 0u);
    // (4 - 7) >> 1 = -2: an arithmetic shift rounds down.
    const DibImage wider = CropCentred(CoordinatePicture(4, 4), 7, 2);
    EXPECT_EQ(wider.Pixel(1, 0), 0u);
    EXPECT_EQ(wider.Pixel(2, 0), CoordinatePixel(0, 1));
    EXPECT_EQ(wider.Pixel(5, 1), CoordinatePixel(3, 2));
    EXPECT_EQ(wider.Pixel(6, 1), 0u);

    EXPECT_TRUE(CropCentred(CoordinatePicture(4, 4), 0, 2).IsEmpty());
    EXPECT_TRUE(CropCentred(DibImage{}, 2, 2).IsEmpty());
}
