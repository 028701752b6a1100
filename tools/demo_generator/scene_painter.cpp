#include "scene_painter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "building_painter.h"
#include "plant_painter.h"
#include "scene_light.h"
#include "seeded_random.h"
#include "sky_painter.h"
#include "terrain_painter.h"
#include "water_painter.h"

namespace {

// Everything a scene needs while it is painted: the canvas, its size, the light and the
// random generator (forked per part so that parts do not disturb each other's details).
class SceneCanvas {
public:
    SceneCanvas(const SceneSpec& description, QSize size)
        : spec(description)
        , image(size, QImage::Format_RGB32)
        , width(size.width())
        , height(size.height())
        , light(LightFor(spec.time))
        , random(spec.seed)
    {
        image.fill(Qt::black);
    }

    // A painter on the canvas; end it before the canvas is read (lakes mirror it).
    std::unique_ptr<QPainter> Painter()
    {
        auto painter = std::make_unique<QPainter>(&image);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        return painter;
    }

    // The length that a detail of `fraction` of the picture's shorter side has.
    double Unit(double fraction) const { return std::min(width, height) * fraction; }
    bool Portrait() const { return height > width; }
    bool Winter() const { return spec.season == Season::Winter; }
    // The snow on trees `distance` away, or no snow (transparent).
    QColor Snow(bool snowy, double distance) const
    {
        return snowy ? Distant(light, QColor(0xF4F7FB), distance) : QColor(Qt::transparent);
    }

