#include "shadow_pieces.h"

#include <cmath>

namespace {

// The shadow is the rectangle's own shape moved down and right by kOffset and blurred, at
// kStrength where it is fully covered. Along an edge it only changes with the distance from
// the edge, so the pieces are products of one-dimensional profiles; the corner and the faded
// ends are normalised so that they meet the stretched edges without a step.
constexpr double kOffset = 2.0;
constexpr double kBlur = 2.2; // standard deviation, pixels
constexpr double kStrength = 0.42;

// Share of a blurred edge at `at` pixels past it (pixel centres at 0.5, 1.5, ...).
double BlurredStep(double at)
{
    return 0.5 * (1 + std::erf(at / (kBlur * std::sqrt(2.0))));
}

enum class Profile {
    Flat,   // along the edge: no change
    Fall,   // away from the rectangle: from the edge's strength down to nothing
    Corner, // the fall, scaled to start at 1 so that the corner meets both edges
    Rise,   // the shadow's start, offset from the rectangle's corner: fading in up to 1
};

double ProfileAt(Profile profile, int pixel)
{
    const double centre = pixel + 0.5;
    switch (profile) {
    case Profile::Flat:
        return 1;
    case Profile::Fall:
        return BlurredStep(kOffset - centre);
    case Profile::Corner:
        return BlurredStep(kOffset - centre) / BlurredStep(kOffset - 0.5);
    case Profile::Rise:
        return BlurredStep(centre - kOffset) / BlurredStep(kShadowSize - 0.5 - kOffset);
    }
    return 0;
}

struct ShadowPiece {
    const char* bitmap;
    Profile across; // left to right
    Profile down;   // top to bottom
};

constexpr ShadowPiece kPieces[] = {
    {"BMP_SHADOW_RT", Profile::Fall, Profile::Rise},
    {"BMP_SHADOW_R", Profile::Fall, Profile::Flat},
    {"BMP_SHADOW_RB", Profile::Fall, Profile::Corner},
    {"BMP_SHADOW_B", Profile::Flat, Profile::Fall},
    {"BMP_SHADOW_LB", Profile::Rise, Profile::Fall},
};

} // namespace

ResourceBitmaps MakeShadowPieces()
{
    ResourceBitmaps bitmaps;
    for (const ShadowPiece& piece : kPieces) {
        QImage image = NewPicture(kShadowSize, kShadowSize, Qt::black);
        for (int y = 0; y < kShadowSize; ++y) {
            for (int x = 0; x < kShadowSize; ++x) {
                const double strength = kStrength * ProfileAt(piece.across, x) * ProfileAt(piece.down, y);
                const int v = static_cast<int>(std::lround(255 * strength));
                image.setPixelColor(x, y, QColor(v, v, v));
            }
        }
        bitmaps.push_back({piece.bitmap, image});
    }
    return bitmaps;
}
