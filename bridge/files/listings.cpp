// listings.cpp - the step-by-step search (requests 14 to 16) and the list box
// listings of directories, servers and shares (request 32).
#include "bridge.h"
#include "file_rules.h"
#include "name_rules.h"
#include <winnetwk.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Every name each entry of the folder answers to, counted: the first
// folderLength characters of path name the folder.
static void CountFolderNames(const char *path, int folderLength, NameTable *names)
{
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA entry;
    BOOL exact;
    HANDLE search;

    NameTableInit(names);
    if (folderLength + 4 > (int)sizeof(pattern)) {
        names->overflowed = 1;   // counts unknown: no short name goes out
        return;
    }
    memcpy(pattern, path, folderLength);
    lstrcpyA(pattern + folderLength, "*");
    search = FindFirstEntry(pattern, &entry, &exact);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        NameTableAddEntry(names, entry.cFileName, entry.cAlternateFileName);
    while (FindNextEntry(search, NULL, &entry, &exact));
    FindClose(search);
}

// Walks the open search from the entry in findData until the filter takes
// one that has a name the host can open it by.  The folder's names are
// counted once per search, when an entry first needs its short name: a walk
// over a folder of look-alike names stays linear.
static LRESULT NextAccepted(uint32_t filter)
{
    char name[MAX_PATH + 3];
    WIN32_FIND_DATAA *entry = &BridgeState.findData;

    for (;;) {
        if (FilterAccepts(entry->dwFileAttributes, filter)) {
            int isDirectory = (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // A name goes out whole or not at all: "[" and "]" take two of 255.
            const char *host = HostEntryName(entry->cFileName, BridgeState.findExact,
                                             entry->cAlternateFileName, 1, isDirectory ? 253 : 255);
            if (host != NULL && host == entry->cAlternateFileName) {
                if (!BridgeState.findCounted) {
                    CountFolderNames(BridgeState.findPattern, FolderLength(BridgeState.findPattern),
                                     &BridgeState.findNames);
                    BridgeState.findCounted = TRUE;
                }
                if (NameTableCount(&BridgeState.findNames, host) != 1)
                    host = NULL;
            }
            if (host != NULL) {
                const char *form = isDirectory ? "[%s]" : "%s";
                snprintf(name, sizeof(name), form, host);
                return AtomFromString(name);
            }
        }
        if (!FindNextEntry(BridgeState.findHandle, BridgeState.findPattern, entry,
                           &BridgeState.findExact))
            return 0;
    }
}

LRESULT RequestFindFirst(LPARAM lParam)
{
    TakeAtomString(LOWORD(lParam), BridgeState.findPattern, sizeof(BridgeState.findPattern));
    if (BridgeState.findHandle != 0)
        FindClose(BridgeState.findHandle);
    BridgeState.findCounted = FALSE;
    BridgeState.findHandle = FindFirstEntry(BridgeState.findPattern, &BridgeState.findData,
                                            &BridgeState.findExact);
    if (BridgeState.findHandle == INVALID_HANDLE_VALUE)
        return 0;
    return NextAccepted(HIWORD(lParam));
}

LRESULT RequestFindNext(LPARAM lParam)
{
    if (BridgeState.findHandle == 0 || BridgeState.findHandle == INVALID_HANDLE_VALUE)
        return 0;
    if (!FindNextEntry(BridgeState.findHandle, BridgeState.findPattern, &BridgeState.findData,
                       &BridgeState.findExact))
        return 0;
    return NextAccepted(HIWORD(lParam));
}

LRESULT RequestFindEnd(void)
{
    if (BridgeState.findHandle != 0) {
        FindClose(BridgeState.findHandle);
        BridgeState.findHandle = 0;
    }
    return 0;
}

// Packed local time of a file time; 0 when it cannot be converted.
static uint32_t PackedTime(const FILETIME *time)
{
    CalendarTime fields;

    return LocalCalendar(time, &fields) ? PackTimeStamp(&fields) : 0;
}

// FALSE when the list box did not take the line in time (its thread hangs).
static BOOL AddLine(HWND listBox, const char *line)
{
    if (!SendBounded(listBox, LB_ADDSTRING, 0, (LPARAM)line, NULL)) {
        Trace("line to %lu not taken: the list box does not answer", (unsigned long)(UINT_PTR)listBox);
        return FALSE;
    }
    if (TRACING() && TraceAllLines) {
        char text[TRACE_TEXT_SIZE];
        Trace("line to %lu %s", (unsigned long)(UINT_PTR)listBox, TraceEscape(line, text, sizeof(text)));
    }
    return TRUE;
}

// Real networks nest three or four containers deep.  A provider that lists a
// container inside itself, or ever more containers, must neither take our
// stack nor keep the host waiting: the walk skips a container already on its
// way down and opens a bounded number of them in all.
enum {
    NET_ENTRIES = 256, NET_BUFFER = NET_ENTRIES * 32,
    NET_MAX_DEPTH = 16, NET_MAX_CONTAINERS = 256,
};

// One network listing: where its lines go, and what it has used up.
struct NetWalk {
    HWND listBox;
    DWORD usage;
    int opened;                             // enumerations opened so far
    int lines;                              // lines added so far
    const char *way[NET_MAX_DEPTH + 1];     // remote names from the top down
};

static void AddNetworkLine(NetWalk *walk, const char *name)
{
    char line[LISTING_LINE_SIZE];

    if (walk->lines >= LISTING_MAX_LINES)
        return;
    FormatListingLine(line, sizeof(line), 1, 0xCB, 0, 0, 0, name);
    if (!AddLine(walk->listBox, line))
        walk->lines = LISTING_MAX_LINES;   // a hung list box takes no more
    else
        walk->lines++;
}

// Whether a container's remote name is one of those the walk is inside.
static BOOL OnTheWay(const NetWalk *walk, int depth, const char *remote)
{
    for (int i = 0; i <= depth; i++)
        if (walk->way[i] != NULL && lstrcmpiA(walk->way[i], remote) == 0)
            return TRUE;
    return FALSE;
}

// Lists the servers and shares below parent; descends into other containers,
// at most NET_MAX_DEPTH levels below the first.  Returns -1 when the
// enumeration cannot be opened, 1 when it cannot be read.
static int ListNetworkResources(NetWalk *walk, NETRESOURCEA *parent, int depth)
{
    HANDLE enumeration;
    NETRESOURCEA *entries;
    DWORD count = NET_ENTRIES, size = NET_BUFFER, status;
    size_t parentLength = parent->lpRemoteName ? strlen(parent->lpRemoteName) : 0;

    walk->opened++;
    if (OdWNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, walk->usage, parent, &enumeration)
        != NO_ERROR)
        return -1;
    // The one heap block of the bridge; without it this container lists nothing.
    entries = (NETRESOURCEA *)malloc(NET_BUFFER);
    if (entries == NULL) {
        OdWNetCloseEnum(enumeration);
        return 1;
    }
    status = OdWNetEnumResource(enumeration, &count, entries, &size);
    if (status != NO_ERROR && status != ERROR_MORE_DATA && status != ERROR_NO_MORE_ITEMS) {
        free(entries);
        OdWNetCloseEnum(enumeration);
        return 1;
    }
    if (status == ERROR_NO_MORE_ITEMS)
        count = 0;
    if (count > NET_ENTRIES)
        count = NET_ENTRIES;
    walk->way[depth] = parent->lpRemoteName;

    for (DWORD i = 0; i < count && walk->lines < LISTING_MAX_LINES; i++) {
        NETRESOURCEA *entry = &entries[i];
        const char *remote = entry->lpRemoteName ? entry->lpRemoteName : "";

        if (entry->dwDisplayType == RESOURCEDISPLAYTYPE_SERVER)
            AddNetworkLine(walk, ServerListingName(remote));
        else if (entry->dwDisplayType == RESOURCEDISPLAYTYPE_SHARE)
            AddNetworkLine(walk, ShareListingName(remote, parentLength));
        else if ((entry->dwUsage & RESOURCEUSAGE_CONTAINER) && depth < NET_MAX_DEPTH
                 && walk->opened < NET_MAX_CONTAINERS && !OnTheWay(walk, depth, remote))
            ListNetworkResources(walk, entry, depth + 1);
    }
    free(entries);
    OdWNetCloseEnum(enumeration);
    return 0;
}

