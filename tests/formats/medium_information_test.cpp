#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/medium_info_test_support.h"
#include "formats/medium_information.h"

namespace {

// A file's metadata as the readers would deliver it, built in code. By default an Exif JPEG
// named DSCF0001.JPG in a folder that does not exist.
struct TestFile {
    TestFile()
    {
        metadata.formatIndex = 0;
        metadata.hasExif = true;
        metadata.info.hasExif = 1;
    }

    TestFile& WithoutExif()
    {
        metadata.hasExif = false;
        metadata.info.hasExif = 0;
        return *this;
    }

    TestFile& Format(int formatIndex)
    {
        metadata.formatIndex = formatIndex;
        return *this;
    }

    TagSet& Tags() { return metadata.tags; }

    MediumInformation Build() const
    {
        return MediumInformation(metadata, path, size, modified, isMountPoint);
    }
    std::string Value(int group, int item) const { return Build().Item(group, item).value; }

    FileMetadata metadata;
    std::string path = "/no/such/folder/DSCF0001.JPG";
    std::uint64_t size = 5000;
    std::uint64_t modified = 0;
    MountPointTest isMountPoint;
};

std::vector<std::uint8_t> Comment(std::string_view code, std::string_view body)
{
    std::vector<std::uint8_t> bytes(code.size() + body.size());
    std::copy(code.begin(), code.end(), bytes.begin());
    std::copy(body.begin(), body.end(), bytes.begin() + static_cast<std::ptrdiff_t>(code.size()));
    return bytes;
}

} // namespace

class MediumInformationTest : public WithEnglishTexts {};

// ---- General ----

TEST_F(MediumInformationTest, GeneralGroupNamesTheFileItsFormatAndSize)
{
    TestFile file;
    EXPECT_EQ(file.Build().Item(kGeneralGroup, 0), (LabelledValue{"File name", "DSCF0001.JPG"}));
    EXPECT_EQ(file.Build().Item(kGeneralGroup, 1), (LabelledValue{"File format", "JPEG"}));
    EXPECT_EQ(file.Build().Item(kGeneralGroup, 2), (LabelledValue{"File size", "4 KB"}));
    file.size = 0;
    EXPECT_EQ(file.Value(kGeneralGroup, 2), "0 KB");
    file.size = 5ULL << 40; // beyond 32 bits of kilobytes
    EXPECT_EQ(file.Value(kGeneralGroup, 2), "5368709120 KB");
    file.Format(11);
    EXPECT_EQ(file.Value(kGeneralGroup, 1), "MP3");
    file.Format(-1);
    EXPECT_EQ(file.Value(kGeneralGroup, 1), "");
    file.Format(12);
    EXPECT_EQ(file.Value(kGeneralGroup, 1), "");
}

TEST_F(MediumInformationTest, ImageSizeNeedsBothSides)
{
    TestFile file;
    file.metadata.info.width = 640;
    file.metadata.info.height = 480;
    EXPECT_EQ(file.Value(kGeneralGroup, 3), "640 X 480");
    file.metadata.info.height = 0;
    EXPECT_EQ(file.Value(kGeneralGroup, 3), "");
}

TEST_F(MediumInformationTest, DateTakenComesFromDateTimeOriginal)
{
    TestFile file;
    file.modified = FileTimeFromUnix({1000000000, 0});
    EXPECT_EQ(file.Value(kGeneralGroup, 4), ""); // Exif without a shooting date: no date at all
    AddAscii(file.Tags(), TagMap::kExif, 0x9003, "2006:03:14 09:26:53");
    EXPECT_EQ(file.Value(kGeneralGroup, 4), "2006-03-14 09:26:53");
    AddAscii(file.Tags(), TagMap::kExif, 0x9003, "2006/03/14 09:26:53");
    EXPECT_EQ(file.Value(kGeneralGroup, 4), "");
    AddAscii(file.Tags(), TagMap::kExif, 0x9003, "0000:00:00 00:00:00"); // clock never set
    EXPECT_EQ(file.Value(kGeneralGroup, 4), "");
}

TEST_F(MediumInformationTest, DateOfAPictureWithoutExifIsItsModificationTime)
{
    SystemTime local;
    local.year = 2006;
    local.month = 3;
    local.day = 14;
    local.hour = 9;
    local.minute = 26;
    local.second = 53;
    TestFile file;
    file.WithoutExif();
    file.modified = FileTimeFromLocalSystemTime(local);
    ASSERT_NE(file.modified, 0u);
    for (int picture : {0, 1, 3})
        EXPECT_EQ(file.Format(picture).Value(kGeneralGroup, 4), "2006-03-14 09:26:53") << picture;
    for (int other : {2, 4, 9})
        EXPECT_EQ(file.Format(other).Value(kGeneralGroup, 4), "") << other;
    file.Format(0).modified = 0;
    EXPECT_EQ(file.Value(kGeneralGroup, 4), "");
}

