// names.cpp - the names of directory entries that we hand to the host.
//
// The ANSI search functions give a name outside the code page with "?" for
// each such character, or with a look-alike ("Erdő" as "Erdo"), and either can
// open another file.  So searches run through the wide functions where the
// platform has them, and we make the ANSI names ourselves, knowing which came
// out exactly.  Windows 9x has the wide functions only as stubs that fail:
// there the ANSI search serves, and a "?" in a name is the sign.
#include "bridge.h"
#include "name_rules.h"
#include <string.h>

static int WideWorks = -1;   // -1: not yet known

void LearnCodePage(void)
{
    unsigned char lead[256], superscript[256];

    for (int i = 0; i < 256; i++) {
        char byte = (char)i;
        WCHAR wide = 0;

        lead[i] = IsDBCSLeadByte((BYTE)i) ? 1 : 0;
        // Windows takes a superscript digit for a digit in a device name;
        // which bytes spell one depends on the code page.
        superscript[i] = !lead[i] && MultiByteToWideChar(CP_ACP, 0, &byte, 1, &wide, 1) == 1
                         && (wide == 0x00B9 || wide == 0x00B2 || wide == 0x00B3);
    }
    SetLeadBytes(lead);
    SetSuperscriptDigits(superscript);
}

void UseAnsiNamesOnly(BOOL ansiOnly)
{
    WideWorks = ansiOnly ? 0 : -1;
}

BOOL WideNames(void)
{
    if (WideWorks == -1) {
        // Windows 9x has the wide calls as stubs that fail so.
        SetLastError(0);
        if (GetFileAttributesW(L"\\") == INVALID_FILE_ATTRIBUTES
            && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
            WideWorks = 0;
        else
            WideWorks = 1;
    }
    return WideWorks == 1;
}

// Wide form of an ANSI text; FALSE when it does not fit.
static BOOL Widen(const char *text, WCHAR *wide, int size)
{
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, size) > 0;
}

// ANSI form of a wide name, with look-alikes where the code page has them (as
// the ANSI functions give it).  TRUE when it converts back to the same name.
BOOL NarrowExactly(const WCHAR *wide, char *text, int size)
{
    WCHAR back[MAX_PATH];

    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, size, NULL, NULL) == 0) {
        text[0] = '\0';
        return FALSE;
    }
    return MultiByteToWideChar(CP_ACP, 0, text, -1, back, MAX_PATH) > 0
           && lstrcmpW(back, wide) == 0;
}

static BOOL FromWide(const WIN32_FIND_DATAW *wide, WIN32_FIND_DATAA *entry)
{
    memset(entry, 0, sizeof(*entry));
    entry->dwFileAttributes = wide->dwFileAttributes;
    entry->ftCreationTime = wide->ftCreationTime;
    entry->ftLastAccessTime = wide->ftLastAccessTime;
    entry->ftLastWriteTime = wide->ftLastWriteTime;
    entry->nFileSizeHigh = wide->nFileSizeHigh;
    entry->nFileSizeLow = wide->nFileSizeLow;
    // A short name that does not come out exactly is no short name for us.
    if (!NarrowExactly(wide->cAlternateFileName, entry->cAlternateFileName,
                sizeof(entry->cAlternateFileName)))
        entry->cAlternateFileName[0] = '\0';
    return NarrowExactly(wide->cFileName, entry->cFileName, sizeof(entry->cFileName));
}

// Whether an entry of the ANSI search is named exactly: no "?" for a character
// the code page lacks, and no look-alike ("Erdo" for "Erdő"), which a search
// by that name answers with another entry or none: its short name (unique on
// Windows 9x) tells.  Without a pattern only the "?" is looked at (counting
// names needs no more).
static BOOL AnsiExact(const char *pattern, const WIN32_FIND_DATAA *entry)
{
    char path[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE search;
    int folder;

    if (strchr(entry->cFileName, '?') != NULL)
        return FALSE;
    if (pattern == NULL || entry->cAlternateFileName[0] == '\0'
        || strcmp(entry->cFileName, ".") == 0 || strcmp(entry->cFileName, "..") == 0)
        return TRUE;
    folder = FolderLength(pattern);
    if (folder + lstrlenA(entry->cFileName) >= MAX_PATH)
        return FALSE;
    memcpy(path, pattern, folder);
    lstrcpyA(path + folder, entry->cFileName);
    search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);
    return SameName(found.cAlternateFileName, entry->cAlternateFileName);
}

