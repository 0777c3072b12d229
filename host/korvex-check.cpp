// korvex-check - checks korvex and qivddraw on the machine in front of you.
// It starts the programs beside it as a host does and says, check by check,
// what holds.  Nothing of the user's is touched: it works in a scratch folder
// of its own under the temporary folder and in a registry key of its own, and
// removes both; it shows no dialog and changes no display mode unless asked.
//
//   korvex-check [--dialogs] [--fullscreen] [--report FILE]
//
// One line per check: "ok NAME", "FAIL NAME: expected ..., got ...", or
// "skip NAME: why"; last "N passed, N failed, N skipped".  The same text goes
// to the report (korvex-check.txt in the temporary folder, or FILE), headed by
// what was found of the system.  The exit code is the number of failures.
//
// It runs on Windows 95 and later: it imports what korvex imports, and asks
// for the version library only when it is there.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvexclient.h"
#include "host_rules.h"
#include "version.h"

static int Passed, Failed, Skipped;
static char Results[65536];          // the check lines, for the report
static size_t ResultsLength;
static char Scratch[MAX_PATH];       // our own folder under the temporary folder
static const char OwnKey[] = "Software\\korvex-check";
static HWND HostWindow, ListBox;
static KORVEXLINK Link;

// ---- what the host window sees ------------------------------------------------------

enum { SEEN_MAX = 64 };
static struct { UINT message; WPARAM wParam; LPARAM lParam; } Seen[SEEN_MAX];
static int SeenCount;
static UINT FullScreenMessage;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Relayed input and the full-screen notices, in order.
    if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_LBUTTONDOWN
        || (FullScreenMessage != 0 && message == FullScreenMessage) || message == WM_USER + 6) {
        if (SeenCount < SEEN_MAX) {
            Seen[SeenCount].message = message;
            Seen[SeenCount].wParam = wParam;
            Seen[SeenCount].lParam = lParam;
            SeenCount++;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static BOOL WaitSeen(UINT message, WPARAM wParam, DWORD ms)
{
    DWORD start = GetTickCount();

    for (;;) {
        for (int i = 0; i < SeenCount; i++)
            if (Seen[i].message == message && Seen[i].wParam == wParam)
                return TRUE;
        if (GetTickCount() - start >= ms)
            return FALSE;
        KorvexPump(20);
    }
}

// ---- the lines ---------------------------------------------------------------------

static void Say(const char *format, ...)
{
    char line[1024];
    va_list arguments;

    va_start(arguments, format);
    vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);
    printf("%s\n", line);
    fflush(stdout);
    size_t n = strlen(line);
    if (ResultsLength + n + 3 < sizeof(Results)) {
        memcpy(Results + ResultsLength, line, n);
        ResultsLength += n;
        memcpy(Results + ResultsLength, "\r\n", 2);
        ResultsLength += 2;
    }
}

static void Skip(const char *name, const char *why)
{
    Skipped++;
    Say("skip %s: %s", name, why);
}

// Passes when expected and actual are the same text.
static BOOL Same(const char *name, const char *expected, const char *actual)
{
    if (strcmp(expected, actual) == 0) {
        Passed++;
        Say("ok %s", name);
        return TRUE;
    }
    Failed++;
    Say("FAIL %s: expected \"%s\", got \"%s\"", name, expected, actual);
    return FALSE;
}

static BOOL SameNumber(const char *name, unsigned long expected, unsigned long actual)
{
    char e[24], a[24];
    snprintf(e, sizeof(e), "%lu", expected);
    snprintf(a, sizeof(a), "%lu", actual);
    return Same(name, e, a);
}

static BOOL Holds(const char *name, BOOL holds, const char *expected, const char *actual)
{
    return Same(name, holds ? "" : expected, holds ? "" : actual);
}

// ---- helpers -----------------------------------------------------------------------

static LRESULT Ask(UINT code, const char *text, WORD high)
{
    return KorvexRequest(&Link, code, KorvexAtom(text), high);
}

static void AskText(UINT code, const char *text, WORD high, char *answer, int size)
{
    KorvexTakeResult((ATOM)Ask(code, text, high), answer, size);
}

static BOOL WriteMarker(const char *path, const char *marker)
{
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;

    if (f == INVALID_HANDLE_VALUE)
        return FALSE;
    WriteFile(f, marker, (DWORD)strlen(marker), &written, NULL);
    CloseHandle(f);
    return written == strlen(marker);
}

// What a name opens: the text inside, "<nothing>" when it opens nothing.
static void Opens(const char *path, char *text, int size)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD n = 0;

    lstrcpynA(text, "<nothing>", size);
    if (f == INVALID_HANDLE_VALUE)
        return;
    ReadFile(f, text, (DWORD)size - 1, &n, NULL);
    text[n] = '\0';
    CloseHandle(f);
}