TEST_F(MediumInformationTest, ExposureAndApertureNeedExif)
{
    TestFile file;
    AddRational(file.Tags(), TagMap::kExif, 0x829A, 1, 250);
    AddRational(file.Tags(), TagMap::kExif, 0x829D, 28, 10);
    EXPECT_EQ(file.Build().Item(kGeneralGroup, 5), (LabelledValue{"Shutter speed", "1/250"}));
    EXPECT_EQ(file.Build().Item(kGeneralGroup, 6), (LabelledValue{"Aperture", "F2.8"}));
    file.WithoutExif();
    EXPECT_EQ(file.Value(kGeneralGroup, 5), "");
    EXPECT_EQ(file.Value(kGeneralGroup, 6), "");
}

TEST_F(MediumInformationTest, DurationIsHoursMinutesSecondsAndHundredths)
{
    TestFile file;
    file.metadata.info.durationHundredths = 366012;
    EXPECT_EQ(file.Value(kGeneralGroup, 7), "01:01:00.12");
    file.metadata.info.durationHundredths = 1;
    EXPECT_EQ(file.Value(kGeneralGroup, 7), "00:00:00.01");
    file.metadata.info.durationHundredths = 0;
    EXPECT_EQ(file.Value(kGeneralGroup, 7), "");
    file.metadata.info.durationHundredths = -1; // the platform reported none
    EXPECT_EQ(file.Value(kGeneralGroup, 7), "");
}

TEST_F(MediumInformationTest, FrameRateHasItsUnit)
{
    TestFile file;
    file.metadata.info.framesPerSecond = 30;
    EXPECT_EQ(file.Value(kGeneralGroup, 8), "30 fps");
    file.metadata.info.framesPerSecond = 0;
    EXPECT_EQ(file.Value(kGeneralGroup, 8), "");
}

// ---- File ----

TEST_F(MediumInformationTest, DcfNumberIsMarkedForDcfBasicFiles)
{
    Sandbox card;
    TestFile file;
    file.path = card.WriteFile("DCIM/100_ABCD/DSCF0001.JPG", "x");
    file.isMountPoint = [&card](const std::string& folder) { return folder == card.Path(); };
    EXPECT_EQ(file.Build().Item(kFileGroup, 0), (LabelledValue{"DCF number", "100-0001"}));
    AddAscii(file.Tags(), TagMap::kInterop, 0x0001, "R98");
    EXPECT_EQ(file.Value(kFileGroup, 0), "100-0001 (DCF basic, sRGB)");
    file.metadata.adobeRgb = true;
    EXPECT_EQ(file.Value(kFileGroup, 0), "100-0001");
    file.metadata.adobeRgb = false;
    EXPECT_EQ(file.Format(2).Value(kFileGroup, 0), "100-0001");
    EXPECT_EQ(file.Format(0).WithoutExif().Value(kFileGroup, 0), "100-0001");
}

TEST_F(MediumInformationTest, DcfMarkNeedsExactlyR98)
{
    Sandbox card;
    TestFile file;
    file.path = card.WriteFile("DCIM/100_ABCD/DSCF0001.JPG", "x");
    file.isMountPoint = [&card](const std::string& folder) { return folder == card.Path(); };
    AddAscii(file.Tags(), TagMap::kInterop, 0x0001, "R98 ");
    EXPECT_EQ(file.Value(kFileGroup, 0), "100-0001");
    AddAscii(file.Tags(), TagMap::kInterop, 0x0001, "R03");
    EXPECT_EQ(file.Value(kFileGroup, 0), "100-0001");
}

TEST_F(MediumInformationTest, NoDcfNumberOutsideACard)
{
    Sandbox folder;
    TestFile file;
    file.path = folder.WriteFile("DCIM/100_ABCD/DSCF0001.JPG", "x");
    file.isMountPoint = [](const std::string&) { return false; };
    AddAscii(file.Tags(), TagMap::kInterop, 0x0001, "R98");
    EXPECT_EQ(file.Value(kFileGroup, 0), "");
}

TEST_F(MediumInformationTest, CameraIsMakeAndModel)
{
    TestFile file;
    AddAscii(file.Tags(), TagMap::kPrimary, 0x010F, "KAVORINE   ");
    AddAscii(file.Tags(), TagMap::kPrimary, 0x0110, "Vistrel E500");
    EXPECT_EQ(file.Build().Item(kFileGroup, 1), (LabelledValue{"Camera", "KAVORINE Vistrel E500"}));
    file.Tags().Remove(TagMap::kPrimary, 0x010F);
    EXPECT_EQ(file.Value(kFileGroup, 1), "Vistrel E500");
    file.Tags().Remove(TagMap::kPrimary, 0x0110);
    EXPECT_EQ(file.Value(kFileGroup, 1), "");
    AddAscii(file.Tags(), TagMap::kPrimary, 0x0110, "Vistrel E500");
    EXPECT_EQ(file.WithoutExif().Value(kFileGroup, 1), "");
}

TEST_F(MediumInformationTest, QualityIsTheWordOfTheQualityIndex)
{
    TestFile file;
    AddBytes(file.Tags(), TagMap::kMakerNote, 0x1000, kTiffAscii, {'F', 'I', 'N', 'E', ' ', ' ', ' ', 0});
    EXPECT_EQ(file.Build().Item(kFileGroup, 2), (LabelledValue{"Quality", "Fine"}));
    AddBytes(file.Tags(), TagMap::kMakerNote, 0x1000, kTiffAscii, {'F', 'I', 'N', 'E', 0});
    EXPECT_EQ(file.Value(kFileGroup, 2), "");
    AddShort(file.Tags(), TagMap::kPrimary, 0x0106, 2);
    EXPECT_EQ(file.Value(kFileGroup, 2), "TIFF (RGB)");
    EXPECT_EQ(file.Format(2).Value(kFileGroup, 2), "CCD-RAW");
    EXPECT_EQ(file.WithoutExif().Value(kFileGroup, 2), "CCD-RAW");
    EXPECT_EQ(file.Format(0).Value(kFileGroup, 2), "");
}

