// benchpeer - the plain second process the benchmark measures korvex against.
//   benchpeer window HOST          a window that answers 0 to everything; its
//                                   handle goes to HOST as WM_APP
//   benchpeer list LISTBOX DIR     FindFirstFile/FindNextFile over DIR\*.*, one
//                                   LB_ADDSTRING per entry, then exit
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LRESULT CALLBACK Trivial(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER)
        return 0;
    if (m == WM_CLOSE) {
        DestroyWindow(w);
        return 0;
    }
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "window") == 0) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Trivial;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "BenchPeer";
        RegisterClassA(&wc);
        HWND w = CreateWindowExA(0, "BenchPeer", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, wc.hInstance, NULL);
        PostMessageA((HWND)(UINT_PTR)strtoul(argv[2], NULL, 10), WM_APP, 0, (LPARAM)w);
        MSG msg;
        while (GetMessageA(&msg, NULL, 0, 0) > 0)
            DispatchMessageA(&msg);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "list") == 0) {
        HWND list = (HWND)(UINT_PTR)strtoul(argv[2], NULL, 10);
        char pattern[MAX_PATH], line[512];
        snprintf(pattern, sizeof(pattern), "%s\\*.*", argv[3]);
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA(pattern, &d);
        if (h == INVALID_HANDLE_VALUE)
            return 1;
        do {
            snprintf(line, sizeof(line), "0e3%08lx0000000000000000%s", (unsigned long)d.nFileSizeLow, d.cFileName);
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
        } while (FindNextFileA(h, &d));
        FindClose(h);
        return 0;
    }
    return 2;
}
