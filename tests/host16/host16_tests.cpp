// The contract proven from a real Win16 host: player16.exe, an NE program,
// plays a script against korvex and qivddraw and logs what happens; these
// tests write the scripts, run the player under Wine and read its log.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <map>
#include "testsupport.h"


// One run of the player: the log's step lines (one per script step, in order,
// after the player's own first line), and the messages its window received.
struct Play {
    std::vector<std::string> steps;
    std::vector<std::string> messages;  // "msg M W L sent|posted", "cursor N"
    std::vector<std::string> lines;     // list box lines of the L steps
    bool finished = false;
};

// A script under construction; Add returns the step's index in Play::steps.
struct Script {
    std::vector<std::string> text;
    int Add(const std::string &step)
    {
        text.push_back(step);
        return (int)text.size();        // steps[0] is the player's own line
    }
};

static std::string Tree;   // the player's script and log, and the programs it starts
static std::string Data;   // the files the requests work on

// Runs the player with the script; while it runs, drive (if given) acts on the
// desktop from this side.  The player is killed after ms.
// A program the player starts, from a copy in the tree: a Win16 command line
// holds 127 characters, however deep the project is cloned.
static std::string Program(const char *name)
{
    return Tree + "\\" + name;
}

// A player's wait of ms, as long as this machine needs (a player's wait is a
// 16-bit word).
static std::string Within(DWORD ms)
{
    return std::to_string(std::min<DWORD>(Slow(ms), 65000));
}

static Play RunPlayer(const Script &script, DWORD ms, void (*drive)(DWORD pid) = NULL)
{
    Play play;
    std::string scriptPath = Tree + "\\play.txt", logPath = Tree + "\\play.log";
    FILE *f = fopen(scriptPath.c_str(), "wb");
    if (f == NULL)
        return play;
    for (const std::string &s : script.text)
        fprintf(f, "%s\r\n", s.c_str());
    fclose(f);
    DeleteFileA(logPath.c_str());
    // A 16-bit program reads 8.3 names.
    std::string command = Program("player16.exe") + " " + ShortPath(scriptPath) + " "
                          + ShortPath(Tree) + "\\play.log";
    // The player, and what it starts, work in the tree.
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof(old), old);
    SetCurrentDirectoryA(Tree.c_str());
    HANDLE process = StartProgram(command, SW_SHOWNORMAL);
    SetCurrentDirectoryA(old);
    if (process == NULL)
        return play;
    if (drive != NULL)
        drive(GetProcessId(process));
    // winevdm's exit status is always 0: the log tells what happened.
    WaitProgram(process, ms);

    f = fopen(logPath.c_str(), "rb");
    if (f == NULL)
        return play;
    char line[1024];
    while (fgets(line, sizeof(line), f) != NULL) {
        line[strcspn(line, "\r\n")] = '\0';
        std::string s = line;
        if (s.compare(0, 4, "msg ") == 0 || s.compare(0, 7, "cursor ") == 0)
            play.messages.push_back(s);
        else if (s.compare(0, 5, "line ") == 0)
            play.lines.push_back(s.substr(5));
        else if (s.compare(0, 4, "end ") == 0)
            play.finished = true;
        else
            play.steps.push_back(s);
    }
    fclose(f);
    return play;
}

// The whole log, for a failure's message.
static std::string Dump(const Play &p)
{
    std::string all = "\nplayer log:\n";
    for (const std::string &s : p.steps)
        all += "  " + s + "\n";
    for (const std::string &s : p.messages)
        all += "  " + s + "\n";
    return all;
}

static std::string StepAt(const Play &p, int i)
{
    return i < (int)p.steps.size() ? p.steps[i] : "<missing step>";
}

// The answer of a "send ... = R" step.
static unsigned long Answer(const Play &p, int i)
{
    std::string s = StepAt(p, i);
    size_t eq = s.rfind("= ");
    return eq == std::string::npos ? 0xDEADBEEFul : strtoul(s.c_str() + eq + 2, NULL, 10);
}

// The text of an "atom N LEN "text"" step.
static std::string AtomText(const Play &p, int i)
{
    std::string s = StepAt(p, i);
    size_t open = s.find('"'), close = s.rfind('"');
    return s.compare(0, 5, "atom ") == 0 && close > open ? s.substr(open + 1, close - open - 1)
                                                         : "<not an atom step: " + s + ">";
}

