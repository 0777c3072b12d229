// tray.cpp - trading a host window for a tray icon and back (requests 25 and
// 6, the icon's notifications and the tray menu's commands).
//
// Shell_NotifyIcon waits for the shell and meanwhile serves the messages sent
// to us, so a host's request can run inside any of our own tray calls.  Every
// change is therefore written to trayIcon before the call that carries it out,
// and after the call we act only when nothing served inside it changed the
// record since: the innermost change is the newest, and the shell has seen
// the calls in the order they were made.
#include "bridge.h"
#include "../../res/resource.h"

// Counts the changes of the tray record, so a caller can tell whether a
// request served inside its shell call made one.
static unsigned TrayChanges;

// trayIcon.hIcon is the icon the record holds; whoever takes an icon out of
// the record destroys it, once the shell call that stops showing it is done.
void RemoveIcon(void)
{
    NOTIFYICONDATAA gone = BridgeState.trayIcon;

    if (gone.hWnd == NULL && gone.hIcon == NULL)
        return;
    BridgeState.trayIcon.hWnd = NULL;
    BridgeState.trayIcon.hIcon = NULL;
    TrayChanges++;
    if (gone.hWnd != NULL) {
        BOOL deleted = OdShellNotifyIcon(NIM_DELETE, &gone);
        Trace("tray icon removed = %d", deleted);
    }
    if (gone.hIcon != NULL)
        DestroyIcon(gone.hIcon);
}

LRESULT RequestTrayIcon(LPARAM lParam)
{
    NOTIFYICONDATAA previous = BridgeState.trayIcon, icon;
    unsigned change;
    BOOL shown;

    if (HIWORD(lParam) == 0) {
        RemoveIcon();
        return 0;
    }
    icon = previous;
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = BridgeState.requestWindow;
    icon.uID = 1;
    icon.hIcon = (HICON)LoadImageA(BridgeState.instance, MAKEINTRESOURCEA(IDI_TRAY),
                                   IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = KX_WM_TRAYNOTIFY;
    TakeAtomString(LOWORD(lParam), icon.szTip, 64);
    BridgeState.targetWindow = HostWindow(HIWORD(lParam));

    BridgeState.trayIcon = icon;
    change = ++TrayChanges;
    // An icon already up gets the new icon and tip in its place.
    shown = previous.hWnd != NULL && OdShellNotifyIcon(NIM_MODIFY, &icon);
    if (!shown && change == TrayChanges)
        shown = OdShellNotifyIcon(NIM_ADD, &icon);
    if (TRACING()) {
        char text[TRACE_TEXT_SIZE];
        Trace("tray icon %s %s = %d%s", previous.hWnd != NULL ? "changed" : "added",
              TraceEscape(icon.szTip, text, sizeof(text)), shown,
              change != TrayChanges ? ", then changed by a request served meanwhile" : "");
    }
    if (previous.hIcon != NULL)
        DestroyIcon(previous.hIcon);
    if (change != TrayChanges)
        return 0;   // a request served meanwhile decided; it owns our icon now
    if (!shown) {
        // Refused: nothing is up, and the record says so.
        BridgeState.trayIcon.hWnd = NULL;
        BridgeState.trayIcon.hIcon = NULL;
        TrayChanges++;
        if (icon.hIcon != NULL)
            DestroyIcon(icon.hIcon);
        return 0;
    }
    // A target whose thread hangs must not hold ours: it is told, not asked.
    // (While we ask, a newer request can be served; then it stands.)
    BOOL answers = Responds(BridgeState.targetWindow);
    if (change != TrayChanges)
        return 0;
    if (answers)
        ShowWindow(BridgeState.targetWindow, SW_HIDE);
    else
        ShowWindowAsync(BridgeState.targetWindow, SW_HIDE);
    return 0;
}

LRESULT RequestQuit(void)
{
    RemoveIcon();
    PostMessageA(BridgeState.requestWindow, WM_CLOSE, 0, 0);
    return 0;
}

static void ShowTrayMenu(void)
{
    HMENU menu = LoadMenuA(BridgeState.instance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    POINT at;

    if (menu == NULL)
        return;
    GetCursorPos(&at);
    SetMenuDefaultItem(GetSubMenu(menu, 0), IDM_OPEN, FALSE);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RIGHTALIGN, at.x, at.y, 0,
                   BridgeState.requestWindow, NULL);
    DestroyMenu(menu);
}

void TrayNotification(LPARAM lParam)
{
    if (LOWORD(lParam) == WM_LBUTTONDBLCLK || LOWORD(lParam) == WM_RBUTTONUP)
        Trace("tray notification %u", LOWORD(lParam));
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK:
        // "Open" runs from the queue, after the notification has returned.
        PostMessageA(BridgeState.requestWindow, WM_COMMAND, IDM_OPEN, 0);
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    }
}

void TrayCommand(WPARAM wParam)
{
    HWND target = BridgeState.targetWindow;
    unsigned change;
    BOOL answers;

    if (LOWORD(wParam) == IDM_OPEN || LOWORD(wParam) == IDM_EXIT)
        Trace("tray command %s, target %lu", LOWORD(wParam) == IDM_OPEN ? "Open" : "Exit",
              (unsigned long)(UINT_PTR)target);
    switch (LOWORD(wParam)) {
    case IDM_OPEN:
        // The icon goes first.  A request 25 served while it goes, or while
        // the window comes back, is newer than this "Open" and must stand:
        // the window it traded away stays with the icon.
        change = TrayChanges;
        RemoveIcon();
        if (target == NULL || TrayChanges - change > 1)
            break;
        change = TrayChanges;
        answers = Responds(target);
        if (TrayChanges != change)
            break;   // a newer request 25 was served while we asked: it stands
        if (answers)
            ShowWindow(target, SW_RESTORE);
        else
            ShowWindowAsync(target, SW_RESTORE);
        if (change == TrayChanges)
            SetForegroundWindow(GetLastActivePopup(target));
        break;
    case IDM_EXIT:
        if (target != NULL)
            PostMessageA(target, WM_CLOSE, 0, 0);
        break;
    }
}
