#include "files/folder_tree.h"

#include <algorithm>

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include "files/natural_order.h"
#include "shell/message_box.h"

FolderTree::FolderTree(std::function<void(const std::string&)> openFolder, QWidget* parent)
    : QTreeView(parent)
    , m_model(new QFileSystemModel(this))
    , m_order(new NaturalOrderModel(this))
    , m_openFolder(std::move(openFolder))
{
    setObjectName("FolderTree");
    m_model->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    m_model->setReadOnly(true);
    m_model->setRootPath("/");
    // Names in natural order ("DSC2" before "DSC10") whatever the locale's collation offers.
    m_order->setSourceModel(m_model);
    m_order->setDynamicSortFilter(true);
    setModel(m_order);
    setRootIndex(IndexOfPath("/").parent());
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

    const QModelIndex home = IndexOfPath(QDir::homePath());
    for (QModelIndex index = home; index.isValid(); index = index.parent())
        expand(index);

    connect(this, &QTreeView::clicked, this, &FolderTree::PickFolder);
    connect(this, &QTreeView::activated, this, &FolderTree::PickFolder);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderTree::RevealShownFolder);
}

void FolderTree::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QScrollBar* sideways = horizontalScrollBar();
    const int kept = sideways->value();
    QTreeView::scrollTo(index, hint);
    sideways->setValue(kept);
    if (!index.isValid())
        return;
    // Only a name that starts out of sight, or too far right to be read, moves the view: it then
    // starts a third into the tree, so that the folders above it keep most of their names.
    const int nameLeft = visualRect(index).left();
    const int visibleWidth = viewport()->width();
    if (nameLeft < 0 || nameLeft > visibleWidth - 3 * indentation())
        sideways->setValue(std::max(0, kept + nameLeft - visibleWidth / 3));
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
        const QModelIndex index = IndexOfPath(QString::fromStdString(m_shownFolder));
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

QModelIndex FolderTree::IndexOfPath(const QString& path) const
{
    return m_order->mapFromSource(m_model->index(path));
}

std::string FolderTree::ItemFolderPath(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    return m_model->filePath(m_order->mapToSource(index)).toStdString();
}

std::string FolderTree::SelectedFolderPath() const
{
    return ItemFolderPath(currentIndex());
}

void FolderTree::SelectFolderPath(const std::string& path)
{
    m_shownFolder = path;
    const QModelIndex index = IndexOfPath(QString::fromStdString(path));
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_revealPending = true;
}

void FolderTree::SetDropTarget(const std::string& folder)
{
    const QModelIndex index = IndexOfPath(QString::fromStdString(folder.empty() ? m_shownFolder : folder));
    if (!selectionModel())
        return;
    if (index.isValid())
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        selectionModel()->clearSelection();
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

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    const QPersistentModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    // Moving with the keys opens the folder moved to, as a click does.
    if (currentIndex() != before && currentIndex().isValid())
        PickFolder(currentIndex());
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