static unsigned FieldOf(const std::string &s, int n)
{
    const char *p = s.c_str();
    for (int i = 0; i < n; i++) {
        p = strchr(p, ' ');
        if (p == NULL)
            return 0xFFFF;
        p++;
    }
    return (unsigned)strtoul(p, NULL, 10);
}

// Messages of one number that reached the player's window.
static std::vector<std::string> Messages(const Play &p, unsigned message)
{
    std::vector<std::string> found;
    for (const std::string &m : p.messages)
        if (m.compare(0, 4, "msg ") == 0 && FieldOf(m, 1) == message)
            found.push_back(m);
    return found;
}

class Host16 : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Tree = ShortPath(MakeTempTree("kx16"));
        for (const char *program : { "korvex.exe", "qivddraw.exe", "player16.exe" })
            ASSERT_TRUE(CopyFileA(BinPath(program).c_str(), Program(program).c_str(), FALSE))
                << program;
        Data = Tree + "\\data";
        CreateDirectoryA(Data.c_str(), NULL);
        CreateDirectoryA((Data + "\\Long Folder Name").c_str(), NULL);
        WriteFileOfSize(Data + "\\Long Folder Name\\A Long File Name.txt", 21);
        WriteFileOfSize(Data + "\\plain.txt", 3);
    }
    static void TearDownTestSuite()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KorvexTest16");
        RemoveTree(Tree);
    }
    static std::string Korvex() { return Program("korvex.exe"); }
};

// The end of a full-screen script: F7 leaves full-screen mode, korvex is told
// to go, and the player waits for both.  Returns the step that awaits 119.
static int LeaveFullScreenAndEnd(Script &s)
{
    s.Add("P f 256 118 1 0");           // F7
    int ended = s.Add("W m 119 " + Within(10000));
    s.Add("S k 1024 6 0 0");
    s.Add("W 1024 1 " + Within(10000));
    s.Add("Q");
    return ended;
}

