#include <cmath>

#include <gtest/gtest.h>

#include "library/dib_image.h"
#include "views/face_detector.h"
#include "views/preview_geometry.h"

namespace {

// The picture column at the centre of the client for a zoom (content x of the client centre,
// back in picture pixels).
double CentreColumn(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight, const PreviewZoom& zoom)
{
    const PictureSize content = ZoomContentSize(pictureWidth, pictureHeight, clientWidth, clientHeight, zoom.factor);
    const ScrollAxis axis = LayoutScrollAxis(content.width, clientWidth, zoom.offsetX);
    return static_cast<double>(pictureWidth) * (axis.position + clientWidth / 2.0) / content.width;
}

} // namespace

TEST(PreviewGeometry, WindowsFollowTheContainerAndThePanelState)
{
    const PreviewWindows closed = LayoutPreviewWindows(1000, 800, false, false);
    EXPECT_EQ(closed.filmstrip, (GridRect{9, 663, 982, 137}));
    EXPECT_EQ(closed.controlPanel, (GridRect{281, 614, 437, 49}));
    EXPECT_EQ(closed.pictureArea, (GridRect{0, 0, 1000, 614}));

    const PreviewWindows open = LayoutPreviewWindows(1000, 800, true, false);
    EXPECT_EQ(open.filmstrip, closed.filmstrip);
    EXPECT_EQ(open.controlPanel, (GridRect{281, 527, 437, 136}));
    EXPECT_EQ(open.pictureArea, (GridRect{0, 0, 1000, 527}));

    // A sound's strip takes 20 pixels off the zoomed picture.
    EXPECT_EQ(LayoutPreviewWindows(1000, 800, false, true).pictureArea, (GridRect{0, 0, 1000, 594}));

    // The white band ends where the control panel begins.
    EXPECT_EQ(WhiteBandBottom(800, false), 614);
    EXPECT_EQ(WhiteBandBottom(800, true), 527);

    // A container too small for the strip and the panel gets no negative sizes.
    const PreviewWindows tiny = LayoutPreviewWindows(10, 100, true, true);
    EXPECT_EQ(tiny.pictureArea.height, 0);
    EXPECT_EQ(tiny.filmstrip.width, 0);
    EXPECT_EQ(tiny.controlPanel.left, (10 - 437) / 2);
}

TEST(PreviewGeometry, FitModeNeverEnlargesAndLeavesRoomForTheShadow)
{
    // The example picture keeps its size.
    EXPECT_EQ(FitModePlacement(640, 480, 1000, 700), (GridRect{176, 107, 640, 480}));

    // Wider than the box (992 x 670): to the box width, 3000 x 992 / 4000 = 744 is still taller,
    // so to the box height with 4000 x 670 / 3000 = 893.
    EXPECT_EQ(FitWithoutEnlarging(4000, 3000, 992, 670), (PictureSize{893, 670}));
    EXPECT_EQ(FitModePlacement(4000, 3000, 1000, 700), (GridRect{49, 12, 893, 670}));
    // Only taller: 1000 x 670 / 4000 = 167.
    EXPECT_EQ(FitWithoutEnlarging(1000, 4000, 992, 670), (PictureSize{167, 670}));
    // Only wider: 3000 x 992 / 6000 = 496.
    EXPECT_EQ(FitWithoutEnlarging(6000, 3000, 992, 670), (PictureSize{992, 496}));
    // An extreme panorama keeps a pixel row.
    EXPECT_EQ(FitWithoutEnlarging(100000, 10, 992, 670), (PictureSize{992, 1}));
    EXPECT_EQ(FitWithoutEnlarging(0, 10, 992, 670), (PictureSize{}));
    EXPECT_EQ(FitWithoutEnlarging(10, 10, 0, 670), (PictureSize{}));
    EXPECT_EQ(FitModeBox(1000, 700), (PictureSize{992, 670}));
    EXPECT_EQ(FitModeBox(5, 20), (PictureSize{0, 0}));
}

