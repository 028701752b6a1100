#include <map>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "library/file_time.h"
#include "library/item_list.h"
#include "library/item_sort.h"
#include "library/medium_info.h"
#include "listing_test_support.h"
#include "media_writers/exif_builder.h"

namespace {

using Names = std::vector<std::string>;

// Medium information by file name in place of real files, and the names that were read.
struct FakeReader {
    std::map<std::string, MediumInfo> infos;
    Names reads;

    ItemList::InformationReader Reader()
    {
        return [this](const std::string& path, MediumInfo& info) {
            const std::string name = path.substr(path.rfind('/') + 1);
            reads.push_back(name);
            const auto found = infos.find(name);
            info = found == infos.end() ? MediumInfo{} : found->second;
            return found == infos.end() ? 0 : 1;
        };
    }
};

MediumInfo Sized(int32_t width, int32_t height)
{
    MediumInfo info;
    info.width = width;
    info.height = height;
    return info;
}

MediumInfo Timed(int32_t hundredths)
{
    MediumInfo info;
    info.durationHundredths = hundredths;
    return info;
}

class FolderListing : public ::testing::Test {
protected:
    void SetUp() override { LoadEnglishTexts(); }

    Names List()
    {
        list.ChangeFolder(sandbox.Path());
        return NamesOf(list.Items());
    }

    const MediaItem& Item(std::string_view name) const
    {
        for (const MediaItem& item : list.Items()) {
            if (item.fileName == name)
                return item;
        }
        throw std::runtime_error("not listed: " + std::string(name));
    }
    MediaItem& MutableItem(std::string_view name) { return const_cast<MediaItem&>(Item(name)); }

    Sandbox sandbox;
    FakeReader reader;
    ItemList list{reader.Reader()};
};

} // namespace

TEST_F(FolderListing, AttachesSoundMemoToJpegBeforeRaw)
{
    sandbox.WriteFile("DSCF0001.RAF", "raw"); // enumerated first: the type order decides
    sandbox.WriteFile("DSCF0001.JPG", "jpeg");
    const std::string memo = sandbox.WriteFile("DSCF0001.WAV", "memo");
    EXPECT_EQ(List(), (Names{"DSCF0001.JPG", "DSCF0001.RAF"}));
    EXPECT_EQ(Item("DSCF0001.JPG").soundMemoPath, memo);
    EXPECT_TRUE(Item("DSCF0001.JPG").hasSoundMemo && Item("DSCF0001.JPG").detail->hasSoundMemo);
    EXPECT_FALSE(Item("DSCF0001.RAF").hasSoundMemo || Item("DSCF0001.RAF").detail->hasSoundMemo);
}

TEST_F(FolderListing, MatchesMemosByTypeOrderThenNameIgnoringCaseButNotLength)
{
    for (const char* name : {"a.bmp", "a.raf", "a.wav", "b.bmp", "b.tif", "b.wav", "photo.jpg", "PHOTO.WAV",
                             "DSCF0001.JPG", "DSCF00011.WAV", "DSCF001.WAV"})
        sandbox.WriteFile(name, "x");
    EXPECT_EQ(List().size(), 8u);
    EXPECT_TRUE(Item("a.raf").hasSoundMemo && !Item("a.bmp").hasSoundMemo);
    EXPECT_TRUE(Item("b.tif").hasSoundMemo && !Item("b.bmp").hasSoundMemo);
    EXPECT_EQ(Item("photo.jpg").soundMemoPath, sandbox / "PHOTO.WAV");
    EXPECT_FALSE(Item("DSCF0001.JPG").hasSoundMemo);
    EXPECT_TRUE(Item("DSCF00011.WAV").isSound && Item("DSCF001.WAV").isSound);
}

TEST_F(FolderListing, ListsLoneSoundMemoAsSoundItem)
{
    sandbox.WriteFile("dscf0002.wav", "memo");
    ASSERT_EQ(List(), Names{"dscf0002.wav"});
    EXPECT_TRUE(Item("dscf0002.wav").isSound);
    EXPECT_EQ(Item("dscf0002.wav").typeNumber, 13);
}

TEST_F(FolderListing, GivesAPictureOnlyOneOfTwoMemosDifferingInCase)
{
    for (const char* name : {"a.jpg", "A.WAV", "a.wav"})
        sandbox.WriteFile(name, "x");
    ASSERT_EQ(List().size(), 2u);
    const std::string attached(FileNameOfPath(Item("a.jpg").soundMemoPath));
    EXPECT_TRUE(Item(attached == "a.wav" ? "A.WAV" : "a.wav").isSound);
}

