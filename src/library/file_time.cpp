#include "library/file_time.h"

#include <cstdio>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;

struct Formatters {
    DateTimeTextFormatter date;
    DateTimeTextFormatter time;
};

Formatters& InstalledFormatters()
{
    static Formatters formatters;
    return formatters;
}

} // namespace

uint64_t FileTimeFromUnix(const struct timespec& time)
{
    const int64_t ticks = static_cast<int64_t>(time.tv_sec) * kTicksPerSecond + time.tv_nsec / 100;
    return static_cast<uint64_t>(static_cast<int64_t>(kFileTimeUnixEpoch) + ticks);
}

int64_t UnixSecondsFromFileTime(uint64_t fileTime)
{
    const int64_t ticks = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kFileTimeUnixEpoch);
    // Round towards minus infinity so that times before 1970 keep their second.
    return ticks >= 0 ? ticks / kTicksPerSecond : -((-ticks + kTicksPerSecond - 1) / kTicksPerSecond);
}

SystemTime SystemTimeFromFileTime(uint64_t fileTime, bool local)
{
    const int64_t seconds = UnixSecondsFromFileTime(fileTime);
    const std::time_t unixTime = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (!(local ? localtime_r(&unixTime, &fields) : gmtime_r(&unixTime, &fields)))
        return {};
    SystemTime out;
    out.year = static_cast<uint16_t>(fields.tm_year + 1900);
    out.month = static_cast<uint16_t>(fields.tm_mon + 1);
    out.dayOfWeek = static_cast<uint16_t>(fields.tm_wday);
    out.day = static_cast<uint16_t>(fields.tm_mday);
    out.hour = static_cast<uint16_t>(fields.tm_hour);
    out.minute = static_cast<uint16_t>(fields.tm_min);
    out.second = static_cast<uint16_t>(fields.tm_sec);
    const int64_t ticks = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kFileTimeUnixEpoch);
    const int64_t subsecond = ((ticks % kTicksPerSecond) + kTicksPerSecond) % kTicksPerSecond;
    out.milliseconds = static_cast<uint16_t>(subsecond / 10000);
    return out;
}

uint64_t FileTimeFromLocalSystemTime(const SystemTime& local)
{
    if (local.month < 1 || local.month > 12 || local.day < 1 || local.day > 31 || local.hour > 23
        || local.minute > 59 || local.second > 60)
        return 0;
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;
    const std::time_t unixTime = std::mktime(&fields);
    if (unixTime == static_cast<std::time_t>(-1) && !(local.year == 1969 && local.month == 12))
        return 0;
    const int64_t ticks
        = static_cast<int64_t>(unixTime) * kTicksPerSecond + static_cast<int64_t>(local.milliseconds) * 10000;
    const int64_t fileTime = static_cast<int64_t>(kFileTimeUnixEpoch) + ticks;
    return fileTime > 0 ? static_cast<uint64_t>(fileTime) : 0;
}

void SetDateTimeTextFormatters(DateTimeTextFormatter date, DateTimeTextFormatter time)
{
    InstalledFormatters() = {std::move(date), std::move(time)};
}

std::string FormatDateText(const SystemTime& time)
{
    if (const auto& date = InstalledFormatters().date)
        return date(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.year, time.month, time.day);
    return text;
}

std::string FormatTimeText(const SystemTime& time)
{
    if (const auto& format = InstalledFormatters().time)
        return format(time);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.hour, time.minute, time.second);
    return text;
}
