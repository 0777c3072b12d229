// The names of directory entries a host may be given.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include "bridge/files/name_rules.h"

TEST(DeviceNames, AnyExtensionAndCase)
{
    for (const char *name : { "CON", "con", "Aux", "aux.txt", "NUL.tar.gz", "prn.", "COM1",
                              "com9.log", "LPT1", "lpt9.doc", "CONIN$", "conout$.x", "aux .txt" })
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char *name : { "", "CONS", "console", "COM", "COM0", "LPT10", "COM1a", "auxiliary.txt",
                              "xaux", "NUL_", ".con", "CONIN", "a.con" })
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

TEST(NameOpensItself, WhatWin32ResolvesElsewhere)
{
    for (const char *name : { "plain.txt", " leading blank.txt", "semi;colon,eq=plus+[br].txt",
                              "many.dots.in.name", "\xDCn\xEF" "c\xF6" "d\xE9", "~tilde" })
        EXPECT_TRUE(NameOpensItself(name)) << name;
    for (const char *name : { "", "trail.", "blank ", "x.", "a*b", "q?.txt", "lt<gt>", "pipe|",
                              "back\\slash", "co:lon", "quo\"te", "slash/", "tab\there",
                              "aux.txt", ".", ".." })
        EXPECT_FALSE(NameOpensItself(name)) << "\"" << name << "\"";
}

TEST(NamePaths, FolderAndLastComponent)
{
    EXPECT_EQ(7, FolderLength("C:\\dir\\name.txt"));
    EXPECT_STREQ("name.txt", LastComponent("C:\\dir\\name.txt"));
    EXPECT_EQ(2, FolderLength("C:name"));
    EXPECT_EQ(3, FolderLength("C:\\"));
    EXPECT_EQ(0, FolderLength("name"));
    EXPECT_EQ(0, FolderLength(""));
    EXPECT_STREQ("", LastComponent("C:\\dir\\"));
    EXPECT_EQ(1, FolderLength("\\x")) << "root-relative";
    EXPECT_EQ(2, FolderLength("x:y"));
    EXPECT_EQ(0, FolderLength("1:y")) << "a colon is a drive only after its letter";
}

TEST(SameName, AsciiCaseOnly)
{
    EXPECT_TRUE(SameName("IMG_~AWK.JPG", "img_~awk.jpg"));
    EXPECT_FALSE(SameName("IMG_~AWK.JPG", "IMG_~AWK.JP"));
    EXPECT_FALSE(SameName("\xC9", "\xE9")) << "bytes past ASCII as they are";
    EXPECT_TRUE(SameName("", ""));
}

TEST(NameTable, CountsWhatEachEntryAnswersTo)
{
    static NameTable t;
    NameTableInit(&t);
    NameTableAddEntry(&t, "IMG_2024_0002.jpg", "IMG_~AWK.JPG");
    NameTableAddEntry(&t, "IMG_2024_1118.jpg", "img_~awk.jpg");
    NameTableAddEntry(&t, "README.TXT", "");
    NameTableAddEntry(&t, "abc.txt", "ABC.TXT");     // a short name that is the long one
    NameTableAddEntry(&t, "LONG~3DI.TEX", "");        // a literal that looks like a short name
    NameTableAddEntry(&t, "Long Document.tex", "LONG~3DI.TEX");
    EXPECT_EQ(2, NameTableCount(&t, "IMG_~AWK.JPG"));
    EXPECT_EQ(1, NameTableCount(&t, "readme.txt"));
    EXPECT_EQ(1, NameTableCount(&t, "ABC.TXT")) << "one entry, counted once";
    EXPECT_EQ(2, NameTableCount(&t, "LONG~3DI.TEX"));
    EXPECT_EQ(0, NameTableCount(&t, "missing"));
}

TEST(NameTable, AFullTableCannotTell)
{
    static NameTable t;
    char name[32];
    NameTableInit(&t);
    for (int i = 0; i < NAME_TABLE_SIZE - 1; i++) {
        snprintf(name, sizeof(name), "f%05d", i);
        NameTableAddEntry(&t, name, "");
    }
    EXPECT_EQ(1, NameTableCount(&t, "f00000"));
    EXPECT_EQ(0, NameTableCount(&t, "another"));
    NameTableAddEntry(&t, "one too many", "");
    EXPECT_EQ(-1, NameTableCount(&t, "f00000"));
    EXPECT_EQ(-1, NameTableCount(&t, "another")) << "a lookup in a full table still ends";
    // Counts saturate instead of wrapping back to 1.
    NameTableInit(&t);
    for (int i = 0; i < 300; i++)
        NameTableAddEntry(&t, "same", "");
    EXPECT_EQ(255, NameTableCount(&t, "same"));
}

