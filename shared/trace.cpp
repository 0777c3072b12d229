// trace.cpp - the trace file both programs append to.
#include "trace.h"
#include <stdarg.h>
#include <stdio.h>

HANDLE TraceFile = INVALID_HANDLE_VALUE;
BOOL TraceAllLines;
static char TraceProgram[16];

void TraceStart(const char *program)
{
    char path[MAX_PATH], lines[8];
    DWORD n = GetEnvironmentVariableA(TRACE_VARIABLE, path, sizeof(path));

    if (n == 0 || n >= sizeof(path))
        return;
    // Appended to, and shared: both programs may write to the one file.
    TraceFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
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
    // One write a line: lines of two programs never mix.
    WriteFile(TraceFile, line, n, &written, NULL);
}
