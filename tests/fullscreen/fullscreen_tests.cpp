// qivddraw under Wine and Xvfb at 640x480x24: the posts at start and end, the
// window, the background, the input relay, the commands and the refusals.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include "testsupport.h"

static UINT FullScreenMessage() { return RegisterWindowMessageA(QIV_MESSAGE_NAME); }

static DEVMODEA CurrentMode()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

// One qivddraw, started for a recording host window.
struct FullScreen {
    HWND host;
    HANDLE process;
    HWND window;      // from the 118 post
};

static std::string Qivddraw(HWND host, unsigned depth, unsigned mode, unsigned height, unsigned long colour)
{
    char arguments[96];
    snprintf(arguments, sizeof(arguments), " %lu %u %u %u %lu", (unsigned long)(UINT_PTR)host,
             depth, mode, height, colour);
    return "\"" + BinPath("qivddraw.exe") + "\"" + arguments;
}

static bool Start(FullScreen *fs, unsigned depth, unsigned mode, unsigned height, unsigned long colour)
{
    fs->host = CreateRecordingWindow("full-screen host");
    ClearRecorded();
    fs->process = StartProgram(Qivddraw(fs->host, depth, mode, height, colour));
    Seen shown;
    if (fs->process == NULL || !WaitRecorded(fs->host, FullScreenMessage(), 15000, &shown))
        return false;
    fs->window = (HWND)shown.lParam;
    if (RecordedOf(fs->host, QIV_WM_STARTED).empty())
        WaitRecorded(fs->host, QIV_WM_STARTED, 5000, NULL);
    return true;
}

// Waits for qivddraw to end; returns its exit code.
static int Finish(FullScreen *fs)
{
    int code = WaitProgram(fs->process, 15000);
    KorvexPump(100);
    return code;
}

static std::vector<UINT> EndPosts(HWND host)
{
    std::vector<UINT> ends;
    for (const Seen &s : RecordedOf(host, FullScreenMessage()))
        ends.push_back((UINT)s.wParam);
    return ends;
}