TEST(HostEntryName, LongWhenExactElseALoneShortName)
{
    EXPECT_STREQ("Erdo.txt", HostEntryName("Erdo.txt", 1, "", 1, 0));
    EXPECT_STREQ("ERDO~1.TXT", HostEntryName("Erdo.txt", 0, "ERDO~1.TXT", 1, 0)) << "a look-alike";
    EXPECT_EQ(nullptr, HostEntryName("Erdo.txt", 0, "ERDO~1.TXT", 0, 0)) << "its short name is shared";
    EXPECT_EQ(nullptr, HostEntryName("?.txt", 0, "", 1, 0)) << "no short name at all";
    EXPECT_STREQ("TRAI~DS2", HostEntryName("trail.", 1, "TRAI~DS2", 1, 0));
    EXPECT_STREQ("A_B~XYZ", HostEntryName("a*b", 1, "A_B~XYZ", 1, 0));
    EXPECT_EQ(nullptr, HostEntryName("aux.txt", 1, "", 1, 0));
    EXPECT_EQ(nullptr, HostEntryName("aux.txt", 1, "AUXTXT~1", 1, 0)) << "a device, whatever else";
    EXPECT_EQ(nullptr, HostEntryName("x.", 1, "CON", 1, 0)) << "a short name must open itself too";
    EXPECT_STREQ(".", HostEntryName(".", 1, "", 0, 0));
    EXPECT_STREQ("..", HostEntryName("..", 1, "", 0, 0));
    // A listing shows long names up to 64 characters.
    std::string n64(64, 'a'), n65(65, 'b');
    EXPECT_STREQ(n64.c_str(), HostEntryName(n64.c_str(), 1, "AAAA~1", 1, 64));
    EXPECT_STREQ("BBBB~1", HostEntryName(n65.c_str(), 1, "BBBB~1", 1, 64));
    EXPECT_EQ(nullptr, HostEntryName(n65.c_str(), 1, "BBBB~1", 0, 64));
    EXPECT_STREQ(n65.c_str(), HostEntryName(n65.c_str(), 1, "BBBB~1", 0, 0));
}

TEST(HostShortName, TheEntrysOwn83Name)
{
    EXPECT_STREQ("FILEWI~1.TXT", HostShortName("File With Long Name.txt", 1, "FILEWI~1.TXT", 1));
    EXPECT_EQ(nullptr, HostShortName("IMG_2024_0002.jpg", 1, "IMG_~AWK.JPG", 0))
        << "the long name is no 8.3 name to give instead";
    EXPECT_STREQ("README.TXT", HostShortName("README.TXT", 1, "", 0));
    EXPECT_EQ(nullptr, HostShortName("?.TXT", 0, "", 1));
    EXPECT_EQ(nullptr, HostShortName("nul.txt", 1, "", 1));
    // A volume without 8.3 names gives none: the long name is never cut to one.
    EXPECT_EQ(nullptr, HostShortName("Quarterly Report 2024.xls", 1, "", 1));
    EXPECT_EQ(nullptr, HostShortName("report.xlsx", 1, "", 1)) << "four characters after the dot";
    EXPECT_STREQ("report.xls", HostShortName("report.xls", 1, "", 1));
    EXPECT_STREQ(".", HostShortName(".", 1, "", 0)) << "\".\" and \"..\" are names";
    EXPECT_STREQ("..", HostShortName("..", 1, "", 0));
}

