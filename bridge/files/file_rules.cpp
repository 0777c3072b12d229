// file_rules.cpp - text and number rules of the file services.
#include "file_rules.h"
#include "../../shared/cmdline_rules.h"
#include <stdio.h>
#include <string.h>

uint32_t MaskAttributes(uint32_t attributes)
{
    return attributes & 0x37;
}

int FilterAccepts(uint32_t attributes, uint32_t filter)
{
    uint32_t a = MaskAttributes(attributes);

    if ((filter & FILTER_EXCLUSIVE) && (a & ATTR_DIRECTORY) != (filter & ATTR_DIRECTORY))
        return 0;
    // Every bit the entry carries must be allowed by the filter.
    return (a & ~(filter & 0x37)) == 0;
}

unsigned AccessByte(uint32_t attributes)
{
    unsigned access = 0x01;

    if (attributes & ATTR_HIDDEN)
        access |= 0x04;
    if (attributes & ATTR_ARCHIVE)
        access |= 0x20;
    if (!(attributes & ATTR_READONLY))
        access |= 0xC2;
    if (attributes & ATTR_SYSTEM)
        access = (access & 0x3D) | 0x08;
    return access;
}

uint32_t PackTimeStamp(const CalendarTime *time)
{
    uint32_t date = (uint32_t)(time->day & 0x1F) | (uint32_t)(time->month & 0x0F) << 5
                    | (uint32_t)(time->year % 100) << 9;
    uint32_t clock = (uint32_t)(time->minute & 0xFF) | (uint32_t)(time->hour & 0xFF) << 8;
    return clock << 16 | date;
}

uint32_t PackDosTime(const CalendarTime *time)
{
    if (time->year < 1980)
        return DOS_TIME_FIRST;
    if (time->year > 2107)
        return DOS_TIME_LAST;
    uint32_t date = (uint32_t)(time->day & 0x1F) | (uint32_t)(time->month & 0x0F) << 5
                    | (uint32_t)(time->year - 1980) << 9;
    uint32_t clock = (uint32_t)(time->second / 2 & 0x1F) | (uint32_t)(time->minute & 0x3F) << 5
                     | (uint32_t)(time->hour & 0x1F) << 11;
    return date << 16 | clock;
}

int FormatListingLine(char *line, int size, unsigned kind, unsigned access,
                      uint32_t fileSize, uint32_t created, uint32_t modified,
                      const char *name)
{
    int n = snprintf(line, size, "%1x%02x%08lx%08lx%08lx%s", kind & 0xF, access & 0xFF,
                     (unsigned long)fileSize, (unsigned long)created,
                     (unsigned long)modified, name);
    return n < 0 ? 0 : (n >= size ? size - 1 : n);
}

const char *ServerListingName(const char *remoteName)
{
    size_t length = strlen(remoteName);
    return remoteName + (length >= 2 ? 2 : length);
}

const char *ShareListingName(const char *remoteName, size_t parentLength)
{
    size_t length = strlen(remoteName);
    return remoteName + (length > parentLength ? parentLength + 1 : length);
}

int ListingWanted(char mode, int isDirectory, const char *name,
                  uint32_t sizeLow, uint32_t sizeHigh)
{
    if (isDirectory)
        return strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && mode != '6';
    return mode != '4' && sizeHigh == 0 && sizeLow <= LISTING_SIZE_MAX;
}

void FormatTimeText(char *text, int size, const CalendarTime *time)
{
    snprintf(text, size, "%04hu%02hu%02hu%02hu%02hu%02hu", time->year, time->month,
             time->day, time->hour, time->minute, time->second);
}

// atoi's reading of text from position at, cut to 16 bits.
static uint16_t FieldAt(const char *text, size_t length, size_t at)
{
    return at < length ? (uint16_t)ParseDecimalHandle(text + at) : 0;
}

void ParseTimeText(const char *text, CalendarTime *time)
{
    char work[32];
    size_t length;

    // Each field ends the text in front of it, so work on a copy.
    snprintf(work, sizeof(work), "%s", text);
    length = strlen(work);
    time->second = FieldAt(work, length, 12);
    if (length > 12) work[length = 12] = '\0';
    time->minute = FieldAt(work, length, 10);
    if (length > 10) work[length = 10] = '\0';
    time->hour = FieldAt(work, length, 8);
    if (length > 8) work[length = 8] = '\0';
    time->day = FieldAt(work, length, 6);
    if (length > 6) work[length = 6] = '\0';
    time->month = FieldAt(work, length, 4);
    if (length > 4) work[length = 4] = '\0';
    time->year = FieldAt(work, length, 0);
}

void FormatByteCount(long double value, char *text, int size)
{
    char digits[24];
    int n = 0, i;
    unsigned long long count;

    if (size <= 0)
        return;
    // Counts are whole and below 2^64; anything else reads as 0.
    count = (value >= 1.0L && value < 18446744073709551616.0L) ? (unsigned long long)value : 0;
    do {
        digits[n++] = (char)('0' + count % 10);
        count /= 10;
    } while (count != 0);
    if (n >= size) {
        text[0] = '\0';
        return;
    }
    for (i = 0; i < n; i++)
        text[i] = digits[n - 1 - i];
    text[n] = '\0';
}
