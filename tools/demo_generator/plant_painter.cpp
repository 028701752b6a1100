#include "plant_painter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "terrain_painter.h"

namespace {

// One tier of a pine: a drooping triangle with a ragged lower edge.
QPainterPath PineTier(QPointF tip, double width, double height, SeededRandom& random)
{
    QPainterPath tier;
    tier.moveTo(tip);
    const QPointF left = tip + QPointF(-width / 2, height);
    const QPointF right = tip + QPointF(width / 2, height);
    tier.quadTo(tip + QPointF(-width * 0.2, height * 0.6), left);
    const int teeth = 5;
    for (int i = 1; i <= teeth; ++i) {
        const double x = left.x() + width * i / teeth;
        const double sag = height * random.Uniform(0.0, 0.12);
        tier.lineTo(QPointF(x - width / teeth / 2, left.y() - height * 0.12 + sag));
        tier.lineTo(QPointF(x, left.y() + sag * 0.3));
    }
    tier.quadTo(tip + QPointF(width * 0.2, height * 0.6), tip);
    tier.lineTo(right);
    return tier;
}

} // namespace

void PaintPine(QPainter& painter, QPointF base, double height, const QColor& colour, const QColor& snow,
               SeededRandom& random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double width = height * random.Uniform(0.36, 0.46);
    painter.setBrush(colour.darker(160));
    painter.drawRect(QRectF(base.x() - width * 0.05, base.y() - height * 0.15, width * 0.1, height * 0.15));
    const int tiers = 5 + random.Below(3);
    const double top = base.y() - height;
    for (int i = 0; i < tiers; ++i) {
        const double t = static_cast<double>(i) / tiers;
        const double tierTop = top + height * 0.85 * t * 0.92;
        const double tierHeight = height * 0.85 / tiers * 1.9;
        const double tierWidth = width * (0.3 + 0.7 * (t + 1.0 / tiers));
        const QPointF tip(base.x(), tierTop);
        const QPainterPath tier = PineTier(tip, tierWidth, tierHeight, random);
        // Lit on the left, shaded on the right.
        QLinearGradient gradient(tip + QPointF(-tierWidth / 2, 0), tip + QPointF(tierWidth / 2, 0));
        gradient.setColorAt(0.0, colour.lighter(122));
        gradient.setColorAt(0.55, colour);
        gradient.setColorAt(1.0, colour.darker(135));
        painter.setBrush(gradient);
        painter.drawPath(tier);
        if (snow.alpha() != 0) {
            // Snow lies on the upper side of each tier, more on the lit side.
            QPainterPath cap;
            cap.moveTo(tip);
            cap.quadTo(tip + QPointF(-tierWidth * 0.2, tierHeight * 0.35),
                       tip + QPointF(-tierWidth * 0.34, tierHeight * 0.58));
            cap.quadTo(tip + QPointF(-tierWidth * 0.05, tierHeight * 0.38),
                       tip + QPointF(tierWidth * 0.26, tierHeight * 0.45));
            cap.quadTo(tip + QPointF(tierWidth * 0.14, tierHeight * 0.3), tip);
            painter.setBrush(WithAlpha(snow, 235));
            painter.drawPath(cap);
        }
    }
    painter.restore();
}

