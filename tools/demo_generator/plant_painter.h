#pragma once

#include <array>

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include "scene_light.h"
#include "seeded_random.h"

class QPainter;

// Trees and flowers. A tree stands on its base point and is `height` pixels tall; colours are
// given as they look (already lit), so callers decide how far away a tree is.

// A pine; `snow` lies on its branches unless it is transparent.
void PaintPine(QPainter& painter, QPointF base, double height, const QColor& colour, const QColor& snow,
               SeededRandom& random);
// A leafy tree: the canopy in three tones (lit, middle, shaded).
void PaintBroadleaf(QPainter& painter, QPointF base, double height, const std::array<QColor, 3>& canopy,
                    const QColor& trunk, SeededRandom& random);
void PaintPalm(QPainter& painter, QPointF base, double height, const QColor& trunk, const QColor& leaves,
               bool leansLeft, SeededRandom& random);
// A band of small pines standing along a ridge, `spacing` pixels apart on average.
void PaintTreeLine(QPainter& painter, const QPolygonF& ridge, double minHeight, double maxHeight,
                   double spacing, const QColor& colour, const QColor& snow, SeededRandom& random);
// Flowers scattered over a meadow, larger towards the bottom of the area.
void PaintFlowers(QPainter& painter, const QRectF& area, const std::array<QColor, 4>& colours, int count,
                  const SceneLight& light, SeededRandom& random);
// The autumn, summer, spring or blossom tones of a leafy canopy.
std::array<QColor, 3> CanopyColours(Season season, bool blossom, SeededRandom& random);
