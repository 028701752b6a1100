#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/tag_set.h"
#include "media_writers/exif_builder.h"

namespace {

template <typename T> Bytes BytesOf(const std::vector<T>& values)
{
    Bytes bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::vector<std::uint16_t> ShortsOf(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    if (!entry || entry->type != kTiffShort)
        return {};
    std::vector<std::uint16_t> values(entry->count);
    std::memcpy(values.data(), entry->value.data(), entry->value.size());
    return values;
}

// Orientation as the primary map holds it, plus SHORT tags to be normalised.
TagSet Oriented(std::uint16_t orientation, TagMap map, std::uint16_t tag,
                const std::vector<std::uint16_t>& point)
{
    TagSet tags;
    EXPECT_EQ(tags.Add(TagMap::kPrimary, 0x0112, kTiffShort, 1, BytesOf<std::uint16_t>({orientation})),
              TiffResult::kOk);
    EXPECT_EQ(tags.Add(map, tag, kTiffShort, static_cast<std::uint32_t>(point.size()), BytesOf(point)),
              TiffResult::kOk);
    return tags;
}

// An ICC profile with a "cprt" row and a "desc" row whose text is `text` over `length` bytes.
Bytes IccProfile(const std::string& text, std::uint32_t length)
{
    Bytes profile(128, 0);
    const auto put32 = [&profile](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            profile.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    put32(2);
    profile.insert(profile.end(), {'c', 'p', 'r', 't', 0, 0, 0, 0, 0, 0, 0, 0, 'd', 'e', 's', 'c'});
    put32(156); // the element follows the two rows
    put32(12 + static_cast<std::uint32_t>(text.size()));
    profile.insert(profile.end(), {'d', 'e', 's', 'c', 0, 0, 0, 0});
    put32(length);
    profile.insert(profile.end(), text.begin(), text.end());
    return profile;
}

} // namespace

TEST(TagSet, HoldsEachTagOncePerMapAndLooksUpInMapOrder)
{
    TagSet tags;
    const Bytes one = BytesOf<std::uint16_t>({1});
    EXPECT_EQ(tags.Replace(TagMap::kGps, 0x0001, kTiffShort, 1, one), TiffResult::kTagNotFound);
    EXPECT_EQ(tags.Add(TagMap::kMakerNote, 0x0001, kTiffShort, 1, one), TiffResult::kOk);
    EXPECT_EQ(tags.Add(TagMap::kGps, 0x0001, kTiffAscii, 2, Bytes{'N', 0}), TiffResult::kOk);
    EXPECT_EQ(tags.Add(TagMap::kGps, 0x0001, kTiffAscii, 2, Bytes{'S', 0}), TiffResult::kTagExists);
    EXPECT_EQ(tags.Set(TagMap::kInterop, 0x0001, kTiffAscii, 4, Bytes{'R', '9', '8', 'X'}), TiffResult::kOk);
    EXPECT_EQ(tags.Find(0x0001), tags.Find(TagMap::kInterop, 0x0001));
    // ASCII values always end with a zero byte; other types keep their bytes.
    EXPECT_EQ(tags.Find(0x0001)->value, (Bytes{'R', '9', '8', 0}));
    EXPECT_TRUE(tags.Remove(TagMap::kInterop, 0x0001));
    EXPECT_FALSE(tags.Remove(TagMap::kInterop, 0x0001));
    EXPECT_EQ(tags.Find(0x0001), tags.Find(TagMap::kGps, 0x0001));
    EXPECT_EQ(tags.Replace(TagMap::kGps, 0x0001, kTiffAscii, 2, Bytes{'S', 0}), TiffResult::kOk);
    EXPECT_EQ(tags.Value(TagMap::kGps, 0x0001)[0], 'S');
    EXPECT_EQ(tags.Value(TagMap::kExif, 0x0001), nullptr);
    EXPECT_EQ(tags.Count(TagMap::kGps), 1u);

    EXPECT_EQ(tags.Add(TagMap::kExif, 0xA003, kTiffLong, 1, one), TiffResult::kBadArgument);
    EXPECT_EQ(tags.Add(TagMap::kExif, 0xA003, 13, 1, one), TiffResult::kBadType);
    EXPECT_EQ(tags.Add(TagMap::kExif, 0xA003, kTiffShort, 0, {}), TiffResult::kBadCount);
    EXPECT_EQ(tags.Count(TagMap::kExif), 0u);
}

TEST(TagSet, NormalisingMapsPointsToTheUprightPicture)
{
    // Stored 640 x 480; the point (100, 50) in SubjectLocation and in maker-note tag 0x1023.
    // clang-format off
    const struct { std::uint16_t orientation, x, y; } cases[] = {
        {2, 540, 50}, {3, 540, 430}, {4, 100, 430}, {5, 50, 100}, {6, 430, 100}, {7, 430, 540}, {8, 50, 540},
    };
    // clang-format on
    for (const auto& c : cases) {
        for (const auto& [map, tag] :
             {std::pair{TagMap::kExif, 0xA214}, std::pair{TagMap::kMakerNote, 0x1023}}) {
            TagSet tags = Oriented(c.orientation, map, static_cast<std::uint16_t>(tag), {100, 50});
            tags.NormaliseOrientation(640, 480);
            EXPECT_EQ(ShortsOf(tags, map, static_cast<std::uint16_t>(tag)),
                      (std::vector<std::uint16_t>{c.x, c.y}))
                << c.orientation;
            EXPECT_EQ(ShortsOf(tags, TagMap::kPrimary, 0x0112), std::vector<std::uint16_t>{1});
        }
    }
}

TEST(TagSet, NormalisingTurnsSubjectAreaRectanglesOnQuarterTurnsOnly)
{
    // clang-format off
    const struct { std::uint16_t orientation; std::vector<std::uint16_t> area, expected; } cases[] = {
        {6, {100, 50, 20, 10}, {430, 100, 10, 20}},
        {3, {100, 50, 20, 10}, {540, 430, 20, 10}},
        {8, {100, 50, 30}, {50, 540, 30}},        // a circle keeps its diameter
        {1, {100, 50, 20, 10}, {100, 50, 20, 10}}, // upright: nothing to do
        {9, {100, 50}, {100, 50}},                 // not an orientation
    };
    // clang-format on
    for (const auto& c : cases) {
        TagSet tags = Oriented(c.orientation, TagMap::kExif, 0x9214, c.area);
        tags.NormaliseOrientation(640, 480);
        EXPECT_EQ(ShortsOf(tags, TagMap::kExif, 0x9214), c.expected) << c.orientation;
    }

    // LONG coordinates come back as SHORT; a point outside the picture is clamped.
    TagSet longs = Oriented(6, TagMap::kExif, 0x9214, {1, 1});
    ASSERT_EQ(longs.Add(TagMap::kExif, 0xA214, kTiffLong, 2, BytesOf<std::uint32_t>({100, 700})),
              TiffResult::kOk);
    longs.NormaliseOrientation(640, 480);
    EXPECT_EQ(ShortsOf(longs, TagMap::kExif, 0xA214), (std::vector<std::uint16_t>{0, 100}));
}

TEST(TagSet, AdobeRgbInteropIndexIsExactlyR03)
{
    const std::pair<Bytes, bool> cases[] = {{{'R', '0', '3', 0}, true},
                                            {{'R', '9', '8', 0}, false},
                                            {{'R', '0', '3'}, false},
                                            {{'R', '0', '3', 0, 0}, false}};
    for (const auto& [value, adobe] : cases) {
        TagSet tags;
        ASSERT_EQ(
            tags.Add(TagMap::kInterop, 0x0001, kTiffAscii, static_cast<std::uint32_t>(value.size()), value),
            TiffResult::kOk);
        EXPECT_EQ(tags.DeclaresAdobeRgbInterop(), adobe);
    }
    EXPECT_FALSE(TagSet().DeclaresAdobeRgbInterop());
}

TEST(TagSet, AdobeRgbProfileIsRecognisedByItsDescriptionOnly)
{
    const std::string adobe = std::string("Adobe RGB (1998)") + '\0';
    EXPECT_TRUE(IsAdobeRgbProfile(IccProfile(adobe, 17)));
    EXPECT_TRUE(IsAdobeRgbProfile(IccProfile("Adobe RGB (1998)", 16)));
    EXPECT_FALSE(IsAdobeRgbProfile(IccProfile("sRGB IEC61966-2.1", 18)));
    EXPECT_FALSE(IsAdobeRgbProfile(IccProfile(adobe, 5))); // only "Adobe"
    EXPECT_FALSE(IsAdobeRgbProfile(IccProfile(adobe, 0)));
    EXPECT_FALSE(IsAdobeRgbProfile(IccProfile(adobe, 400))); // longer than its element

    const Bytes profile = IccProfile(adobe, 17);
    TagSet tags;
    ASSERT_EQ(tags.Add(TagMap::kPrimary, 0x8773, kTiffUndefined, static_cast<std::uint32_t>(profile.size()),
                       profile),
              TiffResult::kOk);
    EXPECT_TRUE(tags.DeclaresAdobeRgbProfile());
    // Damaged tables must not lead outside the profile.
    for (std::size_t cut = 0; cut < profile.size(); ++cut)
        EXPECT_FALSE(IsAdobeRgbProfile(std::span(profile).first(cut))) << cut;
    Bytes wild = profile;
    wild[128] = wild[129] = 0xFF; // a huge row count
    wild[148] = 0x7F;             // the desc row's offset
    EXPECT_FALSE(IsAdobeRgbProfile(wild));
}
