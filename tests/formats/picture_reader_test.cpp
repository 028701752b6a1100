#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/jpeg_decode.h"
#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"

namespace {

// A camera-like JPEG: a main picture of the given size and a 160 x 120 embedded thumbnail with
// 4:3 bars, both showing the quadrant pattern; the thumbnail is drawn in its own colours so
// that tests can tell which picture a thumbnail came from.
struct CameraFile {
    uint32_t width = 640;
    uint32_t height = 480;
    int orientation = 1;
    int thumbnailOrientation = 1; // 0: the thumbnail directory has no orientation tag
    bool withThumbnail = true;

    std::string Write(const Sandbox& sandbox, const std::string& name) const
    {
        ExifBuilder exif = CameraExif(Endian::kLittle);
        exif.ifd0.Drop(0x0112).Short(0x0112, {static_cast<uint16_t>(orientation)});
        exif.exif.Drop(0xA002).Drop(0xA003).Long(0xA002, {width}).Long(0xA003, {height});
        exif.ifd1.Drop(0x0112);
        if (thumbnailOrientation != 0)
            exif.ifd1.Short(0x0112, {static_cast<uint16_t>(thumbnailOrientation)});
        exif.withIfd1 = withThumbnail;
        DibImage thumbnail = QuadrantPicture(160, 120);
        exif.thumbnail = EncodeJpeg(thumbnail);
        const Bytes jpeg = WithExif(EncodeJpeg(QuadrantPicture(width, height)), exif.Build().bytes);
        return sandbox.WriteFile(name, AsText(jpeg));
    }
};

} // namespace

TEST(JpegDecode, ScaleChoiceCoversTheLargestBox)
{
    EXPECT_EQ(JpegScaleDenominator(2048, 1536), 8);
    EXPECT_EQ(JpegScaleDenominator(1280, 960), 4);
    EXPECT_EQ(JpegScaleDenominator(640, 480), 2);
    EXPECT_EQ(JpegScaleDenominator(320, 240), 1);
    EXPECT_EQ(JpegScaleDenominator(100000, 10), 8);
}

TEST(JpegDecode, ReducedDecodeOfRealPictures)
{
    Sandbox sandbox;
    const std::pair<uint32_t, uint32_t> cases[] = {{2048, 1536}, {1280, 960}, {640, 480}, {320, 240}};
    const std::pair<uint32_t, uint32_t> decoded[] = {{256, 192}, {320, 240}, {320, 240}, {320, 240}};
    for (size_t i = 0; i < 4; ++i) {
        const std::string path = sandbox.WriteFile(
            "p.jpg", AsText(EncodeJpeg(QuadrantPicture(cases[i].first, cases[i].second))));
        DibImage image;
        ASSERT_EQ(DecodeJpegScaled(path, image), 1);
        EXPECT_EQ(image.Width(), decoded[i].first);
        EXPECT_EQ(image.Height(), decoded[i].second);
        EXPECT_EQ(QuadrantColour(image, 5, 5), 'R');
        EXPECT_EQ(QuadrantColour(image, image.Width() - 5, image.Height() - 5), 'W');
    }
    DibImage image;
    EXPECT_EQ(DecodeJpegScaled(sandbox / "missing.jpg", image), 0);
    EXPECT_EQ(DecodeJpegScaled(sandbox.WriteFile("text.jpg", "not a jpeg"), image), 0);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(JpegDecode, TruncatedFileGivesThePartThatIsThere)
{
    Sandbox sandbox;
    const Bytes jpeg = EncodeJpeg(QuadrantPicture(320, 240));
    const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() * 6 / 10));
    DibImage image;
    ASSERT_EQ(DecodeJpegFile(sandbox.WriteFile("cut.jpg", AsText(cut)), image), 1);
    EXPECT_EQ(image.Width(), 320u);
    EXPECT_EQ(QuadrantColour(image, 10, 10), 'R'); // the top rows are intact
    for (size_t length = 0; length < 400; length += 7) {
        const Bytes head(jpeg.begin(),
                         jpeg.begin() + static_cast<std::ptrdiff_t>(std::min(length, jpeg.size())));
        DecodeJpegBytes(head.data(), head.size(), image); // a clean result either way
    }
}

