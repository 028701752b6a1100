#pragma once

#include <functional>
#include <string>

#include <QTreeView>

class NaturalOrderModel;
class QFileSystemModel;

// The folder tree of the left panel: every folder of the file system (hidden ones included,
// files never), rooted at "/", naturally sorted, with the home folder expanded. It follows the
// current folder and opens the folder the user picks.
class FolderTree : public QTreeView {
    Q_OBJECT

public:
    // `openFolder` is called with the path of a folder the user picked.
    explicit FolderTree(std::function<void(const std::string&)> openFolder, QWidget* parent = nullptr);

    // Expands the way to `path` and selects it, without opening it again.
    void SelectFolderPath(const std::string& path);

    // The tree's index of a folder path (invalid when the path is not a folder).
    QModelIndex IndexOfPath(const QString& path) const;
    // The folder path of a tree index; empty for an invalid index.
    std::string ItemFolderPath(const QModelIndex& index) const;
    std::string SelectedFolderPath() const;

    // Marks the folder a drag hovers over as the drop target (its row selected, nothing opened);
    // an empty path gives the shown folder its selection back.
    void SetDropTarget(const std::string& folder);

    // True while the tree has the keyboard focus: file commands then act on its folder.
    bool HasFocusFlag() const { return m_focusFlag; }

    QFileSystemModel& Model() const { return *m_model; }

    // Scrolls the row into view vertically; sideways only as far as needed to show where the
    // folder's name starts (the view's own rule scrolls to the column start and cuts the first
    // letters off every name).
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void PickFolder(const QModelIndex& index);
    // The model reads folders in the background and sorts them when read, so the shown folder
    // is scrolled into view again as each of its ancestors arrives, until the user takes over.
    void RevealShownFolder(const QString& loadedFolder);

    QFileSystemModel* m_model;
    NaturalOrderModel* m_order;
    std::function<void(const std::string&)> m_openFolder;
    std::string m_shownFolder;
    bool m_focusFlag = false;
    bool m_revealPending = false;
};
