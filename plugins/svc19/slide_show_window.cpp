#include "slide_show_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include "host_picture.h"
#include "service_client.h"

SlideShowWindow::SlideShowWindow(std::vector<std::string> paths,
                                 std::function<QImage(const std::string&)> loadPicture)
    : m_paths(std::move(paths)), m_loadPicture(std::move(loadPicture)), m_state(m_paths.size())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    m_timer.setInterval(kAdvanceMilliseconds);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_state.TimerTick())
            ShowCurrent();
    });
    ShowCurrent();
}

void SlideShowWindow::ShowCurrent()
{
    if (m_state.Finished()) {
        m_timer.stop();
        close();
        return;
    }
    m_picture = m_loadPicture ? m_loadPicture(m_paths[m_state.Index()]) : QImage();
    if (!m_state.Paused())
        m_timer.start(); // a manual step gives the new picture its full time too
    update();
}

void SlideShowWindow::Advance()
{
    m_state.Next();
    ShowCurrent();
}

void SlideShowWindow::GoBack()
{
    m_state.Previous();
    ShowCurrent();
}

void SlideShowWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(FitRect(m_picture.size(), rect()), m_picture);
    }
}

void SlideShowWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
        Advance();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        GoBack();
        break;
    case Qt::Key_P:
    case Qt::Key_Pause:
        m_state.TogglePause();
        if (m_state.Paused())
            m_timer.stop();
        else
            m_timer.start();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SlideShowWindow::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        Advance();
    else if (delta > 0)
        GoBack();
    event->accept();
}

void SlideShowWindow::mousePressEvent(QMouseEvent*)
{
    close();
}

void SlideShowWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    m_state.Finish();
    event->accept();
    if (!m_closedReported) {
        m_closedReported = true;
        if (onClosed)
            onClosed();
    }
}

namespace {

std::vector<std::string> ShowablePictures(ServiceClient& host)
{
    std::vector<std::string> chosen = host.SelectedFiles().paths;
    if (chosen.empty())
        chosen = host.DisplayedFiles().paths;
    constexpr int kPicture = 1;
    std::vector<std::string> pictures;
    for (const std::string& path : chosen)
        if (host.FileType(path) == kPicture)
            pictures.push_back(path);
    return pictures;
}

} // namespace

int RunSlideShowService(void* mainWindow)
{
    std::vector<std::string> pictures = ShowablePictures(ServiceClient::Instance());
    if (pictures.empty())
        return 0;
    QEventLoop loop;
    SlideShowWindow window(std::move(pictures), ReadHostPicture);
    window.onClosed = [&loop] { loop.quit(); };
    if (auto* main = static_cast<QWidget*>(mainWindow))
        window.setGeometry(main->screen()->geometry());
    window.setWindowModality(Qt::ApplicationModal);
    window.showFullScreen();
    window.activateWindow();
    window.setFocus();
    if (!window.State().Finished())
        loop.exec();
    return 1;
}
