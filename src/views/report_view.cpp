#include "views/report_view.h"

#include <algorithm>
#include <string>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>

#include "framework/string_table.h"
#include "library/file_time.h"
#include "library/item_texts.h"
#include "shell/resource_modules.h"
#include "shell/settings_store.h"
#include "views/qt_forms.h"
#include "views/thumbnail_cell_painter.h"

namespace {

// The table's own colours (0xRRGGBB); the background and the selection come from the grid's.
constexpr uint32_t kHeaderBackground = 0xE4E9F3;
constexpr uint32_t kHeaderText = 0x647A80;
constexpr uint32_t kHeaderLight = 0xFFFFFF;
constexpr uint32_t kLineColour = 0xBFC8D1;
constexpr uint32_t kEvenRowColour = 0xF1F4F9;
constexpr uint32_t kOddRowColour = 0xFFFFFF;
constexpr uint32_t kMarkedTimeColour = 0xFF00FF;

// A click on a horizontal scroll arrow.
constexpr int kHorizontalLineStep = 20;

QFont TextFont()
{
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

QFont TimeFont(const QFont& fallback)
{
    const std::string& face = GetText("ZORX_FONT_ThumbnailTimeFont");
    QFont font(face.empty() ? fallback.family() : QString::fromStdString(face));
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    return font;
}

QPixmap PixmapOf(const QImage& image)
{
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

int Alignment(ReportAlignment alignment)
{
    return (alignment == ReportAlignment::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter
        | Qt::TextSingleLine;
}

} // namespace

ReportBitmaps::ReportBitmaps(const ThumbnailColours& colours)
    : m_void(LoadResourceBitmap("BMP_REPORT_VOID"))
    , m_movie(LoadResourceBitmap("BMP_REPORT_MOV"))
    , m_sound(LoadResourceBitmap("BMP_REPORT_SOUND"))
    , m_placeholder(160, 120, QImage::Format_RGB32)
{
    const QPixmap folder = LoadResourceBitmap("BMP_REPORT_FOLDER");
    if (!folder.isNull())
        m_folderSource = folder.toImage().convertToFormat(QImage::Format_RGB32);
    m_placeholder.fill(QColor(204, 204, 204));
    SetColours(colours);
}

void ReportBitmaps::SetColours(const ThumbnailColours& colours)
{
    const std::array<uint32_t, 2> rowColours = {kEvenRowColour, kOddRowColour};
    for (size_t parity = 0; parity < 2; ++parity) {
        m_folders[parity][0] = PixmapOf(WithKeyColourReplaced(m_folderSource, rowColours[parity]));
        m_folders[parity][1] = PixmapOf(WithKeyColourReplaced(m_folderSource, colours.selectionBackground));
    }
}

ReportView::ReportView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                       QWidget* parent)
    : ItemViewBase(items, worker, &cursor, Qt::Vertical, parent)
    , m_colours(DefaultThumbnailColours())
    , m_bitmaps(m_colours)
    , m_textFont(TextFont())
    , m_timeFont(TimeFont(m_textFont))
{
    // The columns scroll sideways too, by their own steps.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(kHorizontalLineStep);
    ReadColumnWidths();
    Relayout();
}

ReportView::~ReportView() = default;

void ReportView::ReadColumnWidths()
{
    for (const GridMode mode : {GridMode::Folder, GridMode::Period}) {
        std::vector<int>& widths = mode == GridMode::Period ? m_periodWidths : m_folderWidths;
        const std::span<const ReportColumn> columns = ReportColumns(mode);
        widths.clear();
        for (size_t c = 0; c < columns.size(); ++c) {
            uint32_t stored = 0;
            RegistryReadDword(stored, ColumnWidthKey(mode, c), static_cast<uint32_t>(columns[c].defaultWidth));
            widths.push_back(UsableColumnWidth(stored));
        }
    }
}

std::span<const int> ReportView::ColumnWidths() const
{
    return m_mode == GridMode::Period ? m_periodWidths : m_folderWidths;
}

void ReportView::SetColumnWidth(size_t column, int width)
{
    std::vector<int>& widths = m_mode == GridMode::Period ? m_periodWidths : m_folderWidths;
    if (column >= widths.size())
        return;
    width = std::clamp(width, kMinimumColumnWidth, kMaximumColumnWidth);
    if (widths[column] == width)
        return;
    widths[column] = width;
    RegistryWriteDword(ColumnWidthKey(m_mode, column), static_cast<uint32_t>(width));
    Relayout();
    viewport()->update();
}

void ReportView::SetPeriodMode(bool periodMode)
{
    const GridMode mode = periodMode ? GridMode::Period : GridMode::Folder;
    if (mode == m_mode)
        return;
    m_mode = mode;
    m_resizing.reset();
    m_layout.horizontalOffset = 0;
    Relayout();
    viewport()->update();
}

void ReportView::SetColours(const ThumbnailColours& colours)
{
    m_colours = colours;
    m_bitmaps.SetColours(colours);
    viewport()->update();
}

void ReportView::Relayout()
{
    const QSize client = viewport()->size();
    m_layout = LayoutReport(client.width(), client.height(), m_items.size(), TotalColumnWidth(ColumnWidths()), m_mode,
                            m_layout.firstRow, m_layout.horizontalOffset);
    ApplyScrollBars();
}

void ReportView::ApplyScrollBars()
{
    // Qt's maximum is the last first row (its document is range + page), so the rows 0 to
    // count - 1 of the scroll range come out as 0 to max(0, count - page) here.
    const int firstRow = m_layout.firstRow;
    const int horizontalOffset = m_layout.horizontalOffset;
    m_applyingScrollBars = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(std::max(1, m_layout.rowsPerPage));
    vertical->setRange(0, m_layout.MaxFirstRow());
    vertical->setValue(firstRow);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(std::max(1, m_layout.clientWidth));
    horizontal->setRange(0, m_layout.MaxHorizontalOffset());
    horizontal->setValue(horizontalOffset);
    m_applyingScrollBars = false;
}

void ReportView::scrollContentsBy(int, int)
{
    if (m_applyingScrollBars)
        return;
    const int offset = ClampHorizontalOffset(horizontalScrollBar()->value(), m_layout.totalWidth, m_layout.clientWidth);
    if (offset != m_layout.horizontalOffset) {
        m_layout.horizontalOffset = offset;
        viewport()->update();
    }
    ScrollToRow(verticalScrollBar()->value());
}

void ReportView::ScrollToRow(int row)
{
    row = ClampFirstRow(row, m_layout.count, m_layout.rowsPerPage);
    if (row == m_layout.firstRow)
        return;
    m_layout.firstRow = row;
    m_layout.verticalOffset = int64_t{row} * kReportRowPitch;
    m_applyingScrollBars = true;
    verticalScrollBar()->setValue(row);
    m_applyingScrollBars = false;
    viewport()->update();
}

void ReportView::ScrollByLines(int lines)
{
    ScrollToRow(m_layout.firstRow + lines);
}

void ReportView::MakeFocusVisible()
{
    if (!m_items.empty())
        m_layout.firstRow = TopRowShowing(m_cursor.focus, 1, m_layout.firstRow, m_layout.rowsPerPage);
    Relayout();
    viewport()->update();
}

std::optional<size_t> ReportView::ItemAt(QPoint point) const
{
    const std::optional<size_t> row = ReportRowAt(m_layout, point.y());
    if (!row || *row >= m_items.size() || m_items[*row].hidden)
        return std::nullopt;
    return row;
}

QRect ReportView::RowRect(size_t index) const
{
    return {0, static_cast<int>(ReportRowTop(m_layout, index)), m_layout.clientWidth, kReportRowHeight};
}

QRect ReportView::NameCellRect(size_t index) const
{
    const GridRect cell = ReportCellTextRect(m_mode, ColumnWidths(), NameColumn(m_mode),
                                             static_cast<int>(ReportRowTop(m_layout, index)));
    return ToQRect(cell.Translated(-m_layout.horizontalOffset, 0));
}

QRect ReportView::TitleRect(size_t column) const
{
    return ToQRect(::TitleRect(ColumnWidths(), column).Translated(-m_layout.horizontalOffset, 0));
}

int ReportView::ColumnEdgeX(size_t column) const
{
    return ColumnRight(ColumnWidths(), column) - m_layout.horizontalOffset;
}

QPoint ReportView::ContentOffset() const
{
    return {m_layout.horizontalOffset, static_cast<int>(m_layout.verticalOffset)};
}

bool ReportView::BandTakes(const GridRect& band, size_t index) const
{
    return BandTouchesCell(band, ReportRowBand(index));
}

std::optional<QRect> ReportView::RenameRectAt(size_t index, QPoint point) const
{
    const QRect nameCell = NameCellRect(index);
    if (!nameCell.contains(point))
        return std::nullopt;
    return nameCell;
}

std::optional<size_t> ReportView::NavigationTargetOf(NavigationKey key) const
{
    return NavigationTarget(key, m_cursor.focus, m_items.size(), 1, m_layout.rowsPerPage);
}

void ReportView::resizeEvent(QResizeEvent* event)
{
    ItemViewBase::resizeEvent(event);
    Relayout();
}

void ReportView::paintEvent(QPaintEvent*)
{
    const QRect client = viewport()->rect();
    // The list may have changed since the last layout; never draw past its end.
    m_layout.count = m_items.size();
    m_visible = ReportVisibleRows(m_layout);
    const bool gateOpen = RequestGateOpen();
    std::vector<MediaItem*> requested;
    QRegion rows;

    QPainter painter(viewport());
    PaintHeader(painter);
    const QRect rowsArea(0, kReportHeaderHeight, client.width(), std::max(0, client.height() - kReportHeaderHeight));
    painter.setClipRect(rowsArea);
    if (m_visible) {
        painter.setFont(m_textFont);
        for (size_t i = m_visible->first; i <= m_visible->last; ++i) {
            MediaItem& item = m_items[i];
            if (item.hidden)
                continue;
            MediaItemDetail* detail = item.detail.get();
            if (gateOpen && !item.IsFolder() && (item.isImage || item.isMovie) && detail
                && !detail->IsRequested(PictureRequest::SmallThumbnail)) {
                detail->Request(PictureRequest::SmallThumbnail);
                requested.push_back(&item);
            }
            const int rowTop = static_cast<int>(ReportRowTop(m_layout, i));
            PaintRow(painter, i, rowTop);
            rows += QRect(0, rowTop, client.width(), kReportRowPitch);
        }
    }
    // Below the last row (and where hidden items would be), in one fill.
    painter.setClipRegion(QRegion(rowsArea) - rows);
    painter.fillRect(rowsArea, ColourOf(m_colours.background));
    painter.setClipping(false);
    PaintBand(painter);
    painter.end();

    FinishPaint(requested);
}

void ReportView::PaintHeader(QPainter& painter)
{
    const int width = viewport()->width();
    const int offset = m_layout.horizontalOffset;
    const std::span<const int> widths = ColumnWidths();
    const std::span<const ReportColumn> columns = Columns();
    const QColor light = ColourOf(kHeaderLight);
    const QColor line = ColourOf(kLineColour);
    painter.fillRect(0, 0, width, kReportHeaderHeight, ColourOf(kHeaderBackground));
    painter.fillRect(0, 0, width, 1, light);
    for (size_t c = 0; c < widths.size(); ++c) {
        const int left = ColumnLeft(widths, c) - offset;
        const int right = ColumnRight(widths, c) - offset;
        painter.fillRect(left, 0, 1, kReportHeaderHeight, light);
        painter.fillRect(right - 1, 0, 1, kReportHeaderHeight, line);
    }
    painter.fillRect(TotalColumnWidth(widths) - offset, 0, 1, kReportHeaderHeight, light);
    painter.fillRect(0, kReportHeaderHeight - 1, width, 1, line);

    painter.setFont(m_textFont);
    painter.setPen(ColourOf(kHeaderText));
    const QFontMetrics metrics(m_textFont);
    for (size_t c = 0; c < columns.size() && c < widths.size(); ++c) {
        const QRect title = ToQRect(::TitleRect(widths, c).Translated(-offset, 0));
        if (title.width() <= 0 || title.right() < 0 || title.left() >= width)
            continue;
        const QString text = QString::fromStdString(GetText(columns[c].titleKey));
        painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text, Qt::ElideRight, title.width()));
    }
}

