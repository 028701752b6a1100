// The main window as the host of service modules: what the host functions read from it, how a
// pane service's windows take the place of its own, and the service commands around it.
#include <unistd.h>

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "framework/program_folder.h"
#include "library/status_lines.h"
#include "services/host_functions.h"
#include "services/package_menus.h"
#include "framework/string_table.h"
#include "shell/item_id_list.h"
#include "shell/left_panel.h"
#include "shell/main_window.h"
#include "shell/menu_resources.h"
#include "shell/app_settings.h"
#include "shell/top_bar.h"
#include "views/preview_view.h"
#include "views/thumbnail_grid.h"
#include "views/thumbnail_view.h"

namespace {
constexpr int kToolMenuIndex = 5;
constexpr int kFileMenuIndex = 0;
constexpr int kProgramMenuPosition = 2;
constexpr int kFirstPackageCommand = 45000;
constexpr int kLastPackageCommand = 45999;
constexpr int kFirstHelpCommand = 46000;
constexpr int kLastHelpCommand = 46999;
constexpr int kCommandFirstHelpEntry = 40033;

void SendCopyData(QWidget* window, const char* text)
{
    if (!window)
        return;
    VistrelCopyDataEvent event{QByteArray(text)};
    QCoreApplication::sendEvent(window, &event);
}
} // namespace

void MainWindow::CreateServices()
{
    m_services = std::make_unique<ServiceRunner>(ResolveProgramPath("System"), *this, HostGetProcAddress);
    SetServiceHost(this);
    m_dispatcher.SetServiceRunner([this](std::string_view name) { return m_services->Run(name); });
    RegisterServiceCommands(m_dispatcher, *m_services, ServiceActions());
    // The package commands; the packages themselves are installed once the menus exist.
    m_dispatcher.RegisterRange(kFirstPackageCommand, kLastPackageCommand, [this](int command) {
        RunPackageMenuCommand(m_serviceDefinitions.definitions, command, [this](const std::string& text) {
            SendCopyData(m_rightColumn, text.c_str());
        });
    });
    m_dispatcher.RegisterRange(kFirstHelpCommand, kLastHelpCommand, [this](int command) {
        RunHelpCommand(m_serviceDefinitions.definitions, command);
    });
    m_dispatcher.Register(kCommandFirstHelpEntry, [this] {
        RunHelpCommand(m_serviceDefinitions.definitions, kFirstHelpCommand);
    });
}

void MainWindow::InstallServicePackages()
{
    m_serviceDefinitions = InstallServiceMenus(
        ProgramFolder(), *menuBar(), [](std::string_view key) { return GetText(key); },
        [this](int command) { m_dispatcher.Dispatch(command); });
    RefreshTitle();
}

ServiceCommandActions MainWindow::ServiceActions()
{
    ServiceCommandActions actions;
    actions.stopWatching = [this] { SuspendFolderWatch(); };
    actions.startWatching = [this] { ArmFolderWatch(); };
    actions.clearUpdateFolder = [this] {
        m_updateFolder.clear();
        m_updateFiles.clear();
    };
    actions.updateFolderSet = [this] { return !m_updateFolder.empty(); };
    actions.refreshAfterService = [this] { RefreshAfterService(); };
    actions.reloadPreview = [this] {
        if (!m_previewView->CurrentPath().empty())
            m_itemList.MarkChanged(m_previewView->CurrentPath().substr(m_previewView->CurrentPath().rfind('/') + 1));
    };
    actions.turnPreviewDisplayOnly = [this](int command) { return TurnPreviewDisplayOnly(command); };
    actions.beforeSlideShow = [this] { m_worker.Cancel(); };
    actions.bookmarksChanged = [this] { BuildBookmarkMenu(); };
    actions.repaint = [this] { update(); };
    return actions;
}

bool MainWindow::TurnPreviewDisplayOnly(int command)
{
    const std::string& path = m_previewView->CurrentPath();
    if (ShownViewMode() != 1 || path.empty() || access(path.c_str(), W_OK) == 0)
        return false;
    // Counter-clockwise quarter turns; the clockwise command steps back without going negative.
    const int step = m_previewView->Rotation();
    m_previewView->SetRotation(command == kCommandRotateCW ? (step + 3) % 4 : (step + 1) % 4);
    return true;
}

void MainWindow::RefreshAfterService()
{
    for (const MediaItem& item : m_itemList.Items())
        if (item.selected)
            m_itemList.MarkChanged(item.fileName);
    for (const std::string& path : m_updateFiles)
        m_itemList.MarkChanged(path.substr(path.rfind('/') + 1));
    if (!PeriodMode())
        RefreshFolder();
}

