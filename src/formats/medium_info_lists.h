#pragma once

#include <array>

#include "formats/medium_info_texts.h"

// Every label and value list that the metadata display looks up, with the number of entries it
// indexes. The metadata text module must provide each list with at least that many entries.

// Item labels of the six groups of the information display; the entry is the item number.
inline constexpr ValueList kGeneralLabels{101, 9};
inline constexpr ValueList kFileLabels{102, 5};
inline constexpr ValueList kDescriptionLabels{103, 5};
inline constexpr ValueList kShootingLabels{104, 21};
inline constexpr ValueList kAudioLabels{106, 3};
inline constexpr ValueList kGpsLabels{107, 7};

// Value texts. Where a list is indexed by the tag value itself, `entries` is the range of
// values that have a meaning.
inline constexpr ValueList kQualityWords{50, 5};      // quality index: basic, normal, fine, two TIFF models
inline constexpr ValueList kOffOn{51, 2};             // value 0 or 1
inline constexpr ValueList kMakerPictureModes{52, 6}; // maker 0x1031 values 0 to 5
inline constexpr ValueList kMeteringModes{53, 6};     // MeteringMode 1 to 6
inline constexpr ValueList kMakerWhiteBalances{54, 18};
inline constexpr ValueList kMakerFocusModes{55, 2};
inline constexpr ValueList kMakerSharpness{57, 9};
inline constexpr ValueList kHemispheres{58, 4}; // N, S, E, W; each a pattern with one %s
inline constexpr ValueList kChannelModes{60, 2};
inline constexpr ValueList kFileFormats{61, 12}; // the format index
inline constexpr ValueList kMakerSaturation{62, 7};
inline constexpr ValueList kMakerFilmModes{108, 5};
inline constexpr ValueList kColorSpaces{109, 2};
inline constexpr ValueList kUnits{112, 10};
inline constexpr ValueList kMakerDynamicRanges{113, 3};
inline constexpr ValueList kMakerColorModes{301, 4};
inline constexpr ValueList kExposureModes{302, 3};
inline constexpr ValueList kFlashModes{304, 5};
inline constexpr ValueList kExifSharpness{306, 3};
inline constexpr ValueList kExifContrast{307, 3};
inline constexpr ValueList kSceneCaptureTypes{308, 4};
inline constexpr ValueList kExifSaturation{309, 3};
inline constexpr ValueList kMakerContrast{310, 4};
inline constexpr ValueList kMakerTone{311, 3};
inline constexpr ValueList kLightSources{312, 6};           // LightSource 0 to 4 (0 never shown), and 255
inline constexpr ValueList kDaylightAndFluorescent{313, 8}; // LightSource 9 to 16
inline constexpr ValueList kStandardLights{314, 8};         // LightSource 17 to 24
inline constexpr ValueList kFileSources{315, 4};            // FileSource 0 to 3

// Entries of the unit list.
enum UnitEntry : int {
    kUnitKilobytes = 0,
    kUnitBitsPerPixel = 1,
    kUnitIsoPrefix = 2,
    kUnitMillimetres = 3,
    kUnitMetres = 4,
    kUnitFramesPerSecond = 5,
    kUnitKilohertz = 6,
    kUnitBitsPerSample = 7,
    kUnitDcfBasicMark = 8,     // follows the DCF number of a DCF basic (sRGB) file
    kUnitColorTemperature = 9, // the maker's white balance set in kelvin
};

// Entries of the flash mode list.
enum FlashModeEntry : int {
    kFlashAuto = 0,
    kFlashForced = 1,
    kFlashSuppressed = 2,
    kFlashRedEye = 3,
    kFlashSlowSync = 4, // added after one of the others
};

// printf-style templates of the status bar and tooltips.
inline constexpr int kPictureStatusLabel = 1070;    // date text, time text, quality text
inline constexpr int kFileSizeStatusLabel = 1071;   // size in KB
inline constexpr int kFileTimeStatusLabel = 1072;   // modification date text, time text
inline constexpr int kFileSourceStatusLabel = 1317; // FileSource text

inline constexpr auto kMediumInfoValueLists = std::to_array<ValueList>({
    kGeneralLabels,      kFileLabels,      kDescriptionLabels,  kShootingLabels,
    kAudioLabels,        kGpsLabels,       kQualityWords,       kOffOn,
    kMakerPictureModes,  kMeteringModes,   kMakerWhiteBalances, kMakerFocusModes,
    kMakerSharpness,     kHemispheres,     kChannelModes,       kFileFormats,
    kMakerSaturation,    kMakerFilmModes,  kColorSpaces,        kUnits,
    kMakerDynamicRanges, kMakerColorModes, kExposureModes,      kFlashModes,
    kExifSharpness,      kExifContrast,    kSceneCaptureTypes,  kExifSaturation,
    kMakerContrast,      kMakerTone,       kLightSources,       kDaylightAndFluorescent,
    kStandardLights,     kFileSources,
});

inline constexpr auto kMediumInfoTemplateLabels = std::to_array<int>({
    kPictureStatusLabel,
    kFileSizeStatusLabel,
    kFileTimeStatusLabel,
    kFileSourceStatusLabel,
});
