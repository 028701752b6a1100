#include "keyed_folder.h"

#include <QColor>

#include "palette.h"
#include "resource_bitmap.h"

QPainterPath FolderOutline(const QRectF& area, double tab, double radius)
{
    const double r = radius;
    const double left = area.left();
    const double top = area.top();
    const double right = area.right();
    const double bottom = area.bottom();
    const double tabEnd = left + area.width() * 0.4;
    const double slant = tab * 0.9;
    QPainterPath path;
    path.moveTo(left, top + r);
    path.quadTo(left, top, left + r, top);
    path.lineTo(tabEnd - r, top);
    path.quadTo(tabEnd, top, tabEnd + r * 0.6, top + r * 0.6);
    path.lineTo(tabEnd + slant - r * 0.6, top + tab - r * 0.6);
    path.quadTo(tabEnd + slant, top + tab, tabEnd + slant + r, top + tab);
    path.lineTo(right - r, top + tab);
    path.quadTo(right, top + tab, right, top + tab + r);
    path.lineTo(right, bottom - r);
    path.quadTo(right, bottom, right - r, bottom);
    path.lineTo(left + r, bottom);
    path.quadTo(left, bottom, left, bottom - r);
    path.closeSubpath();
    return path;
}

QImage KeyedOnto(const QImage& drawing)
{
    QImage keyed = NewPicture(drawing.width(), drawing.height(), palette::kKeyColour);
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); ++x) {
            const QColor pixel = drawing.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            const double a = pixel.alphaF();
            keyed.setPixelColor(x, y,
                                QColor::fromRgbF(pixel.redF() * a + (1 - a), pixel.greenF() * a + (1 - a),
                                                 pixel.blueF() * a + (1 - a)));
        }
    }
    return keyed;
}
