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
}
