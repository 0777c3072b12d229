// The file services under Wine, with real files: path names, disk space, file
// operations and times, the step-by-step search and the list box listings.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <set>
#include "testsupport.h"
#include "bridge.h"
#include "file_rules.h"


static FILETIME UtcOfLocal(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME st = {};
    FILETIME local, utc;
    st.wYear = (WORD)y; st.wMonth = (WORD)mo; st.wDay = (WORD)d;
    st.wHour = (WORD)h; st.wMinute = (WORD)mi; st.wSecond = (WORD)s;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

static bool SetTimes(const std::string &path, const FILETIME &created, const FILETIME &written)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    BOOL ok = SetFileTime(f, &created, NULL, &written);
    CloseHandle(f);
    return ok != FALSE;
}

static WIN32_FIND_DATAA Entry(const std::string &path)
{
    WIN32_FIND_DATAA data = {};
    HANDLE h = FindFirstFileA(path.c_str(), &data);
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    return data;
}

// Minutes local time is ahead of UTC now (what every conversion applies).
static int BiasNow()
{
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    ULARGE_INTEGER u, l;
    u.LowPart = utc.dwLowDateTime; u.HighPart = utc.dwHighDateTime;
    l.LowPart = local.dwLowDateTime; l.HighPart = local.dwHighDateTime;
    return (int)(((LONGLONG)l.QuadPart - (LONGLONG)u.QuadPart) / 600000000LL);
}

// A time text moved by minutes, through the calendar.
static std::string Shifted(const char *text, int minutes)
{
    CalendarTime t;
    ParseTimeText(text, &t);
    SYSTEMTIME st = {};
    st.wYear = t.year; st.wMonth = t.month; st.wDay = t.day;
    st.wHour = t.hour; st.wMinute = t.minute; st.wSecond = t.second;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime; v.HighPart = ft.dwHighDateTime;
    v.QuadPart += (LONGLONG)minutes * 600000000LL;
    ft.dwLowDateTime = v.LowPart; ft.dwHighDateTime = v.HighPart;
    FileTimeToSystemTime(&ft, &st);
    char out[32];
    snprintf(out, sizeof(out), "%04u%02u%02u%02u%02u%02u", st.wYear, st.wMonth, st.wDay,
             st.wHour, st.wMinute, st.wSecond);
    return out;
}

// One bridge and one temporary tree for the whole program; the bridge works
// in the tree, so relative names resolve there.
class Files : public ::testing::Test {
protected:
    static Bridge bridge;
    static std::string tree, deep, deepShort, oldDir;

    static void SetUpTestSuite()
    {
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(sizeof(cwd), cwd);
        oldDir = cwd;
        tree = MakeTempTree("kxfiles");
        ASSERT_FALSE(tree.empty());
        SetCurrentDirectoryA(tree.c_str());
        deep = tree + "\\Long Directory Name\\Another Long One";
        CreateDirectoryA((tree + "\\Long Directory Name").c_str(), NULL);
        CreateDirectoryA(deep.c_str(), NULL);
        WriteFileOfSize(deep + "\\File With Long Name.txt", 5);
        deepShort = ShortPath(deep);
        ASSERT_TRUE(StartBridge(&bridge, "files host"));
    }
    static void TearDownTestSuite()
    {
        EndBridge(&bridge);
        SetCurrentDirectoryA(oldDir.c_str());
        RemoveTree(tree);
    }
    static std::string Ask(UINT code, const std::string &text, WORD high = 0)
    {
        return AskText(&bridge, code, text, high);
    }
    static LRESULT Number(UINT code, const std::string &text, WORD high = 0)
    {
        return ::Ask(&bridge, code, text, high);
    }
};
Bridge Files::bridge;
std::string Files::tree, Files::deep, Files::deepShort, Files::oldDir;

// ---- long and short path names --------------------------------------------------

TEST_F(Files, LongPathExpandsEveryComponent)
{
    std::string file = deep + "\\File With Long Name.txt";
    std::string shortFile = ShortPath(file);
    ASSERT_NE(file, shortFile);
    EXPECT_EQ(file, Ask(KXR_LONG_PATH, shortFile));

    // Stored case for the components, the drive as written.
    std::string lowerDrive = shortFile;
    lowerDrive[0] = (char)tolower(lowerDrive[0]);
    std::string expected = file;
    expected[0] = lowerDrive[0];
    EXPECT_EQ(expected, Ask(KXR_LONG_PATH, lowerDrive));
}

