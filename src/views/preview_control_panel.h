#pragma once

#include <array>
#include <optional>

#include <QPixmap>
#include <QWidget>

#include "views/preview_geometry.h"
#include "views/skinned_button.h"

class DateCommentPanel;

// The button table of the preview's control panel. The y of every row is the row's place with
// the information panel closed; with it open the whole row moves down to kPreviewButtonsOpenY.
inline constexpr int kPreviewButtonsClosedY = 3;
inline constexpr int kPreviewButtonsOpenY = 90;
inline constexpr std::array<ButtonRow, 9> kPreviewButtonRows = {{
    {"Info", 0, 3, 37, 44, "BMP_PREVIEW_INFO", 52023, "ZORX_TT_InfoOpen", "Push,Select"},
    {"Back", 50, 3, 34, 44, "BMP_PREVIEW_PREVIOUS", 52024, "ZORX_TT_PreviousFile", "Push"},
    {"Forward", 89, 3, 34, 44, "BMP_PREVIEW_NEXT", 52025, "ZORX_TT_NextFile", "Push"},
    {"Minus", 137, 3, 34, 44, "BMP_PREVIEW_REDUCE", 52027, "ZORX_TT_Reduce", "Push"},
    {"Plus", 176, 3, 34, 44, "BMP_PREVIEW_ENLARGE", 52026, "ZORX_TT_Enlarge", "Push"},
    {"Face", 254, 3, 43, 44, "BMP_PREVIEW_FACE", 52031, "ZORX_TT_Face", "Push,Select"},
    {"RotateL", 306, 3, 36, 44, "BMP_PREVIEW_ROTATE_L", 52028, "ZORX_TT_RotateCCW", "Push"},
    {"RotateR", 345, 3, 36, 44, "BMP_PREVIEW_ROTATE_R", 52029, "ZORX_TT_RotateCW", "Push"},
    {"Trash", 403, 3, 34, 44, "BMP_PREVIEW_DELETE", 52030, "ZORX_TT_Delete", "Push"},
}};

// The commands of the panel's buttons.
namespace PreviewButton {
inline constexpr int kInfo = 52023;
inline constexpr int kPrevious = 52024;
inline constexpr int kNext = 52025;
inline constexpr int kZoomIn = 52026;
inline constexpr int kZoomOut = 52027;
inline constexpr int kRotateLeft = 52028;
inline constexpr int kRotateRight = 52029;
inline constexpr int kDelete = 52030;
inline constexpr int kFace = 52031;
} // namespace PreviewButton

// The main command a panel button stands for (rotation and delete); none for those the preview
// handles itself.
std::optional<int> MainCommandOfPreviewButton(int buttonId);
// The y of the button row.
int PreviewButtonsY(bool infoOpen);

// The panel between the picture and the filmstrip, 437 pixels wide: navigation, zoom with its
// label, faces, rotation and delete, and above them the date and comment panel while the
// information panel is open. It shows states; the preview decides them. Main thread only.
class PreviewControlPanel : public QWidget {
    Q_OBJECT

public:
    // The zoom label's rectangle, relative to the button row's y.
    static constexpr int kZoomTextLeft = 213;
    static constexpr int kZoomTextRight = 241;
    static constexpr int kZoomTextHeight = 30;
    static constexpr int kMagnifierX = 135;

    explicit PreviewControlPanel(QWidget* parent = nullptr);

    // Moves the buttons, shows or hides the date panel and switches the Info button's tooltip
    // and selected state. The panel's own height is the preview's to set.
    void SetInfoOpen(bool open);
    bool InfoOpen() const { return m_infoOpen; }
    void SetZoom(int factor);
    int Zoom() const { return m_zoom; }
    void SetFacesShown(bool shown);
    void ApplyEnabling(const PreviewButtonEnabling& enabling);

    const ButtonSet& Buttons() const { return m_buttons; }
    DateCommentPanel& DatePanel() { return *m_datePanel; }
    // Takes down any showing tooltip of the panel's buttons.
    void ResetTooltips() const { m_buttons.ResetTooltips(); }

signals:
    // A button was clicked (its id).
    void Command(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    ButtonSet m_buttons;
    DateCommentPanel* m_datePanel;
    QPixmap m_editPanel;
    QPixmap m_magnifier;
    QPixmap m_zoomPlate;
    bool m_infoOpen = false;
    int m_zoom = kMinimumZoom;
};
