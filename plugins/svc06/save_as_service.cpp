#include "save_as_service.h"

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

#include "save_as_dialog.h"
#include "save_as_run.h"
#include "service_client.h"

namespace {

const QString kTitle = QStringLiteral("Save As");

QString FileNameOf(const std::string& path)
{
    return QString::fromStdString(path.substr(path.rfind('/') + 1));
}

ConflictAnswer AskReplace(QWidget* parent, const std::string& target)
{
    QMessageBox box(QMessageBox::Warning, kTitle,
                    QStringLiteral("%1 already exists in that folder. Replace it?").arg(FileNameOf(target)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll
                        | QMessageBox::Cancel,
                    parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Replace"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Skip"));
    box.button(QMessageBox::YesToAll)->setText(QStringLiteral("Replace &all"));
    box.button(QMessageBox::NoToAll)->setText(QStringLiteral("S&kip all"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return ConflictAnswer::kReplace;
    case QMessageBox::No:
        return ConflictAnswer::kSkip;
    case QMessageBox::YesToAll:
        return ConflictAnswer::kReplaceAll;
    case QMessageBox::NoToAll:
        return ConflictAnswer::kSkipAll;
    default:
        return ConflictAnswer::kCancel;
    }
}

int RunSaveAs(void* mainWindow)
{
    ServiceClient& host = ServiceClient::Instance();
    auto* parent = static_cast<QWidget*>(mainWindow);
    const std::vector<std::string> paths = host.SelectedFiles().paths;
    if (paths.empty()) {
        QMessageBox::information(parent, kTitle, QStringLiteral("Select the pictures to save first."));
        return 0;
    }
    std::string fallback = host.TextValue("GetCurrentFolder");
    if (fallback.empty())
        fallback = QDir::homePath().toStdString();
    SaveAsDialog dialog(LoadSaveAsChoice(fallback), parent);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const SaveAsRequest request = dialog.Request();
    StoreSaveAsChoice(request);

    // The progress window is only worth showing, and cancelling, for more than one file.
    std::unique_ptr<QProgressDialog> progress;
    if (paths.size() > 1) {
        progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0,
                                                     static_cast<int>(paths.size()), parent);
        progress->setWindowTitle(kTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoReset(false);
    }
    SaveAsHooks hooks;
    hooks.proceed = [&](size_t index, const std::string& path) {
        if (!progress)
            return true;
        progress->setLabelText(QStringLiteral("Saving %1 (%2 of %3)")
                                   .arg(FileNameOf(path))
                                   .arg(index + 1)
                                   .arg(paths.size()));
        progress->setValue(static_cast<int>(index));
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    };
    hooks.askReplace = [&](const std::string& target) {
        return AskReplace(progress ? static_cast<QWidget*>(progress.get()) : parent, target);
    };
    const SaveAsOutcome outcome = SaveAsFiles(paths, request, hooks);
    progress.reset();

    ReportChangesToHost(outcome, request.folder);
    const QString report = QString::fromStdString(SaveAsReport(outcome, request.folder));
    if (SaveAsRanCleanly(outcome))
        QMessageBox::information(parent, kTitle, report);
    else
        QMessageBox::warning(parent, kTitle, report);
    return 1;
}

} // namespace

int RunSaveAsService(void* mainWindow)
{
    // Exec is a C boundary: nothing thrown may leave it.
    try {
        return RunSaveAs(mainWindow);
    } catch (...) {
        QMessageBox::critical(static_cast<QWidget*>(mainWindow), kTitle,
                              QStringLiteral("The pictures could not be saved: not enough memory."));
        return 0;
    }
}
