#include "item_badges.h"

#include <QPainter>

#include "glyph_library.h"
#include "palette.h"

namespace {

// The small form shows a pixel-grid mark (fonts and fine drawings blur at 16 pixels), the
// large form a glyph or a written text.
struct BadgeRow {
    const char* kind;
    QColor colour;
    bool light;             // the "V" form: light face, coloured rim and mark
    const char* smallMark;  // pixel-grid glyph of the 16-pixel form
    const char* largeGlyph; // glyph of the 32-pixel form, or nullptr to write `largeText`
    const char* largeText;
    int textPixels;
};

const BadgeRow kBadges[] = {
    // kind      colour                   light  small mark        large glyph  text    px
    {"DATE",     palette::kBadgeDate,     false, "label_calendar", "calendar",  nullptr, 0},
    {"MOVIE",    palette::kBadgeMovie,    false, "label_film",     "film",      nullptr, 0},
    {"SOUND",    palette::kBadgeSound,    false, "note",           "note",      nullptr, 0},
    {"TIFF16",   palette::kBadgeTiff16,   false, "label_16",       nullptr,     "16",    16},
    {"TIFF16V",  palette::kBadgeTiff16,   true,  "label_16",       nullptr,     "16",    16},
    {"RAW",      palette::kBadgeRaw,      false, "label_raw",      nullptr,     "RAW",   12},
    {"RAWV",     palette::kBadgeRaw,      true,  "label_raw",      nullptr,     "RAW",   12},
    {"ADOBE",    palette::kBadgeAdobe,    false, "label_a",        nullptr,     "A",     19},
    {"ADOBEV",   palette::kBadgeAdobe,    true,  "label_a",        nullptr,     "A",     19},
};

// A glyph that is not a pixel-grid mark (a drawing, larger than the badge's face) is scaled
// into this part of the small badge.
constexpr int kSmallFace = 14;
constexpr int kSmallDrawing = 12;
constexpr int kLargeDrawing = 22;

QImage MakeBadge(GlyphLibrary& glyphs, const BadgeRow& row, int size)
{
    QImage image = NewPicture(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const bool large = size > 16;
    const int rim = large ? 2 : 1;
    const double radius = large ? 6 : 3;

    // A white ring keeps the badge apart from a picture under it; whole-pixel edges keep the
    // coloured rim of the light form sharp.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(0, 0, size, size), radius + 1, radius + 1);
    painter.setBrush(row.colour);
    painter.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), radius, radius);
    if (row.light) {
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(1 + rim, 1 + rim, size - 2 - 2 * rim, size - 2 - 2 * rim), radius - rim,
                                radius - rim);
    }
    const QColor mark = row.light ? row.colour : Qt::white;

    if (large && row.largeGlyph == nullptr) {
        QFont font = LetteringFont(row.textPixels, QFont::Bold);
        font.setStretch(QFont::Condensed);
        painter.setFont(font);
        painter.setPen(mark);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, row.largeText);
        return image;
    }
    if (large) {
        glyphs.Draw(painter, row.largeGlyph,
                    QRect((size - kLargeDrawing) / 2, (size - kLargeDrawing) / 2, kLargeDrawing, kLargeDrawing), mark);
        return image;
    }
    QSize markSize = glyphs.NaturalSize(row.smallMark);
    if (markSize.width() > kSmallFace || markSize.height() > kSmallFace)
        markSize = QSize(kSmallDrawing, kSmallDrawing);
    const QRect target(QPoint((size - markSize.width() + 1) / 2, (size - markSize.height() + 1) / 2), markSize);
    glyphs.Draw(painter, row.smallMark, target, mark);
    return image;
}

} // namespace

ResourceBitmaps MakeItemBadges(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;
    for (const BadgeRow& row : kBadges) {
        bitmaps.push_back({QString("ICON_%1_S").arg(row.kind), MakeBadge(glyphs, row, 16)});
        bitmaps.push_back({QString("ICON_%1_L").arg(row.kind), MakeBadge(glyphs, row, 32)});
    }
    return bitmaps;
}
