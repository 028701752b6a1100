#include "sky_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

double Scale(const QRectF& area)
{
    return std::min(area.width(), area.height() * 1.6);
}

// One puff of a heaped cloud: lit on top, shaded below, soft at the rim.
void PaintPuff(QPainter& painter, QPointF centre, double radius, double flatten, const SceneLight& light,
               double alpha)
{
    QRadialGradient gradient(centre + QPointF(-radius * 0.2, -radius * 0.35), radius * 1.1);
    gradient.setColorAt(0.0, WithAlpha(light.cloudLit, static_cast<int>(245 * alpha)));
    gradient.setColorAt(
        0.55, WithAlpha(Mix(light.cloudLit, light.cloudShade, 0.35), static_cast<int>(225 * alpha)));
    gradient.setColorAt(0.85, WithAlpha(light.cloudShade, static_cast<int>(150 * alpha)));
    gradient.setColorAt(1.0, WithAlpha(light.cloudShade, 0));
    painter.setBrush(gradient);
    painter.drawEllipse(centre, radius, radius * flatten);
}

void PaintHeapedCloud(QPainter& painter, QPointF base, double width, const SceneLight& light,
                      SeededRandom& random)
{
    const int puffs = 7 + random.Below(7);
    const double alpha = random.Uniform(0.75, 1.0);
    // Big puffs in the middle, small ones at the ends, all sitting on a common flat base.
    for (int i = 0; i < puffs; ++i) {
        const double t = (i + 0.5) / puffs;
        const double bulge = std::sin(t * std::numbers::pi);
        const double radius = width * (0.10 + 0.16 * bulge) * random.Uniform(0.8, 1.2);
        const QPointF centre(base.x() + (t - 0.5) * width,
                             base.y() - radius * 0.45 * bulge - random.Uniform(0, radius * 0.3));
        PaintPuff(painter, centre, radius, random.Uniform(0.6, 0.8), light, alpha);
    }
    // A second, smaller row on top.
    const int tops = 2 + random.Below(3);
    for (int i = 0; i < tops; ++i) {
        const double t = random.Uniform(0.3, 0.7);
        const double radius = width * random.Uniform(0.12, 0.2);
        const QPointF centre(base.x() + (t - 0.5) * width, base.y() - width * random.Uniform(0.18, 0.28));
        PaintPuff(painter, centre, radius, 0.8, light, alpha);
    }
}

void PaintLayeredCloud(QPainter& painter, QPointF centre, double width, const SceneLight& light,
                       SeededRandom& random)
{
    const int strands = 3 + random.Below(3);
    for (int i = 0; i < strands; ++i) {
        const QPointF at
            = centre + QPointF(random.Uniform(-0.3, 0.3) * width, random.Uniform(-0.04, 0.04) * width);
        const double length = width * random.Uniform(0.4, 0.9);
        const double thickness = length * random.Uniform(0.03, 0.06);
        QRadialGradient gradient(at, length / 2);
        gradient.setColorAt(0.0, WithAlpha(light.cloudLit, 200));
        gradient.setColorAt(0.6, WithAlpha(Mix(light.cloudLit, light.cloudShade, 0.5), 130));
        gradient.setColorAt(1.0, WithAlpha(light.cloudShade, 0));
        painter.save();
        painter.translate(at);
        painter.scale(1.0, thickness / (length / 2));
        painter.translate(-at);
        painter.setBrush(gradient);
        painter.drawEllipse(at, length / 2, length / 2);
        painter.restore();
    }
}

} // namespace

void PaintSky(QPainter& painter, const QRectF& area, const SceneLight& light)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, light.sky[0]);
    gradient.setColorAt(0.45, light.sky[1]);
    gradient.setColorAt(0.8, light.sky[2]);
    gradient.setColorAt(1.0, light.sky[3]);
    painter.fillRect(area, gradient);
}

void PaintStars(QPainter& painter, const QRectF& area, const SceneLight& light, SeededRandom& random)
{
    if (light.stars <= 0)
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    const double unit = Scale(area) / 1000.0;
    const int count
        = static_cast<int>(light.stars * area.width() * area.height() / (1400.0 * unit * unit + 1.0));
    for (int i = 0; i < count; ++i) {
        const QPointF at(random.Uniform(area.left(), area.right()),
                         random.Uniform(area.top(), area.bottom()));
        const double height = (at.y() - area.top()) / area.height();
        const double bright = random.Uniform(0.2, 1.0);
        const double radius = unit * (bright > 0.93 ? random.Uniform(1.4, 2.4) : random.Uniform(0.5, 1.3));
        const int alpha = static_cast<int>(255 * bright * light.stars * (1.0 - 0.85 * height));
        const QColor colour = random.Chance(0.2) ? QColor(0xFFE6C8)
            : random.Chance(0.25)                ? QColor(0xCFE0FF)
                                                 : QColor(Qt::white);
        painter.setBrush(WithAlpha(colour, alpha));
        painter.drawEllipse(at, radius, radius);
        if (bright > 0.97) {
            // A few bright stars sparkle.
            painter.setPen(QPen(WithAlpha(colour, alpha / 2), unit * 0.5));
            painter.drawLine(at - QPointF(radius * 3, 0), at + QPointF(radius * 3, 0));
            painter.drawLine(at - QPointF(0, radius * 3), at + QPointF(0, radius * 3));
            painter.setPen(Qt::NoPen);
        }
    }
    painter.restore();
}

