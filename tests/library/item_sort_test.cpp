#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/item_sort.h"
#include "listing_test_support.h"

namespace {

using Names = std::vector<std::string>;

Names Sorted(std::vector<MediaItem> items, int sortType)
{
    SortItems(items, sortType);
    return NamesOf(items);
}

} // namespace

TEST(ItemSort, NamesCompareLowerCasedBytesWithPrefixFirst)
{
    EXPECT_EQ(CompareItemNames("photo.jpg", "PHOTO.JPG"), 0);
    EXPECT_LT(CompareItemNames("dscf", "DSCF0001.jpg"), 0);
    EXPECT_GT(CompareItemNames("dscf0001.jpg", "DSCF"), 0);
    EXPECT_LT(CompareItemNames("_x", "Ax"), 0);                 // "_" lies between "Z" and "a"
    EXPECT_GT(CompareItemNames("\xC3\xA9t\xC3\xA9", "zoo"), 0); // bytes are unsigned
}

TEST(ItemSort, ByTypeFollowsTheExtensionTableWithFoldersFirst)
{
    EXPECT_EQ(Sorted(MakeItems(FileItem("a.wav"), FileItem("b.avi"), FileItem("c.raf"), FolderItem("z"),
                               FileItem("d.tif"), FileItem("e.jpg")),
                     kSortByType),
              (Names{"z", "e.jpg", "d.tif", "c.raf", "b.avi", "a.wav"}));
}

TEST(ItemSort, BySizeComparesAll64Bits)
{
    EXPECT_EQ(Sorted(MakeItems(FileItem("huge.avi", 0x100000000ULL), FileItem("same-b.avi", 20),
                               FileItem("small.avi", 10), FileItem("same-a.avi", 20)),
                     kSortBySize),
              (Names{"small.avi", "same-a.avi", "same-b.avi", "huge.avi"}));
}

TEST(ItemSort, ByDimensionsOrdersPixelCountWithZeroLastThenWidth)
{
    std::vector<MediaItem> items
        = MakeItems(FileItem("movie.avi"), FileItem("big.jpg"), FileItem("wide.jpg"), FileItem("tall.jpg"),
                    FolderItem("folder"), FileItem("wraps.tif"));
    const std::pair<int32_t, int32_t> sizes[]
        = {{0, 0}, {1600, 1200}, {100, 48}, {80, 60}, {9, 9}, {65536, 65536}};
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].width = sizes[i].first;
        items[i].height = sizes[i].second;
    }
    // 100 x 48 and 80 x 60 have the same pixel count; 65536 x 65536 wraps to 0 in 32 bits.
    EXPECT_EQ(Sorted(std::move(items), kSortByDimensions),
              (Names{"tall.jpg", "wide.jpg", "big.jpg", "movie.avi", "wraps.tif", "folder"}));
}

TEST(ItemSort, ByDurationPutsZeroLastAndMoviesAndSoundsFirstAmongEquals)
{
    std::vector<MediaItem> items
        = MakeItems(FileItem("a.jpg"), FileItem("b-sound.wav"), FileItem("c-movie.avi"), FileItem("d.jpg"),
                    FileItem("e-five.avi"), FileItem("f-sixty.wav"));
    items[0].durationMs = 5000; // a picture with a 5-second memo ties with the movie
    items[4].durationMs = 5000;
    items[5].durationMs = 60000;
    EXPECT_EQ(Sorted(std::move(items), kSortByDuration),
              (Names{"e-five.avi", "a.jpg", "f-sixty.wav", "b-sound.wav", "c-movie.avi", "d.jpg"}));
}

TEST(ItemSort, IsAStableMergeForEveryTypeAndLength)
{
    // Random keys with many ties; names that tie too ("x.jpg" and "X.JPG") must keep their order.
    std::mt19937 random(20060314);
    for (int sortType = 0; sortType < kSortTypeCount; ++sortType) {
        for (size_t count : {0u, 1u, 2u, 3u, 7u, 64u, 257u}) {
            std::vector<MediaItem> items;
            for (size_t i = 0; i < count; ++i) {
                const char* names[] = {"x.jpg", "X.JPG", "y.avi", "Y.wav"};
                MediaItem item = random() % 5 ? FileItem(names[random() % 4], random() % 3)
                                              : FolderItem(names[random() % 4]);
                item.date = random() % 3;
                item.width = static_cast<int32_t>(random() % 3);
                item.height = static_cast<int32_t>(random() % 2);
                item.durationMs = static_cast<uint32_t>(random() % 3);
                items.push_back(std::move(item));
            }
            std::vector<size_t> expected(count);
            for (size_t i = 0; i < count; ++i)
                expected[i] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) {
                return CompareItems(items[a], items[b], sortType) < 0;
            });
            EXPECT_EQ(SortedOrder(items, sortType), expected)
                << "type " << sortType << ", " << count << " items";
        }
    }
}