TEST(DeviceNames, SuperscriptDigits)
{
    // Code page 1252 spells superscript one, two and three 0xB9, 0xB2, 0xB3.
    for (const char *name : { "COM\xB9", "com\xB2.txt", "LPT\xB3", "lpt\xB9.log" })
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char *name : { "COM\xB4", "LPT\xB9x", "COM\xBC" })
        EXPECT_FALSE(IsDeviceName(name)) << name;

    // In 1251 those bytes are letters ("COM\xB2" is COM with a Ukrainian I), in
    // 932 half-width katakana: files like any other.  1253 has two of the three.
    unsigned char none[256] = {}, greek[256] = {};
    greek[0xB2] = greek[0xB3] = 1;
    SetSuperscriptDigits(none);
    for (const char *name : { "COM\xB9", "com\xB2.txt", "LPT\xB3", "lpt\xB9.log" })
        EXPECT_FALSE(IsDeviceName(name)) << name;
    EXPECT_TRUE(IsDeviceName("COM1.txt"));
    SetSuperscriptDigits(greek);
    EXPECT_TRUE(IsDeviceName("COM\xB2"));
    EXPECT_FALSE(IsDeviceName("COM\xB9")) << "0xB9 is a Greek letter in 1253";
    SetSuperscriptDigits(NULL);
    EXPECT_TRUE(IsDeviceName("COM\xB9")) << "back to 1252's";
}

TEST(Is83Name, TheShape)
{
    for (const char *name : { "A", "README.TXT", "readme.t", "IMG_~AWK.JPG", "12345678.123", "~$X" })
        EXPECT_TRUE(Is83Name(name)) << name;
    for (const char *name : { "", ".", "..", "123456789", "a.1234", "a.b.c", "a b.txt", ".txt",
                              "x.", "a+b", "a;b", "a[b]", "q?.txt", "a*", "back\\s", "IMG_2024_0002.jpg" })
        EXPECT_FALSE(Is83Name(name)) << "\"" << name << "\"";
}

// Double-byte code pages: a character's second byte can be a backslash's.
// Rules that walk a path step by character, told by the lead-byte table.
class DoubleByte : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsigned char lead[256] = {};
        for (int c = 0x81; c <= 0x9F; c++)   // code page 932's lead bytes
            lead[c] = 1;
        for (int c = 0xE0; c <= 0xFC; c++)
            lead[c] = 1;
        SetLeadBytes(lead);
    }
    void TearDown() override { SetLeadBytes(NULL); }
};

TEST_F(DoubleByte, ATrailByteIsNoSeparator)
{
    // "C:\kxdbcs\表示\Long File Name.txt": 表 is 0x95 0x5C.
    const char *path = "C:\\kxdbcs\\\x95\x5C\x8E\xA6\\Long File Name.txt";
    EXPECT_EQ(15, FolderLength(path));
    EXPECT_STREQ("Long File Name.txt", LastComponent(path));
    EXPECT_EQ(14, LastSeparator(path));
    EXPECT_EQ(9, LastSeparator("C:\\kxdbcs\\\x95\x5C")) << "the folder 表 alone";
    EXPECT_FALSE(EndsWithSeparator("C:\\\x83\x5C")) << "ソ ends in 0x5C";
    EXPECT_TRUE(EndsWithSeparator("C:\\\x83\x5C\\"));
    EXPECT_STREQ("\x83\x5C", LastComponent("C:\\\x83\x5C"));
    // A lead byte at the very end stands alone.
    EXPECT_EQ(2, LastSeparator("C:\\\x95"));
}

TEST_F(DoubleByte, NamesCompareByCharacter)
{
    // 0x83 0x61 and 0x83 0x41 are two characters, not one in two cases.
    EXPECT_FALSE(SameName("\x83\x61.txt", "\x83\x41.TXT"));
    EXPECT_TRUE(SameName("\x83\x61" "a.txt", "\x83\x61" "A.TXT"));
    static NameTable t;
    NameTableInit(&t);
    NameTableAddEntry(&t, "\x83\x61", "");
    EXPECT_EQ(0, NameTableCount(&t, "\x83\x41"));
    EXPECT_TRUE(Is83Name("\x95\x5C\x8E\xA6.TXT")) << "two characters of two bytes";
    EXPECT_FALSE(Is83Name("\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C"))
        << "ten bytes are too many";
}

TEST(Separators, BothSlashes)
{
    EXPECT_EQ(12, FolderLength("C:/soak/Sub/RO Dir"));
    EXPECT_STREQ("RO Dir", LastComponent("C:/soak/Sub/RO Dir"));
    EXPECT_EQ(11, LastSeparator("C:\\soak/Sub\\x"));
    EXPECT_TRUE(EndsWithSeparator("C:/"));
    EXPECT_FALSE(EndsWithSeparator(""));
}
