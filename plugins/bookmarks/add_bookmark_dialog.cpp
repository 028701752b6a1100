#include "add_bookmark_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>
#include <QWidget>

#include "bookmark_list.h"
#include "bookmark_store.h"
#include "folder_link.h"
#include "service_client.h"

namespace {

const QString kTitle = QStringLiteral("Add Bookmark");

QString Quoted(const std::string& text)
{
    return QStringLiteral("\u201c%1\u201d").arg(QString::fromStdString(text));
}

int AddBookmark(QWidget* parent)
{
    ServiceClient& host = ServiceClient::Instance();
    const std::vector<uint8_t> data = CurrentFolderItemIdList();
    if (data.empty()) {
        QMessageBox::information(parent, kTitle, QStringLiteral("There is no open folder to bookmark."));
        return 0;
    }
    const std::string link = HexOfBytes(data);
    const std::string folder = FolderOfLink(link).value_or(host.TextValue("GetCurrentFolder"));
    const StoredBookmarks stored = LoadBookmarkSettings();

    // Said before asking for a name that could not be used anyway.
    if (PlanAdd(stored.entries, "-", link).kind == AddPlan::kFull) {
        QMessageBox::warning(
            parent, kTitle,
            QStringLiteral("The bookmark list is full: the menu holds %1 bookmarks. Delete some "
                           "with Organise Bookmarks first.")
                .arg(kMenuBookmarkLimit));
        return 0;
    }

    AddBookmarkDialog dialog(host.TextValue("GetCurrentFolderName"), folder, parent);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const std::string name = dialog.Name();
    const AddPlan plan = PlanAdd(stored.entries, name, link);
    bool saved = false;
    switch (plan.kind) {
    case AddPlan::kEmptyName:
    case AddPlan::kFull: return 0; // refused above
    case AddPlan::kDuplicate: {
        const std::string& existing = stored.entries[plan.index].name;
        if (existing == name) {
            QMessageBox::information(
                parent, kTitle, QStringLiteral("This folder is already bookmarked as %1.").arg(Quoted(name)));
            return 0;
        }
        const auto answer = QMessageBox::question(
            parent, kTitle,
            QStringLiteral("This folder is already bookmarked as %1. Rename that bookmark to %2 instead?")
                .arg(Quoted(existing), Quoted(name)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return 0;
        saved = RenameBookmarkSetting(plan.index, name);
        break;
    }
    case AddPlan::kAppend: saved = AppendBookmarkSetting(stored, {name, link}); break;
    }
    if (!saved) {
        QMessageBox::critical(parent, kTitle,
                              QStringLiteral("The bookmark could not be saved in the settings."));
        return 0;
    }
    return 1;
}

} // namespace

AddBookmarkDialog::AddBookmarkDialog(const std::string& name, const std::string& folder, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_name = new QLineEdit(QString::fromStdString(name), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->selectAll();
    form->addRow(QStringLiteral("&Name:"), m_name);
    auto* folderField = new QLineEdit(QString::fromStdString(folder), this);
    folderField->setObjectName(QStringLiteral("folder"));
    folderField->setReadOnly(true);
    folderField->setMinimumWidth(360);
    form->addRow(QStringLiteral("Folder:"), folderField);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::string AddBookmarkDialog::Name() const
{
    return m_name->text().toStdString();
}

void AddBookmarkDialog::accept()
{
    if (!IsUsableBookmarkName(Name())) {
        QMessageBox::warning(this, kTitle, QStringLiteral("Type a name for the bookmark."));
        m_name->setFocus();
        return;
    }
    QDialog::accept();
}

int RunAddBookmarksService(void* mainWindow)
{
    // Exec is a C boundary: nothing thrown may leave it.
    try {
        return AddBookmark(static_cast<QWidget*>(mainWindow));
    } catch (...) {
        QMessageBox::critical(static_cast<QWidget*>(mainWindow), kTitle,
                              QStringLiteral("The bookmark could not be added: not enough memory."));
        return 0;
    }
}
