#pragma once

#include <cstdint>
#include <vector>

#include "formats/image_fit.h"

class DibImage;

// A face in pixels of a picture: left and top inclusive, right and bottom exclusive.
struct FaceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const FaceRect&, const FaceRect&) = default;
};

// Finds faces in a picture. The program's detector is the outside detector module; tests put in
// their own. Called on the main thread.
class FaceDetector {
public:
    virtual ~FaceDetector() = default;

    // The faces in a 24-bit picture of at most kFaceAnalysisLimit x kFaceAnalysisLimit pixels,
    // in that picture's pixels (not yet clamped to it).
    virtual std::vector<FaceRect> Detect(const DibImage& picture) = 0;
};

// What the program uses while no detector module is present: the face button then behaves as
// when a picture holds no face.
class AbsentFaceDetector : public FaceDetector {
public:
    std::vector<FaceRect> Detect(const DibImage&) override { return {}; }
};

// The detector the program hands to the preview.
FaceDetector& ProgramFaceDetector();

// The detector works on pictures reduced to fit this square.
inline constexpr int32_t kFaceAnalysisLimit = 1024;

// The size a picture is analysed at: unchanged when it fits kFaceAnalysisLimit in both
// directions, otherwise the longer side becomes the limit and the other is scaled by the same
// ratio, truncated (3000 x 2000 is analysed at 1024 x 682), never below 1. 0 x 0 for an empty
// picture.
PictureSize FaceAnalysisSize(int64_t width, int64_t height);

// Rectangles found at the analysed size, in pixels of the picture: x times picture width /
// analysed width, y likewise (64-bit, truncated), each coordinate clamped to 0 to the picture's
// width (x) or height (y). Rectangles that end up empty are dropped.
std::vector<FaceRect> ScaleFacesToPicture(const std::vector<FaceRect>& faces, PictureSize analysed,
                                          PictureSize picture);

// The whole face action's detection: reduces the picture to the analysed size when it is larger,
// asks the detector and scales the rectangles back to the picture. Empty for a picture that is
// not 24 bits deep or cannot be reduced.
std::vector<FaceRect> FindFaces(FaceDetector& detector, const DibImage& picture);

// What the detector module is given and how its answers become rectangles.
//
// The two scales of the module's analysis call, from m = min(width, height): A = 53.3 / m but
// at least 0.05; B = 64 / m, raised to 0.06 and lowered to 1.0.
struct FaceDetectScales {
    float a = 0;
    float b = 0;
};
FaceDetectScales FaceDetectScalesFor(int32_t width, int32_t height);

// The picture as the module reads it: width x height pixels of red, green and blue, rows from
// the top, no padding. Empty for a picture that is not 24 bits deep.
std::vector<uint8_t> PackedRgbPixels(const DibImage& picture);

// A candidate of the module: its two reference points and score. Kept only at a score of 80 or
// more. With d the distance of the points and the centre their integer midpoint, the face spans
// centre x -/+ 1.5 d and centre y -/+ 2 d when the points lie more across than down, else
// centre x -/+ 2 d and centre y -/+ 1.5 d; coordinates truncated and clamped to the analysed
// picture.
struct FaceCandidate {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    float score = 0;
};
inline constexpr float kFaceMinimumScore = 80.0f;
bool KeepsFaceCandidate(const FaceCandidate& candidate);
FaceRect FaceRectOfCandidate(const FaceCandidate& candidate, int32_t width, int32_t height);
