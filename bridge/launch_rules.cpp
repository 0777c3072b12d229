// launch_rules.cpp - command-line text rules of korvex start-up.
#include "launch_rules.h"
#include <string.h>

int TrimTrailingBlanks(char *command)
{
    int length = (int)strlen(command);

    while (length > 0 && command[length - 1] == ' ')
        command[--length] = '\0';
    return length;
}

int FindQuotedTail(const char *command, int *pathStart, int *pathEnd)
{
    int length = (int)strlen(command);
    int quote;

    if (length == 0 || command[length - 1] != '"')
        return -1;
    // The nearest quote before the closing one opens the path.
    for (quote = length - 2; quote >= 0; quote--)
        if (command[quote] == '"')
            break;
    if (quote < 0)
        return -1;
    *pathStart = quote + 1;
    if (command[*pathStart] == ' ' && *pathStart < length - 1)
        (*pathStart)++;
    *pathEnd = length - 1;
    return quote;
}

int ReplaceQuotedTail(char *command, int size, int quote, const char *shortPath)
{
    size_t length = strlen(shortPath);

    if (quote < 0 || (size_t)quote + length + 1 > (size_t)size)
        return 0;
    memcpy(command + quote, shortPath, length + 1);
    return 1;
}
