// file_rules.h - text and number rules of the file services (no platform
// calls): attribute masks and filters, the listing line, packed time stamps,
// the time text and the file information text.
#ifndef KORVEX_FILE_RULES_H
#define KORVEX_FILE_RULES_H

#include <stddef.h>
#include <stdint.h>

// Calendar fields of a time, as the time text and the packed stamps use them.
struct CalendarTime {
    uint16_t year, month, day, hour, minute, second;
};

enum {
    ATTR_READONLY = 0x01, ATTR_HIDDEN = 0x02, ATTR_SYSTEM = 0x04,
    ATTR_DIRECTORY = 0x10, ATTR_ARCHIVE = 0x20,
    FILTER_EXCLUSIVE = 0x8000,
    LISTING_LINE_SIZE = 512,
    LISTING_MAX_LINES = 2001,
    LISTING_NAME_MAX = 64,       // longer names are listed under their short name
    LISTING_SIZE_MAX = 0xFFFFFF, // files above 24 bits are left out
};

// The five attribute bits the host understands (the word AND 0x37).
uint32_t MaskAttributes(uint32_t attributes);

// Whether requests 14 and 15 accept an entry with these attributes.
int FilterAccepts(uint32_t attributes, uint32_t filter);

// The access byte of a listing line (read, write, rename, backup, destroy
// bits plus hidden and system).
unsigned AccessByte(uint32_t attributes);

// Packed listing time stamp: ProDOS date word low, time word high.
uint32_t PackTimeStamp(const CalendarTime *time);

// Packed DOS date and time (request 9): time word low, date word high.  A
// year before 1980 reads as the first DOS moment (1980-01-01 00:00:00), one
// after 2107 as the last (2107-12-31 23:59:58): the answer of a file that
// exists is never 0, which means "missing".
enum { DOS_TIME_FIRST = 0x00210000u, DOS_TIME_LAST = 0xFF9FBF7Du };
uint32_t PackDosTime(const CalendarTime *time);

// Formats a listing line into line (size characters).  Returns its length.
int FormatListingLine(char *line, int size, unsigned kind, unsigned access,
                      uint32_t fileSize, uint32_t created, uint32_t modified,
                      const char *name);

// The name a network listing shows: a server's remote name without its two
// leading backslashes, a share's after its parent's name and the backslash.
// Never points past the remote name's end.
const char *ServerListingName(const char *remoteName);
const char *ShareListingName(const char *remoteName, size_t parentLength);

// Whether a directory listing with this mode character lists the entry.
int ListingWanted(char mode, int isDirectory, const char *name,
                  uint32_t sizeLow, uint32_t sizeHigh);

// The time text YYYYMMDDhhmmss: 14 digits, 15 for a year past 9999
// (a buffer of 16 characters holds every year).
void FormatTimeText(char *text, int size, const CalendarTime *time);

// Reads a time text by fixed positions from the right: second from 12 on,
// then minute 10, hour 8, day 6, month 4, year 0, each read like atoi and cut
// to 16 bits.  Positions past the end of the text read as 0.
void ParseTimeText(const char *text, CalendarTime *time);

// Writes a byte count as decimal digits (no sign, no grouping).
void FormatByteCount(long double value, char *text, int size);

#endif