static void Join(char *out, int size, const char *folder, const char *name)
{
    snprintf(out, size, "%s\\%s", folder, name);
}

static BOOL AtomAlive(ATOM atom)
{
    char name[256];
    return GlobalGetAtomNameA(atom, name, sizeof(name)) != 0;
}

static void RemoveScratch(const char *folder)
{
    char pattern[MAX_PATH], path[MAX_PATH];
    WIN32_FIND_DATAA d;
    HANDLE h;

    Join(pattern, sizeof(pattern), folder, "*");
    h = FindFirstFileA(pattern, &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(d.cFileName, ".") == 0 || strcmp(d.cFileName, "..") == 0)
                continue;
            Join(path, sizeof(path), folder, d.cFileName);
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveScratch(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(h, &d));
        FindClose(h);
    }
    RemoveDirectoryA(folder);
}

// ---- the checks ----------------------------------------------------------------------

static BOOL CheckStart(const char *korvex)
{
    char cls[32] = "";

    if (!KorvexStart(&Link, HostWindow, korvex, SW_HIDE, 20000)) {
        Holds("start: the ready notice arrives", FALSE, "a ready notice within 20 s", "none");
        return FALSE;
    }
    Holds("start: the ready notice arrives", TRUE, "", "");
    GetClassNameA(Link.request, cls, sizeof(cls));
    Same("start: the request window is of class korvex", "korvex", cls);
    return TRUE;
}

static void CheckAtoms(void)
{
    ATOM kept = GlobalAddAtomA("korvex-check keeps this atom");
    char answer[300], path[300];

    SameNumber("atoms: request 33 answers 0", 0, (unsigned long)KorvexRequest(&Link, 33, kept, 0));
    SameNumber("atoms: request 0 answers 0", 0, (unsigned long)KorvexRequest(&Link, 0, kept, 0));
    Holds("atoms: an atom in a word no request reads stays", AtomAlive(kept), "alive", "deleted");
    GlobalDeleteAtom(kept);
    // 255 characters come back whole (a path that does not exist comes back as it went).
    memset(path, 'x', 255);
    memcpy(path, "C:\\", 3);
    path[255] = '\0';
    AskText(KXR_LONG_PATH, path, 0, answer, sizeof(answer));
    SameNumber("atoms: a result of 255 characters is whole", 255, (unsigned long)strlen(answer));
    SameNumber("atoms: an empty result is atom 0", 0, (unsigned long)Ask(KXR_LONG_PATH, "", 0));
}

static void CheckPaths(void)
{
    char folder[MAX_PATH], file[MAX_PATH], answer[300], opened[64], expected[MAX_PATH];

    Join(folder, sizeof(folder), Scratch, "Long Folder Name");
    Join(file, sizeof(file), folder, "A Long File Name.txt");
    CreateDirectoryA(folder, NULL);
    if (!WriteMarker(file, "korvex-check marker")) {
        Skip("paths", "the scratch folder cannot be written");
        return;
    }
    AskText(KXR_SHORT_PATH, file, 0, answer, sizeof(answer));
    Opens(answer, opened, sizeof(opened));
    Same("paths: the short form opens the file", "korvex-check marker", opened);
    char shortForm[300];
    lstrcpynA(shortForm, answer, sizeof(shortForm));
    AskText(KXR_LONG_PATH, shortForm, 0, answer, sizeof(answer));
    Same("paths: the long form of the short form", file, answer);
    // A name about to be made: the short folder and the name as written.
    char fresh[MAX_PATH], shortFolder[MAX_PATH] = "";
    Join(fresh, sizeof(fresh), folder, "Not Made Yet.txt");
    GetShortPathNameA(folder, shortFolder, sizeof(shortFolder));
    Join(expected, sizeof(expected), shortFolder, "Not Made Yet.txt");
    AskText(KXR_SHORT_PATH, fresh, 0, answer, sizeof(answer));
    Same("paths: a new name keeps its long last component", expected, answer);
    SameNumber("paths: a device name has no short form", 0,
               (unsigned long)Ask(KXR_SHORT_PATH, "C:\\aux.txt", 0));
}

