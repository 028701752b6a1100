#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/exif_reader.h"
#include "formats/tag_set_reader.h"
#include "media_writers/exif_builder.h"

namespace {

// The tags of a built Exif block, or the integer the read threw (0 when it did not).
struct ReadOutcome {
    TagSet tags;
    int thrown = 0;
};

ReadOutcome ReadTags(const ExifBuilder& builder, TagReadMode mode = TagReadMode::kFull)
{
    ReadOutcome outcome;
    ExifReader reader;
    EXPECT_EQ(reader.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(builder.Build().bytes))), TiffResult::kOk);
    try {
        ReadTagSet(reader, mode, outcome.tags);
    } catch (const MediaError& error) {
        outcome.thrown = error.code;
    }
    return outcome;
}

std::string TextOf(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    return entry ? std::string(entry->value.begin(), entry->value.end()) : "<missing>";
}

template <typename T> std::vector<T> ValuesOf(const TagSet& tags, TagMap map, std::uint16_t tag)
{
    const TagEntry* entry = tags.Find(map, tag);
    std::vector<T> values(entry ? entry->value.size() / sizeof(T) : 0);
    if (entry)
        std::memcpy(values.data(), entry->value.data(), values.size() * sizeof(T));
    return values;
}

ExifBuilder Camera(void (*change)(ExifBuilder&))
{
    ExifBuilder builder = CameraExif(Endian::kLittle);
    change(builder);
    return builder;
}

} // namespace

TEST(TagSetReader, FullReadCopiesListedKnownTagsAndTheMakerNoteInEitherByteOrder)
{
    for (const Endian endian : {Endian::kLittle, Endian::kBig}) {
        const ReadOutcome read = ReadTags(CameraExif(endian));
        ASSERT_EQ(read.thrown, 0);
        const TagSet& tags = read.tags;
        EXPECT_EQ(TextOf(tags, TagMap::kPrimary, 0x010F), std::string("KAVORINE") + '\0');
        EXPECT_EQ(ValuesOf<std::uint16_t>(tags, TagMap::kPrimary, 0x0112), std::vector<std::uint16_t>{6});
        EXPECT_EQ(ValuesOf<std::uint32_t>(tags, TagMap::kExif, 0x829A), (std::vector<std::uint32_t>{1, 64}));
        EXPECT_EQ(ValuesOf<std::uint16_t>(tags, TagMap::kExif, 0x9214),
                  (std::vector<std::uint16_t>{320, 240, 40, 30}));
        EXPECT_EQ(TextOf(tags, TagMap::kInterop, 0x0001), std::string("R98") + '\0');
        EXPECT_EQ(ValuesOf<std::uint32_t>(tags, TagMap::kGps, 0x0002),
                  (std::vector<std::uint32_t>{35, 1, 40, 1, 0, 1}));
        // Known but not listed (sizes, pointers, interop version), or not known.
        for (const auto& [map, tag] : {std::pair{TagMap::kExif, 0xA002}, std::pair{TagMap::kPrimary, 0x8769},
                                       std::pair{TagMap::kInterop, 0x0002}})
            EXPECT_EQ(tags.Find(map, static_cast<std::uint16_t>(tag)), nullptr);
        EXPECT_EQ(tags.Count(TagMap::kPrimary), 6u);
        // The maker note is little-endian whatever the file's order; offsets count from its start.
        EXPECT_EQ(TextOf(tags, TagMap::kMakerNote, 0x0000), "0130");
        EXPECT_EQ(TextOf(tags, TagMap::kMakerNote, 0x1000), std::string("NORMAL ") + '\0');
        EXPECT_EQ(ValuesOf<std::int32_t>(tags, TagMap::kMakerNote, 0x1011),
                  (std::vector<std::int32_t>{-2, 3}));
        EXPECT_EQ(ValuesOf<std::uint16_t>(tags, TagMap::kMakerNote, 0x1023),
                  (std::vector<std::uint16_t>{100, 50}));
        EXPECT_EQ(TextOf(tags, TagMap::kMakerNote, 0x8000), std::string("A fairly long maker text") + '\0');
        EXPECT_EQ(tags.Count(TagMap::kMakerNote), 6u);
    }
}

