#include "button_strips.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

#include "bar_backgrounds.h"
#include "glyph_library.h"
#include "palette.h"

namespace {

// What a button sits on.
enum class Ground { TopBar, LightBar };

// What a button shows: a glyph (with an optional label beside it), or one piece of the top
// bar's thumbnail size control (a size step with its letter, or an end arrow).
enum class Face { Glyph, SizeStep, SizeEnd };

struct StripRow {
    const char* bitmap;
    int x; // place and size in the bar, as the bar's button table has them
    int y;
    int width;
    int height;
    Ground ground;
    Face face;
    const char* glyph; // glyph file, or the letter of a size step
    int glyphSize;
    GlyphFlip flip;
    bool toggle; // a Toggle button shows its "on" state with the pressed frame
    const char* label;
};

constexpr GlyphFlip kPlain = GlyphFlip::None;
constexpr GlyphFlip kMirror = GlyphFlip::Horizontal;
constexpr GlyphFlip kFlip = GlyphFlip::Vertical;
constexpr Ground kTop = Ground::TopBar;
constexpr Ground kLight = Ground::LightBar;

// The top bar, the left panel header, the view button bar and the preview's control panel.
constexpr StripRow kStrips[] = {
    // bitmap                       x    y   w   h  ground  face             glyph        size flip   toggle label
    {"BMP_TOP_FOLDERMODE",          3,   2, 72, 42, kTop,   Face::Glyph,    "folder",     28, kPlain,  false, nullptr},
    {"BMP_TOP_PERIODMODE",          76,  2, 72, 42, kTop,   Face::Glyph,    "calendar",   28, kPlain,  false, nullptr},
    {"BMP_TOP_THUMBNAIL",           214, 23, 41, 38, kTop,  Face::Glyph,    "grid",       22, kPlain,  false, nullptr},
    {"BMP_TOP_PREVIEW",             260, 23, 41, 38, kTop,  Face::Glyph,    "preview",    22, kPlain,  false, nullptr},
    {"BMP_TOP_REPORT",              306, 23, 41, 38, kTop,  Face::Glyph,    "table",      22, kPlain,  false, nullptr},
    {"BMP_TOP_THUMBNAIL_SIZE0",     409, 16, 22, 49, kTop,  Face::SizeStep, "S",          0,  kPlain,  true,  nullptr},
    {"BMP_TOP_THUMBNAIL_SIZE1",     431, 16, 24, 49, kTop,  Face::SizeStep, "M",          0,  kPlain,  true,  nullptr},
    {"BMP_TOP_THUMBNAIL_SIZE2",     455, 16, 22, 49, kTop,  Face::SizeStep, "L",          0,  kPlain,  true,  nullptr},
    {"BMP_TOP_THUMBNAIL_SIZE_L",    393, 26, 16, 29, kTop,  Face::SizeEnd,  "triangle",   12, kPlain,  false, nullptr},
    {"BMP_TOP_THUMBNAIL_SIZE_R",    477, 26, 24, 29, kTop,  Face::SizeEnd,  "triangle",   14, kMirror, false, nullptr},
    {"BMP_LEFT_MENUPANEL",          7,  26, 46, 52, kLight, Face::Glyph,    "list",       26, kPlain,  true,  nullptr},
    {"BMP_LEFT_FOLDERTREE",         56, 26, 46, 52, kLight, Face::Glyph,    "tree",       26, kPlain,  true,  nullptr},
    {"BMP_LEFT_PERIODPANEL",        56, 26, 46, 52, kLight, Face::Glyph,    "calendar",   26, kPlain,  true,  nullptr},
    {"BMP_LEFT_BACK",               120, 34, 30, 44, kLight, Face::Glyph,   "arrow",      20, kPlain,  false, nullptr},
    {"BMP_LEFT_FORWARD",            153, 34, 30, 44, kLight, Face::Glyph,   "arrow",      20, kMirror, false, nullptr},
    {"BMP_PERIOD_BACK",             10, 2, 34, 44, kLight,  Face::Glyph,    "chevrons",   22, kPlain,  false, nullptr},
    {"BMP_PERIOD_FORWARD",          65, 2, 34, 44, kLight,  Face::Glyph,    "chevrons",   22, kFlip,   false, nullptr},
    {"BMP_PERIOD_BACK_R",           10, 2, 34, 44, kLight,  Face::Glyph,    "chevrons",   22, kPlain,  false, nullptr},
    {"BMP_PERIOD_FORWARD_R",        65, 2, 34, 44, kLight,  Face::Glyph,    "chevrons",   22, kFlip,   false, nullptr},
    {"BMP_THUMBNAIL_ROTATE_L",      220, 2, 35, 44, kLight, Face::Glyph,    "rotate",     24, kPlain,  false, nullptr},
    {"BMP_THUMBNAIL_ROTATE_R",      248, 2, 35, 44, kLight, Face::Glyph,    "rotate",     24, kMirror, false, nullptr},
    {"BMP_THUMBNAIL_DELETE",        304, 2, 34, 44, kLight, Face::Glyph,    "trash",      22, kPlain,  false, nullptr},
    {"BMP_THUMBNAIL_NETPRINT",      400, 2, 150, 44, kLight, Face::Glyph,   "printer",    22, kPlain,  false, "Order prints"},
    // The preview's control panel (y 3 with the information panel closed).
    {"BMP_PREVIEW_INFO",            0,   3, 37, 44, kLight, Face::Glyph,    "info",       22, kPlain,  false, nullptr},
    {"BMP_PREVIEW_PREVIOUS",        50,  3, 34, 44, kLight, Face::Glyph,    "arrow",      20, kPlain,  false, nullptr},
    {"BMP_PREVIEW_NEXT",            89,  3, 34, 44, kLight, Face::Glyph,    "arrow",      20, kMirror, false, nullptr},
    {"BMP_PREVIEW_REDUCE",          137, 3, 34, 44, kLight, Face::Glyph,    "minus",      22, kPlain,  false, nullptr},
    {"BMP_PREVIEW_ENLARGE",         176, 3, 34, 44, kLight, Face::Glyph,    "plus",       22, kPlain,  false, nullptr},
    {"BMP_PREVIEW_FACE",            254, 3, 43, 44, kLight, Face::Glyph,    "face",       24, kPlain,  false, nullptr},
    {"BMP_PREVIEW_ROTATE_L",        306, 3, 36, 44, kLight, Face::Glyph,    "rotate",     24, kPlain,  false, nullptr},
    {"BMP_PREVIEW_ROTATE_R",        345, 3, 36, 44, kLight, Face::Glyph,    "rotate",     24, kMirror, false, nullptr},
    {"BMP_PREVIEW_DELETE",          403, 3, 34, 44, kLight, Face::Glyph,    "trash",      22, kPlain,  false, nullptr},
};

// The thumbnail size control spans x 393 to 501: the track runs under the three size steps,
// with an arrow at each end. Its middle line is at y 40 (in top bar coordinates).
constexpr double kTrackY = 40.5;
constexpr double kTrackLeft = 413;
constexpr double kTrackRight = 473;
constexpr int kLetterTop = 17;
constexpr int kLetterHeight = 14;

struct FrameState {
    bool disabled;
    bool pressed;
    bool selected; // frames 3 and 4
    bool on;       // selected, or a Toggle button's pressed frame, which shows it switched on
};

FrameState StateOf(const StripRow& row, int frame)
{
    const bool selected = frame >= 3;
    return {frame == 0, frame == 2 || frame == 4, selected, selected || (row.toggle && frame == 2)};
}

QColor WithAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QColor GlyphColour(const StripRow& row, const FrameState& state)
{
    const QColor base = row.ground == Ground::TopBar ? palette::kTopGlyph : palette::kLightGlyph;
    if (state.disabled)
        return WithAlpha(base, 80);
    if (state.on && row.ground == Ground::TopBar)
        return palette::kAccent;
    return base;
}

void PaintGround(QPainter& painter, const StripRow& row)
{
    if (row.ground == Ground::LightBar) {
        painter.fillRect(0, 0, row.width, row.height, palette::kLightBar);
        return;
    }
    painter.save();
    painter.translate(-row.x, -row.y);
    PaintTopBarGround(painter, QRect(row.x, row.y, row.width, row.height));
    painter.restore();
}

// The rounded face behind a pressed or selected glyph button, and the accent line under a
// selected one.
void PaintFace(QPainter& painter, const StripRow& row, const FrameState& state)
{
    if (state.disabled || (!state.pressed && !state.on))
        return;
    const QRectF face(2.5, 2.5, row.width - 5, row.height - 5);
    painter.setPen(Qt::NoPen);
    if (row.ground == Ground::TopBar) {
        if (state.on)
            painter.setBrush(state.pressed ? QColor(255, 255, 255, 18) : QColor(255, 255, 255, 30));
        else
            painter.setBrush(QColor(0, 0, 0, 80));
        painter.drawRoundedRect(face, 5, 5);
    } else {
        if (state.on) {
            painter.setPen(QPen(palette::kLightBarLine, 1));
            painter.setBrush(state.pressed ? palette::kLightPressed : palette::kLightFace);
        } else {
            painter.setBrush(palette::kLightPressed);
        }
        painter.drawRoundedRect(face, 5, 5);
    }
    if (state.on) {
        const double lineWidth = std::min(28.0, row.width - 14.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(row.ground == Ground::TopBar ? palette::kAccent : palette::kAccentDark);
        painter.drawRoundedRect(QRectF((row.width - lineWidth) / 2, row.height - 6.5, lineWidth, 2.5), 1.2, 1.2);
    }
}

void PaintGlyphButton(QPainter& painter, GlyphLibrary& glyphs, const StripRow& row, const FrameState& state)
{
    PaintFace(painter, row, state);
    const int shift = state.pressed ? 1 : 0;
    const QColor colour = GlyphColour(row, state);
    if (row.label == nullptr) {
        const QRect target((row.width - row.glyphSize) / 2 + shift, (row.height - row.glyphSize) / 2 + shift,
                           row.glyphSize, row.glyphSize);
        glyphs.Draw(painter, row.glyph, target, colour, row.flip);
        return;
    }
    const int left = 12 + shift;
    const int top = (row.height - row.glyphSize) / 2 + shift;
    glyphs.Draw(painter, row.glyph, QRect(left, top, row.glyphSize, row.glyphSize), colour, row.flip);
    painter.setFont(LetteringFont(13, QFont::DemiBold));
    painter.setPen(colour);
    const QRect textArea(left + row.glyphSize + 9, shift, row.width - left - row.glyphSize - 12, row.height);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, row.label);
}

// One piece of the size control in top bar coordinates, in its own state.
void PaintSizePiece(QPainter& painter, GlyphLibrary& glyphs, const StripRow& row, const FrameState& state)
{
    const double centreX = row.x + row.width / 2.0;
    if (row.face == Face::SizeEnd) {
        if (state.pressed && !state.disabled) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 80));
            painter.drawEllipse(QPointF(centreX, kTrackY), 7, 7);
        }
        const int shift = state.pressed ? 1 : 0;
        const QRect target(static_cast<int>(centreX - row.glyphSize / 2.0) + shift,
                           static_cast<int>(kTrackY - row.glyphSize / 2.0) + shift, row.glyphSize, row.glyphSize);
        glyphs.Draw(painter, row.glyph, target, GlyphColour(row, state), row.flip);
        return;
    }
    painter.setFont(LetteringFont(12, QFont::Bold));
    painter.setPen(state.disabled ? WithAlpha(palette::kTopGlyph, 70)
                   : state.on     ? palette::kAccent
                                  : WithAlpha(palette::kTopGlyph, 200));
    painter.drawText(QRect(row.x, kLetterTop, row.width, kLetterHeight), Qt::AlignCenter, row.glyph);
    painter.setPen(Qt::NoPen);
    if (state.on && !state.disabled) {
        painter.setBrush(palette::kTopBarBottomLine);
        painter.drawEllipse(QPointF(centreX, kTrackY), 7, 7);
        painter.setBrush(state.selected && state.pressed ? palette::kAccentDark : palette::kAccent);
        painter.drawEllipse(QPointF(centreX, kTrackY), 5.5, 5.5);
    } else {
        painter.setBrush(state.disabled ? WithAlpha(palette::kTopGlyph, 60) : WithAlpha(palette::kTopGlyph, 210));
        painter.drawEllipse(QPointF(centreX, kTrackY), 2.5, 2.5);
    }
}

