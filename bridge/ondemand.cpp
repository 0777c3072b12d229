// ondemand.cpp - the libraries that only some requests need (the file dialogs,
// the tray, the network, the joystick, the registry) are loaded by the first
// request that needs them, not at start: every host waits for our ready
// notice, and a start should do only the work a start needs.
//
// A library or function that cannot be had makes the call answer as the
// platform call's own failure would.
//
// Each library is loaded by its full path in the system folder: by then a
// file dialog may have moved our current folder to one the user chose, and
// older Windows search the current folder before the system folder.
#include "bridge.h"

static struct {
    const char *module;
    const char *name;
    OnDemandProc address;
    BOOL looked;
} Functions[OD_COUNT] = {
    { "comdlg32.dll", "GetOpenFileNameA", NULL, FALSE },
    { "comdlg32.dll", "GetSaveFileNameA", NULL, FALSE },
    { "shell32.dll",  "Shell_NotifyIconA", NULL, FALSE },
    { "mpr.dll",      "WNetOpenEnumA", NULL, FALSE },
    { "mpr.dll",      "WNetEnumResourceA", NULL, FALSE },
    { "mpr.dll",      "WNetCloseEnum", NULL, FALSE },
    { "mpr.dll",      "WNetConnectionDialog", NULL, FALSE },
    { "mpr.dll",      "WNetDisconnectDialog", NULL, FALSE },
    { "winmm.dll",    "joyGetDevCapsA", NULL, FALSE },
    { "winmm.dll",    "joySetCapture", NULL, FALSE },
    { "winmm.dll",    "joyReleaseCapture", NULL, FALSE },
    { "winmm.dll",    "joyGetThreshold", NULL, FALSE },
    { "winmm.dll",    "joySetThreshold", NULL, FALSE },
    { "advapi32.dll", "RegOpenKeyExA", NULL, FALSE },
    { "advapi32.dll", "RegQueryValueExA", NULL, FALSE },
    { "advapi32.dll", "RegCreateKeyExA", NULL, FALSE },
    { "advapi32.dll", "RegSetValueExA", NULL, FALSE },
    { "advapi32.dll", "RegDeleteKeyA", NULL, FALSE },
    { "advapi32.dll", "RegCloseKey", NULL, FALSE },
    { "comdlg32.dll", "GetOpenFileNameW", NULL, FALSE },
    { "comdlg32.dll", "GetSaveFileNameW", NULL, FALSE },
    { "comdlg32.dll", "CommDlgExtendedError", NULL, FALSE },
};

OnDemandProc OnDemand(int function)
{
    if (function < 0 || function >= OD_COUNT)
        return NULL;
    if (!Functions[function].looked) {
        char path[MAX_PATH];
        UINT n = GetSystemDirectoryA(path, MAX_PATH);
        HMODULE module = NULL;

        // Loaded once and kept for the life of the process.
        if (n > 0 && n + 1 + lstrlenA(Functions[function].module) < MAX_PATH) {
            lstrcatA(path, "\\");
            lstrcatA(path, Functions[function].module);
            module = LoadLibraryA(path);
        }
        Functions[function].looked = TRUE;
        if (module != NULL)
            Functions[function].address =
                (OnDemandProc)GetProcAddress(module, Functions[function].name);
    }
    return Functions[function].address;
}

void SetOnDemandLibrary(int function, const char *module)
{
    if (function < 0 || function >= OD_COUNT)
        return;
    Functions[function].module = module;
    Functions[function].address = NULL;
    Functions[function].looked = FALSE;
}

void SetOnDemand(int function, OnDemandProc address)
{
    if (function < 0 || function >= OD_COUNT)
        return;
    Functions[function].address = address;
    Functions[function].looked = TRUE;
}

// The calls, each answering as its own failure when it cannot be had.
#define CALL(function, type, failure, arguments) \
    type call = (type)OnDemand(function);        \
    return call != NULL ? call arguments : (failure)

typedef BOOL (WINAPI *FileDialogProc)(OPENFILENAMEA *);
BOOL OdGetOpenFileName(OPENFILENAMEA *ofn)
{
    CALL(OD_GETOPENFILENAME, FileDialogProc, FALSE, (ofn));
}
BOOL OdGetSaveFileName(OPENFILENAMEA *ofn)
{
    CALL(OD_GETSAVEFILENAME, FileDialogProc, FALSE, (ofn));
}
typedef BOOL (WINAPI *WideDialogProc)(OPENFILENAMEW *);
BOOL OdGetOpenFileNameW(OPENFILENAMEW *ofn)
{
    CALL(OD_GETOPENFILENAMEW, WideDialogProc, FALSE, (ofn));
}
BOOL OdGetSaveFileNameW(OPENFILENAMEW *ofn)
{
    CALL(OD_GETSAVEFILENAMEW, WideDialogProc, FALSE, (ofn));
}
typedef DWORD (WINAPI *ExtendedErrorProc)(void);
DWORD OdCommDlgExtendedError(void)
{
    CALL(OD_COMMDLGEXTENDEDERROR, ExtendedErrorProc, 0, ());
}

typedef BOOL (WINAPI *NotifyIconProc)(DWORD, NOTIFYICONDATAA *);
BOOL OdShellNotifyIcon(DWORD operation, NOTIFYICONDATAA *icon)
{
    CALL(OD_SHELLNOTIFYICON, NotifyIconProc, FALSE, (operation, icon));
}

