#include "formats/medium_information.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <span>
#include <string_view>
#include <utility>

#include "formats/exposure_text.h"
#include "formats/medium_info_lists.h"
#include "formats/printf_text.h"
#include "formats/quality_index.h"
#include "formats/tag_values.h"
#include "framework/text_conversion.h"
#include "framework/text_template.h"
#include "library/file_time.h"
#include "library/media_type.h"

namespace {

// Primary image.
constexpr std::uint16_t kImageDescriptionTag = 0x010E;
constexpr std::uint16_t kMakeTag = 0x010F;
constexpr std::uint16_t kModelTag = 0x0110;
constexpr std::uint16_t kCopyrightTag = 0x8298;
// Exif.
constexpr std::uint16_t kIsoSpeedTag = 0x8827;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kExposureBiasTag = 0x9204;
constexpr std::uint16_t kMeteringModeTag = 0x9207;
constexpr std::uint16_t kLightSourceTag = 0x9208;
constexpr std::uint16_t kFlashTag = 0x9209;
constexpr std::uint16_t kFocalLengthTag = 0x920A;
constexpr std::uint16_t kUserCommentTag = 0x9286;
constexpr std::uint16_t kColorSpaceTag = 0xA001;
constexpr std::uint16_t kCustomRenderedTag = 0xA401;
constexpr std::uint16_t kExposureModeTag = 0xA402;
constexpr std::uint16_t kDigitalZoomRatioTag = 0xA404;
constexpr std::uint16_t kSceneCaptureTypeTag = 0xA406;
constexpr std::uint16_t kContrastTag = 0xA408;
constexpr std::uint16_t kSaturationTag = 0xA409;
constexpr std::uint16_t kSharpnessTag = 0xA40A;
// Interoperability.
constexpr std::uint16_t kInteropIndexTag = 0x0001;
// GPS.
constexpr std::uint16_t kGpsVersionTag = 0x0000;
constexpr std::uint16_t kGpsLatitudeRefTag = 0x0001;
constexpr std::uint16_t kGpsLatitudeTag = 0x0002;
constexpr std::uint16_t kGpsLongitudeRefTag = 0x0003;
constexpr std::uint16_t kGpsLongitudeTag = 0x0004;
constexpr std::uint16_t kGpsAltitudeRefTag = 0x0005;
constexpr std::uint16_t kGpsAltitudeTag = 0x0006;
constexpr std::uint16_t kGpsTimeStampTag = 0x0007;
constexpr std::uint16_t kGpsSatellitesTag = 0x0008;
constexpr std::uint16_t kGpsMapDatumTag = 0x0012;
constexpr std::uint16_t kGpsDateStampTag = 0x001D;
// The maker's note.
constexpr std::uint16_t kMakerSharpnessTag = 0x1001;
constexpr std::uint16_t kMakerWhiteBalanceTag = 0x1002;
constexpr std::uint16_t kMakerSaturationTag = 0x1003;
constexpr std::uint16_t kMakerToneTag = 0x1004;
constexpr std::uint16_t kMakerContrastTag = 0x1006;
constexpr std::uint16_t kMakerFlashCompensationTag = 0x1011;
constexpr std::uint16_t kMakerMacroTag = 0x1020;
constexpr std::uint16_t kMakerFocusModeTag = 0x1021;
constexpr std::uint16_t kMakerSlowSyncTag = 0x1030;
constexpr std::uint16_t kMakerPictureModeTag = 0x1031;
constexpr std::uint16_t kMakerColorModeTag = 0x1210;
constexpr std::uint16_t kMakerFilmModeTag = 0x1401;
constexpr std::uint16_t kMakerDynamicRangeTag = 0x1402;
constexpr std::uint16_t kMakerDevelopmentRangeTag = 0x1403;
constexpr std::uint16_t kMakerMinFocalLengthTag = 0x1404;
constexpr std::uint16_t kMakerMaxFocalLengthTag = 0x1405;

// Formats whose files have no shooting date of their own show their modification time.
constexpr std::array<int, 3> kFileTimeFormats = {0, 1, 3}; // JPEG, TIFF, BMP
constexpr int kUnshownBitsPerPixel = 48;                   // 16-bit TIFF pictures
constexpr std::size_t kMaxUserCommentBytes = 1023;
constexpr std::string_view kRawQualityText = "CCD-RAW";

// ---- Value tables ----

// A tag value that names one list entry.
struct ValueRow {
    std::uint32_t value;
    ValueList list;
    int entry;
};

// A range of tag values that index a list from `firstEntry` on.
struct RangeRow {
    std::uint32_t first;
    std::uint32_t last;
    ValueList list;
    int firstEntry;
};

// The maker's white balance settings. The 0x1000 bit marks the fine-tuned variant of a preset.
constexpr ValueRow kMakerWhiteBalanceRows[] = {
    {0, kMakerWhiteBalances, 0},           {256, kMakerWhiteBalances, 1},   {512, kMakerWhiteBalances, 2},
    {768, kMakerWhiteBalances, 3},         {769, kMakerWhiteBalances, 4},   {770, kMakerWhiteBalances, 5},
    {1024, kMakerWhiteBalances, 6},        {3840, kMakerWhiteBalances, 7},  {3841, kMakerWhiteBalances, 8},
    {3842, kMakerWhiteBalances, 9},        {3843, kMakerWhiteBalances, 10}, {4064, kMakerWhiteBalances, 11},
    {4080, kUnits, kUnitColorTemperature}, {4352, kMakerWhiteBalances, 12}, {4608, kMakerWhiteBalances, 13},
    {4864, kMakerWhiteBalances, 14},       {4865, kMakerWhiteBalances, 15}, {4866, kMakerWhiteBalances, 16},
    {5120, kMakerWhiteBalances, 17},
};

// Exif LightSource: 1 to 4 the basic kinds, 9 to 16 weather and fluorescent kinds, 17 to 24
// standard illuminants, 255 another source. 5 to 8 are not defined, and 0 ("unknown", what
// most cameras write) tells the reader nothing, so it shows no line.
constexpr RangeRow kLightSourceRanges[] = {
    {1, 4, kLightSources, 1},
    {9, 16, kDaylightAndFluorescent, 0},
    {17, 24, kStandardLights, 0},
    {255, 255, kLightSources, 5},
};

// The maker's sharpness steps, softest to hardest; 130 and 132 are the half steps on either
// side of normal (3).
constexpr ValueRow kMakerSharpnessRows[] = {
    {0, kMakerSharpness, 0},   {1, kMakerSharpness, 1}, {2, kMakerSharpness, 2},
    {130, kMakerSharpness, 3}, {3, kMakerSharpness, 4}, {132, kMakerSharpness, 5},
    {4, kMakerSharpness, 6},   {5, kMakerSharpness, 7}, {6, kMakerSharpness, 8},
};

constexpr ValueRow kMakerContrastRows[] = {
    {0, kMakerContrast, 0},
    {256, kMakerContrast, 1},
    {512, kMakerContrast, 2},
    {768, kMakerContrast, 3},
};

// The maker's tone setting uses the same steps of 256 as its contrast setting.
constexpr ValueRow kMakerToneRows[] = {
    {0, kMakerTone, 0},
    {256, kMakerTone, 1},
    {512, kMakerTone, 2},
};

constexpr ValueRow kMakerSaturationRows[] = {
    {0, kMakerSaturation, 0},    {128, kMakerSaturation, 1}, {256, kMakerSaturation, 2},
    {384, kMakerSaturation, 3},  {512, kMakerSaturation, 4}, {768, kMakerSaturation, 5},
    {1024, kMakerSaturation, 6},
};

constexpr ValueRow kMakerColorModeRows[] = {
    {0, kMakerColorModes, 0},
    {16, kMakerColorModes, 1},
    {32, kMakerColorModes, 2},
    {48, kMakerColorModes, 3},
};

constexpr ValueRow kMakerFilmModeRows[] = {
    {0, kMakerFilmModes, 0},   {256, kMakerFilmModes, 1},  {512, kMakerFilmModes, 2},
    {768, kMakerFilmModes, 3}, {1024, kMakerFilmModes, 4},
};

consteval bool RowsStayInTheirLists(std::span<const ValueRow> rows)
{
    for (const ValueRow& row : rows) {
        if (row.entry < 0 || row.entry >= row.list.entries)
            return false;
    }
    return true;
}

consteval bool RangesStayInTheirLists(std::span<const RangeRow> rows)
{
    for (const RangeRow& row : rows) {
        if (row.first > row.last || row.firstEntry < 0
            || row.firstEntry + static_cast<int>(row.last - row.first) >= row.list.entries)
            return false;
    }
    return true;
}

static_assert(RowsStayInTheirLists(kMakerWhiteBalanceRows));
static_assert(RowsStayInTheirLists(kMakerSharpnessRows));
static_assert(RowsStayInTheirLists(kMakerContrastRows));
static_assert(RowsStayInTheirLists(kMakerToneRows));
static_assert(RowsStayInTheirLists(kMakerSaturationRows));
static_assert(RowsStayInTheirLists(kMakerColorModeRows));
static_assert(RowsStayInTheirLists(kMakerFilmModeRows));
static_assert(RangesStayInTheirLists(kLightSourceRanges));

// Exif Flash bits.
constexpr std::uint32_t kFlashBitFired = 0x01;
constexpr std::uint32_t kFlashBitsMode = 0x18;
constexpr std::uint32_t kFlashBitsModeForced = 0x08;
constexpr std::uint32_t kFlashBitsModeSuppressed = 0x10;
constexpr std::uint32_t kFlashBitsModeAuto = 0x18;
constexpr std::uint32_t kFlashBitNoFunction = 0x20;
constexpr std::uint32_t kFlashBitRedEye = 0x40;

// ---- Helpers ----

std::string Entry(ValueList list, std::optional<std::uint32_t> value)
{
    if (!value || *value >= static_cast<std::uint32_t>(list.entries))
        return {};
    return ValueListEntry(list, static_cast<int>(*value));
}

std::string Unit(UnitEntry entry)
{
    return ValueListEntry(kUnits, entry);
}

std::string MappedText(std::span<const ValueRow> rows, std::optional<std::uint32_t> value)
{
    if (!value)
        return {};
    for (const ValueRow& row : rows) {
        if (row.value == *value)
            return ValueListEntry(row.list, row.entry);
    }
    return {};
}

std::string RangeText(std::span<const RangeRow> rows, std::optional<std::uint32_t> value)
{
    if (!value)
        return {};
    for (const RangeRow& row : rows) {
        if (*value >= row.first && *value <= row.last)
            return ValueListEntry(row.list, row.firstEntry + static_cast<int>(*value - row.first));
    }
    return {};
}

const TagEntry* Primary(const MediumInformation& m, std::uint16_t tag)
{
    return m.Tags().Find(TagMap::kPrimary, tag);
}

const TagEntry* Exif(const MediumInformation& m, std::uint16_t tag)
{
    return m.Tags().Find(TagMap::kExif, tag);
}

const TagEntry* Gps(const MediumInformation& m, std::uint16_t tag)
{
    return m.Tags().Find(TagMap::kGps, tag);
}

const TagEntry* Maker(const MediumInformation& m, std::uint16_t tag)
{
    return m.Tags().Find(TagMap::kMakerNote, tag);
}

// numerator / denominator to the nearest whole number, halves rounded up (both positive).
std::uint64_t RoundedQuotient(std::uint64_t numerator, std::uint64_t denominator)
{
    return (2 * numerator + denominator) / (2 * denominator);
}

// printf writes "-0.0" for a negative value that rounds to zero; a display shows "0.0".
std::string WithoutNegativeZero(std::string text)
{
    if (!text.empty() && text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

// Tag texts go into one display line each: control characters (line breaks in comments)
// become spaces, and the blanks that cameras pad fields with are dropped.
std::string LineText(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return TrimmedRight(std::move(text));
}

std::string DateTimeText(const SystemTime& time)
{
    return FormatDateText(time) + " " + FormatTimeText(time);
}

// A whole value as "%d", otherwise to the nearest tenth (decided on the exact fraction: a
// binary 18.95 would print as 18.9).
std::string WholeOrTenths(const Rational& value)
{
    if (value.IsWhole())
        return WithoutNegativeZero(
            PrintfText("%lld", static_cast<long long>(value.numerator / value.denominator)));
    const bool negative = (value.numerator < 0) != (value.denominator < 0);
    const std::uint64_t tenths = RoundedQuotient(static_cast<std::uint64_t>(std::llabs(value.numerator)) * 10,
                                                 static_cast<std::uint64_t>(std::llabs(value.denominator)));
    return WithoutNegativeZero(PrintfText("%s%.1f", negative ? "-" : "", static_cast<double>(tenths) / 10.0));
}

// ---- Group 1: general ----

std::string FileNameText(const MediumInformation& m)
{
    return std::string(FileNameOfPath(m.Path()));
}

std::string FileFormatText(const MediumInformation& m)
{
    return ValueListEntry(kFileFormats, m.FormatIndex());
}

std::string FileSizeText(const MediumInformation& m)
{
    return PrintfText("%llu", static_cast<unsigned long long>(m.FileSize() / 1024)) + Unit(kUnitKilobytes);
}

std::string ImageSizeText(const MediumInformation& m)
{
    if (m.Info().width <= 0 || m.Info().height <= 0)
        return {};
    return PrintfText("%d X %d", m.Info().width, m.Info().height);
}

std::string DateTakenText(const MediumInformation& m)
{
    if (m.HasExif()) {
        SystemTime taken;
        // Cameras with an unset clock write zeros; day 0 is "no date".
        if (!ParseExifDateTime(AsciiTagText(Exif(m, kDateTimeOriginalTag)), taken) || !taken.HasDate())
            return {};
        return DateTimeText(taken);
    }
    if (m.Modified() == 0
        || std::find(kFileTimeFormats.begin(), kFileTimeFormats.end(), m.FormatIndex())
            == kFileTimeFormats.end())
        return {};
    return DateTimeText(SystemTimeFromFileTime(m.Modified(), true));
}

std::string ExposureText(const MediumInformation& m)
{
    return m.HasExif() ? ExposureTimeText(m.Tags()) : std::string();
}

std::string ApertureText(const MediumInformation& m)
{
    return m.HasExif() ? FNumberText(m.Tags()) : std::string();
}

std::string DurationText(const MediumInformation& m)
{
    const int d = m.Info().durationHundredths;
    if (d < 1)
        return {};
    return PrintfText("%02d:%02d:%02d.%02d", d / 360000, (d / 6000) % 60, (d / 100) % 60, d % 100);
}

std::string FrameRateText(const MediumInformation& m)
{
    if (m.Info().framesPerSecond < 1)
        return {};
    return PrintfText("%d", m.Info().framesPerSecond) + Unit(kUnitFramesPerSecond);
}

// ---- Group 2: file ----

bool IsDcfBasicFile(const MediumInformation& m)
{
    const TagEntry* index = m.Tags().Find(TagMap::kInterop, kInteropIndexTag);
    static constexpr std::uint8_t kR98[] = {'R', '9', '8', 0};
    return index && index->value.size() == sizeof kR98
        && std::equal(std::begin(kR98), std::end(kR98), index->value.begin());
}

std::string DcfNumberItemText(const MediumInformation& m)
{
    std::string text = m.DcfText();
    if (!text.empty() && m.HasExif() && !m.IsRaw() && !m.IsAdobeRgb() && IsDcfBasicFile(m))
        text += Unit(kUnitDcfBasicMark);
    return text;
}

std::string CameraText(const MediumInformation& m)
{
    if (!m.HasExif())
        return {};
    const std::string make = LineText(AsciiTagText(Primary(m, kMakeTag)));
    const std::string model = LineText(AsciiTagText(Primary(m, kModelTag)));
    if (make.empty() || model.empty())
        return make + model;
    return make + " " + model;
}

std::string QualityText(const MediumInformation& m)
{
    if (m.IsRaw())
        return std::string(kRawQualityText);
    if (!m.HasExif())
        return {};
    return ValueListEntry(kQualityWords, QualityIndexOf(m.Tags()));
}

std::string ColorSpaceText(const MediumInformation& m)
{
    if (!m.HasExif())
        return {};
    if (m.IsAdobeRgb())
        return ValueListEntry(kColorSpaces, 1);
    if (UnsignedTagValue(Exif(m, kColorSpaceTag)) == 1u)
        return ValueListEntry(kColorSpaces, 0);
    return {};
}

std::string ColorDepthText(const MediumInformation& m)
{
    const int bits = m.Info().bitsPerPixel;
    if (m.HasExif() || m.IsRaw() || bits < 1 || bits == kUnshownBitsPerPixel)
        return {};
    return PrintfText("%d", bits) + Unit(kUnitBitsPerPixel);
}

// ---- Group 3: description ----

std::string DescriptionText(const MediumInformation& m)
{
    return LineText(AsciiTagText(Primary(m, kImageDescriptionTag)));
}

std::string UserCommentText(const MediumInformation& m)
{
    return UserCommentOf(m.Tags());
}

} // namespace

// UserComment starts with an 8-byte character code. Comments in an unknown code, or in JIS
// whose bytes cannot be told apart from other double-byte sets, are not shown.
std::string UserCommentOf(const TagSet& tags)
{
    const TagEntry* comment = tags.Find(TagMap::kExif, kUserCommentTag);
    if (!comment || comment->type != kTiffUndefined || comment->value.size() <= 8)
        return {};
    const std::string_view code(reinterpret_cast<const char*>(comment->value.data()), 8);
    const std::span<const std::uint8_t> body(comment->value.data() + 8, comment->value.size() - 8);
    std::string text;
    if (code == std::string_view("ASCII\0\0\0", 8) || code == std::string_view("\0\0\0\0\0\0\0\0", 8)) {
        text.assign(reinterpret_cast<const char*>(body.data()), body.size());
        text.erase(std::min(text.size(), text.find('\0')));
    } else if (code == std::string_view("UNICODE\0", 8)) {
        // UCS-2 in the file's byte order, which the tag set no longer records: mostly Latin
        // text, so the zero high bytes show where the high bytes are.
        std::size_t zerosFirst = 0;
        std::size_t zerosSecond = 0;
        for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
            zerosFirst += body[i] == 0 ? 1 : 0;
            zerosSecond += body[i + 1] == 0 ? 1 : 0;
        }
        bool bigEndian = zerosFirst > zerosSecond;
        // A byte-order mark settles it; our writer puts one where the zeros would mislead
        // (text in other scripts, whose bytes say little or the wrong thing about the order).
        std::size_t start = 0;
        if (body.size() >= 2 && ((body[0] == 0xFE && body[1] == 0xFF) || (body[0] == 0xFF && body[1] == 0xFE))) {
            bigEndian = body[0] == 0xFE;
            start = 2;
        }
        std::u16string units;
        for (std::size_t i = start; i + 1 < body.size(); i += 2) {
            const char16_t unit = bigEndian ? static_cast<char16_t>(body[i] << 8 | body[i + 1])
                                            : static_cast<char16_t>(body[i + 1] << 8 | body[i]);
            if (unit == 0)
                break;
            units += unit;
        }
        text = Utf16ToUtf8(units);
    } else {
        return {};
    }
    return std::string(CutUtf8(LineText(std::move(text)), kMaxUserCommentBytes));
}

namespace {

std::string PhotographerCopyrightText(const MediumInformation& m)
{
    return LineText(AsciiTagText(Primary(m, kCopyrightTag), 0));
}

std::string EditorCopyrightText(const MediumInformation& m)
{
    return LineText(AsciiTagText(Primary(m, kCopyrightTag), 1));
}

std::string CustomRenderedText(const MediumInformation& m)
{
    return Entry(kOffOn, UnsignedTagValue(Exif(m, kCustomRenderedTag)));
}

// ---- Group 4: shooting ----

std::string IsoText(const MediumInformation& m)
{
    const std::optional<std::uint32_t> iso = UnsignedTagValue(Exif(m, kIsoSpeedTag));
    if (!iso)
        return {};
    return Unit(kUnitIsoPrefix) + PrintfText("%u", *iso);
}

std::string FocalLengthText(const MediumInformation& m)
{
    const std::optional<Rational> length = RationalTagValue(Exif(m, kFocalLengthTag));
    if (!length || length->denominator <= 0 || length->numerator < 0)
        return {};
    const std::uint64_t tenths = RoundedQuotient(static_cast<std::uint64_t>(length->numerator) * 10,
                                                 static_cast<std::uint64_t>(length->denominator));
    return PrintfText("%4.1f", static_cast<double>(tenths) / 10.0) + Unit(kUnitMillimetres);
}

std::string ExposureModeText(const MediumInformation& m)
{
    return Entry(kExposureModes, UnsignedTagValue(Exif(m, kExposureModeTag)));
}

std::string ExposureBiasText(const MediumInformation& m)
{
    const std::optional<Rational> bias = RationalTagValue(Exif(m, kExposureBiasTag));
    if (!bias || !bias->IsDefined())
        return {};
    // One decimal when it is exact (+0.3 is written as 3/10), two for thirds of a stop.
    if ((bias->numerator * 10) % bias->denominator == 0)
        return WithoutNegativeZero(PrintfText("%1.1f", bias->Value()));
    return WithoutNegativeZero(PrintfText("%1.2f", bias->Value()));
}

std::string MeteringModeText(const MediumInformation& m)
{
    const std::optional<std::uint32_t> mode = UnsignedTagValue(Exif(m, kMeteringModeTag));
    if (!mode || *mode < 1)
        return {};
    return Entry(kMeteringModes, *mode - 1);
}

std::string WhiteBalanceText(const MediumInformation& m)
{
    if (const TagEntry* maker = Maker(m, kMakerWhiteBalanceTag))
        return MappedText(kMakerWhiteBalanceRows, UnsignedTagValue(maker));
    return RangeText(kLightSourceRanges, UnsignedTagValue(Exif(m, kLightSourceTag)));
}

std::string FocusModeText(const MediumInformation& m)
{
    return Entry(kMakerFocusModes, UnsignedTagValue(Maker(m, kMakerFocusModeTag)));
}

std::string FlashFiredText(const MediumInformation& m)
{
    const std::optional<std::uint32_t> flash = UnsignedTagValue(Exif(m, kFlashTag));
    if (!flash)
        return {};
    return Entry(kOffOn, *flash & kFlashBitFired);
}

// The flash mode as the camera's dial names it: the Exif mode bits, with red-eye reduction
// shown for the automatic (or unrecorded) mode. A camera without a flash shows none, and one
// that did not record its mode shows none unless red-eye reduction was on.
std::optional<int> FlashModeEntryOf(std::uint32_t flash)
{
    const bool redEye = (flash & kFlashBitRedEye) != 0;
    if (flash & kFlashBitNoFunction)
        return std::nullopt;
    switch (flash & kFlashBitsMode) {
    case kFlashBitsModeForced: return kFlashForced;
    case kFlashBitsModeSuppressed: return kFlashSuppressed;
    case kFlashBitsModeAuto: return redEye ? kFlashRedEye : kFlashAuto;
    default: return redEye ? std::optional<int>(kFlashRedEye) : std::nullopt;
    }
}

std::string FlashModeText(const MediumInformation& m)
{
    const std::optional<std::uint32_t> flash = UnsignedTagValue(Exif(m, kFlashTag));
    if (!flash)
        return {};
    const std::optional<int> entry = FlashModeEntryOf(*flash);
    if (!entry)
        return {};
    std::string text = ValueListEntry(kFlashModes, *entry);
    if (!text.empty() && UnsignedTagValue(Maker(m, kMakerSlowSyncTag)) == 1u)
        text += ValueListEntry(kFlashModes, kFlashSlowSync);
    return text;
}

std::string FlashCompensationText(const MediumInformation& m)
{
    const std::optional<Rational> compensation = RationalTagValue(Maker(m, kMakerFlashCompensationTag));
    if (!compensation || !compensation->IsDefined())
        return {};
    if (compensation->IsWhole())
        return WithoutNegativeZero(PrintfText("%1.0f", compensation->Value()));
    return WithoutNegativeZero(PrintfText("%1.1f", compensation->Value()));
}

std::string MacroText(const MediumInformation& m)
{
    return Entry(kOffOn, UnsignedTagValue(Maker(m, kMakerMacroTag)));
}

std::string SharpnessText(const MediumInformation& m)
{
    if (const TagEntry* maker = Maker(m, kMakerSharpnessTag))
        return MappedText(kMakerSharpnessRows, UnsignedTagValue(maker));
    return Entry(kExifSharpness, UnsignedTagValue(Exif(m, kSharpnessTag)));
}

std::string ContrastText(const MediumInformation& m)
{
    if (const TagEntry* maker = Maker(m, kMakerContrastTag))
        return MappedText(kMakerContrastRows, UnsignedTagValue(maker));
    return Entry(kExifContrast, UnsignedTagValue(Exif(m, kContrastTag)));
}

std::string ToneText(const MediumInformation& m)
{
    return MappedText(kMakerToneRows, UnsignedTagValue(Maker(m, kMakerToneTag)));
}

std::string SaturationText(const MediumInformation& m)
{
    if (const TagEntry* maker = Maker(m, kMakerSaturationTag))
        return MappedText(kMakerSaturationRows, UnsignedTagValue(maker));
    return Entry(kExifSaturation, UnsignedTagValue(Exif(m, kSaturationTag)));
}

std::string SceneText(const MediumInformation& m)
{
    if (const TagEntry* maker = Maker(m, kMakerPictureModeTag))
        return Entry(kMakerPictureModes, UnsignedTagValue(maker));
    return Entry(kSceneCaptureTypes, UnsignedTagValue(Exif(m, kSceneCaptureTypeTag)));
}

std::string DigitalZoomText(const MediumInformation& m)
{
    const std::optional<Rational> ratio = RationalTagValue(Exif(m, kDigitalZoomRatioTag));
    if (!ratio || ratio->denominator <= 0 || ratio->numerator <= 0)
        return {};
    const std::uint64_t hundredths = RoundedQuotient(static_cast<std::uint64_t>(ratio->numerator) * 100,
                                                     static_cast<std::uint64_t>(ratio->denominator));
    return PrintfText("%.2f", static_cast<double>(hundredths) / 100.0);
}

std::string ColorModeText(const MediumInformation& m)
{
    return MappedText(kMakerColorModeRows, UnsignedTagValue(Maker(m, kMakerColorModeTag)));
}

std::string FilmModeText(const MediumInformation& m)
{
    return MappedText(kMakerFilmModeRows, UnsignedTagValue(Maker(m, kMakerFilmModeTag)));
}

std::string DynamicRangeText(const MediumInformation& m)
{
    const std::optional<std::uint32_t> setting = UnsignedTagValue(Maker(m, kMakerDynamicRangeTag));
    if (!setting)
        return {};
    switch (*setting) {
    case 0: return ValueListEntry(kMakerDynamicRanges, 0);
    case 1: {
        // Set by hand: the development range in percent.
        const std::optional<std::uint32_t> percent = UnsignedTagValue(Maker(m, kMakerDevelopmentRangeTag));
        return percent ? PrintfText("%u %%", *percent) : std::string();
    }
    case 256: return ValueListEntry(kMakerDynamicRanges, 1);
    default: break;
    }
    // The wide settings 1 to 10.
    if (*setting >= 512 && *setting <= 521)
        return ValueListEntry(kMakerDynamicRanges, 2) + PrintfText("%u", *setting - 511);
    return {};
}

// The lens's focal length range ("28-70 mm"); a fixed lens shows its one length.
std::string LensFocalRangeText(const MediumInformation& m)
{
    const std::optional<Rational> shortest = RationalTagValue(Maker(m, kMakerMinFocalLengthTag));
    const std::optional<Rational> longest = RationalTagValue(Maker(m, kMakerMaxFocalLengthTag));
    if (!shortest || !longest || shortest->denominator <= 0 || longest->denominator <= 0
        || shortest->numerator <= 0 || longest->numerator <= 0)
        return {};
    std::string text = WholeOrTenths(*shortest);
    const std::string longText = WholeOrTenths(*longest);
    if (longText != text)
        text += "-" + longText;
    return text + Unit(kUnitMillimetres);
}

// ---- Group 5: audio ----

std::string SampleRateText(const MediumInformation& m)
{
    const int rate = m.Info().audioSamplesPerSecondBy100;
    if (rate <= 0)
        return {};
    return PrintfText("%d.%d", rate / 10, rate % 10) + Unit(kUnitKilohertz);
}

std::string ChannelsText(const MediumInformation& m)
{
    const int channels = m.Info().audioChannels;
    if (channels <= 0)
        return {};
    return ValueListEntry(kChannelModes, channels == 1 ? 0 : 1);
}

std::string BitsPerSampleText(const MediumInformation& m)
{
    const int bits = m.Info().audioBitsPerSample;
    if (bits <= 0)
        return {};
    return PrintfText("%d", bits) + Unit(kUnitBitsPerSample);
}

// ---- Group 6: GPS ----

std::string GpsVersionText(const MediumInformation& m)
{
    const TagEntry* version = Gps(m, kGpsVersionTag);
    std::array<std::uint32_t, 4> parts{};
    for (std::uint32_t i = 0; i < parts.size(); ++i) {
        const std::optional<std::uint32_t> part = UnsignedTagValue(version, i);
        if (!part)
            return {};
        parts[i] = *part;
    }
    return PrintfText("%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
}

// Degrees, minutes and seconds (each a rational, any of them may carry the fraction) written
// as 35°39'31.20", seconds to the hundredth. Empty beyond `limit` degrees.
std::string CoordinateText(const TagEntry* coordinate, double limit)
{
    double degrees = 0;
    double scale = 1;
    for (std::uint32_t i = 0; i < 3; ++i) {
        const std::optional<Rational> part = RationalTagValue(coordinate, i);
        if (!part || part->denominator <= 0 || part->numerator < 0)
            return {};
        degrees += part->Value() / scale;
        scale *= 60;
    }
    if (degrees > limit)
        return {};
    const auto hundredths = static_cast<std::uint64_t>(degrees * 360000 + 0.5);
    return PrintfText("%llu\xC2\xB0%02llu'%02llu.%02llu\"",
                      static_cast<unsigned long long>(hundredths / 360000),
                      static_cast<unsigned long long>(hundredths / 6000 % 60),
                      static_cast<unsigned long long>(hundredths / 100 % 60),
                      static_cast<unsigned long long>(hundredths % 100));
}

// Frames the coordinate with the pattern of its hemisphere ("%s N"); an unrecorded or unknown
// hemisphere leaves the bare coordinate.
std::string HemisphereText(const std::string& coordinate, const std::string& reference, char positive,
                           int positiveEntry)
{
    if (coordinate.empty() || reference.size() != 1)
        return coordinate;
    const char letter = reference[0] >= 'a' && reference[0] <= 'z'
        ? static_cast<char>(reference[0] - 'a' + 'A')
        : reference[0];
    const char negative = positive == 'N' ? 'S' : 'W';
    if (letter != positive && letter != negative)
        return coordinate;
    const std::string pattern = ValueListEntry(kHemispheres, positiveEntry + (letter == positive ? 0 : 1));
    return pattern.empty() ? coordinate : FillTemplate(pattern, {coordinate});
}

std::string LatitudeText(const MediumInformation& m)
{
    return HemisphereText(CoordinateText(Gps(m, kGpsLatitudeTag), 90),
                          LineText(AsciiTagText(Gps(m, kGpsLatitudeRefTag))), 'N', 0);
}

std::string LongitudeText(const MediumInformation& m)
{
    return HemisphereText(CoordinateText(Gps(m, kGpsLongitudeTag), 180),
                          LineText(AsciiTagText(Gps(m, kGpsLongitudeRefTag))), 'E', 2);
}

std::string AltitudeText(const MediumInformation& m)
{
    std::optional<Rational> altitude = RationalTagValue(Gps(m, kGpsAltitudeTag));
    if (!altitude || altitude->denominator <= 0 || altitude->numerator < 0)
        return {};
    // Reference 1: below sea level.
    if (UnsignedTagValue(Gps(m, kGpsAltitudeRefTag)) == 1u)
        altitude->numerator = -altitude->numerator;
    return WholeOrTenths(*altitude) + Unit(kUnitMetres);
}

std::string MapDatumText(const MediumInformation& m)
{
    return LineText(AsciiTagText(Gps(m, kGpsMapDatumTag)));
}

std::string SatellitesText(const MediumInformation& m)
{
    return LineText(AsciiTagText(Gps(m, kGpsSatellitesTag)));
}

// The satellites' UTC time of the fix, with its date when recorded ("2006:03:14").
std::string GpsTimeText(const MediumInformation& m)
{
    const TagEntry* stamp = Gps(m, kGpsTimeStampTag);
    std::array<std::uint64_t, 3> parts{};
    for (std::uint32_t i = 0; i < parts.size(); ++i) {
        const std::optional<Rational> part = RationalTagValue(stamp, i);
        if (!part || part->denominator <= 0 || part->numerator < 0)
            return {};
        parts[i] = static_cast<std::uint64_t>(part->numerator / part->denominator);
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return {};
    const std::string time
        = PrintfText("%02llu:%02llu:%02llu", static_cast<unsigned long long>(parts[0]),
                     static_cast<unsigned long long>(parts[1]), static_cast<unsigned long long>(parts[2]));
    SystemTime date;
    if (ParseExifDateTime(AsciiTagText(Gps(m, kGpsDateStampTag)) + " 00:00:00", date) && date.HasDate())
        return FormatDateText(date) + " " + time;
    return time;
}

// ---- The groups ----

using ItemText = std::string (*)(const MediumInformation&);

constexpr ItemText kGeneralItems[] = {
    FileNameText, FileFormatText, FileSizeText, ImageSizeText, DateTakenText,
    ExposureText, ApertureText,   DurationText, FrameRateText,
};

constexpr ItemText kFileItems[] = {
    DcfNumberItemText, CameraText, QualityText, ColorSpaceText, ColorDepthText,
};

constexpr ItemText kDescriptionItems[] = {
    DescriptionText, UserCommentText, PhotographerCopyrightText, EditorCopyrightText, CustomRenderedText,
};

constexpr ItemText kShootingItems[] = {
    IsoText,
    FocalLengthText,
    ExposureModeText,
    ExposureBiasText,
    MeteringModeText,
    WhiteBalanceText,
    FocusModeText,
    FlashFiredText,
    FlashModeText,
    FlashCompensationText,
    MacroText,
    SharpnessText,
    ContrastText,
    ToneText,
    SaturationText,
    SceneText,
    DigitalZoomText,
    ColorModeText,
    FilmModeText,
    DynamicRangeText,
    LensFocalRangeText,
};

constexpr ItemText kAudioItems[] = {
    SampleRateText,
    ChannelsText,
    BitsPerSampleText,
};

constexpr ItemText kGpsItems[] = {
    GpsVersionText, LatitudeText, LongitudeText, AltitudeText, MapDatumText, SatellitesText, GpsTimeText,
};

struct GroupRow {
    int group;
    ValueList labels;
    std::span<const ItemText> items;
    bool exifOnly; // every item of the group comes from Exif data
};

constexpr GroupRow kGroups[] = {
    {kGeneralGroup, kGeneralLabels, kGeneralItems, false},
    {kFileGroup, kFileLabels, kFileItems, false},
    {kDescriptionGroup, kDescriptionLabels, kDescriptionItems, true},
    {kShootingGroup, kShootingLabels, kShootingItems, true},
    {kAudioGroup, kAudioLabels, kAudioItems, false},
    {kGpsGroup, kGpsLabels, kGpsItems, true},
};

consteval bool EveryItemHasItsLabel()
{
    for (const GroupRow& row : kGroups) {
        if (static_cast<int>(row.items.size()) != row.labels.entries)
            return false;
    }
    return true;
}
static_assert(EveryItemHasItsLabel());

// The order of the information lines, and which groups may borrow from the fallback object.
struct LineGroup {
    int group;
    bool withFallback;
};

constexpr LineGroup kLineOrder[] = {
    {kGeneralGroup, true},      {kFileGroup, true},      {kAudioGroup, true},
    {kDescriptionGroup, false}, {kShootingGroup, false}, {kGpsGroup, false},
};

const GroupRow* FindGroup(int group)
{
    for (const GroupRow& row : kGroups) {
        if (row.group == group)
            return &row;
    }
    return nullptr;
}

} // namespace

int GroupItemCount(int group)
{
    const GroupRow* row = FindGroup(group);
    return row ? static_cast<int>(row->items.size()) : 0;
}

MediumInformation::MediumInformation(FileMetadata metadata, std::string path, std::uint64_t fileSize,
                                     std::uint64_t modified, MountPointTest isMountPoint)
    : m_metadata(std::move(metadata))
    , m_path(std::move(path))
    , m_fileSize(fileSize)
    , m_modified(modified)
    , m_isMountPoint(std::move(isMountPoint))
{
}

MediumInformation MediumInformation::ForFile(const std::string& path, MountPointTest isMountPoint)
{
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        size = static_cast<std::uint64_t>(status.st_size);
        modified = FileTimeFromUnix(status.st_mtim);
    }
    return MediumInformation(ReadFileMetadata(path), path, size, modified, std::move(isMountPoint));
}

const std::string& MediumInformation::DcfText() const
{
    if (!m_dcfText)
        m_dcfText = m_isMountPoint ? DcfNumberText(m_path, m_isMountPoint) : std::string();
    return *m_dcfText;
}

LabelledValue MediumInformation::Item(int group, int item) const
{
    const GroupRow* row = FindGroup(group);
    if (!row || item < 0 || item >= static_cast<int>(row->items.size()))
        return {};
    LabelledValue line;
    line.label = ValueListEntry(row->labels, item);
    if (!row->exifOnly || HasExif())
        line.value = row->items[static_cast<std::size_t>(item)](*this);
    return line;
}

std::vector<LabelledValue> MediumInformation::InformationLines(const MediumInformation* fallback) const
{
    std::vector<LabelledValue> lines;
    for (const LineGroup& order : kLineOrder) {
        for (int item = 0; item < GroupItemCount(order.group); ++item) {
            LabelledValue line = Item(order.group, item);
            if (line.value.empty() && order.withFallback && fallback)
                line.value = fallback->Item(order.group, item).value;
            if (!line.value.empty())
                lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string MediumInformation::InformationText(const MediumInformation* fallback) const
{
    std::string text;
    for (const LabelledValue& line : InformationLines(fallback)) {
        if (!text.empty())
            text += '\n';
        text += line.label + ": " + line.value;
    }
    return text;
}
