#include "shell/splitter_bar.h"

#include <QMouseEvent>
#include <QPainter>

SplitterBar::SplitterBar(std::function<bool()> canDrag, std::function<void(int)> onDrag, QWidget* parent)
    : QWidget(parent)
    , m_canDrag(std::move(canDrag))
    , m_onDrag(std::move(onDrag))
{
    setObjectName("Splitter");
    setMouseTracking(true);
}

void SplitterBar::ShowCursor()
{
    if (m_dragging || m_canDrag())
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
}

void SplitterBar::enterEvent(QEnterEvent* event)
{
    ShowCursor();
    QWidget::enterEvent(event);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_canDrag())
        m_dragging = true;
    ShowCursor();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    ShowCursor();
    if (m_dragging)
        m_onDrag(mapToParent(event->position().toPoint()).x());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    ShowCursor();
}

void SplitterBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xDD, 0xE3, 0xEE));
    painter.setPen(QColor(0xBF, 0xC8, 0xD1));
    painter.drawLine(width() - 1, 0, width() - 1, height());
}
