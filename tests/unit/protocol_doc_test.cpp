// The host developer's reference keeps up with the contract: every message,
// notice, request code and sub-code that korvex.h defines is described in
// docs/protocol.md, by its name.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include "bridge/files/file_rules.h"
#include "include/korvex.h"

static std::string SourcePath(const char *relative)
{
#ifdef _WIN32
    return std::string("Z:") + KORVEX_SOURCE_DIR + "/" + relative;   // Wine's view of /
#else
    return std::string(KORVEX_SOURCE_DIR) + "/" + relative;
#endif
}

static std::string ReadAll(const std::string &path)
{
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    char buffer[4096];
    size_t n;
    if (f == NULL)
        return text;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return text;
}

TEST(ProtocolDocument, DescribesEveryNameOfTheContract)
{
    std::string header = ReadAll(SourcePath("include/korvex.h"));
    std::string document = ReadAll(SourcePath("docs/protocol.md"));
    ASSERT_FALSE(header.empty()) << "cannot read korvex.h";
    ASSERT_FALSE(document.empty()) << "cannot read docs/protocol.md";

    std::vector<std::string> names;
    size_t at = 0;
    while ((at = header.find("#define ", at)) != std::string::npos) {
        at += 8;
        size_t end = header.find_first_of(" \t\r\n", at);
        std::string name = header.substr(at, end - at);
        size_t value = header.find_first_not_of(" \t", end);
        // A define with a value is part of the contract; the include guard is not.
        if (value != std::string::npos && header[value] != '\n' && header[value] != '\r')
            names.push_back(name);
    }
    EXPECT_GT(names.size(), 60u) << "the header was not read as expected";
    for (const std::string &name : names)
        EXPECT_NE(std::string::npos, document.find("`" + name + "`")) << name << " is not described";
}

// The reference's table of access bytes is what the listing writes.
TEST(ProtocolDocument, TheAccessByteTableHolds)
{
    std::string document = ReadAll(SourcePath("docs/protocol.md"));
    size_t at = document.find("| Attributes | Access byte |");
    ASSERT_NE(std::string::npos, at) << "no table of access bytes";
    static const struct { const char *word; uint32_t bit; } bits[] = {
        { "read-only", 0x01 }, { "hidden", 0x02 }, { "system", 0x04 }, { "archive", 0x20 },
    };
    int rows = 0;
    for (size_t line = document.find('\n', at); line != std::string::npos;) {
        size_t end = document.find('\n', line + 1);
        std::string row = document.substr(line + 1, end == std::string::npos ? std::string::npos
                                                                              : end - line - 1);
        line = end;
        if (row.compare(0, 2, "|-") == 0)
            continue;
        if (row.empty() || row[0] != '|')
            break;
        size_t bar = row.find('|', 1);
        std::string attributes = row.substr(1, bar - 1);
        unsigned expected = 0;
        ASSERT_EQ(1, sscanf(row.c_str() + bar + 1, " 0x%x", &expected)) << row;
        uint32_t word = 0;
        for (const auto &b : bits)
            if (attributes.find(b.word) != std::string::npos)
                word |= b.bit;
        EXPECT_EQ(expected, AccessByte(word)) << row;
        rows++;
    }
    EXPECT_GE(rows, 5);
}

// Every exit code and time-out the reference names for qivddraw is the header's.
TEST(ProtocolDocument, QivddrawsFailureCodeIsNamed)
{
    std::string document = ReadAll(SourcePath("docs/protocol.md"));
    char text[64];
    snprintf(text, sizeof(text), "`QIV_EXIT_NO_MODE` (%u)", QIV_EXIT_NO_MODE);
    EXPECT_NE(std::string::npos, document.find(text)) << text;
}
