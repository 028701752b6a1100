#pragma once

#include <array>

#include <QColor>

#include "demo_catalog.h"

// The light of a time of day: the sky's colours from the zenith down to the horizon, the sun or
// the moon, the clouds, and how land and water look under it.
struct SceneLight {
    std::array<QColor, 4> sky; // zenith, upper sky, lower sky, horizon
    QColor haze;               // what distant land fades into
    QColor sun;                // disc of the sun, or of the moon at night
    QColor glow;               // the glow around it
    QColor cloudLit;
    QColor cloudShade;
    QColor tint;        // the colour the light casts on land
    double tintAmount;  // 0: none, 1: land takes the tint's colour
    double brightness;  // land colours are multiplied by it
    QColor water;       // deep water
    QColor windowLight; // lit windows
    double sunHeight;   // 0 at the horizon, 1 at the top of the sky; below 0: under the horizon
    bool moon;          // the disc is the moon
    double stars;       // 0 none to 1 a clear night sky
    double litWindows;  // share of windows that are lit
};

SceneLight LightFor(DayTime time);

// a + (b - a) t per channel, alpha included.
QColor Mix(const QColor& a, const QColor& b, double t);
// The colour with another alpha (0 to 255).
QColor WithAlpha(QColor colour, int alpha);
// A land colour as the light shows it.
QColor Lit(const SceneLight& light, const QColor& base);
// A land colour far away: lit, then faded into the haze by `distance` (0 near, 1 gone).
QColor Distant(const SceneLight& light, const QColor& base, double distance);
