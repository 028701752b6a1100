#include "host_picture.h"

#include <cstdint>

#include "service_client.h"

QRect FitRect(QSize picture, QRect area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const int64_t width = area.width();
    const int64_t height = area.height();
    // Compare cross products so that neither side is rounded before the choice.
    int64_t fittedWidth = width;
    int64_t fittedHeight = height;
    if (width * picture.height() > height * picture.width())
        fittedWidth = (height * picture.width() + picture.height() / 2) / picture.height();
    else
        fittedHeight = (width * picture.height() + picture.width() / 2) / picture.width();
    fittedWidth = fittedWidth < 1 ? 1 : fittedWidth;
    fittedHeight = fittedHeight < 1 ? 1 : fittedHeight;
    const int left = area.left() + static_cast<int>((width - fittedWidth) / 2);
    const int top = area.top() + static_cast<int>((height - fittedHeight) / 2);
    return QRect(left, top, static_cast<int>(fittedWidth), static_cast<int>(fittedHeight));
}

QImage ToQImage(const HostImage& image)
{
    if (image.bitsPerPixel != 24 || !image.pixels || image.width == 0 || image.height == 0 ||
        image.stride < image.width * 3)
        return {};
    const QImage view(static_cast<const uchar*>(image.pixels), static_cast<int>(image.width),
                      static_cast<int>(image.height), static_cast<qsizetype>(image.stride), QImage::Format_BGR888);
    return view.copy();
}

QImage ReadHostPicture(const std::string& path)
{
    HostImage image{};
    if (!ServiceClient::Instance().ReadImage(path, image))
        return {};
    QImage picture = ToQImage(image);
    VistrelFreeImage(&image);
    return picture;
}
