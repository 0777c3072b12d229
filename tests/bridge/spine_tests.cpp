// The bridge's spine under Wine: start-up and refusal, launcher mode, the
// ready and closing notices, the dispatch of request codes and atom strings.
#include <gtest/gtest.h>
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include "testsupport.h"
#include "bridge.h"   // the bridge's chief header: atom strings in-process

static const char RefusalText[] = "This program can only run from within another program.";

static std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

static std::string Korvex(const std::string &arguments)
{
    return Quoted(BinPath("korvex.exe")) + " " + arguments;
}

// ---- start-up and notices --------------------------------------------------

TEST(StartUp, ReadyNoticeCarriesTheRequestWindow)
{
    HWND host = CreateRecordingWindow("ready host");
    char number[16];
    snprintf(number, sizeof(number), "%lu", (unsigned long)(UINT_PTR)host);
    HANDLE process = StartProgram(Korvex(number), SW_HIDE);
    ASSERT_TRUE(process != NULL);

    Seen ready;
    ASSERT_TRUE(WaitRecorded(host, WM_USER, 15000, &ready)) << "no ready notice";
    EXPECT_TRUE(ready.posted);
    EXPECT_EQ(1u, ready.wParam);
    EXPECT_EQ(2u, HIWORD(ready.lParam));

    // The 16-bit handle alone reaches the window.
    HWND request = (HWND)(UINT_PTR)LOWORD(ready.lParam);
    ASSERT_TRUE(IsWindow(request));
    char cls[32] = "";
    GetClassNameA(request, cls, sizeof(cls));
    EXPECT_STREQ("korvex", cls);
    EXPECT_EQ("korvex", ControlText(request));
    DWORD style = (DWORD)GetWindowLongA(request, GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS);
    EXPECT_EQ(0xCA0000u, style & 0xFFFF0000u) << std::hex << style;

    // Started hidden: the window never shows.
    KorvexPump(200);
    EXPECT_FALSE(IsWindowVisible(request));

    ClearRecorded();
    EXPECT_EQ(0, SendMessageA(request, WM_USER, KXR_QUIT, 0));
    EXPECT_EQ(0, WaitProgram(process, 10000));
    KorvexPump(50);
    std::vector<Seen> closing = RecordedOf(host, WM_USER);
    ASSERT_EQ(1u, closing.size()) << "one closing notice";
    EXPECT_EQ(1u, closing[0].wParam);
    EXPECT_EQ(0, closing[0].lParam);
    DestroyWindow(host);
}

TEST(StartUp, ShownWhenTheStarterSaysSo)
{
    HWND host = CreateRecordingWindow("shown host");
    KORVEXLINK link;
    ASSERT_TRUE(KorvexStart(&link, host, BinPath("korvex.exe").c_str(), SW_SHOWNORMAL, Slow(15000)));
    // The window is shown right after the ready notice is posted.
    DWORD start = GetTickCount();
    while (!IsWindowVisible(link.request) && GetTickCount() - start < Slow(5000))
        KorvexPump(20);
    EXPECT_TRUE(IsWindowVisible(link.request));
    EXPECT_EQ(0, KorvexEnd(&link, Slow(10000), NULL));
    DestroyWindow(host);
}

TEST(StartUp, DigitsFollowedByLettersGiveTheHandle)
{
    HWND host = CreateRecordingWindow("digits host");
    char arguments[32];
    snprintf(arguments, sizeof(arguments), "%luxyz", (unsigned long)(UINT_PTR)host);
    HANDLE process = StartProgram(Korvex(arguments), SW_HIDE);
    ASSERT_TRUE(process != NULL);
    Seen ready;
    EXPECT_TRUE(WaitRecorded(host, WM_USER, 15000, &ready)) << "no ready notice";
    PostMessageA((HWND)(UINT_PTR)LOWORD(ready.lParam), WM_USER, KXR_QUIT, 0);
    EXPECT_EQ(0, WaitProgram(process, 10000));
    DestroyWindow(host);
}

