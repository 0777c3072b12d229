// rules_fuzz - feeds arbitrary text to every platform-free rule that reads
// text from a host, a command line or the file system.  Built natively with
// Clang's libFuzzer and AddressSanitizer, which catch any read or write past a
// buffer.
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include "bridge/launch_rules.h"
#include "shared/cmdline_rules.h"
#include "bridge/files/file_rules.h"
#include "bridge/files/dialog_rules.h"
#include "bridge/files/name_rules.h"
#include "fullscreen/fs_rules.h"
#include "shared/trace_rules.h"
#include "host/host_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char text[1100];
    size_t n = size < sizeof(text) - 1 ? size : sizeof(text) - 1;
    memcpy(text, data, n);
    text[n] = '\0';

    // The launcher's command, as korvex cuts and edits it.
    char command[LAUNCH_COMMAND_SIZE];
    if (strlen(text) < sizeof(command)) {
        int start, end, quote;
        strcpy(command, text);
        TrimTrailingBlanks(command);
        quote = FindQuotedTail(command, &start, &end);
        if (quote >= 0 && start <= end)
            ReplaceQuotedTail(command, sizeof(command), quote, text + n / 2);
    }
    ParseDecimalHandle(text);
    ArgumentText(text);

    // Time texts arrive in 32 characters; listing lines take any name.
    char time[32], line[LISTING_LINE_SIZE];
    CalendarTime t;
    strncpy(time, text, sizeof(time) - 1);
    time[sizeof(time) - 1] = '\0';
    ParseTimeText(time, &t);
    FormatTimeText(time, sizeof(time), &t);
    FormatListingLine(line, sizeof(line), 1, AccessByte(n), (uint32_t)n, PackTimeStamp(&t),
                      PackTimeStamp(&t), HostEntryName(text, 1, "SHORT~1", 1, LISTING_NAME_MAX));
    ListingWanted(text[0], (int)(n & 1), text, (uint32_t)n, 0);
    FormatByteCount((long double)n * 1e15L, time, sizeof(time));

    // Entry names from any file system, and a folder's worth of them.
    static NameTable names;
    NameTableInit(&names);
    for (size_t i = 0; i < n; i += 7)
        NameTableAddEntry(&names, text + i, text + n - (i < n ? i : n) / 2);
    NameTableCount(&names, text);
    IsDeviceName(text);
    NameOpensItself(text);
    SameName(text, text + n / 2);
    FolderLength(text);
    LastSeparator(text);
    EndsWithSeparator(text);
    Is83Name(text);
    // The same walks in a double-byte code page, where any byte may lead.
    static unsigned char lead[256];
    for (int c = 0x81; c <= 0xFE; c++)
        lead[c] = 1;
    SetLeadBytes(lead);
    FolderLength(text);
    LastComponent(text);
    SameName(text, text + n / 2);
    Is83Name(text);
    NameTableCount(&names, text);
    unsigned fo, eo;
    DialogOffsets(text, &fo, &eo);
    SetLeadBytes(NULL);
    HostShortName(text, (int)(n & 1), text + n / 3, (int)(n & 2));

    // Trace texts of anything a host sends.
    char escaped[TRACE_TEXT_SIZE];
    TraceEscape(text, escaped, sizeof(escaped));
    TraceEscape(text, escaped, 8 + n % 40);

    // Dialog texts.
    DialogFields fields;
    char filter[256];
    unsigned fileOffset, extensionOffset;
    ParseDialogArguments(text, &fields);
    strncpy(filter, text, sizeof(filter) - 1);
    filter[sizeof(filter) - 1] = '\0';
    FilterFromHashes(filter);
    IsSelectDirectoryName(text);
    DialogOffsets(text, &fileOffset, &extensionOffset);
    FormatDialogReply(line, 64, fields.filterIndex, fields.filterAtom, fields.nameAtom,
                      fields.flags, fileOffset, extensionOffset);

    // qivddraw's command line, and the host tool's request lines.
    FullScreenCommand full;
    ParseFullScreenCommand(text, &full);
    SysKeyToDefault(full.sysKeyMode, full.colourDepth);
    char request[1100], *words[16];
    strcpy(request, text);
    SplitRequestLine(request, words, 16);
    ListingFields listing;
    DecodeListingLine(text, &listing);
    uint32_t number;
    ParseNumber(text, &number);
    return 0;
}