// Start-up, every plain request, atoms both ways, the list box, the tray and
// the end, in one run of the player.
TEST_F(Host16, ContractFromAWin16Host)
{
    std::string longFile = Data + "\\Long Folder Name\\A Long File Name.txt";
    std::string shortFile = ShortPath(longFile);
    std::string dir = Data + "\\new16";
    Script s;
    int start = s.Add("X \"" + Korvex() + " \" \"\"");
    int ready = s.Add("W 1024 1 " + Within(20000));
    int exists = s.Add("V k");
    int nt = s.Add("S k 1024 27 0 0");
    int idle0 = s.Add("S k 1024 0 \"kx16 idle\" 0");
    int idleFind = s.Add("F \"kx16 idle\"");
    int above = s.Add("S k 1024 33 \"kx16 above\" 0");
    int aboveFind = s.Add("F \"kx16 above\"");
    s.Add("S k 1024 2 \"" + shortFile + "\" 0");
    int longAtom = s.Add("A r");
    int consumed = s.Add("F \"" + shortFile + "\"");
    s.Add("S k 1024 3 \"" + longFile + "\" 0");
    int shortAtom = s.Add("A r");
    s.Add("S k 1024 4 \"C:\\\" 0");
    int size = s.Add("A r");
    s.Add("S k 1024 5 \"C:\\\" 0");
    int space = s.Add("A r");
    int dosTime = s.Add("S k 1024 9 \"" + shortFile + "\" 0");
    int made = s.Add("S k 1024 10 \"" + dir + "\" 0");
    int created = s.Add("S k 1024 13 \"" + dir + "\\f.txt\" 0");
    int moved = s.Add("S k 1024 12 \"" + dir + "\\f.txt\" \"" + dir + "\\g.txt\"");
    s.Add("S k 1024 17 \"" + dir + "\\g.txt\" 0");
    int info = s.Add("A r");
    int deleted = s.Add("S k 1024 11 \"" + dir + "\\g.txt\" 0");
    int removed = s.Add("S k 1024 18 \"" + dir + "\" 0");
    s.Add("S k 1024 14 \"" + Data + "\\*.txt\" 55");
    int first = s.Add("A r");
    int next = s.Add("S k 1024 15 \"kx16 unread\" 55");
    int unread = s.Add("F \"kx16 unread\"");
    int ended = s.Add("S k 1024 16 0 0");
    int wrote = s.Add("S k 1024 20 \"CSoftware\\KorvexTest16|Name\" \"value16\"");
    s.Add("S k 1024 19 \"CSoftware\\KorvexTest16\" \"Name\"");
    int read = s.Add("A r");
    int gone = s.Add("S k 1024 21 \"CSoftware\" \"KorvexTest16\"");
    s.Add("S k 1024 23 \"20240615120000\" 0");
    int utc = s.Add("A r");
    s.Add("S k 1024 24 \"20240615120000\" 0");
    int local = s.Add("A r");
    int listed = s.Add("S k 1024 32 \"6" + Data + "\" l");
    int list = s.Add("L");
    int listedDirs = s.Add("S k 1024 32 \"4" + Data + "\" l");
    int listDirs = s.Add("L");
    int failed = s.Add("S k 1024 32 \"0" + Data + "\\no such\" l");
    int caps = s.Add("S k 1024 29 1 100");
    int capture = s.Add("S k 1024 29 2 w");
    int sub0 = s.Add("S k 1024 29 0 0");
    int tray = s.Add("S k 1024 25 \"kx16 tray\" w");
    s.Add("Z 300");
    int hidden = s.Add("V w");
    s.Add("P k 273 100 0 0");
    s.Add("Z 500");
    int restored = s.Add("V w");
    int quit = s.Add("S k 1024 6 0 0");
    int closing = s.Add("W 1024 1 " + Within(10000));
    s.Add("Q");

    Play p = RunPlayer(s, 120000);
    ASSERT_GT(p.steps.size(), 1u) << "the player wrote no log";
    EXPECT_TRUE(p.finished) << "the player did not reach its end";
    EXPECT_NE(std::string::npos, StepAt(p, start).find("exec ")) << StepAt(p, start);

    // The ready notice: posted, wParam 1, high word 2, a 16-bit handle that answers.
    ASSERT_EQ(0u, StepAt(p, ready).find("wait 1024 1 ok")) << StepAt(p, ready);
    unsigned long lp = strtoul(StepAt(p, ready).c_str() + strlen("wait 1024 1 ok "), NULL, 10);
    EXPECT_EQ(2u, HIWORD(lp));
    std::vector<std::string> notices = Messages(p, 1024);
    ASSERT_FALSE(notices.empty());
    EXPECT_NE(std::string::npos, notices[0].find(" posted"));
    EXPECT_NE(std::string::npos, StepAt(p, exists).find("exists 1")) << StepAt(p, exists);

    EXPECT_EQ(1u, Answer(p, nt));
    EXPECT_EQ(0u, Answer(p, idle0));
    EXPECT_NE(0u, FieldOf(StepAt(p, idleFind), 1)) << "an unread atom stays: " << StepAt(p, idleFind);
    EXPECT_EQ(0u, Answer(p, above));
    EXPECT_NE(0u, FieldOf(StepAt(p, aboveFind), 1)) << StepAt(p, aboveFind);
    GlobalDeleteAtom(GlobalFindAtomA("kx16 idle"));
    GlobalDeleteAtom(GlobalFindAtomA("kx16 above"));

    char expanded[MAX_PATH] = "";
    GetLongPathNameA(shortFile.c_str(), expanded, sizeof(expanded));
    EXPECT_EQ(expanded, AtomText(p, longAtom));
    EXPECT_EQ(0u, FieldOf(StepAt(p, consumed), 1)) << "the argument atom was taken";
    EXPECT_EQ(shortFile, AtomText(p, shortAtom));
    EXPECT_GT(atof(AtomText(p, size).c_str()), 0.0) << AtomText(p, size);
    EXPECT_GT(atof(AtomText(p, space).c_str()), 0.0) << AtomText(p, space);

    WIN32_FIND_DATAA e = {};
    FindClose(FindFirstFileA(longFile.c_str(), &e));
    FILETIME local16;
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&e.ftCreationTime, &local16);
    FileTimeToDosDateTime(&local16, &date, &time);
    EXPECT_EQ((unsigned long)MAKELONG(time, date), Answer(p, dosTime));

    EXPECT_NE(0u, Answer(p, made));
    EXPECT_EQ(0u, Answer(p, created));
    EXPECT_NE(0u, Answer(p, moved));
    EXPECT_EQ(0u, AtomText(p, info).find("0 ")) << AtomText(p, info);
    EXPECT_NE(std::string::npos, AtomText(p, info).find(" g.txt")) << AtomText(p, info);
    EXPECT_NE(0u, Answer(p, deleted));
    EXPECT_NE(0u, Answer(p, removed));
    EXPECT_FALSE(FileExists(dir));

    EXPECT_EQ("plain.txt", AtomText(p, first));
    EXPECT_EQ(0u, Answer(p, next)) << "no second .txt";
    EXPECT_NE(0u, FieldOf(StepAt(p, unread), 1)) << "request 15 reads no atom";
    GlobalDeleteAtom(GlobalFindAtomA("kx16 unread"));
    EXPECT_EQ(0u, Answer(p, ended));

    EXPECT_EQ(1u, Answer(p, wrote));
    EXPECT_EQ("value16", AtomText(p, read));
    EXPECT_EQ(1u, Answer(p, gone));
    // The suite runs at UTC+5:30, an offset of no whole hours.
    EXPECT_EQ("20240615063000", AtomText(p, utc));
    EXPECT_EQ("20240615173000", AtomText(p, local));

    // The Win16 list box holds korvex's lines as they were sent.
    EXPECT_EQ(0u, Answer(p, listed));
    EXPECT_EQ("list 1", StepAt(p, list));
    EXPECT_EQ(0u, Answer(p, listedDirs));
    EXPECT_EQ("list 1", StepAt(p, listDirs)) << "only the folder";
    ASSERT_EQ(2u, p.lines.size());
    EXPECT_EQ("Long Folder Name", p.lines[1].substr(27));
    EXPECT_EQ("1", p.lines[1].substr(0, 1));
    EXPECT_EQ(27u + strlen("plain.txt"), p.lines[0].size());
    EXPECT_EQ("plain.txt", p.lines[0].substr(27));
    EXPECT_EQ("0", p.lines[0].substr(0, 1));
    EXPECT_EQ("00000003", p.lines[0].substr(3, 8));
    EXPECT_EQ(39u, Answer(p, failed));

    // No joystick under Wine.
    EXPECT_EQ(165u, Answer(p, caps));
    EXPECT_EQ(167u, Answer(p, capture));
    EXPECT_EQ(0u, Answer(p, sub0));

    // The tray takes the 16-bit window and "Open" gives it back.
    EXPECT_EQ(0u, Answer(p, tray));
    if (StepAt(p, hidden).find("visible 0") == std::string::npos) {
        ADD_FAILURE() << "not hidden (no notification area?): " << StepAt(p, hidden);
    } else {
        EXPECT_NE(std::string::npos, StepAt(p, restored).find("visible 1")) << StepAt(p, restored);
    }

    EXPECT_EQ(0u, Answer(p, quit));
    EXPECT_EQ("wait 1024 1 ok 0", StepAt(p, closing)) << "the closing notice";
}

