#include "shell/main_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include "files/folder_tree.h"
#include "framework/string_table.h"
#include "framework/text_template.h"
#include "library/item_sort.h"
#include "library/library_counts.h"
#include "library/status_lines.h"
#include "library/thumbnail_worker.h"
#include "services/host_functions.h"
#include "shell/app_settings.h"
#include "shell/information_area.h"
#include "shell/information_progress.h"
#include "shell/left_panel.h"
#include "shell/menu_resources.h"
#include "shell/message_box.h"
#include "shell/splitter_bar.h"
#include "shell/status_bar.h"
#include "shell/top_bar.h"
#include "shell/view_commands.h"
#include "views/filmstrip.h"
#include "views/menu_panel.h"
#include "views/preview_view.h"
#include "views/report_view.h"
#include "views/thumbnail_view.h"

namespace {

constexpr std::string_view kPostMarker = "<POST>";

WindowRect FromQRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

std::string PicturesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
}

QRect ToQRect(const WindowRect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

// The client area below the menu bar; every region is placed in it by number.
class MainClientArea : public QWidget {
public:
    MainClientArea(std::function<void()> onResize, QWidget* parent)
        : QWidget(parent)
        , m_onResize(std::move(onResize))
    {
        setObjectName("ClientArea");
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(0xF4, 0xF6, 0xFA));
        setPalette(palette);
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        m_onResize();
    }

private:
    std::function<void()> m_onResize;
};

} // namespace

WindowRect WorkAreaAt(int x, int y)
{
    QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {0, 0, 1024, 768};
    return FromQRect(screen->availableGeometry());
}

MainWindow::MainWindow(AppSettings& settings, QWidget* parent)
    : MainWindow(settings, ProgramThumbnailWorker(), parent)
{
}