TEST(PreviewZoomSteps, ZoomStaysBetweenOneAndFiveAndScalesTheOffsets)
{
    PreviewZoom zoom;
    EXPECT_TRUE(zoom.fitMode);
    EXPECT_EQ(ZoomedOut(zoom), zoom);

    // Leaving the fit mode starts centred, whatever offsets were left behind.
    zoom.offsetX = 33;
    zoom = ZoomedIn(zoom);
    EXPECT_EQ(zoom, (PreviewZoom{2, 0, 0, false}));
    zoom.offsetX = 90;
    zoom.offsetY = -30;
    zoom = ZoomedIn(zoom);
    EXPECT_EQ(zoom, (PreviewZoom{3, 135, -45, false}));
    zoom = ZoomedIn(ZoomedIn(zoom));
    EXPECT_EQ(zoom.factor, 5);
    EXPECT_EQ(ZoomedIn(zoom), zoom);

    // Back down: 2/3 of an offset at 3; reaching 1 drops the offsets.
    EXPECT_EQ(ZoomedOut(PreviewZoom{3, 300, -301, false}), (PreviewZoom{2, 200, -200, false}));
    EXPECT_EQ(ZoomedOut(PreviewZoom{2, 120, 40, false}), PreviewZoom{});

    EXPECT_EQ(ZoomText(1), "100%");
    EXPECT_EQ(ZoomText(5), "500%");
}

TEST(PreviewZoomSteps, ZoomingKeepsThePictureCentre)
{
    // A 1000 x 750 picture in an 800 x 600 client: fitted 800 x 600.
    PreviewZoom zoom = ZoomedIn(PreviewZoom{});
    EXPECT_NEAR(CentreColumn(1000, 750, 800, 600, zoom), 500.0, 0.5);
    zoom = ZoomedIn(zoom);
    EXPECT_NEAR(CentreColumn(1000, 750, 800, 600, zoom), 500.0, 0.5);

    // Scrolled right at 300 %: the point at the centre stays there at 200 %.
    const PictureSize content3 = ZoomContentSize(1000, 750, 800, 600, 3);
    ASSERT_EQ(content3, (PictureSize{2400, 1800}));
    const int position = LayoutScrollAxis(content3.width, 800, 0).position + 300;
    zoom.offsetX = OffsetOfScrollPosition(position, content3.width, 800);
    EXPECT_EQ(zoom.offsetX, 300);
    const double before = CentreColumn(1000, 750, 800, 600, zoom);
    zoom = ZoomedOut(zoom);
    EXPECT_EQ(zoom.factor, 2);
    EXPECT_EQ(zoom.offsetX, 200);
    EXPECT_NEAR(CentreColumn(1000, 750, 800, 600, zoom), before, 1.0);
}

TEST(PreviewScrollBars, AxesCentreClampAndRecomputeTheOffset)
{
    // Content 1600 in a client of 800: centred at 400.
    EXPECT_EQ(LayoutScrollAxis(1600, 800, 0), (ScrollAxis{800, 400, 0, 800, 80, 720}));
    EXPECT_TRUE(LayoutScrollAxis(1600, 800, 0).Needed());
    // An offset beyond either end is clamped and stored as what is shown.
    EXPECT_EQ(LayoutScrollAxis(1600, 800, 1000).position, 800);
    EXPECT_EQ(LayoutScrollAxis(1600, 800, 1000).offset, 400);
    EXPECT_EQ(LayoutScrollAxis(1600, 800, -1000).position, 0);
    EXPECT_EQ(LayoutScrollAxis(1600, 800, -1000).offset, -400);
    // Content smaller than the client: nothing to scroll, no offset.
    const ScrollAxis small = LayoutScrollAxis(500, 800, 50);
    EXPECT_EQ(small.maximum, 0);
    EXPECT_EQ(small.position, 0);
    EXPECT_EQ(small.offset, 0);
    EXPECT_FALSE(small.Needed());
    // Content equal to the client.
    EXPECT_EQ(LayoutScrollAxis(800, 800, 30).offset, 0);
    EXPECT_EQ(OffsetOfScrollPosition(100, 500, 800), 0);
    EXPECT_EQ(OffsetOfScrollPosition(100, 1600, 800), -300);
}

