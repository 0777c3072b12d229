// The desktop and device services under Wine: registry, tray icon, joystick
// relay, network dialogs, Scroll Lock and the platform requests.
#include <gtest/gtest.h>
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

TEST_F(Desktop, TrayTradesTheWindowForAnIcon)
{
    HWND target = CreateRecordingWindow("tray target");
    ShowWindow(target, SW_SHOW);
    HWND request = bridge.link.request;
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = target;
    probe.uID = 7;
    if (!Shell_NotifyIconA(NIM_ADD, &probe))
        GTEST_SKIP() << "no notification area on this display";
    Shell_NotifyIconA(NIM_DELETE, &probe);

    EXPECT_EQ(0, Ask(&bridge, KXR_TRAY_ICON, "korvex tray test", Word(target)));
    EXPECT_FALSE(IsWindowVisible(target)) << "hidden";

    // Double-click: "Open" comes through the queue.
    EXPECT_EQ(0, SendMessageA(request, KX_WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK));
    DWORD start = GetTickCount();
    while (!IsWindowVisible(target) && GetTickCount() - start < 5000)
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
    ClearRecorded();
    PostMessageA(bridge.link.request, KX_WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
    HWND menu = NULL;
    DWORD start = GetTickCount();
    while (menu == NULL && GetTickCount() - start < 5000) {
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
    EXPECT_TRUE(RecordedOf(target, WM_CLOSE).empty()) << "dismissed without a choice";
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

// The mark that an icon is registered, as add, "Open", "Exit" and removal
// leave it (the platform tells another process nothing about our icons).
TEST(TrayIcon, MarkFollowsAddOpenAndRemove)
{
    HWND window = CreateRecordingWindow("mark owner"), target = CreateRecordingWindow("mark target");
    BRIDGESTATE saved = BridgeState;
    BridgeState.requestWindow = window;
    ShowWindow(target, SW_SHOW);

    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    EXPECT_EQ(window, BridgeState.trayIcon.hWnd) << "set even if the platform refused";
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

    // The joystick's target, in our own process.
    BRIDGESTATE saved = BridgeState;
    RequestJoystick(MAKELPARAM(KXJ_CAPTURE, 0xFFFF));
    EXPECT_TRUE(BridgeState.targetWindow == NULL) << BridgeState.targetWindow;
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

    // A second add while the first icon is up: one of the two is kept, the
    // other destroyed.
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    HICON first = BridgeState.trayIcon.hIcon;
    RequestTrayIcon(MAKELPARAM(0, Word(target)));
    HICON kept = BridgeState.trayIcon.hIcon;
    EXPECT_TRUE(IconAlive(kept));
    if (kept != first) {
        EXPECT_FALSE(IconAlive(first)) << "the replaced icon lives on";
    }
    RequestQuit();
    EXPECT_FALSE(IconAlive(kept));
    KorvexPump(50);
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}

// A network provider whose every container holds one server and itself.
static int NetDepth, NetMaxDepth;
static DWORD WINAPI FakeOpenEnum(DWORD, DWORD, DWORD, NETRESOURCEA *, HANDLE *handle)
{
    NetDepth++;
    if (NetDepth > NetMaxDepth)
        NetMaxDepth = NetDepth;
    *handle = (HANDLE)(UINT_PTR)NetDepth;
    return NO_ERROR;
}
static DWORD WINAPI FakeEnumResource(HANDLE, DWORD *count, void *buffer, DWORD *size)
{
    static char server[] = "\\\\LOOP", container[] = "LOOP";
    NETRESOURCEA *entries = (NETRESOURCEA *)buffer;
    if (*count < 2 || *size < 2 * sizeof(NETRESOURCEA))
        return ERROR_MORE_DATA;
    memset(entries, 0, 2 * sizeof(NETRESOURCEA));
    entries[0].dwDisplayType = RESOURCEDISPLAYTYPE_SERVER;
    entries[0].lpRemoteName = server;
    entries[1].dwDisplayType = RESOURCEDISPLAYTYPE_GENERIC;
    entries[1].dwUsage = RESOURCEUSAGE_CONTAINER;
    entries[1].lpRemoteName = container;
    *count = 2;
    return NO_ERROR;
}
static DWORD WINAPI FakeCloseEnum(HANDLE)
{
    NetDepth--;
    return NO_ERROR;
}

TEST(NetworkListing, ContainersNestedWithoutEndStopAtADepth)
{
    OnDemandProc saved[3] = { OnDemand(OD_WNETOPENENUM), OnDemand(OD_WNETENUMRESOURCE),
                              OnDemand(OD_WNETCLOSEENUM) };
    SetOnDemand(OD_WNETOPENENUM, (OnDemandProc)FakeOpenEnum);
    SetOnDemand(OD_WNETENUMRESOURCE, (OnDemandProc)FakeEnumResource);
    SetOnDemand(OD_WNETCLOSEENUM, (OnDemandProc)FakeCloseEnum);
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    NetDepth = NetMaxDepth = 0;

    EXPECT_EQ(0, RequestFillList(MAKELPARAM(GlobalAddAtomA("1"), Word(list))));
    EXPECT_EQ(17, NetMaxDepth) << "the top and 16 containers below it";
    EXPECT_EQ(0, NetDepth) << "every enumeration closed";
    EXPECT_EQ(17, SendMessageA(list, LB_GETCOUNT, 0, 0)) << "one server a level";
    char line[64] = "";
    SendMessageA(list, LB_GETTEXT, 0, (LPARAM)line);
    EXPECT_STREQ("1cb000000000000000000000000LOOP", line);

    SetOnDemand(OD_WNETOPENENUM, saved[0]);
    SetOnDemand(OD_WNETENUMRESOURCE, saved[1]);
    SetOnDemand(OD_WNETCLOSEENUM, saved[2]);
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
    EXPECT_EQ(JOYERR_UNPLUGGED, RequestJoystick(MAKELPARAM(KXJ_CAPS, 100)));
    EXPECT_EQ(0, RequestRegRead(MAKELPARAM(GlobalAddAtomA("CSoftware"), 0)));

    SetOnDemand(OD_SHELLNOTIFYICON, shell);
    SetOnDemand(OD_JOYGETDEVCAPS, caps);
    SetOnDemand(OD_REGOPENKEYEX, open);
    BridgeState = saved;
    DestroyWindow(window);
    DestroyWindow(target);
}
