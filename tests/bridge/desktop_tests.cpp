// The desktop and device services under Wine: registry, tray icon, joystick
// relay, network dialogs, Scroll Lock and the platform requests.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include "testsupport.h"
#include "bridge.h"

static const char TestKey[] = "Software\\KorvexTest";

class Desktop : public ::testing::Test {
protected:
    static Bridge bridge;
    static void SetUpTestSuite() { ASSERT_TRUE(StartBridge(&bridge, "desktop host")); }
    static void TearDownTestSuite()
    {
        EndBridge(&bridge);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KorvexTest\\Child");
        RegDeleteKeyA(HKEY_CURRENT_USER, TestKey);
    }
    // Sends code with two text atoms; checks both were taken.
    static LRESULT Two(UINT code, const char *low, const char *high)
    {
        ATOM a = KorvexAtom(low), b = KorvexAtom(high);
        LRESULT r = KorvexRequest(&bridge.link, code, a, b);
        EXPECT_TRUE(a == 0 || !AtomAlive(a) || (ATOM)r == a) << "low atom of " << code << " left";
        EXPECT_TRUE(b == 0 || !AtomAlive(b) || (ATOM)r == b) << "high atom of " << code << " left";
        return r;
    }
};
Bridge Desktop::bridge;

static std::string ReadValue(const char *name, DWORD *type)
{
    char data[512] = "";
    DWORD size = sizeof(data);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG r = RegQueryValueExA(key, name, NULL, type, (BYTE *)data, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
}

// ---- registry --------------------------------------------------------------------

TEST_F(Desktop, WriteCreatesTheKeyAndAStringValue)
{
    DWORD type = 0;
    EXPECT_EQ(1, Two(KXR_REG_WRITE, "CSoftware\\KorvexTest|Name", "abc"));
    EXPECT_EQ(std::string("abc\0", 4), ReadValue("Name", &type)) << "4 bytes with the zero";
    EXPECT_EQ((DWORD)REG_SZ, type);

    EXPECT_EQ(1, Two(KXR_REG_WRITE, "cSoftware\\KorvexTest|", "default one"));
    EXPECT_EQ(std::string("default one\0", 12), ReadValue(NULL, &type));
    EXPECT_EQ(1, Two(KXR_REG_WRITE, "CSoftware\\KorvexTest", "default two"));
    EXPECT_EQ(std::string("default two\0", 12), ReadValue(NULL, &type));
    EXPECT_EQ(1, Two(KXR_REG_WRITE, "CSoftware\\KorvexTest|A|B", "bars"));
    EXPECT_EQ(std::string("bars\0", 5), ReadValue("A|B", &type));
    EXPECT_EQ(1, Two(KXR_REG_WRITE, "CSoftware\\KorvexTest|Empty", NULL));
    EXPECT_EQ(std::string("\0", 1), ReadValue("Empty", &type));
}

TEST_F(Desktop, ReadGivesTextUpToTheFirstZero)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, NULL, 0, KEY_WRITE,
                                             NULL, &key, NULL));
    DWORD one = 1, zero = 0;
    RegSetValueExA(key, "One", 0, REG_DWORD, (BYTE *)&one, 4);
    RegSetValueExA(key, "Zero", 0, REG_DWORD, (BYTE *)&zero, 4);
    std::string big(299, 'b');
    RegSetValueExA(key, "Big", 0, REG_SZ, (const BYTE *)big.c_str(), 300);
    RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, (const BYTE *)"%PATH%x", 8);
    RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE *)"the default", 12);
    RegCloseKey(key);

    EXPECT_EQ("\x01", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "One")));
    EXPECT_EQ("<0>", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "Zero")));
    EXPECT_EQ("<0>", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "Big"))) << "over 256 bytes";
    EXPECT_EQ("%PATH%x", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "Expand")));
    EXPECT_EQ("the default", ResultText(Two(KXR_REG_READ, "cSoftware\\KorvexTest", NULL)));
    EXPECT_EQ("<0>", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "Missing")));
    EXPECT_EQ("<0>", ResultText(Two(KXR_REG_READ, "CSoftware\\No Such Key", "One")));
    // Another root, in lower case: the same text as our own read of it.
    char version[256] = "";
    DWORD size = sizeof(version);
    HKEY machine;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                           0, KEY_READ, &machine));
    RegQueryValueExA(machine, "CurrentVersion", NULL, NULL, (BYTE *)version, &size);
    RegCloseKey(machine);
    ASSERT_NE('\0', version[0]);
    EXPECT_EQ(version, ResultText(Two(KXR_REG_READ, "lSoftware\\Microsoft\\Windows NT\\CurrentVersion",
                                      "CurrentVersion")));
}

TEST_F(Desktop, DeleteKeyAndUnknownRoots)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest\\Child", 0,
                                             NULL, 0, KEY_WRITE, NULL, &key, NULL));
    RegCloseKey(key);
    EXPECT_EQ(1, Two(KXR_REG_DELETE_KEY, "CSoftware\\KorvexTest", "Child"));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest\\Child", 0,
                                           KEY_READ, &key));
    EXPECT_EQ(0, Two(KXR_REG_DELETE_KEY, "CSoftware\\No Such Parent", "Child"));

    EXPECT_EQ(0, Two(KXR_REG_READ, "XSoftware\\KorvexTest", "Name"));
    EXPECT_EQ(0, Two(KXR_REG_WRITE, "XSoftware\\KorvexTest|Name", "x"));
    EXPECT_EQ(0, Two(KXR_REG_DELETE_KEY, "XSoftware", "KorvexTest"));
    EXPECT_EQ(0, Two(KXR_REG_WRITE, NULL, "x")) << "empty key text: no root";
}

// Every type reads as its bytes up to the first zero: a DWORD, lowest first.
TEST_F(Desktop, ADwordValueReadsAsItsBytes)
{
    HKEY key;
    DWORD value = 0x00004241;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest", 0, NULL, 0,
                                             KEY_WRITE, NULL, &key, NULL));
    RegSetValueExA(key, "Number", 0, REG_DWORD, (const BYTE *)&value, sizeof(value));
    RegCloseKey(key);
    EXPECT_EQ("AB", ResultText(Two(KXR_REG_READ, "CSoftware\\KorvexTest", "Number")));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KorvexTest");
}

// A zero sub-key atom names the empty sub-key: the parent key itself goes.
// Hosts may delete keys this way, so it stays; this shows if it ever changes.
TEST_F(Desktop, DeleteKeyWithAtomZeroDeletesTheParent)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest\\Leaf", 0,
                                             NULL, 0, KEY_WRITE, NULL, &key, NULL));
    RegCloseKey(key);
    EXPECT_EQ(1, Two(KXR_REG_DELETE_KEY, "CSoftware\\KorvexTest\\Leaf", NULL));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest\\Leaf", 0,
                                           KEY_READ, &key)) << "the parent key itself is gone";
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KorvexTest", 0,
                                           KEY_READ, &key)) << "its own parent stays";
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KorvexTest");
}

