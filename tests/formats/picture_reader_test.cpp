#include <cstring>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "fixtures/tiff_writer.h"
#include "formats/image_fit.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"
#include "media_writers/raf_builder.h"

namespace {

// The quadrant pattern mirrored left-right (green, red / white, blue): a picture of its own,
// so that a test can tell whether a thumbnail came from the embedded one or the main picture.
DibImage MirroredQuadrants(uint32_t width, uint32_t height)
{
    DibImage image = QuadrantPicture(width, height);
    TransformImage(&image, &image, 4);
    return image;
}

// A thumbnail as cameras make it: the picture fitted into 160 x 120, centred on black.
DibImage ThumbnailWithBars(uint32_t width, uint32_t height, bool mirrored)
{
    const PictureSize fitted = FittedSize(width, height, 160, 120);
    const DibImage picture = mirrored ? MirroredQuadrants(static_cast<uint32_t>(fitted.width),
                                                          static_cast<uint32_t>(fitted.height))
                                      : QuadrantPicture(static_cast<uint32_t>(fitted.width),
                                                        static_cast<uint32_t>(fitted.height));
    DibImage thumbnail;
    thumbnail.Create(160, 120, 24);
    const uint32_t left = (160 - picture.Width()) / 2;
    const uint32_t top = (120 - picture.Height()) / 2;
    for (uint32_t y = 0; y < picture.Height(); ++y)
        for (uint32_t x = 0; x < picture.Width(); ++x)
            thumbnail.SetPixel(left + x, top + y, picture.Pixel(x, y));
    return thumbnail;
}

// A camera-like JPEG: a main picture of the given size showing the quadrant pattern and a
// 160 x 120 embedded thumbnail. The thumbnail normally shows the same picture fitted between
// black bars; `staleThumbnail` fills it with a landscape picture instead, as a thumbnail left
// behind when another program turned the main picture's pixels.
struct CameraFile {
    uint32_t width = 640;
    uint32_t height = 480;
    int orientation = 1;
    int thumbnailOrientation = 1; // 0: the thumbnail directory has no orientation tag
    bool withThumbnail = true;
    bool mirroredThumbnail = false; // the thumbnail shows the mirrored pattern
    bool staleThumbnail = false;

    std::string Write(const Sandbox& sandbox, const std::string& name) const
    {
        ExifBuilder exif = CameraExif(Endian::kLittle);
        exif.ifd0.Drop(0x0112).Short(0x0112, {static_cast<uint16_t>(orientation)});
        exif.exif.Drop(0xA002).Drop(0xA003).Long(0xA002, {width}).Long(0xA003, {height});
        exif.ifd1.Drop(0x0112);
        if (thumbnailOrientation != 0)
            exif.ifd1.Short(0x0112, {static_cast<uint16_t>(thumbnailOrientation)});
        exif.withIfd1 = withThumbnail;
        const DibImage thumbnail = staleThumbnail ? MirroredQuadrants(160, 120)
                                                  : ThumbnailWithBars(width, height, mirroredThumbnail);
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

TEST(MakeThumbnail, StaleEmbeddedThumbnailGivesWayToTheMainPicture)
{
    Sandbox sandbox;
    // A portrait picture turned by another program: Orientation 1, but the camera's landscape
    // thumbnail (no bars, picture content from edge to edge) left as it was.
    for (const int thumbnailOrientation : {1, 0}) {
        CameraFile file{480, 640, 1, thumbnailOrientation};
        file.staleThumbnail = true;
        const std::string path = file.Write(sandbox, "turned.jpg");
        DibImage image;
        ASSERT_EQ(MakeThumbnail(path, 1, image), 0);
        EXPECT_EQ(image.Width(), 45u);
        EXPECT_EQ(image.Height(), 60u);
        // The main picture's pattern, not the thumbnail's mirrored one.
        EXPECT_EQ(QuadrantColour(image, 5, 5), 'R');
        EXPECT_EQ(QuadrantColour(image, 40, 55), 'W');
        ASSERT_EQ(MakeThumbnail(path, 0, image), 0);
        EXPECT_EQ(image.Height(), 30u);
        EXPECT_EQ(QuadrantColour(image, 2, 2), 'R');
    }
    // A main picture smaller than the thumbnail is no better source: the thumbnail is used.
    CameraFile placeholder{8, 8};
    placeholder.staleThumbnail = true;
    DibImage image;
    ASSERT_EQ(MakeThumbnail(placeholder.Write(sandbox, "trimmed.jpg"), 1, image), 0);
    EXPECT_EQ(image.Width(), 60u);
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'G');
}

TEST(MakeThumbnail, ThumbnailWithDarkBarsIsUsedAndCropped)
{
    Sandbox sandbox;
    // A portrait picture whose camera fitted it between black side bars.
    CameraFile portrait{480, 640, 1, 1};
    portrait.mirroredThumbnail = true;
    DibImage image;
    ASSERT_EQ(MakeThumbnail(portrait.Write(sandbox, "portrait.jpg"), 1, image), 0);
    EXPECT_EQ(image.Width(), 45u);
    EXPECT_EQ(image.Height(), 60u);
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'G'); // the thumbnail's own pattern: it was used
    EXPECT_EQ(QuadrantColour(image, 40, 55), 'B');
    EXPECT_EQ(QuadrantColour(image, 1, 45), 'W'); // and its bars were cut away, not shown
    EXPECT_NE(image.Pixel(0, 50) & 0xFF, 0u);