TEST_F(MediumInformationTest, ColorSpaceIsAdobeRgbOrDeclaredSrgb)
{
    TestFile file;
    EXPECT_EQ(file.Value(kFileGroup, 3), "");
    AddShort(file.Tags(), TagMap::kExif, 0xA001, 1);
    EXPECT_EQ(file.Build().Item(kFileGroup, 3), (LabelledValue{"Color space", "sRGB"}));
    file.metadata.adobeRgb = true;
    EXPECT_EQ(file.Value(kFileGroup, 3), "Adobe RGB");
    file.metadata.adobeRgb = false;
    AddShort(file.Tags(), TagMap::kExif, 0xA001, 0xFFFF); // uncalibrated
    EXPECT_EQ(file.Value(kFileGroup, 3), "");
    AddShort(file.Tags(), TagMap::kExif, 0xA001, 1);
    EXPECT_EQ(file.WithoutExif().Value(kFileGroup, 3), "");
}

TEST_F(MediumInformationTest, ColorDepthOnlyForFilesWithoutExif)
{
    TestFile file;
    file.WithoutExif().Format(3);
    file.metadata.info.bitsPerPixel = 24;
    EXPECT_EQ(file.Build().Item(kFileGroup, 4), (LabelledValue{"Color depth", "24 bit"}));
    file.metadata.info.bitsPerPixel = 48;
    EXPECT_EQ(file.Value(kFileGroup, 4), "");
    file.metadata.info.bitsPerPixel = 0;
    EXPECT_EQ(file.Value(kFileGroup, 4), "");
    file.metadata.info.bitsPerPixel = 8;
    EXPECT_EQ(file.Value(kFileGroup, 4), "8 bit");
    EXPECT_EQ(file.Format(2).Value(kFileGroup, 4), "");
    file.Format(0).metadata.hasExif = true;
    EXPECT_EQ(file.Value(kFileGroup, 4), "");
}

// ---- Description ----

TEST_F(MediumInformationTest, DescriptionDropsCameraPadding)
{
    TestFile file;
    AddAscii(file.Tags(), TagMap::kPrimary, 0x010E, "Harbour at dawn   ");
    EXPECT_EQ(file.Build().Item(kDescriptionGroup, 0), (LabelledValue{"Title", "Harbour at dawn"}));
    AddAscii(file.Tags(), TagMap::kPrimary, 0x010E, "                ");
    EXPECT_EQ(file.Value(kDescriptionGroup, 0), "");
    AddAscii(file.Tags(), TagMap::kPrimary, 0x010E, "two\nlines");
    EXPECT_EQ(file.Value(kDescriptionGroup, 0), "two lines");
    EXPECT_EQ(file.WithoutExif().Value(kDescriptionGroup, 0), "");
}

TEST_F(MediumInformationTest, UserCommentIsReadInItsCharacterCode)
{
    TestFile file;
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("ASCII\0\0\0", 8), "Hello  "));
    EXPECT_EQ(file.Build().Item(kDescriptionGroup, 1), (LabelledValue{"Comment", "Hello"}));
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("\0\0\0\0\0\0\0\0", 8), std::string_view("Undefined\0junk", 14)));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), "Undefined");
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("UNICODE\0", 8), std::string_view("H\0i\0\xE9\0", 6)));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), "Hi\xC3\xA9");
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("UNICODE\0", 8), std::string_view("\0H\0i\0\0\0x", 8)));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), "Hi");
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("JIS\0\0\0\0\0", 8), "\x30\x21"));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), "");
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("ASCII\0\0\0", 8), ""));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), "");
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffAscii, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'x', 0});
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), ""); // UserComment is never ASCII-typed
}

TEST_F(MediumInformationTest, UserCommentStopsAt1023BytesBetweenCharacters)
{
    TestFile file;
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("ASCII\0\0\0", 8), std::string(2000, 'a')));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), std::string(1023, 'a'));
    // 1022 ASCII bytes then a two-byte character: cutting inside it would leave half of it.
    AddBytes(file.Tags(), TagMap::kExif, 0x9286, kTiffUndefined,
             Comment(std::string_view("ASCII\0\0\0", 8), std::string(1022, 'a') + "\xC3\xA9z"));
    EXPECT_EQ(file.Value(kDescriptionGroup, 1), std::string(1022, 'a'));
}

