// korvex-host - drives korvex from the command line.
//
//   korvex-host REQUEST...      each argument is one request line
//   korvex-host -               request lines from standard input
//   korvex-host --trace FILE ... korvex (and a qivddraw it starts) write their
//                               trace to FILE; --trace-lines also every listing line
//
// A request line is a name and its words, e.g.  long C:\PROGRA~1  or
// move "C:\a b.txt" C:\c.txt.  "help" lists them.  Every answer is printed in
// readable form; the bridge is ended at the end.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "korvexclient.h"
#include "host_rules.h"
#include "version.h"

// How a word of the request line travels, and how the answer reads.
enum Arg { NONE, TEXT, NUMBER, LISTBOX, SELF };
enum Answer { ANS_ATOM, ANS_NUMBER, ANS_DOSTIME, ANS_LIST, ANS_DIALOG, ANS_ZERO };

struct Command {
    const char *name;
    UINT code;
    Arg low, high;
    Answer answer;
    const char *usage;
};

static const Command Commands[] = {
    { "long",      KXR_LONG_PATH,      TEXT,   NONE,    ANS_ATOM,    "long PATH           long form of a path" },
    { "short",     KXR_SHORT_PATH,     TEXT,   NONE,    ANS_ATOM,    "short PATH          short form of a path" },
    { "disksize",  KXR_DISK_SIZE,      TEXT,   NONE,    ANS_ATOM,    "disksize ROOT       total bytes of a disk" },
    { "diskfree",  KXR_DISK_FREE,      TEXT,   NONE,    ANS_ATOM,    "diskfree ROOT       free bytes of a disk" },
    { "dostime",   KXR_FILE_DOSTIME,   TEXT,   NONE,    ANS_DOSTIME, "dostime PATH        DOS date and time of creation" },
    { "mkdir",     KXR_MAKE_DIR,       TEXT,   NONE,    ANS_NUMBER,  "mkdir PATH          make a directory" },
    { "del",       KXR_DELETE_FILE,    TEXT,   NONE,    ANS_NUMBER,  "del PATH            delete a file" },
    { "move",      KXR_MOVE_FILE,      TEXT,   TEXT,    ANS_NUMBER,  "move FROM TO        move or rename" },
    { "create",    KXR_CREATE_FILE,    TEXT,   NONE,    ANS_NUMBER,  "create PATH         create an empty file (0 / -1)" },
    { "findfirst", KXR_FIND_FIRST,     TEXT,   NUMBER,  ANS_ATOM,    "findfirst PATTERN FILTER" },
    { "findnext",  KXR_FIND_NEXT,      NONE,   NUMBER,  ANS_ATOM,    "findnext FILTER" },
    { "findend",   KXR_FIND_END,       NONE,   NONE,    ANS_NUMBER,  "findend" },
    { "info",      KXR_FILE_INFO,      TEXT,   NONE,    ANS_ATOM,    "info PATH           size, attributes, times, short name" },
    { "rmdir",     KXR_REMOVE_DIR,     TEXT,   NONE,    ANS_NUMBER,  "rmdir PATH          remove a directory" },
    { "regread",   KXR_REG_READ,       TEXT,   TEXT,    ANS_ATOM,    "regread RKEY [NAME] read a value (root letter first)" },
    { "regwrite",  KXR_REG_WRITE,      TEXT,   TEXT,    ANS_NUMBER,  "regwrite RKEY|NAME DATA" },
    { "regdelete", KXR_REG_DELETE_KEY, TEXT,   TEXT,    ANS_NUMBER,  "regdelete RKEY SUBKEY" },
    { "netdialog", KXR_NET_DIALOG,     NUMBER, NUMBER,  ANS_NUMBER,  "netdialog OWNER CONNECT" },
    { "toutc",     KXR_LOCAL_TO_UTC,   TEXT,   NONE,    ANS_ATOM,    "toutc YYYYMMDDhhmmss" },
    { "tolocal",   KXR_UTC_TO_LOCAL,   TEXT,   NONE,    ANS_ATOM,    "tolocal YYYYMMDDhhmmss" },
    { "tray",      KXR_TRAY_ICON,      TEXT,   SELF,    ANS_NUMBER,  "tray TIP            trade our window for a tray icon" },
    { "untray",    KXR_TRAY_ICON,      NONE,   NONE,    ANS_NUMBER,  "untray              remove the tray icon" },
    { "scroll",    KXR_SCROLL_LOCK,    NONE,   NONE,    ANS_NUMBER,  "scroll              toggle Scroll Lock" },
    { "isnt",      KXR_IS_NT,          NONE,   NONE,    ANS_NUMBER,  "isnt                1 on Windows NT" },
    { "front",     KXR_TO_FRONT,       NUMBER, NONE,    ANS_NUMBER,  "front HWND          bring a window to the front" },
    { "joy",       KXR_JOYSTICK,       NUMBER, NUMBER,  ANS_NUMBER,  "joy SUBCODE ARG     joystick service" },
    { "list",      KXR_FILL_LIST,      TEXT,   LISTBOX, ANS_LIST,    "list MODEPATH       fill a list box (1, 2, 4, 6 or other mode)" },
    { "open",      KXR_OPEN_DIALOG,    TEXT,   SELF,    ANS_DIALOG,  "open [filter=A#*.a] [index=N] [name=X] [dir=D] [title=T] [flags=N] [ext=E] [selectdir]" },
    { "save",      KXR_SAVE_DIALOG,    TEXT,   SELF,    ANS_DIALOG,  "save ...            as open, the save dialog" },
};

