#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "library/media_item.h"
#include "views/preview_geometry.h"
#include "views/thumbnail_selection.h"
#include "views/view_host.h"

class FaceDetector;
class Filmstrip;
class PreviewControlPanel;
class PreviewLoader;
class PreviewPictureArea;
class ThumbnailWorker;

// The current file of the preview: the first selected item in list order; none without a
// selection.
std::optional<size_t> PreviewCurrentIndex(const std::vector<MediaItem>& items);
// The pictures to decode after the current one: the nearest shown picture items before and
// after `index` (empty where there is none).
std::vector<std::string> PreviewNeighbours(const std::vector<MediaItem>& items, size_t index);
// Whether the preview's rotate buttons can turn an item: a picture, not a folder.
bool PreviewCanRotate(const MediaItem& item);
// Whether an item has a sound for the playback strip (a sound clip, or a picture's memo).
bool PreviewHasSound(const MediaItem& item);

// The preview view: fills the view area with the picture area on top, the control panel
// centred under it and the filmstrip along the bottom. It follows the shared selection (the
// main window calls SelectionRefreshed after every change), decodes the current file through
// its loader, zooms, finds faces, and hosts the date and comment panel. Main thread only.
class PreviewView : public QWidget {
    Q_OBJECT

public:
    // The item vector (owned by the item list), the worker and the cursor (shared with the
    // thumbnail grid) outlive the view.
    PreviewView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                QWidget* parent = nullptr);
    // The same with a loader of the caller's (tests decode without files).
    PreviewView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                std::unique_ptr<PreviewLoader> loader, QWidget* parent = nullptr);
    ~PreviewView() override;

    // Passed on to the filmstrip; the preview sends its commands and item refreshes through it.
    void SetHost(ViewHost host);
    // The detector of the face button (not owned); null puts the program's detector back.
    void SetFaceDetector(FaceDetector* detector);

    // After every selection change: runs the current-file change when the current path changed,
    // then recomputes the buttons and repaints.
    void SelectionRefreshed();
    // After the item list was rebuilt.
    void ListChanged();
    // Places the children for the current size (after a size or panel change).
    void Relayout();
    // Period mode: the strip starts at the first item of a day.
    void SetFilmstripPosition(size_t index);

    void SetInfoOpen(bool open);
    bool InfoOpen() const { return m_infoOpen; }
    const std::string& CurrentPath() const { return m_currentPath; }
    std::optional<size_t> CurrentIndex() const { return m_currentIndex; }

    // The display rotation of the current picture (counter-clockwise quarter turns), for the
    // rotate commands when the file itself cannot be turned; cleared when the file is decoded
    // again.
    void SetRotation(int quarterTurns);
    int Rotation() const;

    // A control panel command (52023 to 52031), as the buttons send them.
    void RunPanelCommand(int buttonId);
    PreviewButtonEnabling Enabling() const { return m_enabling; }

    PreviewPictureArea& PictureArea() { return *m_pictureArea; }
    PreviewControlPanel& ControlPanel() { return *m_controlPanel; }
    Filmstrip& Strip() { return *m_filmstrip; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ChangeCurrentFile(std::optional<size_t> index);
    void UpdateEnabling();
    void FaceAction();
    void StepFile(NavigationKey key, int modifiers);
    void Zoom(int step);
    void OnPictureCommand(int command);
    void OnPictureRewritten(const std::string& path);
    bool SoundWhileZoomed() const;

    std::vector<MediaItem>& m_items;
    SelectionCursor& m_cursor;
    ViewHost m_host;
    Filmstrip* m_filmstrip;
    PreviewControlPanel* m_controlPanel;
    PreviewPictureArea* m_pictureArea;
    FaceDetector* m_detector;
    bool m_infoOpen = false;
    std::string m_currentPath;
    std::optional<size_t> m_currentIndex;
    bool m_leavingFile = false;
    PreviewButtonEnabling m_enabling;
};
