#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "services/host_buffer.h"

TEST(HostBuffer, TextOfEightBytesWithItsNulIsInlineAndNineUseABlock)
{
    HostBuffer seven = MakeHostBuffer("1234567");
    EXPECT_EQ(seven.size, 8u);
    EXPECT_EQ(std::memcmp(seven.data.bytes, "1234567", 8), 0);
    EXPECT_EQ(HostBufferText(seven), "1234567");

    HostBuffer eight = MakeHostBuffer("12345678");
    EXPECT_EQ(eight.size, 9u);
    ASSERT_NE(eight.data.pointer, nullptr);
    EXPECT_EQ(std::memcmp(eight.data.pointer, "12345678", 9), 0);
    EXPECT_EQ(HostBufferText(eight), "12345678");

    FreeHostBuffer(seven);
    FreeHostBuffer(eight);
    const HostBuffer zero{};
    EXPECT_EQ(std::memcmp(&eight, &zero, sizeof zero), 0);
    EXPECT_EQ(std::memcmp(&seven, &zero, sizeof zero), 0);
}

TEST(HostBuffer, EmptyTextHasSizeOneAndTheZeroRecordReadsAsEmpty)
{
    HostBuffer empty = MakeHostBuffer("");
    EXPECT_EQ(empty.size, 1u);
    EXPECT_EQ(HostBufferText(empty), "");
    const HostBuffer zero{};
    EXPECT_EQ(HostBufferText(zero), "");
    // A long size with a null pointer (a damaged record from a module) must not be read.
    HostBuffer damaged{};
    damaged.size = 100;
    EXPECT_EQ(HostBufferText(damaged), "");
    FreeHostBuffer(damaged);
    EXPECT_EQ(damaged.size, 0u);
}

TEST(HostBuffer, TextStopsAtTheFirstNulAndNeverReadsPastTheSize)
{
    HostBuffer embedded = MakeHostBytes("ab\0cdefghij", 11);
    EXPECT_EQ(HostBufferText(embedded), "ab");
    FreeHostBuffer(embedded);

    // No NUL at all: the text is exactly size bytes long.
    HostBuffer unterminated = MakeHostBytes("abcdefghijkl", 12);
    EXPECT_EQ(HostBufferText(unterminated), "abcdefghijkl");
    FreeHostBuffer(unterminated);
    HostBuffer shortUnterminated = MakeHostBytes("xyz", 3);
    EXPECT_EQ(HostBufferText(shortUnterminated), "xyz");
    FreeHostBuffer(shortUnterminated);
}

TEST(HostBuffer, CopyHasItsOwnBlock)
{
    HostBuffer original = MakeHostBuffer("a text longer than eight bytes");
    HostBuffer copy{};
    ASSERT_TRUE(CopyHostBuffer(original, copy));
    EXPECT_NE(copy.data.pointer, original.data.pointer);
    FreeHostBuffer(original);
    EXPECT_EQ(HostBufferText(copy), "a text longer than eight bytes");
    FreeHostBuffer(copy);

    HostBuffer inlineText = MakeHostBuffer("abc");
    ASSERT_TRUE(CopyHostBuffer(inlineText, copy));
    EXPECT_EQ(copy.size, 4u);
    EXPECT_EQ(HostBufferText(copy), "abc");
}

TEST(HostBuffer, ResizeKeepsTheLeadingBytesAcrossTheInlineLimit)
{
    HostBuffer buffer = MakeHostBuffer("abcdef");
    ASSERT_TRUE(ResizeHostBuffer(buffer, 20));
    EXPECT_EQ(buffer.size, 20u);
    const auto* grown = static_cast<const unsigned char*>(buffer.data.pointer);
    EXPECT_EQ(std::memcmp(grown, "abcdef\0", 7), 0);
    EXPECT_EQ(grown[19], 0);

    ASSERT_TRUE(ResizeHostBuffer(buffer, 3));
    EXPECT_EQ(buffer.size, 3u);
    EXPECT_EQ(HostBufferText(buffer), "abc");

    ASSERT_TRUE(ResizeHostBuffer(buffer, 0));
    EXPECT_EQ(buffer.size, 0u);
    FreeHostBuffer(buffer);
}

TEST(HostBufferList, FillFreesTheOldEntriesAndHoldsOneTextPerEntry)
{
    HostBufferList list{};
    ASSERT_TRUE(FillHostBufferList(list, {"/photos/DSCF0001.JPG", "", "short"}));
    ASSERT_EQ(list.count, 3u);
    EXPECT_EQ(HostBufferText(list.items[0]), "/photos/DSCF0001.JPG");
    EXPECT_EQ(list.items[1].size, 1u);
    EXPECT_EQ(HostBufferText(list.items[2]), "short");

    // Refilling replaces (the old blocks are freed; a leak checker sees it), and an empty
    // vector leaves the zero record with no array.
    ASSERT_TRUE(FillHostBufferList(list, {"only"}));
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(HostBufferText(list.items[0]), "only");
    ASSERT_TRUE(FillHostBufferList(list, {}));
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.items, nullptr);
}

TEST(HostTagList, FreeReleasesEveryValueAndZeroesTheRecord)
{
    HostTagList list{};
    list.count = 2;
    list.items = static_cast<HostTagRecord*>(std::calloc(2, sizeof(HostTagRecord)));
    list.items[0].value = MakeHostBuffer("KAVORINE");
    list.items[1].value = MakeHostBytes("\x01\x00", 2);
    FreeHostTagList(list);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.items, nullptr);
}

TEST(OwnedHostBuffer, FreesTheConsumedBufferAndReadsItsText)
{
    HostBuffer given = MakeHostBuffer("a consumed argument");
    {
        const OwnedHostBuffer owned(given);
        EXPECT_EQ(owned.Text(), "a consumed argument");
        EXPECT_EQ(owned.Get().data.pointer, given.data.pointer);
    }
}
