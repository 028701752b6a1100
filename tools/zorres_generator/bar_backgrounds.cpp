#include "bar_backgrounds.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include "glyph_library.h"
#include "palette.h"

namespace {

constexpr int kLeftWidth = 154;
constexpr int kTileWidth = 16;
constexpr QRect kLogoPlace{0, 29, 150, 23};
// The browse mode name is written in white into (12, 44)-(154, 65); a slightly darker band
// under it sets it apart from the mode buttons above.
constexpr int kModeNameTop = 46;

} // namespace

void PaintTopBarGround(QPainter& painter, const QRect& area)
{
    QLinearGradient gradient(0, 0, 0, kTopBarHeight - 1);
    gradient.setColorAt(0, palette::kTopBarTop);
    gradient.setColorAt(1, palette::kTopBarBottom);
    painter.fillRect(area, gradient);
    const QRect bottomLine(area.left(), kTopBarHeight - 1, area.width(), 1);
    painter.fillRect(area.intersected(bottomLine), palette::kTopBarBottomLine);
}

ResourceBitmaps MakeTopBarBackgrounds(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;

    QImage left = NewPicture(kLeftWidth, kTopBarHeight);
    {
        QPainter painter(&left);
        PaintTopBarGround(painter, left.rect());
        painter.fillRect(QRect(0, kModeNameTop, kLeftWidth - 1, kTopBarHeight - 1 - kModeNameTop),
                         QColor(0, 0, 0, 46));
        painter.fillRect(QRect(kLeftWidth - 1, 6, 1, kTopBarHeight - 12), palette::kTopBarSeparator);
    }
    bitmaps.push_back({"BMP_TOP_BG_LEFT", left});

    QImage tile = NewPicture(kTileWidth, kTopBarHeight);
    {
        QPainter painter(&tile);
        PaintTopBarGround(painter, tile.rect());
    }
    bitmaps.push_back({"BMP_TOP_BG", tile});

    QImage logo = NewPicture(kLogoPlace.width(), kLogoPlace.height());
    {
        QPainter painter(&logo);
        painter.translate(0, -kLogoPlace.top());
        PaintTopBarGround(painter, kLogoPlace);
        painter.resetTransform();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        glyphs.Draw(painter, "lens", QRect(6, 2, 19, 19), palette::kAccent);
        const QRect textArea(30, 0, kLogoPlace.width() - 34, kLogoPlace.height());
        QFont bold = LetteringFont(15, QFont::Bold);
        QFont light = LetteringFont(15, QFont::Light);
        const int firstWidth = QFontMetrics(bold).horizontalAdvance("Vistrel");
        painter.setPen(Qt::white);
        painter.setFont(bold);
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, "Vistrel");
        painter.setPen(palette::kTopGlyph);
        painter.setFont(light);
        painter.drawText(textArea.adjusted(firstWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, "Viewer");
    }
    bitmaps.push_back({"BMP_TOP_BG_LOGO", logo});
    return bitmaps;
}