LRESULT RequestFillList(LPARAM lParam)
{
    HWND listBox = HostWindow(HIWORD(lParam));
    char text[256 + 4];
    char line[LISTING_LINE_SIZE];
    WIN32_FIND_DATAA entry;
    NameTable names;   // the folder's names, to tell which short names are shared
    BOOL counted = FALSE;   // filled once an entry needs its short name
    HANDLE search;
    BOOL exact;
    const char *path;
    int lines = 0;
    size_t length;

    TakeAtomString(LOWORD(lParam), text, 256);

    if (text[0] == KX_LIST_CONTAINERS || text[0] == KX_LIST_CONNECTABLE) {
        NETRESOURCEA top;
        memset(&top, 0, sizeof(top));
        if (text[1] != '\0')
            top.lpRemoteName = text + 1;
        NetWalk walk;
        memset(&walk, 0, sizeof(walk));
        walk.listBox = listBox;
        walk.usage = text[0] == KX_LIST_CONTAINERS ? RESOURCEUSAGE_CONTAINER
                                                   : RESOURCEUSAGE_CONNECTABLE;
        int listed = ListNetworkResources(&walk, &top, 0);
        TraceRequestNote("lines %d containers %d", walk.lines, walk.opened);
        return listed == -1 ? KX_LIST_FAILED : 0;
    }

    length = strlen(text);
    if (length == 0 || !EndsWithSeparator(text + 1))
        strcat(text, "\\");
    strcat(text, "*.*");

    path = text[0] != '\0' ? text + 1 : text;
    search = FindFirstEntry(path, &entry, &exact);
    if (search == INVALID_HANDLE_VALUE)
        return KX_LIST_FAILED;
    do {
        int isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const char *name;
        if (!ListingWanted(text[0], isDirectory, entry.cFileName, entry.nFileSizeLow,
                           entry.nFileSizeHigh))
            continue;
        name = HostEntryName(entry.cFileName, exact, entry.cAlternateFileName, 1, LISTING_NAME_MAX);
        // A short name is listed only when no other entry of the folder answers to it.
        if (name != NULL && name == entry.cAlternateFileName) {
            if (!counted) {
                CountFolderNames(path, FolderLength(path), &names);
                counted = TRUE;
            }
            if (NameTableCount(&names, name) != 1)
                name = NULL;
        }
        if (name == NULL)
            continue;
        FormatListingLine(line, sizeof(line), isDirectory ? 1 : 0,
                          AccessByte(entry.dwFileAttributes),
                          entry.nFileSizeHigh != 0 ? 0xFFFFFFFFu : entry.nFileSizeLow,
                          PackedTime(&entry.ftCreationTime), PackedTime(&entry.ftLastWriteTime),
                          name);
        if (!AddLine(listBox, line))
            break;
        lines++;
    } while (lines < LISTING_MAX_LINES && FindNextEntry(search, path, &entry, &exact));
    FindClose(search);
    TraceRequestNote("lines %d", lines);
    return 0;
}
