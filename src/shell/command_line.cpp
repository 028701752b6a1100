#include "shell/command_line.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <vector>

#include "library/media_type.h"
#include "shell/argument_text.h"

namespace {

bool IsCaptureOption(std::string_view token)
{
    return token == "/w" || token == "/d";
}

// Option tokens begin with "/", which also begins every absolute path: a token that is not one
// of the listed options is a path when it names an existing entry.
std::string PathOfToken(const std::string& token, const CommandLineEnvironment& env)
{
    return env.canonicalise ? env.canonicalise(token) : std::string{};
}

// A token that names nothing is still meant as a path when it cannot be an option: options are
// one "/" and a word, paths hold a "/" past their first character (relative ones were made
// absolute before they became the argument text).
bool LooksLikePath(const std::string& token)
{
    return !token.empty() && (token.front() != '/' || token.find('/', 1) != std::string::npos);
}

bool IsMediaFile(const std::string& path, const CommandLineEnvironment& env)
{
    return IsMediaFileName(path) && !env.isFolder(path);
}

CommandLineAction OpenFolderAction(const std::string& path, const CommandLineEnvironment& env)
{
    CommandLineAction action;
    action.kind = CommandLineAction::Kind::OpenFolder;
    // A plain file opens the folder that holds it.
    action.path = env.isFolder(path) ? path : ParentFolderOf(path);
    return action;
}

bool IsInsideFolder(std::string_view path, std::string_view folder)
{
    if (folder.empty() || path.size() <= folder.size() || !path.starts_with(folder))
        return false;
    return folder.back() == '/' || path[folder.size()] == '/';
}

} // namespace

CommandLineAction PreScanCommandLine(std::string_view argumentText, const CommandLineEnvironment& env)
{
    std::vector<std::string> paths;
    for (const std::string& token : TokenizeArguments(argumentText)) {
        if (IsCaptureOption(token)) {
            if (env.serviceRunning)
                return {};
            CommandLineAction action;
            action.kind = CommandLineAction::Kind::RunService;
            action.service = kServiceAutoCaptureDS;
            action.keepCaptureText = true;
            action.setsCaptureAtStart = true;
            action.refreshAfterCapture = true;
            return action;
        }
        if (std::string path = PathOfToken(token, env); !path.empty())
            paths.push_back(std::move(path));
    }
    CommandLineAction action;
    if (paths.empty()) {
        action.kind = CommandLineAction::Kind::RefreshPanels;
        return action;
    }
    const std::string& path = paths.front();
    if (IsMediaFile(path, env)) {
        action.kind = CommandLineAction::Kind::ShowFile;
        action.path = path;
        action.openFileFolder = true;
        action.switchToPreview = true;
        action.refreshPanels = true;
        return action;
    }
    return OpenFolderAction(path, env);
}

CommandLineAction InterpretCommandLine(std::string_view argumentText, bool forwarded,
                                       const CommandLineEnvironment& env, std::string_view picturesFolder)
{
    bool desktopOption = false;
    bool openOption = false;
    std::vector<std::string> paths;
    std::string missingPath;
    for (const std::string& token : TokenizeArguments(argumentText)) {
        CommandLineAction action;
        action.kind = CommandLineAction::Kind::RunService;
        if (token == "/m") {
            if (env.serviceRunning)
                return {};
            action.service = kServiceAutoCapturePM;
            action.keepCaptureText = true;
            return action;
        }
        if (IsCaptureOption(token)) {
            if (env.serviceRunning)
                return {};
            action.keepCaptureText = true;
            if (env.captureAtStart) {
                action.kind = CommandLineAction::Kind::KeepCaptureText;
                return action;
            }
            action.service = kServiceAutoCaptureDS;
            action.refreshAfterCapture = true;
            return action;
        }
        if (token == "/UpdatePM") {
            action.kind = CommandLineAction::Kind::UpdateAllIndexes;
            return action;
        }
        if (token == "/SlideShow") {
            action.service = kServiceSlideShow;
            action.loadAllDetailsFirst = env.periodMode;
            action.stopPlayback = true;
            return action;
        }
        if (token == "/SendMail") {
            action.service = kServiceSendMail;
            return action;
        }
        if (token == "/Print") {
            action.service = kServicePrint;
            return action;
        }
        if (token == "/Desktop") {
            desktopOption = true;
            continue;
        }
        if (token == "/Open") {
            openOption = true;
            continue;
        }
        if (std::string path = PathOfToken(token, env); !path.empty())
            paths.push_back(std::move(path));
        else if (missingPath.empty() && LooksLikePath(token))
            missingPath = token;
    }
    CommandLineAction action;
    action.missingPath = std::move(missingPath);
    if (paths.empty())
        return action;

    const std::string& path = paths.front();
    if (IsMediaFile(path, env)) {
        if (forwarded && openOption) {
            action.kind = CommandLineAction::Kind::PreviewOnly;
            action.path = path;
            return action;
        }
        action.kind = CommandLineAction::Kind::ShowFile;
        action.path = path;
        action.openFileFolder = forwarded;
        action.switchToPreview = forwarded;
        return action;
    }
    std::string missing = std::move(action.missingPath);
    action = OpenFolderAction(path, env);
    action.missingPath = std::move(missing);
    if (desktopOption) {
        action.refreshPanels = true;
        action.viaPicturesFolder = IsInsideFolder(action.path, picturesFolder);
    }
    return action;
}

std::string CanonicalisePath(std::string_view path)
{
    if (path.empty())
        return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    if (error)
        return {};
    const std::filesystem::path normal = absolute.lexically_normal();
    if (!std::filesystem::exists(std::filesystem::symlink_status(normal, error)))
        return {};
    std::string text = normal.string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool IsFolderOrUnreadable(std::string_view path)
{
    struct stat info {};
    if (::stat(std::string(path).c_str(), &info) != 0)
        return true;
    return S_ISDIR(info.st_mode);
}

std::string ParentFolderOf(std::string_view path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}