typedef DWORD (WINAPI *OpenEnumProc)(DWORD, DWORD, DWORD, NETRESOURCEA *, HANDLE *);
typedef DWORD (WINAPI *EnumResourceProc)(HANDLE, DWORD *, void *, DWORD *);
typedef DWORD (WINAPI *CloseEnumProc)(HANDLE);
typedef DWORD (WINAPI *NetDialogProc)(HWND, DWORD);
DWORD OdWNetOpenEnum(DWORD scope, DWORD type, DWORD usage, NETRESOURCEA *parent, HANDLE *handle)
{
    CALL(OD_WNETOPENENUM, OpenEnumProc, ERROR_NO_NETWORK, (scope, type, usage, parent, handle));
}
DWORD OdWNetEnumResource(HANDLE handle, DWORD *count, void *buffer, DWORD *size)
{
    CALL(OD_WNETENUMRESOURCE, EnumResourceProc, ERROR_NO_NETWORK, (handle, count, buffer, size));
}
DWORD OdWNetCloseEnum(HANDLE handle)
{
    CALL(OD_WNETCLOSEENUM, CloseEnumProc, ERROR_NO_NETWORK, (handle));
}
DWORD OdWNetConnectionDialog(HWND owner, DWORD type)
{
    CALL(OD_WNETCONNECTIONDIALOG, NetDialogProc, ERROR_NO_NETWORK, (owner, type));
}
DWORD OdWNetDisconnectDialog(HWND owner, DWORD type)
{
    CALL(OD_WNETDISCONNECTDIALOG, NetDialogProc, ERROR_NO_NETWORK, (owner, type));
}

typedef MMRESULT (WINAPI *JoyCapsProc)(UINT_PTR, JOYCAPSA *, UINT);
typedef MMRESULT (WINAPI *JoyCaptureProc)(HWND, UINT, UINT, BOOL);
typedef MMRESULT (WINAPI *JoyReleaseProc)(UINT);
typedef MMRESULT (WINAPI *JoyGetThresholdProc)(UINT, UINT *);
typedef MMRESULT (WINAPI *JoySetThresholdProc)(UINT, UINT);
// Without the multimedia library every joystick call answers as it does
// where no joystick driver is installed.
MMRESULT OdJoyGetDevCaps(UINT_PTR id, JOYCAPSA *caps, UINT size)
{
    CALL(OD_JOYGETDEVCAPS, JoyCapsProc, MMSYSERR_NODRIVER, (id, caps, size));
}
MMRESULT OdJoySetCapture(HWND window, UINT id, UINT period, BOOL changed)
{
    CALL(OD_JOYSETCAPTURE, JoyCaptureProc, MMSYSERR_NODRIVER, (window, id, period, changed));
}
MMRESULT OdJoyReleaseCapture(UINT id)
{
    CALL(OD_JOYRELEASECAPTURE, JoyReleaseProc, MMSYSERR_NODRIVER, (id));
}
MMRESULT OdJoyGetThreshold(UINT id, UINT *threshold)
{
    CALL(OD_JOYGETTHRESHOLD, JoyGetThresholdProc, MMSYSERR_NODRIVER, (id, threshold));
}
MMRESULT OdJoySetThreshold(UINT id, UINT threshold)
{
    CALL(OD_JOYSETTHRESHOLD, JoySetThresholdProc, MMSYSERR_NODRIVER, (id, threshold));
}

typedef LONG (WINAPI *RegOpenProc)(HKEY, const char *, DWORD, REGSAM, HKEY *);
typedef LONG (WINAPI *RegQueryProc)(HKEY, const char *, DWORD *, DWORD *, BYTE *, DWORD *);
typedef LONG (WINAPI *RegCreateProc)(HKEY, const char *, DWORD, char *, DWORD, REGSAM,
                                     SECURITY_ATTRIBUTES *, HKEY *, DWORD *);
typedef LONG (WINAPI *RegSetProc)(HKEY, const char *, DWORD, DWORD, const BYTE *, DWORD);
typedef LONG (WINAPI *RegDeleteProc)(HKEY, const char *);
typedef LONG (WINAPI *RegCloseProc)(HKEY);
LONG OdRegOpenKeyEx(HKEY root, const char *path, DWORD options, REGSAM access, HKEY *key)
{
    CALL(OD_REGOPENKEYEX, RegOpenProc, ERROR_MOD_NOT_FOUND, (root, path, options, access, key));
}
LONG OdRegQueryValueEx(HKEY key, const char *name, DWORD *reserved, DWORD *type, BYTE *data,
                       DWORD *size)
{
    CALL(OD_REGQUERYVALUEEX, RegQueryProc, ERROR_MOD_NOT_FOUND,
         (key, name, reserved, type, data, size));
}
LONG OdRegCreateKeyEx(HKEY root, const char *path, DWORD reserved, char *cls, DWORD options,
                      REGSAM access, SECURITY_ATTRIBUTES *security, HKEY *key, DWORD *disposition)
{
    CALL(OD_REGCREATEKEYEX, RegCreateProc, ERROR_MOD_NOT_FOUND,
         (root, path, reserved, cls, options, access, security, key, disposition));
}
LONG OdRegSetValueEx(HKEY key, const char *name, DWORD reserved, DWORD type, const BYTE *data,
                     DWORD size)
{
    CALL(OD_REGSETVALUEEX, RegSetProc, ERROR_MOD_NOT_FOUND, (key, name, reserved, type, data, size));
}
LONG OdRegDeleteKey(HKEY key, const char *subKey)
{
    CALL(OD_REGDELETEKEY, RegDeleteProc, ERROR_MOD_NOT_FOUND, (key, subKey));
}
LONG OdRegCloseKey(HKEY key)
{
    CALL(OD_REGCLOSEKEY, RegCloseProc, ERROR_MOD_NOT_FOUND, (key));
}
