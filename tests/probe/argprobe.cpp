// argprobe - writes the command line it was started with to the file that
// KORVEX_PROBE_OUT names, for the launcher tests.
#include <windows.h>
#include <stdio.h>

int main(void)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KORVEX_PROBE_OUT", path, sizeof(path));
    const char *line = GetCommandLineA();
    char temp[MAX_PATH + 8];
    FILE *f;

    if (n == 0 || n >= sizeof(path))
        return 1;
    // Write beside the target and rename, so a reader never sees half a line.
    snprintf(temp, sizeof(temp), "%s.tmp", path);
    f = fopen(temp, "wb");
    if (f == NULL)
        return 1;
    fputs(line, f);
    fclose(f);
    MoveFileA(temp, path);
    return 0;
}
