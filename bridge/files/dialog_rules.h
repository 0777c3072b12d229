// dialog_rules.h - texts of the file dialog requests (no platform calls): the
// argument text, the "#" filter list, the offsets and the reply text.
#ifndef KORVEX_DIALOG_RULES_H
#define KORVEX_DIALOG_RULES_H

#include <stdint.h>

struct DialogFields {
    uint16_t owner, filterAtom;
    uint32_t filterIndex;
    uint16_t nameAtom, directoryAtom, titleAtom;
    uint32_t flags;
    uint16_t extensionAtom;
};

// Reads "%hu %hu %u %hu %hu %hu %u %hu"; fields not supplied are 0.
void ParseDialogArguments(const char *text, DialogFields *fields);

// Turns every "#" of the text into a zero character.  The caller keeps the
// rest of the buffer zero, so the list always ends in two zeros.
void FilterFromHashes(char *text);

// Whether the initial name selects a directory instead of a file.
int IsSelectDirectoryName(const char *name);

// File-name offset (after the last backslash; 0 without one) and extension
// offset (after the last "." of the last component; the length without one).
void DialogOffsets(const char *path, unsigned *fileOffset, unsigned *extensionOffset);

// "%u %u %u %u %u %u": filter index, path atom, title atom, flags, offsets.
void FormatDialogReply(char *text, int size, uint32_t filterIndex, unsigned pathAtom,
                       unsigned titleAtom, uint32_t flags, unsigned fileOffset,
                       unsigned extensionOffset);

#endif