// ---- the file dialogs, driven from this side -------------------------------------

// The dialogs to expect, in order: caption, and the name to type (empty: Cancel).
static std::vector<std::pair<std::string, std::string>> Dialogs;
static int DialogsFound;

// korvex's dialog, whoever started it: any visible dialog of a korvex process.
static void DriveDialogs(DWORD)
{
    DialogsFound = 0;
    for (const auto &d : Dialogs) {
        HWND dialog = FindDialog(d.first.c_str(), 0, 60000);
        if (dialog == NULL)
            return;
        DialogsFound++;
        Sleep(300);
        if (!d.second.empty())
            SendMessageA(DialogNameBox(dialog), WM_SETTEXT, 0, (LPARAM)d.second.c_str());
        PostMessageA(dialog, WM_COMMAND, d.second.empty() ? IDCANCEL : IDOK, 0);
        // Until it is gone, so the next search finds the next dialog.
        for (int i = 0; i < 50 && IsWindow(dialog); i++)
            Sleep(100);
    }
}

// The reply reaches the 16-bit window, which reads the reply atom and the two
// atoms it names.
TEST_F(Host16, FileDialogsReplyToTheWin16Window)
{
    std::string fresh = Tree + "\\Brand New 16.txt";
    char text[128];
    snprintf(text, sizeof(text), "0 %u 1 0 %u %u 0 0", GlobalAddAtomA("All#*.*#"),
             GlobalAddAtomA(Tree.c_str()), GlobalAddAtomA("Save From Win16"));
    Script s;
    s.Add("X \"" + Korvex() + " \" \"\"");
    s.Add("W 1024 1 " + Within(20000));
    int asked = s.Add(std::string("S k 1024 8 \"") + text + "\" w");
    int reply = s.Add("W 1024 8 " + Within(10000));
    int replyText = s.Add("A q");
    s.Add("R");
    s.Add("N 2");
    int path = s.Add("A r");
    s.Add("N 3");
    int title = s.Add("A r");
    // The open dialog, cancelled: still a reply, with 0 in its high word.
    char open[64];
    snprintf(open, sizeof(open), "0 0 0 0 0 %u 0 0", GlobalAddAtomA("Open From Win16"));
    int asked7 = s.Add(std::string("S k 1024 7 \"") + open + "\" w");
    int reply7 = s.Add("W 1024 7 " + Within(10000));
    s.Add("A q");
    s.Add("S k 1024 6 0 0");
    s.Add("W 1024 1 " + Within(10000));
    s.Add("Q");

    Dialogs = { { "Save From Win16", fresh }, { "Open From Win16", "" } };
    Play p = RunPlayer(s, 120000, DriveDialogs);
    EXPECT_EQ(2, DialogsFound) << "a dialog did not appear" << Dump(p);
    EXPECT_TRUE(p.finished);
    EXPECT_EQ(0u, Answer(p, asked));
    ASSERT_EQ(0u, StepAt(p, reply).find("wait 1024 8 ok")) << StepAt(p, reply);
    unsigned long lp = strtoul(StepAt(p, reply).c_str() + strlen("wait 1024 8 ok "), NULL, 10);
    EXPECT_NE(0u, HIWORD(lp)) << "confirmed";
    std::vector<std::string> replies = Messages(p, 1024);
    bool posted = false;
    for (const std::string &m : replies)
        posted |= FieldOf(m, 2) == 8 && m.find(" posted") != std::string::npos;
    EXPECT_TRUE(posted) << "the reply is posted";
    std::string replyFields = AtomText(p, replyText);
    EXPECT_EQ(5, std::count(replyFields.begin(), replyFields.end(), ' ')) << replyFields;
    EXPECT_EQ(ShortPath(Tree) + "\\Brand New 16.txt", AtomText(p, path));
    EXPECT_EQ("Brand New 16.txt", AtomText(p, title));
    EXPECT_FALSE(FileExists(fresh)) << "the probe file is gone";
    EXPECT_EQ(0u, Answer(p, asked7));
    ASSERT_EQ(0u, StepAt(p, reply7).find("wait 1024 7 ok")) << StepAt(p, reply7);
    lp = strtoul(StepAt(p, reply7).c_str() + strlen("wait 1024 7 ok "), NULL, 10);
    EXPECT_EQ(0u, HIWORD(lp)) << "cancelled";
}