TEST(PreviewScrollBars, ZoomedPartIsTheVisibleSliceOfThePicture)
{
    // 1000 x 750 at 200 % in 800 x 600, centred: picture columns 250 to 750.
    const PictureSize content = ZoomContentSize(1000, 750, 800, 600, 2);
    ZoomedPart part = ZoomedPartOf(1000, 750, content, 800, 600, 0, 0);
    EXPECT_EQ(part.source, (GridRect{250, 187, 500, 375}));
    EXPECT_EQ(part.target, (GridRect{0, 0, 800, 600}));
    // Scrolled to the right end (offset 400): columns 500 to 1000.
    part = ZoomedPartOf(1000, 750, content, 800, 600, 400, -300);
    EXPECT_EQ(part.source, (GridRect{500, 0, 500, 375}));
    // A stale offset beyond the picture still reads inside it.
    part = ZoomedPartOf(1000, 750, content, 800, 600, 5000, 0);
    EXPECT_EQ(part.source.Right(), 1000);

    // A small picture zoomed stays smaller than the client and is centred whole.
    const PictureSize small = ZoomContentSize(100, 50, 800, 600, 2);
    EXPECT_EQ(small, (PictureSize{200, 100}));
    part = ZoomedPartOf(100, 50, small, 800, 600, 0, 0);
    EXPECT_EQ(part.source, (GridRect{0, 0, 100, 50}));
    EXPECT_EQ(part.target, (GridRect{300, 250, 200, 100}));

    EXPECT_EQ(ZoomedPartOf(0, 50, small, 800, 600, 0, 0).source, GridRect{});
}

TEST(PreviewFaces, FramesMapFromPicturePixelsInBothModes)
{
    // 100 %: the drawn picture's scale from its top-left corner.
    const FaceMapping fit = FitModeFaceMapping(GridRect{176, 107, 640, 480}, 640);
    EXPECT_DOUBLE_EQ(fit.scale, 1.0);
    EXPECT_EQ(MapFaceRect(FaceRect{10, 20, 110, 140}, fit), (GridRect{186, 127, 100, 120}));
    const FaceMapping half = FitModeFaceMapping(GridRect{0, 16, 500, 333}, 1000);
    EXPECT_EQ(MapFaceRect(FaceRect{101, 201, 301, 401}, half), (GridRect::FromEdges(50, 116, 150, 216)));

    // Zoomed: content 1600 x 1200 of a 1000-pixel picture, client 800 x 600, scrolled by
    // (100, -50) from the centre.
    const FaceMapping zoomed = ZoomFaceMapping(PictureSize{1600, 1200}, 1000, 800, 600, 100, -50);
    EXPECT_DOUBLE_EQ(zoomed.scale, 1.6);
    EXPECT_EQ(zoomed.originX, 400 - 800 - 100);
    EXPECT_EQ(zoomed.originY, 300 - 600 + 50);
    EXPECT_EQ(MapFaceRect(FaceRect{500, 375, 600, 475}, zoomed), (GridRect::FromEdges(300, 350, 460, 510)));

    const std::vector<FaceRect> faces = {{10, 20, 110, 140}, {200, 20, 300, 140}};
    EXPECT_EQ(FaceAtPoint(faces, fit, 186, 127), 0u);
    EXPECT_EQ(FaceAtPoint(faces, fit, 285, 246), 0u);
    EXPECT_EQ(FaceAtPoint(faces, fit, 286, 246), std::nullopt); // right edge is outside
    EXPECT_EQ(FaceAtPoint(faces, fit, 376 + 50, 200), 1u);
    EXPECT_EQ(FaceAtPoint({}, fit, 186, 127), std::nullopt);
}

TEST(PreviewFaces, FaceZoomPicksTheLargestFactorThatShowsTheWholeFace)
{
    // 1000 x 750 in 800 x 600: fitted width 800, scale 0.8 per factor.
    // A 100-pixel face fits even at 500 % (400 x 400), and sits at the centre.
    EXPECT_EQ(ZoomForFace(FaceRect{450, 325, 550, 425}, 1000, 750, 800, 600), (PreviewZoom{5, 0, 0, false}));
    // 200 x 200: 800 is not narrower than 800 at 500 %, 640 is not lower than 600 at 400 %.
    EXPECT_EQ(ZoomForFace(FaceRect{400, 275, 600, 475}, 1000, 750, 800, 600).factor, 3);
    // A face in the corner is brought to the centre: scale 4 x (50 - 500), 4 x (50 - 375).
    EXPECT_EQ(ZoomForFace(FaceRect{0, 0, 100, 100}, 1000, 750, 800, 600), (PreviewZoom{5, -1800, -1300, false}));
    // A face as large as the picture fits no zoom: the fitted picture, not a division by zero.
    EXPECT_EQ(ZoomForFace(FaceRect{0, 0, 1000, 750}, 1000, 750, 800, 600), PreviewZoom{});
    EXPECT_EQ(ZoomForFace(FaceRect{0, 0, 10, 10}, 0, 0, 800, 600), PreviewZoom{});
}

