// dialogs.cpp - the open and save dialogs and the directory selection that
// rides on them (requests 7 and 8).  The outcome is posted to the host.
#include "bridge.h"
#include "dialog_rules.h"
#include "../../res/resource.h"
#include <commdlg.h>
#include <stdio.h>
#include <string.h>

// The initial name the dialog shows: its long form, found in the initial
// directory when it comes without one.
static void PrepareInitialName(char *name, const char *directory, char *work, char *file)
{
    WIN32_FIND_DATAA found;
    HANDLE search;
    BOOL exact;
    const char *shown;

    file[0] = '\0';
    if (name[0] == '\0')
        return;
    if (LastSeparator(name) > 0) {
        ExpandLongPath(name, file, 256);
        return;
    }
    if (directory[0] != '\0') {
        // A join cut at 255 characters could spell another name ("report.txt"
        // as "repo"): a join that does not fit takes the folder's short form,
        // and without one that fits the name is left out.
        char joined[MAX_PATH * 2];
        snprintf(joined, sizeof(joined), "%s\\%s", directory, name);
        if (strlen(joined) < 256)
            lstrcpyA(work, joined);
        else if (!ShortFolderAndName(joined, work, 256))
            return;
        ExpandLongPath(work, name, 256);
    }
    // Shown as the host could be given it; a name that opens no entry alone
    // goes to the dialog as it came.
    search = FindFirstEntry(name, &found, &exact);
    shown = NULL;
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        shown = HostName(name, &found, exact, 0);
    }
    lstrcpynA(file, shown != NULL ? shown : name, 256);
}

// The name the host gets: the 8.3 form of an existing name, checked to open
// the chosen file; for a new name (or one whose short form is another's) the
// short folder and the long last component.  Without a short form, the name
// as the dialog returned it.  Nothing is created to find out.
static void ConvertChosenName(const char *chosen, int selectDirectory, char *work)
{
    DWORD n;

    if (selectDirectory) {
        lstrcpynA(work, chosen, 256);
        return;
    }
    work[0] = '\0';
    if (GetFileAttributesA(chosen) != INVALID_FILE_ATTRIBUTES) {
        n = GetShortPathNameA(chosen, work, 256);
        if (n > 0 && n < 256 && work[0] != '\0' && SameFile(chosen, work))
            return;
    }
    if (!ShortFolderAndName(chosen, work, 256))
        lstrcpynA(work, chosen, 256);
}

// Wide form of an ANSI text of count characters (-1: up to its zero).
static void Widen(const char *text, int count, WCHAR *wide, int size)
{
    if (MultiByteToWideChar(CP_ACP, 0, text, count, wide, size) == 0)
        wide[0] = 0;
}

// The dialog run wide, from the ANSI record the request built: the ANSI
// dialog turns a name outside the code page into a look-alike ("Erdo" for
// "Erdő", opening another file) or "?" before we could see it.  The chosen
// name comes back in file as the host may be given it; a choice no ANSI name
// opens is answered as Cancel is.
static BOOL RunWideDialog(UINT code, OPENFILENAMEA *ofn, int selectDirectory)
{
    WCHAR filter[260], file[MAX_PATH], fileTitle[MAX_PATH], directory[256], title[256];
    WCHAR extension[256], templateName[16];
    OPENFILENAMEW w;
    const char *p;
    BOOL result;

    // The filter is a list of texts ended by an empty one.
    for (p = ofn->lpstrFilter; *p != '\0'; p += lstrlenA(p) + 1)
        ;
    memset(filter, 0, sizeof(filter));
    if (p > ofn->lpstrFilter)
        Widen(ofn->lpstrFilter, (int)(p - ofn->lpstrFilter), filter, 258);
    Widen(ofn->lpstrFile, -1, file, MAX_PATH);
    Widen(ofn->lpstrInitialDir, -1, directory, 256);
    Widen(ofn->lpstrTitle, -1, title, 256);
    Widen(ofn->lpstrDefExt, -1, extension, 256);
    fileTitle[0] = 0;

    memset(&w, 0, sizeof(w));
    w.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    w.hwndOwner = ofn->hwndOwner;
    w.hInstance = ofn->hInstance;
    w.lpstrFilter = filter;
    w.nFilterIndex = ofn->nFilterIndex;
    w.lpstrFile = file;
    w.nMaxFile = 256;   // the host's limit, as the ANSI dialog has it
    w.lpstrFileTitle = fileTitle;
    w.nMaxFileTitle = MAX_PATH;
    w.lpstrInitialDir = directory;
    w.lpstrTitle = title;
    w.Flags = ofn->Flags;
    w.lpstrDefExt = extension;
    if (ofn->lpTemplateName != NULL) {
        Widen(ofn->lpTemplateName, -1, templateName, 16);
        w.lpTemplateName = templateName;
    }

    result = code == KXR_OPEN_DIALOG ? OdGetOpenFileNameW(&w) : OdGetSaveFileNameW(&w);
    ofn->nFilterIndex = w.nFilterIndex;
    ofn->Flags = w.Flags;
    ofn->lpstrFile[0] = ofn->lpstrFileTitle[0] = '\0';
    if (!result) {
        // The size the buffer would have needed is no name: the file stays empty.
        if (OdCommDlgExtendedError() == 0)
            NarrowExactly(file, ofn->lpstrFile, (int)ofn->nMaxFile);
        return FALSE;
    }
    if (!HostPathOfWide(file, selectDirectory, ofn->lpstrFile, (int)ofn->nMaxFile)) {
        if (TRACING()) {
            char text[TRACE_TEXT_SIZE], spelt[MAX_PATH];
            WideCharToMultiByte(CP_ACP, 0, file, -1, spelt, sizeof(spelt), NULL, NULL);
            spelt[sizeof(spelt) - 1] = '\0';
            TraceRequestNote("chosen %s has no ANSI name that opens it: answered as Cancel",
                             TraceEscape(spelt, text, sizeof(text)));
        }
        ofn->lpstrFile[0] = '\0';
        return FALSE;
    }
    // A title the code page cannot spell is the name's last component.
    if (!NarrowExactly(fileTitle, ofn->lpstrFileTitle, (int)ofn->nMaxFileTitle))
        lstrcpynA(ofn->lpstrFileTitle, ofn->lpstrFile + LastSeparator(ofn->lpstrFile) + 1,
                  (int)ofn->nMaxFileTitle);
    return TRUE;
}

