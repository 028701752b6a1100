#include "formats/known_tags.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// Rows: tag, expected type (kShortOrLong = SHORT or LONG), expected count.
// clang-format off

constexpr KnownTag kPrimaryTags[] = {
    {0x0100, kShortOrLong, 1},             // ImageWidth
    {0x0101, kShortOrLong, 1},             // ImageLength
    {0x0102, kTiffShort, 3},               // BitsPerSample
    {0x0103, kTiffShort, 1},               // Compression
    {0x0106, kTiffShort, 1},               // PhotometricInterpretation
    {0x010E, Variable(kTiffAscii), 0},     // ImageDescription
    {0x010F, Variable(kTiffAscii), 0},     // Make
    {0x0110, Variable(kTiffAscii), 0},     // Model
    {0x0111, Variable(kShortOrLong), 0},   // StripOffsets
    {0x0112, kTiffShort, 1},               // Orientation
    {0x0115, kTiffShort, 1},               // SamplesPerPixel
    {0x0116, kShortOrLong, 1},             // RowsPerStrip
    {0x0117, Variable(kShortOrLong), 0},   // StripByteCounts
    {0x011A, kTiffRational, 1},            // XResolution
    {0x011B, kTiffRational, 1},            // YResolution
    {0x011C, kTiffShort, 1},               // PlanarConfiguration
    {0x0128, kTiffShort, 1},               // ResolutionUnit
    {0x012D, Variable(kTiffShort), 256},   // TransferFunction
    {0x0131, Variable(kTiffAscii), 0},     // Software
    {0x0132, Variable(kTiffAscii), 0},     // DateTime
    {0x013B, Variable(kTiffAscii), 0},     // Artist
    {0x013E, kTiffRational, 2},            // WhitePoint
    {0x013F, kTiffRational, 6},            // PrimaryChromaticities
    {0x0211, kTiffRational, 3},            // YCbCrCoefficients
    {0x0212, kTiffShort, 2},               // YCbCrSubSampling
    {0x0213, kTiffShort, 1},               // YCbCrPositioning
    {0x0214, kTiffRational, 6},            // ReferenceBlackWhite
    {0x8298, Variable(kTiffAscii), 0},     // Copyright
    {0x8773, Variable(kTiffUndefined), 0}, // InterColorProfile
    {0x8769, kTiffLong, 1},                // Exif directory pointer
    {0x8825, kTiffLong, 1},                // GPS directory pointer
    {0xC4A5, Variable(kTiffUndefined), 0}, // PrintIM
};