static HWND HostWindow, ListBox;
static KORVEXLINK Link;

// While qivddraw runs for us, what reaches our window is printed.
static UINT FullScreenMessage;
static HWND FullScreenWindow;
static BOOL Watching;

static LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Watching) {
        const char *name = NULL;
        if (message == FullScreenMessage) {
            name = wParam == QIV_SHOWN ? "shown (118)" : wParam == QIV_ENDED ? "ended (119)" : "full-screen";
            if (wParam == QIV_SHOWN)
                FullScreenWindow = (HWND)lParam;
        } else if (message == QIV_WM_STARTED) {
            name = "WM_USER+6";
        } else if (message >= WM_KEYDOWN && message <= WM_SYSCHAR) {
            static const char *keys[] = { "WM_KEYDOWN", "WM_KEYUP", "WM_CHAR", "WM_DEADCHAR",
                                          "WM_SYSKEYDOWN", "WM_SYSKEYUP", "WM_SYSCHAR" };
            name = keys[message - WM_KEYDOWN];
        } else if (message >= WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK) {
            name = "mouse";
        } else if (message == WM_SYSCOMMAND) {
            printf("  WM_SYSCOMMAND %lu\n", (unsigned long)wParam);
            return 0;
        } else if (message == WM_SETCURSOR) {
            return (LRESULT)LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        }
        if (name != NULL)
            printf("  %-14s message %u  wParam 0x%lx  lParam 0x%lx\n", name, message,
                   (unsigned long)wParam, (unsigned long)lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// fullscreen [DEPTH [MODE [HEIGHT [COLOUR [SECONDS]]]]]: runs qivddraw for our
// window, prints what arrives, and leaves full-screen mode SECONDS after 118.
// How long qivddraw may take to get to 118, and to end once asked: an emulated
// machine needs tens of seconds.
enum { FULLSCREEN_START_MS = 60000 };
static int RunFullScreen(char **words, int n)
{
    uint32_t v[5] = { 32, 0, 480, 0, 10 };
    char path[MAX_PATH], command[MAX_PATH + 80];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;

    for (int i = 1; i < n && i <= 5; i++)
        if (!ParseNumber(words[i], &v[i - 1])) {
            printf("fullscreen: %s is no number\n", words[i]);
            return 0;
        }
    if (!KorvexProgramPath("qivddraw.exe", path, sizeof(path)))
        return 0;
    snprintf(command, sizeof(command), "\"%s\" %lu %lu %lu %lu %lu", path,
             (unsigned long)(UINT_PTR)HostWindow, (unsigned long)v[0], (unsigned long)v[1],
             (unsigned long)v[2], (unsigned long)v[3]);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    FullScreenMessage = RegisterWindowMessageA(QIV_MESSAGE_NAME);
    FullScreenWindow = NULL;
    Watching = TRUE;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Watching = FALSE;
        printf("fullscreen: qivddraw did not start\n");
        return 0;
    }
    CloseHandle(process.hThread);
    // The seconds count from 118: before it we have no window to ask to leave.
    // A slow machine takes a while to get there; one that never does is said.
    DWORD start = GetTickCount();
    while (FullScreenWindow == NULL && GetTickCount() - start < FULLSCREEN_START_MS
           && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        KorvexPump(50);
    if (FullScreenWindow == NULL)
        printf("  (no 118 within %u s%s)\n", FULLSCREEN_START_MS / 1000,
               WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT
                   ? "; qivddraw is ended" : ": qivddraw ended without taking full screen");
    start = GetTickCount();
    while (FullScreenWindow != NULL && GetTickCount() - start < v[4] * 1000
           && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        KorvexPump(50);
    if (FullScreenWindow != NULL && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        printf("  (leaving full-screen mode)\n");
        PostMessageA(FullScreenWindow, WM_COMMAND, QIV_CMD_LEAVE, 0);
        start = GetTickCount();
        while (GetTickCount() - start < FULLSCREEN_START_MS
               && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            KorvexPump(50);
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        if (FullScreenWindow != NULL)
            printf("  (qivddraw did not end within %u s of the command to leave)\n",
                   FULLSCREEN_START_MS / 1000);
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 5000);
    }
    KorvexPump(100);
    Watching = FALSE;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    printf("fullscreen -> qivddraw exit code %lu\n", (unsigned long)code);
    return 1;
}

static void PrintListing(void)
{
    int count = (int)SendMessageA(ListBox, LB_GETCOUNT, 0, 0);
    char line[600];

    printf("  %d line%s\n", count, count == 1 ? "" : "s");
    for (int i = 0; i < count; i++) {
        int length = (int)SendMessageA(ListBox, LB_GETTEXTLEN, i, 0);
        ListingFields f;
        char access[8], created[24], modified[24];

        if (length < 0 || length >= (int)sizeof(line))
            continue;
        SendMessageA(ListBox, LB_GETTEXT, i, (LPARAM)line);
        if (!DecodeListingLine(line, &f)) {
            printf("  %s  (not a listing line)\n", line);
            continue;
        }
        FormatAccess(f.access, access, sizeof(access));
        FormatPackedTime(f.created, created, sizeof(created));
        FormatPackedTime(f.modified, modified, sizeof(modified));
        printf("  %s\n    %s %s %10lu  created %s  modified %s  %s\n", line,
               f.kind ? "dir " : "file", access, (unsigned long)f.size, created, modified, f.name);
    }
    SendMessageA(ListBox, LB_RESETCONTENT, 0, 0);
}

static int RunDialog(const Command *c, char **words, int n);

static int RunLine(char *line)
{
    char *words[16];
    int n = SplitRequestLine(line, words, 16);
    const Command *c = NULL;
    WORD low = 0, high = 0;
    uint32_t value;
    int next = 1;

    if (n == 0)
        return 1;
    if (strcmp(words[0], "help") == 0) {
        for (size_t i = 0; i < sizeof(Commands) / sizeof(Commands[0]); i++)
            printf("  %s\n", Commands[i].usage);
        printf("  raw CODE LOW HIGH   any request, numbers only\n");
        printf("  fullscreen [DEPTH MODE HEIGHT COLOUR SECONDS]  run qivddraw, print what arrives\n");
        return 1;
    }
    if (strcmp(words[0], "fullscreen") == 0)
        return RunFullScreen(words, n);
    if (strcmp(words[0], "raw") == 0) {
        uint32_t code, lo = 0, hi = 0;
        if (n < 2 || !ParseNumber(words[1], &code)
            || (n > 2 && !ParseNumber(words[2], &lo)) || (n > 3 && !ParseNumber(words[3], &hi))) {
            printf("raw: CODE LOW HIGH, numbers\n");
            return 0;
        }
        LRESULT r = KorvexRequest(&Link, code, (WORD)lo, (WORD)hi);
        printf("raw %lu -> %ld (0x%08lx)\n", (unsigned long)code, (long)r, (unsigned long)r);
        return 1;
    }
    for (size_t i = 0; i < sizeof(Commands) / sizeof(Commands[0]); i++)
        if (strcmp(words[0], Commands[i].name) == 0)
            c = &Commands[i];
    if (c == NULL) {
        printf("%s: unknown request (try help)\n", words[0]);
        return 0;
    }

    if (c->answer == ANS_DIALOG)
        return RunDialog(c, words, n);

    Arg args[2] = { c->low, c->high };
    WORD *slots[2] = { &low, &high };
    for (int i = 0; i < 2; i++) {
        switch (args[i]) {
        case TEXT:
            *slots[i] = next < n ? KorvexAtom(words[next++]) : 0;
            break;
        case NUMBER:
            value = 0;
            if (next < n && !ParseNumber(words[next++], &value)) {
                printf("%s: %s is no number\n", c->name, words[next - 1]);
                return 0;
            }
            *slots[i] = (WORD)value;
            break;
        case LISTBOX:
            *slots[i] = LOWORD((UINT_PTR)ListBox);
            break;
        case SELF:
            *slots[i] = LOWORD((UINT_PTR)HostWindow);
            break;
        case NONE:
            break;
        }
    }

    LRESULT r = c->code == KXR_TO_FRONT && n > 1 && ParseNumber(words[1], &value)
                    ? KorvexRequestLong(&Link, c->code, (LPARAM)value)
                    : KorvexRequest(&Link, c->code, low, high);
    char text[256], when[32];
    switch (c->answer) {
    case ANS_ATOM:
        KorvexTakeResult((ATOM)r, text, sizeof(text));
        printf("%s -> %s\"%s\"\n", c->name, r == 0 ? "(none) " : "", text);
        break;
    case ANS_DOSTIME:
        FormatDosTime((uint32_t)r, when, sizeof(when));
        printf("%s -> 0x%08lx (%s)\n", c->name, (unsigned long)r, r == 0 ? "not found" : when);
        break;
    case ANS_LIST:
        printf("%s -> %ld\n", c->name, (long)r);
        PrintListing();
        break;
    default:
        printf("%s -> %ld\n", c->name, (long)r);
        break;
    }
    if (c->code == KXR_TRAY_ICON)
        KorvexPump(200);
    return 1;
}

// open / save: words KEY=VALUE (filter, index, name, dir, title, flags, ext)
// and "selectdir".  The filter uses # between its parts.
static int RunDialog(const Command *c, char **words, int n)
{
    const char *filter = NULL, *name = NULL, *dir = NULL, *title = NULL, *ext = NULL;
    uint32_t index = 0, flags = 0;
    char text[128], reply[256], path[256], fileTitle[256];
    MSG msg;

    for (int i = 1; i < n; i++) {
        char *eq = strchr(words[i], '=');
        const char *value = eq ? eq + 1 : "";
        if (eq)
            *eq = '\0';
        if (strcmp(words[i], "selectdir") == 0) name = KX_SELECT_DIR_NAME;
        else if (strcmp(words[i], "filter") == 0) filter = value;
        else if (strcmp(words[i], "name") == 0) name = value;
        else if (strcmp(words[i], "dir") == 0) dir = value;
        else if (strcmp(words[i], "title") == 0) title = value;
        else if (strcmp(words[i], "ext") == 0) ext = value;
        else if (strcmp(words[i], "index") == 0 && ParseNumber(value, &index)) continue;
        else if (strcmp(words[i], "flags") == 0 && ParseNumber(value, &flags)) continue;
        else {
            printf("%s: what is %s? (filter= index= name= dir= title= flags= ext= selectdir)\n",
                   c->name, words[i]);
            return 0;
        }
    }
    snprintf(text, sizeof(text), "%u %u %lu %u %u %u %lu %u", 0u, KorvexAtom(filter),
             (unsigned long)index, KorvexAtom(name), KorvexAtom(dir), KorvexAtom(title),
             (unsigned long)flags, KorvexAtom(ext));
    DWORD saved = Link.timeout;
    Link.timeout = 30 * 60 * 1000;     // a person is choosing
    KorvexRequest(&Link, c->code, KorvexAtom(text), LOWORD((UINT_PTR)HostWindow));
    Link.timeout = saved;
    if (!KorvexWaitPosted(HostWindow, WM_USER, c->code, FALSE, 5000, &msg)) {
        printf("%s: no reply\n", c->name);
        return 0;
    }
    unsigned filterIndex = 0, pathAtom = 0, titleAtom = 0, outFlags = 0, fileOffset = 0, extOffset = 0;
    KorvexTakeResult(LOWORD(msg.lParam), reply, sizeof(reply));
    sscanf(reply, "%u %u %u %u %u %u", &filterIndex, &pathAtom, &titleAtom, &outFlags,
           &fileOffset, &extOffset);
    KorvexTakeResult((ATOM)pathAtom, path, sizeof(path));
    KorvexTakeResult((ATOM)titleAtom, fileTitle, sizeof(fileTitle));
    printf("%s -> %s, reply \"%s\"\n", c->name, HIWORD(msg.lParam) ? "confirmed" : "cancelled", reply);
    printf("  path \"%s\"\n  title \"%s\"\n  filter index %u, flags 0x%08x\n", path, fileTitle,
           filterIndex, outFlags);
    printf("  name at %u \"%s\", extension at %u \"%s\"\n", fileOffset,
           fileOffset <= strlen(path) ? path + fileOffset : "", extOffset,
           extOffset <= strlen(path) ? path + extOffset : "");
    return 1;
}

int main(int argc, char **argv)
{
    WNDCLASSA wc;
    int failures = 0, code, first = 1;
    BOOL closing;

    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("korvex-host %s\n", KORVEX_VERSION_TEXT);
        return 0;
    }
    // The trace switch travels as korvex's environment, as a host's would.
    while (first < argc && strncmp(argv[first], "--trace", 7) == 0) {
        if (strcmp(argv[first], "--trace-lines") == 0) {
            SetEnvironmentVariableA("KORVEX_TRACE_LINES", "1");
            first++;
        } else if (strcmp(argv[first], "--trace") == 0 && first + 1 < argc) {
            SetEnvironmentVariableA("KORVEX_TRACE", argv[first + 1]);
            first += 2;
        } else {
            fprintf(stderr, "korvex-host: --trace FILE\n");
            return 2;
        }
    }
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = HostWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KorvexHostTool";
    RegisterClassA(&wc);
    HostWindow = CreateWindowExA(0, wc.lpszClassName, "korvex-host", WS_OVERLAPPEDWINDOW,
                                 0, 0, 320, 240, NULL, NULL, wc.hInstance, NULL);
    ListBox = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 300, 200, HostWindow,
                              NULL, wc.hInstance, NULL);
    if (HostWindow == NULL || ListBox == NULL) {
        fprintf(stderr, "korvex-host: cannot create the host window\n");
        return 2;
    }
    if (!KorvexStart(&Link, HostWindow, NULL, SW_HIDE, 15000)) {
        fprintf(stderr, "korvex-host: korvex did not start\n");
        return 2;
    }
    printf("korvex ready, request window 0x%04x\n", (unsigned)(UINT_PTR)Link.request);

    if (argc == first + 1 && strcmp(argv[first], "-") == 0) {
        char line[1024];
        while (fgets(line, sizeof(line), stdin) != NULL)
            failures += !RunLine(line);
    } else {
        for (int i = first; i < argc; i++) {
            char line[1024];
            snprintf(line, sizeof(line), "%s", argv[i]);
            printf("> %s\n", line);
            failures += !RunLine(line);
        }
    }

    code = KorvexEnd(&Link, 10000, &closing);
    printf("korvex ended: exit code %d, closing notice %s\n", code, closing ? "received" : "missing");
    return failures || code != 0 ? 1 : 0;
}