TEST_F(MediumInformationTest, CopyrightHasPhotographerAndEditorParts)
{
    TestFile file;
    AddBytes(file.Tags(), TagMap::kPrimary, 0x8298, kTiffAscii, {'A', 'n', 'n', 0, 'B', 'e', 'n', 0});
    EXPECT_EQ(file.Build().Item(kDescriptionGroup, 2), (LabelledValue{"Copyright (photographer)", "Ann"}));
    EXPECT_EQ(file.Build().Item(kDescriptionGroup, 3), (LabelledValue{"Copyright (editor)", "Ben"}));
    AddBytes(file.Tags(), TagMap::kPrimary, 0x8298, kTiffAscii, {' ', 0, 'B', 'e', 'n', 0});
    EXPECT_EQ(file.Value(kDescriptionGroup, 2), "");
    EXPECT_EQ(file.Value(kDescriptionGroup, 3), "Ben");
    AddAscii(file.Tags(), TagMap::kPrimary, 0x8298, "Ann");
    EXPECT_EQ(file.Value(kDescriptionGroup, 2), "Ann");
    EXPECT_EQ(file.Value(kDescriptionGroup, 3), "");
}

// ---- Shooting ----

TEST_F(MediumInformationTest, ShootingGroupNeedsExif)
{
    TestFile file;
    AddShort(file.Tags(), TagMap::kExif, 0x8827, 200);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1020, 1);
    EXPECT_EQ(file.Build().Item(kShootingGroup, 0), (LabelledValue{"ISO speed", "ISO 200"}));
    EXPECT_EQ(file.Value(kShootingGroup, 10), "On");
    file.WithoutExif();
    EXPECT_EQ(file.Build().Item(kShootingGroup, 0), (LabelledValue{"ISO speed", ""}));
    EXPECT_EQ(file.Value(kShootingGroup, 10), "");
}

TEST_F(MediumInformationTest, IsoSpeedZeroIsStillWritten)
{
    TestFile file;
    AddShort(file.Tags(), TagMap::kExif, 0x8827, 0);
    EXPECT_EQ(file.Value(kShootingGroup, 0), "ISO 0");
}

// One SHORT tag and the text its value gives; the tag goes into an Exif file without other tags.
struct ShortTagCase {
    TagMap map;
    std::uint16_t tag;
    std::uint16_t value;
    int group;
    int item;
    const char* text;
};

constexpr TagMap kExif = TagMap::kExif;
constexpr TagMap kMaker = TagMap::kMakerNote;

