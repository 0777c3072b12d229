// fileops.cpp - file operations, file information and time texts
// (requests 9 to 13, 17, 18, 23 and 24).
#include "bridge.h"
#include "file_rules.h"
#include "name_rules.h"
#include <stdio.h>
#include <string.h>

static void ToCalendar(const SYSTEMTIME *st, CalendarTime *time)
{
    time->year = st->wYear;
    time->month = st->wMonth;
    time->day = st->wDay;
    time->hour = st->wHour;
    time->minute = st->wMinute;
    time->second = st->wSecond;
}

int LocalCalendar(const FILETIME *time, CalendarTime *fields)
{
    FILETIME local;
    SYSTEMTIME st;

    if (!FileTimeToLocalFileTime(time, &local) || !FileTimeToSystemTime(&local, &st))
        return 0;
    ToCalendar(&st, fields);
    return 1;
}

char *FormatFileTime(const FILETIME *time, char *buffer, int size)
{
    CalendarTime fields;

    // The file system keeps no such time; nor is there one when it cannot be read.
    if ((time->dwLowDateTime == 0 && time->dwHighDateTime == 0) || !LocalCalendar(time, &fields)) {
        lstrcpynA(buffer, "*", size);
        return buffer;
    }
    // Years run to 30827: five digits make a text of 15 characters.
    FormatTimeText(buffer, size, &fields);
    return buffer;
}

// The first entry a path matches (wildcards allowed).  FALSE when none, and
// for a device, which opens no file of that name however the search answers.
// A short name two entries share can open one while the search reports the
// other: the figures are those of the file the path opens.
static BOOL FindEntry(const char *path, WIN32_FIND_DATAA *entry, BOOL *exact)
{
    HANDLE search;

    if (IsDeviceName(LastComponent(path)))
        return FALSE;
    search = FindFirstEntry(path, entry, exact);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);
    if (strpbrk(LastComponent(path), "*?") == NULL)
        TakeFiguresOfWhatOpens(path, entry);
    return TRUE;
}

LRESULT RequestFileDosTime(LPARAM lParam)
{
    char path[256];
    WIN32_FIND_DATAA entry;
    FILETIME local;
    SYSTEMTIME st;
    CalendarTime fields;
    BOOL exact;

    TakeAtomString(LOWORD(lParam), path, sizeof(path));
    if (!FindEntry(path, &entry, &exact))
        return 0;
    // 0 says "missing": a time with no DOS form reads as the nearest DOS
    // moment instead (some platforms would wrap 2108 to 1980), and one past
    // what the calendar holds as the last.
    if (!FileTimeToLocalFileTime(&entry.ftCreationTime, &local))
        local = entry.ftCreationTime;
    if (!FileTimeToSystemTime(&local, &st))
        return (LRESULT)DOS_TIME_LAST;
    ToCalendar(&st, &fields);
    return (LRESULT)PackDosTime(&fields);
}

LRESULT RequestMakeDir(LPARAM lParam)
{
    char path[256];

    TakeAtomString(LOWORD(lParam), path, sizeof(path));
    return CreateDirectoryA(path, NULL);
}

// A read-only (or missing) file gets the archive bit alone, so the delete or
// create that follows can work on it.  Returns the attributes it had, for
// RestoreAttributes; INVALID_FILE_ATTRIBUTES when nothing was changed.
static DWORD ResetAttributes(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);

    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
        return attributes;
    }
    return INVALID_FILE_ATTRIBUTES;
}

// When the work then failed, the file keeps what the user gave it: hidden,
// system and read-only are not lost for nothing.
static void RestoreAttributes(const char *path, DWORD attributes)
{
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes);
}

