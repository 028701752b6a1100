#include "views/preview_picture_area.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include "formats/image_transform.h"
#include "formats/resampler.h"
#include "library/dib_image.h"
#include "views/qt_forms.h"
#include "views/thumbnail_cell_painter.h"
#include "views/view_host.h"

namespace {

// The transform of a number of counter-clockwise quarter turns (1 to 3).
int QuarterTurnTransform(int quarterTurns)
{
    switch (quarterTurns) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    default: return 0;
    }
}

SharedPicture Rotated(const SharedPicture& source, int quarterTurns)
{
    if (!source || quarterTurns == 0)
        return source;
    auto rotated = std::make_shared<DibImage>();
    if (TransformImage(source.get(), rotated.get(), QuarterTurnTransform(quarterTurns)) != 0)
        return source;
    return rotated;
}

int ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ControlModifier) ? kModifierCtrl : 0)
        | ((modifiers & Qt::ShiftModifier) ? kModifierShift : 0);
}

// A frame `thickness` pixels wide just inside `rect`.
void FillFrame(QPainter& painter, const GridRect& rect, int thickness, const QColor& colour)
{
    if (rect.width <= 0 || rect.height <= 0)
        return;
    const int t = std::min({thickness, rect.width, rect.height});
    painter.fillRect(QRect(rect.left, rect.top, rect.width, t), colour);
    painter.fillRect(QRect(rect.left, rect.Bottom() - t, rect.width, t), colour);
    painter.fillRect(QRect(rect.left, rect.top, t, rect.height), colour);
    painter.fillRect(QRect(rect.Right() - t, rect.top, t, rect.height), colour);
}

} // namespace

