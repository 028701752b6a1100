#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/library_counts.h"
#include "listing_test_support.h"

namespace {

MediaItem FolderHolding(int images, int movies, int sounds, int raws, bool selected)
{
    MediaItem folder = FolderItem("101_FUJI", selected);
    folder.folderCounts = {images + movies + sounds, 0, images, movies, sounds, raws, 0, 0, 0, 0, 0};
    return folder;
}

void LoadWith(MediaItem& item, bool exif, bool adobeRgb)
{
    item.detail = std::make_unique<MediaItemDetail>();
    item.detail->loaded = true;
    item.detail->mediumInfo.hasExif = exif;
    item.detail->mediumInfo.adobeRgb = adobeRgb;
}

int64_t Value(const LibraryCounts& counts, std::string_view name)
{
    return CountValue(counts, name).value_or(-999);
}

} // namespace

TEST(LibraryCounts, CountsExistentAndSelectedItemsByKind)
{
    std::vector<MediaItem> items
        = MakeItems(FileItem("a.jpg", 10, true), FileItem("b.raf", 20, true), FileItem("c.avi", 30, true),
                    FileItem("d.mpg", 40, true), FileItem("e.mp3", 50, true), FileItem("f.tif", 60),
                    FolderHolding(1, 0, 0, 0, false));
    LoadWith(items[0], true, false);
    LoadWith(items[1], true, true);
    items[5].hasExif = true; // not loaded: the item's own flags count

    const LibraryCounts counts = Recount(items);

    EXPECT_TRUE(items[0].hasExif && items[1].adobeRgb); // handed over from the loaded details
    EXPECT_EQ(counts.items, 7);
    EXPECT_EQ(counts.subFolders, 1);
    EXPECT_EQ(counts.existentJpegs, 1);
    EXPECT_EQ(counts.allBytes, 210u);
    EXPECT_EQ(counts.imageBytes, 90u);
    EXPECT_EQ(counts.selectedItems, 5);
    EXPECT_EQ(counts.selectedBytes, 150u);
    EXPECT_EQ(counts.selectedMovieBytes, 70u);
    const std::pair<const char*, int64_t> expected[] = {
        {"NumSelectedImages", 2},
        {"NumSelectedExifImages", 2},
        {"NumSelectedRAFs", 1},
        {"NumSelectedMovies", 2},
        {"NumSelectedAVIs", 1},
        {"NumSelectedSounds", 1},
        {"NumSelectedNotAdobeRGBs", 1},
        {"NumSelectedExifNotAdobeRGBs", 1},
        {"NumExistentImages", 3},
        {"NumExistentExifImages", 3},
        {"NumExistentRAFs", 1},
        {"NumExistentMovies", 2},
        {"NumExistentSounds", 1},
        {"NumExistentNotAdobeRGBs", 2},
        {"NumExistentExifNotAdobeRGBs", 2},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Value(counts, name), value) << name;
}

TEST(LibraryCounts, SelectedAllVariantsAddSelectedFolderContents)
{
    std::vector<MediaItem> items = MakeItems(FolderHolding(3, 2, 1, 1, true), FileItem("a.jpg", 2048, true),
                                             FileItem("b.jpg", 4096), FolderHolding(9, 9, 9, 9, false));
    const LibraryCounts counts = Recount(items);
    EXPECT_EQ(Value(counts, "NumSelectedAllImages"), 4);
    EXPECT_EQ(Value(counts, "NumSelectedImages"), 1);
    EXPECT_EQ(Value(counts, "NumSelectedAllMovies"), 2);
    EXPECT_EQ(Value(counts, "NumSelectedAllSounds"), 1);
    EXPECT_EQ(Value(counts, "NumSelectedAllRAFs"), 1);
    EXPECT_EQ(counts.selectedFolders, 1);
    EXPECT_FALSE(CountValue(counts, "numselectedimages").has_value());
    EXPECT_FALSE(CountValue(counts, "NumSelectedAllAVIs").has_value());
}

TEST(LibraryCounts, HiddenItemsTakeNoPart)
{
    std::vector<MediaItem> items = MakeItems(FileItem("a.jpg", 10, true), FileItem("b.jpg", 20, true));
    items[1].hidden = true;
    const LibraryCounts counts = Recount(items);
    EXPECT_EQ(counts.items, 1);
    EXPECT_EQ(counts.selectedImages, 1);
    EXPECT_EQ(counts.allBytes, 10u);
    EXPECT_EQ(SelectedFileLists(items).paths.size(), 1u);
}

TEST(LibraryCounts, FileListsAreParallelWithEmptyTextsForMissingCompanions)
{
    std::vector<MediaItem> items
        = MakeItems(FileItem("a.jpg", 1, true), FileItem("b.raf", 1, false), FileItem("c.raf", 1, true));
    items[0].hasSoundMemo = true;
    items[0].soundMemoPath = "/card/DCIM/a.wav";
    items[2].hasRawCompanion = true;
    items[2].rawCompanionPath = "/card/DCIM/c.rag";
    items[2].soundMemoPath = "/stale/path.wav"; // no memo flag: not handed out

    const FileLists selected = SelectedFileLists(items);
    EXPECT_EQ(selected.paths, (std::vector<std::string>{"/card/DCIM/a.jpg", "/card/DCIM/c.raf"}));
    EXPECT_EQ(selected.memoPaths, (std::vector<std::string>{"/card/DCIM/a.wav", ""}));
    EXPECT_EQ(selected.companionPaths, (std::vector<std::string>{"", "/card/DCIM/c.rag"}));
    EXPECT_EQ(AllFileLists(items).companionPaths, (std::vector<std::string>{"", "", "/card/DCIM/c.rag"}));
}
