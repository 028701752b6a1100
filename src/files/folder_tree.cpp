#include "files/folder_tree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTimer>

#include "shell/message_box.h"

FolderTree::FolderTree(std::function<void(const std::string&)> openFolder, QWidget* parent)
    : QTreeView(parent)
    , m_model(new QFileSystemModel(this))
    , m_openFolder(std::move(openFolder))
{
    setObjectName("FolderTree");
    m_model->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    m_model->setReadOnly(true);
    // The model resolves links and sorts names naturally ("DSC2" before "DSC10").
    m_model->setRootPath("/");
    setModel(m_model);
    setRootIndex(m_model->index("/").parent());
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setUniformRowHeights(true);
    setAnimated(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    const QModelIndex home = m_model->index(QDir::homePath());
    for (QModelIndex index = home; index.isValid(); index = index.parent())
        expand(index);

    connect(this, &QTreeView::clicked, this, &FolderTree::PickFolder);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderTree::RevealShownFolder);
}

void FolderTree::RevealShownFolder(const QString& loadedFolder)
{
    if (!m_revealPending)
        return;
    const QString shown = QString::fromStdString(m_shownFolder);
    if (!(shown == loadedFolder || shown.startsWith(loadedFolder.endsWith('/') ? loadedFolder : loadedFolder + '/')))
        return;
    // The model sorts a freshly read folder a moment later; scroll once the rows have settled.
    QTimer::singleShot(100, this, [this] {
        const QModelIndex index = m_model->index(QString::fromStdString(m_shownFolder));
        if (m_revealPending && index.isValid())
            scrollTo(index, QAbstractItemView::PositionAtCenter);
    });
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    m_revealPending = false;
    QTreeView::mousePressEvent(event);
}

void FolderTree::wheelEvent(QWheelEvent* event)
{
    m_revealPending = false;
    QTreeView::wheelEvent(event);
}

std::string FolderTree::ItemFolderPath(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    return m_model->filePath(index).toStdString();
}

std::string FolderTree::SelectedFolderPath() const
{
    return ItemFolderPath(currentIndex());
}

void FolderTree::SelectFolderPath(const std::string& path)
{
    m_shownFolder = path;
    const QModelIndex index = m_model->index(QString::fromStdString(path));
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    m_selectingByProgram = true;
    setCurrentIndex(index);
    m_selectingByProgram = false;
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_revealPending = true;
}

void FolderTree::PickFolder(const QModelIndex& index)
{
    const std::string path = ItemFolderPath(index);
    if (path.empty())
        return;
    if (!QDir(QString::fromStdString(path)).exists()) {
        ShowErrorMessage(window(), "ZORX_FolderNotFound");
        return;
    }
    // Picking the folder that is already shown does not list it again.
    if (path == m_shownFolder)
        return;
    m_shownFolder = path;
    m_openFolder(path);
}

void FolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    // Keyboard moves open the folder they land on, as a click does.
    if (!m_selectingByProgram && hasFocus() && current.isValid())
        PickFolder(current);
}

void FolderTree::focusInEvent(QFocusEvent* event)
{
    m_focusFlag = true;
    QTreeView::focusInEvent(event);
}

void FolderTree::focusOutEvent(QFocusEvent* event)
{
    m_focusFlag = false;
    QTreeView::focusOutEvent(event);
}
