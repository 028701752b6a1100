#include <gtest/gtest.h>

#include <QTest>

#include "views/skinned_button.h"

namespace {

constexpr ButtonRow kPlain{"Trash", 10, 2, 34, 44, "BMP_THUMBNAIL_DELETE", 52019, "ZORX_TT_Delete", "Push"};
constexpr ButtonRow kToggle{"SizeM", 431, 16, 24, 49, "BMP_TOP_THUMBNAIL_SIZE1", 52013, "ZORX_TT_ThumbnailM",
                            "Push,Toggle"};
constexpr ButtonRow kSelect{"Preview", 260, 23, 41, 38, "BMP_TOP_PREVIEW", 52010, "ZORX_TT_Preview", "Push,Select"};

// A button in a bar, with the commands it sent.
struct ButtonHarness {
    QWidget bar;
    SkinnedButton* button;
    std::vector<int> commands;

    explicit ButtonHarness(const ButtonRow& row)
    {
        bar.resize(600, 80);
        button = new SkinnedButton(row, &bar);
        QObject::connect(button, &SkinnedButton::Command, [this](int id) { commands.push_back(id); });
        bar.show();
    }
};

} // namespace

TEST(SkinnedButton, StyleStringsAndFrames)
{
    EXPECT_TRUE(ParseButtonStyle("Push").push);
    EXPECT_FALSE(ParseButtonStyle("Push").toggle);
    EXPECT_TRUE(ParseButtonStyle("Push,Toggle").toggle);
    EXPECT_TRUE(ParseButtonStyle("Push,Select").select);
    EXPECT_FALSE(ParseButtonStyle("Push,Select").toggle);

    // Disabled shows frame 0 even when selected; selection adds 2 otherwise.
    EXPECT_EQ(ButtonFrame(kButtonDisabled, true), 0);
    EXPECT_EQ(ButtonFrame(kButtonNormal, false), 1);
    EXPECT_EQ(ButtonFrame(kButtonPressed, false), 2);
    EXPECT_EQ(ButtonFrame(kButtonNormal, true), 3);
    EXPECT_EQ(ButtonFrame(kButtonPressed, true), 4);
}

TEST(SkinnedButton, OnlyToggleButtonsTakeThePressedStateFromTheirOwner)
{
    const ButtonStyle plain = ParseButtonStyle("Push");
    EXPECT_EQ(NextButtonState(plain, kButtonNormal, kButtonPressed), kButtonNormal);
    EXPECT_EQ(NextButtonState(plain, kButtonPressed, kButtonNormal), kButtonPressed);
    EXPECT_EQ(NextButtonState(plain, kButtonNormal, kButtonDisabled), kButtonDisabled);
    EXPECT_EQ(NextButtonState(plain, kButtonDisabled, kButtonNormal), kButtonNormal);
    EXPECT_EQ(NextButtonState(plain, kButtonNormal, 7), kButtonNormal);
    const ButtonStyle toggle = ParseButtonStyle("Push,Toggle");
    EXPECT_EQ(NextButtonState(toggle, kButtonNormal, kButtonPressed), kButtonPressed);
    EXPECT_EQ(NextButtonState(toggle, kButtonPressed, kButtonNormal), kButtonNormal);
}

TEST(SkinnedButton, PlainButtonActsOnReleaseEvenOutsideItsArea)
{
    ButtonHarness harness(kPlain);
    EXPECT_EQ(harness.button->geometry(), QRect(10, 2, 34, 44));
    QTest::mousePress(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(harness.button->State(), kButtonPressed);
    EXPECT_TRUE(harness.commands.empty());
    QTest::mouseRelease(harness.button, Qt::LeftButton, {}, QPoint(300, 60));
    EXPECT_EQ(harness.button->State(), kButtonNormal);
    EXPECT_EQ(harness.commands, std::vector<int>{52019});
}

TEST(SkinnedButton, DisabledButtonIgnoresPresses)
{
    ButtonHarness harness(kPlain);
    harness.button->SetState(kButtonDisabled);
    harness.button->SetSelected(true);
    EXPECT_EQ(harness.button->Frame(), 0);
    QTest::mouseClick(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(harness.commands.empty());
    EXPECT_EQ(harness.button->State(), kButtonDisabled);
}

TEST(SkinnedButton, SelectButtonActsOnPressAndShowsItsSelection)
{
    ButtonHarness harness(kSelect);
    harness.button->SetSelected(true);
    EXPECT_EQ(harness.button->Frame(), 3);
    QTest::mousePress(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(harness.commands, std::vector<int>{52010});
    EXPECT_EQ(harness.button->Frame(), 4);
    QTest::mouseRelease(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(harness.commands.size(), 1u);
    EXPECT_EQ(harness.button->Frame(), 3);
}

TEST(SkinnedButton, ToggleButtonStaysPressedUntilItsOwnerSetsIt)
{
    ButtonHarness harness(kToggle);
    QTest::mouseClick(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(harness.commands, std::vector<int>{52013});
    EXPECT_EQ(harness.button->State(), kButtonPressed);
    // A pressed toggle takes no further presses until its owner sets it back.
    QTest::mouseClick(harness.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(harness.commands.size(), 1u);
    harness.button->SetState(kButtonNormal);
    EXPECT_EQ(harness.button->Frame(), 1);
}

TEST(SkinnedButton, ButtonSetFindsButtonsByName)
{
    QWidget bar;
    ButtonSet buttons;
    const ButtonRow rows[] = {kPlain, kSelect};
    std::vector<int> commands;
    buttons.Create(rows, &bar, [&commands](int id) { commands.push_back(id); });
    ASSERT_NE(buttons.Find("Preview"), nullptr);
    EXPECT_EQ(buttons.Find("Preview")->Id(), 52010);
    EXPECT_EQ(buttons.Find("Nothing"), nullptr);
    EXPECT_EQ(buttons.All().size(), 2u);
    bar.show();
    QTest::mouseClick(buttons.Find("Trash"), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(commands, std::vector<int>{52019});
}
