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
// A device name is never opened (AUX can hang on the serial port).
static std::string Opens(const std::string &path)
{
    if (IsDeviceName(LastComponent(path.c_str())))
        return "<device " + path + ">";
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

class Names : public ::testing::Test {
protected:
    static Bridge bridge;
    static HWND list;

    static void SetUpTestSuite()
    {
        const char *c = getenv("KORVEX_CORPUS");
        Corpus = c != NULL ? c : "";
        if (Corpus.empty() || !FileExists(Corpus + "\\index.txt"))
            return;
        ASSERT_TRUE(StartBridge(&bridge, "names host"));
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, bridge.host, NULL,
                               GetModuleHandleA(NULL), NULL);
    }
    static void TearDownTestSuite()
    {
        if (bridge.host != NULL)
            EndBridge(&bridge);
    }
    void SetUp() override
    {
        if (bridge.host == NULL)
            GTEST_SKIP() << "no corpus: KORVEX_CORPUS names none (the CTest run makes it)";
    }
    static std::vector<std::string> Fill(const std::string &text, LRESULT *result)
    {
        return FillList(&bridge, list, text, result);
    }
};
Bridge Names::bridge;
HWND Names::list;

TEST_F(Names, ListingNamesOpenTheirOwnFiles)
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

TEST_F(Names, NamesThatReachTheHostTodayStayAsTheyAre)
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

TEST_F(Names, SearchNamesOpenTheirOwnFiles)
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

TEST_F(Names, PathsAndFileInformationOpenTheirOwnFiles)
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
            EXPECT_EQ("<0>", info) << path << " has no 8.3 name of its own";
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

TEST_F(Names, SharedShortNamesAreNeverHandedOut)
{
    // Which short names the platform gave more than one entry.
    for (const char *folder : { "img", "mixed" }) {
        std::string dir = Corpus + "\\" + folder;
        std::map<std::string, int> uses;
        std::vector<CorpusEntry> all = EntriesOf(dir);
        for (const CorpusEntry &e : all)
            if (!e.shortName.empty()) {
                std::string key = e.shortName;
                CharUpperA(&key[0]);
                uses[key]++;
            }
        int checked = 0;
        for (const CorpusEntry &e : all) {
            std::string key = e.shortName;
            if (key.empty() || e.directory || !e.exact)
                continue;
            CharUpperA(&key[0]);
            if (uses[key] < 2 || checked++ >= 150)
                continue;
            std::string path = dir + "\\" + e.ansi, want = MarkerOfSize(e.sizeLow);
            ASSERT_EQ(want, Opens(path)) << "the long name itself";
            std::string shortForm = AskText(&bridge, KXR_SHORT_PATH, path);
            EXPECT_EQ(want, Opens(shortForm)) << "request 3 of " << path << ": " << shortForm
                                              << " (shared short name " << e.shortName << ")";
            LRESULT info = Ask(&bridge, KXR_FILE_INFO, path);
            if (info != 0) {
                std::string text = ResultText(info);
                EXPECT_EQ(want, Opens(dir + "\\" + text.substr(text.rfind(' ') + 1)))
                    << "request 17 of " << path << ": " << text;
            }
        }
        if (strcmp(folder, "img") == 0) {
            EXPECT_GT(checked, 0) << "Wine gave these 3000 files no shared short name";
        }
    }
}

TEST_F(Names, DevicesAreNoFiles)
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

TEST_F(Names, TimesAndSizesPastTheirFields)
{
    // 2110 has no DOS date; the platform here wraps it to 1982 instead of failing.
    EXPECT_EQ(0, Ask(&bridge, KXR_FILE_DOSTIME, Corpus + "\\odd\\future.txt"));
    std::string info = AskText(&bridge, KXR_FILE_INFO, Corpus + "\\odd\\big.bin");
    EXPECT_EQ("4294967295 ", info.substr(0, 11)) << "4 GiB and 10 bytes: " << info;
    std::string small = AskText(&bridge, KXR_FILE_INFO, Corpus + "\\odd\\future.txt");
    EXPECT_EQ(0u, small.find("3046 ")) << "below 4 GiB the size as it is: " << small;
}
