// cmdline_rules.cpp - the command-line rules both programs share.
#include "cmdline_rules.h"

static int Blank(char c)
{
    return c == ' ' || c == '\t';
}

const char *ArgumentText(const char *commandLine)
{
    const char *p = commandLine;

    if (p == 0)
        return "";
    while (Blank(*p))
        p++;
    if (*p == '"') {
        // A name without its closing quote runs to the end.
        for (p++; *p != '\0' && *p != '"'; p++)
            ;
        if (*p == '"')
            p++;
    } else {
        while (*p != '\0' && !Blank(*p))
            p++;
    }
    while (Blank(*p))
        p++;
    return p;
}

uint32_t ParseDecimalHandle(const char *text)
{
    const char *p = text;
    uint32_t value = 0;
    int negative = 0;

    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    while (*p >= '0' && *p <= '9')
        value = value * 10u + (uint32_t)(*p++ - '0');
    return negative ? 0u - value : value;
}
