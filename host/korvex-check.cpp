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
#include "korvex-check.h"
#include "version.h"

char Scratch[MAX_PATH];
HWND HostWindow, ListBox;
KORVEXLINK Link;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Relayed input and the full-screen notices, in order.
    if (IsSeenMessage(message)) {
        SeeMessage(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}


// ---- helpers -----------------------------------------------------------------------

LRESULT Ask(UINT code, const char *text, WORD high)
{
    return KorvexRequest(&Link, code, KorvexAtom(text), high);
}

void AskText(UINT code, const char *text, WORD high, char *answer, int size)
{
    KorvexTakeResult((ATOM)Ask(code, text, high), answer, size);
}

BOOL WriteMarker(const char *path, const char *marker)
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
void Opens(const char *path, char *text, int size)
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

void Join(char *out, int size, const char *folder, const char *name)
{
    snprintf(out, size, "%s\\%s", folder, name);
}

BOOL AtomAlive(ATOM atom)
{
    char name[256];
    return GlobalGetAtomNameA(atom, name, sizeof(name)) != 0;
}

void RemoveScratch(const char *folder)
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

HWND ProcessDialog(DWORD pid, DWORD ms)
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

// ---- the groups ------------------------------------------------------------------

// What runs, in order: the groups that need a bridge run while the one that
// CheckStart started is up; the others run alone.
static const struct {
    void (*check)(CheckRun *run);
    BOOL needsBridge;
    const char *cause;    // what a failure in the group most likely means
} Groups[] = {
    { CheckAtoms,            TRUE,  "korvex is not the build the host was written for" },
    { CheckPaths,            TRUE,  "the file system's short names (8.3 names switched off?)" },
    { CheckNames,            TRUE,  "names in other scripts on this file system" },
    { CheckDisk,             TRUE,  "the disk of the temporary folder" },
    { CheckFileOps,          TRUE,  "rights in the temporary folder, or a virus scanner holding files" },
    { CheckTimes,            TRUE,  "the time zone or the file system's file times" },
    { CheckSearchAndListing, TRUE,  "the file system's searches" },
    { CheckRegistry,         TRUE,  "rights in HKEY_CURRENT_USER" },
    { CheckPlatform,         TRUE,  "the Windows version" },
    { CheckTray,             TRUE,  "the notification area (the shell)" },
    { CheckJoystick,         TRUE,  "the joystick driver" },
    { CheckDialogs,          TRUE,  "the common dialogs library" },
    { CheckEnd,              TRUE,  "korvex could not end cleanly" },
    { CheckRefusals,         FALSE, "message boxes" },
    { CheckHostGone,         FALSE, "korvex's watch on its host" },
    { CheckLauncher,         FALSE, "starting programs (a policy or virus scanner?)" },
    { CheckTrace,            FALSE, "the trace file in the temporary folder" },
    { CheckFullScreen,       FALSE, "the display driver's full-screen modes (DirectDraw)" },
    { CheckWin16,            FALSE, "the 16-bit subsystem (NTVDM)" },
};

// The long form of a folder where the platform has it (not on Windows 95):
// a temporary folder given as C:\Users\JOHNSM~1\... is where korvex's long
// names come back long.
static void LongForm(char *path, int size)
{
    typedef DWORD (WINAPI *LongProc)(LPCSTR, LPSTR, DWORD);
    LongProc longName = (LongProc)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                          "GetLongPathNameA");
    char result[MAX_PATH];
    DWORD n;

    if (longName == NULL)
        return;
    n = longName(path, result, sizeof(result));
    if (n > 0 && n < sizeof(result) && (int)n < size)
        lstrcpyA(path, result);
}

// Whether our console is ours alone: started by a double-click, its window
// closes as we end, before anyone could read it.
static BOOL ConsoleOfOurOwn(void)
{
    typedef DWORD (WINAPI *ListProc)(LPDWORD, DWORD);
    ListProc list = (ListProc)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                      "GetConsoleProcessList");
    DWORD processes[4];

    return list != NULL && list(processes, 4) == 1;
}

int main(int argc, char **argv)
{
    char report[MAX_PATH] = "", temp[MAX_PATH];
    static CheckRun run;
    WNDCLASSA wc;

    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--dialogs") == 0)
            run.dialogs = TRUE;
        else if (strcmp(argv[i], "--fullscreen") == 0)
            run.fullscreen = TRUE;
        else if (strcmp(argv[i], "--report") == 0 && i + 1 < argc)
            lstrcpynA(report, argv[++i], sizeof(report));
        else if (strcmp(argv[i], "--probe") == 0 && i + 1 < argc)
            return RunProbe(argv[i + 1]);
        else if (strcmp(argv[i], "--version") == 0) {
            printf("korvex-check %s\n", KORVEX_VERSION_TEXT);
            return 0;
        } else {
            printf("usage: korvex-check [--dialogs] [--fullscreen] [--report FILE]\n");
            return 2;
        }
    }
    if (!KorvexProgramPath("korvex.exe", run.korvex, sizeof(run.korvex))
        || !KorvexProgramPath("qivddraw.exe", run.qivddraw, sizeof(run.qivddraw))
        || !KorvexProgramPath("player16.exe", run.player, sizeof(run.player))
        || !KorvexProgramPath("korvex-check.exe", run.self, sizeof(run.self))) {
        printf("korvex-check: the folder of this program is too deep\n");
        return 2;
    }
    GetTempPathA(sizeof(temp), temp);
    if (report[0] == '\0')
        snprintf(report, sizeof(report), "%skorvex-check.txt", temp);
    LongForm(temp, sizeof(temp));
    for (unsigned n = 0; n < 100; n++) {
        snprintf(Scratch, sizeof(Scratch), "%s%skorvex-check-%lu-%u", temp,
                 temp[0] != '\0' && temp[strlen(temp) - 1] == '\\' ? "" : "\\",
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
    Say("korvex-check %s: %s", KORVEX_VERSION_TEXT, run.korvex);
    lstrcpynA(run.win16, "not known", sizeof(run.win16));

    BOOL up = CheckStart(&run);
    for (size_t i = 0; i < sizeof(Groups) / sizeof(Groups[0]); i++) {
        if (Groups[i].needsBridge && !up)
            continue;
        SetLikelyCause(Groups[i].cause);
        Groups[i].check(&run);
    }

    RemoveOwnKey();
    RemoveScratch(Scratch);
    Say("%d passed, %d failed, %d skipped", Passed, Failed, Skipped);
    WriteReport(report, &run);
    printf("report: %s\n", report);
    SayWhatToDo(report);
    DestroyWindow(HostWindow);
    if (ConsoleOfOurOwn()) {
        printf("\nPress Enter to close this window.\n");
        fflush(stdout);
        getchar();
    }
    return Failed;
}
