#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/item_view_test_support.h"
#include "app/language_module_support.h"
#include "fixtures/sandbox.h"
#include "framework/string_table.h"
#include "library/dib_image.h"
#include "library/preview_loader.h"
#include "library/thumbnail_worker.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"
#include "views/date_comment_panel.h"
#include "views/filmstrip.h"
#include "views/preview_control_panel.h"
#include "views/preview_picture_area.h"
#include "views/preview_view.h"

namespace {

constexpr uint32_t kPictureColour = 0x336699;
constexpr uint32_t kLeftColour = 0xCC0000;
constexpr uint32_t kRightColour = 0x0000CC;
constexpr uint32_t kTopRowColour = 0x00CC00;

// What the fake decoder makes of a path: a picture of one colour, or of two halves, or of one
// colour with a marked top row; or a failure.
struct FakePicture {
    int width = 640;
    int height = 480;
    bool split = false;
    bool markedTopRow = false;
    bool fails = false;
};

// Decodes without files, on the loader's thread; counts the decodes and can hold them back.
class FakeDecoder {
public:
    void Set(const std::string& path, FakePicture picture)
    {
        std::lock_guard lock(m_lock);
        m_pictures[path] = picture;
    }
    void Hold(bool hold) { m_hold = hold; }
    int Decodes(const std::string& path) const
    {
        std::lock_guard lock(m_lock);
        const auto found = m_decodes.find(path);
        return found == m_decodes.end() ? 0 : found->second;
    }

    PreviewLoader::Decoder Function()
    {
        return [this](const std::string& path, int, int, DibImage& image) { return Decode(path, image); };
    }

private:
    int Decode(const std::string& path, DibImage& image)
    {
        while (m_hold)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        FakePicture picture;
        {
            std::lock_guard lock(m_lock);
            ++m_decodes[path];
            const auto found = m_pictures.find(path);
            if (found != m_pictures.end())
                picture = found->second;
        }
        if (picture.fails)
            return -5001;
        if (!image.Create(static_cast<uint32_t>(picture.width), static_cast<uint32_t>(picture.height), 24))
            return -1;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                uint32_t colour = kPictureColour;
                if (picture.split)
                    colour = x < picture.width / 2 ? kLeftColour : kRightColour;
                if (picture.markedTopRow && y == 0)
                    colour = kTopRowColour;
                image.SetPixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y), colour);
            }
        }
        return 0;
    }

    mutable std::mutex m_lock;
    std::map<std::string, FakePicture> m_pictures;
    std::map<std::string, int> m_decodes;
    std::atomic<bool> m_hold{false};
};

// Returns what it was given at the analysed size and remembers that size.
class FakeFaceDetector : public FaceDetector {
public:
    std::vector<FaceRect> faces;
    PictureSize seen;
    int calls = 0;

    std::vector<FaceRect> Detect(const DibImage& picture) override
    {
        ++calls;
        seen = {static_cast<int32_t>(picture.Width()), static_cast<int32_t>(picture.Height())};
        return faces;
    }
};

uint32_t Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

bool IsGrey(uint32_t rgb)
{
    return (rgb >> 16) == ((rgb >> 8) & 0xFF) && (rgb >> 16) == (rgb & 0xFF);
}

int CountColour(const QImage& image, const QRect& area, uint32_t colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += Rgb(image, x, y) == colour ? 1 : 0;
    }
    return count;
}

// Pixels whose every channel is at least `level`: the white label text on its dark plate
// (#34425C), or, above #E4, text spilling onto the bar (#E4E9F3).
int CountLight(const QImage& image, const QRect& area, int level)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) >= level ? 1 : 0;
        }
    }
    return count;
}

// The preview in a container whose picture area is 1000 x 700 with the information panel
// closed.
constexpr int kContainerWidth = 1000;
constexpr int kContainerHeight = 700 + kControlPanelClosedHeight + kFilmstripHeight;

struct PreviewViewTest : ::testing::Test {
    std::vector<MediaItem> items = Pictures(5);
    ThumbnailWorker worker{FakeProducers()};
    SelectionCursor cursor;
    FakeDecoder decoder;
    FakeFaceDetector detector;
    std::vector<int> commands;
    std::vector<std::string> rewritten;
    std::unique_ptr<PreviewView> view;