// Hosts write the command line in more than one way: a quoted name with no
// blank after it, blanks before it.  Every form gives the same arguments.
TEST(StartUp, ArgumentsAfterAnyFormOfTheProgramName)
{
    HWND host = CreateRecordingWindow("forms host");
    std::string exe = BinPath("korvex.exe");
    char number[16];
    snprintf(number, sizeof(number), "%lu", (unsigned long)(UINT_PTR)host);
    const std::string lines[] = { "  " + Quoted(exe) + " " + number, Quoted(exe) + number,
                                  "\t" + Quoted(exe) + " \t " + number };
    for (const std::string &line : lines) {
        SCOPED_TRACE(line);
        ClearRecorded();
        HANDLE process = StartProgramAs(exe, line, SW_HIDE);
        ASSERT_TRUE(process != NULL);
        Seen ready = {};
        EXPECT_TRUE(WaitRecorded(host, WM_USER, 15000, &ready)) << "no ready notice";
        if (ready.lParam != 0)
            PostMessageA((HWND)(UINT_PTR)LOWORD(ready.lParam), WM_USER, KXR_QUIT, 0);
        else
            PostMessageA(FindDialog("korvex", GetProcessId(process), 2000), WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, WaitProgram(process, 10000));
    }
    DestroyWindow(host);
}

// korvex.exe imports only what every start needs; the rest loads on first use.
// korvex, and korvex-check, which must start wherever korvex does.
TEST(StartUp, OnlyTheLibrariesAStartNeedsAreImported)
{
    for (const char *program : { "korvex.exe", "korvex-check.exe" }) {
    SCOPED_TRACE(program);
    HMODULE image = LoadLibraryExA(BinPath(program).c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(image != NULL);
    const BYTE *base = (const BYTE *)image;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::string imports;
    for (const IMAGE_IMPORT_DESCRIPTOR *d = (const IMAGE_IMPORT_DESCRIPTOR *)(base + dir.VirtualAddress);
         d->Name != 0; d++) {
        std::string name = (const char *)(base + d->Name);
        for (char &c : name)
            c = (char)tolower(c);
        imports += name + " ";
    }
    FreeLibrary(image);
    for (const char *late : { "comdlg32", "shell32", "mpr", "winmm", "advapi32", "version" })
        EXPECT_EQ(std::string::npos, imports.find(late)) << late << " is imported: " << imports;
    EXPECT_NE(std::string::npos, imports.find("user32")) << imports;
    }
}

TEST(StartUp, RefusesWithoutAHostWindow)
{
    const char *cases[] = { "", "abc", "/S=x", "0" };
    HWND host = CreateRecordingWindow("refusal host");

    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); i++) {
        SCOPED_TRACE(std::string("arguments \"") + cases[i] + "\"");
        ClearRecorded();
        HANDLE process = StartProgram(Korvex(cases[i]), SW_HIDE);
        ASSERT_TRUE(process != NULL);
        HWND box = FindDialog("korvex", GetProcessId(process), 15000);
        ASSERT_TRUE(box != NULL) << "no refusal box";
        EXPECT_EQ(RefusalText, ControlText(GetDlgItem(box, 0xFFFF)));
        EXPECT_TRUE(GetDlgItem(box, IDOK) != NULL) << "an OK button";
        EXPECT_TRUE(GetDlgItem(box, IDCANCEL) == NULL) << "and no other";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, WaitProgram(process, 10000));
        KorvexPump(50);
        EXPECT_TRUE(RecordedOf(host, WM_USER).empty()) << "no notice";
    }
    DestroyWindow(host);
}

TEST(StartUp, NoClosingNoticeWhenTheHostWentFirst)
{
    HWND host = CreateRecordingWindow("vanishing host");
    KORVEXLINK link;
    ASSERT_TRUE(KorvexStart(&link, host, BinPath("korvex.exe").c_str(), SW_HIDE, Slow(15000)));
    DestroyWindow(host);
    ClearRecorded();
    BOOL closing = TRUE;
    EXPECT_EQ(0, KorvexEnd(&link, Slow(10000), &closing));
    KorvexPump(100);
    EXPECT_FALSE(closing);
    for (size_t i = 0; i < Recorded().size(); i++)
        EXPECT_NE((UINT)WM_USER, Recorded()[i].message) << "a notice reached a window of ours";
}

