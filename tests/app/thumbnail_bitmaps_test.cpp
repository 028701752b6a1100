#include <gtest/gtest.h>

#include <QImage>

#include "shell/resource_modules.h"
#include "views/thumbnail_bitmaps.h"

namespace {

uint32_t Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST(ThumbnailBitmaps, ShadowIsTintedTowardsTheCellColour)
{
    QImage grey(8, 8, QImage::Format_RGB32);
    grey.fill(QColor(0, 0, 0));
    grey.setPixel(1, 0, qRgb(255, 255, 255));
    grey.setPixel(2, 0, qRgb(128, 128, 128));
    grey.setPixel(3, 0, qRgb(10, 20, 64)); // only the low (blue) byte counts

    const QImage onWhite = TintedShadow(grey, 0xFFFFFF);
    EXPECT_EQ(Rgb(onWhite, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(onWhite, 1, 0), 0x000000u);
    EXPECT_EQ(Rgb(onWhite, 2, 0), 0x7F7F7Fu);
    EXPECT_EQ(Rgb(onWhite, 3, 0), 0xBFBFBFu); // 191

    // Selection background #FFF8BA: (255 - 128) x c / 255 per channel.
    const QImage onSelection = TintedShadow(grey, 0xFFF8BA);
    EXPECT_EQ(Rgb(onSelection, 0, 0), 0xFFF8BAu);
    EXPECT_EQ(Rgb(onSelection, 2, 0), static_cast<uint32_t>((127 << 16) | ((127 * 0xF8 / 255) << 8) | (127 * 0xBA / 255)));
    EXPECT_TRUE(TintedShadow(QImage(), 0xFFFFFF).isNull());
}

TEST(ThumbnailBitmaps, KeyColourAtTheCornerIsReplaced)
{
    QImage folder(4, 3, QImage::Format_RGB32);
    folder.fill(qRgb(255, 0, 255));
    folder.setPixel(2, 1, qRgb(200, 150, 50));
    const QImage replaced = WithKeyColourReplaced(folder, 0xFFF8BA);
    EXPECT_EQ(Rgb(replaced, 0, 0), 0xFFF8BAu);
    EXPECT_EQ(Rgb(replaced, 3, 2), 0xFFF8BAu);
    EXPECT_EQ(Rgb(replaced, 2, 1), 0xC89632u);
    EXPECT_EQ(Rgb(folder, 0, 0), 0xFF00FFu); // the source is left alone
}

TEST(ThumbnailBitmaps, CopiesExistExactlyForLoadedResourcesAndThePlaceholderIsGrey)
{
    const ThumbnailBitmaps bitmaps(ThumbnailColours{});
    EXPECT_EQ(bitmaps.Shadow(ShadowPiece::Right, true).isNull(), LoadResourceBitmap("BMP_SHADOW_R").isNull());
    EXPECT_EQ(bitmaps.Folder(2, false).isNull(), LoadResourceBitmap("BMP_THUMBNAIL_FOLDER_L").isNull());
    EXPECT_EQ(bitmaps.Void(0).isNull(), LoadResourceBitmap("BMP_THUMBNAIL_VOID_S").isNull());
    const QImage& placeholder = bitmaps.Placeholder();
    EXPECT_EQ(placeholder.size(), QSize(160, 120));
    EXPECT_EQ(Rgb(placeholder, 0, 0), 0xCCCCCCu);
    EXPECT_EQ(Rgb(placeholder, 159, 119), 0xCCCCCCu);
}
