// host_rules.h - text rules of the korvex-host tool (no platform calls).
#ifndef KORVEX_HOST_RULES_H
#define KORVEX_HOST_RULES_H

#include <stdint.h>

// Splits a request line in place into blank-separated words; double quotes
// group blanks into a word and are dropped.  Returns the number of words.
int SplitRequestLine(char *line, char **words, int most);

// Reads a number: decimal, or hexadecimal after 0x.  Returns 0 on junk.
int ParseNumber(const char *text, uint32_t *value);

// The fields of a listing line, decoded.
struct ListingFields {
    unsigned kind, access;
    uint32_t size, created, modified;
    const char *name;
};
int DecodeListingLine(const char *line, ListingFields *fields);

// "YYYY-MM-DD hh:mm" of a packed listing time stamp, and "YYYY-MM-DD hh:mm:ss"
// of a DOS date and time (request 9).  buffer: at least 24 characters.
void FormatPackedTime(uint32_t packed, char *buffer, int size);
void FormatDosTime(uint32_t dosDateTime, char *buffer, int size);

// "rwnbdhs" style letters of an access byte: read, write, rename, backup,
// destroy, hidden, system ('-' where unset).  buffer: at least 8 characters.
void FormatAccess(unsigned access, char *buffer, int size);

#endif