static void CheckDisk(void)
{
    char root[8], total[32], free[32];

    lstrcpynA(root, Scratch, 4);   // "C:\"
    AskText(KXR_DISK_SIZE, root, 0, total, sizeof(total));
    AskText(KXR_DISK_FREE, root, 0, free, sizeof(free));
    BOOL digits = total[0] != '\0' && strspn(total, "0123456789") == strlen(total)
                  && free[0] != '\0' && strspn(free, "0123456789") == strlen(free);
    Holds("disk: sizes are decimal digits", digits, "digits", total);
    Holds("disk: the disk has a size", strcmp(total, "0") != 0, "not 0", total);
    BOOL fits = strlen(free) < strlen(total) || (strlen(free) == strlen(total) && strcmp(free, total) <= 0);
    Holds("disk: free is at most the total", fits, total, free);
}

static void CheckFileOps(void)
{
    char dir[MAX_PATH], file[MAX_PATH], moved[MAX_PATH], missing[MAX_PATH];

    Join(dir, sizeof(dir), Scratch, "made by request 10");
    Join(file, sizeof(file), dir, "empty.txt");
    Join(moved, sizeof(moved), dir, "moved.txt");
    Join(missing, sizeof(missing), Scratch, "no such folder\\x.txt");
    Holds("files: 10 makes a folder", Ask(KXR_MAKE_DIR, dir, 0) != 0, "nonzero", "0");
    SameNumber("files: 10 on a folder that exists answers 0", 0, (unsigned long)Ask(KXR_MAKE_DIR, dir, 0));
    SameNumber("files: 13 creates an empty file", 0, (unsigned long)Ask(KXR_CREATE_FILE, file, 0));
    SameNumber("files: 13 in a missing folder answers -1", 0xFFFFFFFFul,
               (unsigned long)(DWORD)Ask(KXR_CREATE_FILE, missing, 0));
    ATOM from = KorvexAtom(file), to = KorvexAtom(moved);
    Holds("files: 12 moves", KorvexRequest(&Link, KXR_MOVE_FILE, from, to) != 0, "nonzero", "0");
    SetFileAttributesA(moved, FILE_ATTRIBUTE_READONLY);
    Holds("files: 11 deletes a read-only file", Ask(KXR_DELETE_FILE, moved, 0) != 0, "nonzero", "0");
    Holds("files: 18 removes the folder", Ask(KXR_REMOVE_DIR, dir, 0) != 0, "nonzero", "0");
    Holds("files: nothing is left", GetFileAttributesA(dir) == INVALID_FILE_ATTRIBUTES, "gone", "there");
}

