#include "shell/left_panel.h"

#include <array>

#include <QLinearGradient>
#include <QPainter>
#include <QStackedWidget>

namespace {

constexpr std::array<ButtonRow, 5> kLeftPanelButtons = {{
    {"MenuPanel", 7, 26, 46, 52, "BMP_LEFT_MENUPANEL", kLeftMenuPanel, "ZORX_TT_MenuPanel", "Push,Toggle"},
    {"FolderTree", 56, 26, 46, 52, "BMP_LEFT_FOLDERTREE", kLeftFolderTree, "ZORX_TT_FolderTree", "Push,Toggle"},
    {"PeriodPanel", 56, 26, 46, 52, "BMP_LEFT_PERIODPANEL", kLeftPeriodPanel, "ZORX_TT_PeriodPanel", "Push,Toggle"},
    {"Back", 120, 34, 30, 44, "BMP_LEFT_BACK", kLeftBack, "ZORX_TT_Back", "Push"},
    {"Forward", 153, 34, 30, 44, "BMP_LEFT_FORWARD", kLeftForward, "ZORX_TT_Forward", "Push"},
}};

// The information area takes as many lines as a folder summary has at most.
constexpr int kCompanionHeight = 132;

} // namespace

LeftPanel::LeftPanel(std::function<void(int)> onCommand, QWidget* parent)
    : QWidget(parent)
    , m_onCommand(std::move(onCommand))
    , m_pages(new QStackedWidget(this))
{
    setObjectName("LeftPanel");
    setMouseTracking(true);
    m_buttons.Create(kLeftPanelButtons, this, [this](int id) {
        m_buttons.ResetTooltips();
        m_onCommand(id);
    });
}

void LeftPanel::SetPages(QWidget* menuPanel, QWidget* folderTree, QWidget* periodPanel)
{
    m_menuPanel = menuPanel;
    m_folderTree = folderTree;
    m_periodPanel = periodPanel;
    for (QWidget* page : {menuPanel, folderTree, periodPanel})
        m_pages->addWidget(page);
}

void LeftPanel::SetCompanion(QWidget* companion)
{
    m_companion = companion;
    companion->setParent(this);
    LayOutBody();
}

void LeftPanel::ShowState(LeftPage page, bool periodMode, bool paneServiceActive, bool canGoBack, bool canGoForward)
{
    QWidget* shown = page == LeftPage::MenuPanel ? m_menuPanel : periodMode ? m_periodPanel : m_folderTree;
    if (shown)
        m_pages->setCurrentWidget(shown);
    m_buttons["FolderTree"].setVisible(!periodMode);
    m_buttons["PeriodPanel"].setVisible(periodMode);

    const int enabled = paneServiceActive ? kButtonDisabled : kButtonNormal;
    // The page buttons are toggles: the shown page's button stays pressed.
    m_buttons["MenuPanel"].SetState(enabled);
    m_buttons["FolderTree"].SetState(enabled);
    m_buttons["PeriodPanel"].SetState(enabled);
    if (!paneServiceActive) {
        SkinnedButton& current = page == LeftPage::MenuPanel ? m_buttons["MenuPanel"]
                                 : periodMode                ? m_buttons["PeriodPanel"]
                                                             : m_buttons["FolderTree"];
        current.SetState(kButtonPressed);
    }
    m_buttons["Back"].SetState(paneServiceActive || !canGoBack ? kButtonDisabled : kButtonNormal);
    m_buttons["Forward"].SetState(paneServiceActive || !canGoForward ? kButtonDisabled : kButtonNormal);

    m_pages->setVisible(!paneServiceActive || !m_servicePage);
    if (m_companion)
        m_companion->setVisible(!paneServiceActive);
}

void LeftPanel::SetServicePage(QWidget* page)
{
    if (m_servicePage && m_servicePage != page)
        m_servicePage->hide();
    m_servicePage = page;
    if (page) {
        page->setParent(this);
        page->show();
    }
    m_pages->setVisible(page == nullptr);
    if (m_companion)
        m_companion->setVisible(page == nullptr);
    LayOutBody();
}

void LeftPanel::LayOutBody()
{
    const int bodyTop = kHeaderHeight;
    const int bodyHeight = std::max(0, height() - bodyTop);
    if (m_servicePage) {
        m_servicePage->setGeometry(0, bodyTop, width(), bodyHeight);
        return;
    }
    const int companionHeight = m_companion ? std::min(kCompanionHeight, bodyHeight / 2) : 0;
    m_pages->setGeometry(0, bodyTop, width(), bodyHeight - companionHeight);
    if (m_companion)
        m_companion->setGeometry(0, bodyTop + bodyHeight - companionHeight, width(), companionHeight);
}

void LeftPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutBody();
}

void LeftPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient header(0, 0, 0, kHeaderHeight);
    header.setColorAt(0, QColor(0xF4, 0xF6, 0xFA));
    header.setColorAt(1, QColor(0xDD, 0xE3, 0xEE));
    painter.fillRect(QRect(0, 0, width(), kHeaderHeight), header);
    painter.setPen(QColor(0xBF, 0xC8, 0xD1));
    painter.drawLine(0, kHeaderHeight - 1, width(), kHeaderHeight - 1);
    painter.fillRect(QRect(0, kHeaderHeight, width(), height() - kHeaderHeight), Qt::white);
}

void LeftPanel::mouseMoveEvent(QMouseEvent* event)
{
    m_buttons.ResetTooltips();
    QWidget::mouseMoveEvent(event);
}
