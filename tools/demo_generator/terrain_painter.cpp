#include "terrain_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// The ridge closed along the bottom edge.
QPolygonF LandPolygon(const QPolygonF& ridge, double bottom)
{
    QPolygonF polygon = ridge;
    polygon << QPointF(ridge.last().x(), bottom) << QPointF(ridge.first().x(), bottom);
    return polygon;
}

double TopOf(const QPolygonF& ridge)
{
    double top = ridge.first().y();
    for (const QPointF& point : ridge)
        top = std::min(top, point.y());
    return top;
}

// Midpoint displacement between two points, appending everything after `from`.
void Displace(std::vector<QPointF>& out, QPointF from, QPointF to, double spread, int levels,
              SeededRandom& random)
{
    if (levels == 0) {
        out.push_back(to);
        return;
    }
    const QPointF middle((from.x() + to.x()) / 2, (from.y() + to.y()) / 2 + random.Uniform(-spread, spread));
    Displace(out, from, middle, spread * 0.52, levels - 1, random);
    Displace(out, middle, to, spread * 0.52, levels - 1, random);
}

} // namespace

QPolygonF MountainRidge(double left, double right, double baseY, double height, SeededRandom& random)
{
    // A few peaks and saddles first, then the jagged detail between them.
    const int controls = 4 + random.Below(4);
    std::vector<QPointF> anchors;
    for (int i = 0; i <= controls; ++i) {
        const double x = left
            + (right - left) * (i + (i == 0 || i == controls ? 0.0 : random.Uniform(-0.3, 0.3))) / controls;
        const bool peak = i % 2 == 1;
        const double rise = peak ? random.Uniform(0.6, 1.0) : random.Uniform(0.15, 0.5);
        anchors.emplace_back(x, baseY - height * rise);
    }
    std::vector<QPointF> points = {anchors.front()};
    const double spread = (right - left) / controls * 0.22;
    for (std::size_t i = 0; i + 1 < anchors.size(); ++i)
        Displace(points, anchors[i], anchors[i + 1], spread, 6, random);
    return QPolygonF(QList<QPointF>(points.begin(), points.end()));
}

QPolygonF HillRidge(double left, double right, double baseY, double amplitude, SeededRandom& random)
{
    const double width = right - left;
    const double phase1 = random.Uniform(0, 2 * std::numbers::pi);
    const double phase2 = random.Uniform(0, 2 * std::numbers::pi);
    const double phase3 = random.Uniform(0, 2 * std::numbers::pi);
    const double waves = random.Uniform(0.8, 1.6);
    QPolygonF ridge;
    const int steps = 160;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double wave = 0.6 * std::sin(2 * std::numbers::pi * waves * t + phase1)
            + 0.3 * std::sin(2 * std::numbers::pi * 2.3 * waves * t + phase2)
            + 0.1 * std::sin(2 * std::numbers::pi * 5.1 * t + phase3);
        ridge << QPointF(left + width * t, baseY - amplitude * wave);
    }
    return ridge;
}

double RidgeY(const QPolygonF& ridge, double x)
{
    if (ridge.isEmpty())
        return 0;
    if (x <= ridge.first().x())
        return ridge.first().y();
    for (qsizetype i = 1; i < ridge.size(); ++i) {
        if (x <= ridge[i].x()) {
            const QPointF a = ridge[i - 1];
            const QPointF b = ridge[i];
            const double t = b.x() > a.x() ? (x - a.x()) / (b.x() - a.x()) : 0.0;
            return a.y() + (b.y() - a.y()) * t;
        }
    }
    return ridge.last().y();
}

void PaintLand(QPainter& painter, const QPolygonF& ridge, double bottom, const QColor& top, const QColor& low)
{
    QLinearGradient gradient(0, TopOf(ridge), 0, bottom);
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(1.0, low);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawPolygon(LandPolygon(ridge, bottom));
    painter.restore();
}

