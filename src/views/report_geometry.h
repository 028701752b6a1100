#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "library/media_item.h"
#include "views/thumbnail_geometry.h"

// The geometry of the report view in numbers: the column tables of both browse modes, the
// layout of the 33-pixel rows under the 20-pixel header, hit tests of rows and column edges, and
// the places of everything drawn in a row. Plain functions over plain values; x coordinates are
// content coordinates (the horizontal offset not yet subtracted) unless a name says otherwise.

inline constexpr int kReportHeaderHeight = 20;
inline constexpr int kReportRowPitch = 33;  // a row and the line under it
inline constexpr int kReportRowHeight = 32; // the part of a row that hit tests and bands see
inline constexpr int kMinimumColumnWidth = 4;
// Far wider than any screen; keeps the sums of damaged stored widths inside 32 bits.
inline constexpr int kMaximumColumnWidth = 65535;

// The picture box of a row and where the text of the picture column starts.
inline constexpr int kReportPictureLeft = 9;
inline constexpr int kReportPictureTop = 1; // below the row top
inline constexpr int kReportPictureWidth = 40;
inline constexpr int kReportPictureHeight = 30;
inline constexpr int kReportPictureTextLeft = 53;

// What a column shows: the picture and then the file name (folder mode) or the time line
// (period mode), or one of the item's display texts.
enum class ReportCellContent { PictureAndName, PictureAndTimeLine, Text };
enum class ReportAlignment { Left, Right };

struct ReportColumn {
    std::string_view titleKey;
    int defaultWidth;
    ReportCellContent content;
    ItemText text; // the display text of a Text column
    ReportAlignment alignment;
};

inline constexpr std::array<ReportColumn, 6> kFolderReportColumns = {{
    {"ZORX_RTC_Name", 120, ReportCellContent::PictureAndName, ItemText::Name, ReportAlignment::Left},
    {"ZORX_RTC_Type", 50, ReportCellContent::Text, ItemText::Type, ReportAlignment::Left},
    {"ZORX_RTC_FileSize", 100, ReportCellContent::Text, ItemText::Size, ReportAlignment::Right},
    {"ZORX_RTC_DateTime", 150, ReportCellContent::Text, ItemText::Date, ReportAlignment::Left},
    {"ZORX_RTC_ImageSize", 100, ReportCellContent::Text, ItemText::Dimensions, ReportAlignment::Left},
    {"ZORX_RTC_Duration", 100, ReportCellContent::Text, ItemText::Duration, ReportAlignment::Left},
}};

inline constexpr std::array<ReportColumn, 5> kPeriodReportColumns = {{
    {"ZORX_RTC_DateTime", 180, ReportCellContent::PictureAndTimeLine, ItemText::Date, ReportAlignment::Left},
    {"ZORX_RTC_Name", 120, ReportCellContent::Text, ItemText::Name, ReportAlignment::Left},
    {"ZORX_RTC_ImageSize", 100, ReportCellContent::Text, ItemText::Dimensions, ReportAlignment::Left},
    {"ZORX_RTC_Duration", 100, ReportCellContent::Text, ItemText::Duration, ReportAlignment::Left},
    {"ZORX_RTC_Comment", 300, ReportCellContent::Text, ItemText::Detail, ReportAlignment::Left},
}};

std::span<const ReportColumn> ReportColumns(GridMode mode);
// The column whose text is the file name (the rename target): 0 in folder mode, 1 in period mode.
size_t NameColumn(GridMode mode);

// A click on a folder-mode title sorts the list by the sort type of its column.
struct TitleSortType {
    std::string_view titleKey;
    int sortType;
};
inline constexpr std::array<TitleSortType, 6> kTitleSortTypes = {{
    {"ZORX_RTC_Name", 0},
    {"ZORX_RTC_Type", 1},
    {"ZORX_RTC_FileSize", 2},
    {"ZORX_RTC_DateTime", 3},
    {"ZORX_RTC_ImageSize", 4},
    {"ZORX_RTC_Duration", 5},
}};
// None for a title that does not sort ("ZORX_RTC_Comment").
std::optional<int> SortTypeOfTitle(std::string_view titleKey);

