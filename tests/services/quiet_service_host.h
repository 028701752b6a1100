#pragma once

#include <string>
#include <vector>

#include "library/library_counts.h"
#include "services/service_host.h"

// A program for the host functions that answers with nothing and takes every setting quietly;
// a test overrides what it looks at.
class QuietServiceHost : public ServiceHost {
public:
    ServiceFileLists Files(ServiceFileScope) override { return {}; }
    const LibraryCounts& Counts() override { return counts; }
    const std::string& CurrentFolder() const override { return folder; }
    std::string CurrentFolderName() const override { return ""; }
    std::vector<uint8_t> CurrentFolderData() const override { return {}; }
    const std::string& CommandLine() const override { return commandLine; }
    std::string CommandLineForAutoCapture() const override { return ""; }
    bool IsPeriodMode() const override { return false; }
    bool IsPreviewMode() const override { return false; }
    bool NetPrintEnabled() const override { return false; }
    void SetLeftWidthLimits(int, int) override {}
    void SetDialogWindow(QWidget*) override {}
    void ExitPaneService() override {}
    QMenu* ProgramMenu() override { return nullptr; }
    QMenu* ToolMenu() override { return nullptr; }
    MenuRunState MenuRun() const override { return {}; }
    void SetHelperMenuCount(int) override {}
    void SetHelperMenu(int, std::string, int32_t, std::string) override {}
    void SetProgramMenuCount(int) override {}
    void SetProgramMenu(int, std::string, int32_t, std::string) override {}
    void AddUpdateFile(std::string) override {}
    void SetUpdateFolder(std::string) override {}

    LibraryCounts counts;
    std::string folder;
    std::string commandLine;
};
