#pragma once

// What the benchmarks that time a run against a well-known tool share: the best of several
// runs, another program run to its end, and counting a folder's entries.

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

// The best time in seconds of `runs` runs; `prepare` runs before each, outside the timing.
// -1 when a run fails.
inline double BestSeconds(int runs, const std::function<void()>& prepare, const std::function<bool()>& run)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        if (!run())
            return -1;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

// Runs the program (found on PATH) with its arguments; true when it exits with 0.
inline bool RunProgram(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (arguments.empty() || ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline int CountEntries(const std::filesystem::path& folder)
{
    std::error_code error;
    return static_cast<int>(
        std::distance(std::filesystem::directory_iterator(folder, error), std::filesystem::directory_iterator()));
}
