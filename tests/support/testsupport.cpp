// testsupport.cpp - shared helpers of the Wine-run tests.
#include "testsupport.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <gtest/gtest.h>

DWORD Slow(DWORD ms)
{
    static int factor;

    if (factor == 0) {
        char text[16];
        DWORD n = GetEnvironmentVariableA("KORVEX_SLOW", text, sizeof(text));
        factor = n > 0 && n < sizeof(text) ? atoi(text) : 1;
        if (factor < 1 || factor > 50)
            factor = 1;
    }
    return ms > MAXDWORD / factor ? MAXDWORD : ms * factor;
}

static std::vector<Seen> Log;
static bool Recording;
HCURSOR RecordingCursorAnswer;

static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Recording) {
        Seen s = { window, message, wParam, lParam, InSendMessage() == FALSE };
        Log.push_back(s);
    }
    if (message == WM_SETCURSOR && RecordingCursorAnswer != NULL)
        return (LRESULT)RecordingCursorAnswer;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow(const char *title)
{
    static bool registered;
    WNDCLASSA wc;

    if (!registered) {
        memset(&wc, 0, sizeof(wc));
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.lpszClassName = "KorvexTestHost";
        RegisterClassA(&wc);
        registered = true;
    }
    Recording = false;
    HWND window = CreateWindowExA(0, "KorvexTestHost", title, WS_OVERLAPPEDWINDOW,
                                  10, 10, 200, 150, NULL, NULL, GetModuleHandleA(NULL), NULL);
    Recording = true;
    return window;
}

std::vector<Seen> &Recorded() { return Log; }
void ClearRecorded() { Log.clear(); }

std::vector<Seen> RecordedOf(HWND window, UINT message)
{
    std::vector<Seen> out;
    for (size_t i = 0; i < Log.size(); i++)
        if (Log[i].hwnd == window && Log[i].message == message)
            out.push_back(Log[i]);
    return out;
}

bool WaitRecorded(HWND window, UINT message, DWORD ms, Seen *out)
{
    DWORD start = GetTickCount();
    size_t from = Log.size();

    ms = Slow(ms);
    for (;;) {
        for (size_t i = from; i < Log.size(); i++)
            if (Log[i].hwnd == window && Log[i].message == message) {
                if (out)
                    *out = Log[i];
                return true;
            }
        from = Log.size();
        if (GetTickCount() - start >= ms)
            return false;
        KorvexPump(20);
    }
}

std::string TestDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return ".";
    char *slash = strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    return path;
}

std::string BinPath(const char *program) { return TestDir() + "\\..\\bin\\" + program; }
std::string TestBinPath(const char *program) { return TestDir() + "\\" + program; }

HANDLE StartProgram(const std::string &commandLine, int show)
{
    return StartProgramAs("", commandLine, show);
}

HANDLE StartProgramAs(const std::string &program, const std::string &commandLine, int show)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;

    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (WORD)show;
    if (!CreateProcessA(program.empty() ? NULL : program.c_str(), &line[0], NULL, NULL, FALSE, 0,
                        NULL, NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}

int WaitProgram(HANDLE process, DWORD ms)
{
    DWORD start = GetTickCount(), code = (DWORD)-1;

    ms = Slow(ms);
    for (;;) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent >= ms ? 0 : ms - spent;
        DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        if (r != WAIT_OBJECT_0 + 1 || left == 0) {
            TerminateProcess(process, 255);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
            return -1;
        }
        KorvexPump(0);
    }
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return (int)code;
}

struct DialogSearch {
    const char *caption;
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    DialogSearch *search = (DialogSearch *)lParam;
    char cls[64], text[256];
    DWORD pid = 0;

    if (!IsWindowVisible(window) || !GetClassNameA(window, cls, sizeof(cls)) || strcmp(cls, "#32770"))
        return TRUE;
    GetWindowThreadProcessId(window, &pid);
    if (search->pid != 0 && pid != search->pid)
        return TRUE;
    text[0] = '\0';
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_NORMAL, 2000, NULL);
    if (search->caption != NULL && strcmp(text, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDialog(const char *caption, DWORD pid, DWORD ms)
{
    DWORD start = GetTickCount();
    DialogSearch search = { caption, pid, NULL };

    ms = Slow(ms);
    for (;;) {
        EnumWindows(MatchDialog, (LPARAM)&search);
        if (search.found != NULL || GetTickCount() - start >= ms)
            return search.found;
        KorvexPump(50);
    }
}

std::string ControlText(HWND control)
{
    char text[1024];
    DWORD_PTR n = 0;

    text[0] = '\0';
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_NORMAL, 2000, &n))
        return "";
    text[sizeof(text) - 1] = '\0';
    return text;
}

std::string MakeTempTree(const char *prefix)
{
    char base[MAX_PATH], path[MAX_PATH];
    static unsigned serial;

    GetTempPathA(sizeof(base), base);
    for (;;) {
        snprintf(path, sizeof(path), "%s%s%lu_%u", base, prefix,
                 (unsigned long)GetCurrentProcessId(), serial++);
        if (CreateDirectoryA(path, NULL))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return "";
    }
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);

    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                continue;
            std::string child = path + "\\" + data.cFileName;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