void PaintBroadleaf(QPainter& painter, QPointF base, double height, const std::array<QColor, 3>& canopy,
                    const QColor& trunk, SeededRandom& random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double crownRadius = height * random.Uniform(0.28, 0.36);
    const QPointF crown(base.x(), base.y() - height + crownRadius);
    // Trunk and two branches.
    QPainterPath stem;
    const double trunkWidth = height * 0.05;
    stem.moveTo(base + QPointF(-trunkWidth, 0));
    stem.quadTo(base + QPointF(-trunkWidth * 0.5, -height * 0.3),
                crown + QPointF(-trunkWidth * 0.3, crownRadius * 0.3));
    stem.lineTo(crown + QPointF(trunkWidth * 0.3, crownRadius * 0.3));
    stem.quadTo(base + QPointF(trunkWidth * 0.5, -height * 0.3), base + QPointF(trunkWidth, 0));
    painter.setBrush(trunk);
    painter.drawPath(stem);
    painter.setPen(QPen(trunk, trunkWidth * 0.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(crown + QPointF(0, crownRadius * 0.6),
                     crown + QPointF(-crownRadius * 0.5, -crownRadius * 0.1));
    painter.drawLine(crown + QPointF(0, crownRadius * 0.4),
                     crown + QPointF(crownRadius * 0.45, -crownRadius * 0.2));
    painter.setPen(Qt::NoPen);
    // Leaf clusters: the shaded ones first (low and right), the lit ones last (high and left).
    for (int tone = 2; tone >= 0; --tone) {
        const int clusters = 7 + random.Below(4);
        for (int i = 0; i < clusters; ++i) {
            const double angle = random.Uniform(0, 2 * std::numbers::pi);
            const double reach = crownRadius * random.Uniform(0.1, 0.75);
            const QPointF offset(std::cos(angle) * reach, std::sin(angle) * reach * 0.8);
            const QPointF shift = QPointF(-0.18, -0.22) * crownRadius * (2 - tone);
            const double radius = crownRadius * random.Uniform(0.28, 0.45) * (tone == 0 ? 0.8 : 1.0);
            painter.setBrush(canopy[static_cast<std::size_t>(tone)]);
            painter.drawEllipse(crown + offset + shift, radius, radius * 0.9);
        }
    }
    painter.restore();
}

void PaintPalm(QPainter& painter, QPointF base, double height, const QColor& trunk, const QColor& leaves,
               bool leansLeft, SeededRandom& random)
{
    painter.save();
    const double lean = (leansLeft ? -1.0 : 1.0) * height * 0.25;
    const QPointF top = base + QPointF(lean, -height);
    // The trunk in rings, thinner towards the top.
    const int rings = 16;
    for (int i = 0; i < rings; ++i) {
        const double t = static_cast<double>(i) / rings;
        const double u = t + 1.0 / rings;
        const QPointF a = base + QPointF(lean * t * t, -height * t);
        const QPointF b = base + QPointF(lean * u * u, -height * u);
        painter.setPen(
            QPen(i % 2 ? trunk : trunk.darker(108), height * (0.045 - 0.02 * t), Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(a, b);
    }
    // Fronds: curved leaves hanging from the crown.
    painter.setPen(Qt::NoPen);
    const int fronds = 8;
    for (int i = 0; i < fronds; ++i) {
        const double angle = std::numbers::pi * (-0.05 + 1.1 * i / (fronds - 1)) + random.Uniform(-0.1, 0.1);
        const double length = height * random.Uniform(0.38, 0.5);
        const QPointF direction(-std::cos(angle), -std::sin(angle) * 0.55);
        const QPointF tip = top + direction * length + QPointF(0, length * 0.45);
        const QPointF control = top + direction * length * 0.6 - QPointF(0, length * 0.12);
        const QPointF normal(-direction.y(), direction.x());
        QPainterPath frond;
        frond.moveTo(top);
        frond.quadTo(control + normal * length * 0.09, tip);
        frond.quadTo(control - normal * length * 0.09, top);
        painter.setBrush(i % 2 ? leaves : leaves.darker(120));
        painter.drawPath(frond);
    }
    painter.setBrush(trunk.darker(140));
    painter.drawEllipse(top, height * 0.03, height * 0.03);
    painter.restore();
}

void PaintTreeLine(QPainter& painter, const QPolygonF& ridge, double minHeight, double maxHeight,
                   double spacing, const QColor& colour, const QColor& snow, SeededRandom& random)
{
    if (ridge.isEmpty() || spacing <= 0)
        return;
    for (double x = ridge.first().x() - spacing; x < ridge.last().x() + spacing;
         x += spacing * random.Uniform(0.5, 1.5)) {
        const double height = random.Uniform(minHeight, maxHeight);
        const QColor tone
            = random.Chance(0.5) ? colour : Mix(colour, colour.darker(130), random.Uniform(0, 1));
        PaintPine(painter, QPointF(x, RidgeY(ridge, x) + height * 0.08), height, tone, snow, random);
    }
}

void PaintFlowers(QPainter& painter, const QRectF& area, const std::array<QColor, 4>& colours, int count,
                  const SceneLight& light, SeededRandom& random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double unit = std::min(area.width(), area.height() * 3) / 1000.0;
    // Far flowers first so that near ones cover them.
    std::vector<double> depths(static_cast<std::size_t>(std::max(count, 0)));
    for (double& depth : depths)
        depth = std::pow(random.Uniform(0, 1), 0.85);
    std::sort(depths.begin(), depths.end());
    for (double depth : depths) {
        const QPointF centre(random.Uniform(area.left(), area.right()), area.top() + area.height() * depth);
        const double radius = unit * (1.5 + 11 * depth * depth) * random.Uniform(0.7, 1.3);
        const QColor petal = Lit(light, colours[static_cast<std::size_t>(random.Below(4))]);
        if (radius < unit * 3) {
            painter.setBrush(petal);
            painter.drawEllipse(centre, radius, radius * 0.8);
            continue;
        }
        // A stem and five petals around a yellow heart.
        painter.setPen(QPen(Lit(light, QColor(0x3F7A2A)), radius * 0.18));
        painter.drawLine(centre, centre + QPointF(radius * 0.2, radius * 2.2));
        painter.setPen(Qt::NoPen);
        const double turn = random.Uniform(0, 2 * std::numbers::pi);
        for (int i = 0; i < 5; ++i) {
            const double angle = turn + 2 * std::numbers::pi * i / 5;
            const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle) * 0.75) * radius * 0.55;
            painter.setBrush(i % 2 ? petal : petal.lighter(110));
            painter.drawEllipse(at, radius * 0.5, radius * 0.4);
        }
        painter.setBrush(Lit(light, QColor(0xF7C744)));
        painter.drawEllipse(centre, radius * 0.28, radius * 0.24);
    }
    painter.restore();
}

std::array<QColor, 3> CanopyColours(Season season, bool blossom, SeededRandom& random)
{
    if (blossom)
        return {QColor(0xFFE4EC), QColor(0xF6B6CB), QColor(0xD98AA6)};
    switch (season) {
    case Season::Spring: return {QColor(0xA8D66A), QColor(0x7DB548), QColor(0x4E8A30)};
    case Season::Summer: return {QColor(0x7FB04E), QColor(0x4F8A32), QColor(0x2F5E24)};
    case Season::Autumn: {
        // Every tree turns its own colour.
        static const std::array<std::array<QColor, 3>, 4> kAutumn = {{
            {QColor(0xF6C453), QColor(0xE09B2D), QColor(0xA8641C)},
            {QColor(0xF39A4A), QColor(0xD9622B), QColor(0x9C3A1D)},
            {QColor(0xE8674A), QColor(0xC0392B), QColor(0x7E2420)},
            {QColor(0xC9C25A), QColor(0xA39A35), QColor(0x6E6A26)},
        }};
        return kAutumn[static_cast<std::size_t>(random.Below(4))];
    }
    case Season::Winter: return {QColor(0x9A8B7C), QColor(0x7A6B5E), QColor(0x5A4E44)};
    }
    return {QColor(0x7FB04E), QColor(0x4F8A32), QColor(0x2F5E24)};
}
