#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "slide_show_state.h"

// The full-screen black window of a slide show. It asks loadPicture for each picture as it
// comes up and calls onClosed once when the show ends.
class SlideShowWindow : public QWidget {
public:
    static constexpr int kAdvanceMilliseconds = 5000;

    SlideShowWindow(std::vector<std::string> paths, std::function<QImage(const std::string&)> loadPicture);

    std::function<void()> onClosed;
    const SlideShowState& State() const { return m_state; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Advance();
    void GoBack();
    void ShowCurrent();

    std::vector<std::string> m_paths;
    std::function<QImage(const std::string&)> m_loadPicture;
    SlideShowState m_state;
    QImage m_picture;
    QTimer m_timer;
    bool m_closedReported = false;
};

// The Exec of the slide show module: runs the show over the main window until it ends.
int RunSlideShowService(void* mainWindow);
