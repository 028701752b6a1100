#include "views/thumbnail_cell_painter.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QPen>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include "formats/image_fit.h"
#include "shell/app_settings.h"
#include "shell/resource_modules.h"
#include "views/qt_forms.h"

namespace {

PictureRequest RequestOfSize(int size, bool isFolder)
{
    if (isFolder)
        return PictureRequest::FolderPreview;
    return size == 2 ? PictureRequest::LargeThumbnail : PictureRequest::SmallThumbnail;
}

bool IsSixteenBitTiff(const MediaItem& item)
{
    const MediaItemDetail* detail = item.detail.get();
    return item.typeName == "TIFF" && detail && detail->loaded.load(std::memory_order_acquire)
        && detail->mediumInfo.bitsPerPixel == 48;
}

} // namespace

int ThumbnailCodeOfSize(int size)
{
    return size == 0 ? 1 : size == 2 ? 3 : 2;
}

bool RequestCellPictures(MediaItem& item, int size)
{
    MediaItemDetail* detail = item.detail.get();
    if (!detail)
        return false;
    const PictureRequest request = RequestOfSize(size, item.IsFolder());
    if (detail->IsRequested(request))
        return false;
    detail->Request(request);
    return true;
}

ThumbnailJob MakeThumbnailJob(const std::vector<MediaItem*>& requested, QWidget* repaintTarget)
{
    ThumbnailJob job;
    job.items.reserve(requested.size());
    for (const MediaItem* item : requested) {
        ThumbnailJobItem jobItem;
        jobItem.path = item->fullPath;
        jobItem.detail = item->detail.get();
        jobItem.isFolder = item->IsFolder();
        jobItem.hasSoundMemo = item->hasSoundMemo;
        job.items.push_back(std::move(jobItem));
    }
    // Called on the worker thread: the update is queued to the main thread, where the pointer
    // tells whether the view still exists.
    QPointer<QWidget> target = repaintTarget;
    job.repaint = [target] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [target] {
                if (target)
                    target->update();
            },
            Qt::QueuedConnection);
    };
    return job;
}

void TrimAfterPaint(std::vector<MediaItem>& items, const std::optional<VisibleRange>& visible)
{
    if (items.empty())
        return;
    // Nothing visible: an empty range (first above last) keeps no item.
    const size_t first = visible ? visible->first : 1;
    const size_t last = visible ? visible->last : 0;
    const auto limit = static_cast<size_t>(std::max(CurrentSettings().maxThumbnailCache, kMinimumThumbnailCache));
    ThumbnailWorker::Trim(items, first, last, limit);
}

SharedPicture CellThumbnail(MediaItem& item, int size)
{
    MediaItemDetail* detail = item.detail.get();
    if (!detail)
        return nullptr;
    const int code = ThumbnailCodeOfSize(size);
    SharedPicture picture = detail->thumbnails[static_cast<size_t>(code)].Get();
    if (picture || code != 1)
        return picture;
    // The worker makes 160 x 120 thumbnails; the small one is scaled from it once, here, so
    // that small cells do not shrink the bigger picture on every paint.
    const SharedPicture medium = detail->thumbnails[2].Get();
    if (!medium)
        return nullptr;
    const PictureSize box = ThumbnailBox(1);
    std::unique_ptr<DibImage> small = ScaleToFit(*medium, box.width, box.height);
    if (!small)
        return medium;
    picture = SharedPicture(std::move(small));
    detail->thumbnails[1].Set(picture);
    return picture;
}

QImage PictureImage(const DibImage& picture)
{
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24)
        return {};
    return QImage(picture.Pixels(), static_cast<int>(picture.Width()), static_cast<int>(picture.Height()),
                  static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
}

QFont ThumbnailNameFont()
{
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

void PaintBandOutline(QPainter& painter, const GridRect& band)
{
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidth(1);
    pen.setDashPattern({1.0, 1.0});
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band.left, band.top, std::max(0, band.width - 1), std::max(0, band.height - 1));
    painter.restore();
}

std::string BadgeIconName(const MediaItem& item, int size)
{
    if (item.typeName == "MOV")
        return {};
    std::string name;
    if (item.isMovie)
        name = "ICON_MOVIE";
    else if (item.isRaw)
        name = "ICON_RAW";
    else if (item.adobeRgb)
        name = "ICON_ADOBE";
    else if (IsSixteenBitTiff(item))
        name = "ICON_TIFF16";
    else
        return {};
    return name + (size == 0 ? "_S" : "_L");
}

ThumbnailCellPainter::ThumbnailCellPainter(QPainter& painter, int size, const ThumbnailBitmaps& bitmaps,
                                           const ThumbnailColours& colours, const QFont& nameFont)
    : m_painter(painter)
    , m_size(size)
    , m_geometry(CellGeometryFor(GridMode::Folder, size))
    , m_bitmaps(bitmaps)
    , m_colours(colours)
    , m_nameFont(nameFont)
{
}

