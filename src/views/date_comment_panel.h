#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include <QPixmap>
#include <QWidget>

class QLabel;
class QLineEdit;

// The date and comment panel of the preview's control panel (437 x 87 at (0, 3) while the
// information panel is open): the seven fields of the picture's shooting date and comment.
// Changes are written into the picture's Exif data when the user leaves the picture or closes
// the panel (Commit). Main thread only.
class DateCommentPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 437;
    static constexpr int kHeight = 87;

    enum class MessageKind { Error, Warning };
    // Shows a message of the commit rules; the default is the program's error box (OK) or
    // warning box (OK and Cancel, both only acknowledge here: nothing is written either way).
    using MessageFunction = std::function<void(MessageKind kind, const std::string& text)>;

    explicit DateCommentPanel(QWidget* parent = nullptr);

    // Loads the fields from a picture (its shooting date and comment), or empties and disables
    // them for an empty path, a folder or a file without a date and comment to edit. The loaded
    // values are kept to detect changes.
    void Load(const std::string& path);
    const std::string& LoadedPath() const { return m_loadedPath; }

    // Writes the changed values into the file that was loaded (never another one): nothing
    // when nothing changed; the messages of the rules for a refused date, a read-only file or
    // a failed write. Returns true when the file was rewritten.
    bool Commit();

    void SetMessageFunction(MessageFunction show) { m_showMessage = std::move(show); }

signals:
    // After a successful commit: the list item must be refreshed and the preview reload the
    // picture at 100 % without rotation.
    void pictureRewritten(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kDateFieldCount = 6;

    // What the fields hold: a number per date field (none while a field is empty) and the
    // comment in UTF-8.
    struct Values {
        std::array<std::optional<int>, kDateFieldCount> date;
        std::string comment;
        friend bool operator==(const Values&, const Values&) = default;
    };

    void ApplyLimit(int field);
    void CutComment();
    Values FieldValues() const;
    void ShowValues(const Values& values);
    void ShowMessage(MessageKind kind, const std::string& text);

    std::string m_loadedPath;
    bool m_editable = false;
    Values m_loaded;
    std::array<QLineEdit*, kDateFieldCount> m_dateFields{};
    QLineEdit* m_commentField = nullptr;
    QPixmap m_background;
    MessageFunction m_showMessage;
};
