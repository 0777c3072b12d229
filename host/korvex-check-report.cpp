// korvex-check-report.cpp - the check lines and the report file.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvex-check.h"
#include "version.h"

int Passed, Failed, Skipped;
static char Results[65536];          // the check lines, for the report
static size_t ResultsLength;
static const char *LikelyCause = "";

void Say(const char *format, ...)
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

void Skip(const char *name, const char *why)
{
    Skipped++;
    Say("skip %s: %s", name, why);
}

// Passes when expected and actual are the same text.
BOOL Same(const char *name, const char *expected, const char *actual)
{
    if (strcmp(expected, actual) == 0) {
        Passed++;
        Say("ok %s", name);
        return TRUE;
    }
    Failed++;
    Say("FAIL %s: expected \"%s\", got \"%s\"; likely cause: %s", name, expected, actual,
        LikelyCause[0] != '\0' ? LikelyCause : "not known");
    return FALSE;
}

BOOL SameNumber(const char *name, unsigned long expected, unsigned long actual)
{
    char e[24], a[24];
    snprintf(e, sizeof(e), "%lu", expected);
    snprintf(a, sizeof(a), "%lu", actual);
    return Same(name, e, a);
}

BOOL Holds(const char *name, BOOL holds, const char *expected, const char *actual)
{
    return Same(name, holds ? "" : expected, holds ? "" : actual);
}

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

void SetLikelyCause(const char *cause)
{
    LikelyCause = cause != NULL ? cause : "";
}

void SayWhatToDo(const char *report)
{
    if (Failed == 0) {
        printf("\nEverything korvex-check asked held%s.\n",
               Skipped > 0 ? "; a skip says what could not be checked here, and why" : "");
        return;
    }
    printf("\nSomething did not hold.  Each FAIL line above names the program, the request\n"
           "and the most likely cause.  Please send the report, %s, to the\n"
           "maker of the program that uses korvex, with a word on what you were doing;\n"
           "it holds only what korvex-check found of this system and these lines.\n", report);
}

void WriteReport(const char *path, const CheckRun *run)
{
    const char *korvex = run->korvex, *qivddraw = run->qivddraw, *win16 = run->win16;
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

