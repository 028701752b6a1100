#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "framework/string_table.h"
#include "shell/replace_text.h"
#include "shell/resource_modules.h"

TEST(ReplaceText, LocalisesTheWindowAndEveryDescendantWithAKey)
{
    LanguageStrings().Parse(
        "TEST_RT_Title,\"Copy to folder\"\nTEST_RT_Ok,\"OK\"\nTEST_RT_Label,\"Where to?\"\n");
    QWidget window;
    window.setWindowTitle("TEST_RT_Title");
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel("TEST_RT_Label");
    auto* ok = new QPushButton("TEST_RT_Ok");
    auto* plain = new QPushButton("Not a key");
    auto* inner = new QWidget;
    auto* nested = new QLabel("TEST_RT_Ok", inner);
    for (QWidget* child :
         {static_cast<QWidget*>(label), static_cast<QWidget*>(ok), static_cast<QWidget*>(plain), inner})
        layout->addWidget(child);

    ReplaceText(&window);
    EXPECT_EQ(window.windowTitle(), "Copy to folder");
    EXPECT_EQ(label->text(), "Where to?");
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(plain->text(), "Not a key");
    EXPECT_EQ(nested->text(), "OK");
}

TEST(MarkingColour, ParsesHexTextAsRedGreenBlue)
{
    EXPECT_EQ(ParseMarkingColour("", kDefaultMarkingColour), 0x12B9E3u);
    EXPECT_EQ(ParseMarkingColour("FF0000", kDefaultMarkingColour), 0xFF0000u);
    EXPECT_EQ(ParseMarkingColour("0x00ff7f", kDefaultMarkingColour), 0x00FF7Fu);
    EXPECT_EQ(ParseMarkingColour("zz", kDefaultMarkingColour), kDefaultMarkingColour);
}
