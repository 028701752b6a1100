#pragma once

#include <QColor>
#include <QPolygonF>
#include <QRectF>

#include "scene_light.h"
#include "seeded_random.h"

class QPainter;

// The ground of a scene: ridge lines of mountains and hills, the land below them, snow and
// meadows. A ridge is a polyline from the left edge to the right edge; y grows downwards.

// Jagged peaks around `baseY`, rising up to `height` above it.
QPolygonF MountainRidge(double left, double right, double baseY, double height, SeededRandom& random);
// Rolling hills: gentle waves of up to `amplitude` around `baseY`.
QPolygonF HillRidge(double left, double right, double baseY, double amplitude, SeededRandom& random);
// The ridge's y at x (linear between its points).
double RidgeY(const QPolygonF& ridge, double x);

// The land between the ridge and `bottom`, shaded from `top` (at the highest point) to `low`.
void PaintLand(QPainter& painter, const QPolygonF& ridge, double bottom, const QColor& top,
               const QColor& low);
// A mountain range: rock faces lit from the sun's side, with snow on the peaks when `snow`.
void PaintMountains(QPainter& painter, const QPolygonF& ridge, double bottom, const QColor& rock,
                    double distance, bool snow, bool sunFromLeft, const SceneLight& light,
                    SeededRandom& random);
// Soft mist lying on the land just above `y`.
void PaintMist(QPainter& painter, double left, double right, double y, double thickness,
               const QColor& colour);
// Blades of grass over land already painted, taller towards the bottom of the area.
void PaintGrass(QPainter& painter, const QRectF& area, const QColor& grass, const SceneLight& light,
                SeededRandom& random);
// Snow cover: white land with blue shadows in its hollows.
void PaintSnowField(QPainter& painter, const QPolygonF& ridge, double bottom, const SceneLight& light,
                    SeededRandom& random);
// Falling snow over the area.
void PaintSnowfall(QPainter& painter, const QRectF& area, SeededRandom& random, int count);
