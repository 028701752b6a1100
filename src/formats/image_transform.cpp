#include "formats/image_transform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "library/dib_image.h"

namespace {

// One destination coordinate: the source x or y, counted forwards or from the far edge
// (W-1-x, H-1-y).
struct Axis {
    bool fromY;
    bool reversed;
};

// Destination position (X, Y) of source pixel (x, y), one row per transform number.
struct Transform {
    Axis x;
    Axis y;
};

constexpr std::array<Transform, 8> kTransforms = {{
    {{false, false}, {true, false}}, // 0 copy: (x, y)
    {{true, true}, {false, false}},  // 1 rotate 90 clockwise: (H-1-y, x)
    {{false, true}, {true, true}},   // 2 rotate 180: (W-1-x, H-1-y)
    {{true, false}, {false, true}},  // 3 rotate 90 counter-clockwise: (y, W-1-x)
    {{false, true}, {true, false}},  // 4 mirror left-right: (W-1-x, y)
    {{false, false}, {true, true}},  // 5 mirror top-bottom: (x, H-1-y)
    {{true, false}, {false, false}}, // 6 transpose: (y, x)
    {{true, true}, {false, true}},   // 7 transverse: (H-1-y, W-1-x)
}};

// Exif orientation value (index) to transform; -1 = nothing to do.
constexpr std::array<int, 9> kOrientationTransforms = {-1, -1, 4, 2, 5, 6, 1, 7, 3};

// The destination coordinate of source column 0 in source row y, and its step per source column.
struct AxisWalk {
    int64_t start;
    int64_t step;
};

AxisWalk Walk(const Axis& axis, int64_t width, int64_t height, int64_t y)
{
    if (axis.fromY)
        return {axis.reversed ? height - 1 - y : y, 0};
    return axis.reversed ? AxisWalk{width - 1, -1} : AxisWalk{0, 1};
}

} // namespace

int TransformImage(const DibImage* source, DibImage* destination, int transform)
{
    if (!source || !destination || source->IsEmpty() || source->BitsPerPixel() != 24 || transform < 0
        || transform > 7)
        return -1;
    const Transform& rule = kTransforms[static_cast<size_t>(transform)];
    const uint32_t width = source->Width();
    const uint32_t height = source->Height();
    const bool turned = rule.x.fromY;
    DibImage result;
    if (!result.Create(turned ? height : width, turned ? width : height, 24))
        return -1;
    const auto stride = static_cast<int64_t>(result.Stride());
    uint8_t* const pixels = result.Pixels();
    for (uint32_t y = 0; y < height; ++y) {
        const AxisWalk toX = Walk(rule.x, width, height, y);
        const AxisWalk toY = Walk(rule.y, width, height, y);
        const uint8_t* from = source->Row(y);
        int64_t to = toY.start * stride + toX.start * 3; // an offset: a pointer would step past the block
        const int64_t step = toY.step * stride + toX.step * 3;
        for (uint32_t x = 0; x < width; ++x, from += 3, to += step) {
            pixels[to] = from[0];
            pixels[to + 1] = from[1];
            pixels[to + 2] = from[2];
        }
    }
    *destination = std::move(result);
    return 0;
}

int OrientationTransform(int orientation)
{
    if (orientation < 0 || orientation >= static_cast<int>(kOrientationTransforms.size()))
        return -1;
    return kOrientationTransforms[static_cast<size_t>(orientation)];
}

void OrientImage(int orientation, DibImage& image)
{
    const int transform = OrientationTransform(orientation);
    if (transform < 0)
        return;
    DibImage turned;
    if (TransformImage(&image, &turned, transform) == 0)
        image = std::move(turned);
}