TEST(FullScreenStart, PostsTheWindowThenStartedThenEnded)
{
    DEVMODEA before = CurrentMode();
    FullScreen fs;
    ASSERT_TRUE(Start(&fs, 32, 0, 600, RGB(255, 0, 0))) << "no 118 post";

    // The two posts, in order, before anything else of qivddraw's.
    std::vector<Seen> &log = Recorded();
    std::vector<Seen> posts;
    for (const Seen &s : log)
        if (s.hwnd == fs.host && (s.message == FullScreenMessage() || s.message == QIV_WM_STARTED))
            posts.push_back(s);
    ASSERT_EQ(2u, posts.size());
    EXPECT_EQ(FullScreenMessage(), posts[0].message);
    EXPECT_EQ((WPARAM)QIV_SHOWN, posts[0].wParam);
    EXPECT_TRUE(posts[0].posted);
    EXPECT_EQ((UINT)QIV_WM_STARTED, posts[1].message);
    EXPECT_EQ(0u, posts[1].wParam);
    EXPECT_EQ(0, posts[1].lParam);

    // The window: 640 by the forced height, its owner, its class.
    RECT r;
    GetWindowRect(fs.window, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(640, r.right - r.left);
    EXPECT_EQ(480, r.bottom - r.top) << "600 is forced to 480";
    char cls[32] = "";
    GetClassNameA(fs.window, cls, sizeof(cls));
    EXPECT_STREQ("Qiv_Full_Screen", cls);
    EXPECT_EQ("DDraw", ControlText(fs.window));
    EXPECT_EQ("QivDirectDraw", ControlText(GetWindow(fs.window, GW_OWNER)));

    DEVMODEA during = CurrentMode();
    EXPECT_EQ(32u, during.dmBitsPerPel);
    EXPECT_EQ(640u, during.dmPelsWidth);

    // The background fill, read back from the screen.
    KorvexPump(300);
    HDC screen = GetDC(NULL);
    COLORREF pixel = GetPixel(screen, 320, 240);
    ReleaseDC(NULL, screen);
    EXPECT_EQ((COLORREF)RGB(255, 0, 0) & 0xF8FCF8, pixel & 0xF8FCF8) << std::hex << pixel;

    // The leave command ends it, with 119 at the very end.
    PostMessageA(fs.window, WM_COMMAND, QIV_CMD_LEAVE, 0);
    EXPECT_EQ(0, Finish(&fs));
    std::vector<UINT> ends = EndPosts(fs.host);
    ASSERT_EQ(2u, ends.size());
    EXPECT_EQ(QIV_ENDED, ends[1]);
    DEVMODEA after = CurrentMode();
    EXPECT_EQ(before.dmBitsPerPel, after.dmBitsPerPel) << "the display mode is back";
    EXPECT_EQ(before.dmPelsHeight, after.dmPelsHeight);
    DestroyWindow(fs.host);
}

// qivddraw running at 32 bits per pixel for the relay tests.
class Relay : public ::testing::Test {
protected:
    FullScreen fs;
    DEVMODEA before;
    void StartIn(unsigned mode)
    {
        before = CurrentMode();
        ASSERT_TRUE(Start(&fs, 32, mode, 480, 0));
    }
    void TearDown() override
    {
        if (fs.process != NULL && WaitForSingleObject(fs.process, 0) == WAIT_TIMEOUT) {
            PostMessageA(fs.window, WM_COMMAND, QIV_CMD_LEAVE, 0);
            Finish(&fs);
        }
        DestroyWindow(fs.host);
        // However it ended, the desktop has its mode back.
        DEVMODEA after = CurrentMode();
        EXPECT_EQ(before.dmBitsPerPel, after.dmBitsPerPel);
        EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
        EXPECT_EQ(before.dmPelsHeight, after.dmPelsHeight);
    }
    // What reached the host, sent (not posted), of message numbers first..last.
    std::vector<Seen> Sent(UINT first, UINT last)
    {
        std::vector<Seen> out;
        for (const Seen &s : Recorded())
            if (s.hwnd == fs.host && s.message >= first && s.message <= last && !s.posted)
                out.push_back(s);
        return out;
    }
    // (Input that came before qivddraw first waited follows within about 50 ms.)
    void Settle() { KorvexPump(Slow(300)); }
};

TEST_F(Relay, KeysCharactersAndMouseReachTheHost)
{
    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_CHAR, 0x12340061, 0x1E0001);
    PostMessageA(fs.window, WM_MOUSEMOVE, 0x10001, MAKELONG(10, 20));
    PostMessageA(fs.window, WM_LBUTTONDOWN, 1, MAKELONG(11, 21));
    PostMessageA(fs.window, WM_RBUTTONDBLCLK, 2, MAKELONG(12, 22));
    PostMessageA(fs.window, WM_MBUTTONDOWN, 0, 0);
    Settle();
    std::vector<Seen> chars = Sent(WM_CHAR, WM_CHAR);
    ASSERT_EQ(1u, chars.size());
    EXPECT_EQ(0x61u, chars[0].wParam) << "wParam cut to 16 bits";
    EXPECT_EQ(0x1E0001, chars[0].lParam);
    // The system may add moves of its own: look for ours.
    std::vector<Seen> mouse = Sent(WM_MOUSEMOVE, WM_MBUTTONDBLCLK);
    int ours = 0;
    for (const Seen &m : mouse) {
        EXPECT_NE((UINT)WM_MBUTTONDOWN, m.message) << "no middle button";
        if (m.message == WM_MOUSEMOVE && m.lParam == MAKELONG(10, 20)) {
            EXPECT_EQ(1u, m.wParam) << "wParam cut to 16 bits";
            ours++;
        }
        if ((m.message == WM_LBUTTONDOWN && m.lParam == MAKELONG(11, 21))
            || (m.message == WM_RBUTTONDBLCLK && m.lParam == MAKELONG(12, 22)))
            ours++;
    }
    EXPECT_EQ(3, ours);

    RecordingCursorAnswer = LoadCursorA(NULL, (LPCSTR)IDC_CROSS);
    DWORD_PTR answer;
    SendMessageTimeoutA(fs.window, WM_SETCURSOR, 0xABCD0000 | LOWORD((UINT_PTR)fs.window), MAKELONG(HTCLIENT, WM_MOUSEMOVE),
                        SMTO_NORMAL, 5000, &answer);
    RecordingCursorAnswer = NULL;
    std::vector<Seen> cursor = Sent(WM_SETCURSOR, WM_SETCURSOR);
    ASSERT_FALSE(cursor.empty());
    EXPECT_EQ(LOWORD((UINT_PTR)fs.window), cursor.back().wParam);
}

