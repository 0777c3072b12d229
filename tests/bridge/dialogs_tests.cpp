// The file dialogs under Wine and Xvfb, driven for real: a second thread finds
// the dialog, reads what it shows, types a name and presses OK or Cancel.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include "testsupport.h"


// What the driver thread does with the dialog, and what it saw.
struct Driver {
    DWORD pid;
    HWND request;
    std::string type;      // typed into the name box when not empty
    std::wstring typeWide; // the same, in a name outside the code page
    bool ok;               // OK, else Cancel
    std::string caption, shownName;
    bool found, nameOffDialog, directoriesVisible;
    LRESULT nested;
};

static DWORD WINAPI Drive(void *parameter)
{
    Driver *d = (Driver *)parameter;
    HWND dialog = FindDialog(NULL, d->pid, 15000);
    d->found = dialog != NULL;
    if (!d->found)
        return 0;
    Sleep(200);
    d->caption = ControlText(dialog);
    HWND edit = DialogNameBox(dialog);
    d->shownName = ControlText(edit);
    RECT dialogRect, editRect;
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(edit, &editRect);
    // In the directory template the name, file list and types lie off the left.
    d->nameOffDialog = editRect.right <= dialogRect.left;
    for (int id : { 1120, 1136, 1089 }) {
        RECT r;
        HWND control = GetDlgItem(dialog, id);
        if (control != NULL && GetWindowRect(control, &r) && r.right > dialogRect.left)
            d->nameOffDialog = false;
    }
    d->directoriesVisible = IsWindowVisible(GetDlgItem(dialog, 1121)) != FALSE
                            && IsWindowVisible(GetDlgItem(dialog, 1137)) != FALSE;
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(d->request, WM_USER, KXR_IS_NT, 0, SMTO_NORMAL, 5000, &answer);
    d->nested = (LRESULT)answer;
    if (!d->type.empty())
        SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)d->type.c_str());
    if (!d->typeWide.empty())
        SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)d->typeWide.c_str());
    PostMessageA(dialog, WM_COMMAND, d->ok ? IDOK : IDCANCEL, 0);
    return 0;
}

struct Reply {
    bool arrived;
    unsigned confirmed;
    unsigned filterIndex, flags, fileOffset, extensionOffset;
    std::string path, title;
};

class Dialogs : public ::testing::Test {
protected:
    static Bridge bridge;
    static std::string tree, file;
    static void SetUpTestSuite()
    {
        tree = MakeTempTree("kxdialog");
        file = tree + "\\Long Document Name.txt";
        WriteFileOfSize(file, 20);
        ASSERT_TRUE(StartBridge(&bridge, "dialog host"));
        bridge.link.timeout = Slow(15000);
    }
    static void TearDownTestSuite()
    {
        EndBridge(&bridge);
        RemoveTree(tree);
    }

    // Runs request code with the eight fields (texts made atoms here) while d
    // drives the dialog, and reads the posted reply.
    static Reply Run(UINT code, const char *filter, unsigned index, const char *name,
                     const char *directory, const char *title, unsigned flags, Driver *d,
                     bool emptyArgument = false, const char *extension = NULL)
    {
        return RunOn(&bridge, Word(bridge.host), code, filter, index, name, directory, title,
                     flags, d, emptyArgument, extension);
    }

