#include "views/preview_view.h"

#include <algorithm>

#include <QApplication>
#include <QHideEvent>
#include <QPainter>
#include <QShowEvent>

#include "library/preview_loader.h"
#include "shell/message_box.h"
#include "views/date_comment_panel.h"
#include "views/face_detector.h"
#include "views/filmstrip.h"
#include "views/preview_control_panel.h"
#include "views/preview_picture_area.h"
#include "views/qt_forms.h"

namespace {

const QColor kPanelColour(0xE4, 0xE9, 0xF3);

bool IsShownPicture(const MediaItem& item)
{
    return item.isImage && !item.IsFolder() && !item.hidden;
}

int CurrentModifiers()
{
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    return ((modifiers & Qt::ControlModifier) ? kModifierCtrl : 0)
        | ((modifiers & Qt::ShiftModifier) ? kModifierShift : 0);
}

// Keeps the window disabled and the wait cursor up while the detector runs.
class BusyWindow {
public:
    explicit BusyWindow(QWidget* window)
        : m_window(window)
    {
        if (m_window)
            m_window->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyWindow()
    {
        QApplication::restoreOverrideCursor();
        if (m_window)
            m_window->setEnabled(true);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    QWidget* m_window;
};

} // namespace

std::optional<size_t> PreviewCurrentIndex(const std::vector<MediaItem>& items)
{
    const auto found = std::find_if(items.begin(), items.end(), [](const MediaItem& item) { return item.selected; });
    if (found == items.end())
        return std::nullopt;
    return static_cast<size_t>(found - items.begin());
}

std::vector<std::string> PreviewNeighbours(const std::vector<MediaItem>& items, size_t index)
{
    std::vector<std::string> neighbours(2);
    if (index >= items.size())
        return neighbours;
    for (size_t i = index; i-- > 0;) {
        if (IsShownPicture(items[i])) {
            neighbours[0] = items[i].fullPath;
            break;
        }
    }
    for (size_t i = index + 1; i < items.size(); ++i) {
        if (IsShownPicture(items[i])) {
            neighbours[1] = items[i].fullPath;
            break;
        }
    }
    return neighbours;
}

bool PreviewCanRotate(const MediaItem& item)
{
    return item.isImage && !item.IsFolder();
}

bool PreviewHasSound(const MediaItem& item)
{
    return item.isSound || item.hasSoundMemo;
}

PreviewView::PreviewView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                         QWidget* parent)
    : PreviewView(items, worker, cursor, nullptr, parent)
{
}

PreviewView::PreviewView(std::vector<MediaItem>& items, ThumbnailWorker& worker, SelectionCursor& cursor,
                         std::unique_ptr<PreviewLoader> loader, QWidget* parent)
    : QWidget(parent)
    , m_items(items)
    , m_cursor(cursor)
    , m_filmstrip(new Filmstrip(items, worker, cursor, this))
    , m_controlPanel(new PreviewControlPanel(this))
    , m_pictureArea(new PreviewPictureArea(std::move(loader), this))
    , m_detector(&ProgramFaceDetector())
{
    setObjectName("PreviewView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_controlPanel, &PreviewControlPanel::Command, this, &PreviewView::RunPanelCommand);
    connect(m_pictureArea, &PreviewPictureArea::NavigationRequested, this, &PreviewView::StepFile);
    connect(m_pictureArea, &PreviewPictureArea::CommandRequested, this, &PreviewView::OnPictureCommand);
    connect(m_pictureArea, &PreviewPictureArea::ZoomRequested, this, &PreviewView::Zoom);
    connect(m_pictureArea, &PreviewPictureArea::StateChanged, this, [this] {
        UpdateEnabling();
        // The picture area loses 20 pixels to a sound's strip while zoomed.
        Relayout();
    });
    connect(&m_controlPanel->DatePanel(), &DateCommentPanel::pictureRewritten, this,
            [this](const QString& path) { OnPictureRewritten(path.toStdString()); });
    UpdateEnabling();
    Relayout();
}

PreviewView::~PreviewView() = default;

void PreviewView::SetHost(ViewHost host)
{
    m_host = std::move(host);
    m_filmstrip->SetHost(m_host);
}

void PreviewView::SetFaceDetector(FaceDetector* detector)
{
    m_detector = detector ? detector : &ProgramFaceDetector();
}

void PreviewView::SelectionRefreshed()
{
    const std::optional<size_t> index = PreviewCurrentIndex(m_items);
    const std::string path = index ? m_items[*index].fullPath : std::string();
    m_currentIndex = index;
    if (path != m_currentPath)
        ChangeCurrentFile(index);
    UpdateEnabling();
    update();
}

void PreviewView::ChangeCurrentFile(std::optional<size_t> index)
{
    // The old file's date and comment are written before anything else changes.
    m_leavingFile = true;
    m_controlPanel->DatePanel().Commit();
    m_leavingFile = false;

    m_currentIndex = index;
    m_currentPath = index ? m_items[*index].fullPath : std::string();
    m_pictureArea->ClearFaces();
    const bool isPicture = index && IsShownPicture(m_items[*index]);
    m_pictureArea->ShowFile(m_currentPath, isPicture,
                            index ? PreviewNeighbours(m_items, *index) : std::vector<std::string>(2));
    m_controlPanel->DatePanel().Load(m_currentPath);
    Relayout();
    m_pictureArea->viewport()->update();
}

void PreviewView::ListChanged()
{
    m_filmstrip->ListChanged();
    SelectionRefreshed();
}

void PreviewView::SetFilmstripPosition(size_t index)
{
    m_filmstrip->SetFirstVisible(index);
}

bool PreviewView::SoundWhileZoomed() const
{
    return m_currentIndex && *m_currentIndex < m_items.size() && PreviewHasSound(m_items[*m_currentIndex])
        && m_pictureArea->Zoom().factor > kMinimumZoom;
}

void PreviewView::Relayout()
{
    const PreviewWindows windows = LayoutPreviewWindows(width(), height(), m_infoOpen, SoundWhileZoomed());
    m_filmstrip->setGeometry(ToQRect(windows.filmstrip));
    m_controlPanel->setGeometry(ToQRect(windows.controlPanel));
    if (m_pictureArea->geometry() != ToQRect(windows.pictureArea))
        m_pictureArea->setGeometry(ToQRect(windows.pictureArea));
}

void PreviewView::SetInfoOpen(bool open)
{
    if (open == m_infoOpen)
        return;
    // Closing the panel writes what was typed into it.
    if (!open)
        m_controlPanel->DatePanel().Commit();
    m_infoOpen = open;
    m_controlPanel->SetInfoOpen(open);
    Relayout();
    update();
}

void PreviewView::SetRotation(int quarterTurns)
{
    m_pictureArea->SetRotation(quarterTurns);
}

int PreviewView::Rotation() const
{
    return m_pictureArea->Rotation();
}

void PreviewView::UpdateEnabling()
{
    PreviewButtonInputs inputs;
    for (const MediaItem& item : m_items) {
        if (!item.selected)
            continue;
        ++inputs.selectedCount;
        inputs.folderSelected = inputs.folderSelected || item.IsFolder();
    }
    inputs.currentRotatable = m_currentIndex && *m_currentIndex < m_items.size()
        && PreviewCanRotate(m_items[*m_currentIndex]);
    inputs.hasPicture = m_pictureArea->HasPicture();
    inputs.pictureDecoded = m_pictureArea->Picture() != nullptr && !m_pictureArea->DecodeFailed();
    inputs.zoom = m_pictureArea->Zoom().factor;
    inputs.facesShown = m_pictureArea->FacesShown();
    inputs.focus = m_cursor.focus;
    inputs.count = m_items.size();
    m_enabling = PreviewButtonsEnabled(inputs);
    m_controlPanel->ApplyEnabling(m_enabling);
    m_controlPanel->SetZoom(inputs.zoom);
    m_controlPanel->SetFacesShown(inputs.facesShown);
}

void PreviewView::RunPanelCommand(int buttonId)
{
    if (const std::optional<int> command = MainCommandOfPreviewButton(buttonId)) {
        m_host.SendCommand(*command);
    } else {
        switch (buttonId) {
        case PreviewButton::kInfo: SetInfoOpen(!m_infoOpen); break;
        case PreviewButton::kPrevious: StepFile(NavigationKey::Previous, CurrentModifiers()); break;
        case PreviewButton::kNext: StepFile(NavigationKey::Next, CurrentModifiers()); break;
        case PreviewButton::kZoomIn: Zoom(1); break;
        case PreviewButton::kZoomOut: Zoom(-1); break;
        case PreviewButton::kFace: FaceAction(); break;
        default: break;
        }
    }
    m_pictureArea->setFocus(Qt::OtherFocusReason);
    m_controlPanel->ResetTooltips();
}

void PreviewView::StepFile(NavigationKey key, int modifiers)
{
    m_filmstrip->StepFile(key, modifiers);
}

void PreviewView::Zoom(int step)
{
    // The keys follow the buttons' rules, so the factor never leaves 1 to 5 and a file without
    // a picture is not zoomed.
    UpdateEnabling();
    if (step > 0 && m_enabling.plus)
        m_pictureArea->ZoomIn();
    else if (step < 0 && m_enabling.minus)
        m_pictureArea->ZoomOut();
}

void PreviewView::OnPictureCommand(int command)
{
    if (command == ViewCommand::kDelete && !AnySelected(m_items))
        return;
    m_host.SendCommand(command);
}

void PreviewView::FaceAction()
{
    if (m_pictureArea->FacesShown()) {
        m_pictureArea->ZoomToNextFace();
        return;
    }
    const SharedPicture picture = m_pictureArea->Picture();
    if (!picture)
        return;
    std::vector<FaceRect> faces;
    {
        BusyWindow busy(window());
        faces = FindFaces(*m_detector, *picture);
    }
    if (faces.empty()) {
        ShowErrorMessage(this, "ZORX_FD_CannotDetectFace");
        return;
    }
    m_pictureArea->SetFaces(std::move(faces));
}

void PreviewView::OnPictureRewritten(const std::string& path)
{
    m_host.ItemRewritten(path);
    // Leaving a file writes it on the way out: its picture is only forgotten, and the zoom
    // stays for the next file.
    if (m_leavingFile || path != m_pictureArea->Path()) {
        m_pictureArea->Loader().Forget(path);
        return;
    }
    m_pictureArea->Reload();
}

void PreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), kPanelColour);
    const int band = std::clamp(WhiteBandBottom(h, m_infoOpen), 0, h);
    painter.fillRect(QRect(0, 0, w, band), Qt::white);
    painter.fillRect(QRect(0, 0, 1, h), Qt::white);
    painter.fillRect(QRect(w - 1, 0, 1, h), Qt::white);
}

void PreviewView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

void PreviewView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The selection may have changed in another view: the strip shows the current file.
    Relayout();
    m_filmstrip->MakeFocusVisible();
}

void PreviewView::hideEvent(QHideEvent* event)
{
    // Leaving the preview leaves the file too.
    if (!event->spontaneous())
        m_controlPanel->DatePanel().Commit();
    QWidget::hideEvent(event);
}
