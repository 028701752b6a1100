#include "views/preview_control_panel.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "shell/resource_modules.h"
#include "views/date_comment_panel.h"
#include "views/view_host.h"

namespace {

struct ButtonCommand {
    int buttonId;
    int command;
};
constexpr std::array<ButtonCommand, 3> kButtonCommands = {{
    {PreviewButton::kRotateLeft, ViewCommand::kRotateCounterClockwise},
    {PreviewButton::kRotateRight, ViewCommand::kRotateClockwise},
    {PreviewButton::kDelete, ViewCommand::kDelete},
}};

const QColor kPanelColour(0xE4, 0xE9, 0xF3);

// The 12-pixel interface font, narrowed when "500%" would run out of its 28-pixel plate (the
// wide faces of some systems).
QFont ZoomFont(const QString& text, int width)
{
    QFont font = QApplication::font();
    font.setPixelSize(12);
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > width && advance > 0)
        font.setStretch(std::max(60, 100 * width / advance));
    return font;
}

void SetEnabled(SkinnedButton& button, bool enabled)
{
    button.SetState(enabled ? kButtonNormal : kButtonDisabled);
}

} // namespace

std::optional<int> MainCommandOfPreviewButton(int buttonId)
{
    for (const ButtonCommand& row : kButtonCommands) {
        if (row.buttonId == buttonId)
            return row.command;
    }
    return std::nullopt;
}

int PreviewButtonsY(bool infoOpen)
{
    return infoOpen ? kPreviewButtonsOpenY : kPreviewButtonsClosedY;
}

PreviewControlPanel::PreviewControlPanel(QWidget* parent)
    : QWidget(parent)
    , m_datePanel(new DateCommentPanel(this))
    , m_editPanel(LoadResourceBitmap("BMP_PREVIEW_EDIT_PANEL"))
    , m_magnifier(LoadResourceBitmap("BMP_PREVIEW_MAG"))
    , m_zoomPlate(LoadResourceBitmap("BMP_PREVIEW_MAG_BG"))
{
    setObjectName("PreviewControlPanel");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kControlPanelWidth, kControlPanelClosedHeight);
    m_buttons.Create(kPreviewButtonRows, this, [this](int id) { emit Command(id); });
    m_datePanel->move(0, 3);
    m_datePanel->hide();
    SetInfoOpen(false);
}

void PreviewControlPanel::SetInfoOpen(bool open)
{
    m_infoOpen = open;
    const int y = PreviewButtonsY(open);
    for (SkinnedButton* button : m_buttons.All())
        button->SetY(y);
    SkinnedButton& info = m_buttons["Info"];
    info.SetSelected(open);
    info.SetTooltipKey(open ? "ZORX_TT_InfoClose" : "ZORX_TT_InfoOpen");
    m_datePanel->setVisible(open);
    update();
}

void PreviewControlPanel::SetZoom(int factor)
{
    if (factor == m_zoom)
        return;
    m_zoom = factor;
    update();
}

void PreviewControlPanel::SetFacesShown(bool shown)
{
    m_buttons["Face"].SetSelected(shown);
}

void PreviewControlPanel::ApplyEnabling(const PreviewButtonEnabling& enabling)
{
    SetEnabled(m_buttons["Back"], enabling.back);
    SetEnabled(m_buttons["Forward"], enabling.forward);
    SetEnabled(m_buttons["Minus"], enabling.minus);
    SetEnabled(m_buttons["Plus"], enabling.plus);
    SetEnabled(m_buttons["Face"], enabling.face);
    SetEnabled(m_buttons["RotateL"], enabling.rotate);
    SetEnabled(m_buttons["RotateR"], enabling.rotate);
    SetEnabled(m_buttons["Trash"], enabling.trash);
}

void PreviewControlPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPanelColour);
    const int y = PreviewButtonsY(m_infoOpen);
    if (m_infoOpen && !m_editPanel.isNull())
        painter.drawPixmap(0, 3, m_editPanel);
    if (!m_magnifier.isNull())
        painter.drawPixmap(kMagnifierX, y - 2, m_magnifier);
    const QRect text(kZoomTextLeft, y, kZoomTextRight - kZoomTextLeft, kZoomTextHeight);
    if (!m_zoomPlate.isNull())
        painter.drawPixmap(text.topLeft(), m_zoomPlate);
    const QString label = QString::fromStdString(ZoomText(m_zoom));
    painter.setFont(ZoomFont(label, text.width() - 2));
    painter.setPen(Qt::white);
    painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, label);
}

void PreviewControlPanel::mouseMoveEvent(QMouseEvent* event)
{
    ResetTooltips();
    QWidget::mouseMoveEvent(event);
}
