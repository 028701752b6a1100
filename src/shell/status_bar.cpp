#include "shell/status_bar.h"

#include <QPainter>
#include <QSizeGrip>

#include "shell/main_layout.h"

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent)
    , m_grip(new QSizeGrip(this))
{
    setObjectName("StatusBar");
    setFixedHeight(fontMetrics().height() + 8);
}

void StatusBar::SetText(int part, const QString& text)
{
    if (part < 0 || part >= static_cast<int>(m_texts.size()) || m_texts[static_cast<size_t>(part)] == text)
        return;
    m_texts[static_cast<size_t>(part)] = text;
    update();
}

QString StatusBar::Text(int part) const
{
    if (part < 0 || part >= static_cast<int>(m_texts.size()))
        return {};
    return m_texts[static_cast<size_t>(part)];
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QSize grip = m_grip->sizeHint();
    m_grip->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(), grip.height());
}

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xF0, 0xF2, 0xF6));
    painter.setPen(QColor(0xBF, 0xC8, 0xD1));
    painter.drawLine(0, 0, width(), 0);
    int left = 0;
    for (size_t part = 0; part < m_texts.size(); ++part) {
        const int right = std::min(kStatusPartEnds[part], width());
        if (right <= left)
            break;
        painter.setPen(QColor(0xBF, 0xC8, 0xD1));
        if (right < width())
            painter.drawLine(right - 1, 3, right - 1, height() - 4);
        painter.setPen(QColor(0x22, 0x2B, 0x3A));
        const QRect textRect(left + 6, 1, right - left - 12, height() - 1);
        const QString shown = painter.fontMetrics().elidedText(m_texts[part], Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        left = right;
    }
}