TEST_F(Files, LongPathLeavesWhatItCannotFind)
{
    EXPECT_EQ("C:", Ask(KXR_LONG_PATH, "C:"));
    EXPECT_EQ("LONGDI~1", Ask(KXR_LONG_PATH, "LONGDI~1")) << "no backslash: no search";
    // A forward slash separates as a backslash does; the answer joins with backslashes.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string forward = windows;
    for (char &c : forward)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(Ask(KXR_LONG_PATH, windows), Ask(KXR_LONG_PATH, forward));
    EXPECT_EQ(Ask(KXR_LONG_PATH, deepShort), Ask(KXR_LONG_PATH, deepShort.substr(0, 2) + "/" + deepShort.substr(3)));
    std::string missing = deepShort + "\\no such file.txt";
    EXPECT_EQ(missing, Ask(KXR_LONG_PATH, missing)) << "directories exist, the file not";
    EXPECT_EQ(deepShort + "\\", Ask(KXR_LONG_PATH, deepShort + "\\"));
    EXPECT_EQ("<0>", Ask(KXR_LONG_PATH, ""));
}

TEST_F(Files, LongPathOfRelativeAndRootNames)
{
    // Relative: the first component as written, the rest expanded here.
    std::string first = Entry(tree + "\\Long Directory Name").cAlternateFileName;
    std::string second = Entry(deep).cAlternateFileName;
    ASSERT_NE("", first);
    EXPECT_EQ(first + "\\Another Long One", Ask(KXR_LONG_PATH, first + "\\" + second));
    // Root-relative on the drive we work on.
    char root[MAX_PATH];
    GetWindowsDirectoryA(root, sizeof(root));
    std::string windows = Entry(root).cFileName;
    std::string upper = windows;
    for (size_t i = 0; i < upper.size(); i++)
        upper[i] = (char)toupper(upper[i]);
    EXPECT_EQ("\\" + windows, Ask(KXR_LONG_PATH, "\\" + upper));
}

TEST_F(Files, LongPathKeepsDotAndDotDotAsWritten)
{
    // A search for "dir\." names dir, one for "a\b\.." names a: looked up,
    // they would put another directory in their place.
    std::string longDir = tree + "\\Long Directory Name";
    std::string shortDir = ShortPath(longDir);
    std::string shortDeep = ShortPath(deep);
    std::string deepName = deep.substr(deep.rfind('\\') + 1);
    std::string file = "File With Long Name.txt";
    std::string shortFile = ShortPath(deep + "\\" + file).substr(shortDeep.size() + 1);
    EXPECT_EQ(longDir + "\\.\\" + deepName + "\\" + file,
              Ask(KXR_LONG_PATH, shortDir + "\\.\\" + shortDeep.substr(shortDir.size() + 1)
                                     + "\\" + shortFile));
    EXPECT_EQ(deep + "\\..", Ask(KXR_LONG_PATH, shortDeep + "\\.."));
    EXPECT_EQ(deep + "\\..\\" + deepName, Ask(KXR_LONG_PATH, shortDeep + "\\..\\"
                                                              + shortDeep.substr(shortDir.size() + 1)));
    EXPECT_EQ(longDir + "\\.", Ask(KXR_LONG_PATH, shortDir + "\\."));
}

TEST_F(Files, LongPathTooLongComesBackAsGiven)
{
    // Five 64-character directories: the long form has over 255 characters.
    // They lie deeper than MAX_PATH, so make them through the \\?\ form.
    std::wstring path = L"\\\\?\\" + std::wstring(tree.begin(), tree.end());
    std::string shortRelative;
    for (int i = 0; i < 5; i++) {
        std::wstring name = L"d" + std::wstring(63, (wchar_t)(L'a' + i));
        path += L"\\" + name;
        if (!CreateDirectoryW(path.c_str(), NULL))
            GTEST_SKIP() << "Wine would not make a directory this deep";
        WIN32_FIND_DATAA d = Entry(shortRelative + (i ? "\\" : "") + "d" + std::string(63, (char)('a' + i)));
        if (d.cAlternateFileName[0] == '\0')
            GTEST_SKIP() << "no short name at depth " << i;
        shortRelative += (i ? "\\" : "") + std::string(d.cAlternateFileName);
    }
    ASSERT_LT(shortRelative.size(), 100u);
    EXPECT_EQ(shortRelative, Ask(KXR_LONG_PATH, shortRelative)) << "never a path with components left out";
    // One level less fits: the first as written and 3 x 65 characters.
    std::string four = shortRelative.substr(0, shortRelative.rfind('\\'));
    std::string expected = four.substr(0, four.find('\\'));
    for (char c = 'b'; c <= 'd'; c++)
        expected += "\\d" + std::string(63, c);
    EXPECT_EQ(expected, Ask(KXR_LONG_PATH, four));
}

