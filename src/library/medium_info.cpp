#include "library/medium_info.h"

namespace {
constexpr std::string_view kDateMask = "9999:99:99 99:99:99";
}

bool ParseExifDateTime(std::string_view text, SystemTime& out)
{
    if (text.size() != kDateMask.size())
        return false;
    int numbers[6] = {};
    int field = 0;
    for (size_t i = 0; i < kDateMask.size(); ++i) {
        const char c = text[i];
        if (kDateMask[i] == '9') {
            if (c < '0' || c > '9')
                return false;
            numbers[field] = numbers[field] * 10 + (c - '0');
        } else {
            if (c != kDateMask[i])
                return false;
            ++field;
        }
    }
    out = SystemTime{};
    out.year = static_cast<uint16_t>(numbers[0]);
    out.month = static_cast<uint16_t>(numbers[1]);
    out.day = static_cast<uint16_t>(numbers[2]);
    out.hour = static_cast<uint16_t>(numbers[3]);
    out.minute = static_cast<uint16_t>(numbers[4]);
    out.second = static_cast<uint16_t>(numbers[5]);
    return true;
}

bool ParseDateTimeOriginal(const uint8_t* value, uint32_t count, SystemTime& out)
{
    if (!value || count != 20)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(value), 19);
    return ParseExifDateTime(text, out);
}
