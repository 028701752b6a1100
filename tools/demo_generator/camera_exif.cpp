#include "camera_exif.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "media_writers/exif_builder.h"

namespace {

// What the camera's automatic exposure chose in each light.
struct ExposureRow {
    DayTime time;
    std::uint32_t exposureNumerator;
    std::uint32_t exposureDenominator;
    std::uint32_t fNumberTenths;
    std::uint16_t iso;
    std::uint16_t flash; // Exif Flash: 0x10 off, 0x18 automatic and not fired
    std::int32_t brightnessHundredths;
    std::uint16_t sceneCaptureType; // 0 standard, 1 landscape, 3 night scene
};

constexpr ExposureRow kExposures[] = {
    {DayTime::Dawn, 1, 60, 28, 200, 0x18, 320, 1},    {DayTime::Morning, 1, 320, 56, 100, 0x18, 880, 1},
    {DayTime::Noon, 1, 640, 80, 100, 0x18, 1050, 1},  {DayTime::Afternoon, 1, 400, 71, 100, 0x18, 930, 1},
    {DayTime::Sunset, 1, 125, 40, 100, 0x18, 510, 1}, {DayTime::Dusk, 1, 15, 28, 400, 0x10, -80, 3},
    {DayTime::Night, 1, 4, 28, 800, 0x10, -360, 3},
};

const ExposureRow& ExposureFor(DayTime time)
{
    for (const ExposureRow& row : kExposures) {
        if (row.time == time)
            return row;
    }
    return kExposures[2];
}

// APEX values in hundredths: Tv = -log2(t), Av = 2 log2(N).
std::int32_t ShutterSpeedApex(const ExposureRow& row)
{
    const double seconds = static_cast<double>(row.exposureNumerator) / row.exposureDenominator;
    return static_cast<std::int32_t>(std::lround(-std::log2(seconds) * 100));
}

std::uint32_t ApertureApex(std::uint32_t fNumberTenths)
{
    return static_cast<std::uint32_t>(std::lround(2 * std::log2(fNumberTenths / 10.0) * 100));
}

// The maker's note in the camera's words: version, quality, sharpness, white balance, colour,
// tone, flash mode, macro, focus mode, slow synchro, picture mode and the three warnings.
Bytes MakerNote(const ExposureRow& exposure)
{
    IfdBuilder note;
    note.Undefined(0x0000, "0130")
        .Ascii(0x1000, "FINE   ")
        .Short(0x1001, {3})
        .Short(0x1002, {0})
        .Short(0x1003, {0})
        .Short(0x1004, {0})
        .Short(0x1010, {exposure.flash == 0x10 ? std::uint16_t{2} : std::uint16_t{0}})
        .Short(0x1020, {0})
        .Short(0x1021, {0})
        .Short(0x1030, {0})
        .Short(0x1031, {exposure.sceneCaptureType == 3 ? std::uint16_t{4} : std::uint16_t{0}})
        .Short(0x1300, {0})
        .Short(0x1301, {0})
        .Short(0x1302, {0});
    return BuildMakerNote(note);
}

} // namespace

std::string ExifDateText(const DemoDate& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", date.year, date.month, date.day,
                  date.hour, date.minute, date.second);
    return text;
}

Bytes CameraExifBlock(const DemoShot& shot, const Bytes& thumbnailJpeg, bool withHeader)
{
    const ExposureRow& exposure = ExposureFor(shot.time);
    const std::string date = ExifDateText(shot.date);
    const auto width = static_cast<std::uint32_t>(shot.width);
    const auto height = static_cast<std::uint32_t>(shot.height);
    // A 1/2.5-inch sensor, 5.76 mm wide, in pixels per centimetre of the stored width.
    const auto focalPlaneResolution = static_cast<std::uint32_t>(std::lround(width / 0.576));
    const auto focal35 = static_cast<std::uint16_t>(std::lround(shot.focalLengthTenths * 0.6));

    ExifBuilder builder(Endian::kLittle);
    builder.withHeader = withHeader;
    builder.sortedEntries = true;
    builder.ifd0.Ascii(0x010E, "          ")
        .Ascii(0x010F, kDemoMake)
        .Ascii(0x0110, kDemoModel)
        .Short(0x0112, {static_cast<std::uint16_t>(shot.orientation)})
        .Rational(0x011A, {{72, 1}})
        .Rational(0x011B, {{72, 1}})
        .Short(0x0128, {2})
        .Ascii(0x0131, kDemoSoftware)
        .Ascii(0x0132, date)
        .Short(0x0213, {2});
    builder.exif.Rational(0x829A, {{exposure.exposureNumerator, exposure.exposureDenominator}})
        .Rational(0x829D, {{exposure.fNumberTenths, 10}})
        .Short(0x8822, {2})
        .Short(0x8827, {exposure.iso})
        .Undefined(0x9000, "0220")
        .Ascii(0x9003, date)
        .Ascii(0x9004, date)
        .Undefined(0x9101, std::string_view("\1\2\3\0", 4))
        .Rational(0x9102, {{shot.kind == DemoKind::Jpeg ? 2u : 3u, 1}})
        .SRational(0x9201, {{ShutterSpeedApex(exposure), 100}})
        .Rational(0x9202, {{ApertureApex(exposure.fNumberTenths), 100}})
        .SRational(0x9203, {{exposure.brightnessHundredths, 100}})
        .SRational(0x9204, {{0, 100}})
        .Rational(0x9205, {{ApertureApex(28), 100}})
        .Short(0x9207, {5})
        .Short(0x9208, {0})
        .Short(0x9209, {exposure.flash})
        .Rational(0x920A, {{static_cast<std::uint32_t>(shot.focalLengthTenths), 10}})
        .Undefined(0x927C, AsText(MakerNote(exposure)))
        .Undefined(0xA000, "0100")
        // Cameras mark Adobe RGB pictures "uncalibrated" and say which space in the
        // interoperability index.
        .Short(0xA001, {shot.adobeRgb ? std::uint16_t{0xFFFF} : std::uint16_t{1}})
        .Long(0xA002, {width})
        .Long(0xA003, {height})
        .Rational(0xA20E, {{focalPlaneResolution, 1}})
        .Rational(0xA20F, {{focalPlaneResolution, 1}})
        .Short(0xA210, {3})
        .Short(0xA217, {2})
        .Undefined(0xA300, std::string_view("\3", 1))
        .Undefined(0xA301, std::string_view("\1", 1))
        .Short(0xA401, {0})
        .Short(0xA402, {0})
        .Short(0xA403, {0})
        .Short(0xA405, {focal35})
        .Short(0xA406, {exposure.sceneCaptureType})
        .Short(0xA40A, {0})
        .Short(0xA40C, {0});
    builder.withInterop = true;
    builder.interop.Ascii(0x0001, shot.adobeRgb ? "R03" : "R98").Undefined(0x0002, "0100");
    builder.withIfd1 = true;
    builder.ifd1.Short(0x0103, {6})
        .Rational(0x011A, {{72, 1}})
        .Rational(0x011B, {{72, 1}})
        .Short(0x0128, {2});
    builder.thumbnail = thumbnailJpeg;
    return builder.Build().bytes;
}
