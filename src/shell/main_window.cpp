#include "shell/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include "shell/app_settings.h"

namespace {

constexpr std::string_view kPostMarker = "<POST>";

WindowRect FromQRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

std::string PicturesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
}

} // namespace

WindowRect WorkAreaAt(int x, int y)
{
    QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {0, 0, 1024, 768};
    return FromQRect(screen->availableGeometry());
}

MainWindow::MainWindow(AppSettings& settings, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
{
    setWindowTitle(kTitle);
    setMinimumSize(kMinimumSize.width, kMinimumSize.height);
    m_dispatcher.Register(kCommandProcessForwardedText, [this] { ProcessForwardedText(); });
}

int MainWindow::ViewMode() const
{
    return m_settings.viewMode;
}

bool MainWindow::PeriodMode() const
{
    return m_settings.pmMode != 0;
}

void MainWindow::PlaceAtStart(bool centre)
{
    WindowRect rect{m_settings.windowPosX, m_settings.windowPosY, m_settings.windowWidth,
                    m_settings.windowHeight};
    rect = ApplyMinimumSize(rect, kMinimumSize);
    rect = PlaceInWorkArea(rect, WorkAreaAt(rect.x, rect.y), centre);
    m_requestedOuterRect = rect;
    // The frame is known only once the window is shown; showEvent takes it off the size.
    resize(rect.width, rect.height);
    move(rect.x, rect.y);
    RefreshGeometrySettings();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_frameAdjusted || m_requestedOuterRect.width == 0)
        return;
    m_frameAdjusted = true;
    const QRect frame = frameGeometry();
    const int extraWidth = frame.width() - width();
    const int extraHeight = frame.height() - height();
    if (extraWidth > 0 || extraHeight > 0) {
        resize(std::max(m_requestedOuterRect.width - extraWidth, kMinimumSize.width),
               std::max(m_requestedOuterRect.height - extraHeight, kMinimumSize.height));
        move(m_requestedOuterRect.x, m_requestedOuterRect.y);
    }
}

void MainWindow::RefreshGeometrySettings()
{
    const QRect frame = frameGeometry();
    m_settings.windowPosX = frame.x();
    m_settings.windowPosY = frame.y();
    m_settings.windowWidth = frame.width();
    m_settings.windowHeight = frame.height();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (!isMinimized())
        RefreshGeometrySettings();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        RefreshGeometrySettings();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && centralWidget())
        centralWidget()->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_paneCloseQuery && !m_paneCloseQuery()) {
        event->ignore();
        return;
    }
    RefreshGeometrySettings();
    SaveSettingsOnClose(m_settings, m_currentFolder);
    event->accept();
}

void MainWindow::BringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::OpenFolder(const std::string& path)
{
    m_currentFolder = path;
    update();
}

void MainWindow::SetViewMode(int viewMode)
{
    m_settings.viewMode = viewMode;
    update();
}

CommandLineEnvironment MainWindow::Environment() const
{
    CommandLineEnvironment env;
    env.serviceRunning = m_serviceRunning;
    env.captureAtStart = m_captureAtStart;
    env.periodMode = PeriodMode();
    env.canonicalise = [](std::string_view path) { return CanonicalisePath(path); };
    env.isFolder = [](std::string_view path) { return IsFolderOrUnreadable(path); };
    return env;
}

void MainWindow::RunStartupPreScan(const std::string& argumentText)
{
    Execute(PreScanCommandLine(argumentText, Environment()));
}

void MainWindow::ProcessCommandLine(const std::string& argumentText, bool forwarded)
{
    Execute(InterpretCommandLine(argumentText, forwarded, Environment(), PicturesFolder()));
}

int MainWindow::ReceiveCopyData(const std::string& text)
{
    m_forwardedText = text;
    if (text.find(kPostMarker) == std::string::npos) {
        m_commandLine = text;
        ProcessCommandLine(text, true);
    }
    return 0;
}

void MainWindow::ProcessForwardedText()
{
    if (m_forwardedText.empty())
        return;
    std::string text = m_forwardedText;
    if (const size_t marker = text.find(kPostMarker); marker != std::string::npos)
        text.erase(marker, kPostMarker.size());
    m_commandLine = text;
    ProcessCommandLine(text, true);
}

void MainWindow::RunServiceAction(const CommandLineAction& action)
{
    if (action.keepCaptureText)
        m_autoCaptureCommandLine = m_commandLine;
    if (action.setsCaptureAtStart)
        m_captureAtStart = true;
    if (action.refreshAfterCapture)
        m_updateFolder.clear();
    m_serviceRunning = true;
    m_dispatcher.RunService(action.service);
    m_serviceRunning = false;
    if (action.refreshAfterCapture && !m_updateFolder.empty() && !PeriodMode())
        OpenFolder(m_currentFolder);
    update();
}

void MainWindow::Execute(const CommandLineAction& action)
{
    using Kind = CommandLineAction::Kind;
    switch (action.kind) {
    case Kind::Nothing:
    case Kind::RefreshPanels:
    case Kind::UpdateAllIndexes: update(); break;
    case Kind::KeepCaptureText: m_autoCaptureCommandLine = m_commandLine; break;
    case Kind::RunService: RunServiceAction(action); break;
    case Kind::PreviewOnly: SetViewMode(1); break;
    case Kind::ShowFile:
        if (action.switchToPreview)
            SetViewMode(1);
        if (action.openFileFolder)
            OpenFolder(ParentFolderOf(action.path));
        m_focusedPath = action.path;
        update();
        break;
    case Kind::OpenFolder: OpenFolder(action.path); break;
    }
}