TEST_F(Relay, AltKeysInPlainMode)
{
    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_SYSKEYDOWN, 0x20041, 0x20000001);
    PostMessageA(fs.window, WM_SYSCHAR, 'a', 0x20000001);
    PostMessageA(fs.window, WM_SYSKEYUP, 'A', 0xE0000001);
    PostMessageA(fs.window, WM_SYSKEYDOWN, VK_F10, 0x20000001);
    PostMessageA(fs.window, WM_SYSKEYDOWN, VK_TAB, 0x20000001);
    Settle();
    std::vector<Seen> downs = Sent(WM_KEYDOWN, WM_KEYDOWN), ups = Sent(WM_KEYUP, WM_KEYUP);
    ASSERT_EQ(1u, downs.size()) << "back through the loop as a plain key";
    EXPECT_EQ(0x41u, downs[0].wParam) << "high bits cleared at the host";
    EXPECT_EQ(0x20000001, downs[0].lParam) << "context bit kept";
    ASSERT_EQ(1u, ups.size());
    EXPECT_EQ(0xE0000001, (DWORD)ups[0].lParam);
    std::vector<Seen> syschars = Sent(WM_SYSCHAR, WM_SYSCHAR);
    // Ours, and the one the loop's translation makes of the Alt key.
    ASSERT_FALSE(syschars.empty()) << "WM_SYSCHAR goes to the host unchanged";
    for (const Seen &c : syschars)
        EXPECT_EQ(0x20000001, c.lParam);
    for (const Seen &k : Sent(WM_KEYDOWN, WM_KEYUP))
        EXPECT_TRUE(k.wParam != VK_F10 && k.wParam != VK_TAB) << "never plain keys";
    // The plain key is not translated again: a host that types what it gets
    // would double the letter.
    EXPECT_TRUE(Sent(WM_CHAR, WM_CHAR).empty()) << "the character comes once, as WM_SYSCHAR";
}

TEST_F(Relay, AltKeysInSystemKeyMode)
{
    StartIn(QIV_SYSKEY_DEFAULT);
    ClearRecorded();
    PostMessageA(fs.window, WM_SYSKEYDOWN, 'A', 0x20000001);
    PostMessageA(fs.window, WM_SYSCHAR, 'a', 0x20000001);
    PostMessageA(fs.window, WM_SYSKEYUP, 'A', 0xE0000001);
    Settle();
    EXPECT_TRUE(Sent(WM_KEYDOWN, WM_SYSDEADCHAR).empty()) << "all to the default procedure";
    EXPECT_TRUE(IsWindow(fs.window));
}

TEST_F(Relay, CommandsArePostedToTheHost)
{
    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_KEYDOWN, VK_F5, 0x003F0001);     // accelerator F5: 15
    PostMessageA(fs.window, WM_COMMAND, 5, 0);                  // Shift+Insert's id
    PostMessageA(fs.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Settle();
    std::vector<Seen> commands = RecordedOf(fs.host, WM_SYSCOMMAND);
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ(15u, commands[0].wParam);
    EXPECT_TRUE(commands[0].posted);
    EXPECT_EQ(5u, commands[1].wParam);
    EXPECT_EQ(0, commands[1].lParam);
    EXPECT_EQ((WPARAM)SC_MINIMIZE, commands[2].wParam);
    EXPECT_TRUE(Sent(WM_KEYDOWN, WM_KEYDOWN).empty()) << "the accelerator took the key";
    EXPECT_TRUE(IsWindow(fs.window)) << "the window stays";
}

TEST_F(Relay, CloseEndsWithoutTheEndedPost)
{
    // Alt+F4's accelerator command: SC_CLOSE as a WM_COMMAND id.
    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_COMMAND, MAKEWPARAM(SC_CLOSE, 1), 0);
    EXPECT_EQ(0, Finish(&fs));
    std::vector<Seen> commands = RecordedOf(fs.host, WM_SYSCOMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ((WPARAM)SC_CLOSE, commands[0].wParam);
    EXPECT_TRUE(EndPosts(fs.host).empty()) << "no 119 after SC_CLOSE";
    DestroyWindow(fs.host);

    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, Finish(&fs));
    EXPECT_EQ(1u, RecordedOf(fs.host, WM_SYSCOMMAND).size());
    EXPECT_TRUE(EndPosts(fs.host).empty());
}

TEST_F(Relay, F7AndFocusLossEnd)
{
    StartIn(0);
    ClearRecorded();
    PostMessageA(fs.window, WM_KEYDOWN, VK_F7, 0x00410001);
    EXPECT_EQ(0, Finish(&fs));
    EXPECT_EQ(std::vector<UINT>(1, QIV_ENDED), EndPosts(fs.host));
    DestroyWindow(fs.host);

    StartIn(0);
    ClearRecorded();
    SetForegroundWindow(fs.host);
    ShowWindow(fs.host, SW_SHOW);
    SetForegroundWindow(fs.host);
    EXPECT_EQ(0, Finish(&fs)) << "focus loss ends full-screen mode";
    EXPECT_EQ(std::vector<UINT>(1, QIV_ENDED), EndPosts(fs.host));
}

