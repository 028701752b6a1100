#include "date_imprint.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace {

// Segments a to g of the digits 0 to 9, one bit each (a = bit 0).
constexpr std::array<unsigned, 10> kDigitSegments
    = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

const QColor kImprintCore(0xFF, 0xA0, 0x2A);
const QColor kImprintGlow(0xFF, 0x5E, 0x0A, 90);
const QColor kImprintShadow(0x30, 0x18, 0x00, 90);

// One segment: a long hexagon from `from` to `to` (horizontal or vertical), `thickness` wide.
QPainterPath Segment(QPointF from, QPointF to, double thickness)
{
    const bool horizontal = from.y() == to.y();
    const double half = thickness / 2;
    const double gap = thickness * 0.12;
    QPolygonF shape;
    if (horizontal) {
        const double left = from.x() + gap;
        const double right = to.x() - gap;
        shape << QPointF(left, from.y()) << QPointF(left + half, from.y() - half)
              << QPointF(right - half, from.y() - half) << QPointF(right, from.y())
              << QPointF(right - half, from.y() + half) << QPointF(left + half, from.y() + half);
    } else {
        const double top = from.y() + gap;
        const double bottom = to.y() - gap;
        shape << QPointF(from.x(), top) << QPointF(from.x() + half, top + half)
              << QPointF(from.x() + half, bottom - half) << QPointF(from.x(), bottom)
              << QPointF(from.x() - half, bottom - half) << QPointF(from.x() - half, top + half);
    }
    QPainterPath path;
    path.addPolygon(shape);
    path.closeSubpath();
    return path;
}

// The lit segments of one digit whose cell starts at `origin` (top left), `height` tall.
QPainterPath Digit(int digit, QPointF origin, double height)
{
    const double width = height * 0.5;
    const double thickness = height * 0.13;
    const double x0 = origin.x() + thickness / 2;
    const double x1 = origin.x() + width - thickness / 2;
    const double y0 = origin.y() + thickness / 2;
    const double y1 = origin.y() + height / 2;
    const double y2 = origin.y() + height - thickness / 2;
    const std::array<std::pair<QPointF, QPointF>, 7> segments = {{
        {{x0, y0}, {x1, y0}}, // a
        {{x1, y0}, {x1, y1}}, // b
        {{x1, y1}, {x1, y2}}, // c
        {{x0, y2}, {x1, y2}}, // d
        {{x0, y1}, {x0, y2}}, // e
        {{x0, y0}, {x0, y1}}, // f
        {{x0, y1}, {x1, y1}}, // g
    }};
    QPainterPath path;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (kDigitSegments[static_cast<std::size_t>(digit)] & (1u << i))
            path.addPath(Segment(segments[i].first, segments[i].second, thickness));
    }
    return path;
}

} // namespace

void PaintDateImprint(QImage& picture, const DemoDate& date)
{
    // "'YY MM DD" with the month's and day's leading zero left blank, as cameras print it.
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "'%02d %2d %2d", date.year % 100, date.month % 100, date.day % 100);
    const std::string_view text(buffer);

    const double height = std::max(12.0, std::min(picture.width(), picture.height()) * 0.045);
    const double advance = height * 0.68;
    const double margin = std::min(picture.width(), picture.height()) * 0.045;
    const double textWidth = advance * static_cast<double>(text.size());
    const QPointF origin(picture.width() - margin - textWidth, picture.height() - margin - height);

    QPainterPath imprint;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const QPointF cell = origin + QPointF(advance * static_cast<double>(i), 0);
        if (text[i] >= '0' && text[i] <= '9') {
            imprint.addPath(Digit(text[i] - '0', cell, height));
        } else if (text[i] == '\'') {
            imprint.addPath(Segment(cell + QPointF(advance * 0.55, 0),
                                    cell + QPointF(advance * 0.55, height * 0.3), height * 0.13));
        }
    }
    // The digits lean a little, like the segment displays behind the lens.
    QTransform lean;
    lean.translate(0, origin.y() + height);
    lean.shear(-0.1, 0);
    lean.translate(0, -(origin.y() + height));
    imprint = lean.map(imprint);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // A faint shadow keeps the digits readable on bright, busy ground.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kImprintShadow);
    painter.drawPath(imprint.translated(height * 0.05, height * 0.05));
    painter.setPen(QPen(kImprintGlow, height * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kImprintGlow);
    painter.drawPath(imprint);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kImprintCore);
    painter.drawPath(imprint);
}
