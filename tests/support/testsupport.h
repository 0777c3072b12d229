// testsupport.h - what the Wine-run tests share: a recording host window,
// finding and closing dialogs, sentinel buffers, temporary trees, programs.
#ifndef KORVEX_TESTSUPPORT_H
#define KORVEX_TESTSUPPORT_H

#include <windows.h>
#include <string>
#include <vector>
#include "korvexclient.h"

// A bound that stands for "it hangs", in ms, scaled by how much slower than a
// native one this machine is (KORVEX_SLOW, given by the runner: the virtual
// machine emulates every instruction).  The waits below scale their own.
DWORD Slow(DWORD ms);

// One message as a recording window procedure saw it.
struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;     // from the queue, not sent
};

// A top-level window whose procedure records every message (sent or posted)
// outside the ones a window gets for itself while it is created or shown.
HWND CreateRecordingWindow(const char *title);
// What recording windows answer to WM_SETCURSOR (NULL: the default answer).
extern HCURSOR RecordingCursorAnswer;
std::vector<Seen> &Recorded();
void ClearRecorded();
// Messages of one number that arrived at window, in order.
std::vector<Seen> RecordedOf(HWND window, UINT message);

// Pumps until a message number arrives at window (posted or sent), up to ms.
bool WaitRecorded(HWND window, UINT message, DWORD ms, Seen *out);

// A window of another thread that stops answering: its thread makes it and
// then waits without pumping, as a hung program's does, until EndHungWindow.
struct HungWindow {
    HWND window;
    HANDLE thread, release, made;
    const char *cls;
};
bool StartHungWindow(HungWindow *hung, const char *cls);
void EndHungWindow(HungWindow *hung);

// The folder of the running test program, and paths of programs of the build.
std::string TestDir();
std::string BinPath(const char *program);   // build\bin\program
std::string TestBinPath(const char *program); // build\tests\program

// Starts a program; show is the starter's show state.  NULL on failure.
HANDLE StartProgram(const std::string &commandLine, int show = SW_SHOWNORMAL);
// The same with the program named apart, so the command line may take any form.
HANDLE StartProgramAs(const std::string &program, const std::string &commandLine, int show);
// Waits up to ms for the process to end; kills it on timeout.  Returns the
// exit code, or -1 when it had to be killed.
int WaitProgram(HANDLE process, DWORD ms);

// A visible dialog window ("#32770") with this caption, of process pid when
// pid is not 0.  Pumps while it waits.
HWND FindDialog(const char *caption, DWORD pid, DWORD ms);
// The edit box a file dialog takes the name in: Explorer style, the edit
// inside its name box (an extended combo box holding a combo box); old style
// and our template, edt1.
HWND DialogNameBox(HWND dialog);
// Text of a control of another process (WM_GETTEXT works across processes).
std::string ControlText(HWND control);

// A fresh folder under the temporary folder; RemoveTree removes it whole.
std::string MakeTempTree(const char *prefix);
void RemoveTree(const std::string &path);
bool WriteFileOfSize(const std::string &path, DWORD size);
bool FileExists(const std::string &path);
// A file's bytes as they stand; "<nothing>" when it cannot be read.
std::string FileText(const std::string &path);

// The 8.3 form of an existing path; "" when there is none.
std::string ShortPath(const std::string &path);

// Whether an atom is still in the global table.
bool AtomAlive(ATOM atom);
// The names of every string atom in the global table.
std::vector<std::string> AtomNames();
// The names that are in now but were not in before.
std::vector<std::string> NewAtoms(const std::vector<std::string> &before);

// A 16-bit window handle as the host passes it.
inline WORD Word(HWND window) { return LOWORD((UINT_PTR)window); }



// A bridge of a test group's own, with a recording host window.
struct Bridge {
    HWND host;
    KORVEXLINK link;
    std::string exe;
};
bool StartBridge(Bridge *bridge, const char *title);
bool StartBridgeFrom(Bridge *bridge, const char *title, const char *exe);
void EndBridge(Bridge *bridge);

// The text of a result atom, read and deleted; "<0>" for atom 0.
std::string ResultText(LRESULT atom);
// Sends code with text as the low word's atom and high as the high word.  A
// request that gets no answer within the bound fails the test, and the bridge
// is ended and started afresh, so its late answers reach no later test.
LRESULT Ask(Bridge *bridge, UINT code, const std::string &text, WORD high = 0);
std::string AskText(Bridge *bridge, UINT code, const std::string &text, WORD high = 0);
// Empties list, has the bridge fill it (request 32 with text) and reads its lines.
std::vector<std::string> FillList(Bridge *bridge, HWND list, const std::string &text,
                                  LRESULT *result);
#endif
