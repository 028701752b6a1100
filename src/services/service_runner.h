#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "services/command_table.h"
#include "services/service_host.h"
#include "services/service_slot.h"

// What the runner needs from the main window to swap a pane service's windows in and out.
class ServicePaneHost {
public:
    virtual ~ServicePaneHost() = default;

    virtual QWidget* MainWindowWidget() = 0;
    // The parent that a pane service's left window is created in.
    virtual QWidget* LeftPageParent() = 0;
    // Hides and disables the program's own left page and view area and the mode, view and
    // left-panel buttons.
    virtual void HideOwnWindows() = 0;
    virtual void ShowServiceWindows(QWidget* left, QWidget* main) = 0;
    // Restores the left-width limits of the current page and shows the program's own windows.
    virtual void RestoreOwnWindows() = 0;
};

// Runs the services of the command table: a dialog service as Init, Exec, Free for every run;
// a pane service as Init, CreateWindowL, CreateWindowM, and Free when it ends. At most one pane
// service is active. Module windows are held weakly: a module may delete its own window first.
// Main thread only.
class ServiceRunner {
public:
    static constexpr int kProgramMenuFirst = 43000;
    static constexpr int kProgramMenuLast = 43999;
    static constexpr int kToolMenuFirst = 44000;
    static constexpr int kToolMenuLast = 44999;

    ServiceRunner(const std::string& systemFolder, ServicePaneHost& host, VistrelGetProcAddressFn hostLookup);

    // Whether the module file of the row is installed (its command can do something).
    bool IsInstalled(size_t index) const;
    bool IsInstalled(std::string_view name) const;

    // false when the name is not a row of the table; a module that does not load does nothing.
    bool Run(std::string_view name);
    void Run(size_t index);

    // Ends the active pane service, if any, and brings the program's own windows back.
    void EndPaneService();
    // Before a command leaves the current screen: false when the active pane service refuses
    // to close; otherwise the pane service has ended.
    bool AskBeforeLeaving();
    // Before the main window closes: false when the active pane service refuses.
    bool MayClose();

    bool PaneActive() const { return m_activePane.has_value(); }
    std::optional<size_t> ActivePane() const { return m_activePane; }
    // A dialog service's Exec is running or a pane service is active.
    bool ServiceActive() const { return m_dialogDepth > 0 || m_activePane.has_value(); }
    bool DialogRunning() const { return m_dialogDepth > 0; }
    QWidget* PaneMainWindow() const { return m_paneMain; }

    // Commands 43000..43999 go to "OpenAsRun", 44000..44999 to "Tool", through Exec.
    static bool IsMenuRunCommand(int command);
    void RunMenuCommand(int command);
    MenuRunState MenuRun() const { return m_menuRun; }

    // Work that must not run inside a dialog service's Exec (a forwarded command line, a folder
    // change): run now when no dialog runs, else when the outermost Exec returns.
    void WhenIdle(std::function<void()> work);

    // The start-up services: "ServiceCustomize" gets Init and makes the right column window
    // (nullptr when absent); "OpenAsRun" and "Tool" get Init. Free for all of them at exit.
    QWidget* StartStartupServices(QWidget* rightColumnParent);
    void FreeStartupServices();
    QWidget* StartupWindow() const { return m_startupWindow; }

    ServiceSlot& Slot(size_t index) { return m_slots[index]; }

private:
    bool LoadSlot(size_t index);
    void RunDialog(size_t index);
    void RunPane(size_t index);
    // Destroys the active pane's windows (later, so that a module handler that asked for it
    // returns into a live object) and calls its Free.
    void ClosePaneWindows();
    void RunIdleWork();

    ServicePaneHost& m_host;
    VistrelGetProcAddressFn m_hostLookup;
    std::array<ServiceSlot, kServiceCommands.size()> m_slots;
    std::optional<size_t> m_activePane;
    QPointer<QWidget> m_paneLeft;
    QPointer<QWidget> m_paneMain;
    QPointer<QWidget> m_startupWindow;
    std::vector<size_t> m_startedServices;
    int m_dialogDepth = 0;
    MenuRunState m_menuRun;
    std::vector<std::function<void()>> m_idleWork;
};