// ---- joystick ----------------------------------------------------------------------

TEST_F(Desktop, JoystickWithoutADevice)
{
    HWND target = CreateRecordingWindow("joystick target");
    // Nothing is relayed before the capabilities were read.
    SendMessageA(bridge.link.request, MM_JOY1MOVE, 0, MAKELONG(100, 100));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, 0, 0));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, 6, 0));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, 0xFFFF, 0xFFFF));
    JOYCAPSA caps;
    MMRESULT expectCaps = joyGetDevCapsA(JOYSTICKID1, &caps, sizeof(caps));
    EXPECT_EQ((LRESULT)expectCaps, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_CAPS, 280));
    if (expectCaps == JOYERR_NOERROR)
        GTEST_SKIP() << "a joystick is attached; this test needs none";
    EXPECT_EQ((LRESULT)JOYERR_UNPLUGGED, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_CAPTURE, Word(target)));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_RELEASE, 0));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_SAVE_THRESHOLD, 0));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_SET_THRESHOLD, 1));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_JOYSTICK, KXJ_SET_THRESHOLD, 0));
    SendMessageA(bridge.link.request, MM_JOY1MOVE, 3, MAKELONG(100, 100));
    SendMessageA(bridge.link.request, MM_JOY1BUTTONDOWN, 1, 0);
    KorvexPump(100);
    EXPECT_TRUE(RecordedOf(target, KX_JOY_MOVE).empty());
    EXPECT_TRUE(RecordedOf(target, KX_JOY_BUTTONDOWN).empty());
    DestroyWindow(target);
}

TEST(JoystickRelay, ScaledPositionsGoToTheTarget)
{
    HWND target = CreateRecordingWindow("relay target");
    BRIDGESTATE saved = BridgeState;
    BridgeState.joyCaps.wXmax = BridgeState.joyCaps.wYmax = 65535;
    BridgeState.joyScale = 280;
    BridgeState.targetWindow = target;
    ClearRecorded();

    BridgeWndProc(target, MM_JOY1MOVE, 0x12345, MAKELONG(32768, 32768));
    BridgeWndProc(target, MM_JOY1BUTTONDOWN, 1, MAKELONG(0, 65535));
    BridgeWndProc(target, MM_JOY1BUTTONUP, 2, MAKELONG(65535, 0));
    BridgeWndProc(target, MM_JOY1ZMOVE, 0, 0);
    KorvexPump(50);
    BridgeState = saved;

    std::vector<Seen> &seen = Recorded();
    std::vector<Seen> relayed;
    for (size_t i = 0; i < seen.size(); i++)
        if (seen[i].message >= MM_JOY1MOVE && seen[i].message <= MM_JOY2BUTTONUP)
            relayed.push_back(seen[i]);
    ASSERT_EQ(3u, relayed.size()) << "Z movement is not relayed";
    EXPECT_EQ((UINT)KX_JOY_MOVE, relayed[0].message);
    EXPECT_EQ(0x12345u, relayed[0].wParam);
    EXPECT_EQ(MAKELONG(140, 140), relayed[0].lParam);
    EXPECT_TRUE(relayed[0].posted);
    EXPECT_EQ((UINT)KX_JOY_BUTTONDOWN, relayed[1].message);
    EXPECT_EQ(MAKELONG(0, 280), relayed[1].lParam);
    EXPECT_EQ((UINT)KX_JOY_BUTTONUP, relayed[2].message);
    EXPECT_EQ(MAKELONG(280, 0), relayed[2].lParam);
    DestroyWindow(target);
}

// ---- tray icon -------------------------------------------------------------------------

static bool IconUp(HWND request)
{
    NOTIFYICONDATAA n = {};
    n.cbSize = NOTIFYICONDATAA_V1_SIZE;
    n.hWnd = IsWindow(request) ? GetAncestor(request, GA_ROOT) : request;
    n.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &n) != FALSE;
}

// Without a notification area the tray tests have nothing to observe: a
// skip that says why, except in CI, where Xvfb always has one and a skip
// would hide a broken set-up.
#define NEED_TRAY()                                                                        \
    do {                                                                                   \
        if (!TrayAvailable()) {                                                            \
            if (getenv("CI") != NULL)                                                      \
                FAIL() << "no notification area, though CI runs under Xvfb with one";       \
            GTEST_SKIP() << "no notification area on this display";                        \
        }                                                                                  \
    } while (0)

static bool TrayAvailable()
{
    HWND probeOwner = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = probeOwner;
    probe.uID = 7;
    bool up = Shell_NotifyIconA(NIM_ADD, &probe) != FALSE;
    Shell_NotifyIconA(NIM_DELETE, &probe);
    DestroyWindow(probeOwner);
    return up;
}


TEST_F(Desktop, TrayTradesTheWindowForAnIcon)
{
    HWND target = CreateRecordingWindow("tray target");
    ShowWindow(target, SW_SHOW);
    HWND request = bridge.link.request;
    NEED_TRAY();

    EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "korvex tray test", Word(target)));
    EXPECT_FALSE(IsWindowVisible(target)) << "hidden";

    // Double-click: "Open" comes through the queue.
    EXPECT_EQ(0, SendMessageA(request, KX_WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK));
    DWORD start = GetTickCount();
    while (!IsWindowVisible(target) && GetTickCount() - start < Slow(5000))
        KorvexPump(20);
    EXPECT_TRUE(IsWindowVisible(target)) << "restored";

    // "Exit" asks the target to close and keeps the icon.
    Ask(&bridge, KXR_TRAY_ICON, "", Word(target));
    ClearRecorded();
    SendMessageA(request, WM_COMMAND, KX_CMD_EXIT, 0);
    EXPECT_TRUE(WaitRecorded(target, WM_CLOSE, 5000, NULL));

    // High word 0 removes it; the low word's atom is not read.
    ATOM untouched = GlobalAddAtomA("tray leaves me");
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_TRAY_ICON, untouched, 0));
    EXPECT_TRUE(AtomAlive(untouched));
    GlobalDeleteAtom(untouched);
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0)) << "again: nothing to remove";
    DestroyWindow(target);
}

TEST_F(Desktop, TrayMenuOpensAndCanBeDismissed)
{
    HWND target = CreateRecordingWindow("menu target");
    ShowWindow(target, SW_SHOW);
    // korvex knows the target: a choice in the menu would reach it.
    NEED_TRAY();
    EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "menu test", Word(target)));
    ClearRecorded();
    PostMessageA(bridge.link.request, KX_WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
    HWND menu = NULL;
    DWORD start = GetTickCount();
    while (menu == NULL && GetTickCount() - start < Slow(5000)) {
        menu = FindWindowA("#32768", NULL);
        if (menu && !IsWindowVisible(menu))
            menu = NULL;
        KorvexPump(20);
    }
    ASSERT_TRUE(menu != NULL) << "no menu window";
    PostMessageA(bridge.link.request, WM_CANCELMODE, 0, 0);
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    // The bridge answers again once the menu is gone.
    EXPECT_EQ(1, KorvexRequest(&bridge.link, KXR_IS_NT, 0, 0));
    EXPECT_FALSE(bridge.link.timedOut);
    KorvexPump(200);
    EXPECT_TRUE(RecordedOf(target, WM_CLOSE).empty()) << "dismissed without a choice";
    EXPECT_FALSE(IsWindowVisible(target)) << "nor was Open chosen";
    KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0);
    DestroyWindow(target);
}

