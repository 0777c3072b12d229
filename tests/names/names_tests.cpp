// Every name korvex hands a host opens the file it came from.  The corpus
// (make-corpus.sh) was made on the Unix side with names the ANSI functions
// get wrong; each file holds its marker, and a listing line's size tells
// which file the line is about.  A name is checked by opening it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <map>
#include <set>
#include "testsupport.h"
#include "bridge/files/name_rules.h"
#include "bridge.h"

struct CorpusEntry {
    std::wstring name;       // the entry's true name
    std::string ansi;        // as the ANSI functions give it
    bool exact;              // ansi converts back to name
    std::string shortName;   // its short name, "" for none
    DWORD sizeLow, sizeHigh;
    bool directory;
};

static std::string Corpus;   // C:\... of the corpus, from KORVEX_CORPUS

static std::wstring Wide(const std::string &text)
{
    WCHAR w[MAX_PATH * 2];
    return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w, MAX_PATH * 2) > 0 ? w : L"";
}

// The entries of a corpus folder as the platform stores them.
static std::vector<CorpusEntry> EntriesOf(const std::string &folder)
{
    std::vector<CorpusEntry> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(Wide(folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        if (!wcscmp(d.cFileName, L".") || !wcscmp(d.cFileName, L".."))
            continue;
        CorpusEntry e;
        char a[MAX_PATH * 2], s[32];
        WCHAR back[MAX_PATH];
        e.name = d.cFileName;
        WideCharToMultiByte(CP_ACP, 0, d.cFileName, -1, a, sizeof(a), NULL, NULL);
        e.ansi = a;
        e.exact = MultiByteToWideChar(CP_ACP, 0, a, -1, back, MAX_PATH) > 0 && e.name == back;
        WideCharToMultiByte(CP_ACP, 0, d.cAlternateFileName, -1, s, sizeof(s), NULL, NULL);
        e.shortName = s;
        e.sizeLow = d.nFileSizeLow;
        e.sizeHigh = d.nFileSizeHigh;
        e.directory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.push_back(e);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return out;
}

// The marker of a corpus file: "M" and four digits, followed by as many dots.
static std::string MarkerOfSize(DWORD size)
{
    char m[8];
    snprintf(m, sizeof(m), "M%04u", (unsigned)(size - 5));
    return m;
}

// What a name opens: the marker inside, "<nothing>" when it opens nothing.
static std::string OpensFile(const std::string &path)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return "<nothing>";
    char m[6] = "";
    DWORD n = 0;
    ReadFile(f, m, 5, &n, NULL);
    CloseHandle(f);
    m[n] = '\0';
    return m;
}

// The same, for a name korvex gave: a device is never opened (AUX can hang
// on the serial port).
static std::string Opens(const std::string &path)
{
    if (IsDeviceName(LastComponent(path.c_str())))
        return "<device " + path + ">";
    return OpensFile(path);
}

// Whether no other entry of the folder answers to the entry's short name.
static bool ShortAlone(const CorpusEntry &e, const std::vector<CorpusEntry> &all)
{
    for (const CorpusEntry &o : all)
        if (&o != &e && (SameName(o.ansi.c_str(), e.shortName.c_str())
                         || SameName(o.shortName.c_str(), e.shortName.c_str())))
            return false;
    return true;
}

// Whether the host may be given some name of the entry: the long one exactly,
// or a short one that no other entry of the folder answers to.
static bool Nameable(const CorpusEntry &e, const std::vector<CorpusEntry> &all)
{
    if (IsDeviceName(e.ansi.c_str()))
        return false;
    if (e.exact && NameOpensItself(e.ansi.c_str()))
        return true;
    return !e.shortName.empty() && NameOpensItself(e.shortName.c_str()) && ShortAlone(e, all);
}

// Whether the entry listed under name has an 8.3 name no other entry answers to.
static bool HasOwnShortName(const std::string &name, const std::vector<CorpusEntry> &all)
{
    for (const CorpusEntry &e : all)
        if (e.ansi == name || e.shortName == name)
            return e.shortName.empty() ? e.exact : ShortAlone(e, all);
    return false;
}

// The short names (in capitals) that more than one entry of the folder has.
static std::set<std::string> SharedShortNames(const std::vector<CorpusEntry> &all)
{
    std::map<std::string, int> uses;
    std::set<std::string> shared;
    for (const CorpusEntry &e : all)
        if (!e.shortName.empty()) {
            std::string key = e.shortName;
            CharUpperA(&key[0]);
            if (++uses[key] == 2)
                shared.insert(key);
        }
    return shared;
}

static bool IsShared(const std::set<std::string> &shared, const CorpusEntry &e)
{
    std::string key = e.shortName;
    if (key.empty())
        return false;
    CharUpperA(&key[0]);
    return shared.count(key) != 0;
}

// Each test runs twice: against korvex.exe, and against the request window
// in this process taking the Windows 9x way (the ANSI functions alone, as
// where the wide ones are stubs).
class Names : public ::testing::TestWithParam<const char *> {
protected:
    static Bridge bridge, process, ansi;
    static HWND list;

    static void SetUpTestSuite()
    {
        const char *c = getenv("KORVEX_CORPUS");
        Corpus = c != NULL ? c : "";
        if (Corpus.empty() || !FileExists(Corpus + "\\index.txt"))
            return;
        LearnCodePage();
        ASSERT_TRUE(StartBridge(&process, "names host"));
        UseAnsiNamesOnly(TRUE);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = BridgeWndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "korvex in the test";
        RegisterClassA(&wc);
        ansi.host = process.host;
        ansi.link.host = process.host;
        ansi.link.timeout = Slow(30000);
        ansi.link.request = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                            NULL, wc.hInstance, NULL);
        ASSERT_TRUE(ansi.link.request != NULL);
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, process.host, NULL,
                               GetModuleHandleA(NULL), NULL);
    }
    static void TearDownTestSuite()
    {
        if (ansi.link.request != NULL)
            DestroyWindow(ansi.link.request);
        UseAnsiNamesOnly(FALSE);
        if (process.host != NULL)
            EndBridge(&process);
    }
    void SetUp() override
    {
        if (process.host == NULL)
            GTEST_SKIP() << "no corpus: KORVEX_CORPUS names none (the CTest run makes it)";
        bridge = strcmp(GetParam(), "ansi") == 0 ? ansi : process;
    }
    bool Ansi() const { return strcmp(GetParam(), "ansi") == 0; }
    static std::vector<std::string> Fill(const std::string &text, LRESULT *result)
    {
        return FillList(&bridge, list, text, result);
    }
};
Bridge Names::bridge, Names::process, Names::ansi;
HWND Names::list;
INSTANTIATE_TEST_SUITE_P(Ways, Names, ::testing::Values("korvex", "ansi"),
                         [](const ::testing::TestParamInfo<const char *> &p) { return std::string(p.param); });

