#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include "views/menu_panel_entries.h"

// The menu panel of the left panel: the commands that fit the current selection as captioned
// icons in collapsible sections. A click on a header opens or closes its section, a click on an
// entry sends its command; the wheel scrolls when the sections are taller than the panel.
// Main thread only.
class MenuPanel : public QWidget {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void(int command)> sendCommand;
        // After the user opened or closed a section, to keep it in the settings.
        std::function<void(MenuPanelSection section, bool open)> sectionToggled;
    };

    // One laid-out row in content coordinates (before scrolling).
    struct Row {
        enum class Kind { Header, Entry, Text };
        Kind kind = Kind::Text;
        MenuPanelSection section = MenuPanelSection::Print;
        QRect rect;
        std::string caption;
        std::string iconName;
        int command = 0;
    };

    explicit MenuPanel(Callbacks callbacks, QWidget* parent = nullptr);

    // The selection, enabled commands and service entries to offer, the current folder's name
    // (the folder section) and the information lines (the info section).
    void SetState(MenuPanelState state, std::string folderName, std::vector<std::string> infoLines);
    // The section open states from the settings (no callback).
    void SetSectionsOpen(const std::array<bool, kMenuPanelSectionCount>& open);
    bool IsSectionOpen(MenuPanelSection section) const;

    const std::vector<Row>& Rows() const { return m_rows; }
    int ContentHeight() const { return m_contentHeight; }
    int ScrollOffset() const { return m_scrollOffset; }

    static constexpr int kLeft = 7;
    static constexpr int kRight = 181;
    static constexpr int kIconX = 13;
    static constexpr int kIconSize = 22;
    static constexpr int kTabX = 165;
    static constexpr int kTabTop = 11;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOut();
    void ScrollTo(int offset);
    void Toggle(MenuPanelSection section);
    int RowAt(QPoint point) const;
    QRect CaptionRect(const Row& row) const;
    const QPixmap& Icon(const std::string& name);

    Callbacks m_callbacks;
    MenuPanelState m_state;
    std::string m_folderName;
    std::vector<std::string> m_infoLines;
    std::vector<Row> m_rows;
    int m_contentHeight = 0;
    int m_scrollOffset = 0;
    int m_hoverRow = -1;
    std::array<QPixmap, kMenuPanelSectionCount> m_headers;
    QPixmap m_tabOpen;
    QPixmap m_tabClose;
    QPixmap m_background;
    QPixmap m_tail;
    QPixmap m_shadow;
    std::vector<std::pair<std::string, QPixmap>> m_icons;
};
