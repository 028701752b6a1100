#include "library/item_texts.h"

#include <cstdio>

#include "library/file_time.h"

namespace {

// Period mode marks items of unknown date (year index 199) with every date part set apart.
constexpr uint32_t kUnknownYearIndex = 199;
constexpr uint32_t kAllDateParts = 127;

std::string& TextOf(MediaItem& item, ItemText which)
{
    return item.texts[static_cast<size_t>(which)];
}

} // namespace

std::string SizeText(uint64_t size)
{
    // The column has always shown the low 32 bits; files of 4 GB and more wrap.
    const uint32_t low = static_cast<uint32_t>(size);
    char text[16];
    std::snprintf(text, sizeof text, "%dKB", static_cast<int>(low / 1024));
    return text;
}

std::string DimensionsText(int32_t width, int32_t height)
{
    if (width == 0 && height == 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%d X %d", width, height);
    return text;
}

std::string DurationText(int32_t hundredths)
{
    if (hundredths <= 0)
        return {};
    const int64_t ms = static_cast<int64_t>(hundredths) * 10;
    const int hours = static_cast<int>(ms / 3600000);
    const int minutes = static_cast<int>(ms % 3600000 / 60000);
    const int seconds = static_cast<int>(ms % 60000 / 1000);
    const int centis = static_cast<int>(ms % 1000 / 10);
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", hours, minutes, seconds, centis);
    return text;
}

std::string DateText(uint64_t fileTime)
{
    const SystemTime local = SystemTimeFromFileTime(fileTime, true);
    return FormatDateText(local) + " " + FormatTimeText(local);
}

std::string TypeText(const MediaItem& item)
{
    return item.typeName == "RAF" ? std::string("CCD-RAW") : item.typeName;
}

bool ItemTextsBehindDetail(const MediaItem& item)
{
    if (!item.detail || !item.detail->loaded || item.IsFolder())
        return false;
    const MediumInfo& info = item.detail->mediumInfo;
    return (item.Text(ItemText::Dimensions).empty() && (info.width != 0 || info.height != 0))
           || (item.Text(ItemText::Duration).empty() && info.durationHundredths > 0);
}

void RefreshItemTexts(MediaItem& item, bool periodMode)
{
    const MediaItemDetail* detail = item.detail && item.detail->loaded ? item.detail.get() : nullptr;
    const bool isFile = !item.IsFolder();

    TextOf(item, ItemText::Name) = item.fileName;
    TextOf(item, ItemText::Type) = TypeText(item);

    std::string& size = TextOf(item, ItemText::Size);
    size.clear();
    if (isFile) {
        if (detail)
            item.size = detail->fileSize;
        size = SizeText(item.size);
    }

    std::string& date = TextOf(item, ItemText::Date);
    date.clear();
    if (isFile && !periodMode && item.date != 0) {
        if (detail && detail->mediumInfo.shootingDate.HasDate()) {
            // A date the calendar cannot hold keeps the file's own time.
            if (const uint64_t shot = FileTimeFromLocalSystemTime(detail->mediumInfo.shootingDate); shot != 0)
                item.date = shot;
        }
        date = DateText(item.date);
    }

    TextOf(item, ItemText::Dimensions)
        = detail ? DimensionsText(detail->mediumInfo.width, detail->mediumInfo.height) : std::string();
    TextOf(item, ItemText::Duration)
        = detail ? DurationText(detail->mediumInfo.durationHundredths) : std::string();
    TextOf(item, ItemText::Detail) = detail ? detail->statusText : std::string();

    if (detail)
        item.datePartFlags = detail->datePartFlags;
    if (periodMode && (item.dayKey >> 16) == kUnknownYearIndex)
        item.datePartFlags = kAllDateParts;
}
