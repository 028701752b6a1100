#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QUrl>

#include "services/service_definitions.h"

class QAction;
class QMenu;
class QMenuBar;

// The menus built from the service definitions, and what their commands do.

using ServiceTextLookup = std::function<std::string(std::string_view name)>;
using ServiceCommandSink = std::function<void(int command)>;
using ServiceUrlOpener = std::function<bool(const QUrl& url)>;
using ServiceRequestSink = std::function<void(const std::string& text)>;

// The Help menu is the eighth menu of "ZORX_MENU"; package menus go in front of it from slot 6.
inline constexpr int kHelpMenuBarIndex = 7;
inline constexpr int kFirstPackageMenuBarIndex = 6;

struct ServiceMenus {
    std::vector<QAction*> helpActions; // entries and separators, top of the Help menu
    std::vector<QMenu*> packageMenus; // one per record, at most kMaxPackageMenus
};

// Puts the help entries at the top of the Help menu and one pop-up per record into the menu
// bar. Every entry's QAction carries its command number as data and calls `sink` with it.
ServiceMenus BuildServiceMenus(QMenuBar& bar, const ServiceDefinitionList& list, const ServiceTextLookup& text,
                               const ServiceCommandSink& sink);

// The address an entry opens, or nothing. "File" sources must stay inside the entry's folder:
// absolute paths, ".." parts, "file:" forms and links leading out are refused. "Web" sources
// must be http or https addresses with a host.
std::optional<QUrl> ServiceTargetUrl(const ServiceEntry& entry);

// QDesktopServices::openUrl.
bool OpenUrlWithDesktop(const QUrl& url);

// Opens the entry's target; false when it is refused, of another action or the opener fails.
bool OpenServiceTarget(const ServiceEntry& entry, const ServiceUrlOpener& opener = OpenUrlWithDesktop);

// A help command (46000 …); numbers matching no entry do nothing.
bool RunHelpCommand(const ServiceDefinitionList& list, int command, const ServiceUrlOpener& opener = OpenUrlWithDesktop);

// A package menu command (45000 … 45999): the menu requests go to `requests` (dropped when it
// is empty, as when there is no start-up service window), entries open their targets.
void RunPackageMenuCommand(const ServiceDefinitionList& list, int command, const ServiceRequestSink& requests,
                           const ServiceUrlOpener& opener = OpenUrlWithDesktop);

// The start-up call: loads the definitions below `programFolder`/Resource/Services and builds
// the menus on `bar`. The returned set holds the list for the command handlers and the title.
ServiceDefinitionSet InstallServiceMenus(const std::string& programFolder, QMenuBar& bar,
                                         const ServiceTextLookup& text, const ServiceCommandSink& sink);
