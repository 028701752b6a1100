#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "file_report.h"
#include "formats/exif_tag_update.h"
#include "formats/medium_information.h"
#include "formats/picture_reader.h"
#include "formats/shooting_date.h"
#include "framework/program_folder.h"
#include "framework/resource_file.h"
#include "framework/string_table.h"
#include "json_writer.h"
#include "library/dib_image.h"
#include "library/media_type.h"
#include "png_writer.h"

namespace {

constexpr const char* kUsage
    = "Usage: vistrel-info [--json] FILE...\n"
      "       vistrel-info --thumbnail CODE --out DIR FILE...\n"
      "       vistrel-info --image --out DIR FILE...\n"
      "       vistrel-info [--set-date \"YYYY:MM:DD HH:MM:SS\"] [--set-comment TEXT] FILE...\n"
      "Prints the camera metadata of pictures, movies and sounds as VistrelViewer reads it,\n"
      "writes their thumbnails or whole pictures as PNG files named after them, or changes the\n"
      "shooting date and comment of JPEG pictures with Exif data in place.\n"
      "  --json            one JSON array with an object per file\n"
      "  --thumbnail CODE  the thumbnail of size code 0 (40 x 30), 1 (80 x 60), 2 (160 x 120)\n"
      "                    or 3 (240 x 180)\n"
      "  --image           the whole picture, upright\n"
      "  --out DIR         where the PNG files go (created when missing)\n"
      "  --set-date DATE   sets the shooting date (DateTimeOriginal), a date that exists\n"
      "                    in the years 1900 to 2098\n"
      "  --set-comment TEXT\n"
      "                    sets the comment (UserComment), cut to 255 bytes\n"
      "                    Both change only the Exif segment of each picture, through a\n"
      "                    temporary file that replaces the picture when all went well, and\n"
      "                    print each change as old -> new.\n"
      "  --help            show this help\n"
      "Exit status: 0 when every file was read or changed, 1 when any failed, 2 for bad usage.\n";

enum class Mode { Metadata, Thumbnail, Image, SetTags };

// The date and comment as the program shows them.
struct ShownTags {
    std::string date;
    std::string comment;
};

ShownTags ReadShownTags(const std::string& file)
{
    const MediumInformation information = MediumInformation::ForFile(file);
    ShownTags shown;
    if (const TagEntry* date = information.Tags().Find(TagMap::kExif, 0x9003);
        date && date->type == kTiffAscii) {
        shown.date.assign(date->value.begin(), date->value.end());
        shown.date.erase(std::min(shown.date.size(), shown.date.find('\0')));
    }
    shown.comment = information.Item(kDescriptionGroup, 1).value;
    return shown;
}

// Changes every file in place and prints what changed; false when any file was refused.
bool SetTags(const PictureTagChange& change, const std::vector<std::string>& files)
{
    bool allChanged = true;
    for (const std::string& file : files) {
        const ShownTags before = ReadShownTags(file);
        const TagUpdateResult result = UpdatePictureTags(file, change);
        if (result != TagUpdateResult::Ok) {
            std::error_code error;
            const bool missing = !std::filesystem::exists(file, error);
            std::fprintf(stderr, "vistrel-info: %s: %s\n", file.c_str(),
                         missing ? "no such file" : TagUpdateResultText(result));
            allChanged = false;
            continue;
        }
        const ShownTags after = ReadShownTags(file);
        if (change.dateTimeOriginal)
            std::printf("%s: DateTimeOriginal \"%s\" -> \"%s\"\n", file.c_str(), before.date.c_str(),
                        after.date.c_str());
        if (change.comment)
            std::printf("%s: UserComment \"%s\" -> \"%s\"\n", file.c_str(), before.comment.c_str(),
                        after.comment.c_str());
    }
    return allChanged;
}

// Writes one picture per file; false when any could not be made or written.
bool WritePictures(Mode mode, int sizeCode, const std::string& folder, const std::vector<std::string>& files)
{
    bool allWritten = true;
    for (const std::string& file : files) {
        DibImage image;
        const int result
            = mode == Mode::Thumbnail ? MakeThumbnail(file, sizeCode, image) : ReadFullImage(file, image);
        const std::string target = folder + "/" + std::string(FileNameOfPath(file)) + ".png";
        if (result != 0 || image.IsEmpty()) {
            std::fprintf(stderr, "vistrel-info: %s: no picture (code %d)\n", file.c_str(), result);
            allWritten = false;
        } else if (!WritePng(image, target)) {
            std::fprintf(stderr, "vistrel-info: %s: cannot write %s\n", file.c_str(), target.c_str());
            allWritten = false;
        } else {
            std::printf("%s -> %s (%u x %u)\n", file.c_str(), target.c_str(), image.Width(), image.Height());
        }
    }
    return allWritten;
}

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    Mode mode = Mode::Metadata;
    int sizeCode = -1;
    std::string outFolder;
    PictureTagChange change;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--thumbnail") == 0 && i + 1 < argc) {
            mode = Mode::Thumbnail;
            const char* code = argv[++i];
            sizeCode = (code[0] >= '0' && code[0] <= '3' && code[1] == '\0') ? code[0] - '0' : -1;
            if (sizeCode < 0) {
                std::fprintf(stderr, "vistrel-info: the size code is 0, 1, 2 or 3\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--set-date") == 0 && i + 1 < argc) {
            mode = Mode::SetTags;
            change.dateTimeOriginal = argv[++i];
            const std::optional<ShootingDate> date = ParseShootingDate(*change.dateTimeOriginal);
            if (!date || !IsValidShootingDate(*date)) {
                std::fprintf(stderr, "vistrel-info: \"%s\": %s\n", change.dateTimeOriginal->c_str(),
                             TagUpdateResultText(TagUpdateResult::InvalidDate));
                return 2;
            }
        } else if (std::strcmp(argv[i], "--set-comment") == 0 && i + 1 < argc) {
            mode = Mode::SetTags;
            change.comment = argv[++i];
        } else if (std::strcmp(argv[i], "--image") == 0) {
            mode = Mode::Image;
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            outFolder = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--") == 0) {
            for (++i; i < argc; ++i)
                files.emplace_back(argv[i]);
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "vistrel-info: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    InitProgramFolder(argv[0]);
    if (mode == Mode::Thumbnail || mode == Mode::Image) {
        if (outFolder.empty()) {
            std::fprintf(stderr, "vistrel-info: --out DIR is needed with --thumbnail and --image\n");
            return 2;
        }
        std::error_code error;
        std::filesystem::create_directories(outFolder, error);
        if (error) {
            std::fprintf(stderr, "vistrel-info: cannot create %s: %s\n", outFolder.c_str(),
                         error.message().c_str());
            return 1;
        }
        return WritePictures(mode, sizeCode, outFolder, files) ? 0 : 1;
    }
    LoadStringFile("");
    LoadMetadataTextModule();
    if (mode == Mode::SetTags)
        return SetTags(change, files) ? 0 : 1;

    bool anyFailed = false;
    JsonWriter writer;
    if (json)
        writer.BeginArray();
    for (const std::string& file : files) {
        const FileReport report = BuildFileReport(file);
        anyFailed = anyFailed || report.metadata.error != 0;
        if (json) {
            WriteJsonReport(writer, report);
        } else {
            const std::string text = ReadableReport(report);
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fputc('\n', stdout);
        }
    }
    if (json) {
        writer.EndArray();
        std::fwrite(writer.Text().data(), 1, writer.Text().size(), stdout);
        std::fputc('\n', stdout);
    }
    return anyFailed ? 1 : 0;
}