// ---- launcher mode and the refusal ------------------------------------------------

static bool RefusalSeen;
static void CloseRefusal(DWORD)
{
    HWND box = FindDialog("korvex", 0, 60000);
    RefusalSeen = box != NULL
                  && ControlText(GetDlgItem(box, 0xFFFF))
                         == "This program can only run from within another program.";
    if (box != NULL)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Host16, RefusalAndLauncherModeFromAWin16Host)
{
    // The launched program is a second player, with a script of its own.  A
    // Win16 command line holds 127 characters at most (Wine cuts the rest), so
    // its files are named relative to the tree, where both players work.
    std::string inner = Tree + "\\i.txt", innerLog = Tree + "\\i.log";
    FILE *f = fopen(inner.c_str(), "wb");
    ASSERT_TRUE(f != NULL);
    fputs("Z 100\r\nQ\r\n", f);
    fclose(f);
    Script s;
    s.Add("E \"" + Korvex() + " 1\"");
    int none = s.Add("W 1024 1 4000");
    std::string launch = Korvex() + " /s=" + Program("player16.exe") + " i.txt i.log";
    ASSERT_LE(launch.size(), 127u) << "too long for a Win16 command line: " << launch;
    s.Add("E \"" + launch + "\"");
    s.Add("Z 6000");
    s.Add("Q");
    RefusalSeen = false;
    Play p = RunPlayer(s, 120000, CloseRefusal);
    EXPECT_TRUE(RefusalSeen) << "no refusal box for a handle that is no window";
    EXPECT_EQ(0u, StepAt(p, none).find("wait 1024 1 timeout")) << "no notice: " << StepAt(p, none);
    DWORD start = GetTickCount();
    while (!FileExists(innerLog) && GetTickCount() - start < Slow(10000))
        Sleep(100);
    EXPECT_TRUE(FileExists(innerLog)) << "launcher mode did not start the 16-bit program" << Dump(p);
}

// ---- qivddraw for a Win16 host ----------------------------------------------------