TEST(TrayIcon, TipIsCutTo63)
{
    HWND window = CreateRecordingWindow("tip owner");
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    std::string tip(80, 't');
    RequestTrayIcon(MAKELPARAM(GlobalAddAtomA(tip.c_str()), Word(window)));
    EXPECT_EQ(63u, strlen(BridgeState.trayIcon.szTip));
    EXPECT_EQ((HWND)window, BridgeState.trayIcon.hWnd);
    EXPECT_EQ(88u, BridgeState.trayIcon.cbSize);
    EXPECT_EQ(7u, BridgeState.trayIcon.uFlags);
    EXPECT_EQ(1025u, BridgeState.trayIcon.uCallbackMessage);
    RequestTrayIcon(0);
    EXPECT_TRUE(BridgeState.trayIcon.hWnd == NULL);
    BridgeState = saved;
    DestroyWindow(window);
}

// A shell of the test's own: it takes icons or refuses them, as told.
static BOOL ShellTakes;
static BOOL WINAPI FakeNotifyIcon(DWORD, NOTIFYICONDATAA *)
{
    return ShellTakes;
}

// The mark that an icon is registered, as add, "Open", "Exit" and removal
// leave it, with a shell that takes the icon and one that refuses it.
TEST(TrayIcon, MarkFollowsAddOpenAndRemove)
{
    HWND window = CreateRecordingWindow("mark owner"), target = CreateRecordingWindow("mark target");
    BRIDGESTATE saved = BridgeState;
    OnDemandProc shell = OnDemand(OD_SHELLNOTIFYICON);
    SetOnDemand(OD_SHELLNOTIFYICON, (OnDemandProc)FakeNotifyIcon);
    BridgeState.requestWindow = window;
    ShowWindow(target, SW_SHOW);

    ShellTakes = FALSE;
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    EXPECT_TRUE(BridgeState.trayIcon.hWnd == NULL) << "a refused icon is not marked as up";
    ShowWindow(target, SW_SHOW);
    ShellTakes = TRUE;
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    EXPECT_EQ(window, BridgeState.trayIcon.hWnd) << "a taken icon is marked";
    EXPECT_EQ((HWND)(UINT_PTR)Word(target), BridgeState.targetWindow) << "widened from 16 bits";
    EXPECT_EQ('\0', BridgeState.trayIcon.szTip[0]) << "atom 0: empty tip";
    TrayCommand(KX_CMD_EXIT);
    EXPECT_EQ(window, BridgeState.trayIcon.hWnd) << "Exit keeps the icon";
    TrayCommand(KX_CMD_OPEN);
    EXPECT_TRUE(BridgeState.trayIcon.hWnd == NULL) << "Open removes it";
    EXPECT_TRUE(IsWindowVisible(target));
    EXPECT_EQ((HWND)(UINT_PTR)Word(target), BridgeState.targetWindow) << "the target stays";
    KorvexPump(50);
    EXPECT_EQ(1u, RecordedOf(target, WM_CLOSE).size());

    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    ClearRecorded();
    BridgeWndProc(window, KX_WM_TRAYNOTIFY, 1, WM_MOUSEMOVE);
    KorvexPump(50);
    EXPECT_TRUE(RecordedOf(window, WM_COMMAND).empty()) << "other notifications do nothing";
    RequestQuit();
    EXPECT_TRUE(BridgeState.trayIcon.hWnd == NULL) << "request 6 removes it";
    KorvexPump(50);
    std::vector<Seen> closes = RecordedOf(window, WM_CLOSE);
    SetOnDemand(OD_SHELLNOTIFYICON, shell);
    ASSERT_EQ(1u, closes.size()) << "and closes the request window";
    EXPECT_TRUE(closes[0].posted);
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}

TEST(TrayIcon, OpenAndExitWithoutATargetDoNothing)
{
    Bridge fresh;
    ASSERT_TRUE(StartBridge(&fresh, "no target host"));
    EXPECT_EQ(0, SendMessageA(fresh.link.request, WM_COMMAND, KX_CMD_OPEN, 0));
    EXPECT_EQ(0, SendMessageA(fresh.link.request, WM_COMMAND, KX_CMD_EXIT, 0));
    KorvexPump(50);
    EXPECT_TRUE(RecordedOf(fresh.host, WM_CLOSE).empty());
    EXPECT_TRUE(IsWindow(fresh.link.request));
    EndBridge(&fresh);
}

// ---- keyboard, focus and platform ------------------------------------------------------

TEST_F(Desktop, PlatformRequests)
{
    EXPECT_EQ(1, KorvexRequest(&bridge.link, KXR_IS_NT, 0, 0)) << "Wine is Windows NT";
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_NET_DIALOG, 0, 0)) << "disconnect, no owner";
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_NET_DIALOG, Word(bridge.host), 1)) << "connect";
    EXPECT_FALSE(bridge.link.timedOut);
}

TEST_F(Desktop, BringToFrontTakesTheWholeHandle)
{
    HWND first = CreateRecordingWindow("front one"), second = CreateRecordingWindow("front two");
    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOW);
    SetForegroundWindow(first);
    KorvexPump(100);
    EXPECT_EQ(0, KorvexRequestLong(&bridge.link, KXR_TO_FRONT, (LPARAM)second));
    KorvexPump(200);
    EXPECT_EQ(second, GetForegroundWindow()) << "handle 0x" << std::hex << (UINT_PTR)second;
    EXPECT_EQ(0, KorvexRequestLong(&bridge.link, KXR_TO_FRONT, 0x7FFF0000));
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST_F(Desktop, ScrollLockPressedTwiceReturns)
{
    HWND window = CreateRecordingWindow("scroll lock");
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    KorvexPump(100);
    SHORT before = GetKeyState(VK_SCROLL) & 1;
    ClearRecorded();
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_SCROLL_LOCK, 0, 0));
    KorvexPump(200);
    SHORT once = GetKeyState(VK_SCROLL) & 1;
    std::vector<Seen> downs = RecordedOf(window, WM_KEYDOWN), ups = RecordedOf(window, WM_KEYUP);
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_SCROLL_LOCK, 0, 0));
    KorvexPump(200);
    SHORT twice = GetKeyState(VK_SCROLL) & 1;
    ASSERT_EQ(1u, downs.size()) << "one press reached the focus window";
    EXPECT_EQ((WPARAM)VK_SCROLL, downs[0].wParam);
    EXPECT_EQ(1u, ups.size());
    EXPECT_NE(before, once) << "toggled";
    EXPECT_EQ(before, twice) << "back where it was";
    DestroyWindow(window);
}

