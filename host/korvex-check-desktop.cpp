// korvex-check-desktop.cpp - the registry, the platform, the tray, the
// joystick and the file dialogs.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvex-check.h"

static const char OwnKey[] = "Software\\korvex-check";

typedef LONG (WINAPI *RegOpenProc)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG (WINAPI *RegKeyProc)(HKEY, LPCSTR);
typedef LONG (WINAPI *RegCloseProc)(HKEY);
static FARPROC Registry(const char *name)
{
    static HMODULE library;
    char path[MAX_PATH];
    UINT n;

    if (library == NULL) {
        n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n + 14 >= MAX_PATH)
            return NULL;
        lstrcatA(path, "\\advapi32.dll");
        library = LoadLibraryA(path);
    }
    return library != NULL ? GetProcAddress(library, name) : NULL;
}

static BOOL OwnKeyThere(void)
{
    RegOpenProc open = (RegOpenProc)(void *)Registry("RegOpenKeyExA");
    RegCloseProc close = (RegCloseProc)(void *)Registry("RegCloseKey");
    HKEY opened;

    if (open == NULL || close == NULL || open(HKEY_CURRENT_USER, OwnKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return FALSE;
    close(opened);
    return TRUE;
}

void RemoveOwnKey(void)
{
    RegKeyProc remove = (RegKeyProc)(void *)Registry("RegDeleteKeyA");
    if (remove != NULL)
        remove(HKEY_CURRENT_USER, OwnKey);
}

void CheckRegistry(CheckRun *)
{
    char key[128], answer[300];

    snprintf(key, sizeof(key), "C%s|Colour", OwnKey);
    SameNumber("registry: 20 writes a value", 1, (unsigned long)KorvexRequest(&Link, KXR_REG_WRITE,
               KorvexAtom(key), KorvexAtom("blue")));
    snprintf(key, sizeof(key), "C%s", OwnKey);
    KorvexTakeResult((ATOM)KorvexRequest(&Link, KXR_REG_READ, KorvexAtom(key), KorvexAtom("Colour")),
                     answer, sizeof(answer));
    Same("registry: 19 reads it", "blue", answer);
    SameNumber("registry: 21 deletes our key", 1, (unsigned long)KorvexRequest(&Link, KXR_REG_DELETE_KEY,
               KorvexAtom("CSoftware"), KorvexAtom("korvex-check")));
    Holds("registry: the key is gone", !OwnKeyThere(), "gone", "there");
}

void CheckPlatform(CheckRun *)
{
    SameNumber("platform: 27 tells Windows NT", (GetVersion() & 0x80000000) == 0,
               (unsigned long)KorvexRequest(&Link, KXR_IS_NT, 0, 0));
}

void CheckTray(CheckRun *)
{
    // A window of our own, out of sight, stands for the host's.
    HWND target = CreateWindowA("STATIC", "korvex-check tray", WS_POPUP, -4000, -4000, 10, 10,
                                NULL, NULL, NULL, NULL);
    ShowWindow(target, SW_SHOWNOACTIVATE);
    Ask(KXR_TRAY_ICON, "korvex-check", LOWORD((UINT_PTR)target));
    KorvexPump(200);
    if (IsWindowVisible(target)) {
        Skip("tray", "no notification area took the icon");
    } else {
        Holds("tray: 25 trades the window for the icon", TRUE, "", "");
        PostMessageA(Link.request, WM_COMMAND, KX_CMD_OPEN, 0);
        DWORD start = GetTickCount();
        while (!IsWindowVisible(target) && GetTickCount() - start < 5000)
            KorvexPump(50);
        Holds("tray: Open gives the window back", IsWindowVisible(target), "visible", "hidden");
    }
    SameNumber("tray: 25 (0, 0) answers 0", 0, (unsigned long)KorvexRequest(&Link, KXR_TRAY_ICON, 0, 0));
    DestroyWindow(target);
}

void CheckJoystick(CheckRun *)
{
    LRESULT caps = KorvexRequest(&Link, KXR_JOYSTICK, KXJ_CAPS, 100);
    char why[64];

    if (caps != 0) {
        snprintf(why, sizeof(why), "no joystick 1 (the service answers %ld)", (long)caps);
        Skip("joystick", why);
        return;
    }
    SameNumber("joystick: capture", 0, (unsigned long)KorvexRequest(&Link, KXR_JOYSTICK, KXJ_CAPTURE,
               LOWORD((UINT_PTR)HostWindow)));
    SameNumber("joystick: release", 0, (unsigned long)KorvexRequest(&Link, KXR_JOYSTICK, KXJ_RELEASE, 0));
}

// A visible dialog of process pid, looked for up to ms; NULL when none came.
static DWORD WINAPI CancelDialog(void *parameter)
{
    HWND found = ProcessDialog((DWORD)(UINT_PTR)parameter, 15000);

    if (found == NULL)
        return 0;
    Sleep(300);
    PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    return 1;
}

void CheckDialogs(CheckRun *run)
{
    DWORD pid = run->korvexPid;
    char text[64], reply[128];
    DWORD id;

    if (!run->dialogs) {
        Skip("dialogs", "shown only with --dialogs");
        return;
    }
    MSG msg;

    snprintf(text, sizeof(text), "0 0 0 0 %u 0 0 0", KorvexAtom(Scratch));
    HANDLE thread = CreateThread(NULL, 0, CancelDialog, (void *)(UINT_PTR)pid, 0, &id);
    KorvexRequest(&Link, KXR_SAVE_DIALOG, KorvexAtom(text), LOWORD((UINT_PTR)HostWindow));
    BOOL replied = KorvexWaitPosted(HostWindow, WM_USER, KXR_SAVE_DIALOG, FALSE, 5000, &msg);
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
    Holds("dialogs: a cancelled save dialog still replies", replied, "a reply", "none");
    if (!replied)
        return;
    SameNumber("dialogs: the reply says Cancel", 0, HIWORD(msg.lParam));
    KorvexTakeResult(LOWORD(msg.lParam), reply, sizeof(reply));
    unsigned index, path, title, flags, name, ext;
    SameNumber("dialogs: the reply has six numbers", 6,
               (unsigned long)sscanf(reply, "%u %u %u %u %u %u", &index, &path, &title, &flags, &name, &ext));
    if (path != 0)
        GlobalDeleteAtom((ATOM)path);
    if (title != 0)
        GlobalDeleteAtom((ATOM)title);
}

