#pragma once

#include <string>

#include <QDialog>

class QLineEdit;

// "Add Bookmark": the name to show in the menu, editable, and the folder, read-only. OK is
// refused with a message while the name is empty. Main thread only.
class AddBookmarkDialog : public QDialog {
public:
    AddBookmarkDialog(const std::string& name, const std::string& folder, QWidget* parent);

    std::string Name() const;
    void accept() override;

private:
    QLineEdit* m_name = nullptr;
};

// The Exec of the AddBookmarks module: bookmarks the current folder after the last bookmark, or
// renames the bookmark that already names it. 1 when the settings were changed, otherwise 0.
int RunAddBookmarksService(void* mainWindow);
