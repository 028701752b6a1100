#pragma once

#include <array>
#include <functional>

#include <QWidget>

#include "views/skinned_button.h"

// Top bar commands: modes, views and thumbnail sizes.
inline constexpr int kTopFolderMode = 52001;
inline constexpr int kTopPeriodMode = 52002;
inline constexpr int kTopThumbnail = 52009;
inline constexpr int kTopPreview = 52010;
inline constexpr int kTopReport = 52011;
inline constexpr int kTopSizeS = 52012;
inline constexpr int kTopSizeM = 52013;
inline constexpr int kTopSizeL = 52014;
inline constexpr int kTopSizeDown = 52015;
inline constexpr int kTopSizeUp = 52016;

// The 65-pixel bar across the top: its background, the name of the browse mode and the mode,
// view and size buttons. Clicks reach the owner through `onCommand`.
class TopBar : public QWidget {
    Q_OBJECT

public:
    TopBar(std::function<void(int)> onCommand, QWidget* parent);

    const ButtonSet& Buttons() const { return m_buttons; }

    // Shows the state: the selected mode and view buttons, the size toggles, and the enabling
    // (everything off while a pane service holds the window; sizes only with thumbnails; a view
    // button only when the program has that view).
    void ShowState(bool periodMode, int viewMode, int thumbnailSize, bool paneServiceActive,
                   const std::array<bool, 3>& viewsAvailable = {true, true, true});

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::function<void(int)> m_onCommand;
    ButtonSet m_buttons;
    bool m_periodMode = false;
};
