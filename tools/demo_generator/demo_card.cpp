#include "demo_card.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include <QImage>

#include "camera_exif.h"
#include "camera_picture.h"
#include "date_imprint.h"
#include "demo_catalog.h"
#include "library/dib_image.h"
#include "library/file_time.h"
#include "media_writers/avi_writer.h"
#include "media_writers/jpeg_writer.h"
#include "media_writers/raf_builder.h"
#include "media_writers/wav_writer.h"
#include "scene_painter.h"
#include "sound_synthesis.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictureQuality = 88;
constexpr int kThumbnailQuality = 85;
constexpr int kMovieQuality = 80;
constexpr std::uint32_t kMovieFramesPerSecond = 10;
constexpr int kMovieFrames = 30;
constexpr std::string_view kRawCameraId = "VX100301";

// Every picture gets its own details, the same on every build: the seed comes from its name.
std::uint64_t SeedOf(const DemoShot& shot)
{
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    for (std::string_view part : {shot.folder, shot.name}) {
        for (char c : part)
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

bool WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "vistrel-demo-generator: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The camera's clock knows no time zone: the file time is the shooting time read as local time.
bool SetModificationTime(const fs::path& path, const DemoDate& date)
{
    SystemTime local;
    local.year = static_cast<uint16_t>(date.year);
    local.month = static_cast<uint16_t>(date.month);
    local.day = static_cast<uint16_t>(date.day);
    local.hour = static_cast<uint16_t>(date.hour);
    local.minute = static_cast<uint16_t>(date.minute);
    local.second = static_cast<uint16_t>(date.second);
    const uint64_t fileTime = FileTimeFromLocalSystemTime(local);
    const std::time_t seconds = fileTime == 0 ? -1 : static_cast<std::time_t>(UnixSecondsFromFileTime(fileTime));
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (seconds == -1 || ::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        std::fprintf(stderr, "vistrel-demo-generator: cannot set the time of %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

bool WriteShotFile(const fs::path& path, const Bytes& bytes, const DemoDate& date)
{
    return WriteBytes(path, bytes) && SetModificationTime(path, date);
}

// The shot drawn upright, its date burnt into the corner.
QImage DrawShot(const DemoShot& shot, QSize size, double phase = 0.0)
{
    const SceneSpec spec{shot.scene, shot.time, shot.season, SeedOf(shot), phase};
    QImage picture = PaintScene(spec, size);
    PaintDateImprint(picture, shot.date);
    return picture;
}

QSize UprightSize(const DemoShot& shot)
{
    const bool quarterTurn = shot.orientation >= 5 && shot.orientation <= 8;
    return quarterTurn ? QSize(shot.height, shot.width) : QSize(shot.width, shot.height);
}

// A complete camera JPEG of the stored picture: Exif with the thumbnail, then the picture.
Bytes CameraJpegFile(const DemoShot& shot, const QImage& stored)
{
    const Bytes thumbnail = CameraJpeg(EmbeddedThumbnail(stored), kThumbnailQuality);
    return WithExif(CameraJpeg(stored, kPictureQuality), CameraExifBlock(shot, thumbnail));
}

bool WriteJpegShot(const fs::path& folder, const DemoShot& shot)
{
    const QImage stored = StoredForOrientation(DrawShot(shot, UprightSize(shot)), shot.orientation);
    const fs::path path = folder / shot.name;
    if (!WriteShotFile(path, CameraJpegFile(shot, stored), shot.date))
        return false;
    if (!shot.soundMemo)
        return true;
    fs::path memo = path;
    memo.replace_extension(".WAV");
    return WriteShotFile(memo, BuildWav(ChimeMemo()), shot.date);
}

// The sensor data: the picture under an RGGB colour filter, 12-bit values with a black level
// of 64, stored as big-endian 16-bit words.
Bytes SensorData(const QImage& picture)
{
    const QImage sensor
        = picture.scaled(kRawSensorWidth, kRawSensorHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Bytes data;
    data.reserve(static_cast<std::size_t>(kRawSensorWidth) * kRawSensorHeight * 2);
    for (int y = 0; y < kRawSensorHeight; ++y) {
        for (int x = 0; x < kRawSensorWidth; ++x) {
            const QRgb pixel = sensor.pixel(x, y);
            const int channel = (y % 2 == 0) ? (x % 2 == 0 ? qRed(pixel) : qGreen(pixel))
                                             : (x % 2 == 0 ? qGreen(pixel) : qBlue(pixel));
            const double linear = std::pow(channel / 255.0, 2.2);
            const auto value = static_cast<std::uint16_t>(64 + std::lround(linear * 4000));
            data.push_back(static_cast<std::uint8_t>(value >> 8));
            data.push_back(static_cast<std::uint8_t>(value));
        }
    }
    return data;
}

// What the camera notes beside a RAW file for its development: the settings it used.
Bytes RawCompanion(const DemoShot& shot)
{
    const std::string text = std::string("[RAW]\r\nModel=") + std::string(kDemoModel)
        + "\r\nDateTimeOriginal=" + ExifDateText(shot.date)
        + "\r\nWhiteBalance=Auto\r\nTone=Standard\r\nColor=Standard\r\nSharpness=Standard\r\n";
    return Bytes(text.begin(), text.end());
}

bool WriteRawShot(const fs::path& folder, const DemoShot& shot)
{
    const QImage picture = DrawShot(shot, UprightSize(shot));
    RafBuilder raf;
    raf.cameraId = kRawCameraId;
    raf.modelName = kDemoModel;
    raf.jpeg = CameraJpegFile(shot, picture);
    // The size records keep the height first.
    raf.Pair(0x100, kRawSensorHeight, kRawSensorWidth);
    raf.Pair(0x111, static_cast<std::uint16_t>(shot.height), static_cast<std::uint16_t>(shot.width));
    raf.cfaData = SensorData(picture);
    const fs::path path = folder / shot.name;
    fs::path companion = path;
    companion.replace_extension(".RAG");
    return WriteShotFile(path, raf.Build(), shot.date)
        && WriteShotFile(companion, RawCompanion(shot), shot.date);
}

bool WriteMovieShot(const fs::path& folder, const DemoShot& shot)
{
    AviMovie movie;
    movie.width = static_cast<std::uint32_t>(shot.width);
    movie.height = static_cast<std::uint32_t>(shot.height);
    movie.rate = kMovieFramesPerSecond;
    movie.scale = 1;
    QImage first;
    for (int i = 0; i < kMovieFrames; ++i) {
        const QImage frame = DrawShot(shot, UprightSize(shot), static_cast<double>(i) / kMovieFrames);
        if (i == 0)
            first = frame;
        movie.frames.push_back(EncodeJpeg(ToDibImage(frame), JpegEncoding{kMovieQuality, true}));
    }
    movie.sound = SeaWaves(static_cast<double>(kMovieFrames) / kMovieFramesPerSecond, SeedOf(shot));
    movie.exifBlock = CameraExifBlock(shot, CameraJpeg(EmbeddedThumbnail(first), kThumbnailQuality), false);
    movie.streamName = kMakerAviStreamName;
    return WriteShotFile(folder / shot.name, BuildAvi(movie), shot.date);
}

const DemoShot* FindShot(std::string_view folder, std::string_view name)
{
    for (const DemoShot& shot : kDemoShots) {
        if (shot.folder == folder && shot.name == name)
            return &shot;
    }
    return nullptr;
}

bool CopySelection(const fs::path& card)
{
    const fs::path selection = card / kSelectionFolder;
    std::error_code error;
    fs::create_directories(selection, error);
    for (std::string_view name : kSelectionNames) {
        const DemoShot* shot = FindShot(kFirstDcfFolder, name);
        if (!shot || error || !fs::copy_file(card / kFirstDcfFolder / name, selection / name, error)
            || !SetModificationTime(selection / name, shot->date)) {
            std::fprintf(stderr, "vistrel-demo-generator: cannot copy %.*s into the selection\n",
                         static_cast<int>(name.size()), name.data());
            return false;
        }
    }
    return true;
}

} // namespace

bool WriteDemoCard(const fs::path& folder)
{
    for (const DemoShot& shot : kDemoShots) {
        const fs::path target = folder / shot.folder;
        std::error_code error;
        fs::create_directories(target, error);
        if (error) {
            std::fprintf(stderr, "vistrel-demo-generator: cannot create %s: %s\n", target.c_str(),
                         error.message().c_str());
            return false;
        }
        bool written = false;
        switch (shot.kind) {
        case DemoKind::Jpeg: written = WriteJpegShot(target, shot); break;
        case DemoKind::Raw: written = WriteRawShot(target, shot); break;
        case DemoKind::Movie: written = WriteMovieShot(target, shot); break;
        }
        if (!written)
            return false;
    }
    return CopySelection(folder);
}
