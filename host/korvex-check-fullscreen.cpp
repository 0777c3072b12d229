// korvex-check-fullscreen.cpp - qivddraw: 118, relayed input, Scroll Lock,
// F7 and the display mode.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvex-check.h"

enum { SEEN_MAX = 64 };
static struct { UINT message; WPARAM wParam; LPARAM lParam; } Seen[SEEN_MAX];
static int SeenCount;
static UINT FullScreenMessage;

BOOL IsSeenMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_LBUTTONDOWN
           || (FullScreenMessage != 0 && message == FullScreenMessage) || message == WM_USER + 6;
}

void SeeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (SeenCount < SEEN_MAX) {
        Seen[SeenCount].message = message;
        Seen[SeenCount].wParam = wParam;
        Seen[SeenCount].lParam = lParam;
        SeenCount++;
    }
}

static BOOL WaitSeen(UINT message, WPARAM wParam, DWORD ms)
{
    DWORD start = GetTickCount();

    for (;;) {
        for (int i = 0; i < SeenCount; i++)
            if (Seen[i].message == message && Seen[i].wParam == wParam)
                return TRUE;
        if (GetTickCount() - start >= ms)
            return FALSE;
        KorvexPump(20);
    }
}

// Whether the display offers 640x480 at 32 bits: the check asks for no
// other.  A display that lists no modes at all is given the benefit.
static BOOL ModeOffered(void)
{
    DEVMODEA mode;

    for (DWORD i = 0; i < 500; i++) {
        memset(&mode, 0, sizeof(mode));
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsA(NULL, i, &mode))
            return i == 0;
        if (mode.dmPelsWidth == 640 && mode.dmPelsHeight == 480 && mode.dmBitsPerPel == 32)
            return TRUE;
    }
    return FALSE;
}

void CheckFullScreen(CheckRun *run)
{
    char command[MAX_PATH + 64];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DEVMODEA before, after;

    if (!run->fullscreen) {
        Skip("full screen", "the display mode is changed only with --fullscreen");
        return;
    }
    if (!ModeOffered()) {
        Skip("full screen", "this display offers no 640x480 at 32 bits per pixel; qivddraw cannot take full screen here");
        return;
    }
    memset(&before, 0, sizeof(before));
    before.dmSize = sizeof(before);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &before);
    FullScreenMessage = RegisterWindowMessageA(QIV_MESSAGE_NAME);
    SeenCount = 0;
    snprintf(command, sizeof(command), "\"%s\" %lu 32 0 480 0", run->qivddraw,
             (unsigned long)(UINT_PTR)HostWindow);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Holds("full screen: qivddraw starts", FALSE, "started", "not started");
        return;
    }
    BOOL shown = WaitSeen(FullScreenMessage, QIV_SHOWN, 20000);
    Holds("full screen: 118 is posted", shown, "118", "nothing");
    if (shown) {
        HWND window = NULL;
        for (int i = 0; i < SeenCount; i++)
            if (Seen[i].message == FullScreenMessage && Seen[i].wParam == QIV_SHOWN)
                window = (HWND)Seen[i].lParam;
        Holds("full screen: WM_USER+6 follows", WaitSeen(WM_USER + 6, 0, 5000), "WM_USER+6", "nothing");
        PostMessageA(window, WM_KEYDOWN, 'A', 1);
        Holds("full screen: a key is relayed", WaitSeen(WM_KEYDOWN, 'A', 5000), "WM_KEYDOWN 65", "nothing");
        DWORD_PTR state = 9;
        SendMessageTimeoutA(window, QIV_WM_SCROLL_QUERY, 0, 0, SMTO_NORMAL, 5000, &state);
        Holds("full screen: Scroll Lock answers 0 or 1", state <= 1, "0 or 1", "another answer");
        PostMessageA(window, WM_KEYDOWN, VK_F7, 1);
        Holds("full screen: F7 ends it with 119", WaitSeen(FullScreenMessage, QIV_ENDED, 10000), "119", "nothing");
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (!shown && code == QIV_EXIT_NO_MODE)
        Say("  (qivddraw said \"DirectDraw Init Failed\": the display would not take the mode)");
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    memset(&after, 0, sizeof(after));
    after.dmSize = sizeof(after);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &after);
    Holds("full screen: the display mode comes back",
          before.dmPelsWidth == after.dmPelsWidth && before.dmBitsPerPel == after.dmBitsPerPel,
          "the mode from before", "another mode");
}

// The contract from a real 16-bit host, where the system runs them.
