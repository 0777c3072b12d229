// main.cpp - qivddraw start-up: the host's command line, DirectDraw's
// exclusive full-screen mode, the full-screen window and the message loop.
#include "qivddraw.h"
#include "fs_rules.h"
#include "../shared/cmdline_rules.h"
#include "../res/resource.h"
#include <string.h>

FULLSCREENSTATE FullScreenState = { NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, {} };

int HostThere(void)
{
    // A freed 16-bit handle is soon another program's window.
    return IsWindow(FullScreenState.hostWindow)
           && GetWindowThreadProcessId(FullScreenState.hostWindow, NULL) == FullScreenState.hostThread;
}

static const char FullScreenClass[] = "Qiv_Full_Screen";

void ReleaseDirectDraw(void)
{
    if (FullScreenState.directDraw == NULL)
        return;
    if (FullScreenState.primary != NULL) {
        FullScreenState.primary->Release();
        FullScreenState.primary = NULL;
    }
    // Letting go of the object ends exclusive mode: the desktop's mode returns.
    FullScreenState.directDraw->Release();
    FullScreenState.directDraw = NULL;
}

// Takes the display: class, owner window, exclusive mode, display mode and the
// flipping surfaces that hold it.  0 on the first failure.
int SetUpFullScreen(HINSTANCE instance)
{
    WNDCLASSA wc;
    DDSURFACEDESC description;
    DDSCAPS caps;
    HWND owner;

    FullScreenState.instance = instance;
    memset(&wc, 0, sizeof(wc));
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = FullScreenWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = FullScreenClass;
    RegisterClassA(&wc);

    owner = CreateWindowExA(0, FullScreenClass, "QivDirectDraw", WS_POPUP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    if (owner == NULL)
        return 0;
    FullScreenState.ownerWindow = owner;
    ShowWindow(owner, SW_SHOWMINIMIZED);

    if (DirectDrawCreate(NULL, &FullScreenState.directDraw, NULL) != DD_OK)
        return 0;
    if (FullScreenState.directDraw->SetCooperativeLevel(owner, DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT
                                                                   | DDSCL_FULLSCREEN) != DD_OK)
        return 0;
    HRESULT mode = FullScreenState.directDraw->SetDisplayMode(QIV_WIDTH, FullScreenState.displayHeight,
                                                              FullScreenState.colourDepth);
    if (TRACING())
        Trace("mode %ux%u at %u bits = 0x%08lx", QIV_WIDTH, FullScreenState.displayHeight,
              FullScreenState.colourDepth, (unsigned long)mode);
    if (mode != DD_OK)
        return 0;

    memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    description.dwBackBufferCount = 1;
    if (FullScreenState.directDraw->CreateSurface(&description, &FullScreenState.primary, NULL) != DD_OK)
        return 0;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FullScreenState.primary->GetAttachedSurface(&caps, &FullScreenState.backBuffer) != DD_OK)
        return 0;
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR startupArguments, int show)
{
    const char *arguments;
    FullScreenCommand command;
    HWND window;
    HACCEL accelerators;
    MSG msg;

    (void)previous;
    (void)show;     // both windows have fixed show commands
    (void)startupArguments;
    // Our own reading of the command line, as korvex does.
    arguments = ArgumentText(GetCommandLineA());
    TraceStart("qivddraw");
    if (TRACING()) {
        char text[TRACE_TEXT_SIZE];
        Trace("start %s", TraceEscape(arguments, text, sizeof(text)));
    }

    if (!IsWindow((HWND)(UINT_PTR)ParseDecimalHandle(arguments))) {
        MessageBoxA(NULL, "This program can only run from within another program.", NULL,
                    MB_ICONERROR);
        return 0;
    }
    ParseFullScreenCommand(arguments, &command);
    FullScreenState.hostWindow = (HWND)(UINT_PTR)command.hostWindow;
    FullScreenState.hostThread = GetWindowThreadProcessId(FullScreenState.hostWindow, NULL);
    FullScreenState.colourDepth = command.colourDepth;
    FullScreenState.sysKeyMode = command.sysKeyMode;
    FullScreenState.displayHeight = command.height;
    FullScreenState.background = command.background;
    FullScreenState.fullScreenMessage = RegisterWindowMessageA(QIV_MESSAGE_NAME);

    if (!SetUpFullScreen(instance)) {
        if (TRACING())
            Trace("full-screen mode refused");
        // The exit code says it too: a host or korvex-check can tell.
        if (FullScreenState.ownerWindow == NULL)
            return QIV_EXIT_NO_MODE;
        ReleaseDirectDraw();
        MessageBoxA(FullScreenState.ownerWindow, "DirectDraw Init Failed", "QivDirectDraw", MB_OK);
        DestroyWindow(FullScreenState.ownerWindow);
        return QIV_EXIT_NO_MODE;
    }

    window = CreateWindowExA(0, FullScreenClass, "DDraw", WS_POPUP, 0, 0, QIV_WIDTH,
                             FullScreenState.displayHeight, FullScreenState.ownerWindow, NULL,
                             instance, NULL);
    if (window == NULL) {
        // Nothing to hand the host: give the display back and go quietly.
        ReleaseDirectDraw();
        DestroyWindow(FullScreenState.ownerWindow);
        return 0;
    }
    FullScreenState.fullScreenWindow = window;
    ShowWindow(window, SW_SHOW);

    PostMessageA(FullScreenState.hostWindow, FullScreenState.fullScreenMessage, QIV_SHOWN,
                 (LPARAM)window);
    PostMessageA(FullScreenState.hostWindow, QIV_WM_STARTED, 0, 0);
    if (TRACING())
        Trace("notice %u 118 %lu and WM_USER+6 posted to %lu", FullScreenState.fullScreenMessage,
              (unsigned long)(UINT_PTR)window, (unsigned long)(UINT_PTR)FullScreenState.hostWindow);

    // A host that is killed sends nothing: look for it now and then, and leave.
    SetTimer(window, QIV_TIMER_HOST, 1000, NULL);
    SetTimer(window, QIV_TIMER_FIRST_WAIT, 50, NULL);
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    msg.wParam = 0;
    for (;;) {
        // A Win16 host that started us with WinExec waits until we first wait
        // for input; a relay sent before then would wait on it in turn.  So
        // input waits until we have waited once (the host timer ends that
        // wait soon), and then goes in its order.
        int empty = !FullScreenState.loopIdle && !PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
        if (GetMessageA(&msg, NULL, 0, 0) <= 0)
            break;
        if (empty) {
            FullScreenState.loopIdle = 1;
            RelayDeferredInput();
        }
        // A system key posted back as a plain key had its character made
        // already (WM_SYSCHAR): translated again it would come twice.  Posted
        // messages come before new input, so the next plain key after such a
        // post is the one we posted.
        int reposted = FullScreenState.reposted > 0
                       && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP);
        if (reposted)
            FullScreenState.reposted--;
        if (!TranslateAcceleratorA(window, accelerators, &msg)) {
            if (!reposted)
                TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    DestroyWindow(window);
    if (FullScreenState.notifyOnExit && HostThere())
        PostMessageA(FullScreenState.hostWindow, FullScreenState.fullScreenMessage, QIV_ENDED, 0);
    if (TRACING())
        Trace("end, notice 119 %s", FullScreenState.notifyOnExit ? "posted" : "not posted (SC_CLOSE)");
    return (int)msg.wParam;
}