    // The same with a bridge of the test's own and any reply window word.
    static Reply RunOn(Bridge *b, WORD replyWord, UINT code, const char *filter, unsigned index,
                       const char *name, const char *directory, const char *title,
                       unsigned flags, Driver *d, bool emptyArgument = false,
                       const char *extension = NULL)
    {
        char text[128];
        snprintf(text, sizeof(text), "%u %u %u %u %u %u %u %u", 0u, KorvexAtom(filter), index,
                 KorvexAtom(name), KorvexAtom(directory), KorvexAtom(title), flags,
                 KorvexAtom(extension));
        d->pid = GetProcessId(b->link.process);
        d->request = b->link.request;
        HANDLE thread = CreateThread(NULL, 0, Drive, d, 0, NULL);
        ClearRecorded();
        EXPECT_EQ(0, KorvexRequest(&b->link, code, emptyArgument ? 0 : KorvexAtom(text),
                                   replyWord));
        Reply r = {};
        Seen seen;
        bool toHost = replyWord == Word(b->host);
        r.arrived = WaitRecorded(b->host, WM_USER, toHost ? 5000 : 1000, &seen)
                    && seen.wParam == code;
        if (WaitForSingleObject(thread, Slow(10000)) != WAIT_OBJECT_0)
            TerminateThread(thread, 1);
        CloseHandle(thread);
        // A dialog left open would answer the next test's search: cancel it.
        HWND stale;
        for (int i = 0; i < 10 && (stale = FindDialog(NULL, d->pid, 0)) != NULL; i++) {
            PostMessageA(stale, WM_COMMAND, IDCANCEL, 0);
            KorvexPump(300);
        }
        if (!r.arrived)
            return r;
        EXPECT_TRUE(seen.posted);
        r.confirmed = HIWORD(seen.lParam);
        std::string reply = ResultText(LOWORD(seen.lParam));
        unsigned pathAtom = 0, titleAtom = 0;
        EXPECT_EQ(6, sscanf(reply.c_str(), "%u %u %u %u %u %u", &r.filterIndex, &pathAtom,
                            &titleAtom, &r.flags, &r.fileOffset, &r.extensionOffset)) << reply;
        r.path = ResultText(pathAtom);
        r.title = ResultText(titleAtom);
        return r;
    }
};
Bridge Dialogs::bridge;
std::string Dialogs::tree, Dialogs::file;

// A file made by its wide name, holding marker; "" when it cannot be made.
static std::wstring MakeMarked(const std::string &folder, const wchar_t *name, const char *marker)
{
    WCHAR wideFolder[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH);
    std::wstring path = std::wstring(wideFolder) + L"\\" + name;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return L"";
    DWORD n;
    WriteFile(f, marker, (DWORD)strlen(marker), &n, NULL);
    CloseHandle(f);
    return path;
}

// What an ANSI name the host was given opens: its marker, or "<nothing>".
static std::string MarkerOf(const std::string &path)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return "<nothing>";
    char m[16] = "";
    DWORD n = 0;
    ReadFile(f, m, sizeof(m) - 1, &n, NULL);
    CloseHandle(f);
    m[n] = '\0';
    return m;
}

TEST_F(Dialogs, OpenAnExistingFileGivesItsShortForm)
{
    Driver d = {};
    d.type = file;
    d.ok = true;
    Reply r = Run(KXR_OPEN_DIALOG, "Text#*.txt#All#*.*#", 2, NULL, tree.c_str(), "Pick One", 0, &d);
    ASSERT_TRUE(d.found) << "no dialog";
    EXPECT_EQ("Pick One", d.caption);
    EXPECT_EQ(1, d.nested) << "a request served while the dialog is open";
    ASSERT_TRUE(r.arrived) << "no reply";
    EXPECT_NE(0u, r.confirmed);
    EXPECT_EQ(ShortPath(file), r.path);
    EXPECT_EQ("Long Document Name.txt", r.title);
    EXPECT_EQ(2u, r.filterIndex);
    size_t slash = r.path.rfind('\\');
    EXPECT_EQ(slash + 1, r.fileOffset) << "offsets of the short text";
    EXPECT_EQ(r.path.rfind('.') + 1, r.extensionOffset);
}

TEST_F(Dialogs, SaveANewNameKeepsItsLongLastComponent)
{
    Driver d = {};
    std::string fresh = tree + "\\Brand New Document.txt";
    d.type = fresh;
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, "All#*.*", 1, NULL, tree.c_str(), "Save It", 0, &d);
    ASSERT_TRUE(r.arrived);
    EXPECT_NE(0u, r.confirmed);
    EXPECT_EQ(ShortPath(tree) + "\\Brand New Document.txt", r.path);
    EXPECT_FALSE(FileExists(fresh)) << "the probe file is gone again";
    EXPECT_EQ(ShortPath(tree).size() + 1, r.fileOffset);
}

TEST_F(Dialogs, CancelStillReplies)
{
    Driver d = {};
    d.ok = false;
    Reply r = Run(KXR_OPEN_DIALOG, NULL, 0, NULL, NULL, NULL, 0, &d, true);
    ASSERT_TRUE(d.found);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(0u, r.confirmed) << "0 in the high word";
    EXPECT_LE(r.filterIndex, 1u) << "Wine reports index 1 for an empty list";
    EXPECT_EQ("<0>", r.path);
    EXPECT_EQ(0u, r.fileOffset) << "no backslash: offset 0";
}