LRESULT RequestFileDialog(UINT code, LPARAM lParam)
{
    // The filter keeps room for a whole 255-character text and the two zeros
    // that end its list.
    char work[256], filter[258], file[256], fileTitle[256], directory[256], name[256];
    char extension[256], savedFolder[MAX_PATH];
    OPENFILENAMEA ofn;
    DialogFields fields;
    HWND replyWindow = HostWindow(HIWORD(lParam));
    int selectDirectory = 0;
    BOOL result;
    unsigned fileOffset, extensionOffset;
    ATOM pathAtom, titleAtom, replyAtom;

    memset(&ofn, 0, sizeof(ofn));
    TakeAtomString(LOWORD(lParam), work, sizeof(work));
    ParseDialogArguments(work, &fields);

    memset(filter, 0, sizeof(filter));
    TakeAtomString(fields.filterAtom, filter, 256);
    TakeAtomString(fields.directoryAtom, directory, sizeof(directory));
    FilterFromHashes(filter);
    TakeAtomString(fields.nameAtom, name, sizeof(name));

    if (IsSelectDirectoryName(name)) {
        selectDirectory = 1;
        ofn.hInstance = BridgeState.instance;
        ofn.lpTemplateName = IDD_SELECTDIR;
        fields.flags |= OFN_ENABLETEMPLATE | OFN_LONGNAMES;
        lstrcpynA(file, name, sizeof(file));
    } else {
        PrepareInitialName(name, directory, work, file);
    }

    TakeAtomString(fields.titleAtom, name, sizeof(name));
    TakeAtomString(fields.extensionAtom, extension, sizeof(extension));
    fileTitle[0] = '\0';

    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    // The dialog disables its owner, which waits on the owner's thread: a
    // hung owner would hold us for as long as it hangs.
    ofn.hwndOwner = HostWindow(fields.owner);
    if (!Responds(ofn.hwndOwner)) {
        TraceRequestNote("owner %lu does not answer: no owner", (unsigned long)(UINT_PTR)ofn.hwndOwner);
        ofn.hwndOwner = NULL;
    }
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = fields.filterIndex;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = sizeof(fileTitle);
    ofn.lpstrInitialDir = directory;
    ofn.lpstrTitle = name;
    ofn.Flags = fields.flags;
    ofn.lpstrDefExt = extension;

    // The dialog moves our current folder as the user browses; requests that
    // follow resolve relative paths against the one we were started in.
    savedFolder[0] = '\0';
    GetCurrentDirectoryA(sizeof(savedFolder), savedFolder);
    if (WideNames() && OnDemand(code == KXR_OPEN_DIALOG ? OD_GETOPENFILENAMEW
                                                        : OD_GETSAVEFILENAMEW) != NULL) {
        result = RunWideDialog(code, &ofn, selectDirectory);
    } else {
        // Windows 9x: the ANSI dialog, where a "?" in the name is the sign.
        result = code == KXR_OPEN_DIALOG ? OdGetOpenFileName(&ofn) : OdGetSaveFileName(&ofn);
        // A name longer than the buffer fails the dialog, which then writes
        // the size it needed into the buffer's first bytes: that is no path.
        if (!result && OdCommDlgExtendedError() != 0)
            file[0] = '\0';
        // A "?" stands for a character the code page lacks: the name opens nothing.
        if (result && strchr(file, '?') != NULL) {
            TraceRequestNote("chosen name has a character the code page lacks: answered as Cancel");
            file[0] = '\0';
            result = FALSE;
        }
    }
    if (savedFolder[0] != '\0')
        SetCurrentDirectoryA(savedFolder);

    ConvertChosenName(file, selectDirectory, work);
    DialogOffsets(work, &fileOffset, &extensionOffset);
    pathAtom = AtomFromString(work);
    titleAtom = AtomFromString(fileTitle);
    FormatDialogReply(work, sizeof(work), ofn.nFilterIndex, pathAtom, titleAtom, ofn.Flags,
                      fileOffset, extensionOffset);
    replyAtom = AtomFromString(work);
    if (TRACING()) {
        char text[TRACE_TEXT_SIZE];
        TraceRequestNote("dialog result %d reply %u %s to %lu", (int)result, replyAtom,
                         TraceEscape(work, text, sizeof(text)), (unsigned long)(UINT_PTR)replyWindow);
    }
    // A reply nobody receives would leave its atoms in the table for good.
    // (A post to no window at all would go to our own queue: IsWindow first.)
    if (!IsWindow(replyWindow)
        || !PostMessageA(replyWindow, WM_USER, code, MAKELPARAM(replyAtom, LOWORD(result)))) {
        if (replyAtom != 0)
            GlobalDeleteAtom(replyAtom);
        if (titleAtom != 0)
            GlobalDeleteAtom(titleAtom);
        if (pathAtom != 0)
            GlobalDeleteAtom(pathAtom);
        TraceRequestNote("reached nobody: its atoms deleted");
    }
    return 0;
}
