#include "preview_pictures.h"

#include <QPainter>

#include "palette.h"

namespace {

// The fields of the date and comment panel, in its coordinates (each date field is 4 pixels
// narrower than its column); the rim of a well lies one pixel outside its field.
struct FieldWell {
    int x;
    int y;
    int width;
    int height;
};

constexpr FieldWell kWells[] = {
    {91, 21, 47, 18},  // year
    {142, 21, 34, 18}, // month
    {180, 21, 45, 18}, // day
    {229, 21, 35, 18}, // hour
    {268, 21, 46, 18}, // minute
    {318, 21, 46, 18}, // second
    {91, 44, 247, 18}, // comment
};

const QColor kWellRim{0xA9, 0xB5, 0xC9};
const QColor kWellShade{0xD2, 0xD9, 0xE5};

// A recessed field: a darker line along the top inside the rim reads as depth on the light bar.
void PaintWell(QPainter& painter, const FieldWell& well)
{
    const QRectF outer(well.x - 0.5, well.y - 0.5, well.width + 1, well.height + 1);
    painter.setPen(QPen(kWellRim, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(outer, 2.5, 2.5);
    painter.setPen(QPen(kWellShade, 1));
    painter.drawLine(QPointF(well.x + 1.5, well.y + 0.5), QPointF(well.x + well.width - 1.5, well.y + 0.5));
}

QImage MakeEditPanel()
{
    QImage image = NewPicture(kEditPanelWidth, kEditPanelHeight, palette::kLightBar);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A face a shade lighter than the bar holds the fields, so that the panel reads as one card.
    painter.setPen(QPen(palette::kLightBarLine, 1));
    painter.setBrush(palette::kLightFace);
    painter.drawRoundedRect(QRectF(3.5, 1.5, kEditPanelWidth - 7, kEditPanelHeight - 4), 6, 6);
    for (const FieldWell& well : kWells)
        PaintWell(painter, well);
    return image;
}

QImage MakeMagnifierFrame()
{
    QImage image = NewPicture(kMagnifierWidth, kMagnifierHeight, palette::kLightBar);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The buttons are copied over the frame with the bar's own ground, so only the rim shows
    // around them and the frame's face stays the bar's.
    painter.setPen(QPen(palette::kLightBarLine, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.5, 0.5, kMagnifierWidth - 1, kMagnifierHeight - 1), 7, 7);
    return image;
}

QImage MakeZoomPlate()
{
    // Transparent corners would show black where the panel copies the plate without blending,
    // so the plate carries the bar's ground around its rounded corners.
    QImage image = NewPicture(kZoomPlateWidth, kZoomPlateHeight, palette::kLightBar);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::kLightGlyph);
    painter.drawRoundedRect(QRectF(0, 3, kZoomPlateWidth, kZoomPlateHeight - 6), 5, 5);
    return image;
}

} // namespace

ResourceBitmaps MakePreviewPictures()
{
    ResourceBitmaps bitmaps;
    bitmaps.push_back({"BMP_PREVIEW_EDIT_PANEL", MakeEditPanel()});
    bitmaps.push_back({"BMP_PREVIEW_MAG", MakeMagnifierFrame()});
    bitmaps.push_back({"BMP_PREVIEW_MAG_BG", MakeZoomPlate()});
    return bitmaps;
}