    // A 3:2 picture between black bars at the top and the bottom.
    CameraFile wide{3024, 2016};
    wide.mirroredThumbnail = true;
    ASSERT_EQ(MakeThumbnail(wide.Write(sandbox, "wide.jpg"), 2, image), 0);
    EXPECT_EQ(image.Width(), 160u);
    EXPECT_EQ(image.Height(), 106u);
    EXPECT_EQ(QuadrantColour(image, 5, 1), 'G');
    EXPECT_EQ(QuadrantColour(image, 155, 104), 'B');
}

TEST(MakeThumbnail, ThumbnailStoredTurnedOtherwiseThanThePictureIsCutToTheRightShape)
{
    Sandbox sandbox;
    // The picture is stored upright (portrait, Orientation 1); the thumbnail is stored
    // landscape and says it needs a quarter turn clockwise, so upright it is portrait too.
    CameraFile file{480, 640, 1, 6};
    file.staleThumbnail = true;
    DibImage image;
    ASSERT_EQ(MakeThumbnail(file.Write(sandbox, "p.jpg"), 1, image), 0);
    EXPECT_EQ(image.Width(), 45u);
    EXPECT_EQ(image.Height(), 60u);
    // The mirrored pattern turned clockwise: white at the top left, green at the top right.
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'W');
    EXPECT_EQ(QuadrantColour(image, 40, 5), 'G');
}

TEST(JpegDecode, PreviewFitScalesToTheWidthThenTheHeight)
{
    EXPECT_EQ(PreviewFittedSize(4000, 3000, 1272, 460), (PreviewSize{614, 460}));
    EXPECT_EQ(PreviewFittedSize(4000, 3000, 1272, 740), (PreviewSize{987, 740}));
    EXPECT_EQ(PreviewFittedSize(3000, 4000, 1272, 740), (PreviewSize{555, 740}));
    // Never enlarged.
    EXPECT_EQ(PreviewFittedSize(640, 480, 1000, 700), (PreviewSize{640, 480}));
    EXPECT_EQ(PreviewFittedSize(640, 480, 640, 480), (PreviewSize{640, 480}));
    // Only wider: the width decides; only taller: the height.
    EXPECT_EQ(PreviewFittedSize(2000, 100, 1000, 700), (PreviewSize{1000, 50}));
    EXPECT_EQ(PreviewFittedSize(100, 2000, 1000, 700), (PreviewSize{35, 700}));
    EXPECT_EQ(PreviewFittedSize(100000, 10, 100, 100), (PreviewSize{100, 1}));
    // No box, or no picture: as it is.
    EXPECT_EQ(PreviewFittedSize(640, 480, 0, 0), (PreviewSize{640, 480}));
    EXPECT_EQ(PreviewFittedSize(640, 480, -5, 300), (PreviewSize{640, 480}));
    EXPECT_EQ(PreviewFittedSize(0, 480, 100, 100), (PreviewSize{0, 480}));
}