// ---- launcher mode ----------------------------------------------------------

class Launcher : public ::testing::Test {
protected:
    static std::string tree, out, document, shortDocument, probe;

    static void SetUpTestSuite()
    {
        tree = MakeTempTree("kxlaunch");
        out = tree + "\\probe.txt";
        SetEnvironmentVariableA("KORVEX_PROBE_OUT", out.c_str());
        CreateDirectoryA((tree + "\\Long Folder Name").c_str(), NULL);
        document = tree + "\\Long Folder Name\\some document.txt";
        WriteFileOfSize(document, 10);
        char buffer[MAX_PATH] = "";
        GetShortPathNameA(document.c_str(), buffer, sizeof(buffer));
        shortDocument = buffer;
        probe = TestBinPath("argprobe.exe");
    }
    static void TearDownTestSuite()
    {
        RemoveTree(tree);
        SetEnvironmentVariableA("KORVEX_PROBE_OUT", NULL);
    }

    // Runs korvex "/s=" + command; returns the command line the probe saw, or
    // "(not started)".
    static std::string Launch(const std::string &command, bool expectStart = true,
                              const std::string &before = "", const std::string &between = " ")
    {
        DeleteFileA(out.c_str());
        std::string exe = BinPath("korvex.exe");
        HANDLE process = StartProgramAs(exe, before + Quoted(exe) + between + "/s=" + command,
                                        SW_HIDE);
        EXPECT_TRUE(process != NULL);
        EXPECT_EQ(0, WaitProgram(process, 10000)) << "launcher exit code";
        DWORD start = GetTickCount();
        while (!FileExists(out) && GetTickCount() - start < (expectStart ? Slow(30000) : 1500u))
            Sleep(50);
        FILE *f = fopen(out.c_str(), "rb");
        if (f == NULL)
            return "(not started)";
        char line[4096];
        size_t n = fread(line, 1, sizeof(line) - 1, f);
        fclose(f);
        line[n] = '\0';
        return line;
    }
};
std::string Launcher::tree, Launcher::out, Launcher::document, Launcher::shortDocument,
    Launcher::probe;

TEST_F(Launcher, LastQuotedPathIsShortened)
{
    ASSERT_NE(document, shortDocument) << "the document needs a short form";
    // Two quoted paths: the program's keeps its quotes.
    EXPECT_EQ(Quoted(probe) + " " + shortDocument, Launch(Quoted(probe) + " " + Quoted(document)));
    EXPECT_EQ(Quoted(probe) + " " + shortDocument,
              Launch(Quoted(probe) + " " + Quoted(document) + "   ")) << "trailing blanks first";
    EXPECT_EQ(Quoted(probe) + " " + shortDocument,
              Launch(Quoted(probe) + " \" " + document + "\"")) << "one blank after the quote";

    char shortProbe[MAX_PATH] = "";
    GetShortPathNameA(probe.c_str(), shortProbe, sizeof(shortProbe));
    EXPECT_EQ(shortProbe, Launch(Quoted(probe))) << "a command that is one quoted path";
}

TEST_F(Launcher, CommandGoesAsGivenWithoutAShortForm)
{
    // Two blanks: only one is skipped, and " <path>" does not exist.
    std::string twoBlanks = Quoted(probe) + " \"  " + document + "\"";
    EXPECT_EQ(twoBlanks, Launch(twoBlanks));

    std::string missing = Quoted(probe) + " \"C:\\no such folder\\file name.txt\"";
    EXPECT_EQ(missing, Launch(missing));

    // A lone quote at the end pairs with the program's closing quote.
    std::string lone = Quoted(probe) + " abc\"";
    EXPECT_EQ(lone, Launch(lone));

    EXPECT_EQ(Quoted(probe) + " plain", Launch(Quoted(probe) + " plain"));
}

