#include "print_run.h"

#include <algorithm>
#include <optional>

#include <QPainter>
#include <QPrinter>

#include "framework/atomic_file.h"
#include "print_layout.h"

namespace {

// The order in which the pictures' pages come out, copies included.
std::vector<std::size_t> PageSequence(const QPrinter& printer, std::size_t pictures)
{
    PictureSpan span{0, pictures};
    if (printer.printRange() == QPrinter::PageRange)
        span = PicturesInRange(printer.fromPage(), printer.toPage(), pictures);
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    std::vector<std::size_t> sequence;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            for (std::size_t i = span.first; i < span.end; ++i)
                sequence.push_back(i);
    } else {
        for (std::size_t i = span.first; i < span.end; ++i)
            sequence.insert(sequence.end(), static_cast<std::size_t>(copies), i);
    }
    return sequence;
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
}

void AppendList(std::string& text, const char* heading, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    if (!text.empty())
        text += "\n\n";
    text += heading;
    for (const std::string& path : paths)
        text += "\n    " + NameOf(path);
}

} // namespace

int PlannedPages(const QPrinter& printer, std::size_t pictures)
{
    return static_cast<int>(PageSequence(printer, pictures).size());
}

PrintOutcome PrintPictures(QPrinter& printer, const std::vector<std::string>& pictures, const PrintRun& run)
{
    PrintOutcome outcome;
    const std::vector<std::size_t> sequence = PageSequence(printer, pictures.size());
    const int total = static_cast<int>(sequence.size());

    // The PDF engine writes straight into its file; it gets our temporary file instead.
    const QString target = printer.outputFileName();
    std::optional<AtomicFileWriter> file;
    if (printer.outputFormat() == QPrinter::PdfFormat && !target.isEmpty()) {
        outcome.toFile = true;
        file.emplace(target.toStdString());
        if (file->Open() != 0) {
            outcome.error = file->ErrorText();
            return outcome;
        }
        printer.setOutputFileName(QString::fromStdString(file->TemporaryPath()));
    }

    const char* failure = outcome.toFile ? "the PDF file cannot be written" : "the printer does not accept the pages";
    QPainter painter;
    std::vector<bool> reported(pictures.size(), false);
    std::size_t loadedIndex = pictures.size();
    QImage picture;
    // One planned page; false when the device refused it.
    const auto printPage = [&](std::size_t index) {
        if (index != loadedIndex) {
            picture = run.loadPicture(pictures[index]);
            loadedIndex = index;
        }
        if (picture.isNull()) {
            if (!reported[index])
                outcome.unreadable.push_back(pictures[index]);
            reported[index] = true;
            return true;
        }
        // Takes effect for the page begun next, so a run can mix orientations.
        printer.setPageOrientation(PageOrientationFor(picture.size()));
        if (!(painter.isActive() ? printer.newPage() : painter.begin(&printer)))
            return false;
        // The painter keeps the device size it began with; each page has its own.
        const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
        const QRect area(QPoint(0, 0), printable.size());
        painter.setViewport(area);
        painter.setWindow(area);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PicturePlacement(picture.size(), printable.size()), picture);
        ++outcome.pagesPrinted;
        return true;
    };
    int done = 0;
    for (const std::size_t index : sequence) {
        if (run.cancelRequested && run.cancelRequested()) {
            outcome.cancelled = true;
            break;
        }
        if (!printPage(index)) {
            outcome.error = failure;
            break;
        }
        if (run.advanced)
            run.advanced(++done, total);
    }

    if (painter.isActive()) {
        if (outcome.cancelled || !outcome.error.empty())
            printer.abort();
        if (!painter.end() && outcome.error.empty() && !outcome.cancelled)
            outcome.error = failure;
    }
    if (file) {
        printer.setOutputFileName(target);
        if (outcome.cancelled || !outcome.error.empty() || outcome.pagesPrinted == 0)
            file->Discard();
        else if (file->Commit() != 0)
            outcome.error = file->ErrorText();
    }
    return outcome;
}

std::string PrintReport(const PrintOutcome& outcome)
{
    std::string text;
    if (!outcome.error.empty())
        text = "Printing failed: " + outcome.error + ".";
    else if (outcome.cancelled)
        text = "Printing was cancelled after " + std::to_string(outcome.pagesPrinted) +
               (outcome.pagesPrinted == 1 ? " page." : " pages.") +
               (outcome.toFile ? " No PDF file was written." : "");
    else if (outcome.pagesPrinted == 0)
        text = "Nothing was printed.";
    AppendList(text, "These files are not pictures and were not printed:", outcome.notPictures);
    AppendList(text, "These pictures cannot be read and were not printed:", outcome.unreadable);
    return text;
}
