// Requests whose services are not built yet answer 0.
#include "bridge.h"
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
