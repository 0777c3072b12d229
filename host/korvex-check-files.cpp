// korvex-check-files.cpp - names and files: paths, names in other scripts,
// the disk, file operations, times, the search and the listing.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include "korvex-check.h"

void CheckPaths(CheckRun *)
{
    char folder[MAX_PATH], file[MAX_PATH], answer[300], opened[64], expected[MAX_PATH];

    Join(folder, sizeof(folder), Scratch, "Long Folder Name");
    Join(file, sizeof(file), folder, "A Long File Name.txt");
    CreateDirectoryA(folder, NULL);
    if (!WriteMarker(file, "korvex-check marker")) {
        Skip("paths", "the scratch folder cannot be written");
        return;
    }
    AskText(KXR_SHORT_PATH, file, 0, answer, sizeof(answer));
    Opens(answer, opened, sizeof(opened));
    Same("paths: the short form opens the file", "korvex-check marker", opened);
    char shortForm[300];
    lstrcpynA(shortForm, answer, sizeof(shortForm));
    AskText(KXR_LONG_PATH, shortForm, 0, answer, sizeof(answer));
    Same("paths: the long form of the short form", file, answer);
    // A name about to be made: the short folder and the name as written.
    char fresh[MAX_PATH], shortFolder[MAX_PATH] = "";
    Join(fresh, sizeof(fresh), folder, "Not Made Yet.txt");
    GetShortPathNameA(folder, shortFolder, sizeof(shortFolder));
    Join(expected, sizeof(expected), shortFolder, "Not Made Yet.txt");
    AskText(KXR_SHORT_PATH, fresh, 0, answer, sizeof(answer));
    Same("paths: a new name keeps its long last component", expected, answer);
    SameNumber("paths: a device name has no short form", 0,
               (unsigned long)Ask(KXR_SHORT_PATH, "C:\\aux.txt", 0));
}

void CheckDisk(CheckRun *)
{
    char root[8], total[32], free[32];

    lstrcpynA(root, Scratch, 4);   // "C:\"
    AskText(KXR_DISK_SIZE, root, 0, total, sizeof(total));
    AskText(KXR_DISK_FREE, root, 0, free, sizeof(free));
    BOOL digits = total[0] != '\0' && strspn(total, "0123456789") == strlen(total)
                  && free[0] != '\0' && strspn(free, "0123456789") == strlen(free);
    Holds("disk: sizes are decimal digits", digits, "digits", total);
    Holds("disk: the disk has a size", strcmp(total, "0") != 0, "not 0", total);
    BOOL fits = strlen(free) < strlen(total) || (strlen(free) == strlen(total) && strcmp(free, total) <= 0);
    Holds("disk: free is at most the total", fits, total, free);
}

void CheckFileOps(CheckRun *)
{
    char dir[MAX_PATH], file[MAX_PATH], moved[MAX_PATH], missing[MAX_PATH];

    Join(dir, sizeof(dir), Scratch, "made by request 10");
    Join(file, sizeof(file), dir, "empty.txt");
    Join(moved, sizeof(moved), dir, "moved.txt");
    Join(missing, sizeof(missing), Scratch, "no such folder\\x.txt");
    Holds("files: 10 makes a folder", Ask(KXR_MAKE_DIR, dir, 0) != 0, "nonzero", "0");
    SameNumber("files: 10 on a folder that exists answers 0", 0, (unsigned long)Ask(KXR_MAKE_DIR, dir, 0));
    SameNumber("files: 13 creates an empty file", 0, (unsigned long)Ask(KXR_CREATE_FILE, file, 0));
    SameNumber("files: 13 in a missing folder answers -1", 0xFFFFFFFFul,
               (unsigned long)(DWORD)Ask(KXR_CREATE_FILE, missing, 0));
    ATOM from = KorvexAtom(file), to = KorvexAtom(moved);
    Holds("files: 12 moves", KorvexRequest(&Link, KXR_MOVE_FILE, from, to) != 0, "nonzero", "0");
    SetFileAttributesA(moved, FILE_ATTRIBUTE_READONLY);
    Holds("files: 11 deletes a read-only file", Ask(KXR_DELETE_FILE, moved, 0) != 0, "nonzero", "0");
    Holds("files: 18 removes the folder", Ask(KXR_REMOVE_DIR, dir, 0) != 0, "nonzero", "0");
    Holds("files: nothing is left", GetFileAttributesA(dir) == INVALID_FILE_ATTRIBUTES, "gone", "there");
}

