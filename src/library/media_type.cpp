#include "library/media_type.h"

#include <array>

namespace {

struct ExtensionRow {
    std::string_view extension;
    std::string_view typeName;
};

// The order is the order of sorting by type.
constexpr std::array<ExtensionRow, 16> kExtensionMap = {{
    {"jpeg", "JPEG"},
    {"jpg", "JPEG"},
    {"tiff", "TIFF"},
    {"tif", "TIFF"},
    {"raf", "RAF"},
    {"bmp", "BMP"},
    {"avi", "AVI"},
    {"mpg", "MPEG"},
    {"mpeg", "MPEG"},
    {"asf", "ASF"},
    {"wmv", "WMV"},
    {"mov", "MOV"},
    {"wav", "WAV"},
    {"wma", "WMA"},
    {"mp3", "MP3"},
    {"rag", "RAG"},
}};

template <size_t N> bool IsOneOf(std::string_view typeName, const std::array<std::string_view, N>& names)
{
    for (std::string_view name : names) {
        if (name == typeName)
            return true;
    }
    return false;
}

} // namespace

std::string_view FileNameOfPath(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view BaseNameOfPath(std::string_view path)
{
    const std::string_view name = FileNameOfPath(path);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string LowerExtensionOfPath(std::string_view path)
{
    const std::string_view name = FileNameOfPath(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::string_view TypeNameOfPath(std::string_view path)
{
    const std::string extension = LowerExtensionOfPath(path);
    if (extension.empty())
        return {};
    for (const ExtensionRow& row : kExtensionMap) {
        if (row.extension == extension)
            return row.typeName;
    }
    return {};
}

int TypeNumberOfTypeName(std::string_view typeName)
{
    for (size_t i = 0; i < kExtensionMap.size(); ++i) {
        if (kExtensionMap[i].typeName == typeName)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool IsMediaFileName(std::string_view path)
{
    return !TypeNameOfPath(path).empty();
}

bool IsImageType(std::string_view typeName)
{
    return IsOneOf(typeName, std::array<std::string_view, 4>{"JPEG", "TIFF", "RAF", "BMP"});
}

bool IsMovieType(std::string_view typeName)
{
    return IsOneOf(typeName, std::array<std::string_view, 5>{"AVI", "MPEG", "ASF", "WMV", "MOV"});
}

bool IsSoundType(std::string_view typeName)
{
    return IsOneOf(typeName, std::array<std::string_view, 3>{"WAV", "WMA", "MP3"});
}

bool IsRawType(std::string_view typeName)
{
    return typeName == "RAF";
}
