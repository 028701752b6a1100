#include <cstdio>

#include <QCommandLineParser>
#include <QGuiApplication>

#include "contact_sheet.h"
#include "glyph_library.h"
#include "module_contents.h"

// Draws the pictures of the language resource module (System/ZORRes.rcc) from the glyphs in
// resources/zorres/glyphs and writes them, with a resource collection file for rcc, into a
// build folder. Run with "-platform offscreen".
int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws the pictures of the language resource module.");
    parser.addHelpOption();
    const QCommandLineOption glyphsOption("glyphs", "Folder of the glyph SVG files.", "folder");
    const QCommandLineOption outOption("out", "Folder for the PNG files.", "folder");
    const QCommandLineOption qrcOption("qrc", "Resource collection file to write.", "file");
    const QCommandLineOption includeOption("include", "Another file for the module's root.", "file");
    const QCommandLineOption sheetOption("sheet", "Contact sheet PNG to write.", "file");
    parser.addOptions({glyphsOption, outOption, qrcOption, includeOption, sheetOption});
    parser.process(application);
    if (!parser.isSet(glyphsOption) || !parser.isSet(outOption) || !parser.isSet(qrcOption)) {
        std::fprintf(stderr, "zorres_generator: --glyphs, --out and --qrc are required\n");
        return 2;
    }

    GlyphLibrary glyphs(parser.value(glyphsOption));
    const ResourceBitmaps bitmaps = MakeModuleBitmaps(glyphs);
    if (!glyphs.Problems().isEmpty()) {
        std::fprintf(stderr, "zorres_generator: glyphs missing or broken: %s\n",
                     qPrintable(glyphs.Problems().join(", ")));
        return 1;
    }
    QString error;
    if (!WriteModuleSources(bitmaps, parser.value(outOption), parser.values(includeOption), parser.value(qrcOption),
                            error)) {
        std::fprintf(stderr, "zorres_generator: %s\n", qPrintable(error));
        return 1;
    }
    if (parser.isSet(sheetOption) && !MakeContactSheet(bitmaps).save(parser.value(sheetOption), "PNG")) {
        std::fprintf(stderr, "zorres_generator: cannot write %s\n", qPrintable(parser.value(sheetOption)));
        return 1;
    }
    return 0;
}
