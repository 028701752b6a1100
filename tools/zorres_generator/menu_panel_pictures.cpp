#include "menu_panel_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyph_library.h"
#include "palette.h"

namespace {

struct Header {
    const char* bitmap;
    const char* title;
    const char* glyph;
};

const Header kHeaders[] = {
    {"MENU_PANEL_PRINT", "Print", "printer"},
    {"MENU_PANEL_MENU", "Picture tasks", "preview"},
    {"MENU_PANEL_MANIPULATE", "Files and folders", "folder"},
    {"MENU_PANEL_FOLDER", "This folder", "tree"},
    {"MENU_PANEL_INFO", "Information", "info"},
};

// The tile colour tells the family: printing, picture work, file work, and removal.
const QColor kPrintTile(0xE0, 0x7A, 0x1F);
const QColor kPictureTile(0x2F, 0x6F, 0xC0);
const QColor kFileTile(0x2A, 0x8A, 0x5A);
const QColor kDeleteTile(0xC0, 0x3A, 0x2E);

struct Icon {
    const char* bitmap;
    const char* glyph;
    QColor tile;
};

const Icon kIcons[] = {
    {"MENU_ICON01", "preview", kPictureTile},  {"MENU_ICON02", "arrow", kPictureTile},
    {"MENU_ICON03", "printer", kPrintTile},    {"MENU_ICON04", "rotate", kPictureTile},
    {"MENU_ICON05", "label_a", kPictureTile},  {"MENU_ICON06", "lens", kPictureTile},
    {"MENU_ICON07", "face", kPictureTile},     {"MENU_ICON08", "grid", kPictureTile},
    {"MENU_ICON09", "calendar", kPictureTile}, {"MENU_ICON10", "table", kPictureTile},
    {"MENU_ICON12", "folder", kFileTile},      {"MENU_ICON13", "info", kFileTile},
    {"MENU_ICON14", "plus", kFileTile},        {"MENU_ICON15", "arrow", kFileTile},
    {"MENU_ICON16", "label_a", kFileTile},     {"MENU_ICON17", "chevrons", kFileTile},
    {"MENU_ICON18", "grid", kFileTile},        {"MENU_ICON19", "trash", kDeleteTile},
    {"MENU_ICON20", "preview", kFileTile},     {"MENU_ICON21", "info", kFileTile},
    {"MENU_ICON22", "label_a", kFileTile},     {"MENU_ICON23", "chevrons", kFileTile},
    {"MENU_ICON24", "grid", kFileTile},        {"MENU_ICON25", "trash", kDeleteTile},
    {"MENU_ICON26", "info", kFileTile},        {"MENU_ICON27", "list", kFileTile},
    {"MENU_ICON28", "tree", kFileTile},        {"MENU_ICON29", "printer", kPrintTile},
    {"MENU_ICON30", "printer", kPrintTile},
};

constexpr int kTabSize = 9;
constexpr int kTailHeight = 6;
constexpr int kShadowHeight = 4;
const QColor kBodyEdge(0xC9, 0xD2, 0xE2);

QImage MakeHeader(GlyphLibrary& glyphs, const Header& header)
{
    QImage image = NewPicture(kMenuPanelWidth, kMenuPanelHeaderHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, kMenuPanelHeaderHeight);
    shade.setColorAt(0, palette::kTopBarTop);
    shade.setColorAt(1, palette::kTopBarBottom);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, kMenuPanelWidth - 1, kMenuPanelHeaderHeight - 1), 5, 5);
    painter.fillPath(outline, shade);
    glyphs.Draw(painter, header.glyph, QRect(7, 6, 18, 18), palette::kTopGlyph);
    painter.setFont(LetteringFont(13, QFont::DemiBold));
    painter.setPen(palette::kTopGlyph);
    painter.drawText(QRect(31, 0, kMenuPanelWidth - 31 - 20, kMenuPanelHeaderHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, header.title);
    return image;
}

// A small triangle: pointing down for an open section, right for a closed one.
QImage MakeTab(bool open)
{
    QImage image = NewPicture(kTabSize, kTabSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    if (open) {
        triangle.moveTo(0.5, 2);
        triangle.lineTo(kTabSize - 0.5, 2);
        triangle.lineTo(kTabSize / 2.0, kTabSize - 1.5);
    } else {
        triangle.moveTo(2, 0.5);
        triangle.lineTo(kTabSize - 1.5, kTabSize / 2.0);
        triangle.lineTo(2, kTabSize - 0.5);
    }
    triangle.closeSubpath();
    painter.fillPath(triangle, palette::kAccent);
    return image;
}

QImage MakeBodyTile()
{
    QImage image = NewPicture(kMenuPanelWidth, 1, Qt::white);
    image.setPixelColor(0, 0, kBodyEdge);
    image.setPixelColor(kMenuPanelWidth - 1, 0, kBodyEdge);
    return image;
}

QImage MakeTail()
{
    QImage image = NewPicture(kMenuPanelWidth, kTailHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tail;
    tail.addRoundedRect(QRectF(0.5, -kTailHeight, kMenuPanelWidth - 1, 2 * kTailHeight - 0.5), 5, 5);
    painter.setPen(QPen(kBodyEdge, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(tail);
    return image;
}

QImage MakeShadow()
{
    QImage image = NewPicture(kMenuPanelWidth, kShadowHeight);
    QPainter painter(&image);
    QLinearGradient shade(0, 0, 0, kShadowHeight);
    shade.setColorAt(0, QColor(0x1C, 0x25, 0x36, 60));
    shade.setColorAt(1, QColor(0x1C, 0x25, 0x36, 0));
    painter.fillRect(QRect(4, 0, kMenuPanelWidth - 8, kShadowHeight), shade);
    return image;
}

QImage MakeIcon(GlyphLibrary& glyphs, const Icon& icon)
{
    QImage image = NewPicture(kMenuIconSize, kMenuIconSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, kMenuIconSize);
    shade.setColorAt(0, icon.tile.lighter(118));
    shade.setColorAt(1, icon.tile);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0.5, 0.5, kMenuIconSize - 1, kMenuIconSize - 1), 4, 4);
    painter.fillPath(tile, shade);
    glyphs.Draw(painter, icon.glyph, QRect(4, 4, kMenuIconSize - 8, kMenuIconSize - 8), Qt::white);
    return image;
}

} // namespace

ResourceBitmaps MakeMenuPanelPictures(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;
    for (const Header& header : kHeaders)
        bitmaps.push_back({header.bitmap, MakeHeader(glyphs, header)});
    bitmaps.push_back({"MENU_PANEL_TAB_OPEN", MakeTab(true)});
    bitmaps.push_back({"MENU_PANEL_TAB_CLOSE", MakeTab(false)});
    bitmaps.push_back({"MENU_PANEL_BG", MakeBodyTile()});
    bitmaps.push_back({"MENU_PANEL_TAIL", MakeTail()});
    bitmaps.push_back({"MENU_PANEL_SHADOW", MakeShadow()});
    for (const Icon& icon : kIcons)
        bitmaps.push_back({icon.bitmap, MakeIcon(glyphs, icon)});
    return bitmaps;
}
