// The texts of the trace: one line always, whatever a host sends.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "shared/trace_rules.h"

TEST(TraceEscape, EveryTextStaysOnOneLine)
{
    char out[TRACE_TEXT_SIZE];
    EXPECT_STREQ("\"plain C:\\\\DIR\\\\A.TXT\"", TraceEscape("plain C:\\DIR\\A.TXT", out, sizeof(out)));
    EXPECT_STREQ("\"say \\\"hi\\\"\\r\\nnext\\tline\"", TraceEscape("say \"hi\"\r\nnext\tline", out, sizeof(out)));
    EXPECT_STREQ("\"\\x01\\x1b\\x7f\xe9\"", TraceEscape("\x01\x1b\x7f\xe9", out, sizeof(out)))
        << "control characters as hex, code page letters as they are";
    EXPECT_STREQ("\"\"", TraceEscape("", out, sizeof(out)));
}

TEST(TraceEscape, ALongTextIsCutVisibly)
{
    // 255 characters that each take four: the worst an atom can hold.
    std::string worst(255, '\x01');
    char out[TRACE_TEXT_SIZE];
    memset(out, '@', sizeof(out));
    TraceEscape(worst.c_str(), out, sizeof(out));
    size_t n = strlen(out);
    EXPECT_LT(n, sizeof(out));
    EXPECT_EQ("\"...", std::string(out + n - 4)) << "the cut is shown";
    EXPECT_EQ(0u, (n - 5) % 4) << "no escape is cut in half";
    char tiny[8];
    EXPECT_STREQ("\"ab\"...", TraceEscape("abcdef", tiny, sizeof(tiny))) << "8 characters, the zero included";
    char none[4] = "xyz";
    EXPECT_STREQ("", TraceEscape("abc", none, sizeof(none))) << "too small: empty";
}

TEST(TraceNames, RequestsAndRelayedMessages)
{
    EXPECT_STREQ("KXR_LONG_PATH", RequestName(2));
    EXPECT_STREQ("KXR_FILL_LIST", RequestName(32));
    EXPECT_EQ(nullptr, RequestName(33));
    EXPECT_STREQ("WM_KEYDOWN", RelayedMessageName(0x100));
    EXPECT_STREQ("WM_SETCURSOR", RelayedMessageName(0x20));
    EXPECT_EQ(nullptr, RelayedMessageName(0x400));
    char line[16] = "abc";
    TraceAppend(line, sizeof(line), " %s", "defghijklmnopqrstuvwxyz");
    EXPECT_EQ(15u, strlen(line)) << "never past the line's end";
}