TEST_F(Files, ShortPathOfExistingAndNewFiles)
{
    std::string file = deep + "\\File With Long Name.txt";
    EXPECT_EQ(ShortPath(file), Ask(KXR_SHORT_PATH, file));
    EXPECT_EQ(deepShort + "\\A New File Name.TXT", Ask(KXR_SHORT_PATH, deep + "\\A New File Name.TXT"));
    EXPECT_EQ("no such name.txt", Ask(KXR_SHORT_PATH, "no such name.txt"));
    EXPECT_EQ("<0>", Ask(KXR_SHORT_PATH, ""));
}

TEST_F(Files, ShortPathWithoutAShortDirectoryComesBackAsGiven)
{
    std::string missing = tree + "\\No Such Directory\\New File.txt";
    EXPECT_EQ(missing, Ask(KXR_SHORT_PATH, missing));
    EXPECT_EQ("\\nothing here at all.txt", Ask(KXR_SHORT_PATH, "\\nothing here at all.txt"));
}

// ---- disk space ------------------------------------------------------------------

TEST_F(Files, DiskSizeIsExactDecimal)
{
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    char expected[32];
    snprintf(expected, sizeof(expected), "%llu", (unsigned long long)total.QuadPart);
    EXPECT_EQ(expected, Ask(KXR_DISK_SIZE, "C:\\"));

    std::string freeText = Ask(KXR_DISK_FREE, "C:\\");
    EXPECT_EQ(strspn(freeText.c_str(), "0123456789"), freeText.size()) << freeText;
    unsigned long long reported = strtoull(freeText.c_str(), NULL, 10);
    EXPECT_NEAR((double)free.QuadPart, (double)reported, 64.0 * 1024 * 1024) << "free bytes move a little";
}

TEST_F(Files, DiskSpaceOfNoDiskIsZero)
{
    EXPECT_EQ("0", Ask(KXR_DISK_SIZE, "Q:\\no disk here\\"));
    EXPECT_EQ("0", Ask(KXR_DISK_FREE, "\\\\noserver\\noshare\\"));
}

TEST_F(Files, DiskRootIsCutTo63)
{
    // A 63-character folder that exists, then 37 characters of nonsense.
    std::string folder = tree + "\\" + std::string(62 - tree.size(), 'r');
    ASSERT_EQ(63u, folder.size());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string root = folder + std::string(37, '?');
    EXPECT_NE("0", Ask(KXR_DISK_SIZE, root));
    EXPECT_EQ("0", Ask(KXR_DISK_SIZE, tree + "\\" + std::string(62 - tree.size(), 'x') + "?"));
    RemoveDirectoryA(folder.c_str());
}

// ---- file operations and times ------------------------------------------------------