// The settings key of a column's width, column 0 being "...Width1".
std::string ColumnWidthKey(GridMode mode, size_t column);
// A stored width as the view uses it: at least 4, at most kMaximumColumnWidth.
int UsableColumnWidth(uint32_t stored);

// Column edges from the widths: column c spans [left, left + width).
int ColumnLeft(std::span<const int> widths, size_t column);
int ColumnRight(std::span<const int> widths, size_t column);
int TotalColumnWidth(std::span<const int> widths);
// The column whose right edge is within 1 pixel of x, or none: where the sizing cursor shows.
std::optional<size_t> ColumnEdgeAt(std::span<const int> widths, int x);
// The column under x, or none right of the last column (or left of the first).
std::optional<size_t> ColumnAt(std::span<const int> widths, int x);
// The width a column takes while its edge is dragged to x: max(4, x - column left).
int DraggedColumnWidth(int x, int columnLeft);

// The title of a column: (left + 4, 1) to (right - 2, 19).
GridRect TitleRect(std::span<const int> widths, size_t column);

// The state of the report after a layout.
struct ReportLayout {
    size_t count = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int rowsPerPage = 0;  // a page of rows; 1 in period mode
    int firstRow = 0;
    int64_t verticalOffset = 0; // pixels: first row x 33
    int totalWidth = 0;
    int horizontalOffset = 0;

    // The last first row: max(0, count - page); the scroll bar counts rows 0 to count - 1.
    int MaxFirstRow() const;
    // max(0, total column width - client width).
    int MaxHorizontalOffset() const;
};

// Rows per page for a client height: (height - 20) / 33, never below 0; 1 in period mode.
int ReportRowsPerPage(int clientHeight, GridMode mode);
// The layout for a client area, keeping the first row and the horizontal offset where they can be.
ReportLayout LayoutReport(int clientWidth, int clientHeight, size_t count, int totalWidth, GridMode mode,
                          int firstRow, int horizontalOffset);
// The first row clamped to 0 to max(0, count - page).
int ClampFirstRow(int firstRow, size_t count, int rowsPerPage);
int ClampHorizontalOffset(int offset, int totalWidth, int clientWidth);

// The top of row i in client coordinates: 20 + 33 i - vertical offset.
int64_t ReportRowTop(const ReportLayout& layout, size_t index);
// The row under a client y, or none: in the header, in the line under a row, or beyond the list.
std::optional<size_t> ReportRowAt(const ReportLayout& layout, int y);
// The rows whose 33 pixels reach into the client area below the header.
std::optional<VisibleRange> ReportVisibleRows(const ReportLayout& layout);

// Row i's 32-pixel band in content coordinates (y includes the vertical offset), spanning every
// x, as the rubber band sees it.
GridRect ReportRowBand(size_t index);

// Where a row's parts go, for a row top in client coordinates and content x.
// The 40 x 30 picture box at (9, row top + 1).
GridRect ReportPictureBox(int rowTop);
// The badge icon (small form): over the picture box's lower right corner, clear of the text.
GridRect ReportBadgeRect(int rowTop);
// The text of a cell over the 32-pixel row: from 53 (picture columns) or left + 4 to right - 4.
GridRect ReportCellTextRect(GridMode mode, std::span<const int> widths, size_t column, int rowTop);

// The time line of period mode: month "%02d/", day "%02d ", hour "%02d:", minute "%02d", each
// field marked when its date-part flag is set (month 0x10, day 0x08, hour 0x04, minute 0x02);
// an item of unknown year (year index 199 in its day key) has every field marked.
struct TimeLineField {
    std::string text;
    bool marked = false;
};
std::array<TimeLineField, 4> TimeLineFields(const SystemTime& local, uint32_t datePartFlags, uint32_t dayKey);
