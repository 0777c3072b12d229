// qivddraw.h - the full-screen process: its one global record and the pieces
// the start-up and the window procedure share.
#ifndef QIVDDRAW_H
#define QIVDDRAW_H

#include <windows.h>
#include <ddraw.h>
#include "../include/korvex.h"
#include "../shared/trace.h"

enum { QIV_DEFERRED_MAX = 32 };

struct FULLSCREENSTATE {
    IDirectDraw        *directDraw;
    IDirectDrawSurface *primary;
    IDirectDrawSurface *backBuffer;    // part of the primary's chain: never released alone
    HINSTANCE           instance;
    HWND                ownerWindow;
    HWND                fullScreenWindow;
    HWND                hostWindow;
    COLORREF            background;
    UINT                fullScreenMessage;
    DWORD               colourDepth;
    DWORD               displayHeight;  // 400 or 480
    DWORD               sysKeyMode;
    int                 notifyOnExit;   // cleared by SC_CLOSE
    DWORD               hostThread;     // the host window's thread, at start
    int                 loopIdle;       // our loop has waited for input once
    int                 reposted;       // system keys posted back as plain keys
    int                 deferredCount;  // input that came before the loop waited
    struct { UINT message; WPARAM wParam; LPARAM lParam; } deferred[QIV_DEFERRED_MAX];
};

// A relay gives up on a host whose thread hangs, and after this long anyway.
// The first wait for input is ended soon by a timer of its own, so input
// that came before it reaches the host with little delay.
enum { QIV_RELAY_BOUND_MS = 2000, QIV_TIMER_HOST = 1, QIV_TIMER_FIRST_WAIT = 2 };

// Whether the host window is still the one we were started for.
int HostThere(void);
// Relays the input that came before the loop first waited, in its order.
void RelayDeferredInput(void);

extern FULLSCREENSTATE FullScreenState;

int SetUpFullScreen(HINSTANCE instance);
void ReleaseDirectDraw(void);
LRESULT CALLBACK FullScreenWndProc(HWND, UINT, WPARAM, LPARAM);

#endif