TEST(JpegDecode, PreviewScaleIsTheSmallestWhoseDecodeFillsTheFittedPicture)
{
    // The 12-megapixel picture in the preview of a 1280 x 800 window: a quarter of each side.
    EXPECT_EQ(PreviewScaleEighths(4000, 3000, 1272, 460, false), 2);
    EXPECT_EQ(PreviewScaleEighths(4000, 3000, 1272, 740, false), 2);
    EXPECT_EQ(PreviewScaleEighths(4000, 3000, 0, 0, false), 8);
    EXPECT_EQ(PreviewScaleEighths(640, 480, 1000, 700, false), 8);
    EXPECT_EQ(PreviewScaleEighths(4000, 3000, 400, 300, false), 1);
    // Turned upright, the other side must fill the box.
    EXPECT_EQ(PreviewScaleEighths(2000, 1000, 1600, 400, false), 4);
    EXPECT_EQ(PreviewScaleEighths(2000, 1000, 1600, 400, true), 2);

    auto side = [](uint32_t length, int eighths) { return (uint64_t{length} * eighths + 7) / 8; };
    const uint32_t pictures[][2] = {{4000, 3000}, {3000, 4000}, {1600, 1200}, {641, 479}, {17, 9000}};
    const int boxes[][2] = {{1272, 460}, {1272, 740}, {800, 600}, {333, 777}, {1, 1}, {5000, 5000}};
    for (const auto& picture : pictures) {
        for (const auto& box : boxes) {
            for (const bool turned : {false, true}) {
                const uint32_t w = turned ? picture[1] : picture[0];
                const uint32_t h = turned ? picture[0] : picture[1];
                const PreviewSize fitted = PreviewFittedSize(w, h, box[0], box[1]);
                const int eighths = PreviewScaleEighths(picture[0], picture[1], box[0], box[1], turned);
                SCOPED_TRACE(testing::Message() << picture[0] << "x" << picture[1] << " in " << box[0] << "x"
                                                << box[1] << (turned ? " turned" : ""));
                ASSERT_GE(eighths, 1);
                ASSERT_LE(eighths, 8);
                EXPECT_TRUE(side(w, eighths) >= fitted.width && side(h, eighths) >= fitted.height);
                if (eighths > 1) {
                    EXPECT_FALSE(side(w, eighths - 1) >= fitted.width && side(h, eighths - 1) >= fitted.height);
                }
            }
        }
    }
}

TEST(ReadPreviewImage, DecodesJpegAtTheReducedScaleUpright)
{
    Sandbox sandbox;
    const std::string turned = CameraFile{1600, 1200, 6, 6}.Write(sandbox, "turned.jpg");
    DibImage image;
    // Upright 1200 x 1600 fitted into 300 x 300 is 225 x 300: the decode at 2/8 covers it.
    ASSERT_EQ(ReadPreviewImage(turned, 300, 300, image), 0);
    EXPECT_EQ(image.Width(), 300u);
    EXPECT_EQ(image.Height(), 400u);
    EXPECT_EQ(QuadrantColour(image, 295, 5), 'R'); // turned clockwise
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'B');
    // A box of 0 x 0, or one the picture fits into whole, gives the full size.
    for (const auto& box : {std::pair{0, 0}, std::pair{2000, 2000}}) {
        ASSERT_EQ(ReadPreviewImage(turned, box.first, box.second, image), 0);
        EXPECT_EQ(image.Width(), 1200u);
        EXPECT_EQ(image.Height(), 1600u);
    }

    const std::string plain = CameraFile{1600, 1200}.Write(sandbox, "plain.jpg");
    ASSERT_EQ(ReadPreviewImage(plain, 1272, 460, image), 0);
    EXPECT_EQ(image.Width(), 800u); // 614 x 460 fitted: 4/8
    EXPECT_EQ(image.Height(), 600u);
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'R');
    EXPECT_EQ(QuadrantColour(image, 795, 595), 'W');
}

