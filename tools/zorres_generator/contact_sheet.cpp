#include "contact_sheet.h"

#include <algorithm>

#include <QPainter>

namespace {

constexpr int kScale = 2;
constexpr int kPageWidth = 1500;
constexpr int kMargin = 16;
constexpr int kCaption = 16;

void PaintChecks(QPainter& painter, const QRect& area)
{
    constexpr int kCheck = 6;
    painter.fillRect(area, QColor(0xFF, 0xFF, 0xFF));
    for (int y = area.top(); y < area.bottom(); y += kCheck)
        for (int x = area.left() + ((y - area.top()) / kCheck % 2) * kCheck; x < area.right(); x += 2 * kCheck)
            painter.fillRect(QRect(x, y, kCheck, kCheck).intersected(area), QColor(0xDD, 0xDD, 0xDD));
}

} // namespace

QImage MakeContactSheet(const ResourceBitmaps& bitmaps)
{
    // Lay the pictures out in rows first, to know the page height.
    struct Place {
        QPoint at;
        const ResourceBitmap* bitmap;
    };
    std::vector<Place> places;
    int x = kMargin;
    int y = kMargin;
    int rowHeight = 0;
    for (const ResourceBitmap& bitmap : bitmaps) {
        const QSize size = bitmap.image.size() * kScale;
        const int width = std::max(size.width(), 150);
        if (x + width > kPageWidth - kMargin && x > kMargin) {
            x = kMargin;
            y += rowHeight + kMargin;
            rowHeight = 0;
        }
        places.push_back({QPoint(x, y), &bitmap});
        x += width + kMargin;
        rowHeight = std::max(rowHeight, size.height() + kCaption);
    }
    QImage sheet(kPageWidth, y + rowHeight + kMargin, QImage::Format_ARGB32);
    sheet.fill(QColor(0x80, 0x86, 0x90));
    QPainter painter(&sheet);
    painter.setFont(QFont("DejaVu Sans", 8));
    for (const Place& place : places) {
        const QRect area(place.at, place.bitmap->image.size() * kScale);
        PaintChecks(painter, area);
        painter.drawImage(area, place.bitmap->image);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(place.at.x(), area.bottom() + 13), place.bitmap->name);
    }
    return sheet;
}
