#include "shell/top_bar.h"

#include <array>

#include <QPainter>

#include "framework/string_table.h"
#include "shell/resource_modules.h"

namespace {

constexpr std::array<ButtonRow, 10> kTopBarButtons = {{
    {"FolderMode", 3, 2, 72, 42, "BMP_TOP_FOLDERMODE", kTopFolderMode, "ZORX_TT_FolderMode", "Push,Select"},
    {"PeriodMode", 76, 2, 72, 42, "BMP_TOP_PERIODMODE", kTopPeriodMode, "ZORX_TT_PeriodMode", "Push,Select"},
    {"Thumbnail", 214, 23, 41, 38, "BMP_TOP_THUMBNAIL", kTopThumbnail, "ZORX_TT_Thumbnail", "Push,Select"},
    {"Preview", 260, 23, 41, 38, "BMP_TOP_PREVIEW", kTopPreview, "ZORX_TT_Preview", "Push,Select"},
    {"Report", 306, 23, 41, 38, "BMP_TOP_REPORT", kTopReport, "ZORX_TT_Report", "Push,Select"},
    {"SizeS", 409, 16, 22, 49, "BMP_TOP_THUMBNAIL_SIZE0", kTopSizeS, "ZORX_TT_ThumbnailS", "Push,Toggle"},
    {"SizeM", 431, 16, 24, 49, "BMP_TOP_THUMBNAIL_SIZE1", kTopSizeM, "ZORX_TT_ThumbnailM", "Push,Toggle"},
    {"SizeL", 455, 16, 22, 49, "BMP_TOP_THUMBNAIL_SIZE2", kTopSizeL, "ZORX_TT_ThumbnailL", "Push,Toggle"},
    {"SizeD", 393, 26, 16, 29, "BMP_TOP_THUMBNAIL_SIZE_L", kTopSizeDown, "", "Push"},
    {"SizeU", 477, 26, 24, 29, "BMP_TOP_THUMBNAIL_SIZE_R", kTopSizeUp, "", "Push"},
}};

constexpr std::array<const char*, 3> kSizeButtons = {"SizeS", "SizeM", "SizeL"};

struct BarBitmaps {
    QPixmap left = LoadResourceBitmap("BMP_TOP_BG_LEFT");
    QPixmap middle = LoadResourceBitmap("BMP_TOP_BG");
    QPixmap logo = LoadResourceBitmap("BMP_TOP_BG_LOGO");
};

const BarBitmaps& Bitmaps()
{
    static const BarBitmaps bitmaps;
    return bitmaps;
}

} // namespace

TopBar::TopBar(std::function<void(int)> onCommand, QWidget* parent)
    : QWidget(parent)
    , m_onCommand(std::move(onCommand))
{
    setObjectName("TopBar");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_buttons.Create(kTopBarButtons, this, [this](int id) {
        m_buttons.ResetTooltips();
        m_onCommand(id);
    });
}

void TopBar::ShowState(bool periodMode, int viewMode, int thumbnailSize, bool paneServiceActive,
                       const std::array<bool, 3>& viewsAvailable)
{
    m_periodMode = periodMode;
    const int enabled = paneServiceActive ? kButtonDisabled : kButtonNormal;
    const bool thumbnails = viewMode == 0;
    for (SkinnedButton* button : m_buttons.All()) {
        const std::string_view name = button->Row().name;
        const bool sizeButton = name.starts_with("Size");
        button->SetState(sizeButton && !thumbnails ? kButtonDisabled : enabled);
    }
    m_buttons["FolderMode"].SetSelected(!periodMode);
    m_buttons["PeriodMode"].SetSelected(periodMode);
    m_buttons["Thumbnail"].SetSelected(viewMode == 0);
    m_buttons["Preview"].SetSelected(viewMode == 1);
    m_buttons["Report"].SetSelected(viewMode == 2);
    constexpr std::array<const char*, 3> kViewButtons = {"Thumbnail", "Preview", "Report"};
    for (size_t view = 0; view < kViewButtons.size(); ++view) {
        if (!viewsAvailable[view])
            m_buttons[kViewButtons[view]].SetState(kButtonDisabled);
    }
    // The current size shows as a pressed toggle.
    if (!paneServiceActive && thumbnails) {
        for (int size = 0; size < static_cast<int>(kSizeButtons.size()); ++size)
            m_buttons[kSizeButtons[static_cast<size_t>(size)]].SetState(size == thumbnailSize ? kButtonPressed
                                                                                          : kButtonNormal);
    }
    update();
}

void TopBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const BarBitmaps& bitmaps = Bitmaps();
    const int right = width();
    if (bitmaps.left.isNull() || bitmaps.middle.isNull())
        painter.fillRect(rect(), QColor(0x24, 0x30, 0x46));
    if (!bitmaps.left.isNull())
        painter.drawPixmap(QRect(0, 0, 154, height()), bitmaps.left);
    if (!bitmaps.middle.isNull())
        painter.drawPixmap(QRect(154, 0, std::max(0, right - 154), height()), bitmaps.middle);
    if (!bitmaps.logo.isNull())
        painter.drawPixmap(QRect(right - 150, 29, 150, 23), bitmaps.logo);

    const char* modeKey = m_periodMode ? "ZORX_TT_PeriodMode" : "ZORX_TT_FolderMode";
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(12, 44), QPoint(153, 64)), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(GetText(modeKey)));
}

void TopBar::mouseMoveEvent(QMouseEvent* event)
{
    m_buttons.ResetTooltips();
    QWidget::mouseMoveEvent(event);
}
