#include "services/service_definitions.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "services/profile_reader.h"

namespace fs = std::filesystem;

namespace {

// Deep enough for any real package layout, shallow enough to bound a crafted one.
constexpr int kMaxFolderDepth = 32;

bool IsDefinitionFileName(std::string_view name)
{
    if (name.size() != kServiceDefinitionFileName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kServiceDefinitionFileName[i])
            return false;
    }
    return true;
}

void CollectDefinitionFiles(const fs::path& folder, int depth, std::set<fs::path>& visited,
                            std::vector<std::string>& files)
{
    std::error_code error;
    const fs::path canonical = fs::canonical(folder, error);
    if (error || !visited.insert(canonical).second || depth > kMaxFolderDepth)
        return;

    std::vector<fs::directory_entry> entries;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path().filename() < b.path().filename(); });

    for (const fs::directory_entry& entry : entries) {
        std::error_code statusError;
        const fs::file_status status = entry.symlink_status(statusError);
        if (statusError)
            continue;
        if (fs::is_directory(status)) {
            CollectDefinitionFiles(entry.path(), depth + 1, visited, files);
        } else if (IsDefinitionFileName(entry.path().filename().string())) {
            // A link to a file is fine; a link to a folder is never followed.
            if (fs::is_symlink(status) && fs::is_directory(fs::status(entry.path(), statusError)))
                continue;
            files.push_back(entry.path().string());
        }
    }
}

// "HelpMenu_01": the prefix and a number of at least two digits.
std::string SectionName(std::string_view prefix, int number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < 2)
        digits.insert(0, 1, '0');
    return std::string(prefix) + "_" + digits;
}

std::vector<ServiceEntry> ReadEntries(const ProfileReader& reader, std::string_view prefix, int limit,
                                      const std::string& folder)
{
    std::vector<ServiceEntry> entries;
    for (int number = 1; number <= limit; ++number) {
        const std::string section = SectionName(prefix, number);
        ServiceEntry entry;
        entry.caption = reader.ReadString(section, "Caption");
        if (entry.caption.empty())
            break;
        entry.captionEx = reader.ReadString(section, "CaptionEx");
        entry.action = reader.ReadString(section, "Action");
        entry.actionSource = reader.ReadString(section, "ActionSource");
        entry.folder = folder;
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::vector<std::string> FindServiceDefinitionFiles(const std::string& root)
{
    std::vector<std::string> files;
    std::set<fs::path> visited;
    std::error_code error;
    if (fs::is_directory(root, error))
        CollectDefinitionFiles(root, 0, visited, files);
    return files;
}

bool ReadServiceDefinition(const std::string& file, ServiceDefinition& definition, std::string& titleString)
{
    const ProfileReader reader = ProfileReader::FromFile(file);
    if (reader.ReadString("Identification", "Provider") != kServiceProvider)
        return false;
    definition = {};
    definition.id = reader.ReadInt("Identification", "id");
    definition.rank = reader.ReadInt("Identification", "Rank");
    definition.folder = fs::path(file).parent_path().string();
    titleString = reader.ReadString("Presentation", "TitleString");
    definition.helpEntries = ReadEntries(reader, "HelpMenu", kMaxHelpEntriesPerRecord, definition.folder);
    definition.packageMenuCaption = reader.ReadString("ServMenu", "CaptionEx");
    definition.menuInsert = reader.ReadString("UpdateMenu", "MenuInsert") == "Y";
    definition.packageEntries = ReadEntries(reader, "ServMenu", kMaxPackageMenuEntries, definition.folder);
    return true;
}

ServiceDefinitionSet LoadServiceDefinitions(const std::string& root)
{
    ServiceDefinitionSet result;
    bool titleSet = false;
    int titleRank = 0;
    for (const std::string& file : FindServiceDefinitionFiles(root)) {
        ServiceDefinition definition;
        std::string titleString;
        if (!ReadServiceDefinition(file, definition, titleString))
            continue;
        if (!titleSet || definition.rank < titleRank) {
            result.titleBase = std::string(kProgramTitle) + " " + titleString;
            titleRank = definition.rank;
            titleSet = true;
        }
        auto& list = result.definitions;
        const auto position = std::upper_bound(list.begin(), list.end(), definition.rank,
                                               [](int rank, const ServiceDefinition& d) { return rank < d.rank; });
        list.insert(position, std::move(definition));
    }
    return result;
}

std::vector<HelpMenuItem> HelpMenuLayout(const ServiceDefinitionList& list)
{
    std::vector<HelpMenuItem> items;
    int position = 0;
    const int limit = kHelpCommandLimit - kHelpCommandFirst;
    for (int record = 0; record < static_cast<int>(list.size()); ++record) {
        const auto& entries = list[record].helpEntries;
        for (int entry = 0; entry < static_cast<int>(entries.size()) && position < limit; ++entry)
            items.push_back({false, record, entry, kHelpCommandFirst + position++});
        if (position >= limit)
            break;
        items.push_back({true, record, 0, kHelpCommandFirst + position++});
    }
    return items;
}

const ServiceEntry* HelpEntryAt(const ServiceDefinitionList& list, int command)
{
    if (command < kHelpCommandFirst || command >= kHelpCommandLimit)
        return nullptr;
    for (const HelpMenuItem& item : HelpMenuLayout(list)) {
        if (item.command == command)
            return item.separator ? nullptr : &list[item.recordIndex].helpEntries[item.entryIndex];
    }
    return nullptr;
}

int UpdateMenuCommand(int recordIndex)
{
    return kPackageCommandFirst + kPackageCommandStride * recordIndex;
}

int DeleteMenuCommand(int recordIndex)
{
    return UpdateMenuCommand(recordIndex) + 1;
}

int PackageEntryCommand(int recordIndex, int entryIndex)
{
    return DeleteMenuCommand(recordIndex) + 1 + entryIndex;
}

int SoftwareUpdateCommand(int recordIndex)
{
    return UpdateMenuCommand(recordIndex) + 99;
}

PackageCommand DecodePackageCommand(const ServiceDefinitionList& list, int command)
{
    if (command < kPackageCommandFirst)
        return {};
    const int record = (command - kPackageCommandFirst) / kPackageCommandStride;
    const int remainder = (command - kPackageCommandFirst) % kPackageCommandStride;
    if (record >= kMaxPackageMenus || record >= static_cast<int>(list.size()))
        return {};
    switch (remainder) {
    case 0:
        return {PackageCommandKind::UpdateMenu, record, -1};
    case 1:
        return {PackageCommandKind::DeleteMenu, record, -1};
    case 99:
        return {PackageCommandKind::SoftwareUpdate, record, -1};
    default:
        break;
    }
    const int entry = remainder - 2;
    if (entry >= static_cast<int>(list[record].packageEntries.size()))
        return {};
    return {PackageCommandKind::Entry, record, entry};
}

std::string PackageRequestText(const ServiceDefinitionList& list, const PackageCommand& command)
{
    const char* prefix = nullptr;
    switch (command.kind) {
    case PackageCommandKind::UpdateMenu:
        prefix = "ZORX_UpdateMenu,";
        break;
    case PackageCommandKind::DeleteMenu:
        prefix = "ZORX_DeleteMenu,";
        break;
    case PackageCommandKind::SoftwareUpdate:
        prefix = "ZORX_SoftwareUpdate,";
        break;
    default:
        return {};
    }
    if (command.recordIndex < 0 || command.recordIndex >= static_cast<int>(list.size()))
        return {};
    return prefix + std::to_string(list[command.recordIndex].id);
}