TEST(TagSetReader, QuickReadTakesOnlyTheQuickLists)
{
    const ReadOutcome read = ReadTags(CameraExif(Endian::kBig), TagReadMode::kQuick);
    ASSERT_EQ(read.thrown, 0);
    EXPECT_NE(read.tags.Find(TagMap::kExif, 0x9003), nullptr);
    EXPECT_EQ(TextOf(read.tags, TagMap::kMakerNote, 0x1000), std::string("NORMAL ") + '\0');
    EXPECT_EQ(read.tags.Find(TagMap::kPrimary, 0x0112), nullptr);
    EXPECT_EQ(read.tags.Find(TagMap::kExif, 0x927C), nullptr);
    const std::size_t counts[] = {read.tags.Count(TagMap::kPrimary), read.tags.Count(TagMap::kExif),
                                  read.tags.Count(TagMap::kInterop), read.tags.Count(TagMap::kGps),
                                  read.tags.Count(TagMap::kMakerNote)};
    EXPECT_EQ(std::vector<std::size_t>(std::begin(counts), std::end(counts)),
              (std::vector<std::size_t>{5, 6, 0, 0, 1}));
}

TEST(TagSetReader, BadTagsOnStrictListsFailTheReadWithMalformed)
{
    // clang-format off
    const struct { const char* what; void (*change)(ExifBuilder&); bool quickToo; } cases[] = {
        {"ShutterSpeedValue with two values", [](ExifBuilder& b) { b.exif.Drop(0x9201).SRational(0x9201, {{6, 1}, {7, 1}}); }, true},
        {"ShutterSpeedValue as SHORT", [](ExifBuilder& b) { b.exif.Drop(0x9201).Short(0x9201, {6}); }, true},
        {"ExposureTime as SHORT", [](ExifBuilder& b) { b.exif.Drop(0x829A).Short(0x829A, {64}); }, true},
        {"PhotometricInterpretation twice", [](ExifBuilder& b) { b.ifd0.Short(0x0106, {2, 2}); }, true},
        {"Model outside the data", [](ExifBuilder& b) { b.ifd0.Drop(0x0110).RawField(0x0110, kTiffAscii, 40, 0xFFFFFF); }, true},
        {"GPS latitude with 2 values", [](ExifBuilder& b) { b.gps.Drop(0x0002).Rational(0x0002, {{1, 1}, {2, 1}}); }, false},
        {"maker directory outside the note", [](ExifBuilder& b) {
             Bytes note = BuildMakerNote(CameraMakerDirectory());
             note[8] = 0xF0;
             b.exif.Drop(0x927C).Undefined(0x927C, AsText(note)); }, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(ReadTags(Camera(c.change)).thrown, -5001) << c.what;
        EXPECT_EQ(ReadTags(Camera(c.change), TagReadMode::kQuick).thrown, c.quickToo ? -5001 : 0) << c.what;
    }
}

TEST(TagSetReader, BadTagsOnLenientListsAreSkipped)
{
    const ReadOutcome read = ReadTags(Camera([](ExifBuilder& b) {
        b.exif.Drop(0x8822).Long(0x8822, {2});                       // ExposureProgram must be SHORT
        b.exif.Short(0xA20E, {1});                                   // FocalPlaneXResolution must be RATIONAL
        b.exif.Raw(0xA40C, kTiffShort, 2, {1, 0, 2, 0});             // SubjectDistanceRange takes one value
        b.gps.Ascii(0x001D, "2006:03:14 ");                          // GPSDateStamp takes exactly 11 bytes
        b.exif.Drop(0x9214).Raw(0x9214, kTiffByte, 4, {1, 2, 3, 4}); // SubjectArea must be SHORT
    }));
    ASSERT_EQ(read.thrown, 0);
    for (const std::uint16_t tag : {0x8822, 0xA20E, 0xA40C, 0x9214})
        EXPECT_EQ(read.tags.Find(TagMap::kExif, tag), nullptr) << std::hex << tag;
    EXPECT_EQ(read.tags.Find(TagMap::kGps, 0x001D), nullptr);
    EXPECT_NE(read.tags.Find(TagMap::kExif, 0xA214), nullptr);
}

TEST(TagSetReader, TypeAndCountRulesKeepUsableValues)
{
    const ReadOutcome read = ReadTags(Camera([](ExifBuilder& b) {
        b.exif.Drop(0x9003).Raw(0x9003, kTiffAscii, 19,
                                Bytes{'2', '0', '0', '6', ':', '0', '3', ':', '1', '4', ' ', '0', '9', ':',
                                      '2', '6', ':', '5', '3'});
        b.exif.Drop(0x9201).Rational(0x9201, {{6, 1}});
    }));
    ASSERT_EQ(read.thrown, 0);
    // ASCII rows take any count; a text written without its zero byte keeps every character
    // and gets the zero added.
    EXPECT_EQ(TextOf(read.tags, TagMap::kExif, 0x9003), std::string("2006:03:14 09:26:53") + '\0');
    EXPECT_EQ(read.tags.Find(TagMap::kExif, 0x9003)->count, 20u);
    // ShutterSpeedValue written as RATIONAL is kept as SRATIONAL.
    ASSERT_NE(read.tags.Find(TagMap::kExif, 0x9201), nullptr);
    EXPECT_EQ(read.tags.Find(TagMap::kExif, 0x9201)->type, kTiffSRational);
    EXPECT_EQ(ValuesOf<std::int32_t>(read.tags, TagMap::kExif, 0x9201), (std::vector<std::int32_t>{6, 1}));

    for (std::uint16_t count = 1; count <= 5; ++count) {
        ExifBuilder builder = CameraExif(Endian::kBig);
        builder.exif.Drop(0x9214).Short(0x9214, std::vector<std::uint16_t>(count, 7));
        const bool accepted = count >= 2 && count <= 4;
        EXPECT_EQ(ReadTags(builder).tags.Find(TagMap::kExif, 0x9214) != nullptr, accepted) << count;
    }
}

TEST(TagSetReader, ShortOrLongRowsStoreLong)
{
    ExifBuilder builder(Endian::kBig);
    builder.withInterop = true;
    builder.interop.Short(0x1001, {1600})
        .Long(0x1002, {1200})
        .Rational(0x1000, {{1, 1}})
        .Short(0x0002, {1, 2});
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(builder.Build().bytes))), TiffResult::kOk);
    TagSet tags;
    const TiffDirectory& interop = *reader.Interop();
    EXPECT_EQ(CopyKnownTag(interop, TagMap::kInterop, 0x1001, tags), TiffResult::kOk);
    EXPECT_EQ(CopyKnownTag(interop, TagMap::kInterop, 0x1002, tags), TiffResult::kOk);
    EXPECT_EQ(tags.Find(TagMap::kInterop, 0x1001)->type, kTiffLong);
    EXPECT_EQ(ValuesOf<std::uint32_t>(tags, TagMap::kInterop, 0x1001), std::vector<std::uint32_t>{1600});
    EXPECT_EQ(ValuesOf<std::uint32_t>(tags, TagMap::kInterop, 0x1002), std::vector<std::uint32_t>{1200});
    EXPECT_EQ(CopyKnownTag(interop, TagMap::kInterop, 0x1000, tags), TiffResult::kWrongTag);
    EXPECT_EQ(CopyKnownTag(interop, TagMap::kInterop, 0x0002, tags), TiffResult::kWrongTag);
    EXPECT_EQ(CopyKnownTag(interop, TagMap::kInterop, 0x7777, tags), TiffResult::kOk);
    EXPECT_EQ(tags.Count(TagMap::kInterop), 2u);
}

