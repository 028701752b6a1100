#include "water_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// The path of light on the water below the sun or the moon: short strokes, narrow at the
// horizon and wider towards the viewer.
void PaintGlitter(QPainter& painter, const QRectF& water, double x, const QColor& colour, double phase,
                  SeededRandom& random)
{
    painter.save();
    const double unit = std::min(water.width(), water.height() * 3) / 1000.0;
    const int strokes = 220;
    for (int i = 0; i < strokes; ++i) {
        const double depth = std::pow(random.Uniform(0, 1), 1.4);
        const double y = water.top() + water.height() * depth;
        const double spread = water.width() * (0.01 + 0.09 * depth);
        const double centre
            = x + random.Uniform(-spread, spread) + std::sin(phase * 2 * std::numbers::pi + i) * unit * 4;
        const double length = unit * (4 + 28 * depth) * random.Uniform(0.4, 1.2);
        const double closeness = 1.0 - std::abs(centre - x) / (spread + 1);
        painter.setPen(
            QPen(WithAlpha(colour, static_cast<int>(90 + 150 * closeness * random.Uniform(0.5, 1.0))),
                 unit * (0.8 + 2.2 * depth), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(centre - length / 2, y), QPointF(centre + length / 2, y));
    }
    painter.restore();
}

} // namespace

void PaintLake(QImage& canvas, double horizonY, double bottomY, const SceneLight& light, double glitterX,
               bool frozen, SeededRandom& random)
{
    const int top = static_cast<int>(std::round(horizonY));
    const int depth = std::max(1, static_cast<int>(std::round(bottomY)) - top);
    // The mirror image of the band above the water line.
    const int source = std::max(0, top - depth);
    const QImage mirrored = canvas.copy(0, source, canvas.width(), top - source).mirrored(false, true);

    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF water(0, top, canvas.width(), depth);
    painter.setClipRect(water);
    painter.fillRect(water, light.water);
    painter.setOpacity(frozen ? 0.35 : 0.8);
    painter.drawImage(QRectF(0, top, canvas.width(), mirrored.height()), mirrored);
    painter.setOpacity(1.0);

    QLinearGradient tint(water.topLeft(), water.bottomLeft());
    const QColor surface = frozen ? Lit(light, QColor(0xCFE0EE)) : light.water;
    tint.setColorAt(0.0, WithAlpha(Mix(surface, light.sky[3], 0.3), frozen ? 140 : 70));
    tint.setColorAt(1.0, WithAlpha(surface, frozen ? 200 : 170));
    painter.fillRect(water, tint);

    const double unit = std::min(water.width(), water.height() * 3) / 1000.0;
    painter.setPen(Qt::NoPen);
    if (frozen) {
        // Long bright streaks across the ice.
        for (int i = 0; i < 40; ++i) {
            const double y = water.top() + water.height() * std::pow(random.Uniform(0, 1), 1.3);
            const double length = water.width() * random.Uniform(0.05, 0.35);
            const double x = random.Uniform(-0.1, 1.0) * water.width();
            painter.setPen(
                QPen(QColor(255, 255, 255, random.Below(60) + 30), unit * random.Uniform(0.8, 3.0)));
            painter.drawLine(QPointF(x, y), QPointF(x + length, y + random.Uniform(-1, 1) * unit * 6));
        }
    } else {
        // Ripples: thin light and dark lines, closer together near the far shore.
        const int lines = 260;
        for (int i = 0; i < lines; ++i) {
            const double t = std::pow(random.Uniform(0, 1), 1.6);
            const double y = water.top() + water.height() * t;
            const double length = water.width() * random.Uniform(0.02, 0.12) * (0.3 + t);
            const double x = random.Uniform(-0.05, 1.0) * water.width();
            const bool bright = random.Chance(0.5);
            const QColor colour
                = bright ? WithAlpha(light.sky[2], 70) : WithAlpha(light.water.darker(140), 70);
            painter.setPen(QPen(colour, unit * (0.6 + 2.0 * t)));
            painter.drawLine(QPointF(x, y), QPointF(x + length, y));
        }
    }
    if (glitterX >= 0 && glitterX <= canvas.width())
        PaintGlitter(painter, water, glitterX, Mix(light.sun, light.glow, 0.3), 0.0, random);
    // The far shore's edge where land meets water.
    painter.setClipping(false);
    painter.setPen(QPen(WithAlpha(light.water.darker(150), 120), unit * 1.5));
    painter.drawLine(QPointF(0, top), QPointF(canvas.width(), top));
}