MainWindow::MainWindow(AppSettings& settings, ThumbnailWorker& worker, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_worker(worker)
{
    setWindowTitle(kTitle);
    setMinimumSize(kMinimumSize.width, kMinimumSize.height);
    m_itemList.RestoreSortType(settings.sortType);
    CreateRegions();
    CreateServices();
    CreateFolderWatch();
    RegisterCommands();
    m_dispatcher.Register(kCommandProcessForwardedText, [this] { ProcessForwardedText(); });
    CreateMenus();
    BuildHistoryMenu();
    BuildBookmarkMenu();
    StartStartupServices();
    InstallServicePackages();
    RefreshMenuPanel();
}

void MainWindow::CreateMenus()
{
    m_menus = new MenuResources(MenuResources::LoadDefinition(), [this](int command) { m_dispatcher.Dispatch(command); },
                                this);
    m_menus->BuildMenuBar(menuBar());
    m_menus->InstallAccelerators(this);
    m_menus->SetRadioGroup({kCommandThumbnailsLarge, kCommandThumbnailsMedium, kCommandThumbnailsSmall,
                            kCommandPreview, kCommandReport});
    m_menus->SetRadioGroup({kCommandSortFirst, kCommandSortFirst + 1, kCommandSortFirst + 2, kCommandSortFirst + 3,
                            kCommandSortFirst + 4, kCommandSortFirst + 5});
    // Entries whose work is not in the program (a missing service module) are shown greyed.
    const auto enableEntries = [this](const std::vector<MenuEntry>& entries, const auto& self) -> void {
        for (const MenuEntry& entry : entries) {
            if (!entry.entries.empty())
                self(entry.entries, self);
            else if (entry.command != 0)
                m_menus->SetEnabled(entry.command, m_dispatcher.HasHandler(entry.command));
        }
    };
    for (const MenuResource& menu : m_menus->Definition().menus)
        enableEntries(menu.entries, enableEntries);
    RefreshViewMenuMarks();
}

void MainWindow::OpenContextMenu(QPoint globalPosition)
{
    const std::vector<MediaItem>& items = m_itemList.Items();
    const bool anySelected = std::any_of(items.begin(), items.end(), [](const MediaItem& item) {
        return item.selected;
    });
    const char* name = PeriodMode() ? "ZORX_CONTEXT_MENU_PM"
                       : anySelected ? "ZORX_CONTEXT_MENU_0"
                                     : "ZORX_CONTEXT_MENU_1";
    QMenu* menu = m_menus->BuildContextMenu(name, this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

MainWindow::~MainWindow()
{
    // The worker may still hold pointers into this window's items.
    m_worker.Cancel();
    if (CurrentServiceHost() == this)
        SetServiceHost(nullptr);
}

void MainWindow::CreateRegions()
{
    m_clientArea = new MainClientArea([this] { LayOut(); }, this);
    setCentralWidget(m_clientArea);

    m_splitter = new SplitterBar([this] { return m_leftLimits.Draggable(); },
                                 [this](int x) { DragSplitterTo(x); }, m_clientArea);
    m_statusBar = new StatusBar(m_clientArea);
    m_topBar = new TopBar([this](int command) { OnTopBarCommand(command); }, m_clientArea);
    m_leftPanel = new LeftPanel([this](int command) { OnLeftPanelCommand(command); }, m_clientArea);

    ViewHost host;
    host.sendCommand = [this](int command) { m_dispatcher.Dispatch(command); };
    host.selectionChanged = [this] { RefreshSelection(); };
    host.pointedItemChanged = [this](const MediaItem* item) { ShowPointedItem(item); };
    host.openContextMenu = [this](QPoint globalPosition) { OpenContextMenu(globalPosition); };
    host.startRename = [this](size_t index, QRect nameLine) { StartRename(index, nameLine); };
    host.startDrag = [this] { StartFileDrag(); };
    host.renameOpen = [this] { return !m_renameEditor.isNull(); };
    m_thumbnailView = new ThumbnailView(m_itemList.Items(), m_worker, host, m_clientArea);
    CreateFullAreaViews(host);

    m_folderTree = new FolderTree([this](const std::string& path) { OpenFolder(path); });
    m_menuPanel = CreateMenuPanel();
    // The period panel fills this page once it exists.
    auto* periodPanelPage = new QWidget;
    periodPanelPage->setObjectName("PeriodPanelPage");
    m_leftPanel->SetPages(m_menuPanel, m_folderTree, periodPanelPage);
    AcceptFileDrops();
    m_informationArea = new InformationArea;
    m_leftPanel->SetCompanion(m_informationArea);

    // Reserved for the start-up service's window; the client background shows through.
    m_rightColumn = nullptr;

    const LeftPage page = CurrentLeftPage();
    ShowLeftPageLimits(m_leftLimits, page, PeriodMode(), m_paneServiceActive);
    m_thumbnailView->Grid().SetThumbnailSize(ThumbnailSize());
    SetViewMode(m_settings.viewMode);
    RefreshTitle();
}

void MainWindow::LayOut()
{
    if (!m_clientArea)
        return;
    m_layout = LayoutMainWindow(m_clientArea->width(), m_clientArea->height(), m_statusBar->height(),
                                m_settings.windowLWidth, m_leftLimits);
    m_settings.windowLWidth = m_layout.leftWidth;
    m_topBar->setGeometry(ToQRect(m_layout.topBar));
    m_leftPanel->setGeometry(ToQRect(m_layout.leftPanel));
    m_thumbnailView->setGeometry(ToQRect(m_layout.viewArea));
    m_splitter->setGeometry(ToQRect(m_layout.splitter));
    if (m_rightColumn)
        m_rightColumn->setGeometry(ToQRect(m_layout.rightColumn));
    if (m_serviceMain)
        m_serviceMain->setGeometry(ToQRect(m_layout.viewArea));
    m_statusBar->setGeometry(0, m_clientArea->height() - m_statusBar->height(), m_clientArea->width(),
                             m_statusBar->height());
}

void MainWindow::CreateFullAreaViews(ViewHost host)
{
    SelectionCursor& cursor = m_thumbnailView->Grid().Cursor();
    host.sortRequested = [this](int sortType) { SetSortType(sortType); };
    m_reportView = new ReportView(m_itemList.Items(), m_worker, cursor);
    m_reportView->setObjectName("ReportView");
    m_reportView->SetHost(host);
    m_reportView->SetPeriodMode(PeriodMode());
    m_thumbnailView->InstallFullAreaView(m_reportView);
    m_previewView = new PreviewView(m_itemList.Items(), m_worker, cursor);
    m_previewView->setObjectName("PreviewView");
    host.itemRewritten = [this](const std::string& path) {
        m_itemList.MarkChanged(path.substr(path.rfind('/') + 1));
        // The preview reports the rewrite while it changes its current file: the list is read
        // again once that has finished, not under its feet.
        QTimer::singleShot(0, this, [this] { RefreshFolder(); });
    };
    m_previewView->SetHost(host);
    m_thumbnailView->InstallFullAreaView(m_previewView);
    // Shown by the view mode once the regions exist.
    m_views[1] = m_previewView;
    m_views[2] = m_reportView;
}

void MainWindow::ListChangedInViews()
{
    m_thumbnailView->ListChanged();
    m_reportView->ListChanged();
    m_previewView->ListChanged();
}

void MainWindow::DragSplitterTo(int clientX)
{
    m_settings.windowLWidth = DraggedLeftWidth(clientX, m_leftLimits);
    LayOut();
}

LeftPage MainWindow::CurrentLeftPage() const
{
    return m_settings.menuPanel == 1 ? LeftPage::MenuPanel : LeftPage::Navigation;
}

int MainWindow::ThumbnailSize() const
{
    return m_settings.thumbnailSize;
}

void MainWindow::SetThumbnailSize(int size)
{
    if (size < 0 || size > 2)
        return;
    m_settings.thumbnailSize = size;
    m_thumbnailView->Grid().SetThumbnailSize(size);
    RefreshButtons();
}

void MainWindow::SetBrowseMode(bool periodMode)
{
    if (periodMode == PeriodMode()) {
        RefreshButtons();
        return;
    }
    m_settings.pmMode = periodMode ? 1 : 0;
    const LeftPage page = CurrentLeftPage();
    ShowLeftPageLimits(m_leftLimits, page, periodMode, m_paneServiceActive);
    if (periodMode) {
        // The period list comes from the date index; until it is filled the view is empty.
        m_worker.Cancel();
        m_itemList.ChangeFolder({});
    } else {
        m_worker.Cancel();
        m_itemList.ChangeFolder(m_currentFolder);
        m_folderTree->SelectFolderPath(m_currentFolder);
    }
    m_reportView->SetPeriodMode(periodMode);
    ArmFolderWatch();
    ListChangedInViews();
    RefreshSelection();
    RefreshButtons();
    RefreshTitle();
    LayOut();
}

void MainWindow::ShowLeftPage(LeftPage page)
{
    m_settings.menuPanel = page == LeftPage::MenuPanel ? 1 : 0;
    ShowLeftPageLimits(m_leftLimits, page, PeriodMode(), m_paneServiceActive);
    RefreshButtons();
    LayOut();
}

void MainWindow::SetSortType(int sortType)
{
    if (!IsValidSortType(sortType) || PeriodMode())
        return;
    m_worker.Cancel();
    const bool needsInformation = SortNeedsAllInformation(sortType) && !m_itemList.AllInformationLoaded();
    int effective = 0;
    if (needsInformation) {
        RunWithInformationProgress(this, [&](const ItemList::Progress& progress) {
            effective = m_itemList.SetSortType(sortType, false, progress);
            return effective == sortType;
        });
    } else {
        effective = m_itemList.SetSortType(sortType, false);
    }
    m_settings.sortType = effective;
    ListChangedInViews();
    RefreshSelection();
    RefreshViewMenuMarks();
}

void MainWindow::RefreshButtons()
{
    m_topBar->ShowState(PeriodMode(), ShownViewMode(), m_settings.thumbnailSize, m_paneServiceActive,
                        {true, m_views[1] != nullptr, m_views[2] != nullptr});
    RefreshViewMenuMarks();
    const LeftPage page = CurrentLeftPage();
    m_leftPanel->ShowState(page, PeriodMode(), m_paneServiceActive, m_trail.CanGoBack(), m_trail.CanGoForward());
}

void MainWindow::RefreshViewMenuMarks()
{
    if (!m_menus)
        return;
    const int view = ShownViewMode();
    const int size = m_settings.thumbnailSize;
    m_menus->SetChecked(kCommandThumbnailsLarge, view == 0 && size == 2);
    m_menus->SetChecked(kCommandThumbnailsMedium, view == 0 && size == 1);
    m_menus->SetChecked(kCommandThumbnailsSmall, view == 0 && size == 0);
    m_menus->SetChecked(kCommandPreview, view == 1);
    m_menus->SetChecked(kCommandReport, view == 2);
    const int sortType = m_itemList.EffectiveSortType();
    for (int type = 0; type < kSortTypeCount; ++type)
        m_menus->SetChecked(kCommandSortFirst + type, type == sortType);
}

void MainWindow::RefreshTitle()
{
    setWindowTitle(QString::fromStdString(
        MainWindowTitle(m_serviceDefinitions.titleBase, PeriodMode(), FolderDisplayName(m_currentFolder))));
}

void MainWindow::RefreshSelection()
{
    std::vector<MediaItem>& items = m_itemList.Items();
    m_counts = Recount(items);
    m_informationArea->SetLines(InformationLines(items, m_counts, m_currentFolder, PeriodMode()));
    m_statusBar->SetText(0, QString::fromStdString(StatusBarText(m_counts, nullptr, PeriodMode())));
    m_previewView->SelectionRefreshed();
    RefreshMenuPanel();
}

void MainWindow::SelectOnlyItemAt(const std::string& path)
{
    std::vector<MediaItem>& items = m_itemList.Items();
    const auto found = std::find_if(items.begin(), items.end(), [&](const MediaItem& item) {
        return item.fullPath == path;
    });
    if (found == items.end())
        return;
    const size_t index = static_cast<size_t>(found - items.begin());
    ApplyClickSelection(items, m_thumbnailView->Grid().Cursor(), index, kModifierNone);
    m_thumbnailView->Grid().MakeFocusVisible();
    m_reportView->MakeFocusVisible();
    m_previewView->Strip().MakeFocusVisible();
    RefreshSelection();
}

void MainWindow::ShowFocusWhenNothingSelected()
{
    const std::vector<MediaItem>& items = m_itemList.Items();
    const size_t focus = m_thumbnailView->Grid().FocusIndex();
    if (focus < items.size() && !AnySelected(items))
        SelectOnlyItemAt(items[focus].fullPath);
}

void MainWindow::ShowPointedItem(const MediaItem* item)
{
    // The counts of the last listing or selection change: the pointer moves far more often.
    m_statusBar->SetText(0, QString::fromStdString(StatusBarText(m_counts, item, PeriodMode())));
}

void MainWindow::OnTopBarCommand(int command)
{
    const std::optional<int> mainCommand = MainCommandOfTopBar(command, ThumbnailSize());
    if (mainCommand)
        m_dispatcher.Dispatch(*mainCommand);
    m_thumbnailView->Grid().setFocus(Qt::OtherFocusReason);
    RefreshButtons();
}

void MainWindow::OnLeftPanelCommand(int command)
{
    const std::optional<int> mainCommand = MainCommandOfLeftPanel(command);
    if (mainCommand)
        m_dispatcher.Dispatch(*mainCommand);
    RefreshButtons();
}

void MainWindow::RegisterCommands()
{
    m_dispatcher.Register(kCommandOpen, [this] { OpenItem(); });
    m_dispatcher.Register(kCommandClose, [this] { close(); });
    m_dispatcher.Register(kCommandSelectAll, [this] {
        if (SendToPaneService("ZORX_SelectAll"))
            return;
        for (MediaItem& item : m_itemList.Items())
            item.selected = !item.hidden;
        m_thumbnailView->RepaintItems();
        RefreshSelection();
    });
    // Commands that leave the current screen ask an active pane service first.
    const auto leaving = [this](int command, CommandDispatcher::Handler handler) {
        m_dispatcher.Register(command, [this, handler] {
            if (m_services->AskBeforeLeaving())
                handler();
        });
    };
    m_dispatcher.Register(kCommandStopLoading, [this] { m_worker.Cancel(); });
    m_dispatcher.Register(kCommandDelete, [this] { DeleteSelection(); });
    RegisterFolderHistoryCommands();
    m_dispatcher.Register(kCommandCut, [this] { CopySelectionToClipboard(true, false); });
    m_dispatcher.Register(kCommandCopy, [this] { CopySelectionToClipboard(false, false); });
    m_dispatcher.Register(kCommandPaste, [this] { PasteFiles(); });
    m_dispatcher.Register(kCommandCopyToFolder, [this] { TransferSelectionToFolder(TransferMode::Copy); });
    m_dispatcher.Register(kCommandMoveToFolder, [this] { TransferSelectionToFolder(TransferMode::Move); });
    m_dispatcher.Register(kCommandNewFolder, [this] { CreateNewFolder(); });
    m_dispatcher.Register(kCommandCopyPicture, [this] {
        if (!SendToPaneService("ZORX_CopyToClipboard"))
            CopySelectionToClipboard(false, true);
    });
    m_dispatcher.Register(kCommandRefresh, [this] { RefreshFolder(); });
    leaving(kCommandFolderMode, [this] { SetBrowseMode(false); });
    leaving(kCommandPeriodMode, [this] { SetBrowseMode(true); });
    leaving(kCommandShowMenuPanel, [this] { ShowLeftPage(LeftPage::MenuPanel); });
    leaving(kCommandShowFolderTree, [this] {
        if (PeriodMode())
            SetBrowseMode(false);
        ShowLeftPage(LeftPage::Navigation);
    });
    leaving(kCommandShowPeriodPanel, [this] {
        if (!PeriodMode())
            SetBrowseMode(true);
        ShowLeftPage(LeftPage::Navigation);
    });
    for (int size = 0; size < 3; ++size) {
        leaving(ThumbnailCommandOfSize(size), [this, size] {
            SetViewMode(0);
            SetThumbnailSize(size);
        });
    }
    leaving(kCommandPreview, [this] { SetViewMode(1); });
    leaving(kCommandReport, [this] { SetViewMode(2); });
    for (int sortType = 0; sortType < kSortTypeCount; ++sortType)
        m_dispatcher.Register(kCommandSortFirst + sortType, [this, sortType] { SetSortType(sortType); });
}

void MainWindow::OpenItem()
{
    const std::vector<MediaItem>& items = m_itemList.Items();
    std::vector<const MediaItem*> selected;
    for (const MediaItem& item : items) {
        if (item.selected)
            selected.push_back(&item);
    }
    if (selected.empty())
        return;
    const bool allPictures = std::all_of(selected.begin(), selected.end(), [](const MediaItem* item) {
        return item->isImage;
    });
    // Pictures open enlarged in the program's own preview; from the preview, Open hands the
    // picture to the desktop's program for it.
    const bool previewAvailable = m_views[1] != nullptr;
    if (allPictures && (selected.front()->typeName == "RAF" || (previewAvailable && ShownViewMode() != 1))) {
        SetViewMode(1);
        return;
    }
    const std::string path = selected.front()->fullPath;
    if (path.empty())
        return;
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        ShowErrorText(this, FillTemplate(GetText("ZORX_NotFound"), {path}));
        return;
    }
    if (QFileInfo(QString::fromStdString(path)).isDir()) {
        OpenFolder(path);
        return;
    }
    m_dispatcher.RunService("Open");
    update();
}

int MainWindow::ViewMode() const
{
    return m_settings.viewMode;
}

bool MainWindow::PeriodMode() const
{
    return m_settings.pmMode != 0;
}

void MainWindow::PlaceAtStart(bool centre)
{
    WindowRect rect{m_settings.windowPosX, m_settings.windowPosY, m_settings.windowWidth,
                    m_settings.windowHeight};
    rect = ApplyMinimumSize(rect, kMinimumSize);
    rect = PlaceInWorkArea(rect, WorkAreaAt(rect.x, rect.y), centre);
    m_requestedOuterRect = rect;
    // The frame is known only once the window is shown; showEvent takes it off the size.
    resize(rect.width, rect.height);
    move(rect.x, rect.y);
    RefreshGeometrySettings();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_frameAdjusted || m_requestedOuterRect.width == 0)
        return;
    m_frameAdjusted = true;
    const QRect frame = frameGeometry();
    const int extraWidth = frame.width() - width();
    const int extraHeight = frame.height() - height();
    if (extraWidth > 0 || extraHeight > 0) {
        resize(std::max(m_requestedOuterRect.width - extraWidth, kMinimumSize.width),
               std::max(m_requestedOuterRect.height - extraHeight, kMinimumSize.height));
        move(m_requestedOuterRect.x, m_requestedOuterRect.y);
    }
}

void MainWindow::RefreshGeometrySettings()
{
    const QRect frame = frameGeometry();
    m_settings.windowPosX = frame.x();
    m_settings.windowPosY = frame.y();
    m_settings.windowWidth = frame.width();
    m_settings.windowHeight = frame.height();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (!isMinimized())
        RefreshGeometrySettings();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        RefreshGeometrySettings();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && centralWidget())
        centralWidget()->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if ((m_paneCloseQuery && !m_paneCloseQuery()) || !m_services->MayClose()) {
        event->ignore();
        return;
    }
    m_services->EndPaneService();
    m_services->FreeStartupServices();
    RefreshGeometrySettings();
    SaveSettingsOnClose(m_settings, m_currentFolder);
    event->accept();
}