    const SceneSpec& spec;
    QImage image;
    double width;
    double height;
    SceneLight light;
    SeededRandom random;
};

QColor GrassColour(Season season)
{
    switch (season) {
    case Season::Spring: return QColor(0x7DB446);
    case Season::Summer: return QColor(0x5A9A35);
    case Season::Autumn: return QColor(0xA2963F);
    case Season::Winter: return QColor(0xE8EEF5);
    }
    return QColor(0x5A9A35);
}

std::array<QColor, 4> FlowerColours(Season season)
{
    switch (season) {
    case Season::Spring: return {QColor(0xE8423F), QColor(0xF6D23A), QColor(0xF28DB2), QColor(0xFFFFFF)};
    case Season::Summer: return {QColor(0xE63B2E), QColor(0x4A7BE0), QColor(0xFFFFFF), QColor(0xF4C430)};
    case Season::Autumn: return {QColor(0x9B59B6), QColor(0xE67E22), QColor(0xF1C40F), QColor(0xFFFFFF)};
    case Season::Winter: return {QColor(0xFFFFFF), QColor(0xFFFFFF), QColor(0xFFFFFF), QColor(0xFFFFFF)};
    }
    return {QColor(0xFFFFFF), QColor(0xFFFFFF), QColor(0xFFFFFF), QColor(0xFFFFFF)};
}

const QColor kRock(0x6E7886);
const QColor kDarkRock(0x4E4A48);
const QColor kPine(0x2F5A3A);
const QColor kTrunk(0x5B3F2E);

// The sky down to the horizon with what is in it. Returns the x of the sun or the moon (for
// its path of light on water), or -1 when neither is up.
double PaintSkyPart(SceneCanvas& canvas, QPainter& painter, double horizon, int clouds, bool birds)
{
    const QRectF sky(0, 0, canvas.width, horizon);
    SeededRandom random = canvas.random.Fork(1);
    // Land that dips below the horizon shows the sky's lowest colour behind it.
    painter.fillRect(QRectF(0, horizon, canvas.width, canvas.height - horizon), canvas.light.sky[3]);
    PaintSky(painter, sky, canvas.light);
    PaintStars(painter, sky, canvas.light, random);
    const double across = random.Uniform(0.22, 0.78);
    const QPointF at = SunPosition(sky, canvas.light, across);
    double glitterX = -1;
    if (canvas.light.moon) {
        PaintMoon(painter, at, canvas.Unit(0.035), canvas.light, random);
        glitterX = at.x();
    } else if (canvas.light.sunHeight > -0.3) {
        PaintSun(painter, sky, at, canvas.Unit(canvas.light.sunHeight < 0.2 ? 0.055 : 0.04), canvas.light);
        if (canvas.light.sunHeight < 0.35)
            glitterX = at.x();
    }
    const bool layered = canvas.spec.time == DayTime::Sunset || canvas.spec.time == DayTime::Dawn
        || canvas.spec.time == DayTime::Dusk || canvas.spec.time == DayTime::Night;
    PaintClouds(painter, sky, canvas.light, random, clouds, layered);
    if (birds)
        PaintBirds(painter, sky, Mix(canvas.light.sky[0], QColor(0x101010), 0.7), random,
                   5 + random.Below(5));
    return glitterX;
}

void PaintMountainLake(SceneCanvas& canvas)
{
    const double horizon = canvas.height * (canvas.Portrait() ? 0.52 : 0.58);
    double glitterX = -1;
    {
        auto painter = canvas.Painter();
        glitterX
            = PaintSkyPart(canvas, *painter, horizon, 3 + canvas.random.Below(3), canvas.random.Chance(0.4));
        SeededRandom random = canvas.random.Fork(2);
        const bool sunLeft = glitterX < canvas.width / 2;
        const QPolygonF far = MountainRidge(0, canvas.width, horizon, canvas.height * 0.34, random);
        PaintMountains(*painter, far, horizon, kRock, 0.55,
                       canvas.spec.season != Season::Summer || random.Chance(0.6), sunLeft, canvas.light,
                       random);
        const QPolygonF near = MountainRidge(0, canvas.width, horizon, canvas.height * 0.17, random);
        PaintMountains(*painter, near, horizon, canvas.Winter() ? kRock : QColor(0x4F6B4E), 0.25,
                       canvas.Winter(), sunLeft, canvas.light, random);
        const QPolygonF shore
            = HillRidge(0, canvas.width, horizon - canvas.height * 0.012, canvas.height * 0.008, random);
        const QColor forest = Distant(canvas.light, kPine, 0.2);
        PaintLand(*painter, shore, horizon + 1, forest, forest.darker(120));
        PaintTreeLine(*painter, shore, canvas.height * 0.025, canvas.height * 0.05, canvas.width * 0.008,
                      forest, canvas.Snow(canvas.Winter(), 0.2), random);
        if (canvas.spec.time == DayTime::Dawn || canvas.spec.time == DayTime::Morning)
            PaintMist(*painter, 0, canvas.width, horizon, canvas.height * 0.05, canvas.light.haze);
    }
    SeededRandom water = canvas.random.Fork(3);
    PaintLake(canvas.image, horizon, canvas.height, canvas.light, glitterX, false, water);

    auto painter = canvas.Painter();
    SeededRandom random = canvas.random.Fork(4);
    if (random.Chance(0.5)) {
        const double boatHeight = canvas.height * 0.07;
        const double x = canvas.width * (0.25 + 0.5 * random.Uniform(0, 1));
        PaintSailboat(*painter, QPointF(x, horizon + canvas.height * 0.12), boatHeight, canvas.light);
    }
    // A grassy bank with a few tall pines in one corner frames the view.
    const bool left = random.Chance(0.5);
    const double bankTop = canvas.height * 0.9;
    QPolygonF bank = HillRidge(0, canvas.width, bankTop, canvas.height * 0.03, random);
    for (QPointF& point : bank) {
        const double side = left ? 1.0 - point.x() / canvas.width : point.x() / canvas.width;
        point.setY(point.y() + canvas.height * 0.12 * (1.0 - side) * (1.0 - side));
    }
    const QColor grass
        = canvas.Winter() ? GrassColour(Season::Winter) : GrassColour(canvas.spec.season).darker(115);
    PaintLand(*painter, bank, canvas.height, Lit(canvas.light, grass), Lit(canvas.light, grass.darker(140)));
    const QColor pine = Lit(canvas.light, kPine);
    for (int i = 0; i < 3; ++i) {
        const double x = canvas.width * (left ? 0.04 + 0.07 * i : 0.96 - 0.07 * i)
            + random.Uniform(-1, 1) * canvas.Unit(0.02);
        PaintPine(*painter, QPointF(x, RidgeY(bank, x) + canvas.Unit(0.01)),
                  canvas.height * random.Uniform(0.3, 0.5), pine, canvas.Snow(canvas.Winter(), 0.0), random);
    }
}

void PaintFlowerMeadow(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.52;
    PaintSkyPart(canvas, *painter, horizon + canvas.height * 0.05, 3 + canvas.random.Below(3),
                 canvas.random.Chance(0.5));
    SeededRandom random = canvas.random.Fork(2);
    const QColor grass = GrassColour(canvas.spec.season);
    const QPolygonF far = HillRidge(0, canvas.width, horizon, canvas.height * 0.05, random);
    PaintLand(*painter, far, canvas.height, Distant(canvas.light, grass.darker(120), 0.55),
              Distant(canvas.light, grass, 0.4));
    PaintTreeLine(*painter, far, canvas.height * 0.015, canvas.height * 0.03, canvas.width * 0.03,
                  Distant(canvas.light, kPine, 0.45), canvas.Snow(false, 0.0), random);
    const QPolygonF middle
        = HillRidge(0, canvas.width, horizon + canvas.height * 0.06, canvas.height * 0.035, random);
    PaintLand(*painter, middle, canvas.height, Distant(canvas.light, grass, 0.25),
              Distant(canvas.light, grass, 0.15));
    for (int i = 0; i < 4; ++i) {
        const double x = canvas.width * random.Uniform(0.05, 0.95);
        PaintBroadleaf(*painter, QPointF(x, RidgeY(middle, x) + canvas.height * 0.01),
                       canvas.height * random.Uniform(0.08, 0.14),
                       CanopyColours(canvas.spec.season, false, random), kTrunk, random);
    }
    const QPolygonF near
        = HillRidge(0, canvas.width, horizon + canvas.height * 0.13, canvas.height * 0.02, random);
    PaintLand(*painter, near, canvas.height, Lit(canvas.light, grass.lighter(108)),
              Lit(canvas.light, grass.darker(125)));
    double lowest = 0;
    for (const QPointF& point : near)
        lowest = std::max(lowest, point.y());
    const QRectF field(0, lowest, canvas.width, canvas.height - lowest);
    PaintFlowers(*painter, field, FlowerColours(canvas.spec.season),
                 static_cast<int>(900 * canvas.width / canvas.height), canvas.light, random);
    PaintGrass(*painter, QRectF(0, canvas.height * 0.93, canvas.width, canvas.height * 0.07), grass,
               canvas.light, random);
}

void PaintPineForest(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.55;
    PaintSkyPart(canvas, *painter, horizon, 2 + canvas.random.Below(3), false);
    SeededRandom random = canvas.random.Fork(2);
    const bool snow = canvas.Winter();
    const QPolygonF far = MountainRidge(0, canvas.width, horizon, canvas.height * 0.22, random);
    PaintMountains(*painter, far, horizon + canvas.height * 0.05, kRock, 0.5,
                   snow || canvas.spec.season == Season::Spring, true, canvas.light, random);
    const QPolygonF hill
        = HillRidge(0, canvas.width, horizon + canvas.height * 0.03, canvas.height * 0.025, random);
    const QColor grass = GrassColour(canvas.spec.season);
    if (snow)
        PaintSnowField(*painter, hill, canvas.height, canvas.light, random);
    else
        PaintLand(*painter, hill, canvas.height, Distant(canvas.light, grass, 0.3),
                  Lit(canvas.light, grass.darker(110)));
    PaintTreeLine(*painter, hill, canvas.height * 0.04, canvas.height * 0.08, canvas.width * 0.025,
                  Distant(canvas.light, kPine, 0.3), canvas.Snow(snow, 0.3), random);
    const QPolygonF ground = HillRidge(0, canvas.width, canvas.height * 0.8, canvas.height * 0.02, random);
    if (snow)
        PaintSnowField(*painter, ground, canvas.height, canvas.light, random);
    else
        PaintLand(*painter, ground, canvas.height, Lit(canvas.light, grass),
                  Lit(canvas.light, grass.darker(150)));
    // Middle row, then the tall pines in front, from the back to the front.
    for (int i = 0; i < 5; ++i) {
        const double x = canvas.width * random.Uniform(0.0, 1.0);
        PaintPine(*painter, QPointF(x, RidgeY(ground, x) - canvas.height * 0.05),
                  canvas.height * random.Uniform(0.15, 0.25), Distant(canvas.light, kPine, 0.12),
                  canvas.Snow(snow, 0.12), random);
    }
    const int tall = canvas.Portrait() ? 3 : 4;
    for (int i = 0; i < tall; ++i) {
        const double x = canvas.width * ((i + 0.5) / tall + random.Uniform(-0.08, 0.08));
        PaintPine(*painter, QPointF(x, RidgeY(ground, x) + canvas.height * random.Uniform(0.03, 0.12)),
                  canvas.height * random.Uniform(0.45, 0.72), Lit(canvas.light, kPine.darker(110)),
                  canvas.Snow(snow, 0.0), random);
    }
    if (snow)
        PaintSnowfall(*painter, QRectF(0, 0, canvas.width, canvas.height), random, 500);
    else
        PaintGrass(*painter, QRectF(0, canvas.height * 0.9, canvas.width, canvas.height * 0.1), grass,
                   canvas.light, random);
}

void PaintBlossomTree(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.6;
    PaintSkyPart(canvas, *painter, horizon, 3, canvas.random.Chance(0.5));
    SeededRandom random = canvas.random.Fork(2);
    const QColor grass = GrassColour(Season::Spring);
    const QPolygonF far = HillRidge(0, canvas.width, horizon, canvas.height * 0.04, random);
    PaintLand(*painter, far, canvas.height, Distant(canvas.light, grass.darker(115), 0.5),
              Distant(canvas.light, grass, 0.3));
    const QPolygonF meadow
        = HillRidge(0, canvas.width, horizon + canvas.height * 0.1, canvas.height * 0.015, random);
    PaintLand(*painter, meadow, canvas.height, Lit(canvas.light, grass.lighter(110)),
              Lit(canvas.light, grass.darker(130)));
    for (int i = 0; i < 3; ++i) {
        const double x = canvas.width * random.Uniform(0.05, 0.95);
        PaintBroadleaf(*painter, QPointF(x, RidgeY(far, x) + canvas.height * 0.02), canvas.height * 0.07,
                       CanopyColours(Season::Spring, random.Chance(0.5), random), kTrunk, random);
    }
    const double x = canvas.width * random.Uniform(0.42, 0.58);
    const double base = canvas.height * 0.86;
    // The tree's petals on the grass around it.
    painter->setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        const QPointF at(x + random.Uniform(-0.45, 0.45) * canvas.width,
                         base + random.Uniform(-0.05, 0.12) * canvas.height);
        painter->setBrush(WithAlpha(QColor(0xFBD3E0), 200));
        painter->drawEllipse(at, canvas.Unit(0.004), canvas.Unit(0.003));
    }
    PaintBroadleaf(*painter, QPointF(x, base), canvas.height * 0.66,
                   CanopyColours(Season::Spring, true, random), kTrunk.darker(110), random);
    PaintFlowers(*painter, QRectF(0, canvas.height * 0.85, canvas.width, canvas.height * 0.15),
                 FlowerColours(Season::Spring), 150, canvas.light, random);
}