TEST_F(Dialogs, InitialNameFoundInTheInitialDirectory)
{
    Driver d = {};
    d.ok = false;
    Run(KXR_OPEN_DIALOG, NULL, 0, "long document name.txt", tree.c_str(), NULL, 0, &d);
    ASSERT_TRUE(d.found);
    EXPECT_EQ("Long Document Name.txt", d.shownName) << "the name alone, as stored";

    Driver w = {};
    w.ok = false;
    Run(KXR_OPEN_DIALOG, NULL, 0, (tree + "\\Long*.txt").c_str(), NULL, NULL, 0, &w);
    // The dialog shows the folder apart from the name.
    EXPECT_EQ("Long Document Name.txt", w.shownName) << "a pattern is replaced by its first match";

    Driver f = {};
    f.ok = false;
    Run(KXR_OPEN_DIALOG, NULL, 0, ShortPath(file).c_str(), NULL, NULL, 0, &f);
    EXPECT_EQ("Long Document Name.txt", f.shownName) << "a full short path goes in its long form";
}

TEST_F(Dialogs, DirectorySelection)
{
    const UINT codes[] = { KXR_SAVE_DIALOG, KXR_OPEN_DIALOG };
    const char *names[] = { "IzBoR$nA.DiR", "IZBOR$NA.DIR" };
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(names[i]);
        Driver d = {};
        d.ok = true;
        Reply r = Run(codes[i], NULL, 0, names[i], tree.c_str(), "Choose a Folder", 0, &d);
        ASSERT_TRUE(d.found);
        EXPECT_EQ("Choose a Folder", d.caption);
        EXPECT_TRUE(d.nameOffDialog) << "the name box lies left of the dialog";
        EXPECT_TRUE(d.directoriesVisible);
        ASSERT_TRUE(r.arrived);
        EXPECT_NE(0u, r.confirmed);
        EXPECT_EQ(0x200040u, r.flags & 0x200040u);
        ASSERT_LE(r.fileOffset, r.path.size());
        std::string chosen = r.path.substr(0, r.fileOffset);
        EXPECT_EQ(names[i], r.path.substr(r.fileOffset)) << r.path;
        EXPECT_EQ('\\', chosen[chosen.size() - 1]);
    }
}

TEST_F(Dialogs, EmptyTitleIsPassedAsAnEmptyText)
{
    // The host gave no title: the dialog gets a pointer to "", which replaces
    // the template's caption as it replaces the system's default one.
    Driver d = {};
    d.ok = false;
    Reply r = Run(KXR_OPEN_DIALOG, NULL, 0, "izbor$na.dir", tree.c_str(), NULL, 0, &d);
    ASSERT_TRUE(d.found);
    EXPECT_EQ("", d.caption);
    EXPECT_TRUE(d.nameOffDialog);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(0u, r.confirmed);
}

TEST_F(Dialogs, DefaultExtensionAndFilterWithoutTrailingHash)
{
    Driver d = {};
    d.type = tree + "\\Plain Name";
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, "Anything#*.*", 1, NULL, tree.c_str(), NULL, 0, &d, false, "kxd");
    // By name: the bridge's own atoms may reuse the numbers.
    EXPECT_EQ(0, GlobalFindAtomA("kxd")) << "every atom the text names is taken";
    EXPECT_EQ(0, GlobalFindAtomA("Anything#*.*"));
    EXPECT_EQ(0, GlobalFindAtomA(tree.c_str()));
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(ShortPath(tree) + "\\Plain Name.kxd", r.path);
    EXPECT_EQ(r.path.size() - 3, r.extensionOffset);
}

TEST_F(Dialogs, NameWithoutAShortFormComesBackAsChosen)
{
    // Cancelled over a name in a folder that does not exist: no short form
    // can be had, so the path is the name as the dialog left it.
    std::string missing = tree + "\\No Such Folder\\Some New Name.txt";
    Driver d = {};
    d.ok = false;
    Reply r = Run(KXR_SAVE_DIALOG, NULL, 0, missing.c_str(), NULL, NULL, 0, &d);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(0u, r.confirmed);
    EXPECT_EQ(missing, r.path);
    EXPECT_EQ(missing.rfind('\\') + 1, r.fileOffset);
    EXPECT_FALSE(FileExists(tree + "\\No Such Folder"));
}

