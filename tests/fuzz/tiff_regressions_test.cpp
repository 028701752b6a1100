#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/tiff16_binding.h"
#include "fuzz/tiff_fuzz_entry.h"
#include "library/dib_image.h"
#include "library/media_error.h"

namespace {

// The module's tag calls on every tag of both directories, with buffers of exactly the size the
// module asks for.
[[maybe_unused]] void ExerciseTags(const Tiff16Exports& calls, const std::string& path)
{
    QWTiff16Context context{};
    if (calls.open(path.c_str(), &context) != QWTIFF16_OK)
        return;
    const bool primary = calls.parseHeader(&context) == QWTIFF16_OK;
    const bool exif = calls.parseExifHeader(&context) == QWTIFF16_OK;
    for (std::uint32_t tag = 0; tag <= 0xFFFF; ++tag) {
        const auto id = static_cast<std::uint16_t>(tag);
        for (bool inExif : {false, true}) {
            if (!(inExif ? exif : primary))
                continue;
            QWTiff16TagInfo info{};
            const auto queryType = inExif ? calls.queryExifHeaderType : calls.queryHeaderType;
            if (queryType(&context, id, &info) != QWTIFF16_OK || info.byteSize > (1u << 20))
                continue;
            std::vector<std::uint8_t> value(static_cast<std::size_t>(info.byteSize) + 1);
            const auto query = inExif ? calls.queryExifHeader : calls.queryHeader;
            const std::uint16_t result = query(&context, id, value.data(), info.byteSize);
            EXPECT_TRUE(result == QWTIFF16_OK || result == QWTIFF16_E_MALFORMED) << tag << ": " << result;
        }
    }
    calls.close(&context);
}

} // namespace

// Every TIFF input that once broke the TIFF reader or the 16-bit module is replayed here (under
// the sanitizers in the sanitizer build): the fuzz entries, and the built module from a file.
TEST(TiffFuzzRegressions, ReplayedInputsAreHandledCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(VISTREL_SOURCE_DIR) / "tests/fuzz/regressions";
    Sandbox sandbox;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || !name.starts_with("tiff-"))
            continue;
        SCOPED_TRACE(name);
        const std::string bytes = ReadTextFile(entry.path().string());
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_TRUE(ExerciseTiffReader(data, bytes.size()));
        EXPECT_TRUE(ExerciseTiff16Reader(data, bytes.size()));
#ifdef VISTREL_TIFF16_MODULE_PATH
        static const Tiff16Library module(VISTREL_TIFF16_MODULE_PATH);
        const std::string path = sandbox.WriteFile(name, bytes);
        ExerciseTags(module.Exports(), path);
        if (module.IsTiff16(path)) {
            for (bool thumbnail : {false, true}) {
                DibImage image;
                try {
                    thumbnail ? module.ReadThumbnail(path, image) : module.ReadImage(path, image);
                    EXPECT_FALSE(image.IsEmpty());
                } catch (const MediaError& error) {
                    EXPECT_TRUE(error.code == kMediaMalformed || error.code == kMediaOutOfMemory)
                        << error.code;
                    EXPECT_TRUE(image.IsEmpty());
                }
            }
        }
#endif
        ++replayed;
    }
    EXPECT_GE(replayed, 1);
}
