#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/exposure_text.h"
#include "formats/medium_info_test_support.h"
#include "formats/medium_information.h"
#include "formats/status_text.h"

// The formatting over real camera files: every JPEG of the corpus goes through it without
// harm, and the maker's files show what an independent metadata tool reads from them.

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> CorpusDir()
{
    const fs::path dir = VISTREL_CORPUS_DIR;
    std::error_code error;
    if (fs::is_directory(dir, error))
        return dir;
    return std::nullopt;
}

bool IsJpeg(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg";
}

std::vector<fs::path> JpegsUnder(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file() && IsJpeg(entry.path()))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The value of "Group:Name" in an expected-values file: a number, or a text without escapes.
std::optional<std::string> ExpectedValue(const std::string& json, const std::string& name)
{
    const std::size_t key = json.find("\"" + name + "\"");
    if (key == std::string::npos)
        return std::nullopt;
    const std::size_t val = json.find("\"val\":", key);
    if (val == std::string::npos)
        return std::nullopt;
    std::size_t start = json.find_first_not_of(' ', val + 6);
    if (json[start] == '"') {
        const std::size_t end = json.find('"', start + 1);
        return json.substr(start + 1, end - start - 1);
    }
    const std::size_t end = json.find_first_of(",\n}", start);
    return json.substr(start, end - start);
}

// The exposure text of a time given in seconds, when it is an exact fraction 1/n.
std::optional<std::string> ReciprocalText(double seconds)
{
    const double reciprocal = 1 / seconds;
    if (seconds >= 1 || std::fabs(reciprocal - std::round(reciprocal)) > 1e-6 * reciprocal)
        return std::nullopt;
    return "1/" + std::to_string(static_cast<long>(std::round(reciprocal)));
}

} // namespace

class MediumInformationCorpus : public WithEnglishTexts {};

TEST_F(MediumInformationCorpus, EveryJpegGivesItsLinesWithoutHarm)
{
    const std::optional<fs::path> corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no camera files at " << VISTREL_CORPUS_DIR;
    const std::vector<fs::path> files = JpegsUnder(*corpus);
    ASSERT_FALSE(files.empty());
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        const MediumInformation info = MediumInformation::ForFile(path.string());
        const std::vector<LabelledValue> lines = info.InformationLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().value, path.filename().string());
        for (const LabelledValue& line : lines) {
            EXPECT_FALSE(line.label.empty());
            EXPECT_EQ(line.value.find('\n'), std::string::npos) << line.label;
        }
        EXPECT_FALSE(StatusText(info).empty());
    }
}

TEST_F(MediumInformationCorpus, MakerFilesAgreeWithTheIndependentTool)
{
    const std::optional<fs::path> corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no camera files at " << VISTREL_CORPUS_DIR;
    int exposures = 0;
    int fNumbers = 0;
    for (const fs::path& path : JpegsUnder(*corpus / "maker")) {
        SCOPED_TRACE(path.string());
        const std::string json
            = ReadTextFile((*corpus / "expected" / "maker" / (path.filename().string() + ".json")).string());
        if (json.empty())
            continue;
        const MediumInformation info = MediumInformation::ForFile(path.string());
        if (!info.HasExif())
            continue;
        if (const std::optional<std::string> time = ExpectedValue(json, "ExifIFD:ExposureTime")) {
            if (const std::optional<std::string> text = ReciprocalText(std::stod(*time))) {
                EXPECT_EQ(info.Item(kGeneralGroup, 5).value, *text);
                ++exposures;
            }
        }
        if (const std::optional<std::string> fNumber = ExpectedValue(json, "ExifIFD:FNumber")) {
            const auto tenths = static_cast<std::uint64_t>(std::floor(std::stod(*fNumber) * 10 + 1e-6));
            EXPECT_EQ(info.Item(kGeneralGroup, 6).value, FNumberText(tenths));
            ++fNumbers;
        }
        if (const std::optional<std::string> iso = ExpectedValue(json, "ExifIFD:ISO")) {
            EXPECT_EQ(info.Item(kShootingGroup, 0).value, "ISO " + *iso);
        }
        const std::optional<std::string> make = ExpectedValue(json, "IFD0:Make");
        const std::optional<std::string> model = ExpectedValue(json, "IFD0:Model");
        if (make && model) {
            EXPECT_EQ(info.Item(kFileGroup, 1).value, *make + " " + *model);
        }
    }
    EXPECT_GE(exposures, 3);
    EXPECT_GE(fNumbers, 10);
}

TEST_F(MediumInformationCorpus, KnownMakerFileShowsItsSettings)
{
    const std::optional<fs::path> corpus = CorpusDir();
    if (!corpus)
        GTEST_SKIP() << "no camera files at " << VISTREL_CORPUS_DIR;
    // ExposureTime 0.0125 s, FNumber 2.9, ISO 100, focal length 4.7 mm, quality "FINE   ",
    // Flash 16 (suppressed, not fired), sharpness 3.
    const MediumInformation info = MediumInformation::ForFile((*corpus / "maker" / "kv-e500.jpg").string());
    ASSERT_TRUE(info.HasExif());
    EXPECT_EQ(info.Item(kGeneralGroup, 5).value, "1/80");
    EXPECT_EQ(info.Item(kGeneralGroup, 6).value, "F2.9");
    EXPECT_EQ(info.Item(kFileGroup, 2).value, "Fine");
    EXPECT_EQ(info.Item(kShootingGroup, 1).value, " 4.7 mm");
    EXPECT_EQ(info.Item(kShootingGroup, 7).value, "Off");
    EXPECT_EQ(info.Item(kShootingGroup, 8).value, "Off");
    EXPECT_EQ(info.Item(kShootingGroup, 11).value, "Normal");
}