TEST(ReadPreviewImage, FullSizeIsTheAccurateDecodeOfReadFullImage)
{
    Sandbox sandbox;
    const std::string path = CameraFile{320, 240, 3, 3}.Write(sandbox, "p.jpg");
    DibImage preview;
    DibImage full;
    ASSERT_EQ(ReadPreviewImage(path, 0, 0, preview), 0);
    ASSERT_EQ(ReadFullImage(path, full), 0);
    ASSERT_EQ(preview.Width(), full.Width());
    ASSERT_EQ(preview.Height(), full.Height());
    EXPECT_EQ(std::memcmp(preview.Pixels(), full.Pixels(), full.PixelBytes()), 0);
    EXPECT_EQ(QuadrantColour(preview, 5, 5), 'W'); // turned half round
}

TEST(ReadPreviewImage, RafFilesDecodeTheirEmbeddedJpegReduced)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.exif.Drop(0xA002).Drop(0xA003).Long(0xA002, {800}).Long(0xA003, {600});
    RafBuilder raf;
    raf.jpeg = WithExif(EncodeJpeg(QuadrantPicture(800, 600)), exif.Build().bytes);
    raf.Pair(0x100, 600, 800);
    const std::string path = sandbox.WriteFile("DSCF0001.RAF", AsText(raf.Build()));
    DibImage image;
    // Orientation 6: upright 600 x 800 fitted into 150 x 150 is 113 x 150, so 2/8.
    ASSERT_EQ(ReadPreviewImage(path, 150, 150, image), 0);
    EXPECT_EQ(image.Width(), 150u);
    EXPECT_EQ(image.Height(), 200u);
    EXPECT_EQ(QuadrantColour(image, 145, 5), 'R');
    ASSERT_EQ(ReadPreviewImage(path, 0, 0, image), 0);
    EXPECT_EQ(image.Width(), 600u);

    RafBuilder broken = raf;
    broken.magic = "KAVORINA";
    EXPECT_NE(ReadPreviewImage(sandbox.WriteFile("DSCF0002.RAF", AsText(broken.Build())), 150, 150, image), 0);
}

TEST(ReadPreviewImage, OtherFormatsAndFailures)
{
    Sandbox sandbox;
    // A TIFF is decoded whole whatever the box.
    const std::string tiff = sandbox / "p.tif";
    TiffPictureSpec spec;
    spec.width = 300;
    spec.height = 200;
    spec.sample = [](uint32_t x, uint32_t y, uint32_t c) { return (x + 2 * y + 50 * c) & 0xFF; };
    WriteTiffFile(tiff, {spec});
    DibImage preview;
    DibImage full;
    ASSERT_EQ(ReadPreviewImage(tiff, 100, 100, preview), 0);
    ASSERT_EQ(ReadFullImage(tiff, full), 0);
    EXPECT_EQ(preview.Width(), 300u);
    EXPECT_EQ(preview.Height(), 200u);
    EXPECT_EQ(std::memcmp(preview.Pixels(), full.Pixels(), full.PixelBytes()), 0);

    DibImage image;
    EXPECT_EQ(ReadPreviewImage(sandbox.WriteFile("notes.txt", "x"), 100, 100, image), -1);
    EXPECT_EQ(ReadPreviewImage(sandbox / "missing.jpg", 100, 100, image), -5001);
    EXPECT_EQ(ReadPreviewImage(sandbox.WriteFile("broken.jpg", "\xFF\xD8 broken"), 100, 100, image), -5001);
    EXPECT_TRUE(image.IsEmpty());
    // A file cut short still shows the part that is there.
    const Bytes jpeg = EncodeJpeg(QuadrantPicture(640, 480));
    const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
    ASSERT_EQ(ReadPreviewImage(sandbox.WriteFile("cut.jpg", AsText(cut)), 320, 240, image), 0);
    EXPECT_EQ(image.Width(), 320u);
    EXPECT_EQ(QuadrantColour(image, 5, 5), 'R');
}
