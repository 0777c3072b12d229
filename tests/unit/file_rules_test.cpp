// The file services' text and number rules: filters, access bytes, packed
// stamps, listing lines and time texts.
#include <gtest/gtest.h>
#include <string.h>
#include "bridge/files/file_rules.h"

static CalendarTime At(int y, int mo, int d, int h, int mi, int s)
{
    CalendarTime t = { (uint16_t)y, (uint16_t)mo, (uint16_t)d, (uint16_t)h, (uint16_t)mi, (uint16_t)s };
    return t;
}

TEST(MaskAttributes, KeepsTheFiveHostBits)
{
    EXPECT_EQ(0x37u, MaskAttributes(0xFFFFFFFFu));
    EXPECT_EQ(0x00u, MaskAttributes(0x80 | 0x08 | 0x100 | 0x800));
    EXPECT_EQ(0x21u, MaskAttributes(0x21 | 0x80));
}

TEST(FilterAccepts, ListsTheBitsAnEntryMayCarry)
{
    const uint32_t dir = 0x10, plainFile = 0x00, archived = 0x20, readOnly = 0x21,
                   hidden = 0x22, system = 0x24, hiddenDir = 0x12;

    // 0x0037: everything.
    for (uint32_t a : { dir, plainFile, archived, readOnly, hidden, system, hiddenDir })
        EXPECT_TRUE(FilterAccepts(a, 0x0037)) << std::hex << a;

    // 0x8010: directories with none of read-only, hidden, system, archive.
    EXPECT_TRUE(FilterAccepts(dir, 0x8010));
    EXPECT_FALSE(FilterAccepts(hiddenDir, 0x8010));
    EXPECT_FALSE(FilterAccepts(plainFile, 0x8010)) << "exclusive: files are out";

    // 0x8021: files with at most read-only and archive.
    EXPECT_TRUE(FilterAccepts(plainFile, 0x8021));
    EXPECT_TRUE(FilterAccepts(archived, 0x8021));
    EXPECT_TRUE(FilterAccepts(readOnly, 0x8021));
    EXPECT_FALSE(FilterAccepts(hidden, 0x8021));
    EXPECT_FALSE(FilterAccepts(dir | 0x20, 0x8021));

    // 0: only entries with none of the five bits.
    EXPECT_TRUE(FilterAccepts(plainFile | 0x80, 0));
    EXPECT_FALSE(FilterAccepts(archived, 0)) << "archive needs 0x0020";
    EXPECT_FALSE(FilterAccepts(archived, 0x0010));
    // Bits outside 0x8037 mean nothing.
    EXPECT_TRUE(FilterAccepts(archived, 0x7F20));
}

TEST(PackDosTime, TheDosWordsAndTheirEnds)
{
    CalendarTime t = { 1998, 3, 15, 13, 45, 20 };
    EXPECT_EQ(0x246F6DAAu, PackDosTime(&t));
    t.second = 21;
    EXPECT_EQ(0x246F6DAAu, PackDosTime(&t)) << "two-second steps";
    // Outside the DOS years the nearest end, never 0 ("missing").
    for (uint16_t year : { 1601, 1970, 1979 }) {
        CalendarTime before = { year, 12, 31, 23, 59, 59 };
        EXPECT_EQ(0x00210000u, PackDosTime(&before)) << year;
    }
    for (uint16_t year : { 2108, 2110, 30827 }) {
        CalendarTime after = { year, 1, 1, 0, 0, 0 };
        EXPECT_EQ(0xFF9FBF7Du, PackDosTime(&after)) << year;
    }
    CalendarTime first = { 1980, 1, 1, 0, 0, 0 }, last = { 2107, 12, 31, 23, 59, 58 };
    EXPECT_EQ(0x00210000u, PackDosTime(&first));
    EXPECT_EQ(0xFF9FBF7Du, PackDosTime(&last));
}

