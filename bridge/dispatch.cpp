// dispatch.cpp - the request window's procedure and the atom strings that
// carry texts between the host and us.
#include "bridge.h"
#include <string.h>

BRIDGESTATE BridgeState = { 0, 0, 0, {}, {}, {}, 0, 0, 3242 };

void TakeAtomString(ATOM atom, char *buffer, int size)
{
    char name[256];

    if (atom == 0) {
        if (buffer != NULL && size > 0)
            buffer[0] = '\0';
        return;
    }
    if (size <= 0)
        size = 256;
    // Read whole, then cut: a buffer too small for the name makes the platform
    // give nothing at all, and a dead atom leaves the buffer unwritten.
    if (GlobalGetAtomNameA(atom, name, sizeof(name)) == 0)
        name[0] = '\0';
    if (buffer != NULL)
        lstrcpynA(buffer, name, size);
    GlobalDeleteAtom(atom);
}

HWND HostWindow(DWORD value)
{
    return value == 0xFFFF ? NULL : (HWND)(UINT_PTR)value;
}

ATOM AtomFromString(const char *text)
{
    char cut[256];

    if (text == NULL)
        return 0;
    if (strlen(text) > 255) {
        memcpy(cut, text, 255);
        cut[255] = '\0';
        text = cut;
    }
    return GlobalAddAtomA(text);
}

static LRESULT DispatchRequest(WPARAM code, LPARAM lParam)
{
    switch (code) {
    case KXR_LONG_PATH:      return RequestLongPath(lParam);
    case KXR_SHORT_PATH:     return RequestShortPath(lParam);
    case KXR_DISK_SIZE:
    case KXR_DISK_FREE:      return RequestDiskSpace((UINT)code, lParam);
    case KXR_QUIT:           return RequestQuit();
    case KXR_OPEN_DIALOG:
    case KXR_SAVE_DIALOG:    return RequestFileDialog((UINT)code, lParam);
    case KXR_FILE_DOSTIME:   return RequestFileDosTime(lParam);
    case KXR_MAKE_DIR:       return RequestMakeDir(lParam);
    case KXR_DELETE_FILE:    return RequestDeleteFile(lParam);
    case KXR_MOVE_FILE:      return RequestMoveFile(lParam);
    case KXR_CREATE_FILE:    return RequestCreateFile(lParam);
    case KXR_FIND_FIRST:     return RequestFindFirst(lParam);
    case KXR_FIND_NEXT:      return RequestFindNext(lParam);
    case KXR_FIND_END:       return RequestFindEnd();
    case KXR_FILE_INFO:      return RequestFileInfo(lParam);
    case KXR_REMOVE_DIR:     return RequestRemoveDir(lParam);
    case KXR_REG_READ:       return RequestRegRead(lParam);
    case KXR_REG_WRITE:      return RequestRegWrite(lParam);
    case KXR_REG_DELETE_KEY: return RequestRegDeleteKey(lParam);
    case KXR_NET_DIALOG:     return RequestNetDialog(lParam);
    case KXR_LOCAL_TO_UTC:
    case KXR_UTC_TO_LOCAL:   return RequestTimeConvert((UINT)code, lParam);
    case KXR_TRAY_ICON:      return RequestTrayIcon(lParam);
    case KXR_SCROLL_LOCK:    return RequestScrollLock();
    case KXR_IS_NT:          return RequestIsNT();
    case KXR_TO_FRONT:       return RequestToFront(lParam);
    case KXR_JOYSTICK:       return RequestJoystick(lParam);
    case KXR_FILL_LIST:      return RequestFillList(lParam);
    default:                 return 0;  // 0, 1, 30, 31 and everything above 32
    }
}

LRESULT CALLBACK BridgeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;

    case WM_COMMAND:
        // Never default processing: only the tray commands mean anything here.
        TrayCommand(wParam);
        return 0;

    case MM_JOY1MOVE:
    case MM_JOY1BUTTONDOWN:
    case MM_JOY1BUTTONUP:
        RelayJoystick(message, wParam, lParam);
        return 0;

    case WM_USER:
        return DispatchRequest(wParam, lParam);

    case KX_WM_TRAYNOTIFY:
        TrayNotification(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