void MainWindow::BringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::OpenFolder(const std::string& path)
{
    m_currentFolder = path;
    if (!PeriodMode()) {
        // Listing destroys the detail objects that the worker may be filling.
        m_worker.Cancel();
        m_itemList.ChangeFolder(path);
        ListChangedInViews();
        m_folderTree->SelectFolderPath(path);
        RefreshSelection();
        if (ShownViewMode() == 1)
            ShowFocusWhenNothingSelected();
    }
    ArmFolderWatch();
    RecordVisit(path);
    RefreshTitle();
    update();
}

void MainWindow::RefreshFolder()
{
    if (PeriodMode())
        return;
    m_worker.Cancel();
    m_itemList.Refresh();
    ListChangedInViews();
    RefreshSelection();
}

void MainWindow::SetViewMode(int viewMode)
{
    if (viewMode < 0 || viewMode > 2)
        return;
    m_settings.viewMode = viewMode;
    const int shown = ShownViewMode();
    if (shown == 0)
        m_thumbnailView->ShowThumbnails();
    else
        m_thumbnailView->ShowFullAreaView(m_views[static_cast<size_t>(shown)]);
    if (shown == 1)
        ShowFocusWhenNothingSelected();
    RefreshButtons();
    update();
}

void MainWindow::InstallView(int viewMode, QWidget* view)
{
    if (viewMode < 1 || viewMode > 2 || !view)
        return;
    m_views[static_cast<size_t>(viewMode)] = view;
    m_thumbnailView->InstallFullAreaView(view);
    SetViewMode(m_settings.viewMode);
}