void PaintSea(QPainter& painter, const QRectF& area, const SceneLight& light, double glitterX, double phase,
              SeededRandom& random)
{
    painter.save();
    painter.setClipRect(area);
    QLinearGradient sea(area.topLeft(), area.bottomLeft());
    const QColor deep = Mix(light.water, light.sky[3], 0.25);
    const QColor shallow = Lit(light, QColor(0x3FB7C4));
    sea.setColorAt(0.0, deep);
    sea.setColorAt(0.55, Mix(deep, shallow, 0.5));
    sea.setColorAt(1.0, shallow);
    painter.fillRect(area, sea);
    // The sky's brightness lies on the sea near the horizon.
    QLinearGradient sheen(area.topLeft(), QPointF(area.left(), area.top() + area.height() * 0.35));
    sheen.setColorAt(0.0, WithAlpha(light.sky[3], 120));
    sheen.setColorAt(1.0, WithAlpha(light.sky[3], 0));
    painter.fillRect(area, sheen);

    const double unit = std::min(area.width(), area.height() * 3) / 1000.0;
    const int rows = 70;
    for (int i = 0; i < rows; ++i) {
        const double t = std::pow((i + random.Uniform(0, 1)) / rows, 1.8);
        const double y = area.top() + area.height() * t;
        const double drift = std::sin((phase + t * 3.0) * 2 * std::numbers::pi) * unit * 10 * t;
        const int pieces = 3 + random.Below(5);
        for (int j = 0; j < pieces; ++j) {
            const double x = random.Uniform(-0.05, 1.0) * area.width() + drift;
            const double length = area.width() * random.Uniform(0.02, 0.1) * (0.3 + t);
            QPainterPath crest;
            crest.moveTo(x, y);
            crest.quadTo(x + length / 2, y - unit * (1 + 5 * t), x + length, y);
            painter.setPen(QPen(QColor(255, 255, 255, static_cast<int>(40 + 80 * t)), unit * (0.6 + 2.4 * t),
                                Qt::SolidLine, Qt::RoundCap));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(crest);
        }
    }
    if (glitterX >= 0 && glitterX <= area.right())
        PaintGlitter(painter, area, glitterX, Mix(light.sun, light.glow, 0.3), phase, random);
    painter.restore();
}

void PaintBeach(QPainter& painter, const QRectF& area, const SceneLight& light, double phase,
                SeededRandom& random)
{
    painter.save();
    painter.setClipRect(area);
    painter.setPen(Qt::NoPen);
    QLinearGradient sand(area.topLeft(), area.bottomLeft());
    sand.setColorAt(0.0, Lit(light, QColor(0xC9B48A)));
    sand.setColorAt(0.25, Lit(light, QColor(0xE6D3A8)));
    sand.setColorAt(1.0, Lit(light, QColor(0xF0E0BA)));
    painter.fillRect(area, sand);

    // The last wave runs up the beach and back: its foam edge moves with the phase.
    const double unit = std::min(area.width(), area.height() * 4) / 1000.0;
    const double reach = area.top() + area.height() * (0.18 + 0.08 * std::sin(phase * 2 * std::numbers::pi));
    QPainterPath wave;
    wave.moveTo(area.left(), area.top());
    const int steps = 40;
    for (int i = 0; i <= steps; ++i) {
        const double x = area.left() + area.width() * i / steps;
        const double y = reach + std::sin(i * 0.9 + phase * 2 * std::numbers::pi) * unit * 8
            + std::sin(i * 0.37) * unit * 14;
        wave.lineTo(x, y);
    }
    wave.lineTo(area.right(), area.top());
    wave.closeSubpath();
    painter.setBrush(WithAlpha(Lit(light, QColor(0x8FD3D0)), 150));
    painter.drawPath(wave);
    // Wet sand just below the foam, darker.
    painter.setBrush(WithAlpha(Lit(light, QColor(0xA8936C)), 70));
    painter.translate(0, unit * 10);
    painter.drawPath(wave);
    painter.translate(0, -unit * 10);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 210), unit * 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath foam;
    for (int i = 0; i <= steps; ++i) {
        const double x = area.left() + area.width() * i / steps;
        const double y = reach + std::sin(i * 0.9 + phase * 2 * std::numbers::pi) * unit * 8
            + std::sin(i * 0.37) * unit * 14;
        if (i == 0)
            foam.moveTo(x, y);
        else
            foam.lineTo(x, y);
    }
    painter.drawPath(foam);
    // Pebbles and shells.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const double depth = random.Uniform(0.35, 1.0);
        const QPointF at(random.Uniform(area.left(), area.right()), area.top() + area.height() * depth);
        const double radius = unit * random.Uniform(1.5, 4.0) * depth;
        painter.setBrush(Lit(light, random.Chance(0.5) ? QColor(0xB9A27A) : QColor(0xFFF4E0)));
        painter.drawEllipse(at, radius * 1.3, radius);
    }
    painter.restore();
}

void PaintSailboat(QPainter& painter, QPointF base, double height, const SceneLight& light)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    QPainterPath hull;
    hull.moveTo(base + QPointF(-height * 0.45, -height * 0.12));
    hull.lineTo(base + QPointF(height * 0.45, -height * 0.12));
    hull.lineTo(base + QPointF(height * 0.32, 0));
    hull.lineTo(base + QPointF(-height * 0.3, 0));
    hull.closeSubpath();
    painter.setBrush(Lit(light, QColor(0x7A3B2E)));
    painter.drawPath(hull);
    painter.setPen(QPen(Lit(light, QColor(0x4A3A30)), height * 0.02));
    painter.drawLine(base + QPointF(0, -height * 0.12), base + QPointF(0, -height));
    painter.setPen(Qt::NoPen);
    QPainterPath mainSail;
    mainSail.moveTo(base + QPointF(height * 0.02, -height * 0.97));
    mainSail.quadTo(base + QPointF(height * 0.3, -height * 0.5),
                    base + QPointF(height * 0.36, -height * 0.17));
    mainSail.lineTo(base + QPointF(height * 0.02, -height * 0.17));
    mainSail.closeSubpath();
    painter.setBrush(Lit(light, QColor(0xFBF8F0)));
    painter.drawPath(mainSail);
    QPainterPath jib;
    jib.moveTo(base + QPointF(-height * 0.02, -height * 0.9));
    jib.quadTo(base + QPointF(-height * 0.2, -height * 0.45), base + QPointF(-height * 0.3, -height * 0.17));
    jib.lineTo(base + QPointF(-height * 0.02, -height * 0.17));
    jib.closeSubpath();
    painter.setBrush(Lit(light, QColor(0xE8E2D6)));
    painter.drawPath(jib);
    painter.restore();
}
