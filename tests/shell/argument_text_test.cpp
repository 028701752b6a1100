#include <unistd.h>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "shell/argument_text.h"

using Tokens = std::vector<std::string>;

TEST(ArgumentText, SkipsTheProgramName)
{
    EXPECT_EQ(ArgumentTextOf("  /usr/bin/VistrelViewer   /home/me  x"), "/home/me  x");
    EXPECT_EQ(ArgumentTextOf("\"/opt/my apps/VistrelViewer\" a b"), "a b");
    EXPECT_EQ(ArgumentTextOf("\"/opt/unterminated a b"), "");
    EXPECT_EQ(ArgumentTextOf("VistrelViewer"), "");
    EXPECT_EQ(ArgumentTextOf("VistrelViewer    "), "");
    EXPECT_EQ(ArgumentTextOf(""), "");
}

TEST(ArgumentText, QuotedTokensKeepTheirSpaces)
{
    EXPECT_EQ(TokenizeArguments("/Print \"/home/me/My Pictures/a.jpg\"  b"),
              (Tokens{"/Print", "/home/me/My Pictures/a.jpg", "b"}));
    EXPECT_EQ(TokenizeArguments("a \"unterminated quote runs"), (Tokens{"a", "unterminated quote runs"}));
    EXPECT_EQ(TokenizeArguments("\"\" x \"\""), (Tokens{"x"}));
    EXPECT_EQ(TokenizeArguments("a\"b c"), (Tokens{"a\"b", "c"}));
    EXPECT_EQ(TokenizeArguments("   "), Tokens{});
}

TEST(ArgumentText, ArgumentsRoundTripThroughTheText)
{
    const char* argv[] = {"/opt/v/VistrelViewer", "/Open", "/tmp/My Pictures/a b.jpg", "", "/x"};
    const std::string text = ArgumentTextOf(CommandLineFromArguments(5, argv));
    EXPECT_EQ(TokenizeArguments(text), (Tokens{"/Open", "/tmp/My Pictures/a b.jpg", "/x"}));
}

TEST(ArgumentText, RelativePathsOfExistingEntriesBecomeAbsolute)
{
    Sandbox sandbox;
    sandbox.WriteFile("pics/a.jpg", "x");
    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(sandbox.Path().c_str()), 0);
    const char* argv[] = {"VistrelViewer", "pics/./a.jpg", "missing.jpg", "--help"};
    const std::string text = ArgumentTextOf(CommandLineFromArguments(4, argv));
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_EQ(TokenizeArguments(text), (Tokens{sandbox / "pics/a.jpg", "missing.jpg", "--help"}));
}
