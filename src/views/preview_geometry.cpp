#include "views/preview_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

int NotNegative(int value)
{
    return std::max(value, 0);
}

int ScaledOffset(int offset, int to, int from)
{
    return static_cast<int>(int64_t{offset} * to / from);
}

int ToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

int ControlPanelHeight(bool infoOpen)
{
    return infoOpen ? kControlPanelOpenHeight : kControlPanelClosedHeight;
}

PreviewWindows LayoutPreviewWindows(int clientWidth, int clientHeight, bool infoOpen, bool soundWhileZoomed)
{
    const int panelHeight = ControlPanelHeight(infoOpen);
    PreviewWindows windows;
    windows.filmstrip = {kFilmstripMargin, clientHeight - kFilmstripHeight, NotNegative(clientWidth - 2 * kFilmstripMargin),
                         kFilmstripHeight};
    windows.controlPanel = {(clientWidth - kControlPanelWidth) / 2, clientHeight - kFilmstripHeight - panelHeight,
                            kControlPanelWidth, panelHeight};
    const int pictureHeight
        = clientHeight - panelHeight - kFilmstripHeight - (soundWhileZoomed ? kSoundStripReserve : 0);
    windows.pictureArea = {0, 0, NotNegative(clientWidth), NotNegative(pictureHeight)};
    return windows;
}

int WhiteBandBottom(int clientHeight, bool infoOpen)
{
    return clientHeight - (infoOpen ? 273 : 186);
}

