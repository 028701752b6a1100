#pragma once

#include <cstdint>

#include <QImage>
#include <QSize>

#include "demo_catalog.h"

// One drawn landscape: what it shows, in which light and season, and the seed that varies its
// details. The same description always gives the same picture.
struct SceneSpec {
    DemoScene scene = DemoScene::MountainLake;
    DayTime time = DayTime::Noon;
    Season season = Season::Summer;
    std::uint64_t seed = 0;
    // For the frames of a movie: 0 to 1 moves what moves (boats, waves); the rest stays put.
    double phase = 0.0;
};

// Draws the scene upright at the given size (landscape or portrait).
QImage PaintScene(const SceneSpec& spec, QSize size);
