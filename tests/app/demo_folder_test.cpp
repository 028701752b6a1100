#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "demo_generator/demo_catalog.h"
#include "formats/format_registry.h"
#include "formats/medium_info_reader.h"
#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "library/file_time.h"
#include "library/item_list.h"
#include "library/medium_info.h"

// The demo card that the build puts beside the program: what the engine reads from it must be
// what the catalog says the demo camera recorded.

namespace {

namespace fs = std::filesystem;

fs::path DemoFolder()
{
    return fs::path(VISTREL_PROGRAM_PATH).parent_path() / kDemoFolderName;
}

std::string PathOf(std::string_view folder, std::string_view name)
{
    return (DemoFolder() / folder / name).string();
}

bool IsPicture(const DemoShot& shot)
{
    return shot.kind == DemoKind::Jpeg || shot.kind == DemoKind::Raw;
}

bool IsQuarterTurn(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// Every picture file of the card with the row it was made from: the rows, and the copies in
// the selection folder.
std::vector<std::pair<std::string, const DemoShot*>> PictureFiles()
{
    std::vector<std::pair<std::string, const DemoShot*>> files;
    for (const DemoShot& shot : kDemoShots) {
        if (IsPicture(shot))
            files.emplace_back(PathOf(shot.folder, shot.name), &shot);
        if (shot.folder == kFirstDcfFolder
            && std::find(kSelectionNames.begin(), kSelectionNames.end(), shot.name) != kSelectionNames.end())
            files.emplace_back(PathOf(kSelectionFolder, shot.name), &shot);
    }
    return files;
}

uint64_t ShotTime(const DemoDate& date)
{
    SystemTime time;
    time.year = static_cast<uint16_t>(date.year);
    time.month = static_cast<uint16_t>(date.month);
    time.day = static_cast<uint16_t>(date.day);
    time.hour = static_cast<uint16_t>(date.hour);
    time.minute = static_cast<uint16_t>(date.minute);
    time.second = static_cast<uint16_t>(date.second);
    return FileTimeFromLocalSystemTime(time);
}

uint64_t ModificationTime(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    return FileTimeFromUnix(status.st_mtim);
}

const MediaItem* Find(const ItemList& list, std::string_view name)
{
    for (const MediaItem& item : list.Items()) {
        if (item.fileName == name)
            return &item;
    }
    return nullptr;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Little32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::string_view Code(const std::vector<uint8_t>& bytes, size_t at)
{
    return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

// The mean of blue minus red over a band of rows: sky is blue, land is not.
double Blueness(const DibImage& image, uint32_t firstRow, uint32_t rows)
{
    double sum = 0;
    for (uint32_t y = firstRow; y < firstRow + rows; ++y) {
        for (uint32_t x = 0; x < image.Width(); ++x) {
            const uint32_t pixel = image.Pixel(x, y);
            sum += static_cast<int>(pixel & 0xFF) - static_cast<int>((pixel >> 16) & 0xFF);
        }
    }
    return sum / (rows * image.Width());
}

} // namespace

TEST(DemoFolder, LiesBesideTheProgramComplete)
{
    ASSERT_TRUE(fs::is_directory(DemoFolder() / kFirstDcfFolder)) << DemoFolder();
    EXPECT_TRUE(fs::is_directory(DemoFolder() / kSecondDcfFolder));
    EXPECT_TRUE(fs::is_directory(DemoFolder() / kSelectionFolder));
    EXPECT_FALSE(fs::exists(DemoFolder().parent_path() / ".Demo.partial"));
    for (const DemoShot& shot : kDemoShots)
        EXPECT_TRUE(fs::is_regular_file(PathOf(shot.folder, shot.name))) << shot.name;
    EXPECT_GE(std::count_if(kDemoShots.begin(), kDemoShots.end(), IsPicture), 30);
}

TEST(DemoFolder, ListsPicturesWithMemoRawCompanionMovieAndSelection)
{
    ItemList list;
    list.ChangeFolder((DemoFolder() / kFirstDcfFolder).string());
    int expectedImages = 0;
    int expectedMovies = 0;
    for (const DemoShot& shot : kDemoShots) {
        if (shot.folder == kFirstDcfFolder) {
            expectedImages += IsPicture(shot) ? 1 : 0;
            expectedMovies += shot.kind == DemoKind::Movie ? 1 : 0;
        }
    }
    const auto count = [&list](bool MediaItem::*flag) {
        return std::count_if(list.Items().begin(), list.Items().end(),
                             [flag](const MediaItem& item) { return item.*flag; });
    };
    EXPECT_EQ(count(&MediaItem::isImage), expectedImages);
    EXPECT_EQ(count(&MediaItem::isMovie), expectedMovies);
    EXPECT_EQ(count(&MediaItem::isSound), 0); // the memo belongs to its picture
    EXPECT_EQ(count(&MediaItem::isRaw), 1);
    EXPECT_EQ(list.SubFolderCount(), 1);
    EXPECT_EQ(list.Count(), static_cast<size_t>(expectedImages + expectedMovies + 1));

    const MediaItem* memo = Find(list, "DSCF0007.JPG");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->hasSoundMemo);
    EXPECT_EQ(fs::path(memo->soundMemoPath).filename(), "DSCF0007.WAV");

    const MediaItem* raw = Find(list, "DSCF0024.RAF");
    ASSERT_NE(raw, nullptr);
    EXPECT_TRUE(raw->isRaw);
    EXPECT_TRUE(raw->hasRawCompanion);
    EXPECT_EQ(fs::path(raw->rawCompanionPath).filename(), "DSCF0024.RAG");
    EXPECT_EQ(Find(list, "DSCF0024.RAG"), nullptr);

    const MediaItem* movie = Find(list, "DSCF0030.AVI");
    ASSERT_NE(movie, nullptr);
    EXPECT_TRUE(movie->isMovie);

    const MediaItem* selection = Find(list, fs::path(kSelectionFolder).filename().string());
    ASSERT_NE(selection, nullptr);
    EXPECT_TRUE(selection->IsFolder());
    EXPECT_EQ(selection->folderCounts.images, static_cast<int32_t>(kSelectionNames.size()));
    EXPECT_EQ(selection->folderCounts.entries, static_cast<int32_t>(kSelectionNames.size()));
}

TEST(DemoFolder, ListedPicturesTakeTheirShootingDateAndUprightSize)
{
    ItemList list;
    list.ChangeFolder((DemoFolder() / kSecondDcfFolder).string());
    ASSERT_TRUE(list.LoadAllInformation());
    for (const DemoShot& shot : kDemoShots) {
        if (shot.folder != kSecondDcfFolder)
            continue;
        const MediaItem* item = Find(list, shot.name);
        ASSERT_NE(item, nullptr) << shot.name;
        EXPECT_EQ(item->date, ShotTime(shot.date)) << shot.name;
        EXPECT_EQ(item->width, IsQuarterTurn(shot.orientation) ? shot.height : shot.width) << shot.name;
        EXPECT_EQ(item->height, IsQuarterTurn(shot.orientation) ? shot.width : shot.height) << shot.name;
    }
}

TEST(DemoFolder, EveryPictureCarriesItsExifDateOrientationAndColourSpace)
{
    for (const auto& [path, shot] : PictureFiles()) {
        SCOPED_TRACE(path);
        MediumInfo info;
        int error = 0;
        ASSERT_EQ(ReadMediumInfo(path, info, &error), 1) << error;
        EXPECT_EQ(info.hasExif, 1);
        EXPECT_EQ(info.adobeRgb, shot->adobeRgb ? 1 : 0);
        EXPECT_EQ(info.qualityIndex, 2); // "FINE"
        EXPECT_EQ(info.shootingDate.year, shot->date.year);
        EXPECT_EQ(info.shootingDate.month, shot->date.month);
        EXPECT_EQ(info.shootingDate.day, shot->date.day);
        EXPECT_EQ(info.shootingDate.hour, shot->date.hour);
        EXPECT_EQ(info.shootingDate.minute, shot->date.minute);
        EXPECT_EQ(info.shootingDate.second, shot->date.second);
        EXPECT_EQ(info.width, IsQuarterTurn(shot->orientation) ? shot->height : shot->width);
        EXPECT_EQ(info.height, IsQuarterTurn(shot->orientation) ? shot->width : shot->height);

        const std::unique_ptr<FormatHandler> handler = CreateFormatHandler(FormatIndexOfPath(path));
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(handler->Orientation(path), shot->orientation);
        EXPECT_EQ(ModificationTime(path), ShotTime(shot->date));
    }
}

TEST(DemoFolder, PortraitPicturesGiveUprightThumbnails)
{
    int portraits = 0;
    for (const auto& [path, shot] : PictureFiles()) {
        if (!IsQuarterTurn(shot->orientation) || shot->time == DayTime::Night)
            continue;
        SCOPED_TRACE(path);
        ++portraits;
        for (int sizeCode : {2, 3}) {
            DibImage thumbnail;
            ASSERT_EQ(MakeThumbnail(path, sizeCode, thumbnail), 0);
            EXPECT_GT(thumbnail.Height(), thumbnail.Width());
            // Upright: the sky at the top, the land at the bottom.
            const uint32_t band = thumbnail.Height() / 8;
            EXPECT_GT(Blueness(thumbnail, 0, band),
                      Blueness(thumbnail, thumbnail.Height() - band, band) + 40);
        }
    }
    EXPECT_GE(portraits, 4);
}

TEST(DemoFolder, UpsideDownPictureIsTurnedBack)
{
    for (const auto& [path, shot] : PictureFiles()) {
        if (shot->orientation != 3)
            continue;
        DibImage picture;
        ASSERT_EQ(ReadFullImage(path, picture), 0);
        EXPECT_EQ(picture.Width(), static_cast<uint32_t>(shot->width));
        const uint32_t band = picture.Height() / 8;
        EXPECT_GT(Blueness(picture, 0, band), Blueness(picture, picture.Height() - band, band) + 40);
        return;
    }
    FAIL() << "the card has no upside-down picture";
}

TEST(DemoFolder, SoundMemoIsAFewSecondsOfPcm)
{
    const std::vector<uint8_t> wav = ReadBytes(PathOf(kFirstDcfFolder, "DSCF0007.WAV"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(Code(wav, 0), "RIFF");
    EXPECT_EQ(Code(wav, 8), "WAVE");
    EXPECT_EQ(Code(wav, 12), "fmt ");
    EXPECT_EQ(wav[20] | wav[21] << 8, 1); // PCM
    const uint32_t bytesPerSecond = Little32(wav, 28);
    ASSERT_EQ(Code(wav, 36), "data");
    const double seconds = static_cast<double>(Little32(wav, 40)) / bytesPerSecond;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 3.0);
}

TEST(DemoFolder, MovieIsAnAviWithTheMakersExifStream)
{
    const std::vector<uint8_t> avi = ReadBytes(PathOf(kFirstDcfFolder, "DSCF0030.AVI"));
    ASSERT_GE(avi.size(), 96u);
    EXPECT_EQ(Code(avi, 0), "RIFF");
    EXPECT_EQ(Little32(avi, 4), avi.size() - 8);
    EXPECT_EQ(Code(avi, 8), "AVI ");
    EXPECT_EQ(Code(avi, 12), "LIST");
    EXPECT_EQ(Code(avi, 20), "hdrl");
    EXPECT_EQ(Code(avi, 24), "avih");
    EXPECT_EQ(Little32(avi, 32 + 32), 320u); // width and height of the main header
    EXPECT_EQ(Little32(avi, 32 + 36), 240u);
    const std::string_view text(reinterpret_cast<const char*>(avi.data()), avi.size());
    EXPECT_NE(text.find(std::string_view("KAVORINE AVI STREAM 0100\0", 25)), std::string_view::npos);
    EXPECT_NE(text.find("AVIF"), std::string_view::npos);
    EXPECT_NE(text.find("idx1"), std::string_view::npos);
}
