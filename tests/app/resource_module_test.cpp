#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>

#include "app/language_module_support.h"
#include "fixtures/sandbox.h"
#include "shell/resource_modules.h"
#include "views/menu_panel.h"

// The built language resource module: every picture the program asks for, in its size, with
// the properties the views depend on.

namespace {

struct Named {
    const char* name;
    int width;
    int height;
};

// Button strips: five frames of the button's size stacked downwards. The y is the button's
// place in its bar (the top bar strips carry the bar's ground of that height).
struct StripRow {
    const char* name;
    int width;
    int height;
    bool topBar;
    int y;
};

constexpr StripRow kStrips[] = {
    {"BMP_TOP_FOLDERMODE", 72, 42, true, 2},
    {"BMP_TOP_PERIODMODE", 72, 42, true, 2},
    {"BMP_TOP_THUMBNAIL", 41, 38, true, 23},
    {"BMP_TOP_PREVIEW", 41, 38, true, 23},
    {"BMP_TOP_REPORT", 41, 38, true, 23},
    {"BMP_TOP_THUMBNAIL_SIZE0", 22, 49, true, 16},
    {"BMP_TOP_THUMBNAIL_SIZE1", 24, 49, true, 16},
    {"BMP_TOP_THUMBNAIL_SIZE2", 22, 49, true, 16},
    {"BMP_TOP_THUMBNAIL_SIZE_L", 16, 29, true, 26},
    {"BMP_TOP_THUMBNAIL_SIZE_R", 24, 29, true, 26},
    {"BMP_LEFT_MENUPANEL", 46, 52, false, 26},
    {"BMP_LEFT_FOLDERTREE", 46, 52, false, 26},
    {"BMP_LEFT_PERIODPANEL", 46, 52, false, 26},
    {"BMP_LEFT_BACK", 30, 44, false, 34},
    {"BMP_LEFT_FORWARD", 30, 44, false, 34},
    {"BMP_PERIOD_BACK", 34, 44, false, 2},
    {"BMP_PERIOD_FORWARD", 34, 44, false, 2},
    {"BMP_PERIOD_BACK_R", 34, 44, false, 2},
    {"BMP_PERIOD_FORWARD_R", 34, 44, false, 2},
    {"BMP_THUMBNAIL_ROTATE_L", 35, 44, false, 2},
    {"BMP_THUMBNAIL_ROTATE_R", 35, 44, false, 2},
    {"BMP_THUMBNAIL_DELETE", 34, 44, false, 2},
    {"BMP_THUMBNAIL_NETPRINT", 150, 44, false, 2},
};

constexpr Named kPictures[] = {
    {"BMP_TOP_BG_LEFT", 154, 65},
    {"BMP_TOP_BG", 16, 65},
    {"BMP_TOP_BG_LOGO", 150, 23},
    {"BMP_SHADOW_RT", 8, 8},
    {"BMP_SHADOW_R", 8, 8},
    {"BMP_SHADOW_RB", 8, 8},
    {"BMP_SHADOW_B", 8, 8},
    {"BMP_SHADOW_LB", 8, 8},
    {"BMP_THUMBNAIL_FOLDER_S", 92, 78},
    {"BMP_THUMBNAIL_FOLDER_M", 180, 142},
    {"BMP_THUMBNAIL_FOLDER_L", 264, 204},
    {"BMP_THUMBNAIL_VOID_S", 80, 60},
    {"BMP_THUMBNAIL_VOID_M", 160, 120},
    {"BMP_THUMBNAIL_VOID_L", 240, 180},
    {"BMP_THUMBNAIL_MOV_S", 80, 60},
    {"BMP_THUMBNAIL_MOV_M", 160, 120},
    {"BMP_THUMBNAIL_MOV_L", 240, 180},
    {"BMP_THUMBNAIL_SOUND_S", 80, 60},
    {"BMP_THUMBNAIL_SOUND_M", 160, 120},
    {"BMP_THUMBNAIL_SOUND_L", 240, 180},
    {"BMP_PERIOD_INDEX0", 106, 76},
    {"BMP_PERIOD_INDEX1", 106, 76},
    {"BMP_REPORT_FOLDER", 40, 30},
    {"BMP_REPORT_VOID", 40, 30},
    {"BMP_REPORT_MOV", 40, 30},
    {"BMP_REPORT_SOUND", 40, 30},
};

constexpr const char* kItemIconKinds[] = {"DATE", "MOVIE", "SOUND", "TIFF16", "TIFF16V",
                                          "RAW",  "RAWV",  "ADOBE", "ADOBEV"};

// The folder pictures: where the view starts their shadow (the tab's height).
constexpr Named kFolders[] = {
    {"BMP_THUMBNAIL_FOLDER_S", 92, 9},
    {"BMP_THUMBNAIL_FOLDER_M", 180, 12},
    {"BMP_THUMBNAIL_FOLDER_L", 264, 15},
};

class ResourceModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterBuiltLanguageModule()) << BuiltLanguageModulePath().toStdString(); }
};