TEST_F(FolderListing, AttachesRawCompanionAndDropsLoneOne)
{
    sandbox.WriteFile("DSCF0003.RAF", "raw");
    const std::string companion = sandbox.WriteFile("dscf0003.RAG", "rag");
    sandbox.WriteFile("x.rag", "rag");
    sandbox.WriteFile("DSCF0003.JPG", "jpeg"); // only RAF pictures take companions
    EXPECT_EQ(List(), (Names{"DSCF0003.JPG", "DSCF0003.RAF"}));
    EXPECT_EQ(Item("DSCF0003.RAF").rawCompanionPath, companion);
    EXPECT_TRUE(Item("DSCF0003.RAF").hasRawCompanion);
    EXPECT_FALSE(Item("DSCF0003.JPG").hasRawCompanion);
}

TEST_F(FolderListing, TakesFileFieldsFromTheEntryAndDropsOtherFiles)
{
    const std::string path = sandbox.WriteFile("Clip.AVI", std::string(5000, 'x'));
    SetModified(path, 1142328413);
    for (const char* name : {"readme.txt", "archive.tar.gz", "README"})
        sandbox.WriteFile(name, "x");
    ASSERT_EQ(::mkfifo((sandbox / "pipe.jpg").c_str(), 0600), 0); // reading it would block
    sandbox.MakeFolder("a.jpg");

    EXPECT_EQ(List(), (Names{"a.jpg", "Clip.AVI"}));
    const MediaItem& clip = Item("Clip.AVI");
    EXPECT_EQ(clip.fullPath, path);
    EXPECT_EQ(clip.typeNumber, 7);
    EXPECT_TRUE(clip.isMovie && !clip.isImage);
    EXPECT_EQ(clip.size, 5000u);
    EXPECT_EQ(clip.date, FileTimeFromUnix({1142328413, 0}));
    EXPECT_EQ(clip.Text(ItemText::Size), "4KB");
    const MediaItem& folder = Item("a.jpg");
    EXPECT_EQ(folder.attributes, kAttributeFolder);
    EXPECT_EQ(folder.typeNumber, 0);
    EXPECT_EQ(folder.typeName, "Folder");
    EXPECT_EQ(folder.size, 0u);
    EXPECT_EQ(list.SubFolderCount(), 1);
}

TEST_F(FolderListing, MarksEntriesTheUserMayNotWriteReadOnly)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write every file";
    ASSERT_EQ(::chmod(sandbox.WriteFile("locked.jpg", "p").c_str(), 0444), 0);
    sandbox.WriteFile("open.jpg", "p");
    List();
    EXPECT_EQ(Item("locked.jpg").attributes, kAttributeReadOnly);
    EXPECT_EQ(Item("open.jpg").attributes, 0u);
}

TEST_F(FolderListing, FollowsLinksToFoldersAndFiles)
{
    sandbox.WriteFile("elsewhere/album/one.jpg", "12345");
    sandbox.WriteFile("elsewhere/real.jpg", "123");
    const std::string shown = sandbox.MakeFolder("shown");
    ASSERT_EQ(::symlink((sandbox / "elsewhere/album").c_str(), (shown + "/linked").c_str()), 0);
    ASSERT_EQ(::symlink((sandbox / "elsewhere/real.jpg").c_str(), (shown + "/link.jpg").c_str()), 0);
    list.ChangeFolder(shown);
    ASSERT_EQ(NamesOf(list.Items()), (Names{"link.jpg", "linked"}));
    EXPECT_EQ(list.Items()[0].size, 3u);
    EXPECT_TRUE(list.Items()[1].IsFolder());
    EXPECT_EQ(list.Items()[1].folderCounts.images, 1);
}

