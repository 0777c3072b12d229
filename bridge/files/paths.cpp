// paths.cpp - long and short path names (requests 2 and 3).
#include "bridge.h"
#include "name_rules.h"
#include "dialog_rules.h"
#include <string.h>

// Appends a backslash and name when both fit; FALSE, with nothing written, when not.
static BOOL AppendComponent(char *destination, int capacity, const char *name)
{
    size_t have = strlen(destination), length = strlen(name);

    if (have + 1 + length + 1 > (size_t)capacity)
        return FALSE;
    destination[have] = '\\';
    memcpy(destination + have + 1, name, length + 1);
    return TRUE;
}

// One level of the expansion: the prefix first, then this level's component
// as the file system names it.  Returns capacity + 1 when a component did not
// fit, and 0 otherwise.
static int ExpandLevel(const char *source, char *destination, int capacity)
{
    char work[256];
    WIN32_FIND_DATAA found;
    HANDLE search;
    BOOL exact;
    const char *name;
    int last, overflow;

    // Either slash separates; a trail byte that looks like one does not.
    lstrcpynA(work, source, sizeof(work));
    last = LastSeparator(work);
    if (last < 0) {
        lstrcpynA(destination, work, capacity);
        return 0;
    }
    work[last] = '\0';
    overflow = ExpandLevel(work, destination, capacity);

    // A search for "." or ".." names the directory it stands for, which would
    // put another name in its place: they stay as written.
    const char *component = source + last + 1;
    if (strcmp(component, ".") == 0 || strcmp(component, "..") == 0)
        return AppendComponent(destination, capacity, component) ? overflow : capacity + 1;

    // The component as the host may be given it: an entry no name of which
    // opens it alone counts as not found.
    search = FindFirstEntry(source, &found, &exact);
    name = NULL;
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        name = HostName(source, &found, exact, 0);
    }
    if (name == NULL) {
        // Not found: this level starts the path afresh as written.
        lstrcpynA(destination, source, capacity);
        return 0;
    }
    return AppendComponent(destination, capacity, name) ? overflow : capacity + 1;
}

int ExpandLongPath(const char *source, char *destination, int capacity)
{
    if (capacity <= 0)
        return capacity + 1;
    destination[0] = '\0';
    // A long form that does not fit would name another file with components
    // left out: give the path back as it came instead.
    if (ExpandLevel(source, destination, capacity) != 0) {
        lstrcpynA(destination, source, capacity);
        return capacity + 1;
    }
    return 0;
}

LRESULT RequestLongPath(LPARAM lParam)
{
    char argument[256], result[256];

    TakeAtomString(LOWORD(lParam), argument, sizeof(argument));
    result[0] = '\0';
    ExpandLongPath(argument, result, sizeof(result));
    // A short name that two entries share can open one of them while the
    // search reports the other: an expansion must open what the argument
    // opens.  (A pattern opens nothing; its components were each checked.)
    if (strcmp(result, argument) != 0 && strpbrk(argument, "*?") == NULL
        && !SameFile(argument, result))
        return AtomFromString(argument);
    return AtomFromString(result);
}

LRESULT RequestShortPath(LPARAM lParam)
{
    char argument[256], result[256];
    DWORD n;

    TakeAtomString(LOWORD(lParam), argument, sizeof(argument));
    // A device has no short name, and a name we gave back would open it.
    if (IsDeviceName(LastComponent(argument)))
        return 0;
    result[0] = '\0';
    n = GetShortPathNameA(argument, result, sizeof(result));
    // A short name can belong to another file as well: hand it out only when
    // it opens what the argument opens.
    if (n > 0 && n < sizeof(result) && result[0] != '\0' && SameFile(argument, result))
        return AtomFromString(result);

    // A file about to be created, or one whose short name is not its own:
    // short folder, last component as written.
    if (LastSeparator(argument) < 0)
        return AtomFromString(argument);
    if (ShortFolderAndName(argument, result, sizeof(result)))
        return AtomFromString(result);
    // Without a short folder, the path goes back as it came.
    return AtomFromString(argument);
}
