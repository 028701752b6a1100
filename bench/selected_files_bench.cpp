// How long a service waits for GetSelectedFiles3 with 10,000 selected items: the main window
// opens a folder of 10,000 camera-named files, everything is selected, and the host function is
// called as a module calls it (the lists made, handed over, and freed by the caller). Run on the
// offscreen platform: QT_QPA_PLATFORM=offscreen bench/selected_files_bench
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <string>

#include <QApplication>

#include <vistrel/service.h>

#include "services/host_functions.h"
#include "shell/app_settings.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"
#include "shell/view_commands.h"

namespace {

constexpr int kItems = 10000;
constexpr int kRuns = 20;

void MakeFolder(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    for (int number = 1; number <= kItems; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "DSCF%05d.JPG", number);
        std::ofstream(folder / name).put('\0');
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "vistrel-selected-files-bench";
    std::filesystem::remove_all(root);
    MakeFolder(root / "DCIM");
    UseSettingsFile((root / "settings.reg").string());

    AppSettings settings;
    MainWindow window(settings);
    window.OpenFolder((root / "DCIM").string());
    window.Dispatcher().Dispatch(kCommandSelectAll);
    SetServiceHost(&window);
    const auto getSelected =
        reinterpret_cast<VistrelGetFiles3Fn>(HostGetProcAddress(VistrelMakeText("GetSelectedFiles3")));
    if (!getSelected) {
        std::fprintf(stderr, "GetSelectedFiles3 is missing\n");
        return 1;
    }

    double best = 1e9;
    double total = 0;
    uint32_t count = 0;
    for (int run = 0; run < kRuns; ++run) {
        HostBufferList paths{};
        HostBufferList memos{};
        HostBufferList companions{};
        const auto start = std::chrono::steady_clock::now();
        const int32_t result = getSelected(&paths, &memos, &companions);
        count = static_cast<uint32_t>(paths.count);
        VistrelFreeBufferList(&paths);
        VistrelFreeBufferList(&memos);
        VistrelFreeBufferList(&companions);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (result != 1) {
            std::fprintf(stderr, "GetSelectedFiles3 failed\n");
            return 1;
        }
        best = std::min(best, ms);
        total += ms;
    }
    std::printf("GetSelectedFiles3, %u selected items: best %.2f ms, mean %.2f ms over %d calls (target < 10 ms)\n",
                count, best, total / kRuns, kRuns);
    SetServiceHost(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