// Hills in layers, fading into the light behind them.
void PaintRollingHills(SceneCanvas& canvas, QPainter& painter, double horizon, int layers, bool autumnTrees)
{
    SeededRandom random = canvas.random.Fork(2);
    const QColor grass = GrassColour(canvas.spec.season);
    for (int i = 0; i < layers; ++i) {
        const double t = static_cast<double>(i) / (layers - 1);
        const double distance = 0.75 * (1.0 - t);
        const double y = horizon + (canvas.height - horizon) * 0.65 * t;
        const QPolygonF ridge = HillRidge(0, canvas.width, y, canvas.height * (0.05 - 0.02 * t), random);
        const QColor colour = Distant(canvas.light, grass.darker(100 + 15 * i), distance);
        PaintLand(painter, ridge, canvas.height, colour, colour.darker(125));
        if (i == layers - 2 || (autumnTrees && i == layers - 3)) {
            const int trees = 5 + random.Below(5);
            for (int j = 0; j < trees; ++j) {
                const double x = canvas.width * random.Uniform(0, 1);
                const double size = canvas.height * (0.06 + 0.08 * t) * random.Uniform(0.7, 1.2);
                std::array<QColor, 3> canopy = CanopyColours(canvas.spec.season, false, random);
                for (QColor& tone : canopy)
                    tone = Distant(canvas.light, tone, distance);
                PaintBroadleaf(painter, QPointF(x, RidgeY(ridge, x) + size * 0.1), size, canopy,
                               Distant(canvas.light, kTrunk, distance), random);
            }
        }
    }
}