TEST(MakeThumbnail, CropsTheBarsOfAThreeByTwoPicture)
{
    Sandbox sandbox;
    const std::string path = CameraFile{3024, 2016}.Write(sandbox, "DSCF0001.JPG");
    DibImage image;
    ASSERT_EQ(MakeThumbnail(path, 2, image), 0);
    EXPECT_EQ(image.Width(), 160u);
    EXPECT_EQ(image.Height(), 106u);
    ASSERT_EQ(MakeThumbnail(path, 1, image), 0);
    EXPECT_EQ(image.Width(), 80u);
    EXPECT_EQ(image.Height(), 53u);
    ASSERT_EQ(MakeThumbnail(path, 0, image), 0);
    EXPECT_EQ(image.Width(), 40u);
}

TEST(MakeThumbnail, QuarterTurnIsCroppedTurnedAndFitted)
{
    Sandbox sandbox;
    const std::string path = CameraFile{640, 480, 6, 6}.Write(sandbox, "portrait.jpg");
    DibImage image;
    ASSERT_EQ(MakeThumbnail(path, 1, image), 0);
    EXPECT_EQ(image.Width(), 45u);
    EXPECT_EQ(image.Height(), 60u);
    // Turned clockwise: the stored top-left (red) quadrant is now at the top right.
    EXPECT_EQ(QuadrantColour(image, 40, 5), 'R');
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'B');
}

TEST(MakeThumbnail, ThumbnailWithoutItsOwnOrientationTurnsLikeThePicture)
{
    Sandbox sandbox;
    const std::string path = CameraFile{640, 480, 6, 0}.Write(sandbox, "portrait.jpg");
    DibImage image;
    ASSERT_EQ(MakeThumbnail(path, 1, image), 0);
    EXPECT_EQ(image.Width(), 45u);
    EXPECT_EQ(image.Height(), 60u);
    EXPECT_EQ(QuadrantColour(image, 40, 5), 'R');
}

TEST(MakeThumbnail, LargestSizeAndPicturesWithoutThumbnailDecodeTheMainPicture)
{
    Sandbox sandbox;
    DibImage image;
    const std::string camera = CameraFile{1280, 960, 6, 6}.Write(sandbox, "big.jpg");
    ASSERT_EQ(MakeThumbnail(camera, 3, image), 0);
    EXPECT_EQ(image.Width(), 135u); // upright 960 x 1280 fitted into 240 x 180
    EXPECT_EQ(image.Height(), 180u);
    EXPECT_EQ(QuadrantColour(image, 130, 5), 'R');

    const std::string plain = sandbox.WriteFile("plain.jpg", AsText(EncodeJpeg(QuadrantPicture(400, 300))));
    ASSERT_EQ(MakeThumbnail(plain, 1, image), 0);
    EXPECT_EQ(image.Width(), 80u);
    EXPECT_EQ(image.Height(), 60u);

    EXPECT_EQ(MakeThumbnail(sandbox.WriteFile("notes.txt", "x"), 1, image), -1);
    EXPECT_NE(MakeThumbnail(sandbox.WriteFile("broken.jpg", "\xFF\xD8 broken"), 1, image), 0);
}

TEST(ReadFullImage, TurnsThePictureUpright)
{
    Sandbox sandbox;
    const std::string path = CameraFile{64, 48, 8, 8}.Write(sandbox, "p.jpg");
    DibImage image;
    ASSERT_EQ(ReadFullImage(path, image), 0);
    EXPECT_EQ(image.Width(), 48u);
    EXPECT_EQ(image.Height(), 64u);
    // Turned counter-clockwise: the stored top-left (red) quadrant is at the bottom left.
    EXPECT_EQ(QuadrantColour(image, 5, 60), 'R');
    EXPECT_EQ(ReadFullImage(sandbox.WriteFile("README", "x"), image), -1);
}
