#include <filesystem>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "fuzz/exif_fuzz_entry.h"
#include "fuzz/exif_update_fuzz_entry.h"

// Every input that once crashed or hung a parser is replayed here (under the sanitizers in the
// sanitizer build).
TEST(FuzzRegressions, ReplayedInputsAreHandledCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(VISTREL_SOURCE_DIR) / "tests/fuzz/regressions";
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string().starts_with("."))
            continue;
        const std::string bytes = ReadTextFile(entry.path().string());
        ExerciseExifReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const char* broken = ExerciseExifUpdate(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(broken, nullptr) << entry.path().filename() << ": " << broken;
        ++replayed;
    }
    EXPECT_GE(replayed, 2);
}
