#include "files/delete_selection.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/string_table.h"
#include "framework/text_template.h"
#include "library/media_item.h"
#include "library/media_type.h"

namespace {

struct Unit {
    std::vector<std::string> members; // the entry first, then its companions
};

bool IsReadOnly(const std::string& path)
{
    return ::access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

// The members the user lets go: a read-only member is asked about; declining the entry itself
// keeps its companions with it, declining a companion keeps just that one.
bool ChooseMembers(const DeleteEntry& entry, const DeleteDialogs& dialogs, Unit& unit)
{
    const auto allowed = [&](const std::string& path) {
        return !IsReadOnly(path) || dialogs.confirmText(FillTemplate(GetText("ZORX_FileIsLockedOK?"), {path}));
    };
    if (!allowed(entry.path))
        return false;
    unit.members.push_back(entry.path);
    for (const std::string* companion : {&entry.memoPath, &entry.companionPath})
        if (!companion->empty() && allowed(*companion))
            unit.members.push_back(*companion);
    return true;
}

} // namespace

std::vector<DeleteEntry> SelectedDeleteEntries(std::span<const MediaItem> items)
{
    std::vector<DeleteEntry> entries;
    for (const MediaItem& item : items) {
        if (!item.selected || item.hidden)
            continue;
        DeleteEntry entry;
        entry.path = item.fullPath;
        entry.isFolder = item.IsFolder();
        if (item.hasSoundMemo)
            entry.memoPath = item.soundMemoPath;
        if (item.hasRawCompanion)
            entry.companionPath = item.rawCompanionPath;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool HasUnsupportedFiles(const std::string& folder)
{
    DIR* directory = ::opendir(folder.c_str());
    if (!directory)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat status {};
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode))
            continue;
        if (!IsMediaFileName(name)) {
            found = true;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

DeleteSelectionResult DeleteEntries(const std::vector<DeleteEntry>& entries, const DeleteDialogs& dialogs,
                                    Trasher& trasher)
{
    DeleteSelectionResult result;
    if (entries.empty())
        return result;
    const bool onlyFolders = std::all_of(entries.begin(), entries.end(), [](const DeleteEntry& e) { return e.isFolder; });
    if (!dialogs.confirm(onlyFolders ? "ZORX_DeleteFoldersAndFiles" : "ZORX_DeleteFiles")) {
        result.cancelled = true;
        return result;
    }
    for (const DeleteEntry& entry : entries) {
        if (entry.isFolder && HasUnsupportedFiles(entry.path)) {
            if (!dialogs.confirm("ZORX_DeleteNonSupportFiles")) {
                result.cancelled = true;
                return result;
            }
            break; // asked once for all folders
        }
    }
    std::vector<Unit> units;
    for (const DeleteEntry& entry : entries) {
        Unit unit;
        if (ChooseMembers(entry, dialogs, unit))
            units.push_back(std::move(unit));
    }

    std::vector<std::string> withoutTrash;
    std::string whyNoTrash;
    for (const Unit& unit : units) {
        TrashResult trashed = trasher.TrashUnit(unit.members);
        result.vanished.insert(result.vanished.end(), trashed.vanished.begin(), trashed.vanished.end());
        switch (trashed.outcome) {
        case TrashOutcome::kTrashed:
            break;
        case TrashOutcome::kNoTrash:
            withoutTrash.insert(withoutTrash.end(), unit.members.begin(), unit.members.end());
            whyNoTrash = trashed.message;
            break;
        case TrashOutcome::kFailed:
            result.failures.push_back(trashed.message);
            break;
        }
    }
    // Never a silent permanent delete: the user is told why there is no trash and asked again.
    if (!withoutTrash.empty()) {
        const std::string question = FillTemplate(GetText("ZORX_NoTrashDeletePermanently"), {whyNoTrash})
                                     + JoinLines(withoutTrash);
        if (dialogs.confirmText(question)) {
            const DeleteResult deleted = PermanentlyDelete(withoutTrash);
            result.vanished.insert(result.vanished.end(), deleted.vanished.begin(), deleted.vanished.end());
            result.failures.insert(result.failures.end(), deleted.failures.begin(), deleted.failures.end());
        }
    }
    if (!result.failures.empty())
        dialogs.showError(GetText("ZORX_DeleteFailed") + JoinLines(result.failures));
    return result;
}
