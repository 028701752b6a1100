// Preview speed: ReadPreviewImage of a camera-like 12-megapixel JPEG (4000 x 3000, quality 90,
// detailed content) for the fitted preview of a 1280 x 800 window (picture boxes 1272 x 460 and
// 1272 x 740), against a full-size decode of the same file by djpeg, averaged over several runs;
// then the step to a neighbour that PreviewLoader has prefetched (Show, then the picture is
// there without waiting), against a step to a picture that was not prefetched.
// Usage: preview_bench [RUNS] [FOLDER]   (the pictures are generated once and reused)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "formats/jpeg_decode.h"
#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "library/preview_loader.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;

// Smooth noise on a lattice of `cell` pixels (bilinear between hashed lattice values, 0..1).
class ValueNoise {
public:
    explicit ValueNoise(uint32_t seed)
        : m_seed(seed)
    {
    }
    double At(double x, double y) const
    {
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const auto ix = static_cast<int64_t>(fx);
        const auto iy = static_cast<int64_t>(fy);
        const double tx = Smooth(x - fx);
        const double ty = Smooth(y - fy);
        const double top = Lerp(Lattice(ix, iy), Lattice(ix + 1, iy), tx);
        const double bottom = Lerp(Lattice(ix, iy + 1), Lattice(ix + 1, iy + 1), tx);
        return Lerp(top, bottom, ty);
    }
    // Several octaves, the finest first halved in weight: clouds, foliage, rock.
    double Fractal(double x, double y, int octaves) const
    {
        double sum = 0;
        double weight = 0.5;
        double total = 0;
        for (int i = 0; i < octaves; ++i) {
            sum += weight * At(x, y);
            total += weight;
            x *= 2.03;
            y *= 2.03;
            weight *= 0.5;
        }
        return sum / total;
    }

private:
    static double Smooth(double t) { return t * t * (3 - 2 * t); }
    static double Lerp(double a, double b, double t) { return a + (b - a) * t; }
    double Lattice(int64_t x, int64_t y) const
    {
        uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full
            ^ m_seed * 0x165667B19E3779F9ull;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        return static_cast<double>(h & 0xFFFFFF) / 0xFFFFFF;
    }
    uint64_t m_seed;
};

uint8_t Clamp(double value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
}

// A landscape with the detail a camera records: clouded sky, a ridge with rock texture,
// meadow with grass grain, a row of trees with hard edges, a lake with ripples, and sensor
// noise over everything, so that it compresses and decodes like a photograph.
DibImage CameraScene(uint32_t width, uint32_t height, uint32_t seed)
{
    DibImage image;
    image.Create(width, height, 24);
    const ValueNoise noise(seed);
    const ValueNoise grain(seed + 7);
    uint32_t sensor = seed * 2654435761u + 1;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.Row(y);
        const double v = static_cast<double>(y) / height;
        for (uint32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double ridge = 0.42 + 0.08 * std::sin(u * 9.0 + seed) + 0.06 * (noise.Fractal(u * 12, 3.0, 4) - 0.5);
            const double shore = 0.74 + 0.01 * std::sin(u * 40.0);
            const double treeLine = 0.60 - 0.05 * noise.Fractal(u * 80, 9.0, 3);
            double r, g, b;
            if (v < ridge) {
                const double cloud = noise.Fractal(x / 180.0, y / 90.0, 5);
                const double white = std::clamp((cloud - 0.45) * 2.5, 0.0, 1.0);
                r = (70 + 90 * v) * (1 - white) + 235 * white;
                g = (130 + 80 * v) * (1 - white) + 238 * white;
                b = 230 * (1 - white) + 242 * white;
            } else if (v < treeLine) {
                const double rock = noise.Fractal(x / 14.0, y / 14.0, 5);
                r = 95 + 90 * rock;
                g = 90 + 80 * rock;
                b = 85 + 70 * rock;
            } else if (v < shore) {
                const double leaf = noise.Fractal(x / 3.0, y / 3.0, 3);
                const bool tree = v < treeLine + 0.04 && noise.At(x / 25.0, 5.0) > 0.55;
                r = tree ? 20 + 40 * leaf : 60 + 70 * leaf;
                g = tree ? 45 + 60 * leaf : 110 + 90 * leaf;
                b = tree ? 20 + 30 * leaf : 40 + 40 * leaf;
            } else {
                const double ripple = 0.5 + 0.5 * std::sin(y * 0.9 + 6 * grain.At(x / 40.0, y / 6.0));
                r = 40 + 50 * ripple;
                g = 80 + 60 * ripple;
                b = 120 + 70 * ripple;
            }
            sensor = sensor * 1664525u + 1013904223u;
            const double noiseLevel = static_cast<double>(sensor >> 28) - 7.5;
            row[3 * x] = Clamp(b + noiseLevel);
            row[3 * x + 1] = Clamp(g + noiseLevel);
            row[3 * x + 2] = Clamp(r + noiseLevel);
        }
    }
    return image;
}