// The whole size control, with `shown` in `state` and the other pieces plain (or all disabled,
// since the bar disables them together).
void PaintSizeControl(QPainter& painter, GlyphLibrary& glyphs, const StripRow& shown, const FrameState& state)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(state.disabled ? WithAlpha(palette::kTopTrack, 110) : palette::kTopTrack);
    painter.drawRoundedRect(QRectF(kTrackLeft, kTrackY - 1.5, kTrackRight - kTrackLeft, 3), 1.5, 1.5);
    for (const StripRow& row : kStrips) {
        if (row.face == Face::Glyph)
            continue;
        const FrameState rowState = &row == &shown ? state : FrameState{state.disabled, false, false, false};
        PaintSizePiece(painter, glyphs, row, rowState);
    }
}

QImage MakeStrip(GlyphLibrary& glyphs, const StripRow& row)
{
    QImage strip = NewPicture(row.width, row.height * kFramesPerStrip);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int frame = 0; frame < kFramesPerStrip; ++frame) {
        painter.save();
        painter.translate(0, frame * row.height);
        painter.setClipRect(0, 0, row.width, row.height);
        PaintGround(painter, row);
        const FrameState state = StateOf(row, frame);
        if (row.face == Face::Glyph) {
            PaintGlyphButton(painter, glyphs, row, state);
        } else {
            painter.translate(-row.x, -row.y);
            PaintSizeControl(painter, glyphs, row, state);
        }
        painter.restore();
    }
    return strip;
}

} // namespace

ResourceBitmaps MakeButtonStrips(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;
    for (const StripRow& row : kStrips)
        bitmaps.push_back({row.bitmap, MakeStrip(glyphs, row)});
    return bitmaps;
}
