// The start-up text rules: the host handle and the launcher's command edit.
#include <gtest/gtest.h>
#include <string.h>
#include "bridge/launch_rules.h"
#include "shared/cmdline_rules.h"

TEST(ParseDecimalHandle, ReadsLikeAtol)
{
    EXPECT_EQ(1234u, ParseDecimalHandle("1234"));
    EXPECT_EQ(1234u, ParseDecimalHandle("  \t1234"));
    EXPECT_EQ(65538u, ParseDecimalHandle("65538xyz")) << "digits then letters";
    EXPECT_EQ(0u, ParseDecimalHandle("abc"));
    EXPECT_EQ(0u, ParseDecimalHandle(""));
    EXPECT_EQ(0u, ParseDecimalHandle("/S=x"));
    EXPECT_EQ(7u, ParseDecimalHandle("+7"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimalHandle("-1"));
    EXPECT_EQ(4294967295u, ParseDecimalHandle("4294967295"));
}

TEST(TrimTrailingBlanks, SpacesOnly)
{
    char a[] = "cmd x   ";
    EXPECT_EQ(5, TrimTrailingBlanks(a));
    EXPECT_STREQ("cmd x", a);

    char b[] = "cmd\t";
    EXPECT_EQ(4, TrimTrailingBlanks(b)) << "a trailing tab stays";

    char c[] = "    ";
    EXPECT_EQ(0, TrimTrailingBlanks(c));
    EXPECT_STREQ("", c);
}

TEST(FindQuotedTail, FindsTheNearestOpeningQuote)
{
    int start = -1, end = -1;

    EXPECT_EQ(4, FindQuotedTail("prog\"C:\\a b\\doc.txt\"", &start, &end));
    EXPECT_EQ(5, start);
    EXPECT_EQ(19, end);

    // Two quoted paths: only the last one is taken.
    EXPECT_EQ(6, FindQuotedTail("\"a b\" \"c d\"", &start, &end));
    EXPECT_EQ(7, start);

    // One blank after the opening quote is skipped, a second one is not.
    EXPECT_EQ(0, FindQuotedTail("\" x\"", &start, &end));
    EXPECT_EQ(2, start);
    EXPECT_EQ(0, FindQuotedTail("\"  x\"", &start, &end));
    EXPECT_EQ(2, start);
}

TEST(FindQuotedTail, NoPathToShorten)
{
    int start = -1, end = -1;

    EXPECT_EQ(-1, FindQuotedTail("\"", &start, &end)) << "the closing quote alone";
    EXPECT_EQ(-1, FindQuotedTail("abc\"", &start, &end)) << "no opening quote";
    EXPECT_EQ(-1, FindQuotedTail("\"abc\" x", &start, &end)) << "last character not a quote";
    EXPECT_EQ(-1, FindQuotedTail("", &start, &end));
    EXPECT_EQ(-1, start);
}

TEST(ReplaceQuotedTail, BoundedByTheBuffer)
{
    char command[16];
    memset(command, '@', sizeof(command));
    strcpy(command, "p \"long\"");

    EXPECT_EQ(1, ReplaceQuotedTail(command, 16, 2, "C:\\LONG~1"));
    EXPECT_STREQ("p C:\\LONG~1", command);

    strcpy(command, "p \"long\"");
    EXPECT_EQ(0, ReplaceQuotedTail(command, 16, 2, "C:\\ABCDEFGHIJKL")) << "2 + 15 + 1 > 16";
    EXPECT_STREQ("p \"long\"", command) << "left alone when it would not fit";
    EXPECT_EQ(1, ReplaceQuotedTail(command, 16, 2, "C:\\ABCDEFGHIJ")) << "2 + 13 + 1 fits";
    EXPECT_EQ('\0', command[15]);
}

TEST(ArgumentText, SkipsBlanksTheProgramNameAndTheBlanksAfterIt)
{
    struct { const char *line, *arguments; } cases[] = {
        { "korvex.exe 65600", "65600" },
        { "  \"C:\\korvex.exe\" 65600", "65600" },
        { "\"C:\\korvex.exe\"65600", "65600" },
        { "\t\"C:\\Program Files\\korvex.exe\"\t \t/s=x.exe a", "/s=x.exe a" },
        { "\"C:\\korvex.exe\"/s=\"C:\\a b\\x.exe\"", "/s=\"C:\\a b\\x.exe\"" },
        { "korvex.exe\t1 2 ", "1 2 " },
        { "korvex.exe", "" },
        { "\"C:\\no closing quote 12", "" },
        { "   ", "" },
        { "", "" },
        { "a\"b c\" d", "c\" d" },   // a quote inside an unquoted name is a character
    };
    for (const auto &c : cases)
        EXPECT_STREQ(c.arguments, ArgumentText(c.line)) << "line [" << c.line << "]";
    EXPECT_STREQ("", ArgumentText(nullptr));
}
