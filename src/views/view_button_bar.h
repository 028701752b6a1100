#pragma once

#include <array>
#include <optional>

#include <QWidget>

#include "views/skinned_button.h"
#include "views/view_host.h"

// The button table of the bar above the thumbnail grid.
inline constexpr std::array<ButtonRow, 8> kViewButtonRows = {{
    {"PmBack", 10, 2, 34, 44, "BMP_PERIOD_BACK", 52039, "ZORX_TT_PreviousDay", "Push"},
    {"PmForward", 65, 2, 34, 44, "BMP_PERIOD_FORWARD", 52040, "ZORX_TT_NextDay", "Push"},
    {"PmBackR", 10, 2, 34, 44, "BMP_PERIOD_BACK_R", 52041, "ZORX_TT_NextDay", "Push"},
    {"PmForwardR", 65, 2, 34, 44, "BMP_PERIOD_FORWARD_R", 52042, "ZORX_TT_PreviousDay", "Push"},
    {"RotateL", 220, 2, 35, 44, "BMP_THUMBNAIL_ROTATE_L", 52017, "ZORX_TT_RotateCCW", "Push"},
    {"RotateR", 248, 2, 35, 44, "BMP_THUMBNAIL_ROTATE_R", 52018, "ZORX_TT_RotateCW", "Push"},
    {"Trash", 304, 2, 34, 44, "BMP_THUMBNAIL_DELETE", 52019, "ZORX_TT_Delete", "Push"},
    {"NetPrint", 400, 2, 150, 44, "BMP_THUMBNAIL_NETPRINT", 52020, "ZORX_TT_NetPrint", "Push"},
}};

// The main command a bar button stands for (rotate, delete, net print); none for the day
// buttons, which the view handles itself.
std::optional<int> MainCommandOfViewButton(int buttonId);
// -1 for the previous-day buttons (52039, 52042), +1 for the next-day ones (52040, 52041), else 0.
int DayStepOfViewButton(int buttonId);
// The x of the right-aligned buttons for a bar width: width - 315, 273, 219, 166 for "RotateL",
// "RotateR", "Trash", "NetPrint"; none for the others, which keep their table x.
std::optional<int> RightAlignedButtonX(std::string_view name, int barWidth);

// The 48-pixel bar across the top of the thumbnail view: the day buttons of period mode on the
// left, rotation, delete and net print on the right. Main thread only.
class ViewButtonBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 48;

    explicit ViewButtonBar(QWidget* parent = nullptr);

    // The host's command function receives the main commands of the buttons.
    void SetHost(ViewHost host) { m_host = std::move(host); }

    // Rotation and delete act on the selection, so they are enabled exactly when something is
    // selected (whatever kinds of item the selection holds).
    void UpdateEnabling(bool anySelected);
    // "NetPrint" is offered only when the setting EnableNetPrint is 1.
    void ShowNetPrint(bool enabled);
    // The day buttons appear only in period mode in the thumbnail view; the pair follows the
    // year order so that the left button always goes up the list.
    void ShowDayButtons(bool periodMode, bool thumbnailView, bool increasingYears);

    const ButtonSet& Buttons() const { return m_buttons; }
    // Takes down any showing tooltip of the bar's buttons.
    void ResetTooltips() const { m_buttons.ResetTooltips(); }

signals:
    // A day button was clicked: -1 previous day, +1 next day.
    void DayStepRequested(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void OnButton(int id);

    ButtonSet m_buttons;
    ViewHost m_host;
};
