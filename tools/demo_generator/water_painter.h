#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include "scene_light.h"
#include "seeded_random.h"

class QImage;
class QPainter;

// Lakes and the sea. A lake mirrors what the canvas already shows above it, so it is painted
// onto the image itself once the land behind it is done.

// Mirrors the canvas above `horizonY` into the water below it, darkens it with the water's
// colour, adds ripples and, when `glitterX` lies inside the picture, the sun's or moon's path
// of light. Frozen water mirrors less and shows streaks in the ice instead of ripples.
void PaintLake(QImage& canvas, double horizonY, double bottomY, const SceneLight& light, double glitterX,
               bool frozen, SeededRandom& random);
// The open sea from the horizon down to `shoreY`: deep blue far away, turquoise near the beach,
// with lines of waves; `phase` (0 to 1) moves the waves for the frames of a movie.
void PaintSea(QPainter& painter, const QRectF& area, const SceneLight& light, double glitterX, double phase,
              SeededRandom& random);
// A sandy beach below the sea with the wet band and the foam of the last wave.
void PaintBeach(QPainter& painter, const QRectF& area, const SceneLight& light, double phase,
                SeededRandom& random);
// A small sailing boat sitting on the water line at `base`, `height` pixels tall.
void PaintSailboat(QPainter& painter, QPointF base, double height, const SceneLight& light);
