#include "views/thumbnail_bitmaps.h"

#include <algorithm>
#include <string>

#include "shell/resource_modules.h"

namespace {

constexpr std::array<const char*, kShadowPieceCount> kShadowNames = {
    "BMP_SHADOW_RT", "BMP_SHADOW_R", "BMP_SHADOW_RB", "BMP_SHADOW_B", "BMP_SHADOW_LB",
};
constexpr std::array<const char*, kThumbnailSizeCount> kSizeSuffixes = {"S", "M", "L"};

QImage LoadImage(const std::string& name)
{
    const QPixmap pixmap = LoadResourceBitmap(name);
    return pixmap.isNull() ? QImage() : pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// One bitmap per size: the name followed by "S", "M" or "L".
std::array<QPixmap, kThumbnailSizeCount> LoadSizedBitmaps(const std::string& prefix)
{
    std::array<QPixmap, kThumbnailSizeCount> bitmaps;
    for (size_t size = 0; size < bitmaps.size(); ++size)
        bitmaps[size] = LoadResourceBitmap(prefix + kSizeSuffixes[size]);
    return bitmaps;
}

QPixmap PixmapOf(const QImage& image)
{
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

size_t SizeSlot(int size)
{
    return static_cast<size_t>(IsThumbnailSize(size) ? size : 1);
}

} // namespace

ThumbnailColours DefaultThumbnailColours()
{
    ThumbnailColours colours;
    colours.memoCaption = MarkingColour();
    return colours;
}

QImage TintedShadow(const QImage& grey, uint32_t cellColour)
{
    if (grey.isNull())
        return {};
    QImage tinted = grey.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(tinted.width(), kShadowThickness);
    const int height = std::min(tinted.height(), kShadowThickness);
    const uint32_t red = (cellColour >> 16) & 0xFF;
    const uint32_t green = (cellColour >> 8) & 0xFF;
    const uint32_t blue = cellColour & 0xFF;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint32_t shade = 255 - (row[x] & 0xFF);
            row[x] = qRgb(static_cast<int>(shade * red / 255), static_cast<int>(shade * green / 255),
                          static_cast<int>(shade * blue / 255));
        }
    }
    return tinted;
}

QImage WithKeyColourReplaced(const QImage& picture, uint32_t replacement)
{
    if (picture.isNull())
        return {};
    QImage copy = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = copy.pixel(0, 0);
    const QRgb with = 0xFF000000u | replacement;
    for (int y = 0; y < copy.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x) {
            if (row[x] == key)
                row[x] = with;
        }
    }
    return copy;
}

ThumbnailBitmaps::ThumbnailBitmaps(const ThumbnailColours& colours)
    : m_void(LoadSizedBitmaps("BMP_THUMBNAIL_VOID_"))
    , m_movie(LoadSizedBitmaps("BMP_THUMBNAIL_MOV_"))
    , m_sound(LoadSizedBitmaps("BMP_THUMBNAIL_SOUND_"))
    , m_placeholder(160, 120, QImage::Format_RGB32)
{
    for (size_t piece = 0; piece < m_shadowSources.size(); ++piece)
        m_shadowSources[piece] = LoadImage(kShadowNames[piece]);
    for (size_t size = 0; size < m_folderSources.size(); ++size)
        m_folderSources[size] = LoadImage(std::string("BMP_THUMBNAIL_FOLDER_") + kSizeSuffixes[size]);
    m_placeholder.fill(QColor(204, 204, 204));
    SetColours(colours);
}

void ThumbnailBitmaps::SetColours(const ThumbnailColours& colours)
{
    const std::array<uint32_t, 2> cellColours = {colours.background, colours.selectionBackground};
    for (size_t selected = 0; selected < 2; ++selected) {
        for (size_t piece = 0; piece < m_shadowSources.size(); ++piece)
            m_shadows[selected][piece] = PixmapOf(TintedShadow(m_shadowSources[piece], cellColours[selected]));
        for (size_t size = 0; size < m_folderSources.size(); ++size)
            m_folders[selected][size] = PixmapOf(WithKeyColourReplaced(m_folderSources[size], cellColours[selected]));
    }
}

const QPixmap& ThumbnailBitmaps::Shadow(ShadowPiece piece, bool selected) const
{
    return m_shadows[selected ? 1 : 0][static_cast<size_t>(piece)];
}

const QPixmap& ThumbnailBitmaps::Folder(int size, bool selected) const
{
    return m_folders[selected ? 1 : 0][SizeSlot(size)];
}

const QPixmap& ThumbnailBitmaps::Void(int size) const
{
    return m_void[SizeSlot(size)];
}

const QPixmap& ThumbnailBitmaps::MovieOverlay(int size) const
{
    return m_movie[SizeSlot(size)];
}

const QPixmap& ThumbnailBitmaps::SoundOverlay(int size) const
{
    return m_sound[SizeSlot(size)];
}