constexpr KnownTag kExifTags[] = {
    {0x829A, kTiffRational, 1},            // ExposureTime
    {0x829D, kTiffRational, 1},            // FNumber
    {0x8822, kTiffShort, 1},               // ExposureProgram
    {0x8824, Variable(kTiffAscii), 0},     // SpectralSensitivity
    {0x8827, Variable(kTiffShort), 0},     // ISOSpeedRatings
    {0x8828, Variable(kTiffUndefined), 0}, // OECF
    {0x9000, kTiffUndefined, 4},           // ExifVersion
    {0x9003, Variable(kTiffAscii), 0},     // DateTimeOriginal
    {0x9004, Variable(kTiffAscii), 0},     // DateTimeDigitized
    {0x9101, kTiffUndefined, 4},           // ComponentsConfiguration
    {0x9102, kTiffRational, 1},            // CompressedBitsPerPixel
    {0x9201, kTiffSRational, 1},           // ShutterSpeedValue
    {0x9202, kTiffRational, 1},            // ApertureValue
    {0x9203, kTiffSRational, 1},           // BrightnessValue
    {0x9204, kTiffSRational, 1},           // ExposureBiasValue
    {0x9205, kTiffRational, 1},            // MaxApertureValue
    {0x9206, kTiffRational, 1},            // SubjectDistance
    {0x9207, kTiffShort, 1},               // MeteringMode
    {0x9208, kTiffShort, 1},               // LightSource
    {0x9209, kTiffShort, 1},               // Flash
    {0x920A, kTiffRational, 1},            // FocalLength
    {0x927C, Variable(kTiffUndefined), 0}, // MakerNote
    {0x9286, Variable(kTiffUndefined), 0}, // UserComment
    {0x9290, Variable(kTiffAscii), 0},     // SubSecTime
    {0x9291, Variable(kTiffAscii), 0},     // SubSecTimeOriginal
    {0x9292, Variable(kTiffAscii), 0},     // SubSecTimeDigitized
    {0xA000, kTiffUndefined, 4},           // FlashpixVersion
    {0xA001, kTiffShort, 1},               // ColorSpace
    {0xA002, kTiffLong, 1},                // PixelXDimension
    {0xA003, kTiffLong, 1},                // PixelYDimension
    {0xA004, kTiffAscii, 13},              // RelatedSoundFile
    {0xA005, kTiffLong, 1},                // Interoperability directory pointer
    {0xA20B, kTiffRational, 1},            // FlashEnergy
    {0xA20C, Variable(kTiffUndefined), 0}, // SpatialFrequencyResponse
    {0xA20E, kTiffRational, 1},            // FocalPlaneXResolution
    {0xA20F, kTiffRational, 1},            // FocalPlaneYResolution
    {0xA210, kTiffShort, 1},               // FocalPlaneResolutionUnit
    {0xA214, kTiffShort, 2},               // SubjectLocation
    {0xA215, kTiffRational, 1},            // ExposureIndex
    {0xA217, kTiffShort, 1},               // SensingMethod
    {0xA300, kTiffUndefined, 1},           // FileSource
    {0xA301, kTiffUndefined, 1},           // SceneType
    {0xA302, Variable(kTiffUndefined), 0}, // CFAPattern
    {0xA303, kTiffRational, 1},
    {0xA304, kTiffRational, 1},
    {0xA305, kTiffShort, 1},
    {0x9214, kTiffShort, 4},               // SubjectArea
    {0xA401, kTiffShort, 1},               // CustomRendered
    {0xA402, kTiffShort, 1},               // ExposureMode
    {0xA403, kTiffShort, 1},               // WhiteBalance
    {0xA404, kTiffRational, 1},            // DigitalZoomRatio
    {0xA405, kTiffShort, 1},               // FocalLengthIn35mmFilm
    {0xA406, kTiffShort, 1},               // SceneCaptureType
    {0xA407, kTiffShort, 1},               // GainControl
    {0xA408, kTiffShort, 1},               // Contrast
    {0xA409, kTiffShort, 1},               // Saturation
    {0xA40A, kTiffShort, 1},               // Sharpness
    {0xA40B, Variable(kTiffUndefined), 0}, // DeviceSettingDescription
    {0xA40C, kTiffShort, 1},               // SubjectDistanceRange
    {0xA420, kTiffAscii, 33},              // ImageUniqueID
    {0xA500, kTiffRational, 1},            // Gamma
};

constexpr KnownTag kInteropTags[] = {
    {0x0001, Variable(kTiffAscii), 0}, // InteroperabilityIndex
    {0x0002, kTiffUndefined, 4},       // InteroperabilityVersion
    {0x1000, Variable(kTiffAscii), 0}, // RelatedImageFileFormat
    {0x1001, kShortOrLong, 1},         // RelatedImageWidth
    {0x1002, kShortOrLong, 1},         // RelatedImageLength
};

