// Trash speed: 1,000 small files moved to the home trash one unit at a time with Trasher,
// against `gio trash` of the same files in one call, both into a sandbox XDG_DATA_HOME on the
// same file system as the files. Best of several runs each; gio's time includes starting the
// process. Target: at most twice gio's time.
// Usage: trash_bench [RUNS] [FILES] [FOLDER]


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
#include "files/trash.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> MakeFiles(const fs::path& folder, int count)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "DSCF%04d.JPG", i + 1);
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << "small picture " << i << '\n';
        paths.push_back(path);
    }
    return paths;
}

bool RunGioTrash(const std::vector<std::string>& paths)
{
    std::vector<std::string> arguments{"gio", "trash"};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    return RunProgram(std::move(arguments));
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vistrel_trash_bench";
    const fs::path data = folder / "data";
    const fs::path pictures = folder / "pictures";
    const fs::path trash = data / "Trash";
    fs::create_directories(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::vector<std::string> paths;
    const auto prepare = [&] {
        fs::remove_all(trash);
        paths = MakeFiles(pictures, count);
    };
    std::printf("%d files of a few bytes, best of %d\n", count, runs);

    const double ourSeconds = BestSeconds(runs, prepare, [&] {
        Trasher trasher;
        for (const std::string& path : paths) {
            const TrashResult result = trasher.TrashUnit({path});
            if (result.outcome != TrashOutcome::kTrashed) {
                std::fprintf(stderr, "TrashUnit: %s\n", result.message.c_str());
                return false;
            }
        }
        return true;
    });
    if (ourSeconds < 0 || CountEntries(trash / "files") != count || CountEntries(trash / "info") != count) {
        std::fprintf(stderr, "Trasher did not trash every file into %s\n", trash.c_str());
        return 1;
    }
    std::printf("Trasher:   %8.1f ms (%.1f us a file)\n", ourSeconds * 1000, ourSeconds * 1e6 / count);

    if (std::system("command -v gio >/dev/null 2>&1") != 0) {
        std::printf("gio trash: not installed\n");
        fs::remove_all(folder);
        return 0;
    }
    const double gioSeconds = BestSeconds(runs, prepare, [&] { return RunGioTrash(paths); });
    if (gioSeconds < 0 || CountEntries(trash / "files") != count) {
        std::fprintf(stderr, "gio trash failed\n");
        fs::remove_all(folder);
        return 1;
    }
    std::printf("gio trash: %8.1f ms (%.1f us a file)\n", gioSeconds * 1000, gioSeconds * 1e6 / count);
    std::printf("ratio Trasher / gio: %.2f (target at most 2)\n", ourSeconds / gioSeconds);
    fs::remove_all(folder);
    return 0;
}