QImage Picture(const char* name)
{
    return QImage(":/zorres/" + QString(name) + ".png").convertToFormat(QImage::Format_ARGB32);
}

QImage Frame(const QImage& strip, int height, int frame)
{
    return strip.copy(0, frame * height, strip.width(), height);
}

int Grey(const QImage& image, int x, int y)
{
    return qRed(image.pixel(x, y));
}

} // namespace

TEST_F(ResourceModule, HoldsEveryButtonStripWithFiveFramesOfTheButtonSize)
{
    for (const StripRow& row : kStrips) {
        const QImage strip = Picture(row.name);
        ASSERT_FALSE(strip.isNull()) << row.name;
        EXPECT_EQ(strip.width(), row.width) << row.name;
        EXPECT_EQ(strip.height(), 5 * row.height) << row.name;
        // Going through LoadResourceBitmap, as the bars do.
        EXPECT_EQ(LoadResourceBitmap(row.name).size(), strip.size()) << row.name;
    }
}

TEST_F(ResourceModule, EveryStripShowsDisabledPressedAndSelectedDifferentlyFromNormal)
{
    for (const StripRow& row : kStrips) {
        const QImage strip = Picture(row.name);
        ASSERT_EQ(strip.height(), 5 * row.height) << row.name;
        const QImage normal = Frame(strip, row.height, 1);
        for (int frame : {0, 2, 3, 4})
            EXPECT_NE(Frame(strip, row.height, frame), normal) << row.name << " frame " << frame;
        EXPECT_NE(Frame(strip, row.height, 4), Frame(strip, row.height, 3)) << row.name;
    }
}

