#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "views/face_detector.h"
#include "views/thumbnail_geometry.h"

// The geometry of the preview in numbers: where its windows go, how a picture is fitted and
// zoomed, the scroll bars of the zoomed picture, where face frames land, which zoom shows a
// face, and which control panel buttons are enabled. Plain functions over plain values; all
// arithmetic is integer (64-bit for products) and divisions truncate, except the face scales.

// The filmstrip runs along the bottom, the control panel sits centred above it, and the picture
// area takes what is left above them.
inline constexpr int kFilmstripHeight = 137;
inline constexpr int kFilmstripMargin = 9;
inline constexpr int kControlPanelWidth = 437;
inline constexpr int kControlPanelOpenHeight = 136;
inline constexpr int kControlPanelClosedHeight = 49;
// Room kept under a zoomed picture for the playback strip of a sound.
inline constexpr int kSoundStripReserve = 20;

int ControlPanelHeight(bool infoOpen);

struct PreviewWindows {
    GridRect filmstrip;
    GridRect controlPanel;
    GridRect pictureArea;
};
// The windows for a container of clientWidth x clientHeight; `soundWhileZoomed` when the current
// item has a sound to play and the zoom is above 100 %. Sizes never go below 0.
PreviewWindows LayoutPreviewWindows(int clientWidth, int clientHeight, bool infoOpen, bool soundWhileZoomed);

// The container's white band runs from its top down to 273 pixels above its bottom with the
// information panel open, 186 with it closed.
int WhiteBandBottom(int clientHeight, bool infoOpen);

// A picture fitted into a box without enlarging: when wider than the box it takes the box width
// (height scaled by the same ratio), then when still taller the box height (width scaled from
// the picture's). At least 1 x 1 for a non-empty picture; 0 x 0 for an empty picture or box.
PictureSize FitWithoutEnlarging(int64_t width, int64_t height, int boxWidth, int boxHeight);

// At 100 % the picture is fitted into (client width - 8) x (client height - 30), leaving room
// for its shadow and the sound strip.
PictureSize FitModeBox(int clientWidth, int clientHeight);
// Where the fitted picture is drawn at 100 %: x = (client width - w - 8) / 2, y = (client
// height - 30 - h) / 2 + 12 (640 x 480 in 1000 x 700 lands at 176, 107).
GridRect FitModePlacement(int64_t width, int64_t height, int clientWidth, int clientHeight);

// The zoom: a factor of 1 (the fitted picture) to 5 (five times the picture fitted into the
// client), and the scroll offsets kept relative to the centred position, so that the same
// picture point stays at the centre when the factor changes. `fitMode` is set at 100 %.
inline constexpr int kMinimumZoom = 1;
inline constexpr int kMaximumZoom = 5;
struct PreviewZoom {
    int factor = kMinimumZoom;
    int offsetX = 0;
    int offsetY = 0;
    bool fitMode = true;

    friend bool operator==(const PreviewZoom&, const PreviewZoom&) = default;
};
// Zooming in from 100 % starts centred; otherwise the offsets are multiplied by Z' / Z. A factor
// of 5 stays.
PreviewZoom ZoomedIn(const PreviewZoom& zoom);
// The offsets are multiplied by Z' / Z; reaching 100 % returns to the fit mode with no offsets.
// A factor of 1 stays.
PreviewZoom ZoomedOut(const PreviewZoom& zoom);
// The zoom label: "100%" to "500%".
std::string ZoomText(int factor);

// The zoomed content: the picture fitted into the client without enlarging, times the factor.
PictureSize ZoomContentSize(int64_t width, int64_t height, int clientWidth, int clientHeight, int factor);

// One scroll bar of the zoomed picture. Its range is 0 to `maximum` (the content beyond the
// client), `position` the stored offset plus the centred position, clamped; `offset` the stored
// offset recomputed from the clamped position (0 when the content is smaller than the client).
struct ScrollAxis {
    int maximum = 0;
    int position = 0;
    int offset = 0;
    int pageSize = 0; // the client size, for the thumb
    int lineStep = 0; // a tenth of the client
    int pageStep = 0; // nine tenths of the client

    bool Needed() const { return maximum > 0; }
    friend bool operator==(const ScrollAxis&, const ScrollAxis&) = default;
};
ScrollAxis LayoutScrollAxis(int content, int client, int storedOffset);
// The stored offset for a scroll bar position (the user scrolled).
int OffsetOfScrollPosition(int position, int content, int client);

// What the zoomed picture shows: the part of the picture (in its pixels) that is scaled into
// `target`, the visible min(client, content) centred in the client. The source starts at picture
// width x (offset + (content - visible) / 2) / content and is picture width x visible / content
// wide (at most the picture), and likewise down; it is kept inside the picture.
struct ZoomedPart {
    GridRect source;
    GridRect target;
};
ZoomedPart ZoomedPartOf(int64_t width, int64_t height, PictureSize content, int clientWidth, int clientHeight,
                        int offsetX, int offsetY);

// How face rectangles (pixels of the decoded picture) map into the picture area: client =
// origin + picture coordinate x scale.
struct FaceMapping {
    double scale = 0;
    int originX = 0;
    int originY = 0;
};
// At 100 %: the scale of the drawn picture, from its drawn top-left corner.
FaceMapping FitModeFaceMapping(const GridRect& drawn, int64_t pictureWidth);
// Zoomed: scale = content width / picture width, origin = client / 2 - content / 2 - offset.
FaceMapping ZoomFaceMapping(PictureSize content, int64_t pictureWidth, int clientWidth, int clientHeight,
                            int offsetX, int offsetY);
GridRect MapFaceRect(const FaceRect& face, const FaceMapping& mapping);
// The first face whose mapped rectangle holds the client point, or none.
std::optional<size_t> FaceAtPoint(const std::vector<FaceRect>& faces, const FaceMapping& mapping, int x, int y);

// The zoom that shows a face: the largest factor 1 to 5 at which the face, scaled by fitted
// width x factor / picture width (the picture fitted into the client), is narrower than the
// client and lower than it; 1 when none is (a face larger than the client at every factor). The
// offsets put the face centre at the view centre: scale x (face centre - picture size / 2).
PreviewZoom ZoomForFace(const FaceRect& face, int64_t width, int64_t height, int clientWidth, int clientHeight);

// The states the control panel buttons follow. `hasPicture`: the current item is a picture
// whose decode has not failed; `pictureDecoded`: its decoded picture is at hand.
struct PreviewButtonInputs {
    size_t selectedCount = 0;
    bool folderSelected = false;
    bool currentRotatable = false;
    bool hasPicture = false;
    bool pictureDecoded = false;
    int zoom = kMinimumZoom;
    bool facesShown = false;
    size_t focus = 0;
    size_t count = 0;
};
struct PreviewButtonEnabling {
    bool back = false;
    bool forward = false;
    bool minus = false;
    bool plus = false;
    bool face = false;
    bool rotate = false; // both rotate buttons
    bool trash = false;

    friend bool operator==(const PreviewButtonEnabling&, const PreviewButtonEnabling&) = default;
};
// Rotate: exactly one item selected, rotatable, at 100 %. Trash: something selected and no
// folder. Face: something selected, the picture decoded, at 100 % or with faces shown. Minus:
// something selected, above 100 %, a picture. Plus: something selected, below 500 %, a picture.
// Back: the focus after the first item. Forward: the focus before the last item.
PreviewButtonEnabling PreviewButtonsEnabled(const PreviewButtonInputs& inputs);