TEST_F(Files, DosTimeOfCreation)
{
    std::string file = tree + "\\dostime.txt";
    WriteFileOfSize(file, 3);
    FILETIME created = UtcOfLocal(1998, 3, 15, 13, 45, 20);
    ASSERT_TRUE(SetTimes(file, created, created));
    EXPECT_EQ(0x246F6DAA, Number(KXR_FILE_DOSTIME, file));
    EXPECT_EQ(0x246F6DAA, Number(KXR_FILE_DOSTIME, tree + "\\dost*.txt")) << "wildcards";
    EXPECT_EQ(0, Number(KXR_FILE_DOSTIME, tree + "\\missing.txt"));

    // The creation time as the platform keeps it, not the last write.
    FILETIME written = UtcOfLocal(2001, 11, 2, 8, 5, 0);
    ASSERT_TRUE(SetTimes(file, created, written));
    FILETIME local;
    WORD date = 0, time = 0;
    WIN32_FIND_DATAA e = Entry(file);
    FileTimeToLocalFileTime(&e.ftCreationTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(MAKELONG(time, date), Number(KXR_FILE_DOSTIME, file));
}

TEST_F(Files, MakeAndRemoveDirectories)
{
    std::string dir = tree + "\\made by request";
    EXPECT_NE(0, Number(KXR_MAKE_DIR, dir));
    EXPECT_TRUE(FileExists(dir));
    EXPECT_EQ(0, Number(KXR_MAKE_DIR, dir)) << "exists already";
    EXPECT_NE(0, Number(KXR_REMOVE_DIR, dir));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_EQ(0, Number(KXR_REMOVE_DIR, dir));
    EXPECT_EQ(0, Number(KXR_MAKE_DIR, ""));
}

TEST_F(Files, DeleteClearsReadOnlyFirst)
{
    std::string file = tree + "\\read only.txt";
    WriteFileOfSize(file, 10);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(0, Number(KXR_DELETE_FILE, file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(0, Number(KXR_DELETE_FILE, file));
}

TEST_F(Files, MoveNeedsBothNames)
{
    std::string from = tree + "\\move me.txt", to = tree + "\\moved.txt";
    WriteFileOfSize(from, 1);
    ATOM a = KorvexAtom(from.c_str()), b = KorvexAtom(to.c_str());
    EXPECT_NE(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, a, b));
    EXPECT_FALSE(AtomAlive(a));
    EXPECT_FALSE(AtomAlive(b));
    EXPECT_TRUE(FileExists(to));
    EXPECT_FALSE(FileExists(from));

    b = KorvexAtom(from.c_str());
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, 0, b));
    EXPECT_FALSE(AtomAlive(b)) << "the high atom is taken all the same";
    a = KorvexAtom(to.c_str());
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, a, 0));
    EXPECT_FALSE(AtomAlive(a));
    EXPECT_TRUE(FileExists(to));
    DeleteFileA(to.c_str());
}

// The attributes are cleared for the delete; when the delete then fails the
// user's file keeps them (hidden, system and read-only are not lost for nothing).
TEST_F(Files, DeleteThatFailsKeepsTheAttributes)
{
    std::string path = tree + "\\kept attributes.txt";
    ASSERT_TRUE(WriteFileOfSize(path, 9));
    DWORD given = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), given));
    DWORD before = GetFileAttributesA(path.c_str());
    // Open without sharing the delete: no delete can succeed while it is.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0, Number(KXR_DELETE_FILE, path)) << "the delete is refused while the file is open";
    EXPECT_EQ(before, GetFileAttributesA(path.c_str())) << "attributes after a failed delete";
    CloseHandle(held);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

TEST_F(Files, CreateEmptiesAReadOnlyFile)
{
    std::string file = tree + "\\hundred.txt";
    WriteFileOfSize(file, 100);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, Number(KXR_CREATE_FILE, file));
    WIN32_FIND_DATAA e = Entry(file);
    EXPECT_EQ(0u, e.nFileSizeLow);
    EXPECT_EQ(0u, e.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(-1, Number(KXR_CREATE_FILE, tree + "\\no dir\\x.txt"));
    EXPECT_EQ(0, Number(KXR_CREATE_FILE, tree + "\\brand new.txt"));
    EXPECT_TRUE(FileExists(tree + "\\brand new.txt"));
}

TEST_F(Files, FileInformationText)
{
    std::string file = tree + "\\README.TXT";
    WriteFileOfSize(file, 1234);
    SetTimes(file, UtcOfLocal(1998, 3, 15, 13, 45, 20), UtcOfLocal(2001, 11, 2, 8, 5, 0));
    WIN32_FIND_DATAA e = Entry(file);
    char created[20], expected[256];
    FormatFileTime(&e.ftCreationTime, created, sizeof(created));
    snprintf(expected, sizeof(expected), "1234 %u %s 20011102080500 README.TXT",
             (unsigned)(e.dwFileAttributes & 0x37), created);
    EXPECT_EQ(expected, Ask(KXR_FILE_INFO, file));
    EXPECT_EQ(expected, Ask(KXR_FILE_INFO, tree + "\\READ*.TXT")) << "first match of a pattern";

    std::string longFile = deep + "\\File With Long Name.txt";
    std::string info = Ask(KXR_FILE_INFO, longFile);
    std::string shortName = ShortPath(longFile).substr(deepShort.size() + 1);
    EXPECT_EQ(shortName, info.substr(info.rfind(' ') + 1));
    EXPECT_EQ("<0>", Ask(KXR_FILE_INFO, tree + "\\nothing.*"));
}

