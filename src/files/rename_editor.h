#pragma once

#include <functional>
#include <string>

#include <QLineEdit>

// The in-place editor over an item's name line: it opens with the name's base part selected,
// Enter or leaving it commits, Escape cancels. It deletes itself when done. Main thread only.
class RenameEditor : public QLineEdit {
    Q_OBJECT

public:
    // `commit` receives the typed name (not called on Escape or an unchanged name).
    RenameEditor(const std::string& name, QWidget* parent, std::function<void(const std::string&)> commit);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Finish(bool commit);

    std::string m_name;
    std::function<void(const std::string&)> m_commit;
    bool m_finished = false;
};