constexpr ShortTagCase kShortTagCases[] = {
    {kExif, 0xA401, 0, kDescriptionGroup, 4, "Off"}, // CustomRendered
    {kExif, 0xA401, 1, kDescriptionGroup, 4, "On"},
    {kExif, 0xA401, 2, kDescriptionGroup, 4, ""},
    {kExif, 0xA402, 0, kShootingGroup, 2, "Auto exposure"}, // ExposureMode
    {kExif, 0xA402, 2, kShootingGroup, 2, "Auto bracket"},
    {kExif, 0xA402, 3, kShootingGroup, 2, ""},
    {kExif, 0x9207, 0, kShootingGroup, 4, ""}, // MeteringMode
    {kExif, 0x9207, 1, kShootingGroup, 4, "Average"},
    {kExif, 0x9207, 6, kShootingGroup, 4, "Partial"},
    {kExif, 0x9207, 7, kShootingGroup, 4, ""},
    {kExif, 0x9207, 255, kShootingGroup, 4, ""},
    {kMaker, 0x1002, 0, kShootingGroup, 5, "Auto"}, // the maker's white balance
    {kMaker, 0x1002, 770, kShootingGroup, 5, "White fluorescent"},
    {kMaker, 0x1002, 3843, kShootingGroup, 5, "Custom 4"},
    {kMaker, 0x1002, 4064, kShootingGroup, 5, "Custom (preset)"},
    {kMaker, 0x1002, 4080, kShootingGroup, 5, "Color temperature"},
    {kMaker, 0x1002, 4352, kShootingGroup, 5, "Daylight (fine-tuned)"},
    {kMaker, 0x1002, 5120, kShootingGroup, 5, "Incandescent (fine-tuned)"},
    {kMaker, 0x1002, 1, kShootingGroup, 5, ""},
    {kExif, 0x9208, 0, kShootingGroup, 5, ""}, // LightSource: "unknown" says nothing
    {kExif, 0x9208, 1, kShootingGroup, 5, "Daylight"},
    {kExif, 0x9208, 4, kShootingGroup, 5, "Flash"},
    {kExif, 0x9208, 5, kShootingGroup, 5, ""},
    {kExif, 0x9208, 8, kShootingGroup, 5, ""},
    {kExif, 0x9208, 9, kShootingGroup, 5, "Fine weather"},
    {kExif, 0x9208, 16, kShootingGroup, 5, "Warm white fluorescent"},
    {kExif, 0x9208, 17, kShootingGroup, 5, "Standard light A"},
    {kExif, 0x9208, 24, kShootingGroup, 5, "ISO studio tungsten"},
    {kExif, 0x9208, 25, kShootingGroup, 5, ""},
    {kExif, 0x9208, 255, kShootingGroup, 5, "Other light source"},
    {kMaker, 0x1021, 1, kShootingGroup, 6, "Manual"}, // focus mode
    {kMaker, 0x1021, 2, kShootingGroup, 6, ""},
    {kExif, 0x9209, 0x10, kShootingGroup, 7, "Off"}, // Flash fired
    {kExif, 0x9209, 0x59, kShootingGroup, 7, "On"},
    {kExif, 0x9209, 0x18, kShootingGroup, 8, "Auto"}, // flash mode from the mode bits
    {kExif, 0x9209, 0x19, kShootingGroup, 8, "Auto"},
    {kExif, 0x9209, 0x59, kShootingGroup, 8, "Red-eye reduction"},
    {kExif, 0x9209, 0x09, kShootingGroup, 8, "On"},
    {kExif, 0x9209, 0x49, kShootingGroup, 8, "On"},
    {kExif, 0x9209, 0x10, kShootingGroup, 8, "Off"},
    {kExif, 0x9209, 0x41, kShootingGroup, 8, "Red-eye reduction"},
    {kExif, 0x9209, 0x01, kShootingGroup, 8, ""}, // mode not recorded
    {kExif, 0x9209, 0x20, kShootingGroup, 8, ""}, // no flash
    {kExif, 0x9209, 0x38, kShootingGroup, 8, ""},
    {kMaker, 0x1020, 0, kShootingGroup, 10, "Off"}, // macro
    {kMaker, 0x1020, 2, kShootingGroup, 10, ""},
    {kMaker, 0x1001, 0, kShootingGroup, 11, "Softest"}, // the maker's sharpness
    {kMaker, 0x1001, 130, kShootingGroup, 11, "Medium soft"},
    {kMaker, 0x1001, 3, kShootingGroup, 11, "Normal"},
    {kMaker, 0x1001, 132, kShootingGroup, 11, "Medium hard"},
    {kMaker, 0x1001, 6, kShootingGroup, 11, "Hardest"},
    {kMaker, 0x1001, 7, kShootingGroup, 11, ""},
    {kMaker, 0x1006, 768, kShootingGroup, 12, "Low"}, // the maker's contrast
    {kMaker, 0x1006, 128, kShootingGroup, 12, ""},
    {kMaker, 0x1004, 512, kShootingGroup, 13, "Low"}, // tone
    {kMaker, 0x1004, 1, kShootingGroup, 13, ""},
    {kMaker, 0x1003, 384, kShootingGroup, 14, "Medium low"}, // the maker's saturation
    {kMaker, 0x1003, 1024, kShootingGroup, 14, "Sepia"},
    {kMaker, 0x1031, 5, kShootingGroup, 15, "Night scene"}, // picture mode
    {kExif, 0xA406, 3, kShootingGroup, 15, "Night scene"},  // SceneCaptureType
    {kExif, 0xA406, 4, kShootingGroup, 15, ""},
    {kMaker, 0x1210, 16, kShootingGroup, 17, "Chrome"}, // color mode
    {kMaker, 0x1210, 17, kShootingGroup, 17, ""},
    {kMaker, 0x1401, 1024, kShootingGroup, 18, "Extra vivid"}, // film mode
    {kMaker, 0x1401, 1, kShootingGroup, 18, ""},
    {kMaker, 0x1402, 0, kShootingGroup, 19, "Auto"}, // dynamic range
    {kMaker, 0x1402, 256, kShootingGroup, 19, "Standard"},
    {kMaker, 0x1402, 512, kShootingGroup, 19, "Wide 1"},
    {kMaker, 0x1402, 521, kShootingGroup, 19, "Wide 10"},
    {kMaker, 0x1402, 522, kShootingGroup, 19, ""},
    {kMaker, 0x1402, 1, kShootingGroup, 19, ""}, // set by hand, but without its percentage
};

TEST_F(MediumInformationTest, TagValuesNameTheirListEntries)
{
    for (const ShortTagCase& c : kShortTagCases) {
        TestFile file;
        AddShort(file.Tags(), c.map, c.tag, c.value);
        EXPECT_EQ(file.Value(c.group, c.item), c.text)
            << "tag 0x" << std::hex << c.tag << " value " << std::dec << c.value;
    }
}

// One rational tag (SRATIONAL when the numerator or denominator is negative, or for the signed
// tags) and the text it gives.
struct RationalTagCase {
    TagMap map;
    std::uint16_t tag;
    bool isSigned;
    std::int64_t numerator;
    std::int64_t denominator;
    int item; // of the shooting group
    const char* text;
};

constexpr RationalTagCase kRationalTagCases[] = {
    {kExif, 0x920A, false, 47, 10, 1, " 4.7 mm"},   // FocalLength in a four-character field
    {kExif, 0x920A, false, 585, 100, 1, " 5.9 mm"}, // a binary 5.85 would print 5.8
    {kExif, 0x920A, false, 18, 1, 1, "18.0 mm"},
    {kExif, 0x920A, false, 18, 0, 1, ""},
    {kExif, 0x9204, true, 0, 1, 3, "0.0"}, // ExposureBiasValue: two decimals only for thirds
    {kExif, 0x9204, true, -2, 3, 3, "-0.67"},
    {kExif, 0x9204, true, 1, 3, 3, "0.33"},
    {kExif, 0x9204, true, -6, 10, 3, "-0.6"},
    {kExif, 0x9204, true, 2, -3, 3, "-0.67"},
    {kExif, 0x9204, true, 3, 1, 3, "3.0"},
    {kExif, 0x9204, true, 0, -3, 3, "0.0"},     // never "-0.0"
    {kExif, 0x9204, true, -1, 1000, 3, "0.00"}, // nor "-0.00"
    {kExif, 0x9204, true, 1, 0, 3, ""},
    {kMaker, 0x1011, true, -2, 3, 9, "-0.7"}, // flash compensation: whole or one decimal
    {kMaker, 0x1011, true, -1, 3, 9, "-0.3"},
    {kMaker, 0x1011, true, 1, 1, 9, "1"},
    {kMaker, 0x1011, true, -4, 2, 9, "-2"},
    {kMaker, 0x1011, true, 0, -1, 9, "0"},
    {kMaker, 0x1011, true, 5, 0, 9, ""},
    {kExif, 0xA404, false, 15, 10, 16, "1.50"}, // DigitalZoomRatio to the hundredth
    {kExif, 0xA404, false, 2, 3, 16, "0.67"},
    {kExif, 0xA404, false, 0, 1, 16, ""}, // no digital zoom
    {kExif, 0xA404, false, 0, 0, 16, ""},
    {kExif, 0xA404, false, 100, 0, 16, ""},
};