// Windows keeps file times up to the year 30827 (no file system here keeps
// them, so the time goes to FormatFileTime as request 17 hands it over).
TEST(FormatFileTime, YearsPast9999AreWrittenWhole)
{
    SYSTEMTIME st = {};
    st.wYear = 30000; st.wMonth = 12; st.wDay = 31; st.wHour = 10; st.wMinute = 20; st.wSecond = 59;
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    char text[20];
    memset(text, '@', sizeof(text));
    EXPECT_STREQ("300001231102059", FormatFileTime(&utc, text, sizeof(text)));
    EXPECT_EQ('@', text[16]) << "nothing written past the text";
    char tight[8];
    memset(tight, '@', sizeof(tight));
    FormatFileTime(&utc, tight, 6);
    EXPECT_EQ('\0', tight[5]) << "cut to the buffer";
    EXPECT_EQ('@', tight[6]);
}

TEST(FormatFileTime, StarForNoTime)
{
    char text[20];
    FILETIME zero = { 0, 0 }, bad = { 0xFFFFFFFF, 0xFFFFFFFF };
    EXPECT_STREQ("*", FormatFileTime(&zero, text, sizeof(text)));
    // Windows cannot convert this one (Wine wraps it): "*" or a real time text.
    FormatFileTime(&bad, text, sizeof(text));
    EXPECT_TRUE(strcmp(text, "*") == 0 || (strlen(text) == 14 && strspn(text, "0123456789") == 14)) << text;
    FILETIME t = UtcOfLocal(2001, 11, 2, 8, 5, 0);
    EXPECT_STREQ("20011102080500", FormatFileTime(&t, text, sizeof(text)));
}

TEST_F(Files, TimeTextConversions)
{
    int bias = BiasNow();
    EXPECT_EQ(Shifted("20240615120000", -bias), Ask(KXR_LOCAL_TO_UTC, "20240615120000"));
    EXPECT_EQ(Shifted("20240615120000", bias), Ask(KXR_UTC_TO_LOCAL, "20240615120000"));
    std::string there = Ask(KXR_LOCAL_TO_UTC, "19991231233059");
    EXPECT_EQ("19991231233059", Ask(KXR_UTC_TO_LOCAL, there)) << "round trip";

    EXPECT_EQ("<0>", Ask(KXR_LOCAL_TO_UTC, "20241301000000")) << "month 13";
    EXPECT_EQ(Shifted("20240101000050", -bias), Ask(KXR_LOCAL_TO_UTC, "202401010000050"));
    EXPECT_EQ("<0>", Ask(KXR_LOCAL_TO_UTC, "2024010100000599"));
    // Short texts: missing fields are 0.
    EXPECT_EQ(Shifted("20240101000000", bias), Ask(KXR_UTC_TO_LOCAL, "20240101"));
    EXPECT_EQ("<0>", Ask(KXR_UTC_TO_LOCAL, "2024")) << "month 0";
    EXPECT_EQ("<0>", Ask(KXR_UTC_TO_LOCAL, ""));
}

// ---- the step-by-step search ----------------------------------------------------------