// What a camera writes, in short: the picture size in the Exif directory and a 160 x 120
// embedded thumbnail in IFD1.
Bytes CameraJpeg(uint32_t seed)
{
    ExifBuilder exif;
    exif.ifd0.Ascii(0x010F, "KAVORINE").Ascii(0x0110, "Vistrel bench").Short(0x0112, {1});
    exif.exif.Long(0xA002, {kWidth}).Long(0xA003, {kHeight});
    exif.withIfd1 = true;
    exif.thumbnail = EncodeJpeg(CameraScene(160, 120, seed));
    return WithExif(EncodeJpeg(CameraScene(kWidth, kHeight, seed), {90, false}), exif.Build().bytes);
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

// The mean and the fastest of several runs: the mean is what a user waits on average, the
// fastest shows the cost without the other work of a shared machine.
struct Timing {
    double mean = 0;
    double best = 1e9;
};

// Times every job once per round, the jobs in turn, so that the load of a shared machine falls
// on all of them alike.
std::vector<Timing> TimeInTurn(int runs, const std::vector<std::function<void()>>& jobs)
{
    std::vector<Timing> timings(jobs.size());
    for (int round = 0; round < runs; ++round) {
        for (size_t i = 0; i < jobs.size(); ++i) {
            const double seconds = Time(jobs[i]);
            timings[i].mean += seconds / runs;
            timings[i].best = std::min(timings[i].best, seconds);
        }
    }
    return timings;
}

bool WaitUntil(const PreviewLoader& loader, const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!loader.Picture(path) && !loader.Failed(path)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return loader.Picture(path) != nullptr;
}

bool WaitIdle(const PreviewLoader& loader)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!loader.Idle()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "vistrel-preview-bench";
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (uint32_t i = 0; i < 4; ++i) {
        const fs::path path = folder / ("DSCF" + std::to_string(2001 + i) + ".JPG");
        if (!fs::exists(path)) {
            const Bytes bytes = CameraJpeg(i + 1);
            const fs::path partial = path.string() + ".partial";
            std::ofstream(partial, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            fs::rename(partial, path);
        }
        files.push_back(path.string());
    }
    const std::string& file = files[0];
    std::printf("picture: %s, %u x %u, %.1f MB, %d runs each\n", file.c_str(), kWidth, kHeight,
                static_cast<double>(fs::file_size(file)) / (1024 * 1024), runs);

    int failures = 0;
    struct Box {
        int width;
        int height;
    };
    const Box boxes[] = {{1272, 460}, {1272, 740}, {0, 0}};
    std::vector<std::function<void()>> jobs;
    for (const Box& box : boxes) {
        jobs.push_back([&failures, &file, box] {
            DibImage image;
            failures += ReadPreviewImage(file, box.width, box.height, image) == 0 ? 0 : 1;
        });
    }
    const bool haveDjpeg = std::system("command -v djpeg >/dev/null 2>&1") == 0;
    const std::string command = "djpeg -outfile /dev/null '" + file + "'";
    if (haveDjpeg)
        jobs.push_back([&] { failures += std::system(command.c_str()) == 0 ? 0 : 1; });
    for (const auto& job : jobs)
        job(); // warm the file cache and the library
    const std::vector<Timing> timings = TimeInTurn(runs, jobs);
    for (size_t i = 0; i < std::size(boxes); ++i) {
        DibImage image;
        failures += ReadPreviewImage(file, boxes[i].width, boxes[i].height, image) == 0 ? 0 : 1;
        const PreviewSize fitted = PreviewFittedSize(kWidth, kHeight, boxes[i].width, boxes[i].height);
        std::printf("ReadPreviewImage box %4d x %-4d: mean %6.2f ms, fastest %6.2f ms (decoded %u x %u at %d/8, "
                    "shown %u x %u)\n",
                    boxes[i].width, boxes[i].height, 1000 * timings[i].mean, 1000 * timings[i].best, image.Width(),
                    image.Height(), PreviewScaleEighths(kWidth, kHeight, boxes[i].width, boxes[i].height, false),
                    fitted.width, fitted.height);
    }
    if (haveDjpeg) {
        const Timing& djpeg = timings.back();
        std::printf("djpeg full size               : mean %6.2f ms, fastest %6.2f ms\n", 1000 * djpeg.mean,
                    1000 * djpeg.best);
        std::printf("ours / djpeg (mean, fastest): box 1272 x 460 %.2f, %.2f; box 1272 x 740 %.2f, %.2f; full size "
                    "%.2f, %.2f (goal: at most 0.5 for the boxes)\n",
                    timings[0].mean / djpeg.mean, timings[0].best / djpeg.best, timings[1].mean / djpeg.mean,
                    timings[1].best / djpeg.best, timings[2].mean / djpeg.mean, timings[2].best / djpeg.best);
    } else {
        std::printf("djpeg is not installed (apt-get install libjpeg-turbo-progs): no comparison\n");
    }

    // Stepping through the pictures with the loader: each step's picture was prefetched as the
    // previous step's neighbour, so it must be there as soon as Show returns.
    PreviewLoader loader;
    loader.Show(files[0], {files[1]}, 1272, 740);
    failures += WaitUntil(loader, files[0]) && WaitIdle(loader) ? 0 : 1;
    double prefetchedSum = 0;
    int prefetchedSteps = 0;
    int notReady = 0;
    for (int round = 0; round < runs; ++round) {
        for (size_t i = 1; i < files.size(); ++i) {
            const size_t step = round % 2 == 0 ? i : files.size() - 1 - i;
            const std::string& target = files[step];
            std::vector<std::string> neighbours;
            const size_t next = round % 2 == 0 ? step + 1 : step - 1;
            if (next < files.size())
                neighbours.push_back(files[next]);
            neighbours.push_back(files[round % 2 == 0 ? step - 1 : step + 1]);
            bool ready = false;
            prefetchedSum += Time([&] {
                loader.Show(target, neighbours, 1272, 740);
                ready = loader.Picture(target) != nullptr;
            });
            ++prefetchedSteps;
            notReady += ready ? 0 : 1;
            failures += WaitUntil(loader, target) && WaitIdle(loader) ? 0 : 1;
        }
    }
    std::printf("PreviewLoader step to a prefetched neighbour: %.1f us (Show and Picture; %d of %d steps not ready)\n",
                1e6 * prefetchedSum / prefetchedSteps, notReady, prefetchedSteps);

    // For comparison, a jump to a picture that is not held: Show, then wait for the decode.
    double coldSum = 0;
    for (int round = 0; round < runs; ++round) {
        loader.Show(files[0], {}, 1272, 740);
        failures += WaitUntil(loader, files[0]) && WaitIdle(loader) ? 0 : 1;
        const std::string& target = files[2 + round % 2];
        coldSum += Time([&] {
            loader.Show(target, {}, 1272, 740);
            failures += WaitUntil(loader, target) ? 0 : 1;
        });
    }
    std::printf("PreviewLoader jump to a picture not held: %.2f ms until it is there\n", 1000 * coldSum / runs);
    std::printf("failures: %d\n", failures);
    return failures == 0 && notReady == 0 ? 0 : 1;
}
