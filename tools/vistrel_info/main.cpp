#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_report.h"
#include "json_writer.h"
#include "shell/program_folder.h"
#include "shell/resource_file.h"
#include "shell/string_table.h"

namespace {

constexpr const char* kUsage
    = "Usage: vistrel-info [--json] FILE...\n"
      "Prints the camera metadata of pictures, movies and sounds as VistrelViewer reads it.\n"
      "  --json     one JSON array with an object per file\n"
      "  --help     show this help\n"
      "Exit status: 0 when every file was read, 1 when any failed, 2 for bad usage.\n";

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
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
    LoadStringFile("");
    LoadMetadataTextModule();

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