static void CheckTimes(void)
{
    char file[MAX_PATH], answer[300], expected[300], shortName[20];
    SYSTEMTIME st;
    FILETIME local, utc;
    HANDLE f;

    Join(file, sizeof(file), Scratch, "dated.txt");
    WriteMarker(file, "12345");
    memset(&st, 0, sizeof(st));
    st.wYear = 1998; st.wMonth = 3; st.wDay = 15; st.wHour = 13; st.wMinute = 45; st.wSecond = 20;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    f = CreateFileA(file, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(f, &utc, NULL, &utc);
    CloseHandle(f);
    SameNumber("times: 9 gives the DOS date and time", 0x246F6DAAul,
               (unsigned long)Ask(KXR_FILE_DOSTIME, file, 0));
    AskText(KXR_FILE_INFO, file, 0, answer, sizeof(answer));
    GetShortPathNameA(file, expected, sizeof(expected));
    lstrcpynA(shortName, strrchr(expected, '\\') + 1, sizeof(shortName));
    snprintf(expected, sizeof(expected), "5 32 19980315134520 19980315134520 %s", shortName);
    Same("times: 17 describes the file", expected, answer);
    char there[32], back[32];
    AskText(KXR_LOCAL_TO_UTC, "20240615120000", 0, there, sizeof(there));
    AskText(KXR_UTC_TO_LOCAL, there, 0, back, sizeof(back));
    Same("times: 23 then 24 give the time back", "20240615120000", back);
    SameNumber("times: month 13 answers 0", 0, (unsigned long)Ask(KXR_LOCAL_TO_UTC, "20241301000000", 0));
}

static void CheckSearchAndListing(void)
{
    char folder[MAX_PATH], path[MAX_PATH], pattern[MAX_PATH], name[300], text[300];
    const char *names[] = { "first.txt", "second.txt", "third.txt" };
    int found = 0;

    Join(folder, sizeof(folder), Scratch, "listed");
    CreateDirectoryA(folder, NULL);
    for (int i = 0; i < 3; i++) {
        char content[8] = "abcdefg";
        content[i + 1] = '\0';
        Join(path, sizeof(path), folder, names[i]);
        WriteMarker(path, content);   // sizes 1, 2 and 3
    }
    Join(pattern, sizeof(pattern), folder, "*.txt");
    AskText(KXR_FIND_FIRST, pattern, 0x37, name, sizeof(name));
    for (int guard = 0; name[0] != '\0' && guard < 10; guard++) {
        for (int i = 0; i < 3; i++)
            found += strcmp(name, names[i]) == 0;
        KorvexTakeResult((ATOM)KorvexRequest(&Link, KXR_FIND_NEXT, 0, 0x37), name, sizeof(name));
    }
    KorvexRequest(&Link, KXR_FIND_END, 0, 0);
    SameNumber("search: 14 and 15 name each file once", 3, (unsigned long)found);

    SendMessageA(ListBox, LB_RESETCONTENT, 0, 0);
    snprintf(text, sizeof(text), "6%s", folder);
    SameNumber("listing: 32 answers 0", 0, (unsigned long)Ask(KXR_FILL_LIST, text, LOWORD((UINT_PTR)ListBox)));
    int count = (int)SendMessageA(ListBox, LB_GETCOUNT, 0, 0), good = 0;
    for (int i = 0; i < count; i++) {
        char line[600];
        ListingFields fields;
        if (SendMessageA(ListBox, LB_GETTEXTLEN, i, 0) >= (LRESULT)sizeof(line))
            continue;
        SendMessageA(ListBox, LB_GETTEXT, i, (LPARAM)line);
        if (DecodeListingLine(line, &fields) && fields.kind == 0)
            for (int n = 0; n < 3; n++)
                good += strcmp(fields.name, names[n]) == 0 && fields.size == (uint32_t)(n + 1);
    }
    SameNumber("listing: a line a file, with its size", 3, (unsigned long)good);
    SameNumber("listing: lines in all", 3, (unsigned long)count);
    snprintf(text, sizeof(text), "6%s\\no such folder", Scratch);
    SameNumber("listing: a missing folder answers 39", 39,
               (unsigned long)Ask(KXR_FILL_LIST, text, LOWORD((UINT_PTR)ListBox)));
}

// Whether our own key is there, and its removal; the registry library is
// looked up as korvex looks it up, so the check imports nothing korvex does not.
typedef LONG (WINAPI *RegOpenProc)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG (WINAPI *RegKeyProc)(HKEY, LPCSTR);
typedef LONG (WINAPI *RegCloseProc)(HKEY);
static FARPROC Registry(const char *name)
{
    static HMODULE library;
    char path[MAX_PATH];
    UINT n;

    if (library == NULL) {
        n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n + 14 >= MAX_PATH)
            return NULL;
        lstrcatA(path, "\\advapi32.dll");
        library = LoadLibraryA(path);
    }
    return library != NULL ? GetProcAddress(library, name) : NULL;
}

