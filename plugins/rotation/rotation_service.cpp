#include "rotation_service.h"

#include <QMessageBox>
#include <QWidget>

#include "rotation_run.h"
#include "service_client.h"

int RunRotationService(RotationMode mode, void* mainWindow)
{
    const QString title = std::holds_alternative<UprightByOrientation>(mode) ? QStringLiteral("Auto Rotate")
                                                                             : QStringLiteral("Rotate");
    ServiceClient& host = ServiceClient::Instance();
    auto* parent = static_cast<QWidget*>(mainWindow);
    const std::vector<std::string> paths = host.SelectedFiles().paths;
    if (paths.empty())
        return 0;
    RotationRun run;
    run.typeOf = [&host](const std::string& path) {
        std::string type;
        constexpr int kPicture = 1;
        return host.FileType(path, &type) == kPicture ? type : std::string();
    };
    run.askTrim = [parent, &title](const std::string& path) {
        const QString text = QString::fromUtf8(
            "The picture \"%1\" has a width or height that cannot be turned without loss. Trim the few "
            "edge pixels of such pictures so that they can be turned losslessly?")
                                 .arg(QString::fromStdString(path.substr(path.rfind('/') + 1)));
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    const RotationOutcome outcome = RotateFiles(paths, mode, run);
    for (const std::string& path : outcome.rotated)
        host.AddUpdateFile(path);
    if (!outcome.rotated.empty())
        host.SetUpdateFolder(outcome.rotated.front().substr(0, outcome.rotated.front().rfind('/')));
    const std::string report = RotationReport(outcome);
    const bool problems = !outcome.notTurnable.empty() || !outcome.skipped.empty() || !outcome.failed.empty();
    if (problems)
        QMessageBox::warning(parent, title, QString::fromStdString(report));
    else if (!report.empty())
        QMessageBox::information(parent, title, QString::fromStdString(report));
    return 1;
}