TEST_F(MediumInformationTest, RationalValuesAreWrittenToTheirPrecision)
{
    for (const RationalTagCase& c : kRationalTagCases) {
        TestFile file;
        if (c.isSigned)
            AddSRational(file.Tags(), c.map, c.tag, static_cast<std::int32_t>(c.numerator),
                         static_cast<std::int32_t>(c.denominator));
        else
            AddRational(file.Tags(), c.map, c.tag, static_cast<std::uint32_t>(c.numerator),
                        static_cast<std::uint32_t>(c.denominator));
        EXPECT_EQ(file.Value(kShootingGroup, c.item), c.text)
            << "tag 0x" << std::hex << c.tag << std::dec << " " << c.numerator << "/" << c.denominator;
    }
}

TEST_F(MediumInformationTest, DynamicRangeSetByHandIsAPercentage)
{
    TestFile file;
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1402, 1);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1403, 200);
    EXPECT_EQ(file.Value(kShootingGroup, 19), "200 %");
}

TEST_F(MediumInformationTest, FlashModeAddsSlowSync)
{
    TestFile file;
    AddShort(file.Tags(), TagMap::kExif, 0x9209, 0x19);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1030, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 8), "Auto + slow sync");
    AddShort(file.Tags(), TagMap::kExif, 0x9209, 0x20); // no flash: nothing to slow down
    EXPECT_EQ(file.Value(kShootingGroup, 8), "");
    AddShort(file.Tags(), TagMap::kExif, 0x9209, 0x19);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1030, 0);
    EXPECT_EQ(file.Value(kShootingGroup, 8), "Auto");
}

TEST_F(MediumInformationTest, PictureSettingsOfTheMakerComeBeforeExif)
{
    TestFile file;
    AddShort(file.Tags(), TagMap::kExif, 0x9208, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 5), "Daylight");
    AddShort(file.Tags(), TagMap::kExif, 0xA40A, 2);
    AddShort(file.Tags(), TagMap::kExif, 0xA408, 1);
    AddShort(file.Tags(), TagMap::kExif, 0xA409, 2);
    AddShort(file.Tags(), TagMap::kExif, 0xA406, 3);
    EXPECT_EQ(file.Value(kShootingGroup, 11), "Hard");
    EXPECT_EQ(file.Value(kShootingGroup, 12), "Soft");
    EXPECT_EQ(file.Value(kShootingGroup, 14), "High");
    EXPECT_EQ(file.Value(kShootingGroup, 15), "Night scene");
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1002, 0);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1001, 3);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1006, 256);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1003, 768);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1031, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 5), "Auto");
    EXPECT_EQ(file.Value(kShootingGroup, 11), "Normal");
    EXPECT_EQ(file.Value(kShootingGroup, 12), "High");
    EXPECT_EQ(file.Value(kShootingGroup, 14), "Black & white");
    EXPECT_EQ(file.Value(kShootingGroup, 15), "Portrait");
    // A maker value we cannot name hides the Exif one rather than contradict it.
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1031, 6);
    AddShort(file.Tags(), TagMap::kMakerNote, 0x1002, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 15), "");
    EXPECT_EQ(file.Value(kShootingGroup, 5), "");
}

TEST_F(MediumInformationTest, LensFocalRangeWritesBothEnds)
{
    TestFile file;
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1404, 28, 1);
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1405, 70, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 20), "28-70 mm");
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1404, 63, 10);
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1405, 1895, 100);
    EXPECT_EQ(file.Value(kShootingGroup, 20), "6.3-19.0 mm");
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1405, 63, 10);
    EXPECT_EQ(file.Value(kShootingGroup, 20), "6.3 mm");
    AddRational(file.Tags(), TagMap::kMakerNote, 0x1404, 0, 1);
    EXPECT_EQ(file.Value(kShootingGroup, 20), "");
    file.Tags().Remove(TagMap::kMakerNote, 0x1404);
    EXPECT_EQ(file.Value(kShootingGroup, 20), "");
}

// ---- Audio ----

