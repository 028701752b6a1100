#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QImage>

class QPrinter;

// Where the pages come from and who watches them go; loadPicture is required, the others may be
// empty. Everything runs on the main thread.
struct PrintRun {
    // The picture at full size; a null image when it cannot be read.
    std::function<QImage(const std::string& path)> loadPicture;
    // After each planned page, printed or skipped: how many are done, and how many in all.
    std::function<void(int done, int total)> advanced;
    // Asked before each page; true stops the print where it is.
    std::function<bool()> cancelRequested;
};

struct PrintOutcome {
    int pagesPrinted = 0;
    std::vector<std::string> notPictures; // filled by the caller, which sorted them out
    std::vector<std::string> unreadable;
    bool cancelled = false;
    bool toFile = false;  // a PDF file rather than a printer
    std::string error;    // the printer or the file failed; nothing usable came out
};

// The pages that the printer's settings ask for: the page range (page k = picture k) and, when
// the printer cannot make copies itself, its copy count (collated or not).
int PlannedPages(const QPrinter& printer, std::size_t pictures);

// Prints the pictures one a page, each page turned to suit its picture and the picture fitted
// into the printable area. Unreadable pictures are skipped. A PDF file is written beside its
// target and put in its place only when every page is done: a cancelled or failed run leaves a
// file that was there untouched and no new one.
PrintOutcome PrintPictures(QPrinter& printer, const std::vector<std::string>& pictures, const PrintRun& run);

// The message for the end of a run; empty when every picture printed.
std::string PrintReport(const PrintOutcome& outcome);