TEST(TagSetReader, VersionsStoredAsFourAsciiBytesReadAsUndefined)
{
    // ExifVersion written as ASCII "0220" without a zero byte, as some thermal cameras do.
    const auto asText = [](ExifBuilder& b) {
        b.exif.Drop(0x9000).Raw(0x9000, kTiffAscii, 4, Bytes{'0', '2', '2', '0'});
        b.exif.Raw(0xA000, kTiffAscii, 4, Bytes{'0', '1', '0', '0'});
    };
    for (const TagReadMode mode : {TagReadMode::kFull, TagReadMode::kQuick}) {
        const ReadOutcome read = ReadTags(Camera(asText), mode);
        ASSERT_EQ(read.thrown, 0);
        const TagEntry* version = read.tags.Find(TagMap::kExif, 0x9000);
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->type, kTiffUndefined);
        EXPECT_EQ(version->count, 4u);
        EXPECT_EQ(TextOf(read.tags, TagMap::kExif, 0x9000), "0220");
    }
    // FlashpixVersion is on no copy list; the same rule holds for a direct copy.
    ExifReader reader;
    ASSERT_EQ(reader.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(Camera(asText).Build().bytes))), TiffResult::kOk);
    TagSet tags;
    EXPECT_EQ(CopyKnownTag(*reader.Exif(), TagMap::kExif, 0xA000, tags), TiffResult::kOk);
    EXPECT_EQ(tags.Find(TagMap::kExif, 0xA000)->type, kTiffUndefined);
    EXPECT_EQ(TextOf(tags, TagMap::kExif, 0xA000), "0100");

    // Any other length, or another tag of the same row shape, is still refused.
    for (const TagReadMode mode : {TagReadMode::kFull, TagReadMode::kQuick}) {
        EXPECT_EQ(ReadTags(Camera([](ExifBuilder& b) {
                               b.exif.Drop(0x9000).Raw(0x9000, kTiffAscii, 5, Bytes{'0', '2', '2', '0', 0});
                           }),
                           mode)
                      .thrown,
                  -5001);
        EXPECT_EQ(ReadTags(Camera([](ExifBuilder& b) {
                               b.exif.Drop(0x9000).Raw(0x9000, kTiffAscii, 3, Bytes{'0', '2', 0});
                           }),
                           mode)
                      .thrown,
                  -5001);
    }
    ExifBuilder interop = CameraExif(Endian::kLittle);
    interop.interop.Drop(0x0002).Raw(0x0002, kTiffAscii, 4, Bytes{'0', '1', '0', '0'});
    interop.exif.Raw(0x9101, kTiffAscii, 4, Bytes{1, 2, 3, 0});
    ASSERT_EQ(reader.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(interop.Build().bytes))), TiffResult::kOk);
    EXPECT_EQ(CopyKnownTag(*reader.Interop(), TagMap::kInterop, 0x0002, tags), TiffResult::kWrongTag);
    EXPECT_EQ(CopyKnownTag(*reader.Exif(), TagMap::kExif, 0x9101, tags), TiffResult::kWrongTag);
}

