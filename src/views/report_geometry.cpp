#include "views/report_geometry.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Period-mode day keys carry this year index for media whose year is not known.
constexpr uint32_t kUnknownYearIndex = 199;
constexpr uint32_t kAllDateParts = 127;

// Wide enough to meet any band, narrow enough that its right edge stays inside 32 bits.
constexpr int kBandRowLeft = -(1 << 29);
constexpr int kBandRowWidth = 1 << 30;

int ClampToInt(int64_t value)
{
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string TwoDigits(unsigned value, const char* suffix)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u%s", value % 100, suffix);
    return text;
}

} // namespace

std::span<const ReportColumn> ReportColumns(GridMode mode)
{
    if (mode == GridMode::Period)
        return kPeriodReportColumns;
    return kFolderReportColumns;
}

size_t NameColumn(GridMode mode)
{
    return mode == GridMode::Period ? 1 : 0;
}

std::optional<int> SortTypeOfTitle(std::string_view titleKey)
{
    for (const TitleSortType& row : kTitleSortTypes) {
        if (row.titleKey == titleKey)
            return row.sortType;
    }
    return std::nullopt;
}

std::string ColumnWidthKey(GridMode mode, size_t column)
{
    const char* prefix = mode == GridMode::Period ? "CurrentSettings\\PeriodReportColumnWidth"
                                                  : "CurrentSettings\\ReportColumnWidth";
    return prefix + std::to_string(column + 1);
}

int UsableColumnWidth(uint32_t stored)
{
    return static_cast<int>(std::clamp<uint32_t>(stored, kMinimumColumnWidth, kMaximumColumnWidth));
}

int ColumnLeft(std::span<const int> widths, size_t column)
{
    int64_t left = 0;
    for (size_t c = 0; c < column && c < widths.size(); ++c)
        left += widths[c];
    return ClampToInt(left);
}

int ColumnRight(std::span<const int> widths, size_t column)
{
    const int width = column < widths.size() ? widths[column] : 0;
    return ClampToInt(int64_t{ColumnLeft(widths, column)} + width);
}

int TotalColumnWidth(std::span<const int> widths)
{
    return ColumnLeft(widths, widths.size());
}

std::optional<size_t> ColumnEdgeAt(std::span<const int> widths, int x)
{
    int64_t edge = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        edge += widths[c];
        if (x >= edge - 1 && x <= edge + 1)
            return c;
    }
    return std::nullopt;
}

std::optional<size_t> ColumnAt(std::span<const int> widths, int x)
{
    int64_t left = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        if (x >= left && x < left + widths[c])
            return c;
        left += widths[c];
    }
    return std::nullopt;
}

int DraggedColumnWidth(int x, int columnLeft)
{
    return ClampToInt(std::clamp<int64_t>(int64_t{x} - columnLeft, kMinimumColumnWidth, kMaximumColumnWidth));
}

GridRect TitleRect(std::span<const int> widths, size_t column)
{
    return GridRect::FromEdges(ColumnLeft(widths, column) + 4, 1, ColumnRight(widths, column) - 2,
                               kReportHeaderHeight - 1);
}

int ReportLayout::MaxFirstRow() const
{
    const int64_t last = static_cast<int64_t>(count) - std::max(rowsPerPage, 0);
    return ClampToInt(std::max<int64_t>(0, last));
}

int ReportLayout::MaxHorizontalOffset() const
{
    return std::max(0, totalWidth - clientWidth);
}

int ReportRowsPerPage(int clientHeight, GridMode mode)
{
    if (mode == GridMode::Period)
        return 1;
    return std::max(0, (clientHeight - kReportHeaderHeight) / kReportRowPitch);
}

int ClampFirstRow(int firstRow, size_t count, int rowsPerPage)
{
    ReportLayout layout;
    layout.count = count;
    layout.rowsPerPage = rowsPerPage;
    return std::clamp(firstRow, 0, layout.MaxFirstRow());
}

int ClampHorizontalOffset(int offset, int totalWidth, int clientWidth)
{
    return std::clamp(offset, 0, std::max(0, totalWidth - clientWidth));
}

