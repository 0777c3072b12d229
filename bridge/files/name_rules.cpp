// name_rules.cpp - which name of a directory entry a host may be given.
#include "name_rules.h"
#include <string.h>

static unsigned char LeadBytes[256];
static int DoubleByte;
// The bytes that spell superscript one, two and three; code page 1252's
// until korvex has asked the platform.
static unsigned char Superscripts[256];
static int SuperscriptsTold;

void SetLeadBytes(const unsigned char *table)
{
    DoubleByte = 0;
    for (int i = 0; i < 256; i++) {
        LeadBytes[i] = table != NULL && table[i] != 0;
        DoubleByte |= LeadBytes[i];
    }
}

void SetSuperscriptDigits(const unsigned char *table)
{
    for (int i = 0; i < 256; i++)
        Superscripts[i] = table != NULL && table[i] != 0;
    SuperscriptsTold = table != NULL;
}

static int IsSuperscriptDigit(unsigned char c)
{
    return SuperscriptsTold ? Superscripts[c] : c == 0xB9 || c == 0xB2 || c == 0xB3;
}

const char *NextCharacter(const char *p)
{
    if (DoubleByte && LeadBytes[(unsigned char)*p] && p[1] != '\0')
        return p + 2;
    return p + 1;
}

int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

int LastSeparator(const char *text)
{
    int last = -1;

    for (const char *p = text; *p != '\0'; p = NextCharacter(p))
        if (IsSeparator(*p))
            last = (int)(p - text);
    return last;
}

int EndsWithSeparator(const char *text)
{
    return text[0] != '\0' && LastSeparator(text) == (int)strlen(text) - 1;
}

static char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

static int IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int IsDeviceName(const char *component)
{
    static const char *const devices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    char base[9];
    size_t n = 0;

    // The device is named by what stands before the first dot; blanks in
    // front of the dot do not change it ("aux .txt" is AUX too).
    while (component[n] != '\0' && component[n] != '.' && n < sizeof(base) - 1) {
        base[n] = Upper(component[n]);
        n++;
    }
    if (component[n] != '\0' && component[n] != '.')
        return 0;
    while (n > 0 && base[n - 1] == ' ')
        n--;
    base[n] = '\0';
    for (size_t i = 0; i < sizeof(devices) / sizeof(devices[0]); i++)
        if (strcmp(base, devices[i]) == 0)
            return 1;
    // Windows reserves the superscript digits too, in the code page's own
    // bytes: 0xB2 is a superscript two in 1252 but a letter in 1251.
    return n == 4 && (memcmp(base, "COM", 3) == 0 || memcmp(base, "LPT", 3) == 0)
           && ((base[3] >= '1' && base[3] <= '9') || IsSuperscriptDigit((unsigned char)base[3]));
}

int Is83Name(const char *name)
{
    int base = 0, extension = 0, dot = 0;

    for (const char *p = name; *p != '\0'; p = NextCharacter(p)) {
        unsigned char c = (unsigned char)*p;
        if (c == '.') {
            if (dot || base == 0)
                return 0;
            dot = 1;
            continue;
        }
        if (c <= ' ' || strchr("\\/:*?\"<>|+,;=[]", c) != NULL)
            return 0;
        int width = (int)(NextCharacter(p) - p);
        if (dot)
            extension += width;
        else
            base += width;
    }
    return base >= 1 && base <= 8 && extension <= 3 && (!dot || extension >= 1);
}

int NameOpensItself(const char *name)
{
    size_t length = strlen(name);

    if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ')
        return 0;
    // "." and ".." are not names of their own.
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return 0;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        if (c < 0x20 || strchr("\\/:*?\"<>|", c) != NULL)
            return 0;
    }
    return !IsDeviceName(name);
}

const char *LastComponent(const char *path)
{
    return path + FolderLength(path);
}

int FolderLength(const char *path)
{
    int length = 0;

    for (const char *p = path; *p != '\0'; p = NextCharacter(p))
        if (IsSeparator(*p) || (p == path + 1 && *p == ':' && IsLetter(path[0])))
            length = (int)(p - path) + 1;
    return length;
}

int SameName(const char *a, const char *b)
{
    while (*a != '\0' && *b != '\0') {
        const char *na = NextCharacter(a), *nb = NextCharacter(b);
        if (na - a != nb - b)
            return 0;
        // Only a one-byte character has a case here.
        if (na - a == 1 ? Upper(*a) != Upper(*b) : memcmp(a, b, (size_t)(na - a)) != 0)
            return 0;
        a = na;
        b = nb;
    }
    return *a == *b;
}

static uint32_t NameHash(const char *name)
{
    uint32_t h = 2166136261u;   // FNV-1a over the folded bytes

    while (*name != '\0') {
        const char *next = NextCharacter(name);
        for (const char *p = name; p < next; p++) {
            h ^= (unsigned char)(next - name == 1 ? Upper(*p) : *p);
            h *= 16777619u;
        }
        name = next;
    }
    return h;
}

void NameTableInit(NameTable *table)
{
    memset(table->count, 0, sizeof(table->count));
    table->used = 0;
    table->overflowed = 0;
}

// The slot that holds hash, or the free slot where it would go; -1 when the
// table is full and does not hold it.
static int Slot(const NameTable *table, uint32_t hash)
{
    int i = (int)(hash % NAME_TABLE_SIZE);

    for (int probes = 0; probes < NAME_TABLE_SIZE; probes++) {
        if (table->count[i] == 0 || table->hash[i] == hash)
            return i;
        i = (i + 1) % NAME_TABLE_SIZE;
    }
    return -1;
}

static void Add(NameTable *table, const char *name)
{
    uint32_t hash = NameHash(name);
    int i = Slot(table, hash);

    // A full table keeps one slot free, so a lookup always ends.
    if (i < 0 || (table->count[i] == 0 && table->used >= NAME_TABLE_SIZE - 1)) {
        table->overflowed = 1;
        return;
    }
    if (table->count[i] == 0) {
        table->hash[i] = hash;
        table->used++;
    }
    if (table->count[i] < 255)
        table->count[i]++;
}

void NameTableAddEntry(NameTable *table, const char *longName, const char *shortName)
{
    Add(table, longName);
    if (shortName[0] != '\0' && !SameName(shortName, longName))
        Add(table, shortName);
}

int NameTableCount(const NameTable *table, const char *name)
{
    int i;

    if (table->overflowed)
        return -1;
    i = Slot(table, NameHash(name));
    return i < 0 ? 0 : table->count[i];
}

const char *HostEntryName(const char *longName, int longExact, const char *shortName,
                          int shortAlone, int longest)
{
    // "." and ".." name no entry of their own: they stay what they are.
    if (strcmp(longName, ".") == 0 || strcmp(longName, "..") == 0)
        return longName;
    if (IsDeviceName(longName))
        return NULL;
    if (longExact && NameOpensItself(longName)
        && (longest == 0 || strlen(longName) <= (size_t)longest))
        return longName;
    if (shortName[0] != '\0' && shortAlone && NameOpensItself(shortName))
        return shortName;
    return NULL;
}

const char *HostShortName(const char *longName, int longExact, const char *shortName,
                          int shortAlone)
{
    if (strcmp(longName, ".") == 0 || strcmp(longName, "..") == 0)
        return longName;
    if (IsDeviceName(longName))
        return NULL;
    if (shortName[0] != '\0')
        return shortAlone && NameOpensItself(shortName) ? shortName : NULL;
    return longExact && NameOpensItself(longName) && Is83Name(longName) ? longName : NULL;
}
