// The main window's side of the file commands: it stops the loader, hands the selection to the
// file operations with the program's message boxes, and lists the folder again afterwards.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDrag>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>

#include "files/delete_selection.h"
#include "files/file_clipboard.h"
#include "files/file_drop_target.h"
#include "files/file_transfer.h"
#include "files/folder_tree.h"
#include "files/rename_editor.h"
#include "files/rename_rules.h"
#include "files/transfer_dialogs.h"
#include "files/unit_rename.h"
#include "formats/picture_reader.h"
#include "framework/string_table.h"
#include "library/dib_image.h"
#include "library/thumbnail_worker.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "views/preview_picture_area.h"
#include "views/filmstrip.h"
#include "views/preview_view.h"
#include "views/report_view.h"
#include "views/thumbnail_grid.h"
#include "views/thumbnail_view.h"
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
    if (m_folderTree->HasFocusFlag()) {
        DeleteCurrentFolder();
        return;
    }
    m_worker.Cancel();
    RefreshSelection();
    SuspendFolderWatch();
    Trasher trasher;
    const DeleteSelectionResult result
        = DeleteEntries(SelectedDeleteEntries(m_itemList.Items()), DialogsOwnedBy(this), trasher);
    if (!result.vanished.empty())
        RefreshFolder();
    ArmFolderWatch();
}

void MainWindow::DeleteCurrentFolder()
{
    if (m_currentFolder.empty() || PeriodMode())
        return;
    m_worker.Cancel();
    DeleteEntry folder;
    folder.path = m_currentFolder;
    folder.isFolder = true;
    SuspendFolderWatch();
    Trasher trasher;
    const DeleteSelectionResult result = DeleteEntries({folder}, DialogsOwnedBy(this), trasher);
    if (result.vanished.empty()) {
        ArmFolderWatch();
        return;
    }
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
    if (!m_folderTree->HasFocusFlag())
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

void MainWindow::StartRename(size_t index, QRect nameLine)
{
    const std::vector<MediaItem>& items = m_itemList.Items();
    // The name line is in the coordinates of the view that was clicked, under the cursor.
    QWidget* view = QApplication::widgetAt(QCursor::pos());
    if (index >= items.size() || !view || m_renameEditor)
        return;
    const std::string oldPath = items[index].fullPath;
    auto* editor = new RenameEditor(items[index].fileName, view, [this, oldPath](const std::string& typed) {
        FinishRename(oldPath, typed);
    });
    editor->setGeometry(nameLine.adjusted(-2, -2, 2, 2));
    editor->show();
    editor->setFocus();
    m_renameEditor = editor;
}

void MainWindow::FinishRename(const std::string& oldPath, const std::string& typed)
{
    std::vector<MediaItem>& items = m_itemList.Items();
    const int index = FindRenamedItem(items, oldPath, PeriodMode());
    if (index < 0)
        return;
    const std::filesystem::path old(oldPath);
    const std::string folder = old.parent_path().string();
    const std::string oldName = old.filename().string();
    const RenameVerdict verdict = CheckRename(folder, oldName, typed, ReadRenameFacts(folder, oldName));
    for (const RenameMessage& question : verdict.questions)
        if (!ConfirmWarningText(this, question.text))
            return;
    if (verdict.outcome == RenameOutcome::Refused) {
        ShowErrorText(this, verdict.error.text);
        return;
    }
    if (verdict.outcome != RenameOutcome::Rename)
        return;
    m_worker.Cancel();
    SuspendFolderWatch();
    MediaItem& item = items[static_cast<size_t>(index)];
    const UnitRenameResult result = RenameUnit(UnitRenameRequestForItem(item, verdict.newName));
    if (!result.Ok()) {
        ShowErrorText(this, UnitRenameFailureMessage(result).text);
        if (result.status != UnitRenameStatus::RollbackFailed) {
            ArmFolderWatch();
            return;
        }
    }
    if (result.Ok()) {
        // The renamed item keeps what was loaded for it; only its names and place change.
        UpdateRenamedItem(item, result);
        m_itemList.Sort();
        ListChangedInViews();
    } else {
        RefreshFolder();
    }
    ArmFolderWatch();
    SelectOnlyItemAt(result.Ok() ? verdict.newPath : oldPath);
}

void MainWindow::StartFileDrag()
{
    RefreshSelection();
    const std::vector<std::string> paths = SelectedTransferList(m_itemList.Items());
    if (paths.empty())
        return;
    QWidget* source = QApplication::widgetAt(QCursor::pos());
    auto* drag = new QDrag(source ? static_cast<QObject*>(source) : this);
    drag->setMimeData(MakeFileMimeData(paths, false));
    // A target that moved the files took them from this folder.
    if (drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction) == Qt::MoveAction)
        RefreshFolder();
}