void PaintSunsetHills(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.6;
    PaintSkyPart(canvas, *painter, horizon + canvas.height * 0.05, 4, true);
    PaintRollingHills(canvas, *painter, horizon, 5, false);
}

void PaintAutumnHills(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.5;
    PaintSkyPart(canvas, *painter, horizon + canvas.height * 0.05, 3 + canvas.random.Below(2),
                 canvas.random.Chance(0.5));
    PaintRollingHills(canvas, *painter, horizon, 4, true);
    SeededRandom random = canvas.random.Fork(5);
    // Big trees in front, each in its own autumn colour.
    const int trees = 3;
    for (int i = 0; i < trees; ++i) {
        const double x = canvas.width * ((i + 0.5) / trees + random.Uniform(-0.1, 0.1));
        PaintBroadleaf(*painter, QPointF(x, canvas.height * random.Uniform(0.93, 1.02)),
                       canvas.height * random.Uniform(0.35, 0.5),
                       CanopyColours(Season::Autumn, false, random), kTrunk, random);
    }
    PaintGrass(*painter, QRectF(0, canvas.height * 0.92, canvas.width, canvas.height * 0.08),
               GrassColour(Season::Autumn), canvas.light, random);
}

void PaintBeachScene(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.5;
    const double shore = canvas.height * 0.72;
    const double glitterX = PaintSkyPart(canvas, *painter, horizon, 3 + canvas.random.Below(3), true);
    SeededRandom random = canvas.random.Fork(2);
    SeededRandom waves = canvas.random.Fork(3);
    PaintSea(*painter, QRectF(0, horizon, canvas.width, shore - horizon + 1), canvas.light, glitterX,
             canvas.spec.phase, waves);
    SeededRandom sand = canvas.random.Fork(4);
    PaintBeach(*painter, QRectF(0, shore, canvas.width, canvas.height - shore), canvas.light,
               canvas.spec.phase, sand);
    // A boat crossing the bay (it sails along in a movie) and a palm leaning in from one side.
    const double boatX = canvas.width * (0.15 + 0.6 * random.Uniform(0, 1) + 0.25 * canvas.spec.phase);
    PaintSailboat(*painter, QPointF(boatX, horizon + canvas.height * 0.035), canvas.height * 0.07,
                  canvas.light);
    const bool left = random.Chance(0.5);
    const double x = canvas.width * (left ? 0.1 : 0.9);
    PaintPalm(*painter, QPointF(x, canvas.height * 0.97), canvas.height * 0.78,
              Lit(canvas.light, QColor(0x8A6A4A)), Lit(canvas.light, QColor(0x3E8A3A)), !left, random);
}

