// trace.cpp - the trace file both programs append to.
#include "trace.h"
#include <stdarg.h>
#include <stdio.h>

HANDLE TraceFile = INVALID_HANDLE_VALUE;
BOOL TraceAllLines;
static char TraceProgram[16];
// Appends of two processes to one file are not atomic everywhere: the writers
// of every program take turns.
static HANDLE TraceTurn;
enum { TRACE_TURN_MS = 1000 };

void TraceStart(const char *program)
{
    char path[MAX_PATH], lines[8];
    DWORD n = GetEnvironmentVariableA(TRACE_VARIABLE, path, sizeof(path));

    if (n == 0 || n >= sizeof(path))
        return;
    // Shared: both programs, and several of each, may write to the one file.
    TraceFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    // Only a disk file: a pipe or a device can block a write for good, and
    // the trace must never stop the program.
    if (TraceFile != INVALID_HANDLE_VALUE && GetFileType(TraceFile) != FILE_TYPE_DISK) {
        CloseHandle(TraceFile);
        TraceFile = INVALID_HANDLE_VALUE;
        return;
    }
    TraceTurn = CreateMutexA(NULL, FALSE, "korvex trace");
    n = GetEnvironmentVariableA(TRACE_LINES_VARIABLE, lines, sizeof(lines));
    TraceAllLines = n > 0 && n < sizeof(lines) && lines[0] == '1';
    lstrcpynA(TraceProgram, program, sizeof(TraceProgram));
}

void Trace(const char *format, ...)
{
    char line[TRACE_LINE_SIZE];
    SYSTEMTIME now;
    va_list arguments;
    int n;
    DWORD written;

    if (!TRACING())
        return;
    GetLocalTime(&now);
    n = snprintf(line, sizeof(line), "%02u:%02u:%02u.%03u %s %lu ", now.wHour, now.wMinute,
                 now.wSecond, now.wMilliseconds, TraceProgram, GetCurrentProcessId());
    if (n < 0 || n >= (int)sizeof(line))
        return;
    va_start(arguments, format);
    vsnprintf(line + n, sizeof(line) - n - 2, format, arguments);
    va_end(arguments);
    n = lstrlenA(line);
    line[n++] = '\r';
    line[n++] = '\n';
    // One write a line, at the end of the file, in our turn: lines of two
    // programs never mix.  A writer that holds the turn too long is not
    // waited for past the bound.
    DWORD turn = TraceTurn != NULL ? WaitForSingleObject(TraceTurn, TRACE_TURN_MS) : WAIT_FAILED;
    SetFilePointer(TraceFile, 0, NULL, FILE_END);
    BOOL whole = WriteFile(TraceFile, line, n, &written, NULL) && written == (DWORD)n;
    if (turn == WAIT_OBJECT_0 || turn == WAIT_ABANDONED)
        ReleaseMutex(TraceTurn);
    if (!whole) {
        // A full disk, or a file that went: the trace ends, said once.
        static const char stopped[] = "trace stopped: a line could not be written\r\n";
        WriteFile(TraceFile, stopped, sizeof(stopped) - 1, &written, NULL);
        CloseHandle(TraceFile);
        TraceFile = INVALID_HANDLE_VALUE;
    }
}
