#include "files/rename_editor.h"

#include <QKeyEvent>

RenameEditor::RenameEditor(const std::string& name, QWidget* parent, std::function<void(const std::string&)> commit)
    : QLineEdit(QString::fromStdString(name), parent)
    , m_name(name)
    , m_commit(std::move(commit))
{
    setObjectName("RenameEditor");
    setFrame(true);
    setAlignment(Qt::AlignCenter);
    // The base name is what people change; the extension stays.
    const int dot = text().lastIndexOf('.');
    setSelection(0, dot > 0 ? dot : text().size());
}

void RenameEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Finish(true);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        Finish(false);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void RenameEditor::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A question box taking the focus from a commit in progress is not a second commit.
    if (!m_finished)
        Finish(true);
}

void RenameEditor::Finish(bool commit)
{
    if (m_finished)
        return;
    m_finished = true;
    hide();
    const std::string typed = text().toStdString();
    deleteLater();
    if (commit && typed != m_name && m_commit)
        m_commit(typed);
}
