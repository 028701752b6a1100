#pragma once

#include <QPointF>
#include <QRectF>

#include "scene_light.h"
#include "seeded_random.h"

class QPainter;

// The sky of a scene: gradient, sun or moon with their glow, stars, clouds and birds. Every
// size is taken from the area, so a scene looks the same at every picture size.

// The sky from the top of `area` down to its bottom (the horizon).
void PaintSky(QPainter& painter, const QRectF& area, const SceneLight& light);
void PaintStars(QPainter& painter, const QRectF& area, const SceneLight& light, SeededRandom& random);
// The sun's or moon's glow and disc (and the glow alone when the sun is just below the horizon).
void PaintSun(QPainter& painter, const QRectF& area, QPointF centre, double radius, const SceneLight& light);
void PaintMoon(QPainter& painter, QPointF centre, double radius, const SceneLight& light,
               SeededRandom& random);
// Soft heaped clouds, or long thin ones near the horizon when `layered`.
void PaintClouds(QPainter& painter, const QRectF& area, const SceneLight& light, SeededRandom& random,
                 int count, bool layered);
void PaintBirds(QPainter& painter, const QRectF& area, const QColor& colour, SeededRandom& random, int count);

// Where the sun stands in a sky area for this light, left or right of the middle.
QPointF SunPosition(const QRectF& area, const SceneLight& light, double across);
