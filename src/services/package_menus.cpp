#include "services/package_menus.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QString>

#include "framework/program_folder.h"
#include "shell/command_action.h"

namespace fs = std::filesystem;

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAction* MakeSeparator(QObject* parent)
{
    auto* separator = new QAction(parent);
    separator->setSeparator(true);
    return separator;
}

// The action now at `index` of `actions`, or null to append.
QAction* ActionAt(const QList<QAction*>& actions, int index)
{
    return index < actions.size() ? actions[index] : nullptr;
}

std::string LookUp(const ServiceTextLookup& text, std::string_view name)
{
    return text ? text(name) : std::string(name);
}

QMenu* BuildPackageMenu(const ServiceDefinition& record, int recordIndex, const ServiceTextLookup& text,
                        const ServiceCommandSink& sink, QMenuBar& bar)
{
    auto* menu = new QMenu(FromUtf8(record.packageMenuCaption), &bar);
    menu->addAction(MakeCommandAction(LookUp(text, "ZORX_MENU_MenuUpdate"), UpdateMenuCommand(recordIndex), sink, menu));
    menu->addAction(MakeCommandAction(LookUp(text, "ZORX_MENU_MenuDelete"), DeleteMenuCommand(recordIndex), sink, menu));
    if (!record.packageEntries.empty()) {
        menu->addSeparator();
        const int count = std::min<int>(static_cast<int>(record.packageEntries.size()), kMaxPackageMenuEntries);
        for (int entry = 0; entry < count; ++entry) {
            menu->addAction(MakeCommandAction(record.packageEntries[entry].captionEx,
                                              PackageEntryCommand(recordIndex, entry), sink, menu));
        }
    }
    if (record.menuInsert) {
        menu->addSeparator();
        menu->addAction(
            MakeCommandAction(LookUp(text, "ZORX_MENU_SoftwareUpdate"), SoftwareUpdateCommand(recordIndex), sink, menu));
    }
    return menu;
}

bool HasUnsafePart(const QString& source)
{
    const QString trimmed = source.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('/')) || trimmed.startsWith(QLatin1Char('\\'))
        || trimmed.startsWith(QLatin1Char('~')))
        return true;
    // "file:", "C:" and any other scheme or drive form.
    if (trimmed.contains(QLatin1Char(':')))
        return true;
    const QStringList parts = QString(trimmed).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.trimmed() == QLatin1String(".."))
            return true;
    }
    return false;
}

std::optional<QUrl> FileTargetUrl(const ServiceEntry& entry)
{
    const QString source = FromUtf8(entry.actionSource);
    if (entry.folder.empty() || HasUnsafePart(source))
        return std::nullopt;
    const fs::path folder(entry.folder);
    const fs::path target = folder / QString(source).replace(QLatin1Char('\\'), QLatin1Char('/')).toStdString();
    // A link inside the package may still lead out of it.
    std::error_code error;
    const fs::path realFolder = fs::weakly_canonical(folder, error);
    const fs::path realTarget = error ? fs::path() : fs::weakly_canonical(target, error);
    if (error)
        return std::nullopt;
    const std::string folderText = realFolder.string();
    const std::string targetText = realTarget.string();
    if (targetText.size() <= folderText.size() || !targetText.starts_with(folderText)
        || (folderText.back() != '/' && targetText[folderText.size()] != '/'))
        return std::nullopt;
    return QUrl::fromLocalFile(QString::fromStdString(targetText));
}

std::optional<QUrl> WebTargetUrl(const ServiceEntry& entry)
{
    const QUrl url(FromUtf8(entry.actionSource).trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

ServiceMenus BuildServiceMenus(QMenuBar& bar, const ServiceDefinitionList& list, const ServiceTextLookup& text,
                               const ServiceCommandSink& sink)
{
    ServiceMenus menus;
    const QList<QAction*> barActions = bar.actions();
    QMenu* help = kHelpMenuBarIndex < barActions.size() ? barActions[kHelpMenuBarIndex]->menu() : nullptr;
    if (help != nullptr) {
        int position = 0;
        for (const HelpMenuItem& item : HelpMenuLayout(list)) {
            QAction* action = item.separator
                ? MakeSeparator(help)
                : MakeCommandAction(list[item.recordIndex].helpEntries[item.entryIndex].captionEx, item.command,
                                    sink, help);
            help->insertAction(ActionAt(help->actions(), position++), action);
            menus.helpActions.push_back(action);
        }
    }

    const int count = std::min<int>(static_cast<int>(list.size()), kMaxPackageMenus);
    for (int record = 0; record < count; ++record) {
        QMenu* menu = BuildPackageMenu(list[record], record, text, sink, bar);
        bar.insertMenu(ActionAt(bar.actions(), kFirstPackageMenuBarIndex + record), menu);
        menus.packageMenus.push_back(menu);
    }
    return menus;
}

std::optional<QUrl> ServiceTargetUrl(const ServiceEntry& entry)
{
    if (entry.action == "File")
        return FileTargetUrl(entry);
    if (entry.action == "Web")
        return WebTargetUrl(entry);
    return std::nullopt;
}

bool OpenUrlWithDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool OpenServiceTarget(const ServiceEntry& entry, const ServiceUrlOpener& opener)
{
    const std::optional<QUrl> url = ServiceTargetUrl(entry);
    if (!url || !opener)
        return false;
    // A missing file still has its menu entry; opening it just does nothing.
    if (url->isLocalFile() && !fs::is_regular_file(url->toLocalFile().toStdString()))
        return false;
    return opener(*url);
}

bool RunHelpCommand(const ServiceDefinitionList& list, int command, const ServiceUrlOpener& opener)
{
    const ServiceEntry* entry = HelpEntryAt(list, command);
    return entry != nullptr && OpenServiceTarget(*entry, opener);
}

void RunPackageMenuCommand(const ServiceDefinitionList& list, int command, const ServiceRequestSink& requests,
                           const ServiceUrlOpener& opener)
{
    const PackageCommand decoded = DecodePackageCommand(list, command);
    if (decoded.kind == PackageCommandKind::None)
        return;
    if (decoded.kind == PackageCommandKind::Entry) {
        OpenServiceTarget(list[decoded.recordIndex].packageEntries[decoded.entryIndex], opener);
        return;
    }
    if (requests)
        requests(PackageRequestText(list, decoded));
}

ServiceDefinitionSet InstallServiceMenus(const std::string& programFolder, QMenuBar& bar,
                                         const ServiceTextLookup& text, const ServiceCommandSink& sink)
{
    ServiceDefinitionSet set = LoadServiceDefinitions(JoinPath(programFolder, kServicesFolder));
    BuildServiceMenus(bar, set.definitions, text, sink);
    return set;
}
