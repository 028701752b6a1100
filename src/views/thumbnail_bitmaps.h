#pragma once

#include <array>
#include <cstdint>

#include <QImage>
#include <QPixmap>

#include "views/thumbnail_geometry.h"

// The colours of the thumbnail grid, as 0xRRGGBB; the shell may replace them from the settings.
struct ThumbnailColours {
    uint32_t background = 0xFFFFFF;
    uint32_t selectionBackground = 0xFFF8BA;
    uint32_t selectionFrame = 0xFFCC00;
    uint32_t memoCaption = 0x12B9E3; // names of pictures that carry a sound memo

    friend bool operator==(const ThumbnailColours&, const ThumbnailColours&) = default;
};

// The program's marking colour for memo captions and the default cell colours.
ThumbnailColours DefaultThumbnailColours();

// A shadow piece for a cell colour: with v the grey level of a source pixel (its low byte), every
// channel c of the cell colour becomes (255 - v) x c / 255: the source holds the shadow's
// strength, black leaving the cell colour and white giving black. Only the top-left 8 x 8 pixels
// are tinted.
QImage TintedShadow(const QImage& grey, uint32_t cellColour);
// A copy in which every pixel of the colour found at (0, 0) has the replacement colour.
QImage WithKeyColourReplaced(const QImage& picture, uint32_t replacement);

// The bitmaps of the thumbnail grid, loaded once from the resource module, with the copies tinted
// for the cell colours. A bitmap missing from the module is a null pixmap, which the grid skips.
// Main thread only.
class ThumbnailBitmaps {
public:
    explicit ThumbnailBitmaps(const ThumbnailColours& colours);

    // Makes the tinted and keyed copies again for new cell colours.
    void SetColours(const ThumbnailColours& colours);

    const QPixmap& Shadow(ShadowPiece piece, bool selected) const;
    const QPixmap& Folder(int size, bool selected) const;
    const QPixmap& Void(int size) const;
    const QPixmap& MovieOverlay(int size) const;
    const QPixmap& SoundOverlay(int size) const;
    // The 160 x 120 grey (204, 204, 204) picture of an item whose thumbnail is not made yet.
    const QImage& Placeholder() const { return m_placeholder; }

private:
    std::array<QImage, kShadowPieceCount> m_shadowSources;
    std::array<QImage, kThumbnailSizeCount> m_folderSources;
    std::array<std::array<QPixmap, kShadowPieceCount>, 2> m_shadows; // [selected][piece]
    std::array<std::array<QPixmap, kThumbnailSizeCount>, 2> m_folders; // [selected][size]
    std::array<QPixmap, kThumbnailSizeCount> m_void;
    std::array<QPixmap, kThumbnailSizeCount> m_movie;
    std::array<QPixmap, kThumbnailSizeCount> m_sound;
    QImage m_placeholder;
};
