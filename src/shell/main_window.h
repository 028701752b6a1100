#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "files/file_transfer.h"
#include "files/folder_history.h"
#include "files/folder_watch.h"
#include "framework/window_placement.h"
#include "library/item_list.h"
#include "library/library_counts.h"
#include "shell/command_dispatcher.h"
#include "shell/command_line.h"
#include "shell/main_layout.h"
#include "services/service_host.h"
#include "services/service_menu_entries.h"
#include "services/service_commands.h"
#include "services/service_definitions.h"
#include "services/service_runner.h"
#include "views/view_host.h"

struct AppSettings;
class FolderTree;
class InformationArea;
class LeftPanel;
class MenuPanel;
class MenuResources;
class SplitterBar;
class StatusBar;
class PreviewView;
class ReportView;
class ThumbnailView;
class ThumbnailWorker;
class TopBar;

// The browser's main window: owns the command dispatcher, the item list of the current folder
// and the command line state; lays out its regions (top bar, left panel, splitter, view area,
// right column, status bar), switches modes, views and sizes, carries out command-line actions,
// and saves the settings when it accepts a close. Main thread only.
class MainWindow : public QMainWindow, public ServiceHost, public ServicePaneHost {
    Q_OBJECT

public:
    inline static constexpr WindowSize kMinimumSize{800, 600};
    inline static constexpr const char* kTitle = "VistrelViewer";

    explicit MainWindow(AppSettings& settings, QWidget* parent = nullptr);
    MainWindow(AppSettings& settings, ThumbnailWorker& worker, QWidget* parent = nullptr);
    ~MainWindow() override;

    CommandDispatcher& Dispatcher() { return m_dispatcher; }

    // Places the window from the stored geometry: at least the minimum size, centred when
    // asked (the very first start), and always fully inside the work area of its screen.
    void PlaceAtStart(bool centre);

    // The shell's view of the running program.
    const std::string& CurrentFolder() const override { return m_currentFolder; }
    const std::string& FocusedPath() const { return m_focusedPath; }
    const std::string& CommandLine() const override { return m_commandLine; }
    const std::string& AutoCaptureCommandLine() const { return m_autoCaptureCommandLine; }
    bool CaptureAtStart() const { return m_captureAtStart; }
    int ViewMode() const;
    bool PeriodMode() const;

    void SetCommandLine(std::string text) { m_commandLine = std::move(text); }
    // Lists the folder (cancelling the background loader first) and shows it.
    void OpenFolder(const std::string& path);
    // Lists the current folder again, keeping what is loaded for unchanged items.
    void RefreshFolder();
    // Stores the view mode and shows its view; a view the program does not have yet leaves the
    // thumbnails in place.
    void SetViewMode(int viewMode);
    // The view that fills the view area in view mode 1 (preview) or 2 (report).
    void InstallView(int viewMode, QWidget* view);
    // The view mode whose view is on screen.
    int ShownViewMode() const;
    void SetThumbnailSize(int size);
    int ThumbnailSize() const;
    void SetBrowseMode(bool periodMode);
    void ShowLeftPage(LeftPage page);
    LeftPage CurrentLeftPage() const;
    // Sorts by type 0 to 5; the date, dimension and duration sorts read every file first.
    void SetSortType(int sortType);

    ItemList& Items() { return m_itemList; }
    const LeftWidthLimits& LeftLimits() const { return m_leftLimits; }
    int LeftWidth() const { return m_layout.leftWidth; }
    const MainLayout& Layout() const { return m_layout; }
    // The client-area x the splitter was dragged to.
    void DragSplitterTo(int clientX);

    TopBar& TopBarWidget() { return *m_topBar; }
    LeftPanel& LeftPanelWidget() { return *m_leftPanel; }
    FolderTree& FolderTreeWidget() { return *m_folderTree; }
    MenuPanel& MenuPanelWidget() { return *m_menuPanel; }
    ThumbnailView& ThumbnailViewWidget() { return *m_thumbnailView; }
    StatusBar& StatusBarWidget() { return *m_statusBar; }
    InformationArea& InformationAreaWidget() { return *m_informationArea; }
    QWidget& ClientArea() { return *m_clientArea; }
    MenuResources& Menus() { return *m_menus; }

    // The status lines and the status bar after a listing or a selection change.
    void RefreshSelection();

