// fs_rules.cpp - qivddraw's command line and relay decisions.
#include "fs_rules.h"
#include "../include/korvex.h"
#include <stdio.h>
#include <string.h>

void ParseFullScreenCommand(const char *text, FullScreenCommand *command)
{
    unsigned host = 0, depth = 0, mode = 0, height = 0;
    unsigned long background = 0;

    sscanf(text, "%u %u %u %u %lu", &host, &depth, &mode, &height, &background);
    command->hostWindow = host;
    command->colourDepth = depth;
    command->sysKeyMode = mode;
    command->height = ForcedHeight(height);
    command->background = (uint32_t)background;
}

uint32_t ForcedHeight(uint32_t height)
{
    return height == 400 ? 400 : 480;
}

int SysKeyToDefault(uint32_t sysKeyMode, uint32_t wParam)
{
    uint32_t key = wParam & 0xFFFF;

    return sysKeyMode == QIV_SYSKEY_DEFAULT || key == 0x09 /* Tab */
           || key == 0x73 /* F4 */ || key == 0x79 /* F10 */;
}
