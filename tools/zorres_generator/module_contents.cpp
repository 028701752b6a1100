#include "module_contents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "bar_backgrounds.h"
#include "button_strips.h"
#include "item_badges.h"
#include "menu_panel_pictures.h"
#include "period_labels.h"
#include "preview_pictures.h"
#include "report_pictures.h"
#include "shadow_pieces.h"
#include "thumbnail_pictures.h"

ResourceBitmaps MakeModuleBitmaps(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps = MakeTopBarBackgrounds(glyphs);
    Append(bitmaps, MakeButtonStrips(glyphs));
    Append(bitmaps, MakeShadowPieces());
    Append(bitmaps, MakeThumbnailPictures(glyphs));
    Append(bitmaps, MakePeriodLabels());
    Append(bitmaps, MakeItemBadges(glyphs));
    Append(bitmaps, MakePreviewPictures());
    Append(bitmaps, MakeReportPictures(glyphs));
    Append(bitmaps, MakeMenuPanelPictures(glyphs));
    return bitmaps;
}

bool WriteModuleSources(const ResourceBitmaps& bitmaps, const QString& folder, const QStringList& extraFiles,
                        const QString& qrcPath, QString& error)
{
    if (!QDir().mkpath(folder)) {
        error = "cannot create " + folder;
        return false;
    }
    QString entries;
    for (const ResourceBitmap& bitmap : bitmaps) {
        const QString file = QDir(folder).absoluteFilePath(bitmap.name + ".png");
        if (!bitmap.image.save(file, "PNG")) {
            error = "cannot write " + file;
            return false;
        }
        entries += QString("    <file alias=\"%1.png\">%2</file>\n").arg(bitmap.name, file);
    }
    for (const QString& extra : extraFiles) {
        const QFileInfo info(extra);
        if (!info.isFile()) {
            error = "missing " + extra;
            return false;
        }
        entries += QString("    <file alias=\"%1\">%2</file>\n").arg(info.fileName(), info.absoluteFilePath());
    }
    QSaveFile qrc(qrcPath);
    if (!qrc.open(QIODevice::WriteOnly)) {
        error = "cannot write " + qrcPath;
        return false;
    }
    const QString text = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n" + entries
                         + "  </qresource>\n</RCC>\n";
    qrc.write(text.toUtf8());
    if (!qrc.commit()) {
        error = "cannot write " + qrcPath;
        return false;
    }
    return true;
}