// ---- what a host's 0xFFFF and a provider's endless nesting must not do ----------

// 0xFFFF widened is the broadcast handle: it reaches every top-level window,
// the user's included.  As a window word it names no window.
// The owner the network dialogs are given.
static HWND NetOwner;
static DWORD WINAPI FakeNetDialog(HWND owner, DWORD)
{
    NetOwner = owner;
    return NO_ERROR;
}

TEST(NetDialog, OwnerIsTheHostsWindow)
{
    HWND owner = CreateRecordingWindow("net dialog owner");
    OnDemandProc connect = OnDemand(OD_WNETCONNECTIONDIALOG);
    OnDemandProc disconnect = OnDemand(OD_WNETDISCONNECTDIALOG);
    SetOnDemand(OD_WNETCONNECTIONDIALOG, (OnDemandProc)FakeNetDialog);
    SetOnDemand(OD_WNETDISCONNECTDIALOG, (OnDemandProc)FakeNetDialog);
    NetOwner = NULL;
    EXPECT_EQ(0, RequestNetDialog(MAKELPARAM(Word(owner), 1)));
    EXPECT_EQ((HWND)(UINT_PTR)Word(owner), NetOwner) << "connect, widened from 16 bits";
    NetOwner = owner;
    EXPECT_EQ(0, RequestNetDialog(MAKELPARAM(0, 0)));
    EXPECT_TRUE(NetOwner == NULL) << "disconnect, no owner";
    // The dialog would disable its owner and wait on a hung owner's thread.
    HungWindow hung = {};
    ASSERT_TRUE(StartHungWindow(&hung, "STATIC"));
    NetOwner = owner;
    EXPECT_EQ(0, RequestNetDialog(MAKELPARAM(Word(hung.window), 1)));
    EXPECT_TRUE(NetOwner == NULL) << "a hung owner " << hung.window << " was given " << NetOwner;
    EndHungWindow(&hung);
    SetOnDemand(OD_WNETCONNECTIONDIALOG, connect);
    SetOnDemand(OD_WNETDISCONNECTDIALOG, disconnect);
    DestroyWindow(owner);
}

TEST_F(Desktop, BroadcastWordNamesNoWindow)
{
    HWND bystander = CreateRecordingWindow("bystander");
    ShowWindow(bystander, SW_SHOW);
    ClearRecorded();

    EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "broadcast tray", 0xFFFF));
    EXPECT_TRUE(IsWindowVisible(bystander)) << "hidden through the broadcast handle";
    SendMessageA(bridge.link.request, WM_COMMAND, KX_CMD_EXIT, 0);
    SendMessageA(bridge.link.request, WM_COMMAND, KX_CMD_OPEN, 0);
    EXPECT_EQ(0, Ask(&bridge, KXR_FILL_LIST, "6C:\\windows", 0xFFFF));
    EXPECT_EQ(0, KorvexRequestLong(&bridge.link, KXR_TO_FRONT, 0xFFFF));
    KorvexPump(200);
    EXPECT_TRUE(RecordedOf(bystander, WM_CLOSE).empty()) << "\"Exit\" reached a bystander";
    EXPECT_TRUE(RecordedOf(bystander, LB_ADDSTRING).empty()) << "a listing line reached a bystander";
    EXPECT_TRUE(IsWindow(bridge.link.request)) << "\"Exit\" closed korvex itself";
    EXPECT_EQ(1, KorvexRequest(&bridge.link, KXR_IS_NT, 0, 0));
    KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0);

    // What korvex itself keeps and calls with, in our own process: the
    // platform would not broadcast a hide or a bring-to-front anyway, so the
    // target korvex records is what shows the mend.
    BRIDGESTATE saved = BridgeState;
    RequestJoystick(MAKELPARAM(KXJ_CAPTURE, 0xFFFF));
    EXPECT_TRUE(BridgeState.targetWindow == NULL) << BridgeState.targetWindow;
    BridgeState.targetWindow = bystander;
    RequestTrayIcon(MAKELPARAM(0, 0xFFFF));
    EXPECT_TRUE(BridgeState.targetWindow == NULL) << "tray target " << BridgeState.targetWindow;
    RequestTrayIcon(0);
    NetOwner = bystander;
    OnDemandProc dialog = OnDemand(OD_WNETCONNECTIONDIALOG);
    SetOnDemand(OD_WNETCONNECTIONDIALOG, (OnDemandProc)FakeNetDialog);
    RequestNetDialog(MAKELPARAM(0xFFFF, 1));
    EXPECT_TRUE(NetOwner == NULL) << "connection dialog owned by " << NetOwner;
    SetOnDemand(OD_WNETCONNECTIONDIALOG, dialog);
    BridgeState = saved;
    DestroyWindow(bystander);
}

