#include "services/service_commands.h"

#include <string_view>

#include "services/service_runner.h"
#include "shell/command_dispatcher.h"

namespace {

void Call(const std::function<void()>& action)
{
    if (action)
        action();
}

bool Ask(const std::function<bool()>& question)
{
    return question && question();
}

// How a command wraps its service run.
enum class RunKind {
    Plain,         // run, repaint
    NoRepaint,     // settings and about boxes
    Rotate,        // display-only turn for read-only files, else a file-changing run
    ChangesFiles,  // reload the preview and refresh when the service changed a folder
    ChangesFolder, // refresh when the service changed a folder
    DividesFolder, // as ChangesFolder, with the folder indexed once more first
    Capture,       // refresh unconditionally
    SaveAs,
    SlideShow,
    Pane,          // leaves the current screen for a pane service
    Bookmarks,     // the bookmark menu is built again afterwards
};

struct ServiceCommandRow {
    int command;
    std::string_view service;
    RunKind kind;
};

constexpr ServiceCommandRow kRows[] = {
    {kCommandPrint, "Print", RunKind::Plain},
    {kCommandNetPrint, "NetPrint", RunKind::Plain},
    {kCommandDpofWizard, "DPOFWizard", RunKind::Plain},
    {kCommandSaveAs, "SaveAs", RunKind::SaveAs},
    {kCommandRotateCW, "RotateCW", RunKind::Rotate},
    {kCommandRotateCCW, "RotateCCW", RunKind::Rotate},
    {kCommandAutoRotate, "AutoRotate", RunKind::ChangesFiles},
    {kCommandAutoResize, "AutoResize", RunKind::ChangesFiles},
    {kCommandChangeInfo, "ChangeInfo", RunKind::ChangesFiles},
    {kCommandAutoFormat, "AutoFormat", RunKind::ChangesFolder},
    {kCommandMergeFolder, "MergeFolder", RunKind::ChangesFolder},
    {kCommandAutoRename, "AutoRename", RunKind::ChangesFolder},
    {kCommandDivideFolder, "DivideFolder", RunKind::DividesFolder},
    {kCommandAutoCapture, "AutoCapture", RunKind::Capture},
    {kCommandSendMail, "SendMail", RunKind::Plain},
    {kCommandSlideShow, "SlideShow", RunKind::SlideShow},
    {kCommandClipInsertText, "ClipInsertText", RunKind::Pane},
    {kCommandAdjustImageQuality, "AdjustImageQuality", RunKind::Pane},
    {kCommandCorrectRedEye, "CorrectRedEye", RunKind::Pane},
    {kCommandSlideshowSetting, "SlideshowSetting", RunKind::NoRepaint},
    {kCommandCameraSetting, "CameraSetting", RunKind::NoRepaint},
    {kCommandAutoCaptureSetting, "AutoCaptureSetting", RunKind::NoRepaint},
    {kCommandNetServiceSetting, "NetServiceSetting", RunKind::NoRepaint},
    {kCommandAbout, "About", RunKind::NoRepaint},
    {kCommandAddBookmarks, "AddBookmarks", RunKind::Bookmarks},
    {kCommandOrganizeBookmarks, "OrganizeBookmarks", RunKind::Bookmarks},
};

void RunRow(const ServiceCommandRow& row, ServiceRunner& runner, const ServiceCommandActions& actions)
{
    switch (row.kind) {
    case RunKind::Plain:
        runner.Run(row.service);
        break;
    case RunKind::NoRepaint:
        runner.Run(row.service);
        return;
    case RunKind::SaveAs:
        Call(actions.clearUpdateFolder);
        runner.Run(row.service);
        if (Ask(actions.updateFolderSet))
            Call(actions.refreshAfterService);
        break;
    case RunKind::Rotate:
        if (actions.turnPreviewDisplayOnly && actions.turnPreviewDisplayOnly(row.command))
            break;
        [[fallthrough]];
    case RunKind::ChangesFiles:
        Call(actions.stopWatching);
        Call(actions.clearUpdateFolder);
        runner.Run(row.service);
        if (Ask(actions.updateFolderSet)) {
            Call(actions.reloadPreview);
            Call(actions.refreshAfterService);
        }
        Call(actions.startWatching);
        break;
    case RunKind::ChangesFolder:
    case RunKind::DividesFolder:
        Call(actions.stopWatching);
        Call(actions.clearUpdateFolder);
        runner.Run(row.service);
        if (Ask(actions.updateFolderSet)) {
            if (row.kind == RunKind::DividesFolder)
                Call(actions.indexUpdateFolder);
            Call(actions.refreshAfterService);
        }
        Call(actions.startWatching);
        break;
    case RunKind::Capture:
        Call(actions.stopWatching);
        Call(actions.clearUpdateFolder);
        runner.Run(row.service);
        Call(actions.refreshAfterService);
        Call(actions.startWatching);
        break;
    case RunKind::Bookmarks:
        runner.Run(row.service);
        Call(actions.bookmarksChanged);
        break;
    case RunKind::SlideShow:
        Call(actions.beforeSlideShow);
        runner.Run(row.service);
        break;
    case RunKind::Pane:
        if (!runner.AskBeforeLeaving())
            return;
        Call(actions.clearUpdateFolder);
        runner.Run(row.service);
        Call(actions.reloadPreview);
        break;
    }
    Call(actions.repaint);
}

} // namespace

void RegisterServiceCommands(CommandDispatcher& dispatcher, ServiceRunner& runner, ServiceCommandActions actions)
{
    for (const ServiceCommandRow& row : kRows) {
        if (!runner.IsInstalled(row.service))
            continue;
        dispatcher.Register(row.command, [&runner, actions, row] { RunRow(row, runner, actions); });
    }
    dispatcher.Register(kCommandEndPaneService, [&runner, actions] {
        runner.EndPaneService();
        Call(actions.repaint);
    });
    dispatcher.RegisterRange(ServiceRunner::kProgramMenuFirst, ServiceRunner::kToolMenuLast,
                             [&runner, actions](int command) {
                                 runner.RunMenuCommand(command);
                                 if (command <= ServiceRunner::kProgramMenuLast)
                                     Call(actions.repaint);
                             });
}
