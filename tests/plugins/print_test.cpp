#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

#include "fake_service_host.h"
#include "fixtures/sandbox.h"
#include "print_layout.h"
#include "print_run.h"
#include "print_service.h"

namespace {

// The pictures of a run by name; a name it does not know reads as unreadable.
PrintRun PicturesByName(const std::map<std::string, QSize>& sizes)
{
    return PrintRun{[sizes](const std::string& path) {
                        const auto found = sizes.find(path);
                        if (found == sizes.end())
                            return QImage();
                        QImage picture(found->second, QImage::Format_RGB888);
                        picture.fill(Qt::darkCyan);
                        return picture;
                    },
                    {},
                    {}};
}

void PrintToPdf(QPrinter& printer, const std::string& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
}

// 'L' or 'P' for each page of a PDF that Qt wrote, from its /MediaBox entries.
std::string PageTurns(const std::string& pdf)
{
    std::string turns;
    const std::regex mediaBox(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), mediaBox); it != std::sregex_iterator(); ++it)
        turns += std::stod((*it)[1]) > std::stod((*it)[2]) ? 'L' : 'P';
    return turns;
}

int Count(const std::string& pdf, const char* pattern)
{
    const std::regex expression(pattern);
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), expression), std::sregex_iterator()));
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Notes whether a progress window came up, however briefly.
class ProgressWatch : public QObject {
public:
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        shown = shown || (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched));
        return false;
    }
};

} // namespace

TEST(PrintLayout, ThePageTurnsToThePicture)
{
    EXPECT_EQ(PageOrientationFor({4000, 3000}), QPageLayout::Landscape);
    EXPECT_EQ(PageOrientationFor({3000, 4000}), QPageLayout::Portrait);
    EXPECT_EQ(PageOrientationFor({1000, 1000}), QPageLayout::Portrait) << "a square prints upright";
    EXPECT_EQ(PageOrientationFor({4001, 4000}), QPageLayout::Landscape);
}

TEST(PrintLayout, ThePictureFillsThePrintableAreaCentredWithItsAspect)
{
    // A4 portrait at 1200 dpi less Qt's default margins, and its landscape turn.
    EXPECT_EQ(PicturePlacement({3000, 4000}, {9583, 13699}), QRect(0, 461, 9583, 12777));
    EXPECT_EQ(PicturePlacement({4000, 3000}, {13699, 9583}), QRect(461, 0, 12777, 9583));
    EXPECT_EQ(PicturePlacement({6000, 1000}, {13699, 9583}), QRect(0, 3650, 13699, 2283)) << "a panorama";
    EXPECT_EQ(PicturePlacement({40, 30}, {800, 600}), QRect(0, 0, 800, 600)) << "small pictures grow";
    for (const QSize picture : {QSize(1, 1), QSize(4000, 3000), QSize(2999, 4001), QSize(17, 5000)}) {
        const QRect placed = PicturePlacement(picture, {9583, 13699});
        EXPECT_TRUE(QRect(0, 0, 9583, 13699).contains(placed)) << placed.width() << "x" << placed.height();
        EXPECT_TRUE(placed.width() == 9583 || placed.height() == 13699);
        EXPECT_LE(std::abs(placed.left() - (9583 - placed.right() - 1)), 1) << "centred across";
        EXPECT_LE(std::abs(placed.top() - (13699 - placed.bottom() - 1)), 1) << "centred down";
    }
}

TEST(PrintLayout, PageRangesCountPicturesFromOne)
{
    using Span = std::pair<std::size_t, std::size_t>;
    const auto span = [](int from, int to, std::size_t count) {
        const PictureSpan picked = PicturesInRange(from, to, count);
        return std::pair(picked.first, picked.end);
    };
    EXPECT_EQ(span(0, 0, 5), Span(0, 5));
    EXPECT_EQ(span(2, 3, 5), Span(1, 3));
    EXPECT_EQ(span(4, 9, 5), Span(3, 5));
    EXPECT_EQ(span(3, 0, 5), Span(2, 5));
    const PictureSpan none = PicturesInRange(7, 9, 5);
    EXPECT_EQ(none.first, none.end);
}

