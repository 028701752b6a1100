// Times ScaleToFit of camera-sized pictures into the largest thumbnail box, the work that every
// thumbnail made from a main picture ends with.
//
//   resample_bench [RUNS]
//
// A 4000 x 3000 picture (a full-size decode of a current camera's picture) and a 1280 x 960
// picture (an older camera's, or a large reduced-scale decode) are fitted into 240 x 180 RUNS times each
// (default 21); the median and the fastest run are printed in milliseconds.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "formats/image_fit.h"
#include "library/dib_image.h"

namespace {

// Smooth gradients with some noise, like a photograph rather than a flat or random picture.
DibImage CameraLikePicture(uint32_t width, uint32_t height)
{
    DibImage image;
    if (!image.Create(width, height, 24))
        return image;
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.Row(y);
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const uint32_t grain = noise >> 28;
            row[3 * x] = static_cast<uint8_t>((x * 255 / width + grain) & 0xFF);
            row[3 * x + 1] = static_cast<uint8_t>((y * 255 / height + grain) & 0xFF);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) * 127 / (width + height) + 64 + grain) & 0xFF);
        }
    }
    return image;
}

void Time(uint32_t width, uint32_t height, int runs)
{
    const DibImage picture = CameraLikePicture(width, height);
    if (picture.IsEmpty()) {
        std::printf("%u x %u: could not create the picture\n", width, height);
        return;
    }
    std::vector<double> times;
    uint32_t checksum = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::unique_ptr<DibImage> fitted = ScaleToFit(picture, 240, 180);
        const auto end = std::chrono::steady_clock::now();
        if (!fitted) {
            std::printf("%u x %u: ScaleToFit failed\n", width, height);
            return;
        }
        checksum += fitted->Pixel(120, 90);
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "ScaleToFit %4u x %4u -> 240 x 180: median %7.2f ms, fastest %7.2f ms (%d runs, check %08x)\n", width,
        height, times[times.size() / 2], times.front(), runs, checksum);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    Time(4000, 3000, runs);
    Time(1280, 960, runs);
    return 0;
}
