#pragma once

#include "resource_bitmap.h"

class GlyphLibrary;

// The pictures of the thumbnail cells, in the sizes S, M and L:
// - "BMP_THUMBNAIL_FOLDER_*": a folder whose light opening takes the view's 2 x 2 folder
//   previews; every pixel outside the folder is the key colour, found again at pixel (0, 0);
// - "BMP_THUMBNAIL_VOID_*": a picture that could not be made;
// - "BMP_THUMBNAIL_MOV_*": film edges drawn over a movie's first frame, clear in the middle;
// - "BMP_THUMBNAIL_SOUND_*": the picture box of a sound.
ResourceBitmaps MakeThumbnailPictures(GlyphLibrary& glyphs);