static BOOL OwnKeyThere(void)
{
    RegOpenProc open = (RegOpenProc)(void *)Registry("RegOpenKeyExA");
    RegCloseProc close = (RegCloseProc)(void *)Registry("RegCloseKey");
    HKEY opened;

    if (open == NULL || close == NULL || open(HKEY_CURRENT_USER, OwnKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return FALSE;
    close(opened);
    return TRUE;
}

static void RemoveOwnKey(void)
{
    RegKeyProc remove = (RegKeyProc)(void *)Registry("RegDeleteKeyA");
    if (remove != NULL)
        remove(HKEY_CURRENT_USER, OwnKey);
}

static void CheckRegistry(void)
{
    char key[128], answer[300];

    snprintf(key, sizeof(key), "C%s|Colour", OwnKey);
    SameNumber("registry: 20 writes a value", 1, (unsigned long)KorvexRequest(&Link, KXR_REG_WRITE,
               KorvexAtom(key), KorvexAtom("blue")));
    snprintf(key, sizeof(key), "C%s", OwnKey);
    KorvexTakeResult((ATOM)KorvexRequest(&Link, KXR_REG_READ, KorvexAtom(key), KorvexAtom("Colour")),
                     answer, sizeof(answer));
    Same("registry: 19 reads it", "blue", answer);
    SameNumber("registry: 21 deletes our key", 1, (unsigned long)KorvexRequest(&Link, KXR_REG_DELETE_KEY,
               KorvexAtom("CSoftware"), KorvexAtom("korvex-check")));
    Holds("registry: the key is gone", !OwnKeyThere(), "gone", "there");
}

static void CheckPlatform(void)
{
    SameNumber("platform: 27 tells Windows NT", (GetVersion() & 0x80000000) == 0,
               (unsigned long)KorvexRequest(&Link, KXR_IS_NT, 0, 0));
}

static void CheckTray(void)
{
    // A window of our own, out of sight, stands for the host's.
    HWND target = CreateWindowA("STATIC", "korvex-check tray", WS_POPUP, -4000, -4000, 10, 10,
                                NULL, NULL, NULL, NULL);
    ShowWindow(target, SW_SHOWNOACTIVATE);
    Ask(KXR_TRAY_ICON, "korvex-check", LOWORD((UINT_PTR)target));
    KorvexPump(200);
    if (IsWindowVisible(target)) {
        Skip("tray", "no notification area took the icon");
    } else {
        Holds("tray: 25 trades the window for the icon", TRUE, "", "");
        PostMessageA(Link.request, WM_COMMAND, KX_CMD_OPEN, 0);
        DWORD start = GetTickCount();
        while (!IsWindowVisible(target) && GetTickCount() - start < 5000)
            KorvexPump(50);
        Holds("tray: Open gives the window back", IsWindowVisible(target), "visible", "hidden");
    }
    SameNumber("tray: 25 (0, 0) answers 0", 0, (unsigned long)KorvexRequest(&Link, KXR_TRAY_ICON, 0, 0));
    DestroyWindow(target);
}

static void CheckJoystick(void)
{
    LRESULT caps = KorvexRequest(&Link, KXR_JOYSTICK, KXJ_CAPS, 100);
    char why[64];

    if (caps != 0) {
        snprintf(why, sizeof(why), "no joystick 1 (the service answers %ld)", (long)caps);
        Skip("joystick", why);
        return;
    }
    SameNumber("joystick: capture", 0, (unsigned long)KorvexRequest(&Link, KXR_JOYSTICK, KXJ_CAPTURE,
               LOWORD((UINT_PTR)HostWindow)));
    SameNumber("joystick: release", 0, (unsigned long)KorvexRequest(&Link, KXR_JOYSTICK, KXJ_RELEASE, 0));
}

// A visible dialog of process pid, looked for up to ms; NULL when none came.
static HWND ProcessDialog(DWORD pid, DWORD ms)
{
    DWORD start = GetTickCount();

    for (;;) {
        for (HWND w = GetTopWindow(NULL); w != NULL; w = GetWindow(w, GW_HWNDNEXT)) {
            char cls[16] = "";
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            GetClassNameA(w, cls, sizeof(cls));
            if (owner == pid && strcmp(cls, "#32770") == 0 && IsWindowVisible(w))
                return w;
        }
        if (GetTickCount() - start >= ms)
            return NULL;
        Sleep(100);
    }
}

// Cancels the first dialog of korvex's process that appears.
static DWORD WINAPI CancelDialog(void *parameter)
{
    HWND found = ProcessDialog((DWORD)(UINT_PTR)parameter, 15000);

    if (found == NULL)
        return 0;
    Sleep(300);
    PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    return 1;
}

static void CheckDialogs(DWORD pid)
{
    char text[64], reply[128];
    DWORD id;
    MSG msg;

    snprintf(text, sizeof(text), "0 0 0 0 %u 0 0 0", KorvexAtom(Scratch));
    HANDLE thread = CreateThread(NULL, 0, CancelDialog, (void *)(UINT_PTR)pid, 0, &id);
    KorvexRequest(&Link, KXR_SAVE_DIALOG, KorvexAtom(text), LOWORD((UINT_PTR)HostWindow));
    BOOL replied = KorvexWaitPosted(HostWindow, WM_USER, KXR_SAVE_DIALOG, FALSE, 5000, &msg);
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
    Holds("dialogs: a cancelled save dialog still replies", replied, "a reply", "none");
    if (!replied)
        return;
    SameNumber("dialogs: the reply says Cancel", 0, HIWORD(msg.lParam));
    KorvexTakeResult(LOWORD(msg.lParam), reply, sizeof(reply));
    unsigned index, path, title, flags, name, ext;
    SameNumber("dialogs: the reply has six numbers", 6,
               (unsigned long)sscanf(reply, "%u %u %u %u %u %u", &index, &path, &title, &flags, &name, &ext));
    if (path != 0)
        GlobalDeleteAtom((ATOM)path);
    if (title != 0)
        GlobalDeleteAtom((ATOM)title);
}

static void CheckEnd(void)
{
    BOOL closing = FALSE;
    int code = KorvexEnd(&Link, 10000, &closing);

    SameNumber("end: korvex ends with exit code 0", 0, (unsigned long)code);
    Holds("end: the closing notice arrives", closing, "a closing notice", "none");
}

static void CheckRefusal(const char *program, const char *name)
{
    char command[MAX_PATH + 8], check[64];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;

    snprintf(command, sizeof(command), "\"%s\" 0", program);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    snprintf(check, sizeof(check), "%s: refuses to run without a host", name);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Holds(check, FALSE, "started", "not started");
        return;
    }
    // The refusal box is the only window it shows: close it.
    HWND box = ProcessDialog(process.dwProcessId, 10000);
    char text[128] = "";
    if (box != NULL) {
        SendMessageTimeoutA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof(text), (LPARAM)text,
                            SMTO_NORMAL, 2000, NULL);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    Same(check, "This program can only run from within another program.", text);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

static void CheckFullScreen(const char *qivddraw)
{
    char command[MAX_PATH + 64];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DEVMODEA before, after;

    memset(&before, 0, sizeof(before));
    before.dmSize = sizeof(before);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &before);
    FullScreenMessage = RegisterWindowMessageA(QIV_MESSAGE_NAME);
    SeenCount = 0;
    snprintf(command, sizeof(command), "\"%s\" %lu 32 0 480 0", qivddraw,
             (unsigned long)(UINT_PTR)HostWindow);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Holds("full screen: qivddraw starts", FALSE, "started", "not started");
        return;
    }
    BOOL shown = WaitSeen(FullScreenMessage, QIV_SHOWN, 20000);
    Holds("full screen: 118 is posted", shown, "118", "nothing");
    if (shown) {
        HWND window = NULL;
        for (int i = 0; i < SeenCount; i++)
            if (Seen[i].message == FullScreenMessage && Seen[i].wParam == QIV_SHOWN)
                window = (HWND)Seen[i].lParam;
        Holds("full screen: WM_USER+6 follows", WaitSeen(WM_USER + 6, 0, 5000), "WM_USER+6", "nothing");
        PostMessageA(window, WM_KEYDOWN, 'A', 1);
        Holds("full screen: a key is relayed", WaitSeen(WM_KEYDOWN, 'A', 5000), "WM_KEYDOWN 65", "nothing");
        DWORD_PTR state = 9;
        SendMessageTimeoutA(window, QIV_WM_SCROLL_QUERY, 0, 0, SMTO_NORMAL, 5000, &state);
        Holds("full screen: Scroll Lock answers 0 or 1", state <= 1, "0 or 1", "another answer");
        PostMessageA(window, WM_KEYDOWN, VK_F7, 1);
        Holds("full screen: F7 ends it with 119", WaitSeen(FullScreenMessage, QIV_ENDED, 10000), "119", "nothing");
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    memset(&after, 0, sizeof(after));
    after.dmSize = sizeof(after);
    EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &after);
    Holds("full screen: the display mode comes back",
          before.dmPelsWidth == after.dmPelsWidth && before.dmBitsPerPel == after.dmBitsPerPel,
          "the mode from before", "another mode");
}