bool MainWindow::TransferInto(const std::vector<std::string>& paths, const std::string& folder, TransferMode mode,
                              const std::vector<std::string>& leftOut)
{
    m_worker.Cancel();
    m_updateFolder.clear();
    SuspendFolderWatch();
    TransferDialogs dialogs(this, mode);
    const TransferResult result = TransferFiles(UnitsOfPaths(paths), folder, mode, dialogs);
    ArmFolderWatch();
    std::string problems = TransferFailureText(result);
    if (!leftOut.empty()) {
        problems += problems.empty() ? "These were left out, since they are no local files:" : "\nLeft out:";
        for (const std::string& path : leftOut)
            problems += "\n" + path;
    }
    if (!problems.empty())
        ShowErrorText(this, problems);
    if (!result.created.empty() || !result.vanished.empty())
        RefreshFolder();
    return result.Succeeded() && !result.cancelled;
}

void MainWindow::PasteFiles()
{
    const QMimeData* payload = QGuiApplication::clipboard()->mimeData();
    const std::optional<ClipboardFiles> files = payload ? ReadFileMimeData(*payload) : std::nullopt;
    if (!files || m_currentFolder.empty() || PeriodMode())
        return;
    const bool done = TransferInto(files->paths, m_currentFolder, files->cut ? TransferMode::Move : TransferMode::Copy,
                                   files->rejected);
    // A cut is done once it is pasted: the files are no longer where the clipboard says.
    if (files->cut && done)
        QGuiApplication::clipboard()->clear();
}

void MainWindow::AcceptFileDrops()
{
    const auto drop = [this](const ClipboardFiles& files, TransferMode mode, const std::string& folder) {
        // After the drag has ended: the source may be one of our own views, still in its drag.
        QTimer::singleShot(0, this, [this, files, mode, folder] { TransferInto(files.paths, folder, mode, files.rejected); });
    };
    const auto currentFolder = [this](const QPoint&) { return PeriodMode() ? std::string() : m_currentFolder; };
    for (QWidget* view : {m_thumbnailView->Grid().viewport(), m_reportView->viewport(),
                          m_previewView->Strip().viewport()})
        FileDropTarget::Install(view, currentFolder, drop);
    FileDropTarget::Install(
        m_folderTree->viewport(),
        [this](const QPoint& position) { return m_folderTree->ItemFolderPath(m_folderTree->indexAt(position)); },
        drop, [this](const std::string& folder) {
            // The folder under a drag is marked as the drop target.
            m_folderTree->SetDropTarget(folder);
        });
}

void MainWindow::TransferSelectionToFolder(TransferMode mode)
{
    m_worker.Cancel();
    RefreshSelection();
    const std::vector<std::string> paths = SelectedTransferList(m_itemList.Items());
    if (paths.empty())
        return;
    const bool copy = mode == TransferMode::Copy;
    // The dialog's title and its two lines of explanation, in the program's words.
    const QString title = QString::fromStdString(GetText(copy ? "EX_FOLDERCOPY_STRING1" : "EX_FOLDERMOVE_STRING1")) + " - "
                          + QString::fromStdString(GetText(copy ? "EX_FOLDERCOPY_STRING2" : "EX_FOLDERMOVE_STRING2"));
    QFileDialog dialog(this, title, QString::fromStdString(m_lastDestination.empty() ? m_currentFolder : m_lastDestination));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, copy ? "Copy" : "Move");
    dialog.setToolTip(QString::fromStdString(GetText(copy ? "EX_FOLDERCOPY_STRING3" : "EX_FOLDERMOVE_STRING3")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    std::string folder = dialog.selectedFiles().front().toStdString();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    m_lastDestination = folder;
    TransferInto(paths, folder, mode, {});
}

void MainWindow::CreateNewFolder()
{
    if (m_currentFolder.empty() || PeriodMode())
        return;
    SuspendFolderWatch();
    std::string made;
    for (int number = 1; number < 1000 && made.empty(); ++number) {
        const std::string name = number == 1 ? std::string("New folder") : NumberedName("New folder", number, true);
        const std::string path = (std::filesystem::path(m_currentFolder) / name).string();
        if (::mkdir(path.c_str(), 0777) == 0)
            made = path;
        else if (errno != EEXIST)
            break;
    }
    if (made.empty()) {
        const int error = errno;
        ShowErrorText(this, "A new folder cannot be made in " + m_currentFolder + ": " + std::strerror(error));
    } else {
        RefreshFolder();
        SelectOnlyItemAt(made);
    }
    ArmFolderWatch();
}
