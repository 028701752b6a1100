#include "building_painter.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

void PaintWindows(QPainter& painter, const QRectF& facade, double unit, double distance,
                  const SceneLight& light, SeededRandom& random)
{
    const double cell = unit * (14 - 7 * distance);
    const double window = cell * 0.55;
    const int columns = std::max(1, static_cast<int>((facade.width() - cell * 0.5) / cell));
    const int rows = std::max(1, static_cast<int>((facade.height() - cell) / (cell * 1.3)));
    const double margin = (facade.width() - columns * cell) / 2 + (cell - window) / 2;
    const double lit = light.litWindows * random.Uniform(0.6, 1.4);
    for (int row = 0; row < rows; ++row) {
        // Whole floors tend to be lit or dark together.
        const double floorLit = std::clamp(lit * random.Uniform(0.3, 1.8), 0.0, 0.95);
        for (int column = 0; column < columns; ++column) {
            const QRectF pane(facade.left() + margin + column * cell,
                              facade.top() + cell * 0.8 + row * cell * 1.3, window, window * 1.2);
            if (random.Chance(floorLit)) {
                const QColor glow = random.Chance(0.8) ? light.windowLight : QColor(0xCFE4FF);
                painter.setBrush(WithAlpha(glow, static_cast<int>(255 * (1.0 - 0.4 * distance))));
            } else {
                painter.setBrush(WithAlpha(Mix(light.sky[2], QColor(0x101420), 0.7), 150));
            }
            painter.drawRect(pane);
        }
    }
}

} // namespace

void PaintSkyline(QPainter& painter, const QRectF& area, const QColor& body, double distance,
                  const SceneLight& light, SeededRandom& random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double unit = std::min(area.width(), area.height() * 3) / 1000.0;
    double x = area.left() - unit * 20;
    while (x < area.right()) {
        const double width = area.width() * random.Uniform(0.035, 0.09);
        const double height
            = area.height() * (random.Chance(0.15) ? random.Uniform(0.7, 1.0) : random.Uniform(0.25, 0.65));
        const QRectF facade(x, area.bottom() - height, width, height);
        const QColor tone = Mix(body, body.lighter(135), random.Uniform(0, 0.5));
        QLinearGradient gradient(facade.topLeft(), facade.topRight());
        gradient.setColorAt(0.0, tone.lighter(112));
        gradient.setColorAt(1.0, tone.darker(115));
        painter.setBrush(gradient);
        painter.drawRect(facade);
        // Roofs: flat, stepped, or with an antenna.
        const int roof = random.Below(4);
        if (roof == 1) {
            painter.drawRect(
                QRectF(x + width * 0.2, facade.top() - height * 0.06, width * 0.6, height * 0.06));
        } else if (roof == 2) {
            painter.setPen(QPen(tone, unit * 1.5));
            const QPointF tip(x + width * 0.5, facade.top() - height * 0.18);
            painter.drawLine(QPointF(x + width * 0.5, facade.top()), tip);
            painter.setPen(Qt::NoPen);
            if (light.litWindows > 0.2) {
                painter.setBrush(QColor(0xFF3B30));
                painter.drawEllipse(tip, unit * 2.5, unit * 2.5);
            }
        }
        PaintWindows(painter, facade, unit, distance, light, random);
        x += width + unit * random.Uniform(0, 6);
    }
    painter.restore();
}

void PaintTower(QPainter& painter, QPointF base, double height, const QColor& body, const SceneLight& light)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double shaft = height * 0.035;
    QPainterPath trunk;
    trunk.moveTo(base + QPointF(-shaft * 1.6, 0));
    trunk.lineTo(base + QPointF(-shaft * 0.7, -height * 0.62));
    trunk.lineTo(base + QPointF(shaft * 0.7, -height * 0.62));
    trunk.lineTo(base + QPointF(shaft * 1.6, 0));
    trunk.closeSubpath();
    QLinearGradient gradient(base + QPointF(-shaft * 1.6, 0), base + QPointF(shaft * 1.6, 0));
    gradient.setColorAt(0.0, body.lighter(130));
    gradient.setColorAt(1.0, body.darker(120));
    painter.setBrush(gradient);
    painter.drawPath(trunk);
    // The pod with its ring of lit windows.
    const QPointF pod = base + QPointF(0, -height * 0.66);
    painter.drawEllipse(pod, shaft * 3.2, shaft * 1.6);
    painter.setBrush(WithAlpha(light.windowLight, 235));
    painter.drawRect(QRectF(pod.x() - shaft * 2.8, pod.y() - shaft * 0.35, shaft * 5.6, shaft * 0.7));
    painter.setBrush(body);
    painter.drawEllipse(pod + QPointF(0, -shaft * 1.3), shaft * 2.0, shaft * 0.8);
    painter.drawRect(QRectF(pod.x() - shaft * 0.5, pod.y() - height * 0.12, shaft, height * 0.1));
    // Antenna and its warning light.
    painter.setPen(QPen(body.lighter(120), shaft * 0.3));
    painter.drawLine(pod + QPointF(0, -height * 0.1), base + QPointF(0, -height));
    painter.setPen(Qt::NoPen);
    const QPointF lamp = base + QPointF(0, -height);
    QRadialGradient glow(lamp, shaft * 1.4);
    glow.setColorAt(0.0, QColor(255, 70, 50, 240));
    glow.setColorAt(0.4, QColor(255, 70, 50, 160));
    glow.setColorAt(1.0, QColor(255, 70, 50, 0));
    painter.setBrush(glow);
    painter.drawEllipse(lamp, shaft * 1.4, shaft * 1.4);
    painter.restore();
}