static bool IconAlive(HICON icon)
{
    ICONINFO info;
    if (icon == NULL || !GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

// Each request 25 loads an icon: the ones no longer shown must go.
TEST(TrayIcon, IconsNoLongerShownAreDestroyed)
{
    HWND window = CreateRecordingWindow("icon owner"), target = CreateRecordingWindow("icon target");
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    BridgeState.instance = GetModuleHandleA(NULL);

    for (int i = 0; i < 3; i++) {
        RequestTrayIcon(MAKELPARAM(0, Word(target)));
        HICON shown = BridgeState.trayIcon.hIcon;
        RequestTrayIcon(0);
        EXPECT_FALSE(IconAlive(shown)) << "round " << i << ": the removed icon lives on";
        EXPECT_TRUE(BridgeState.trayIcon.hIcon == NULL);
    }

    // A second add while the first icon is up replaces it in place; the
    // first is destroyed (without a notification area nothing is up to replace).
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    HICON first = BridgeState.trayIcon.hIcon;
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    HICON kept = BridgeState.trayIcon.hIcon;
    if (BridgeState.trayIcon.hWnd != NULL) {
        EXPECT_TRUE(IconAlive(kept));
        EXPECT_NE(first, kept);
        EXPECT_FALSE(IconAlive(first)) << "the replaced icon lives on";
    } else {
        EXPECT_FALSE(IconAlive(first));
    }
    RequestQuit();
    EXPECT_FALSE(IconAlive(kept));
    KorvexPump(50);
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}

// A network provider that never ends.  Deep: every container holds one server
// and one container of a new name.  Self: every container holds one server and
// two copies of itself.  Fan: every container holds eight servers and two
// containers of new names.
enum NetShape { NET_DEEP, NET_SELF, NET_FAN };
static NetShape Shape;
static int NetDepth, NetMaxDepth, NetOpened, NetNames;
static char NetText[4096][16];
static DWORD WINAPI FakeOpenEnum(DWORD, DWORD, DWORD, NETRESOURCEA *, HANDLE *handle)
{
    NetOpened++;
    NetDepth++;
    if (NetDepth > NetMaxDepth)
        NetMaxDepth = NetDepth;
    *handle = (HANDLE)(UINT_PTR)NetDepth;
    return NO_ERROR;
}
static char *NewName(const char *form)
{
    char *name = NetText[NetNames++ % 4096];
    snprintf(name, 16, form, NetNames);
    return name;
}
static DWORD WINAPI FakeEnumResource(HANDLE, DWORD *count, void *buffer, DWORD *size)
{
    static char server[] = "\\\\LOOP", self[] = "LOOP";
    int servers = Shape == NET_FAN ? 8 : 1, containers = Shape == NET_DEEP ? 1 : 2;
    int n = servers + containers;
    NETRESOURCEA *entries = (NETRESOURCEA *)buffer;
    if (*count < (DWORD)n || *size < n * sizeof(NETRESOURCEA))
        return ERROR_MORE_DATA;
    memset(entries, 0, n * sizeof(NETRESOURCEA));
    for (int i = 0; i < n; i++) {
        if (i < servers) {
            entries[i].dwDisplayType = RESOURCEDISPLAYTYPE_SERVER;
            entries[i].lpRemoteName = i == 0 ? server : NewName("\\\\S%d");
        } else {
            entries[i].dwDisplayType = RESOURCEDISPLAYTYPE_GENERIC;
            entries[i].dwUsage = RESOURCEUSAGE_CONTAINER;
            entries[i].lpRemoteName = Shape == NET_SELF ? self : NewName("NET%d");
        }
    }
    *count = n;
    return NO_ERROR;
}
static DWORD WINAPI FakeCloseEnum(HANDLE)
{
    NetDepth--;
    return NO_ERROR;
}

// A listing from the provider of this shape; the number of lines it added.
static int ListFakeNetwork(NetShape shape, HWND list)
{
    OnDemandProc saved[3] = { OnDemand(OD_WNETOPENENUM), OnDemand(OD_WNETENUMRESOURCE),
                              OnDemand(OD_WNETCLOSEENUM) };
    SetOnDemand(OD_WNETOPENENUM, (OnDemandProc)FakeOpenEnum);
    SetOnDemand(OD_WNETENUMRESOURCE, (OnDemandProc)FakeEnumResource);
    SetOnDemand(OD_WNETCLOSEENUM, (OnDemandProc)FakeCloseEnum);
    Shape = shape;
    NetDepth = NetMaxDepth = NetOpened = NetNames = 0;
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(0, RequestFillList(MAKELPARAM(GlobalAddAtomA("1"), Word(list))));
    EXPECT_EQ(0, NetDepth) << "every enumeration closed";
    SetOnDemand(OD_WNETOPENENUM, saved[0]);
    SetOnDemand(OD_WNETENUMRESOURCE, saved[1]);
    SetOnDemand(OD_WNETCLOSEENUM, saved[2]);
    return (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
}

TEST(NetworkListing, ContainersNestedWithoutEndStopAtADepth)
{
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    EXPECT_EQ(17, ListFakeNetwork(NET_DEEP, list)) << "one server a level";
    EXPECT_EQ(17, NetMaxDepth) << "the top and 16 containers below it";
    char line[64] = "";
    SendMessageA(list, LB_GETTEXT, 0, (LPARAM)line);
    EXPECT_STREQ("1cb000000000000000000000000LOOP", line);
    DestroyWindow(list);
}

TEST(NetworkListing, AContainerInsideItselfIsNotEnteredAgain)
{
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    // The top lists two copies of LOOP side by side: each is entered once,
    // and inside each, LOOP's own copies of itself are not.
    EXPECT_EQ(3, ListFakeNetwork(NET_SELF, list)) << "the top's server and each LOOP's";
    EXPECT_EQ(3, NetOpened) << "the top, and each copy of LOOP once";
    DestroyWindow(list);
}

TEST(NetworkListing, EverMoreContainersMakeABoundedWalk)
{
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    int lines = ListFakeNetwork(NET_FAN, list);
    EXPECT_LE(NetOpened, 256) << "containers opened in one request";
    EXPECT_EQ(2001, lines) << "a network listing keeps the listing's bound too";
    DestroyWindow(list);
}

// Without a library a request answers as its call's failure would.
TEST(OnDemand, MissingLibraryAnswersAsAFailedCall)
{
    HWND window = CreateRecordingWindow("no shell owner"), target = CreateRecordingWindow("no shell target");
    ShowWindow(target, SW_SHOW);
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    OnDemandProc shell = OnDemand(OD_SHELLNOTIFYICON), caps = OnDemand(OD_JOYGETDEVCAPS);
    OnDemandProc open = OnDemand(OD_REGOPENKEYEX);
    SetOnDemand(OD_SHELLNOTIFYICON, NULL);
    SetOnDemand(OD_JOYGETDEVCAPS, NULL);
    SetOnDemand(OD_REGOPENKEYEX, NULL);

    EXPECT_EQ(0, RequestTrayIcon(MAKELPARAM(0, Word(target))));
    EXPECT_TRUE(IsWindowVisible(target)) << "hidden although no icon could be added";
    RequestTrayIcon(0);
    EXPECT_EQ(MMSYSERR_NODRIVER, RequestJoystick(MAKELPARAM(KXJ_CAPS, 100)));
    EXPECT_EQ(0, RequestRegRead(MAKELPARAM(GlobalAddAtomA("CSoftware"), 0)));

    SetOnDemand(OD_SHELLNOTIFYICON, shell);
    SetOnDemand(OD_JOYGETDEVCAPS, caps);
    SetOnDemand(OD_REGOPENKEYEX, open);
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}

// ---- the tray's record and the shell agree ----------------------------------------------

// Whether the shell shows korvex's icon: a modify that changes nothing
// succeeds only while the icon is there.  The shell knows the window by its
// full handle, not by the 16 bits a host has of it.
// "Open" is served while the host's next request 25 arrives, so the two nest
// inside each other's tray calls; whatever the order, 25 (0, 0) and request 6
// leave no icon, and an add after "Open" leaves one up.
TEST_F(Desktop, TrayRecordAndShellAgreeInAnyOrder)
{
    NEED_TRAY();
    HWND request = GetAncestor(bridge.link.request, GA_ROOT);
    HWND target = CreateRecordingWindow("nesting target");
    ShowWindow(target, SW_SHOW);
    for (DWORD pause : { 0u, 50u, 400u }) {
        for (int doubleClick = 0; doubleClick < 2; doubleClick++) {
            EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "nesting", Word(target)));
            EXPECT_TRUE(IconUp(request)) << "added";
            if (doubleClick)
                SendMessageA(request, KX_WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
            else
                PostMessageA(request, WM_COMMAND, KX_CMD_OPEN, 0);
            Sleep(pause);
            EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "nesting again", Word(target)));
            KorvexPump(300);
            // Either may be served first; whichever is newer stands, and the
            // window is hidden exactly while the icon is up.
            bool up = IconUp(request);
            EXPECT_EQ(up, !IsWindowVisible(target)) << "icon " << (up ? "up" : "gone") << ", pause "
                                                    << pause << (doubleClick ? ", double-click" : ", menu");
            EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0));
            KorvexPump(300);
            EXPECT_FALSE(IconUp(request)) << "removed after Open and add, pause " << pause
                                          << (doubleClick ? ", double-click" : ", menu");
            ShowWindow(target, SW_SHOW);
        }
    }

    // The same ended with request 6: nothing stays behind.
    Bridge own;
    ASSERT_TRUE(StartBridge(&own, "quit nesting host"));
    EXPECT_EQ(0, Ask(&own, KXR_TRAY_ICON, "nesting quit", Word(target)));
    PostMessageA(own.link.request, WM_COMMAND, KX_CMD_OPEN, 0);
    EXPECT_EQ(0, Ask(&own, KXR_TRAY_ICON, "nesting quit again", Word(target)));
    HWND ownRequest = GetAncestor(own.link.request, GA_ROOT);   // full, while it lives
    EndBridge(&own);
    EXPECT_FALSE(IconUp(ownRequest)) << "request 6 left an icon";
    DestroyWindow(target);
}

