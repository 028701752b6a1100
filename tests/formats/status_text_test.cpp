#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/medium_info_test_support.h"
#include "formats/medium_information.h"
#include "formats/status_text.h"

namespace {

FileMetadata ExifPicture()
{
    FileMetadata metadata;
    metadata.formatIndex = 0;
    metadata.hasExif = true;
    AddAscii(metadata.tags, TagMap::kExif, 0x9003, "2006:03:14 09:26:53");
    AddBytes(metadata.tags, TagMap::kMakerNote, 0x1000, kTiffAscii, {'F', 'I', 'N', 'E', ' ', ' ', ' ', 0});
    return metadata;
}

std::uint64_t LocalFileTime(std::uint16_t hour)
{
    SystemTime local;
    local.year = 2007;
    local.month = 7;
    local.day = 1;
    local.hour = hour;
    return FileTimeFromLocalSystemTime(local);
}

} // namespace

class StatusAndTooltipText : public WithEnglishTexts {};

TEST_F(StatusAndTooltipText, ExifPictureShowsShootingDateQualitySizeAndSource)
{
    FileMetadata metadata = ExifPicture();
    AddBytes(metadata.tags, TagMap::kExif, 0xA300, kTiffUndefined, {3});
    const MediumInformation info(metadata, "/card/DSCF0001.JPG", 250 * 1024, LocalFileTime(12), nullptr);
    EXPECT_EQ(
        StatusPieces(info),
        (std::vector<std::string>{"Taken 2006-03-14 09:26:53  Fine", "250 KB", "Source: Digital camera"}));
    EXPECT_EQ(StatusText(info), "Taken 2006-03-14 09:26:53  Fine  250 KB  Source: Digital camera");
    EXPECT_EQ(TooltipText(info),
              "DSCF0001.JPG\nTaken 2006-03-14 09:26:53  Fine\n250 KB\nSource: Digital camera");
}

TEST_F(StatusAndTooltipText, RawPictureNamesItsFormatAsQuality)
{
    FileMetadata metadata = ExifPicture();
    metadata.formatIndex = 2;
    const MediumInformation info(metadata, "/card/DSCF0001.RAF", 10 * 1024, 0, nullptr);
    EXPECT_EQ(StatusText(info), "Taken 2006-03-14 09:26:53  RAW (RAF)  10 KB");
}

TEST_F(StatusAndTooltipText, UnknownQualityLeavesNoTrailingBlanks)
{
    FileMetadata metadata = ExifPicture();
    metadata.tags.Remove(TagMap::kMakerNote, 0x1000);
    const MediumInformation info(metadata, "/card/x.jpg", 2048, 0, nullptr);
    EXPECT_EQ(StatusPieces(info).front(), "Taken 2006-03-14 09:26:53");
}

TEST_F(StatusAndTooltipText, FilesWithoutShootingDateShowTheirModificationTime)
{
    FileMetadata metadata;
    metadata.formatIndex = 4;
    const MediumInformation movie(metadata, "/card/MOV0001.AVI", 4096, LocalFileTime(8), nullptr);
    EXPECT_EQ(StatusText(movie), "Modified 2007-07-01 08:00:00  4 KB");

    FileMetadata undated = ExifPicture();
    undated.tags.Remove(TagMap::kExif, 0x9003);
    const MediumInformation picture(undated, "/card/x.jpg", 4096, LocalFileTime(9), nullptr);
    EXPECT_EQ(StatusText(picture), "Modified 2007-07-01 09:00:00  4 KB");

    const MediumInformation timeless(metadata, "/card/MOV0001.AVI", 4096, 0, nullptr);
    EXPECT_EQ(StatusText(timeless), "4 KB");
}

TEST_F(StatusAndTooltipText, FileSourceOutsideItsRangeAddsNothing)
{
    FileMetadata metadata = ExifPicture();
    AddBytes(metadata.tags, TagMap::kExif, 0xA300, kTiffUndefined, {4});
    const MediumInformation info(metadata, "/card/x.jpg", 0, 0, nullptr);
    EXPECT_EQ(StatusText(info), "Taken 2006-03-14 09:26:53  Fine  0 KB");
}

TEST_F(StatusAndTooltipText, DamagedTemplatesGarbleTextButNothingElse)
{
    LanguageStrings().Parse("EX_MEDIUMINFO_STRING1070,\"%d %n %s %s %s %s %p\"\n"
                            "EX_MEDIUMINFO_STRING1071,\"%s of %*d\"\n"
                            "EX_MEDIUMINFO_STRING1317,\"%s%s%s%s%s%s%s%s%s%s%s%s%s%s\"\n");
    FileMetadata metadata = ExifPicture();
    AddBytes(metadata.tags, TagMap::kExif, 0xA300, kTiffUndefined, {3});
    const MediumInformation info(metadata, "/card/x.jpg", 1024, 0, nullptr);
    EXPECT_EQ(StatusPieces(info),
              (std::vector<std::string>{"2006-03-14 09:26:53 Fine", "1 of", "Digital camera"}));
}

TEST_F(StatusAndTooltipText, MissingTemplatesLeaveTheirPiecesOut)
{
    LanguageStrings().Parse("EX_MEDIUMINFO_STRING1070,\"\"\nEX_MEDIUMINFO_STRING1071,\"\"\n");
    const MediumInformation info(ExifPicture(), "/card/x.jpg", 1024, 0, nullptr);
    EXPECT_EQ(TooltipText(info), "x.jpg");
}