void PaintLighthouse(QPainter& painter, QPointF base, double height, const SceneLight& light)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double bottomWidth = height * 0.2;
    const double topWidth = height * 0.13;
    const double towerTop = base.y() - height * 0.78;
    // Bands from the bottom up.
    const int bands = 6;
    for (int i = 0; i < bands; ++i) {
        const double t0 = static_cast<double>(i) / bands;
        const double t1 = static_cast<double>(i + 1) / bands;
        const double y0 = base.y() - (base.y() - towerTop) * t0;
        const double y1 = base.y() - (base.y() - towerTop) * t1;
        const double w0 = bottomWidth + (topWidth - bottomWidth) * t0;
        const double w1 = bottomWidth + (topWidth - bottomWidth) * t1;
        QPolygonF band;
        band << QPointF(base.x() - w0 / 2, y0) << QPointF(base.x() + w0 / 2, y0)
             << QPointF(base.x() + w1 / 2, y1) << QPointF(base.x() - w1 / 2, y1);
        const QColor colour = Lit(light, i % 2 ? QColor(0xF4F1EA) : QColor(0xC7362F));
        QLinearGradient gradient(QPointF(base.x() - w0 / 2, 0), QPointF(base.x() + w0 / 2, 0));
        gradient.setColorAt(0.0, colour.lighter(110));
        gradient.setColorAt(0.6, colour);
        gradient.setColorAt(1.0, colour.darker(130));
        painter.setBrush(gradient);
        painter.drawPolygon(band);
    }
    // Gallery, lantern room and roof.
    const QColor iron = Lit(light, QColor(0x2F3437));
    painter.setBrush(iron);
    painter.drawRect(
        QRectF(base.x() - topWidth * 0.75, towerTop - height * 0.025, topWidth * 1.5, height * 0.025));
    const QRectF lantern(base.x() - topWidth * 0.38, towerTop - height * 0.12, topWidth * 0.76,
                         height * 0.095);
    const bool dim = light.brightness < 0.7;
    painter.setBrush(dim ? QColor(0xFFF2B0) : Lit(light, QColor(0xBFD8E6)));
    painter.drawRect(lantern);
    QPolygonF roof;
    roof << QPointF(lantern.left() - topWidth * 0.1, lantern.top())
         << QPointF(lantern.right() + topWidth * 0.1, lantern.top())
         << QPointF(base.x(), lantern.top() - height * 0.07);
    painter.setBrush(Lit(light, QColor(0xA3312B)));
    painter.drawPolygon(roof);
    if (dim) {
        // The beam sweeps out to the left, fading.
        const QPointF lamp = lantern.center();
        QPolygonF beam;
        beam << lamp << lamp + QPointF(-height * 1.6, -height * 0.12)
             << lamp + QPointF(-height * 1.6, height * 0.1);
        QLinearGradient fade(lamp, lamp + QPointF(-height * 1.6, 0));
        fade.setColorAt(0.0, QColor(255, 244, 200, 150));
        fade.setColorAt(1.0, QColor(255, 244, 200, 0));
        painter.setBrush(fade);
        painter.drawPolygon(beam);
        QRadialGradient glow(lamp, height * 0.12);
        glow.setColorAt(0.0, QColor(255, 250, 220, 230));
        glow.setColorAt(1.0, QColor(255, 240, 180, 0));
        painter.setBrush(glow);
        painter.drawEllipse(lamp, height * 0.12, height * 0.12);
    }
    painter.restore();
}

void PaintCabin(QPainter& painter, QPointF base, double width, const SceneLight& light)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    const double height = width * 0.55;
    painter.setBrush(Lit(light, QColor(0x7A4B2E)));
    painter.drawRect(QRectF(base.x() - width / 2, base.y() - height, width, height));
    QPolygonF roof;
    roof << QPointF(base.x() - width * 0.62, base.y() - height)
         << QPointF(base.x() + width * 0.62, base.y() - height)
         << QPointF(base.x(), base.y() - height - width * 0.42);
    painter.setBrush(Lit(light, QColor(0x4A2C22)));
    painter.drawPolygon(roof);
    const QRectF window(base.x() - width * 0.25, base.y() - height * 0.7, width * 0.2, height * 0.35);
    QRadialGradient glow(window.center(), width * 0.5);
    glow.setColorAt(0.0, WithAlpha(light.windowLight, 110));
    glow.setColorAt(1.0, WithAlpha(light.windowLight, 0));
    painter.setBrush(glow);
    painter.drawEllipse(window.center(), width * 0.5, width * 0.5);
    painter.setBrush(light.windowLight);
    painter.drawRect(window);
    painter.setBrush(Lit(light, QColor(0x3A2418)));
    painter.drawRect(QRectF(base.x() + width * 0.1, base.y() - height * 0.75, width * 0.22, height * 0.75));
    painter.restore();
}
