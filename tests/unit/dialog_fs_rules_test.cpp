// The dialog texts and qivddraw's command line and Alt-key decisions.
#include <gtest/gtest.h>
#include <string.h>
#include "bridge/files/dialog_rules.h"
#include "fullscreen/fs_rules.h"

TEST(DialogArguments, MissingFieldsAreZero)
{
    DialogFields f;
    ParseDialogArguments("1 2 3 4 5 6 7 8", &f);
    EXPECT_EQ(1, f.owner); EXPECT_EQ(2, f.filterAtom); EXPECT_EQ(3u, f.filterIndex);
    EXPECT_EQ(4, f.nameAtom); EXPECT_EQ(5, f.directoryAtom); EXPECT_EQ(6, f.titleAtom);
    EXPECT_EQ(7u, f.flags); EXPECT_EQ(8, f.extensionAtom);
    ParseDialogArguments("9 10 x 11", &f);
    EXPECT_EQ(9, f.owner); EXPECT_EQ(10, f.filterAtom);
    EXPECT_EQ(0u, f.filterIndex) << "stops matching";
    EXPECT_EQ(0, f.nameAtom);
    ParseDialogArguments("", &f);
    EXPECT_EQ(0, f.owner); EXPECT_EQ(0u, f.flags);
}

TEST(DialogFilter, HashesBecomeZeros)
{
    char a[32], b[32];
    memset(a, 0, sizeof(a));
    memset(b, 0, sizeof(b));
    strcpy(a, "Text#*.txt#All#*.*#");
    strcpy(b, "Text#*.txt#All#*.*");
    FilterFromHashes(a);
    FilterFromHashes(b);
    EXPECT_EQ(0, memcmp(a, b, sizeof(a))) << "with or without the last #";
    EXPECT_STREQ("*.*", a + 15);
    EXPECT_EQ('\0', a[18]);
    EXPECT_EQ('\0', a[19]);
}

TEST(DialogNames, DirectorySelectionInAnyCase)
{
    EXPECT_TRUE(IsSelectDirectoryName("izbor$na.dir"));
    EXPECT_TRUE(IsSelectDirectoryName("IzBoR$nA.DiR"));
    EXPECT_FALSE(IsSelectDirectoryName("C:\\izbor$na.dir")) << "not with a directory";
    EXPECT_FALSE(IsSelectDirectoryName("izbor$na.di"));
    EXPECT_FALSE(IsSelectDirectoryName("izbor$na.dirx"));
    EXPECT_FALSE(IsSelectDirectoryName(""));
}

TEST(DialogOffsets, OfTheConvertedPath)
{
    unsigned file, ext;
    DialogOffsets("C:\\DIR~1\\FILE~1.TXT", &file, &ext);
    EXPECT_EQ(9u, file);
    EXPECT_EQ(16u, ext);
    DialogOffsets("C:\\D.IR\\NOEXT", &file, &ext);
    EXPECT_EQ(8u, file);
    EXPECT_EQ(13u, ext) << "no dot in the last component: the length";
    DialogOffsets("name.txt", &file, &ext);
    EXPECT_EQ(0u, file) << "no backslash: 0";
    EXPECT_EQ(5u, ext);
    DialogOffsets("", &file, &ext);
    EXPECT_EQ(0u, file);
    EXPECT_EQ(0u, ext);
}

TEST(DialogReply, SixNumbers)
{
    char text[64];
    FormatDialogReply(text, sizeof(text), 2, 49152, 49153, 0x200040, 12, 20);
    EXPECT_STREQ("2 49152 49153 2097216 12 20", text);
}

TEST(FullScreenCommand, FiveNumbersAndTheForcedHeight)
{
    FullScreenCommand c;
    ParseFullScreenCommand("123 32 5402 400 16711680", &c);
    EXPECT_EQ(123u, c.hostWindow); EXPECT_EQ(32u, c.colourDepth);
    EXPECT_EQ(5402u, c.sysKeyMode); EXPECT_EQ(400u, c.height); EXPECT_EQ(16711680u, c.background);
    ParseFullScreenCommand("123 16", &c);
    EXPECT_EQ(16u, c.colourDepth);
    EXPECT_EQ(0u, c.sysKeyMode);
    EXPECT_EQ(480u, c.height) << "missing: 0, forced to 480";
    for (uint32_t h : { 0u, 399u, 401u, 600u })
        EXPECT_EQ(480u, ForcedHeight(h)) << h;
}

TEST(SysKeyToDefault, TabF4AndF10AlwaysOtherKeysInMode5402)
{
    EXPECT_TRUE(SysKeyToDefault(5402, 'A'));
    EXPECT_FALSE(SysKeyToDefault(0, 'A'));
    EXPECT_FALSE(SysKeyToDefault(0, 0x10041)) << "high bits ignored";
    for (uint32_t key : { 0x09u, 0x73u, 0x79u, 0xFFFF0073u }) {
        EXPECT_TRUE(SysKeyToDefault(0, key)) << key;
        EXPECT_TRUE(SysKeyToDefault(1, key)) << key;
    }
}
