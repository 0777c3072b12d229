// resource.h - resource ids of korvex and qivddraw, shared by the .rc files and
// the code.  IDR_ menus and accelerator tables, IDI_ icon groups, IDD_ dialog
// templates, IDM_ menu commands, IDA_ accelerator commands.
#ifndef KORVEX_RESOURCE_H
#define KORVEX_RESOURCE_H

// korvex
#define IDR_TRAYMENU    1
#define IDI_PROGRAM     1
#define IDI_TRAY        2
#define IDD_SELECTDIR   "SELECTDIR"
#define IDM_OPEN        100
#define IDM_EXIT        200

// qivddraw
#define IDR_ACCEL       1
#define IDA_PASTE       5      // host command numbers, passed on unread
#define IDA_COPY        4
#define IDA_F3          8
#define IDA_CTRL_F3     124
#define IDA_F4          13
#define IDA_F5          15
#define IDA_F6          14
#define IDA_LEAVE       123    // leaves full-screen mode
#define IDA_F8          3
#define IDA_CTRL_F8     122
#define IDA_F9          11
#define IDA_CTRL_F10    17
#define IDA_F11         18
#define IDA_F12         7
#define IDA_SLOT_FIRST  27     // Ctrl+1 .. Ctrl+Shift+7: 27 to 40

#endif
