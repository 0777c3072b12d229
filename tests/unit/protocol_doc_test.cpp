// The host developer's reference keeps up with the contract: every message,
// notice, request code and sub-code that korvex.h defines is described in
// docs/protocol.md, by its name.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

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