void ReportView::PaintRow(QPainter& painter, size_t index, int rowTop)
{
    MediaItem& item = m_items[index];
    // The worker reads the dimensions and durations as the rows come into view.
    if (ItemTextsBehindDetail(item))
        RefreshItemTexts(item, PeriodMode());
    const int width = viewport()->width();
    const int offset = m_layout.horizontalOffset;
    const size_t parity = index & 1;
    const std::span<const int> widths = ColumnWidths();
    const std::span<const ReportColumn> columns = Columns();
    const QColor line = ColourOf(kLineColour);
    const QColor rowColour = ColourOf(item.selected ? m_colours.selectionBackground
                                                    : (parity == 0 ? kEvenRowColour : kOddRowColour));
    painter.fillRect(0, rowTop, width, kReportRowHeight, rowColour);
    painter.fillRect(0, rowTop + kReportRowHeight, width, 1, line);

    // The picture and its badge stay inside the first column, however narrow it is.
    if (!widths.empty()) {
        const QRect firstColumn(-offset, rowTop, std::max(0, widths[0] - 1), kReportRowHeight);
        if (firstColumn.right() >= 0 && !firstColumn.isEmpty()) {
            painter.save();
            painter.setClipRect(firstColumn, Qt::IntersectClip);
            PaintPicture(painter, item, ToQRect(ReportPictureBox(rowTop).Translated(-offset, 0)), parity);
            const std::string badge = BadgeIconName(item, 0);
            if (!badge.empty()) {
                const QIcon icon = ItemIcon(badge);
                if (!icon.isNull())
                    icon.paint(&painter, ToQRect(ReportBadgeRect(rowTop).Translated(-offset, 0)));
            }
            painter.restore();
        }
    }

    const QFontMetrics metrics(m_textFont);
    painter.setPen(Qt::black);
    for (size_t c = 0; c < columns.size() && c < widths.size(); ++c) {
        const QRect cell = ToQRect(ReportCellTextRect(m_mode, widths, c, rowTop).Translated(-offset, 0));
        if (cell.width() <= 0 || cell.right() < 0 || cell.left() >= width)
            continue;
        const ReportColumn& column = columns[c];
        if (column.content == ReportCellContent::PictureAndTimeLine) {
            PaintTimeLine(painter, item, cell);
            painter.setFont(m_textFont);
            painter.setPen(Qt::black);
            continue;
        }
        const std::string& text = column.content == ReportCellContent::PictureAndName ? item.fileName
                                                                                      : item.Text(column.text);
        if (text.empty())
            continue;
        painter.drawText(cell, Alignment(column.alignment),
                         metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, cell.width()));
    }
    for (size_t c = 0; c < widths.size(); ++c)
        painter.fillRect(ColumnRight(widths, c) - 1 - offset, rowTop, 1, kReportRowPitch, line);
}