class Search : public Files {
protected:
    static std::string dir;
    static void SetUpTestSuite()
    {
        Files::SetUpTestSuite();
        dir = tree + "\\search";
        CreateDirectoryA(dir.c_str(), NULL);
        CreateDirectoryA((dir + "\\plain dir").c_str(), NULL);
        WriteFileOfSize(dir + "\\archived.txt", 1);
        WriteFileOfSize(dir + "\\readonly.txt", 1);
        SetFileAttributesA((dir + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
        WriteFileOfSize(dir + "\\hidden.txt", 1);
        SetFileAttributesA((dir + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
        WriteFileOfSize(dir + "\\system.txt", 1);
        SetFileAttributesA((dir + "\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    }

    // Every name a search returns with this filter, in order.
    static std::set<std::string> All(WORD filter)
    {
        std::set<std::string> names;
        std::string name = Ask(KXR_FIND_FIRST, dir + "\\*", filter);
        while (name != "<0>" && names.size() < 50) {
            names.insert(name);
            name = ResultText(KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, filter));
        }
        return names;
    }
    // What the platform says the filter should give: the names whose
    // attributes carry only allowed bits.
    static std::set<std::string> Expected(WORD filter)
    {
        std::set<std::string> names;
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            bool isDir = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (FilterAccepts(d.dwFileAttributes, filter))
                names.insert(isDir ? "[" + std::string(d.cFileName) + "]" : d.cFileName);
        } while (FindNextFileA(h, &d));
        FindClose(h);
        return names;
    }
};
std::string Search::dir;

TEST_F(Search, FiltersOfTheHost)
{
    std::set<std::string> all = All(0x0037);
    EXPECT_EQ(7u, all.size());
    EXPECT_TRUE(all.count("[.]") && all.count("[..]") && all.count("[plain dir]"));

    std::set<std::string> dirs = All(0x8010);
    EXPECT_EQ(Expected(0x8010), dirs);
    EXPECT_TRUE(dirs.count("[plain dir]"));
    for (const std::string &n : dirs)
        EXPECT_EQ('[', n[0]) << n;

    std::set<std::string> plain = All(0x8021);
    EXPECT_EQ(Expected(0x8021), plain);
    EXPECT_TRUE(plain.count("archived.txt"));
    EXPECT_TRUE(plain.count("readonly.txt"));
    EXPECT_FALSE(plain.count("hidden.txt")) << "hidden needs 0x0002";

    EXPECT_EQ(Expected(0), All(0));
    EXPECT_EQ(0u, All(0x0010).count("archived.txt")) << "archive needs 0x0020";
}

TEST_F(Search, StepsAndEnds)
{
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0));
    ATOM untouched = GlobalAddAtomA("find next leaves me");
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_NEXT, untouched, 0x37)) << "no search open";
    EXPECT_TRUE(AtomAlive(untouched)) << "15 takes no atom";
    GlobalDeleteAtom(untouched);

    EXPECT_EQ("<0>", Ask(KXR_FIND_FIRST, dir + "\\*.none", 0x37));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, 0x37)) << "after a failed start";

    // A new search closes the old one.
    EXPECT_EQ("[.]", Ask(KXR_FIND_FIRST, dir + "\\*", 0x37));
    EXPECT_EQ("archived.txt", Ask(KXR_FIND_FIRST, dir + "\\arch*", 0x37));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_NEXT, 0, 0x37));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0));
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_FIND_END, 0, 0)) << "twice is harmless";
}

// ---- list box listings -------------------------------------------------------------

class Listing : public Files {
protected:
    static HWND list;
    static std::string dir;
    static void SetUpTestSuite()
    {
        Files::SetUpTestSuite();
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, bridge.host, NULL,
                               GetModuleHandleA(NULL), NULL);
        dir = tree + "\\listing";
        CreateDirectoryA(dir.c_str(), NULL);
        CreateDirectoryA((dir + "\\sub one").c_str(), NULL);
        WriteFileOfSize(dir + "\\README.TXT", 1234);
        SetTimes(dir + "\\README.TXT", UtcOfLocal(1998, 3, 15, 13, 45, 20), UtcOfLocal(2001, 11, 2, 8, 5, 0));
        WriteFileOfSize(dir + "\\" + std::string(64, 'a'), 0);
        WriteFileOfSize(dir + "\\" + std::string(65, 'b'), 0);
        WriteFileOfSize(dir + "\\largest.bin", 16777215);
        WriteFileOfSize(dir + "\\too large.bin", 16777216);
    }
    static std::vector<std::string> Fill(const std::string &text, LRESULT *result)
    {
        return FillList(&bridge, list, text, result);
    }
    static std::string LineOf(const std::vector<std::string> &lines, const std::string &name)
    {
        for (const std::string &l : lines)
            if (l.size() >= 27 && l.substr(27) == name)
                return l;
        return "";
    }
};
HWND Listing::list;
std::string Listing::dir;

static uint32_t Packed(const FILETIME &utc)
{
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    CalendarTime t = { st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond };
    return PackTimeStamp(&t);
}