TEST(AccessByte, ProdosLayout)
{
    EXPECT_EQ(0xC3u, AccessByte(0x00)) << "writable, no archive";
    EXPECT_EQ(0xE3u, AccessByte(0x20)) << "writable, archive";
    EXPECT_EQ(0x01u, AccessByte(0x01)) << "read-only";
    EXPECT_EQ(0x21u, AccessByte(0x21)) << "read-only, archive";
    EXPECT_EQ(0xC7u, AccessByte(0x02)) << "hidden";
    EXPECT_EQ(0x09u, AccessByte(0x04)) << "system: no write, rename or destroy";
    EXPECT_EQ(0x2Du, AccessByte(0x27)) << "everything";
    EXPECT_EQ(0xC3u, AccessByte(0x10)) << "a directory";
}

TEST(PackTimeStamp, DateLowTimeHigh)
{
    CalendarTime t = At(1998, 3, 15, 13, 45, 20);
    EXPECT_EQ(0x0D2DC46Fu, PackTimeStamp(&t));
    t = At(2001, 11, 2, 8, 5, 59);
    EXPECT_EQ(0x08050362u, PackTimeStamp(&t)) << "seconds dropped";
    t = At(2000, 1, 1, 0, 0, 0);
    EXPECT_EQ(0u, (PackTimeStamp(&t) >> 9) & 0x7F) << "2000 packs year 0";
    t = At(1999, 12, 31, 23, 59, 0);
    EXPECT_EQ(99u, (PackTimeStamp(&t) >> 9) & 0x7F);
    EXPECT_EQ(0x173Bu, PackTimeStamp(&t) >> 16);
}

TEST(FormatListingLine, WorkedExamples)
{
    char line[LISTING_LINE_SIZE];
    CalendarTime created = At(1998, 3, 15, 13, 45, 20), modified = At(2001, 11, 2, 8, 5, 0);

    FormatListingLine(line, sizeof(line), 0, AccessByte(0x20), 1234, PackTimeStamp(&created),
                      PackTimeStamp(&modified), "README.TXT");
    EXPECT_STREQ("0e3000004d20d2dc46f08050362README.TXT", line);

    FormatListingLine(line, sizeof(line), 1, 0xCB, 0, 0, 0, "SERVER");
    EXPECT_STREQ("1cb000000000000000000000000SERVER", line);
    EXPECT_EQ('S', line[27]) << "the name starts at 27";

    FormatListingLine(line, sizeof(line), 0, 0xC3, 0xFFFFFFFFu, 0, 0, "x");
    EXPECT_STREQ("0c3ffffffff0000000000000000x", line);
}

TEST(FormatListingLine, BoundedByItsBuffer)
{
    char line[40];
    char name[300];

    memset(line, '@', sizeof(line));
    memset(name, 'n', sizeof(name) - 1);
    name[sizeof(name) - 1] = '\0';
    EXPECT_EQ(29, FormatListingLine(line, 30, 0, 0xC3, 1, 2, 3, name));
    EXPECT_EQ('\0', line[29]);
    EXPECT_EQ('@', line[30]);
}

TEST(NetworkListingNames, ServersAndShares)
{
    EXPECT_STREQ("SERVER", ServerListingName("\\\\SERVER"));
    EXPECT_STREQ("DATA", ShareListingName("\\\\SERVER\\DATA", strlen("\\\\SERVER")));
    EXPECT_STREQ("\\SERVER\\DATA", ShareListingName("\\\\SERVER\\DATA", 0)) << "no parent name";
    // Names shorter than they should be never point past their end.
    EXPECT_STREQ("", ServerListingName("\\"));
    EXPECT_STREQ("", ServerListingName(""));
    EXPECT_STREQ("", ShareListingName("\\\\SRV", 20));
    EXPECT_STREQ("", ShareListingName("\\\\SRV", 5));
}