HANDLE FindFirstEntry(const char *pattern, WIN32_FIND_DATAA *entry, BOOL *exact)
{
    WIN32_FIND_DATAW wide;
    WCHAR widePattern[MAX_PATH];
    HANDLE search;

    memset(entry, 0, sizeof(*entry));
    if (WideWorks != 0 && Widen(pattern, widePattern, MAX_PATH)) {
        search = FindFirstFileW(widePattern, &wide);
        if (search != INVALID_HANDLE_VALUE) {
            WideWorks = 1;
            *exact = FromWide(&wide, entry);
            return search;
        }
        // Nothing found is an answer; only a stub that is not there sends us to ANSI.
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            WideWorks = 1;
            return INVALID_HANDLE_VALUE;
        }
        WideWorks = 0;
    }
    search = FindFirstFileA(pattern, entry);
    if (search != INVALID_HANDLE_VALUE)
        *exact = AnsiExact(pattern, entry);
    return search;
}

BOOL FindNextEntry(HANDLE search, const char *pattern, WIN32_FIND_DATAA *entry, BOOL *exact)
{
    WIN32_FIND_DATAW wide;

    if (WideWorks == 1) {
        if (!FindNextFileW(search, &wide))
            return FALSE;
        *exact = FromWide(&wide, entry);
        return TRUE;
    }
    if (!FindNextFileA(search, entry))
        return FALSE;
    *exact = AnsiExact(pattern, entry);
    return TRUE;
}

BOOL ShortNameAlone(const char *folder, int folderLength, const char *shortName)
{
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA entry;
    BOOL exact;
    HANDLE search;
    int met = 0;

    if (folderLength + 2 > (int)sizeof(pattern))
        return FALSE;
    memcpy(pattern, folder, folderLength);
    lstrcpyA(pattern + folderLength, "*");
    search = FindFirstEntry(pattern, &entry, &exact);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    // Every entry that answers to the name counts, by its long name or its short one.
    do {
        if (SameName(entry.cFileName, shortName)
            || (entry.cAlternateFileName[0] != '\0' && SameName(entry.cAlternateFileName, shortName)
                && !SameName(entry.cAlternateFileName, entry.cFileName)))
            met++;
    } while (met < 2 && FindNextEntry(search, NULL, &entry, &exact));
    FindClose(search);
    return met == 1;
}

// The name a rule chose, unless it is the entry's short name and another
// entry of the folder answers to that too: the short name is the one whose
// owner needs looking at.
static const char *Alone(const char *path, const WIN32_FIND_DATAA *entry, const char *name)
{
    if (name != NULL && name == entry->cAlternateFileName
        && !ShortNameAlone(path, FolderLength(path), name))
        return NULL;
    return name;
}

const char *HostName(const char *path, const WIN32_FIND_DATAA *entry, BOOL exact, int longest)
{
    return Alone(path, entry,
                 HostEntryName(entry->cFileName, exact, entry->cAlternateFileName, 1, longest));
}

const char *HostShort(const char *path, const WIN32_FIND_DATAA *entry, BOOL exact)
{
    return Alone(path, entry, HostShortName(entry->cFileName, exact, entry->cAlternateFileName, 1));
}

// The file (or folder) a name opens: its volume and index.  FALSE when it
// opens nothing we can ask.
static BOOL Identity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file;
    BOOL ok;

    // No access asked: nothing of the file is read, and its sharing does not stop us.
    file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    ok = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return ok;
}

