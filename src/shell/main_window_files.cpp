// The main window's side of the file commands: it stops the loader, hands the selection to the
// file operations with the program's message boxes, and lists the folder again afterwards.
#include <filesystem>

#include <QStandardPaths>

#include "files/delete_selection.h"
#include "files/folder_tree.h"
#include "library/thumbnail_worker.h"
#include "shell/main_window.h"
#include "shell/message_box.h"

namespace {

DeleteDialogs DialogsOwnedBy(QWidget* owner)
{
    DeleteDialogs dialogs;
    dialogs.confirm = [owner](std::string_view key) { return ConfirmWarning(owner, key); };
    dialogs.confirmText = [owner](const std::string& text) { return ConfirmWarningText(owner, text); };
    dialogs.showError = [owner](const std::string& text) { ShowErrorText(owner, text); };
    return dialogs;
}

} // namespace

void MainWindow::DeleteSelection()
{
    // With the folder tree focused, Delete means the folder it shows.
    if (m_folderTree->hasFocus()) {
        DeleteCurrentFolder();
        return;
    }
    m_worker.Cancel();
    RefreshSelection();
    Trasher trasher;
    const DeleteSelectionResult result
        = DeleteEntries(SelectedDeleteEntries(m_itemList.Items()), DialogsOwnedBy(this), trasher);
    if (!result.vanished.empty())
        RefreshFolder();
}

void MainWindow::DeleteCurrentFolder()
{
    if (m_currentFolder.empty() || PeriodMode())
        return;
    m_worker.Cancel();
    DeleteEntry folder;
    folder.path = m_currentFolder;
    folder.isFolder = true;
    Trasher trasher;
    const DeleteSelectionResult result = DeleteEntries({folder}, DialogsOwnedBy(this), trasher);
    if (result.vanished.empty())
        return;
    const std::filesystem::path parent = std::filesystem::path(m_currentFolder).parent_path();
    std::error_code error;
    OpenFolder(std::filesystem::is_directory(parent, error)
                   ? parent.string()
                   : QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString());
}
