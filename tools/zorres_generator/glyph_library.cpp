#include "glyph_library.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

GlyphLibrary::GlyphLibrary(QString folder) : m_folder(std::move(folder)) {}

GlyphLibrary::~GlyphLibrary() = default;

QSvgRenderer* GlyphLibrary::Renderer(const QString& name)
{
    const auto found = m_renderers.find(name);
    if (found != m_renderers.end())
        return found->second.get();
    auto renderer = std::make_unique<QSvgRenderer>(m_folder + "/" + name + ".svg");
    if (!renderer->isValid()) {
        m_problems.append(name);
        renderer.reset();
    }
    return m_renderers.emplace(name, std::move(renderer)).first->second.get();
}

void GlyphLibrary::Draw(QPainter& painter, const QString& name, const QRect& target, const QColor& colour,
                        GlyphFlip flip)
{
    QSvgRenderer* renderer = Renderer(name);
    if (renderer == nullptr || target.isEmpty())
        return;
    // The glyph is drawn on its own layer first, so that tinting keeps only its coverage.
    QImage layer(target.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter glyphPainter(&layer);
        glyphPainter.setRenderHint(QPainter::Antialiasing);
        if (flip == GlyphFlip::Horizontal)
            glyphPainter.setTransform(QTransform(-1, 0, 0, 1, target.width(), 0));
        else if (flip == GlyphFlip::Vertical)
            glyphPainter.setTransform(QTransform(1, 0, 0, -1, 0, target.height()));
        renderer->render(&glyphPainter, QRectF(0, 0, target.width(), target.height()));
        glyphPainter.resetTransform();
        glyphPainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        glyphPainter.fillRect(layer.rect(), colour);
    }
    painter.drawImage(target.topLeft(), layer);
}

QSize GlyphLibrary::NaturalSize(const QString& name)
{
    QSvgRenderer* renderer = Renderer(name);
    return renderer == nullptr ? QSize() : renderer->defaultSize();
}