    void SetUp() override
    {
        ASSERT_TRUE(RegisterBuiltLanguageModule()) << BuiltLanguageModulePath().toStdString();
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
        MakeView();
    }
    void TearDown() override
    {
        decoder.Hold(false);
        view.reset();
    }

    void MakeView()
    {
        view = std::make_unique<PreviewView>(items, worker, cursor,
                                             std::make_unique<PreviewLoader>(decoder.Function()));
        ViewHost host;
        host.sendCommand = [this](int command) { commands.push_back(command); };
        host.selectionChanged = [this] { view->SelectionRefreshed(); };
        host.itemRewritten = [this](const std::string& path) { rewritten.push_back(path); };
        view->SetHost(host);
        view->SetFaceDetector(&detector);
        view->resize(kContainerWidth, kContainerHeight);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void Select(size_t index)
    {
        SelectOnly(items, cursor, index);
        view->SelectionRefreshed();
    }
    PreviewPictureArea& Area() { return view->PictureArea(); }
    bool WaitForPicture()
    {
        return QTest::qWaitFor([this] { return Area().Picture() != nullptr; }, 5000);
    }
    // Selects an item and waits until its picture is shown.
    void Show(size_t index)
    {
        Select(index);
        ASSERT_TRUE(WaitForPicture());
    }
    QImage AreaImage() { return Area().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    SkinnedButton& Button(std::string_view name) { return view->ControlPanel().Buttons()[name]; }
    void Click(std::string_view name) { QTest::mouseClick(&Button(name), Qt::LeftButton); }
    bool Enabled(std::string_view name) { return Button(name).State() != kButtonDisabled; }
    void Key(int key) { QTest::keyClick(&Area(), static_cast<Qt::Key>(key)); }
    // Waits until the full-size decode for a zoom has arrived.
    void Settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return Area().Loader().Idle(); }, 5000));
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(PreviewItems, CurrentFileAndNeighbours)
{
    std::vector<MediaItem> items = Pictures(6);
    EXPECT_EQ(PreviewCurrentIndex(items), std::nullopt);
    items[4].selected = true;
    items[1].selected = true;
    EXPECT_EQ(PreviewCurrentIndex(items), 1u); // list order, not selection order

    // Folders, movies and hidden items are not decoded ahead.
    items[1].attributes = kAttributeFolder;
    items[1].isImage = false;
    items[2].isImage = false;
    items[2].isMovie = true;
    items[4].hidden = true;
    EXPECT_EQ(PreviewNeighbours(items, 3), (std::vector<std::string>{items[0].fullPath, items[5].fullPath}));
    EXPECT_EQ(PreviewNeighbours(items, 0), (std::vector<std::string>{"", items[3].fullPath}));
    EXPECT_EQ(PreviewNeighbours(items, 5), (std::vector<std::string>{items[3].fullPath, ""}));
    EXPECT_EQ(PreviewNeighbours(items, 9), (std::vector<std::string>{"", ""}));

    EXPECT_TRUE(PreviewCanRotate(items[0]));
    EXPECT_FALSE(PreviewCanRotate(items[1]));
    EXPECT_FALSE(PreviewCanRotate(items[2]));
    items[0].hasSoundMemo = true;
    EXPECT_TRUE(PreviewHasSound(items[0]));
    EXPECT_FALSE(PreviewHasSound(items[3]));
}

TEST_F(PreviewViewTest, WindowsArePlacedFromTheContainerSize)
{
    EXPECT_EQ(Area().geometry(), QRect(0, 0, 1000, 700));
    EXPECT_EQ(view->ControlPanel().geometry(), QRect(281, 700, 437, 49));
    EXPECT_EQ(view->Strip().geometry(), QRect(9, 749, 982, 137));

    view->resize(1200, kContainerHeight + 100);
    EXPECT_EQ(Area().geometry(), QRect(0, 0, 1200, 800));
    EXPECT_EQ(view->ControlPanel().geometry(), QRect(381, 800, 437, 49));
    EXPECT_EQ(view->Strip().geometry(), QRect(9, 849, 1182, 137));

    // Beside the control panel the container shows the panel colour, with white edge lines.
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Rgb(image, 100, 820), 0xE4E9F3u);
    EXPECT_EQ(Rgb(image, 0, 820), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 1199, 820), 0xFFFFFFu);
}

