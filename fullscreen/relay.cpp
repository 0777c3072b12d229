// relay.cpp - the window procedure of both qivddraw windows: the full-screen
// window's input goes to the host, commands are posted to it, and focus loss,
// the leave command and SC_CLOSE end full-screen mode.
#include "qivddraw.h"
#include "fs_rules.h"

// A host that does not answer (its thread hangs) answers as a window that is
// gone: 0.  Before our loop has waited once, input is kept for later and the
// cursor question gets the default answer.
static LRESULT SendToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    LRESULT answer = 0;

    if (!FullScreenState.loopIdle) {
        int n = FullScreenState.deferredCount;
        if (message != WM_SETCURSOR && n < QIV_DEFERRED_MAX) {
            FullScreenState.deferred[n].message = message;
            FullScreenState.deferred[n].wParam = wParam;
            FullScreenState.deferred[n].lParam = lParam;
            FullScreenState.deferredCount = n + 1;
        }
        return 0;
    }
    if (SendMessageTimeoutA(FullScreenState.hostWindow, message, LOWORD(wParam), lParam,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, QIV_RELAY_BOUND_MS, &result))
        answer = (LRESULT)result;

    if (TRACING()) {
        const char *name = RelayedMessageName(message);
        Trace("relay %s %u %lu = %ld", name != NULL ? name : "message", LOWORD(wParam),
              (unsigned long)lParam, (long)answer);
    }
    return answer;
}

void RelayDeferredInput(void)
{
    for (int i = 0; i < FullScreenState.deferredCount; i++)
        SendToHost(FullScreenState.deferred[i].message, FullScreenState.deferred[i].wParam,
                   FullScreenState.deferred[i].lParam);
    FullScreenState.deferredCount = 0;
}

static void PaintBackground(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(FullScreenState.background);
    HGDIOBJ previous = SelectObject(dc, brush);

    PatBlt(dc, 0, 0, QIV_WIDTH, FullScreenState.displayHeight, PATCOPY);
    SelectObject(dc, previous);
    DeleteObject(brush);
    EndPaint(window, &ps);
}

static void SystemCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    BOOL posted = PostMessageA(FullScreenState.hostWindow, WM_SYSCOMMAND, LOWORD(wParam), lParam);

    if (TRACING())
        Trace("command WM_SYSCOMMAND %u %lu posted %d", LOWORD(wParam), (unsigned long)lParam,
              posted);
    if (LOWORD(wParam) == SC_CLOSE) {
        // The host heard SC_CLOSE itself: no "ended" notice after this one.
        FullScreenState.notifyOnExit = 0;
        DestroyWindow(window);
    }
}

LRESULT CALLBACK FullScreenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        // The display first: nothing may wait on the host while we hold it.
        // Then the host to the top, asked without waiting on its thread.
        ReleaseDirectDraw();
        ShowWindow(window, SW_HIDE);
        if (HostThere())
            SetWindowPos(FullScreenState.hostWindow, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
        PostQuitMessage(0);
        return 0;

    case WM_TIMER:
        if (wParam == QIV_TIMER_FIRST_WAIT)
            KillTimer(window, QIV_TIMER_FIRST_WAIT);
        if (wParam == QIV_TIMER_HOST && !HostThere()) {
            if (TRACING())
                Trace("the host has gone: leaving full-screen mode");
            FullScreenState.notifyOnExit = 0;
            DestroyWindow(window);
        }
        return 0;

    case WM_KILLFOCUS:
        // Only the full-screen window's loss counts: under Wine the minimized
        // owner holds the focus first and loses it as full-screen mode begins.
        if (window == FullScreenState.fullScreenWindow)
            DestroyWindow(window);
        return 0;

    case WM_PAINT:
        PaintBackground(window);
        return 0;

    case WM_SETCURSOR:
        SetCursor((HCURSOR)SendToHost(WM_SETCURSOR, wParam, lParam));
        return 0;

    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        SendToHost(message, wParam, lParam);
        return 0;

    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (SysKeyToDefault(FullScreenState.sysKeyMode, wParam))
            return DefWindowProcA(window, message, wParam, lParam);
        // Back through the loop as a plain key: the accelerators see it too.
        if (PostMessageA(window, message == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP, wParam, lParam))
            FullScreenState.reposted++;
        return 0;

    case WM_SYSCHAR:
        if (FullScreenState.sysKeyMode == QIV_SYSKEY_DEFAULT)
            return DefWindowProcA(window, message, wParam, lParam);
        SendToHost(message, wParam, lParam);
        return 0;

    case WM_COMMAND:
        if (LOWORD(wParam) == QIV_CMD_LEAVE)
            DestroyWindow(window);
        else
            SystemCommand(window, LOWORD(wParam), lParam);
        return 0;

    case WM_SYSCOMMAND:
        SystemCommand(window, wParam, lParam);
        return 0;

    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        SendToHost(message, wParam, lParam);
        return 0;

    case QIV_WM_SCROLL_QUERY: {
        LRESULT state = GetKeyState(VK_SCROLL) & 1;
        if (TRACING())
            Trace("scroll lock query = %ld", (long)state);
        return state;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
