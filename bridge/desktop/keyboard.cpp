// keyboard.cpp - network dialogs, Scroll Lock, the platform query and bringing
// a window to the front (requests 22, 26, 27 and 28).
#include "bridge.h"
#include <winnetwk.h>

LRESULT RequestNetDialog(LPARAM lParam)
{
    HWND owner = HostWindow(LOWORD(lParam));

    // As with the file dialogs: a dialog disables its owner, which waits on
    // the owner's thread, so a hung owner is no owner.
    if (!Responds(owner)) {
        TraceRequestNote("owner %lu does not answer: no owner", (unsigned long)(UINT_PTR)owner);
        owner = NULL;
    }
    if (HIWORD(lParam) != 0)
        OdWNetConnectionDialog(owner, RESOURCETYPE_DISK);
    else
        OdWNetDisconnectDialog(owner, RESOURCETYPE_DISK);
    return 0;
}

LRESULT RequestScrollLock(void)
{
    keybd_event(VK_SCROLL, (BYTE)MapVirtualKeyA(VK_SCROLL, 0), KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_SCROLL, (BYTE)MapVirtualKeyA(VK_SCROLL, 0), KEYEVENTF_KEYUP, 0);
    return 0;
}

LRESULT RequestIsNT(void)
{
    OSVERSIONINFOA version;

    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

LRESULT RequestToFront(LPARAM lParam)
{
    // The whole lParam is the handle.
    SetForegroundWindow(HostWindow((DWORD)lParam));
    return 0;
}