TEST_F(PreviewViewTest, FitModeDrawsThePictureAtItsOwnSizeWithTheShadow)
{
    Show(0);
    ASSERT_EQ(Area().viewport()->size(), QSize(1000, 700));
    EXPECT_EQ(Area().FittedRect(), (GridRect{176, 107, 640, 480}));
    const QImage image = AreaImage();
    EXPECT_EQ(Rgb(image, 176, 107), kPictureColour);
    EXPECT_EQ(Rgb(image, 815, 586), kPictureColour);
    EXPECT_EQ(Rgb(image, 175, 300), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 400, 106), 0xFFFFFFu);
    // The drop shadow along the right and the bottom, grey on the white background, and
    // nothing beyond its 8 pixels.
    const uint32_t right = Rgb(image, 817, 300);
    const uint32_t bottom = Rgb(image, 400, 588);
    EXPECT_LT(right & 0xFF, 0xF0u);
    EXPECT_TRUE(IsGrey(right));
    EXPECT_LT(bottom & 0xFF, 0xF0u);
    EXPECT_TRUE(IsGrey(bottom));
    EXPECT_EQ(Rgb(image, 824, 300), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 400, 595), 0xFFFFFFu);
    // Nothing to the left of or above the picture gets a shadow.
    EXPECT_EQ(Rgb(image, 170, 300), 0xFFFFFFu);
}

TEST_F(PreviewViewTest, ScaledCopyIsMadeOnlyWhenTheFittedSizeChanges)
{
    decoder.Set(items[0].fullPath, FakePicture{2000, 1500});
    Show(0);
    // 2000 x 1500 in the 992 x 670 box: 893 x 670.
    EXPECT_EQ(Area().FittedRect(), (GridRect{49, 12, 893, 670}));
    QImage image = AreaImage();
    EXPECT_EQ(Rgb(image, 49 + 446, 12 + 335), kPictureColour);
    const int builds = Area().FitCacheBuilds();
    EXPECT_GE(builds, 1);
    AreaImage();
    Area().viewport()->repaint();
    EXPECT_EQ(Area().FitCacheBuilds(), builds);

    // A narrower area in which the picture keeps its fitted size only moves it.
    view->resize(kContainerWidth - 50, kContainerHeight);
    Settle();
    image = AreaImage();
    EXPECT_EQ(Area().FittedRect(), (GridRect{24, 12, 893, 670}));
    EXPECT_EQ(Area().FitCacheBuilds(), builds);
    EXPECT_EQ(Rgb(image, 24, 12), kPictureColour);
    EXPECT_EQ(Rgb(image, 23, 12), 0xFFFFFFu);

    // A lower one shrinks it: a new copy.
    view->resize(kContainerWidth, kContainerHeight - 300);
    Settle();
    image = AreaImage();
    EXPECT_EQ(Area().FittedRect().height, 370);
    EXPECT_EQ(Area().FitCacheBuilds(), builds + 1);
    EXPECT_EQ(Rgb(image, 500, 200), kPictureColour);
}

TEST_F(PreviewViewTest, OnlyTheBackgroundShowsUntilThePictureIsReady)
{
    Show(0);
    decoder.Hold(true);
    // Not a neighbour of the first: nothing of it is decoded yet.
    Select(3);
    QTest::qWait(30);
    // Neither the previous file's picture nor anything else.
    const QImage image = AreaImage();
    EXPECT_EQ(CountColour(image, image.rect(), 0xFFFFFF), image.width() * image.height());
    EXPECT_FALSE(Enabled("Face"));
    EXPECT_TRUE(Enabled("Plus")); // the zoom may be chosen before the picture arrives
    decoder.Hold(false);
    ASSERT_TRUE(WaitForPicture());
    EXPECT_EQ(Rgb(AreaImage(), 400, 300), kPictureColour);
    EXPECT_TRUE(Enabled("Face"));
}