void ReportView::PaintPicture(QPainter& painter, MediaItem& item, const QRect& box, size_t parity)
{
    if (item.IsFolder()) {
        const QPixmap& folder = m_bitmaps.Folder(parity, item.selected);
        if (!folder.isNull())
            painter.drawPixmap(box.topLeft(), folder);
        return;
    }
    if (item.isImage || item.isMovie) {
        if (item.detail && item.detail->failed.load()) {
            if (!m_bitmaps.Void().isNull())
                painter.drawPixmap(box, m_bitmaps.Void());
        } else {
            // The reference keeps the picture alive while it is drawn, whatever trimming does.
            const SharedPicture picture = CellThumbnail(item, 0);
            QImage image = picture ? PictureImage(*picture) : QImage();
            if (image.isNull())
                image = m_bitmaps.Placeholder();
            const GridRect target = CentreInBox({box.left(), box.top(), box.width(), box.height()},
                                                FitPicture(image.width(), image.height(), box.width(), box.height()));
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(ToQRect(target), image);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        }
    }
    if (item.typeName == "MOV" && !m_bitmaps.MovieOverlay().isNull())
        painter.drawPixmap(box, m_bitmaps.MovieOverlay());
    else if (item.isSound && !m_bitmaps.SoundOverlay().isNull())
        painter.drawPixmap(box, m_bitmaps.SoundOverlay());
}

