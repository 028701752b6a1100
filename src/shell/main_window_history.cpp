// The main window's side of the folder history, the bookmarks, Back and Forward and the file
// manager command: the menus are rebuilt from the settings, never edited in place.
#include <filesystem>

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "files/folder_history.h"
#include "framework/string_table.h"
#include "library/status_lines.h"
#include "shell/command_action.h"
#include "shell/main_window.h"
#include "shell/menu_resources.h"
#include "shell/message_box.h"
#include "shell/view_commands.h"

namespace {

constexpr int kBookmarkMenuIndex = 4;
constexpr int kCommandExplore = 40073;
// The separator before the bookmarks carries the number below the first one, so that the
// rebuild finds it with them.
constexpr int kBookmarkSeparator = kFirstBookmarkCommand - 1;

// Removes the program's own numbered entries (first to last) and appends `entries`.
void RebuildNumberedEntries(QMenu* menu, int first, int last, const std::vector<FolderLink>& entries, int firstCommand,
                            const std::function<void(int)>& sink)
{
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        bool numbered = false;
        const int command = action->data().toInt(&numbered);
        if (numbered && command >= first && command <= last) {
            menu->removeAction(action);
            delete action;
        }
    }
    if (entries.empty())
        return;
    if (firstCommand == kFirstBookmarkCommand && !menu->actions().isEmpty()) {
        QAction* separator = menu->addSeparator();
        separator->setData(kBookmarkSeparator);
    }
    for (size_t i = 0; i < entries.size(); ++i)
        menu->addAction(MakeCommandAction(entries[i].name, firstCommand + static_cast<int>(i), sink, menu));
}

} // namespace

void MainWindow::RecordVisit(const std::string& folder)
{
    if (!m_followingTrail)
        m_trail.Visit(folder);
    AddToHistory(folder, FolderDisplayName(folder));
    BuildHistoryMenu();
    RefreshButtons();
}

void MainWindow::GoAlongTrail(bool forward)
{
    if (!m_services->AskBeforeLeaving())
        return;
    const std::optional<std::string> folder = forward ? m_trail.Forward() : m_trail.Back();
    if (!folder)
        return;
    m_followingTrail = true;
    OpenFolder(*folder);
    m_followingTrail = false;
}

void MainWindow::BuildHistoryMenu()
{
    if (!m_menus)
        return;
    RebuildNumberedEntries(m_menus->NamedMenu("history"), kFirstHistoryCommand,
                           kFirstHistoryCommand + kMaxHistoryEntries - 1, ReadStoredHistory(), kFirstHistoryCommand,
                           [this](int command) { m_dispatcher.Dispatch(command); });
}

void MainWindow::BuildBookmarkMenu()
{
    if (!m_menus)
        return;
    RebuildNumberedEntries(MenuAt(menuBar(), kBookmarkMenuIndex), kBookmarkSeparator,
                           kFirstBookmarkCommand + kMaxBookmarks - 1, ReadStoredBookmarks(), kFirstBookmarkCommand,
                           [this](int command) { m_dispatcher.Dispatch(command); });
}

void MainWindow::OpenFolderLink(const std::optional<FolderLink>& entry)
{
    const std::optional<std::string> folder = entry ? ExistingFolderOf(*entry) : std::nullopt;
    if (!folder) {
        ShowErrorMessage(this, "ZORX_FolderNotFound");
        return;
    }
    OpenFolder(*folder);
}

void MainWindow::RegisterFolderHistoryCommands()
{
    const auto entryAt = [](const std::vector<FolderLink>& entries, int index) -> std::optional<FolderLink> {
        if (index < 0 || static_cast<size_t>(index) >= entries.size())
            return std::nullopt;
        return entries[static_cast<size_t>(index)];
    };
    m_dispatcher.RegisterRange(kFirstHistoryCommand, kFirstHistoryCommand + kMaxHistoryEntries - 1,
                               [this, entryAt](int command) {
                                   if (m_services->AskBeforeLeaving())
                                       OpenFolderLink(entryAt(ReadStoredHistory(), command - kFirstHistoryCommand));
                               });
    m_dispatcher.RegisterRange(kFirstBookmarkCommand, kFirstBookmarkCommand + kMaxBookmarks - 1,
                               [this, entryAt](int command) {
                                   if (m_services->AskBeforeLeaving())
                                       OpenFolderLink(entryAt(ReadStoredBookmarks(), command - kFirstBookmarkCommand));
                               });
    m_dispatcher.Register(kCommandBack, [this] { GoAlongTrail(false); });
    m_dispatcher.Register(kCommandForward, [this] { GoAlongTrail(true); });
    m_dispatcher.Register(kCommandUpOneLevel, [this] {
        const std::filesystem::path parent = std::filesystem::path(m_currentFolder).parent_path();
        if (!m_currentFolder.empty() && m_currentFolder != "/" && m_services->AskBeforeLeaving())
            OpenFolder(parent.string());
    });
    // The file manager on the first selected folder, or else on the folder shown.
    m_dispatcher.Register(kCommandExplore, [this] {
        std::string folder = m_currentFolder;
        for (const MediaItem& item : m_itemList.Items()) {
            if (item.selected && !item.hidden) {
                if (item.IsFolder())
                    folder = item.fullPath;
                break;
            }
        }
        if (!folder.empty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
    });
}
