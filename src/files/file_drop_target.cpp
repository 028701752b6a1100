#include "files/file_drop_target.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace {

constexpr Qt::DropActions kAccepted = Qt::CopyAction | Qt::MoveAction;

} // namespace

FileDropTarget::FileDropTarget(QWidget* widget, FolderAt folderAt, Drop drop, Hover hover)
    : QObject(widget)
    , m_folderAt(std::move(folderAt))
    , m_drop(std::move(drop))
    , m_hover(std::move(hover))
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

void FileDropTarget::Install(QWidget* widget, FolderAt folderAt, Drop drop, Hover hover)
{
    new FileDropTarget(widget, std::move(folderAt), std::move(drop), std::move(hover));
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const std::string folder = m_folderAt(drag->position().toPoint());
        const Qt::DropAction action = DropEffectAction(DropEffects(kAccepted, drag->possibleActions()));
        if (folder.empty() || action == Qt::IgnoreAction || !drag->mimeData()
            || !ReadFileMimeData(*drag->mimeData())) {
            drag->ignore();
            if (m_hover)
                m_hover({});
            return true;
        }
        drag->setDropAction(action);
        drag->accept();
        if (m_hover)
            m_hover(folder);
        return true;
    }
    case QEvent::DragLeave:
        if (m_hover)
            m_hover({});
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (m_hover)
            m_hover({});
        const std::string folder = m_folderAt(drop->position().toPoint());
        const Qt::DropAction action = DropEffectAction(DropEffects(kAccepted, drop->possibleActions()));
        const std::optional<ClipboardFiles> files = drop->mimeData() ? ReadFileMimeData(*drop->mimeData()) : std::nullopt;
        if (folder.empty() || action == Qt::IgnoreAction || !files) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(action);
        drop->accept();
        m_drop(*files, action == Qt::MoveAction ? TransferMode::Move : TransferMode::Copy, folder);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