TEST_F(Relay, ScrollLockQuery)
{
    StartIn(0);
    DWORD_PTR state = 9;
    ASSERT_TRUE(SendMessageTimeoutA(fs.window, QIV_WM_SCROLL_QUERY, 0, 0, SMTO_NORMAL, 5000, &state));
    EXPECT_TRUE(state == 0 || state == 1);
    // Toggle it where qivddraw's thread sees the keys.
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_KEYUP, 0);
    Settle();
    DWORD_PTR toggled = 9;
    SendMessageTimeoutA(fs.window, QIV_WM_SCROLL_QUERY, 0, 0, SMTO_NORMAL, 5000, &toggled);
    EXPECT_EQ(1 - state, toggled);
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_KEYUP, 0);
    Settle();
}

TEST(FullScreenRefusal, NoHostWindow)
{
    HANDLE process = StartProgram("\"" + BinPath("qivddraw.exe") + "\"");
    ASSERT_TRUE(process != NULL);
    HWND box = FindDialog(NULL, GetProcessId(process), 15000);
    ASSERT_TRUE(box != NULL);
    EXPECT_EQ("This program can only run from within another program.",
              ControlText(GetDlgItem(box, 0xFFFF)));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, WaitProgram(process, 10000));
}

TEST(FullScreenRefusal, ModeTheDisplayCannotShow)
{
    const unsigned cases[][2] = { { 24, 480 }, { 32, 400 } };
    DEVMODEA before = CurrentMode();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " bits, height " << c[1]);
        HWND host = CreateRecordingWindow("refused host");
        ClearRecorded();
        HANDLE process = StartProgram(Qivddraw(host, c[0], 0, c[1], 0));
        ASSERT_TRUE(process != NULL);
        HWND box = FindDialog("QivDirectDraw", GetProcessId(process), 15000);
        ASSERT_TRUE(box != NULL) << "no failure box";
        EXPECT_EQ("DirectDraw Init Failed", ControlText(GetDlgItem(box, 0xFFFF)));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ((int)QIV_EXIT_NO_MODE, WaitProgram(process, 10000)) << "the exit code says it";
        KorvexPump(100);
        EXPECT_TRUE(RecordedOf(host, FullScreenMessage()).empty()) << "nothing posted";
        EXPECT_TRUE(RecordedOf(host, QIV_WM_STARTED).empty());
        EXPECT_EQ(before.dmBitsPerPel, CurrentMode().dmBitsPerPel) << "the mode is unchanged";
        DestroyWindow(host);
    }
}