TEST_F(PreviewViewTest, NeighboursAreDecodedAfterTheCurrentPicture)
{
    Show(2);
    Settle();
    EXPECT_EQ(decoder.Decodes(items[2].fullPath), 1);
    EXPECT_EQ(decoder.Decodes(items[1].fullPath), 1);
    EXPECT_EQ(decoder.Decodes(items[3].fullPath), 1);
    EXPECT_EQ(decoder.Decodes(items[0].fullPath), 0);
    // Stepping on finds the picture ready.
    Show(3);
    Settle();
    EXPECT_EQ(decoder.Decodes(items[3].fullPath), 1);
    EXPECT_EQ(decoder.Decodes(items[4].fullPath), 1);
}

TEST_F(PreviewViewTest, FailedDecodeLeavesTheAreaEmptyAndDisablesFaceAndZoom)
{
    decoder.Set(items[2].fullPath, FakePicture{640, 480, false, false, true});
    Select(2);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Area().DecodeFailed(); }, 5000));
    const QImage image = AreaImage();
    EXPECT_EQ(CountColour(image, image.rect(), 0xFFFFFF), image.width() * image.height());
    EXPECT_FALSE(Enabled("Face"));
    EXPECT_FALSE(Enabled("Minus"));
    EXPECT_FALSE(Enabled("Plus"));
    EXPECT_TRUE(Enabled("Trash"));
    EXPECT_TRUE(Enabled("Back"));
    Key(Qt::Key_Plus);
    EXPECT_EQ(Area().Zoom().factor, 1);
}

TEST_F(PreviewViewTest, ZoomButtonsLabelAndScrollBars)
{
    decoder.Set(items[0].fullPath, FakePicture{2000, 1500});
    Show(0);
    EXPECT_FALSE(Enabled("Minus"));
    EXPECT_EQ(ZoomText(view->ControlPanel().Zoom()), "100%");
    EXPECT_FALSE(Area().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(Area().verticalScrollBar()->isVisible());

    Click("Plus");
    EXPECT_EQ(Area().Zoom().factor, 2);
    EXPECT_EQ(view->ControlPanel().Zoom(), 2);
    EXPECT_TRUE(Area().horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Area().verticalScrollBar()->isVisible());
    EXPECT_TRUE(Area().horizontalScrollBar()->isEnabled());
    EXPECT_TRUE(Enabled("Minus"));
    EXPECT_FALSE(Enabled("RotateL")); // rotation only at 100 %
    EXPECT_FALSE(Enabled("Face"));

    for (int i = 0; i < 3; ++i)
        Click("Plus");
    EXPECT_EQ(Area().Zoom().factor, 5);
    EXPECT_FALSE(Enabled("Plus"));
    EXPECT_EQ(ZoomText(view->ControlPanel().Zoom()), "500%");
    // The label is written in white over its dark plate, and fits on it.
    const QImage panel = view->ControlPanel().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountLight(panel, QRect(213, 6, 28, 24), 0x90), 20);
    EXPECT_EQ(CountLight(panel, QRect(209, 3, 4, 30), 0xEC), 0);
    EXPECT_EQ(CountLight(panel, QRect(241, 3, 3, 30), 0xEC), 0);
    Key(Qt::Key_Plus);
    EXPECT_EQ(Area().Zoom().factor, 5);

    for (int i = 0; i < 4; ++i)
        Click("Minus");
    EXPECT_EQ(Area().Zoom(), PreviewZoom{});
    EXPECT_FALSE(Enabled("Minus"));
    EXPECT_FALSE(Area().horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Enabled("RotateL"));
}

TEST_F(PreviewViewTest, ScrollBarsStayVisibleButDisabledWhenTheZoomedPictureFits)
{
    decoder.Set(items[0].fullPath, FakePicture{100, 50});
    Show(0);
    Click("Plus");
    Settle();
    EXPECT_TRUE(Area().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(Area().horizontalScrollBar()->isEnabled());
    EXPECT_FALSE(Area().verticalScrollBar()->isEnabled());
    // The 200 x 100 content is centred.
    const QImage image = AreaImage();
    const QSize client = Area().viewport()->size();
    EXPECT_EQ(Rgb(image, client.width() / 2, client.height() / 2), kPictureColour);
    EXPECT_EQ(Rgb(image, (client.width() - 200) / 2 - 2, client.height() / 2), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, (client.width() - 200) / 2 + 2, client.height() / 2), kPictureColour);
}