TEST(ListingWanted, ModesAndLimits)
{
    EXPECT_FALSE(ListingWanted('0', 1, ".", 0, 0));
    EXPECT_FALSE(ListingWanted('0', 1, "..", 0, 0));
    EXPECT_TRUE(ListingWanted('0', 1, "...", 0, 0));
    EXPECT_TRUE(ListingWanted('4', 1, "sub", 0, 0));
    EXPECT_FALSE(ListingWanted('6', 1, "sub", 0, 0));
    EXPECT_FALSE(ListingWanted('4', 0, "file", 10, 0));
    EXPECT_TRUE(ListingWanted('6', 0, "file", 10, 0));
    EXPECT_TRUE(ListingWanted('x', 0, "file", 16777215u, 0));
    EXPECT_FALSE(ListingWanted('x', 0, "file", 16777216u, 0));
    EXPECT_FALSE(ListingWanted('x', 0, "file", 5, 1)) << "above 4 GB";
}

TEST(TimeText, FormatsFourteenDigits)
{
    char text[32];
    CalendarTime t = At(998, 3, 5, 7, 8, 9);
    FormatTimeText(text, sizeof(text), &t);
    EXPECT_STREQ("09980305070809", text);
}

TEST(TimeText, ParsesFixedPositionsFromTheRight)
{
    CalendarTime t;

    ParseTimeText("20240615123456", &t);
    EXPECT_EQ(2024, t.year); EXPECT_EQ(6, t.month); EXPECT_EQ(15, t.day);
    EXPECT_EQ(12, t.hour); EXPECT_EQ(34, t.minute); EXPECT_EQ(56, t.second);

    ParseTimeText("202401010000050", &t);
    EXPECT_EQ(50, t.second) << "every digit from 12 on";
    ParseTimeText("2024010100000599", &t);
    EXPECT_EQ(599, t.second);
    ParseTimeText("20241301000000", &t);
    EXPECT_EQ(13, t.month);

    // Fields stop at the first non-digit, after white space and a sign.
    ParseTimeText("2024 6 1 2 3 4x", &t);
    EXPECT_EQ(2024, t.year); EXPECT_EQ(6, t.month); EXPECT_EQ(1, t.day);
    EXPECT_EQ(2, t.hour); EXPECT_EQ(3, t.minute); EXPECT_EQ(4, t.second);
    ParseTimeText("2024-1011200000", &t);
    EXPECT_EQ(65535, t.month) << "-1 cut to 16 bits";
}

TEST(TimeText, ShortTextsReadEmptyFieldsAsZero)
{
    CalendarTime t;

    ParseTimeText("20240101", &t);
    EXPECT_EQ(2024, t.year); EXPECT_EQ(1, t.month); EXPECT_EQ(1, t.day);
    EXPECT_EQ(0, t.hour); EXPECT_EQ(0, t.minute); EXPECT_EQ(0, t.second);
    ParseTimeText("2024011", &t);
    EXPECT_EQ(1, t.day) << "a field cut by the end";
    ParseTimeText("", &t);
    EXPECT_EQ(0, t.year); EXPECT_EQ(0, t.month); EXPECT_EQ(0, t.second);

    // Longer than the 31 characters a request reads: only those count.
    std::string longText = "20240101000000" + std::string(40, '1');
    ParseTimeText(longText.c_str(), &t);
    EXPECT_EQ(2024, t.year);
}

TEST(FormatByteCount, DigitsOnly)
{
    char text[24];

    FormatByteCount(0.0L, text, sizeof(text));
    EXPECT_STREQ("0", text);
    FormatByteCount(4294967296.0L, text, sizeof(text));
    EXPECT_STREQ("4294967296", text);
    FormatByteCount(512.0L * 8 * 4294967295.0L, text, sizeof(text));
    EXPECT_STREQ("17592186040320", text);
    FormatByteCount(18446744073709551615.0L, text, sizeof(text));
    EXPECT_STREQ("18446744073709551615", text);
    FormatByteCount(123456.0L, text, 4);
    EXPECT_STREQ("", text) << "too long for the buffer: nothing";
}