TEST_P(Names, ListingNamesOpenTheirOwnFiles)
{
    for (const char *folder : { "mixed", "devices", "img", "mixed\\" }) {
        std::string dir = Corpus + "\\" + folder;
        if (dir.back() == '\\')
            dir.pop_back();
        std::vector<CorpusEntry> all = EntriesOf(dir);
        ASSERT_FALSE(all.empty()) << dir;
        LRESULT r;
        std::vector<std::string> lines = Fill("0" + dir, &r);
        EXPECT_EQ(0, r);
        std::set<std::string> opened;
        for (const std::string &line : lines) {
            ASSERT_GE(line.size(), 28u) << line;
            std::string name = line.substr(27);
            if (line[0] == '1')
                continue;   // a folder: see below
            std::string want = MarkerOfSize(strtoul(line.substr(3, 8).c_str(), NULL, 16));
            EXPECT_EQ(want, Opens(dir + "\\" + name)) << folder << ": line " << line;
            EXPECT_TRUE(opened.insert(want).second) << "two lines for " << want;
        }
        // Every file that has a name of its own is listed (2001 lines at most).
        size_t nameable = 0;
        for (const CorpusEntry &e : all)
            if (!e.directory && Nameable(e, all)) {
                nameable++;
                if (lines.size() < 2001) {
                    EXPECT_TRUE(opened.count(MarkerOfSize(e.sizeLow)))
                        << folder << ": " << e.ansi << " (short " << e.shortName << ") not listed";
                }
            }
        if (strcmp(folder, "devices") == 0) {
            EXPECT_EQ(0u, lines.size()) << "device names are no files";
        } else if (strcmp(folder, "img") == 0) {
            EXPECT_EQ(2001u, lines.size());
        } else {
            EXPECT_EQ(nameable + 1, lines.size()) << "the files with a name of their own and the folder";
        }
    }
}