TEST(PrintPictures, APdfGetsOnePageForEachReadablePictureTurnedToIt)
{
    Sandbox sandbox;
    const std::string pdf = sandbox / "pictures.pdf";
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdf(printer, pdf);
    std::vector<std::pair<int, int>> steps;
    PrintRun run = PicturesByName({{"wide.jpg", {400, 300}}, {"tall.jpg", {300, 400}}, {"square.jpg", {200, 200}}});
    run.advanced = [&](int done, int total) { steps.emplace_back(done, total); };

    const PrintOutcome outcome = PrintPictures(printer, {"wide.jpg", "/p/broken.jpg", "tall.jpg", "square.jpg"}, run);
    EXPECT_EQ(outcome.pagesPrinted, 3);
    EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    EXPECT_EQ(outcome.unreadable, std::vector<std::string>{"/p/broken.jpg"});
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_NE(PrintReport(outcome).find("cannot be read and were not printed:\n    broken.jpg"), std::string::npos);

    const std::string written = ReadTextFile(pdf);
    EXPECT_EQ(Count(written, R"(/Type /Page[^s])"), 3);
    EXPECT_EQ(Count(written, R"(/Subtype /Image)"), 3) << "each page carries its picture";
    EXPECT_EQ(PageTurns(written), "LPP");
    EXPECT_EQ(FolderEntries(sandbox.Path()), std::vector<std::string>{"pictures.pdf"}) << "no temporary file left";
    EXPECT_EQ(printer.outputFileName().toStdString(), pdf);
}

TEST(PrintPictures, CopiesAndPageRangesFollowThePrinterSettings)
{
    Sandbox sandbox;
    const PrintRun run = PicturesByName({{"wide.jpg", {400, 300}}, {"tall.jpg", {300, 400}}, {"w2.jpg", {5, 4}}});
    struct Case {
        int copies;
        bool collate;
        int from, to;
        const char* turns;
    };
    for (const Case& test : {Case{2, true, 0, 0, "LPLLPL"}, Case{2, false, 0, 0, "LLPPLL"},
                             Case{1, true, 2, 3, "PL"}, Case{3, true, 2, 2, "PPP"}}) {
        const std::string pdf = sandbox / "copies.pdf";
        QPrinter printer(QPrinter::HighResolution);
        PrintToPdf(printer, pdf);
        ASSERT_FALSE(printer.supportsMultipleCopies()) << "the PDF engine leaves copies to us";
        printer.setCopyCount(test.copies);
        printer.setCollateCopies(test.collate);
        if (test.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(test.from, test.to);
        }
        EXPECT_EQ(PlannedPages(printer, 3), static_cast<int>(std::strlen(test.turns)));
        const PrintOutcome outcome = PrintPictures(printer, {"wide.jpg", "tall.jpg", "w2.jpg"}, run);
        EXPECT_EQ(PageTurns(ReadTextFile(pdf)), test.turns) << test.copies << test.collate << test.from;
        EXPECT_EQ(outcome.pagesPrinted, static_cast<int>(std::strlen(test.turns)));
    }
}

TEST(PrintPictures, ACancelledPdfLeavesTheOldFileAsItWas)
{
    Sandbox sandbox;
    const std::string pdf = sandbox.WriteFile("old.pdf", "the user's old file");
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdf(printer, pdf);
    PrintRun run = PicturesByName({{"a.jpg", {400, 300}}, {"b.jpg", {400, 300}}, {"c.jpg", {400, 300}}});
    int asked = 0;
    run.cancelRequested = [&asked] { return ++asked == 2; };

    const PrintOutcome outcome = PrintPictures(printer, {"a.jpg", "b.jpg", "c.jpg"}, run);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.pagesPrinted, 1);
    EXPECT_EQ(ReadTextFile(pdf), "the user's old file");
    EXPECT_EQ(FolderEntries(sandbox.Path()), std::vector<std::string>{"old.pdf"});
    EXPECT_EQ(PrintReport(outcome), "Printing was cancelled after 1 page. No PDF file was written.");
}

