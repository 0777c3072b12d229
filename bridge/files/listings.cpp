// listings.cpp - the step-by-step search (requests 14 to 16) and the list box
// listings of directories, servers and shares (request 32).
#include "bridge.h"
#include "file_rules.h"
#include <winnetwk.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Walks the open search from the entry in findData until the filter takes one.
static LRESULT NextAccepted(uint32_t filter)
{
    char name[MAX_PATH + 3];

    for (;;) {
        if (FilterAccepts(BridgeState.findData.dwFileAttributes, filter)) {
            const char *form = (BridgeState.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                   ? "[%s]" : "%s";
            snprintf(name, sizeof(name), form, BridgeState.findData.cFileName);
            return AtomFromString(name);
        }
        if (!FindNextFileA(BridgeState.findHandle, &BridgeState.findData))
            return 0;
    }
}

LRESULT RequestFindFirst(LPARAM lParam)
{
    char pattern[256];

    TakeAtomString(LOWORD(lParam), pattern, sizeof(pattern));
    if (BridgeState.findHandle != 0)
        FindClose(BridgeState.findHandle);
    BridgeState.findHandle = FindFirstFileA(pattern, &BridgeState.findData);
    if (BridgeState.findHandle == INVALID_HANDLE_VALUE)
        return 0;
    return NextAccepted(HIWORD(lParam));
}

LRESULT RequestFindNext(LPARAM lParam)
{
    if (BridgeState.findHandle == 0 || BridgeState.findHandle == INVALID_HANDLE_VALUE)
        return 0;
    if (!FindNextFileA(BridgeState.findHandle, &BridgeState.findData))
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

static void AddLine(HWND listBox, const char *line)
{
    SendMessageA(listBox, LB_ADDSTRING, 0, (LPARAM)line);
}

static void AddNetworkLine(HWND listBox, const char *name)
{
    char line[LISTING_LINE_SIZE];

    FormatListingLine(line, sizeof(line), 1, 0xCB, 0, 0, 0, name);
    AddLine(listBox, line);
}

// Real networks nest three or four containers deep; a provider that lists a
// container inside itself must not take our stack with it.
enum { NET_ENTRIES = 256, NET_BUFFER = NET_ENTRIES * 32, NET_MAX_DEPTH = 16 };

// Lists the servers and shares below parent; descends into other containers,
// at most NET_MAX_DEPTH levels below the first.  Returns -1 when the
// enumeration cannot be opened, 1 when it cannot be read.
static int ListNetworkResources(HWND listBox, NETRESOURCEA *parent, DWORD usage, int depth)
{
    HANDLE enumeration;
    NETRESOURCEA *entries;
    DWORD count = NET_ENTRIES, size = NET_BUFFER, status;
    size_t parentLength = parent->lpRemoteName ? strlen(parent->lpRemoteName) : 0;

    if (OdWNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, usage, parent, &enumeration) != NO_ERROR)
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

    for (DWORD i = 0; i < count; i++) {
        NETRESOURCEA *entry = &entries[i];
        const char *remote = entry->lpRemoteName ? entry->lpRemoteName : "";

        if (entry->dwDisplayType == RESOURCEDISPLAYTYPE_SERVER)
            AddNetworkLine(listBox, ServerListingName(remote));
        else if (entry->dwDisplayType == RESOURCEDISPLAYTYPE_SHARE)
            AddNetworkLine(listBox, ShareListingName(remote, parentLength));
        else if ((entry->dwUsage & RESOURCEUSAGE_CONTAINER) && depth < NET_MAX_DEPTH)
            ListNetworkResources(listBox, entry, usage, depth + 1);
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
    HANDLE search;
    int lines = 0;
    size_t length;

    TakeAtomString(LOWORD(lParam), text, 256);

    if (text[0] == KX_LIST_CONTAINERS || text[0] == KX_LIST_CONNECTABLE) {
        NETRESOURCEA top;
        memset(&top, 0, sizeof(top));
        if (text[1] != '\0')
            top.lpRemoteName = text + 1;
        DWORD usage = text[0] == KX_LIST_CONTAINERS ? RESOURCEUSAGE_CONTAINER
                                                    : RESOURCEUSAGE_CONNECTABLE;
        return ListNetworkResources(listBox, &top, usage, 0) == -1 ? KX_LIST_FAILED : 0;
    }

    length = strlen(text);
    if (length == 0 || text[length - 1] != '\\')
        strcat(text, "\\");
    strcat(text, "*.*");

    memset(&entry, 0, sizeof(entry));
    search = FindFirstFileA(text[0] != '\0' ? text + 1 : text, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return KX_LIST_FAILED;
    do {
        int isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!ListingWanted(text[0], isDirectory, entry.cFileName, entry.nFileSizeLow,
                           entry.nFileSizeHigh))
            continue;
        FormatListingLine(line, sizeof(line), isDirectory ? 1 : 0,
                          AccessByte(entry.dwFileAttributes),
                          entry.nFileSizeHigh != 0 ? 0xFFFFFFFFu : entry.nFileSizeLow,
                          PackedTime(&entry.ftCreationTime), PackedTime(&entry.ftLastWriteTime),
                          ListingName(entry.cFileName, entry.cAlternateFileName));
        AddLine(listBox, line);
        lines++;
    } while (lines < LISTING_MAX_LINES && FindNextFileA(search, &entry));
    FindClose(search);
    return 0;
}
