#pragma once

#include <array>
#include <optional>
#include <string_view>

// One row of the fixed service table: the command name that menus, the command line and the
// host use, and the module file in the program's System folder.
struct ServiceCommand {
    std::string_view name;
    std::string_view moduleFile;
};

inline constexpr std::array<ServiceCommand, 33> kServiceCommands{{
    {"Open", "svc01.so"},
    {"Print", "svc02.so"},
    {"DPOFWizard", "svc03.so"},
    {"NetPrint", "svc04.so"},
    {"OpenAsRun", "svc05.so"},
    {"SaveAs", "svc06.so"},
    {"RotateCW", "svc07.so"},
    {"RotateCCW", "svc08.so"},
    {"AutoRename", "svc09.so"},
    {"AutoRotate", "svc10.so"},
    {"AutoResize", "svc11.so"},
    {"ChangeInfo", "svc12.so"},
    {"AutoFormat", "svc13.so"},
    {"SendMail", "svc14.so"},
    {"AutoCapture", "svc15.so"},
    {"MergeFolder", "svc16.so"},
    {"DivideFolder", "svc17.so"},
    {"RemoveDevice", "svc18.so"},
    {"SlideShow", "svc19.so"},
    {"ClipInsertText", "svc20.so"},
    {"AdjustImageQuality", "svc21.so"},
    {"CorrectRedEye", "svc22.so"},
    {"AddBookmarks", "svc23.so"},
    {"OrganizeBookmarks", "svc24.so"},
    {"Tool", "svc25.so"},
    {"SlideshowSetting", "svc26.so"},
    {"CameraSetting", "svc27.so"},
    {"AutoCaptureSetting", "svc28.so"},
    {"NetServiceSetting", "svc29.so"},
    {"About", "svc30.so"},
    {"ServiceCustomize", "svc31.so"},
    {"AutoCaptureDS", "svc32.so"},
    {"AutoCapturePM", "svc33.so"},
}};

// The row of a command name, compared exactly.
constexpr std::optional<size_t> FindServiceCommand(std::string_view name)
{
    for (size_t i = 0; i < kServiceCommands.size(); ++i)
        if (kServiceCommands[i].name == name)
            return i;
    return std::nullopt;
}