ReportLayout LayoutReport(int clientWidth, int clientHeight, size_t count, int totalWidth, GridMode mode,
                          int firstRow, int horizontalOffset)
{
    ReportLayout layout;
    layout.count = count;
    layout.clientWidth = std::max(0, clientWidth);
    layout.clientHeight = std::max(0, clientHeight);
    layout.rowsPerPage = ReportRowsPerPage(layout.clientHeight, mode);
    layout.firstRow = ClampFirstRow(firstRow, count, layout.rowsPerPage);
    layout.verticalOffset = int64_t{layout.firstRow} * kReportRowPitch;
    layout.totalWidth = std::max(0, totalWidth);
    layout.horizontalOffset = ClampHorizontalOffset(horizontalOffset, layout.totalWidth, layout.clientWidth);
    return layout;
}

int64_t ReportRowTop(const ReportLayout& layout, size_t index)
{
    return kReportHeaderHeight + static_cast<int64_t>(index) * kReportRowPitch - layout.verticalOffset;
}

std::optional<size_t> ReportRowAt(const ReportLayout& layout, int y)
{
    if (y < kReportHeaderHeight)
        return std::nullopt;
    const int64_t inRows = int64_t{y} + layout.verticalOffset - kReportHeaderHeight;
    if (inRows < 0 || inRows % kReportRowPitch >= kReportRowHeight)
        return std::nullopt;
    const auto row = static_cast<uint64_t>(inRows / kReportRowPitch);
    if (row >= layout.count)
        return std::nullopt;
    return static_cast<size_t>(row);
}

std::optional<VisibleRange> ReportVisibleRows(const ReportLayout& layout)
{
    if (layout.count == 0 || layout.clientHeight <= kReportHeaderHeight)
        return std::nullopt;
    // Row i's 33 pixels start at 20 + 33 i in content coordinates; the rows area shows content
    // y from offset + 20 to offset + client height.
    const int64_t top = layout.verticalOffset;
    const int64_t bottom = layout.verticalOffset + layout.clientHeight - kReportHeaderHeight;
    const int64_t first = std::max<int64_t>(0, top / kReportRowPitch);
    if (first >= static_cast<int64_t>(layout.count))
        return std::nullopt;
    const int64_t last = std::min<int64_t>((bottom - 1) / kReportRowPitch, static_cast<int64_t>(layout.count) - 1);
    if (last < first)
        return std::nullopt;
    return VisibleRange{static_cast<size_t>(first), static_cast<size_t>(last)};
}

GridRect ReportRowBand(size_t index)
{
    const int64_t top = kReportHeaderHeight + static_cast<int64_t>(index) * kReportRowPitch;
    return {kBandRowLeft, ClampToInt(top), kBandRowWidth, kReportRowHeight};
}

GridRect ReportPictureBox(int rowTop)
{
    return {kReportPictureLeft, rowTop + kReportPictureTop, kReportPictureWidth, kReportPictureHeight};
}

GridRect ReportBadgeRect(int rowTop)
{
    // 16 pixels, ending where the text begins and at the row's bottom.
    return {kReportPictureTextLeft - kSmallIconSize, rowTop + kReportRowHeight - kSmallIconSize, kSmallIconSize,
            kSmallIconSize};
}

GridRect ReportCellTextRect(GridMode mode, std::span<const int> widths, size_t column, int rowTop)
{
    const std::span<const ReportColumn> columns = ReportColumns(mode);
    const bool pictureColumn = column < columns.size() && columns[column].content != ReportCellContent::Text;
    const int left = pictureColumn ? kReportPictureTextLeft : ColumnLeft(widths, column) + 4;
    return GridRect::FromEdges(left, rowTop, ColumnRight(widths, column) - 4, rowTop + kReportRowHeight);
}

std::array<TimeLineField, 4> TimeLineFields(const SystemTime& local, uint32_t datePartFlags, uint32_t dayKey)
{
    const uint32_t flags = (dayKey >> 16) == kUnknownYearIndex ? kAllDateParts : datePartFlags;
    return {{
        {TwoDigits(local.month, "/"), (flags & kDatePartMonth) != 0},
        {TwoDigits(local.day, " "), (flags & kDatePartDay) != 0},
        {TwoDigits(local.hour, ":"), (flags & kDatePartHour) != 0},
        {TwoDigits(local.minute, ""), (flags & kDatePartMinute) != 0},
    }};
}