TEST_F(FolderListing, SkipsHiddenPictureButCountsItInParentFolderCounts)
{
    sandbox.WriteFile(".hidden.jpg", "h");
    sandbox.MakeFolder(".cache");
    sandbox.WriteFile("DCIM/.secret.jpg", std::string(2048, 'x'));
    sandbox.WriteFile("DCIM/one.JPG", std::string(1000, 'x'));
    sandbox.WriteFile("DCIM/two.raf", std::string(3000, 'x'));
    sandbox.WriteFile("DCIM/clip.avi", std::string(500, 'x'));
    sandbox.WriteFile("DCIM/memo.wav", std::string(200, 'x'));
    sandbox.WriteFile("DCIM/side.rag", std::string(7, 'x'));
    sandbox.WriteFile("DCIM/notes.txt", "t");
    sandbox.WriteFile("DCIM/inner/deep.jpg", "one level only");
    sandbox.MakeFolder("DCIM/.trash");

    EXPECT_EQ(List(), Names{"DCIM"});

    FolderCounts expected;
    expected.entries = 8; // six known files and two folders
    expected.subFolders = 2;
    expected.images = 3;
    expected.movies = 1;
    expected.sounds = 1;
    expected.raws = 1;
    expected.unknownFiles = 1;
    expected.allBytes = 2048 + 1000 + 3000 + 500 + 200 + 7;
    expected.imageBytes = 2048 + 1000 + 3000;
    expected.movieBytes = 500;
    expected.soundBytes = 200;
    EXPECT_EQ(Item("DCIM").folderCounts, expected);
}

