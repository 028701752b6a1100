#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QTest>

#include "about_contents.h"
#include "host_picture.h"
#include "services/service_slot.h"
#include "slide_show_state.h"
#include "slide_show_window.h"

namespace {

VistrelHostProc NoHostFunctions(HostBuffer name)
{
    VistrelFreeBuffer(&name);
    return nullptr;
}

bool Mentions(const AboutText& about, const std::string& text)
{
    return about.PlainText().find(text) != std::string::npos;
}

} // namespace

TEST(AboutContents, NamesTheProgramItsFolderAndTheLibraryLicences)
{
    const AboutText about = AboutContents("5.0.0", "/opt/vistrel", "6.4.2");
    EXPECT_EQ(about.title, "About VistrelViewer");
    EXPECT_EQ(about.programLine, "VistrelViewer 5.0.0");
    EXPECT_TRUE(Mentions(about, "/opt/vistrel"));
    for (const char* name : {"Qt 6 6.4.2", "LGPL version 3", "libjpeg-turbo", "IJG", "BSD", "libtiff",
                             "libtiff licence", "FFmpeg", "LGPL version 2.1 or later"})
        EXPECT_TRUE(Mentions(about, name)) << name;
    EXPECT_FALSE(Mentions(about, "GoogleTest"));
    ASSERT_EQ(about.libraries.size(), 4u);
    EXPECT_TRUE(about.libraries[1].version.empty());
}

TEST(AboutContents, SaysSoWhenTheFolderIsUnknown)
{
    EXPECT_TRUE(Mentions(AboutContents("1.2.3", "", "6.0.0"), "(unknown)"));
}

TEST(AboutContents, ProgramFolderIsTheParentOfTheSystemFolder)
{
    EXPECT_EQ(ProgramFolderOf("/opt/vistrel/System"), "/opt/vistrel");
    EXPECT_EQ(ProgramFolderOf("/opt/vistrel/System/"), "/opt/vistrel");
    EXPECT_EQ(ProgramFolderOf("/System"), "/");
    EXPECT_EQ(ProgramFolderOf(""), "");
    EXPECT_EQ(ProgramFolderOf("System"), "");
}

TEST(SlideShowState, StepsThroughAndEndsAfterTheLastPicture)
{
    SlideShowState state(3);
    EXPECT_EQ(state.Index(), 0u);
    state.Previous();
    EXPECT_EQ(state.Index(), 0u) << "no step back before the first picture";
    state.Next();
    state.Next();
    EXPECT_EQ(state.Index(), 2u);
    EXPECT_FALSE(state.Finished());
    state.Previous();
    EXPECT_EQ(state.Index(), 1u);
    state.Next();
    state.Next();
    EXPECT_TRUE(state.Finished());
    EXPECT_EQ(state.Index(), 2u) << "it stops rather than wrapping";
    state.Previous();
    EXPECT_TRUE(state.Finished());
}

TEST(SlideShowState, TimerAdvancesOnlyWhileRunning)
{
    SlideShowState state(2);
    state.TogglePause();
    EXPECT_TRUE(state.Paused());
    EXPECT_FALSE(state.TimerTick());
    EXPECT_EQ(state.Index(), 0u);
    state.Next();
    EXPECT_EQ(state.Index(), 1u) << "a key still steps while paused";
    state.TogglePause();
    EXPECT_TRUE(state.TimerTick());
    EXPECT_TRUE(state.Finished());
    EXPECT_FALSE(state.TimerTick());
}

TEST(SlideShowState, NothingToShowIsFinishedAtOnce)
{
    SlideShowState state(0);
    EXPECT_TRUE(state.Finished());
    state.Next();
    EXPECT_EQ(state.Index(), 0u);
}

