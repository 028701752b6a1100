#pragma once

#include <functional>

#include <QWidget>

#include "shell/main_layout.h"
#include "views/skinned_button.h"

class QStackedWidget;

// Left panel commands.
inline constexpr int kLeftMenuPanel = 52003;
inline constexpr int kLeftFolderTree = 52004;
inline constexpr int kLeftPeriodPanel = 52005;
inline constexpr int kLeftBack = 52006;
inline constexpr int kLeftForward = 52007;

// The left panel: a header with the page buttons, the page (menu panel, folder tree or period
// panel, or a pane service's window) and below it the information area.
class LeftPanel : public QWidget {
    Q_OBJECT

public:
    inline static constexpr int kHeaderHeight = 84;

    LeftPanel(std::function<void(int)> onCommand, QWidget* parent);

    const ButtonSet& Buttons() const { return m_buttons; }

    // The program's own pages; each is owned by the panel once set.
    void SetPages(QWidget* menuPanel, QWidget* folderTree, QWidget* periodPanel);
    // The companion shown below the pages (the information area).
    void SetCompanion(QWidget* companion);

    // Shows the page of the state, the matching navigation button and the button states.
    void ShowState(LeftPage page, bool periodMode, bool paneServiceActive, bool canGoBack, bool canGoForward);

    // A pane service's left window takes the place of the pages and their companion.
    void SetServicePage(QWidget* page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void LayOutBody();

    std::function<void(int)> m_onCommand;
    ButtonSet m_buttons;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_menuPanel = nullptr;
    QWidget* m_folderTree = nullptr;
    QWidget* m_periodPanel = nullptr;
    QWidget* m_companion = nullptr;
    QWidget* m_servicePage = nullptr;
};