int MainWindow::ShownViewMode() const
{
    const int mode = m_settings.viewMode;
    return mode > 0 && mode <= 2 && m_views[static_cast<size_t>(mode)] ? mode : 0;
}

CommandLineEnvironment MainWindow::Environment() const
{
    CommandLineEnvironment env;
    env.serviceRunning = m_serviceRunning;
    env.captureAtStart = m_captureAtStart;
    env.periodMode = PeriodMode();
    env.canonicalise = [](std::string_view path) { return CanonicalisePath(path); };
    env.isFolder = [](std::string_view path) { return IsFolderOrUnreadable(path); };
    return env;
}

void MainWindow::RunStartupPreScan(const std::string& argumentText)
{
    Execute(PreScanCommandLine(argumentText, Environment()));
}

void MainWindow::ProcessCommandLine(const std::string& argumentText, bool forwarded)
{
    Execute(InterpretCommandLine(argumentText, forwarded, Environment(), PicturesFolder()));
}

int MainWindow::ReceiveCopyData(const std::string& text)
{
    m_forwardedText = text;
    if (text.find(kPostMarker) == std::string::npos) {
        m_commandLine = text;
        ProcessCommandLine(text, true);
    }
    return 0;
}

void MainWindow::ProcessForwardedText()
{
    if (m_forwardedText.empty())
        return;
    std::string text = m_forwardedText;
    if (const size_t marker = text.find(kPostMarker); marker != std::string::npos)
        text.erase(marker, kPostMarker.size());
    m_commandLine = text;
    ProcessCommandLine(text, true);
}

