// name_rules.h - which name of a directory entry a host may be given (no
// platform calls).  The host opens, deletes and moves files by the names we
// hand it, so a name must open its own entry and no other: the long name when
// it reaches the host whole, else the entry's short name when no other entry
// of the folder answers to it, else none at all.
#ifndef KORVEX_NAME_RULES_H
#define KORVEX_NAME_RULES_H

#include <stdint.h>

enum {
    NAME_TABLE_SIZE = 16384,   // names of one folder a listing can tell apart
};

// Paths are walked by character, never by byte: in a double-byte code page
// (932, 936, 949, 950) the second byte of a character can be a backslash's
// ("\x95\x5C" is one character in 932).  The platform tells which bytes lead
// a two-byte character; table holds 256 flags, NULL for a one-byte code page.
void SetLeadBytes(const unsigned char *table);
// The character after the one at p (a lead byte before the end takes two).
const char *NextCharacter(const char *p);
// Both slashes separate the components of a Windows path.
int IsSeparator(char c);
// Index of the last separator of text, or -1.
int LastSeparator(const char *text);
// Whether text ends in a separator (a whole character, not a trail byte).
int EndsWithSeparator(const char *text);

// The bytes of the code page that spell superscript one, two or three
// (table: 256 flags); NULL for code page 1252's 0xB9, 0xB2, 0xB3.
void SetSuperscriptDigits(const unsigned char *table);

// Whether a path component opens a device instead of a file: CON, PRN, AUX,
// NUL, COM1-9, LPT1-9 (and COM and LPT with a superscript 1, 2 or 3),
// CONIN$, CONOUT$, with any extension, in any case.
int IsDeviceName(const char *component);

// Whether a name has the 8.3 form: one to eight characters, then at most one
// dot and one to three more, none of them a blank or a character 8.3 names
// cannot hold.  "." and ".." are not.
int Is83Name(const char *name);

// Whether a name, already known to be the entry's name exactly, also comes
// back to the same entry when it is opened: no trailing dot or blank (Win32
// strips them), no character Windows forbids, not a device, not empty.
int NameOpensItself(const char *name);

// The last component of a path: after its last separator, or after "X:".
const char *LastComponent(const char *path);

// Length of the folder part of a pattern, its last separator or "X:" included
// (0 when it names no folder).
int FolderLength(const char *path);

// Equality of two names as the file system compares them for a lookup: ASCII
// letters without regard to case, every other character (and the second byte
// of a two-byte one) as it is.
int SameName(const char *a, const char *b);

// The names of one folder, each counted as often as entries answer to it.
// Counts are kept by a 32-bit hash: two names that merely share a hash count
// as one name met twice, which can only make us hand out less.
struct NameTable {
    uint32_t hash[NAME_TABLE_SIZE];
    uint8_t count[NAME_TABLE_SIZE];   // 0: free slot; saturates at 255
    int used;
    int overflowed;                   // a name found no room: counts are not known
};
void NameTableInit(NameTable *table);
// An entry answers to its long name and to its short name when that is another.
void NameTableAddEntry(NameTable *table, const char *longName, const char *shortName);
// How many entries answer to name; -1 when the table overflowed.
int NameTableCount(const NameTable *table, const char *name);

// The name the host is given for an entry in a path or a listing: the long
// name when it is exact and opens itself (and is at most longest characters,
// when longest is not 0), else the short name when it opens itself and
// shortAlone says no other entry answers to it.  NULL when there is none.
const char *HostEntryName(const char *longName, int longExact, const char *shortName,
                          int shortAlone, int longest);

// The 8.3 name the host is given for an entry (request 17's name field): the
// short name when the entry has one, the long name when it has the 8.3 form
// itself; either only when it opens the entry alone.  "." and ".." are
// themselves.  NULL when there is none: a name cut to 8.3 is no name.
const char *HostShortName(const char *longName, int longExact, const char *shortName,
                          int shortAlone);

#endif
