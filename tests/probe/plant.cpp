// plant.cpp - a library that says when it is loaded.  Built as winmm.dll in a
// folder of its own, it stands for a library planted in a folder the user
// chose; a test puts it in korvex's current folder and looks for the atom.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        GlobalAddAtomA("korvex test: planted library loaded");
    return TRUE;
}
