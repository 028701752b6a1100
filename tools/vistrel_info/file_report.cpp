#include "file_report.h"

#include <array>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "formats/medium_information.h"
#include "json_writer.h"
#include "library/file_time.h"
#include "library/media_type.h"

namespace {

struct MapName {
    TagMap map;
    const char* name;
};

constexpr std::array<MapName, kTagMapCount> kMapNames = {{
    {TagMap::kPrimary, "primary"},
    {TagMap::kExif, "exif"},
    {TagMap::kInterop, "interop"},
    {TagMap::kGps, "gps"},
    {TagMap::kMakerNote, "makerNote"},
}};

template <typename T> T Element(const TagEntry& entry, size_t index)
{
    T value{};
    std::memcpy(&value, entry.value.data() + index * sizeof(T), sizeof(T));
    return value;
}

// Calls `visit` with each element as an int64 (integers) or a numerator/denominator pair.
template <typename IntegerVisit, typename RationalVisit, typename RealVisit>
void VisitElements(const TagEntry& entry, IntegerVisit integer, RationalVisit rational, RealVisit real)
{
    const size_t size = TiffTypeSize(entry.type);
    const size_t count = size == 0 ? 0 : std::min<size_t>(entry.count, entry.value.size() / size);
    for (size_t i = 0; i < count; ++i) {
        switch (entry.type) {
        case kTiffByte: integer(Element<uint8_t>(entry, i)); break;
        case kTiffSByte: integer(Element<int8_t>(entry, i)); break;
        case kTiffShort: integer(Element<uint16_t>(entry, i)); break;
        case kTiffSShort: integer(Element<int16_t>(entry, i)); break;
        case kTiffLong: integer(Element<uint32_t>(entry, i)); break;
        case kTiffSLong: integer(Element<int32_t>(entry, i)); break;
        case kTiffRational:
            rational(Element<uint32_t>(entry, 2 * i), Element<uint32_t>(entry, 2 * i + 1));
            break;
        case kTiffSRational:
            rational(Element<int32_t>(entry, 2 * i), Element<int32_t>(entry, 2 * i + 1));
            break;
        case kTiffFloat: real(Element<float>(entry, i)); break;
        case kTiffDouble: real(Element<double>(entry, i)); break;
        default: break;
        }
    }
}

std::string AsciiText(const TagEntry& entry)
{
    std::string text(entry.value.begin(), entry.value.end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::string HexText(const TagEntry& entry)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(entry.value.size() * 2);
    for (uint8_t byte : entry.value) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string DateText(const SystemTime& date)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04u:%02u:%02u %02u:%02u:%02u", date.year, date.month, date.day,
                  date.hour, date.minute, date.second);
    return text;
}

std::string TagId(uint16_t tag)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", tag);
    return text;
}

void WriteTagValue(JsonWriter& json, const TagEntry& entry)
{
    if (entry.type == kTiffAscii) {
        json.String(AsciiText(entry));
        return;
    }
    if (entry.type == kTiffUndefined) {
        json.String(HexText(entry));
        return;
    }
    json.BeginArray();
    VisitElements(
        entry, [&](int64_t value) { json.Integer(value); },
        [&](int64_t numerator, int64_t denominator) {
            json.BeginArray();
            json.Integer(numerator);
            json.Integer(denominator);
            json.EndArray();
        },
        [&](double value) { json.Number(value); });
    json.EndArray();
}

void WriteMediumInfo(JsonWriter& json, const MediumInfo& info)
{
    json.Key("mediumInfo");
    json.BeginObject();
    const std::pair<const char*, int32_t> fields[] = {
        {"width", info.width},
        {"height", info.height},
        {"bitsPerPixel", info.bitsPerPixel},
        {"qualityIndex", info.qualityIndex},
        {"exif", info.hasExif},
        {"adobeRgb", info.adobeRgb},
        {"framesPerSecond", info.framesPerSecond},
        {"audioChannels", info.audioChannels},
        {"audioBitsPerSample", info.audioBitsPerSample},
        {"audioSamplesPerSecondBy100", info.audioSamplesPerSecondBy100},
        {"durationHundredths", info.durationHundredths},
    };
    for (const auto& [name, value] : fields) {
        json.Key(name);
        json.Integer(value);
    }
    json.Key("date");
    if (info.shootingDate.HasDate())
        json.String(DateText(info.shootingDate));
    else
        json.Null();
    json.EndObject();
}

} // namespace

