// dispatch.cpp - the request window's procedure and the atom strings that
// carry texts between the host and us.
#include "bridge.h"
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

BRIDGESTATE BridgeState = { 0, 0, 0, {}, {}, {}, FALSE, 0, "", {}, FALSE, 0, 3242, FALSE, 0, 0 };

// The trace's record of the requests under way, innermost last: requests run
// nested inside dialogs and tray calls, and each line tells one request whole.
enum { TRACE_DEPTH = 8 };
enum { TRACE_REQUEST_SIZE = TRACE_LINE_SIZE - TRACE_TEXT_SIZE - 64 };
static struct {
    char line[TRACE_REQUEST_SIZE];
    ATOM made;                        // the last result atom the request made
    char madeText[TRACE_TEXT_SIZE];   // and its text, escaped
} Requests[TRACE_DEPTH];
static int RequestDepth;

void TraceRequestNote(const char *format, ...)
{
    va_list arguments;
    size_t have;

    if (!TRACING() || RequestDepth == 0 || RequestDepth > TRACE_DEPTH)
        return;
    char *line = Requests[RequestDepth - 1].line;
    have = strlen(line);
    if (have + 2 >= TRACE_REQUEST_SIZE)
        return;
    line[have++] = ' ';
    line[have] = '\0';
    va_start(arguments, format);
    vsnprintf(line + have, TRACE_REQUEST_SIZE - have, format, arguments);
    va_end(arguments);
}

void TraceAtomMade(ATOM atom, const char *text)
{
    if (!TRACING() || RequestDepth == 0 || RequestDepth > TRACE_DEPTH)
        return;
    // Only the answer's atom is told in the line: remember the last one.
    Requests[RequestDepth - 1].made = atom;
    TraceEscape(text, Requests[RequestDepth - 1].madeText, TRACE_TEXT_SIZE);
}

void TakeAtomString(ATOM atom, char *buffer, int size)
{
    char name[256];

    if (atom == 0) {
        if (buffer != NULL && size > 0)
            buffer[0] = '\0';
        return;
    }
    if (size <= 0)
        size = 256;
    // Read whole, then cut: a buffer too small for the name makes the platform
    // give nothing at all, and a dead atom leaves the buffer unwritten.
    if (GlobalGetAtomNameA(atom, name, sizeof(name)) == 0)
        name[0] = '\0';
    if (buffer != NULL)
        lstrcpynA(buffer, name, size);
    GlobalDeleteAtom(atom);
    if (TRACING()) {
        char escaped[TRACE_TEXT_SIZE];
        TraceRequestNote("read %u %s", atom, TraceEscape(name, escaped, sizeof(escaped)));
    }
}

HWND HostWindow(DWORD value)
{
    return value == 0xFFFF ? NULL : (HWND)(UINT_PTR)value;
}

ATOM AtomFromString(const char *text)
{
    char cut[256];

    if (text == NULL)
        return 0;
    if (strlen(text) > 255) {
        memcpy(cut, text, 255);
        cut[255] = '\0';
        text = cut;
    }
    ATOM atom = GlobalAddAtomA(text);
    if (TRACING())
        TraceAtomMade(atom, text);
    return atom;
}

static BOOL CALLBACK AnyWindow(HWND window, LPARAM found)
{
    (void)window;
    *(BOOL *)found = TRUE;
    return FALSE;
}

BOOL IsHostWindow(HWND window)
{
    // A 16-bit handle is freed with its window and soon reused: a window in
    // that slot that another thread owns is a stranger.
    return window != NULL && IsWindow(window)
           && GetWindowThreadProcessId(window, NULL) == BridgeState.hostThread;
}

BOOL HostGone(void)
{
    BOOL found = FALSE;

    if (BridgeState.hostWindow == NULL || IsHostWindow(BridgeState.hostWindow))
        return FALSE;
    EnumThreadWindows(BridgeState.hostThread, AnyWindow, (LPARAM)&found);
    return !found;
}