TEST(TagSetReader, RationalsStoredAsNonNegativeSRationalsReadAsRationals)
{
    // GPS positions of some thermal cameras, and a resolution on the strict primary list.
    const ReadOutcome read = ReadTags(Camera([](ExifBuilder& b) {
        b.gps.Drop(0x0002).SRational(0x0002, {{35, 1}, {40, 1}, {0, 1000}});
        b.gps.SRational(0x0006, {{0, 1000}});
        b.ifd0.Drop(0x011A).SRational(0x011A, {{72, 1}});
        b.exif.SRational(0xA20E, {{4000, 3}});
    }));
    ASSERT_EQ(read.thrown, 0);
    for (const auto& [map, tag] : {std::pair{TagMap::kGps, 0x0002}, std::pair{TagMap::kGps, 0x0006},
                                   std::pair{TagMap::kPrimary, 0x011A}, std::pair{TagMap::kExif, 0xA20E}}) {
        const TagEntry* entry = read.tags.Find(map, static_cast<std::uint16_t>(tag));
        ASSERT_NE(entry, nullptr) << std::hex << tag;
        EXPECT_EQ(entry->type, kTiffRational) << std::hex << tag;
    }
    EXPECT_EQ(ValuesOf<std::uint32_t>(read.tags, TagMap::kGps, 0x0002),
              (std::vector<std::uint32_t>{35, 1, 40, 1, 0, 1000}));

    // A negative number or denominator has no RATIONAL reading: a strict tag fails the read, a
    // lenient one is skipped.
    for (const std::pair<std::int32_t, std::int32_t>& bad : {std::pair{-35, 1}, std::pair{35, -1}}) {
        ExifBuilder strict = CameraExif(Endian::kBig);
        strict.gps.Drop(0x0002).SRational(0x0002, {{1, 1}, bad, {0, 1}});
        EXPECT_EQ(ReadTags(strict).thrown, -5001) << bad.first << "/" << bad.second;
        ExifBuilder lenient = CameraExif(Endian::kBig);
        lenient.exif.SRational(0xA20E, {bad});
        const ReadOutcome skipped = ReadTags(lenient);
        EXPECT_EQ(skipped.thrown, 0);
        EXPECT_EQ(skipped.tags.Find(TagMap::kExif, 0xA20E), nullptr);
    }
    // The other way round stays refused: ExposureBiasValue must be SRATIONAL.
    EXPECT_EQ(ReadTags(Camera([](ExifBuilder& b) { b.exif.Drop(0x9204).Rational(0x9204, {{0, 10}}); })).thrown,
              -5001);
    // And the count still has to match.
    EXPECT_EQ(ReadTags(Camera([](ExifBuilder& b) {
                  b.gps.Drop(0x0002).SRational(0x0002, {{35, 1}, {40, 1}});
              })).thrown,
              -5001);
}

