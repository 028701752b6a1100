#include "formats/shooting_date.h"

#include <cstdio>


int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsValidShootingDate(const ShootingDate& date)
{
    return date.year >= kFirstShootingYear && date.year <= kLastShootingYear && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month) && date.hour >= 0 && date.hour <= 23 &&
           date.minute >= 0 && date.minute <= 59 && date.second >= 0 && date.second <= 59;
}

std::string FormatShootingDate(const ShootingDate& date)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", date.year, date.month, date.day, date.hour,
                  date.minute, date.second);
    return text;
}

std::optional<ShootingDate> ParseShootingDate(const std::string& text)
{
    // Positions of the separators in "YYYY:MM:DD HH:MM:SS".
    static constexpr char kPattern[] = "dddd:dd:dd dd:dd:dd";
    if (text.size() != sizeof kPattern - 1)
        return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return std::nullopt;
    }
    const auto number = [&](size_t at, size_t digits) {
        int value = 0;
        for (size_t i = at; i < at + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    return ShootingDate{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
}