// A host window that, the moment korvex's "Open" shows it, trades itself for
// the icon again: its request is served inside korvex's own restore.
static HWND NestingRequest;
static bool NestingArmed;
static LRESULT CALLBACK NestingTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGED && NestingArmed
        && (((WINDOWPOS *)lParam)->flags & SWP_SHOWWINDOW)) {
        NestingArmed = false;
        SendMessageA(NestingRequest, WM_USER, KXR_TRAY_ICON,
                     MAKELPARAM(GlobalAddAtomA("traded inside Open"), Word(window)));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Desktop, ARequestServedInsideOpenStands)
{
    NEED_TRAY();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NestingTargetProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KorvexNestingTarget";
    RegisterClassA(&wc);
    HWND target = CreateWindowA(wc.lpszClassName, "nesting inside Open", WS_OVERLAPPEDWINDOW,
                                10, 10, 100, 100, NULL, NULL, wc.hInstance, NULL);
    ShowWindow(target, SW_SHOW);
    HWND request = GetAncestor(bridge.link.request, GA_ROOT);
    NestingRequest = bridge.link.request;
    EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "before Open", Word(target)));
    ASSERT_TRUE(IconUp(request));
    NestingArmed = true;
    PostMessageA(bridge.link.request, WM_COMMAND, KX_CMD_OPEN, 0);
    DWORD start = GetTickCount();
    while (NestingArmed && GetTickCount() - start < Slow(5000))
        KorvexPump(20);
    KorvexPump(300);
    EXPECT_FALSE(NestingArmed) << "Open never showed the window";
    EXPECT_TRUE(IconUp(request)) << "the request served inside Open lost its icon";
    EXPECT_FALSE(IsWindowVisible(target)) << "the window it traded away is shown";
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0));
    KorvexPump(200);
    EXPECT_FALSE(IconUp(request)) << "25 (0, 0) left the icon";
    DestroyWindow(target);
}

// An icon already up is modified in place: the new icon replaces the old,
// which is destroyed, and the shell still shows one.
TEST(TrayIcon, AnAddWhileUpReplacesTheIcon)
{
    NEED_TRAY();
    HWND window = CreateRecordingWindow("replace owner"), target = CreateRecordingWindow("replace target");
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    BridgeState.instance = GetModuleHandleA(NULL);
    RequestTrayIcon(MAKELPARAM(GlobalAddAtomA("first tip"), Word(target)));
    HICON first = BridgeState.trayIcon.hIcon;
    ASSERT_TRUE(IconUp(window));
    RequestTrayIcon(MAKELPARAM(GlobalAddAtomA("second tip"), Word(target)));
    HICON second = BridgeState.trayIcon.hIcon;
    EXPECT_NE(first, second);
    EXPECT_FALSE(IconAlive(first)) << "the replaced icon lives on";
    EXPECT_TRUE(IconAlive(second));
    EXPECT_STREQ("second tip", BridgeState.trayIcon.szTip);
    EXPECT_TRUE(IconUp(window));
    RequestTrayIcon(0);
    EXPECT_FALSE(IconUp(window));
    EXPECT_FALSE(IconAlive(second));
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}

// ---- a host that ends without request 6 ---------------------------------------------

struct LostHost {
    Bridge bridge;
    bool replace;        // make a second window, destroy the first, keep running
    HANDLE started, finish;
    HWND second;
};

static DWORD WINAPI RunLostHost(void *parameter)
{
    LostHost *h = (LostHost *)parameter;
    h->bridge.host = CreateWindowA("STATIC", "lost host", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                                   NULL, NULL);
    BOOL up = KorvexStart(&h->bridge.link, h->bridge.host, BinPath("korvex.exe").c_str(),
                          SW_HIDE, Slow(20000));
    if (up && h->replace) {
        h->second = CreateWindowA("STATIC", "second window", WS_OVERLAPPED, 0, 0, 50, 50, NULL,
                                  NULL, NULL, NULL);
        DestroyWindow(h->bridge.host);
    }
    SetEvent(h->started);
    // The host serves until the test lets it go; then it just ends, as a crash
    // ends it, and its windows go with its thread.
    while (MsgWaitForMultipleObjects(1, &h->finish, FALSE, Slow(30000), QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        KorvexPump(0);
    return 0;
}

TEST(HostLifetime, KorvexEndsWhenItsHostHasGone)
{
    NEED_TRAY();
    HWND target = CreateRecordingWindow("lost host's target");
    LostHost h = {};
    h.started = CreateEventA(NULL, TRUE, FALSE, NULL);
    h.finish = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, RunLostHost, &h, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h.started, Slow(30000)));
    ASSERT_TRUE(h.bridge.link.process != NULL) << "korvex did not start";
    HWND request = GetAncestor(h.bridge.link.request, GA_ROOT);   // full, while it lives
    EXPECT_EQ(0, SendMessageA(request, WM_USER, KXR_TRAY_ICON, MAKELPARAM(0, Word(target))));
    EXPECT_TRUE(IconUp(request));
    SetEvent(h.finish);   // now the host goes, without request 6
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, Slow(10000)));
    CloseHandle(thread);
    EXPECT_FALSE(IsWindow(h.bridge.host)) << "the host's window went with its thread";
    EXPECT_EQ(0, WaitProgram(h.bridge.link.process, 10000)) << "korvex outlived its host";
    EXPECT_FALSE(IconUp(request)) << "its icon stayed behind";
    CloseHandle(h.started);
    CloseHandle(h.finish);
    DestroyWindow(target);
}