TEST_F(Launcher, AnyFormOfTheProgramName)
{
    std::string command = Quoted(probe) + " plain";
    EXPECT_EQ(command, Launch(command, true, "  ")) << "blanks before the name";
    EXPECT_EQ(command, Launch(command, true, "", "")) << "no blank after the quoted name";
    EXPECT_EQ(command, Launch(command, true, "\t", "\t\t")) << "tabs";
}

TEST_F(Launcher, EmptyOrOverlongCommandStartsNothing)
{
    EXPECT_EQ("(not started)", Launch("    ", false));

    std::string base = Quoted(probe) + " ";
    std::string fits = base + std::string(1023 - base.size(), 'x');
    EXPECT_EQ(fits, Launch(fits)) << "1023 characters still fit";
    EXPECT_EQ("(not started)", Launch(fits + "y", false)) << "1024 would be cut";
}

// ---- dispatch -----------------------------------------------------------------

class Dispatch : public ::testing::Test {
protected:
    static HWND host;
    static KORVEXLINK link;

    static void SetUpTestSuite()
    {
        host = CreateRecordingWindow("dispatch host");
        ASSERT_TRUE(KorvexStart(&link, host, BinPath("korvex.exe").c_str(), SW_HIDE, Slow(15000)));
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(0, KorvexEnd(&link, Slow(10000), NULL));
        DestroyWindow(host);
    }
};
HWND Dispatch::host;
KORVEXLINK Dispatch::link;

TEST_F(Dispatch, IdleCodesTouchNothing)
{
    const UINT codes[] = { 0, 1, 30, 31, 33, 0xFFFF, 0x10000, 0xFFFFFFFF };
    ATOM low = GlobalAddAtomA("dispatch idle low"), high = GlobalAddAtomA("dispatch idle high");

    for (size_t i = 0; i < sizeof(codes) / sizeof(codes[0]); i++) {
        EXPECT_EQ(0, KorvexRequest(&link, codes[i], low, high)) << "code " << codes[i];
        EXPECT_TRUE(AtomAlive(low)) << "code " << codes[i] << " took the low atom";
        EXPECT_TRUE(AtomAlive(high)) << "code " << codes[i] << " took the high atom";
    }
    EXPECT_FALSE(link.timedOut);
    GlobalDeleteAtom(low);
    GlobalDeleteAtom(high);
}