TEST_F(Host16, FullScreenRelaysIntoTheWin16Window)
{
    // Under Wine a visible Win16 host takes the focus back right after it
    // starts a program, and focus loss ends full-screen mode at once: the host
    // hides itself first, as it would do before handing the screen over.
    Script s;
    s.Add("X \"" + Korvex() + " \" \"\"");   // korvex presses Scroll Lock for us
    int bridged = s.Add("W 1024 1 " + Within(20000));
    s.Add("H w 0");
    s.Add("X \"" + Program("qivddraw.exe") + " \" \" 32 0 480 255\"");
    int shown = s.Add("W m 118 " + Within(20000));
    int started = s.Add("W 1030 65535 " + Within(5000));
    int exists = s.Add("V f");
    s.Add("P f 256 65 1 0");            // 'A' down: qivddraw's loop makes its character
    s.Add("P f 513 1 20 30");           // left button at 20,30
    s.Add("P f 32 f 1 512");            // the cursor question
    s.Add("Z 1500");
    int scroll = s.Add("S f 1025 0 0 0");
    s.Add("S k 1024 26 0 0");           // Scroll Lock pressed once
    s.Add("Z 500");
    int toggled = s.Add("S f 1025 0 0 0");
    s.Add("S k 1024 26 0 0");           // and back
    s.Add("P f 273 5 0 0");             // Shift+Insert's command
    s.Add("Z 500");
    int ended = LeaveFullScreenAndEnd(s);

    Play p = RunPlayer(s, 120000);
    EXPECT_TRUE(p.finished);
    ASSERT_EQ(0u, StepAt(p, bridged).find("wait 1024 1 ok")) << Dump(p);
    // The 32-bit tests show full-screen mode works on this display.
    ASSERT_NE(std::string::npos, StepAt(p, shown).find(" 118 ok ")) << StepAt(p, shown) << Dump(p);
    EXPECT_NE(std::string::npos, StepAt(p, started).find(" ok ")) << "WM_USER+6 after 118";
    EXPECT_NE(std::string::npos, StepAt(p, exists).find("exists 1")) << StepAt(p, exists);

    // Input arrives sent, with its wParam within 16 bits and lParam as it was.
    std::vector<std::string> keys = Messages(p, 256), chars = Messages(p, 258),
                             clicks = Messages(p, 513);
    // (Scroll Lock, which korvex pressed, is a key the window relays too.)
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [](const std::string &k) { return FieldOf(k, 2) == VK_SCROLL; }),
               keys.end());
    ASSERT_EQ(1u, keys.size());
    EXPECT_EQ("msg 256 65 1 sent", keys[0]);
    ASSERT_FALSE(chars.empty());
    EXPECT_EQ("msg 258 97 1 sent", chars[0]);
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ("msg 513 1 1966100 sent", clicks[0]) << "MAKELONG(20, 30)";
    bool answered = false;
    for (const std::string &m : p.messages)
        answered |= m.compare(0, 7, "cursor ") == 0 && FieldOf(m, 1) != 0;
    EXPECT_TRUE(answered) << "the Win16 window answered WM_SETCURSOR with a cursor";
    EXPECT_LE(Answer(p, scroll), 1u);
    EXPECT_EQ(1u - Answer(p, scroll), Answer(p, toggled))
        << "the state after one press of Scroll Lock" << Dump(p);
    bool command5 = false;
    for (const std::string &m : Messages(p, 274))
        command5 |= FieldOf(m, 2) == 5 && m.find(" posted") != std::string::npos;
    EXPECT_TRUE(command5) << "command 5 as a posted WM_SYSCOMMAND" << Dump(p);
    EXPECT_EQ(0u, StepAt(p, ended).find("wait ")) << StepAt(p, ended);
    EXPECT_NE(std::string::npos, StepAt(p, ended).find(" 119 ok 0")) << StepAt(p, ended);
}

// The milliseconds of a "tick N" step.
static unsigned long Tick(const Play &p, int i)
{
    std::string s = StepAt(p, i);
    return s.compare(0, 5, "tick ") == 0 ? strtoul(s.c_str() + 5, NULL, 10) : 0;
}

// Keys typed at qivddraw's window the moment it is there, before its loop has
// waited once; the count of windows found.
static int EarlyKeysPosted;
static void TypeAtTheFirstWindow(DWORD)
{
    EarlyKeysPosted = 0;
    DWORD start = GetTickCount();
    HWND window = NULL;
    while (GetTickCount() - start < (DWORD)Slow(30000)) {
        // The full-screen window, not the owner: its caption is "DDraw".
        window = FindWindowA("Qiv_Full_Screen", "DDraw");
        if (window != NULL)
            break;
        Sleep(1);
    }
    if (window == NULL)
        return;
    PostMessageA(window, WM_KEYDOWN, 'B', 1);
    PostMessageA(window, WM_KEYUP, 'B', 0xC0000001);
    EarlyKeysPosted = 1;
}

