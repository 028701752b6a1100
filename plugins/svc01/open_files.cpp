#include "open_files.h"

#include <sys/stat.h>

#include <QDesktopServices>
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <QWidget>

#include "service_client.h"

namespace {

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
}

void AppendNames(std::string& text, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        text += "\n    " + NameOf(path);
}

} // namespace

OpenOutcome OpenFiles(const std::vector<std::string>& paths, const OpenRun& run)
{
    OpenOutcome outcome;
    if (paths.size() > kOpenWithoutAsking && !run.confirmMany(paths.size())) {
        outcome.cancelled = true;
        return outcome;
    }
    for (const std::string& path : paths) {
        // The desktop would only say "no application" for a file that is gone; say what happened.
        if (!Exists(path))
            outcome.missing.push_back(path);
        else if (run.open(path))
            outcome.opened.push_back(path);
        else
            outcome.noHandler.push_back(path);
    }
    return outcome;
}

std::string OpenQuestion(std::size_t count)
{
    return "Open " + std::to_string(count) + " files?";
}

std::string OpenFailureReport(const OpenOutcome& outcome)
{
    std::string text;
    if (outcome.noHandler.size() == 1) {
        text = "No application is set up to open \"" + NameOf(outcome.noHandler[0]) + "\".";
    } else if (!outcome.noHandler.empty()) {
        text = "No application is set up to open these files:";
        AppendNames(text, outcome.noHandler);
    }
    if (!outcome.missing.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += outcome.missing.size() == 1 ? "This file no longer exists:" : "These files no longer exist:";
        AppendNames(text, outcome.missing);
    }
    return text;
}

bool OpenWithDesktop(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

int RunOpenService(void* mainWindow)
{
    auto* parent = static_cast<QWidget*>(mainWindow);
    const std::vector<std::string> paths = ServiceClient::Instance().SelectedFiles().paths;
    if (paths.empty()) {
        QMessageBox::information(parent, QStringLiteral("Open"), QStringLiteral("No files are selected."));
        return 0;
    }
    const OpenRun run{OpenWithDesktop, [parent](std::size_t count) {
                          return QMessageBox::question(parent, QStringLiteral("Open"),
                                                       QString::fromStdString(OpenQuestion(count)),
                                                       QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
                      }};
    const OpenOutcome outcome = OpenFiles(paths, run);
    if (outcome.cancelled)
        return 0;
    if (outcome.Failed())
        QMessageBox::warning(parent, QStringLiteral("Open"), QString::fromStdString(OpenFailureReport(outcome)));
    return outcome.opened.empty() ? 0 : 1;
}
