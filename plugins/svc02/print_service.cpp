#include "print_service.h"

#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QWidget>

#include "host_picture.h"
#include "print_run.h"
#include "service_client.h"

int RunPrintService(void* mainWindow)
{
    auto* parent = static_cast<QWidget*>(mainWindow);
    const QString title = QStringLiteral("Print");
    ServiceClient& host = ServiceClient::Instance();
    const std::vector<std::string> selected = host.SelectedFiles().paths;
    if (selected.empty()) {
        QMessageBox::information(parent, title, QStringLiteral("No files are selected."));
        return 0;
    }
    constexpr int kPicture = 1;
    std::vector<std::string> pictures;
    std::vector<std::string> notPictures;
    for (const std::string& path : selected)
        (host.FileType(path) == kPicture ? pictures : notPictures).push_back(path);
    if (pictures.empty()) {
        QMessageBox::information(parent, title, QStringLiteral("None of the selected files is a picture."));
        return 0;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("VistrelViewer pictures"));
    // Without a printer the dialog offers only a PDF file, and names one only on some platforms.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        printer.setOutputFileName(QDir::homePath() + QStringLiteral("/VistrelViewer pictures.pdf"));
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, static_cast<int>(pictures.size()));
    if (dialog.exec() != QDialog::Accepted)
        return 0;

    const int pages = PlannedPages(printer, pictures.size());
    PrintRun run{ReadHostPicture, {}, {}};
    // A single page is done before a progress window could tell anything.
    std::optional<QProgressDialog> progress;
    if (pages > 1) {
        progress.emplace(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0, pages, parent);
        progress->setWindowTitle(title);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->show();
        run.advanced = [&progress](int done, int) { progress->setValue(done); };
        run.cancelRequested = [&progress] {
            QCoreApplication::processEvents();
            return progress->wasCanceled();
        };
    }
    PrintOutcome outcome = PrintPictures(printer, pictures, run);
    progress.reset();
    outcome.notPictures = std::move(notPictures);

    if (const std::string report = PrintReport(outcome); !report.empty()) {
        if (outcome.error.empty() && outcome.pagesPrinted > 0)
            QMessageBox::information(parent, title, QString::fromStdString(report));
        else
            QMessageBox::warning(parent, title, QString::fromStdString(report));
    }
    return outcome.pagesPrinted > 0 && outcome.error.empty() && !outcome.cancelled ? 1 : 0;
}