constexpr KnownTag kGpsTags[] = {
    {0x0000, kTiffByte, 4},                // GPSVersionID
    {0x0001, Variable(kTiffAscii), 0},     // GPSLatitudeRef
    {0x0003, Variable(kTiffAscii), 0},     // GPSLongitudeRef
    {0x0002, kTiffRational, 3},            // GPSLatitude
    {0x0004, kTiffRational, 3},            // GPSLongitude
    {0x0005, kTiffByte, 1},                // GPSAltitudeRef
    {0x0006, kTiffRational, 1},            // GPSAltitude
    {0x0007, kTiffRational, 3},            // GPSTimeStamp
    {0x0008, Variable(kTiffAscii), 0},     // GPSSatellites
    {0x0009, Variable(kTiffAscii), 0},     // GPSStatus
    {0x000A, Variable(kTiffAscii), 0},     // GPSMeasureMode
    {0x000B, kTiffRational, 1},            // GPSDOP
    {0x000C, Variable(kTiffAscii), 0},     // GPSSpeedRef
    {0x000D, kTiffRational, 1},            // GPSSpeed
    {0x000E, Variable(kTiffAscii), 0},     // GPSTrackRef
    {0x000F, kTiffRational, 1},            // GPSTrack
    {0x0010, Variable(kTiffAscii), 0},     // GPSImgDirectionRef
    {0x0011, kTiffRational, 1},            // GPSImgDirection
    {0x0012, Variable(kTiffAscii), 0},     // GPSMapDatum
    {0x0013, Variable(kTiffAscii), 0},     // GPSDestLatitudeRef
    {0x0014, kTiffRational, 3},            // GPSDestLatitude
    {0x0015, Variable(kTiffAscii), 0},     // GPSDestLongitudeRef
    {0x0016, kTiffRational, 3},            // GPSDestLongitude
    {0x0017, Variable(kTiffAscii), 0},     // GPSDestBearingRef
    {0x0018, kTiffRational, 1},            // GPSDestBearing
    {0x0019, Variable(kTiffAscii), 0},     // GPSDestDistanceRef
    {0x001A, kTiffRational, 1},            // GPSDestDistance
    {0x001B, Variable(kTiffUndefined), 0}, // GPSProcessingMethod
    {0x001C, Variable(kTiffUndefined), 0}, // GPSAreaInformation
    {0x001D, kTiffAscii, 11},              // GPSDateStamp
    {0x001E, kTiffShort, 1},               // GPSDifferential
};

constexpr KnownTag kMakerNoteTags[] = {
    {0x0000, kTiffUndefined, 4},           // Version
    {0x0010, Variable(kTiffAscii), 0},
    {0x0020, Variable(kTiffAscii), 0},
    {0x1000, Variable(kTiffAscii), 0},     // Quality
    {0x1001, kTiffShort, 1},
    {0x1002, kTiffShort, 1},
    {0x1003, kTiffShort, 1},
    {0x1004, kTiffShort, 1},
    {0x1005, kTiffShort, 1},
    {0x1006, kTiffShort, 1},
    {0x1010, kTiffShort, 1},
    {0x1011, kTiffSRational, 1},
    {0x1020, kTiffShort, 1},
    {0x1021, kTiffShort, 1},
    {0x1022, kTiffShort, 1},
    {0x1023, kTiffShort, 2},
    {0x1030, kTiffShort, 1},
    {0x1031, kTiffShort, 1},
    {0x1032, kTiffShort, 1},
    {0x1100, kTiffShort, 1},
    {0x1101, kTiffShort, 1},
    {0x1200, Variable(kTiffShort), 0},
    {0x1210, kTiffShort, 1},
    {0x1220, Variable(kTiffAscii), 0},
    {0x1221, Variable(kTiffUndefined), 0},
    {0x1300, kTiffShort, 1},
    {0x1301, kTiffShort, 1},
    {0x1302, kTiffShort, 1},
    {0x1303, kTiffShort, 1},
    {0x1400, kTiffShort, 1},
    {0x1401, kTiffShort, 1},
    {0x1402, kTiffShort, 1},
    {0x1403, kTiffShort, 1},
    {0x1404, kTiffRational, 1},
    {0x1405, kTiffRational, 1},
    {0x1406, kTiffRational, 1},
    {0x1407, kTiffRational, 1},
    {0x1408, kTiffUndefined, 4},
    {0x1409, kTiffUndefined, 4},
    {0x140A, kTiffShort, 1},
    {0x4000, kTiffByte, 1},
    {0x4001, kTiffByte, 1},
    {0x4002, kTiffShort, 1},
    {0x4003, kTiffShort, 1},
    {0x4004, kTiffByte, 1},
    {0x4005, kTiffShort, 4},
    {0x4006, kTiffShort, 1},
    {0x4007, kTiffByte, 1},
    {0x4008, kTiffShort, 1},
    {0x4009, Variable(kTiffShort), 0},
    {0x400A, Variable(kTiffShort), 0},
    {0x400B, Variable(kTiffByte), 0},
    {0x4100, kTiffShort, 1},
    {0x4101, Variable(kTiffByte), 0},
    {0x4102, Variable(kTiffByte), 0},
    {0x4103, Variable(kTiffShort), 0},
    {0x4104, Variable(kTiffShort), 0},
    {0x4105, Variable(kTiffShort), 0},
    {0x4106, Variable(kTiffUndefined), 0},
    {0x4107, Variable(kTiffShort), 0},
    {0x4180, Variable(kTiffShort), 0},
    {0x4181, Variable(kTiffByte), 0},
    {0x8000, Variable(kTiffAscii), 0},
    {0x8001, Variable(kTiffAscii), 0},
    {0x8002, kTiffLong, 1},
    {0x8003, kTiffShort, 1},
    {0x8004, Variable(kTiffUndefined), 0},
    {0x8005, Variable(kTiffUndefined), 0},
    {0x8020, kTiffShort, 1},
    {0x8021, kTiffShort, 1},
    {0x8030, Variable(kTiffAscii), 0},
    {0x8031, Variable(kTiffAscii), 0},
    {0x8032, Variable(kTiffAscii), 0},
    {0x8040, kTiffShort, 1},
    {0x8800, kTiffShort, 1},
    {0x8801, kTiffShort, 1},
};

