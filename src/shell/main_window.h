#pragma once

#include <functional>
#include <string>

#include <QMainWindow>

#include "framework/window_placement.h"
#include "shell/command_dispatcher.h"
#include "shell/command_line.h"

struct AppSettings;

// The browser's main window: owns the command dispatcher, the current folder and the command
// line state, carries out command-line actions, and saves the settings when it accepts a close.
// Its panes are added by the views. Main thread only.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    inline static constexpr WindowSize kMinimumSize{800, 600};
    inline static constexpr const char* kTitle = "VistrelViewer";

    explicit MainWindow(AppSettings& settings, QWidget* parent = nullptr);

    CommandDispatcher& Dispatcher() { return m_dispatcher; }

    // Places the window from the stored geometry: at least the minimum size, centred when
    // asked (the very first start), and always fully inside the work area of its screen.
    void PlaceAtStart(bool centre);

    // The shell's view of the running program.
    const std::string& CurrentFolder() const { return m_currentFolder; }
    const std::string& FocusedPath() const { return m_focusedPath; }
    const std::string& CommandLine() const { return m_commandLine; }
    const std::string& AutoCaptureCommandLine() const { return m_autoCaptureCommandLine; }
    bool CaptureAtStart() const { return m_captureAtStart; }
    int ViewMode() const;
    bool PeriodMode() const;

    void SetCommandLine(std::string text) { m_commandLine = std::move(text); }
    void OpenFolder(const std::string& path);
    void SetViewMode(int viewMode);

    // The start-up pre-scan (folder mode) and the full option pass.
    void RunStartupPreScan(const std::string& argumentText);
    void ProcessCommandLine(const std::string& argumentText, bool forwarded);

    // A text from another process; returns the handler's result (0). Texts with "<POST>" wait
    // for the command that a sender posts after it.
    int ReceiveCopyData(const std::string& text);

    // Restores a minimised window, shows it and brings it to the front.
    void BringToFront();

    // Asked before the window closes while a pane service is active; false refuses the close.
    void SetPaneCloseQuery(std::function<bool()> query) { m_paneCloseQuery = std::move(query); }

    // The folder that a service named as changed (cleared before running one).
    void SetUpdateFolder(std::string folder) { m_updateFolder = std::move(folder); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ProcessForwardedText();
    void Execute(const CommandLineAction& action);
    void RunServiceAction(const CommandLineAction& action);
    void RefreshGeometrySettings();
    CommandLineEnvironment Environment() const;

    AppSettings& m_settings;
    CommandDispatcher m_dispatcher;
    std::function<bool()> m_paneCloseQuery;
    std::string m_currentFolder;
    std::string m_focusedPath;
    std::string m_commandLine;
    std::string m_autoCaptureCommandLine;
    std::string m_forwardedText;
    std::string m_updateFolder;
    bool m_captureAtStart = false;
    bool m_serviceRunning = false;
    WindowRect m_requestedOuterRect;
    bool m_frameAdjusted = false;
};

// The work area (screen minus panels) of the screen that holds the point, or of the primary
// screen.
WindowRect WorkAreaAt(int x, int y);