PictureSize FitWithoutEnlarging(int64_t width, int64_t height, int boxWidth, int boxHeight)
{
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return {};
    int64_t w = width;
    int64_t h = height;
    if (w > boxWidth) {
        h = std::max<int64_t>(1, height * boxWidth / width);
        w = boxWidth;
    }
    if (h > boxHeight) {
        w = std::max<int64_t>(1, width * boxHeight / height);
        h = boxHeight;
    }
    return {static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

PictureSize FitModeBox(int clientWidth, int clientHeight)
{
    return {NotNegative(clientWidth - 8), NotNegative(clientHeight - 30)};
}

GridRect FitModePlacement(int64_t width, int64_t height, int clientWidth, int clientHeight)
{
    const PictureSize box = FitModeBox(clientWidth, clientHeight);
    const PictureSize fitted = FitWithoutEnlarging(width, height, box.width, box.height);
    return {(clientWidth - fitted.width - 8) / 2, (clientHeight - 30 - fitted.height) / 2 + 12, fitted.width,
            fitted.height};
}

PreviewZoom ZoomedIn(const PreviewZoom& zoom)
{
    if (zoom.factor >= kMaximumZoom)
        return zoom;
    PreviewZoom next = zoom;
    next.factor = std::max(zoom.factor, kMinimumZoom) + 1;
    if (zoom.fitMode || zoom.factor <= kMinimumZoom) {
        // Leaving the fitted picture starts from the centre.
        next.offsetX = 0;
        next.offsetY = 0;
    } else {
        next.offsetX = ScaledOffset(zoom.offsetX, next.factor, zoom.factor);
        next.offsetY = ScaledOffset(zoom.offsetY, next.factor, zoom.factor);
    }
    next.fitMode = false;
    return next;
}

PreviewZoom ZoomedOut(const PreviewZoom& zoom)
{
    if (zoom.factor <= kMinimumZoom)
        return zoom;
    PreviewZoom next = zoom;
    next.factor = std::min(zoom.factor, kMaximumZoom) - 1;
    if (next.factor == kMinimumZoom)
        return PreviewZoom{};
    next.offsetX = ScaledOffset(zoom.offsetX, next.factor, zoom.factor);
    next.offsetY = ScaledOffset(zoom.offsetY, next.factor, zoom.factor);
    return next;
}

std::string ZoomText(int factor)
{
    return std::to_string(factor) + "00%";
}

PictureSize ZoomContentSize(int64_t width, int64_t height, int clientWidth, int clientHeight, int factor)
{
    const PictureSize fitted = FitWithoutEnlarging(width, height, clientWidth, clientHeight);
    return {ToInt(int64_t{fitted.width} * factor), ToInt(int64_t{fitted.height} * factor)};
}

ScrollAxis LayoutScrollAxis(int content, int client, int storedOffset)
{
    ScrollAxis axis;
    const int centred = (content - client) / 2;
    axis.maximum = std::max(0, content - client);
    axis.position = ToInt(std::clamp<int64_t>(int64_t{storedOffset} + centred, 0, axis.maximum));
    axis.offset = OffsetOfScrollPosition(axis.position, content, client);
    axis.pageSize = NotNegative(client);
    axis.lineStep = NotNegative(client / 10);
    axis.pageStep = NotNegative(static_cast<int>(int64_t{client} * 9 / 10));
    return axis;
}

int OffsetOfScrollPosition(int position, int content, int client)
{
    if (content < client)
        return 0;
    return position - (content - client) / 2;
}

ZoomedPart ZoomedPartOf(int64_t width, int64_t height, PictureSize content, int clientWidth, int clientHeight,
                        int offsetX, int offsetY)
{
    ZoomedPart part;
    if (width <= 0 || height <= 0 || content.width <= 0 || content.height <= 0)
        return part;
    const auto axis = [](int64_t picture, int64_t contentSize, int client, int offset, int& sourceStart,
                         int& sourceSize, int& targetStart, int& targetSize) {
        const int64_t visible = std::min<int64_t>(std::max(client, 0), contentSize);
        const int64_t size = std::clamp<int64_t>(picture * visible / contentSize, visible > 0 ? 1 : 0, picture);
        const int64_t start = picture * (offset + (contentSize - visible) / 2) / contentSize;
        sourceStart = static_cast<int>(std::clamp<int64_t>(start, 0, picture - size));
        sourceSize = static_cast<int>(size);
        targetSize = static_cast<int>(visible);
        targetStart = static_cast<int>((client - visible) / 2);
    };
    axis(width, content.width, clientWidth, offsetX, part.source.left, part.source.width, part.target.left,
         part.target.width);
    axis(height, content.height, clientHeight, offsetY, part.source.top, part.source.height, part.target.top,
         part.target.height);
    return part;
}

FaceMapping FitModeFaceMapping(const GridRect& drawn, int64_t pictureWidth)
{
    FaceMapping mapping;
    mapping.scale = pictureWidth > 0 ? static_cast<double>(drawn.width) / static_cast<double>(pictureWidth) : 0;
    mapping.originX = drawn.left;
    mapping.originY = drawn.top;
    return mapping;
}

FaceMapping ZoomFaceMapping(PictureSize content, int64_t pictureWidth, int clientWidth, int clientHeight,
                            int offsetX, int offsetY)
{
    FaceMapping mapping;
    mapping.scale
        = pictureWidth > 0 ? static_cast<double>(content.width) / static_cast<double>(pictureWidth) : 0;
    mapping.originX = clientWidth / 2 - content.width / 2 - offsetX;
    mapping.originY = clientHeight / 2 - content.height / 2 - offsetY;
    return mapping;
}

GridRect MapFaceRect(const FaceRect& face, const FaceMapping& mapping)
{
    const auto map = [&mapping](int32_t value, int origin) {
        return ToInt(origin + static_cast<int64_t>(std::floor(value * mapping.scale)));
    };
    return GridRect::FromEdges(map(face.left, mapping.originX), map(face.top, mapping.originY),
                               map(face.right, mapping.originX), map(face.bottom, mapping.originY));
}

std::optional<size_t> FaceAtPoint(const std::vector<FaceRect>& faces, const FaceMapping& mapping, int x, int y)
{
    for (size_t i = 0; i < faces.size(); ++i) {
        if (MapFaceRect(faces[i], mapping).Contains(x, y))
            return i;
    }
    return std::nullopt;
}

PreviewZoom ZoomForFace(const FaceRect& face, int64_t width, int64_t height, int clientWidth, int clientHeight)
{
    const PictureSize fitted = FitWithoutEnlarging(width, height, clientWidth, clientHeight);
    if (fitted.width <= 0)
        return {};
    const double faceWidth = static_cast<double>(face.right) - face.left;
    const double faceHeight = static_cast<double>(face.bottom) - face.top;
    for (int factor = kMaximumZoom; factor > kMinimumZoom; --factor) {
        const double scale = static_cast<double>(fitted.width) * factor / static_cast<double>(width);
        if (faceWidth * scale < clientWidth && faceHeight * scale < clientHeight) {
            PreviewZoom zoom;
            zoom.factor = factor;
            zoom.fitMode = false;
            const double centreX = (static_cast<double>(face.left) + face.right) / 2;
            const double centreY = (static_cast<double>(face.top) + face.bottom) / 2;
            zoom.offsetX = ToInt(static_cast<int64_t>(scale * (centreX - static_cast<double>(width) / 2)));
            zoom.offsetY = ToInt(static_cast<int64_t>(scale * (centreY - static_cast<double>(height) / 2)));
            return zoom;
        }
    }
    // A face that fits at no larger factor is shown in the fitted picture, whether or not it
    // fits there: there is no zoom to divide by otherwise.
    return {};
}

PreviewButtonEnabling PreviewButtonsEnabled(const PreviewButtonInputs& inputs)
{
    const bool selected = inputs.selectedCount > 0;
    PreviewButtonEnabling enabling;
    enabling.back = inputs.count > 0 && inputs.focus > 0;
    enabling.forward = inputs.count > 0 && inputs.focus + 1 < inputs.count;
    enabling.minus = selected && inputs.zoom >= 2 && inputs.hasPicture;
    enabling.plus = selected && inputs.zoom <= 4 && inputs.hasPicture;
    enabling.face = selected && inputs.pictureDecoded && (inputs.zoom == kMinimumZoom || inputs.facesShown);
    enabling.rotate = inputs.selectedCount == 1 && inputs.currentRotatable && inputs.zoom == kMinimumZoom;
    enabling.trash = selected && !inputs.folderSelected;
    return enabling;
}