TEST(FullScreenResources, AcceleratorTableInLanguage1026)
{
    static const struct { BYTE flags; WORD key; WORD id; } expected[30] = {
        { 0x05, 45, 5 }, { 0x09, 45, 4 }, { 0x01, 114, 8 }, { 0x09, 114, 124 },
        { 0x01, 115, 13 }, { 0x11, 115, 61536 }, { 0x01, 116, 15 }, { 0x01, 117, 14 },
        { 0x01, 118, 123 }, { 0x01, 119, 3 }, { 0x09, 119, 122 }, { 0x01, 120, 11 },
        { 0x09, 121, 17 }, { 0x01, 122, 18 }, { 0x01, 123, 7 }, { 0x11, 13, 123 },
        { 0x09, 49, 27 }, { 0x0D, 49, 28 }, { 0x09, 50, 29 }, { 0x0D, 50, 30 },
        { 0x09, 51, 31 }, { 0x0D, 51, 32 }, { 0x09, 52, 33 }, { 0x0D, 52, 34 },
        { 0x09, 53, 35 }, { 0x0D, 53, 36 }, { 0x09, 54, 37 }, { 0x0D, 54, 38 },
        { 0x09, 55, 39 }, { 0x8D, 55, 40 },
    };
#pragma pack(push, 2)
    struct Entry { WORD flags, key, id, pad; };
#pragma pack(pop)
    HMODULE qiv = LoadLibraryExA(BinPath("qivddraw.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(qiv != NULL);
    HRSRC table = FindResourceExA(qiv, (LPCSTR)RT_ACCELERATOR, MAKEINTRESOURCEA(1), 1026);
    ASSERT_TRUE(table != NULL);
    ASSERT_EQ(30 * sizeof(Entry), SizeofResource(qiv, table));
    const Entry *entries = (const Entry *)LockResource(LoadResource(qiv, table));
    for (int i = 0; i < 30; i++) {
        EXPECT_EQ(expected[i].flags, entries[i].flags) << "entry " << i + 1;
        EXPECT_EQ(expected[i].key, entries[i].key) << "entry " << i + 1;
        EXPECT_EQ(expected[i].id, entries[i].id) << "entry " << i + 1;
    }
    EXPECT_TRUE(FindResourceExA(qiv, (LPCSTR)RT_GROUP_ICON, MAKEINTRESOURCEA(1), 1026) == NULL)
        << "no icon";
    FreeLibrary(qiv);
}

// The trace a host developer switches on: the mode qivddraw set and the
// platform's answer, each relayed message with the host's answer, the end.
TEST(FullScreenTrace, TheModeAndEveryRelayedMessage)
{
    std::string folder = MakeTempTree("kxqivtrace"), path = folder + "\\trace.txt";
    SetEnvironmentVariableA("KORVEX_TRACE", path.c_str());
    FullScreen fs;
    bool started = Start(&fs, 32, 0, 480, 0);
    SetEnvironmentVariableA("KORVEX_TRACE", NULL);
    ASSERT_TRUE(started) << "no 118 post";
    PostMessageA(fs.window, WM_KEYDOWN, 'A', 1);
    ASSERT_TRUE(WaitRecorded(fs.host, WM_KEYDOWN, 5000, NULL));
    PostMessageA(fs.window, WM_COMMAND, QIV_CMD_LEAVE, 0);
    EXPECT_EQ(0, Finish(&fs));

    std::string all;
    FILE *f = fopen(path.c_str(), "rb");
    char line[1024];
    while (f != NULL && fgets(line, sizeof(line), f) != NULL)
        all += line;
    if (f != NULL)
        fclose(f);
    for (const char *expected : { " qivddraw ", "mode 640x480 at 32 bits = 0x00000000",
                                  "notice ", "relay WM_KEYDOWN 65 1 = 0", "end, notice 119 posted" })
        EXPECT_NE(std::string::npos, all.find(expected)) << expected << " in:\n" << all;
    DestroyWindow(fs.host);
    RemoveTree(folder);
}

// A host whose thread hangs: qivddraw goes full screen, its relays give up,
// F7 still leaves and the display mode comes back.
TEST(FullScreenHost, AHungHostCannotHoldQivddraw)
{
    DEVMODEA before = CurrentMode();
    HungWindow host = {};
    ASSERT_TRUE(StartHungWindow(&host, "STATIC"));
    HANDLE process = StartProgram(Qivddraw(host.window, 32, 0, 480, 0));
    ASSERT_TRUE(process != NULL);
    // No 118 can reach a window that does not pump: find the window instead.
    HWND window = NULL;
    DWORD start = GetTickCount();
    while (window == NULL && GetTickCount() - start < Slow(15000)) {
        window = FindWindowA("Qiv_Full_Screen", "DDraw");
        KorvexPump(100);
    }
    ASSERT_TRUE(window != NULL) << "qivddraw took no full screen";
    // Input to relay: a key and the mouse, each sent to the hung host.
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    KorvexPump(500);
    PostMessageA(window, WM_COMMAND, QIV_CMD_LEAVE, 0);
    EXPECT_EQ(0, WaitProgram(process, 15000)) << "qivddraw did not leave";
    DEVMODEA after = CurrentMode();
    EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
    EXPECT_EQ(before.dmBitsPerPel, after.dmBitsPerPel);
    EndHungWindow(&host);
}

// A host that is killed sends nothing: qivddraw leaves full-screen mode by
// itself, gives the display back and ends.
TEST(FullScreenHost, QivddrawEndsWhenItsHostIsGone)
{
    DEVMODEA before = CurrentMode();
    FullScreen fs;
    ASSERT_TRUE(Start(&fs, 32, 0, 480, 0)) << "no 118 post";
    DestroyWindow(fs.host);
    EXPECT_EQ(0, WaitProgram(fs.process, 10000)) << "qivddraw outlived its host";
    DEVMODEA after = CurrentMode();
    EXPECT_EQ(before.dmPelsWidth, after.dmPelsWidth);
    EXPECT_EQ(before.dmPelsHeight, after.dmPelsHeight);
}