PreviewPictureArea::PreviewPictureArea(std::unique_ptr<PreviewLoader> loader, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_loader(loader ? std::move(loader) : std::make_unique<PreviewLoader>())
    , m_bitmaps(ThumbnailColours{})
{
    setObjectName("PreviewPictureArea");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The loader calls back on its own thread; the repaint is queued to this object, and the
    // loader is joined before this object goes, so no call can come in after.
    QPointer<PreviewPictureArea> self(this);
    m_loader->SetReadyCallback([this, self](const std::string& path) {
        QMetaObject::invokeMethod(
            this,
            [self, path] {
                if (self)
                    self->OnPictureReady(path);
            },
            Qt::QueuedConnection);
    });
}

PreviewPictureArea::~PreviewPictureArea()
{
    m_loader.reset();
}

void PreviewPictureArea::ShowFile(const std::string& path, bool isPicture, std::vector<std::string> neighbours)
{
    const bool newPath = path != m_path;
    m_path = path;
    m_isPicture = isPicture && !path.empty();
    m_neighbours = std::move(neighbours);
    if (newPath) {
        m_source.reset();
        m_picture.reset();
        m_failed = false;
        m_rotation = 0;
        m_faces.clear();
        m_facesShown = false;
        m_nextFace = 0;
        m_hoveredFace.reset();
    }
    RequestPicture();
    RefreshPicture();
    ApplyScrollBars();
    viewport()->update();
    emit StateChanged();
}

void PreviewPictureArea::Reload()
{
    m_loader->Forget(m_path);
    m_requestedPath.clear();
    m_source.reset();
    m_picture.reset();
    m_failed = false;
    m_rotation = 0;
    ClearFaces();
    m_zoom = PreviewZoom{};
    RequestPicture();
    RefreshPicture();
    ApplyScrollBars();
    viewport()->update();
    emit StateChanged();
}

void PreviewPictureArea::Forget(const std::string& path)
{
    if (path == m_path) {
        Reload();
        return;
    }
    m_loader->Forget(path);
    if (std::find(m_requestedNeighbours.begin(), m_requestedNeighbours.end(), path) != m_requestedNeighbours.end())
        m_requestedPath.clear();
    RequestPicture();
}

void PreviewPictureArea::SetRotation(int quarterTurns)
{
    const int rotation = ((quarterTurns % 4) + 4) % 4;
    if (rotation == m_rotation)
        return;
    m_rotation = rotation;
    ClearFaces();
    m_picture = Rotated(m_source, m_rotation);
    ApplyScrollBars();
    viewport()->update();
    emit StateChanged();
}

void PreviewPictureArea::OnPictureReady(const std::string& path)
{
    if (path != m_path)
        return;
    const SharedPicture before = m_picture;
    const bool failedBefore = m_failed;
    RefreshPicture();
    if (m_picture == before && m_failed == failedBefore)
        return;
    ApplyScrollBars();
    viewport()->update();
    emit StateChanged();
}

void PreviewPictureArea::RefreshPicture()
{
    if (!m_isPicture) {
        m_source.reset();
        m_picture.reset();
        m_failed = false;
        return;
    }
    m_failed = m_loader->Failed(m_path);
    SharedPicture source = m_loader->Picture(m_path);
    // While a larger decode of the same file runs, its smaller one stands in.
    if (!source)
        source = m_loader->AnyPicture(m_path);
    if (!source) {
        // Nothing of this file yet: the background shows rather than another file's picture.
        if (m_failed) {
            m_source.reset();
            m_picture.reset();
        }
        return;
    }
    if (source == m_source)
        return;
    const PictureSize before = ShownPictureSize();
    m_source = std::move(source);
    m_picture = Rotated(m_source, m_rotation);
    // A decode of another size keeps the faces on the same places of the picture.
    const PictureSize after = ShownPictureSize();
    if (!m_faces.empty() && before.width > 0 && !(before == after)) {
        m_faces = ScaleFacesToPicture(m_faces, m_facesPictureSize, after);
        m_facesPictureSize = after;
        if (m_faces.empty())
            ClearFaces();
    }
}

PictureSize PreviewPictureArea::ShownPictureSize() const
{
    if (!m_picture || m_picture->IsEmpty())
        return {};
    return {static_cast<int32_t>(m_picture->Width()), static_cast<int32_t>(m_picture->Height())};
}

void PreviewPictureArea::RequestPicture()
{
    PictureSize box;
    if (m_zoom.factor <= kMinimumZoom) {
        box = FitModeBox(viewport()->width(), viewport()->height());
        // An area not laid out yet asks for nothing rather than for the full picture.
        if (box.width <= 0 || box.height <= 0)
            box = {1, 1};
    }
    const std::string current = m_isPicture ? m_path : std::string();
    if (current == m_requestedPath && box == m_requestedBox && m_neighbours == m_requestedNeighbours)
        return;
    m_requestedPath = current;
    m_requestedBox = box;
    m_requestedNeighbours = m_neighbours;
    m_loader->Show(current, m_neighbours, box.width, box.height);
}

void PreviewPictureArea::ZoomIn()
{
    SetZoom(ZoomedIn(m_zoom));
}

void PreviewPictureArea::ZoomOut()
{
    SetZoom(ZoomedOut(m_zoom));
}

void PreviewPictureArea::SetZoom(const PreviewZoom& zoom)
{
    PreviewZoom next = zoom;
    next.factor = std::clamp(next.factor, kMinimumZoom, kMaximumZoom);
    if (next.factor == kMinimumZoom)
        next = PreviewZoom{};
    const bool changed = !(next == m_zoom);
    m_zoom = next;
    ApplyScrollBars();
    RequestPicture();
    RefreshPicture();
    ApplyScrollBars();
    viewport()->update();
    if (changed)
        emit StateChanged();
}

void PreviewPictureArea::ApplyScrollBars()
{
    if (m_applyingScrollBars)
        return;
    m_applyingScrollBars = true;
    const bool zoomed = m_zoom.factor > kMinimumZoom;
    const Qt::ScrollBarPolicy policy = zoomed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy)
        setHorizontalScrollBarPolicy(policy);
    if (verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
    if (zoomed) {
        const int clientWidth = viewport()->width();
        const int clientHeight = viewport()->height();
        const PictureSize picture = ShownPictureSize();
        const PictureSize content
            = ZoomContentSize(picture.width, picture.height, clientWidth, clientHeight, m_zoom.factor);
        const ScrollAxis across = LayoutScrollAxis(content.width, clientWidth, m_zoom.offsetX);
        const ScrollAxis down = LayoutScrollAxis(content.height, clientHeight, m_zoom.offsetY);
        const auto apply = [](QScrollBar* bar, const ScrollAxis& axis) {
            bar->setRange(0, axis.maximum);
            bar->setSingleStep(std::max(axis.lineStep, 1));
            bar->setPageStep(std::max(axis.pageStep, 1));
            bar->setValue(axis.position);
            bar->setEnabled(axis.Needed());
        };
        apply(horizontalScrollBar(), across);
        apply(verticalScrollBar(), down);
        if (picture.width > 0) {
            m_zoom.offsetX = across.offset;
            m_zoom.offsetY = down.offset;
        }
    } else {
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
    }
    m_applyingScrollBars = false;
}

void PreviewPictureArea::scrollContentsBy(int, int)
{
    if (m_applyingScrollBars || m_zoom.factor <= kMinimumZoom)
        return;
    const PictureSize picture = ShownPictureSize();
    const PictureSize content = ZoomContentSize(picture.width, picture.height, viewport()->width(),
                                                viewport()->height(), m_zoom.factor);
    m_zoom.offsetX = OffsetOfScrollPosition(horizontalScrollBar()->value(), content.width, viewport()->width());
    m_zoom.offsetY = OffsetOfScrollPosition(verticalScrollBar()->value(), content.height, viewport()->height());
    viewport()->update();
}

void PreviewPictureArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    ApplyScrollBars();
    RequestPicture();
    viewport()->update();
}

