#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "formats/known_tags.h"

namespace {

constexpr TagMap kAllMaps[]
    = {TagMap::kPrimary, TagMap::kExif, TagMap::kInterop, TagMap::kGps, TagMap::kMakerNote};

} // namespace

TEST(KnownTags, EachTableHoldsEveryTagOnceWithAUsableType)
{
    for (const TagMap map : kAllMaps) {
        std::set<std::uint16_t> seen;
        for (const KnownTag& row : KnownTags(map)) {
            EXPECT_TRUE(seen.insert(row.tag).second) << "duplicate row " << std::hex << row.tag;
            EXPECT_TRUE(row.Type() == kShortOrLong || IsValidTiffType(row.Type())) << std::hex << row.tag;
            // A fixed count of 0 could never match an entry.
            EXPECT_TRUE(row.IsVariableCount() || row.count > 0) << std::hex << row.tag;
            EXPECT_EQ(FindKnownTag(map, row.tag), &row);
        }
    }
}

TEST(KnownTags, EveryCopiedTagHasARowInItsMap)
{
    for (const TagReadMode mode : {TagReadMode::kFull, TagReadMode::kQuick}) {
        for (const CopyList& list : CopyLists(mode)) {
            for (const std::uint16_t tag : list.tags)
                EXPECT_NE(FindKnownTag(list.map, tag), nullptr)
                    << "map " << static_cast<int>(list.map) << " tag " << std::hex << tag;
        }
    }
}

TEST(KnownTags, FullReadCopiesEveryMakerNoteRowExactlyOnceAndNothingStrictly)
{
    std::map<std::uint16_t, int> copies;
    for (const CopyList& list : CopyLists(TagReadMode::kFull)) {
        if (list.map != TagMap::kMakerNote)
            continue;
        EXPECT_FALSE(list.strict);
        for (const std::uint16_t tag : list.tags)
            ++copies[tag];
    }
    EXPECT_EQ(copies.size(), KnownTags(TagMap::kMakerNote).size());
    for (const auto& [tag, count] : copies)
        EXPECT_EQ(count, 1) << std::hex << tag;
}

TEST(KnownTags, QuickReadIsStrictAndASubsetOfTheFullRead)
{
    for (const CopyList& quick : CopyLists(TagReadMode::kQuick)) {
        EXPECT_TRUE(quick.strict);
        for (const std::uint16_t tag : quick.tags) {
            bool inFull = false;
            for (const CopyList& full : CopyLists(TagReadMode::kFull))
                inFull = inFull
                    || (full.map == quick.map
                        && std::find(full.tags.begin(), full.tags.end(), tag) != full.tags.end());
            EXPECT_TRUE(inFull) << std::hex << tag;
        }
    }
}