TEST_F(PreviewViewTest, ZoomedPictureFollowsTheScrollBars)
{
    decoder.Set(items[0].fullPath, FakePicture{2000, 1500, true});
    Show(0);
    Click("Plus");
    Settle();
    QScrollBar* across = Area().horizontalScrollBar();
    const QSize client = Area().viewport()->size();
    const int cy = client.height() / 2;
    const PictureSize content = ZoomContentSize(2000, 1500, client.width(), client.height(), 2);
    ASSERT_GT(content.width, client.width());
    EXPECT_EQ(across->maximum(), content.width - client.width());
    EXPECT_EQ(across->value(), across->maximum() / 2);
    // The halves meet at the content's middle, wherever the bar puts it.
    for (const int value : {across->maximum() / 2, across->maximum(), 0}) {
        across->setValue(value);
        const QImage image = AreaImage();
        const int seam = content.width / 2 - value;
        EXPECT_EQ(Rgb(image, std::clamp(seam - 4, 0, client.width() - 1), cy), seam - 4 >= 0 ? kLeftColour : kRightColour)
            << value;
        EXPECT_EQ(Rgb(image, std::clamp(seam + 4, 0, client.width() - 1), cy),
                  seam + 4 < client.width() ? kRightColour : kLeftColour)
            << value;
        EXPECT_EQ(Area().Zoom().offsetX, value - across->maximum() / 2);
    }
    // Steps of a tenth and nine tenths of the client.
    EXPECT_EQ(across->singleStep(), client.width() / 10);
    EXPECT_EQ(across->pageStep(), client.width() * 9 / 10);
}

TEST_F(PreviewViewTest, ZoomingOutKeepsThePointAtTheCentre)
{
    decoder.Set(items[0].fullPath, FakePicture{2000, 1500});
    Show(0);
    Click("Plus");
    Click("Plus");
    Settle();
    ASSERT_EQ(Area().Zoom().factor, 3);
    EXPECT_EQ(Area().Zoom().offsetX, 0);
    QScrollBar* across = Area().horizontalScrollBar();
    const int centred = across->value();
    across->setValue(centred + 150);
    EXPECT_EQ(Area().Zoom().offsetX, 150);
    Click("Minus");
    EXPECT_EQ(Area().Zoom().factor, 2);
    EXPECT_EQ(Area().Zoom().offsetX, 100);
    EXPECT_EQ(across->value(), across->maximum() / 2 + 100);
}

TEST_F(PreviewViewTest, BackAndForwardStepThroughTheFilesAndStopAtTheEnds)
{
    Show(0);
    EXPECT_FALSE(Enabled("Back"));
    EXPECT_TRUE(Enabled("Forward"));
    Click("Forward");
    EXPECT_EQ(view->CurrentIndex(), 1u);
    EXPECT_EQ(view->CurrentPath(), items[1].fullPath);
    EXPECT_TRUE(items[1].selected);
    EXPECT_FALSE(items[0].selected);
    EXPECT_TRUE(Enabled("Back"));
    Click("Back");
    EXPECT_EQ(view->CurrentIndex(), 0u);

    Show(4);
    EXPECT_FALSE(Enabled("Forward"));
    Key(Qt::Key_Right);
    EXPECT_EQ(view->CurrentIndex(), 4u);
    Key(Qt::Key_Left);
    EXPECT_EQ(view->CurrentIndex(), 3u);
    Key(Qt::Key_Home);
    EXPECT_EQ(view->CurrentIndex(), 0u);
    Key(Qt::Key_End);
    EXPECT_EQ(view->CurrentIndex(), 4u);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(view->CurrentIndex(), 3u);
    Key(Qt::Key_Space);
    EXPECT_EQ(view->CurrentIndex(), 4u);
    // The zoom stays from file to file.
    Key(Qt::Key_Plus);
    Key(Qt::Key_Left);
    EXPECT_EQ(Area().Zoom().factor, 2);
}

