// vistrel-demo-generator FOLDER: draws the demo card's pictures and writes them, with their
// Exif data, sound memo, RAW file and movie, into FOLDER, as a camera would have.

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "demo_card.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: vistrel-demo-generator FOLDER\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::filesystem::path folder(argv[1]);
    if (!WriteDemoCard(folder))
        return 1;
    std::uintmax_t bytes = 0;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            bytes += entry.file_size();
            ++files;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("vistrel-demo-generator: %d files, %.1f MB in %.1f s\n", files,
                static_cast<double>(bytes) / 1e6, elapsed.count());
    return 0;
}
