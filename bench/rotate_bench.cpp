// Lossless turn speed: RotateJpegFile of a camera-like 12-megapixel JPEG (4000 x 3000,
// quality 90, detailed content, Exif with a thumbnail) against `jpegtran -rotate 90 -copy all`
// on the same file, best of several runs each. 3000 is not a multiple of the 16-pixel MCU, so
// our turn trims the last 8 rows (jpegtran without -trim copies them untransformed). Our time includes reading the file, the Exif
// patch and the atomic write (fsync); jpegtran's includes starting the process.
// Usage: rotate_bench [RUNS] [FOLDER]

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "formats/exif_block_builder.h"
#include "formats/exif_thumbnail.h"
#include "formats/jpeg_encode.h"
#include "formats/lossless_rotate.h"
#include "formats/new_file_tags.h"
#include "formats/tag_set.h"
#include "library/dib_image.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kWidth = 4000;
constexpr std::uint32_t kHeight = 3000;

// Detail that JPEG cannot squeeze to nothing: gradients with a hashed texture on top.
DibImage DetailedPicture()
{
    DibImage picture;
    if (!picture.Create(kWidth, kHeight, 24))
        return picture;
    std::uint32_t state = 12345;
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = static_cast<int>((state >> 24) & 0x3F) - 32;
            row[x * 3 + 0] = static_cast<std::uint8_t>(std::clamp<int>(static_cast<int>(x * 255 / kWidth) + noise, 0, 255));
            row[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp<int>(static_cast<int>(y * 255 / kHeight) + noise, 0, 255));
            row[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp<int>(static_cast<int>(((x ^ y) >> 3) & 0xFF) + noise / 2, 0, 255));
        }
    }
    return picture;
}

bool WriteCameraJpeg(const std::string& path)
{
    const DibImage picture = DetailedPicture();
    if (picture.IsEmpty())
        return false;
    TagSet tags;
    const std::uint16_t orientation = 6;
    std::uint8_t value[2];
    std::memcpy(value, &orientation, 2);
    (void)tags.Set(TagMap::kPrimary, 0x0112, kTiffShort, 1, value);
    DibImage thumbnail;
    std::vector<std::uint8_t> thumbnailJpeg;
    std::vector<std::uint8_t> payload;
    std::vector<std::uint8_t> jpeg;
    if (!MakeExifThumbnail(picture, thumbnail) ||
        EncodeJpegPicture(thumbnail, kThumbnailEncoderParameter, {}, thumbnailJpeg) != JpegEncodeResult::kOk ||
        BuildExifBlock(tags, kWidth, kHeight, thumbnailJpeg, payload) != ExifBlockResult::kOk ||
        EncodeJpegPicture(picture, 1024 * 90 / 100, payload, jpeg) != JpegEncodeResult::kOk)
        return false;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "vistrel_rotate_bench";
    fs::create_directories(folder);
    const std::string source = (folder / "camera.jpg").string();
    const std::string ours = (folder / "ours.jpg").string();
    const std::string theirs = (folder / "jpegtran.jpg").string();
    if (!WriteCameraJpeg(source)) {
        std::fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }
    std::printf("picture: %u x %u, %ju bytes, best of %d\n", kWidth, kHeight,
                static_cast<std::uintmax_t>(fs::file_size(source)), runs);

    const double ourSeconds = BestSeconds(
        runs, [&] { fs::copy_file(source, ours, fs::copy_options::overwrite_existing); }, [&] {
        const LosslessRotateResult result = RotateJpegFile(ours, RotationTurn::Clockwise, EdgePolicy::Trim);
        if (result != LosslessRotateResult::Rotated)
            std::fprintf(stderr, "RotateJpegFile: %s\n", LosslessRotateResultText(result));
        return result == LosslessRotateResult::Rotated;
    });
    if (std::system("command -v jpegtran >/dev/null 2>&1") != 0) {
        std::printf("RotateJpegFile: %.1f ms (jpegtran not installed)\n", ourSeconds * 1000);
        return ourSeconds < 0 ? 1 : 0;
    }
    const std::string command = "jpegtran -rotate 90 -copy all -outfile '" + theirs + "' '" + source + "'";
    const double theirSeconds = BestSeconds(runs, [] {}, [&] { return std::system(command.c_str()) == 0; });
    if (ourSeconds < 0 || theirSeconds < 0) {
        std::fprintf(stderr, "a turn failed\n");
        return 1;
    }
    std::printf("RotateJpegFile: %.1f ms\njpegtran -rotate 90 -copy all: %.1f ms\nratio (ours / jpegtran): %.2f\n",
                ourSeconds * 1000, theirSeconds * 1000, ourSeconds / theirSeconds);
    return 0;
}
