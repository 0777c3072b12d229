// dialog_rules.cpp - texts of the file dialog requests.
#include "dialog_rules.h"
#include "name_rules.h"
#include "../../include/korvex.h"
#include <stdio.h>
#include <string.h>

void ParseDialogArguments(const char *text, DialogFields *fields)
{
    unsigned short owner = 0, filter = 0, name = 0, directory = 0, title = 0, extension = 0;
    unsigned index = 0, flags = 0;

    sscanf(text, "%hu %hu %u %hu %hu %hu %u %hu", &owner, &filter, &index, &name, &directory,
           &title, &flags, &extension);
    fields->owner = owner;
    fields->filterAtom = filter;
    fields->filterIndex = index;
    fields->nameAtom = name;
    fields->directoryAtom = directory;
    fields->titleAtom = title;
    fields->flags = flags;
    fields->extensionAtom = extension;
}

void FilterFromHashes(char *text)
{
    for (; *text != '\0'; text++)
        if (*text == '#')
            *text = '\0';
}

int IsSelectDirectoryName(const char *name)
{
    const char *want = KX_SELECT_DIR_NAME;

    for (; *name != '\0' && *want != '\0'; name++, want++) {
        char c = *name;
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != *want)
            return 0;
    }
    return *name == '\0' && *want == '\0';
}

void DialogOffsets(const char *path, unsigned *fileOffset, unsigned *extensionOffset)
{
    int slash = LastSeparator(path);
    const char *dot = NULL;

    for (const char *p = path + (slash < 0 ? 0 : slash); *p != '\0'; p = NextCharacter(p))
        if (*p == '.')
            dot = p;

    *fileOffset = slash < 0 ? 0 : (unsigned)slash + 1;
    *extensionOffset = dot != NULL ? (unsigned)(dot - path) + 1 : (unsigned)strlen(path);
}

void FormatDialogReply(char *text, int size, uint32_t filterIndex, unsigned pathAtom,
                       unsigned titleAtom, uint32_t flags, unsigned fileOffset,
                       unsigned extensionOffset)
{
    snprintf(text, size, "%u %u %u %u %u %u", (unsigned)filterIndex, pathAtom, titleAtom,
             (unsigned)flags, fileOffset, extensionOffset);
}
