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
    if (LastBackslash(name) > 0) {
        ExpandLongPath(name, file, 256);
        return;
    }
    if (directory[0] != '\0') {
        // A join too long for the buffer is cut to 255 characters.
        snprintf(work, 256, "%s\\%s", directory, name);
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

LRESULT RequestFileDialog(UINT code, LPARAM lParam)
{
    // The filter keeps room for a whole 255-character text and the two zeros
    // that end its list.
    char work[256], filter[258], file[256], fileTitle[256], directory[256], name[256];
    char extension[256];
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
    ofn.hwndOwner = HostWindow(fields.owner);
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

    result = code == KXR_OPEN_DIALOG ? OdGetOpenFileName(&ofn) : OdGetSaveFileName(&ofn);

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
