// bridge.h - the bridge process: its one global record, the atom strings and
// the request functions that BridgeWndProc dispatches to.
#ifndef KORVEX_BRIDGE_H
#define KORVEX_BRIDGE_H

#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>
#include <commdlg.h>
#include <winnetwk.h>
#include "../include/korvex.h"
#include "../shared/trace.h"
#include "files/name_rules.h"

// The process's one global record.  Everything else lives in a request.
struct BRIDGESTATE {
    HINSTANCE        instance;
    HWND             targetWindow;   // tray and joystick target, named by the host
    HWND             requestWindow;
    NOTIFYICONDATAA  trayIcon;       // hWnd != 0 while an icon is registered
    JOYCAPSA         joyCaps;
    WIN32_FIND_DATAA findData;       // last entry of the open search
    BOOL             findExact;      // its cFileName is its name exactly
    HANDLE           findHandle;     // 0: no search
    char             findPattern[256];  // the search's pattern, for its folder
    NameTable        findNames;      // every name of that folder, counted once
    BOOL             findCounted;    // the search needs them: findNames is filled
    DWORD            joyThreshold;
    DWORD            joyScale;
    BOOL             joyCaptured;    // joystick 1 is captured for the target
    HWND             hostWindow;     // the window we were started for, and
    DWORD            hostThread;     // its thread: we end when both are gone
};

extern BRIDGESTATE BridgeState;

// Atom strings (dispatch.cpp)
void TakeAtomString(ATOM atom, char *buffer, int size);
ATOM AtomFromString(const char *text);
// The trace: a note added to the line of the request being served, and the
// result atom a request made (when it is the answer, its text is told).
void TraceRequestNote(const char *format, ...);
void TraceAtomMade(ATOM atom, const char *text);
LRESULT CALLBACK BridgeWndProc(HWND, UINT, WPARAM, LPARAM);

// A window handle from the host: a word widened with zeros, or request 28's
// whole lParam.  0xFFFF is the broadcast handle, which reaches every top-level
// window: it names no window.
HWND HostWindow(DWORD value);

// main.cpp
ATOM RegisterBridgeClass(void);
// dispatch.cpp: whether the host has gone without request 6: its window is gone and the
// thread that owned it has no window left (a host that replaced its window
// keeps us).
BOOL HostGone(void);
// Whether window is the host's: alive and owned by the thread we were started for.
BOOL IsHostWindow(HWND window);
// A send to another process's window gives up on a hung window, and after
// KX_SEND_BOUND_MS in any case: its thread must never hold ours.  FALSE then,
// with the answer 0, as from a window that is gone.
enum { KX_SEND_BOUND_MS = 5000 };
BOOL SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *answer);
// Whether a window answers at all (NULL: no window, nothing to wait for).
BOOL Responds(HWND window);
enum { KX_TIMER_HOST = 1 };   // looks at the host about once a second

// ondemand.cpp: functions of the libraries that only some requests need,
// looked up on first use.  NULL when they cannot be had.
enum {
    OD_GETOPENFILENAME, OD_GETSAVEFILENAME,
    OD_SHELLNOTIFYICON,
    OD_WNETOPENENUM, OD_WNETENUMRESOURCE, OD_WNETCLOSEENUM,
    OD_WNETCONNECTIONDIALOG, OD_WNETDISCONNECTDIALOG,
    OD_JOYGETDEVCAPS, OD_JOYSETCAPTURE, OD_JOYRELEASECAPTURE, OD_JOYGETTHRESHOLD,
    OD_JOYSETTHRESHOLD,
    OD_REGOPENKEYEX, OD_REGQUERYVALUEEX, OD_REGCREATEKEYEX, OD_REGSETVALUEEX,
    OD_REGDELETEKEY, OD_REGCLOSEKEY,
    OD_GETOPENFILENAMEW, OD_GETSAVEFILENAMEW, OD_COMMDLGEXTENDEDERROR,
    OD_COUNT
};
typedef void (*OnDemandProc)(void);
OnDemandProc OnDemand(int function);
void SetOnDemand(int function, OnDemandProc address);  // tests put their own calls here
void SetOnDemandLibrary(int function, const char *module);  // and their own library names
// The calls themselves: each answers as its own failure without its library.
BOOL OdGetOpenFileName(OPENFILENAMEA *ofn);
BOOL OdGetSaveFileName(OPENFILENAMEA *ofn);
BOOL OdGetOpenFileNameW(OPENFILENAMEW *ofn);
BOOL OdGetSaveFileNameW(OPENFILENAMEW *ofn);
DWORD OdCommDlgExtendedError(void);
BOOL OdShellNotifyIcon(DWORD operation, NOTIFYICONDATAA *icon);
DWORD OdWNetOpenEnum(DWORD scope, DWORD type, DWORD usage, NETRESOURCEA *parent, HANDLE *handle);
DWORD OdWNetEnumResource(HANDLE handle, DWORD *count, void *buffer, DWORD *size);
DWORD OdWNetCloseEnum(HANDLE handle);
DWORD OdWNetConnectionDialog(HWND owner, DWORD type);
DWORD OdWNetDisconnectDialog(HWND owner, DWORD type);
MMRESULT OdJoyGetDevCaps(UINT_PTR id, JOYCAPSA *caps, UINT size);
MMRESULT OdJoySetCapture(HWND window, UINT id, UINT period, BOOL changed);
MMRESULT OdJoyReleaseCapture(UINT id);
MMRESULT OdJoyGetThreshold(UINT id, UINT *threshold);
MMRESULT OdJoySetThreshold(UINT id, UINT threshold);
LONG OdRegOpenKeyEx(HKEY root, const char *path, DWORD options, REGSAM access, HKEY *key);
LONG OdRegQueryValueEx(HKEY key, const char *name, DWORD *reserved, DWORD *type, BYTE *data,
                       DWORD *size);
