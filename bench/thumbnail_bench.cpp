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

#include <jpeglib.h>

#include "formats/picture_reader.h"
#include "library/dib_image.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

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

Bytes Encode(const DibImage& image, int quality)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = image.Width();
    info.image_height = image.Height();
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

void Put16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A little-endian Exif block: IFD0 with the Exif pointer, the Exif IFD with the picture size,
// and IFD1 pointing at the embedded thumbnail.
Bytes ExifBlock(uint32_t width, uint32_t height, const Bytes& thumbnail)
{
    Bytes tiff = {'I', 'I', 42, 0};
    Put32(tiff, 8);
    const uint32_t exifOffset = 8 + 2 + 12 + 4;
    const uint32_t ifd1Offset = exifOffset + 2 + 2 * 12 + 4;
    const uint32_t thumbOffset = ifd1Offset + 2 + 2 * 12 + 4;
    Put16(tiff, 1);
    Put16(tiff, 0x8769), Put16(tiff, 4), Put32(tiff, 1), Put32(tiff, exifOffset);
    Put32(tiff, ifd1Offset);
    Put16(tiff, 2);
    Put16(tiff, 0xA002), Put16(tiff, 4), Put32(tiff, 1), Put32(tiff, width);
    Put16(tiff, 0xA003), Put16(tiff, 4), Put32(tiff, 1), Put32(tiff, height);
    Put32(tiff, 0);
    Put16(tiff, 2);
    Put16(tiff, 0x0201), Put16(tiff, 4), Put32(tiff, 1), Put32(tiff, thumbOffset);
    Put16(tiff, 0x0202), Put16(tiff, 4), Put32(tiff, 1), Put32(tiff, static_cast<uint32_t>(thumbnail.size()));
    Put32(tiff, 0);
    tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    return tiff;
}

Bytes CameraJpeg(uint32_t seed)
{
    const DibImage picture = Landscape(4000, 3000, seed);
    const Bytes thumbnail = Encode(Landscape(160, 120, seed), 80);
    const Bytes main = Encode(picture, 88);
    const Bytes tiff = ExifBlock(4000, 3000, thumbnail);
    Bytes out(main.begin(), main.begin() + 2);
    const size_t length = tiff.size() + 8;
    const unsigned char header[] = {0xFF,
                                    0xE1,
                                    static_cast<unsigned char>(length >> 8),
                                    static_cast<unsigned char>(length),
                                    'E',
                                    'x',
                                    'i',
                                    'f',
                                    0,
                                    0};
    out.insert(out.end(), std::begin(header), std::end(header));
    out.insert(out.end(), tiff.begin(), tiff.end());
    out.insert(out.end(), main.begin() + 2, main.end());
    return out;
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
