/*
 * korvex.h - the host contract of korvex (the bridge) and qivddraw (full screen).
 *
 * Everything a host needs to talk to the two programs: message numbers, notice
 * values, request codes and their sub-codes.  Plain C, no windows.h needed; the
 * bridge, qivddraw and the host side all include it.
 */
#ifndef KORVEX_CONTRACT_H
#define KORVEX_CONTRACT_H

/* ---- messages ---------------------------------------------------------- */

#define KX_WM_USER            0x0400u    /* WM_USER */
#define KX_WM_REQUEST         KX_WM_USER /* host -> request window, sent; wParam = request code */
#define KX_WM_TRAYNOTIFY      (KX_WM_USER + 1) /* tray icon -> request window */

/* Notices posted by korvex to the host window: WM_USER, wParam 1. */
#define KX_NOTICE             1u
#define KX_READY_HIGH         2u   /* ready notice: lParam = MAKELONG(request window, 2) */
                                   /* closing notice: lParam = 0 */

/* Command line of korvex: the host window in decimal, or launcher mode. */
#define KX_LAUNCH_PREFIX      "/s="

/* ---- request codes (wParam of KX_WM_REQUEST) --------------------------- */

#define KXR_NONE0             0u
#define KXR_NONE1             1u
#define KXR_LONG_PATH         2u   /* lo: atom path              -> atom */
#define KXR_SHORT_PATH        3u   /* lo: atom path              -> atom */
#define KXR_DISK_SIZE         4u   /* lo: atom root (63 chars)   -> atom decimal */
#define KXR_DISK_FREE         5u   /* lo: atom root (63 chars)   -> atom decimal */
#define KXR_QUIT              6u   /* removes the tray icon, closes the bridge */
#define KXR_OPEN_DIALOG       7u   /* lo: atom dialog text, hi: reply window -> 0, reply posted */
#define KXR_SAVE_DIALOG       8u   /* as 7 */
#define KXR_FILE_DOSTIME      9u   /* lo: atom path -> MAKELONG(dos time, dos date) of creation */
#define KXR_MAKE_DIR          10u  /* lo: atom path -> nonzero / 0 */
#define KXR_DELETE_FILE       11u  /* lo: atom path -> nonzero / 0 */
#define KXR_MOVE_FILE         12u  /* lo: atom source, hi: atom destination -> nonzero / 0 */
#define KXR_CREATE_FILE       13u  /* lo: atom path -> 0 / -1 */
#define KXR_FIND_FIRST        14u  /* lo: atom pattern, hi: filter -> atom name or [dir] */
#define KXR_FIND_NEXT         15u  /* hi: filter -> atom name or [dir] */
#define KXR_FIND_END          16u  /* -> 0 */
#define KXR_FILE_INFO         17u  /* lo: atom path -> atom "size attr created modified short" */
#define KXR_REMOVE_DIR        18u  /* lo: atom path -> nonzero / 0 */
#define KXR_REG_READ          19u  /* lo: atom key text, hi: atom value name -> atom data */
#define KXR_REG_WRITE         20u  /* lo: atom key text|name, hi: atom data -> 1 / 0 */
#define KXR_REG_DELETE_KEY    21u  /* lo: atom parent key text, hi: atom sub-key -> 1 / 0 */
#define KXR_NET_DIALOG        22u  /* lo: owner, hi: 0 disconnect, else connect -> 0 */
#define KXR_LOCAL_TO_UTC      23u  /* lo: atom time text (31 chars) -> atom */
#define KXR_UTC_TO_LOCAL      24u  /* lo: atom time text (31 chars) -> atom */
#define KXR_TRAY_ICON         25u  /* lo: atom tip (63 chars), hi: window to hide, 0 removes */
#define KXR_SCROLL_LOCK       26u  /* toggles Scroll Lock -> 0 */
#define KXR_IS_NT             27u  /* -> 1 on Windows NT, else 0 */
#define KXR_TO_FRONT          28u  /* lParam: the whole window handle -> 0 */
#define KXR_JOYSTICK          29u  /* lo: sub-code, hi: argument */
#define KXR_NONE30            30u
#define KXR_NONE31            31u
#define KXR_FILL_LIST         32u  /* lo: atom mode+path, hi: list box -> 0 or 39 */
#define KXR_LAST              32u

/* Request 32: the mode character and the failure answer. */
#define KX_LIST_CONTAINERS    '1'
#define KX_LIST_CONNECTABLE   '2'
#define KX_LIST_DIRS_ONLY     '4'
#define KX_LIST_FILES_ONLY    '6'
#define KX_LIST_FAILED        39

/* Requests 14 and 15: filter bits (the list box directory flags). */
#define KX_FILTER_READONLY    0x0001u
#define KX_FILTER_HIDDEN      0x0002u
#define KX_FILTER_SYSTEM      0x0004u
#define KX_FILTER_DIRECTORY   0x0010u
#define KX_FILTER_ARCHIVE     0x0020u
#define KX_FILTER_EXCLUSIVE   0x8000u

/* Request 29: joystick sub-codes. */
#define KXJ_NONE              0u
#define KXJ_CAPS              1u   /* hi: host scale -> joyGetDevCaps result */
#define KXJ_CAPTURE           2u   /* hi: target window -> joySetCapture result */
#define KXJ_RELEASE           3u   /* -> joyReleaseCapture result */
#define KXJ_SAVE_THRESHOLD    4u   /* -> 0 */
#define KXJ_SET_THRESHOLD     5u   /* hi: 1 derive from the range, else restore -> 0 */

/* Joystick messages relayed to the target window (received number + 1). */
#define KX_JOY_MOVE           929u
#define KX_JOY_BUTTONDOWN     950u
#define KX_JOY_BUTTONUP       952u

/* Tray menu commands (WM_COMMAND to the request window). */
#define KX_CMD_OPEN           100u
#define KX_CMD_EXIT           200u

/* Requests 7 and 8: the directory-selection name. */
#define KX_SELECT_DIR_NAME    "izbor$na.dir"

/* ---- qivddraw ---------------------------------------------------------- */

/* Command line: "%u %u %u %u %lu" host window, bits per pixel, system-key
   mode, height (400, else 480), background COLORREF. */
#define QIV_MESSAGE_NAME      "PM_RORAD2VORNIQ" /* RegisterWindowMessage name */
#define QIV_SHOWN             118u  /* registered message: lParam = full-screen window */
#define QIV_ENDED             119u  /* registered message: lParam = 0 */
#define QIV_WM_STARTED        (KX_WM_USER + 6)  /* posted right after 118 */
#define QIV_WM_SCROLL_QUERY   (KX_WM_USER + 1)  /* host -> full-screen window: 1 / 0 */
#define QIV_SYSKEY_DEFAULT    5402u /* system-key mode: Alt keys get default handling */
#define QIV_CMD_LEAVE         123u  /* accelerator command that ends full-screen mode */
#define QIV_WIDTH             640u
#define QIV_EXIT_NO_MODE      3u    /* exit code: the display refused full-screen mode */

#endif