TEST_F(MediumInformationTest, AudioGroupDescribesTheSound)
{
    TestFile file;
    file.WithoutExif().Format(9);
    file.metadata.info.audioSamplesPerSecondBy100 = 441;
    file.metadata.info.audioChannels = 2;
    file.metadata.info.audioBitsPerSample = 16;
    EXPECT_EQ(file.Build().Item(kAudioGroup, 0), (LabelledValue{"Sample rate", "44.1 kHz"}));
    EXPECT_EQ(file.Build().Item(kAudioGroup, 1), (LabelledValue{"Channels", "Stereo"}));
    EXPECT_EQ(file.Build().Item(kAudioGroup, 2), (LabelledValue{"Bits per sample", "16 bit"}));
    file.metadata.info.audioSamplesPerSecondBy100 = 80;
    file.metadata.info.audioChannels = 1;
    EXPECT_EQ(file.Value(kAudioGroup, 0), "8.0 kHz");
    EXPECT_EQ(file.Value(kAudioGroup, 1), "Mono");
    file.metadata.info.audioChannels = 6;
    EXPECT_EQ(file.Value(kAudioGroup, 1), "Stereo");
    file.metadata.info = MediumInfo{};
    for (int item = 0; item < 3; ++item)
        EXPECT_EQ(file.Value(kAudioGroup, item), "") << item;
}

// ---- GPS ----

TEST_F(MediumInformationTest, GpsCoordinatesAreDegreesMinutesSecondsInTheirHemisphere)
{
    TestFile file;
    AddBytes(file.Tags(), TagMap::kGps, 0x0000, kTiffByte, {2, 2, 0, 0});
    AddAscii(file.Tags(), TagMap::kGps, 0x0001, "N");
    AddRationals(file.Tags(), TagMap::kGps, 0x0002, {{35, 1}, {3951, 100}, {0, 1}});
    AddAscii(file.Tags(), TagMap::kGps, 0x0003, "W");
    AddRationals(file.Tags(), TagMap::kGps, 0x0004, {{139, 1}, {44, 1}, {3159, 100}});
    EXPECT_EQ(file.Build().Item(kGpsGroup, 0), (LabelledValue{"GPS version", "2.2.0.0"}));
    EXPECT_EQ(file.Build().Item(kGpsGroup, 1),
              (LabelledValue{"Latitude",
                             "35\xC2\xB0"
                             "39'30.60\" N"}));
    EXPECT_EQ(file.Build().Item(kGpsGroup, 2),
              (LabelledValue{"Longitude",
                             "139\xC2\xB0"
                             "44'31.59\" W"}));
    AddAscii(file.Tags(), TagMap::kGps, 0x0001, "S");
    AddAscii(file.Tags(), TagMap::kGps, 0x0003, "e");
    EXPECT_EQ(file.Value(kGpsGroup, 1),
              "35\xC2\xB0"
              "39'30.60\" S");
    EXPECT_EQ(file.Value(kGpsGroup, 2),
              "139\xC2\xB0"
              "44'31.59\" E");
}

