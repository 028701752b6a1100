// Thumbnail speed: MakeThumbnail with size code 1 (the embedded thumbnail) and size code 3
// (reduced-scale decode of the main picture) over a folder of camera-like 12-megapixel JPEGs,
// one thread, against vipsthumbnail making 240 x 180 thumbnails of the same files in one
// process. Prints times per picture, the ratios and the peak memory.
// Usage: thumbnail_bench [COUNT] [FOLDER]   (the folder is generated once and reused)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"

namespace fs = std::filesystem;

namespace {

// A landscape-like picture: sky gradient, hills, noise, so that it compresses like a photo.
DibImage Landscape(uint32_t width, uint32_t height, uint32_t seed)
{
    DibImage image;
    image.Create(width, height, 24);
    uint32_t noise = seed * 2654435761u;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.Row(y);
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double hill = height * (0.55 + 0.1 * std::sin((x + seed * 97.0) / width * 6.3));
            const int grain = static_cast<int>(noise >> 28) - 8;
            int r, g, b;
            if (y < hill) {
                r = 90 + static_cast<int>(80.0 * y / height);
                g = 150 + static_cast<int>(60.0 * y / height);
                b = 235;
            } else {
                r = 60 + static_cast<int>((x * 7 + seed) % 40);
                g = 120 + static_cast<int>((y * 3) % 50);
                b = 50;
            }
            row[3 * x] = static_cast<uint8_t>(std::clamp(b + grain, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g + grain, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r + grain, 0, 255));
        }
    }
    return image;
}

// What a camera writes, in short: the picture size in the Exif directory and a 160 x 120
// embedded thumbnail in IFD1.
Bytes CameraJpeg(uint32_t seed)
{
    ExifBuilder exif;
    exif.exif.Long(0xA002, {4000}).Long(0xA003, {3000});
    exif.withIfd1 = true;
    exif.thumbnail = EncodeJpeg(Landscape(160, 120, seed));
    return WithExif(EncodeJpeg(Landscape(4000, 3000, seed)), exif.Build().bytes);
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

template <typename Work> double Time(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 300;
    const fs::path folder
        = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "vistrel-thumbnail-bench";
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const fs::path path = folder / ("DSCF" + std::to_string(1000 + i) + ".JPG");
        if (!fs::exists(path)) {
            const Bytes bytes = CameraJpeg(static_cast<uint32_t>(i));
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
        files.push_back(path.string());
    }
    const fs::path makerFolder = fs::path(VISTREL_CORPUS_DIR) / "maker";
    if (fs::is_directory(makerFolder)) {
        for (const auto& entry : fs::directory_iterator(makerFolder))
            files.push_back(entry.path().string());
    }
    std::printf("pictures: %zu (%d generated 4000 x 3000 with 160 x 120 embedded thumbnails, plus the "
                "maker's files)\n",
                files.size(), count);

    int failures = 0;
    auto run = [&](int sizeCode) {
        return Time([&] {
            for (const std::string& file : files) {
                DibImage image;
                failures += MakeThumbnail(file, sizeCode, image) == 0 ? 0 : 1;
            }
        });
    };
    run(1); // warm the file cache
    const double code1 = run(1);
    const double code3 = run(3);
    std::printf("size code 1 (embedded): %.2f ms per picture\n", 1000 * code1 / files.size());
    std::printf("size code 3 (reduced decode): %.2f ms per picture\n", 1000 * code3 / files.size());
    std::printf("code 3 / code 1: %.1f (goal: at least 10)\n", code3 / code1);

    const fs::path vipsOut = fs::temp_directory_path() / "vistrel-thumbnail-bench-vips";
    fs::create_directories(vipsOut);
    std::string command = "vipsthumbnail --size 240x180 -o " + (vipsOut / "%s.jpg").string();
    for (const std::string& file : files)
        command += " '" + file + "'";
    command += " 2>/dev/null";
    if (std::system("command -v vipsthumbnail >/dev/null") == 0) {
        std::system(command.c_str());
        const double vips = Time([&] { std::system(command.c_str()); });
        std::printf("vipsthumbnail 240x180: %.2f ms per picture\n", 1000 * vips / files.size());
        std::printf("vipsthumbnail / size code 3: %.2f (goal: at least 1)\n", vips / code3);
    } else {
        std::printf("vipsthumbnail is not installed (apt-get install libvips-tools)\n");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB; failures: %d\n", usage.ru_maxrss / 1024.0, failures);
    return failures == 0 ? 0 : 1;
}