TEST_P(Names, NamesThatReachTheHostTodayStayAsTheyAre)
{
    LRESULT r;
    std::vector<std::string> lines = Fill("6" + Corpus + "\\mixed", &r);
    std::set<std::string> names;
    for (const std::string &l : lines)
        names.insert(l.substr(27));
    std::string latin = "\xDCn\xEF" "c\xF6" "d\xE9.txt";   // Ünïcödé.txt in code page 1252
    if (GetACP() == 1252) {
        EXPECT_TRUE(names.count(latin));
    }
    for (const char *n : { "semi;colon,eq=plus+[br].txt", " leading blank.txt",
                           "many.dots.in.name.txt", "Long Name File.txt", "long name file.txt",
                           "Erdo.txt", "ABC.txt", "trail", "blank" })
        EXPECT_TRUE(names.count(n)) << n;
}

TEST_P(Names, SearchNamesOpenTheirOwnFiles)
{
    std::string dir = Corpus + "\\mixed";
    LRESULT r;
    std::set<std::string> listed;
    for (const std::string &l : Fill("6" + dir, &r))
        listed.insert(MarkerOfSize(strtoul(l.substr(3, 8).c_str(), NULL, 16)));

    std::set<std::string> found;
    std::string name = AskText(&bridge, KXR_FIND_FIRST, dir + "\\*", 0x37);
    for (int guard = 0; name != "<0>" && guard < 200; guard++) {
        if (name[0] != '[') {
            std::string m = Opens(dir + "\\" + name);
            EXPECT_EQ('M', m[0]) << name << " opens " << m;
            EXPECT_TRUE(found.insert(m).second) << name << " opens " << m << " again";
        }
        name = ResultText(KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, 0x37));
    }
    KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0);
    EXPECT_EQ(listed, found) << "the search names what the listing names";
}

TEST_P(Names, PathsAndFileInformationOpenTheirOwnFiles)
{
    std::string dir = Corpus + "\\mixed";
    LRESULT r;
    std::vector<std::string> lines = Fill("0" + dir, &r);
    std::vector<CorpusEntry> all = EntriesOf(dir);
    ASSERT_FALSE(lines.empty());
    std::string folder;
    for (const std::string &line : lines) {
        std::string path = dir + "\\" + line.substr(27);
        if (line[0] == '1') {
            folder = path;
            continue;
        }
        std::string want = MarkerOfSize(strtoul(line.substr(3, 8).c_str(), NULL, 16));
        std::string longForm = AskText(&bridge, KXR_LONG_PATH, path);
        EXPECT_EQ(want, Opens(longForm)) << "request 2 of " << path << ": " << longForm;
        std::string shortForm = AskText(&bridge, KXR_SHORT_PATH, path);
        EXPECT_EQ(want, Opens(shortForm)) << "request 3 of " << path << ": " << shortForm;
        // Request 17 gives the 8.3 name, when the entry has one of its own.
        std::string info = AskText(&bridge, KXR_FILE_INFO, path);
        if (HasOwnShortName(line.substr(27), all)) {
            size_t last = info.rfind(' ');
            ASSERT_NE(std::string::npos, last) << path << ": " << info;
            EXPECT_EQ(want, Opens(dir + "\\" + info.substr(last + 1)))
                << "request 17 of " << path << ": " << info;
        } else {
            // It exists: never "missing"; the name field stays empty.
            EXPECT_EQ(' ', info.empty() ? 'x' : info.back())
                << path << " has no 8.3 name of its own: " << info;
        }
        EXPECT_NE(0, Ask(&bridge, KXR_FILE_DOSTIME, path)) << path;
    }
    // A folder so named no longer hides what is inside it.
    ASSERT_FALSE(folder.empty()) << "the folder named in Cyrillic is listed";
    std::vector<std::string> inside = Fill("0" + folder, &r);
    EXPECT_EQ(0, r);
    EXPECT_EQ(2u, inside.size()) << folder;
    for (const std::string &line : inside) {
        std::string path = folder + "\\" + line.substr(27);
        std::string want = MarkerOfSize(strtoul(line.substr(3, 8).c_str(), NULL, 16));
        EXPECT_EQ(want, Opens(path)) << line;
        EXPECT_EQ(want, Opens(AskText(&bridge, KXR_LONG_PATH, path))) << path;
        EXPECT_EQ(want, Opens(AskText(&bridge, KXR_SHORT_PATH, path))) << path;
    }
}

