#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/tag_set.h"
#include "framework/string_table.h"
#include "library/file_time.h"

// Shared by the metadata formatting tests: the repository's English metadata texts and tag
// sets built in code.

inline std::string EnglishMediumInfoTextsPath()
{
    return VISTREL_SOURCE_DIR "/resources/mediuminfo/MediumInfo.frs";
}

// Loads the English texts into the program's table and switches to the ISO date and time texts.
inline void LoadEnglishMediumInfoTexts()
{
    LanguageStrings().Parse(ReadTextFile(EnglishMediumInfoTextsPath()));
    SetDateTimeTextFormatters({}, {});
}

class WithEnglishTexts : public ::testing::Test {
protected:
    void SetUp() override { LoadEnglishMediumInfoTexts(); }
    // Tests that replace a text put the English ones back.
    void TearDown() override { LoadEnglishMediumInfoTexts(); }
};

template <typename T> std::vector<std::uint8_t> BytesOf(const std::vector<T>& values)
{
    std::vector<std::uint8_t> bytes(values.size() * sizeof(T));
    if (!bytes.empty())
        std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

inline void AddShort(TagSet& tags, TagMap map, std::uint16_t tag, std::uint16_t value)
{
    ASSERT_EQ(tags.Set(map, tag, kTiffShort, 1, BytesOf(std::vector<std::uint16_t>{value})), TiffResult::kOk);
}

inline void AddLong(TagSet& tags, TagMap map, std::uint16_t tag, std::uint32_t value)
{
    ASSERT_EQ(tags.Set(map, tag, kTiffLong, 1, BytesOf(std::vector<std::uint32_t>{value})), TiffResult::kOk);
}

inline void AddBytes(TagSet& tags, TagMap map, std::uint16_t tag, std::uint16_t type,
                     const std::vector<std::uint8_t>& bytes)
{
    ASSERT_EQ(tags.Set(map, tag, type, static_cast<std::uint32_t>(bytes.size()), bytes), TiffResult::kOk);
}

// RATIONAL values, each numerator / denominator.
inline void AddRationals(TagSet& tags, TagMap map, std::uint16_t tag,
                         const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values)
{
    std::vector<std::uint32_t> parts;
    for (const auto& [numerator, denominator] : values) {
        parts.push_back(numerator);
        parts.push_back(denominator);
    }
    ASSERT_EQ(tags.Set(map, tag, kTiffRational, static_cast<std::uint32_t>(values.size()), BytesOf(parts)),
              TiffResult::kOk);
}

inline void AddRational(TagSet& tags, TagMap map, std::uint16_t tag, std::uint32_t numerator,
                        std::uint32_t denominator)
{
    AddRationals(tags, map, tag, {{numerator, denominator}});
}

inline void AddSRational(TagSet& tags, TagMap map, std::uint16_t tag, std::int32_t numerator,
                         std::int32_t denominator)
{
    ASSERT_EQ(
        tags.Set(map, tag, kTiffSRational, 1, BytesOf(std::vector<std::int32_t>{numerator, denominator})),
        TiffResult::kOk);
}

// An ASCII value of the given bytes plus the terminating zero.
inline void AddAscii(TagSet& tags, TagMap map, std::uint16_t tag, std::string_view text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    AddBytes(tags, map, tag, kTiffAscii, bytes);
}