void MainWindow::RunServiceAction(const CommandLineAction& action)
{
    if (action.keepCaptureText)
        m_autoCaptureCommandLine = m_commandLine;
    if (action.setsCaptureAtStart)
        m_captureAtStart = true;
    if (action.refreshAfterCapture)
        m_updateFolder.clear();
    m_serviceRunning = true;
    m_dispatcher.RunService(action.service);
    m_serviceRunning = false;
    if (action.refreshAfterCapture && !m_updateFolder.empty() && !PeriodMode())
        OpenFolder(m_currentFolder);
    update();
}

void MainWindow::Execute(const CommandLineAction& action)
{
    using Kind = CommandLineAction::Kind;
    if (!action.missingPath.empty()) {
        // At start the window is not up yet: the message waits for the event loop.
        QTimer::singleShot(0, this, [this, path = action.missingPath] {
            ShowErrorText(this, FillTemplate(GetText("ZORX_NotFound"), {path}));
        });
    }
    switch (action.kind) {
    case Kind::Nothing:
    case Kind::RefreshPanels:
    case Kind::UpdateAllIndexes: update(); break;
    case Kind::KeepCaptureText: m_autoCaptureCommandLine = m_commandLine; break;
    case Kind::RunService: RunServiceAction(action); break;
    case Kind::PreviewOnly: SetViewMode(1); break;
    case Kind::ShowFile:
        if (action.switchToPreview)
            SetViewMode(1);
        if (action.openFileFolder)
            OpenFolder(ParentFolderOf(action.path));
        m_focusedPath = action.path;
        SelectOnlyItemAt(action.path);
        update();
        break;
    case Kind::OpenFolder: OpenFolder(action.path); break;
    }
}
