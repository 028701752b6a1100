#pragma once

#include <map>
#include <memory>

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;
class QSvgRenderer;

enum class GlyphFlip { None, Horizontal, Vertical };

// The hand-drawn glyphs of resources/zorres/glyphs, one SVG file each, drawn in black with
// opacities for their lighter parts. Drawing tints a glyph in one colour, so that one drawing
// serves the dark top bar, the light bars and the disabled states alike.
class GlyphLibrary {
public:
    explicit GlyphLibrary(QString folder);
    ~GlyphLibrary();

    // Draws the glyph `name` (file name without ".svg") scaled into `target`, in `colour`
    // (its alpha included), optionally mirrored. A missing or broken file draws nothing and is
    // remembered in Problems().
    void Draw(QPainter& painter, const QString& name, const QRect& target, const QColor& colour,
              GlyphFlip flip = GlyphFlip::None);

    // The size the glyph's file gives itself; the pixel-grid glyphs are drawn at exactly that
    // size so that every cell stays sharp. Empty for a missing glyph.
    QSize NaturalSize(const QString& name);

    // The glyphs that could not be loaded, for the generator to fail on.
    const QStringList& Problems() const { return m_problems; }

private:
    QSvgRenderer* Renderer(const QString& name);

    QString m_folder;
    std::map<QString, std::unique_ptr<QSvgRenderer>> m_renderers;
    QStringList m_problems;
};