// What a user keeps beside the host (and so beside korvex) or in the system
// folder has a name like any other: a dialog over that name must leave it be.
TEST_F(Dialogs, ProbeNeverTouchesAFileOfTheUser)
{
    std::string app = MakeTempTree("kxapp"), cwd = MakeTempTree("kxcwd");
    ASSERT_TRUE(CopyFileA(BinPath("korvex.exe").c_str(), (app + "\\korvex.exe").c_str(), FALSE));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    const std::string victims[] = { app + "\\victim2.txt", std::string(system) + "\\victim2.txt",
                                    app + "\\fresh one.txt" };
    for (const std::string &v : victims)
        ASSERT_TRUE(WriteFileOfSize(v, 77)) << v;

    // korvex from the user's folder, working in another.
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof(old), old);
    SetCurrentDirectoryA(cwd.c_str());
    Bridge own;
    bool started = StartBridgeFrom(&own, "user's files host", (app + "\\korvex.exe").c_str());
    SetCurrentDirectoryA(old);
    ASSERT_TRUE(started);
    own.link.timeout = Slow(15000);

    Driver cancel = {};
    Reply r = RunOn(&own, Word(own.host), KXR_OPEN_DIALOG, NULL, 0, "victim2.txt", NULL, NULL, 0,
                    &cancel);
    EXPECT_TRUE(cancel.found);
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(0u, r.confirmed);

    Driver save = {};
    save.type = cwd + "\\fresh one.txt";
    save.ok = true;
    r = RunOn(&own, Word(own.host), KXR_SAVE_DIALOG, NULL, 0, NULL, cwd.c_str(), NULL, 0, &save);
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(ShortPath(cwd) + "\\fresh one.txt", r.path);

    // A folder nobody can write in: no probe can be made, the name comes back.
    std::string locked = "Z:\\proc\\kx locked name.txt";
    Driver none = {};
    r = RunOn(&own, Word(own.host), KXR_OPEN_DIALOG, NULL, 0, locked.c_str(), NULL, NULL, 0, &none);
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(locked, r.path);
    EXPECT_FALSE(FileExists(locked));

    EndBridge(&own);
    for (const std::string &v : victims) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        EXPECT_TRUE(GetFileAttributesExA(v.c_str(), GetFileExInfoStandard, &data)) << v << " is gone";
        EXPECT_EQ(77u, data.nFileSizeLow) << v;
    }
    EXPECT_FALSE(FileExists(cwd + "\\victim2.txt")) << "a probe left behind";
    EXPECT_FALSE(FileExists(cwd + "\\fresh one.txt")) << "a probe left behind";
    DeleteFileA(victims[1].c_str());
    RemoveTree(app);
    RemoveTree(cwd);
}

TEST_F(Dialogs, FilterOf255CharactersArrivesWhole)
{
    // The last pattern is the one the save dialog gives a bare name.
    std::string tail = "#*.aa#Last#*.tq";
    std::string filter = std::string(255 - tail.size(), 'x') + tail;
    ASSERT_EQ(255u, filter.size());
    Driver d = {};
    d.type = tree + "\\filtered";
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, filter.c_str(), 2, NULL, tree.c_str(), NULL, 0, &d, false, "x");
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(ShortPath(tree) + "\\filtered.tq", r.path) << "the pattern's last character is there";
}

