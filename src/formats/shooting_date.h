#pragma once

#include <optional>
#include <string>

// A shooting date and time as the Exif date tags hold it ("YYYY:MM:DD HH:MM:SS").
struct ShootingDate {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const ShootingDate&, const ShootingDate&) = default;
};

// The years a user may give a picture: the range the period panel shows.
inline constexpr int kFirstShootingYear = 1900;
inline constexpr int kLastShootingYear = 2098;

// A date that exists (the day within its month, leap years counted) with a year of 1900 to
// 2098 and a time of 00:00:00 to 23:59:59.
bool IsValidShootingDate(const ShootingDate& date);

// "%04d:%02d:%02d %02d:%02d:%02d", 19 characters (the tag's 20 bytes with the zero).
std::string FormatShootingDate(const ShootingDate& date);

// Parses exactly "YYYY:MM:DD HH:MM:SS" (digits only, no signs or blanks); none for any other
// text. The result is not checked for validity.
std::optional<ShootingDate> ParseShootingDate(const std::string& text);

// The number of days of a month (1 to 12) in a year, by the Gregorian rules; 0 for another month.
int DaysInMonth(int year, int month);