TEST_F(Listing, DirectoryLines)
{
    LRESULT r;
    std::vector<std::string> lines = Fill("0" + dir, &r);
    EXPECT_EQ(0, r);
    EXPECT_EQ(5u, lines.size()) << "sub one, README, 64, 65 (short), largest";

    WIN32_FIND_DATAA e = Entry(dir + "\\README.TXT");
    char expected[600];
    FormatListingLine(expected, sizeof(expected), 0, AccessByte(e.dwFileAttributes), 1234,
                      Packed(e.ftCreationTime), Packed(e.ftLastWriteTime), "README.TXT");
    EXPECT_EQ(expected, LineOf(lines, "README.TXT"));
    EXPECT_EQ("08050362", LineOf(lines, "README.TXT").substr(19, 8)) << "last write 2001-11-02 08:05";

    EXPECT_EQ('1', LineOf(lines, "sub one")[0]);
    EXPECT_NE("", LineOf(lines, std::string(64, 'a')));
    std::string shortName = ShortPath(dir + "\\" + std::string(65, 'b')).substr(ShortPath(dir).size() + 1);
    EXPECT_NE("", LineOf(lines, shortName)) << "65 characters: the short name";
    EXPECT_EQ("00ffffff", LineOf(lines, "largest.bin").substr(3, 8));
    EXPECT_EQ("", LineOf(lines, "too large.bin"));
    EXPECT_EQ("", LineOf(lines, ".")) << "no dot entries";
}

TEST_F(Listing, ModesPickDirectoriesOrFiles)
{
    LRESULT r;
    std::vector<std::string> dirs = Fill("4" + dir, &r);
    ASSERT_EQ(1u, dirs.size());
    EXPECT_EQ("sub one", dirs[0].substr(27));
    std::vector<std::string> files = Fill("6" + dir + "\\", &r);
    EXPECT_EQ(4u, files.size());
    for (const std::string &l : files)
        EXPECT_EQ('0', l[0]) << l;

    // Only a mode character: the root of the current drive.
    std::vector<std::string> root = Fill("4", &r);
    EXPECT_EQ(0, r);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_NE("", LineOf(root, Entry(windows).cFileName));
}

TEST_F(Listing, AppendsAndNeverClears)
{
    LRESULT r;
    Fill("4" + dir, &r);
    Number(KXR_FILL_LIST, "4" + dir, Word(list));
    EXPECT_EQ(2, SendMessageA(list, LB_GETCOUNT, 0, 0));
}

TEST_F(Listing, FailuresAnswer39)
{
    LRESULT r;
    EXPECT_TRUE(Fill("0" + tree + "\\no such dir", &r).empty());
    EXPECT_EQ(KX_LIST_FAILED, r);
    // No network under Wine: the top enumeration cannot be opened.
    Fill("1", &r);
    EXPECT_EQ(KX_LIST_FAILED, r);
    Fill("2\\\\SERVER", &r);
    EXPECT_EQ(KX_LIST_FAILED, r);
}

TEST_F(Listing, StopsAt2001Lines)
{
    std::string big = tree + "\\big";
    CreateDirectoryA(big.c_str(), NULL);
    for (int i = 0; i < 2100; i++) {
        char name[32];
        snprintf(name, sizeof(name), "\\f%04d", i);
        ASSERT_TRUE(WriteFileOfSize(big + name, 0));
    }
    LRESULT r;
    EXPECT_EQ(2001u, Fill("6" + big, &r).size());
    EXPECT_EQ(0, r);
    RemoveTree(big);
}

// ---- what the reference says of zeros, folders and atom 0 --------------------------

TEST_F(Files, ZerosThatMeanSomethingElse)
{
    std::string folder = tree + "\\exists already";
    EXPECT_NE(0, Number(KXR_MAKE_DIR, folder));
    EXPECT_EQ(0, Number(KXR_MAKE_DIR, folder)) << "a folder that exists answers 0, as a failure";
    std::string a = tree + "\\move a.txt", b = tree + "\\move b.txt";
    WriteFileOfSize(a, 3);
    WriteFileOfSize(b, 4);
    ATOM from = KorvexAtom(a.c_str()), to = KorvexAtom(b.c_str());
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, from, to)) << "the new name exists";
    EXPECT_TRUE(FileExists(a));
    // 12 moves folders too, with what is inside them.
    WriteFileOfSize(folder + "\\inside.txt", 5);
    std::string moved = tree + "\\moved folder";
    from = KorvexAtom(folder.c_str());
    to = KorvexAtom(moved.c_str());
    EXPECT_NE(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, from, to));
    EXPECT_TRUE(FileExists(moved + "\\inside.txt"));
    EXPECT_FALSE(FileExists(folder));
    DeleteFileA(a.c_str());
    DeleteFileA(b.c_str());
    DeleteFileA((moved + "\\inside.txt").c_str());
    RemoveDirectoryA(moved.c_str());
    EXPECT_EQ("0", ResultText(KorvexRequest(&bridge.link, KXR_DISK_SIZE, 0, 0))) << "atom 0 as root";
}

