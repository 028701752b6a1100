#include "views/menu_panel.h"

#include <algorithm>

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "shell/resource_modules.h"

namespace {

constexpr std::array<const char*, kMenuPanelSectionCount> kHeaderBitmaps = {
    "MENU_PANEL_PRINT", "MENU_PANEL_MENU", "MENU_PANEL_MANIPULATE", "MENU_PANEL_FOLDER", "MENU_PANEL_INFO",
};

constexpr int kTop = 7;
constexpr int kHeaderFallbackHeight = 28; // when the resource module lacks a header picture
constexpr int kCaptionLeft = MenuPanel::kIconX + MenuPanel::kIconSize + 6;
constexpr int kCaptionRightMargin = 6;
constexpr int kRowPadding = 4;
constexpr int kMinimumRowHeight = MenuPanel::kIconSize + 6;
constexpr int kTextRowPadding = 2;
constexpr int kSectionGap = 6;
constexpr int kWheelStep = 40;
constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

const QColor kPanelColour(0xF0, 0xF3, 0xF8);
const QColor kBodyColour(0xFF, 0xFF, 0xFF);
const QColor kHoverColour(0xFF, 0xF4, 0xC4);
const QColor kHoverFrame(0xFF, 0xCC, 0x00);
const QColor kCaptionColour(0x1E, 0x28, 0x3A);
const QColor kTextColour(0x4A, 0x55, 0x68);

size_t Slot(MenuPanelSection section)
{
    return static_cast<size_t>(section);
}

} // namespace