ServiceFileLists MainWindow::Files(ServiceFileScope scope)
{
    std::vector<MediaItem>& items = m_itemList.Items();
    m_counts = Recount(items);
    size_t first = 0;
    size_t last = items.empty() ? 0 : items.size() - 1;
    if (scope == ServiceFileScope::Displayed) {
        const std::optional<VisibleRange> range = m_thumbnailView->Grid().VisibleItems();
        if (!range || items.empty())
            return {};
        first = range->first;
        last = std::min(range->last, items.size() - 1);
    }
    ServiceFileLists lists;
    for (size_t i = first; i <= last && i < items.size(); ++i) {
        const MediaItem& item = items[i];
        if (item.hidden || (scope == ServiceFileScope::Selected && !item.selected))
            continue;
        lists.paths.push_back(item.fullPath);
        lists.memoPaths.push_back(item.hasSoundMemo ? item.soundMemoPath : std::string());
        lists.companionPaths.push_back(item.hasRawCompanion ? item.rawCompanionPath : std::string());
    }
    return lists;
}

const LibraryCounts& MainWindow::Counts()
{
    m_counts = Recount(m_itemList.Items());
    return m_counts;
}

std::string MainWindow::CurrentFolderName() const
{
    return FolderDisplayName(m_currentFolder);
}

std::vector<uint8_t> MainWindow::CurrentFolderData() const
{
    return EncodeItemIdList(m_currentFolder);
}

bool MainWindow::NetPrintEnabled() const
{
    return m_settings.enableNetPrint;
}

void MainWindow::SetLeftWidthLimits(int minimum, int maximum)
{
    m_leftLimits.minimum = minimum;
    m_leftLimits.maximum = maximum;
    LayOut();
}

void MainWindow::ExitPaneService()
{
    m_dispatcher.Dispatch(kCommandEndPaneService);
}

QMenu* MainWindow::ProgramMenu()
{
    return SubMenuAt(MenuAt(menuBar(), kFileMenuIndex), kProgramMenuPosition);
}

QMenu* MainWindow::ToolMenu()
{
    return MenuAt(menuBar(), kToolMenuIndex);
}

void MainWindow::SetHelperMenu(int index, std::string caption, int32_t command, std::string secondText)
{
    m_helperEntries.Set(index, {std::move(caption), command, std::move(secondText)});
    RefreshMenuPanel();
}

void MainWindow::SetProgramMenu(int index, std::string caption, int32_t command, std::string secondText)
{
    m_programEntries.Set(index, {std::move(caption), command, std::move(secondText)});
    RefreshMenuPanel();
}

void MainWindow::SetUpdateFolder(std::string path)
{
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    m_updateFolder = std::move(path);
}

QWidget* MainWindow::LeftPageParent()
{
    return m_leftPanel;
}

void MainWindow::HideOwnWindows()
{
    m_paneServiceActive = true;
    m_thumbnailView->hide();
    m_thumbnailView->setEnabled(false);
    RefreshButtons();
}

void MainWindow::ShowServiceWindows(QWidget* left, QWidget* main)
{
    m_leftPanel->SetServicePage(left);
    main->setParent(m_clientArea);
    m_serviceMain = main;
    main->show();
    LayOut();
}

void MainWindow::RestoreOwnWindows()
{
    m_leftPanel->SetServicePage(nullptr);
    m_serviceMain = nullptr;
    m_paneServiceActive = false;
    m_leftLimits.minimum = m_leftLimits.normalMinimum;
    m_leftLimits.maximum = m_leftLimits.normalMaximum;
    ShowLeftPageLimits(m_leftLimits, CurrentLeftPage(), PeriodMode(), false);
    m_thumbnailView->setEnabled(true);
    m_thumbnailView->show();
    RefreshButtons();
    LayOut();
}

void MainWindow::StartStartupServices()
{
    // Whatever the start-up service does to the left width limits while it starts is undone.
    const LeftWidthLimits limits = m_leftLimits;
    m_rightColumn = m_services->StartStartupServices(m_clientArea);
    m_leftLimits = limits;
    if (m_rightColumn) {
        m_rightColumn->setParent(m_clientArea);
        m_rightColumn->show();
        SendCopyData(m_rightColumn, m_captureAtStart ? "ZORX_AutoCaptureStartup" : "ZORX_Startup");
    }
    // Placed by the first layout once the window has its size.
}

bool MainWindow::SendToPaneService(const char* text)
{
    if (!m_services->PaneActive())
        return false;
    SendCopyData(m_services->PaneMainWindow(), text);
    return true;
}
