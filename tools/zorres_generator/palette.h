#pragma once

#include <QColor>

// The one palette of the language module's pictures: a deep slate-blue top bar with light
// glyphs, light bars with dark slate glyphs, and an amber accent for whatever is on or selected.
namespace palette {

// Top bar: a vertical gradient, a darker last row, and the mode area's separator.
inline const QColor kTopBarTop{0x2E, 0x3B, 0x55};
inline const QColor kTopBarBottom{0x1C, 0x25, 0x36};
inline const QColor kTopBarBottomLine{0x12, 0x19, 0x25};
inline const QColor kTopBarSeparator{0x3D, 0x4D, 0x6C};
inline const QColor kTopGlyph{0xD5, 0xDD, 0xEC};
inline const QColor kTopTrack{0x56, 0x66, 0x86};

// The light bars: the view button bar (#E4E9F3 with its #BFC8D1 line) and the left panel
// header, which shares its colour.
inline const QColor kLightBar{0xE4, 0xE9, 0xF3};
inline const QColor kLightBarLine{0xBF, 0xC8, 0xD1};
inline const QColor kLightGlyph{0x34, 0x42, 0x5C};
inline const QColor kLightPressed{0xCC, 0xD5, 0xE4};
inline const QColor kLightFace{0xF7, 0xF9, 0xFC};

// The accent of selected and current states, and a darker amber for outlines on light ground.
inline const QColor kAccent{0xFF, 0xCC, 0x00};
inline const QColor kAccentDark{0xC8, 0x93, 0x00};

// Thumbnail pictures.
inline const QColor kFolderBack{0x5B, 0x7C, 0xB5};
inline const QColor kFolderFront{0x7A, 0x9A, 0xD0};
inline const QColor kFolderEdge{0x44, 0x62, 0x98};
inline const QColor kFolderPaper{0xFF, 0xFF, 0xFF};
inline const QColor kVoidGround{0xE6, 0xE9, 0xEF};
inline const QColor kVoidGlyph{0x9A, 0xA4, 0xB6};
inline const QColor kSoundGroundTop{0xE9, 0xF4, 0xF8};
inline const QColor kSoundGroundBottom{0xCF, 0xE5, 0xEE};
inline const QColor kSoundGlyph{0x23, 0x78, 0x9A};
inline const QColor kFilmStrip{0x1A, 0x1E, 0x26};

// Item badges.
inline const QColor kBadgeDate{0xE0, 0x9A, 0x00};
inline const QColor kBadgeMovie{0x34, 0x42, 0x5C};
inline const QColor kBadgeSound{0x1E, 0x86, 0xA6};
inline const QColor kBadgeTiff16{0x75, 0x4C, 0xC0};
inline const QColor kBadgeRaw{0xD2, 0x4E, 0x26};
inline const QColor kBadgeAdobe{0x2A, 0x96, 0x55};

// The colour the views key out of the folder pictures.
inline const QColor kKeyColour{0xFF, 0x00, 0xFF};

} // namespace palette
