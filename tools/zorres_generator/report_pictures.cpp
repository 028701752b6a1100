#include "report_pictures.h"

#include <algorithm>
#include <iterator>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyph_library.h"
#include "keyed_folder.h"
#include "palette.h"

namespace {

constexpr int kWidth = kReportPictureBoxWidth;
constexpr int kHeight = kReportPictureBoxHeight;

// The folder inside the box: a margin keeps the key colour around it, so that pixel (0, 0)
// holds the key and the row colour frames the folder.
constexpr QRectF kFolderArea(3, 4, 34, 23);
constexpr double kFolderTab = 4;
constexpr double kFolderRadius = 2;

QImage MakeFolder()
{
    QImage drawing = NewPicture(kWidth, kHeight);
    QPainter painter(&drawing);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = FolderOutline(kFolderArea, kFolderTab, kFolderRadius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::kFolderBack);
    painter.drawPath(outline);

    // A sheet of paper standing in the folder, then the lighter front over its lower part.
    const QRectF paper(kFolderArea.left() + 3, kFolderArea.top() + kFolderTab + 1.5, kFolderArea.width() - 6,
                       kFolderArea.height() * 0.5);
    painter.setBrush(palette::kFolderPaper);
    painter.drawRect(paper);
    const double frontTop = kFolderArea.top() + kFolderTab + 5;
    QPainterPath front;
    front.addRoundedRect(QRectF(kFolderArea.left(), frontTop, kFolderArea.width(), kFolderArea.bottom() - frontTop),
                         kFolderRadius, kFolderRadius);
    QLinearGradient frontShade(0, frontTop, 0, kFolderArea.bottom());
    frontShade.setColorAt(0, palette::kFolderFront.lighter(108));
    frontShade.setColorAt(1, palette::kFolderFront);
    painter.setBrush(frontShade);
    painter.drawPath(front.intersected(outline));
    painter.setPen(QPen(palette::kFolderEdge, 1));
    painter.drawLine(QPointF(kFolderArea.left() + 1, frontTop + 0.5), QPointF(kFolderArea.right() - 1, frontTop + 0.5));
    painter.end();
    return KeyedOnto(drawing);
}

QImage MakeVoid(GlyphLibrary& glyphs)
{
    QImage image = NewPicture(kWidth, kHeight, palette::kVoidGround);
    QPainter painter(&image);
    painter.setPen(QColor(0xD0, 0xD5, 0xDF));
    painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
    const int glyph = 18;
    glyphs.Draw(painter, "broken_picture", QRect((kWidth - glyph) / 2, (kHeight - glyph) / 2, glyph, glyph),
                palette::kVoidGlyph);
    return image;
}

// Film edges: a dark strip down each side with sprocket holes on whole pixels (at this size a
// rounded hole would blur into the strip); the middle stays clear for the first frame.
QImage MakeFilmEdges()
{
    QImage image = NewPicture(kWidth, kHeight);
    QPainter painter(&image);
    constexpr int kStrip = 5;
    constexpr int kHole = 2;
    constexpr int kPitch = 4;
    const QColor strip(palette::kFilmStrip.red(), palette::kFilmStrip.green(), palette::kFilmStrip.blue(), 235);
    const QColor hole(255, 255, 255, 225);
    for (const int left : {0, kWidth - kStrip}) {
        painter.fillRect(left, 0, kStrip, kHeight, strip);
        for (int y = 1; y + kHole <= kHeight - 1; y += kPitch)
            painter.fillRect(left + (kStrip - kHole + 1) / 2, y + 1, kHole, kHole, hole);
    }
    return image;
}

// Bar heights of the sound picture's waveform, in eighths of its height.
constexpr int kWaveform[] = {3, 7, 5, 8, 4, 6};

QImage MakeSound(GlyphLibrary& glyphs)
{
    QImage image = NewPicture(kWidth, kHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, kHeight);
    ground.setColorAt(0, palette::kSoundGroundTop);
    ground.setColorAt(1, palette::kSoundGroundBottom);
    painter.fillRect(image.rect(), ground);
    const int glyph = 16;
    glyphs.Draw(painter, "speaker", QRect(3, (kHeight - glyph) / 2, glyph, glyph), palette::kSoundGlyph);
    // Whole-pixel bars stay crisp at this size.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor bar(palette::kSoundGlyph.red(), palette::kSoundGlyph.green(), palette::kSoundGlyph.blue(), 170);
    const int full = kHeight * 5 / 8;
    for (size_t i = 0; i < std::size(kWaveform); ++i) {
        const int height = std::max(2, full * kWaveform[i] / 8);
        painter.fillRect(21 + static_cast<int>(i) * 3, (kHeight - height) / 2, 2, height, bar);
    }
    return image;
}

} // namespace

ResourceBitmaps MakeReportPictures(GlyphLibrary& glyphs)
{
    ResourceBitmaps bitmaps;
    bitmaps.push_back({"BMP_REPORT_FOLDER", MakeFolder()});
    bitmaps.push_back({"BMP_REPORT_VOID", MakeVoid(glyphs)});
    bitmaps.push_back({"BMP_REPORT_MOV", MakeFilmEdges()});
    bitmaps.push_back({"BMP_REPORT_SOUND", MakeSound(glyphs)});
    return bitmaps;
}
