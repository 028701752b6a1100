#include "formats/format_registry.h"

#include <array>
#include <initializer_list>
#include <sys/stat.h>

#include "formats/bmp_handler.h"
#include "formats/jpeg_handler.h"
#include "formats/raf_handler.h"
#include "formats/tiff_handler.h"
#include "library/media_type.h"

namespace {

using Factory = std::unique_ptr<FormatHandler> (*)();

template <typename Handler> std::unique_ptr<FormatHandler> Make()
{
    return std::make_unique<Handler>();
}

struct FormatRow {
    std::array<std::string_view, 2> extensions; // lower case; an empty second name is unused
    int fileKind;
    std::string_view kindName;
    Factory factory; // nullptr: no reader for this format yet
};

// Searched in order; the row number is the format index. Rows without a reader yet give no
// handler (movies and sounds get theirs with the movie engine).
constexpr std::array<FormatRow, 12> kFormats = {{
    {{"jpg", "jpeg"}, 1, "JPEG", &Make<JpegHandler>},
    {{"tif", "tiff"}, 1, "TIFF", &Make<TiffHandler>},
    {{"raf", ""}, 1, "RAF", &Make<RafHandler>},
    {{"bmp", ""}, 1, "BMP", &Make<BmpHandler>},
    {{"avi", ""}, 2, "AVI", nullptr},
    {{"mov", ""}, 2, "MOV", &Make<FormatHandler>}, // every operation keeps its default
    {{"mpg", "mpeg"}, 2, "MPEG", nullptr},
    {{"asf", ""}, 2, "ASF", nullptr},
    {{"wmv", ""}, 2, "WMV", nullptr},
    {{"wav", ""}, 3, "WAV", nullptr},
    {{"wma", ""}, 3, "WMA", nullptr},
    {{"mp3", ""}, 3, "MP3", nullptr},
}};

bool IsExistingFolder(std::string_view path)
{
    struct stat info {};
    return ::stat(std::string(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

int FormatIndexOfPath(std::string_view path)
{
    const std::string extension = LowerExtensionOfPath(path);
    if (extension.empty())
        return -1;
    for (size_t i = 0; i < kFormats.size(); ++i) {
        for (std::string_view name : kFormats[i].extensions) {
            if (!name.empty() && name == extension)
                return IsExistingFolder(path) ? -1 : static_cast<int>(i);
        }
    }
    return -1;
}

std::unique_ptr<FormatHandler> CreateFormatHandler(int formatIndex)
{
    if (formatIndex < 0 || formatIndex >= static_cast<int>(kFormats.size()) || !kFormats[formatIndex].factory)
        return nullptr;
    return kFormats[formatIndex].factory();
}

FileKind GetFileType(std::string_view path)
{
    const std::string_view typeName = TypeNameOfPath(path);
    if (typeName == "MOV")
        return {2, "MOV"};
    if (typeName == "RAG")
        return {4, "RAG"};
    const int index = FormatIndexOfPath(path);
    if (index < 0)
        return {};
    return {kFormats[index].fileKind, kFormats[index].kindName};
}
