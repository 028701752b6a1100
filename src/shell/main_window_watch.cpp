// The main window's side of the folder change watch: changes made by other programs appear on
// their own, one refresh per burst, and the program's own changes do not refresh twice.
#include <filesystem>

#include <QMetaObject>

#include "files/folder_tree.h"
#include "library/thumbnail_worker.h"
#include "shell/main_window.h"

namespace {

constexpr int kCommandFolderChanged = 49001;
constexpr int kCommandFoldersChanged = 49002;

} // namespace

void MainWindow::CreateFolderWatch()
{
    // The watch calls on its own thread; the window takes it up on the main thread, where a
    // notification about a folder shown before is dropped.
    m_watch = std::make_unique<FolderWatch>([this](const FolderWatch::Notification& notification) {
        QMetaObject::invokeMethod(this, [this, notification] { OnFolderWatch(notification); }, Qt::QueuedConnection);
    });
    m_dispatcher.Register(kCommandFolderChanged, [this] { RefreshFolder(); });
    m_dispatcher.Register(kCommandFoldersChanged, [this] {
        if (PeriodMode() || m_currentFolder.empty())
            return;
        std::error_code error;
        if (std::filesystem::is_directory(m_currentFolder, error))
            m_folderTree->SelectFolderPath(m_currentFolder);
        // A vanished folder lists as empty: the views are reset and the status lines rebuilt.
        RefreshFolder();
    });
}

void MainWindow::ArmFolderWatch()
{
    if (!m_watch)
        return;
    if (PeriodMode() || m_currentFolder.empty())
        m_watch->Suspend();
    else
        m_watch->Arm(m_currentFolder);
}

void MainWindow::SuspendFolderWatch()
{
    if (m_watch)
        m_watch->Suspend();
}

void MainWindow::OnFolderWatch(const FolderWatch::Notification& notification)
{
    if (!m_watch || !m_watch->IsCurrent(notification))
        return;
    m_dispatcher.Dispatch(notification.change == FolderWatch::Change::kChanged ? kCommandFolderChanged
                                                                                : kCommandFoldersChanged);
}