void PaintLighthouseScene(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.6;
    const double glitterX = PaintSkyPart(canvas, *painter, horizon, 3, true);
    SeededRandom random = canvas.random.Fork(2);
    SeededRandom waves = canvas.random.Fork(3);
    PaintSea(*painter, QRectF(0, horizon, canvas.width, canvas.height - horizon), canvas.light, glitterX, 0.0,
             waves);
    // A rocky headland from one side, grass on top, the lighthouse near its end.
    const double start = canvas.width * (canvas.Portrait() ? 0.25 : 0.45);
    QPolygonF cliff;
    cliff << QPointF(start, canvas.height);
    const int steps = 40;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double x = start + (canvas.width - start) * t;
        const double rise = std::min(1.0, t * 3.0);
        cliff << QPointF(x, canvas.height * (0.8 - 0.12 * rise) + random.Uniform(-1, 1) * canvas.Unit(0.01));
    }
    cliff << QPointF(canvas.width, canvas.height);
    PaintLand(*painter, cliff, canvas.height, Lit(canvas.light, kDarkRock.lighter(130)),
              Lit(canvas.light, kDarkRock.darker(130)));
    // Grass on the top of the rock, foam at its foot.
    QPolygonF top;
    for (int i = 0; i <= steps; ++i) {
        const QPointF point = cliff[i + 1];
        top << point;
    }
    for (int i = steps; i >= 0; --i)
        top << cliff[i + 1] + QPointF(0, canvas.Unit(0.03) * (i > 3 ? 1.0 : i / 3.0));
    painter->setPen(Qt::NoPen);
    painter->setBrush(Lit(canvas.light, GrassColour(Season::Summer)));
    painter->drawPolygon(top);
    // Surf breaking at the foot of the rock.
    QRadialGradient spray(QPointF(start, canvas.height * 0.9), canvas.Unit(0.1));
    spray.setColorAt(0.0, QColor(255, 255, 255, 110));
    spray.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter->save();
    painter->setClipRect(QRectF(0, 0, start, canvas.height));
    painter->setBrush(spray);
    painter->drawEllipse(QPointF(start, canvas.height * 0.9), canvas.Unit(0.1), canvas.Unit(0.1));
    painter->restore();
    painter->setBrush(Qt::NoBrush);
    for (int i = 0; i < 16; ++i) {
        const double y = canvas.height * random.Uniform(0.8, 1.0);
        const double length = canvas.Unit(random.Uniform(0.03, 0.12));
        QPainterPath foam;
        foam.moveTo(start - length, y);
        foam.quadTo(start - length * 0.5, y - canvas.Unit(0.005), start, y - canvas.Unit(0.002));
        painter->setPen(QPen(QColor(255, 255, 255, 90 + random.Below(110)),
                             canvas.Unit(random.Uniform(0.003, 0.008)), Qt::SolidLine, Qt::RoundCap));
        painter->drawPath(foam);
    }
    const double towerX = start + (canvas.width - start) * 0.55;
    PaintLighthouse(*painter, QPointF(towerX, RidgeY(cliff, towerX) + canvas.Unit(0.01)),
                    canvas.height * (canvas.Portrait() ? 0.42 : 0.45), canvas.light);
}

