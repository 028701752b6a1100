#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QImage>
#include <QSize>

#include "library/media_item.h"
#include "library/preview_loader.h"
#include "views/face_detector.h"
#include "views/preview_geometry.h"
#include "views/thumbnail_bitmaps.h"
#include "views/thumbnail_selection.h"

// The preview's picture: the current file's decoded picture fitted with the thumbnails' drop
// shadow at 100 %, or zoomed 200 % to 500 % with scroll bars, and the frames of the faces found
// in it. The picture comes from a PreviewLoader that decodes on its own thread; until it is
// ready only the background shows. Keys and zoom requests go to the preview as signals. Main
// thread only; the loader's ready calls arrive queued.
class PreviewPictureArea : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Face frames: a white outer line and a 2-pixel inner line, amber for the face under the
    // mouse.
    static constexpr QRgb kFaceOuterColour = 0xFFFFFFFF;
    static constexpr QRgb kFaceInnerColour = 0xFF00FFDE;
    static constexpr QRgb kFaceHoverColour = 0xFFFFCC00;

    explicit PreviewPictureArea(std::unique_ptr<PreviewLoader> loader, QWidget* parent = nullptr);
    ~PreviewPictureArea() override;

    // The file to show (empty: nothing), whether it is a picture to decode, and the pictures to
    // decode after it. A new path starts without rotation and without faces; the zoom stays.
    void ShowFile(const std::string& path, bool isPicture, std::vector<std::string> neighbours);
    const std::string& Path() const { return m_path; }
    // The current file was rewritten: its picture is decoded again, at 100 % and without rotation.
    void Reload();
    // Other files that were rewritten are only forgotten.
    void Forget(const std::string& path);

    // Quarter turns counter-clockwise (taken modulo 4) applied to the decoded picture until the
    // file is decoded again for another path or a reload. Faces are cleared, their places change.
    void SetRotation(int quarterTurns);
    int Rotation() const { return m_rotation; }

    // The picture being shown (rotated), or null while none is ready.
    const SharedPicture& Picture() const { return m_picture; }
    bool DecodeFailed() const { return m_failed; }
    // The current file is a picture whose decode has not failed.
    bool HasPicture() const { return m_isPicture && !m_failed; }

    const PreviewZoom& Zoom() const { return m_zoom; }
    // Zoom in and out by one step within 1 to 5, and any zoom (a face's).
    void ZoomIn();
    void ZoomOut();
    void SetZoom(const PreviewZoom& zoom);

    // Faces in pixels of the shown picture; a non-empty list shows them and starts the round of
    // zooming to each face at the first one.
    void SetFaces(std::vector<FaceRect> faces);
    void ClearFaces();
    bool FacesShown() const { return m_facesShown; }
    const std::vector<FaceRect>& Faces() const { return m_faces; }
    size_t NextFace() const { return m_nextFace; }
    // Zooms to the face at the next index and advances it; past the last face the faces are
    // cleared and the zoom returns to 100 %.
    void ZoomToNextFace();
    std::optional<size_t> HoveredFace() const { return m_hoveredFace; }

    // Where face rectangles land in the viewport now (no scale without a picture).
    FaceMapping CurrentFaceMapping() const;
    // Where the picture is drawn at 100 % in the viewport.
    GridRect FittedRect() const;
    // How often the scaled copy of the fitted picture was made (it is kept while the fitted
    // rectangle and the picture stay the same).
    int FitCacheBuilds() const { return m_fitCacheBuilds; }

    // The loader, for the preview's housekeeping and the tests.
    PreviewLoader& Loader() { return *m_loader; }

signals:
    // A navigation key (previous, next, page, home, end) with the modifier state (kModifier...).
    void NavigationRequested(NavigationKey key, int modifiers);
    // Escape (stop loading) and Delete, for the preview to pass on.
    void CommandRequested(int command);
    // + (1) or - (-1).
    void ZoomRequested(int step);
    // The picture, its failure, the zoom or the faces changed: the buttons follow.
    void StateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnPictureReady(const std::string& path);
    // Takes what the loader holds for the path (the picture for the current box, else any size
    // held) and rotates it.
    void RefreshPicture();
    // Asks the loader for the current file in the box of the zoom: the fitted box at 100 %, the
    // full picture (0 x 0) zoomed.
    void RequestPicture();
    void ApplyScrollBars();
    void PaintFitted(QPainter& painter, const SharedPicture& shown);
    void PaintZoomed(QPainter& painter, const DibImage& picture);
    void PaintFaces(QPainter& painter) const;
    void PaintShadow(QPainter& painter, const GridRect& drawn) const;
    void ZoomToFace(const FaceRect& face);
    // The viewport as it is while zoomed, with both scroll bars shown.
    QSize ZoomedClientSize() const;
    void SetHoveredFace(std::optional<size_t> face);
    PictureSize ShownPictureSize() const;

    std::unique_ptr<PreviewLoader> m_loader;
    ThumbnailBitmaps m_bitmaps;

    std::string m_path;
    bool m_isPicture = false;
    std::vector<std::string> m_neighbours;
    // What the loader was last asked for, so that repeated layouts do not ask again.
    std::string m_requestedPath;
    std::vector<std::string> m_requestedNeighbours;
    PictureSize m_requestedBox{-1, -1};

    SharedPicture m_source;  // as the loader holds it
    SharedPicture m_picture; // m_source rotated
    bool m_failed = false;
    int m_rotation = 0;

    PreviewZoom m_zoom;
    bool m_applyingScrollBars = false;

    QImage m_fitCache;
    GridRect m_fitCacheRect;
    SharedPicture m_fitCacheSource;
    int m_fitCacheBuilds = 0;

    std::vector<FaceRect> m_faces;
    PictureSize m_facesPictureSize; // the picture size the rectangles are in
    bool m_facesShown = false;
    size_t m_nextFace = 0;
    std::optional<size_t> m_hoveredFace;
};
