// The main window's side of the menu panel: its section states in the settings, what it offers
// after every selection change, and its left-panel commands.
#include <array>

#include "framework/string_table.h"
#include "library/status_lines.h"
#include "shell/main_window.h"
#include "shell/menu_resources.h"
#include "shell/settings_store.h"
#include "views/menu_panel.h"

namespace {

constexpr std::array<const char*, kMenuPanelSectionCount> kSectionKeys = {
    "CurrentSettings\\MenuPanelPrint",  "CurrentSettings\\MenuPanelMenu", "CurrentSettings\\MenuPanelManipulate",
    "CurrentSettings\\MenuPanelFolder", "CurrentSettings\\MenuPanelInfo",
};

std::vector<ServicePanelEntry> PanelEntries(const ServiceMenuEntries& entries)
{
    std::vector<ServicePanelEntry> panelEntries;
    for (const ServiceMenuEntry& entry : entries.Entries())
        panelEntries.push_back({entry.caption, entry.command});
    return panelEntries;
}

} // namespace

MenuPanel* MainWindow::CreateMenuPanel()
{
    MenuPanel::Callbacks callbacks;
    callbacks.sendCommand = [this](int command) { m_dispatcher.Dispatch(command); };
    callbacks.sectionToggled = [](MenuPanelSection section, bool open) {
        RegistryWriteDword(kSectionKeys[static_cast<size_t>(section)], open ? 1 : 0);
    };
    auto* panel = new MenuPanel(std::move(callbacks));
    std::array<bool, kMenuPanelSectionCount> open{};
    for (size_t slot = 0; slot < open.size(); ++slot) {
        uint32_t value = 1;
        RegistryReadDword(value, kSectionKeys[slot], 1);
        open[slot] = value != 0;
    }
    panel->SetSectionsOpen(open);
    return panel;
}

void MainWindow::RefreshMenuPanel()
{
    if (!m_menuPanel)
        return;
    MenuPanelState state;
    state.selection.folderOpen = !m_currentFolder.empty();
    state.selection.items = m_counts.items;
    state.selection.selectedItems = m_counts.selectedItems;
    state.selection.selectedFolders = m_counts.selectedFolders;
    state.selection.selectedImages = m_counts.selectedImages;
    state.commandEnabled = [this](int command) {
        return m_dispatcher.HasHandler(command) && (!m_menus || m_menus->IsEnabled(command));
    };
    state.text = [](const char* key) { return GetText(key); };
    state.helperEntries = PanelEntries(m_helperEntries);
    state.programEntries = PanelEntries(m_programEntries);
    const std::string folderName = m_currentFolder.empty() ? std::string() : FolderDisplayName(m_currentFolder);
    // The information area below already sums up the folder; the info section is about the one
    // selected item, or the counts when there is none.
    const MediaItem* selected = nullptr;
    if (m_counts.selectedItems == 1)
        for (const MediaItem& item : m_itemList.Items())
            if (item.selected && !item.hidden)
                selected = &item;
    std::vector<std::string> infoLines;
    if (selected)
        infoLines.push_back(selected->fileName);
    infoLines.push_back(StatusBarText(m_counts, selected, PeriodMode()));
    m_menuPanel->SetState(std::move(state), folderName, std::move(infoLines));
}