TEST_P(Names, SharedShortNamesAreNeverHandedOut)
{
    // Which short names the platform gave more than one entry.
    for (const char *folder : { "img", "mixed" }) {
        std::string dir = Corpus + "\\" + folder;
        std::vector<CorpusEntry> all = EntriesOf(dir);
        std::set<std::string> shared = SharedShortNames(all);
        int checked = 0;
        for (const CorpusEntry &e : all) {
            if (e.directory || !e.exact || !IsShared(shared, e) || checked++ >= 150)
                continue;
            std::string path = dir + "\\" + e.ansi, want = MarkerOfSize(e.sizeLow);
            ASSERT_EQ(want, Opens(path)) << "the long name itself";
            std::string shortForm = AskText(&bridge, KXR_SHORT_PATH, path);
            EXPECT_EQ(want, Opens(shortForm)) << "request 3 of " << path << ": " << shortForm
                                              << " (shared short name " << e.shortName << ")";
            std::string text = AskText(&bridge, KXR_FILE_INFO, path);
            std::string name = text.substr(text.rfind(' ') + 1);
            EXPECT_NE("<0>", text) << "request 17 of " << path;
            if (!name.empty()) {
                EXPECT_EQ(want, Opens(dir + "\\" + name)) << "request 17 of " << path << ": " << text;
            }
        }
        if (strcmp(folder, "img") == 0) {
            EXPECT_GT(checked, 0) << "Wine gave these 3000 files no shared short name";
        }
    }
}

TEST_P(Names, DevicesAreNoFiles)
{
    for (const char *name : { "aux.txt", "CON", "nul.txt", "com1.log", "LPT9.doc", "prn" }) {
        std::string path = Corpus + "\\devices\\" + name;
        EXPECT_EQ(0, Ask(&bridge, KXR_SHORT_PATH, path)) << name;
        EXPECT_EQ(0, Ask(&bridge, KXR_FILE_INFO, path)) << name;
        EXPECT_EQ(0, Ask(&bridge, KXR_FILE_DOSTIME, path)) << name;
        std::string longForm = AskText(&bridge, KXR_LONG_PATH, path);
        EXPECT_EQ(path, longForm) << "comes back as it came";
    }
    EXPECT_EQ(0, Ask(&bridge, KXR_FILE_INFO, "aux")) << "no folder";
}

TEST_P(Names, TimesAndSizesPastTheirFields)
{
    // 2110 and 1975 have no DOS date (the platform here would wrap 2110 to
    // 1982): the nearest DOS moment, never 0, which would say "missing".
    // Wine keeps these as creation times where the file system has none.
    for (const char *name : { "future.txt", "past.txt" }) {
        std::string path = Corpus + "\\odd\\" + name;
        WIN32_FIND_DATAA e = {};
        FindClose(FindFirstFileA(path.c_str(), &e));
        FILETIME local;
        SYSTEMTIME st = {};
        FileTimeToLocalFileTime(&e.ftCreationTime, &local);
        FileTimeToSystemTime(&local, &st);
        LRESULT dos = Ask(&bridge, KXR_FILE_DOSTIME, path);
        if (st.wYear > 2107)
            EXPECT_EQ((LRESULT)0xFF9FBF7D, dos) << name;
        else if (st.wYear < 1980)
            EXPECT_EQ((LRESULT)0x00210000, dos) << name;
        else
            EXPECT_NE(0, dos) << name << " (created " << st.wYear << ")";
    }
    std::string info = AskText(&bridge, KXR_FILE_INFO, Corpus + "\\odd\\big.bin");
    EXPECT_EQ("4294967295 ", info.substr(0, 11)) << "4 GiB and 10 bytes: " << info;
    std::string small = AskText(&bridge, KXR_FILE_INFO, Corpus + "\\odd\\future.txt");
    EXPECT_EQ(0u, small.find("3046 ")) << "below 4 GiB the size as it is: " << small;
}

// The size field of a request 17 answer, and its name field.
static bool InfoFields(const std::string &info, DWORD *size, std::string *name)
{
    unsigned long s = 0;
    char created[32], modified[32];
    int used = 0;
    if (sscanf(info.c_str(), "%lu %*u %31s %31s %n", &s, created, modified, &used) < 3 || used == 0)
        return false;
    *size = (DWORD)s;
    *name = info.substr(used);
    return true;
}

