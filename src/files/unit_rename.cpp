#include "files/unit_rename.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder part of a path with its "/" ("" for a bare name).
std::string_view FolderPart(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Camera cards are FAT disks, which fold case: two targets equal but for case are one there.
bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// 0 when the path names an entry (a dangling link too), else the errno value.
int EntryState(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? 0 : errno;
}

} // namespace

UnitRenameRequest UnitRenameRequestForItem(const MediaItem& item, std::string newName)
{
    UnitRenameRequest request;
    request.path = item.fullPath;
    request.newName = std::move(newName);
    request.isFolder = item.IsFolder();
    if (!request.isFolder) {
        if (item.hasSoundMemo && !item.soundMemoPath.empty())
            request.companions.push_back(item.soundMemoPath);
        if (item.hasRawCompanion && !item.rawCompanionPath.empty())
            request.companions.push_back(item.rawCompanionPath);
    }
    return request;
}

std::string CompanionTarget(std::string_view companion, std::string_view newName)
{
    const std::string_view name = NamePart(companion);
    const size_t dot = name.rfind('.');
    const size_t newDot = newName.rfind('.');
    std::string target(FolderPart(companion));
    target += newDot == std::string_view::npos ? newName : newName.substr(0, newDot);
    if (dot != std::string_view::npos)
        target += name.substr(dot);
    return target;
}

std::string UnitRenameResult::NewPathOf(std::string_view from) const
{
    for (const RenamedPath& rename : renamed) {
        if (rename.from == from)
            return rename.to;
    }
    return {};
}

UnitRenameResult RenameUnit(const UnitRenameRequest& request, const Renamer& renamer)
{
    UnitRenameResult result;
    if (const int state = EntryState(request.path)) {
        result.status = state == ENOENT ? UnitRenameStatus::EntryMissing : UnitRenameStatus::Failed;
        result.failed = {request.path, {}};
        result.error = state;
        return result;
    }

    std::vector<RenamedPath> plan;
    plan.push_back({request.path, std::string(FolderPart(request.path)) + request.newName});
    if (!request.isFolder) {
        for (const std::string& companion : request.companions) {
            // A companion deleted since the listing has nothing left to rename.
            if (EntryState(companion) == ENOENT)
                continue;
            plan.push_back({companion, CompanionTarget(companion, request.newName)});
        }
    }

    for (size_t i = 0; i < plan.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (SameIgnoringCase(plan[i].to, plan[j].to)) {
                result.status = UnitRenameStatus::TargetsCollide;
                result.failed = plan[i];
                result.error = EEXIST;
                return result;
            }
        }
    }
    for (const RenamedPath& rename : plan) {
        const int state = EntryState(rename.to);
        if (state == ENOENT)
            continue;
        result.status = state == 0 ? UnitRenameStatus::TargetExists : UnitRenameStatus::Failed;
        result.failed = rename;
        result.error = state == 0 ? EEXIST : state;
        return result;
    }

    for (const RenamedPath& rename : plan) {
        if (const int error = renamer(rename.from, rename.to)) {
            result.status = UnitRenameStatus::Failed;
            result.failed = rename;
            result.error = error;
            break;
        }
        result.renamed.push_back(rename);
    }
    if (result.Ok())
        return result;

    // Undo in reverse order, so that a picture and its companions keep one base name.
    for (auto it = result.renamed.rbegin(); it != result.renamed.rend(); ++it) {
        if (renamer(it->to, it->from) != 0)
            result.stranded.insert(result.stranded.begin(), *it);
    }
    result.renamed = result.stranded;
    if (!result.stranded.empty())
        result.status = UnitRenameStatus::RollbackFailed;
    return result;
}

int FindRenamedItem(const std::vector<MediaItem>& items, const std::string& oldPath, bool periodMode)
{
    const std::string_view oldName = NamePart(oldPath);
    for (size_t i = 0; i < items.size(); ++i) {
        const MediaItem& item = items[i];
        if (periodMode ? item.fullPath == oldPath : item.fileName == oldName)
            return static_cast<int>(i);
    }
    return -1;
}

void UpdateRenamedItem(MediaItem& item, const UnitRenameResult& result)
{
    const std::string newPath = result.NewPathOf(item.fullPath);
    if (newPath.empty())
        return;
    item.fullPath = newPath;
    item.fileName = std::string(NamePart(newPath));
    item.texts[static_cast<size_t>(ItemText::Name)] = item.fileName;
    if (item.hasSoundMemo) {
        item.soundMemoPath = result.NewPathOf(item.soundMemoPath);
        item.hasSoundMemo = !item.soundMemoPath.empty();
    }
    if (item.hasRawCompanion) {
        item.rawCompanionPath = result.NewPathOf(item.rawCompanionPath);
        item.hasRawCompanion = !item.rawCompanionPath.empty();
    }
    if (item.detail)
        item.detail->hasSoundMemo = item.hasSoundMemo;
}