TEST_F(ResourceModule, StripsCarryTheGroundOfTheirBar)
{
    const QImage topBar = Picture("BMP_TOP_BG");
    ASSERT_EQ(topBar.height(), 65);
    const QRgb lightBar = qRgb(0xE4, 0xE9, 0xF3);
    for (const StripRow& row : kStrips) {
        const QImage strip = Picture(row.name);
        ASSERT_FALSE(strip.isNull()) << row.name;
        // The first and last row of every frame lie outside the drawn face, on the bar's ground.
        for (int frame = 0; frame < 5; ++frame) {
            for (int y : {0, row.height - 1}) {
                const QRgb expected = row.topBar ? topBar.pixel(0, row.y + y) : lightBar;
                for (int x = 0; x < row.width; ++x)
                    ASSERT_EQ(strip.pixel(x, frame * row.height + y), expected)
                        << row.name << " frame " << frame << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(ResourceModule, HoldsEveryOtherPictureInItsSize)
{
    for (const Named& picture : kPictures) {
        const QImage image = Picture(picture.name);
        ASSERT_FALSE(image.isNull()) << picture.name;
        EXPECT_EQ(image.size(), QSize(picture.width, picture.height)) << picture.name;
    }
}

TEST_F(ResourceModule, TopBarGroundIsDarkWhereTheModeNameIsWrittenInWhite)
{
    const QImage left = Picture("BMP_TOP_BG_LEFT");
    ASSERT_EQ(left.size(), QSize(154, 65));
    for (int y = 44; y < 65; ++y)
        for (int x = 12; x < 154; ++x)
            ASSERT_LT(qGray(left.pixel(x, y)), 90) << x << "," << y;
    const QImage tile = Picture("BMP_TOP_BG");
    // The tile is stretched across: every column must be the same.
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 1; x < tile.width(); ++x)
            ASSERT_EQ(tile.pixel(x, y), tile.pixel(0, y)) << x << "," << y;
}

TEST_F(ResourceModule, FolderPicturesAreKeyedOutsideAndLightInTheOpening)
{
    for (const Named& folder : kFolders) {
        const QImage image = Picture(folder.name);
        ASSERT_FALSE(image.isNull()) << folder.name;
        const QRgb key = image.pixel(0, 0);
        const int width = image.width();
        const int height = image.height();
        // The tab is at the top left, so the top right corner lies outside the folder.
        EXPECT_EQ(image.pixel(width - 1, 0), key) << folder.name;
        EXPECT_EQ(image.pixel(width - 1, folder.height - 1), key) << folder.name;
        // The body fills the picture below the tab, to the edges where the shadow is drawn.
        EXPECT_NE(image.pixel(width - 1, height / 2), key) << folder.name;
        EXPECT_NE(image.pixel(width / 2, height - 1), key) << folder.name;
        EXPECT_NE(image.pixel(2, 2), key) << folder.name;
        // The opening, where the view draws the folder's previews, is light.
        EXPECT_GT(qGray(image.pixel(width / 2, height / 2)), 230) << folder.name;
        // No pixel is half-blended into the key colour (it would fringe on the cell colour).
        int keyed = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = image.pixel(x, y);
                ASSERT_EQ(qAlpha(pixel), 255) << folder.name;
                if (pixel == key) {
                    ++keyed;
                    continue;
                }
                const bool magentaTinted = qRed(pixel) > qGreen(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 60;
                ASSERT_FALSE(magentaTinted) << folder.name << " at " << x << "," << y;
            }
        }
        EXPECT_GT(keyed, width) << folder.name;
        EXPECT_LT(keyed, width * height / 4) << folder.name;
    }
}

// The views tint a shadow piece into the cell colour c as (255 - v) x c / 255: v is the
// shadow's strength, strongest next to the rectangle and fading to nothing away from it.
TEST_F(ResourceModule, ShadowPiecesAreGreyStrengthsFadingAwayFromTheRectangle)
{
    const char* names[] = {"BMP_SHADOW_RT", "BMP_SHADOW_R", "BMP_SHADOW_RB", "BMP_SHADOW_B", "BMP_SHADOW_LB"};
    for (const char* name : names) {
        const QImage piece = Picture(name);
        ASSERT_EQ(piece.size(), QSize(8, 8)) << name;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const QRgb pixel = piece.pixel(x, y);
                ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << name;
                ASSERT_EQ(qAlpha(pixel), 255) << name;
            }
        }
    }
    const QImage right = Picture("BMP_SHADOW_R");
    const QImage bottom = Picture("BMP_SHADOW_B");
    const QImage corner = Picture("BMP_SHADOW_RB");
    const QImage rightTop = Picture("BMP_SHADOW_RT");
    const QImage leftBottom = Picture("BMP_SHADOW_LB");
    EXPECT_GE(Grey(right, 0, 0), 40);
    EXPECT_LE(Grey(right, 7, 0), 2);
    for (int along = 0; along < 8; ++along) {
        for (int away = 1; away < 8; ++away) {
            // The edges fall off away from the rectangle and do not change along it (they are
            // stretched).
            EXPECT_LE(Grey(right, away, along), Grey(right, away - 1, along));
            EXPECT_EQ(Grey(right, away, along), Grey(right, away, 0));
            EXPECT_LE(Grey(bottom, along, away), Grey(bottom, along, away - 1));
            EXPECT_EQ(Grey(bottom, along, away), Grey(bottom, 0, away));
            // The ends fade in towards the edge they start.
            EXPECT_GE(Grey(rightTop, along, away), Grey(rightTop, along, away - 1));
            EXPECT_GE(Grey(leftBottom, away, along), Grey(leftBottom, away - 1, along));
        }
        // The pieces meet without a step.
        EXPECT_NEAR(Grey(rightTop, along, 7), Grey(right, along, 0), 2);
        EXPECT_NEAR(Grey(corner, along, 0), Grey(right, along, 0), 2);
        EXPECT_NEAR(Grey(corner, 0, along), Grey(bottom, 0, along), 2);
        EXPECT_NEAR(Grey(leftBottom, 7, along), Grey(bottom, 0, along), 2);
        EXPECT_EQ(Grey(right, along, 0), Grey(bottom, 0, along));
    }
    for (int step = 1; step < 8; ++step)
        EXPECT_LE(Grey(corner, step, step), Grey(corner, step - 1, step - 1));
    EXPECT_LT(Grey(rightTop, 0, 0), Grey(rightTop, 0, 7));
}

