#include "shell/information_area.h"

#include <QPainter>

InformationArea::InformationArea(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("InformationArea");
}

void InformationArea::SetLines(const std::vector<std::string>& lines)
{
    QStringList texts;
    for (const std::string& line : lines)
        texts << QString::fromStdString(line);
    if (texts == m_lines)
        return;
    m_lines = std::move(texts);
    update();
}

void InformationArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xF4, 0xF6, 0xFA));
    painter.setPen(QColor(0xBF, 0xC8, 0xD1));
    painter.drawLine(0, 0, width(), 0);
    painter.setPen(QColor(0x22, 0x2B, 0x3A));
    const int lineHeight = painter.fontMetrics().height() + 2;
    int y = 8;
    for (const QString& line : m_lines) {
        if (y + lineHeight > height())
            break;
        const QString shown = painter.fontMetrics().elidedText(line, Qt::ElideRight, width() - 20);
        painter.drawText(QRect(10, y, width() - 20, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, shown);
        y += lineHeight;
    }
}