// clang-format on

static_assert(std::size(kPrimaryTags) == 32);
static_assert(std::size(kExifTags) == 61);
static_assert(std::size(kInteropTags) == 5);
static_assert(std::size(kGpsTags) == 31);
static_assert(std::size(kMakerNoteTags) == 76);

// Copy lists of the full read.
// clang-format off

constexpr std::uint16_t kFullPrimaryStrict[] = {
    0x0106, 0x010E, 0x010F, 0x0110, 0x011A, 0x011B, 0x0128, 0x8298,
};
constexpr std::uint16_t kFullPrimaryLenient[] = {
    0x0112, 0x0131, 0x0132, 0x013B, 0x013E, 0x013F, 0x0211, 0x8773, 0xC4A5,
};
constexpr std::uint16_t kFullExifStrict[] = {
    0x829A, 0x829D, 0x8827, 0x9003, 0x9102, 0x9201, 0x9202,
    0x9207, 0x9208, 0x9209, 0x920A, 0x9286, 0x9204, 0x9000,
};
// 0xA300 appears twice: the list grew by appending a second list of newer Exif tags.
constexpr std::uint16_t kFullExifLenient[] = {
    0x8822, 0x8824, 0x8828, 0x9004, 0x9203, 0x9205, 0x9206, 0x927C, 0x9290, 0x9291, 0x9292,
    0xA004, 0xA20B, 0xA20C, 0xA20E, 0xA20F, 0xA210, 0xA214, 0xA215, 0xA217, 0xA300, 0xA301,
    0xA302,
    0xA300, 0xA401, 0xA402, 0xA404, 0xA406, 0xA408, 0xA409, 0xA40A, 0x9214, 0xA403, 0xA405,
    0xA407, 0xA40B, 0xA40C, 0xA420, 0xA001, 0xA500,
};
constexpr std::uint16_t kFullInteropStrict[] = {
    0x0001,
};
constexpr std::uint16_t kFullGpsStrict[] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0006, 0x0007, 0x0008, 0x0012,
};
constexpr std::uint16_t kFullGpsLenient[] = {
    0x0005,
    0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011,
    0x0013, 0x0014, 0x0015, 0x0016, 0x0017, 0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D,
    0x001E,
};
// The maker note is copied in two lenient passes that together hold every row of its table
// once, in the order in which the writer routes maker-note tags; the second pass begins where
// that order starts over at 0x0000.
constexpr std::uint16_t kFullMakerNotePass1[] = {
    0x1000, 0x1002, 0x1003, 0x1020, 0x1021, 0x1031, 0x1001, 0x1011, 0x1004, 0x1006, 0x1030,
    0x1220, 0x1221,
};
constexpr std::uint16_t kFullMakerNotePass2[] = {
    0x0000, 0x0010, 0x0020, 0x1005, 0x1010, 0x1022, 0x1023, 0x1032, 0x1100, 0x1101, 0x1200,
    0x1210, 0x1300, 0x1301, 0x1302, 0x8000, 0x8001, 0x8002, 0x8003, 0x8004, 0x8005, 0x8020,
    0x8021, 0x1400, 0x8800, 0x8801, 0x1401, 0x1402, 0x1403, 0x1404, 0x1405, 0x1406, 0x1407,
    0x8030, 0x8031, 0x8032, 0x8040, 0x1303, 0x1408, 0x1409, 0x140A, 0x4000, 0x4001, 0x4002,
    0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x4008, 0x4009, 0x400A, 0x400B, 0x4100, 0x4101,
    0x4102, 0x4103, 0x4104, 0x4105, 0x4106, 0x4107, 0x4180, 0x4181,
};
static_assert(std::size(kFullMakerNotePass1) + std::size(kFullMakerNotePass2) ==
              std::size(kMakerNoteTags));