void CheckTimes(CheckRun *)
{
    char file[MAX_PATH], answer[300], expected[300], shortName[20];
    SYSTEMTIME st;
    FILETIME local, utc;
    HANDLE f;

    Join(file, sizeof(file), Scratch, "dated.txt");
    WriteMarker(file, "12345");
    memset(&st, 0, sizeof(st));
    st.wYear = 1998; st.wMonth = 3; st.wDay = 15; st.wHour = 13; st.wMinute = 45; st.wSecond = 20;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    f = CreateFileA(file, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(f, &utc, NULL, &utc);
    CloseHandle(f);
    SameNumber("times: 9 gives the DOS date and time", 0x246F6DAAul,
               (unsigned long)Ask(KXR_FILE_DOSTIME, file, 0));
    AskText(KXR_FILE_INFO, file, 0, answer, sizeof(answer));
    if (GetShortPathNameA(file, expected, sizeof(expected)) == 0)
        lstrcpynA(expected, file, sizeof(expected));
    lstrcpynA(shortName, KorvexLastComponent(expected), sizeof(shortName));
    snprintf(expected, sizeof(expected), "5 32 19980315134520 19980315134520 %s", shortName);
    Same("times: 17 describes the file", expected, answer);
    char there[32], back[32];
    AskText(KXR_LOCAL_TO_UTC, "20240615120000", 0, there, sizeof(there));
    AskText(KXR_UTC_TO_LOCAL, there, 0, back, sizeof(back));
    Same("times: 23 then 24 give the time back", "20240615120000", back);
    SameNumber("times: month 13 answers 0", 0, (unsigned long)Ask(KXR_LOCAL_TO_UTC, "20241301000000", 0));
}

void CheckSearchAndListing(CheckRun *)
{
    char folder[MAX_PATH], path[MAX_PATH], pattern[MAX_PATH], name[300], text[300];
    const char *names[] = { "first.txt", "second.txt", "third.txt" };
    int found = 0;

    Join(folder, sizeof(folder), Scratch, "listed");
    CreateDirectoryA(folder, NULL);
    for (int i = 0; i < 3; i++) {
        char content[8] = "abcdefg";
        content[i + 1] = '\0';
        Join(path, sizeof(path), folder, names[i]);
        WriteMarker(path, content);   // sizes 1, 2 and 3
    }
    Join(pattern, sizeof(pattern), folder, "*.txt");
    AskText(KXR_FIND_FIRST, pattern, 0x37, name, sizeof(name));
    for (int guard = 0; name[0] != '\0' && guard < 10; guard++) {
        for (int i = 0; i < 3; i++)
            found += strcmp(name, names[i]) == 0;
        KorvexTakeResult((ATOM)KorvexRequest(&Link, KXR_FIND_NEXT, 0, 0x37), name, sizeof(name));
    }
    KorvexRequest(&Link, KXR_FIND_END, 0, 0);
    SameNumber("search: 14 and 15 name each file once", 3, (unsigned long)found);

    SendMessageA(ListBox, LB_RESETCONTENT, 0, 0);
    snprintf(text, sizeof(text), "6%s", folder);
    SameNumber("listing: 32 answers 0", 0, (unsigned long)Ask(KXR_FILL_LIST, text, LOWORD((UINT_PTR)ListBox)));
    int count = (int)SendMessageA(ListBox, LB_GETCOUNT, 0, 0), good = 0;
    for (int i = 0; i < count; i++) {
        char line[600];
        ListingFields fields;
        if (SendMessageA(ListBox, LB_GETTEXTLEN, i, 0) >= (LRESULT)sizeof(line))
            continue;
        SendMessageA(ListBox, LB_GETTEXT, i, (LPARAM)line);
        if (DecodeListingLine(line, &fields) && fields.kind == 0)
            for (int n = 0; n < 3; n++)
                good += strcmp(fields.name, names[n]) == 0 && fields.size == (uint32_t)(n + 1);
    }
    SameNumber("listing: a line a file, with its size", 3, (unsigned long)good);
    SameNumber("listing: lines in all", 3, (unsigned long)count);
    snprintf(text, sizeof(text), "6%s\\no such folder", Scratch);
    SameNumber("listing: a missing folder answers 39", 39,
               (unsigned long)Ask(KXR_FILL_LIST, text, LOWORD((UINT_PTR)ListBox)));
}

// Whether our own key is there, and its removal; the registry library is
// looked up as korvex looks it up, so the check imports nothing korvex does not.

// Names made with the wide functions, as users' names in other scripts are:
// a Cyrillic one, and a look-alike beside the name it would turn into.  Every
// name korvex lists opens its own file.
void CheckNames(CheckRun *)
{
    static const WCHAR *const names[] = {
        L"\x041f\x0440\x0438\x0432\x0435\x0442.txt", L"Erd\x0151.txt", L"Erdo.txt",
    };
    static const char *const markers[] = { "names 1", "names 22", "names 333" };
    char folder[MAX_PATH], text[MAX_PATH + 2], opened[64];
    WCHAR wide[MAX_PATH + 16];

    Join(folder, sizeof(folder), Scratch, "names");
    CreateDirectoryA(folder, NULL);
    for (int i = 0; i < 3; i++) {
        int n = MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, MAX_PATH);
        if (n == 0)
            break;
        lstrcpyW(wide + n - 1, L"\\");
        lstrcpyW(wide + n, names[i]);
        HANDLE f = CreateFileW(wide, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (f == INVALID_HANDLE_VALUE) {
            Skip("names", "this system makes no file by a wide name (Windows 9x)");
            return;
        }
        DWORD written;
        WriteFile(f, markers[i], (DWORD)strlen(markers[i]), &written, NULL);
        CloseHandle(f);
    }
    SendMessageA(ListBox, LB_RESETCONTENT, 0, 0);
    snprintf(text, sizeof(text), "6%s", folder);
    Ask(KXR_FILL_LIST, text, LOWORD((UINT_PTR)ListBox));
    int count = (int)SendMessageA(ListBox, LB_GETCOUNT, 0, 0), own = 0, seen = 0;
    for (int i = 0; i < count; i++) {
        char line[600], path[MAX_PATH];
        ListingFields fields;
        if (SendMessageA(ListBox, LB_GETTEXTLEN, i, 0) >= (LRESULT)sizeof(line))
            continue;
        SendMessageA(ListBox, LB_GETTEXT, i, (LPARAM)line);
        if (!DecodeListingLine(line, &fields))
            continue;
        Join(path, sizeof(path), folder, fields.name);
        Opens(path, opened, sizeof(opened));
        for (int m = 0; m < 3; m++)
            if (strcmp(opened, markers[m]) == 0 && fields.size == strlen(markers[m])
                && !(seen & (1 << m))) {
                seen |= 1 << m;
                own++;
            }
    }
    SameNumber("names: each listed name opens its own file", (unsigned long)count, (unsigned long)own);
    SameNumber("names: a Cyrillic name and a look-alike are listed", 3, (unsigned long)count);
}