// WinExec from a Win16 host waits until the started program first waits for
// input.  qivddraw must not wait on that host before then: the two would hold
// each other until WinExec gives up (about 10 s), 118 would come that late and
// no key would pass meanwhile.  korvex's own start, taken the same way, is the
// machine's measure of a program start; qivddraw's may take half as long
// again (it loads DirectDraw) and a second more.
TEST_F(Host16, AWinExecStartOfQivddrawHoldsNeitherSide)
{
    Script s;
    int before = s.Add("T");
    s.Add("X \"" + Korvex() + " \" \"\"");
    int bridgeStarted = s.Add("T");
    int bridged = s.Add("W 1024 1 " + Within(20000));
    s.Add("H w 0");
    int asked = s.Add("T");
    s.Add("X \"" + Program("qivddraw.exe") + " \" \" 32 0 480 255\"");
    int returned = s.Add("T");
    int shown = s.Add("W m 118 " + Within(20000));
    int noticed = s.Add("T");
    s.Add("Z 1000");
    int ended = LeaveFullScreenAndEnd(s);

    Play p = RunPlayer(s, 120000, TypeAtTheFirstWindow);
    EXPECT_TRUE(p.finished) << Dump(p);
    ASSERT_EQ(0u, StepAt(p, bridged).find("wait 1024 1 ok")) << Dump(p);
    ASSERT_NE(std::string::npos, StepAt(p, shown).find(" 118 ok ")) << StepAt(p, shown) << Dump(p);
    ASSERT_NE(0u, Tick(p, before)) << Dump(p);

    unsigned long bridgeStart = Tick(p, bridgeStarted) - Tick(p, before);
    unsigned long execTook = Tick(p, returned) - Tick(p, asked);
    unsigned long noticeTook = Tick(p, noticed) - Tick(p, asked);
    unsigned long bound = bridgeStart * 3 / 2 + 1000;
    printf("korvex's WinExec %lu ms; qivddraw's WinExec %lu ms, 118 after %lu ms (bound %lu ms)\n",
           bridgeStart, execTook, noticeTook, bound);
    if (bound >= 8000) {
        // Starts this slow come near WinExec's own limit: a stall would not show.
        printf("program starts take too long here to tell a stall from a start\n");
    } else {
        EXPECT_LE(execTook, bound) << "WinExec waited on qivddraw" << Dump(p);
        EXPECT_LE(noticeTook, bound) << "118 came late" << Dump(p);
    }

    // The keys typed before qivddraw first waited reach the host, in order.
    EXPECT_EQ(1, EarlyKeysPosted) << "qivddraw's window never appeared";
    std::vector<std::string> downs = Messages(p, WM_KEYDOWN), ups = Messages(p, WM_KEYUP);
    downs.erase(std::remove_if(downs.begin(), downs.end(),
                               [](const std::string &k) { return FieldOf(k, 2) != 'B'; }),
                downs.end());
    ups.erase(std::remove_if(ups.begin(), ups.end(),
                             [](const std::string &k) { return FieldOf(k, 2) != 'B'; }),
              ups.end());
    EXPECT_EQ(1u, downs.size()) << "the early key-down" << Dump(p);
    EXPECT_EQ(1u, ups.size()) << "the early key-up" << Dump(p);
    if (!downs.empty() && !ups.empty()) {
        auto down = std::find(p.messages.begin(), p.messages.end(), downs[0]);
        auto up = std::find(p.messages.begin(), p.messages.end(), ups[0]);
        EXPECT_LT(down - p.messages.begin(), up - p.messages.begin()) << "in order" << Dump(p);
    }
    EXPECT_NE(std::string::npos, StepAt(p, ended).find(" 119 ok 0")) << StepAt(p, ended);
}

// The marker a player's "open H "text"" step read; "" when it opened nothing.
static std::string OpenedMarker(const std::string &step)
{
    size_t quote = step.find('"');
    if (step.compare(0, 5, "open ") != 0 || quote == std::string::npos
        || step.compare(5, 6, "65535 ") == 0)
        return "";
    return step.substr(quote + 1, 5);
}

static std::string MarkerOfLine(const std::string &line)
{
    char m[8];
    snprintf(m, sizeof(m), "M%04lu", strtoul(line.substr(3, 8).c_str(), NULL, 16) - 5);
    return m;
}