bool WriteFileOfSize(const std::string &path, DWORD size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Setting the end makes a large file at once (sparse on the host's disk).
    bool ok = SetFilePointer(file, (LONG)size, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER
              && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool AtomAlive(ATOM atom)
{
    char name[256];
    return GlobalGetAtomNameA(atom, name, sizeof(name)) != 0;
}

std::string ShortPath(const std::string &path)
{
    char buffer[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof(buffer));
    return n > 0 && n < sizeof(buffer) ? buffer : "";
}

HWND DialogNameBox(HWND dialog)
{
    HWND box = GetDlgItem(dialog, 1148);
    for (int depth = 0; box != NULL && depth < 3; depth++) {
        char cls[32] = "";
        GetClassNameA(box, cls, sizeof(cls));
        if (lstrcmpiA(cls, "Edit") == 0)
            return box;
        HWND inner = FindWindowExA(box, NULL, "ComboBox", NULL);
        box = inner != NULL ? inner : FindWindowExA(box, NULL, "Edit", NULL);
    }
    return GetDlgItem(dialog, 1152);
}

std::vector<std::string> AtomNames()
{
    std::vector<std::string> names;
    char name[256];

    // String atoms live from 0xC000 up.
    for (UINT atom = 0xC000; atom <= 0xFFFF; atom++)
        if (GlobalGetAtomNameA((ATOM)atom, name, sizeof(name)) != 0)
            names.push_back(name);
    return names;
}

std::vector<std::string> NewAtoms(const std::vector<std::string> &before)
{
    std::vector<std::string> now = AtomNames(), added;

    for (const std::string &name : now) {
        bool old = false;
        for (const std::string &b : before)
            if (lstrcmpiA(b.c_str(), name.c_str()) == 0)
                old = true;
        if (!old)
            added.push_back(name);
    }
    return added;
}

bool StartBridge(Bridge *bridge, const char *title)
{
    return StartBridgeFrom(bridge, title, BinPath("korvex.exe").c_str());
}

static bool Connect(Bridge *bridge)
{
    if (!KorvexStart(&bridge->link, bridge->host, bridge->exe.c_str(), SW_HIDE, Slow(20000)))
        return false;
    bridge->link.timeout = Slow(30000);
    return true;
}

bool StartBridgeFrom(Bridge *bridge, const char *title, const char *exe)
{
    bridge->exe = exe;
    bridge->host = CreateRecordingWindow(title);
    return bridge->host != NULL && Connect(bridge);
}

void EndBridge(Bridge *bridge)
{
    if (bridge->link.process != NULL)
        KorvexEnd(&bridge->link, Slow(10000), NULL);
    if (bridge->host != NULL)
        DestroyWindow(bridge->host);
    bridge->host = NULL;
}

std::string ResultText(LRESULT atom)
{
    char text[256];

    if (LOWORD(atom) == 0)
        return "<0>";
    KorvexTakeResult((ATOM)atom, text, sizeof(text));
    return text;
}

LRESULT Ask(Bridge *bridge, UINT code, const std::string &text, WORD high)
{
    LRESULT result;

    bridge->link.timedOut = FALSE;
    result = KorvexRequest(&bridge->link, code, KorvexAtom(text.c_str()), high);
    if (bridge->link.timedOut) {
        // Its late answers (list box lines, atoms) must reach no later test:
        // that bridge goes, and a fresh one serves the rest of the group.
        ADD_FAILURE() << "request " << code << " (\"" << text << "\") got no answer within "
                      << bridge->link.timeout << " ms; the bridge is ended and started afresh";
        KorvexKill(&bridge->link);
        if (!Connect(bridge))
            ADD_FAILURE() << "the fresh bridge did not start";
        bridge->link.timedOut = TRUE;
        return 0;
    }
    return result;
}

std::string AskText(Bridge *bridge, UINT code, const std::string &text, WORD high)
{
    return ResultText(Ask(bridge, code, text, high));
}

std::vector<std::string> FillList(Bridge *bridge, HWND list, const std::string &text,
                                  LRESULT *result)
{
    std::vector<std::string> lines;

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    *result = Ask(bridge, KXR_FILL_LIST, text, Word(list));
    // Lines of a request that never answered are no answer.
    if (bridge->link.timedOut)
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char line[600];
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof(line)) {
            SendMessageA(list, LB_GETTEXT, i, (LPARAM)line);
            lines.push_back(line);
        }
    }
    return lines;
}

static DWORD WINAPI HungThread(void *parameter)
{
    HungWindow *hung = (HungWindow *)parameter;
    MSG msg;

    hung->window = CreateWindowExA(0, hung->cls, "hung", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   NULL, NULL, GetModuleHandleA(NULL), NULL);
    // Whatever is queued now goes; from here on the thread answers nothing.
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    SetEvent(hung->made);
    WaitForSingleObject(hung->release, INFINITE);
    DestroyWindow(hung->window);
    return 0;
}

bool StartHungWindow(HungWindow *hung, const char *cls)
{
    hung->cls = cls;
    hung->window = NULL;
    hung->release = CreateEventA(NULL, TRUE, FALSE, NULL);
    hung->made = CreateEventA(NULL, TRUE, FALSE, NULL);
    hung->thread = CreateThread(NULL, 0, HungThread, hung, 0, NULL);
    return hung->thread != NULL && WaitForSingleObject(hung->made, Slow(5000)) == WAIT_OBJECT_0
           && hung->window != NULL;
}

void EndHungWindow(HungWindow *hung)
{
    SetEvent(hung->release);
    if (hung->thread != NULL && WaitForSingleObject(hung->thread, Slow(10000)) != WAIT_OBJECT_0)
        TerminateThread(hung->thread, 1);
    CloseHandle(hung->thread);
    CloseHandle(hung->release);
    CloseHandle(hung->made);
    hung->thread = NULL;
}

std::string FileText(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    std::string text;
    char buffer[4096];
    size_t n;

    if (f == NULL)
        return "<nothing>";
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return text;
}
