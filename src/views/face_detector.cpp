#include "views/face_detector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "formats/resampler.h"
#include "library/dib_image.h"

namespace {

int32_t ClampTo(int64_t value, int64_t limit)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::max<int64_t>(limit, 0)));
}

int32_t ScaledCoordinate(int32_t value, int32_t to, int32_t from)
{
    if (from <= 0)
        return 0;
    return ClampTo(int64_t{value} * to / from, to);
}

} // namespace

FaceDetector& ProgramFaceDetector()
{
    static AbsentFaceDetector detector;
    return detector;
}

PictureSize FaceAnalysisSize(int64_t width, int64_t height)
{
    if (width <= 0 || height <= 0)
        return {};
    if (width <= kFaceAnalysisLimit && height <= kFaceAnalysisLimit)
        return {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    if (width >= height)
        return {kFaceAnalysisLimit, static_cast<int32_t>(std::max<int64_t>(1, height * kFaceAnalysisLimit / width))};
    return {static_cast<int32_t>(std::max<int64_t>(1, width * kFaceAnalysisLimit / height)), kFaceAnalysisLimit};
}

std::vector<FaceRect> ScaleFacesToPicture(const std::vector<FaceRect>& faces, PictureSize analysed,
                                          PictureSize picture)
{
    std::vector<FaceRect> scaled;
    if (analysed.width <= 0 || analysed.height <= 0 || picture.width <= 0 || picture.height <= 0)
        return scaled;
    for (const FaceRect& face : faces) {
        FaceRect rect;
        rect.left = ScaledCoordinate(face.left, picture.width, analysed.width);
        rect.right = ScaledCoordinate(face.right, picture.width, analysed.width);
        rect.top = ScaledCoordinate(face.top, picture.height, analysed.height);
        rect.bottom = ScaledCoordinate(face.bottom, picture.height, analysed.height);
        if (rect.right > rect.left && rect.bottom > rect.top)
            scaled.push_back(rect);
    }
    return scaled;
}

std::vector<FaceRect> FindFaces(FaceDetector& detector, const DibImage& picture)
{
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24)
        return {};
    const PictureSize size{static_cast<int32_t>(picture.Width()), static_cast<int32_t>(picture.Height())};
    const PictureSize analysed = FaceAnalysisSize(size.width, size.height);
    if (analysed == size)
        return ScaleFacesToPicture(detector.Detect(picture), analysed, size);
    DibImage reduced;
    if (!reduced.Create(static_cast<uint32_t>(analysed.width), static_cast<uint32_t>(analysed.height), 24)
        || ResampleImage(picture, reduced) != kResampleOk)
        return {};
    return ScaleFacesToPicture(detector.Detect(reduced), analysed, size);
}

FaceDetectScales FaceDetectScalesFor(int32_t width, int32_t height)
{
    const int32_t shorter = std::min(width, height);
    if (shorter <= 0)
        return {};
    FaceDetectScales scales;
    scales.a = std::max(53.3f / static_cast<float>(shorter), 0.05f);
    scales.b = std::clamp(64.0f / static_cast<float>(shorter), 0.06f, 1.0f);
    return scales;
}

std::vector<uint8_t> PackedRgbPixels(const DibImage& picture)
{
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24)
        return {};
    const size_t width = picture.Width();
    std::vector<uint8_t> packed(width * picture.Height() * 3);
    uint8_t* out = packed.data();
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.Row(y);
        for (size_t x = 0; x < width; ++x) {
            // The bitmap keeps blue, green, red; the module reads red first.
            *out++ = row[3 * x + 2];
            *out++ = row[3 * x + 1];
            *out++ = row[3 * x];
        }
    }
    return packed;
}

bool KeepsFaceCandidate(const FaceCandidate& candidate)
{
    return candidate.score >= kFaceMinimumScore;
}

FaceRect FaceRectOfCandidate(const FaceCandidate& candidate, int32_t width, int32_t height)
{
    const int64_t dx = std::llabs(int64_t{candidate.x1} - candidate.x2);
    const int64_t dy = std::llabs(int64_t{candidate.y1} - candidate.y2);
    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    const int64_t centreX = (int64_t{candidate.x1} + candidate.x2) / 2;
    const int64_t centreY = (int64_t{candidate.y1} + candidate.y2) / 2;
    // Eyes side by side give a face taller than wide; a tilted head turns it.
    const double halfWidth = dx >= dy ? 1.5 * d : 2.0 * d;
    const double halfHeight = dx >= dy ? 2.0 * d : 1.5 * d;
    const auto at = [](int64_t centre, double half) { return static_cast<int64_t>(static_cast<double>(centre) + half); };
    FaceRect rect;
    rect.left = ClampTo(at(centreX, -halfWidth), width);
    rect.right = ClampTo(at(centreX, halfWidth), width);
    rect.top = ClampTo(at(centreY, -halfHeight), height);
    rect.bottom = ClampTo(at(centreY, halfHeight), height);
    return rect;
}