TEST(HostLifetime, AHostThatReplacesItsWindowKeepsKorvex)
{
    LostHost h = {};
    h.replace = true;
    h.started = CreateEventA(NULL, TRUE, FALSE, NULL);
    h.finish = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, RunLostHost, &h, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h.started, Slow(30000)));
    ASSERT_TRUE(h.bridge.link.process != NULL) << "korvex did not start";
    EXPECT_FALSE(IsWindow(h.bridge.host));
    KorvexPump(2500);   // more than one look at the host
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(h.bridge.link.process, 0)) << "korvex left a living host";
    EXPECT_EQ(1, SendMessageA(h.bridge.link.request, WM_USER, KXR_IS_NT, 0)) << "and still serves";
    // Once the second window goes too and the thread has none, korvex ends.
    SetEvent(h.finish);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, Slow(10000)));
    CloseHandle(thread);
    EXPECT_EQ(0, WaitProgram(h.bridge.link.process, 10000)) << "korvex outlived its host";
    CloseHandle(h.started);
    CloseHandle(h.finish);
}

// ---- the libraries loaded on first use --------------------------------------------

// Starts a bridge with extra Wine library overrides and a current folder.
static bool StartBridgeWith(Bridge *b, const char *overrides, const std::string &folder)
{
    char old[1024] = "", cwd[MAX_PATH];
    GetEnvironmentVariableA("WINEDLLOVERRIDES", old, sizeof(old));
    std::string now = std::string(old) + (old[0] ? ";" : "") + overrides;
    SetEnvironmentVariableA("WINEDLLOVERRIDES", now.c_str());
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    if (!folder.empty())
        SetCurrentDirectoryA(folder.c_str());
    bool up = StartBridge(b, "overridden host");
    SetCurrentDirectoryA(cwd);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", old[0] ? old : NULL);
    return up;
}

// Older Windows search the current folder before the system folder, and a
// dialog may have moved korvex's current folder to one the user chose.  A
// library found there must never be loaded in place of the system's.
TEST(OnDemand, LibrariesComeFromTheSystemFolderOnly)
{
    const char *marker = "korvex test: planted library loaded";
    std::string folder = MakeTempTree("kxplant");
    ASSERT_TRUE(CopyFileA(TestBinPath("plant\\winmm.dll").c_str(), (folder + "\\winmm.dll").c_str(),
                          FALSE));
    // This prefix then searches the current folder first, as Windows 9x,
    // NT 4 and 2000 do.
    const char *session = "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, session, 0, KEY_ALL_ACCESS, &key));
    DWORD old = 0, size = sizeof(old), type = 0, zero = 0;
    bool had = RegQueryValueExA(key, "SafeDllSearchMode", NULL, &type, (BYTE *)&old, &size) == ERROR_SUCCESS;
    RegSetValueExA(key, "SafeDllSearchMode", 0, REG_DWORD, (const BYTE *)&zero, sizeof(zero));

    // And it prefers a library file to its own built-in one (Wine's override).
    HKEY overrides;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0,
                                             NULL, 0, KEY_ALL_ACCESS, NULL, &overrides, NULL));
    char oldOrder[64] = "";
    DWORD orderSize = sizeof(oldOrder);
    bool hadOrder = RegQueryValueExA(overrides, "winmm", NULL, NULL, (BYTE *)oldOrder, &orderSize)
                    == ERROR_SUCCESS;
    RegSetValueExA(overrides, "winmm", 0, REG_SZ, (const BYTE *)"native,builtin", 15);

    Bridge b = {};
    ASSERT_TRUE(StartBridgeWith(&b, "winmm=n,b", folder));
    SendMessageA(b.link.request, WM_USER, KXR_JOYSTICK, MAKELPARAM(KXJ_CAPS, 100));
    ATOM planted = GlobalFindAtomA(marker);
    EndBridge(&b);
    if (hadOrder)
        RegSetValueExA(overrides, "winmm", 0, REG_SZ, (const BYTE *)oldOrder, orderSize);
    else
        RegDeleteValueA(overrides, "winmm");
    RegCloseKey(overrides);
    EXPECT_EQ(0, planted) << "korvex loaded the winmm.dll of its current folder";
    while ((planted = GlobalFindAtomA(marker)) != 0)
        GlobalDeleteAtom(planted);

    if (had)
        RegSetValueExA(key, "SafeDllSearchMode", 0, type, (const BYTE *)&old, sizeof(old));
    else
        RegDeleteValueA(key, "SafeDllSearchMode");
    RegCloseKey(key);
    RemoveTree(folder);
}

// Without the multimedia library the joystick answers what its calls give
// where no driver is installed, for every sub-code.  The library's load really
// fails: its name is one the system folder does not have.
TEST(OnDemand, NoMultimediaLibraryAnswersNoDriver)
{
    static const int joy[] = { OD_JOYGETDEVCAPS, OD_JOYSETCAPTURE, OD_JOYRELEASECAPTURE,
                               OD_JOYGETTHRESHOLD, OD_JOYSETTHRESHOLD };
    HWND window = CreateRecordingWindow("no winmm owner");
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    for (int f : joy)
        SetOnDemandLibrary(f, "kxnowinmm.dll");
    EXPECT_EQ(MMSYSERR_NODRIVER, RequestJoystick(MAKELPARAM(KXJ_CAPS, 100)));
    EXPECT_EQ(MMSYSERR_NODRIVER, RequestJoystick(MAKELPARAM(KXJ_CAPTURE, Word(window))));
    EXPECT_EQ(MMSYSERR_NODRIVER, RequestJoystick(MAKELPARAM(KXJ_RELEASE, 0)));
    EXPECT_EQ(0, RequestJoystick(MAKELPARAM(KXJ_SAVE_THRESHOLD, 0)));
    EXPECT_EQ(0, RequestJoystick(MAKELPARAM(KXJ_SET_THRESHOLD, 1)));
    EXPECT_TRUE(OnDemand(OD_JOYGETDEVCAPS) == NULL) << "a library nobody has was loaded";
    for (int f : joy)
        SetOnDemandLibrary(f, "winmm.dll");
    EXPECT_TRUE(OnDemand(OD_JOYGETDEVCAPS) != NULL) << "the real one loads again";
    BridgeState = saved;
    DestroyWindow(window);
}

// The owner the file dialogs are given: field 1 of the argument text.
static HWND DialogOwner;
static BOOL WINAPI FakeFileDialog(OPENFILENAMEA *ofn)
{
    DialogOwner = ofn->hwndOwner;
    return FALSE;
}

// The wide dialog, where the platform has it (every NT).
static BOOL WINAPI FakeWideFileDialog(OPENFILENAMEW *ofn)
{
    DialogOwner = ofn->hwndOwner;
    return FALSE;
}