MenuPanel::MenuPanel(Callbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_callbacks(std::move(callbacks))
{
    setObjectName("MenuPanel");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (size_t slot = 0; slot < m_headers.size(); ++slot)
        m_headers[slot] = LoadResourceBitmap(kHeaderBitmaps[slot]);
    m_tabOpen = LoadResourceBitmap("MENU_PANEL_TAB_OPEN");
    m_tabClose = LoadResourceBitmap("MENU_PANEL_TAB_CLOSE");
    m_background = LoadResourceBitmap("MENU_PANEL_BG");
    m_tail = LoadResourceBitmap("MENU_PANEL_TAIL");
    m_shadow = LoadResourceBitmap("MENU_PANEL_SHADOW");
    LayOut();
}

void MenuPanel::SetState(MenuPanelState state, std::string folderName, std::vector<std::string> infoLines)
{
    const std::array<bool, kMenuPanelSectionCount> open = m_state.open;
    m_state = std::move(state);
    m_state.open = open;
    m_folderName = std::move(folderName);
    m_infoLines = std::move(infoLines);
    LayOut();
}

void MenuPanel::SetSectionsOpen(const std::array<bool, kMenuPanelSectionCount>& open)
{
    m_state.open = open;
    LayOut();
}

bool MenuPanel::IsSectionOpen(MenuPanelSection section) const
{
    return m_state.open[Slot(section)];
}

void MenuPanel::Toggle(MenuPanelSection section)
{
    m_state.open[Slot(section)] = !m_state.open[Slot(section)];
    LayOut();
    if (m_callbacks.sectionToggled)
        m_callbacks.sectionToggled(section, m_state.open[Slot(section)]);
}

QRect MenuPanel::CaptionRect(const Row& row) const
{
    if (row.kind == Row::Kind::Text)
        return row.rect.adjusted(kIconX - kLeft, kTextRowPadding, -kCaptionRightMargin, -kTextRowPadding);
    return QRect(kCaptionLeft, row.rect.top(), kRight - kCaptionRightMargin - kCaptionLeft, row.rect.height());
}

void MenuPanel::LayOut()
{
    const std::vector<OfferedMenuEntry> offered = OfferedEntries(m_state);
    const QFontMetrics metrics(font());
    const int captionWidth = kRight - kCaptionRightMargin - kCaptionLeft;
    const int textWidth = kRight - kCaptionRightMargin - kIconX;
    m_rows.clear();
    int y = kTop;
    const auto addText = [&](MenuPanelSection section, const std::string& text) {
        const QRect bounds = metrics.boundingRect(QRect(0, 0, textWidth, 10000), kCaptionFlags,
                                                  QString::fromStdString(text));
        const int height = bounds.height() + 2 * kTextRowPadding;
        m_rows.push_back({Row::Kind::Text, section, QRect(kLeft, y, kRight - kLeft, height), text, "", 0});
        y += height;
    };
    for (int index = 0; index < kMenuPanelSectionCount; ++index) {
        const auto section = static_cast<MenuPanelSection>(index);
        const QPixmap& header = m_headers[Slot(section)];
        const int headerHeight = header.isNull() ? kHeaderFallbackHeight : header.height();
        m_rows.push_back({Row::Kind::Header, section, QRect(kLeft, y, kRight - kLeft, headerHeight), "", "", 0});
        y += headerHeight;
        if (!IsSectionOpen(section)) {
            y += kSectionGap;
            continue;
        }
        if (section == MenuPanelSection::Folder && !m_folderName.empty())
            addText(section, m_folderName);
        for (const OfferedMenuEntry& entry : offered) {
            if (entry.section != section)
                continue;
            const QRect bounds = metrics.boundingRect(QRect(0, 0, captionWidth, 10000), kCaptionFlags,
                                                      QString::fromStdString(entry.caption));
            const int height = std::max(kMinimumRowHeight, bounds.height() + 2 * kRowPadding);
            m_rows.push_back({Row::Kind::Entry, section, QRect(kLeft, y, kRight - kLeft, height), entry.caption,
                              entry.iconName, entry.command});
            y += height;
        }
        if (section == MenuPanelSection::Info)
            for (const std::string& line : m_infoLines)
                addText(section, line);
        y += m_tail.height() + m_shadow.height() + kSectionGap;
    }
    m_contentHeight = y;
    m_hoverRow = -1;
    ScrollTo(m_scrollOffset);
    update();
}

void MenuPanel::ScrollTo(int offset)
{
    const int limit = std::max(0, m_contentHeight - height());
    m_scrollOffset = std::clamp(offset, 0, limit);
    update();
}

int MenuPanel::RowAt(QPoint point) const
{
    const QPoint content(point.x(), point.y() + m_scrollOffset);
    for (size_t index = 0; index < m_rows.size(); ++index) {
        const Row& row = m_rows[index];
        if (row.kind != Row::Kind::Text && row.rect.contains(content))
            return static_cast<int>(index);
    }
    return -1;
}

const QPixmap& MenuPanel::Icon(const std::string& name)
{
    const auto found = std::find_if(m_icons.begin(), m_icons.end(), [&](const auto& icon) {
        return icon.first == name;
    });
    if (found != m_icons.end())
        return found->second;
    m_icons.emplace_back(name, LoadResourceBitmap(name));
    return m_icons.back().second;
}

void MenuPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPanelColour);
    painter.translate(0, -m_scrollOffset);
    for (size_t index = 0; index < m_rows.size(); ++index) {
        const Row& row = m_rows[index];
        const bool lastOfSection = index + 1 == m_rows.size() || m_rows[index + 1].section != row.section;
        if (row.kind == Row::Kind::Header) {
            const QPixmap& header = m_headers[Slot(row.section)];
            if (header.isNull())
                painter.fillRect(row.rect, QColor(0xE4, 0xE9, 0xF3));
            else
                painter.drawPixmap(row.rect.topLeft(), header);
            const QPixmap& tab = IsSectionOpen(row.section) ? m_tabOpen : m_tabClose;
            painter.drawPixmap(kTabX, row.rect.top() + kTabTop, tab);
        } else {
            if (m_background.isNull())
                painter.fillRect(row.rect, kBodyColour);
            else
                painter.drawTiledPixmap(row.rect, m_background);
            if (static_cast<int>(index) == m_hoverRow) {
                painter.setPen(kHoverFrame);
                painter.setBrush(kHoverColour);
                painter.drawRect(row.rect.adjusted(2, 1, -3, -2));
            }
            if (!row.iconName.empty()) {
                const QPixmap& icon = Icon(row.iconName);
                painter.drawPixmap(kIconX, row.rect.top() + (row.rect.height() - kIconSize) / 2, icon);
            }
            painter.setPen(row.kind == Row::Kind::Entry ? kCaptionColour : kTextColour);
            painter.drawText(CaptionRect(row), kCaptionFlags, QString::fromStdString(row.caption));
        }
        // An open section's body ends with its tail and shadow, also when it offers nothing.
        if (lastOfSection && IsSectionOpen(row.section)) {
            const int bottom = row.rect.bottom() + 1;
            painter.drawPixmap(kLeft, bottom, m_tail);
            painter.drawPixmap(kLeft, bottom + m_tail.height(), m_shadow);
        }
    }
}

void MenuPanel::mouseMoveEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint());
    setCursor(row >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (row != m_hoverRow) {
        m_hoverRow = row >= 0 && m_rows[static_cast<size_t>(row)].kind == Row::Kind::Entry ? row : -1;
        update();
    }
}

void MenuPanel::leaveEvent(QEvent*)
{
    m_hoverRow = -1;
    update();
}

void MenuPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = RowAt(event->position().toPoint());
    if (index < 0)
        return;
    const Row row = m_rows[static_cast<size_t>(index)];
    if (row.kind == Row::Kind::Header)
        Toggle(row.section);
    else if (m_callbacks.sendCommand)
        m_callbacks.sendCommand(row.command);
}

void MenuPanel::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    ScrollTo(m_scrollOffset - steps * kWheelStep);
    event->accept();
}

void MenuPanel::resizeEvent(QResizeEvent*)
{
    ScrollTo(m_scrollOffset);
}