// An entry that exists is never answered as missing, by request 17 or 9, for
// any path that opens it: a host that took 0 for "missing" and made the file
// anew would empty it.  Whatever name field comes back opens that file.
TEST_P(Names, AnExistingFileIsNeverMissing)
{
    std::string dir = Corpus + "\\img";
    std::vector<CorpusEntry> all = EntriesOf(dir);
    int asked = 0;
    for (size_t i = 0; i < all.size() && asked < 100; i += 30, asked++) {
        const CorpusEntry &e = all[i];
        std::string path = dir + "\\" + e.ansi, want = MarkerOfSize(e.sizeLow);
        std::string info = AskText(&bridge, KXR_FILE_INFO, path);
        DWORD size = 0;
        std::string name;
        ASSERT_TRUE(InfoFields(info, &size, &name)) << "request 17 of " << path << ": " << info;
        EXPECT_EQ(e.sizeLow, size) << path;
        if (!name.empty()) {
            EXPECT_EQ(want, Opens(dir + "\\" + name)) << "request 17 of " << path << ": " << info;
        }
        EXPECT_NE(0, Ask(&bridge, KXR_FILE_DOSTIME, path)) << "request 9 of " << path;
    }
    // Case twins share their short name.
    for (const char *twin : { "Long Name File.txt", "long name file.txt" }) {
        std::string path = Corpus + "\\mixed\\" + twin;
        std::string info = AskText(&bridge, KXR_FILE_INFO, path);
        DWORD size = 0;
        std::string name;
        ASSERT_TRUE(InfoFields(info, &size, &name)) << path << ": " << info;
        EXPECT_EQ(Opens(path), MarkerOfSize(size)) << path << ": " << info;
        if (!name.empty()) {
            EXPECT_EQ(Opens(path), Opens(Corpus + "\\mixed\\" + name)) << info;
        }
    }
    // "." and ".." are names: the first match of a folder's pattern.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    for (const char *tail : { "\\*", "\\*.*" }) {
        std::string info = AskText(&bridge, KXR_FILE_INFO, std::string(windows) + tail);
        EXPECT_NE("<0>", info) << windows << tail;
    }
}

// Windows reads a superscript digit in a device name as a digit; the byte
// that spells one in 1252 is a letter in other code pages, and a name with
// that letter is a file like any other: never missing, listed by its name.
TEST_P(Names, ADeviceNameIsSpelledInTheCodePage)
{
    std::string dir = Corpus + "\\devicelike";
    std::vector<CorpusEntry> all = EntriesOf(dir);
    LRESULT r;
    std::vector<std::string> lines = Fill("0" + dir, &r);
    auto listed = [&lines](const std::string &name) {
        for (const std::string &line : lines)
            if (line.size() > 27 && line.substr(27) == name)
                return true;
        return false;
    };
    int checked = 0;
    for (const CorpusEntry &e : all) {
        if (e.name.size() < 4 || !e.exact
            || (e.name[3] != 0x00B2 && e.name[3] != 0x0406 && e.name[3] != 0xFF72))
            continue;
        checked++;
        std::string path = dir + "\\" + e.ansi;
        if (e.name[3] == 0x00B2) {
            EXPECT_EQ(0, Ask(&bridge, KXR_FILE_DOSTIME, path)) << path << " is COM2";
            EXPECT_EQ(0, Ask(&bridge, KXR_SHORT_PATH, path)) << path << " is COM2";
            EXPECT_FALSE(listed(e.ansi)) << "a device is no file to list";
            continue;
        }
        std::string want = MarkerOfSize(e.sizeLow);
        ASSERT_EQ(want, OpensFile(path)) << "the name itself";
        EXPECT_NE(0, Ask(&bridge, KXR_FILE_DOSTIME, path)) << "request 9 of " << path;
        std::string info = AskText(&bridge, KXR_FILE_INFO, path);
        DWORD size = 0;
        std::string name;
        EXPECT_TRUE(InfoFields(info, &size, &name)) << "request 17 of " << path << ": " << info;
        EXPECT_EQ(e.sizeLow, size) << info;
        EXPECT_EQ(want, Opens(AskText(&bridge, KXR_SHORT_PATH, path))) << "request 3 of " << path;
        if (!name.empty()) {
            EXPECT_EQ(want, Opens(dir + "\\" + name)) << "request 17 of " << path << ": " << info;
        }
        EXPECT_TRUE(listed(e.ansi)) << e.ansi << " is listed by its own name";
    }
    EXPECT_EQ(3u, all.size()) << dir;
    printf("%d names with the byte of a superscript digit in this code page\n", checked);
}