void ReportView::PaintTimeLine(QPainter& painter, const MediaItem& item, const QRect& cell)
{
    // Each field is drawn at its place in the whole line, so the marked and the plain fields
    // line up in any font.
    const std::array<TimeLineField, 4> fields
        = TimeLineFields(SystemTimeFromFileTime(item.date, true), item.datePartFlags, item.dayKey);
    const QFontMetrics metrics(m_timeFont);
    painter.save();
    painter.setClipRect(cell, Qt::IntersectClip);
    painter.setFont(m_timeFont);
    int x = cell.left();
    for (const TimeLineField& field : fields) {
        const QString text = QString::fromStdString(field.text);
        const int advance = metrics.horizontalAdvance(text);
        painter.setPen(field.marked ? ColourOf(kMarkedTimeColour) : QColor(Qt::black));
        painter.drawText(QRect(x, cell.top(), advance + 1, cell.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
        x += advance;
    }
    painter.restore();
}


bool ReportView::OnHeader(QPoint point) const
{
    return point.y() < kReportHeaderHeight;
}

void ReportView::HeaderPress(QPoint point)
{
    setFocus(Qt::MouseFocusReason);
    const std::span<const int> widths = ColumnWidths();
    const int x = point.x() + m_layout.horizontalOffset;
    if (const std::optional<size_t> edge = ColumnEdgeAt(widths, x)) {
        m_resizing = edge;
        m_resizeStartWidth = widths[*edge];
        return;
    }
    // Period mode lists by date; its titles do not sort.
    if (m_mode != GridMode::Folder)
        return;
    if (const std::optional<size_t> column = ColumnAt(widths, x)) {
        if (const std::optional<int> sortType = SortTypeOfTitle(Columns()[*column].titleKey))
            m_host.SortRequested(*sortType);
    }
}

void ReportView::DragColumnEdge(QPoint point)
{
    if (!m_resizing)
        return;
    std::vector<int>& widths = m_mode == GridMode::Period ? m_periodWidths : m_folderWidths;
    const size_t column = *m_resizing;
    if (column >= widths.size())
        return;
    const int width = DraggedColumnWidth(point.x() + m_layout.horizontalOffset, ColumnLeft(widths, column));
    if (width == widths[column])
        return;
    widths[column] = width;
    Relayout();
    viewport()->update();
}

void ReportView::EndColumnDrag()
{
    if (!m_resizing)
        return;
    const size_t column = *m_resizing;
    m_resizing.reset();
    const std::span<const int> widths = ColumnWidths();
    // One write per drag: every write saves the settings file.
    if (column < widths.size() && widths[column] != m_resizeStartWidth)
        RegistryWriteDword(ColumnWidthKey(m_mode, column), static_cast<uint32_t>(widths[column]));
}

void ReportView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_resizing) {
        DragColumnEdge(point);
        event->accept();
        return;
    }
    const bool onEdge = point.y() >= 0 && point.y() < kReportHeaderHeight
        && ColumnEdgeAt(ColumnWidths(), point.x() + m_layout.horizontalOffset).has_value();
    if (onEdge)
        viewport()->setCursor(Qt::SizeHorCursor);
    else
        viewport()->unsetCursor();
    ItemViewBase::mouseMoveEvent(event);
}

void ReportView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_resizing) {
        EndColumnDrag();
        event->accept();
        return;
    }
    ItemViewBase::mouseReleaseEvent(event);
}