TEST(PreviewButtons, EnablingFollowsTheRulesTable)
{
    PreviewButtonInputs one;
    one.selectedCount = 1;
    one.currentRotatable = true;
    one.hasPicture = true;
    one.pictureDecoded = true;
    one.focus = 0;
    one.count = 3;
    EXPECT_EQ(PreviewButtonsEnabled(one),
              (PreviewButtonEnabling{false, true, false, true, true, true, true}));

    struct Row {
        const char* what;
        void (*change)(PreviewButtonInputs&);
        PreviewButtonEnabling expected;
    };
    const Row rows[] = {
        {"zoomed 200%", [](PreviewButtonInputs& in) { in.zoom = 2; },
         {false, true, true, true, false, false, true}},
        {"zoomed 500%", [](PreviewButtonInputs& in) { in.zoom = 5; },
         {false, true, true, false, false, false, true}},
        {"zoomed with faces shown", [](PreviewButtonInputs& in) { in.zoom = 3; in.facesShown = true; },
         {false, true, true, true, true, false, true}},
        {"last item", [](PreviewButtonInputs& in) { in.focus = 2; },
         {true, false, false, true, true, true, true}},
        {"middle item", [](PreviewButtonInputs& in) { in.focus = 1; },
         {true, true, false, true, true, true, true}},
        {"decode failed", [](PreviewButtonInputs& in) { in.hasPicture = false; in.pictureDecoded = false; },
         {false, true, false, false, false, true, true}},
        {"still decoding", [](PreviewButtonInputs& in) { in.pictureDecoded = false; },
         {false, true, false, true, false, true, true}},
        {"two selected", [](PreviewButtonInputs& in) { in.selectedCount = 2; },
         {false, true, false, true, true, false, true}},
        {"a folder among them", [](PreviewButtonInputs& in) { in.selectedCount = 2; in.folderSelected = true; },
         {false, true, false, true, true, false, false}},
        {"not rotatable", [](PreviewButtonInputs& in) { in.currentRotatable = false; },
         {false, true, false, true, true, false, true}},
        {"nothing selected", [](PreviewButtonInputs& in) { in.selectedCount = 0; },
         {false, true, false, false, false, false, false}},
        {"one item only", [](PreviewButtonInputs& in) { in.count = 1; },
         {false, false, false, true, true, true, true}},
        {"empty list", [](PreviewButtonInputs& in) { in.count = 0; in.selectedCount = 0; },
         {false, false, false, false, false, false, false}},
    };
    for (const Row& row : rows) {
        PreviewButtonInputs inputs = one;
        row.change(inputs);
        EXPECT_EQ(PreviewButtonsEnabled(inputs), row.expected) << row.what;
    }
}

TEST(FaceDetection, PicturesAreAnalysedWithinTheSquareLimit)
{
    EXPECT_EQ(FaceAnalysisSize(3000, 2000), (PictureSize{1024, 682}));
    EXPECT_EQ(FaceAnalysisSize(2000, 3000), (PictureSize{682, 1024}));
    EXPECT_EQ(FaceAnalysisSize(1024, 1024), (PictureSize{1024, 1024}));
    EXPECT_EQ(FaceAnalysisSize(800, 600), (PictureSize{800, 600}));
    EXPECT_EQ(FaceAnalysisSize(1025, 1), (PictureSize{1024, 1}));
    EXPECT_EQ(FaceAnalysisSize(0, 600), (PictureSize{}));
}

TEST(FaceDetection, RectanglesAreScaledBackAndClampedToThePicture)
{
    const std::vector<FaceRect> found = {
        {100, 50, 200, 150},  // 100 x 3000 / 1024 = 292, 50 x 2000 / 682 = 146
        {-20, -5, 1100, 700}, // beyond every edge
        {1030, 10, 1090, 40}, // wholly outside on the right: nothing left
    };
    const std::vector<FaceRect> scaled = ScaleFacesToPicture(found, PictureSize{1024, 682}, PictureSize{3000, 2000});
    ASSERT_EQ(scaled.size(), 2u);
    EXPECT_EQ(scaled[0], (FaceRect{292, 146, 585, 439}));
    EXPECT_EQ(scaled[1], (FaceRect{0, 0, 3000, 2000}));
    EXPECT_TRUE(ScaleFacesToPicture(found, PictureSize{}, PictureSize{3000, 2000}).empty());
}

