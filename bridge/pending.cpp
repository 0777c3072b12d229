// Requests whose services are not built yet answer 0.
#include "bridge.h"
int ExpandLongPath(const char *, char *d, int) { d[0] = 0; return 0; }
LRESULT RequestLongPath(LPARAM) { return 0; }
LRESULT RequestShortPath(LPARAM) { return 0; }
LRESULT RequestDiskSpace(UINT, LPARAM) { return 0; }
LRESULT RequestFileDosTime(LPARAM) { return 0; }
LRESULT RequestMakeDir(LPARAM) { return 0; }
LRESULT RequestDeleteFile(LPARAM) { return 0; }
LRESULT RequestMoveFile(LPARAM) { return 0; }
LRESULT RequestCreateFile(LPARAM) { return 0; }
LRESULT RequestFileInfo(LPARAM) { return 0; }
LRESULT RequestRemoveDir(LPARAM) { return 0; }
LRESULT RequestTimeConvert(UINT, LPARAM) { return 0; }
LRESULT RequestFindFirst(LPARAM) { return 0; }
LRESULT RequestFindNext(LPARAM) { return 0; }
LRESULT RequestFindEnd(void) { return 0; }
LRESULT RequestFillList(LPARAM) { return 0; }
LRESULT RequestFileDialog(UINT, LPARAM) { return 0; }
LRESULT RequestRegRead(LPARAM) { return 0; }
LRESULT RequestRegWrite(LPARAM) { return 0; }
LRESULT RequestRegDeleteKey(LPARAM) { return 0; }
LRESULT RequestTrayIcon(LPARAM) { return 0; }
void TrayNotification(LPARAM) {}
void TrayCommand(WPARAM) {}
LRESULT RequestJoystick(LPARAM) { return 0; }
void RelayJoystick(UINT, WPARAM, LPARAM) {}
LRESULT RequestNetDialog(LPARAM) { return 0; }
LRESULT RequestScrollLock(void) { return 0; }
LRESULT RequestIsNT(void) { return 0; }
LRESULT RequestToFront(LPARAM) { return 0; }
LRESULT RequestQuit(void) { PostMessageA(BridgeState.requestWindow, WM_CLOSE, 0, 0); return 0; }
