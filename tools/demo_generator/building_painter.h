#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include "scene_light.h"
#include "seeded_random.h"

class QPainter;

// Buildings: a city skyline with lit windows, a tall tower, a lighthouse and a small cabin.

// Buildings standing on the bottom edge of `area`, at most its height tall; `body` is their
// colour as it looks, `distance` (0 near, 1 far) makes windows smaller and dimmer.
void PaintSkyline(QPainter& painter, const QRectF& area, const QColor& body, double distance,
                  const SceneLight& light, SeededRandom& random);
// A television tower standing at `base`: shaft, observation pod, antenna with its red light.
void PaintTower(QPainter& painter, QPointF base, double height, const QColor& body, const SceneLight& light);
// A lighthouse on its rock: red and white bands, the gallery and the lantern (with a beam
// when the light is dim).
void PaintLighthouse(QPainter& painter, QPointF base, double height, const SceneLight& light);
// A wooden cabin with a lit window.
void PaintCabin(QPainter& painter, QPointF base, double width, const SceneLight& light);
