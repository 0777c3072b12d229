// cmdline_rules.h - how both programs read their command line: the argument
// text after the program name, and a leading decimal number (no platform calls).
#ifndef KORVEX_CMDLINE_RULES_H
#define KORVEX_CMDLINE_RULES_H

#include <stdint.h>

// The argument text of a whole command line: leading blanks and tabs, then the
// program name (a quoted name up to and including its closing quote, an
// unquoted one up to the first blank or tab), then the blanks and tabs after
// it are skipped.  Points into commandLine; "" for a null line.
const char *ArgumentText(const char *commandLine);

// Reads a signed decimal the way the C library's atol does (white space, sign,
// digits up to the first other character; none gives 0), wrapping at 32 bits.
uint32_t ParseDecimalHandle(const char *text);

#endif
