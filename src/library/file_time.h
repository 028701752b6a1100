#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "library/medium_info.h"

// File times are 100-nanosecond units since 1601-01-01 UTC, as the item records and plug-ins
// see them.
inline constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

uint64_t FileTimeFromUnix(const struct timespec& time);
// Seconds since 1970 (UTC) of a file time; times before 1970 give negative values.
int64_t UnixSecondsFromFileTime(uint64_t fileTime);

// Calendar fields of a file time, in UTC or in local time; day of week 0 = Sunday.
SystemTime SystemTimeFromFileTime(uint64_t fileTime, bool local);
// A local calendar time (a camera's shooting date) as a UTC file time; 0 when it is not a
// valid date.
uint64_t FileTimeFromLocalSystemTime(const SystemTime& local);

// The texts of a date and a time in the user's formats. The program installs the formats of
// the user's locale at start; without that the ISO forms "2006-03-14" and "09:26:53" are used.
// Main thread installs; any thread formats (the formatter must not change while workers run).
using DateTimeTextFormatter = std::function<std::string(const SystemTime&)>;
void SetDateTimeTextFormatters(DateTimeTextFormatter date, DateTimeTextFormatter time);
std::string FormatDateText(const SystemTime& time);
std::string FormatTimeText(const SystemTime& time);