TEST(PrintPictures, AReplacedPdfKeepsItsPermissionsAndNothingPrintedWritesNoFile)
{
    Sandbox sandbox;
    const std::string pdf = sandbox.WriteFile("kept.pdf", "old");
    ::chmod(pdf.c_str(), 0640);
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdf(printer, pdf);
    EXPECT_EQ(PrintPictures(printer, {"a.jpg"}, PicturesByName({{"a.jpg", {3, 4}}})).pagesPrinted, 1);
    struct stat status {};
    ASSERT_EQ(::stat(pdf.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(PageTurns(ReadTextFile(pdf)), "P");

    const std::string unwritten = sandbox / "none.pdf";
    PrintToPdf(printer, unwritten);
    const PrintOutcome nothing = PrintPictures(printer, {"x.jpg", "y.jpg"}, PicturesByName({}));
    EXPECT_EQ(nothing.pagesPrinted, 0);
    EXPECT_EQ(nothing.unreadable.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(unwritten));
    EXPECT_NE(PrintReport(nothing).find("Nothing was printed."), std::string::npos);
}

TEST(PrintPictures, APdfThatCannotBeCreatedFailsCleanly)
{
    Sandbox sandbox;
    QPrinter printer(QPrinter::HighResolution);
    PrintToPdf(printer, sandbox / "no such folder/out.pdf");
    int loads = 0;
    PrintRun run = PicturesByName({{"a.jpg", {4, 3}}});
    const auto load = run.loadPicture;
    run.loadPicture = [&](const std::string& path) { return ++loads, load(path); };
    const PrintOutcome outcome = PrintPictures(printer, {"a.jpg"}, run);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_EQ(outcome.pagesPrinted, 0);
    EXPECT_EQ(loads, 0) << "nothing is read for a file that cannot be made";
    EXPECT_NE(PrintReport(outcome).find("Printing failed: "), std::string::npos);
    EXPECT_EQ(FolderEntries(sandbox.Path()), std::vector<std::string>{});
}

TEST(PrintService, OnlyASelectionWithPicturesReachesThePrintDialog)
{
    FakeServiceHost host;
    std::vector<std::string> messages;
    EXPECT_EQ(RunAnsweringMessages([] { return RunPrintService(nullptr); }, messages), 0);
    host.selection.paths = {"/p/MOV_0001.AVI", "/p/notes.txt"};
    host.kinds = {{"/p/MOV_0001.AVI", 2}};
    EXPECT_EQ(RunAnsweringMessages([] { return RunPrintService(nullptr); }, messages), 0);
    EXPECT_EQ(messages, (std::vector<std::string>{"No files are selected.", "None of the selected files is a picture."}));
}

TEST(PrintService, PrintsTheSelectedPicturesIntoTheDialogsPdfFile)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer, which the dialog would print on";
    Sandbox sandbox;
    FakeServiceHost host;
    QImage wide(40, 30, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QImage tall(30, 40, QImage::Format_RGB32);
    tall.fill(Qt::blue);
    host.selection.paths = {"/p/W.JPG", "/p/MOV.AVI", "/p/T.JPG", "/p/BROKEN.JPG"};
    host.kinds = {{"/p/W.JPG", 1}, {"/p/T.JPG", 1}, {"/p/BROKEN.JPG", 1}, {"/p/MOV.AVI", 2}};
    host.pictures = {{"/p/W.JPG", wide}, {"/p/T.JPG", tall}};
    // Without a printer on the machine the dialog writes a PDF, named in the home folder.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(sandbox.Path()));

    ProgressWatch progress;
    qApp->installEventFilter(&progress);
    QTimer poll;
    poll.setInterval(10);
    std::string dialogFile;
    std::vector<std::string> messages;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            dialogFile = dialog->printer()->outputFileName().toStdString();
            dialog->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text().toStdString());
            box->done(QMessageBox::Ok);
        }
    });
    poll.start();
    const int result = RunPrintService(nullptr);
    qApp->removeEventFilter(&progress);
    qputenv("HOME", home);

    EXPECT_EQ(result, 1);
    const std::string pdf = sandbox / "VistrelViewer pictures.pdf";
    EXPECT_EQ(dialogFile, pdf);
    EXPECT_TRUE(progress.shown);
    EXPECT_EQ(PageTurns(ReadTextFile(pdf)), "LP");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("not pictures and were not printed:\n    MOV.AVI"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("cannot be read and were not printed:\n    BROKEN.JPG"), std::string::npos);
}