namespace {

class SizeRecordingDetector : public FaceDetector {
public:
    std::vector<FaceRect> faces;
    PictureSize seen;
    uint32_t seenPixel = 0;

    std::vector<FaceRect> Detect(const DibImage& picture) override
    {
        seen = {static_cast<int32_t>(picture.Width()), static_cast<int32_t>(picture.Height())};
        seenPixel = picture.Pixel(picture.Width() / 2, picture.Height() / 2);
        return faces;
    }
};

DibImage Solid(uint32_t width, uint32_t height, uint32_t colour)
{
    DibImage image;
    image.Create(width, height, 24);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, colour);
    }
    return image;
}

} // namespace

TEST(FaceDetection, LargePicturesAreReducedBeforeTheDetectorSeesThem)
{
    SizeRecordingDetector detector;
    detector.faces = {{512, 341, 612, 441}};
    const std::vector<FaceRect> faces = FindFaces(detector, Solid(3000, 2000, 0x808040));
    EXPECT_EQ(detector.seen, (PictureSize{1024, 682}));
    // The reduced copy of the picture, not an empty buffer.
    EXPECT_NEAR(static_cast<int>(detector.seenPixel >> 16), 0x80, 2);
    EXPECT_NEAR(static_cast<int>(detector.seenPixel & 0xFF), 0x40, 2);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0], (FaceRect{1500, 1000, 1792, 1293}));

    // A small picture goes as it is.
    detector.faces = {{10, 10, 30, 30}};
    EXPECT_EQ(FindFaces(detector, Solid(640, 480, 0x102030)), detector.faces);
    EXPECT_EQ(detector.seen, (PictureSize{640, 480}));

    // Nothing to analyse in another depth or an empty picture.
    DibImage palette;
    palette.Create(16, 16, 8);
    EXPECT_TRUE(FindFaces(detector, palette).empty());
    EXPECT_TRUE(FindFaces(detector, DibImage()).empty());
    EXPECT_TRUE(ProgramFaceDetector().Detect(Solid(64, 64, 0)).empty());
}

TEST(FaceDetection, ModuleInputsAndCandidates)
{
    const FaceDetectScales analysed = FaceDetectScalesFor(1024, 682);
    EXPECT_FLOAT_EQ(analysed.a, 53.3f / 682);
    EXPECT_FLOAT_EQ(analysed.b, 64.0f / 682);
    EXPECT_FLOAT_EQ(FaceDetectScalesFor(2000, 3000).a, 0.05f);
    EXPECT_FLOAT_EQ(FaceDetectScalesFor(2000, 3000).b, 0.06f);
    EXPECT_FLOAT_EQ(FaceDetectScalesFor(40, 30).b, 1.0f);
    EXPECT_FLOAT_EQ(FaceDetectScalesFor(0, 30).a, 0.0f);

    DibImage picture = Solid(3, 2, 0x000000);
    picture.SetPixel(0, 0, 0x112233);
    picture.SetPixel(2, 1, 0xAABBCC);
    const std::vector<uint8_t> packed = PackedRgbPixels(picture);
    ASSERT_EQ(packed.size(), 18u); // no row padding
    EXPECT_EQ(packed[0], 0x11);
    EXPECT_EQ(packed[1], 0x22);
    EXPECT_EQ(packed[2], 0x33);
    EXPECT_EQ(packed[15], 0xAA);
    EXPECT_EQ(packed[17], 0xCC);

    EXPECT_TRUE(KeepsFaceCandidate(FaceCandidate{0, 0, 0, 0, 80.0f}));
    EXPECT_FALSE(KeepsFaceCandidate(FaceCandidate{0, 0, 0, 0, 79.9f}));
    // Points side by side, 40 apart: 60 each way across, 80 down from the midpoint (120, 100).
    EXPECT_EQ(FaceRectOfCandidate(FaceCandidate{100, 100, 140, 100, 90}, 640, 480), (FaceRect{60, 20, 180, 180}));
    // One above the other: the rectangle turns.
    EXPECT_EQ(FaceRectOfCandidate(FaceCandidate{100, 100, 100, 140, 90}, 640, 480), (FaceRect{20, 60, 180, 180}));
    // Clamped to the analysed picture.
    EXPECT_EQ(FaceRectOfCandidate(FaceCandidate{100, 100, 140, 100, 90}, 150, 150), (FaceRect{60, 20, 150, 150}));
}