TEST_F(PreviewViewTest, KeysAndButtonsSendTheMainCommands)
{
    Show(1);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Delete);
    Click("RotateL");
    Click("RotateR");
    Click("Trash");
    EXPECT_EQ(commands, (std::vector<int>{40027, 40007, 40080, 40079, 40007}));
    // After a button the keyboard belongs to the picture.
    EXPECT_EQ(view->focusWidget(), &Area());

    Key(Qt::Key_Minus);
    EXPECT_EQ(Area().Zoom().factor, 1);
    Key(Qt::Key_Plus);
    EXPECT_EQ(Area().Zoom().factor, 2);
    Key(Qt::Key_Minus);
    EXPECT_EQ(Area().Zoom().factor, 1);

    // Delete asks for nothing without a selection.
    commands.clear();
    items[1].selected = false;
    view->SelectionRefreshed();
    Key(Qt::Key_Delete);
    EXPECT_TRUE(commands.empty());
    EXPECT_FALSE(Enabled("Trash"));
    EXPECT_EQ(view->CurrentPath(), "");
}

TEST_F(PreviewViewTest, InformationPanelMovesTheButtonsAndSwitchesTheTooltip)
{
    Show(0);
    EXPECT_EQ(Button("Info").y(), 3);
    EXPECT_FALSE(Button("Info").Selected());
    EXPECT_EQ(Button("Info").toolTip().toStdString(), GetText("ZORX_TT_InfoOpen"));
    EXPECT_TRUE(view->ControlPanel().DatePanel().isHidden());

    Click("Info");
    EXPECT_TRUE(view->InfoOpen());
    EXPECT_TRUE(Button("Info").Selected());
    EXPECT_EQ(Button("Info").toolTip().toStdString(), GetText("ZORX_TT_InfoClose"));
    for (SkinnedButton* button : view->ControlPanel().Buttons().All())
        EXPECT_EQ(button->y(), 90) << button->Row().name;
    EXPECT_EQ(view->ControlPanel().geometry(), QRect(281, kContainerHeight - 137 - 136, 437, 136));
    EXPECT_EQ(Area().height(), kContainerHeight - 137 - 136);
    EXPECT_FALSE(view->ControlPanel().DatePanel().isHidden());
    EXPECT_EQ(view->ControlPanel().DatePanel().geometry(), QRect(0, 3, 437, 87));
    EXPECT_EQ(view->ControlPanel().DatePanel().LoadedPath(), items[0].fullPath);

    Click("Info");
    EXPECT_FALSE(view->InfoOpen());
    EXPECT_EQ(Button("Trash").y(), 3);
    EXPECT_EQ(Area().height(), 700);
}

TEST_F(PreviewViewTest, FacesAreFoundOnAReducedCopyAndFramedInPlace)
{
    decoder.Set(items[0].fullPath, FakePicture{3000, 2000});
    Show(0);
    detector.faces = {{100, 50, 200, 150}, {600, 300, 700, 400}};
    Click("Face");
    EXPECT_EQ(detector.seen, (PictureSize{1024, 682}));
    ASSERT_TRUE(Area().FacesShown());
    ASSERT_EQ(Area().Faces().size(), 2u);
    EXPECT_EQ(Area().Faces()[0], (FaceRect{292, 146, 585, 439}));
    EXPECT_EQ(Area().Faces()[1], (FaceRect{1757, 879, 2050, 1173}));
    EXPECT_TRUE(Button("Face").Selected());
    EXPECT_TRUE(view->isEnabled());

    // 3000 x 2000 fitted to 992 x 661 at (0, 16), scale 992 / 3000: the first face spans
    // (96, 64) to (193, 161).
    ASSERT_EQ(Area().FittedRect(), (GridRect{0, 16, 992, 661}));
    QImage image = AreaImage();
    EXPECT_EQ(Rgb(image, 96, 110), 0xFFFFFFu);  // outer line
    EXPECT_EQ(Rgb(image, 97, 110), 0x00FFDEu);  // inner line, 2 pixels
    EXPECT_EQ(Rgb(image, 98, 110), 0x00FFDEu);
    EXPECT_EQ(Rgb(image, 99, 110), kPictureColour);
    EXPECT_EQ(Rgb(image, 95, 110), kPictureColour);
    EXPECT_EQ(Rgb(image, 140, 64), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 140, 66), 0x00FFDEu);
    EXPECT_EQ(Rgb(image, 140, 67), kPictureColour);
    EXPECT_EQ(Rgb(image, 192, 110), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 190, 110), 0x00FFDEu);
    EXPECT_EQ(Rgb(image, 189, 110), kPictureColour);
    EXPECT_EQ(Rgb(image, 193, 110), kPictureColour);
    EXPECT_EQ(Rgb(image, 140, 160), 0xFFFFFFu);
    EXPECT_EQ(Rgb(image, 140, 158), 0x00FFDEu);

    // The face under the mouse turns amber.
    QTest::mouseMove(Area().viewport(), QPoint(140, 110));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Area().HoveredFace() == 0u; }, 2000));
    image = AreaImage();
    EXPECT_EQ(Rgb(image, 97, 110), 0xFFCC00u);
    EXPECT_EQ(Rgb(image, 96, 110), 0xFFFFFFu);
    QTest::mouseMove(Area().viewport(), QPoint(600, 600));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Area().HoveredFace(); }, 2000));

    // Each press zooms to the next face, centred; past the last the picture is fitted again.
    Click("Face");
    EXPECT_EQ(Area().Zoom().factor, 5);
    EXPECT_EQ(Area().NextFace(), 1u);
    EXPECT_TRUE(Enabled("Face"));
    Settle();
    const QSize client = Area().viewport()->size();
    GridRect framed = MapFaceRect(Area().Faces()[0], Area().CurrentFaceMapping());
    EXPECT_NEAR(framed.left + framed.width / 2, client.width() / 2, 3);
    EXPECT_NEAR(framed.top + framed.height / 2, client.height() / 2, 3);

    Click("Face");
    EXPECT_EQ(Area().Zoom().factor, 5);
    framed = MapFaceRect(Area().Faces()[1], Area().CurrentFaceMapping());
    EXPECT_NEAR(framed.left + framed.width / 2, client.width() / 2, 3);

    Click("Face");
    EXPECT_FALSE(Area().FacesShown());
    EXPECT_EQ(Area().Zoom(), PreviewZoom{});
    EXPECT_FALSE(Button("Face").Selected());
    EXPECT_EQ(detector.calls, 1);
}

