#include "views/skinned_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "framework/string_table.h"
#include "shell/resource_modules.h"

namespace {

QString TooltipText(std::string_view key)
{
    if (key.empty())
        return {};
    return QString::fromStdString(GetText(key));
}

} // namespace

ButtonStyle ParseButtonStyle(std::string_view style)
{
    ButtonStyle parsed;
    parsed.push = style.find("Push") != std::string_view::npos;
    parsed.toggle = style.find("Toggle") != std::string_view::npos;
    parsed.select = style.find("Select") != std::string_view::npos;
    return parsed;
}

int ButtonFrame(int state, bool selected)
{
    return selected && state != kButtonDisabled ? state + 2 : state;
}

int NextButtonState(const ButtonStyle& style, int current, int requested)
{
    if (requested < kButtonDisabled || requested > kButtonPressed)
        return current;
    if (style.toggle)
        return requested;
    // Plain and Select buttons only go to or come from the disabled state; their pressed
    // state belongs to the mouse.
    if (requested == kButtonDisabled || current == kButtonDisabled)
        return requested;
    return current;
}

SkinnedButton::SkinnedButton(const ButtonRow& row, QWidget* parent)
    : QWidget(parent)
    , m_row(row)
    , m_style(ParseButtonStyle(row.style ? row.style : ""))
    , m_strip(LoadResourceBitmap(row.bitmap ? row.bitmap : ""))
    , m_tooltip(TooltipText(row.tooltipKey ? row.tooltipKey : ""))
{
    setObjectName(QString::fromUtf8(row.name));
    setGeometry(row.x, row.y, row.width, row.height);
    setAttribute(Qt::WA_OpaquePaintEvent, !m_strip.isNull());
    setFocusPolicy(Qt::NoFocus);
    setToolTip(m_tooltip);
}

void SkinnedButton::SetState(int state)
{
    const int next = NextButtonState(m_style, m_state, state);
    if (next == m_state)
        return;
    m_state = next;
    repaint();
}

void SkinnedButton::SetSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    repaint();
}

void SkinnedButton::SetTooltipKey(std::string_view key)
{
    m_tooltip = TooltipText(key);
    setToolTip(m_tooltipActive ? m_tooltip : QString());
}

void SkinnedButton::ResetTooltip()
{
    m_tooltipActive = false;
    if (QToolTip::isVisible())
        QToolTip::hideText();
    m_tooltipActive = true;
    setToolTip(m_tooltip);
}

void SkinnedButton::paintEvent(QPaintEvent*)
{
    if (m_strip.isNull())
        return;
    QPainter painter(this);
    // Frames are stacked from the top, each as high as the button; shown 1:1.
    const int frameHeight = m_row.height;
    const QRect source(0, Frame() * frameHeight, m_row.width, frameHeight);
    painter.drawPixmap(QRect(0, 0, m_row.width, frameHeight), m_strip, source);
}

void SkinnedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_state != kButtonNormal)
        return;
    m_state = kButtonPressed;
    repaint();
    if (m_style.toggle || m_style.select)
        emit Command(m_row.id);
}

void SkinnedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A Toggle button stays pressed: its owner sets the state that the command leads to.
    if (m_style.toggle || m_state != kButtonPressed)
        return;
    m_state = kButtonNormal;
    repaint();
    // Plain push buttons act on the release, even outside their area; Select buttons acted on
    // the press.
    if (!m_style.select)
        emit Command(m_row.id);
}

bool SkinnedButton::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && (!m_tooltipActive || m_tooltip.isEmpty()))
        return true;
    return QWidget::event(event);
}

SkinnedButton* ButtonSet::Find(std::string_view name) const
{
    for (SkinnedButton* button : m_buttons) {
        if (name == button->Row().name)
            return button;
    }
    return nullptr;
}

SkinnedButton& ButtonSet::operator[](std::string_view name) const
{
    SkinnedButton* button = Find(name);
    Q_ASSERT(button);
    return *button;
}

void ButtonSet::ResetTooltips() const
{
    for (SkinnedButton* button : m_buttons)
        button->ResetTooltip();
}
