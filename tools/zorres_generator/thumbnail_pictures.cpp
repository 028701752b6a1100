#include "thumbnail_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyph_library.h"
#include "keyed_folder.h"
#include "palette.h"

namespace {

// The view draws a folder's previews in a 2 x 2 grid over the folder picture; `opening` is
// that grid's place relative to the picture (boxes of 40 x 30, 80 x 60, 120 x 90 and a 2-pixel
// gap), and `tab` the height of the tab, where the view starts the folder's shadow.
struct FolderSize {
    const char* bitmap;
    int width;
    int height;
    int tab;
    int radius;
    QRect opening;
};

constexpr FolderSize kFolders[] = {
    {"BMP_THUMBNAIL_FOLDER_S", 92, 78, 9, 3, QRect(5, 13, 82, 62)},
    {"BMP_THUMBNAIL_FOLDER_M", 180, 142, 12, 5, QRect(9, 17, 162, 122)},
    {"BMP_THUMBNAIL_FOLDER_L", 264, 204, 15, 6, QRect(11, 22, 242, 182)},
};

struct PictureSize {
    const char* suffix;
    int width;
    int height;
};

constexpr PictureSize kPictureSizes[] = {{"S", 80, 60}, {"M", 160, 120}, {"L", 240, 180}};

QString Named(const char* prefix, const PictureSize& size)
{
    return QString(prefix) + size.suffix;
}

QImage MakeFolder(const FolderSize& folder)
{
    QImage drawing = NewPicture(folder.width, folder.height);
    QPainter painter(&drawing);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = FolderOutline(QRectF(0, 0, folder.width, folder.height), folder.tab, folder.radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::kFolderBack);
    painter.drawPath(outline);

    // The front of the folder: a lighter body around the opening, below the back's top edge.
    const double frontTop = folder.tab + (folder.opening.top() - folder.tab) * 0.5;
    QPainterPath front;
    front.addRoundedRect(QRectF(0, frontTop, folder.width, folder.height - frontTop), folder.radius, folder.radius);
    QLinearGradient frontShade(0, frontTop, 0, folder.height);
    frontShade.setColorAt(0, palette::kFolderFront.lighter(108));
    frontShade.setColorAt(1, palette::kFolderFront);
    painter.setBrush(frontShade);
    painter.drawPath(front.intersected(outline));

    // The opening: paper-white where the previews go, with a soft shade under the front edge.
    const QRectF opening = QRectF(folder.opening).adjusted(-1, -1, 1, 1).intersected(QRectF(drawing.rect()));
    painter.setBrush(palette::kFolderEdge);
    painter.drawRoundedRect(opening, 2, 2);
    QLinearGradient paper(0, opening.top(), 0, opening.bottom());
    paper.setColorAt(0, QColor(0xF1, 0xF4, 0xF9));
    paper.setColorAt(0.12, palette::kFolderPaper);
    paper.setColorAt(1, palette::kFolderPaper);
    painter.setBrush(paper);
    painter.drawRoundedRect(opening.adjusted(1, 1, -1, -1), 1.5, 1.5);
    painter.end();
    return KeyedOnto(drawing);
}

QImage MakeVoid(GlyphLibrary& glyphs, const PictureSize& size)
{
    QImage image = NewPicture(size.width, size.height, palette::kVoidGround);
    QPainter painter(&image);
    painter.setPen(QColor(0xD0, 0xD5, 0xDF));
    painter.drawRect(0, 0, size.width - 1, size.height - 1);
    const int glyph = size.height / 2;
    glyphs.Draw(painter, "broken_picture", QRect((size.width - glyph) / 2, (size.height - glyph) / 2, glyph, glyph),
                palette::kVoidGlyph);
    return image;
}

// Film edges: a dark strip down each side with rounded sprocket holes; the middle stays clear
// so that the movie's first frame shows through.
QImage MakeFilmEdges(const PictureSize& size)
{
    QImage image = NewPicture(size.width, size.height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double strip = size.width * 0.11;
    const double holeWidth = strip * 0.52;
    const double holeHeight = strip * 0.4;
    const double pitch = strip * 0.82;
    const int holes = static_cast<int>(size.height / pitch);
    const double firstHole = (size.height - (holes - 1) * pitch - holeHeight) / 2;
    for (const double left : {0.0, size.width - strip}) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(palette::kFilmStrip.red(), palette::kFilmStrip.green(), palette::kFilmStrip.blue(), 235));
        painter.drawRect(QRectF(left, 0, strip, size.height));
        painter.setBrush(QColor(255, 255, 255, 225));
        for (int hole = 0; hole < holes; ++hole)
            painter.drawRoundedRect(QRectF(left + (strip - holeWidth) / 2, firstHole + hole * pitch, holeWidth, holeHeight),
                                    holeHeight * 0.25, holeHeight * 0.25);
    }
    return image;
}

// Bar heights of the sound picture's waveform, in eighths of its height.
constexpr int kWaveform[] = {2, 4, 7, 5, 8, 6, 3, 5, 7, 4, 2, 3};

QImage MakeSound(GlyphLibrary& glyphs, const PictureSize& size)
{
    QImage image = NewPicture(size.width, size.height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, size.height);
    ground.setColorAt(0, palette::kSoundGroundTop);
    ground.setColorAt(1, palette::kSoundGroundBottom);
    painter.fillRect(image.rect(), ground);
    const int glyph = size.height * 11 / 20;
    glyphs.Draw(painter, "speaker", QRect(size.width * 7 / 80, (size.height - glyph) / 2, glyph, glyph),
                palette::kSoundGlyph);
    const double left = size.width * 0.5;
    const double pitch = (size.width * 0.9 - left) / std::size(kWaveform);
    const double barWidth = pitch * 0.6;
    const double middle = size.height / 2.0;
    const double full = size.height * 0.62;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(palette::kSoundGlyph.red(), palette::kSoundGlyph.green(), palette::kSoundGlyph.blue(), 170));
    for (size_t bar = 0; bar < std::size(kWaveform); ++bar) {
        const double height = full * kWaveform[bar] / 8;
        painter.drawRoundedRect(QRectF(left + bar * pitch, middle - height / 2, barWidth, height), barWidth / 2,
                                barWidth / 2);
    }
    return image;
}

} // namespace

ResourceBitmaps MakeThumbnailPictures(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;
    for (const FolderSize& folder : kFolders)
        bitmaps.push_back({folder.bitmap, MakeFolder(folder)});
    for (const PictureSize& size : kPictureSizes)
        bitmaps.push_back({Named("BMP_THUMBNAIL_VOID_", size), MakeVoid(glyphs, size)});
    for (const PictureSize& size : kPictureSizes)
        bitmaps.push_back({Named("BMP_THUMBNAIL_MOV_", size), MakeFilmEdges(size)});
    for (const PictureSize& size : kPictureSizes)
        bitmaps.push_back({Named("BMP_THUMBNAIL_SOUND_", size), MakeSound(glyphs, size)});
    return bitmaps;
}