GridRect PreviewPictureArea::FittedRect() const
{
    const PictureSize picture = ShownPictureSize();
    return FitModePlacement(picture.width, picture.height, viewport()->width(), viewport()->height());
}

FaceMapping PreviewPictureArea::CurrentFaceMapping() const
{
    const PictureSize picture = ShownPictureSize();
    if (picture.width <= 0)
        return {};
    if (m_zoom.factor <= kMinimumZoom)
        return FitModeFaceMapping(FittedRect(), picture.width);
    const int clientWidth = viewport()->width();
    const int clientHeight = viewport()->height();
    const PictureSize content
        = ZoomContentSize(picture.width, picture.height, clientWidth, clientHeight, m_zoom.factor);
    return ZoomFaceMapping(content, picture.width, clientWidth, clientHeight, m_zoom.offsetX, m_zoom.offsetY);
}

void PreviewPictureArea::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    if (m_path.empty() || !m_picture || m_failed)
        return;
    // The reference keeps the picture alive while it is drawn.
    const SharedPicture picture = m_picture;
    if (picture->IsEmpty() || picture->BitsPerPixel() != 24)
        return;
    if (m_zoom.factor <= kMinimumZoom)
        PaintFitted(painter, picture);
    else
        PaintZoomed(painter, *picture);
    if (m_facesShown)
        PaintFaces(painter);
}

void PreviewPictureArea::PaintFitted(QPainter& painter, const SharedPicture& shown)
{
    const GridRect drawn = FittedRect();
    if (drawn.IsEmpty())
        return;
    const DibImage& picture = *shown;
    // The copy depends on the picture and the fitted size; a move only draws it elsewhere.
    if (m_fitCache.isNull() || m_fitCacheSource != shown || m_fitCacheRect.width != drawn.width
        || m_fitCacheRect.height != drawn.height) {
        DibImage scaled;
        if (static_cast<int>(picture.Width()) == drawn.width && static_cast<int>(picture.Height()) == drawn.height)
            m_fitCache = PictureImage(picture).copy();
        else if (scaled.Create(static_cast<uint32_t>(drawn.width), static_cast<uint32_t>(drawn.height), 24)
                 && ResampleImage(picture, scaled) == kResampleOk)
            m_fitCache = PictureImage(scaled).copy();
        else
            m_fitCache = PictureImage(picture).scaled(drawn.width, drawn.height, Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation);
        m_fitCacheSource = shown;
        m_fitCacheRect = drawn;
        ++m_fitCacheBuilds;
    }
    painter.drawImage(drawn.left, drawn.top, m_fitCache);
    PaintShadow(painter, drawn);
}

void PreviewPictureArea::PaintShadow(QPainter& painter, const GridRect& drawn) const
{
    for (const auto& placement : ShadowPlacements(drawn)) {
        if (!placement || placement->target.IsEmpty())
            continue;
        const QPixmap& piece = m_bitmaps.Shadow(placement->piece, false);
        if (piece.isNull())
            continue;
        const QRect target = ToQRect(placement->target);
        if (placement->stretched)
            painter.drawPixmap(target, piece);
        else
            painter.drawPixmap(target.topLeft(), piece, QRect(QPoint(0, 0), target.size()));
    }
}