void PaintCityAtNight(SceneCanvas& canvas, bool tower)
{
    const double horizon = canvas.height * (tower ? 0.74 : 0.64);
    {
        auto painter = canvas.Painter();
        PaintSkyPart(canvas, *painter, horizon, 1 + canvas.random.Below(2), false);
        SeededRandom random = canvas.random.Fork(2);
        const QColor far = Mix(canvas.light.sky[2], QColor(0x1A2238), 0.45);
        PaintSkyline(*painter, QRectF(0, horizon - canvas.height * 0.3, canvas.width, canvas.height * 0.3),
                     far, 0.7, canvas.light, random);
        if (tower)
            PaintTower(*painter, QPointF(canvas.width * random.Uniform(0.45, 0.6), horizon),
                       canvas.height * 0.68, Mix(canvas.light.sky[1], QColor(0x202030), 0.5), canvas.light);
        PaintSkyline(*painter, QRectF(0, horizon - canvas.height * 0.2, canvas.width, canvas.height * 0.2),
                     QColor(0x141A28), 0.15, canvas.light, random);
        // The embankment along the river.
        painter->fillRect(QRectF(0, horizon - canvas.Unit(0.008), canvas.width, canvas.Unit(0.008)),
                          QColor(0x10141E));
    }
    SeededRandom water = canvas.random.Fork(3);
    PaintLake(canvas.image, horizon, canvas.height, canvas.light, -1, false, water);
}

