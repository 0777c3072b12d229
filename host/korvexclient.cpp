// korvexclient.cpp - the host side of the korvex contract.
#include "korvexclient.h"
#include <stdio.h>
#include <string.h>

static DWORD Remaining(DWORD start, DWORD timeout)
{
    DWORD spent = GetTickCount() - start;
    return spent >= timeout ? 0 : timeout - spent;
}

BOOL KorvexWaitPosted(HWND window, UINT message, WPARAM wParam, BOOL anyWParam,
                      DWORD timeout, MSG *out)
{
    DWORD start = GetTickCount();
    MSG msg;

    for (;;) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == message
                && (anyWParam || msg.wParam == wParam)) {
                if (out != NULL)
                    *out = msg;
                return TRUE;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD left = Remaining(start, timeout);
        if (left == 0)
            return FALSE;
        MsgWaitForMultipleObjects(0, NULL, FALSE, left, QS_ALLINPUT);
    }
}

void KorvexPump(DWORD ms)
{
    DWORD start = GetTickCount();
    MSG msg;

    for (;;) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD left = Remaining(start, ms);
        if (left == 0)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, left, QS_ALLINPUT);
    }
}

const char *KorvexLastComponent(const char *path)
{
    const char *last = path;

    for (const char *p = path; *p != '\0'; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            last = p + 1;
    return last;
}

BOOL KorvexProgramPath(const char *program, char *path, int size)
{
    DWORD n = GetModuleFileNameA(NULL, path, (DWORD)size);
    int folder;

    if (n == 0 || (int)n >= size)
        return FALSE;
    folder = (int)(KorvexLastComponent(path) - path);
    if (folder == 0 || folder + (int)strlen(program) >= size)
        return FALSE;
    strcpy(path + folder, program);
    return TRUE;
}

BOOL KorvexStart(KORVEXLINK *link, HWND host, const char *exe, int show, DWORD timeout)
{
    char path[MAX_PATH];
    char command[MAX_PATH + 32];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    MSG ready;

    memset(link, 0, sizeof(*link));
    link->host = host;
    link->timeout = 30000;

    if (exe == NULL) {
        if (!KorvexProgramPath("korvex.exe", path, sizeof(path)))
            return FALSE;
        exe = path;
    }
    if (strlen(exe) >= MAX_PATH)
        return FALSE;
    snprintf(command, sizeof(command), "\"%s\" %lu", exe, (unsigned long)(UINT_PTR)host);

    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (WORD)show;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return FALSE;
    CloseHandle(process.hThread);
    link->process = process.hProcess;

    if (!KorvexWaitPosted(host, WM_USER, KX_NOTICE, FALSE, timeout, &ready)
        || HIWORD(ready.lParam) != KX_READY_HIGH) {
        KorvexKill(link);
        return FALSE;
    }
    // The contract hands us 16 bits; use them as a 16-bit host would.
    link->request = (HWND)(UINT_PTR)LOWORD(ready.lParam);
    return TRUE;
}

LRESULT KorvexRequestLong(KORVEXLINK *link, UINT code, LPARAM lParam)
{
    DWORD_PTR result = 0;

    if (!SendMessageTimeoutA(link->request, WM_USER, code, lParam, SMTO_NORMAL,
                             link->timeout, &result)) {
        link->timedOut = TRUE;
        return 0;
    }
    return (LRESULT)result;
}

LRESULT KorvexRequest(KORVEXLINK *link, UINT code, WORD low, WORD high)
{
    return KorvexRequestLong(link, code, MAKELPARAM(low, high));
}

ATOM KorvexAtom(const char *text)
{
    if (text == NULL || text[0] == '\0')
        return 0;
    return GlobalAddAtomA(text);
}

int KorvexTakeResult(ATOM atom, char *buffer, int size)
{
    UINT n;

    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    if (atom == 0)
        return 0;
    n = GlobalGetAtomNameA(atom, buffer, size);
    if (n == 0)
        buffer[0] = '\0';
    GlobalDeleteAtom(atom);
    return (int)n;
}

// Dispatches what is queued, catching the closing notice on the way.
static void DrainForClosing(KORVEXLINK *link, BOOL *seen)
{
    MSG msg;

    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == link->host && msg.message == WM_USER
            && msg.wParam == KX_NOTICE && msg.lParam == 0) {
            *seen = TRUE;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int KorvexEnd(KORVEXLINK *link, DWORD timeout, BOOL *closing)
{
    DWORD start = GetTickCount(), code = (DWORD)-1;
    BOOL seen = FALSE;

    if (closing != NULL)
        *closing = FALSE;
    if (link->process == NULL)
        return -1;
    KorvexRequest(link, KXR_QUIT, 0, 0);

    for (;;) {
        DWORD left = Remaining(start, timeout);
        DWORD r = MsgWaitForMultipleObjects(1, &link->process, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        if (r != WAIT_OBJECT_0 + 1 || left == 0) {
            KorvexKill(link);
            return -1;
        }
        DrainForClosing(link, &seen);
    }
    GetExitCodeProcess(link->process, &code);
    CloseHandle(link->process);
    link->process = NULL;
    link->request = NULL;

    // The notice is posted before the bridge exits, so it is queued by now.
    DrainForClosing(link, &seen);
    if (closing != NULL)
        *closing = seen;
    return (int)code;
}

void KorvexKill(KORVEXLINK *link)
{
    if (link->process != NULL) {
        TerminateProcess(link->process, 255);
        WaitForSingleObject(link->process, 5000);
        CloseHandle(link->process);
        link->process = NULL;
    }
    link->request = NULL;
}