// The contract from a real 16-bit host, where the system runs them.
static void CheckWin16(const char *player, const char *korvex, char *support, int size)
{
    char script[MAX_PATH], log[MAX_PATH], command[400], shortPlayer[MAX_PATH] = "";
    char shortKorvex[MAX_PATH] = "", shortScript[MAX_PATH] = "", shortScratch[MAX_PATH] = "";
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;

    lstrcpynA(support, "not known", size);
    if (GetFileAttributesA(player) == INVALID_FILE_ATTRIBUTES) {
        Skip("win16", "player16.exe is not beside korvex-check");
        return;
    }
    GetShortPathNameA(player, shortPlayer, sizeof(shortPlayer));
    GetShortPathNameA(korvex, shortKorvex, sizeof(shortKorvex));
    GetShortPathNameA(Scratch, shortScratch, sizeof(shortScratch));
    Join(script, sizeof(script), Scratch, "check16.txt");
    Join(log, sizeof(log), shortScratch, "check16.log");
    FILE *f = fopen(script, "wb");
    if (f == NULL) {
        Skip("win16", "the scratch folder cannot be written");
        return;
    }
    fprintf(f, "X \"%s \" \"\"\r\nW 1024 1 20000\r\nS k 1024 27 0 0\r\nS k 1024 6 0 0\r\n"
               "W 1024 1 10000\r\nQ\r\n", shortKorvex);
    fclose(f);
    GetShortPathNameA(script, shortScript, sizeof(shortScript));
    snprintf(command, sizeof(command), "%s %s %s", shortPlayer, shortScript, log);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        char why[80];
        snprintf(why, sizeof(why), "this system runs no 16-bit programs (error %lu)",
                 (unsigned long)GetLastError());
        lstrcpynA(support, "no", size);
        Skip("win16", why);
        return;
    }
    lstrcpynA(support, "yes", size);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Holds("win16: the player ends", FALSE, "an end within 60 s", "it hung");
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    int ready = 0, nt = -1, ended = 0;
    char line[512];
    f = fopen(log, "rb");
    while (f != NULL && fgets(line, sizeof(line), f) != NULL) {
        ready += strncmp(line, "wait 1024 1 ok", 14) == 0;
        if (strncmp(line, "send ", 5) == 0 && strstr(line, " 1024 27 ") != NULL)
            nt = strstr(line, "= 1") != NULL;
        ended += strncmp(line, "end ", 4) == 0;
    }
    if (f != NULL)
        fclose(f);
    SameNumber("win16: ready and closing notices reach a 16-bit host", 2, (unsigned long)ready);
    SameNumber("win16: request 27 answers a 16-bit host", (GetVersion() & 0x80000000) == 0,
               (unsigned long)nt);
    SameNumber("win16: the player ends its run", 1, (unsigned long)ended);
}

