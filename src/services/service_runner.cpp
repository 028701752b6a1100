#include "services/service_runner.h"

#include <sys/stat.h>

#include <QCoreApplication>

namespace {

constexpr size_t kOpenAsRunRow = *FindServiceCommand("OpenAsRun");
constexpr size_t kToolRow = *FindServiceCommand("Tool");
constexpr size_t kServiceCustomizeRow = *FindServiceCommand("ServiceCustomize");

bool IsRegularFile(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Takes a module's window into the program's hands; a module may still delete it itself.
QWidget* AdoptWindow(void* window)
{
    return static_cast<QWidget*>(window);
}

void DestroyWindow(QPointer<QWidget>& window)
{
    if (!window)
        return;
    window->hide();
    window->setEnabled(false);
    window->deleteLater();
    window.clear();
}

} // namespace

ServiceRunner::ServiceRunner(const std::string& systemFolder, ServicePaneHost& host,
                             VistrelGetProcAddressFn hostLookup)
    : m_host(host), m_hostLookup(hostLookup)
{
    for (size_t i = 0; i < kServiceCommands.size(); ++i)
        m_slots[i].SetModulePath(systemFolder + "/" + std::string(kServiceCommands[i].moduleFile));
}

bool ServiceRunner::IsInstalled(size_t index) const
{
    return index < m_slots.size() && IsRegularFile(m_slots[index].ModulePath());
}

bool ServiceRunner::IsInstalled(std::string_view name) const
{
    const std::optional<size_t> index = FindServiceCommand(name);
    return index && IsInstalled(*index);
}

bool ServiceRunner::LoadSlot(size_t index)
{
    if (index >= m_slots.size())
        return false;
    const bool loaded = m_slots[index].Load(m_hostLookup);
    if (!loaded && IsInstalled(index))
        qWarning("service %s: %s", std::string(kServiceCommands[index].name).c_str(),
                 m_slots[index].LoadError().c_str());
    return loaded;
}

bool ServiceRunner::Run(std::string_view name)
{
    const std::optional<size_t> index = FindServiceCommand(name);
    if (!index)
        return false;
    Run(*index);
    return true;
}

void ServiceRunner::Run(size_t index)
{
    if (!LoadSlot(index))
        return;
    if (m_slots[index].Entries().getType() == 0)
        RunDialog(index);
    else
        RunPane(index);
}

void ServiceRunner::RunDialog(size_t index)
{
    const ServiceEntryPoints& entries = m_slots[index].Entries();
    ++m_dialogDepth;
    entries.init();
    entries.exec(m_slots[index].Handle(), m_host.MainWindowWidget());
    entries.free();
    --m_dialogDepth;
    RunIdleWork();
}

void ServiceRunner::RunPane(size_t index)
{
    if (m_activePane) {
        // The new service's windows take the place of the old ones directly.
        if (!MayClose())
            return;
        ClosePaneWindows();
    } else {
        m_host.HideOwnWindows();
    }
    const ServiceSlot& slot = m_slots[index];
    const ServiceEntryPoints& entries = slot.Entries();
    entries.init();
    QWidget* left = entries.createWindowL ? AdoptWindow(entries.createWindowL(slot.Handle(), m_host.LeftPageParent()))
                                          : nullptr;
    QWidget* main = entries.createWindowM ? AdoptWindow(entries.createWindowM(slot.Handle(), m_host.MainWindowWidget()))
                                          : nullptr;
    m_paneLeft = left;
    m_paneMain = main;
    if (!left || !main) {
        // A pane service without both windows would leave the user an empty screen.
        DestroyWindow(m_paneLeft);
        DestroyWindow(m_paneMain);
        entries.free();
        m_host.RestoreOwnWindows();
        return;
    }
    m_activePane = index;
    m_host.ShowServiceWindows(left, main);
    if (QWidget* window = m_host.MainWindowWidget())
        window->update();
}

void ServiceRunner::ClosePaneWindows()
{
    DestroyWindow(m_paneLeft);
    DestroyWindow(m_paneMain);
    const size_t index = *m_activePane;
    m_activePane.reset();
    m_slots[index].Entries().free();
}

void ServiceRunner::EndPaneService()
{
    if (!m_activePane)
        return;
    ClosePaneWindows();
    m_host.RestoreOwnWindows();
    if (QWidget* window = m_host.MainWindowWidget())
        window->update();
}

bool ServiceRunner::MayClose()
{
    if (!m_activePane)
        return true;
    const VistrelCloseFn close = m_slots[*m_activePane].Entries().close;
    return !close || close() != 0;
}

bool ServiceRunner::AskBeforeLeaving()
{
    if (!MayClose())
        return false;
    EndPaneService();
    return true;
}

bool ServiceRunner::IsMenuRunCommand(int command)
{
    return (command >= kProgramMenuFirst && command <= kProgramMenuLast) ||
           (command >= kToolMenuFirst && command <= kToolMenuLast);
}

void ServiceRunner::RunMenuCommand(int command)
{
    if (!IsMenuRunCommand(command))
        return;
    const size_t index = command <= kProgramMenuLast ? kOpenAsRunRow : kToolRow;
    ServiceSlot& slot = m_slots[index];
    if (!slot.Loaded())
        return;
    m_menuRun = {true, command};
    ++m_dialogDepth;
    slot.Entries().exec(slot.Handle(), m_host.MainWindowWidget());
    --m_dialogDepth;
    m_menuRun.running = false;
    RunIdleWork();
}

void ServiceRunner::WhenIdle(std::function<void()> work)
{
    if (m_dialogDepth == 0) {
        work();
        return;
    }
    m_idleWork.push_back(std::move(work));
}

void ServiceRunner::RunIdleWork()
{
    if (m_dialogDepth > 0)
        return;
    std::vector<std::function<void()>> work;
    work.swap(m_idleWork);
    for (std::function<void()>& item : work)
        item();
}

QWidget* ServiceRunner::StartStartupServices(QWidget* rightColumnParent)
{
    for (const size_t index : {kServiceCustomizeRow, kOpenAsRunRow, kToolRow}) {
        if (!LoadSlot(index))
            continue;
        const ServiceSlot& slot = m_slots[index];
        slot.Entries().init();
        m_startedServices.push_back(index);
        if (index == kServiceCustomizeRow && slot.Entries().createWindowR)
            m_startupWindow = AdoptWindow(slot.Entries().createWindowR(slot.Handle(), rightColumnParent));
    }
    return m_startupWindow;
}

void ServiceRunner::FreeStartupServices()
{
    DestroyWindow(m_startupWindow);
    for (const size_t index : m_startedServices)
        m_slots[index].Entries().free();
    m_startedServices.clear();
}
