// The main window's side of the file commands: it stops the loader, hands the selection to the
// file operations with the program's message boxes, and lists the folder again afterwards.
#include <filesystem>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStandardPaths>

#include "files/delete_selection.h"
#include "files/file_clipboard.h"
#include "files/folder_tree.h"
#include "formats/picture_reader.h"
#include "library/dib_image.h"
#include "library/thumbnail_worker.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "views/preview_picture_area.h"
#include "views/preview_view.h"
#include "views/thumbnail_cell_painter.h"

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

namespace {

// The picture the preview shows; outside the preview, the one selected picture read whole.
QImage PictureToCopy(PreviewView& preview, bool previewShown, std::span<const MediaItem> items)
{
    const PreviewPictureArea& area = preview.PictureArea();
    if (previewShown && area.HasPicture() && area.Picture())
        return PictureImage(*area.Picture()).copy();
    const MediaItem* only = nullptr;
    for (const MediaItem& item : items) {
        if (item.selected && !item.hidden) {
            if (only)
                return {};
            only = &item;
        }
    }
    DibImage picture;
    if (!only || !only->isImage || ReadFullImage(only->fullPath, picture) != 0)
        return {};
    return PictureImage(picture).copy();
}

} // namespace

void MainWindow::CopySelectionToClipboard(bool cut, bool withPicture)
{
    m_worker.Cancel();
    RefreshSelection();
    m_updateFolder.clear();
    // With the folder tree focused, the folder it shows is what is cut or copied.
    std::vector<std::string> paths;
    if (!m_folderTree->hasFocus())
        paths = SelectedTransferList(m_itemList.Items());
    else if (!m_currentFolder.empty())
        paths.push_back(m_currentFolder);
    if (paths.empty())
        return;
    QMimeData* payload = MakeFileMimeData(paths, cut);
    if (withPicture) {
        const QImage picture = PictureToCopy(*m_previewView, ShownViewMode() == 1, m_itemList.Items());
        if (!picture.isNull())
            payload->setImageData(picture);
    }
    QGuiApplication::clipboard()->setMimeData(payload);
}