TEST(FileDialog, OwnerIsTheFirstField)
{
    HWND owner = CreateRecordingWindow("file dialog owner");
    OnDemandProc open = OnDemand(OD_GETOPENFILENAME), openWide = OnDemand(OD_GETOPENFILENAMEW);
    SetOnDemand(OD_GETOPENFILENAME, (OnDemandProc)FakeFileDialog);
    SetOnDemand(OD_GETOPENFILENAMEW, (OnDemandProc)FakeWideFileDialog);
    for (WORD word : { Word(owner), (WORD)0xFFFF, (WORD)0 }) {
        char text[64];
        snprintf(text, sizeof(text), "%u 0 0 0 0 0 0 0", word);
        DialogOwner = owner;
        EXPECT_EQ(0, RequestFileDialog(KXR_OPEN_DIALOG, MAKELPARAM(GlobalAddAtomA(text), 0)));
        HWND expected = word == 0xFFFF ? NULL : (HWND)(UINT_PTR)word;
        EXPECT_EQ(expected, DialogOwner) << "owner field " << word;
    }
    SetOnDemand(OD_GETOPENFILENAME, open);
    SetOnDemand(OD_GETOPENFILENAMEW, openWide);
    DestroyWindow(owner);
}

// ---- windows of other programs that never answer ------------------------------------

// A window word naming a window whose thread hangs (here: one of ours that
// stops pumping) never holds korvex: each request answers within its bound,
// and korvex serves the next one.
TEST_F(Desktop, AHungWindowInAnyWordNeverHoldsKorvex)
{
    HungWindow list = {}, target = {}, owner = {};
    ASSERT_TRUE(StartHungWindow(&list, "LISTBOX"));
    ASSERT_TRUE(StartHungWindow(&target, "STATIC"));
    ASSERT_TRUE(StartHungWindow(&owner, "STATIC"));
    bridge.link.timeout = Slow(20000);

    // Request 32: the first line meets the hung list box; the listing stops there.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    DWORD start = GetTickCount();
    KorvexRequest(&bridge.link, KXR_FILL_LIST, KorvexAtom((std::string("6") + windows).c_str()),
                  Word(list.window));
    EXPECT_FALSE(bridge.link.timedOut) << "request 32 to a hung list box";
    bridge.link.timedOut = FALSE;
    EXPECT_EQ(1, KorvexRequest(&bridge.link, KXR_IS_NT, 0, 0)) << "korvex serves again";

    // Request 25: the tray target is hidden without waiting on it.
    if (TrayAvailable()) {
        KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, Word(target.window));
        EXPECT_FALSE(bridge.link.timedOut) << "request 25 with a hung target";
        bridge.link.timedOut = FALSE;
    }

    // Request 7: a hung owner is no owner; the dialog comes and is cancelled.
    char text[64];
    snprintf(text, sizeof(text), "%u 0 0 0 0 0 0 0", Word(owner.window));
    HWND replyTo = bridge.host;
    struct Canceller {
        static DWORD WINAPI Run(void *p)
        {
            HWND dialog = FindDialog(NULL, *(DWORD *)p, 15000);
            if (dialog != NULL)
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
    };
    DWORD pid = GetProcessId(bridge.link.process);
    HANDLE canceller = CreateThread(NULL, 0, Canceller::Run, &pid, 0, NULL);
    KorvexRequest(&bridge.link, KXR_OPEN_DIALOG, KorvexAtom(text), Word(replyTo));
    EXPECT_FALSE(bridge.link.timedOut) << "request 7 with a hung owner";
    bridge.link.timedOut = FALSE;
    WaitForSingleObject(canceller, Slow(20000));
    CloseHandle(canceller);
    Seen reply;
    if (WaitRecorded(bridge.host, WM_USER, 5000, &reply)) {
        char replyText[256] = "";
        KorvexTakeResult(LOWORD(reply.lParam), replyText, sizeof(replyText));
        unsigned index, path, title;
        if (sscanf(replyText, "%u %u %u", &index, &path, &title) == 3) {
            if (path != 0)
                GlobalDeleteAtom((ATOM)path);
            if (title != 0)
                GlobalDeleteAtom((ATOM)title);
        }
    }
    EXPECT_EQ(1, KorvexRequest(&bridge.link, KXR_IS_NT, 0, 0)) << "korvex serves again";
    printf("(three hung windows met in %lu ms)\n", (unsigned long)(GetTickCount() - start));
    bridge.link.timeout = Slow(30000);
    EndHungWindow(&list);
    EndHungWindow(&target);
    EndHungWindow(&owner);
    if (TrayAvailable())
        KorvexRequest(&bridge.link, KXR_TRAY_ICON, 0, 0);
}

// A Win16 host passes its window's low word and then ends; another program's
// new window can land on the freed slot.  That stranger is not the host:
// korvex ends, and posts its closing notice to nobody.
struct SlotThread {
    HWND window;
    HANDLE made, release;
    const char *title;
};

static DWORD WINAPI HoldWindow(void *parameter)
{
    SlotThread *t = (SlotThread *)parameter;
    t->window = CreateRecordingWindow(t->title);
    SetEvent(t->made);
    while (MsgWaitForMultipleObjects(1, &t->release, FALSE, Slow(60000), QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        KorvexPump(0);
    DestroyWindow(t->window);
    return 0;
}

TEST(HostLifetime, AStrangerOnTheHostsSlotIsNoHost)
{
    SlotThread host = { NULL, CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL),
                        "slot host" };
    HANDLE hostThread = CreateThread(NULL, 0, HoldWindow, &host, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(host.made, Slow(10000)));
    char command[MAX_PATH + 32];
    snprintf(command, sizeof(command), "\"%s\" %u", BinPath("korvex.exe").c_str(), Word(host.window));
    HANDLE korvex = StartProgram(command, SW_HIDE);
    ASSERT_TRUE(korvex != NULL);
    KorvexPump(Slow(1500));   // korvex is up and has looked at its host
    WORD slot = Word(host.window);
    SetEvent(host.release);   // the host ends: its window goes with its thread
    WaitForSingleObject(hostThread, Slow(10000));
    CloseHandle(hostThread);

    // The next new windows, of another thread, until one lands on the slot.
    SlotThread strangers[8];
    HANDLE threads[8];
    int n = 0, onSlot = -1;
    for (; n < 8 && onSlot < 0; n++) {
        strangers[n] = { NULL, CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL),
                         "stranger" };
        threads[n] = CreateThread(NULL, 0, HoldWindow, &strangers[n], 0, NULL);
        WaitForSingleObject(strangers[n].made, Slow(10000));
        if (Word(strangers[n].window) == slot)
            onSlot = n;
    }
    if (onSlot >= 0) {
        ClearRecorded();
        EXPECT_EQ(0, WaitProgram(korvex, 10000)) << "korvex took the stranger for its host";
        KorvexPump(200);
        EXPECT_TRUE(RecordedOf(strangers[onSlot].window, WM_USER).empty())
            << "the closing notice went to the stranger";
    } else {
        TerminateProcess(korvex, 1);
        CloseHandle(korvex);
    }
    for (int i = 0; i < n; i++) {
        SetEvent(strangers[i].release);
        WaitForSingleObject(threads[i], Slow(10000));
        CloseHandle(threads[i]);
        CloseHandle(strangers[i].made);
        CloseHandle(strangers[i].release);
    }
    CloseHandle(host.made);
    CloseHandle(host.release);
    if (onSlot < 0)
        GTEST_SKIP() << "no new window landed on the freed slot here";
}
