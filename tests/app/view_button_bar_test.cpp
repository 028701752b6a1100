#include <vector>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "views/view_button_bar.h"

namespace {

struct ViewButtonBarTest : ::testing::Test {
    ViewButtonBar bar;
    std::vector<int> commands;

    void SetUp() override
    {
        ViewHost host;
        host.sendCommand = [this](int command) { commands.push_back(command); };
        bar.SetHost(host);
        bar.resize(800, ViewButtonBar::kHeight);
        bar.show();
    }
    SkinnedButton& Button(std::string_view name) { return bar.Buttons()[name]; }
};

} // namespace

TEST(ViewButtonCommands, ButtonsTranslateToMainCommandsOrDaySteps)
{
    EXPECT_EQ(MainCommandOfViewButton(52017), 40080);
    EXPECT_EQ(MainCommandOfViewButton(52018), 40079);
    EXPECT_EQ(MainCommandOfViewButton(52019), 40007);
    EXPECT_EQ(MainCommandOfViewButton(52020), 40003);
    EXPECT_EQ(MainCommandOfViewButton(52039), std::nullopt);

    EXPECT_EQ(DayStepOfViewButton(52039), -1);
    EXPECT_EQ(DayStepOfViewButton(52042), -1);
    EXPECT_EQ(DayStepOfViewButton(52040), 1);
    EXPECT_EQ(DayStepOfViewButton(52041), 1);
    EXPECT_EQ(DayStepOfViewButton(52017), 0);
}

TEST_F(ViewButtonBarTest, RightButtonsFollowTheBarWidth)
{
    EXPECT_EQ(Button("RotateL").x(), 800 - 315);
    EXPECT_EQ(Button("RotateR").x(), 800 - 273);
    EXPECT_EQ(Button("Trash").x(), 800 - 219);
    EXPECT_EQ(Button("NetPrint").x(), 800 - 166);
    bar.resize(438, ViewButtonBar::kHeight);
    EXPECT_EQ(Button("RotateL").x(), 438 - 315);
    EXPECT_EQ(Button("NetPrint").x(), 438 - 166);
    EXPECT_EQ(Button("PmBack").x(), 10);
    EXPECT_EQ(Button("PmForwardR").x(), 65);
}

TEST_F(ViewButtonBarTest, ButtonsSendTheirCommandsWhenSomethingIsSelected)
{
    bar.UpdateEnabling(false);
    EXPECT_EQ(Button("Trash").State(), kButtonDisabled);
    QTest::mouseClick(&Button("Trash"), Qt::LeftButton);
    EXPECT_TRUE(commands.empty());

    bar.UpdateEnabling(true);
    bar.ShowNetPrint(true);
    QTest::mouseClick(&Button("RotateL"), Qt::LeftButton);
    QTest::mouseClick(&Button("RotateR"), Qt::LeftButton);
    QTest::mouseClick(&Button("Trash"), Qt::LeftButton);
    QTest::mouseClick(&Button("NetPrint"), Qt::LeftButton);
    EXPECT_EQ(commands, (std::vector<int>{40080, 40079, 40007, 40003}));
}

TEST_F(ViewButtonBarTest, NetPrintAndDayButtonsShowByTheirRules)
{
    bar.ShowNetPrint(true);
    EXPECT_FALSE(Button("NetPrint").isHidden());
    bar.ShowNetPrint(false);
    EXPECT_TRUE(Button("NetPrint").isHidden());

    const auto shown = [&] {
        std::string names;
        for (const char* name : {"PmBack", "PmForward", "PmBackR", "PmForwardR"})
            names += Button(name).isHidden() ? "" : std::string(name) + " ";
        return names;
    };
    EXPECT_EQ(shown(), ""); // folder mode
    bar.ShowDayButtons(true, true, true);
    EXPECT_EQ(shown(), "PmBack PmForward ");
    bar.ShowDayButtons(true, true, false);
    EXPECT_EQ(shown(), "PmBackR PmForwardR ");
    bar.ShowDayButtons(true, false, true); // preview or report
    EXPECT_EQ(shown(), "");

    // With the decreasing order the left button goes to the next day.
    bar.ShowDayButtons(true, true, false);
    QSignalSpy steps(&bar, &ViewButtonBar::DayStepRequested);
    QTest::mouseClick(&Button("PmBackR"), Qt::LeftButton);
    QTest::mouseClick(&Button("PmForwardR"), Qt::LeftButton);
    ASSERT_EQ(steps.count(), 2);
    EXPECT_EQ(steps[0][0].toInt(), 1);
    EXPECT_EQ(steps[1][0].toInt(), -1);
    EXPECT_TRUE(commands.empty());
}

TEST_F(ViewButtonBarTest, PaintsItsBackgroundAndLines)
{
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.height(), 48);
    // Between the day buttons and the rotation buttons only the bar shows.
    EXPECT_EQ(image.pixel(150, 20) & 0xFFFFFF, 0xE4E9F3u);
    EXPECT_EQ(image.pixel(150, 47) & 0xFFFFFF, 0xBFC8D1u);
    EXPECT_EQ(image.pixel(150, 46) & 0xFFFFFF, 0xE4E9F3u);
    EXPECT_EQ(image.pixel(0, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(799, 20) & 0xFFFFFF, 0xFFFFFFu);
}