void PaintMountains(QPainter& painter, const QPolygonF& ridge, double bottom, const QColor& rock,
                    double distance, bool snow, bool sunFromLeft, const SceneLight& light,
                    SeededRandom& random)
{
    const double top = TopOf(ridge);
    const double height = bottom - top;
    const QColor near = Distant(light, rock, distance);
    PaintLand(painter, ridge, bottom, Mix(near, light.haze, 0.1), Mix(near, light.haze, 0.45));

    painter.save();
    painter.setPen(Qt::NoPen);
    QPainterPath body;
    body.addPolygon(LandPolygon(ridge, bottom));
    painter.setClipPath(body);

    if (snow) {
        // The snow line wanders a little; the snow is the lit colour of the sky's light.
        QPolygonF snowArea;
        const double snowLine = top + height * random.Uniform(0.28, 0.4);
        snowArea << QPointF(ridge.first().x(), top - 1);
        const int steps = 60;
        for (int i = 0; i <= steps; ++i) {
            const double x = ridge.first().x() + (ridge.last().x() - ridge.first().x()) * i / steps;
            snowArea << QPointF(x, snowLine + random.Uniform(-0.08, 0.08) * height);
        }
        snowArea << QPointF(ridge.last().x(), top - 1);
        const QColor snowColour = Distant(light, QColor(0xF4F7FB), distance * 0.6);
        QLinearGradient gradient(0, top, 0, snowLine + 0.1 * height);
        gradient.setColorAt(0.0, snowColour);
        gradient.setColorAt(0.8, WithAlpha(snowColour, 220));
        gradient.setColorAt(1.0, WithAlpha(snowColour, 0));
        painter.setBrush(gradient);
        painter.drawPolygon(snowArea);
    }

    // Shadowed faces: from each main peak down to the next main valley on the side away from
    // the sun. Only the main ones: the small teeth of the ridge would give stripes.
    const QColor shadow
        = WithAlpha(Mix(light.sky[1], QColor(0x202840), 0.6), static_cast<int>(90 * (1.0 - distance * 0.7)));
    painter.setBrush(shadow);
    const qsizetype count = ridge.size();
    const qsizetype window = std::max<qsizetype>(2, count / 14);
    const auto extreme = [&](qsizetype i, bool highest) {
        for (qsizetype k = std::max<qsizetype>(0, i - window); k <= std::min(count - 1, i + window); ++k) {
            if (highest ? ridge[k].y() < ridge[i].y() : ridge[k].y() > ridge[i].y())
                return false;
        }
        return true;
    };
    const int step = sunFromLeft ? 1 : -1;
    for (qsizetype i = 1; i + 1 < count; ++i) {
        if (!extreme(i, true) || ridge[i].y() > top + height * 0.7)
            continue;
        qsizetype j = i + step;
        while (j > 0 && j + 1 < count && !extreme(j, false))
            j += step;
        QPolygonF face;
        for (qsizetype k = i; k != j + step; k += step)
            face << ridge[k];
        face << QPointF(ridge[j].x(), bottom)
             << QPointF(ridge[i].x() + (ridge[j].x() - ridge[i].x()) * 0.35, bottom);
        painter.drawPolygon(face);
    }
    painter.restore();
}

void PaintMist(QPainter& painter, double left, double right, double y, double thickness, const QColor& colour)
{
    QLinearGradient gradient(0, y - thickness, 0, y + thickness * 0.3);
    gradient.setColorAt(0.0, WithAlpha(colour, 0));
    gradient.setColorAt(0.75, WithAlpha(colour, 150));
    gradient.setColorAt(1.0, WithAlpha(colour, 0));
    painter.fillRect(QRectF(left, y - thickness, right - left, thickness * 1.3), gradient);
}

void PaintGrass(QPainter& painter, const QRectF& area, const QColor& grass, const SceneLight& light,
                SeededRandom& random)
{
    painter.save();
    painter.setClipRect(area);
    // Blades grow taller towards the viewer.
    const double unit = std::min(area.width(), area.height() * 4) / 1000.0;
    const int blades = static_cast<int>(area.width() / std::max(unit, 0.3) * 1.6);
    for (int i = 0; i < blades; ++i) {
        const double depth = std::pow(random.Uniform(0, 1), 0.7);
        const QPointF root(random.Uniform(area.left(), area.right()), area.top() + area.height() * depth);
        const double length = unit * (6 + 30 * depth) * random.Uniform(0.6, 1.3);
        const double bend = length * random.Uniform(-0.4, 0.4);
        QColor colour = Lit(light, random.Chance(0.5) ? grass.lighter(125) : grass.darker(125));
        colour.setAlpha(200);
        QPainterPath blade;
        blade.moveTo(root);
        blade.quadTo(root + QPointF(bend * 0.3, -length * 0.6), root + QPointF(bend, -length));
        painter.setPen(QPen(colour, unit * (0.8 + 1.5 * depth), Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(blade);
    }
    painter.restore();
}

void PaintSnowField(QPainter& painter, const QPolygonF& ridge, double bottom, const SceneLight& light,
                    SeededRandom& random)
{
    const QColor snow = Lit(light, QColor(0xF6F9FD));
    const QColor shade = Lit(light, QColor(0xB9CBE3));
    PaintLand(painter, ridge, bottom, snow, Mix(snow, shade, 0.55));
    painter.save();
    QPainterPath body;
    body.addPolygon(LandPolygon(ridge, bottom));
    painter.setClipPath(body);
    painter.setPen(Qt::NoPen);
    // Drifts: soft blue hollows with a bright crest.
    const double width = ridge.last().x() - ridge.first().x();
    const double top = TopOf(ridge);
    for (int i = 0; i < 14; ++i) {
        const double depth = random.Uniform(0.05, 1.0);
        const QPointF centre(ridge.first().x() + width * random.Uniform(-0.1, 1.1),
                             top + (bottom - top) * depth);
        const double rx = width * random.Uniform(0.15, 0.35) * (0.4 + depth);
        const double ry = rx * random.Uniform(0.06, 0.12);
        QRadialGradient gradient(centre, rx);
        gradient.setColorAt(0.0, WithAlpha(shade, 120));
        gradient.setColorAt(1.0, WithAlpha(shade, 0));
        painter.save();
        painter.translate(centre);
        painter.scale(1.0, ry / rx);
        painter.translate(-centre);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, rx, rx);
        painter.restore();
    }
    painter.restore();
}

void PaintSnowfall(QPainter& painter, const QRectF& area, SeededRandom& random, int count)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double unit = std::min(area.width(), area.height()) / 1000.0;
    for (int i = 0; i < count; ++i) {
        const double near = std::pow(random.Uniform(0, 1), 3);
        const double radius = unit * (1.0 + 5.0 * near);
        painter.setBrush(QColor(255, 255, 255, static_cast<int>(120 + 100 * near)));
        painter.drawEllipse(
            QPointF(random.Uniform(area.left(), area.right()), random.Uniform(area.top(), area.bottom())),
            radius, radius);
    }
    painter.restore();
}
