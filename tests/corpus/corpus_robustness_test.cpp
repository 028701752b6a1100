#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "formats/medium_info_reader.h"

// Damaged copies of real camera files: every read ends in a clean code or a partial result,
// never a crash, a hang or a read outside a buffer (this suite also runs under the sanitizers).

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles(std::initializer_list<const char*> folders)
{
    std::vector<fs::path> files;
    for (const char* folder : folders) {
        const fs::path path = fs::path(VISTREL_CORPUS_DIR) / folder;
        if (!fs::is_directory(path))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            const std::string extension = entry.path().extension().string();
            if (entry.is_regular_file()
                && (extension == ".jpg" || extension == ".JPG" || extension == ".jpeg" || extension == ".tif"
                    || extension == ".tiff"))
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A read result is consistent: either an error code from the documented set, or a record.
void ExpectCleanResult(const FileMetadata& metadata, const std::string& what)
{
    if (metadata.error != 0) {
        EXPECT_TRUE(metadata.error == -1 || metadata.error == -5000 || metadata.error == -5001
                    || metadata.error == -5002)
            << what << " gave " << metadata.error;
        return;
    }
    EXPECT_GE(metadata.info.width, 0) << what;
    EXPECT_GE(metadata.info.height, 0) << what;
}

} // namespace

TEST(CorpusRobustness, EveryFileReadsCleanly)
{
    const auto files = CorpusFiles({"maker", "other", "orientation", "gps", "xmp", "invalid", "tiff", "bmp"});
    if (files.empty())
        GTEST_SKIP() << "no camera corpus at " << VISTREL_CORPUS_DIR;
    for (const fs::path& file : files)
        ExpectCleanResult(ReadFileMetadata(file.string()), file.string());
}

TEST(CorpusRobustness, TruncatedCopiesReadCleanly)
{
    const auto files = CorpusFiles({"maker", "other", "orientation", "gps", "tiff"});
    if (files.empty())
        GTEST_SKIP() << "no camera corpus at " << VISTREL_CORPUS_DIR;
    Sandbox sandbox;
    for (const fs::path& file : files) {
        const std::string bytes = ReadTextFile(file.string());
        for (int percent : {10, 50, 90}) {
            const std::string copy = sandbox.WriteFile("cut" + file.extension().string(),
                                                       bytes.substr(0, bytes.size() * percent / 100));
            ExpectCleanResult(ReadFileMetadata(copy),
                              file.string() + " cut at " + std::to_string(percent) + "%");
        }
    }
}

TEST(CorpusRobustness, CopiesWithFlippedBytesReadCleanly)
{
    const auto files = CorpusFiles({"maker", "other", "gps", "tiff"});
    if (files.empty())
        GTEST_SKIP() << "no camera corpus at " << VISTREL_CORPUS_DIR;
    Sandbox sandbox;
    std::mt19937 random(20061214);
    for (const fs::path& file : files) {
        std::string bytes = ReadTextFile(file.string());
        // The metadata lives near the start of the file: flip bytes there.
        const size_t span = std::min<size_t>(bytes.size(), 16384);
        for (int round = 0; round < 8; ++round) {
            std::string damaged = bytes;
            for (int flip = 0; flip < 4; ++flip)
                damaged[random() % span] ^= static_cast<char>(1 + random() % 255);
            const std::string copy = sandbox.WriteFile("flipped" + file.extension().string(), damaged);
            ExpectCleanResult(ReadFileMetadata(copy),
                              file.string() + " flipped, round " + std::to_string(round));
        }
    }
}