// Whether nothing answers to path any more.
static BOOL Gone(const char *path)
{
    DWORD error;

    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return FALSE;
    error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The platform can answer TRUE where nothing happened (a read-only file
// system keeps the file): 1 only when the file is gone.
LRESULT RequestDeleteFile(LPARAM lParam)
{
    char path[256];
    DWORD attributes;
    BOOL deleted;

    TakeAtomString(LOWORD(lParam), path, sizeof(path));
    attributes = ResetAttributes(path);
    deleted = DeleteFileA(path) && Gone(path);
    if (!deleted) {
        TraceRequestNote("the file is still there");
        RestoreAttributes(path, attributes);
    }
    return deleted;
}

// Like a delete: a folder on a read-only file system stays while the
// platform answers TRUE.
LRESULT RequestRemoveDir(LPARAM lParam)
{
    char path[256];

    TakeAtomString(LOWORD(lParam), path, sizeof(path));
    if (RemoveDirectoryA(path) && Gone(path))
        return 1;
    TraceRequestNote("the folder is still there");
    return 0;
}

// 1 only when the move happened: the destination is there and the source is
// gone (or is the destination: a change of case).  A move off a read-only
// file system answers TRUE and leaves a copy; one onto a full drive fails and
// leaves a partial destination.  A destination that was not there before and
// is not the move's is removed again while the source is whole: a retry must
// not find the name taken, nor the user a truncated file.
LRESULT RequestMoveFile(LPARAM lParam)
{
    char from[256], to[256];
    BOOL existed, moved;

    TakeAtomString(LOWORD(lParam), from, sizeof(from));
    TakeAtomString(HIWORD(lParam), to, sizeof(to));
    existed = !Gone(to);
    moved = MoveFileA(from, to);
    if (moved && (Gone(from) || SameFile(from, to)) && !Gone(to))
        return 1;
    if (!existed && !Gone(to) && !Gone(from) && !SameFile(from, to)) {
        SetFileAttributesA(to, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(to))
            RemoveDirectoryA(to);
        TraceRequestNote("move %s: the partial destination removed", moved ? "did not happen" : "failed");
    } else if (moved) {
        TraceRequestNote("move answered done but did not happen");
    }
    return 0;
}

LRESULT RequestCreateFile(LPARAM lParam)
{
    char path[256];
    DWORD attributes;
    HANDLE file;

    TakeAtomString(LOWORD(lParam), path, sizeof(path));
    attributes = ResetAttributes(path);
    file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        RestoreAttributes(path, attributes);
        return -1;
    }
    CloseHandle(file);
    return 0;
}

// The 8.3 name request 17 gives for the entry that path found: its own when
// that opens it alone; else the component the host wrote, when it has the
// 8.3 form and opens this very entry; else none (an empty field).  An entry
// that exists is never answered as missing for want of a name.
static const char *InfoName(const char *path, const WIN32_FIND_DATAA *entry, BOOL exact,
                            char *work, int size)
{
    const char *name = HostShort(path, entry, exact);
    const char *written = LastComponent(path);
    int folder = FolderLength(path);

    if (name != NULL)
        return name;
    if (!Is83Name(written) || strpbrk(written, "*?") != NULL
        || !exact || !NameOpensItself(entry->cFileName)
        || folder + lstrlenA(entry->cFileName) >= size)
        return "";
    memcpy(work, path, folder);
    lstrcpyA(work + folder, entry->cFileName);
    return SameFile(path, work) ? written : "";
}

LRESULT RequestFileInfo(LPARAM lParam)
{
    char text[256], work[MAX_PATH];
    char created[20], modified[20];
    WIN32_FIND_DATAA entry;
    const char *name;
    BOOL exact;

    TakeAtomString(LOWORD(lParam), text, sizeof(text));
    if (!FindEntry(text, &entry, &exact))
        return 0;
    name = InfoName(text, &entry, exact, work, sizeof(work));
    FormatFileTime(&entry.ftCreationTime, created, sizeof(created));
    FormatFileTime(&entry.ftLastWriteTime, modified, sizeof(modified));
    // A size past 32 bits is not told as its low bits: it reads as the largest.
    // The name is 8.3 or empty: it always fits whole.
    snprintf(text, sizeof(text), "%u %u %s %s %s",
             entry.nFileSizeHigh != 0 ? 4294967295u : (unsigned)entry.nFileSizeLow,
             (unsigned)MaskAttributes(entry.dwFileAttributes), created, modified, name);
    return AtomFromString(text);
}

LRESULT RequestTimeConvert(UINT code, LPARAM lParam)
{
    char text[32];
    CalendarTime fields;
    SYSTEMTIME st;
    FILETIME given, converted;

    TakeAtomString(LOWORD(lParam), text, sizeof(text));
    ParseTimeText(text, &fields);
    memset(&st, 0, sizeof(st));
    st.wYear = fields.year;
    st.wMonth = fields.month;
    st.wDay = fields.day;
    st.wHour = fields.hour;
    st.wMinute = fields.minute;
    st.wSecond = fields.second;
    if (!SystemTimeToFileTime(&st, &given))
        return 0;
    // A failed conversion leaves nothing to read: answer 0 rather than garbage.
    if (code == KXR_UTC_TO_LOCAL ? !FileTimeToLocalFileTime(&given, &converted)
                                 : !LocalFileTimeToFileTime(&given, &converted))
        return 0;
    if (!FileTimeToSystemTime(&converted, &st))
        return 0;
    ToCalendar(&st, &fields);
    FormatTimeText(text, sizeof(text), &fields);
    return AtomFromString(text);
}
