// trace_rules.cpp - the texts of the trace.
#include "trace_rules.h"
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

char *TraceEscape(const char *text, char *out, size_t size)
{
    size_t n = 0;

    if (size < 8) {
        if (size > 0)
            out[0] = '\0';
        return out;
    }
    out[n++] = '"';
    for (; *text != '\0'; text++) {
        unsigned char c = (unsigned char)*text;
        char piece[8];

        if (c == '\\' || c == '"')
            snprintf(piece, sizeof(piece), "\\%c", c);
        else if (c == '\r')
            strcpy(piece, "\\r");
        else if (c == '\n')
            strcpy(piece, "\\n");
        else if (c == '\t')
            strcpy(piece, "\\t");
        else if (c < 0x20 || c == 0x7F)
            snprintf(piece, sizeof(piece), "\\x%02x", c);
        else {
            piece[0] = (char)c;
            piece[1] = '\0';
        }
        // Room for the piece, the closing quote, "..." and the zero.
        if (n + strlen(piece) + 5 > size) {
            strcpy(out + n, "\"...");
            return out;
        }
        strcpy(out + n, piece);
        n += strlen(piece);
    }
    out[n++] = '"';
    out[n] = '\0';
    return out;
}

void TraceAppend(char *line, size_t size, const char *format, ...)
{
    size_t have = strnlen(line, size);
    va_list arguments;

    if (have + 1 >= size)
        return;
    va_start(arguments, format);
    vsnprintf(line + have, size - have, format, arguments);
    va_end(arguments);
}

const char *RequestName(unsigned code)
{
    static const char *const names[] = {
        "KXR_NONE0", "KXR_NONE1", "KXR_LONG_PATH", "KXR_SHORT_PATH", "KXR_DISK_SIZE",
        "KXR_DISK_FREE", "KXR_QUIT", "KXR_OPEN_DIALOG", "KXR_SAVE_DIALOG", "KXR_FILE_DOSTIME",
        "KXR_MAKE_DIR", "KXR_DELETE_FILE", "KXR_MOVE_FILE", "KXR_CREATE_FILE", "KXR_FIND_FIRST",
        "KXR_FIND_NEXT", "KXR_FIND_END", "KXR_FILE_INFO", "KXR_REMOVE_DIR", "KXR_REG_READ",
        "KXR_REG_WRITE", "KXR_REG_DELETE_KEY", "KXR_NET_DIALOG", "KXR_LOCAL_TO_UTC",
        "KXR_UTC_TO_LOCAL", "KXR_TRAY_ICON", "KXR_SCROLL_LOCK", "KXR_IS_NT", "KXR_TO_FRONT",
        "KXR_JOYSTICK", "KXR_NONE30", "KXR_NONE31", "KXR_FILL_LIST",
    };
    return code < sizeof(names) / sizeof(names[0]) ? names[code] : NULL;
}

const char *RelayedMessageName(unsigned message)
{
    switch (message) {
    case 0x0020: return "WM_SETCURSOR";
    case 0x0100: return "WM_KEYDOWN";
    case 0x0101: return "WM_KEYUP";
    case 0x0102: return "WM_CHAR";
    case 0x0104: return "WM_SYSKEYDOWN";
    case 0x0105: return "WM_SYSKEYUP";
    case 0x0106: return "WM_SYSCHAR";
    case 0x0112: return "WM_SYSCOMMAND";
    case 0x0200: return "WM_MOUSEMOVE";
    case 0x0201: return "WM_LBUTTONDOWN";
    case 0x0202: return "WM_LBUTTONUP";
    case 0x0203: return "WM_LBUTTONDBLCLK";
    case 0x0204: return "WM_RBUTTONDOWN";
    case 0x0205: return "WM_RBUTTONUP";
    case 0x0206: return "WM_RBUTTONDBLCLK";
    }
    return NULL;
}
