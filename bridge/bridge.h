// bridge.h - the bridge process: its one global record, the atom strings and
// the request functions that BridgeWndProc dispatches to.
#ifndef KORVEX_BRIDGE_H
#define KORVEX_BRIDGE_H

#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>
#include "../include/korvex.h"

// The process's one global record.  Everything else lives in a request.
struct BRIDGESTATE {
    HINSTANCE        instance;
    HWND             targetWindow;   // tray and joystick target, named by the host
    HWND             requestWindow;
    NOTIFYICONDATAA  trayIcon;       // hWnd != 0 while an icon is registered
    JOYCAPSA         joyCaps;
    WIN32_FIND_DATAA findData;       // last entry of the open search
    HANDLE           findHandle;     // 0: no search
    DWORD            joyThreshold;
    DWORD            joyScale;
};

extern BRIDGESTATE BridgeState;

// Atom strings (dispatch.cpp)
void TakeAtomString(ATOM atom, char *buffer, int size);
ATOM AtomFromString(const char *text);
LRESULT CALLBACK BridgeWndProc(HWND, UINT, WPARAM, LPARAM);

// main.cpp
ATOM RegisterBridgeClass(void);

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
char *FormatFileTime(const FILETIME *time, char *buffer);
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
void TrayNotification(LPARAM lParam);
void TrayCommand(WPARAM wParam);
// desktop/joystick.cpp
LRESULT RequestJoystick(LPARAM lParam);
void RelayJoystick(UINT message, WPARAM wParam, LPARAM lParam);
// desktop/keyboard.cpp
LRESULT RequestNetDialog(LPARAM lParam);
LRESULT RequestScrollLock(void);
LRESULT RequestIsNT(void);
LRESULT RequestToFront(LPARAM lParam);

#endif