TEST(TagSetReader, OnlyTheMakersOwnNoteFillsTheMakerMap)
{
    const Bytes ours = BuildMakerNote(CameraMakerDirectory());
    Bytes foreign = ours;
    foreign[7] = 'A';
    for (const Bytes& note : {foreign, Bytes(ours.begin(), ours.begin() + 11), Bytes{}}) {
        ExifBuilder builder = CameraExif(Endian::kLittle);
        builder.exif.Drop(0x927C).Undefined(0x927C, AsText(note));
        const ReadOutcome read = ReadTags(builder);
        ASSERT_EQ(read.thrown, 0);
        EXPECT_EQ(read.tags.Count(TagMap::kMakerNote), 0u);
        EXPECT_GT(read.tags.Count(TagMap::kExif), 10u);
    }
    // A note that the Exif map could not take is read from the directory itself.
    ExifBuilder byteNote = CameraExif(Endian::kBig);
    byteNote.exif.entries[10].type = kTiffByte;
    const ReadOutcome read = ReadTags(byteNote);
    EXPECT_EQ(read.tags.Find(TagMap::kExif, 0x927C), nullptr);
    EXPECT_EQ(read.tags.Count(TagMap::kMakerNote), 6u);
}

TEST(TagSetReader, FailedReadLeavesTheCallersTagSetAlone)
{
    ExifReader reader;
    const ExifBuilder strict = Camera([](ExifBuilder& b) { b.ifd0.Short(0x0106, {2, 2}); });
    ASSERT_EQ(reader.OpenJpeg(TiffStream::FromBytes(MakeExifJpeg(strict.Build().bytes))), TiffResult::kOk);
    TagSet tags;
    const std::uint8_t one[2] = {1, 0};
    ASSERT_EQ(tags.Add(TagMap::kExif, 0xA001, kTiffShort, 1, one), TiffResult::kOk);
    EXPECT_THROW(ReadTagSet(reader, TagReadMode::kFull, tags), MediaError);
    EXPECT_EQ(tags.Count(TagMap::kExif), 1u);
    EXPECT_EQ(tags.Count(TagMap::kPrimary), 0u);
    try {
        ReadTagSet(ExifReader(), TagReadMode::kFull, tags);
        ADD_FAILURE() << "a reader without a tree must throw";
    } catch (const MediaError& error) {
        EXPECT_EQ(error.code, -5002);
    }
}

TEST(TagSetReader, EveryTruncationEndsInACodeOrAFullRead)
{
    const Bytes jpeg = MakeExifJpeg(CameraExif(Endian::kBig).Build().bytes);
    // Everything up to the end of the scan header is needed; 5 bytes of scan data and EOI follow.
    const std::size_t needed = jpeg.size() - 7;
    for (std::size_t length = 0; length <= jpeg.size(); ++length) {
        ExifReader reader;
        const TiffResult result
            = reader.OpenJpeg(TiffStream::FromBytes(Bytes(jpeg.begin(), jpeg.begin() + length)));
        if (length < needed) {
            ASSERT_TRUE(result == TiffResult::kMalformed || result == TiffResult::kEndOfFile
                        || result == TiffResult::kNoExif)
                << length << " gave " << static_cast<int>(result);
            ASSERT_EQ(reader.Primary(), nullptr);
            continue;
        }
        ASSERT_EQ(result, TiffResult::kOk) << length;
        TagSet tags;
        ReadTagSet(reader, TagReadMode::kFull, tags);
        EXPECT_EQ(tags.Count(TagMap::kMakerNote), 6u);
    }
}

TEST(TagSetReader, RandomDamageEndsInCodesOnly)
{
    const Bytes jpeg = MakeExifJpeg(CameraExif(Endian::kLittle).Build().bytes);
    std::mt19937 random(20060314);
    std::uniform_int_distribution<std::size_t> position(2, jpeg.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = jpeg;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[position(random)] = static_cast<std::uint8_t>(value(random));
        ExifReader reader;
        if (!Succeeded(reader.OpenJpeg(TiffStream::FromBytes(damaged)))) {
            ASSERT_EQ(reader.Primary(), nullptr);
            continue;
        }
        ++opened;
        for (const TagReadMode mode : {TagReadMode::kFull, TagReadMode::kQuick}) {
            TagSet tags;
            try {
                ReadTagSet(reader, mode, tags);
            } catch (const MediaError& error) {
                ASSERT_TRUE(error.code == -5001 || error.code == -5002) << error.code;
                continue;
            }
            tags.NormaliseOrientation(reader.ImageSize().width, reader.ImageSize().height);
            (void)tags.DeclaresAdobeRgbInterop();
        }
        Bytes thumbnail;
        PixelSize size;
        (void)reader.ReadThumbnail(thumbnail);
        (void)reader.ThumbnailPixelSize(size);
    }
    // Most damage hits values, not structure.
    EXPECT_GT(opened, 1000);
}
