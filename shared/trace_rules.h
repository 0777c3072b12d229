// trace_rules.h - the texts of the trace both programs can write for a host
// developer (no platform calls): escaped texts and the names of the numbers.
#ifndef KORVEX_TRACE_RULES_H
#define KORVEX_TRACE_RULES_H

#include <stddef.h>

enum {
    TRACE_LINE_SIZE = 1024,    // one line of the trace, its end included
    TRACE_TEXT_SIZE = 300,     // one escaped text: 255 characters need at most 4 each,
};                             // so a longer one is cut and ends in ...

// Writes text in double quotes with \\, \", \r, \n, \t and \xHH for the other
// control characters, so a trace line is always one line.  Cut to fit size
// (at least 8), the cut shown as ... after the closing quote.  Returns out.
char *TraceEscape(const char *text, char *out, size_t size);

// Appends a formatted piece to line (size characters), never past its end.
void TraceAppend(char *line, size_t size, const char *format, ...);

// "KXR_LONG_PATH" and so on for request codes; "request 33" style for others
// is left to the caller (NULL here).
const char *RequestName(unsigned code);

// "WM_KEYDOWN" and so on for the messages qivddraw relays; NULL for others.
const char *RelayedMessageName(unsigned message);

#endif