    // The start-up pre-scan (folder mode) and the full option pass.
    void RunStartupPreScan(const std::string& argumentText);
    void ProcessCommandLine(const std::string& argumentText, bool forwarded);

    // A text from another process; returns the handler's result (0). Texts with "<POST>" wait
    // for the command that a sender posts after it.
    int ReceiveCopyData(const std::string& text);

    // Restores a minimised window, shows it and brings it to the front.
    void BringToFront();

    // Asked before the window closes while a pane service is active; false refuses the close.
    void SetPaneCloseQuery(std::function<bool()> query) { m_paneCloseQuery = std::move(query); }

    ServiceRunner& Services() { return *m_services; }
    // Loads the start-up services; "ServiceCustomize" may make the right column.
    void StartStartupServices();
    // The installed service packages: help entries, package menus and the title.
    void InstallServicePackages();
    const ServiceDefinitionSet& ServicePackages() const { return m_serviceDefinitions; }
    const std::string& UpdateFolder() const { return m_updateFolder; }
    const ServiceMenuEntries& HelperEntries() const { return m_helperEntries; }
    const ServiceMenuEntries& ProgramEntries() const { return m_programEntries; }

    // What services read and set (the host functions).
    ServiceFileLists Files(ServiceFileScope scope) override;
    const LibraryCounts& Counts() override;
    std::string CurrentFolderName() const override;
    std::vector<uint8_t> CurrentFolderData() const override;
    std::string CommandLineForAutoCapture() const override { return m_autoCaptureCommandLine; }
    bool IsPeriodMode() const override { return PeriodMode(); }
    bool IsPreviewMode() const override { return ShownViewMode() == 1; }
    bool NetPrintEnabled() const override;
    void SetLeftWidthLimits(int minimum, int maximum) override;
    void SetDialogWindow(QWidget* dialog) override { m_dialogWindow = dialog; }
    void ExitPaneService() override;
    QMenu* ProgramMenu() override;
    QMenu* ToolMenu() override;
    MenuRunState MenuRun() const override { return m_services->MenuRun(); }
    void SetHelperMenuCount(int count) override { m_helperEntries.SetCount(count); }
    void SetHelperMenu(int index, std::string caption, int32_t command, std::string secondText) override;
    void SetProgramMenuCount(int count) override { m_programEntries.SetCount(count); }
    void SetProgramMenu(int index, std::string caption, int32_t command, std::string secondText) override;
    void AddUpdateFile(std::string path) override { m_updateFiles.push_back(std::move(path)); }
    // The folder that a service named as changed (cleared before running one).
    void SetUpdateFolder(std::string path) override;

