#pragma once

#include <string>
#include <string_view>
#include <vector>

// The installed service packages: each one drops a "servicedef.ini" below the program's
// Resource/Services folder, and the shell turns the accepted ones into Help entries, one
// top-level menu per package and the window title.

inline constexpr std::string_view kServiceDefinitionFileName = "servicedef.ini";
inline constexpr std::string_view kServiceProvider = "KAVORINE";
inline constexpr std::string_view kServicesFolder = "Resource/Services";
inline constexpr std::string_view kProgramTitle = "VistrelViewer";

// One Help entry or package menu entry.
struct ServiceEntry {
    std::string caption;
    std::string captionEx; // the text shown in the menu
    std::string action; // "File" or "Web"
    std::string actionSource; // a file below `folder`, or an address
    std::string folder; // the folder of the definition file
};

struct ServiceDefinition {
    int id = 0;
    int rank = 0;
    std::string folder;
    std::vector<ServiceEntry> helpEntries;
    std::string packageMenuCaption;
    std::vector<ServiceEntry> packageEntries;
    bool menuInsert = false; // MenuInsert is exactly "Y"
};

using ServiceDefinitionList = std::vector<ServiceDefinition>;

struct ServiceDefinitionSet {
    ServiceDefinitionList definitions; // ascending Rank, equal Ranks in the order found
    std::string titleBase{kProgramTitle};
};

// Every file below `root` named "servicedef.ini" in any letter case, in name order within each
// folder. Symbolic links to folders are not followed and unreadable folders are skipped, so a
// hostile tree can neither loop nor stop the walk.
std::vector<std::string> FindServiceDefinitionFiles(const std::string& root);

// The record of one definition file; false when it is unreadable or from another provider.
// `titleString` receives Presentation/TitleString.
bool ReadServiceDefinition(const std::string& file, ServiceDefinition& definition, std::string& titleString);

// Finds, reads and orders every definition below `root` and works out the title base.
ServiceDefinitionSet LoadServiceDefinitions(const std::string& root);

// --- Command numbers ---

inline constexpr int kHelpCommandFirst = 46000;
inline constexpr int kHelpCommandLimit = 47000; // one past the last help command
inline constexpr int kPackageCommandFirst = 45000;
inline constexpr int kPackageCommandStride = 100;
// Menu-bar slots and command blocks end at 45999, so only this many records get a menu.
inline constexpr int kMaxPackageMenus = 10;
// Entries 45002 … 45098 of a block; 45099 is the software update.
inline constexpr int kMaxPackageMenuEntries = 97;
// Two-digit section numbers: HelpMenu_01 … HelpMenu_99.
inline constexpr int kMaxHelpEntriesPerRecord = 99;

// One row of the Help menu's top part: an entry or the separator that ends a record.
struct HelpMenuItem {
    bool separator = false;
    int recordIndex = 0;
    int entryIndex = 0; // meaningless for separators
    int command = 0; // 46000 + position
};

// The items at the top of the Help menu in order; rows that would leave the help command range
// are left out.
std::vector<HelpMenuItem> HelpMenuLayout(const ServiceDefinitionList& list);

// The help entry behind a help command, or null when the number matches none.
const ServiceEntry* HelpEntryAt(const ServiceDefinitionList& list, int command);

int UpdateMenuCommand(int recordIndex);
int DeleteMenuCommand(int recordIndex);
int PackageEntryCommand(int recordIndex, int entryIndex); // entryIndex from 0
int SoftwareUpdateCommand(int recordIndex);

enum class PackageCommandKind { None, UpdateMenu, DeleteMenu, SoftwareUpdate, Entry };

struct PackageCommand {
    PackageCommandKind kind = PackageCommandKind::None;
    int recordIndex = -1;
    int entryIndex = -1; // for Entry only, from 0
};

// What a package command means for this list: None for numbers outside the scheme, records
// without a menu or entries the record does not have.
PackageCommand DecodePackageCommand(const ServiceDefinitionList& list, int command);

// The copy-data text for the start-up service ("ZORX_UpdateMenu,7"); empty for entries and None.
std::string PackageRequestText(const ServiceDefinitionList& list, const PackageCommand& command);
