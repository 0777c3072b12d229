// The programs of the release zip, unpacked where KORVEX_PACKAGE_DIR names:
// they start and answer, and carry the build's one version.
#include <gtest/gtest.h>
#include <stdio.h>
#include "testsupport.h"
#include "version.h"

static std::string Unpacked(const char *name)
{
    char dir[MAX_PATH] = "";
    GetEnvironmentVariableA("KORVEX_PACKAGE_DIR", dir, sizeof(dir));
    return std::string(dir) + "\\" + name;
}

static std::string VersionText(const std::string &file, const char *field)
{
    DWORD ignored, size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    std::vector<char> data(size + 1);
    char *value = NULL;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\040204E4\\") + field;
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, &data[0])
        || !VerQueryValueA(&data[0], query.c_str(), (void **)&value, &length) || value == NULL)
        return "<none>";
    return value;
}

TEST(Package, BothProgramsCarryTheVersion)
{
    for (const char *program : { "korvex.exe", "qivddraw.exe" }) {
        EXPECT_EQ(KORVEX_VERSION_TEXT, VersionText(Unpacked(program), "FileVersion")) << program;
        EXPECT_EQ("korvex", VersionText(Unpacked(program), "ProductName")) << program;
    }
}

TEST(Package, KorvexAnnouncesItselfAndAnswers)
{
    HWND host = CreateRecordingWindow("package host");
    KORVEXLINK link;
    ASSERT_TRUE(KorvexStart(&link, host, Unpacked("korvex.exe").c_str(), SW_HIDE, Slow(20000)));
    EXPECT_EQ(1, KorvexRequest(&link, KXR_IS_NT, 0, 0));
    BOOL closing = FALSE;
    EXPECT_EQ(0, KorvexEnd(&link, Slow(10000), &closing));
    EXPECT_TRUE(closing);
    DestroyWindow(host);
}

TEST(Package, QivddrawRefusesWithoutAHostWindow)
{
    HANDLE process = StartProgram("\"" + Unpacked("qivddraw.exe") + "\"", SW_HIDE);
    ASSERT_TRUE(process != NULL);
    HWND box = FindDialog(NULL, GetProcessId(process), 20000);
    ASSERT_TRUE(box != NULL) << "no refusal box";
    EXPECT_EQ("This program can only run from within another program.",
              ControlText(GetDlgItem(box, 0xFFFF)));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, WaitProgram(process, 10000));
}
