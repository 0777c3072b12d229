// launch_rules.h - command-line text rules of korvex start-up (no platform calls).
#ifndef KORVEX_LAUNCH_RULES_H
#define KORVEX_LAUNCH_RULES_H

#include "../shared/cmdline_rules.h"

// Size of the launcher's command buffer, terminator included.
enum { LAUNCH_COMMAND_SIZE = 1024 };

// Drops trailing blanks (spaces only; a tab stays).  Returns the new length.
int TrimTrailingBlanks(char *command);

// If the command ends in a double quote with another quote before it, returns
// the opening quote's index and sets the path's first index (one blank after the
// opening quote skipped) and the closing quote's index.  Otherwise -1.
int FindQuotedTail(const char *command, int *pathStart, int *pathEnd);

// Replaces everything from the opening quote on with the short path.  Returns 0
// and leaves the command alone when the result would not fit in size.
int ReplaceQuotedTail(char *command, int size, int quote, const char *shortPath);

#endif
