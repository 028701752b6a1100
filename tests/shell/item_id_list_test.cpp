#include <gtest/gtest.h>

#include "shell/item_id_list.h"

TEST(ItemIdList, EncodesOneRecordPerComponentFromTheRoot)
{
    const ItemIdList list = EncodeItemIdList("/ab/c");
    const ItemIdList expected = {3, 0, '/', 4, 0, 'a', 'b', 3, 0, 'c', 0, 0};
    EXPECT_EQ(list, expected);
    EXPECT_EQ(EncodeHex(list),
              "03002f04006162030063"
              "0000");
    EXPECT_EQ(DecodeItemIdList(list), "/ab/c");
    EXPECT_EQ(DecodeItemIdList(EncodeItemIdList("/")), "/");
}

TEST(ItemIdList, RoundTripsUnicodeAndSpaces)
{
    const std::string path = "/home/me/Bilder/Caf\xC3\xA9 2006/\xE5\x86\x99\xE7\x9C\x9F";
    EXPECT_EQ(FolderFromHexItemIdList(EncodeHex(EncodeItemIdList(path))), path);
}

TEST(ItemIdList, RelativePathsHaveNoList)
{
    EXPECT_TRUE(EncodeItemIdList("relative/path").empty());
    EXPECT_TRUE(EncodeItemIdList("").empty());
    EXPECT_EQ(EncodeHex(EncodeItemIdList("relative")), "");
}

TEST(ItemIdList, HexDecodingFollowsTheStoredArithmetic)
{
    EXPECT_EQ(DecodeHex("00ff7a10"), (ItemIdList{0x00, 0xFF, 0x7A, 0x10}));
    // Upper-case digits do not decode as written ('A' gives 17 - 39).
    EXPECT_NE(DecodeHex("AA"), (ItemIdList{0xAA}));
    // Pairs stop at a NUL and at an odd last character.
    EXPECT_EQ(DecodeHex(std::string_view("0102\0"
                                         "03",
                                         7)),
              (ItemIdList{1, 2}));
    EXPECT_EQ(DecodeHex("01020"), (ItemIdList{1, 2}));
}

TEST(ItemIdList, MalformedListsDecodeToNothing)
{
    EXPECT_EQ(FolderFromHexItemIdList(""), "");
    EXPECT_EQ(FolderFromHexItemIdList("03002f"), "");               // no end marker
    EXPECT_EQ(FolderFromHexItemIdList("0300610000"), "");           // first record is not "/"
    EXPECT_EQ(FolderFromHexItemIdList("03002f0900610000"), "");     // record runs past the end
    EXPECT_EQ(FolderFromHexItemIdList("03002f04002e2e0000"), "");   // ".."
    EXPECT_EQ(FolderFromHexItemIdList("03002f0500612f620000"), ""); // "/" inside a name
    EXPECT_EQ(FolderFromHexItemIdList("03002f02000000"), "");       // a record of size 2
    EXPECT_EQ(FolderFromHexItemIdList("03002F0000"), "");           // upper case: hand-edited
    EXPECT_EQ(FolderFromHexItemIdList("03002f000"), "");            // odd length
    EXPECT_EQ(FolderFromHexItemIdList("03002f0000"), "/");
}