    // Swapping a pane service's windows in and out.
    QWidget* MainWindowWidget() override { return this; }
    QWidget* LeftPageParent() override;
    void HideOwnWindows() override;
    void ShowServiceWindows(QWidget* left, QWidget* main) override;
    void RestoreOwnWindows() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateRegions();
    void CreateMenus();
    // The menu panel with its section states from the settings and its left-panel commands.
    MenuPanel* CreateMenuPanel();
    // What the menu panel offers for the current selection, menu states and service entries.
    void RefreshMenuPanel();
    // The report view and the preview, sharing the grid's items, focus and anchor.
    void CreateFullAreaViews(ViewHost host);
    // After the item list was rebuilt or re-sorted: every view lays out again.
    void ListChangedInViews();
    void OpenContextMenu(QPoint globalPosition);
    void RegisterCommands();
    // The service runner, the service commands and the start-up services.
    void CreateServices();
    ServiceCommandActions ServiceActions();
    bool TurnPreviewDisplayOnly(int command);
    // Hands a command to the active pane service's window instead; false when none is active.
    bool SendToPaneService(const char* text);
    void RefreshAfterService();
    // The delete command: the selection, or the current folder when the folder tree has the focus.
    void DeleteSelection();
    void DeleteCurrentFolder();
    // Cut and copy put the selection with its companions on the clipboard for the file managers;
    // `withPicture` adds the picture itself for programs that paste pictures.
    void CopySelectionToClipboard(bool cut, bool withPicture);
    // The in-place rename of a listed item over its name line, and its checks when typed.
    void StartRename(size_t index, QRect nameLine);
    void FinishRename(const std::string& oldPath, const std::string& typed);
    // Drags the selection with its companions out of a view, to a file manager or the desktop.
    void StartFileDrag();
    // Copies or moves files into a folder with progress and conflict questions, reports what
    // failed or was left out, and lists the folder again; true when everything was done.
    bool TransferInto(const std::vector<std::string>& paths, const std::string& folder, TransferMode mode,
                      const std::vector<std::string>& leftOut);
    void PasteFiles();
    // Copy to Folder and Move to Folder: the folder asked for, starting at the last one chosen.
    void TransferSelectionToFolder(TransferMode mode);
    void CreateNewFolder();
    // The views and the folder tree take files dropped from other programs.
    void AcceptFileDrops();
    // The watch on the shown folder: armed with every folder opened, suspended around the
    // program's own changes of files, and its notifications turned into commands 49001/49002.
    void CreateFolderWatch();
    void ArmFolderWatch();
    void SuspendFolderWatch();
    void OnFolderWatch(const FolderWatch::Notification& notification);
    // Every opened folder goes into the history and the session's trail.
    void RecordVisit(const std::string& folder);
    void GoAlongTrail(bool forward);
    void BuildHistoryMenu();
    void BuildBookmarkMenu();
    void RegisterFolderHistoryCommands();
    void OpenFolderLink(const std::optional<FolderLink>& entry);
    void LayOut();
    void RefreshTitle();
    void RefreshButtons();
    // The View menu's radio marks: the shown view with the thumbnail size, and the sort order.
    void RefreshViewMenuMarks();
    void OnTopBarCommand(int command);
    void OnLeftPanelCommand(int command);
    void OpenItem();
    void ShowPointedItem(const MediaItem* item);
    // Selects only the listed item with this path and makes it the focus, in view everywhere.
    void SelectOnlyItemAt(const std::string& path);
    // The preview shows the selection's first item: with nothing selected, the focus item is
    // selected so that it does not stay empty.
    void ShowFocusWhenNothingSelected();
    void ProcessForwardedText();
    void Execute(const CommandLineAction& action);
    void RunServiceAction(const CommandLineAction& action);
    void RefreshGeometrySettings();
    CommandLineEnvironment Environment() const;

    AppSettings& m_settings;
    ThumbnailWorker& m_worker;
    CommandDispatcher m_dispatcher;
    ItemList m_itemList;
    LibraryCounts m_counts;
    LeftWidthLimits m_leftLimits;
    MainLayout m_layout;
    QWidget* m_clientArea = nullptr;
    MenuResources* m_menus = nullptr;
    TopBar* m_topBar = nullptr;
    LeftPanel* m_leftPanel = nullptr;
    FolderTree* m_folderTree = nullptr;
    MenuPanel* m_menuPanel = nullptr;
    InformationArea* m_informationArea = nullptr;
    SplitterBar* m_splitter = nullptr;
    ThumbnailView* m_thumbnailView = nullptr;
    ReportView* m_reportView = nullptr;
    PreviewView* m_previewView = nullptr;
    std::array<QWidget*, 3> m_views{}; // by view mode; the thumbnails are the view area itself
    QWidget* m_rightColumn = nullptr;
    StatusBar* m_statusBar = nullptr;
    bool m_paneServiceActive = false;
    std::unique_ptr<ServiceRunner> m_services;
    QPointer<QWidget> m_serviceMain;
    QPointer<QWidget> m_dialogWindow;
    QPointer<QWidget> m_renameEditor;
    NavigationTrail m_trail;
    std::string m_lastDestination; // of copy and move to a folder, kept while the program runs
    std::unique_ptr<FolderWatch> m_watch;
    bool m_followingTrail = false;
    ServiceMenuEntries m_helperEntries;
    ServiceMenuEntries m_programEntries;
    std::vector<std::string> m_updateFiles;
    ServiceDefinitionSet m_serviceDefinitions;
    std::function<bool()> m_paneCloseQuery;
    std::string m_currentFolder;
    std::string m_focusedPath;
    std::string m_commandLine;
    std::string m_autoCaptureCommandLine;
    std::string m_forwardedText;
    std::string m_updateFolder;
    bool m_captureAtStart = false;
    bool m_serviceRunning = false;
    WindowRect m_requestedOuterRect;
    bool m_frameAdjusted = false;
};

// The work area (screen minus panels) of the screen that holds the point, or of the primary
// screen.
WindowRect WorkAreaAt(int x, int y);
