#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "bookmark_list.h"

class QPushButton;
class QTreeWidget;

// The folder column of a bookmark: its path, "(damaged link)" when the Link does not decode,
// and " (not found)" after either when there is no such folder now.
struct BookmarkFolderText {
    std::string text;
    bool found = false;
};
BookmarkFolderText DescribeBookmarkFolder(const std::string& link);

// "Organise Bookmarks": the bookmarks with their folders, Rename, Delete, Move Up and Move
// Down. Changes stay in the dialog until OK. Main thread only.
class OrganizeBookmarksDialog : public QDialog {
public:
    OrganizeBookmarksDialog(std::vector<Bookmark> bookmarks, QWidget* parent);

    const BookmarkList& List() const { return m_list; }

private:
    void Fill(int selectRow);
    int SelectedRow() const;
    void UpdateButtons();
    void RenameSelected();
    void DeleteSelected();
    void MoveSelected(bool up);

    BookmarkList m_list;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
};

// The Exec of the OrganizeBookmarks module: writes the organised list back on OK when it
// changed. 1 when the settings were changed, otherwise 0.
int RunOrganizeBookmarksService(void* mainWindow);