TEST_F(MediumInformationTest, GpsCoordinatesCarryRoundedSeconds)
{
    TestFile file;
    // Decimal degrees only; 59.9999 seconds round up into the next minute.
    AddRationals(file.Tags(), TagMap::kGps, 0x0002, {{359999999, 10000000}, {0, 1}, {0, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 1),
              "36\xC2\xB0"
              "00'00.00\"");
    AddRationals(file.Tags(), TagMap::kGps, 0x0002, {{91, 1}, {0, 1}, {0, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 1), "");
    AddRationals(file.Tags(), TagMap::kGps, 0x0002, {{35, 1}, {0, 0}, {0, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 1), "");
    AddRationals(file.Tags(), TagMap::kGps, 0x0002, {{35, 1}, {10, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 1), "");
}

TEST_F(MediumInformationTest, UnknownHemisphereLeavesTheBareCoordinate)
{
    TestFile file;
    AddRationals(file.Tags(), TagMap::kGps, 0x0004, {{10, 1}, {0, 1}, {0, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 2),
              "10\xC2\xB0"
              "00'00.00\"");
    AddAscii(file.Tags(), TagMap::kGps, 0x0003, "N"); // not a longitude hemisphere
    EXPECT_EQ(file.Value(kGpsGroup, 2),
              "10\xC2\xB0"
              "00'00.00\"");
}

TEST_F(MediumInformationTest, GpsAltitudeIsSignedBySeaLevel)
{
    TestFile file;
    AddRational(file.Tags(), TagMap::kGps, 0x0006, 1234, 10);
    EXPECT_EQ(file.Build().Item(kGpsGroup, 3), (LabelledValue{"Altitude", "123.4 m"}));
    AddBytes(file.Tags(), TagMap::kGps, 0x0005, kTiffByte, {1});
    EXPECT_EQ(file.Value(kGpsGroup, 3), "-123.4 m");
    AddRational(file.Tags(), TagMap::kGps, 0x0006, 0, 1);
    EXPECT_EQ(file.Value(kGpsGroup, 3), "0 m");
    AddRational(file.Tags(), TagMap::kGps, 0x0006, 12, 0);
    EXPECT_EQ(file.Value(kGpsGroup, 3), "");
}

TEST_F(MediumInformationTest, GpsTextsAndTime)
{
    TestFile file;
    AddAscii(file.Tags(), TagMap::kGps, 0x0012, "WGS-84   ");
    AddAscii(file.Tags(), TagMap::kGps, 0x0008, "05");
    AddRationals(file.Tags(), TagMap::kGps, 0x0007, {{9, 1}, {26, 1}, {5350, 100}});
    EXPECT_EQ(file.Build().Item(kGpsGroup, 4), (LabelledValue{"Geodetic datum", "WGS-84"}));
    EXPECT_EQ(file.Build().Item(kGpsGroup, 5), (LabelledValue{"Satellites", "05"}));
    EXPECT_EQ(file.Build().Item(kGpsGroup, 6), (LabelledValue{"GPS time (UTC)", "09:26:53"}));
    AddAscii(file.Tags(), TagMap::kGps, 0x001D, "2006:03:14");
    EXPECT_EQ(file.Value(kGpsGroup, 6), "2006-03-14 09:26:53");
    AddRationals(file.Tags(), TagMap::kGps, 0x0007, {{24, 1}, {0, 1}, {0, 1}});
    EXPECT_EQ(file.Value(kGpsGroup, 6), "");
    file.WithoutExif();
    for (int item = 0; item < 7; ++item)
        EXPECT_EQ(file.Value(kGpsGroup, item), "") << item;
}

// ---- Items and lines ----

TEST_F(MediumInformationTest, ItemsOutsideTheGroupsAreEmpty)
{
    const MediumInformation info = TestFile().Build();
    EXPECT_EQ(info.Item(0, 0), LabelledValue{});
    EXPECT_EQ(info.Item(7, 0), LabelledValue{});
    EXPECT_EQ(info.Item(kGeneralGroup, 9), LabelledValue{});
    EXPECT_EQ(info.Item(kShootingGroup, -1), LabelledValue{});
    EXPECT_EQ(GroupItemCount(kShootingGroup), 21);
    EXPECT_EQ(GroupItemCount(kAudioGroup), 3);
}

TEST_F(MediumInformationTest, InformationLinesWalkTheGroupsInDisplayOrder)
{
    TestFile file;
    file.metadata.info.width = 640;
    file.metadata.info.height = 480;
    file.metadata.info.audioChannels = 1;
    AddRational(file.Tags(), TagMap::kExif, 0x829A, 1, 250);
    AddShort(file.Tags(), TagMap::kExif, 0x8827, 100);
    AddAscii(file.Tags(), TagMap::kPrimary, 0x010E, "Title");
    AddAscii(file.Tags(), TagMap::kGps, 0x0012, "WGS-84");
    AddAscii(file.Tags(), TagMap::kPrimary, 0x0110, "Vistrel E500");
    const std::vector<LabelledValue> expected = {
        {"File name", "DSCF0001.JPG"}, {"File format", "JPEG"},    {"File size", "4 KB"},
        {"Image size", "640 X 480"},   {"Shutter speed", "1/250"}, {"Camera", "Vistrel E500"},
        {"Channels", "Mono"},          {"Title", "Title"},         {"ISO speed", "ISO 100"},
        {"Geodetic datum", "WGS-84"},
    };
    const MediumInformation info = file.Build();
    EXPECT_EQ(info.InformationLines(), expected);
    EXPECT_EQ(info.InformationText(),
              "File name: DSCF0001.JPG\nFile format: JPEG\nFile size: 4 KB\nImage size: 640 X 480\n"
              "Shutter speed: 1/250\nCamera: Vistrel E500\nChannels: Mono\nTitle: Title\nISO speed: ISO 100\n"
              "Geodetic datum: WGS-84");
}

TEST_F(MediumInformationTest, FallbackFillsOnlyGeneralFileAndAudioLines)
{
    // A RAW picture's companion JPEG without Exif borrows from the RAW file.
    TestFile jpeg;
    jpeg.WithoutExif();
    jpeg.path = "/card/DSCF0001.JPG";
    TestFile raw;
    raw.Format(2);
    raw.path = "/card/DSCF0001.RAF";
    raw.metadata.info.width = 4000;
    raw.metadata.info.height = 3000;
    raw.metadata.info.audioChannels = 2;
    AddRational(raw.Tags(), TagMap::kExif, 0x829A, 1, 60);
    AddShort(raw.Tags(), TagMap::kExif, 0x8827, 400);
    AddAscii(raw.Tags(), TagMap::kPrimary, 0x010E, "From the RAW file");
    const MediumInformation own = jpeg.Build();
    const MediumInformation fallback = raw.Build();
    const std::vector<LabelledValue> lines = own.InformationLines(&fallback);
    const std::vector<LabelledValue> expected = {
        {"File name", "DSCF0001.JPG"}, {"File format", "JPEG"},   {"File size", "4 KB"},
        {"Image size", "4000 X 3000"}, {"Shutter speed", "1/60"}, {"Quality", "CCD-RAW"},
        {"Channels", "Stereo"},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(MediumInformationTest, ReadsSizeAndTimeOfARealFile)
{
    Sandbox folder;
    const std::string path = folder.WriteFile("notes.bmp", std::string(3000, 'x'));
    const MediumInformation info = MediumInformation::ForFile(path, nullptr);
    EXPECT_EQ(info.FileSize(), 3000u);
    EXPECT_NE(info.Modified(), 0u);
    EXPECT_EQ(info.FormatIndex(), 3);
    EXPECT_EQ(info.Item(kGeneralGroup, 0).value, "notes.bmp");
    EXPECT_EQ(info.Item(kGeneralGroup, 2).value, "2 KB");
}
