#pragma once

#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

// One picture of the language module, stored under its resource name ("BMP_TOP_BG").
struct ResourceBitmap {
    QString name;
    QImage image;
};

using ResourceBitmaps = std::vector<ResourceBitmap>;

// A new picture filled with `fill` (transparent by default), with an alpha channel.
QImage NewPicture(int width, int height, const QColor& fill = Qt::transparent);

// The interface font of the pictures' lettering, by pixel height.
QFont LetteringFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// Moves the pictures of `from` to the end of `to`.
void Append(ResourceBitmaps& to, ResourceBitmaps from);