QPointF SunPosition(const QRectF& area, const SceneLight& light, double across)
{
    return {area.left() + area.width() * across, area.bottom() - area.height() * light.sunHeight};
}

void PaintSun(QPainter& painter, const QRectF& area, QPointF centre, double radius, const SceneLight& light)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setClipRect(area);
    const double glowRadius = std::max(area.width(), area.height()) * (light.sunHeight < 0.3 ? 0.75 : 0.45);
    QRadialGradient glow(centre, glowRadius);
    glow.setColorAt(0.0, WithAlpha(light.glow, 190));
    glow.setColorAt(0.15, WithAlpha(light.glow, 110));
    glow.setColorAt(0.5, WithAlpha(light.glow, 35));
    glow.setColorAt(1.0, WithAlpha(light.glow, 0));
    painter.setBrush(glow);
    painter.drawEllipse(centre, glowRadius, glowRadius);
    if (light.sunHeight >= -0.02) {
        QRadialGradient disc(centre, radius);
        disc.setColorAt(0.0, Qt::white);
        disc.setColorAt(0.7, light.sun);
        disc.setColorAt(1.0, Mix(light.sun, light.glow, 0.4));
        painter.setBrush(disc);
        painter.drawEllipse(centre, radius, radius);
    }
    painter.restore();
}

void PaintMoon(QPainter& painter, QPointF centre, double radius, const SceneLight& light,
               SeededRandom& random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    QRadialGradient glow(centre, radius * 6);
    glow.setColorAt(0.0, WithAlpha(light.glow, 120));
    glow.setColorAt(0.3, WithAlpha(light.glow, 40));
    glow.setColorAt(1.0, WithAlpha(light.glow, 0));
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius * 6, radius * 6);

    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    if (random.Chance(0.5)) {
        // A waxing crescent or a gibbous moon: the dark part cut away.
        QPainterPath shadow;
        const double offset = radius * random.Uniform(0.55, 1.1);
        shadow.addEllipse(centre + QPointF(-offset, -offset * 0.25), radius * 1.05, radius * 1.05);
        disc = disc.subtracted(shadow);
    }
    QRadialGradient face(centre + QPointF(-radius * 0.3, -radius * 0.3), radius * 1.4);
    face.setColorAt(0.0, QColor(0xFFFDF2));
    face.setColorAt(1.0, light.sun.darker(112));
    painter.setBrush(face);
    painter.drawPath(disc);
    // Seas on the face, faint.
    painter.setClipPath(disc);
    painter.setBrush(QColor(150, 150, 140, 45));
    for (int i = 0; i < 6; ++i) {
        const QPointF at
            = centre + QPointF(random.Uniform(-0.6, 0.6) * radius, random.Uniform(-0.6, 0.6) * radius);
        painter.drawEllipse(at, radius * random.Uniform(0.1, 0.3), radius * random.Uniform(0.1, 0.25));
    }
    painter.restore();
}

void PaintClouds(QPainter& painter, const QRectF& area, const SceneLight& light, SeededRandom& random,
                 int count, bool layered)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setClipRect(area);
    for (int i = 0; i < count; ++i) {
        const double x = area.left() + area.width() * random.Uniform(-0.05, 1.05);
        if (layered) {
            const double y = area.top() + area.height() * random.Uniform(0.45, 0.88);
            PaintLayeredCloud(painter, QPointF(x, y), Scale(area) * random.Uniform(0.35, 0.7), light, random);
        } else {
            const double y = area.top() + area.height() * random.Uniform(0.25, 0.75);
            // Clouds further away (lower in the sky) are smaller.
            const double size
                = Scale(area) * random.Uniform(0.16, 0.32) * (1.2 - 0.6 * (y - area.top()) / area.height());
            PaintHeapedCloud(painter, QPointF(x, y), size, light, random);
        }
    }
    painter.restore();
}

void PaintBirds(QPainter& painter, const QRectF& area, const QColor& colour, SeededRandom& random, int count)
{
    painter.save();
    const double unit = Scale(area) / 1000.0;
    const QPointF flock(area.left() + area.width() * random.Uniform(0.15, 0.75),
                        area.top() + area.height() * random.Uniform(0.2, 0.5));
    for (int i = 0; i < count; ++i) {
        const QPointF at = flock + QPointF(random.Uniform(-60, 60), random.Uniform(-25, 25)) * unit;
        const double span = unit * random.Uniform(7, 13);
        const double lift = span * random.Uniform(0.2, 0.5);
        QPainterPath bird;
        bird.moveTo(at + QPointF(-span, -lift));
        bird.quadTo(at + QPointF(-span * 0.4, -lift * 1.4), at);
        bird.quadTo(at + QPointF(span * 0.4, -lift * 1.4), at + QPointF(span, -lift));
        painter.setPen(QPen(colour, unit * 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(bird);
    }
    painter.restore();
}
