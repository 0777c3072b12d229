// diskspace.cpp - total and free bytes of a disk (requests 4 and 5).
#include "bridge.h"
#include "file_rules.h"

typedef BOOL (WINAPI *DiskFreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                       PULARGE_INTEGER);

static long double Whole(const ULARGE_INTEGER *value)
{
    return (long double)value->LowPart + (long double)value->HighPart * 4294967296.0L;
}

LRESULT RequestDiskSpace(UINT code, LPARAM lParam)
{
    char root[64];
    char text[24];
    long double total = -1.0L, free = -1.0L;
    HMODULE kernel;

    TakeAtomString(LOWORD(lParam), root, sizeof(root));

    // Looked up at run time: systems without it still have the older call.
    kernel = LoadLibraryA("KERNEL32.DLL");
    if (kernel != NULL) {
        DiskFreeSpaceEx query = (DiskFreeSpaceEx)(void *)GetProcAddress(kernel, "GetDiskFreeSpaceExA");
        ULARGE_INTEGER available, bytes, freeBytes;
        // Outputs of a failed call are not counts: leave them to the older call.
        if (query != NULL && query(root, &available, &bytes, &freeBytes)) {
            total = Whole(&bytes);
            free = Whole(&freeBytes);
        }
        FreeLibrary(kernel);
    }

    if (total == -1.0L || free == -1.0L) {
        DWORD perCluster, perSector, freeClusters, clusters;
        if (!GetDiskFreeSpaceA(root, &perCluster, &perSector, &freeClusters, &clusters)) {
            total = free = 0.0L;
        } else {
            long double cluster = (long double)perCluster * (long double)perSector;
            total = cluster * (long double)clusters;
            free = cluster * (long double)freeClusters;
        }
    }

    FormatByteCount(code == KXR_DISK_SIZE ? total : free, text, sizeof(text));
    return AtomFromString(text);
}