TEST(SlideShowFit, KeepsTheAspectRatioAndCentres)
{
    EXPECT_EQ(FitRect({400, 300}, QRect(0, 0, 1920, 1080)), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(FitRect({300, 400}, QRect(0, 0, 1920, 1080)), QRect(555, 0, 810, 1080));
    EXPECT_EQ(FitRect({4000, 1000}, QRect(0, 0, 1000, 1000)), QRect(0, 375, 1000, 250));
    EXPECT_EQ(FitRect({10, 10}, QRect(100, 50, 200, 100)), QRect(150, 50, 100, 100)) << "small pictures grow";
    EXPECT_EQ(FitRect({100000, 1}, QRect(0, 0, 800, 600)).height(), 1);
    EXPECT_TRUE(FitRect({0, 10}, QRect(0, 0, 800, 600)).isNull());
    EXPECT_TRUE(FitRect({10, 10}, QRect()).isNull());
}

TEST(SlideShowPicture, CopiesBgrRowsWithTheirStride)
{
    // 3x2 pixels, 9 bytes of pixels and 3 of padding in each 12-byte row.
    HostImage image{};
    image.width = 3;
    image.height = 2;
    image.bitsPerPixel = 24;
    image.stride = 12;
    image.header = std::calloc(1, 40);
    image.pixels = std::malloc(24);
    const unsigned char rows[24] = {255, 0,   0,   0,   255, 0,   0, 0, 255, 9, 9, 9,
                                    0,   0,   0,   255, 255, 255, 10, 20, 30, 9, 9, 9};
    std::memcpy(image.pixels, rows, sizeof rows);

    const QImage picture = ToQImage(image);
    VistrelFreeImage(&image);
    ASSERT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(picture.pixelColor(1, 0), QColor(0, 255, 0));
    EXPECT_EQ(picture.pixelColor(2, 0), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(0, 1), QColor(0, 0, 0));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(255, 255, 255));
    EXPECT_EQ(picture.pixelColor(2, 1), QColor(30, 20, 10));
}

TEST(SlideShowPicture, RefusesWhatIsNot24BitOrTooShortARow)
{
    std::vector<unsigned char> pixels(64);
    HostImage image{4, 4, 8, 4, nullptr, pixels.data()};
    EXPECT_TRUE(ToQImage(image).isNull());
    image = {4, 4, 24, 8, nullptr, pixels.data()};
    EXPECT_TRUE(ToQImage(image).isNull());
    image = {4, 4, 24, 12, nullptr, nullptr};
    EXPECT_TRUE(ToQImage(image).isNull());
}

TEST(SlideShowWindow, KeysStepPauseAndEndTheShow)
{
    std::vector<std::string> loaded;
    SlideShowWindow window({"a.jpg", "b.jpg", "c.jpg"}, [&loaded](const std::string& path) {
        loaded.push_back(path);
        return QImage(4, 3, QImage::Format_RGB32);
    });
    int closed = 0;
    window.onClosed = [&closed] { ++closed; };
    window.resize(320, 240);
    window.show();
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_PageUp);
    EXPECT_EQ(loaded, (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "b.jpg"}));
    QTest::keyClick(&window, Qt::Key_P);
    EXPECT_TRUE(window.State().Paused());
    QTest::keyClick(&window, Qt::Key_Pause);
    EXPECT_FALSE(window.State().Paused());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(window.State().Finished());
    EXPECT_FALSE(window.isVisible());
}

TEST(SlideShowWindow, StepsPastTheLastPictureClose)
{
    SlideShowWindow window({"only.jpg"}, [](const std::string&) { return QImage(); });
    int closed = 0;
    window.onClosed = [&closed] { ++closed; };
    window.show();
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(DialogServices, LoadAsTheProgramLoadsThem)
{
    for (const char* module : {"svc30.so", "svc19.so", "svc01.so", "svc02.so", "svc14.so", "svc06.so",
                               "svc23.so", "svc24.so"}) {
        ServiceSlot slot;
        slot.SetModulePath(std::string(VISTREL_SYSTEM_DIR) + "/" + module);
        ASSERT_TRUE(slot.Load(NoHostFunctions)) << slot.LoadError();
        EXPECT_EQ(slot.Entries().getType(), 0);
        EXPECT_EQ(slot.Entries().createWindowL, nullptr);
    }
}
