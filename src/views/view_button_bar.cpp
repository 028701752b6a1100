#include "views/view_button_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "shell/app_settings.h"

namespace {

struct ButtonCommand {
    int buttonId;
    int command;
};
constexpr std::array<ButtonCommand, 4> kButtonCommands = {{
    {52017, ViewCommand::kRotateCounterClockwise},
    {52018, ViewCommand::kRotateClockwise},
    {52019, ViewCommand::kDelete},
    {52020, ViewCommand::kNetPrint},
}};

struct DayButton {
    int buttonId;
    int step;
};
constexpr std::array<DayButton, 4> kDayButtons = {{
    {52039, -1},
    {52040, 1},
    {52041, 1},
    {52042, -1},
}};

struct RightAlignedButton {
    std::string_view name;
    int distanceFromRight;
};
constexpr std::array<RightAlignedButton, 4> kRightAligned = {{
    {"RotateL", 315},
    {"RotateR", 273},
    {"Trash", 219},
    {"NetPrint", 166},
}};

constexpr std::array<std::string_view, 3> kSelectionButtons = {"RotateL", "RotateR", "Trash"};

const QColor kBarColour(0xE4, 0xE9, 0xF3);
const QColor kBarLineColour(0xBF, 0xC8, 0xD1);

} // namespace

std::optional<int> MainCommandOfViewButton(int buttonId)
{
    for (const ButtonCommand& row : kButtonCommands) {
        if (row.buttonId == buttonId)
            return row.command;
    }
    return std::nullopt;
}

int DayStepOfViewButton(int buttonId)
{
    for (const DayButton& row : kDayButtons) {
        if (row.buttonId == buttonId)
            return row.step;
    }
    return 0;
}

std::optional<int> RightAlignedButtonX(std::string_view name, int barWidth)
{
    for (const RightAlignedButton& row : kRightAligned) {
        if (row.name == name)
            return barWidth - row.distanceFromRight;
    }
    return std::nullopt;
}

ViewButtonBar::ViewButtonBar(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_buttons.Create(kViewButtonRows, this, [this](int id) { OnButton(id); });
    ShowDayButtons(false, true, true);
    ShowNetPrint(CurrentSettings().enableNetPrint);
    UpdateEnabling(false);
}

void ViewButtonBar::UpdateEnabling(bool anySelected)
{
    for (std::string_view name : kSelectionButtons)
        m_buttons[name].SetState(anySelected ? kButtonNormal : kButtonDisabled);
}

void ViewButtonBar::ShowNetPrint(bool enabled)
{
    m_buttons["NetPrint"].setVisible(enabled);
}

void ViewButtonBar::ShowDayButtons(bool periodMode, bool thumbnailView, bool increasingYears)
{
    const bool shown = periodMode && thumbnailView;
    m_buttons["PmBack"].setVisible(shown && increasingYears);
    m_buttons["PmForward"].setVisible(shown && increasingYears);
    m_buttons["PmBackR"].setVisible(shown && !increasingYears);
    m_buttons["PmForwardR"].setVisible(shown && !increasingYears);
}

void ViewButtonBar::OnButton(int id)
{
    if (const std::optional<int> command = MainCommandOfViewButton(id))
        m_host.SendCommand(*command);
    else if (const int step = DayStepOfViewButton(id))
        emit DayStepRequested(step);
    ResetTooltips();
}

void ViewButtonBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), kBarColour);
    painter.fillRect(QRect(0, 0, 1, h), Qt::white);
    painter.fillRect(QRect(w - 1, 0, 1, h), Qt::white);
    painter.fillRect(QRect(0, kHeight - 1, w, 1), kBarLineColour);
}

void ViewButtonBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (SkinnedButton* button : m_buttons.All()) {
        if (const std::optional<int> x = RightAlignedButtonX(button->Row().name, width()))
            button->SetX(*x);
    }
}

void ViewButtonBar::mouseMoveEvent(QMouseEvent* event)
{
    ResetTooltips();
    QWidget::mouseMoveEvent(event);
}
