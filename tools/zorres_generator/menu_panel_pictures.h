#pragma once

#include "resource_bitmap.h"

class GlyphLibrary;

// The pictures of the 174-pixel-wide menu panel:
// - the section headers "MENU_PANEL_PRINT", "MENU_PANEL_MENU", "MENU_PANEL_MANIPULATE",
//   "MENU_PANEL_FOLDER" and "MENU_PANEL_INFO", lettered with the section's name;
// - "MENU_PANEL_TAB_OPEN" and "MENU_PANEL_TAB_CLOSE", the open-state mark drawn on a header;
// - "MENU_PANEL_BG", the body tile, "MENU_PANEL_TAIL" its rounded end and "MENU_PANEL_SHADOW"
//   the soft shadow below it;
// - the 22-pixel entry icons "MENU_ICON01" to "MENU_ICON30" (no 11).
ResourceBitmaps MakeMenuPanelPictures(GlyphLibrary& glyphs);

inline constexpr int kMenuPanelWidth = 174;
inline constexpr int kMenuPanelHeaderHeight = 30;
inline constexpr int kMenuIconSize = 22;
