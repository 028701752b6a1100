#include "views/menu_panel_entries.h"

namespace {

using S = MenuPanelSection;
constexpr bool o = false;
constexpr bool X = true;

// Situations 0 to 6 in each row.
constexpr MenuPanelEntry kEntries[] = {
    {S::Print, "ZORX_MP_NetPrint", "MENU_ICON29", 40003, {o, X, X, X, X, X, X}, false},
    {S::Print, "ZORX_MP_ShopPrint", "MENU_ICON30", 40004, {o, X, X, X, X, X, X}, false},
    {S::Print, "ZORX_MP_HomePrint", "MENU_ICON03", 40002, {o, X, X, X, X, X, X}, false},
    {S::Menu, "ZORX_MP_SlideShow", "MENU_ICON01", 40066, {X, X, X, X, X, X, X}, false},
    {S::Menu, "ZORX_MP_SendMail", "MENU_ICON02", 40086, {o, o, X, X, o, o, X}, true},
    {S::Menu, "ZORX_MP_Rotate", "MENU_ICON04", 40082, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_ClipInsert", "MENU_ICON05", 40067, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_Adjust", "MENU_ICON06", 40068, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_RedEye", "MENU_ICON07", 40069, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_Resize", "MENU_ICON08", 40083, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_EditDateComment", "MENU_ICON09", 40084, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_ChangeFormat", "MENU_ICON10", 40085, {o, o, X, o, o, o, o}, true},
    {S::Menu, "ZORX_MP_BatchRotate", "MENU_ICON04", 40082, {o, o, o, X, o, o, X}, true},
    {S::Menu, "ZORX_MP_BatchResize", "MENU_ICON08", 40083, {o, o, o, X, o, o, X}, true},
    {S::Menu, "ZORX_MP_BatchEditDateComment", "MENU_ICON09", 40084, {o, o, o, X, o, o, X}, true},
    {S::Menu, "ZORX_MP_BatchChangeFormat", "MENU_ICON10", 40085, {o, o, o, X, o, o, X}, true},
    {S::Manipulate, "ZORX_MP_OpenWithExplorer", "MENU_ICON12", 40073, {X, X, o, o, X, o, o}, false},
    {S::Manipulate, "ZORX_MP_CheckFolderSize", "MENU_ICON13", 40010, {X, X, o, o, X, X, o}, false},
    {S::Manipulate, "ZORX_MP_CreateNewFolder", "MENU_ICON14", 40075, {X, X, o, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_SaveImageToPC", "MENU_ICON15", 40074, {o, X, o, o, X, o, o}, false},
    {S::Manipulate, "ZORX_MP_RenameFolder", "MENU_ICON16", 40008, {o, o, o, o, X, o, o}, false},
    {S::Manipulate, "ZORX_MP_MoveFolder", "MENU_ICON17", 40016, {o, o, o, o, X, X, o}, false},
    {S::Manipulate, "ZORX_MP_CopyFolder", "MENU_ICON18", 40015, {o, o, o, o, X, X, o}, false},
    {S::Manipulate, "ZORX_MP_DeleteFolder", "MENU_ICON19", 40007, {o, o, o, o, X, X, o}, false},
    {S::Manipulate, "ZORX_MP_Open", "MENU_ICON20", 40001, {o, o, X, X, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_CheckFileSize", "MENU_ICON21", 40010, {o, o, X, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_RenameFile", "MENU_ICON22", 40008, {o, o, X, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_MoveFile", "MENU_ICON23", 40016, {o, o, X, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_CopyFile", "MENU_ICON24", 40015, {o, o, X, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_DeleteFile", "MENU_ICON25", 40007, {o, o, X, o, o, o, o}, false},
    {S::Manipulate, "ZORX_MP_CheckTotalSize", "MENU_ICON26", 40010, {o, o, o, X, o, o, X}, false},
    {S::Manipulate, "ZORX_MP_BatchRenameFiles", "MENU_ICON22", 40009, {o, o, o, X, o, o, X}, false},
    {S::Manipulate, "ZORX_MP_BatchMoveFiles", "MENU_ICON23", 40016, {o, o, o, X, o, o, X}, false},
    {S::Manipulate, "ZORX_MP_BatchCopyFiles", "MENU_ICON24", 40015, {o, o, o, X, o, o, X}, false},
    {S::Manipulate, "ZORX_MP_BatchDeleteFiles", "MENU_ICON25", 40007, {o, o, o, X, o, o, X}, false},
    {S::Manipulate, "ZORX_MP_DivideFolder", "MENU_ICON27", 40051, {o, X, o, o, X, o, o}, false},
    {S::Manipulate, "ZORX_MP_MergeFolder", "MENU_ICON28", 40050, {o, o, o, o, o, X, o}, false},
};

void AddServiceEntries(std::vector<OfferedMenuEntry>& offered, MenuPanelSection section,
                       const std::vector<ServicePanelEntry>& entries)
{
    for (const ServicePanelEntry& entry : entries) {
        if (entry.command != 0 && !entry.caption.empty())
            offered.push_back({section, entry.caption, "", entry.command});
    }
}

} // namespace

SelectionSituation SituationOf(const MenuPanelSelection& selection)
{
    const int32_t files = selection.selectedItems - selection.selectedFolders;
    if (!selection.folderOpen)
        return SelectionSituation::Empty;
    if (files > 0 && selection.selectedFolders > 0)
        return SelectionSituation::FilesAndFolders;
    if (selection.selectedFolders > 1)
        return SelectionSituation::SeveralFolders;
    if (selection.selectedFolders == 1)
        return SelectionSituation::OneFolder;
    if (files > 1)
        return SelectionSituation::SeveralFiles;
    if (files == 1)
        return SelectionSituation::OneFile;
    return selection.items > 0 ? SelectionSituation::NothingSelected : SelectionSituation::Empty;
}

std::span<const MenuPanelEntry> MenuPanelEntries()
{
    return kEntries;
}

std::vector<OfferedMenuEntry> OfferedEntries(const MenuPanelState& state)
{
    const auto situation = static_cast<size_t>(SituationOf(state.selection));
    const bool noPicture = state.selection.selectedImages == 0;
    std::vector<OfferedMenuEntry> offered;
    for (int index = 0; index < kMenuPanelSectionCount; ++index) {
        const auto section = static_cast<MenuPanelSection>(index);
        if (!state.open[static_cast<size_t>(index)])
            continue;
        for (const MenuPanelEntry& entry : kEntries) {
            if (entry.section != section || !entry.available[situation] || (entry.needsPicture && noPicture))
                continue;
            if (state.commandEnabled && !state.commandEnabled(entry.command))
                continue;
            offered.push_back({section, state.text ? state.text(entry.captionKey) : entry.captionKey,
                               entry.iconName, entry.command});
        }
        if (section == MenuPanelSection::Menu)
            AddServiceEntries(offered, section, state.helperEntries);
        else if (section == MenuPanelSection::Folder)
            AddServiceEntries(offered, section, state.programEntries);
    }
    return offered;
}
