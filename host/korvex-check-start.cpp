// korvex-check-start.cpp - start-up and end: the hand-shake, atoms, the
// refusal boxes, a host that goes, the launcher, the trace, a 16-bit host.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvex-check.h"

BOOL CheckStart(CheckRun *run)
{
    char cls[32] = "";

    SetLikelyCause("korvex.exe cannot start here (missing, blocked by a policy or a virus scanner)");
    if (!KorvexStart(&Link, HostWindow, run->korvex, SW_HIDE, 20000)) {
        Holds("start: the ready notice arrives", FALSE, "a ready notice within 20 s", "none");
        return FALSE;
    }
    Holds("start: the ready notice arrives", TRUE, "", "");
    GetClassNameA(Link.request, cls, sizeof(cls));
    Same("start: the request window is of class korvex", "korvex", cls);
    GetWindowThreadProcessId(Link.request, &run->korvexPid);
    return TRUE;
}

void CheckAtoms(CheckRun *)
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

void CheckEnd(CheckRun *)
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

void CheckRefusals(CheckRun *run)
{
    if (!run->dialogs) {
        Skip("refusal boxes", "shown only with --dialogs");
        return;
    }
    CheckRefusal(run->korvex, "korvex");
    CheckRefusal(run->qivddraw, "qivddraw");
}

// A host that goes away without request 6 (a crash): its thread ends with
// its windows, and korvex notices and ends.  (A thread that still has a
// window keeps korvex: a host may replace its window.)
struct LostHost {
    const char *korvex;
    KORVEXLINK link;
    BOOL up;
};

static DWORD WINAPI RunLostHost(void *parameter)
{
    LostHost *lost = (LostHost *)parameter;
    HWND host = CreateWindowA("STATIC", "korvex-check lost host", WS_POPUP, 0, 0, 10, 10, NULL,
                              NULL, NULL, NULL);

    lost->up = host != NULL && KorvexStart(&lost->link, host, lost->korvex, SW_HIDE, 20000);
    return 0;   // the window goes with the thread
}

void CheckHostGone(CheckRun *run)
{
    LostHost lost;
    HANDLE thread;

    memset(&lost, 0, sizeof(lost));
    lost.korvex = run->korvex;
    thread = CreateThread(NULL, 0, RunLostHost, &lost, 0, NULL);
    if (thread == NULL || WaitForSingleObject(thread, 30000) != WAIT_OBJECT_0 || !lost.up) {
        if (thread != NULL)
            CloseHandle(thread);
        Holds("host gone: a second korvex starts", FALSE, "a ready notice", "none");
        return;
    }
    CloseHandle(thread);
    DWORD r = WaitForSingleObject(lost.link.process, 15000);
    Holds("host gone: korvex ends when its host has gone", r == WAIT_OBJECT_0,
          "an end within 15 s", "still running");
    KorvexKill(&lost.link);
}

int RunProbe(const char *file)
{
    FILE *f = fopen(file, "wb");

    if (f == NULL)
        return 1;
    fputs(GetCommandLineA(), f);
    fclose(f);
    return 0;
}

// Launcher mode: korvex starts a command and hands on its last quoted path
// in a form that opens the same file.
void CheckLauncher(CheckRun *run)
{
    char document[MAX_PATH], record[MAX_PATH], command[1024], line[1024] = "", opened[64];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;

    Join(document, sizeof(document), Scratch, "Launched Document.txt");
    Join(record, sizeof(record), Scratch, "probe.txt");
    WriteMarker(document, "launched marker");
    snprintf(command, sizeof(command), "\"%s\" /s=\"%s\" --probe \"%s\" \"%s\"", run->korvex,
             run->self, record, document);
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        Holds("launcher: korvex starts in launcher mode", FALSE, "started", "not started");
        return;
    }
    DWORD ended = WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    Holds("launcher: korvex ends at once", ended == WAIT_OBJECT_0, "an end", "still running");
    DWORD start = GetTickCount();
    while (GetFileAttributesA(record) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 30000)
        Sleep(100);
    Sleep(200);
    FILE *f = fopen(record, "rb");
    if (f != NULL) {
        size_t n = fread(line, 1, sizeof(line) - 1, f);
        line[n] = '\0';
        fclose(f);
    }
    Holds("launcher: the command starts", f != NULL, "the probe's record", "none");
    if (f == NULL)
        return;
    // The handed-on path is what follows the record's name.
    const char *handed = strstr(line, record);
    handed = handed != NULL ? handed + strlen(record) : "";
    while (*handed == ' ' || *handed == '"')
        handed++;
    char path[MAX_PATH];
    lstrcpynA(path, handed, sizeof(path));
    for (size_t n = strlen(path); n > 0 && (path[n - 1] == '"' || path[n - 1] == ' '); n--)
        path[n - 1] = '\0';
    Opens(path, opened, sizeof(opened));
    Same("launcher: the path handed on opens the document", "launched marker", opened);
}

// The trace: a session with KORVEX_TRACE set writes request lines; one
// without writes nothing.
void CheckTrace(CheckRun *run)
{
    char trace[MAX_PATH], line[512];
    KORVEXLINK link;
    int requests = 0;

    Join(trace, sizeof(trace), Scratch, "trace.txt");
    SetEnvironmentVariableA("KORVEX_TRACE", trace);
    BOOL up = KorvexStart(&link, HostWindow, run->korvex, SW_HIDE, 20000);
    SetEnvironmentVariableA("KORVEX_TRACE", NULL);
    if (!up) {
        Holds("trace: a traced korvex starts", FALSE, "a ready notice", "none");
        return;
    }
    KorvexRequest(&link, KXR_IS_NT, 0, 0);
    KorvexEnd(&link, 10000, NULL);
    FILE *f = fopen(trace, "rb");
    while (f != NULL && fgets(line, sizeof(line), f) != NULL)
        requests += strstr(line, " request 27 ") != NULL;
    if (f != NULL)
        fclose(f);
    SameNumber("trace: KORVEX_TRACE gives a line a request", 1, (unsigned long)requests);
    DeleteFileA(trace);
    up = KorvexStart(&link, HostWindow, run->korvex, SW_HIDE, 20000);
    if (up) {
        KorvexRequest(&link, KXR_IS_NT, 0, 0);
        KorvexEnd(&link, 10000, NULL);
    }
    Holds("trace: without KORVEX_TRACE nothing is written",
          GetFileAttributesA(trace) == INVALID_FILE_ATTRIBUTES, "no file", "a trace file");
}

void CheckWin16(CheckRun *run)
{
    const char *player = run->player, *korvex = run->korvex;
    char *support = run->win16;
    int size = (int)sizeof(run->win16);
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

