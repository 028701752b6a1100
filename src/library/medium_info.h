#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A calendar date and time as 16-bit fields (year, month, day of week, day, hour, minute,
// second, milliseconds). Day 0 means "no date".
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    bool HasDate() const { return day != 0; }
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};
static_assert(sizeof(SystemTime) == 16);

// The fixed metadata record that every format handler fills and that plug-ins receive
// unchanged: 60 bytes of little-endian 32-bit fields and the shooting date.
struct MediumInfo {
    int32_t width = 0; // after orientation: swapped for orientations 5 to 8
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t qualityIndex = -1; // 0..2 quality words, 3 and 4 TIFF colour models, -1 unknown
    int32_t hasExif = 0;
    int32_t adobeRgb = 0;
    int32_t framesPerSecond = 0;
    int32_t audioChannels = 0;
    int32_t audioBitsPerSample = 0;
    int32_t audioSamplesPerSecondBy100 = 0;
    int32_t durationHundredths = 0; // -1 when the platform reports none
    SystemTime shootingDate;
};
static_assert(sizeof(MediumInfo) == 60);
static_assert(offsetof(MediumInfo, qualityIndex) == 12);
static_assert(offsetof(MediumInfo, hasExif) == 16);
static_assert(offsetof(MediumInfo, adobeRgb) == 20);
static_assert(offsetof(MediumInfo, framesPerSecond) == 24);
static_assert(offsetof(MediumInfo, audioSamplesPerSecondBy100) == 36);
static_assert(offsetof(MediumInfo, durationHundredths) == 40);
static_assert(offsetof(MediumInfo, shootingDate) == 44);

// Parses a shooting-date text against the mask "9999:99:99 99:99:99" (each 9 one decimal
// digit, every other character exact). The text must be the whole mask; day of week and
// milliseconds stay 0. False when it does not match.
bool ParseExifDateTime(std::string_view text, SystemTime& out);

// A DateTimeOriginal value as stored: it sets the date only when it is exactly 20 bytes (19
// characters and the terminating zero) and matches the mask.
bool ParseDateTimeOriginal(const uint8_t* value, uint32_t count, SystemTime& out);
