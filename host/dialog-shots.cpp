// dialog-shots - pictures of korvex's file dialogs for the README.
//   dialog-shots FOLDER    writes FOLDER\open-dialog.bmp and FOLDER\select-directory.bmp
// Each dialog is opened through korvex as a host would, captured from the
// screen once it has drawn itself, and cancelled.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "korvexclient.h"

struct Shot {
    DWORD pid;
    const char *file;
    BOOL saved;
};

static BOOL CALLBACK FindFileDialog(HWND window, LPARAM lParam)
{
    HWND *found = (HWND *)lParam;
    char cls[16];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == (DWORD)found[1] && IsWindowVisible(window) && GetClassNameA(window, cls, sizeof(cls))
        && strcmp(cls, "#32770") == 0) {
        found[0] = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL SaveBitmap(const char *path, HDC source, RECT r)
{
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(source, (BITMAPINFO *)&header, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u, size = stride * (DWORD)height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + size;
    FILE *f = fopen(path, "wb");
    BOOL ok = f != NULL;
    if (ok) {
        fwrite(&file, sizeof(file), 1, f);
        fwrite(&header, sizeof(header), 1, f);
        fwrite(bits, 1, size, f);
        fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return ok;
}

static DWORD WINAPI Capture(void *parameter)
{
    Shot *shot = (Shot *)parameter;
    HWND found[2] = { NULL, (HWND)(UINT_PTR)shot->pid };
    for (int i = 0; i < 150 && found[0] == NULL; i++) {
        Sleep(100);
        EnumWindows(FindFileDialog, (LPARAM)found);
    }
    if (found[0] == NULL)
        return 0;
    Sleep(1000);      // let it draw its lists
    RECT r;
    GetWindowRect(found[0], &r);
    HDC screen = GetDC(NULL);
    shot->saved = SaveBitmap(shot->file, screen, r);
    ReleaseDC(NULL, screen);
    PostMessageA(found[0], WM_COMMAND, IDCANCEL, 0);
    return 0;
}

static LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}

static BOOL Take(KORVEXLINK *link, HWND host, const char *file, const char *name,
                 const char *dir, const char *title, const char *filter)
{
    Shot shot = { GetProcessId(link->process), file, FALSE };
    char text[128];
    MSG msg;
    HANDLE thread = CreateThread(NULL, 0, Capture, &shot, 0, NULL);
    snprintf(text, sizeof(text), "0 %u 1 %u %u %u 0 0", KorvexAtom(filter), KorvexAtom(name),
             KorvexAtom(dir), KorvexAtom(title));
    KorvexRequest(link, KXR_OPEN_DIALOG, KorvexAtom(text), LOWORD((UINT_PTR)host));
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    if (KorvexWaitPosted(host, WM_USER, KXR_OPEN_DIALOG, FALSE, 5000, &msg)) {
        char reply[64];
        unsigned a[6] = {};
        KorvexTakeResult(LOWORD(msg.lParam), reply, sizeof(reply));
        sscanf(reply, "%u %u %u %u %u %u", &a[0], &a[1], &a[2], &a[3], &a[4], &a[5]);
        KorvexTakeResult((ATOM)a[1], reply, sizeof(reply));
        KorvexTakeResult((ATOM)a[2], reply, sizeof(reply));
    }
    printf("%s %s\n", file, shot.saved ? "written" : "NOT written");
    return shot.saved;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: dialog-shots FOLDER\n");
        return 2;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "DialogShots";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, "DialogShots", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, NULL,
                                NULL, wc.hInstance, NULL);
    KORVEXLINK link;
    if (!KorvexStart(&link, host, NULL, SW_HIDE, 20000)) {
        fprintf(stderr, "korvex did not start\n");
        return 1;
    }
    char windows[MAX_PATH], open[MAX_PATH], select[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    snprintf(open, sizeof(open), "%s\\open-dialog.bmp", argv[1]);
    snprintf(select, sizeof(select), "%s\\select-directory.bmp", argv[1]);
    BOOL ok = Take(&link, host, open, NULL, windows, "Open a Document", "Text files#*.txt#All files#*.*#");
    ok &= Take(&link, host, select, KX_SELECT_DIR_NAME, windows, "Select Directory", NULL);
    KorvexEnd(&link, 10000, NULL);
    return ok ? 0 : 1;
}
