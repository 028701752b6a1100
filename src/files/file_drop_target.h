#pragma once

#include <functional>
#include <string>

#include <QObject>

#include "files/file_clipboard.h"
#include "files/file_transfer.h"

class QPoint;
class QWidget;

// Makes a widget accept files dropped from other programs (and from the program's own views):
// a drag of local files is accepted with the effect rule (a move when both sides allow one, a
// copy otherwise), and the drop hands the files, the mode and the target folder to `drop`.
// Main thread only; the target lives as long as the widget.
class FileDropTarget : public QObject {
public:
    // The folder a drop at a point of the widget goes into; empty where nothing takes it.
    using FolderAt = std::function<std::string(const QPoint& position)>;
    using Drop = std::function<void(const ClipboardFiles& files, TransferMode mode, const std::string& folder)>;
    // Called while a drag hovers over the folder (empty when it left), for highlighting.
    using Hover = std::function<void(const std::string& folder)>;

    static void Install(QWidget* widget, FolderAt folderAt, Drop drop, Hover hover = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FileDropTarget(QWidget* widget, FolderAt folderAt, Drop drop, Hover hover);

    FolderAt m_folderAt;
    Drop m_drop;
    Hover m_hover;
};