// A short name that two entries share can open one while a search reports
// the other: request 2 gives an expansion only when it opens what the
// argument opens, the launcher hands on a short form only then, and request
// 17 tells the size of the file it opens.
TEST_P(Names, SharedShortNamesExpandOnlyToWhatTheyOpen)
{
    for (const char *folder : { "mixed", "img" }) {
        std::string dir = Corpus + "\\" + folder;
        std::vector<CorpusEntry> all = EntriesOf(dir);
        std::set<std::string> shared = SharedShortNames(all);
        int checked = 0;
        for (const CorpusEntry &e : all) {
            if (e.directory || !IsShared(shared, e) || checked++ >= 60)
                continue;
            std::string path = dir + "\\" + e.shortName, opened = Opens(path);
            std::string longForm = AskText(&bridge, KXR_LONG_PATH, path);
            EXPECT_EQ(opened, Opens(longForm)) << "request 2 of " << path << ": " << longForm;
            std::string info = AskText(&bridge, KXR_FILE_INFO, path);
            DWORD size = 0;
            std::string name;
            ASSERT_TRUE(InfoFields(info, &size, &name)) << "request 17 of " << path << ": " << info;
            EXPECT_EQ(opened, MarkerOfSize(size)) << "request 17 of " << path << ": " << info;
        }
        EXPECT_GT(checked, 0) << folder << " has no shared short name here";
    }
}

// The launcher is korvex.exe's own start: it runs once, not in both ways.
TEST(NamesLauncher, HandsOnAShortFormOnlyWhenItOpensTheSameFile)
{
    const char *c = getenv("KORVEX_CORPUS");
    if (c == NULL || !FileExists(std::string(c) + "\\index.txt"))
        GTEST_SKIP() << "no corpus: KORVEX_CORPUS names none (the CTest run makes it)";
    Corpus = c;
    std::string out = MakeTempTree("kxlaunchnames") , probe = TestBinPath("argprobe.exe");
    std::string record = out + "\\probe.txt";
    SetEnvironmentVariableA("KORVEX_PROBE_OUT", record.c_str());
    std::vector<CorpusEntry> all = EntriesOf(Corpus + "\\img");
    std::set<std::string> shared = SharedShortNames(all);
    int checked = 0;
    for (const CorpusEntry &e : all) {
        if (!IsShared(shared, e) || checked >= 4)
            continue;
        checked++;
        std::string path = Corpus + "\\img\\" + e.ansi;
        DeleteFileA(record.c_str());
        HANDLE p = StartProgramAs(BinPath("korvex.exe"), "korvex /s=\"" + probe + "\" \"" + path + "\"",
                                  SW_HIDE);
        ASSERT_TRUE(p != NULL);
        EXPECT_EQ(0, WaitProgram(p, 10000));
        DWORD start = GetTickCount();
        while (!FileExists(record) && GetTickCount() - start < Slow(30000))
            Sleep(50);
        FILE *f = fopen(record.c_str(), "rb");
        ASSERT_TRUE(f != NULL) << "the probe did not start for " << path;
        char line[1024];
        size_t n = fread(line, 1, sizeof(line) - 1, f);
        fclose(f);
        line[n] = '\0';
        // The probe's own name is quoted; what follows is the handed-on path.
        const char *handed = strstr(line, "\" ");
        ASSERT_TRUE(handed != NULL) << line;
        // As written, it keeps its quotes.
        std::string path2 = handed + 2;
        if (path2.size() >= 2 && path2.front() == '"' && path2.back() == '"')
            path2 = path2.substr(1, path2.size() - 2);
        EXPECT_EQ(MarkerOfSize(e.sizeLow), Opens(path2)) << e.ansi << " was handed on as " << handed + 2;
    }
    EXPECT_GT(checked, 0);
    SetEnvironmentVariableA("KORVEX_PROBE_OUT", NULL);
    RemoveTree(out);
}

