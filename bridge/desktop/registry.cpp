// registry.cpp - reading and writing text values and deleting keys for the
// host (requests 19, 20 and 21).  A key text starts with a root letter.
#include "bridge.h"
#include <string.h>

static HKEY RootOf(const char *keyText)
{
    char letter = keyText[0];

    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 'a' + 'A');
    switch (letter) {
    case 'C': return HKEY_CURRENT_USER;
    case 'D': return HKEY_DYN_DATA;
    case 'K': return HKEY_CURRENT_CONFIG;
    case 'L': return HKEY_LOCAL_MACHINE;
    case 'R': return HKEY_CLASSES_ROOT;
    case 'U': return HKEY_USERS;
    }
    return NULL;
}

static const char *PathOf(const char *keyText)
{
    return keyText[0] != '\0' ? keyText + 1 : keyText;
}

LRESULT RequestRegRead(LPARAM lParam)
{
    char keyText[256], name[256], data[257];
    HKEY key;
    DWORD size = 256;
    LONG status;

    TakeAtomString(LOWORD(lParam), keyText, sizeof(keyText));
    TakeAtomString(HIWORD(lParam), name, sizeof(name));
    if (OdRegOpenKeyEx(RootOf(keyText), PathOf(keyText), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    // A zero atom asks for the default value; an empty name is a name.
    status = OdRegQueryValueEx(key, HIWORD(lParam) != 0 ? name : NULL, NULL, NULL,
                              (LPBYTE)data, &size);
    OdRegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return 0;
    // Every type reads as its bytes up to the first zero.
    data[size < 256 ? size : 256] = '\0';
    return AtomFromString(data);
}

LRESULT RequestRegWrite(LPARAM lParam)
{
    char keyText[256], name[256], data[256];
    char *bar;
    HKEY key;
    LONG status;

    TakeAtomString(LOWORD(lParam), keyText, sizeof(keyText));
    name[0] = '\0';
    bar = strchr(keyText, '|');
    if (bar != NULL) {
        *bar = '\0';
        lstrcpynA(name, bar + 1, sizeof(name));
    }
    TakeAtomString(HIWORD(lParam), data, sizeof(data));
    if (OdRegCreateKeyEx(RootOf(keyText), PathOf(keyText), 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return 0;
    status = OdRegSetValueEx(key, name[0] != '\0' ? name : NULL, 0, REG_SZ, (const BYTE *)data,
                            (DWORD)strlen(data) + 1);
    OdRegCloseKey(key);
    return status == ERROR_SUCCESS;
}

LRESULT RequestRegDeleteKey(LPARAM lParam)
{
    char keyText[256], subKey[256];
    HKEY key;
    LONG status;

    TakeAtomString(LOWORD(lParam), keyText, sizeof(keyText));
    TakeAtomString(HIWORD(lParam), subKey, sizeof(subKey));
    if (OdRegOpenKeyEx(RootOf(keyText), PathOf(keyText), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return 0;
    status = OdRegDeleteKey(key, subKey);
    OdRegCloseKey(key);
    return status == ERROR_SUCCESS;
}
