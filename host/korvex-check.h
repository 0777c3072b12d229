// korvex-check.h - what the groups of korvex-check share: the run's state,
// the check lines and the helpers every group uses.
#ifndef KORVEX_CHECK_H
#define KORVEX_CHECK_H

#include <windows.h>
#include "korvexclient.h"
#include "host_rules.h"

// What one run knows: the programs beside us and what the user asked for.
struct CheckRun {
    char korvex[MAX_PATH], qivddraw[MAX_PATH], player[MAX_PATH], self[MAX_PATH];
    BOOL dialogs, fullscreen;
    char win16[32];        // whether 16-bit programs run here, for the report
    DWORD korvexPid;       // the bridge under test, while it runs
};

extern int Passed, Failed, Skipped;
extern char Scratch[MAX_PATH];     // our own folder under the temporary folder (long form)
extern HWND HostWindow, ListBox;
extern KORVEXLINK Link;

// The lines (korvex-check-report.cpp).  A failing line names the program,
// the request and the likely cause.
void Say(const char *format, ...);
void Skip(const char *name, const char *why);
BOOL Same(const char *name, const char *expected, const char *actual);
BOOL SameNumber(const char *name, unsigned long expected, unsigned long actual);
BOOL Holds(const char *name, BOOL holds, const char *expected, const char *actual);
// The cause a failing check of the group in hand most likely has.
void SetLikelyCause(const char *cause);
void WriteReport(const char *path, const CheckRun *run);
void SayWhatToDo(const char *report);

// Helpers (korvex-check.cpp).
LRESULT Ask(UINT code, const char *text, WORD high);
void AskText(UINT code, const char *text, WORD high, char *answer, int size);
BOOL WriteMarker(const char *path, const char *marker);
void Opens(const char *path, char *text, int size);
void Join(char *out, int size, const char *folder, const char *name);
BOOL AtomAlive(ATOM atom);
void RemoveScratch(const char *folder);
// A visible dialog of process pid, looked for up to ms; NULL when none came.
HWND ProcessDialog(DWORD pid, DWORD ms);

// The host window's record of relayed input and full-screen notices.
void SeeMessage(UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsSeenMessage(UINT message);

// The groups.  Start-up and its end (korvex-check-start.cpp):
BOOL CheckStart(CheckRun *run);
void CheckAtoms(CheckRun *run);
void CheckEnd(CheckRun *run);
void CheckRefusals(CheckRun *run);
void CheckHostGone(CheckRun *run);
void CheckLauncher(CheckRun *run);
void CheckTrace(CheckRun *run);
void CheckWin16(CheckRun *run);
// Names and files (korvex-check-files.cpp):
void CheckPaths(CheckRun *run);
void CheckNames(CheckRun *run);
void CheckDisk(CheckRun *run);
void CheckFileOps(CheckRun *run);
void CheckTimes(CheckRun *run);
void CheckSearchAndListing(CheckRun *run);
// The desktop (korvex-check-desktop.cpp):
void CheckRegistry(CheckRun *run);
void CheckPlatform(CheckRun *run);
void CheckTray(CheckRun *run);
void CheckJoystick(CheckRun *run);
void CheckDialogs(CheckRun *run);
void RemoveOwnKey(void);
// Full screen (korvex-check-fullscreen.cpp):
void CheckFullScreen(CheckRun *run);
// The launcher's probe: korvex-check --probe FILE writes its command line there.
int RunProbe(const char *file);

#endif
