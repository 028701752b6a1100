#include "resource_bitmap.h"

#include <iterator>

QImage NewPicture(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

QFont LetteringFont(int pixelSize, QFont::Weight weight)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void Append(ResourceBitmaps& to, ResourceBitmaps from)
{
    to.reserve(to.size() + from.size());
    std::move(from.begin(), from.end(), std::back_inserter(to));
}
