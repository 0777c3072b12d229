// name_rules.cpp - which name of a directory entry a host may be given.
#include "name_rules.h"
#include <string.h>

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
    return n == 4 && (memcmp(base, "COM", 3) == 0 || memcmp(base, "LPT", 3) == 0)
           && base[3] >= '1' && base[3] <= '9';
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

    for (int i = 0; path[i] != '\0'; i++)
        if (path[i] == '\\' || (i == 1 && path[i] == ':' && IsLetter(path[0])))
            length = i + 1;
    return length;
}

int SameName(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; a++, b++)
        if (Upper(*a) != Upper(*b))
            return 0;
    return *a == *b;
}

static uint32_t NameHash(const char *name)
{
    uint32_t h = 2166136261u;   // FNV-1a over the folded bytes

    for (; *name != '\0'; name++) {
        h ^= (unsigned char)Upper(*name);
        h *= 16777619u;
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
    if (IsDeviceName(longName))
        return NULL;
    if (shortName[0] != '\0')
        return shortAlone && NameOpensItself(shortName) ? shortName : NULL;
    return longExact && NameOpensItself(longName) ? longName : NULL;
}
