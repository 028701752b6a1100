// Times the listing of a large camera folder against the least any listing must do.
//
//   listing_bench [FOLDER]
//
// Without FOLDER a temporary folder of 10,000 small camera-named pictures (with some sound memos,
// RAW companions and sub-folders) is made and removed afterwards. Each side runs several times
// with a warm cache; the medians and their ratio are printed.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "library/item_list.h"

namespace {

constexpr int kPictures = 10000;
constexpr int kRuns = 15;

struct Entry {
    std::string name;
    uint64_t size = 0;
    int64_t modified = 0;
};

// What every listing pays for at least: the names with their sizes and times.
size_t PlainEnumeration(const std::string& folder)
{
    std::vector<Entry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    const int fd = ::dirfd(dir);
    while (const dirent* found = ::readdir(dir)) {
        struct stat info {};
        if (::fstatat(fd, found->d_name, &info, 0) != 0)
            continue;
        entries.push_back({found->d_name, static_cast<uint64_t>(info.st_size), info.st_mtim.tv_sec});
    }
    ::closedir(dir);
    return entries.size();
}

size_t ItemListing(ItemList& list, const std::string& folder)
{
    list.ChangeFolder(folder); // lists, attaches memos and companions, sorts by name
    return list.Count();
}

void WriteFile(const std::filesystem::path& path, size_t size)
{
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// Camera folders hold DSCFnnnn.JPG pictures; some shots have a RAW twin with its companion,
// some a sound memo, and there are a few sub-folders.
void MakeCameraFolder(const std::filesystem::path& folder)
{
    for (int i = 1; i <= kPictures; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "DSCF%04d", i);
        const std::string base = (folder / name).string();
        WriteFile(base + (i % 50 == 0 ? ".RAF" : ".JPG"), 256 + i % 512);
        if (i % 100 == 0)
            WriteFile(base + ".WAV", 128);
        if (i % 50 == 0)
            WriteFile(base + ".RAG", 64);
    }
    for (int i = 0; i < 5; ++i) {
        const std::filesystem::path sub = folder / ("10" + std::to_string(i) + "_FUJI");
        std::filesystem::create_directory(sub);
        for (int j = 0; j < 20; ++j)
            WriteFile(sub / ("DSCF" + std::to_string(1000 + j) + ".JPG"), 300);
    }
}

template <typename Work> double MedianMs(Work work, size_t& result)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        result = work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    std::filesystem::path made;
    if (argc > 1) {
        folder = argv[1];
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "listing-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        made = pattern;
        folder = pattern;
        MakeCameraFolder(made);
    }

    ItemList list;
    size_t listed = ItemListing(list, folder); // warm the cache and the allocator
    size_t enumerated = PlainEnumeration(folder);

    const double plainMs = MedianMs([&] { return PlainEnumeration(folder); }, enumerated);
    const double listingMs = MedianMs([&] { return ItemListing(list, folder); }, listed);

    std::printf("folder: %s\n", folder.c_str());
    std::printf("plain enumeration (readdir + fstatat): %8.2f ms for %zu entries\n", plainMs, enumerated);
    std::printf("item list (list + attach + name sort): %8.2f ms for %zu items\n", listingMs, listed);
    std::printf("ratio: %.2f (goal: at most 2)\n", listingMs / plainMs);

    if (!made.empty()) {
        std::error_code error;
        std::filesystem::remove_all(made, error);
    }
    return 0;
}