// Copy lists of the quick read.

constexpr std::uint16_t kQuickPrimaryStrict[] = {
    0x0106, 0x010F, 0x0110, 0x011A, 0x011B, 0x0128,
};
constexpr std::uint16_t kQuickExifStrict[] = {
    0x829A, 0x9201, 0x829D, 0x9202, 0x9003, 0x9102, 0x9000,
};
constexpr std::uint16_t kQuickMakerNoteStrict[] = {
    0x1000,
};

// Interoperability comes after Exif and the maker note after everything else: the maker note
// is found through the Exif map's copy of 0x927C.
constexpr CopyList kFullCopyLists[] = {
    {TagMap::kPrimary, kFullPrimaryStrict, true},
    {TagMap::kPrimary, kFullPrimaryLenient, false},
    {TagMap::kExif, kFullExifStrict, true},
    {TagMap::kExif, kFullExifLenient, false},
    {TagMap::kInterop, kFullInteropStrict, true},
    {TagMap::kGps, kFullGpsStrict, true},
    {TagMap::kGps, kFullGpsLenient, false},
    {TagMap::kMakerNote, kFullMakerNotePass1, false},
    {TagMap::kMakerNote, kFullMakerNotePass2, false},
};

constexpr CopyList kQuickCopyLists[] = {
    {TagMap::kPrimary, kQuickPrimaryStrict, true},
    {TagMap::kExif, kQuickExifStrict, true},
    {TagMap::kMakerNote, kQuickMakerNoteStrict, true},
};

// clang-format on

} // namespace

std::span<const KnownTag> KnownTags(TagMap map)
{
    switch (map) {
    case TagMap::kPrimary: return kPrimaryTags;
    case TagMap::kExif: return kExifTags;
    case TagMap::kInterop: return kInteropTags;
    case TagMap::kGps: return kGpsTags;
    case TagMap::kMakerNote: return kMakerNoteTags;
    }
    return {};
}

const KnownTag* FindKnownTag(TagMap map, std::uint16_t tag)
{
    const std::span<const KnownTag> rows = KnownTags(map);
    const auto row
        = std::find_if(rows.begin(), rows.end(), [tag](const KnownTag& known) { return known.tag == tag; });
    return row == rows.end() ? nullptr : &*row;
}

std::span<const CopyList> CopyLists(TagReadMode mode)
{
    if (mode == TagReadMode::kQuick)
        return kQuickCopyLists;
    return kFullCopyLists;
}