// A reply that reaches nobody: korvex takes back the atoms it made for it, and
// the broadcast handle 0xFFFF reaches no window at all.
TEST_F(Dialogs, ReplyThatReachesNobodyLeavesNoAtoms)
{
    std::string name = tree + "\\Long Document Name.txt";
    HWND gone = CreateWindowA("STATIC", "gone", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    WORD goneWord = Word(gone);
    DestroyWindow(gone);
    const WORD words[] = { 0, goneWord, 0xFFFF };
    for (WORD w : words) {
        SCOPED_TRACE(testing::Message() << "reply window " << w);
        // The path text is in the table already, as another program's atom:
        // korvex's reference to it would not show as a new name.
        std::string path = ShortPath(name);
        ATOM theirs = GlobalAddAtomA(path.c_str());
        std::vector<std::string> before = AtomNames();
        Driver d = {};
        Reply r = RunOn(&bridge, w, KXR_OPEN_DIALOG, NULL, 0, name.c_str(), NULL, "Nobody", 0, &d);
        EXPECT_TRUE(d.found);
        EXPECT_FALSE(r.arrived) << "our window got the reply";
        std::vector<std::string> left = NewAtoms(before);
        EXPECT_TRUE(left.empty()) << left.size() << " atoms left, first \"" << left[0] << "\"";
        // One reference was ours: after one delete the name must be gone.
        GlobalDeleteAtom(theirs);
        ATOM still = GlobalFindAtomA(path.c_str());
        EXPECT_EQ(0, still) << "korvex kept a reference to \"" << path << "\"";
        while (still != 0 && GlobalDeleteAtom(still) == 0 && GlobalFindAtomA(path.c_str()) != 0)
            ;
    }
}

// A new name in a folder whose full path is past OpenFile's 128 characters:
// the reply still has the short folder, which a 16-bit host can open.
TEST_F(Dialogs, NewNameInADeepFolderGetsTheShortFolder)
{
    std::string deep = tree;
    while (deep.size() < 139) {
        deep += "\\A Folder With A Long Name";
        CreateDirectoryA(deep.c_str(), NULL);
    }
    ASSERT_GE(deep.size(), 128u);
    std::string shortDeep = ShortPath(deep);
    ASSERT_FALSE(shortDeep.empty());
    ASSERT_LT(shortDeep.size(), 128u);
    Driver d = {};
    d.type = deep + "\\Fresh Report.txt";
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, "All#*.*", 1, NULL, deep.c_str(), "Save Deep", 0, &d);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(shortDeep + "\\Fresh Report.txt", r.path) << "folder of " << deep.size() << " characters";
    EXPECT_FALSE(FileExists(d.type));
}

// Nothing is made, emptied or deleted to find the short form of a new name:
// the folder sees no change at all, so a file that another program makes
// there meanwhile cannot be lost.
TEST_F(Dialogs, NewNameLeavesTheFolderUntouched)
{
    std::string quiet = tree + "\\Quiet Folder";
    CreateDirectoryA(quiet.c_str(), NULL);
    HANDLE watch = FindFirstChangeNotificationA(quiet.c_str(), FALSE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME
                                                | FILE_NOTIFY_CHANGE_SIZE
                                                | FILE_NOTIFY_CHANGE_LAST_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, watch);
    // The watch itself works: a change of ours is seen.
    WriteFileOfSize(quiet + "\\seen.txt", 1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watch, Slow(5000))) << "no change notifications here";
    FindNextChangeNotification(watch);
    Sleep(200);
    FindNextChangeNotification(watch);

    Driver d = {};
    d.type = quiet + "\\Never Made.txt";
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, "All#*.*", 1, NULL, quiet.c_str(), "Save Quiet", 0, &d);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(ShortPath(quiet) + "\\Never Made.txt", r.path);
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(watch, Slow(1000)))
        << "something was made or deleted in the folder";
    FindCloseChangeNotification(watch);
}

// The user picks a name the code page cannot spell, beside the look-alike
// the ANSI dialog would turn it into: the name the host gets opens what the
// user picked (with Save the host writes to it), or there is no name at all.
TEST_F(Dialogs, APickOutsideTheCodePageOpensWhatTheUserPicked)
{
    std::string folder = tree + "\\Picks";
    CreateDirectoryA(folder.c_str(), NULL);
    std::wstring erdo2 = MakeMarked(folder, L"Erd\x151.txt", "erdo-dbl");
    std::wstring erdo = MakeMarked(folder, L"Erdo.txt", "erdo-plain");
    std::wstring privet = MakeMarked(folder, L"\x41f\x440\x438\x432\x435\x442.txt", "privet");
    ASSERT_FALSE(erdo2.empty() || erdo.empty() || privet.empty());
    struct { const std::wstring *path; const char *marker; } picks[] = {
        { &erdo2, "erdo-dbl" }, { &privet, "privet" }, { &erdo, "erdo-plain" },
    };
    for (UINT code : { (UINT)KXR_OPEN_DIALOG, (UINT)KXR_SAVE_DIALOG })
        for (const auto &pick : picks) {
            Driver d = {};
            d.typeWide = *pick.path;
            d.ok = true;
            Reply r = Run(code, "All#*.*#", 1, NULL, folder.c_str(), "Pick", 0, &d);
            ASSERT_TRUE(r.arrived) << "request " << code << ", " << pick.marker;
            ASSERT_NE(0u, r.confirmed) << "request " << code << ", " << pick.marker << ": " << r.path;
            EXPECT_EQ(pick.marker, MarkerOf(r.path)) << "request " << code << " gave " << r.path;
            EXPECT_EQ(std::string::npos, r.title.find('?')) << r.title;
        }
    // A new name no ANSI name can spell: nothing to give, answered as Cancel.
    Driver d = {};
    d.typeWide = std::wstring(L"\x41d\x43e\x432\x44b\x439.txt");
    {
        WCHAR wideFolder[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH);
        d.typeWide = std::wstring(wideFolder) + L"\\" + d.typeWide;
    }
    d.ok = true;
    Reply r = Run(KXR_SAVE_DIALOG, "All#*.*#", 1, NULL, folder.c_str(), "Pick", 0, &d);
    ASSERT_TRUE(r.arrived);
    EXPECT_EQ(0u, r.confirmed) << r.path;
    EXPECT_EQ(std::string::npos, r.path.find('?')) << r.path;
}