static BOOL SameIdentity(const BY_HANDLE_FILE_INFORMATION *a, const BY_HANDLE_FILE_INFORMATION *b)
{
    return a->dwVolumeSerialNumber == b->dwVolumeSerialNumber
           && a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

BOOL SameFile(const char *one, const char *other)
{
    BY_HANDLE_FILE_INFORMATION a, b;

    if (strcmp(one, other) == 0)
        return TRUE;
    if (IsDeviceName(LastComponent(one)) || IsDeviceName(LastComponent(other)))
        return FALSE;
    if (!Identity(one, &a) || !Identity(other, &b))
        // Windows 9x opens no folders and numbers no files; its short names
        // are unique in their folder anyway.
        return (GetVersion() & 0x80000000) != 0;
    return SameIdentity(&a, &b);
}

BOOL TakeFiguresOfWhatOpens(const char *path, WIN32_FIND_DATAA *entry)
{
    BY_HANDLE_FILE_INFORMATION info;

    if (IsDeviceName(LastComponent(path)) || !Identity(path, &info))
        return FALSE;
    entry->dwFileAttributes = info.dwFileAttributes;
    entry->ftCreationTime = info.ftCreationTime;
    entry->ftLastAccessTime = info.ftLastAccessTime;
    entry->ftLastWriteTime = info.ftLastWriteTime;
    entry->nFileSizeHigh = info.nFileSizeHigh;
    entry->nFileSizeLow = info.nFileSizeLow;
    return TRUE;
}

BOOL ShortFolderAndName(const char *path, char *result, int size)
{
    char folder[MAX_PATH], shortFolder[MAX_PATH];
    int length = FolderLength(path);
    DWORD n;

    // The folder without its closing backslash, but a root keeps it.
    if (length == 0 || length >= (int)sizeof(folder))
        return FALSE;
    memcpy(folder, path, length);
    folder[length] = '\0';
    if (length > 1 && IsSeparator(folder[length - 1]) && !(length == 3 && folder[1] == ':'))
        folder[length - 1] = '\0';
    n = GetShortPathNameA(folder, shortFolder, sizeof(shortFolder));
    if (n == 0 || n >= sizeof(shortFolder) || !SameFile(folder, shortFolder))
        return FALSE;
    n = (DWORD)lstrlenA(shortFolder);
    if (n > 0 && !EndsWithSeparator(shortFolder) && shortFolder[n - 1] != ':')
        shortFolder[n++] = '\\';
    if ((int)(n + lstrlenA(path + length)) >= size)
        return FALSE;
    memcpy(result, shortFolder, n);
    lstrcpyA(result + n, path + length);
    return TRUE;
}

// The short form of a wide path, made ANSI exactly.  FALSE when there is none.
static BOOL ShortOfWide(const WCHAR *wide, char *result, int size)
{
    WCHAR shortWide[MAX_PATH];
    DWORD n = GetShortPathNameW(wide, shortWide, MAX_PATH);

    return n > 0 && n < MAX_PATH && NarrowExactly(shortWide, result, size);
}

// Volume and index of what a wide name opens.
static BOOL IdentityW(const WCHAR *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    BOOL ok;

    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    ok = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return ok;
}

BOOL HostPathOfWide(const WCHAR *wide, BOOL keepLast, char *result, int size)
{
    char exactText[MAX_PATH], last[MAX_PATH];
    WCHAR folder[MAX_PATH];
    BY_HANDLE_FILE_INFORMATION a, b;
    int cut = -1, n;

    // A name the code page spells exactly goes the way it always went.
    if (NarrowExactly(wide, exactText, sizeof(exactText))) {
        if (lstrlenA(exactText) >= size)
            return FALSE;
        lstrcpyA(result, exactText);
        return TRUE;
    }
    // An existing entry: its short form, when that opens it.
    if (!keepLast && ShortOfWide(wide, result, size) && IdentityW(wide, &a)
        && Identity(result, &b) && SameIdentity(&a, &b))
        return TRUE;
    // A new name (or the directory chooser's): the folder's short form and
    // the last component, which must itself come out exactly.
    for (n = 0; wide[n] != 0; n++)
        if (wide[n] == L'\\' || wide[n] == L'/')
            cut = n;
    if (cut <= 0 || cut >= MAX_PATH - 1)
        return FALSE;
    memcpy(folder, wide, cut * sizeof(WCHAR));
    folder[cut] = 0;
    if (cut == 2 && folder[1] == L':') {   // a root keeps its backslash
        folder[2] = L'\\';
        folder[3] = 0;
    }
    if (!NarrowExactly(wide + cut + 1, last, sizeof(last)) || !ShortOfWide(folder, result, size))
        return FALSE;
    n = lstrlenA(result);
    if (n > 0 && !EndsWithSeparator(result))
        result[n++] = '\\';
    if (n + lstrlenA(last) >= size)
        return FALSE;
    lstrcpyA(result + n, last);
    return TRUE;
}