std::string TagValueText(const TagEntry& entry)
{
    if (entry.type == kTiffAscii)
        return AsciiText(entry);
    if (entry.type == kTiffUndefined)
        return HexText(entry);
    std::string text;
    auto separate = [&] {
        if (!text.empty())
            text += ' ';
    };
    VisitElements(
        entry,
        [&](int64_t value) {
            separate();
            text += std::to_string(value);
        },
        [&](int64_t numerator, int64_t denominator) {
            separate();
            text += std::to_string(numerator) + "/" + std::to_string(denominator);
        },
        [&](double value) {
            separate();
            char number[40];
            std::snprintf(number, sizeof number, "%g", value);
            text += number;
        });
    return text;
}

FileReport BuildFileReport(const std::string& path)
{
    FileReport report;
    report.path = path;
    report.typeName = std::string(TypeNameOfPath(path));
    report.typeNumber = TypeNumberOfTypeName(report.typeName);
    report.metadata = ReadFileMetadata(path);
    if (report.metadata.error != 0)
        return report;
    struct stat status {};
    const bool known = ::stat(path.c_str(), &status) == 0;
    const MediumInformation information(report.metadata, path,
                                        known ? static_cast<uint64_t>(status.st_size) : 0,
                                        known ? FileTimeFromUnix(status.st_mtim) : 0);
    for (LabelledValue& line : information.InformationLines())
        report.information.emplace_back(std::move(line.label), std::move(line.value));
    report.dcfNumber = information.DcfText();
    return report;
}

void WriteJsonReport(JsonWriter& json, const FileReport& report)
{
    json.BeginObject();
    json.Key("path");
    json.String(report.path);
    if (report.metadata.error != 0) {
        json.Key("error");
        json.Integer(report.metadata.error);
        json.EndObject();
        return;
    }
    json.Key("typeName");
    json.String(report.typeName);
    json.Key("typeNumber");
    json.Integer(report.typeNumber);
    json.Key("formatIndex");
    json.Integer(report.metadata.formatIndex);
    WriteMediumInfo(json, report.metadata.info);
    json.Key("tags");
    json.BeginObject();
    for (const MapName& map : kMapNames) {
        json.Key(map.name);
        json.BeginArray();
        for (const TagEntry& entry : report.metadata.tags.Entries(map.map)) {
            json.BeginObject();
            json.Key("tag");
            json.String(TagId(entry.tag));
            json.Key("type");
            json.Integer(entry.type);
            json.Key("count");
            json.Integer(entry.count);
            json.Key("value");
            WriteTagValue(json, entry);
            json.EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
    json.Key("information");
    json.BeginArray();
    for (const auto& [label, value] : report.information) {
        json.BeginArray();
        json.String(label);
        json.String(value);
        json.EndArray();
    }
    json.EndArray();
    json.Key("dcfNumber");
    if (report.dcfNumber.empty())
        json.Null();
    else
        json.String(report.dcfNumber);
    json.EndObject();
}

std::string ReadableReport(const FileReport& report)
{
    std::string text = "File: " + report.path + "\n";
    if (report.metadata.error != 0)
        return text + "Error: " + std::to_string(report.metadata.error) + "\n";
    const MediumInfo& info = report.metadata.info;
    text += "Type: " + report.typeName + " (type " + std::to_string(report.typeNumber) + ", format "
        + std::to_string(report.metadata.formatIndex) + ")\n";
    text += "Size: " + std::to_string(info.width) + " x " + std::to_string(info.height) + "\n";
    text += "Date: " + (info.shootingDate.HasDate() ? DateText(info.shootingDate) : std::string("none"))
        + "\n";
    for (const auto& [label, value] : report.information)
        text += label + ": " + value + "\n";
    if (!report.dcfNumber.empty())
        text += "DCF number: " + report.dcfNumber + "\n";
    for (const MapName& map : kMapNames) {
        for (const TagEntry& entry : report.metadata.tags.Entries(map.map))
            text += std::string(map.name) + "." + TagId(entry.tag) + ": " + TagValueText(entry) + "\n";
    }
    return text;
}
