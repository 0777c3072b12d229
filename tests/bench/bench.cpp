// korvex-bench - what the bridge adds to the work it does for the host.
// Side by side, medians of several runs:
//   1. request 0 against a bare cross-process SendMessage to a trivial window
//   2. request 2 on a 12-level path against the same expansion done here
//   3. request 32 on a 2001-entry folder against a plain second process that
//      enumerates it and sends the same number of lines to the same list box
//   4. start-up, CreateProcess to the ready notice, against a trivial window
//      program that announces itself the same way (alternated)
//   5. qivddraw's start-up, CreateProcess to the posted 118, against a trivial
//      program that takes DirectDraw's exclusive mode the same way
// Run on demand: build/wine-run.sh build/tests/korvex-bench.exe
// "korvex-bench startup N [peer]" measures only 4, with N pairs, the trivial
// program first with "peer" (tools/bench.sh runs it in fresh Wine sessions,
// alternating which one starts first).
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include <algorithm>
#include <string>
#include <vector>
#include "testsupport.h"

static double Now()
{
    static LARGE_INTEGER frequency;
    LARGE_INTEGER t;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

static void Report(const char *what, double bridge, double plain, const char *unit, double scale)
{
    printf("%-44s %10.1f %s %10.1f %s   ratio %.2f\n", what, bridge * scale, unit, plain * scale,
           unit, bridge / plain);
}

// The expansion of request 2, done in this process: one search per level.
static std::string ExpandHere(const std::string &path)
{
    size_t last = path.rfind('\\');
    if (last == std::string::npos)
        return path;
    std::string prefix = ExpandHere(path.substr(0, last));
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA(path.c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    FindClose(h);
    return prefix + "\\" + d.cFileName;
}

// CreateProcess to the first notice at host (WM_USER wParam 1, or message
// with wParam 118); the started program is ended again.  -1 on failure.
static double TimeStart(HWND host, const std::string &command, UINT message)
{
    ClearRecorded();
    double t0 = Now();
    HANDLE process = StartProgram(command, SW_HIDE);
    Seen seen;
    bool ready = process != NULL && WaitRecorded(host, message, 30000, &seen);
    double t1 = Now();
    if (process == NULL)
        return -1;
    // Each ends the way it is told to: request 6, WM_CLOSE, the leave command.
    if (ready && message == WM_USER)
        SendMessageA((HWND)(UINT_PTR)LOWORD(seen.lParam), WM_USER, KXR_QUIT, 0);
    else if (ready && message == WM_APP + 1)
        PostMessageA((HWND)seen.lParam, WM_CLOSE, 0, 0);
    else if (ready)
        PostMessageA((HWND)seen.lParam, WM_COMMAND, QIV_CMD_LEAVE, 0);
    WaitProgram(process, 15000);
    KorvexPump(50);
    return ready ? t1 - t0 : -1;
}

static std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

// Start-up of korvex against the trivial announcer, pairs alternated.
static bool StartUp(HWND host, int pairs, bool peerFirst, double *korvex, double *peer)
{
    char number[16];
    snprintf(number, sizeof(number), " %lu", (unsigned long)(UINT_PTR)host);
    std::string k = Quoted(BinPath("korvex.exe")) + number;
    std::string p = Quoted(TestBinPath("benchpeer.exe")) + " announce" + number;
    std::vector<double> a, b;
    for (int i = 0; i < pairs; i++) {
        double x, y;
        if ((i % 2 == 0) != peerFirst) {
            x = TimeStart(host, k, WM_USER);
            y = TimeStart(host, p, WM_USER);
        } else {
            y = TimeStart(host, p, WM_USER);
            x = TimeStart(host, k, WM_USER);
        }
        if (x < 0 || y < 0)
            return false;
        a.push_back(x);
        b.push_back(y);
    }
    *korvex = Median(a);
    *peer = Median(b);
    return true;
}

int main(int argc, char **argv)
{
    Bridge bridge;
    const int runs = 9;

    if ((argc == 3 || argc == 4) && strcmp(argv[1], "startup") == 0) {
        HWND host = CreateRecordingWindow("startup host");
        double k, p;
        bool peerFirst = argc == 4 && strcmp(argv[3], "peer") == 0;
        if (!StartUp(host, atoi(argv[2]), peerFirst, &k, &p)) {
            printf("start-up: a program did not announce itself\n");
            return 1;
        }
        printf("startup korvex %.1f peer %.1f ms\n", k * 1e3, p * 1e3);
        return 0;
    }

    if (!StartBridge(&bridge, "bench host")) {
        printf("korvex did not start\n");
        return 1;
    }
    printf("%-44s %13s %13s\n", "", "korvex", "in-process");

    // 1. Round trip of a request that does nothing.
    {
        char command[64];
        snprintf(command, sizeof(command), " window %lu", (unsigned long)(UINT_PTR)bridge.host);
        HANDLE peer = StartProgram("\"" + TestBinPath("benchpeer.exe") + "\"" + command, SW_HIDE);
        Seen seen;
        if (peer == NULL || !WaitRecorded(bridge.host, WM_APP, 15000, &seen)) {
            printf("benchpeer did not start\n");
            return 1;
        }
        HWND trivial = (HWND)seen.lParam;
        const int calls = 2000;
        std::vector<double> a, b;
        for (int r = 0; r < runs; r++) {
            double t0 = Now();
            for (int i = 0; i < calls; i++)
                SendMessageA(bridge.link.request, WM_USER, 0, 0);
            double t1 = Now();
            for (int i = 0; i < calls; i++)
                SendMessageA(trivial, WM_USER, 0, 0);
            double t2 = Now();
            a.push_back((t1 - t0) / calls);
            b.push_back((t2 - t1) / calls);
        }
        Report("request 0 round trip / bare SendMessage", Median(a), Median(b), "us", 1e6);
        PostMessageA(trivial, WM_CLOSE, 0, 0);
        WaitProgram(peer, 5000);
    }

    // 1b. The same round trip with the trace on, every request a line of the file.
    {
        std::string traces = MakeTempTree("kxbenchtrace");
        std::string file = traces + "\\trace.txt";
        SetEnvironmentVariableA("KORVEX_TRACE", file.c_str());
        Bridge traced;
        bool up = StartBridge(&traced, "traced bench host");
        SetEnvironmentVariableA("KORVEX_TRACE", NULL);
        if (!up) {
            printf("a traced korvex did not start\n");
            return 1;
        }
        const int calls = 2000;
        std::vector<double> a, b;
        for (int r = 0; r < runs; r++) {
            double t0 = Now();
            for (int i = 0; i < calls; i++)
                SendMessageA(traced.link.request, WM_USER, 0, 0);
            double t1 = Now();
            for (int i = 0; i < calls; i++)
                SendMessageA(bridge.link.request, WM_USER, 0, 0);
            double t2 = Now();
            a.push_back((t1 - t0) / calls);
            b.push_back((t2 - t1) / calls);
        }
        Report("request 0 round trip, trace on / off", Median(a), Median(b), "us", 1e6);
        EndBridge(&traced);
        RemoveTree(traces);
    }

    std::string tree = MakeTempTree("kxbench");

    // 2. Twelve levels of long names, asked for in their short form.
    {
        std::string path = tree;
        for (int i = 0; i < 12; i++) {
            char name[32];
            snprintf(name, sizeof(name), "\\Level %02d Long Name", i);
            path += name;
            CreateDirectoryA(path.c_str(), NULL);
        }
        char shortPath[MAX_PATH] = "";
        GetShortPathNameA(path.c_str(), shortPath, sizeof(shortPath));
        const int calls = 50;
        std::vector<double> a, b;
        for (int r = 0; r < runs; r++) {
            double t0 = Now();
            for (int i = 0; i < calls; i++)
                ResultText(Ask(&bridge, 2, shortPath));
            double t1 = Now();
            for (int i = 0; i < calls; i++)
                ExpandHere(shortPath);
            double t2 = Now();
            a.push_back((t1 - t0) / calls);
            b.push_back((t2 - t1) / calls);
        }
        Report("request 2, 12 levels / expansion here", Median(a), Median(b), "us", 1e6);
    }

    // 3. A 2001-entry folder into a list box of ours.
    {
        std::string dir = tree + "\\many";
        CreateDirectoryA(dir.c_str(), NULL);
        for (int i = 0; i < 1999; i++) {       // with "." and "..": 2001 entries
            char name[32];
            snprintf(name, sizeof(name), "\\file%04d.txt", i);
            WriteFileOfSize(dir + name, 10);
        }
        HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 10, 10, bridge.host, NULL,
                                    GetModuleHandleA(NULL), NULL);
        char command[64];
        snprintf(command, sizeof(command), " list %lu ", (unsigned long)(UINT_PTR)list);
        std::vector<double> a, b;
        for (int r = 0; r < 5; r++) {
            SendMessageA(list, LB_RESETCONTENT, 0, 0);
            double t0 = Now();
            Ask(&bridge, 32, "6" + dir, Word(list));
            double t1 = Now();
            int lines = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
            SendMessageA(list, LB_RESETCONTENT, 0, 0);
            HANDLE peer = StartProgram("\"" + TestBinPath("benchpeer.exe") + "\"" + command + dir, SW_HIDE);
            double t2 = Now();
            WaitProgram(peer, 60000);
            double t3 = Now();
            (void)t2;
            a.push_back(t1 - t0);
            b.push_back(t3 - t2);
            if (r == 0)
                printf("(request 32 added %d lines, the second process %d)\n", lines,
                       (int)SendMessageA(list, LB_GETCOUNT, 0, 0));
        }
        Report("request 32, 2001 lines / second process", Median(a), Median(b), "ms", 1e3);
        printf("(the second process's time includes its own start-up)\n");
    }

    // 3b. A 14/15 walk over 5,000 names the code page cannot spell (each goes
    // out by its short name, which must be alone in the folder) against the
    // same walk over 5,000 plain names.  The goal: within 2x.
    {
        const int files = 5000;
        std::string plain = tree + "\\plain", photos = tree + "\\photos";
        CreateDirectoryA(plain.c_str(), NULL);
        CreateDirectoryA(photos.c_str(), NULL);
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, photos.c_str(), -1, wide, MAX_PATH);
        for (int i = 0; i < files; i++) {
            char name[32];
            WCHAR photo[MAX_PATH];
            snprintf(name, sizeof(name), "\\IMG_%04d.jpg", i);
            WriteFileOfSize(plain + name, 1);
            _snwprintf(photo, MAX_PATH, L"%ls\\\x424\x43e\x442\x43e_%04d.jpg", wide, i);
            HANDLE f = CreateFileW(photo, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (f != INVALID_HANDLE_VALUE)
                CloseHandle(f);
        }
        std::vector<double> a, b;
        int named[2] = { 0, 0 };
        for (int r = 0; r < 3; r++)
            for (int which = 0; which < 2; which++) {
                std::string dir = which == 0 ? photos : plain;
                double t0 = Now();
                int n = 0;
                for (LRESULT got = Ask(&bridge, KXR_FIND_FIRST, dir + "\\*", 0x37); got != 0;
                     got = KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, 0x37)) {
                    GlobalDeleteAtom((ATOM)got);
                    n++;
                }
                KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0);
                (which == 0 ? a : b).push_back(Now() - t0);
                named[which] = n;
            }
        printf("(the walks named %d and %d entries)\n", named[0], named[1]);
        Report("14/15 walk, 5000 names in another script / plain", Median(a), Median(b), "ms", 1e3);
        printf("(goal: ratio within 2.00)\n");
    }

    RemoveTree(tree);

    // 4. Start-up, warm: Wine's services are up and the files are cached.
    {
        double k, p;
        if (StartUp(bridge.host, 10, false, &k, &p))
            Report("start-up to the ready notice / trivial (warm)", k, p, "ms", 1e3);
        else
            printf("start-up: a program did not announce itself\n");
    }

    // 5. qivddraw's start-up to the posted 118.
    {
        UINT shown = RegisterWindowMessageA(QIV_MESSAGE_NAME);
        char number[16];
        snprintf(number, sizeof(number), " %lu", (unsigned long)(UINT_PTR)bridge.host);
        std::string q = Quoted(BinPath("qivddraw.exe")) + number + " 32 0 480 0";
        std::string p = Quoted(TestBinPath("benchpeer.exe")) + " fullscreen" + number;
        std::vector<double> a, b;
        for (int i = 0; i < 5; i++) {
            double x = TimeStart(bridge.host, q, shown);
            double y = TimeStart(bridge.host, p, WM_APP + 1);
            if (x < 0 || y < 0)
                break;
            a.push_back(x);
            b.push_back(y);
        }
        if (a.size() == 5)
            Report("qivddraw start-up to 118 / trivial DirectDraw", Median(a), Median(b), "ms", 1e3);
        else
            printf("qivddraw start-up: no full-screen mode here\n");
    }

    EndBridge(&bridge);
    return 0;
}
