#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "services/command_table.h"

TEST(CommandTable, RowsAreNumberedModulesWithDistinctNames)
{
    std::set<std::string_view> names;
    for (size_t i = 0; i < kServiceCommands.size(); ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "svc%02zu.so", i + 1);
        EXPECT_EQ(kServiceCommands[i].moduleFile, expected) << kServiceCommands[i].name;
        EXPECT_TRUE(names.insert(kServiceCommands[i].name).second) << kServiceCommands[i].name;
    }
}

TEST(CommandTable, NamesAreLookedUpExactly)
{
    EXPECT_EQ(FindServiceCommand("SlideShow"), 18u);
    EXPECT_EQ(FindServiceCommand("SlideshowSetting"), 25u);
    EXPECT_EQ(FindServiceCommand("RotateCCW"), 7u);
    EXPECT_FALSE(FindServiceCommand("slideshow"));
    EXPECT_FALSE(FindServiceCommand("SlideShow "));
    EXPECT_FALSE(FindServiceCommand(""));
}
