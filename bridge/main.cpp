// main.cpp - korvex start-up: launcher mode, the hand-shake with the host,
// the request window and the message loop.
#include "bridge.h"
#include "launch_rules.h"
#include "../res/resource.h"
#include <string.h>

static const char BridgeClass[] = "korvex";

// Starts the command after "/s=" in a virtual machine of its own and returns.
// A quoted path at the end of the command is handed over in its short form,
// since the 16-bit program that gets it cannot read long names, when that
// form opens the same file.
static int RunLauncher(const char *arguments)
{
    char command[LAUNCH_COMMAND_SIZE];
    char path[LAUNCH_COMMAND_SIZE];
    char shortPath[MAX_PATH];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    int quote, pathStart, pathEnd;

    GetStartupInfoA(&startup);

    // A cut command could start the wrong program: refuse it whole.
    if (strlen(arguments) >= sizeof(command)) {
        Trace("launch refused: %u characters", (unsigned)strlen(arguments));
        return 0;
    }
    strcpy(command, arguments);
    TrimTrailingBlanks(command);

    quote = FindQuotedTail(command, &pathStart, &pathEnd);
    if (quote >= 0) {
        DWORD length;

        memcpy(path, command + pathStart, pathEnd - pathStart);
        path[pathEnd - pathStart] = '\0';
        shortPath[0] = '\0';
        length = GetShortPathNameA(path, shortPath, sizeof(shortPath));
        // Without a short form the command goes as given, quotes and all; so
        // it does when the short form would open another file (a short name
        // that look-alike names share).
        if (length > 0 && length < sizeof(shortPath) && SameFile(path, shortPath))
            ReplaceQuotedTail(command, sizeof(command), quote, shortPath);
    }

    memset(&process, 0, sizeof(process));
    BOOL started = CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_SEPARATE_WOW_VDM,
                                  NULL, NULL, &startup, &process);
    if (TRACING()) {
        char text[TRACE_TEXT_SIZE];
        Trace("launch %s started %d error %lu", TraceEscape(command, text, sizeof(text)), started,
              started ? 0ul : (unsigned long)GetLastError());
    }
    return 0;
}

ATOM RegisterBridgeClass(void)
{
    WNDCLASSA wc;

    wc.style         = 0;
    wc.lpfnWndProc   = BridgeWndProc;
    wc.cbClsExtra    = 0;
    wc.cbWndExtra    = 0;
    wc.hInstance     = BridgeState.instance;
    wc.hIcon         = NULL;
    wc.hCursor       = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName  = MAKEINTRESOURCEA(IDR_TRAYMENU);
    wc.lpszClassName = BridgeClass;
    return RegisterClassA(&wc);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR startupArguments, int show)
{
    HWND host, window;
    MSG msg;
    const char *arguments;

    (void)previous;
    (void)startupArguments;
    BridgeState.instance = instance;
    LearnCodePage();
    // The start-up code's text keeps leading blanks and loses what follows a
    // quoted name with no blank after it: read the command line ourselves.
    arguments = ArgumentText(GetCommandLineA());
    TraceStart("korvex");
    if (TRACING()) {
        char text[TRACE_TEXT_SIZE];
        Trace("start %s", TraceEscape(arguments, text, sizeof(text)));
    }

    if (strncmp(arguments, KX_LAUNCH_PREFIX, 3) == 0)
        return RunLauncher(arguments + 3);

    host = (HWND)(UINT_PTR)ParseDecimalHandle(arguments);
    if (arguments[0] == '\0' || !IsWindow(host)) {
        Trace("refused: %lu is no window", (unsigned long)(UINT_PTR)host);
        MessageBoxA(NULL, "This program can only run from within another program.",
                    "korvex", MB_ICONHAND | MB_OK);
        return 0;
    }

    if (!RegisterBridgeClass())
        return 0;
    window = CreateWindowExA(0, BridgeClass, "korvex",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             NULL, NULL, instance, NULL);
    if (window == NULL)
        return 0;
    BridgeState.requestWindow = window;
    BridgeState.hostWindow = host;
    BridgeState.hostThread = GetWindowThreadProcessId(host, NULL);
    // A host that crashes sends no request 6: look for it now and then.
    SetTimer(window, KX_TIMER_HOST, 1000, NULL);

    PostMessageA(host, WM_USER, KX_NOTICE,
                 MAKELPARAM(LOWORD((UINT_PTR)window), KX_READY_HIGH));
    Trace("notice ready posted to %lu: request window %u", (unsigned long)(UINT_PTR)host,
          LOWORD((UINT_PTR)window));

    // The start-up code hands us the starter's show state: a host that starts
    // us hidden never sees this window.
    ShowWindow(window, show);

    msg.wParam = 0;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    UnregisterClassA(BridgeClass, instance);
    if (IsHostWindow(host)) {
        PostMessageA(host, WM_USER, KX_NOTICE, 0);
        Trace("notice closing posted to %lu; end", (unsigned long)(UINT_PTR)host);
    } else {
        Trace("end; the host window is gone: no closing notice");
    }
    return (int)msg.wParam;
}
