#include "save_as_format.h"

#include <algorithm>
#include <cctype>

const SaveFormatRow& RowOf(SaveFormat format)
{
    return *std::ranges::find(kSaveFormats, format, &SaveFormatRow::format);
}

const JpegQualityRow& RowOf(JpegQuality quality)
{
    return *std::ranges::find(kJpegQualities, quality, &JpegQualityRow::quality);
}

std::optional<SaveFormat> SaveFormatNamed(std::string_view name)
{
    const auto row = std::ranges::find(kSaveFormats, name, &SaveFormatRow::name);
    return row == kSaveFormats.end() ? std::nullopt : std::optional(row->format);
}

std::optional<JpegQuality> JpegQualityNamed(std::string_view name)
{
    const auto row = std::ranges::find(kJpegQualities, name, &JpegQualityRow::name);
    return row == kJpegQualities.end() ? std::nullopt : std::optional(row->quality);
}

std::int32_t WriteNumberFor(SaveFormat format, JpegQuality quality)
{
    return format == SaveFormat::kJpeg ? RowOf(quality).writeNumber : 0;
}

namespace {

bool IsLowerCaseExtension(std::string_view extension)
{
    const auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    const auto isUpper = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
    return std::ranges::any_of(extension, isLetter) && std::ranges::none_of(extension, isUpper);
}

} // namespace

std::string TargetFileName(std::string_view sourcePath, SaveFormat format)
{
    const size_t slash = sourcePath.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? sourcePath : sourcePath.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    const std::string_view base = hasExtension ? name.substr(0, dot) : name;
    std::string extension(RowOf(format).extension);
    if (hasExtension && IsLowerCaseExtension(name.substr(dot + 1))) {
        std::ranges::transform(extension, extension.begin(),
                               [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    }
    return std::string(base) + "." + extension;
}