void PaintSnowyForest(SceneCanvas& canvas)
{
    auto painter = canvas.Painter();
    const double horizon = canvas.height * 0.55;
    PaintSkyPart(canvas, *painter, horizon, 2, false);
    SeededRandom random = canvas.random.Fork(2);
    const QPolygonF far = MountainRidge(0, canvas.width, horizon, canvas.height * 0.3, random);
    PaintMountains(*painter, far, horizon + canvas.height * 0.05, kRock, 0.45, true, true, canvas.light,
                   random);
    const QPolygonF hill
        = HillRidge(0, canvas.width, horizon + canvas.height * 0.04, canvas.height * 0.03, random);
    PaintSnowField(*painter, hill, canvas.height, canvas.light, random);
    PaintTreeLine(*painter, hill, canvas.height * 0.05, canvas.height * 0.1, canvas.width * 0.02,
                  Distant(canvas.light, kPine, 0.3), canvas.Snow(true, 0.3), random);
    const QPolygonF ground = HillRidge(0, canvas.width, canvas.height * 0.78, canvas.height * 0.03, random);
    PaintSnowField(*painter, ground, canvas.height, canvas.light, random);
    for (int i = 0; i < 6; ++i) {
        const double x = canvas.width * random.Uniform(0, 1);
        PaintPine(*painter, QPointF(x, RidgeY(ground, x) + canvas.height * 0.02),
                  canvas.height * random.Uniform(0.14, 0.24), Distant(canvas.light, kPine, 0.1),
                  canvas.Snow(true, 0.1), random);
    }
    for (int i = 0; i < 3; ++i) {
        const double x = canvas.width
            * (i == 0       ? random.Uniform(0.02, 0.15)
                   : i == 1 ? random.Uniform(0.82, 0.98)
                            : random.Uniform(0.3, 0.7));
        PaintPine(*painter, QPointF(x, canvas.height * random.Uniform(0.95, 1.02)),
                  canvas.height * random.Uniform(0.45, 0.62), Lit(canvas.light, kPine),
                  canvas.Snow(true, 0.0), random);
    }
    if (random.Chance(0.6))
        PaintSnowfall(*painter, QRectF(0, 0, canvas.width, canvas.height), random, 700);
}

