// Copy and move speed: 1,000 camera-sized files (200 KB pictures, a 60 KB sound memo beside
// every fifth) copied into a folder with TransferFiles against `cp -r` of the same folder, and
// moved within one file system against `mv`. Best of several runs each; the tools' times
// include starting the process, ours includes flushing every copy to disk, which cp does not.
// Targets: copy at most 1.2 times cp, move at most twice mv.
// Usage: transfer_bench [RUNS] [FILES] [FOLDER]


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "files/file_transfer.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPictureBytes = 200 * 1024;
constexpr std::size_t kMemoBytes = 60 * 1024;

class QuietListener : public TransferListener {
public:
    TransferAnswer Conflict(const TransferConflict&) override { return TransferAnswer::Cancel; }
    bool Progress(std::uint64_t, std::uint64_t, const std::string&) override { return true; }
};

std::vector<TransferUnit> MakeFiles(const fs::path& folder, int count)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string picture(kPictureBytes, '\0');
    std::string memo(kMemoBytes, '\0');
    std::vector<TransferUnit> units;
    for (int i = 0; i < count; ++i) {
        for (std::size_t b = 0; b < picture.size(); b += 512)
            picture[b] = static_cast<char>(i + b);
        char name[32];
        std::snprintf(name, sizeof name, "DSCF%04d", i + 1);
        TransferUnit unit{(folder / (std::string(name) + ".JPG")).string(), {}};
        std::ofstream(unit.path, std::ios::binary) << picture;
        if (i % 5 == 0) {
            unit.companions.push_back((folder / (std::string(name) + ".WAV")).string());
            std::ofstream(unit.companions.back(), std::ios::binary) << memo;
        }
        units.push_back(std::move(unit));
    }
    return units;
}

bool Transfer(const std::vector<TransferUnit>& units, const fs::path& into, TransferMode mode)
{
    QuietListener listener;
    const TransferResult result = TransferFiles(units, into.string(), mode, listener);
    if (result.Succeeded())
        return true;
    for (const UnitTransferResult& unit : result.units) {
        if (!unit.message.empty()) {
            std::fprintf(stderr, "TransferFiles: %s\n", unit.message.c_str());
            break;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vistrel_transfer_bench";
    const fs::path card = folder / "card";
    const fs::path photos = folder / "photos";
    std::vector<TransferUnit> units = MakeFiles(card, count);
    const int files = CountEntries(card);
    std::printf("%d pictures of %zu KB, %d files in all, best of %d\n", count, kPictureBytes / 1024, files, runs);

    const auto freshDestination = [&] {
        fs::remove_all(photos);
        fs::create_directories(photos);
    };
    const double copySeconds = BestSeconds(runs, freshDestination, [&] { return Transfer(units, photos, TransferMode::Copy); });
    if (copySeconds < 0 || CountEntries(photos) != files) {
        std::fprintf(stderr, "TransferFiles did not copy every file\n");
        return 1;
    }
    const double cpSeconds = BestSeconds(runs, freshDestination, [&] {
        return RunProgram({"cp", "-r", (card / ".").string(), photos.string()});
    });
    if (cpSeconds < 0 || CountEntries(photos) != files) {
        std::fprintf(stderr, "cp -r failed\n");
        return 1;
    }
    std::printf("copy  TransferFiles: %8.1f ms   cp -r: %8.1f ms   ratio %.2f (target at most 1.2)\n",
                copySeconds * 1000, cpSeconds * 1000, copySeconds / cpSeconds);

    const auto freshCard = [&] {
        units = MakeFiles(card, count);
        freshDestination();
    };
    const double moveSeconds = BestSeconds(runs, freshCard, [&] { return Transfer(units, photos, TransferMode::Move); });
    if (moveSeconds < 0 || CountEntries(photos) != files || CountEntries(card) != 0) {
        std::fprintf(stderr, "TransferFiles did not move every file\n");
        return 1;
    }
    const double mvSeconds = BestSeconds(runs, freshCard, [&] {
        std::vector<std::string> arguments{"mv", "-t", photos.string()};
        for (const fs::directory_entry& entry : fs::directory_iterator(card))
            arguments.push_back(entry.path().string());
        return RunProgram(std::move(arguments));
    });
    if (mvSeconds < 0 || CountEntries(photos) != files) {
        std::fprintf(stderr, "mv failed\n");
        return 1;
    }
    std::printf("move  TransferFiles: %8.1f ms   mv:    %8.1f ms   ratio %.2f (target at most 2)\n",
                moveSeconds * 1000, mvSeconds * 1000, moveSeconds / mvSeconds);
    fs::remove_all(folder);
    return 0;
}