TEST_F(FolderListing, UnreadableFolderGivesEmptyList)
{
    sandbox.WriteFile("a.jpg", "p");
    ASSERT_EQ(List().size(), 1u);
    list.ChangeFolder(sandbox / "missing");
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(FolderListing, SortByDatePutsFilesOldestFirstBeforeFolders)
{
    SetModified(sandbox.MakeFolder("aaa-old-folder"), 100);
    SetModified(sandbox.WriteFile("new.jpg", "p"), 3000);
    SetModified(sandbox.WriteFile("old.jpg", "p"), 2000);
    SetModified(sandbox.MakeFolder("zzz-folder"), 50);
    List();
    EXPECT_EQ(list.SetSortType(kSortByDate, false), kSortByDate);
    EXPECT_EQ(NamesOf(list.Items()), (Names{"old.jpg", "new.jpg", "zzz-folder", "aaa-old-folder"}));
}

TEST_F(FolderListing, SortByNameMixesFilesAndFoldersIgnoringCase)
{
    sandbox.WriteFile("b.jpg", "p");
    sandbox.MakeFolder("A-folder");
    sandbox.WriteFile("C.JPG", "p");
    sandbox.MakeFolder("b-folder");
    EXPECT_EQ(List(), (Names{"A-folder", "b-folder", "b.jpg", "C.JPG"}));
}

TEST_F(FolderListing, SortByDimensionsAndDurationPutUnknownValuesLast)
{
    for (const char* name :
         {"big.jpg", "small.jpg", "clip.avi", "long.wav", "untimed.mpg", "DSCF0005.JPG", "DSCF0005.WAV"})
        sandbox.WriteFile(name, "x");
    reader.infos["big.jpg"] = Sized(1600, 1200);
    reader.infos["small.jpg"] = Sized(640, 480);
    reader.infos["clip.avi"] = Timed(500);
    reader.infos["long.wav"] = Timed(6000);
    reader.infos["untimed.mpg"] = Timed(-1); // length unknown to the reader
    reader.infos["DSCF0005.WAV"] = Timed(1234);
    List();

    EXPECT_EQ(list.SetSortType(kSortByDimensions, false), kSortByDimensions);
    EXPECT_EQ(NamesOf(list.Items()),
              (Names{"small.jpg", "big.jpg", "clip.avi", "DSCF0005.JPG", "long.wav", "untimed.mpg"}));
    // A picture with a memo takes the memo's duration.
    EXPECT_EQ(list.SetSortType(kSortByDuration, false), kSortByDuration);
    EXPECT_EQ(NamesOf(list.Items()),
              (Names{"clip.avi", "DSCF0005.JPG", "long.wav", "untimed.mpg", "big.jpg", "small.jpg"}));
    EXPECT_EQ(Item("DSCF0005.JPG").durationMs, 12340u);
}

TEST_F(FolderListing, NamesDifferingOnlyInCaseKeepEnumerationOrderUnderEverySortType)
{
    // Enough of them that an unstable sort would not keep the order by chance.
    for (int variant = 0; variant < 40; ++variant) {
        std::string name = "same.jpg";
        for (size_t bit = 0; bit < name.size(); ++bit) {
            if (name[bit] != '.' && ((variant >> bit) & 1))
                name[bit] = static_cast<char>(name[bit] - 'a' + 'A');
        }
        SetModified(sandbox.WriteFile(name, "equal"), 1000);
    }
    const Names enumerated = EnumerationOrder(sandbox.Path());
    List();
    for (int sortType : {1, 2, 3, 4, 5, 0}) {
        list.SetSortType(sortType, false);
        EXPECT_EQ(NamesOf(list.Items()), enumerated) << "sort type " << sortType;
    }
}

TEST_F(FolderListing, RefreshKeepsDetailsOfItemsWithSameNameAndMemoState)
{
    for (const char* name : {"keep.jpg", "memo.jpg", "gone.jpg"})
        sandbox.WriteFile(name, "p");
    List();
    MediaItemDetail* kept = Item("keep.jpg").detail.get();
    kept->loaded = true;
    kept->statusText = "loaded picture";
    const MediaItemDetail* memoDetail = Item("memo.jpg").detail.get();

    ::unlink((sandbox / "gone.jpg").c_str());
    sandbox.WriteFile("memo.wav", "now with a memo");
    sandbox.WriteFile("added.jpg", "p");
    list.Refresh();

    EXPECT_EQ(NamesOf(list.Items()), (Names{"added.jpg", "keep.jpg", "memo.jpg"}));
    EXPECT_EQ(Item("keep.jpg").detail.get(), kept);
    EXPECT_EQ(Item("keep.jpg").Text(ItemText::Detail), "loaded picture");
    EXPECT_NE(Item("memo.jpg").detail.get(), memoDetail);
    EXPECT_TRUE(Item("memo.jpg").detail->hasSoundMemo);
    EXPECT_FALSE(Item("added.jpg").detail->loaded);
}

TEST_F(FolderListing, RefreshKeepsReadInformationAndReadsOnlyNewFiles)
{
    sandbox.WriteFile("a.jpg", "p");
    sandbox.WriteFile("b.jpg", "p");
    reader.infos["a.jpg"] = Sized(800, 600);
    reader.infos["b.jpg"] = Sized(640, 480);
    reader.infos["c.jpg"] = Sized(320, 240);
    List();
    list.SetSortType(kSortByDimensions, false);

    sandbox.WriteFile("c.jpg", "p");
    list.Refresh();

    EXPECT_EQ(reader.reads, (Names{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(list.AllInformationLoaded());
    EXPECT_EQ(NamesOf(list.Items()), (Names{"c.jpg", "b.jpg", "a.jpg"}));
}

TEST_F(FolderListing, CancelledLoadSortsByNameAndKeepsWhatWasRead)
{
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        sandbox.WriteFile(name, "p");
    reader.infos["a.jpg"] = Sized(900, 900);
    reader.infos["b.jpg"] = Sized(100, 100);
    reader.infos["c.jpg"] = Sized(50, 50);
    reader.infos["d.jpg"] = Sized(10, 10);
    List();
    std::vector<int> reported;
    bool cancel = true;
    const auto progress = [&](int perMille) {
        reported.push_back(perMille);
        return !(cancel && perMille >= 500);
    };

    EXPECT_EQ(list.SetSortType(kSortByDimensions, false, progress), kSortByName);
    EXPECT_EQ(reported, (std::vector<int>{250, 500}));
    EXPECT_EQ(list.RequestedSortType(), kSortByDimensions);
    EXPECT_FALSE(list.AllInformationLoaded());
    EXPECT_EQ(NamesOf(list.Items()), (Names{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    EXPECT_EQ(list.Items()[1].width, 100);
    EXPECT_EQ(list.Items()[2].width, 0);

    // Trying again reads only what is missing; later sorts and a refresh read nothing.
    cancel = false;
    reader.reads.clear();
    EXPECT_EQ(list.SetSortType(kSortByDimensions, false, progress), kSortByDimensions);
    EXPECT_EQ(reader.reads, (Names{"c.jpg", "d.jpg"}));
    EXPECT_EQ(NamesOf(list.Items()), (Names{"d.jpg", "c.jpg", "b.jpg", "a.jpg"}));
    list.SetSortType(kSortByDate, false);
    list.Refresh();
    EXPECT_EQ(reader.reads.size(), 2u);

    // A folder change forgets everything.
    List();
    EXPECT_FALSE(list.AllInformationLoaded());
    list.SetSortType(kSortByDuration, false);
    EXPECT_EQ(reader.reads.size(), 6u);
}

TEST_F(FolderListing, IgnoresSortTypeInPeriodModeAndOutOfRange)
{
    sandbox.WriteFile("a.jpg", "p");
    List();
    EXPECT_EQ(list.SetSortType(kSortByDate, true), kSortByName);
    EXPECT_EQ(list.SetSortType(6, false), kSortByName);
    EXPECT_EQ(list.RequestedSortType(), kSortByName);
    EXPECT_TRUE(reader.reads.empty());
}

TEST_F(FolderListing, TakesInformationThatTheWorkerLoadedIntoDetails)
{
    sandbox.WriteFile("a.jpg", "p");
    sandbox.WriteFile("b.jpg", "p");
    reader.infos["b.jpg"] = Sized(100, 100);
    List();
    MediaItemDetail& detail = *list.Items().at(0).detail;
    detail.loaded = true;
    detail.mediumInfo = Sized(4000, 3000);
    list.SetSortType(kSortByDimensions, false);
    EXPECT_EQ(reader.reads, Names{"b.jpg"});
    EXPECT_EQ(NamesOf(list.Items()), (Names{"b.jpg", "a.jpg"}));
}

TEST(FolderListingFromFiles, LoadsShootingDateAndSizeFromJpeg)
{
    Sandbox sandbox;
    ExifBuilder exif;
    exif.exif.Ascii(0x9003, "2006:03:14 09:26:53");
    SetModified(sandbox.WriteFile("DSCF0007.JPG", AsText(MakeExifJpeg(exif.Build().bytes, 640, 480))),
                2000000000);
    sandbox.WriteFile("DSCF0008.JPG", AsText(JpegBuilder().Sof(320, 240).Build()));
    ItemList list;
    list.ChangeFolder(sandbox.Path());

    ASSERT_TRUE(list.LoadAllInformation());

    SystemTime shot{2006, 3, 0, 14, 9, 26, 53, 0};
    const MediaItem& dated = list.Items().at(0);
    EXPECT_EQ(dated.date, FileTimeFromLocalSystemTime(shot));
    EXPECT_EQ(dated.Text(ItemText::Date), "2006-03-14 09:26:53");
    EXPECT_EQ(dated.width, 640);
    EXPECT_EQ(dated.height, 480);
    EXPECT_EQ(list.Items().at(1).width, 320);
    EXPECT_EQ(list.Items().at(1).height, 240);
}

// A picture that another program was still copying in when it was listed is read again once
// it has its whole size, though its name stayed the same.
TEST_F(FolderListing, RefreshReadsAFileAgainWhoseSizeOrTimeChanged)
{
    for (const char* name : {"growing.jpg", "touched.jpg", "still.jpg"})
        sandbox.WriteFile(name, "p");
    List();
    for (const char* name : {"growing.jpg", "touched.jpg", "still.jpg"})
        MutableItem(name).detail->loaded = true;
    const MediaItemDetail* still = Item("still.jpg").detail.get();
    sandbox.WriteFile("growing.jpg", "the whole picture at last");
    const std::string touched = sandbox / "touched.jpg";
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, touched.c_str(), times, 0), 0);
    list.Refresh();
    EXPECT_FALSE(Item("growing.jpg").detail->loaded);
    EXPECT_FALSE(Item("touched.jpg").detail->loaded);
    EXPECT_EQ(Item("still.jpg").detail.get(), still);
    // Unchanged since, they keep what is loaded now.
    MutableItem("growing.jpg").detail->loaded = true;
    list.Refresh();
    EXPECT_TRUE(Item("growing.jpg").detail->loaded);
}

TEST_F(FolderListing, RefreshReadsARewrittenFileAgain)
{
    for (const char* name : {"edited.jpg", "other.jpg"})
        sandbox.WriteFile(name, "p");
    List();
    Item("edited.jpg").detail->loaded = true;
    Item("edited.jpg").detail->statusText = "old date";
    const MediaItemDetail* other = Item("other.jpg").detail.get();

    MutableItem("edited.jpg").selected = true;
    list.MarkChanged("edited.jpg");
    list.Refresh();
    EXPECT_FALSE(Item("edited.jpg").detail->loaded);
    EXPECT_TRUE(Item("edited.jpg").selected);
    EXPECT_FALSE(Item("other.jpg").selected);
    EXPECT_EQ(Item("other.jpg").detail.get(), other);
    // The mark is used once.
    Item("edited.jpg").detail->loaded = true;
    const MediaItemDetail* reread = Item("edited.jpg").detail.get();
    list.Refresh();
    EXPECT_EQ(Item("edited.jpg").detail.get(), reread);
}

