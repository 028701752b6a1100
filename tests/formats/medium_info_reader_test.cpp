#include <cstring>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/format_registry.h"
#include "formats/medium_info_reader.h"
#include "media_writers/exif_builder.h"

namespace {

std::string WritePicture(const Sandbox& sandbox, const std::string& name, ExifBuilder exif,
                         std::uint16_t width = 640, std::uint16_t height = 480)
{
    return sandbox.WriteFile(name, AsText(MakeExifJpeg(exif.Build().bytes, width, height)));
}

uint16_t ShortOf(const TagEntry& entry, size_t index)
{
    uint16_t value = 0;
    std::memcpy(&value, entry.value.data() + 2 * index, 2);
    return value;
}

} // namespace

TEST(FormatRegistry, FormatIndexByExtensionWithoutCase)
{
    EXPECT_EQ(FormatIndexOfPath("a.JPG"), 0);
    EXPECT_EQ(FormatIndexOfPath("a.jpeg"), 0);
    EXPECT_EQ(FormatIndexOfPath("a.Tiff"), 1);
    EXPECT_EQ(FormatIndexOfPath("a.raf"), 2);
    EXPECT_EQ(FormatIndexOfPath("a.mov"), 5);
    EXPECT_EQ(FormatIndexOfPath("a.MPEG"), 6);
    EXPECT_EQ(FormatIndexOfPath("a.wmv"), 8);
    EXPECT_EQ(FormatIndexOfPath("a.mp3"), 11);
    EXPECT_EQ(FormatIndexOfPath("a.rag"), -1);
    EXPECT_EQ(FormatIndexOfPath("README"), -1);
    Sandbox sandbox;
    EXPECT_EQ(FormatIndexOfPath(sandbox.MakeFolder("a.jpg")), -1); // a folder is not a picture
}

TEST(FormatRegistry, FileKindsForPlugIns)
{
    EXPECT_EQ(GetFileType("x.jpg"), (FileKind{1, "JPEG"}));
    EXPECT_EQ(GetFileType("x.bmp"), (FileKind{1, "BMP"}));
    EXPECT_EQ(GetFileType("clip.mov"), (FileKind{2, "MOV"}));
    EXPECT_EQ(GetFileType("x.asf"), (FileKind{2, "ASF"}));
    EXPECT_EQ(GetFileType("x.rag"), (FileKind{4, "RAG"}));
    EXPECT_EQ(GetFileType("x.wma"), (FileKind{3, "WMA"}));
    EXPECT_EQ(GetFileType("notes.txt"), (FileKind{0, "Unknown"}));
}

TEST(MediumInfoReader, PortraitPictureReportsUprightSize)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle); // orientation 6, 640 x 480
    const std::string path = WritePicture(sandbox, "DSCF0001.JPG", exif);
    MediumInfo info;
    ASSERT_EQ(ReadMediumInfo(path, info), 1);
    EXPECT_EQ(info.width, 480);
    EXPECT_EQ(info.height, 640);
    EXPECT_EQ(info.hasExif, 1);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.qualityIndex, 1); // the maker note says "NORMAL "
}

TEST(MediumInfoReader, ShootingDateNeedsTwentyBytesInTheMask)
{
    Sandbox sandbox;
    const std::pair<std::string, bool> cases[] = {
        {"2006:03:14 09:26:53", true},
        {"2006:03:14", false},
        {"2006/03/14 09:26:53", false},
    };
    for (const auto& [text, hasDate] : cases) {
        ExifBuilder exif = CameraExif(Endian::kBig);
        exif.exif.Drop(0x9003).Ascii(0x9003, text);
        MediumInfo info;
        ASSERT_EQ(ReadMediumInfo(WritePicture(sandbox, "d.jpg", exif), info), 1) << text;
        EXPECT_EQ(info.shootingDate.HasDate(), hasDate) << text;
        if (hasDate) {
            EXPECT_EQ(info.shootingDate, (SystemTime{2006, 3, 0, 14, 9, 26, 53, 0}));
        }
    }
}

TEST(MediumInfoReader, JpegWithoutExifIsAPlainPicture)
{
    Sandbox sandbox;
    const std::string path = sandbox.WriteFile(
        "plain.jpg", AsText(JpegBuilder().Segment(0xE1, {'h', 't', 't', 'p', 0}).Sof(320, 200).Build()));
    MediumInfo info;
    ASSERT_EQ(ReadMediumInfo(path, info), 1);
    EXPECT_EQ(info.hasExif, 0);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 200);
    EXPECT_EQ(info.qualityIndex, -1);
    EXPECT_FALSE(info.shootingDate.HasDate());
}

TEST(MediumInfoReader, UnreadableFilesFailWithTheirCode)
{
    Sandbox sandbox;
    MediumInfo info;
    int error = 0;
    EXPECT_EQ(ReadMediumInfo(sandbox / "missing.jpg", info, &error), 0);
    EXPECT_EQ(error, -5000);
    EXPECT_EQ(ReadMediumInfo(sandbox.WriteFile("text.jpg", "not a picture at all"), info, &error), 0);
    EXPECT_NE(error, 0);
    // No handler row: the record stays as prepared and the read succeeds.
    EXPECT_EQ(ReadMediumInfo(sandbox.WriteFile("notes.txt", "x"), info, &error), 1);
    EXPECT_EQ(info.qualityIndex, -1);
    // The movie format without a reader reports nothing but succeeds.
    EXPECT_EQ(ReadMediumInfo(sandbox.WriteFile("clip.mov", "x"), info, &error), 1);
    EXPECT_EQ(error, 0);
}

TEST(MediumInfoReader, TagInfoIsNormalisedForOrientation)
{
    Sandbox sandbox;
    const std::string path = WritePicture(sandbox, "p.jpg", CameraExif(Endian::kLittle));
    TagEntry entry;
    bool found = false;
    ASSERT_EQ(GetTagInfo(path, 0x0112, entry, found), 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(ShortOf(entry, 0), 1);
    ASSERT_EQ(GetTagInfo(path, 0xA214, entry, found), 1); // SubjectLocation (100, 50) at 640 x 480
    ASSERT_TRUE(found);
    EXPECT_EQ(ShortOf(entry, 0), 430);
    EXPECT_EQ(ShortOf(entry, 1), 100);
    ASSERT_EQ(GetTagInfo(path, 0x0001, entry, found), 1);
    EXPECT_TRUE(found); // the interoperability index is searched after the primary and Exif maps
    ASSERT_EQ(GetTagInfo(path, 0xBEEF, entry, found), 1);
    EXPECT_FALSE(found);
}