TEST_F(PreviewViewTest, ClickWhileFacesShowZoomsToTheFaceOrBack)
{
    decoder.Set(items[0].fullPath, FakePicture{3000, 2000});
    Show(0);
    detector.faces = {{100, 50, 200, 150}};
    Click("Face");
    ASSERT_TRUE(Area().FacesShown());
    QTest::mouseClick(Area().viewport(), Qt::LeftButton, {}, QPoint(140, 110));
    EXPECT_EQ(Area().Zoom().factor, 5);
    EXPECT_FALSE(Area().FacesShown());
    // Zoomed without faces the face button waits for 100 %.
    EXPECT_FALSE(Enabled("Face"));

    for (int i = 0; i < 4; ++i)
        Click("Minus");
    Click("Face");
    ASSERT_TRUE(Area().FacesShown());
    QTest::mouseClick(Area().viewport(), Qt::LeftButton, {}, QPoint(700, 500));
    EXPECT_EQ(Area().Zoom(), PreviewZoom{});
    EXPECT_FALSE(Area().FacesShown());
}

TEST_F(PreviewViewTest, NoFaceFoundIsReported)
{
    Show(0);
    detector.faces.clear();
    bool reported = false;
    QString text;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            reported = true;
            text = box->findChild<QLabel*>("qt_msgbox_label") ? box->findChild<QLabel*>("qt_msgbox_label")->text()
                                                                : QString();
            box->close();
        }
    });
    Click("Face");
    EXPECT_TRUE(reported);
    EXPECT_EQ(text.toStdString(), GetText("ZORX_FD_CannotDetectFace"));
    EXPECT_FALSE(Area().FacesShown());
    EXPECT_TRUE(view->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PreviewViewTest, RotationTurnsTheShownPictureUntilTheFileChanges)
{
    decoder.Set(items[0].fullPath, FakePicture{640, 480, false, true});
    Show(0);
    view->SetRotation(1);
    ASSERT_TRUE(Area().Picture());
    EXPECT_EQ(Area().Picture()->Width(), 480u);
    EXPECT_EQ(Area().Picture()->Height(), 640u);
    // A counter-clockwise quarter turn puts the top row down the left edge.
    EXPECT_EQ(Area().Picture()->Pixel(0, 300), kTopRowColour);
    EXPECT_EQ(Area().Picture()->Pixel(300, 0), kPictureColour);
    view->SetRotation(-1);
    EXPECT_EQ(view->Rotation(), 3);
    EXPECT_EQ(Area().Picture()->Pixel(479, 300), kTopRowColour);

    Show(1);
    Show(0);
    EXPECT_EQ(view->Rotation(), 0);
    EXPECT_EQ(Area().Picture()->Width(), 640u);
}