// ---- the report ----------------------------------------------------------------------

static void VersionOf(const char *file, char *text, int size)
{
    typedef DWORD (WINAPI *SizeProc)(LPCSTR, LPDWORD);
    typedef BOOL (WINAPI *InfoProc)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL (WINAPI *QueryProc)(LPCVOID, LPCSTR, LPVOID *, PUINT);
    char library[MAX_PATH], data[4096];
    HMODULE version;
    UINT n = GetSystemDirectoryA(library, MAX_PATH);

    lstrcpynA(text, "unknown", size);
    if (n == 0 || n + 13 >= MAX_PATH)
        return;
    lstrcatA(library, "\\version.dll");
    version = LoadLibraryA(library);
    if (version == NULL)
        return;
    SizeProc sizeOf = (SizeProc)(void *)GetProcAddress(version, "GetFileVersionInfoSizeA");
    InfoProc infoOf = (InfoProc)(void *)GetProcAddress(version, "GetFileVersionInfoA");
    QueryProc query = (QueryProc)(void *)GetProcAddress(version, "VerQueryValueA");
    DWORD ignored, need = sizeOf != NULL ? sizeOf(file, &ignored) : 0;
    char *value = NULL;
    UINT length = 0;
    if (need > 0 && need <= sizeof(data) && infoOf != NULL && query != NULL
        && infoOf(file, 0, need, data)
        && query(data, "\\StringFileInfo\\040204E4\\FileVersion", (void **)&value, &length) && value)
        lstrcpynA(text, value, size);
    FreeLibrary(version);
}

static void WriteReport(const char *path, const char *korvex, const char *qivddraw, const char *win16)
{
    OSVERSIONINFOA os;
    DEVMODEA mode;
    char korvexVersion[32], qivVersion[32];
    FILE *f = fopen(path, "wb");

    if (f == NULL) {
        printf("korvex-check: cannot write the report %s\n", path);
        return;
    }
    memset(&os, 0, sizeof(os));
    os.dwOSVersionInfoSize = sizeof(os);
    GetVersionExA(&os);
    fprintf(f, "korvex-check %s\r\n", KORVEX_VERSION_TEXT);
    fprintf(f, "Windows %lu.%lu build %lu, platform %lu%s%s\r\n", os.dwMajorVersion, os.dwMinorVersion,
            os.dwBuildNumber & 0xFFFF, os.dwPlatformId, os.szCSDVersion[0] ? ", " : "", os.szCSDVersion);
    fprintf(f, "code page %u (OEM %u)\r\n", GetACP(), GetOEMCP());
    fprintf(f, "16-bit programs: %s\r\n", win16);
    memset(&mode, 0, sizeof(mode));
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode))
        fprintf(f, "display %lux%lu at %lu bits\r\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    fprintf(f, "display modes:");
    for (DWORD i = 0; i < 200; i++) {
        memset(&mode, 0, sizeof(mode));
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsA(NULL, i, &mode))
            break;
        fprintf(f, " %lux%lux%lu", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    }
    VersionOf(korvex, korvexVersion, sizeof(korvexVersion));
    VersionOf(qivddraw, qivVersion, sizeof(qivVersion));
    fprintf(f, "\r\nkorvex %s, qivddraw %s\r\n\r\n", korvexVersion, qivVersion);
    fwrite(Results, 1, ResultsLength, f);
    fclose(f);
}

