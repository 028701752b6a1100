#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QPixmap>
#include <QWidget>

// One row of a bar's button table: where the button sits in its bar, its bitmap strip, the
// command it sends and the language key of its tooltip (empty: no tooltip).
struct ButtonRow {
    const char* name;
    int x;
    int y;
    int width;
    int height;
    const char* bitmap;
    int id;
    const char* tooltipKey;
    const char* style;
};

// The flags of a style string: "Push", "Push,Toggle", "Push,Select".
struct ButtonStyle {
    bool push = false;
    bool toggle = false;
    bool select = false;
};
ButtonStyle ParseButtonStyle(std::string_view style);

enum ButtonState { kButtonDisabled = 0, kButtonNormal = 1, kButtonPressed = 2 };

// The frame of the strip that a button shows: 0 disabled, 1 normal, 2 pressed, 3 selected,
// 4 selected and pressed.
int ButtonFrame(int state, bool selected);

// The state a button ends in when asked for `requested`: a Toggle button takes any state, the
// others change only to or from the disabled state.
int NextButtonState(const ButtonStyle& style, int current, int requested);

// An owner-drawn bar button: shows one frame of its vertical bitmap strip and emits Command
// with its id (on the press for Toggle and Select buttons, on the release for plain ones).
class SkinnedButton : public QWidget {
    Q_OBJECT

public:
    SkinnedButton(const ButtonRow& row, QWidget* parent);

    const ButtonRow& Row() const { return m_row; }
    int Id() const { return m_row.id; }
    const ButtonStyle& Style() const { return m_style; }

    void SetState(int state);
    int State() const { return m_state; }
    void SetSelected(bool selected);
    bool Selected() const { return m_selected; }
    int Frame() const { return ButtonFrame(m_state, m_selected); }

    void MoveTo(int x, int y) { move(x, y); }
    void SetX(int x) { move(x, y()); }
    void SetY(int y) { move(x(), y); }

    // Switches the tooltip to another language key.
    void SetTooltipKey(std::string_view key);
    // Takes down a tooltip that is showing (deactivate, then activate again).
    void ResetTooltip();

signals:
    void Command(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    ButtonRow m_row;
    ButtonStyle m_style;
    QPixmap m_strip;
    QString m_tooltip;
    int m_state = kButtonNormal;
    bool m_selected = false;
    bool m_tooltipActive = true;
};

// The buttons of one bar, created from its table; found by row name.
class ButtonSet {
public:
    // Creates one button per row as children of `bar`; `onCommand` receives every command.
    template <typename Receiver>
    void Create(std::span<const ButtonRow> rows, QWidget* bar, Receiver onCommand)
    {
        for (const ButtonRow& row : rows) {
            auto* button = new SkinnedButton(row, bar);
            QObject::connect(button, &SkinnedButton::Command, bar, onCommand);
            m_buttons.push_back(button);
        }
    }

    SkinnedButton* Find(std::string_view name) const;
    SkinnedButton& operator[](std::string_view name) const;
    const std::vector<SkinnedButton*>& All() const { return m_buttons; }

    // After a command and on every mouse move over the bar: takes down showing tooltips.
    void ResetTooltips() const;

private:
    std::vector<SkinnedButton*> m_buttons;
};