void ThumbnailCellPainter::Paint(MediaItem& item, const GridRect& cell)
{
    const bool selected = item.selected;
    const QColor cellColour = ColourOf(selected ? m_colours.selectionBackground : m_colours.background);
    const GridRect box = PictureBox(m_geometry, cell);
    GridRect drawn;
    if (item.IsFolder()) {
        drawn = PaintFolder(item, cell, cellColour);
    } else {
        if (item.isImage || item.isMovie) {
            drawn = PaintPicture(item, box, cellColour);
        } else {
            drawn = box;
            m_painter.fillRect(ToQRect(drawn), cellColour);
        }
        if (item.typeName == "MOV")
            m_painter.drawPixmap(ToQRect(drawn), m_bitmaps.MovieOverlay(m_size));
        else if (item.isSound)
            m_painter.drawPixmap(ToQRect(drawn), m_bitmaps.SoundOverlay(m_size));
        PaintShadow(drawn, selected, cellColour);
    }
    for (const GridRect& band : CellFillBands(cell, drawn)) {
        if (!band.IsEmpty())
            m_painter.fillRect(ToQRect(band), cellColour);
    }
    PaintNameLine(item, cell);
    if (selected) {
        const QColor frame = ColourOf(m_colours.selectionFrame);
        for (const GridRect& strip : SelectionFrameStrips(cell))
            m_painter.fillRect(ToQRect(strip), frame);
    }
    PaintBadge(item, cell);
}

GridRect ThumbnailCellPainter::PaintFolder(const MediaItem& item, const GridRect& cell, const QColor& cellColour)
{
    const GridRect box = PictureBox(m_geometry, cell);
    QRegion previews;
    if (const MediaItemDetail* detail = item.detail.get()) {
        for (int j = 0; j < kFolderPreviewPictures; ++j) {
            const SharedPicture picture = detail->folderPreview[kFolderPreviewCode][static_cast<size_t>(j)].Get();
            const QImage image = picture ? PictureImage(*picture) : QImage();
            if (image.isNull())
                continue;
            const GridRect subBox = FolderPreviewBox(m_size, m_geometry, box, j);
            const GridRect target
                = CentreInBox(subBox, FitPicture(image.width(), image.height(), subBox.width, subBox.height));
            m_painter.drawImage(ToQRect(target), image);
            previews += ToQRect(target);
        }
    }
    // The folder bitmap goes over the previews, except where they are: its window shows them.
    const QPixmap& folder = m_bitmaps.Folder(m_size, item.selected);
    const FolderPictureGeometry& nominal = FolderGeometryFor(m_size);
    const PictureSize folderSize = folder.isNull() ? PictureSize{nominal.bitmapWidth, nominal.bitmapHeight}
                                                   : PictureSize{folder.width(), folder.height()};
    const GridRect folderRect = FolderBitmapRect(m_size, cell, folderSize);
    m_painter.save();
    if (!previews.isEmpty())
        m_painter.setClipRegion(QRegion(ToQRect(folderRect)) - previews);
    if (folder.isNull())
        m_painter.fillRect(ToQRect(folderRect), cellColour);
    else
        m_painter.drawPixmap(folderRect.left, folderRect.top, folder);
    m_painter.restore();
    m_painter.fillRect(ToQRect(FolderStripRect(m_size, folderRect)), cellColour);
    PaintShadow(FolderShadowBase(m_size, folderRect), item.selected, cellColour);
    return folderRect;
}

GridRect ThumbnailCellPainter::PaintPicture(MediaItem& item, const GridRect& box, const QColor& cellColour)
{
    if (item.detail && item.detail->failed.load()) {
        DrawOrFill(m_bitmaps.Void(m_size), box, cellColour);
        return box;
    }
    // The reference keeps the picture alive while it is drawn, whatever trimming does.
    const SharedPicture picture = CellThumbnail(item, m_size);
    QImage image = picture ? PictureImage(*picture) : QImage();
    if (image.isNull())
        image = m_bitmaps.Placeholder();
    const GridRect target
        = CentreInBox(box, FitPicture(image.width(), image.height(), box.width, box.height));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_painter.drawImage(ToQRect(target), image);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    return target;
}

void ThumbnailCellPainter::PaintShadow(const GridRect& drawn, bool selected, const QColor& cellColour)
{
    for (const auto& placement : ShadowPlacements(drawn)) {
        if (!placement || placement->target.IsEmpty())
            continue;
        const QPixmap& piece = m_bitmaps.Shadow(placement->piece, selected);
        const QRect target = ToQRect(placement->target);
        if (piece.isNull())
            m_painter.fillRect(target, cellColour);
        else if (placement->stretched)
            m_painter.drawPixmap(target, piece);
        else
            m_painter.drawPixmap(target.topLeft(), piece, QRect(QPoint(0, 0), target.size()));
    }
}

void ThumbnailCellPainter::PaintNameLine(const MediaItem& item, const GridRect& cell)
{
    const GridRect line = NameLineDrawRect(m_geometry, cell);
    const QFontMetrics metrics(m_nameFont);
    const QString name = metrics.elidedText(QString::fromStdString(item.fileName), Qt::ElideRight, line.width);
    m_painter.setFont(m_nameFont);
    m_painter.setPen(item.hasSoundMemo ? ColourOf(m_colours.memoCaption) : QColor(Qt::black));
    m_painter.drawText(ToQRect(line), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, name);
}

void ThumbnailCellPainter::PaintBadge(const MediaItem& item, const GridRect& cell)
{
    const std::string name = BadgeIconName(item, m_size);
    if (name.empty())
        return;
    const QIcon icon = ItemIcon(name);
    if (!icon.isNull())
        icon.paint(&m_painter, ToQRect(BadgeRect(m_size, cell)));
}

void ThumbnailCellPainter::DrawOrFill(const QPixmap& bitmap, const GridRect& target, const QColor& cellColour)
{
    if (bitmap.isNull())
        m_painter.fillRect(ToQRect(target), cellColour);
    else
        m_painter.drawPixmap(ToQRect(target), bitmap);
}