int main(int argc, char **argv)
{
    char korvex[MAX_PATH], qivddraw[MAX_PATH], player[MAX_PATH], report[MAX_PATH] = "";
    char temp[MAX_PATH], win16[32];
    BOOL dialogs = FALSE, fullscreen = FALSE;
    WNDCLASSA wc;

    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--dialogs") == 0)
            dialogs = TRUE;
        else if (strcmp(argv[i], "--fullscreen") == 0)
            fullscreen = TRUE;
        else if (strcmp(argv[i], "--report") == 0 && i + 1 < argc)
            lstrcpynA(report, argv[++i], sizeof(report));
        else if (strcmp(argv[i], "--version") == 0) {
            printf("korvex-check %s\n", KORVEX_VERSION_TEXT);
            return 0;
        } else {
            printf("usage: korvex-check [--dialogs] [--fullscreen] [--report FILE]\n");
            return 2;
        }
    }
    if (!KorvexProgramPath("korvex.exe", korvex, sizeof(korvex))
        || !KorvexProgramPath("qivddraw.exe", qivddraw, sizeof(qivddraw))
        || !KorvexProgramPath("player16.exe", player, sizeof(player))) {
        printf("korvex-check: the folder of this program is too deep\n");
        return 2;
    }
    GetTempPathA(sizeof(temp), temp);
    if (report[0] == '\0')
        snprintf(report, sizeof(report), "%skorvex-check.txt", temp);
    for (unsigned n = 0; n < 100; n++) {
        snprintf(Scratch, sizeof(Scratch), "%skorvex-check-%lu-%u", temp,
                 (unsigned long)GetCurrentProcessId(), n);
        if (CreateDirectoryA(Scratch, NULL))
            break;
        Scratch[0] = '\0';
    }
    if (Scratch[0] == '\0') {
        printf("korvex-check: no scratch folder can be made in %s\n", temp);
        return 2;
    }

    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KorvexCheckHost";
    RegisterClassA(&wc);
    HostWindow = CreateWindowA(wc.lpszClassName, "korvex-check", WS_OVERLAPPED, 0, 0, 100, 100,
                               NULL, NULL, wc.hInstance, NULL);
    ListBox = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 100, 100, HostWindow, NULL,
                            wc.hInstance, NULL);
    Say("korvex-check %s: %s", KORVEX_VERSION_TEXT, korvex);

    if (CheckStart(korvex)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(Link.request, &pid);
        CheckAtoms();
        CheckPaths();
        CheckDisk();
        CheckFileOps();
        CheckTimes();
        CheckSearchAndListing();
        CheckRegistry();
        CheckPlatform();
        CheckTray();
        CheckJoystick();
        if (dialogs)
            CheckDialogs(pid);
        else
            Skip("dialogs", "shown only with --dialogs");
        CheckEnd();
    }
    if (dialogs) {
        CheckRefusal(korvex, "korvex");
        CheckRefusal(qivddraw, "qivddraw");
    } else {
        Skip("refusal boxes", "shown only with --dialogs");
    }
    if (fullscreen)
        CheckFullScreen(qivddraw);
    else
        Skip("full screen", "the display mode is changed only with --fullscreen");
    CheckWin16(player, korvex, win16, sizeof(win16));

    RemoveOwnKey();
    RemoveScratch(Scratch);
    Say("%d passed, %d failed, %d skipped", Passed, Failed, Skipped);
    WriteReport(report, korvex, qivddraw, win16);
    printf("report: %s\n", report);
    DestroyWindow(HostWindow);
    return Failed;
}
