// fs_rules.h - qivddraw's command line and relay decisions (no platform calls).
#ifndef QIVDDRAW_FS_RULES_H
#define QIVDDRAW_FS_RULES_H

#include <stdint.h>

struct FullScreenCommand {
    uint32_t hostWindow, colourDepth, sysKeyMode, height, background;
};

// Reads "%u %u %u %u %lu"; a missing field stays 0.  The height comes back
// forced to 400 or 480.
void ParseFullScreenCommand(const char *text, FullScreenCommand *command);

// 400 stays 400; every other height is 480.
uint32_t ForcedHeight(uint32_t height);

// Whether an Alt-key message gets the default handling instead of being
// turned into a plain key: always in system-key mode 5402, and for Tab, F4
// and F10 in any mode.
int SysKeyToDefault(uint32_t sysKeyMode, uint32_t wParam);

#endif