TEST_F(ResourceModule, MovieEdgesLeaveTheMiddleClearAndOtherPicturesAreOpaque)
{
    for (const char* size : {"S", "M", "L"}) {
        const QImage movie = Picture(QString("BMP_THUMBNAIL_MOV_%1").arg(size).toUtf8().constData());
        ASSERT_FALSE(movie.isNull()) << size;
        EXPECT_EQ(qAlpha(movie.pixel(movie.width() / 2, movie.height() / 2)), 0) << size;
        for (int y = 0; y < movie.height(); ++y) {
            ASSERT_GT(qAlpha(movie.pixel(0, y)), 200) << size << " row " << y;
            ASSERT_GT(qAlpha(movie.pixel(movie.width() - 1, y)), 200) << size << " row " << y;
        }
        for (const char* kind : {"BMP_THUMBNAIL_SOUND_", "BMP_THUMBNAIL_VOID_"}) {
            const QImage picture = Picture((QString(kind) + size).toUtf8().constData());
            ASSERT_FALSE(picture.isNull()) << kind << size;
            bool opaque = true;
            for (int y = 0; y < picture.height() && opaque; ++y)
                for (int x = 0; x < picture.width() && opaque; ++x)
                    opaque = qAlpha(picture.pixel(x, y)) == 255;
            EXPECT_TRUE(opaque) << kind << size;
        }
    }
}

TEST_F(ResourceModule, HoldsTheEighteenItemIconsInBothSizes)
{
    for (const char* kind : kItemIconKinds) {
        for (const auto& [suffix, side] : {std::pair{"_S", 16}, std::pair{"_L", 32}}) {
            const QString name = QString("ICON_%1%2").arg(kind, suffix);
            const QImage icon = Picture(name.toUtf8().constData());
            ASSERT_FALSE(icon.isNull()) << name.toStdString();
            EXPECT_EQ(icon.size(), QSize(side, side)) << name.toStdString();
            // A rounded badge: opaque in the middle, clear in the very corner.
            EXPECT_EQ(qAlpha(icon.pixel(side / 2, side / 2)), 255) << name.toStdString();
            EXPECT_LT(qAlpha(icon.pixel(0, 0)), 255) << name.toStdString();
        }
    }
    // The "V" form is the same badge on a light face: same outline, different middle.
    for (const char* kind : {"TIFF16", "RAW", "ADOBE"}) {
        const QImage plain = Picture(QString("ICON_%1_L").arg(kind).toUtf8().constData());
        const QImage variant = Picture(QString("ICON_%1V_L").arg(kind).toUtf8().constData());
        EXPECT_EQ(plain.pixel(1, 16), variant.pixel(1, 16)) << kind;
        EXPECT_NE(plain, variant) << kind;
    }
}

TEST_F(ResourceModule, CarriesTheMenuDefinitionFromTheSources)
{
    QFile packed(":/zorres/menus.txt");
    ASSERT_TRUE(packed.open(QIODevice::ReadOnly));
    EXPECT_EQ(packed.readAll().toStdString(), ReadTextFile(std::string(VISTREL_SOURCE_DIR) + "/resources/zorres/menus.txt"));
}

TEST_F(ResourceModule, HoldsTheMenuPanelPicturesForEverySectionAndEntry)
{
    for (const char* name : {"MENU_PANEL_PRINT", "MENU_PANEL_MENU", "MENU_PANEL_MANIPULATE", "MENU_PANEL_FOLDER",
                             "MENU_PANEL_INFO", "MENU_PANEL_BG", "MENU_PANEL_TAIL", "MENU_PANEL_SHADOW"}) {
        const QImage image = Picture(name);
        ASSERT_FALSE(image.isNull()) << name;
        // From the panel's left margin to the end of its rows.
        EXPECT_EQ(image.width(), MenuPanel::kRight - MenuPanel::kLeft) << name;
    }
    const QImage open = Picture("MENU_PANEL_TAB_OPEN");
    const QImage closed = Picture("MENU_PANEL_TAB_CLOSE");
    ASSERT_FALSE(open.isNull());
    EXPECT_EQ(open.size(), closed.size());
    EXPECT_NE(open, closed);
    // The tab must end inside the header.
    EXPECT_LE(MenuPanel::kTabX + open.width(), MenuPanel::kRight);
    for (const MenuPanelEntry& entry : MenuPanelEntries()) {
        const QImage icon = Picture(entry.iconName);
        ASSERT_FALSE(icon.isNull()) << entry.iconName;
        EXPECT_EQ(icon.size(), QSize(MenuPanel::kIconSize, MenuPanel::kIconSize)) << entry.iconName;
    }
}