// A folder whose name fills 254 characters, beside one of 253 that its name
// begins with: a search hands each out whole in its brackets or by its short
// name, never cut into the other's.
TEST_P(Names, SearchesGiveLongFolderNamesWholeOrShort)
{
    std::string dir = Corpus + "\\long";
    ASSERT_EQ(2u, EntriesOf(dir).size()) << "two long folders in " << dir;
    std::set<std::string> inside;
    std::string name = AskText(&bridge, KXR_FIND_FIRST, dir + "\\*", 0x37);
    for (int guard = 0; name != "<0>" && guard < 10; guard++) {
        if (name != "[.]" && name != "[..]") {
            ASSERT_EQ('[', name.front()) << name;
            ASSERT_EQ(']', name.back()) << "cut: " << name;
            // Each folder holds one file that tells which folder it is.
            // (Wide: the path passes MAX_PATH.)
            WIN32_FIND_DATAW d;
            std::string folder = dir + "\\" + name.substr(1, name.size() - 2);
            HANDLE h = FindFirstFileW(Wide(folder + "\\in*.txt").c_str(), &d);
            ASSERT_NE(INVALID_HANDLE_VALUE, h) << name << " opens no folder of ours";
            FindClose(h);
            char found[MAX_PATH];
            WideCharToMultiByte(CP_ACP, 0, d.cFileName, -1, found, sizeof(found), NULL, NULL);
            EXPECT_TRUE(inside.insert(found).second) << name << " names a folder again";
        }
        name = ResultText(KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, 0x37));
    }
    KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0);
    EXPECT_EQ(std::set<std::string>({ "in253.txt", "in254.txt" }), inside);
}

// Folders and files whose names end a character in 0x5C in code page 932
// ("表", "ソ") or 936 ("籠", "淺"): every name handed out opens its own file,
// in whatever code page this runs.
TEST_P(Names, PathsThroughNamesEndingInA5CByte)
{
    std::string dir = Corpus + "\\dbcs";
    LRESULT r;
    std::vector<std::string> top = Fill("0" + dir, &r);
    EXPECT_EQ(0, r);
    EXPECT_EQ(6u, top.size()) << "three folders and three files, each with a name of its own";
    int files = 0;
    for (const std::string &line : top) {
        std::vector<std::string> lines;
        std::string folder = dir;
        if (line[0] == '1') {
            folder = dir + "\\" + line.substr(27);
            lines = Fill("0" + folder, &r);
            EXPECT_EQ(1u, lines.size()) << "one file in " << folder;
        } else {
            lines.push_back(line);
        }
        for (const std::string &l : lines) {
            std::string path = folder + "\\" + l.substr(27);
            std::string want = MarkerOfSize(strtoul(l.substr(3, 8).c_str(), NULL, 16));
            files++;
            EXPECT_EQ(want, Opens(path)) << "the listed name " << path;
            EXPECT_EQ(want, Opens(AskText(&bridge, KXR_LONG_PATH, path))) << "request 2 of " << path;
            EXPECT_EQ(want, Opens(AskText(&bridge, KXR_SHORT_PATH, path))) << "request 3 of " << path;
            std::string shortFolder = ShortPath(folder);
            if (!shortFolder.empty()) {
                std::string mixed = shortFolder + "\\" + l.substr(27);
                EXPECT_EQ(want, Opens(AskText(&bridge, KXR_LONG_PATH, mixed)))
                    << "request 2 of " << mixed;
            }
            std::string info = AskText(&bridge, KXR_FILE_INFO, path);
            DWORD size = 0;
            std::string name;
            ASSERT_TRUE(InfoFields(info, &size, &name)) << "request 17 of " << path << ": " << info;
            if (!name.empty()) {
                EXPECT_EQ(want, Opens(folder + "\\" + name)) << "request 17 of " << path << ": " << info;
            }
            // The same path written with forward slashes.
            std::string forward = path;
            for (size_t i = 0; i < forward.size(); i++) {
                if (IsDBCSLeadByte((BYTE)forward[i])) {
                    i++;
                    continue;
                }
                if (forward[i] == '\\')
                    forward[i] = '/';
            }
            EXPECT_EQ(want, Opens(AskText(&bridge, KXR_LONG_PATH, forward))) << "request 2 of " << forward;
            EXPECT_EQ(want, Opens(AskText(&bridge, KXR_SHORT_PATH, forward))) << "request 3 of " << forward;
        }
    }
    EXPECT_EQ(6, files);
}

// The CTest run names the code page it means this run to have: a locale
// that did not take would quietly test code page 1252 again.
TEST(CodePage, IsTheOneThisRunIsFor)
{
    const char *want = getenv("KORVEX_CODE_PAGE");
    if (want == NULL)
        GTEST_SKIP() << "no code page named for this run";
    EXPECT_EQ((UINT)atoi(want), GetACP());
}