static LRESULT Serve(WPARAM code, LPARAM lParam)
{
    switch (code) {
    case KXR_LONG_PATH:      return RequestLongPath(lParam);
    case KXR_SHORT_PATH:     return RequestShortPath(lParam);
    case KXR_DISK_SIZE:
    case KXR_DISK_FREE:      return RequestDiskSpace((UINT)code, lParam);
    case KXR_QUIT:           return RequestQuit();
    case KXR_OPEN_DIALOG:
    case KXR_SAVE_DIALOG:    return RequestFileDialog((UINT)code, lParam);
    case KXR_FILE_DOSTIME:   return RequestFileDosTime(lParam);
    case KXR_MAKE_DIR:       return RequestMakeDir(lParam);
    case KXR_DELETE_FILE:    return RequestDeleteFile(lParam);
    case KXR_MOVE_FILE:      return RequestMoveFile(lParam);
    case KXR_CREATE_FILE:    return RequestCreateFile(lParam);
    case KXR_FIND_FIRST:     return RequestFindFirst(lParam);
    case KXR_FIND_NEXT:      return RequestFindNext(lParam);
    case KXR_FIND_END:       return RequestFindEnd();
    case KXR_FILE_INFO:      return RequestFileInfo(lParam);
    case KXR_REMOVE_DIR:     return RequestRemoveDir(lParam);
    case KXR_REG_READ:       return RequestRegRead(lParam);
    case KXR_REG_WRITE:      return RequestRegWrite(lParam);
    case KXR_REG_DELETE_KEY: return RequestRegDeleteKey(lParam);
    case KXR_NET_DIALOG:     return RequestNetDialog(lParam);
    case KXR_LOCAL_TO_UTC:
    case KXR_UTC_TO_LOCAL:   return RequestTimeConvert((UINT)code, lParam);
    case KXR_TRAY_ICON:      return RequestTrayIcon(lParam);
    case KXR_SCROLL_LOCK:    return RequestScrollLock();
    case KXR_IS_NT:          return RequestIsNT();
    case KXR_TO_FRONT:       return RequestToFront(lParam);
    case KXR_JOYSTICK:       return RequestJoystick(lParam);
    case KXR_FILL_LIST:      return RequestFillList(lParam);
    default:                 return 0;  // 0, 1, 30, 31 and everything above 32
    }
}

// A request and its trace line: the code, the two words, what it read, and
// the answer (a number, or the result atom and its text).
static LRESULT DispatchRequest(WPARAM code, LPARAM lParam)
{
    LRESULT result;
    const char *name;
    int depth;

    if (!TRACING())
        return Serve(code, lParam);
    depth = RequestDepth++;
    name = RequestName((unsigned)code);
    if (depth < TRACE_DEPTH) {
        snprintf(Requests[depth].line, TRACE_REQUEST_SIZE, "request %lu %s lo %u hi %u",
                 (unsigned long)code, name != NULL ? name : "(none)", LOWORD(lParam), HIWORD(lParam));
        Requests[depth].made = 0;
    }
    result = Serve(code, lParam);
    RequestDepth--;
    if (depth >= TRACE_DEPTH) {
        Trace("request %lu (nested too deep to tell more) = %ld", (unsigned long)code, (long)result);
    } else if (Requests[depth].made != 0 && (ATOM)result == Requests[depth].made
               && (ULONG_PTR)result <= 0xFFFF) {
        Trace("%s = atom %u %s", Requests[depth].line, (unsigned)result, Requests[depth].madeText);
    } else {
        Trace("%s = %ld", Requests[depth].line, (long)result);
    }
    return result;
}

static DWORD HostLooked;   // when a request last looked for the host

BOOL SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *answer)
{
    DWORD_PTR result = 0;

    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             KX_SEND_BOUND_MS, &result)) {
        if (answer != NULL)
            *answer = 0;
        return FALSE;
    }
    if (answer != NULL)
        *answer = (LRESULT)result;
    return TRUE;
}

BOOL Responds(HWND window)
{
    return window == NULL || SendBounded(window, WM_NULL, 0, 0, NULL);
}

LRESULT CALLBACK BridgeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        // However we end, nothing of ours stays behind: a request served
        // inside request 6's own tray call may have put the icon back.
        KillTimer(window, KX_TIMER_HOST);
        RemoveIcon();
        ReleaseJoystick();
        PostQuitMessage(0);
        return 0;

    case WM_TIMER:
        if (wParam == KX_TIMER_HOST && HostGone()) {
            Trace("the host has gone without request 6: ending");
            RequestQuit();
        }
        return 0;

    case WM_COMMAND:
        // Never default processing: only the tray commands mean anything here.
        TrayCommand(wParam);
        return 0;

    case MM_JOY1MOVE:
    case MM_JOY1BUTTONDOWN:
    case MM_JOY1BUTTONUP:
        RelayJoystick(message, wParam, lParam);
        return 0;

    case WM_USER:
        // A request after the host has gone serves nobody: end instead.  The
        // look costs a call into another process, so a burst of requests
        // pays it at most ten times a second.
        if (GetTickCount() - HostLooked >= 100) {
            HostLooked = GetTickCount();
            if (HostGone()) {
                Trace("request %lu after the host has gone: ending", (unsigned long)wParam);
                return RequestQuit();
            }
        }
        return DispatchRequest(wParam, lParam);

    case KX_WM_TRAYNOTIFY:
        TrayNotification(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
