#include "period_labels.h"

#include <QPainter>

#include "palette.h"

namespace {

struct LabelLook {
    const char* bitmap;
    QColor face;
    QColor rim;
    QColor bar; // the accent bar down the left edge
    QColor pill;
};

const LabelLook kLabels[] = {
    {"BMP_PERIOD_INDEX0", palette::kLightFace, QColor(0xC9, 0xD2, 0xE2), QColor(0x9F, 0xB1, 0xCF), palette::kLightGlyph},
    {"BMP_PERIOD_INDEX1", QColor(0xFF, 0xF4, 0xC4), palette::kAccentDark, palette::kAccent, palette::kLightGlyph},
};

// The count is written in (0, 59)-(62, 71) of the label, right-aligned.
const QRectF kCountPill(3, 56, 64, 18);

} // namespace

ResourceBitmaps MakePeriodLabels()
{
    ResourceBitmaps bitmaps;
    for (const LabelLook& look : kLabels) {
        QImage image = NewPicture(kPeriodLabelWidth, kPeriodLabelHeight);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(look.rim, 1));
        painter.setBrush(look.face);
        painter.drawRoundedRect(QRectF(0.5, 0.5, kPeriodLabelWidth - 1, kPeriodLabelHeight - 1), 6, 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.bar);
        painter.drawRoundedRect(QRectF(3, 6, 3, 44), 1.5, 1.5);
        painter.setBrush(look.pill);
        painter.drawRoundedRect(kCountPill, kCountPill.height() / 2, kCountPill.height() / 2);
        painter.end();
        bitmaps.push_back({look.bitmap, image});
    }
    return bitmaps;
}
