#include "files/rename_rules.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "framework/program_folder.h"
#include "framework/string_table.h"
#include "framework/text_template.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kErrorTitle = "COMMON_Error";
constexpr std::string_view kWarningTitle = "COMMON_Warning";

constexpr std::string_view kEnterFileName = "ZORX_EnterFileName";
constexpr std::string_view kCameraQuestion = "ZORX_FilesWontBeAbleToPlaybackOnCameraOK?";
constexpr std::string_view kNameTooLong = "ZORX_FileNameIsTooLong";
constexpr std::string_view kIllegalCharacter = "ZORX_FileNameIncludesIllegalCharacter";
constexpr std::string_view kNameExists = "ZORX_ExistSameNameFileOrFolder";
constexpr std::string_view kLockedQuestion = "ZORX_FileIsLockedOK?";
constexpr std::string_view kWriteProtected = "ZORX_DiskOrFolderIsWriteProtected";

// The camera's folder sits directly in DCIM, and its fourth character is the "_" of 100_xxxx.
constexpr std::string_view kCardRootFolder = "DCIM/";
constexpr size_t kCameraMarkAt = kCardRootFolder.size() + 3;

RenameMessage Error(std::string_view key)
{
    return {kErrorTitle, key, GetText(key)};
}

RenameVerdict Refusal(std::vector<RenameMessage> questions, std::string_view key)
{
    RenameVerdict verdict;
    verdict.outcome = RenameOutcome::Refused;
    verdict.questions = std::move(questions);
    verdict.error = Error(key);
    return verdict;
}

// Absolute and lexically normal, without a trailing "/" (except for the root itself).
std::string NormalisedFolder(const std::string& folder)
{
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(folder), error);
    if (error)
        absolute = fs::path(folder);
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

std::string AdjustedRenameName(std::string_view newName, std::string_view oldName, bool isFolder)
{
    if (isFolder)
        return std::string(newName);
    const size_t newDot = newName.rfind('.');
    const size_t oldDot = oldName.rfind('.');
    std::string adjusted(newDot == std::string_view::npos ? newName : newName.substr(0, newDot));
    adjusted += '.';
    if (oldDot != std::string_view::npos)
        adjusted += oldName.substr(oldDot + 1);
    return adjusted;
}

bool IsCameraCardFolder(const std::string& folder, const MountPointTest& isMountPoint)
{
    const std::string path = NormalisedFolder(folder);
    // The card is the nearest mount point that holds the folder.
    std::string mount = path;
    while (!isMountPoint(mount)) {
        if (mount == "/")
            return false;
        const size_t slash = mount.rfind('/');
        mount = slash == 0 ? std::string("/") : mount.substr(0, slash);
    }
    if (mount == path)
        return false;
    const std::string_view below = std::string_view(path).substr(mount == "/" ? 1 : mount.size() + 1);
    return below.starts_with(kCardRootFolder) && below.size() > kCameraMarkAt && below[kCameraMarkAt] == '_';
}

RenameVerdict CheckRename(const std::string& folder, std::string_view oldName, std::string_view newName,
                          const RenameFacts& facts)
{
    RenameVerdict verdict;
    if (newName == oldName) {
        verdict.newName = std::string(oldName);
        return verdict;
    }
    if (newName.empty())
        return Refusal({}, kEnterFileName);

    std::vector<RenameMessage> questions;
    if (facts.cameraFolder)
        questions.push_back({kWarningTitle, kCameraQuestion, GetText(kCameraQuestion)});

    std::string adjusted = AdjustedRenameName(newName, oldName, facts.isFolder);
    if (adjusted == oldName) {
        verdict.questions = std::move(questions);
        verdict.newName = std::move(adjusted);
        return verdict;
    }
    if (adjusted.size() > kMaxRenameLength)
        return Refusal(std::move(questions), kNameTooLong);
    if (adjusted.find_first_of(kIllegalNameCharacters) != std::string::npos)
        return Refusal(std::move(questions), kIllegalCharacter);
    std::string newPath = JoinPath(folder, adjusted);
    if (facts.entryExists && facts.entryExists(newPath))
        return Refusal(std::move(questions), kNameExists);
    if (facts.readOnly) {
        const std::string oldPath = JoinPath(folder, oldName);
        questions.push_back(
            {kWarningTitle, kLockedQuestion, FillTemplate(GetText(kLockedQuestion), {oldPath})});
    }

    verdict.outcome = RenameOutcome::Rename;
    verdict.questions = std::move(questions);
    verdict.newName = std::move(adjusted);
    verdict.newPath = std::move(newPath);
    return verdict;
}

RenameFacts ReadRenameFacts(const std::string& folder, std::string_view oldName,
                            const MountPointTest& isMountPoint)
{
    const std::string oldPath = JoinPath(folder, oldName);
    RenameFacts facts;
    struct stat status {};
    facts.isFolder = ::stat(oldPath.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    // Only a refused permission makes the entry read-only; a read-only disk or a vanished entry
    // is the rename's own failure to report.
    facts.readOnly = ::access(oldPath.c_str(), W_OK) != 0 && errno == EACCES;
    facts.cameraFolder = IsCameraCardFolder(folder, isMountPoint);
    facts.entryExists = [](const std::string& path) {
        struct stat entry {};
        return ::lstat(path.c_str(), &entry) == 0;
    };
    return facts;
}

RenameMessage UnitRenameFailureMessage(const UnitRenameResult& result)
{
    if (result.status == UnitRenameStatus::TargetExists || result.status == UnitRenameStatus::TargetsCollide)
        return Error(kNameExists);
    RenameMessage message = Error(kWriteProtected);
    if (!result.stranded.empty())
        message.text += '\n';
    for (const RenamedPath& stranded : result.stranded)
        message.text += "\n" + stranded.from + " -> " + stranded.to;
    return message;
}
