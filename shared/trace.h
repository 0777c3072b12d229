// trace.h - the trace a host developer switches on without rebuilding: the
// environment variable KORVEX_TRACE names a file, and both programs append to
// it one line per event, each written whole and at once, so a crash loses
// nothing.  Off (no variable, or a file that cannot be opened) it costs one
// test of a handle.
#ifndef KORVEX_TRACE_H
#define KORVEX_TRACE_H

#include <windows.h>
#include "trace_rules.h"

#define TRACE_VARIABLE       "KORVEX_TRACE"         // the file
#define TRACE_LINES_VARIABLE "KORVEX_TRACE_LINES"   // "1": every listing line too

extern HANDLE TraceFile;    // INVALID_HANDLE_VALUE while the trace is off
extern BOOL TraceAllLines;

// Opens the trace when the variable names a file; program names the lines.
void TraceStart(const char *program);

// One line: the local time, the program and its process, then the text.
void Trace(const char *format, ...);

#define TRACING() (TraceFile != INVALID_HANDLE_VALUE)

#endif
