#include "camera_picture.h"

#include <cstring>

#include <QPainter>
#include <QTransform>

#include "library/dib_image.h"
#include "media_writers/jpeg_writer.h"

namespace {

constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 120;

} // namespace

QImage StoredForOrientation(const QImage& upright, int orientation)
{
    // Qt turns clockwise for positive angles (y grows downwards).
    switch (orientation) {
    case 3: return upright.transformed(QTransform().rotate(180));
    case 6: return upright.transformed(QTransform().rotate(-90));
    case 8: return upright.transformed(QTransform().rotate(90));
    default: return upright;
    }
}

QImage EmbeddedThumbnail(const QImage& stored)
{
    QImage thumbnail(kThumbnailWidth, kThumbnailHeight, QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    const QImage fitted
        = stored.scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&thumbnail);
    painter.drawImage((kThumbnailWidth - fitted.width()) / 2, (kThumbnailHeight - fitted.height()) / 2,
                      fitted);
    return thumbnail;
}

DibImage ToDibImage(const QImage& picture)
{
    const QImage rows = picture.convertToFormat(QImage::Format_BGR888);
    DibImage image;
    if (!image.Create(static_cast<uint32_t>(rows.width()), static_cast<uint32_t>(rows.height()), 24))
        return image;
    const auto rowBytes = static_cast<std::size_t>(rows.width()) * 3;
    for (int y = 0; y < rows.height(); ++y)
        std::memcpy(image.Row(static_cast<uint32_t>(y)), rows.constScanLine(y), rowBytes);
    return image;
}

Bytes CameraJpeg(const QImage& picture, int quality)
{
    return EncodeJpeg(ToDibImage(picture), JpegEncoding{quality, false});
}