TEST_F(Listing, AFolderNotAPatternAndAtomZero)
{
    LRESULT r;
    EXPECT_TRUE(Fill("6" + dir + "\\*.TXT", &r).empty());
    EXPECT_EQ(KX_LIST_FAILED, r) << "a pattern is no folder";
    // Atom 0 lists korvex's current folder: here, the tree it was started in.
    std::vector<std::string> here = Fill("", &r);
    EXPECT_EQ(0, r);
    EXPECT_FALSE(LineOf(here, "listing").empty()) << "the tree's own sub-folder";
}

// The drives of make-drives.sh: "" when they are there, else why not.
static std::string DrivesMissing()
{
    std::string skip = TestDir() + "\\..\\drives\\skip";
    FILE *f = fopen(skip.c_str(), "rb");
    if (f != NULL) {
        char why[512] = "";
        size_t n = fread(why, 1, sizeof(why) - 1, f);
        fclose(f);
        why[n] = '\0';
        return why;
    }
    if (GetFileAttributesA("R:\\keep.txt") == INVALID_FILE_ATTRIBUTES)
        return "no drives F: and R: (the CTest run makes them)";
    return "";
}


// A move that did not happen never answers 1, and leaves nothing behind: the
// platform answers a move onto a full drive with failure but a truncated
// destination, and a move off a read-only drive with success but a copy.
TEST_F(Files, AMoveThatFailsLeavesNoPartialFile)
{
    std::string why = DrivesMissing();
    if (!why.empty())
        GTEST_SKIP() << why;
    std::string big = tree + "\\big.bin";
    std::string data(300000, 'b');
    data.replace(0, 10, "big-marker");
    FILE *f = fopen(big.c_str(), "wb");
    ASSERT_TRUE(f != NULL);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
    ATOM a = KorvexAtom(big.c_str()), b = KorvexAtom("F:\\big.bin");
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, a, b)) << "onto a full drive";
    EXPECT_FALSE(FileExists("F:\\big.bin")) << "a partial destination stayed";
    EXPECT_TRUE(FileText(big) == data) << "the source is not whole";

    std::string copy = tree + "\\moved off ro.txt";
    a = KorvexAtom("R:\\move-me.txt");
    b = KorvexAtom(copy.c_str());
    EXPECT_EQ(0, KorvexRequest(&bridge.link, KXR_MOVE_FILE, a, b)) << "off a read-only drive";
    EXPECT_EQ("move-marker", FileText("R:\\move-me.txt"));
    EXPECT_FALSE(FileExists(copy)) << "the copy stayed";
    DeleteFileA(copy.c_str());
    DeleteFileA(big.c_str());
}

TEST_F(Files, ADeleteThatDidNotHappenAnswers0)
{
    std::string why = DrivesMissing();
    if (!why.empty())
        GTEST_SKIP() << why;
    EXPECT_EQ(0, Number(KXR_DELETE_FILE, "R:\\keep.txt")) << "on a read-only drive";
    EXPECT_EQ("keep-marker", FileText("R:\\keep.txt"));
    EXPECT_EQ(0, Number(KXR_REMOVE_DIR, "R:\\keep-dir")) << "on a read-only drive";
    EXPECT_TRUE(FileExists("R:\\keep-dir"));
}

// What requests 10 and 13 answer agrees with what is there afterwards, on a
// read-only drive and on a full one.
TEST_F(Files, MadeFoldersAndFilesAreThereWhenTheAnswerSaysSo)
{
    std::string why = DrivesMissing();
    if (!why.empty())
        GTEST_SKIP() << why;
    for (const char *drive : { "R:", "F:" }) {
        std::string dir = std::string(drive) + "\\made here", file = std::string(drive) + "\\empty.txt";
        LRESULT made = Number(KXR_MAKE_DIR, dir);
        EXPECT_EQ(made != 0, FileExists(dir)) << dir << ": answer " << made;
        LRESULT created = Number(KXR_CREATE_FILE, file);
        EXPECT_EQ(created == 0, FileExists(file)) << file << ": answer " << created;
        if (created == 0) {
            EXPECT_EQ("", FileText(file)) << "empty";
        }
        if (strcmp(drive, "R:") == 0) {
            EXPECT_EQ(0, made) << "a read-only drive takes no folder";
            EXPECT_NE(0, created) << "a read-only drive takes no file";
        }
        RemoveDirectoryA(dir.c_str());
        DeleteFileA(file.c_str());
    }
}