LONG OdRegCreateKeyEx(HKEY root, const char *path, DWORD reserved, char *cls, DWORD options,
                      REGSAM access, SECURITY_ATTRIBUTES *security, HKEY *key, DWORD *disposition);
LONG OdRegSetValueEx(HKEY key, const char *name, DWORD reserved, DWORD type, const BYTE *data,
                     DWORD size);
LONG OdRegDeleteKey(HKEY key, const char *subKey);
LONG OdRegCloseKey(HKEY key);

// files/names.cpp: the names of directory entries the host is given.
// The ANSI code page's lead bytes, for the rules that walk paths (at start-up).
void LearnCodePage(void);
// Whether the wide file functions work (not on Windows 9x, where they are stubs).
BOOL WideNames(void);
// Tests take the Windows 9x way with TRUE: the ANSI functions alone.
void UseAnsiNamesOnly(BOOL ansiOnly);
// Searches that also say whether cFileName is the entry's name exactly.
HANDLE FindFirstEntry(const char *pattern, WIN32_FIND_DATAA *entry, BOOL *exact);
// pattern: the one the search began with (NULL when exactness does not matter).
BOOL FindNextEntry(HANDLE search, const char *pattern, WIN32_FIND_DATAA *entry, BOOL *exact);
// Whether exactly one entry of the folder (the first folderLength characters
// of folder) answers to shortName.
BOOL ShortNameAlone(const char *folder, int folderLength, const char *shortName);
// The name the host is given for the entry that path found (long, or short
// when that opens it alone; longest: see HostEntryName), and its 8.3 name.
// NULL when no name opens the entry alone.
const char *HostName(const char *path, const WIN32_FIND_DATAA *entry, BOOL exact, int longest);
const char *HostShort(const char *path, const WIN32_FIND_DATAA *entry, BOOL exact);
// Whether two names open the same file or folder.
BOOL SameFile(const char *one, const char *other);
// Puts the size, times and attributes of the file or folder path opens into
// entry; FALSE (entry untouched) when it opens none, as on 9x for a folder.
BOOL TakeFiguresOfWhatOpens(const char *path, WIN32_FIND_DATAA *entry);
// The short form of path's folder, checked to open that folder, followed by
// path's last component as it stands.  FALSE when there is none that fits.
BOOL ShortFolderAndName(const char *path, char *result, int size);

// The ANSI name the host is given for a wide path a dialog returned: the path
// itself when the code page spells it exactly; else, for an existing entry,
// its short form when that opens it (not with keepLast); else the folder's
// short form and the last component, when that comes out exactly.  FALSE
// when no ANSI name opens it.
BOOL HostPathOfWide(const WCHAR *wide, BOOL keepLast, char *result, int size);
// ANSI form of a wide text; FALSE when it does not convert back the same.
BOOL NarrowExactly(const WCHAR *wide, char *text, int size);

// Request functions: each takes the request's lParam and returns its result.
// files/paths.cpp
int ExpandLongPath(const char *source, char *destination, int capacity);
LRESULT RequestLongPath(LPARAM lParam);
LRESULT RequestShortPath(LPARAM lParam);
// files/diskspace.cpp
LRESULT RequestDiskSpace(UINT code, LPARAM lParam);
// files/fileops.cpp
LRESULT RequestFileDosTime(LPARAM lParam);
LRESULT RequestMakeDir(LPARAM lParam);
LRESULT RequestDeleteFile(LPARAM lParam);
LRESULT RequestMoveFile(LPARAM lParam);
LRESULT RequestCreateFile(LPARAM lParam);
LRESULT RequestFileInfo(LPARAM lParam);
LRESULT RequestRemoveDir(LPARAM lParam);
LRESULT RequestTimeConvert(UINT code, LPARAM lParam);
char *FormatFileTime(const FILETIME *time, char *buffer, int size);
struct CalendarTime;
int LocalCalendar(const FILETIME *time, CalendarTime *fields);  // 0: cannot convert
// files/listings.cpp
LRESULT RequestFindFirst(LPARAM lParam);
LRESULT RequestFindNext(LPARAM lParam);
LRESULT RequestFindEnd(void);
LRESULT RequestFillList(LPARAM lParam);
// files/dialogs.cpp
LRESULT RequestFileDialog(UINT code, LPARAM lParam);
// desktop/registry.cpp
LRESULT RequestRegRead(LPARAM lParam);
LRESULT RequestRegWrite(LPARAM lParam);
LRESULT RequestRegDeleteKey(LPARAM lParam);
// desktop/tray.cpp
LRESULT RequestTrayIcon(LPARAM lParam);
LRESULT RequestQuit(void);
void RemoveIcon(void);
void TrayNotification(LPARAM lParam);
void TrayCommand(WPARAM wParam);
// desktop/joystick.cpp
LRESULT RequestJoystick(LPARAM lParam);
void RelayJoystick(UINT message, WPARAM wParam, LPARAM lParam);
void ReleaseJoystick(void);   // at the end: a capture we hold is let go
// desktop/keyboard.cpp
LRESULT RequestNetDialog(LPARAM lParam);
LRESULT RequestScrollLock(void);
LRESULT RequestIsNT(void);
LRESULT RequestToFront(LPARAM lParam);

#endif
