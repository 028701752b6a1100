#include "framework/program_folder.h"

#include <climits>
#include <unistd.h>

namespace {

std::string& ProgramFolderStorage()
{
    static std::string folder;
    return folder;
}

} // namespace

std::string FolderOfExecutable(std::string_view executablePath)
{
    const size_t slash = executablePath.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    if (slash == 0)
        return "/";
    return std::string(executablePath.substr(0, slash));
}

void InitProgramFolder(std::string_view argv0)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0)
        SetProgramFolder(FolderOfExecutable(std::string_view(buffer, static_cast<size_t>(length))));
    else
        SetProgramFolder(FolderOfExecutable(argv0));
}

void SetProgramFolder(std::string folder)
{
    ProgramFolderStorage() = std::move(folder);
}

const std::string& ProgramFolder()
{
    return ProgramFolderStorage();
}

std::string JoinPath(std::string_view first, std::string_view second)
{
    if (first.empty())
        return std::string(second);
    if (second.empty())
        return std::string(first);
    std::string joined(first);
    if (joined.back() != '/')
        joined += '/';
    joined += second;
    return joined;
}

std::string ResolveProgramPath(std::string_view path)
{
    if (!path.empty() && path.front() == '/')
        return std::string(path);
    return JoinPath(ProgramFolder(), path);
}