TEST_F(Dispatch, OtherCommandsAnswerZero)
{
    DWORD_PTR result = 1;
    ASSERT_TRUE(SendMessageTimeoutA(link.request, WM_COMMAND, 555, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(0u, result);
    ASSERT_TRUE(SendMessageTimeoutA(link.request, WM_COMMAND, SC_CLOSE, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(0u, result);
    KorvexPump(50);
    EXPECT_TRUE(IsWindow(link.request));
}

// ---- atom strings, in our own process ------------------------------------------

TEST(AtomStrings, ResultsAreCutTo255)
{
    char text[300], back[300];

    memset(text, 'r', sizeof(text));
    text[255] = '\0';
    ATOM whole = AtomFromString(text);
    ASSERT_NE(0, whole);
    EXPECT_EQ(255u, GlobalGetAtomNameA(whole, back, sizeof(back)));

    text[255] = 'r';
    text[299] = '\0';
    ATOM cut = AtomFromString(text);
    EXPECT_EQ(whole, cut) << "299 characters come back as their first 255";
    GlobalDeleteAtom(whole);
    GlobalDeleteAtom(cut);

    EXPECT_EQ(0, AtomFromString(""));
    EXPECT_EQ(0, AtomFromString(NULL));
}

TEST(AtomStrings, ExistingAtomKeepsItsCase)
{
    ATOM first = GlobalAddAtomA("Korvex Case Probe");
    ATOM again = AtomFromString("KORVEX CASE PROBE");
    char back[64] = "";

    EXPECT_EQ(first, again);
    GlobalGetAtomNameA(again, back, sizeof(back));
    EXPECT_STREQ("Korvex Case Probe", back);
    GlobalDeleteAtom(again);
    GlobalDeleteAtom(first);
    EXPECT_FALSE(AtomAlive(first));
}

TEST(AtomStrings, TakeReadsCutsAndDeletesOnce)
{
    char buffer[256 + 16];   // size 0 below means 256
    char text[101];

    memset(text, 'a', 100);
    text[100] = '\0';
    ATOM atom = GlobalAddAtomA(text);
    GlobalAddAtomA(text);                       // two references
    memset(buffer, '@', sizeof(buffer));
    TakeAtomString(atom, buffer, 64);
    EXPECT_EQ(63u, strlen(buffer)) << "cut to the buffer less one";
    EXPECT_EQ('@', buffer[64]) << "nothing written past the buffer";
    EXPECT_TRUE(AtomAlive(atom)) << "one reference deleted, one left";
    TakeAtomString(atom, buffer, 0);            // 0 means 256
    EXPECT_EQ(100u, strlen(buffer));
    EXPECT_FALSE(AtomAlive(atom));
}

TEST(AtomStrings, TakeOfZeroOrDeadAtomGivesEmptyText)
{
    char buffer[32];

    memset(buffer, '@', sizeof(buffer));
    TakeAtomString(0, buffer, sizeof(buffer));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('@', buffer[1]);

    ATOM dead = GlobalAddAtomA("korvex dead atom probe");
    GlobalDeleteAtom(dead);
    memset(buffer, '@', sizeof(buffer));
    TakeAtomString(dead, buffer, sizeof(buffer));
    EXPECT_EQ('\0', buffer[0]) << "a dead atom reads as the empty text";
    TakeAtomString(0, NULL, 0);                 // no buffer: nothing to do
}

// ---- resources ------------------------------------------------------------------

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD size;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[4];
};
#pragma pack(pop)

static const WORD Bulgarian = 1026;

TEST(Resources, MenuIconsAndTemplateInLanguage1026)
{
    HMODULE korvex = LoadLibraryExA(BinPath("korvex.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(korvex != NULL);

    HRSRC menu = FindResourceExA(korvex, (LPCSTR)RT_MENU, MAKEINTRESOURCEA(1), Bulgarian);
    ASSERT_TRUE(menu != NULL);
    HMENU loaded = LoadMenuIndirectA(LockResource(LoadResource(korvex, menu)));
    ASSERT_TRUE(loaded != NULL);
    char text[32] = "";
    GetMenuStringA(loaded, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("systray", text);
    HMENU popup = GetSubMenu(loaded, 0);
    ASSERT_EQ(3, GetMenuItemCount(popup));
    EXPECT_EQ(100u, GetMenuItemID(popup, 0));
    GetMenuStringA(popup, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("Open", text);
    EXPECT_EQ((UINT)MF_SEPARATOR, GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(200u, GetMenuItemID(popup, 2));
    GetMenuStringA(popup, 2, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("Exit", text);
    DestroyMenu(loaded);

    for (int group = 1; group <= 2; group++) {
        SCOPED_TRACE(testing::Message() << "icon group " << group);
        HRSRC icons = FindResourceExA(korvex, (LPCSTR)RT_GROUP_ICON, MAKEINTRESOURCEA(group), Bulgarian);
        ASSERT_TRUE(icons != NULL);
        const IconDir *dir = (const IconDir *)LockResource(LoadResource(korvex, icons));
        ASSERT_EQ(2, dir->count);
        EXPECT_EQ(32, dir->entries[0].width);
        EXPECT_EQ(16, dir->entries[1].width);
        for (int i = 0; i < 2; i++) {
            EXPECT_EQ(16, dir->entries[i].colours);
            EXPECT_EQ(4, dir->entries[i].bits);
        }
    }
    EXPECT_TRUE(FindResourceExA(korvex, (LPCSTR)RT_DIALOG, "SELECTDIR", Bulgarian) != NULL);
    FreeLibrary(korvex);
}

// ---- the trace a host developer switches on ------------------------------------

// The lines of a trace file, without their time, program and process.
static std::vector<std::string> TraceLines(const std::string &path)
{
    std::vector<std::string> lines;
    FILE *f = fopen(path.c_str(), "rb");
    char line[2048];
    while (f != NULL && fgets(line, sizeof(line), f) != NULL) {
        line[strcspn(line, "\r\n")] = '\0';
        // "hh:mm:ss.mmm korvex PID text"
        const char *text = line;
        for (int blanks = 0; blanks < 3 && text != NULL; blanks++)
            text = strchr(text, ' ') ? strchr(text, ' ') + 1 : NULL;
        lines.push_back(text != NULL ? text : line);
    }
    if (f != NULL)
        fclose(f);
    return lines;
}

static bool HasLine(const std::vector<std::string> &lines, const std::string &start)
{
    for (const std::string &l : lines)
        if (l.compare(0, start.size(), start) == 0)
            return true;
    return false;
}

static std::string AllLines(const std::vector<std::string> &lines)
{
    std::string all;
    for (const std::string &l : lines)
        all += "\n  " + l;
    return all;
}

TEST(Trace, AKnownSessionGivesItsLines)
{
    std::string tree = MakeTempTree("kxtrace"), traces = MakeTempTree("kxtraces");
    std::string path = traces + "\\trace.txt";
    WriteFileOfSize(tree + "\\one.txt", 1);
    WriteFileOfSize(tree + "\\two.txt", 2);
    SetEnvironmentVariableA("KORVEX_TRACE", path.c_str());
    SetEnvironmentVariableA("KORVEX_TRACE_LINES", "1");
    Bridge b = {};
    bool up = StartBridge(&b, "traced host");
    SetEnvironmentVariableA("KORVEX_TRACE", NULL);
    SetEnvironmentVariableA("KORVEX_TRACE_LINES", NULL);
    ASSERT_TRUE(up);

    // A text with quotes, a line break and a tab comes back as it went.
    std::string odd = "say \"hi\"\r\nnext\tline";
    ATOM sent = KorvexAtom(odd.c_str());
    LRESULT answer = KorvexRequest(&b.link, KXR_LONG_PATH, sent, 0);
    EXPECT_EQ(odd, ResultText(answer));
    EXPECT_EQ(1, KorvexRequest(&b.link, KXR_IS_NT, 0, 0));
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, b.host, NULL, NULL, NULL);
    LRESULT r;
    EXPECT_EQ(2u, FillList(&b, list, "6" + tree, &r).size());
    char expected[512];
    snprintf(expected, sizeof(expected), "notice ready posted to %lu: request window %u",
             (unsigned long)(UINT_PTR)b.host, Word(b.link.request));
    EndBridge(&b);

    std::vector<std::string> lines = TraceLines(path);
    EXPECT_TRUE(HasLine(lines, "start ")) << AllLines(lines);
    EXPECT_TRUE(HasLine(lines, expected)) << expected << AllLines(lines);
    snprintf(expected, sizeof(expected),
             "request 2 KXR_LONG_PATH lo %u hi 0 read %u \"say \\\"hi\\\"\\r\\nnext\\tline\" = atom %u "
             "\"say \\\"hi\\\"\\r\\nnext\\tline\"", sent, sent, (unsigned)LOWORD(answer));
    EXPECT_TRUE(HasLine(lines, expected)) << expected << AllLines(lines);
    EXPECT_TRUE(HasLine(lines, "request 27 KXR_IS_NT lo 0 hi 0 = 1")) << AllLines(lines);
    EXPECT_TRUE(HasLine(lines, "line to ")) << "every line, with the second setting";
    bool listed = false;
    for (const std::string &l : lines)
        listed |= l.rfind("request 32 KXR_FILL_LIST lo ", 0) == 0
                  && l.find(" lines 2 = 0") != std::string::npos;
    EXPECT_TRUE(listed) << AllLines(lines);
    EXPECT_TRUE(HasLine(lines, "request 6 KXR_QUIT lo 0 hi 0 = 0")) << AllLines(lines);
    EXPECT_TRUE(HasLine(lines, "notice closing posted")) << AllLines(lines);
    // One line each, read as the bytes stand: every line break is a line's
    // end, and every line begins with its time.
    {
        std::string bytes = FileText(path);
        ASSERT_NE("<nothing>", bytes);
        size_t breaks = 0;
        for (size_t i = 0; i < bytes.size(); i++)
            if (bytes[i] == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a bare line feed at " << i;
                breaks++;
                if (i + 1 < bytes.size()) {
                    EXPECT_TRUE(i + 3 < bytes.size() && bytes[i + 3] == ':')
                        << "a line that is no trace line: " << bytes.substr(i + 1, 40);
                }
            }
        EXPECT_EQ(lines.size(), breaks) << "a line break inside a line";
    }

    // Off, and an empty setting: no file at all, also not in the current folder.
    DeleteFileA(path.c_str());
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    SetCurrentDirectoryA(tree.c_str());
    for (const char *setting : { (const char *)NULL, "" }) {
        SetEnvironmentVariableA("KORVEX_TRACE", setting);
        Bridge quiet = {};
        bool started = StartBridge(&quiet, "untraced host");
        SetEnvironmentVariableA("KORVEX_TRACE", NULL);
        ASSERT_TRUE(started);
        EXPECT_EQ(1, KorvexRequest(&quiet.link, KXR_IS_NT, 0, 0));
        EndBridge(&quiet);
    }
    SetCurrentDirectoryA(cwd);
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((tree + "\\*").c_str(), &d);
    int files = 0;
    do
        files += !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (h != INVALID_HANDLE_VALUE && FindNextFileA(h, &d));
    FindClose(h);
    EXPECT_EQ(2, files) << "one.txt and two.txt, and nothing the trace wrote";
    RemoveTree(tree);
    RemoveTree(traces);
}

// ---- two hosts, each with its own korvex, at the same time -------------------------

struct BusyHost {
    const char *name;
    std::string folder;      // each asks about a folder of its own
    int asked, wrong;
    std::string firstWrong;
};

static DWORD WINAPI AskAndCheck(void *parameter)
{
    BusyHost *h = (BusyHost *)parameter;
    // A plain window: the recording one keeps one log for the whole program.
    Bridge b = {};
    b.host = CreateWindowA("STATIC", h->name, WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    if (!KorvexStart(&b.link, b.host, BinPath("korvex.exe").c_str(), SW_HIDE, Slow(20000)))
        return 1;
    std::string shortFolder = ShortPath(h->folder);
    for (int i = 0; i < 150; i++) {
        std::string longForm = AskText(&b, KXR_LONG_PATH, shortFolder);
        std::string shortForm = AskText(&b, KXR_SHORT_PATH, h->folder);
        h->asked += 2;
        if (longForm != h->folder || shortForm != shortFolder) {
            if (h->wrong++ == 0)
                h->firstWrong = longForm + " / " + shortForm;
        }
    }
    KorvexEnd(&b.link, Slow(10000), NULL);
    DestroyWindow(b.host);
    return 0;
}

TEST(TwoHosts, NeitherDisturbsTheOther)
{
    std::string tree = MakeTempTree("kxtwo");
    BusyHost one = { "first busy host", tree + "\\First Host Long Folder", 0, 0, "" };
    BusyHost two = { "second busy host", tree + "\\Second Host Long Folder", 0, 0, "" };
    CreateDirectoryA(one.folder.c_str(), NULL);
    CreateDirectoryA(two.folder.c_str(), NULL);
    std::vector<std::string> before = AtomNames();
    HANDLE threads[2] = { CreateThread(NULL, 0, AskAndCheck, &one, 0, NULL),
                          CreateThread(NULL, 0, AskAndCheck, &two, 0, NULL) };
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 120000));
    for (HANDLE t : threads) {
        DWORD code = 9;
        GetExitCodeThread(t, &code);
        EXPECT_EQ(0u, code) << "a korvex did not start";
        CloseHandle(t);
    }
    EXPECT_EQ(300, one.asked);
    EXPECT_EQ(300, two.asked);
    EXPECT_EQ(0, one.wrong) << one.firstWrong;
    EXPECT_EQ(0, two.wrong) << two.firstWrong;
    std::vector<std::string> left = NewAtoms(before);
    EXPECT_TRUE(left.empty()) << left.size() << " atoms left, first \"" << left[0] << "\"";
    RemoveTree(tree);
}

// Two bridges tracing into one file: every line whole, none lost, none
// spliced into another (appends of two processes are not atomic here).
TEST(Trace, TwoProgramsShareOneFileLineForLine)
{
    std::string traces = MakeTempTree("kxtrace2");
    std::string path = traces + "\\trace.txt";
    SetEnvironmentVariableA("KORVEX_TRACE", path.c_str());
    Bridge a = {}, b = {};
    bool up = StartBridge(&a, "traced host a") && StartBridge(&b, "traced host b");
    SetEnvironmentVariableA("KORVEX_TRACE", NULL);
    ASSERT_TRUE(up);
    const int requests = 200;
    for (int i = 0; i < requests; i++) {
        // Interleaved: each bridge writes while the other's line may be on its way.
        PostMessageA(a.link.request, WM_USER, KXR_IS_NT, 0);
        PostMessageA(b.link.request, WM_USER, KXR_IS_NT, 0);
    }
    EXPECT_EQ(1, KorvexRequest(&a.link, KXR_IS_NT, 0, 0));
    EXPECT_EQ(1, KorvexRequest(&b.link, KXR_IS_NT, 0, 0));
    DWORD pidA = GetProcessId(a.link.process), pidB = GetProcessId(b.link.process);
    EndBridge(&a);
    EndBridge(&b);

    std::string all = FileText(path);
    ASSERT_NE("<nothing>", all);
    int ofA = 0, ofB = 0, lines = 0;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find("\r\n", start);
        ASSERT_NE(std::string::npos, end) << "a line without its end: " << all.substr(start, 80);
        std::string line = all.substr(start, end - start);
        unsigned h, m, s, ms;
        char program[16];
        unsigned long pid = 0;
        EXPECT_EQ(6, sscanf(line.c_str(), "%2u:%2u:%2u.%3u %15s %lu", &h, &m, &s, &ms, program, &pid))
            << "not a whole line: " << line;
        // A line spliced into another carries a second time stamp.
        for (size_t i = 13; i + 12 <= line.size(); i++)
            EXPECT_FALSE(line[i + 2] == ':' && line[i + 5] == ':' && line[i + 8] == '.'
                         && isdigit((unsigned char)line[i]) && isdigit((unsigned char)line[i + 11]))
                << "two lines in one: " << line;
        if (line.find("request 27 KXR_IS_NT") != std::string::npos) {
            ofA += pid == pidA;
            ofB += pid == pidB;
        }
        lines++;
        start = end + 2;
    }
    EXPECT_EQ(requests + 1, ofA) << "of bridge a, in " << lines << " lines";
    EXPECT_EQ(requests + 1, ofB) << "of bridge b, in " << lines << " lines";
    RemoveTree(traces);
}

// A trace that names no disk file (here a pipe nobody reads) is no trace: the
// bridge serves every request all the same.
TEST(Trace, APipeThatIsNeverReadCannotStallTheBridge)
{
    char name[64];
    snprintf(name, sizeof(name), "\\\\.\\pipe\\korvex-trace-%lu", GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0,
                                   0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    SetEnvironmentVariableA("KORVEX_TRACE", name);
    Bridge b = {};
    bool up = StartBridge(&b, "pipe-traced host");
    SetEnvironmentVariableA("KORVEX_TRACE", NULL);
    ASSERT_TRUE(up);
    b.link.timeout = Slow(5000);
    int answered = 0;
    for (int i = 0; i < 300 && !b.link.timedOut; i++)
        answered += KorvexRequest(&b.link, KXR_IS_NT, 0, 0) == 1;
    EXPECT_EQ(300, answered) << "the bridge stopped answering";
    EndBridge(&b);
    CloseHandle(pipe);
}
