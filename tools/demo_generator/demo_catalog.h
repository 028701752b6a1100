#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// What the demo card holds: one row per camera file, in the order the camera took them. The
// generator draws and writes every row; the demo tests read the files back and compare them
// with these rows. Plain data, no Qt, so that both can include it.

// What a picture shows; the scene painter knows how to draw each one.
enum class DemoScene {
    MountainLake,
    FlowerMeadow,
    PineForest,
    BlossomTree,
    SunsetHills,
    AutumnHills,
    Beach,
    Lighthouse,
    NightCity,
    CityTower,
    SnowyForest,
    WinterLake,
    NightLake,
};

enum class DayTime { Dawn, Morning, Noon, Afternoon, Sunset, Dusk, Night };
enum class Season { Spring, Summer, Autumn, Winter };

// What the camera wrote: a JPEG picture, a RAW file (with its ".RAG" companion) or a movie.
enum class DemoKind { Jpeg, Raw, Movie };

// The camera's clock at the shot (local time, as Exif stores it).
struct DemoDate {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct DemoShot {
    std::string_view folder; // below the demo folder
    std::string_view name;
    DemoKind kind;
    DemoScene scene;
    DayTime time;
    Season season;
    int width; // as stored, before the orientation turns it
    int height;
    int orientation; // Exif orientation: 1 upright, 3 upside down, 6 and 8 portrait
    DemoDate date;
    int focalLengthTenths; // mm x 10 (the zoom of a compact camera: 6.4 to 19.2 mm)
    bool soundMemo;        // a ".WAV" of the same base name beside it
    bool adobeRgb;         // recorded in the Adobe RGB colour space
};

inline constexpr std::string_view kDemoFolderName = "Demo";
inline constexpr std::string_view kFirstDcfFolder = "DCIM/100_VIST";
inline constexpr std::string_view kSecondDcfFolder = "DCIM/101_VIST";
// A folder the user made on the card for favourites: copies of some pictures of 100_VIST.
inline constexpr std::string_view kSelectionFolder = "DCIM/100_VIST/Selection";

inline constexpr std::string_view kDemoMake = "KAVORINE";
inline constexpr std::string_view kDemoModel = "VISTREL X10";
inline constexpr std::string_view kDemoSoftware = "Digital Camera VISTREL X10 Ver1.03";

// The sensor of the RAW file: the whole area and the cropped (visible) one, which is also the
// size of the embedded JPEG.
inline constexpr int kRawSensorWidth = 1456;
inline constexpr int kRawSensorHeight = 976;

// The rows spell the enumerators out without their type names; the names stay in this namespace.
namespace demo_catalog_rows {

using enum DemoKind;
using enum DemoScene;
using enum DayTime;
using enum Season;

// clang-format off
inline constexpr std::array<DemoShot, 35> kShots = {{
    // folder           name            kind   scene         time       season  width height or. date                          focal memo   adobe
    {kFirstDcfFolder,  "DSCF0001.JPG", Jpeg,  MountainLake, Morning,   Spring, 2048, 1536, 1, {2022,  4, 16,  9, 12, 31},  64, false, false},
    {kFirstDcfFolder,  "DSCF0002.JPG", Jpeg,  FlowerMeadow, Morning,   Spring, 2048, 1536, 1, {2022,  4, 16,  9, 47,  5},  80, false, false},
    {kFirstDcfFolder,  "DSCF0003.JPG", Jpeg,  PineForest,   Noon,      Spring, 2048, 1536, 6, {2022,  4, 16, 12,  3, 48},  64, false, false},
    {kFirstDcfFolder,  "DSCF0004.JPG", Jpeg,  SunsetHills,  Sunset,    Spring,  640,  480, 1, {2022,  5,  3, 19, 41, 12}, 128, false, false},
    {kFirstDcfFolder,  "DSCF0005.JPG", Jpeg,  Beach,        Noon,      Summer, 1600, 1200, 1, {2022,  6, 18, 12, 55, 20},  64, false, false},
    {kFirstDcfFolder,  "DSCF0006.JPG", Jpeg,  Lighthouse,   Afternoon, Summer, 1600, 1200, 8, {2022,  6, 18, 15, 22,  9}, 105, false, false},
    {kFirstDcfFolder,  "DSCF0007.JPG", Jpeg,  Beach,        Sunset,    Summer, 2592, 1944, 1, {2022,  6, 18, 20, 47, 33},  72, true,  false},
    {kFirstDcfFolder,  "DSCF0008.JPG", Jpeg,  MountainLake, Dawn,      Summer, 2400, 1600, 1, {2022,  8,  7,  5, 58, 40},  64, false, false},
    {kFirstDcfFolder,  "DSCF0009.JPG", Jpeg,  FlowerMeadow, Afternoon, Summer, 1920, 1080, 1, {2022,  8,  7, 14, 30,  2},  92, false, false},
    {kFirstDcfFolder,  "DSCF0010.JPG", Jpeg,  AutumnHills,  Afternoon, Autumn, 2048, 1536, 3, {2022, 10,  2, 16, 10, 55},  80, false, false},
    {kFirstDcfFolder,  "DSCF0011.JPG", Jpeg,  NightCity,    Night,     Autumn, 2048, 1536, 1, {2022, 10, 29, 21, 15,  7},  64, false, false},
    {kFirstDcfFolder,  "DSCF0012.JPG", Jpeg,  CityTower,    Night,     Autumn, 2048, 1536, 6, {2022, 10, 29, 21, 31, 44}, 150, false, false},
    {kFirstDcfFolder,  "DSCF0013.JPG", Jpeg,  SnowyForest,  Morning,   Winter, 2592, 1944, 1, {2022, 12, 22, 10,  2, 18},  64, false, false},
    {kFirstDcfFolder,  "DSCF0014.JPG", Jpeg,  WinterLake,   Sunset,    Winter, 1600, 1200, 1, {2022, 12, 22, 16,  8, 51},  92, false, false},
    {kFirstDcfFolder,  "DSCF0015.JPG", Jpeg,  NightLake,    Dusk,      Winter,  640,  480, 1, {2023,  1, 14, 17, 26, 30},  64, false, false},
    {kFirstDcfFolder,  "DSCF0016.JPG", Jpeg,  FlowerMeadow, Noon,      Spring, 2048, 1536, 1, {2023,  4,  8, 11, 45, 19}, 192, false, true},
    {kFirstDcfFolder,  "DSCF0017.JPG", Jpeg,  BlossomTree,  Morning,   Spring, 1600, 1200, 8, {2023,  4,  8, 12, 10,  3},  80, false, false},
    {kFirstDcfFolder,  "DSCF0018.JPG", Jpeg,  MountainLake, Afternoon, Summer, 2560, 1440, 1, {2023,  6,  3, 15, 20, 44},  64, false, false},
    {kFirstDcfFolder,  "DSCF0019.JPG", Jpeg,  Beach,        Morning,   Summer, 1800, 1200, 1, {2023,  7, 15,  9,  5, 27},  72, false, false},
    {kFirstDcfFolder,  "DSCF0020.JPG", Jpeg,  SunsetHills,  Dusk,      Summer, 2048, 1536, 1, {2023,  7, 15, 21, 12, 10}, 128, false, false},
    {kFirstDcfFolder,  "DSCF0021.JPG", Jpeg,  NightLake,    Night,     Summer, 1600, 1200, 1, {2023,  7, 15, 23,  5, 51},  64, false, false},
    {kFirstDcfFolder,  "DSCF0022.JPG", Jpeg,  PineForest,   Afternoon, Summer, 2592, 1944, 6, {2023,  8, 12, 14, 48, 36},  64, false, false},
    {kFirstDcfFolder,  "DSCF0023.JPG", Jpeg,  AutumnHills,  Morning,   Autumn, 2048, 1536, 1, {2023, 10, 21, 10, 31,  2},  80, false, false},
    {kFirstDcfFolder,  "DSCF0024.RAF", Raw,   MountainLake, Sunset,    Autumn, 1440,  960, 1, {2023, 10, 21, 17, 52, 49},  64, false, false},
    {kFirstDcfFolder,  "DSCF0025.JPG", Jpeg,  AutumnHills,  Sunset,    Autumn, 2048, 1536, 1, {2023, 10, 21, 18, 10, 15}, 105, false, false},
    {kFirstDcfFolder,  "DSCF0026.JPG", Jpeg,  NightCity,    Dusk,      Autumn,  640,  480, 1, {2023, 11, 18, 17,  2, 33},  64, false, false},
    {kFirstDcfFolder,  "DSCF0027.JPG", Jpeg,  SnowyForest,  Noon,      Winter, 2592, 1944, 1, {2024,  1,  6, 12, 20,  0},  72, false, false},
    {kFirstDcfFolder,  "DSCF0028.JPG", Jpeg,  PineForest,   Morning,   Winter, 1600, 1200, 8, {2024,  1,  6, 10, 44, 12},  64, false, false},
    {kFirstDcfFolder,  "DSCF0029.JPG", Jpeg,  NightCity,    Night,     Winter, 1920, 1080, 1, {2024,  2, 10, 20, 18, 27},  64, false, false},
    {kFirstDcfFolder,  "DSCF0030.AVI", Movie, Beach,        Afternoon, Spring,  320,  240, 1, {2024,  3,  2, 15, 40,  5},  64, false, false},
    {kSecondDcfFolder, "DSCF0031.JPG", Jpeg,  FlowerMeadow, Morning,   Spring, 2048, 1536, 1, {2024,  4, 20,  8, 55, 10},  80, false, false},
    {kSecondDcfFolder, "DSCF0032.JPG", Jpeg,  BlossomTree,  Noon,      Spring, 2048, 1536, 6, {2024,  4, 20, 11, 32, 41},  64, false, false},
    {kSecondDcfFolder, "DSCF0033.JPG", Jpeg,  Lighthouse,   Sunset,    Summer, 1600, 1200, 1, {2024,  6, 29, 20, 40,  2},  92, false, false},
    {kSecondDcfFolder, "DSCF0034.JPG", Jpeg,  MountainLake, Noon,      Summer, 2592, 1944, 1, {2024,  7, 27, 13, 14, 29},  64, false, false},
    {kSecondDcfFolder, "DSCF0035.JPG", Jpeg,  NightLake,    Night,     Summer, 2048, 1536, 1, {2024,  7, 27, 22, 51,  6},  64, false, false},
}};
// clang-format on

} // namespace demo_catalog_rows

inline constexpr const auto& kDemoShots = demo_catalog_rows::kShots;

// The pictures of 100_VIST copied into the selection folder, in this order.
inline constexpr std::array<std::string_view, 5> kSelectionNames = {
    "DSCF0001.JPG", "DSCF0007.JPG", "DSCF0013.JPG", "DSCF0018.JPG", "DSCF0022.JPG",
};
