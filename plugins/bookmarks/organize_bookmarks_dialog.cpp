#include "organize_bookmarks_dialog.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "bookmark_store.h"
#include "folder_link.h"

namespace {

const QString kTitle = QStringLiteral("Organise Bookmarks");

// A line break in a name would make the row two lines high; the name itself keeps it.
QString RowText(const std::string& name)
{
    QString text = QString::fromStdString(name);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

int OrganizeBookmarks(QWidget* parent)
{
    const StoredBookmarks stored = LoadBookmarkSettings();
    OrganizeBookmarksDialog dialog(stored.entries, parent);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const std::vector<Bookmark>& organised = dialog.List().Entries();
    if (organised == stored.entries && organised.size() == stored.size)
        return 0;
    if (!SaveBookmarkSettings(organised, stored.size)) {
        QMessageBox::critical(parent, kTitle,
                              QStringLiteral("The bookmarks could not be saved in the settings."));
        return 0;
    }
    return 1;
}

} // namespace

BookmarkFolderText DescribeBookmarkFolder(const std::string& link)
{
    const std::optional<std::string> folder = FolderOfLink(link);
    std::error_code error;
    const bool found = folder && std::filesystem::is_directory(*folder, error);
    std::string text = folder ? *folder : std::string("(damaged link)");
    if (!found)
        text += " (not found)";
    return {text, found};
}

OrganizeBookmarksDialog::OrganizeBookmarksDialog(std::vector<Bookmark> bookmarks, QWidget* parent)
    : QDialog(parent)
    , m_list(std::move(bookmarks))
{
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("bookmarks"));
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Folder")});
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->setColumnWidth(0, 200);
    m_tree->setMinimumSize(560, 320);
    row->addWidget(m_tree, 1);

    auto* side = new QVBoxLayout;
    auto addButton = [&](const char* name, const QString& text) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        side->addWidget(button);
        return button;
    };
    m_rename = addButton("rename", QStringLiteral("&Rename..."));
    m_delete = addButton("delete", QStringLiteral("&Delete"));
    m_up = addButton("up", QStringLiteral("Move &Up"));
    m_down = addButton("down", QStringLiteral("Move Do&wn"));
    side->addStretch(1);
    row->addLayout(side);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_rename, &QPushButton::clicked, this, [this] { RenameSelected(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveSelected(true); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveSelected(false); });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { RenameSelected(); });

    Fill(m_list.Size() > 0 ? 0 : -1);
}

void OrganizeBookmarksDialog::Fill(int selectRow)
{
    m_tree->clear();
    const std::vector<Bookmark>& entries = m_list.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const BookmarkFolderText folder = DescribeBookmarkFolder(entries[i].link);
        auto* item
            = new QTreeWidgetItem(m_tree, {RowText(entries[i].name), QString::fromStdString(folder.text)});
        item->setToolTip(1, QString::fromStdString(folder.text));
        if (i >= kMenuBookmarkLimit)
            item->setToolTip(0,
                             QStringLiteral("Only the first %1 bookmarks appear in the Bookmarks menu.")
                                 .arg(kMenuBookmarkLimit));
        if (!folder.found)
            item->setForeground(1, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    if (selectRow >= 0 && selectRow < m_tree->topLevelItemCount())
        m_tree->setCurrentItem(m_tree->topLevelItem(selectRow));
    UpdateButtons();
}

int OrganizeBookmarksDialog::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    return selected.isEmpty() ? -1 : m_tree->indexOfTopLevelItem(selected.front());
}

void OrganizeBookmarksDialog::UpdateButtons()
{
    const int row = SelectedRow();
    const int count = static_cast<int>(m_list.Size());
    m_rename->setEnabled(row >= 0);
    m_delete->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < count);
}

void OrganizeBookmarksDialog::RenameSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const auto index = static_cast<size_t>(row);
    bool ok = false;
    const QString typed = QInputDialog::getText(this, kTitle, QStringLiteral("Name:"), QLineEdit::Normal,
                                                QString::fromStdString(m_list.Entries()[index].name), &ok);
    if (!ok)
        return;
    if (!m_list.Rename(index, typed.toStdString())) {
        QMessageBox::warning(this, kTitle, QStringLiteral("A bookmark needs a name; it was left as it was."));
        return;
    }
    Fill(row);
}

void OrganizeBookmarksDialog::DeleteSelected()
{
    const int row = SelectedRow();
    if (row < 0 || !m_list.Remove(static_cast<size_t>(row)))
        return;
    Fill(std::min(row, static_cast<int>(m_list.Size()) - 1));
}

void OrganizeBookmarksDialog::MoveSelected(bool up)
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const auto index = static_cast<size_t>(row);
    if (up ? m_list.MoveUp(index) : m_list.MoveDown(index))
        Fill(up ? row - 1 : row + 1);
}

int RunOrganizeBookmarksService(void* mainWindow)
{
    // Exec is a C boundary: nothing thrown may leave it.
    try {
        return OrganizeBookmarks(static_cast<QWidget*>(mainWindow));
    } catch (...) {
        QMessageBox::critical(static_cast<QWidget*>(mainWindow), kTitle,
                              QStringLiteral("The bookmarks could not be organised: not enough memory."));
        return 0;
    }
}
