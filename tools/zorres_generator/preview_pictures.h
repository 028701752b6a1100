#pragma once

#include "resource_bitmap.h"

// The pictures of the preview's control panel (#E4E9F3 ground) that are not buttons:
// - "BMP_PREVIEW_EDIT_PANEL", 437 x 87: drawn at (0, 3) while the information panel is open,
//   behind the date and comment fields: a well for each of the six date fields (x 91, 142,
//   180, 229, 268, 318, at y 15) and the 247-pixel comment well (x 91, y 43);
// - "BMP_PREVIEW_MAG", 110 x 48: drawn at (135, y - 2) behind the zoom buttons and the zoom
//   text, the frame that groups them (y is the button row's top);
// - "BMP_PREVIEW_MAG_BG", 28 x 30: the dark plate under the white zoom text at (213, y).
ResourceBitmaps MakePreviewPictures();

inline constexpr int kEditPanelWidth = 437;
inline constexpr int kEditPanelHeight = 87;
inline constexpr int kMagnifierWidth = 110;
inline constexpr int kMagnifierHeight = 48;
inline constexpr int kZoomPlateWidth = 28;
inline constexpr int kZoomPlateHeight = 30;