// Save with an initial name in a folder so long that the join passes 255
// characters, beside a file whose name is the join cut short: the dialog is
// never offered the other file.
TEST_F(Dialogs, ALongJoinIsNeverCutIntoAnotherName)
{
    std::string folder = tree + "\\";
    while (folder.size() < 240)
        folder += "Long Folder Name ";
    folder.resize(250 - 0);
    while (folder.back() == ' ')
        folder.back() = 'x';
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
    size_t cut = 255 - folder.size() - 1;   // what of "report.txt" a cut join keeps
    std::string victim = std::string("report.txt").substr(0, cut);
    // (Wide: the joined paths pass MAX_PATH.)
    std::wstring wideVictim(victim.begin(), victim.end());
    std::wstring made[2] = { MakeMarked(folder, wideVictim.c_str(), "victim"),
                             MakeMarked(folder, L"report.txt", "report") };
    ASSERT_FALSE(made[0].empty() || made[1].empty());
    Driver d = {};
    d.ok = false;
    Reply r = Run(KXR_SAVE_DIALOG, "All#*.*#", 1, "report.txt", folder.c_str(), "Save", 0, &d);
    ASSERT_TRUE(d.found);
    EXPECT_NE(victim, d.shownName) << "the dialog offered the cut name";
    EXPECT_TRUE(d.shownName.empty() || d.shownName.find("report.txt") != std::string::npos
                || d.shownName.find("REPORT") != std::string::npos) << d.shownName;
    EXPECT_TRUE(r.arrived);
    for (const std::wstring &path : made)
        DeleteFileW(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

// A typed path too long for the buffer fails the dialog, which writes the
// size it needed into the buffer: the host is never given those bytes.
TEST_F(Dialogs, ANameTooLongForTheBufferGivesNoRawBytes)
{
    for (size_t length : { 259u, 260u, 261u }) {
        Driver d = {};
        d.type = tree + "\\" + std::string(length - tree.size() - 1, 'n');
        d.ok = true;
        Reply r = Run(KXR_OPEN_DIALOG, "All#*.*#", 1, NULL, tree.c_str(), "Long", 0, &d);
        ASSERT_TRUE(r.arrived) << length;
        for (unsigned char c : r.path)
            EXPECT_GE(c, 0x20) << "a control byte in the reply path of a " << length
                               << "-character name";
    }
}

// The dialog moves the current folder as the user browses; korvex's stays
// the one it had, for relative paths and a listing of atom 0.
TEST_F(Dialogs, TheCurrentFolderStaysWhereItWas)
{
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, bridge.host, NULL,
                                GetModuleHandleA(NULL), NULL);
    LRESULT result;
    std::vector<std::string> before = FillList(&bridge, list, "6", &result);
    std::string inside = tree + "\\Elsewhere";
    CreateDirectoryA(inside.c_str(), NULL);
    WriteFileOfSize(inside + "\\only-here.txt", 1);
    Driver d = {};
    d.type = inside + "\\only-here.txt";
    d.ok = true;
    Reply r = Run(KXR_OPEN_DIALOG, "All#*.*#", 1, NULL, inside.c_str(), "Move", 0, &d);
    ASSERT_TRUE(r.arrived);
    std::vector<std::string> after = FillList(&bridge, list, "6", &result);
    EXPECT_EQ(before, after) << "a listing of the current folder lists another folder now";
    EXPECT_EQ(0, Ask(&bridge, KXR_FILE_DOSTIME, "only-here.txt"))
        << "a relative name resolves in the dialog's folder";
    DestroyWindow(list);
}
