#include "formats/status_text.h"

#include <algorithm>

#include "formats/medium_info_lists.h"
#include "formats/medium_information.h"
#include "formats/quality_index.h"
#include "formats/tag_values.h"
#include "framework/text_template.h"
#include "library/file_time.h"
#include "library/media_type.h"

namespace {

constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kFileSourceTag = 0xA300;
constexpr int kLastPictureFormat = 3; // JPEG, TIFF, RAW and BMP come first in the format index

bool IsPicture(const MediumInformation& info)
{
    return info.FormatIndex() >= 0 && info.FormatIndex() <= kLastPictureFormat;
}

std::string Trimmed(std::string text)
{
    text = TrimmedRight(std::move(text));
    text.erase(0, std::min(text.size(), text.find_first_not_of(" \t")));
    return text;
}

std::string QualityText(const MediumInformation& info)
{
    if (info.IsRaw())
        return ValueListEntry(kFileFormats, MediumInformation::kRawFormatIndex);
    return ValueListEntry(kQualityWords, QualityIndexOf(info.Tags()));
}

// The date and time piece: the shooting date of an Exif picture, else the file's own time.
std::string DatePiece(const MediumInformation& info)
{
    SystemTime taken;
    if (info.HasExif() && IsPicture(info)
        && ParseExifDateTime(AsciiTagText(info.Tags().Find(TagMap::kExif, kDateTimeOriginalTag)), taken)
        && taken.HasDate()) {
        return FillTemplate(LabelText(kPictureStatusLabel),
                            {FormatDateText(taken), FormatTimeText(taken), QualityText(info)});
    }
    if (info.Modified() == 0)
        return {};
    const SystemTime modified = SystemTimeFromFileTime(info.Modified(), true);
    return FillTemplate(LabelText(kFileTimeStatusLabel),
                        {FormatDateText(modified), FormatTimeText(modified)});
}

std::string SourcePiece(const MediumInformation& info)
{
    if (!info.HasExif() || !IsPicture(info))
        return {};
    const std::optional<std::uint32_t> source
        = UnsignedTagValue(info.Tags().Find(TagMap::kExif, kFileSourceTag));
    if (!source || *source >= static_cast<std::uint32_t>(kFileSources.entries))
        return {};
    const std::string text = ValueListEntry(kFileSources, static_cast<int>(*source));
    return text.empty() ? std::string() : FillTemplate(LabelText(kFileSourceStatusLabel), {text});
}

} // namespace

std::vector<std::string> StatusPieces(const MediumInformation& info)
{
    std::vector<std::string> pieces;
    for (std::string piece :
         {DatePiece(info), FillTemplate(LabelText(kFileSizeStatusLabel), {info.FileSize() / 1024}),
          SourcePiece(info)}) {
        piece = Trimmed(std::move(piece));
        if (!piece.empty())
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::string StatusText(const MediumInformation& info)
{
    std::string text;
    for (const std::string& piece : StatusPieces(info))
        text += (text.empty() ? "" : "  ") + piece;
    return text;
}

std::string TooltipText(const MediumInformation& info)
{
    std::string text(FileNameOfPath(info.Path()));
    for (const std::string& piece : StatusPieces(info))
        text += "\n" + piece;
    return text;
}
