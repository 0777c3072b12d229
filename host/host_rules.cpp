// host_rules.cpp - text rules of the korvex-host tool.
#include "host_rules.h"
#include <stdio.h>
#include <string.h>

int SplitRequestLine(char *line, char **words, int most)
{
    int count = 0;
    char *in = line, *out = line;

    for (;;) {
        while (*in == ' ' || *in == '\t' || *in == '\r' || *in == '\n')
            in++;
        if (*in == '\0' || count == most)
            break;
        words[count++] = out;
        int quoted = 0;
        while (*in != '\0' && (quoted || (*in != ' ' && *in != '\t' && *in != '\r' && *in != '\n'))) {
            if (*in == '"')
                quoted = !quoted;
            else
                *out++ = *in;
            in++;
        }
        // The terminator may land on the blank we stopped at: step past it first.
        if (*in != '\0')
            in++;
        *out++ = '\0';
    }
    return count;
}

int ParseNumber(const char *text, uint32_t *value)
{
    uint32_t v = 0;
    const char *p = text;
    int base = 10, digits = 0;

    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    for (; *p != '\0'; p++) {
        int d;
        if (*p >= '0' && *p <= '9') d = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
        else return 0;
        v = v * (uint32_t)base + (uint32_t)d;
        digits++;
    }
    if (digits == 0)
        return 0;
    *value = v;
    return 1;
}

static int HexField(const char *text, int width, uint32_t *value)
{
    uint32_t v = 0;

    for (int i = 0; i < width; i++) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return 0;
        v = (v << 4) | (uint32_t)d;
    }
    *value = v;
    return 1;
}

int DecodeListingLine(const char *line, ListingFields *fields)
{
    uint32_t kind, access;

    if (strlen(line) < 27)
        return 0;
    if (!HexField(line, 1, &kind) || !HexField(line + 1, 2, &access)
        || !HexField(line + 3, 8, &fields->size) || !HexField(line + 11, 8, &fields->created)
        || !HexField(line + 19, 8, &fields->modified))
        return 0;
    fields->kind = kind;
    fields->access = access;
    fields->name = line + 27;
    return 1;
}

void FormatPackedTime(uint32_t packed, char *buffer, int size)
{
    unsigned year = (packed >> 9) & 0x7F;

    // Two-digit years: 80 and later are the 1900s, as the 16-bit side reads them.
    snprintf(buffer, size, "%04u-%02u-%02u %02u:%02u",
             year < 80 ? 2000 + year : 1900 + year, (unsigned)(packed >> 5) & 0x0F,
             (unsigned)packed & 0x1F, (unsigned)(packed >> 24) & 0xFF,
             (unsigned)(packed >> 16) & 0xFF);
}

void FormatDosTime(uint32_t dosDateTime, char *buffer, int size)
{
    unsigned date = dosDateTime >> 16, time = dosDateTime & 0xFFFF;

    snprintf(buffer, size, "%04u-%02u-%02u %02u:%02u:%02u",
             1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
             time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
}

void FormatAccess(unsigned access, char *buffer, int size)
{
    static const struct { unsigned bit; char letter; } bits[] = {
        { 0x01, 'r' }, { 0x02, 'w' }, { 0x40, 'n' }, { 0x20, 'b' },
        { 0x80, 'd' }, { 0x04, 'h' }, { 0x08, 's' },
    };
    int i;

    if (size < 8)
        return;
    for (i = 0; i < 7; i++)
        buffer[i] = (access & bits[i].bit) ? bits[i].letter : '-';
    buffer[7] = '\0';
}