TEST_F(PreviewViewTest, RewrittenPictureIsReloadedAtFullViewWithoutRotation)
{
    Show(0);
    Settle();
    const int decodes = decoder.Decodes(items[0].fullPath);
    view->SetRotation(2);
    Key(Qt::Key_Plus);
    ASSERT_EQ(Area().Zoom().factor, 2);
    emit view->ControlPanel().DatePanel().pictureRewritten(QString::fromStdString(items[0].fullPath));
    EXPECT_EQ(rewritten, (std::vector<std::string>{items[0].fullPath}));
    EXPECT_EQ(Area().Zoom(), PreviewZoom{});
    EXPECT_EQ(view->Rotation(), 0);
    ASSERT_TRUE(WaitForPicture());
    Settle();
    EXPECT_GT(decoder.Decodes(items[0].fullPath), decodes);

    // Another file's rewrite only refreshes its item.
    emit view->ControlPanel().DatePanel().pictureRewritten(QString::fromStdString(items[3].fullPath));
    EXPECT_EQ(rewritten.back(), items[3].fullPath);
    EXPECT_EQ(view->CurrentPath(), items[0].fullPath);
}

namespace {

// Real camera pictures, decoded by the program's own loader.
struct PreviewFilesTest : ::testing::Test {
    Sandbox sandbox;
    std::vector<MediaItem> items;
    ThumbnailWorker worker{FakeProducers()};
    SelectionCursor cursor;
    std::vector<std::string> rewritten;
    std::unique_ptr<PreviewView> view;

    void SetUp() override
    {
        ASSERT_TRUE(RegisterBuiltLanguageModule());
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
        for (const char* name : {"DSCF0001.JPG", "DSCF0002.JPG"}) {
            const Bytes jpeg = WithExif(EncodeJpeg(QuadrantPicture(64, 48), {90, false}),
                                        CameraExif(Endian::kLittle).Build().bytes);
            sandbox.WriteFile(name, AsText(jpeg));
            items.push_back(Picture(name, sandbox.Path() + "/"));
        }
        view = std::make_unique<PreviewView>(items, worker, cursor);
        ViewHost host;
        host.selectionChanged = [this] { view->SelectionRefreshed(); };
        host.itemRewritten = [this](const std::string& path) { rewritten.push_back(path); };
        view->SetHost(host);
        view->resize(kContainerWidth, kContainerHeight);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    void Select(size_t index)
    {
        SelectOnly(items, cursor, index);
        view->SelectionRefreshed();
    }
    QLineEdit& Comment() { return *view->ControlPanel().DatePanel().findChild<QLineEdit*>("Comment"); }
};

} // namespace

TEST_F(PreviewFilesTest, LeavingAFileOrThePreviewWritesItsComment)
{
    Select(0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return view->PictureArea().Picture() != nullptr; }, 5000));
    // The camera's orientation turns the 64 x 48 picture upright.
    EXPECT_EQ(view->PictureArea().Picture()->Width() * view->PictureArea().Picture()->Height(), 64u * 48u);
    view->RunPanelCommand(PreviewButton::kInfo);
    ASSERT_TRUE(view->ControlPanel().DatePanel().findChild<QLineEdit*>("Comment"));
    Comment().setText("At the lake");
    Select(1);
    EXPECT_EQ(rewritten, (std::vector<std::string>{items[0].fullPath}));
    EXPECT_EQ(view->PictureArea().Zoom().factor, 1);
    EXPECT_EQ(view->CurrentPath(), items[1].fullPath);

    Comment().setText("On the way back");
    view->hide();
    EXPECT_EQ(rewritten.back(), items[1].fullPath);

    // Closing the panel writes too.
    view->show();
    Select(0);
    EXPECT_EQ(Comment().text().toStdString(), "At the lake");
    Comment().setText("Changed again");
    view->RunPanelCommand(PreviewButton::kInfo);
    EXPECT_EQ(rewritten.back(), items[0].fullPath);
    EXPECT_EQ(rewritten.size(), 3u);
}
