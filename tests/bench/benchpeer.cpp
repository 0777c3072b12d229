// benchpeer - the plain second process the benchmark measures korvex against.
//   benchpeer window HOST          a window that answers 0 to everything; its
//                                   handle goes to HOST as WM_APP
//   benchpeer list LISTBOX DIR     FindFirstFile/FindNextFile over DIR\*.*, one
//                                   LB_ADDSTRING per entry, then exit
//   benchpeer announce HOST        what korvex's start needs and no more: a
//                                   class, a window, the ready notice to HOST;
//                                   request 6 ends it
//   benchpeer fullscreen HOST      what qivddraw's start needs: an owner,
//                                   DirectDraw's exclusive mode at 640x480x32,
//                                   the primary surface, a full-screen window
//                                   posted to HOST as WM_APP+1; WM_CLOSE ends it
#include <windows.h>
#include <ddraw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LRESULT CALLBACK Trivial(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER && wp == 6) {
        PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    }
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

// The one class of every mode, registered as korvex registers its own.
static void RegisterPeerClass(void)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Trivial;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = "BenchPeer";
    RegisterClassA(&wc);
}

static HWND PeerWindow(DWORD exStyle, DWORD style, int width, int height, HWND owner)
{
    return CreateWindowExA(exStyle, "BenchPeer", "peer", style, 0, 0, width, height, owner, NULL,
                           GetModuleHandleA(NULL), NULL);
}

static void MessageLoop(void)
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
}

int main(int argc, char **argv)
{
    if (argc >= 3)
        RegisterPeerClass();
    if (argc == 3 && strcmp(argv[1], "window") == 0) {
        HWND w = PeerWindow(0, WS_POPUP, 1, 1, NULL);
        PostMessageA((HWND)(UINT_PTR)strtoul(argv[2], NULL, 10), WM_APP, 0, (LPARAM)w);
        MessageLoop();
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "announce") == 0) {
        HWND host = (HWND)(UINT_PTR)strtoul(argv[2], NULL, 10);
        if (!IsWindow(host))
            return 1;
        HWND w = PeerWindow(0, WS_OVERLAPPED | WS_CAPTION, 320, 200, NULL);
        PostMessageA(host, WM_USER, 1, MAKELPARAM(LOWORD((UINT_PTR)w), 2));
        MessageLoop();
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "fullscreen") == 0) {
        HWND host = (HWND)(UINT_PTR)strtoul(argv[2], NULL, 10);
        HWND owner = PeerWindow(0, WS_POPUP, 1, 1, NULL);
        ShowWindow(owner, SW_SHOWMINIMIZED);
        IDirectDraw *dd = NULL;
        IDirectDrawSurface *primary = NULL;
        DDSURFACEDESC d = {};
        d.dwSize = sizeof(d);
        d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        d.dwBackBufferCount = 1;
        if (DirectDrawCreate(NULL, &dd, NULL) != DD_OK
            || dd->SetCooperativeLevel(owner, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK
            || dd->SetDisplayMode(640, 480, 32) != DD_OK
            || dd->CreateSurface(&d, &primary, NULL) != DD_OK)
            return 1;
        HWND w = PeerWindow(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, 640, 480, owner);
        PostMessageA(host, WM_APP + 1, 118, (LPARAM)w);
        MessageLoop();
        primary->Release();
        dd->Release();
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
