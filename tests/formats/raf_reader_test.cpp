#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/raf_handler.h"
#include "formats/raf_reader.h"
#include "formats/tag_set.h"
#include "fuzz/raf_fuzz_entry.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"
#include "media_writers/exif_builder.h"
#include "media_writers/raf_builder.h"

// Readable result codes in failure messages.
void PrintTo(RafResult result, std::ostream* out)
{
    *out << "RafResult(" << static_cast<int>(result) << ")";
}

namespace {

namespace fs = std::filesystem;

Bytes CameraJpeg()
{
    return MakeExifJpeg(CameraExif(Endian::kLittle).Build().bytes);
}

// What the maker's camera writes, in short: the size records around the embedded JPEG.
RafBuilder CameraRaf()
{
    RafBuilder raf;
    raf.jpeg = CameraJpeg();
    raf.Pair(0x100, 1444, 4352).Pair(0x110, 10, 48).Pair(0x111, 1424, 4256).Pair(0x121, 1440, 4288);
    return raf;
}

RafResult OpenBytes(const Bytes& bytes, RafHandle& handle)
{
    return RafOpenStream(TiffStream::FromBytes(bytes), &handle);
}

std::string TextOf(const char* data, std::size_t size)
{
    return std::string(data, strnlen(data, size));
}

const RafCfaPair& PairOf(const RafPictureInfo& info, std::uint16_t tag)
{
    const auto at = std::find(kRafPairTags.begin(), kRafPairTags.end(), tag) - kRafPairTags.begin();
    return info.pairs[static_cast<std::size_t>(at)];
}

// Every test starts with the library initialised, whatever an earlier test left.
class RafLibrary : public ::testing::Test {
protected:
    void SetUp() override { static_cast<void>(RafInitialize()); }
};

TEST(RafLibraryFlag, EveryFunctionRefusesUntilInitialised)
{
    static_cast<void>(RafInitialize());
    const Bytes file = CameraRaf().Build();
    RafHandle open;
    ASSERT_EQ(OpenBytes(file, open), RafResult::kOk);
    ASSERT_EQ(RafFinish(), RafResult::kOk);

    RafHandle handle;
    RafHeaderRecord record;
    RafHeader header;
    RafPictureInfo info;
    std::vector<std::uint8_t> jpeg(file.size());
    TiffStream window;
    EXPECT_EQ(OpenBytes(file, handle), RafResult::kFailed);
    EXPECT_EQ(RafOpen("x.raf", kRafAnyName, &handle), RafResult::kFailed);
    EXPECT_EQ(RafClose(&open), RafResult::kFailed);
    EXPECT_EQ(RafGetHeaderRecord(&open, &record), RafResult::kFailed);
    EXPECT_EQ(RafGetFullHeader(&open, &header), RafResult::kFailed);
    EXPECT_EQ(RafReadEmbeddedJpeg(&open, jpeg.data(), jpeg.size()), RafResult::kFailed);
    EXPECT_EQ(RafReadHeaderAndJpeg(&open, &record, &jpeg), RafResult::kFailed);
    EXPECT_EQ(RafEmbeddedJpegStream(&open, &window), RafResult::kFailed);
    EXPECT_EQ(RafGetPictureInfo(&open, &info), RafResult::kFailed);
    EXPECT_EQ(RafFinish(), RafResult::kFailed);

    int argument = 0;
    EXPECT_EQ(RafInitialize(&argument), RafResult::kUnexpectedArgument);
    EXPECT_EQ(OpenBytes(file, handle), RafResult::kFailed) << "a refused initialisation sets no flag";
    EXPECT_EQ(RafInitialize(), RafResult::kOk);
    EXPECT_EQ(RafInitialize(), RafResult::kFailed);
    EXPECT_EQ(OpenBytes(file, handle), RafResult::kOk);
    EXPECT_EQ(RafClose(&open), RafResult::kOk);
}

TEST_F(RafLibrary, NameMustEndInRafInAnyCase)
{
    Sandbox sandbox;
    const Bytes file = CameraRaf().Build();
    const auto open = [&](const char* name, std::uint32_t options = kRafCheckExtension) {
        RafHandle handle;
        return RafOpen(sandbox.WriteFile(name, AsText(file)).c_str(), options, &handle);
    };
    for (const char* name : {"x.raf", "X.RAF", "x.Raf", "x.jpg.raf", "dir.d/x.rAF"})
        EXPECT_EQ(open(name), RafResult::kOk) << name;
    for (const char* name : {"x.RAFF", "x.ra", "x.jpg", "x.raf.jpg", "noextension", "dir.raf/x", "x.raf "})
        EXPECT_EQ(open(name), RafResult::kBadExtension) << name;
    EXPECT_EQ(open("y.jpg", kRafAnyName), RafResult::kOk);

    RafHandle handle;
    ASSERT_EQ(OpenBytes(file, handle), RafResult::kOk);
    EXPECT_EQ(RafOpen((sandbox / "missing.raf").c_str(), kRafCheckExtension, &handle), RafResult::kFailed);
    EXPECT_FALSE(handle.IsOpen()) << "a failed open leaves the handle empty";
}

TEST_F(RafLibrary, MissingArgumentsAndClosedHandlesAreRefused)
{
    RafHandle handle;
    RafHeaderRecord record;
    RafHeader header;
    RafPictureInfo info;
    std::vector<std::uint8_t> jpeg;
    TiffStream window;
    EXPECT_EQ(RafOpen(nullptr, kRafAnyName, &handle), RafResult::kMissingArgument);
    EXPECT_EQ(RafOpen("x.raf", kRafAnyName, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafOpenStream(TiffStream::FromBytes(CameraRaf().Build()), nullptr),
              RafResult::kMissingArgument);
    EXPECT_EQ(RafClose(nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafClose(&handle), RafResult::kNoOpenFile);

    ASSERT_EQ(OpenBytes(CameraRaf().Build(), handle), RafResult::kOk);
    EXPECT_EQ(RafGetHeaderRecord(&handle, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafGetFullHeader(&handle, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafGetPictureInfo(&handle, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafReadHeaderAndJpeg(&handle, nullptr, &jpeg), RafResult::kMissingArgument);
    EXPECT_EQ(RafReadHeaderAndJpeg(&handle, &record, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafEmbeddedJpegStream(&handle, nullptr), RafResult::kMissingArgument);
    EXPECT_EQ(RafReadEmbeddedJpeg(&handle, nullptr, 100000), RafResult::kMissingArgument);
    std::vector<std::uint8_t> small(CameraJpeg().size() - 1);
    EXPECT_EQ(RafReadEmbeddedJpeg(&handle, small.data(), small.size()), RafResult::kMissingArgument);

    EXPECT_EQ(RafClose(&handle), RafResult::kOk);
    EXPECT_EQ(RafClose(&handle), RafResult::kNoOpenFile);
    // A handle without a file is no handle.
    EXPECT_EQ(RafGetHeaderRecord(&handle, &record), RafResult::kMissingArgument);
    EXPECT_EQ(RafGetFullHeader(&handle, &header), RafResult::kMissingArgument);
    EXPECT_EQ(RafGetPictureInfo(&handle, &info), RafResult::kMissingArgument);
    EXPECT_EQ(RafReadHeaderAndJpeg(&handle, &record, &jpeg), RafResult::kMissingArgument);
    EXPECT_EQ(RafEmbeddedJpegStream(&handle, &window), RafResult::kMissingArgument);
}

TEST_F(RafLibrary, HeaderMismatchesAreRefused)
{
    const std::vector<std::pair<const char*, std::function<void(RafBuilder&)>>> cases = {
        {"magic", [](RafBuilder& raf) { raf.magic = "KAVORINA"; }},
        {"format", [](RafBuilder& raf) { raf.format = "CCD-RAW_"; }},
        {"format without blank", [](RafBuilder& raf) { raf.format = "CCD-RAW"; }},
        {"version 0100", [](RafBuilder& raf) { raf.version = "0100"; }},
        {"version 0300", [](RafBuilder& raf) { raf.version = "0300"; }},
        {"minor not digits", [](RafBuilder& raf) { raf.version = "02x1"; }},
    };
    RafHandle handle;
    for (const auto& [what, change] : cases) {
        ASSERT_EQ(OpenBytes(CameraRaf().Build(), handle), RafResult::kOk);
        RafBuilder raf = CameraRaf();
        change(raf);
        EXPECT_EQ(OpenBytes(raf.Build(), handle), RafResult::kBadHeader) << what;
        EXPECT_FALSE(handle.IsOpen()) << what;
    }
}

TEST_F(RafLibrary, HeaderNumbersAreBigEndianAndTextsKeptAsStored)
{
    RafBuilder raf = CameraRaf();
    raf.reserved = {0x01020304, 0x05060708, 0x8090A0B0, 0, 0xFFFFFFFE};
    raf.extended[1] = 0x00BFC800;
    const Bytes file = raf.Build();
    RafHandle handle;
    ASSERT_EQ(OpenBytes(file, handle), RafResult::kOk);

    RafHeader header;
    ASSERT_EQ(RafGetFullHeader(&handle, &header), RafResult::kOk);
    EXPECT_EQ(header.major, 2);
    EXPECT_EQ(header.minor, 1);
    EXPECT_EQ(TextOf(header.cameraId.data(), 8), "VS050701");
    EXPECT_EQ(TextOf(header.modelName.data(), 32), "Vistrel S5Pro");
    EXPECT_EQ(header.reserved, raf.reserved);
    EXPECT_EQ(header.jpegOffset, 148u);
    EXPECT_EQ(header.jpegLength, raf.jpeg.size());
    EXPECT_EQ(header.cfaHeaderOffset, 148u + raf.jpeg.size());
    EXPECT_EQ(header.cfaHeaderLength, 4u + 4 * 8u);
    EXPECT_EQ(header.cfaOffset, header.cfaHeaderOffset + header.cfaHeaderLength);
    EXPECT_EQ(header.cfaLength, raf.cfaData.size());
    EXPECT_TRUE(std::equal(header.bytes.begin(), header.bytes.end(), file.begin()));

    RafHeaderRecord record;
    ASSERT_EQ(RafGetHeaderRecord(&handle, &record), RafResult::kOk);
    EXPECT_EQ(TextOf(record.modelName.data(), 32), "Vistrel S5Pro");
    EXPECT_EQ(TextOf(record.directoryVersion.data(), 4), "0106");
    EXPECT_EQ(record.reserved, raf.reserved);
    EXPECT_EQ(record.jpegLength, raf.jpeg.size());
    EXPECT_EQ(record.cfaLength, raf.cfaData.size());
    EXPECT_EQ(record.extendedWord, 0x00BFC800u);
}

TEST_F(RafLibrary, ExtendedWordsFollowTheFormatVersion)
{
    for (const auto& [version, extended] :
         std::vector<std::pair<std::string, bool>>{{"0201", true}, {"0210", true}, {"0200", false}}) {
        RafBuilder raf = CameraRaf();
        raf.version = version;
        for (std::uint32_t i = 0; i < raf.extended.size(); ++i)
            raf.extended[i] = 0x11223300 + i;
        RafHandle handle;
        ASSERT_EQ(OpenBytes(raf.Build(), handle), RafResult::kOk) << version;
        RafHeader header;
        ASSERT_EQ(RafGetFullHeader(&handle, &header), RafResult::kOk);
        // In a 02.00 file the JPEG starts at byte 108, so the bytes there are not zero.
        const std::array<std::uint32_t, 10> none{};
        EXPECT_EQ(header.extended, extended ? raf.extended : none) << version;
        EXPECT_EQ(header.jpegOffset, extended ? 148u : 108u);

        std::vector<std::uint8_t> jpeg;
        RafHeaderRecord record;
        ASSERT_EQ(RafReadHeaderAndJpeg(&handle, &record, &jpeg), RafResult::kOk);
        EXPECT_EQ(jpeg, raf.jpeg);
        EXPECT_EQ(record.extendedWord, extended ? raf.extended[kRafRecordExtendedWord] : 0u);
    }
}

TEST_F(RafLibrary, EmbeddedJpegIsReadExactlyOrNotAtAll)
{
    const RafBuilder camera = CameraRaf();
    RafHandle handle;
    ASSERT_EQ(OpenBytes(camera.Build(), handle), RafResult::kOk);
    std::vector<std::uint8_t> buffer(camera.jpeg.size() + 1, 0xEE);
    ASSERT_EQ(RafReadEmbeddedJpeg(&handle, buffer.data(), buffer.size()), RafResult::kOk);
    EXPECT_TRUE(std::equal(camera.jpeg.begin(), camera.jpeg.end(), buffer.begin()));
    EXPECT_EQ(buffer.back(), 0xEE) << "nothing written past the JPEG";
    TiffStream window;
    ASSERT_EQ(RafEmbeddedJpegStream(&handle, &window), RafResult::kOk);
    std::vector<std::uint8_t> windowed;
    ASSERT_TRUE(Succeeded(window.ReadAll(windowed)));
    EXPECT_EQ(windowed, camera.jpeg);

    const std::uint32_t fileSize = static_cast<std::uint32_t>(camera.Build().size());
    struct Case {
        const char* what;
        std::uint32_t offset;
        std::uint32_t length;
    };
    for (const Case& test :
         {Case{"offset past the end", fileSize + 1, 0},
          Case{"length one byte too long", 148, fileSize - 148 + 1},
          Case{"sum wraps around 32 bits", 0xFFFFFFF0u, 0x20}, Case{"length of 4 GB", 148, 0xFFFFFFFFu}}) {
        RafBuilder raf = CameraRaf();
        raf.jpegOffset = test.offset;
        raf.jpegLength = test.length;
        ASSERT_EQ(OpenBytes(raf.Build(), handle), RafResult::kOk) << test.what;
        RafHeaderRecord record;
        std::vector<std::uint8_t> jpeg = {1, 2, 3};
        EXPECT_EQ(RafReadHeaderAndJpeg(&handle, &record, &jpeg), RafResult::kFailed) << test.what;
        EXPECT_EQ(jpeg.size(), 3u) << "the caller's buffer is untouched";
        EXPECT_EQ(RafEmbeddedJpegStream(&handle, &window), RafResult::kFailed) << test.what;
        if (test.length <= fileSize) {
            buffer.assign(test.length + 1, 0);
            EXPECT_EQ(RafReadEmbeddedJpeg(&handle, buffer.data(), buffer.size()), RafResult::kFailed)
                << test.what;
        }
    }
}

TEST_F(RafLibrary, TruncationAtEveryByteIsRefusedCleanly)
{
    for (const char* version : {"0201", "0200"}) {
        RafBuilder raf = CameraRaf();
        raf.version = version;
        const Bytes file = raf.Build();
        const std::size_t jpegEnd = raf.HeaderSize() + raf.jpeg.size();
        const std::size_t cfaHeaderEnd = jpegEnd + 4 + 4 * 8;
        for (std::size_t size = 0; size <= file.size(); ++size) {
            SCOPED_TRACE(std::string(version) + " cut at " + std::to_string(size));
            RafHandle handle;
            const RafResult opened
                = OpenBytes(Bytes(file.begin(), file.begin() + static_cast<long>(size)), handle);
            if (size < raf.HeaderSize()) {
                EXPECT_EQ(opened, RafResult::kBadHeader);
                continue;
            }
            ASSERT_EQ(opened, RafResult::kOk);
            RafHeaderRecord record;
            std::vector<std::uint8_t> jpeg;
            EXPECT_EQ(RafReadHeaderAndJpeg(&handle, &record, &jpeg),
                      size >= jpegEnd ? RafResult::kOk : RafResult::kFailed);
            RafPictureInfo info;
            EXPECT_EQ(RafGetPictureInfo(&handle, &info),
                      size >= cfaHeaderEnd ? RafResult::kOk : RafResult::kFailed);
        }
    }
}

TEST_F(RafLibrary, SizeRecordsGiveThePictureSize)
{
    RafHandle handle;
    ASSERT_EQ(OpenBytes(CameraRaf().Build(), handle), RafResult::kOk);
    RafPictureInfo info;
    ASSERT_EQ(RafGetPictureInfo(&handle, &info), RafResult::kOk);
    EXPECT_EQ(info.width, 4256u);
    EXPECT_EQ(info.height, 1424u);
    EXPECT_EQ(info.sizeTag, 0x111);
    EXPECT_EQ(info.recordCount, 4);
    EXPECT_EQ(TextOf(info.cameraId.data(), 8), "VS050701");
    EXPECT_TRUE(PairOf(info, 0x100).present);
    EXPECT_EQ(PairOf(info, 0x100).first, 1444);
    EXPECT_EQ(PairOf(info, 0x100).second, 4352);
    EXPECT_EQ(PairOf(info, 0x110).second, 48);
    EXPECT_EQ(PairOf(info, 0x121).second, 4288);
    EXPECT_FALSE(PairOf(info, 0x112).present);
    for (std::size_t i = 0; i < kRafPairTags.size(); ++i)
        EXPECT_EQ(info.pairs[i].tag, kRafPairTags[i]);
}

TEST_F(RafLibrary, RecordsThatGiveNoSizeAreSkipped)
{
    struct Case {
        const char* what;
        std::function<void(RafBuilder&)> records;
        std::uint32_t width, height;
        std::uint16_t sizeTag, recordCount;
    };
    const Case cases[] = {
        {"whole sensor stands in for a zero cropped size",
         [](RafBuilder& raf) { raf.Pair(0x111, 0, 4256).Pair(0x100, 1444, 4352); }, 4352, 1444, 0x100, 2},
        {"other tags, short records and repeats",
         [](RafBuilder& raf) {
             raf.Record(0x130, {1, 2, 1, 0, 9, 9, 9, 9})
                 .Record(0x111, {0x05, 0x90}) // too short for two numbers
                 .Record(0x9650, {})
                 .Pair(0x100, 100, 200)
                 .Pair(0x100, 300, 400) // only the first record of a tag counts
                 .Record(0x121, {0x00, 0x10, 0x00, 0x20, 0xAB, 0xCD});
         },
         200, 100, 0x100, 6},
        {"count read from its low 16 bits",
         [](RafBuilder& raf) {
             raf.Pair(0x111, 1424, 4256);
             raf.recordCount = 0x00010001;
         },
         4256, 1424, 0x111, 1},
        {"records beyond the count are not read",
         [](RafBuilder& raf) {
             raf.Pair(0x111, 1424, 4256);
             raf.recordCount = 0;
         },
         0, 0, 0, 0},
        {"no CFA header at all", [](RafBuilder& raf) { raf.withCfaHeader = false; }, 0, 0, 0, 0},
    };
    for (const Case& test : cases) {
        RafBuilder raf;
        raf.jpeg = CameraJpeg();
        test.records(raf);
        RafHandle handle;
        ASSERT_EQ(OpenBytes(raf.Build(), handle), RafResult::kOk) << test.what;
        RafPictureInfo info;
        ASSERT_EQ(RafGetPictureInfo(&handle, &info), RafResult::kOk) << test.what;
        EXPECT_EQ(info.width, test.width) << test.what;
        EXPECT_EQ(info.height, test.height) << test.what;
        EXPECT_EQ(info.sizeTag, test.sizeTag) << test.what;
        EXPECT_EQ(info.recordCount, test.recordCount) << test.what;
    }
}

TEST_F(RafLibrary, CfaHeaderOrRecordBeyondItsBoundsFails)
{
    const std::uint32_t fileSize = static_cast<std::uint32_t>(CameraRaf().Build().size());
    const std::uint32_t at = 148 + static_cast<std::uint32_t>(CameraJpeg().size());
    const std::uint32_t length = 4 + 4 * 8;
    struct Case {
        const char* what;
        std::uint32_t offset, length;
        std::optional<std::uint32_t> count;
    };
    for (const Case& test :
         {Case{"offset past the end", fileSize + 1, 8, {}},
          Case{"length past the end", at, fileSize - at + 1, {}},
          Case{"sum wraps around 32 bits", 0xFFFFFFFCu, 0x10, {}}, Case{"too short for the count", at, 3, {}},
          Case{"last record cut by the length", at, length - 1, {}},
          Case{"record head cut by the length", at, length - 6, {}},
          Case{"more records than the header holds", at, length, 5}}) {
        RafBuilder raf = CameraRaf();
        raf.cfaHeaderOffset = test.offset;
        raf.cfaHeaderLength = test.length;
        raf.recordCount = test.count;
        RafHandle handle;
        ASSERT_EQ(OpenBytes(raf.Build(), handle), RafResult::kOk) << test.what;
        RafPictureInfo info;
        info.width = 77;
        EXPECT_EQ(RafGetPictureInfo(&handle, &info), RafResult::kFailed) << test.what;
        EXPECT_EQ(info.width, 77u) << "the record is untouched on failure";
    }
}

// Handler tests: files in a sandbox, the handler created directly.

std::string WriteRaf(const Sandbox& sandbox, const RafBuilder& raf, const char* name = "DSCF0001.RAF")
{
    return sandbox.WriteFile(name, AsText(raf.Build()));
}

// The code a read throws; 1 when it throws nothing.
int ThrownCode(const std::function<void()>& read)
{
    try {
        read();
    } catch (const MediaError& error) {
        return error.code;
    }
    return 1;
}

TEST(RafHandler, MediumInfoTakesSizeFromTheRecordsAndTheRestFromExif)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.interop.Drop(0x0001).Ascii(0x0001, "R03");
    RafBuilder raf = CameraRaf();
    raf.jpeg = MakeExifJpeg(exif.Build().bytes);
    const std::string path = WriteRaf(sandbox, raf);
    static_cast<void>(RafFinish()); // the handler initialises the library itself
    RafHandler handler;
    MediumInfo info;
    ASSERT_EQ(handler.ReadMediumInfo(path, info), 1);
    EXPECT_EQ(info.width, 4256);
    EXPECT_EQ(info.height, 1424);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.qualityIndex, 1) << "NORMAL in the maker note";
    EXPECT_EQ(info.shootingDate, (SystemTime{2006, 3, 0, 14, 9, 26, 53, 0}));
    EXPECT_TRUE(handler.HasExif());
    EXPECT_TRUE(handler.IsAdobeRgb());

    // Without size records the embedded JPEG's size counts (its frame header is the smaller).
    raf.jpeg = MakeExifJpeg(CameraExif(Endian::kBig).Build().bytes, 320, 240);
    raf.records = {{0x110, {0, 10, 0, 48}}};
    RafHandler other;
    ASSERT_EQ(other.ReadMediumInfo(WriteRaf(sandbox, raf, "other.raf"), info), 1);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_FALSE(other.IsAdobeRgb());
}

TEST(RafHandler, TagsAndOrientationsComeFromTheEmbeddedJpeg)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.ifd1.Drop(0x0112).Short(0x0112, {3});
    RafBuilder raf = CameraRaf();
    raf.jpeg = MakeExifJpeg(exif.Build().bytes);
    const std::string path = WriteRaf(sandbox, raf);
    RafHandler handler;
    TagSet tags;
    ASSERT_EQ(handler.ReadTags(path, tags), 1);
    EXPECT_TRUE(handler.HasExif());
    ASSERT_NE(tags.Find(TagMap::kPrimary, 0x010F), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(tags.Value(TagMap::kPrimary, 0x010F)), "KAVORINE");
    ASSERT_NE(tags.Find(TagMap::kExif, 0x9003), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(tags.Value(TagMap::kExif, 0x9003)), "2006:03:14 09:26:53");
    ASSERT_NE(tags.Find(TagMap::kMakerNote, 0x1000), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(tags.Value(TagMap::kMakerNote, 0x1000)), "NORMAL ");
    EXPECT_EQ(handler.Orientation(path), 6);
    EXPECT_EQ(handler.ThumbnailOrientation(path), 3);

    exif.ifd1.Drop(0x0112);
    raf.jpeg = MakeExifJpeg(exif.Build().bytes);
    const std::string untagged = WriteRaf(sandbox, raf, "untagged.raf");
    EXPECT_EQ(handler.ThumbnailOrientation(untagged), 6) << "a thumbnail without the tag turns like the picture";
    EXPECT_EQ(handler.Orientation(untagged), 6);
}

TEST(RafHandler, EmbeddedJpegWithoutExifIsAPictureWithoutTags)
{
    Sandbox sandbox;
    RafBuilder raf;
    raf.jpeg = JpegBuilder().Sof(200, 100).Build();
    const std::string path = WriteRaf(sandbox, raf);
    RafHandler handler;
    MediumInfo info;
    ASSERT_EQ(handler.ReadMediumInfo(path, info), 1);
    EXPECT_EQ(info.width, 200);
    EXPECT_EQ(info.height, 100);
    EXPECT_EQ(info.qualityIndex, -1);
    EXPECT_FALSE(info.shootingDate.HasDate());
    EXPECT_FALSE(handler.HasExif());
    TagSet tags;
    EXPECT_EQ(handler.ReadTags(path, tags), 0);
    EXPECT_TRUE(tags.IsEmpty());
    EXPECT_EQ(handler.Orientation(path), 1);
    EXPECT_EQ(handler.ThumbnailOrientation(path), 1);
    DibImage image;
    EXPECT_EQ(ThrownCode([&] { handler.ReadThumbnail(path, image); }), 0);
}

TEST(RafHandler, PicturesAreTheEmbeddedJpegAndItsExifThumbnail)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.thumbnail = MakeGreyJpeg(16, 8, 200);
    RafBuilder raf = CameraRaf();
    raf.jpeg = MakeGreyJpeg(40, 24, 60, exif.Build().bytes);
    const std::string path = WriteRaf(sandbox, raf);
    RafHandler handler;
    DibImage thumbnail;
    ASSERT_EQ(handler.ReadThumbnail(path, thumbnail), 1);
    EXPECT_EQ(thumbnail.Width(), 16u);
    EXPECT_EQ(thumbnail.Height(), 8u);
    EXPECT_EQ(thumbnail.Pixel(15, 7), 0xC8C8C8u);
    DibImage image;
    ASSERT_EQ(handler.ReadImage(path, image), 1);
    EXPECT_EQ(image.Width(), 40u);
    EXPECT_EQ(image.Height(), 24u);
    EXPECT_EQ(image.BitsPerPixel(), 24u);
    EXPECT_EQ(image.Pixel(39, 23), 0x3C3C3Cu);
}

TEST(RafHandler, MissingOrUndecodablePicturesThrow)
{
    Sandbox sandbox;
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.withIfd1 = false;
    RafBuilder raf = CameraRaf();
    raf.jpeg = MakeExifJpeg(exif.Build().bytes);
    const std::string without = WriteRaf(sandbox, raf, "without.raf");
    // The camera fixture's JPEG and thumbnail are frame headers without tables.
    const std::string broken = WriteRaf(sandbox, CameraRaf(), "broken.raf");
    for (const std::string& path : {without, broken}) {
        RafHandler handler;
        DibImage image;
        EXPECT_EQ(ThrownCode([&] { handler.ReadThumbnail(path, image); }), 0) << path;
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_EQ(ThrownCode([&] { handler.ReadImage(path, image); }), kMediaMalformed) << path;
    }
}

TEST(RafHandler, BrokenContainersThrowCodes)
{
    Sandbox sandbox;
    struct Case {
        const char* what;
        std::function<void(RafBuilder&)> change;
        int code;
        int imageCode; // 1: the picture is still shown
    };
    const Case cases[] = {
        {"bad magic", [](RafBuilder& raf) { raf.magic = "OTHERRAW"; }, kMediaMalformed, kMediaMalformed},
        {"version 0100", [](RafBuilder& raf) { raf.version = "0100"; }, kMediaMalformed, kMediaMalformed},
        {"JPEG beyond the file", [](RafBuilder& raf) { raf.jpegLength = 0x7FFFFFFF; }, kMediaUnreadable,
         kMediaUnreadable},
        // The picture does not need the sensor header.
        {"CFA header beyond the file", [](RafBuilder& raf) { raf.cfaHeaderLength = 0x10000; },
         kMediaUnreadable, 1},
    };
    for (const Case& test : cases) {
        RafBuilder raf = CameraRaf();
        raf.jpeg = MakeGreyJpeg(8, 8, 128, CameraExif(Endian::kLittle).Build().bytes);
        test.change(raf);
        const std::string path = WriteRaf(sandbox, raf);
        MediumInfo info;
        TagSet tags;
        DibImage image;
        EXPECT_EQ(ThrownCode([&] { RafHandler().ReadMediumInfo(path, info); }), test.code) << test.what;
        EXPECT_EQ(ThrownCode([&] { RafHandler().ReadTags(path, tags); }), test.code) << test.what;
        EXPECT_EQ(ThrownCode([&] { RafHandler().Orientation(path); }), test.code) << test.what;
        EXPECT_EQ(ThrownCode([&] { RafHandler().ThumbnailOrientation(path); }), test.code) << test.what;
        EXPECT_EQ(ThrownCode([&] { RafHandler().ReadImage(path, image); }), test.imageCode) << test.what;
    }
    MediumInfo info;
    EXPECT_EQ(ThrownCode([&] { RafHandler().ReadMediumInfo(sandbox / "missing.raf", info); }),
              kMediaUnreadable);
}

// The maker's real file against what an independent tool reads from it.

std::optional<std::string> ExpectedValue(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\": {");
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t value = json.find("\"val\": ", at) + 7;
    if (json[value] == '"')
        return json.substr(value + 1, json.find('"', value + 1) - value - 1);
    return json.substr(value, json.find_first_of(",} \n", value) - value);
}

std::string TagText(const TagSet& tags, TagMap map, std::uint16_t tag, bool trimBlanks = false)
{
    const TagEntry* entry = tags.Find(map, tag);
    if (!entry || entry->value.empty())
        return "(missing)";
    std::string text = reinterpret_cast<const char*>(entry->value.data());
    if (trimBlanks)
        text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

TEST(RafCorpus, MakersFileAgreesWithTheIndependentTool)
{
    const fs::path corpus = fs::path(VISTREL_CORPUS_DIR);
    std::error_code error;
    if (!fs::is_directory(corpus / "raw", error))
        GTEST_SKIP() << "no camera corpus at " << VISTREL_CORPUS_DIR;
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(corpus / "raw")) {
        const std::string path = entry.path().string();
        const fs::path expectedPath = corpus / "expected/raw" / (entry.path().filename().string() + ".json");
        if (!fs::is_regular_file(expectedPath, error))
            continue;
        SCOPED_TRACE(path);
        const std::string json = ReadTextFile(expectedPath.string());

        RafHandler handler;
        MediumInfo info;
        ASSERT_EQ(handler.ReadMediumInfo(path, info), 1);
        EXPECT_EQ(std::to_string(info.width) + " " + std::to_string(info.height),
                  ExpectedValue(json, "Composite:ImageSize"));
        EXPECT_TRUE(handler.HasExif());

        TagSet tags;
        ASSERT_EQ(handler.ReadTags(path, tags), 1);
        // The tool drops the blanks that pad the camera's names.
        EXPECT_EQ(TagText(tags, TagMap::kPrimary, 0x010F, true), ExpectedValue(json, "IFD0:Make"));
        EXPECT_EQ(TagText(tags, TagMap::kPrimary, 0x0110, true), ExpectedValue(json, "IFD0:Model"));
        const std::optional<std::string> date = ExpectedValue(json, "ExifIFD:DateTimeOriginal");
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(TagText(tags, TagMap::kExif, 0x9003), *date);
        SystemTime shot;
        ASSERT_TRUE(ParseExifDateTime(*date, shot));
        EXPECT_EQ(info.shootingDate, shot);
        if (const std::optional<std::string> quality = ExpectedValue(json, "MakerNote:Quality")) {
            EXPECT_EQ(TagText(tags, TagMap::kMakerNote, 0x1000), *quality);
            EXPECT_NE(info.qualityIndex, -1);
        }

        DibImage picture;
        if (ExpectedValue(json, "IFD1:ThumbnailLength")) {
            ASSERT_EQ(handler.ReadThumbnail(path, picture), 1);
            EXPECT_GT(picture.Width(), 0u);
        }
        ASSERT_EQ(handler.ReadImage(path, picture), 1);
        EXPECT_EQ(std::to_string(picture.Width()), ExpectedValue(json, "File:ImageWidth"));
        EXPECT_EQ(std::to_string(picture.Height()), ExpectedValue(json, "File:ImageHeight"));
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

// Every input that once crashed or exhausted the RAW library is replayed here (under the
// sanitizers in the sanitizer build).
TEST(RafFuzzRegressions, ReplayedInputsAreHandledCleanly)
{
    int replayed = 0;
    for (const auto& entry :
         fs::directory_iterator(fs::path(VISTREL_SOURCE_DIR) / "tests/fuzz/regressions")) {
        if (!entry.is_regular_file() || !entry.path().filename().string().starts_with("raf-"))
            continue;
        SCOPED_TRACE(entry.path().string());
        const std::string bytes = ReadTextFile(entry.path().string());
        ExerciseRafReader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++replayed;
    }
    EXPECT_GE(replayed, 2);
}

} // namespace
