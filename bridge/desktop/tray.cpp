// tray.cpp - trading a host window for a tray icon and back (requests 25 and
// 6, the icon's notifications and the tray menu's commands).
#include "bridge.h"
#include "../../res/resource.h"

// trayIcon.hIcon is the one icon we hold: the one the platform shows, or the
// one whose add it refused.  Every other icon we load is destroyed, so a host
// that trades its window back and forth does not use up our USER objects.
// Without the mark no icon is held: the removal below destroys it.
static void RemoveIcon(void)
{
    if (BridgeState.trayIcon.hWnd != NULL) {
        OdShellNotifyIcon(NIM_DELETE, &BridgeState.trayIcon);
        BridgeState.trayIcon.hWnd = NULL;
    }
    if (BridgeState.trayIcon.hIcon != NULL) {
        DestroyIcon(BridgeState.trayIcon.hIcon);
        BridgeState.trayIcon.hIcon = NULL;
    }
}

LRESULT RequestTrayIcon(LPARAM lParam)
{
    NOTIFYICONDATAA *icon = &BridgeState.trayIcon;
    HICON previous = icon->hIcon;

    if (HIWORD(lParam) == 0) {
        RemoveIcon();
        return 0;
    }
    icon->cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon->hWnd = BridgeState.requestWindow;
    icon->uID = 1;
    icon->hIcon = (HICON)LoadImageA(BridgeState.instance, MAKEINTRESOURCEA(IDI_TRAY),
                                    IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    icon->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon->uCallbackMessage = KX_WM_TRAYNOTIFY;
    BridgeState.targetWindow = HostWindow(HIWORD(lParam));
    TakeAtomString(LOWORD(lParam), icon->szTip, 64);
    if (OdShellNotifyIcon(NIM_ADD, icon)) {
        // The new icon took the place of any earlier one.
        if (previous != NULL)
            DestroyIcon(previous);
        ShowWindow(BridgeState.targetWindow, SW_HIDE);
    } else if (previous != NULL) {
        // Refused while an icon is up: the platform still shows the earlier one.
        if (icon->hIcon != NULL)
            DestroyIcon(icon->hIcon);
        icon->hIcon = previous;
    }
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

    switch (LOWORD(wParam)) {
    case IDM_OPEN:
        if (target != NULL) {
            ShowWindow(target, SW_RESTORE);
            SetForegroundWindow(GetLastActivePopup(target));
        }
        RemoveIcon();
        break;
    case IDM_EXIT:
        if (target != NULL)
            PostMessageA(target, WM_CLOSE, 0, 0);
        break;
    }
}