void PreviewPictureArea::PaintZoomed(QPainter& painter, const DibImage& picture)
{
    const int clientWidth = viewport()->width();
    const int clientHeight = viewport()->height();
    const PictureSize content = ZoomContentSize(picture.Width(), picture.Height(), clientWidth, clientHeight,
                                                m_zoom.factor);
    const ZoomedPart part = ZoomedPartOf(picture.Width(), picture.Height(), content, clientWidth, clientHeight,
                                         m_zoom.offsetX, m_zoom.offsetY);
    if (part.source.IsEmpty() || part.target.IsEmpty())
        return;
    // Only the visible part is copied and scaled, however large the picture.
    const QImage visible = PictureImage(picture).copy(ToQRect(part.source));
    const QImage scaled = visible.scaled(part.target.width, part.target.height, Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
    painter.drawImage(part.target.left, part.target.top, scaled);
}

void PreviewPictureArea::PaintFaces(QPainter& painter) const
{
    const FaceMapping mapping = CurrentFaceMapping();
    for (size_t i = 0; i < m_faces.size(); ++i) {
        const GridRect frame = MapFaceRect(m_faces[i], mapping);
        FillFrame(painter, frame, 1, QColor::fromRgba(kFaceOuterColour));
        const GridRect inner = GridRect::FromEdges(frame.left + 1, frame.top + 1, frame.Right() - 1, frame.Bottom() - 1);
        const QRgb colour = m_hoveredFace == i ? kFaceHoverColour : kFaceInnerColour;
        FillFrame(painter, inner, 2, QColor::fromRgba(colour));
    }
}

void PreviewPictureArea::SetFaces(std::vector<FaceRect> faces)
{
    m_faces = std::move(faces);
    m_facesPictureSize = ShownPictureSize();
    m_facesShown = !m_faces.empty();
    m_nextFace = 0;
    m_hoveredFace.reset();
    viewport()->update();
    emit StateChanged();
}

void PreviewPictureArea::ClearFaces()
{
    const bool had = m_facesShown || !m_faces.empty();
    m_faces.clear();
    m_facesShown = false;
    m_nextFace = 0;
    m_hoveredFace.reset();
    if (had) {
        viewport()->update();
        emit StateChanged();
    }
}

QSize PreviewPictureArea::ZoomedClientSize() const
{
    QSize client = viewport()->size();
    // At 100 % the bars are hidden; zoomed they take their room from the client.
    if (m_zoom.factor <= kMinimumZoom) {
        client.rwidth() -= verticalScrollBar()->sizeHint().width();
        client.rheight() -= horizontalScrollBar()->sizeHint().height();
    }
    return client.expandedTo(QSize(0, 0));
}

void PreviewPictureArea::ZoomToFace(const FaceRect& face)
{
    const PictureSize picture = ShownPictureSize();
    const QSize client = ZoomedClientSize();
    SetZoom(ZoomForFace(face, picture.width, picture.height, client.width(), client.height()));
}

void PreviewPictureArea::ZoomToNextFace()
{
    if (!m_facesShown)
        return;
    if (m_nextFace >= m_faces.size()) {
        ClearFaces();
        SetZoom(PreviewZoom{});
        return;
    }
    const FaceRect face = m_faces[m_nextFace++];
    ZoomToFace(face);
    viewport()->update();
}

void PreviewPictureArea::SetHoveredFace(std::optional<size_t> face)
{
    if (face == m_hoveredFace)
        return;
    m_hoveredFace = face;
    viewport()->update();
}

void PreviewPictureArea::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !m_facesShown) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const std::optional<size_t> face = FaceAtPoint(m_faces, CurrentFaceMapping(), point.x(), point.y());
    if (face)
        ZoomToFace(m_faces[*face]);
    else
        SetZoom(PreviewZoom{});
    ClearFaces();
    event->accept();
}

void PreviewPictureArea::mouseMoveEvent(QMouseEvent* event)
{
    if (m_facesShown) {
        const QPoint point = event->position().toPoint();
        SetHoveredFace(FaceAtPoint(m_faces, CurrentFaceMapping(), point.x(), point.y()));
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void PreviewPictureArea::keyPressEvent(QKeyEvent* event)
{
    const int modifiers = ModifiersOf(event->modifiers());
    const std::optional<NavigationKey> key = NavigationKeyOf(event->key());
    // Up and Down scroll the zoomed picture; every other navigation key moves through the files.
    if (key && *key != NavigationKey::Up && *key != NavigationKey::Down) {
        emit NavigationRequested(*key, modifiers);
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape: emit CommandRequested(ViewCommand::kStopLoading); break;
    case Qt::Key_Delete: emit CommandRequested(ViewCommand::kDelete); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: emit ZoomRequested(1); break;
    case Qt::Key_Minus: emit ZoomRequested(-1); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}