void PaintWinterLake(SceneCanvas& canvas)
{
    const double horizon = canvas.height * 0.58;
    double glitterX = -1;
    {
        auto painter = canvas.Painter();
        glitterX = PaintSkyPart(canvas, *painter, horizon, 3, false);
        SeededRandom random = canvas.random.Fork(2);
        const QPolygonF far = MountainRidge(0, canvas.width, horizon, canvas.height * 0.2, random);
        PaintMountains(*painter, far, horizon, kRock, 0.5, true, glitterX < canvas.width / 2, canvas.light,
                       random);
        const QPolygonF shore
            = HillRidge(0, canvas.width, horizon - canvas.height * 0.02, canvas.height * 0.012, random);
        PaintSnowField(*painter, shore, horizon + 1, canvas.light, random);
        PaintTreeLine(*painter, shore, canvas.height * 0.03, canvas.height * 0.07, canvas.width * 0.012,
                      Distant(canvas.light, kPine, 0.25), canvas.Snow(true, 0.25), random);
    }
    SeededRandom ice = canvas.random.Fork(3);
    PaintLake(canvas.image, horizon, canvas.height, canvas.light, glitterX, true, ice);
    auto painter = canvas.Painter();
    SeededRandom random = canvas.random.Fork(4);
    const QPolygonF bank = HillRidge(0, canvas.width, canvas.height * 0.9, canvas.height * 0.03, random);
    PaintSnowField(*painter, bank, canvas.height, canvas.light, random);
}

void PaintNightLake(SceneCanvas& canvas)
{
    const double horizon = canvas.height * 0.6;
    double glitterX = -1;
    {
        auto painter = canvas.Painter();
        glitterX = PaintSkyPart(canvas, *painter, horizon, 1 + canvas.random.Below(2), false);
        SeededRandom random = canvas.random.Fork(2);
        const QPolygonF far = MountainRidge(0, canvas.width, horizon, canvas.height * 0.26, random);
        PaintMountains(*painter, far, horizon, kRock, 0.35, canvas.Winter(), glitterX < canvas.width / 2,
                       canvas.light, random);
        const QPolygonF shore
            = HillRidge(0, canvas.width, horizon - canvas.height * 0.015, canvas.height * 0.01, random);
        const QColor forest = Lit(canvas.light, kPine.darker(120));
        PaintLand(*painter, shore, horizon + 1, forest, forest);
        PaintTreeLine(*painter, shore, canvas.height * 0.04, canvas.height * 0.08, canvas.width * 0.012,
                      forest, canvas.Snow(canvas.Winter(), 0.3), random);
        const double cabinX = canvas.width
            * (glitterX < canvas.width / 2 ? random.Uniform(0.65, 0.85) : random.Uniform(0.15, 0.35));
        PaintCabin(*painter, QPointF(cabinX, horizon + 1), canvas.Unit(0.07), canvas.light);
    }
    SeededRandom water = canvas.random.Fork(3);
    PaintLake(canvas.image, horizon, canvas.height, canvas.light, glitterX, false, water);
}

} // namespace

QImage PaintScene(const SceneSpec& spec, QSize size)
{
    SceneCanvas canvas(spec, size);
    switch (spec.scene) {
    case DemoScene::MountainLake: PaintMountainLake(canvas); break;
    case DemoScene::FlowerMeadow: PaintFlowerMeadow(canvas); break;
    case DemoScene::PineForest: PaintPineForest(canvas); break;
    case DemoScene::BlossomTree: PaintBlossomTree(canvas); break;
    case DemoScene::SunsetHills: PaintSunsetHills(canvas); break;
    case DemoScene::AutumnHills: PaintAutumnHills(canvas); break;
    case DemoScene::Beach: PaintBeachScene(canvas); break;
    case DemoScene::Lighthouse: PaintLighthouseScene(canvas); break;
    case DemoScene::NightCity: PaintCityAtNight(canvas, false); break;
    case DemoScene::CityTower: PaintCityAtNight(canvas, true); break;
    case DemoScene::SnowyForest: PaintSnowyForest(canvas); break;
    case DemoScene::WinterLake: PaintWinterLake(canvas); break;
    case DemoScene::NightLake: PaintNightLake(canvas); break;
    }
    return canvas.image;
}