// What a Win16 host does with the names: it opens them with _lopen.  The
// corpus is the one the names tests use (KORVEX_CORPUS).
TEST_F(Host16, NamesOpenTheirOwnFilesFromAWin16Host)
{
    const char *corpus = getenv("KORVEX_CORPUS");
    if (corpus == NULL || !FileExists(std::string(corpus) + "\\index.txt"))
        GTEST_SKIP() << "no corpus: KORVEX_CORPUS names none (the CTest run makes it)";
    std::string mixed = std::string(corpus) + "\\mixed", img = std::string(corpus) + "\\img";

    // Files whose short names Wine gave to others as well: request 3 must
    // still name each one's own file.
    std::vector<std::string> shared;
    std::map<std::string, std::vector<std::string> > byShort;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((img + "\\*.jpg").c_str(), &d);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    do
        byShort[d.cAlternateFileName].push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    for (auto &group : byShort)
        if (group.second.size() > 1 && shared.size() < 12)
            shared.insert(shared.end(), group.second.begin(), group.second.end());

    Script s;
    s.Add("X \"" + Korvex() + " \" \"\"");
    int ready = s.Add("W 1024 1 " + Within(20000));
    int listed = s.Add("S k 1024 32 \"0" + mixed + "\" l");
    s.Add("L");
    std::vector<int> opens;
    for (const std::string &name : shared) {
        s.Add("S k 1024 3 \"" + img + "\\" + name + "\" 0");
        s.Add("A r");
        opens.push_back(s.Add("O"));
    }
    s.Add("S k 1024 6 0 0");
    s.Add("W 1024 1 " + Within(10000));
    s.Add("Q");
    Play p = RunPlayer(s, 120000);
    ASSERT_EQ(0u, StepAt(p, ready).find("wait 1024 1 ok")) << Dump(p);
    EXPECT_EQ(0u, Answer(p, listed)) << Dump(p);
    ASSERT_GT(p.lines.size(), 20u) << Dump(p);
    for (size_t i = 0; i < opens.size(); i++) {
        char want[8];
        DWORD size = 0;
        HANDLE f = CreateFileA((img + "\\" + shared[i]).c_str(), GENERIC_READ, FILE_SHARE_READ,
                               NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f) << shared[i];
        size = GetFileSize(f, NULL);
        CloseHandle(f);
        snprintf(want, sizeof(want), "M%04lu", (unsigned long)size - 5);
        EXPECT_EQ(want, OpenedMarker(StepAt(p, opens[i])))
            << "request 3 of " << shared[i] << ": " << StepAt(p, opens[i] - 1);
    }

    // Every file line's name, opened by the Win16 host.
    Script o;
    std::vector<std::pair<int, std::string> > files;
    for (const std::string &line : p.lines)
        if (line[0] == '0')
            files.push_back(std::make_pair(o.Add("O \"" + mixed + "\\" + line.substr(27) + "\""),
                                           line));
    o.Add("Q");
    Play q = RunPlayer(o, 60000);
    for (auto &file : files)
        EXPECT_EQ(MarkerOfLine(file.second), OpenedMarker(StepAt(q, file.first)))
            << "line " << file.second << Dump(q);

    // Names that end a character in 0x5C in code page 932 or 936: the
    // listed names, joined and opened by the Win16 host, in this code page.
    std::string dbcs = std::string(corpus) + "\\dbcs";
    Script t;
    t.Add("X \"" + Korvex() + " \" \"\"");
    int up = t.Add("W 1024 1 " + Within(20000));
    t.Add("S k 1024 32 \"0" + dbcs + "\" l");
    t.Add("L");
    t.Add("S k 1024 6 0 0");
    t.Add("W 1024 1 " + Within(10000));
    t.Add("Q");
    Play top = RunPlayer(t, 120000);
    ASSERT_EQ(0u, StepAt(top, up).find("wait 1024 1 ok")) << Dump(top);
    EXPECT_EQ(6u, top.lines.size()) << Dump(top);
    Script u;
    std::vector<std::pair<int, std::string> > inner;
    for (const std::string &line : top.lines)
        if (line[0] == '0')
            inner.push_back(std::make_pair(u.Add("O \"" + dbcs + "\\" + line.substr(27) + "\""), line));
    u.Add("Q");
    Play w = RunPlayer(u, 60000);
    for (auto &file : inner)
        EXPECT_EQ(MarkerOfLine(file.second), OpenedMarker(StepAt(w, file.first)))
            << "line " << file.second << Dump(w);
}
